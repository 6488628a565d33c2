#include "platform/smb/SmbReadHelper.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/core/HelperProgram.h"
#include "platform/core/Log.h"
#include "platform/smb/SmbCredentials.h"
#include "platform/smb/SmbHelperSpawn.h"
#include "platform/smb/SmbLibrary.h"
#include "platform/smb/SmbReadWire.h"

namespace {

using namespace SmbReadWire;
using SmbHelperSpawn::Above;
using SmbHelperSpawn::SendAll;

// A read of this long without an answer means the helper hangs: the
// library it uses gives up on a silent server long before.
constexpr auto Hung = std::chrono::seconds(30);

}  // namespace

QString TSmbReadHelper::Path() { return SmbHelperSpawn::Path(); }

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

  FPid = SmbHelperSpawn::Start(path, theirs, FMemoryFd);
  close(theirs);
  if (FPid < 0) {
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
  HelperProgram::Stop(FPid);
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
