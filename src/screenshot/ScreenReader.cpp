#include "screenshot/ScreenReader.h"

#include "screenshot/ScreenPicture.h"

#include "device/Protocol.h"
#include "device/USB.h"

namespace screenshot {

device::Status readDeviceScreen(uint8_t* reply1024) {
    return DeviceCommand(CMD_GET_SCREEN, nullptr, 0, reply1024, kScreenBytes);
}

} // namespace screenshot
