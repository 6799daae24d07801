#pragma once
#include "UsbEmulator.h"

#include "device/SimulatedInstrument.h"

namespace zorinstrument {

// Serves the emulated USB device from a scenario's simulated instrument. A transfer status
// the scenario injects becomes the URB failure libusb turns back into that status: timeout
// (0x40000007) by never completing, no device (0x40000004), pipe (0x40000009), overflow
// (0x40000008); any other status can only surface as an I/O error (0x40000001).
class ScenarioResponder : public FrameResponder {
public:
    explicit ScenarioResponder(std::shared_ptr<device::SimulatedInstrument> instrument)
        : m_instrument(std::move(instrument)) {}

    FrameAnswer onFrame(const std::vector<uint8_t>& frame) override;

    // The FrameAnswer for one answer of the simulated instrument.
    static FrameAnswer translate(const device::SimulatedInstrument::Answer& answer);

private:
    std::shared_ptr<device::SimulatedInstrument> m_instrument;
};

} // namespace zorinstrument
