#pragma once
#include <QElapsedTimer>
#include <QLoggingCategory>

namespace platform {

// Times one operation for a diagnostics line, reading the clock only while the category's
// debug output is on.
class LogTimer {
public:
    explicit LogTimer(const QLoggingCategory& category) : m_on(category.isDebugEnabled()) {
        if (m_on)
            m_timer.start();
    }
    bool on() const { return m_on; }
    double ms() const { return m_on ? m_timer.nsecsElapsed() / 1e6 : 0.0; }

private:
    bool m_on;
    QElapsedTimer m_timer;
};

} // namespace platform
