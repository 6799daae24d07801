#include "USB.h"

#include "Protocol.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

// Written by the backend's event thread, read whole by every other thread.
struct TDeviceContext {
    std::atomic<device::DeviceHandle> DeviceHandle{nullptr};
};

TDeviceContext DeviceContext;
std::unique_ptr<device::UsbBackend> Backend; // null: the link is closed
device::UsbBackendFactory Factory;

std::unique_ptr<device::UsbBackend> makeBackend() {
    if (Factory)
        return Factory();
    return device::createLibusbBackend();
}

} // namespace

namespace device {

void setUsbBackendFactory(UsbBackendFactory factory) {
    Factory = std::move(factory);
}

void preciseSleepMicroseconds(uint32_t us) {
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_nsec += static_cast<long>(us % 1000000) * 1000;
    deadline.tv_sec += us / 1000000 + deadline.tv_nsec / 1000000000;
    deadline.tv_nsec %= 1000000000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

} // namespace device

device::Status OpenUSB() {
    CloseUSB();
    Backend = makeBackend();
    if (!Backend)
        return STATUS_DRIVER_NAME_FAILED;
    device::EventTable events;
    events.attach = [](device::DeviceHandle d) { return DeviceAttach(d, nullptr, &DeviceContext); };
    events.detach = [](device::DeviceHandle d) { DeviceDetach(d, &DeviceContext); };
    const device::Status status = Backend->open(device::MatchTable{}, events);
    if (status != 0)
        CloseUSB();
    return status;
}

void CloseUSB() {
    if (!Backend)
        return;
    Backend->close();
    Backend.reset();
    // The backend's handles died with it; holding one would let a later command use it.
    DeviceContext.DeviceHandle.store(nullptr);
}

bool DeviceConnected() {
    return DeviceContext.DeviceHandle.load() != nullptr;
}

device::Status DeviceCommand(uint32_t Code, const void* Data, uint32_t DataLen, void* Reply,
                             uint32_t ReplyLen) {
    using namespace device;
    if (!Backend)
        return kStatusNoDevice;
    uint8_t frame[4 + kMaxPayload];
    for (int i = 0; i < 4; ++i)
        frame[i] = static_cast<uint8_t>(Code >> (8 * i));
    uint32_t n = 0;
    if (Data && DataLen > 0) {
        n = std::min(DataLen, kMaxPayload);
        std::memcpy(frame + 4, Data, n);
    }
    uint32_t moved = 0;
    Status status = Backend->transferBulk(DeviceContext.DeviceHandle.load(), kPipeOut, false, frame,
                                          4 + n, &moved, kTransferTimeoutMs);
    if (status != 0 || ReplyLen == 0)
        return status;
    preciseSleepMicroseconds(1000);
    return Backend->transferBulk(DeviceContext.DeviceHandle.load(), kPipeIn, true,
                                 static_cast<uint8_t*>(Reply), ReplyLen, &moved,
                                 kTransferTimeoutMs);
}

void CancelDeviceTransfers() {
    if (Backend)
        Backend->cancelTransfers();
}

bool DeviceAttach(device::DeviceHandle device, const void*, void* userData) {
    auto* context = static_cast<TDeviceContext*>(userData);
    device::DeviceHandle expected = nullptr;
    // Only a free slot takes the device: the held instrument stays in use.
    return context->DeviceHandle.compare_exchange_strong(expected, device);
}

void DeviceDetach(device::DeviceHandle, void* userData) {
    static_cast<TDeviceContext*>(userData)->DeviceHandle.store(nullptr);
}

bool DevicePowerChange(device::DeviceHandle, uint32_t, void*) {
    return true;
}
