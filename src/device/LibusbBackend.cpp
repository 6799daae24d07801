#include "LibusbBackend.h"

#include <libusb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace device {

namespace {

Status libusbStatus(int libusbError) {
    return libusbError == 0 ? 0 : usbStatus(libusbError);
}

constexpr int kInterface = 0;
// Grace beyond a transfer's own timeout before the waiter stops trusting the event thread.
constexpr auto kWaitGrace = std::chrono::seconds(3);

Status transferStatus(libusb_transfer_status s) {
    switch (s) {
    case LIBUSB_TRANSFER_COMPLETED:
        return 0;
    case LIBUSB_TRANSFER_TIMED_OUT:
        return kStatusTimeout;
    case LIBUSB_TRANSFER_CANCELLED:
        return kStatusInterrupted;
    case LIBUSB_TRANSFER_STALL:
        return kStatusPipe;
    case LIBUSB_TRANSFER_NO_DEVICE:
        return kStatusNoDevice;
    case LIBUSB_TRANSFER_OVERFLOW:
        return kStatusOverflow;
    default:
        return kStatusIo;
    }
}

// One matching device we opened. Owned by shared pointers: the backend's table while the
// device is present, and every transfer in flight on it, so the handle outlives them all.
struct HeldDevice {
    libusb_device* device = nullptr;
    libusb_device_handle* handle = nullptr;
    Status openStatus = 0; // non-zero: opening or claiming failed, every transfer reports it
    std::atomic<bool> gone{false};

    ~HeldDevice() {
        if (handle) {
            libusb_release_interface(handle, kInterface);
            libusb_close(handle);
        }
        libusb_unref_device(device);
    }
};

class LibusbBackend;

// The waiter's side of one asynchronous transfer; written by the event thread.
struct Completion {
    LibusbBackend* backend = nullptr;
    bool done = false;
    libusb_transfer_status status = LIBUSB_TRANSFER_ERROR;
    int actual = 0;
};

class LibusbBackend final : public UsbBackend {
public:
    ~LibusbBackend() override { close(); }

    Status open(const MatchTable& match, const EventTable& events) override;
    void close() override;
    Status transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                        uint32_t length, uint32_t* moved, uint32_t timeoutMs) override;
    void cancelTransfers() override;

private:
    struct InFlight {
        libusb_transfer* transfer;
        HeldDevice* device;
    };

    static int LIBUSB_CALL onHotplug(libusb_context*, libusb_device* dev,
                                     libusb_hotplug_event event, void* self);
    static void LIBUSB_CALL onTransferDone(libusb_transfer* transfer);

    void runEvents();
    void processHotplug();
    bool matches(libusb_device* dev) const;
    void arrive(libusb_device* dev);
    void leave(libusb_device* dev);
    std::shared_ptr<HeldDevice> openDevice(libusb_device* dev);
    std::shared_ptr<HeldDevice> find(DeviceHandle handle);
    Status submitAndWait(libusb_transfer* transfer, HeldDevice* held, Completion& done,
                         uint32_t timeoutMs);
    void cancelWhere(bool (*pick)(const InFlight&, const HeldDevice*), const HeldDevice* held);
    void drainTransfers();
    bool enterCaller();
    bool closing();
    void leaveCaller();

    MatchTable m_match;
    EventTable m_events;
    libusb_context* m_ctx = nullptr;
    libusb_hotplug_callback_handle m_hotplug = 0;
    std::thread m_eventThread;
    std::atomic<bool> m_stop{false};

    std::mutex m_mutex; // guards everything below
    std::condition_variable m_changed;
    std::vector<std::pair<libusb_device*, bool>> m_pending;     // hotplug events, true = arrived
    std::map<uintptr_t, std::shared_ptr<HeldDevice>> m_devices; // handle value -> device
    uintptr_t m_nextHandle = 0;
    std::vector<InFlight> m_inFlight;
    int m_callers = 0;     // threads inside transferBulk; close() waits for them
    bool m_closing = true; // no transfers before open() or after close()
};

