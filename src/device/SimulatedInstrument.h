#pragma once
#include "Scenario.h"

#include <QByteArray>
#include <map>
#include <mutex>
#include <vector>

// A simulated instrument that speaks the protocol from a scenario, transport-neutral: whoever
// carries the frames (the in-process SimulatedBackend, or an emulated USB device) hands each
// command frame written by the host to receive() and delivers the Answer:
//
//   Answer a = instrument.receive(frame, length);   // for every OUT transfer on pipe 0x02
//   if (a.unplugged)   -> report the device gone (detach), fail this and every later transfer
//                         as with no device (kStatusNoDevice 0x40000004)
//   else if (a.status) -> fail this OUT transfer with a.status (injected fault; nothing replied)
//   else if (a.hasReply) -> the next IN transfer on pipe 0x81 gets a.reply (possibly shorter
//                         than asked: a short reply still succeeds), a.delayMs later
//
// A host read with no reply pending gets nothing (it times out, as the real instrument would).
// Thread-safe: every member may be called from any thread.
namespace device {

class SimulatedInstrument {
public:
    struct Answer {
        bool unplugged = false; // the instrument was detached just before this frame
        Status status = 0;      // non-zero: the frame's transfer fails with this status
        bool hasReply = false;  // the command answers (codes 1, 2, 4, 6)
        QByteArray reply;       // the reply bytes, already cut by a short_reply rule
        uint32_t delayMs = 0;   // reply_delay_ms
    };

    explicit SimulatedInstrument(Scenario scenario);

    // One command frame from the host: 4-byte little-endian code, then any payload.
    // Frames shorter than 4 bytes are taken as code 0 (unknown, no reply).
    Answer receive(const uint8_t* frame, uint32_t length);

    // Whether the instrument is plugged in: the scenario's `attached`, until an unplug.
    bool attached() const;
    // Plug or unplug by hand (tests of attach/detach); does not touch the command log.
    void setAttached(bool attached);

    // Every frame the host wrote while the instrument was attached, in order, injected
    // failures included (frames refused because the instrument was gone are not listed).
    std::vector<QByteArray> frames() const;
    // The command codes of frames(), in order.
    std::vector<uint32_t> commands() const;

private:
    QByteArray replyTo(uint32_t code);
    static bool matches(const CommandOccurrence& when, uint32_t code, uint32_t occurrence);

    const Scenario m_scenario;
    mutable std::mutex m_mutex;
    bool m_attached;
    size_t m_readPosition = 0;
    std::vector<QByteArray> m_frames;
    std::map<uint32_t, uint32_t> m_counts; // sendings per code, for the occurrence rules
};

} // namespace device
