#include "platform/smb/SmbReadHelper.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/HelperProgram.h"
#include "platform/core/Log.h"
#include "platform/smb/SmbCredentials.h"
#include "platform/smb/SmbLibrary.h"
#include "platform/smb/SmbReadWire.h"

extern char** environ;

namespace {

using namespace SmbReadWire;

// A read of this long without an answer means the helper hangs: the
// library it uses gives up on a silent server long before.
constexpr auto Hung = std::chrono::seconds(30);

// `fd` moved above the numbers the helper's descriptors get.
int Above(int fd) {
  if (fd < 0 || fd > MemoryFd) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, MemoryFd + 1);
  close(fd);
  return moved;
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

}  // namespace

QString TSmbReadHelper::Path() { return HelperProgram::Path(QStringLiteral("trawlix-smbread")); }

TSmbReadHelper::TSmbReadHelper(const QByteArray& url, const TSmbCredential& c, qint64 size, qint64 writeTimeNs,
                               int memory)
    : FSize(size), FTime(writeTimeNs), FMemorySize(memory) {
  const QString path = Path();
  if (path.isEmpty() || memory <= 0) return;
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
  FSocket = Above(pair[0]);
  int theirs = Above(pair[1]);
  FMemoryFd = Above(memfd_create("trawlix-smbread", MFD_CLOEXEC));
  if (FSocket < 0 || theirs < 0 || FMemoryFd < 0 || ftruncate(FMemoryFd, memory) != 0) {
    if (theirs >= 0) close(theirs);
    Fail();
    return;
  }
  void* map = mmap(nullptr, size_t(memory), PROT_READ, MAP_SHARED, FMemoryFd, 0);
  if (map == MAP_FAILED) {
    close(theirs);
    Fail();
    return;
  }
  FMemory = static_cast<const char*>(map);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd = 0; fd < 3; ++fd) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, theirs, SocketFd);
  posix_spawn_file_actions_adddup2(&actions, FMemoryFd, MemoryFd);
  // Nothing else of the program's reaches the helper.
  posix_spawn_file_actions_addclosefrom_np(&actions, MemoryFd + 1);
  const QByteArray program = QFile::encodeName(path);
  char* argv[] = {const_cast<char*>(program.constData()), nullptr};
  const int rc = posix_spawn(&FPid, program.constData(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(theirs);
  if (rc != 0) {
    qCDebug(LogSmb) << "read helper" << path << "not started:" << std::strerror(rc);
    FPid = -1;
    Fail();
    return;
  }
  const QByteArray user = c.User.toUtf8(), domain = c.Domain.toUtf8(), password = c.Password.toUtf8();
  const TSetup setup{Magic, quint32(memory), quint32(url.size()), quint32(user.size()), quint32(domain.size()),
                     quint32(password.size())};
  QByteArray message(reinterpret_cast<const char*>(&setup), sizeof setup);
  message += url + user + domain + password;
  const bool sent = SendAll(FSocket, message.constData(), size_t(message.size()));
  message.fill('\0');  // the password lives no longer than needed
  if (!sent) {
    Fail();
    return;
  }
  FState = Starting;
  qCDebug(LogSmb) << "read helper" << FPid << "started";
}

TSmbReadHelper::~TSmbReadHelper() { Fail(); }

void TSmbReadHelper::Fail() {
  FState = Failed;
  if (FPid > 0) {
    kill(FPid, SIGKILL);
    while (waitpid(FPid, nullptr, 0) < 0 && errno == EINTR) {
    }
    FPid = -1;
  }
  if (FSocket >= 0) close(FSocket);
  FSocket = -1;
  if (FMemory) munmap(const_cast<char*>(FMemory), size_t(FMemorySize));
  FMemory = nullptr;
  if (FMemoryFd >= 0) close(FMemoryFd);
  FMemoryFd = -1;
}

bool TSmbReadHelper::Answer(void* answer, bool wait) {
  if (FSocket < 0) return false;
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    pollfd p{FSocket, POLLIN, 0};
    const int r = poll(&p, 1, wait ? 50 : 0);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return false;
    if (r > 0) break;
    if (!wait || TSmbLibrary::Stopped() || std::chrono::steady_clock::now() - start > Hung) return false;
  }
  // The helper sends each answer whole, in one piece far below what a
  // socket delivers at once.
  ssize_t n;
  while ((n = recv(FSocket, answer, sizeof(TAnswer), MSG_WAITALL)) < 0 && errno == EINTR) {
  }
  return n == ssize_t(sizeof(TAnswer));
}

TSmbChunkReader::TState TSmbReadHelper::State() {
  if (FState != Starting) return FState;
  TAnswer a{};
  pollfd p{FSocket, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return FState;
  if (!Answer(&a, false) || a.Error != 0 || a.Size != FSize || a.TimeNs != FTime) {
    qCDebug(LogSmb) << "read helper not used: error" << a.Error;
    Fail();
  } else {
    FState = Ready;
    qCDebug(LogSmb) << "read helper" << FPid << "ready";
  }
  return FState;
}

bool TSmbReadHelper::Start(qint64 offset, int count) {
  if (FState != Ready || FReading >= 0 || count <= 0 || count > FMemorySize) return false;
  const TRead read{offset, count, 0};
  if (!SendAll(FSocket, reinterpret_cast<const char*>(&read), sizeof read)) {
    Fail();
    return false;
  }
  FReading = offset;
  return true;
}

int TSmbReadHelper::Finish(const char*& data) {
  const qint64 offset = FReading;
  FReading = -1;
  TAnswer a;
  if (FState != Ready || offset < 0 || !Answer(&a, true) || a.Size != offset || a.Error != 0 || a.Bytes < 0 ||
      a.Bytes > FMemorySize) {
    if (FState == Ready) qCDebug(LogSmb) << "read helper failed at" << offset;
    Fail();
    return -1;
  }
  data = FMemory;
  return a.Bytes;
}
