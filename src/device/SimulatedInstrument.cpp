#include "SimulatedInstrument.h"

#include "Protocol.h"

namespace device {

SimulatedInstrument::SimulatedInstrument(Scenario scenario)
    : m_scenario(std::move(scenario)), m_attached(m_scenario.attached) {}

bool SimulatedInstrument::matches(const CommandOccurrence& when, uint32_t code,
                                  uint32_t occurrence) {
    return when.command == code && when.occurrence == occurrence;
}

SimulatedInstrument::Answer SimulatedInstrument::receive(const uint8_t* frame, uint32_t length) {
    uint32_t code = 0;
    if (frame && length >= 4)
        code = uint32_t(frame[0]) | uint32_t(frame[1]) << 8 | uint32_t(frame[2]) << 16 |
               uint32_t(frame[3]) << 24;
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (!m_attached) {
        answer.status = kStatusNoDevice;
        return answer;
    }
    const uint32_t occurrence = ++m_counts[code];
    if (m_scenario.unplugBefore && matches(*m_scenario.unplugBefore, code, occurrence)) {
        m_attached = false;
        answer.unplugged = true;
        answer.status = kStatusNoDevice;
        return answer;
    }
    m_frames.emplace_back(reinterpret_cast<const char*>(frame), frame ? qsizetype(length) : 0);
    for (const FailRule& rule : m_scenario.fail)
        if (matches(rule.when, code, occurrence)) {
            answer.status = rule.status;
            return answer;
        }
    answer.reply = replyTo(code);
    answer.hasReply = code != CMD_BEGIN_READ && !answer.reply.isNull();
    const auto& cut = m_scenario.shortReply;
    if (cut && matches(cut->when, code, occurrence) && cut->bytes < answer.reply.size())
        answer.reply.truncate(cut->bytes);
    answer.delayMs = m_scenario.replyDelayMs;
    return answer;
}

QByteArray SimulatedInstrument::replyTo(uint32_t code) {
    switch (code) {
    case CMD_GET_INFO: {
        TDeviceInfo info;
        info.ModelSize = m_scenario.modelSize;
        info.DataVersion = m_scenario.dataVersion;
        info.RecordCount = m_scenario.recordCount;
        QByteArray reply(kDeviceInfoSize, '\0');
        encodeDeviceInfo(info, reinterpret_cast<uint8_t*>(reply.data()));
        return reply;
    }
    case CMD_GET_MODEL:
        return m_scenario.modelReply.isNull() ? QByteArray("") : m_scenario.modelReply;
    case CMD_BEGIN_READ:
        m_readPosition = 0;
        return {};
    case CMD_READ_RECORD: {
        const size_t i = m_readPosition++;
        return i < m_scenario.records.size() ? m_scenario.records[i]
                                             : QByteArray(kMsrRecordSize, '\0');
    }
    case CMD_GET_SCREEN:
        return m_scenario.screen;
    default:
        return {};
    }
}

bool SimulatedInstrument::attached() const {
    std::lock_guard lock(m_mutex);
    return m_attached;
}

void SimulatedInstrument::setAttached(bool attached) {
    std::lock_guard lock(m_mutex);
    m_attached = attached;
}

std::vector<QByteArray> SimulatedInstrument::frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

std::vector<uint32_t> SimulatedInstrument::commands() const {
    std::lock_guard lock(m_mutex);
    std::vector<uint32_t> codes;
    for (const QByteArray& f : m_frames) {
        uint32_t code = 0;
        for (int i = 0; i < 4 && i < f.size(); ++i)
            code |= uint32_t(uint8_t(f[i])) << (8 * i);
        codes.push_back(code);
    }
    return codes;
}

} // namespace device
