#include "ScenarioResponder.h"

#include "device/UsbBackend.h"

#include <cerrno>

namespace zorinstrument {

FrameAnswer ScenarioResponder::onFrame(const std::vector<uint8_t>& frame) {
    return translate(m_instrument->receive(frame.data(), static_cast<uint32_t>(frame.size())));
}

FrameAnswer ScenarioResponder::translate(const device::SimulatedInstrument::Answer& answer) {
    FrameAnswer out;
    if (answer.unplugged) {
        out.out = FrameAnswer::Out::Unplug;
        return out;
    }
    switch (answer.status) {
    case 0:
        break;
    case device::kStatusTimeout:
        out.out = FrameAnswer::Out::Hang;
        return out;
    case device::kStatusNoDevice:
        out.out = FrameAnswer::Out::Fail;
        out.failErrno = ENODEV;
        return out;
    case device::kStatusPipe:
        out.out = FrameAnswer::Out::Fail;
        out.failErrno = EPIPE;
        return out;
    case device::kStatusOverflow:
        out.out = FrameAnswer::Out::Fail;
        out.failErrno = EOVERFLOW;
        return out;
    default:
        out.out = FrameAnswer::Out::Fail;
        out.failErrno = EPROTO;
        return out;
    }
    if (answer.hasReply) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(answer.reply.constData());
        out.reply.emplace(bytes, bytes + answer.reply.size());
        out.delay = std::chrono::milliseconds(answer.delayMs);
    }
    return out;
}

} // namespace zorinstrument
