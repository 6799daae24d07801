#include "ReportLog.h"

Q_LOGGING_CATEGORY(lcReport, "zor.report", QtWarningMsg)
