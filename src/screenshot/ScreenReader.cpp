#include "screenshot/ScreenReader.h"

#include "screenshot/ScreenPicture.h"

#ifdef ZOR_HAVE_DEVICE_COMMAND
#include "device/Protocol.h"
#include "device/USB.h"
#endif

namespace screenshot {

device::Status readDeviceScreen(uint8_t* reply1024) {
#ifdef ZOR_HAVE_DEVICE_COMMAND
    return DeviceCommand(CMD_GET_SCREEN, nullptr, 0, reply1024, kScreenBytes);
#else
    (void)reply1024;
    return 0x40000004; // no USB unit in this build: as with no instrument attached
#endif
}

} // namespace screenshot
