// The read helper of src/platform/smb/SmbReadHelper.h: a second connection
// for one large file, in a process of its own because the Samba client
// library must not be used by two threads of one process.
//
// trawlix-smbread, with the program's socket as fd 3 and shared memory as
// fd 4: reads the logon and the file from the socket (never from argv or
// the environment), opens the file, answers its size and time, then reads
// what it is asked into the memory's start, one read at a time, until the
// socket closes. Every failure is answered; the program decides.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libsmbclient.h>

#include "platform/smb/SmbContext.h"
#include "platform/smb/SmbReadWire.h"

namespace {

using namespace SmbReadWire;

std::string User, Domain, Password;

void Logon(SMBCCTX*, const char*, const char*, char* wg, int wglen, char* un, int unlen, char* pw, int pwlen) {
  auto copy = [](const std::string& text, char* out, int size) {
    if (!out || size <= 0) return;
    const size_t n = std::min(text.size(), size_t(size - 1));
    std::memcpy(out, text.data(), n);
    out[n] = 0;
  };
  if (!Domain.empty()) copy(Domain, wg, wglen);
  copy(User, un, unlen);
  copy(Password, pw, pwlen);
}

bool ReadAll(void* to, size_t size) {
  char* p = static_cast<char*>(to);
  while (size > 0) {
    const ssize_t n = recv(SocketFd, p, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

bool Text(std::uint32_t length, std::string& out) {
  if (length > LongestText) return false;
  out.resize(length);
  return ReadAll(out.data(), length);
}

void Answer(std::int64_t size, std::int64_t time, int bytes, int error) {
  const TAnswer a{size, time, bytes, error};
  while (send(SocketFd, &a, sizeof a, MSG_NOSIGNAL) < 0 && errno == EINTR) {
  }
}

}  // namespace

int main() {
  // Never outlive the program that asked.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  TSetup setup;
  std::string url;
  if (!ReadAll(&setup, sizeof setup) || setup.Magic != Magic || !Text(setup.UrlLength, url) ||
      !Text(setup.UserLength, User) || !Text(setup.DomainLength, Domain) || !Text(setup.PasswordLength, Password))
    return 1;
  void* memory = mmap(nullptr, setup.Memory, PROT_READ | PROT_WRITE, MAP_SHARED, MemoryFd, 0);
  if (setup.Memory == 0 || memory == MAP_FAILED) {
    Answer(0, 0, 0, ENOMEM);
    return 1;
  }
  close(MemoryFd);

  SMBCCTX* ctx = SmbContext::New(Logon);
  if (!ctx) {
    Answer(0, 0, 0, errno ? errno : EIO);
    return 1;
  }
  const char* defaultGroup = smbc_getWorkgroup(ctx);
  const std::string group = !Domain.empty() ? Domain : defaultGroup && *defaultGroup ? defaultGroup : "WORKGROUP";
  SmbContext::UseUser(ctx, User.c_str(), group.c_str());

  auto openFile = [&] {
    errno = 0;
    SMBCFILE* f = smbc_getFunctionOpen(ctx)(ctx, url.c_str(), O_RDONLY, 0);
    return f;
  };
  SMBCFILE* file = openFile();
  // As the program does: a ticket cache the library cannot use is left out.
  if (!file && errno == EINVAL && User.empty()) {
    smbc_setOptionUseCCache(ctx, 0);
    file = openFile();
  }
  struct stat st;
  std::memset(&st, 0, sizeof st);
  if (!file || smbc_getFunctionFstat(ctx)(ctx, file, &st) != 0) {
    Answer(0, 0, 0, errno ? errno : EIO);
    return 1;
  }
  Answer(std::int64_t(st.st_size), SmbContext::TimeNs(st.st_mtim), 0, 0);

  std::int64_t at = 0;
  TRead read;
  while (ReadAll(&read, sizeof read)) {
    if (read.Offset < 0 || read.Count < 0 || std::uint32_t(read.Count) > setup.Memory) {
      Answer(read.Offset, 0, 0, EINVAL);
      continue;
    }
    if (at != read.Offset) {
      errno = 0;
      if (smbc_getFunctionLseek(ctx)(ctx, file, off_t(read.Offset), SEEK_SET) < 0) {
        at = -1;
        Answer(read.Offset, 0, 0, errno ? errno : EIO);
        continue;
      }
    }
    errno = 0;
    const ssize_t n = smbc_getFunctionRead(ctx)(ctx, file, memory, size_t(read.Count));
    at = n < 0 ? -1 : read.Offset + n;
    Answer(read.Offset, 0, n < 0 ? 0 : int(n), n < 0 ? (errno ? errno : EIO) : 0);
  }
  // The library's teardown has nothing to give back to a process that ends.
  _exit(0);
}
