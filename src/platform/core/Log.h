#pragma once
// The back end's debug output, every category off by default (warnings
// only). QT_LOGGING_RULES="trawlix.*.debug=true" writes to standard error
// what discovery heard and which step failed with which server, and why.
// Passwords and other secrets are never logged.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(LogDiscovery)    // trawlix.discovery: who answered, who was found
Q_DECLARE_LOGGING_CATEGORY(LogSmb)          // trawlix.smb: probes, sessions, listings, library calls
Q_DECLARE_LOGGING_CATEGORY(LogCredentials)  // trawlix.credentials: which source was tried, and its result
