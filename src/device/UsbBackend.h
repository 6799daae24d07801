#pragma once
#include <cstdint>
#include <functional>
#include <memory>

// What the USB unit needs of a USB access layer: matching devices reported as they come and go,
// bulk transfers on the held device, and a way to abort a transfer in flight.
namespace device {

using Status = uint32_t;
using DeviceHandle = void*; // opaque to the unit; null means "no device"

struct MatchTable {
    uint16_t VendorId = 0x03EB;
    uint16_t ProductId = 0x0030;
    uint8_t DeviceClass = 0xFF;
    uint8_t DeviceSubClass = 0xFF;
    uint8_t InterfaceClass = 0xFF;
    uint8_t InterfaceSubClass = 0xFF;
    uint8_t InterfaceProtocol = 0;
};

struct EventTable {
    // Return false to refuse the device (another one is held).
    std::function<bool(DeviceHandle)> attach;
    std::function<void(DeviceHandle)> detach;
};

class UsbBackend {
public:
    virtual ~UsbBackend() = default;
    // Starts watching; devices already present are reported through attach before it returns
    // or soon after, on a thread of the backend's own.
    virtual Status open(const MatchTable& match, const EventTable& events) = 0;
    virtual void close() = 0;
    // One bulk transfer; never throws. A null or detached handle gives a non-zero status.
    virtual Status transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                                uint32_t length, uint32_t* moved, uint32_t timeoutMs) = 0;
    // Aborts whatever transfer is in flight (called from another thread); it then fails.
    virtual void cancelTransfers() = 0;
};

} // namespace device
