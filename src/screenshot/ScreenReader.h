#pragma once
#include "device/UsbBackend.h"

#include <cstdint>
#include <functional>

namespace screenshot {

// Reads the display picture into a 1024-byte buffer; returns the device status (0 = success).
using ScreenReader = std::function<device::Status(uint8_t* reply1024)>;

// The driver's screen conversation over the program's link.
device::Status readDeviceScreen(uint8_t* reply1024);

} // namespace screenshot
