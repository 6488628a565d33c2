#pragma once
// Starting and ending the helper process trawlix-smbread (its two services:
// SmbReadHelper.h, SmbListHelper.h): the socket and memory it is handed,
// nothing else of the program's, and its end by PID.
#include <QString>
#include <cstddef>
#include <sys/types.h>

namespace SmbHelperSpawn {

// The helper beside the program, or in ../libexec/trawlix/ from it; empty
// when neither is there.
QString Path();

// `fd` (close-on-exec) moved above the numbers the helper's descriptors get.
int Above(int fd);

// Starts the helper with `socket` as its fd 3 and `memory` (unless -1) as
// its fd 4, its standard streams on /dev/null; the PID, or -1.
pid_t Start(const QString& path, int socket, int memory);

// Sends all of `data`; false when the helper is gone.
bool SendAll(int fd, const char* data, size_t size);

}  // namespace SmbHelperSpawn
