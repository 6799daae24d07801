#pragma once
#include <cstdint>
#include <functional>
#include <memory>

// What the USB unit needs of a USB access layer: matching devices reported as they come and go,
// bulk transfers on the held device, and a way to abort a transfer in flight.
namespace device {

using Status = uint32_t;
using DeviceHandle = void*; // opaque to the unit; null means "no device"

// The instrument on the bus: its USB ids and the two bulk pipes every command uses.
constexpr uint16_t kVendorId = 0x03EB;
constexpr uint16_t kProductId = 0x0030;
constexpr uint8_t kPipeOut = 0x02; // command frames, OUT endpoint 2
constexpr uint8_t kPipeIn = 0x81;  // replies, IN endpoint 1

// Transfer statuses of the USB layers: 0x40000000 | -libusb_error.
constexpr Status usbStatus(int libusbError) {
    return 0x40000000u | static_cast<uint32_t>(-libusbError);
}
constexpr Status kStatusIo = usbStatus(-1);
constexpr Status kStatusNoDevice = usbStatus(-4); // also every command while none is attached
constexpr Status kStatusTimeout = usbStatus(-7);
constexpr Status kStatusOverflow = usbStatus(-8);
constexpr Status kStatusPipe = usbStatus(-9);         // the instrument stalled the endpoint
constexpr Status kStatusInterrupted = usbStatus(-10); // the transfer was cancelled

struct MatchTable {
    uint16_t VendorId = kVendorId;
    uint16_t ProductId = kProductId;
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
    // Stops watching; no event is reported once it returns. Transfers in flight or started
    // later (a command racing with the close) fail.
    virtual void close() = 0;
    // One bulk transfer; never throws. A null or detached handle gives a non-zero status.
    virtual Status transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                                uint32_t length, uint32_t* moved, uint32_t timeoutMs) = 0;
    // Aborts whatever transfer is in flight (called from another thread); it then fails.
    virtual void cancelTransfers() = 0;
};

} // namespace device

// Opening the link found no USB layer to open it with.
constexpr device::Status STATUS_DRIVER_NAME_FAILED = 0x20000000;
