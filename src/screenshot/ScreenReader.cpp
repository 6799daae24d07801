#include "screenshot/ScreenReader.h"

#include "device/Protocol.h"

namespace screenshot {

device::Status readDeviceScreen(uint8_t* reply1024) {
    return device::readScreen(device::programLink(), reply1024);
}

} // namespace screenshot
