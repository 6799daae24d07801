#pragma once
#include "platform/LogTimer.h"

#include <QLoggingCategory>

// Diagnostics of the report: runs, pages prepared, files written, printing, and their time.
// Off unless asked for: QT_LOGGING_RULES="zor.report.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcReport)

namespace report {

struct LogTimer : platform::LogTimer {
    LogTimer() : platform::LogTimer(lcReport()) {}
};

} // namespace report
