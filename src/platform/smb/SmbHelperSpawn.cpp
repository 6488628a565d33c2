#include "platform/smb/SmbHelperSpawn.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/core/HelperProgram.h"
#include "platform/core/Log.h"
#include "platform/smb/SmbReadWire.h"

extern char** environ;

namespace SmbHelperSpawn {

QString Path() { return HelperProgram::Path(QStringLiteral("trawlix-smbread")); }

int Above(int fd) {
  if (fd < 0 || fd > SmbReadWire::MemoryFd) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, SmbReadWire::MemoryFd + 1);
  close(fd);
  return moved;
}

pid_t Start(const QString& path, int socket, int memory) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd < 3; ++fd) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, socket, SmbReadWire::SocketFd);
  if (memory >= 0) posix_spawn_file_actions_adddup2(&actions, memory, SmbReadWire::MemoryFd);
  // Nothing else of the program's reaches the helper.
  const int last = memory >= 0 ? SmbReadWire::MemoryFd : SmbReadWire::SocketFd;
  posix_spawn_file_actions_addclosefrom_np(&actions, last + 1);
  const QByteArray program = QFile::encodeName(path);
  char* argv[] = {const_cast<char*>(program.constData()), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    qCDebug(LogSmb) << "helper" << path << "not started:" << std::strerror(rc);
    return -1;
  }
  return pid;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace SmbHelperSpawn
