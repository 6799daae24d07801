#pragma once
#include "platform/LogTimer.h"

#include <QLoggingCategory>

// Diagnostics of the store: files attached, statements run and their time, commits and
// rollbacks. Off unless asked for: QT_LOGGING_RULES="zor.store.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)

namespace store {

struct LogTimer : platform::LogTimer {
    LogTimer() : platform::LogTimer(lcStore()) {}
};

} // namespace store
