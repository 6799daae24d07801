#pragma once
#include "UsbEmulator.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A hand-made instrument for the USB tests: records every frame and answers as told.
class TestInstrument : public zorinstrument::FrameResponder {
public:
    using Rule = std::function<zorinstrument::FrameAnswer(const std::vector<uint8_t>&)>;

    // By default every frame is accepted and answered with its own bytes reversed.
    explicit TestInstrument(Rule rule = {}) : m_rule(std::move(rule)) {}

    zorinstrument::FrameAnswer onFrame(const std::vector<uint8_t>& frame) override {
        {
            std::lock_guard lock(m_mutex);
            m_frames.push_back(frame);
        }
        if (m_rule)
            return m_rule(frame);
        zorinstrument::FrameAnswer answer;
        answer.reply.emplace(frame.rbegin(), frame.rend());
        return answer;
    }

    std::vector<std::vector<uint8_t>> frames() const {
        std::lock_guard lock(m_mutex);
        return m_frames;
    }

private:
    Rule m_rule;
    mutable std::mutex m_mutex;
    std::vector<std::vector<uint8_t>> m_frames;
};

// Waits until `done` holds or `limit` passes; says whether it held.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
