#include "StoreLog.h"

Q_LOGGING_CATEGORY(lcStore, "zor.store", QtWarningMsg)
