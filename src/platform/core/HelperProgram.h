#pragma once
// Where the program's helper processes (trawlix-nbbrowse, trawlix-smbread)
// are: beside the program in a build, in libexec/trawlix when installed.
#include <QString>

namespace HelperProgram {

// The helper's absolute path, empty when it is not there or not executable.
QString Path(const QString& name);

}  // namespace HelperProgram
