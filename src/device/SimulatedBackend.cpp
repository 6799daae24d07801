#include "SimulatedBackend.h"

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

EventTable SimulatedBackend::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

Status SimulatedBackend::open(const MatchTable&, const EventTable& events) {
    {
        std::lock_guard lock(m_mutex);
        m_events = events;
    }
    if (m_instrument->attached() && events.attach)
        events.attach(handle());
    return 0;
}

void SimulatedBackend::close() {
    cancelTransfers();
    std::lock_guard lock(m_mutex);
    m_events = {};
}

bool SimulatedBackend::plug() {
    m_instrument->setAttached(true);
    const EventTable e = events();
    return e.attach && e.attach(handle());
}

void SimulatedBackend::unplug() {
    m_instrument->setAttached(false);
    if (const EventTable e = events(); e.detach)
        e.detach(handle());
}

bool SimulatedBackend::plugSecondDevice() {
    const EventTable e = events();
    return e.attach && e.attach(secondHandle());
}

Status SimulatedBackend::transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                                      uint32_t length, uint32_t* moved, uint32_t timeoutMs) {
    if (moved)
        *moved = 0;
    if (device != handle() || !m_instrument->attached())
        return kStatusNoDevice;
    if (!read) {
        if (pipe != kPipeOut)
            return kStatusIo;
        const SimulatedInstrument::Answer answer = m_instrument->receive(buffer, length);
        if (const EventTable e = events(); answer.unplugged && e.detach)
            e.detach(handle());
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
    if (pipe != kPipeIn)
        return kStatusIo;
    Status status = 0;
    if (!waitReply(timeoutMs, status))
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
bool SimulatedBackend::waitReply(uint32_t timeoutMs, Status& status) {
    std::unique_lock lock(m_mutex);
    const bool pending = m_replyPending;
    const uint32_t delayMs = m_replyDelayMs;
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

Status openSimulatedLink(std::shared_ptr<SimulatedInstrument> instrument) {
    return programLink().open(std::make_unique<SimulatedBackend>(std::move(instrument)));
}

} // namespace device
