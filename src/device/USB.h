#pragma once
#include "UsbBackend.h"

#include <functional>
#include <memory>

// The program's one path to the instrument: a link opened once for the life of the main
// window, an attach/detach-tracked device handle, and one command frame out with at most one
// reply in per call. Command frame: 4-byte little-endian code, then at most 60 payload bytes.

// Opens the link through the backend of the current factory; 0 or the failing status
// (STATUS_DRIVER_NAME_FAILED when the factory gives no backend). An open link is closed first.
device::Status OpenUSB();
// Closes the link; safe when nothing is open. The held device is forgotten with the backend.
void CloseUSB();
// True while an instrument is held.
bool DeviceConnected();
// Writes the frame on pipe 0x02 and, when ReplyLen > 0, sleeps 1 ms and reads ReplyLen bytes
// from pipe 0x81 into Reply; 2000 ms timeout each. Byte counts are not checked. Any thread.
device::Status DeviceCommand(uint32_t Code, const void* Data, uint32_t DataLen, void* Reply,
                             uint32_t ReplyLen);
// Aborts the transfer in flight (from another thread); that DeviceCommand then fails.
void CancelDeviceTransfers();

// The backend's callbacks. Attach refuses a second device while one is held.
bool DeviceAttach(device::DeviceHandle device, const void* description, void* userData);
void DeviceDetach(device::DeviceHandle device, void* userData);
bool DevicePowerChange(device::DeviceHandle device, uint32_t powerState, void* userData);

namespace device {

constexpr uint32_t kTransferTimeoutMs = 2000;
constexpr uint32_t kMaxPayload = 60;
constexpr uint8_t kPipeOut = 0x02;
constexpr uint8_t kPipeIn = 0x81;

using UsbBackendFactory = std::function<std::unique_ptr<UsbBackend>()>;
// Chooses the backend used by the next OpenUSB; an empty factory restores the default.
void setUsbBackendFactory(UsbBackendFactory factory);

// The libusb backend (LibusbBackend.cpp), used by the default factory.
std::unique_ptr<UsbBackend> createLibusbBackend();

// Sleeps at least `us` microseconds with the precise monotonic clock (the 1 ms pause).
void preciseSleepMicroseconds(uint32_t us);

} // namespace device
