#include "platform/core/Log.h"

Q_LOGGING_CATEGORY(LogDiscovery, "trawlix.discovery", QtWarningMsg)
Q_LOGGING_CATEGORY(LogSmb, "trawlix.smb", QtWarningMsg)
Q_LOGGING_CATEGORY(LogCredentials, "trawlix.credentials", QtWarningMsg)
