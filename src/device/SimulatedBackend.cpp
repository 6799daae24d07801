#include "SimulatedBackend.h"

#include "Protocol.h"
#include "USB.h"

#include <chrono>
#include <cstring>

namespace device {

namespace {
int firstDevice; // their addresses are the handles of the simulated devices
int secondDevice;
} // namespace

SimulatedBackend::SimulatedBackend(std::shared_ptr<SimulatedInstrument> instrument)
    : m_instrument(std::move(instrument)) {}

SimulatedBackend::~SimulatedBackend() {
    close();
}

DeviceHandle SimulatedBackend::handle() const {
    return &firstDevice;
}

DeviceHandle SimulatedBackend::secondHandle() {
    return &secondDevice;
}

Status SimulatedBackend::open(const MatchTable&, const EventTable& events) {
    m_events = events;
    m_open = true;
    if (m_instrument->attached() && m_events.attach)
        m_events.attach(handle());
    return 0;
}

void SimulatedBackend::close() {
    cancelTransfers();
    m_open = false;
    m_events = {};
}

bool SimulatedBackend::plug() {
    m_instrument->setAttached(true);
    return m_open && m_events.attach && m_events.attach(handle());
}

void SimulatedBackend::unplug() {
    m_instrument->setAttached(false);
    if (m_open && m_events.detach)
        m_events.detach(handle());
}

bool SimulatedBackend::plugSecondDevice() {
    return m_open && m_events.attach && m_events.attach(secondHandle());
}

Status SimulatedBackend::transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                                      uint32_t length, uint32_t* moved, uint32_t timeoutMs) {
    if (moved)
        *moved = 0;
    if (device != handle() || !m_instrument->attached())
        return kStatusNoDevice;
    if (!read) {
        if (pipe != 0x02)
            return kStatusIo;
        const SimulatedInstrument::Answer answer = m_instrument->receive(buffer, length);
        if (answer.unplugged && m_events.detach)
            m_events.detach(handle());
        if (answer.status != 0)
            return answer.status;
        std::lock_guard lock(m_mutex);
        m_replyPending = answer.hasReply;
        m_reply = answer.reply;
        m_replyDelayMs = answer.delayMs;
        if (moved)
            *moved = length;
        return 0;
    }
    if (pipe != 0x81)
        return kStatusIo;
    Status status = 0;
    if (!waitReply(m_replyDelayMs, timeoutMs, status))
        return status;
    std::lock_guard lock(m_mutex);
    const uint32_t n = std::min<uint32_t>(length, static_cast<uint32_t>(m_reply.size()));
    if (n > 0)
        std::memcpy(buffer, m_reply.constData(), n);
    m_replyPending = false;
    if (moved)
        *moved = n;
    return 0;
}

// Waits out the reply delay (or the timeout when nothing will come); false with the status
// when the wait was cancelled or timed out.
bool SimulatedBackend::waitReply(uint32_t delayMs, uint32_t timeoutMs, Status& status) {
    std::unique_lock lock(m_mutex);
    const bool pending = m_replyPending;
    const uint32_t waitMs = pending ? std::min(delayMs, timeoutMs) : timeoutMs;
    const bool timesOut = !pending || delayMs > timeoutMs;
    if (waitMs == 0 && !timesOut)
        return true;
    const uint64_t generation = m_cancelGeneration;
    const bool cancelled = m_cancelled.wait_for(lock, std::chrono::milliseconds(waitMs),
                                                [&] { return m_cancelGeneration != generation; });
    if (cancelled) {
        status = kStatusInterrupted;
        return false;
    }
    if (timesOut) {
        status = kStatusTimeout;
        return false;
    }
    return true;
}

void SimulatedBackend::cancelTransfers() {
    {
        std::lock_guard lock(m_mutex);
        ++m_cancelGeneration;
    }
    m_cancelled.notify_all();
}

std::function<std::unique_ptr<UsbBackend>()>
simulatedBackendFactory(std::shared_ptr<SimulatedInstrument> instrument) {
    return [instrument] { return std::make_unique<SimulatedBackend>(instrument); };
}

Status openSimulatedLink(std::shared_ptr<SimulatedInstrument> instrument) {
    setUsbBackendFactory(simulatedBackendFactory(std::move(instrument)));
    const Status status = OpenUSB();
    setUsbBackendFactory({});
    return status;
}

} // namespace device
