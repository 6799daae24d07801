#pragma once
#include "SimulatedInstrument.h"
#include "UsbBackend.h"

#include <condition_variable>
#include <memory>
#include <mutex>

// A UsbBackend served in-process by a SimulatedInstrument: attach is reported from open() when
// the scenario's instrument is attached; an unplug reports detach and fails that command and
// every later one with kStatusNoDevice; injected failures return their status; reply delays
// are waited on a condition that cancelTransfers() interrupts (kStatusInterrupted), and a
// delay longer than the transfer timeout ends in kStatusTimeout after the timeout.
namespace device {

class SimulatedBackend : public UsbBackend {
public:
    explicit SimulatedBackend(std::shared_ptr<SimulatedInstrument> instrument);
    ~SimulatedBackend() override;

    Status open(const MatchTable& match, const EventTable& events) override;
    void close() override;
    Status transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                        uint32_t length, uint32_t* moved, uint32_t timeoutMs) override;
    void cancelTransfers() override;

    // Tests: plug the instrument in or pull it out (reported through the event table), or
    // offer a second matching device, which the unit should refuse. Return attach's answer.
    bool plug();
    void unplug();
    bool plugSecondDevice();

    DeviceHandle handle() const;
    static DeviceHandle secondHandle();

private:
    bool waitReply(uint32_t timeoutMs, Status& status);

    // The events as open() got them; empty while closed. Copied under the lock before each call.
    EventTable events() const;

    std::shared_ptr<SimulatedInstrument> m_instrument;
    mutable std::mutex m_mutex; // guards everything below
    EventTable m_events;
    std::condition_variable m_cancelled;
    uint64_t m_cancelGeneration = 0;
    bool m_replyPending = false;
    QByteArray m_reply;
    uint32_t m_replyDelayMs = 0;
};

// Opens the program's link over `instrument` (attach is reported at once when the instrument
// is attached); returns the link's status. CloseUSB ends it.
Status openSimulatedLink(std::shared_ptr<SimulatedInstrument> instrument);

} // namespace device
