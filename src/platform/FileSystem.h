#pragma once
// File system services over local drive paths (C:\...) and UNC paths
// (\\COMPUTER\SHARE\...), the latter through the current network back end.
// Sizes are 64-bit throughout.
#include <QString>

namespace FileSystem {

// The current directory as a drive path, without a trailing backslash
// except for the drive's root ("C:\").
QString GetCurrentDir();
// True when a file (not a folder) exists under the path.
bool FileExists(const QString& path);

}  // namespace FileSystem
