#pragma once
// Where the program's helper processes (trawlix-nbbrowse, trawlix-smbread)
// are: beside the program in a build, in libexec/trawlix when installed.
#include <QString>
#include <sys/types.h>

namespace HelperProgram {

// The helper's absolute path, empty when it is not there or not executable.
QString Path(const QString& name);

// Ends a helper started by this process: killed and reaped at once, so it
// leaves no zombie; `pid` becomes -1 (nothing happens for one <= 0).
void Stop(pid_t& pid);

}  // namespace HelperProgram