Status LibusbBackend::open(const MatchTable& match, const EventTable& events) {
    close();
    m_match = match;
    m_events = events;
    if (int rc = libusb_init(&m_ctx); rc != 0) {
        m_ctx = nullptr;
        return libusbStatus(rc);
    }
    int rc = libusb_hotplug_register_callback(
        m_ctx, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT,
        LIBUSB_HOTPLUG_ENUMERATE, match.VendorId, match.ProductId, LIBUSB_HOTPLUG_MATCH_ANY,
        &LibusbBackend::onHotplug, this, &m_hotplug);
    if (rc != 0) {
        libusb_exit(m_ctx);
        m_ctx = nullptr;
        return libusbStatus(rc);
    }
    {
        std::lock_guard lock(m_mutex);
        m_closing = false;
    }
    // Devices already plugged in are attached before open() returns, so a caller may ask
    // for the instrument straight away.
    processHotplug();
    m_stop = false;
    m_eventThread = std::thread([this] { runEvents(); });
    return 0;
}

void LibusbBackend::close() {
    if (!m_ctx)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    drainTransfers();
    m_stop = true;
    libusb_interrupt_event_handler(m_ctx);
    m_eventThread.join();
    libusb_hotplug_deregister_callback(m_ctx, m_hotplug);
    {
        std::lock_guard lock(m_mutex);
        for (auto& [dev, arrived] : m_pending)
            libusb_unref_device(dev);
        m_pending.clear();
        m_devices.clear();
    }
    libusb_exit(m_ctx);
    m_ctx = nullptr;
}

int LibusbBackend::onHotplug(libusb_context*, libusb_device* dev, libusb_hotplug_event event,
                             void* self) {
    // libusb forbids most calls inside this callback: queue it for the event loop.
    auto* backend = static_cast<LibusbBackend*>(self);
    std::lock_guard lock(backend->m_mutex);
    backend->m_pending.emplace_back(libusb_ref_device(dev),
                                    event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED);
    return 0;
}

void LibusbBackend::runEvents() {
    while (!m_stop) {
        timeval tv{0, 100000};
        libusb_handle_events_timeout_completed(m_ctx, &tv, nullptr);
        processHotplug();
    }
}

void LibusbBackend::processHotplug() {
    std::vector<std::pair<libusb_device*, bool>> events;
    {
        std::lock_guard lock(m_mutex);
        events.swap(m_pending);
    }
    for (auto& [dev, arrived] : events) {
        if (arrived)
            arrive(dev);
        else
            leave(dev);
        libusb_unref_device(dev);
    }
}

bool LibusbBackend::matches(libusb_device* dev) const {
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(dev, &d) != 0 || d.idVendor != m_match.VendorId ||
        d.idProduct != m_match.ProductId)
        return false;
    if (d.bDeviceClass == m_match.DeviceClass && d.bDeviceSubClass == m_match.DeviceSubClass)
        return true;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_config_descriptor(dev, 0, &config) != 0)
        return false;
    bool ok = false;
    if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& i = config->interface[0].altsetting[0];
        ok = i.bInterfaceClass == m_match.InterfaceClass &&
             i.bInterfaceSubClass == m_match.InterfaceSubClass &&
             i.bInterfaceProtocol == m_match.InterfaceProtocol;
    }
    libusb_free_config_descriptor(config);
    return ok;
}

std::shared_ptr<HeldDevice> LibusbBackend::openDevice(libusb_device* dev) {
    auto held = std::make_shared<HeldDevice>();
    held->device = libusb_ref_device(dev);
    if (int rc = libusb_open(dev, &held->handle); rc != 0) {
        held->handle = nullptr;
        held->openStatus = libusbStatus(rc);
    } else if (int rc = libusb_claim_interface(held->handle, kInterface); rc != 0) {
        held->openStatus = libusbStatus(rc);
    }
    return held;
}

void LibusbBackend::arrive(libusb_device* dev) {
    if (!matches(dev) || !m_events.attach)
        return;
    std::shared_ptr<HeldDevice> held = openDevice(dev);
    uintptr_t key;
    {
        std::lock_guard lock(m_mutex);
        key = ++m_nextHandle; // never reused, so a stale handle can't reach a new device
        m_devices.emplace(key, held);
    }
    // Listed before the offer so that a transfer started right after attach finds it.
    if (!m_events.attach(reinterpret_cast<DeviceHandle>(key))) {
        std::lock_guard lock(m_mutex);
        m_devices.erase(key); // refused: the last reference closes the device again
    }
}

void LibusbBackend::leave(libusb_device* dev) {
    std::shared_ptr<HeldDevice> held;
    uintptr_t key = 0;
    {
        std::lock_guard lock(m_mutex);
        for (auto& [k, d] : m_devices)
            if (d->device == dev) {
                key = k;
                held = d;
            }
        if (!held)
            return;
        m_devices.erase(key);
        held->gone = true;
    }
    cancelWhere([](const InFlight& f, const HeldDevice* h) { return f.device == h; }, held.get());
    if (m_events.detach)
        m_events.detach(reinterpret_cast<DeviceHandle>(key));
}

