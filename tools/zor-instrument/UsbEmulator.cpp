#include "UsbEmulator.h"

#include "EmulatedDevice.h"

#include <umockdev.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace zorinstrument {

namespace {

std::string devnode(int devnum) {
    char text[32];
    std::snprintf(text, sizeof text, "/dev/bus/usb/001/%03d", devnum);
    return text;
}

// A sysfs folder named like a root hub, so that libusb looks for no parent hub.
std::string devpath(int devnum) {
    return "/devices/usb" + std::to_string(devnum);
}

std::string hexBytes(std::initializer_list<int> bytes) {
    std::string out;
    char two[3];
    for (int b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b & 0xFF);
        out += two;
    }
    return out;
}

std::string deviceText(int devnum, const DeviceIdentity& identity) {
    char num[4];
    std::snprintf(num, sizeof num, "%03d", devnum);
    return "P: " + devpath(devnum) + "\nN: bus/usb/001/" + num +
           "\nE: SUBSYSTEM=usb\nE: DRIVER=usb\nE: BUSNUM=001\nE: DEVNUM=" + num +
           "\nE: DEVNAME=" + devnode(devnum) +
           "\nE: DEVTYPE=usb_device\nA: bConfigurationValue=1\\n\nA: busnum=1\\n\nA: devnum=" +
           std::to_string(devnum) +
           "\\n\nA: speed=12\\n\nH: descriptors=" + descriptorsHex(identity) + "\n";
}

void check(bool ok, GError* error, const std::string& what) {
    if (ok)
        return;
    std::string text = what + ": " + (error ? error->message : "failed");
    if (error)
        g_error_free(error);
    throw std::runtime_error(text);
}

} // namespace

void ensureUmockdevPreload(char** argv) {
    constexpr const char* preloadLibrary = "libumockdev-preload.so.0";
    const char* current = std::getenv("LD_PRELOAD");
    if (current && std::strstr(current, preloadLibrary))
        return;
    std::string preload = preloadLibrary;
    if (current && *current)
        preload += std::string(" ") + current;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("re-running under the umockdev preload");
    std::exit(127);
}

std::string descriptorsHex(const DeviceIdentity& id) {
    const int mps = 64; // full-speed bulk packets
    return hexBytes({0x12, 0x01, 0x00, 0x02, id.deviceClass, id.deviceSubClass, 0x00, 0x40,
                     id.vendorId & 0xFF, id.vendorId >> 8, id.productId & 0xFF, id.productId >> 8,
                     0x00, 0x01, 0x00, 0x00, 0x00, 0x01}) +
           hexBytes({0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32}) +
           hexBytes({0x09, 0x04, 0x00, 0x00, 0x02, id.interfaceClass, id.interfaceSubClass,
                     id.interfaceProtocol, 0x00}) +
           hexBytes({0x07, 0x05, device::kPipeOut, 0x02, mps, 0x00, 0x00}) +
           hexBytes({0x07, 0x05, device::kPipeIn, 0x02, mps, 0x00, 0x00});
}

UsbEmulator::UsbEmulator() : m_testbed(umockdev_testbed_new()) {
    if (!m_testbed)
        throw std::runtime_error("cannot create the umockdev testbed");
}

UsbEmulator::~UsbEmulator() {
    g_object_unref(m_testbed); // stops the handlers before the devices go
    m_devices.clear();
}

void UsbEmulator::plug(int devnum, std::shared_ptr<FrameResponder> responder,
                       const DeviceIdentity& identity) {
    if (devnum < 2 || devnum > 127 || m_devices.count(devnum))
        throw std::invalid_argument("bad or used device number " + std::to_string(devnum));
    auto device =
        std::make_unique<EmulatedDevice>(std::move(responder), [this, devnum] { unplug(devnum); });
    GError* error = nullptr;
    // The handler must be in place before the device appears, or an early open finds no one.
    check(umockdev_testbed_attach_ioctl(m_testbed, devnode(devnum).c_str(), device->handler(),
                                        &error),
          error, "attach ioctl handler");
    m_devices.emplace(devnum, std::move(device));
    check(umockdev_testbed_add_from_string(m_testbed, deviceText(devnum, identity).c_str(), &error),
          error, "add device");
}

void UsbEmulator::unplug(int devnum) {
    auto it = m_devices.find(devnum);
    if (it == m_devices.end())
        return;
    it->second->setUnplugged(true);
    umockdev_testbed_uevent(m_testbed, ("/sys" + devpath(devnum)).c_str(), "remove");
}

void UsbEmulator::replug(int devnum) {
    auto it = m_devices.find(devnum);
    if (it == m_devices.end())
        return;
    it->second->setUnplugged(false);
    umockdev_testbed_uevent(m_testbed, ("/sys" + devpath(devnum)).c_str(), "add");
}

} // namespace zorinstrument
