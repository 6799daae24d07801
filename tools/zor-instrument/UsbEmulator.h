#pragma once
#include "device/UsbBackend.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

// A USB instrument emulated at the kernel interface: libusb in this process (run under the
// umockdev preload) or in a child that inherits UMOCKDEV_DIR sees a real usbfs device.
namespace zorinstrument {

// How the emulated device ends one OUT transfer, and what the host may read after it.
struct FrameAnswer {
    enum class Out { Done, Fail, Hang, Unplug };
    Out out = Out::Done;
    int failErrno = 0;                         // Fail: the URB completes with status -failErrno
    std::optional<std::vector<uint8_t>> reply; // handed to the next IN transfer
    std::chrono::milliseconds delay{0};        // the reply is ready only this much later
};

// The instrument behind the device; called on umockdev's own thread, one frame at a time.
class FrameResponder {
public:
    virtual ~FrameResponder() = default;
    virtual FrameAnswer onFrame(const std::vector<uint8_t>& frame) = 0;
};

// What the device says about itself in its descriptors; by default what the program matches.
struct DeviceIdentity {
    uint16_t vendorId = device::MatchTable{}.VendorId;
    uint16_t productId = device::MatchTable{}.ProductId;
    uint8_t deviceClass = device::MatchTable{}.DeviceClass;
    uint8_t deviceSubClass = device::MatchTable{}.DeviceSubClass;
    uint8_t interfaceClass = device::MatchTable{}.InterfaceClass;
    uint8_t interfaceSubClass = device::MatchTable{}.InterfaceSubClass;
    uint8_t interfaceProtocol = device::MatchTable{}.InterfaceProtocol;
};

class EmulatedDevice;

class UsbEmulator {
public:
    UsbEmulator(); // creates the testbed and sets UMOCKDEV_DIR for this process
    ~UsbEmulator();
    UsbEmulator(const UsbEmulator&) = delete;
    UsbEmulator& operator=(const UsbEmulator&) = delete;

    // Plugs a device in as /dev/bus/usb/001/<devnum> (devnum 2..127).
    void plug(int devnum, std::shared_ptr<FrameResponder> responder,
              const DeviceIdentity& identity = {});
    // The device leaves: a "remove" uevent; its transfers fail from now on.
    void unplug(int devnum);
    // A device unplugged before comes back with a fresh state.
    void replug(int devnum);

private:
    UMockdevTestbed* m_testbed = nullptr;
    std::map<int, std::unique_ptr<EmulatedDevice>> m_devices;
};

// The umockdev preload must be in the process that raises uevents as well as in the one that
// uses libusb: re-executes this program under it (argv as main got it) unless it already is.
// Returns only when the preload is in place; exits with 127 when the re-execution fails.
void ensureUmockdevPreload(char** argv);

// The hex text of the device and configuration descriptors (one interface, bulk OUT
// device::kPipeOut and bulk IN device::kPipeIn) as sysfs shows them.
std::string descriptorsHex(const DeviceIdentity& identity);

} // namespace zorinstrument