std::shared_ptr<HeldDevice> LibusbBackend::find(DeviceHandle handle) {
    std::lock_guard lock(m_mutex);
    auto it = m_devices.find(reinterpret_cast<uintptr_t>(handle));
    return it == m_devices.end() ? nullptr : it->second;
}

void LibusbBackend::onTransferDone(libusb_transfer* transfer) {
    auto* done = static_cast<Completion*>(transfer->user_data);
    LibusbBackend* backend = done->backend;
    std::lock_guard lock(backend->m_mutex);
    std::erase_if(backend->m_inFlight,
                  [transfer](const InFlight& f) { return f.transfer == transfer; });
    done->status = transfer->status;
    done->actual = transfer->actual_length;
    done->done = true;
    backend->m_changed.notify_all();
}

Status LibusbBackend::submitAndWait(libusb_transfer* transfer, HeldDevice* held, Completion& done,
                                    uint32_t timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (m_closing)
        return kStatusNoDevice;
    if (int rc = libusb_submit_transfer(transfer); rc != 0)
        return libusbStatus(rc);
    m_inFlight.push_back({transfer, held});
    auto limit = std::chrono::milliseconds(timeoutMs) + kWaitGrace;
    if (!m_changed.wait_for(lock, limit, [&] { return done.done; })) {
        // libusb should have timed it out by now; cancel and wait for the callback, which
        // must run before the transfer can be freed.
        libusb_cancel_transfer(transfer);
        m_changed.wait(lock, [&] { return done.done; });
        return kStatusTimeout;
    }
    return transferStatus(done.status);
}

void LibusbBackend::cancelWhere(bool (*pick)(const InFlight&, const HeldDevice*),
                                const HeldDevice* held) {
    std::lock_guard lock(m_mutex);
    for (const InFlight& f : m_inFlight)
        if (pick(f, held))
            libusb_cancel_transfer(f.transfer);
}

void LibusbBackend::cancelTransfers() {
    cancelWhere([](const InFlight&, const HeldDevice*) { return true; }, nullptr);
}

void LibusbBackend::drainTransfers() {
    cancelTransfers();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_callers == 0; });
}

bool LibusbBackend::enterCaller() {
    std::lock_guard lock(m_mutex);
    if (m_closing)
        return false;
    ++m_callers;
    return true;
}

bool LibusbBackend::closing() {
    std::lock_guard lock(m_mutex);
    return m_closing;
}

void LibusbBackend::leaveCaller() {
    std::lock_guard lock(m_mutex);
    --m_callers;
    m_changed.notify_all();
}

Status LibusbBackend::transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                                   uint32_t length, uint32_t* moved, uint32_t timeoutMs) {
    if (moved)
        *moved = 0;
    if (!enterCaller())
        return kStatusNoDevice;
    // Declared before the device reference so it is released last: close() must not free
    // the context while a caller still holds a device.
    std::unique_ptr<LibusbBackend, void (*)(LibusbBackend*)> caller(
        this, [](LibusbBackend* b) { b->leaveCaller(); });
    std::shared_ptr<HeldDevice> held = find(device);
    if (!held || held->gone)
        return kStatusNoDevice;
    if (held->openStatus != 0)
        return held->openStatus;
    uint8_t endpoint = read ? (pipe | LIBUSB_ENDPOINT_IN) : (pipe & ~LIBUSB_ENDPOINT_IN);
    libusb_transfer* transfer = libusb_alloc_transfer(0);
    if (!transfer)
        return libusbStatus(LIBUSB_ERROR_NO_MEM);
    Completion done;
    done.backend = this;
    libusb_fill_bulk_transfer(transfer, held->handle, endpoint, buffer, static_cast<int>(length),
                              &LibusbBackend::onTransferDone, &done, timeoutMs);
    Status status = submitAndWait(transfer, held.get(), done, timeoutMs);
    if (moved && done.done)
        *moved = static_cast<uint32_t>(done.actual);
    libusb_free_transfer(transfer);
    // A transfer cut short because its device left or the link closed reports no device.
    if (status != 0 && (held->gone || closing()))
        return kStatusNoDevice;
    return status;
}

} // namespace

std::unique_ptr<UsbBackend> createLibusbBackend() {
    return std::make_unique<LibusbBackend>();
}

} // namespace device
