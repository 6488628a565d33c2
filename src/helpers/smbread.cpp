// The helper of src/platform/smb/SmbReadHelper.h and SmbListHelper.h: a
// second connection, in a process of its own because the Samba client
// library must not be used by two threads of one process.
//
// trawlix-smbread, with the program's socket as fd 3, serves one of:
// - one large file's reads, with shared memory as fd 4: reads the logon
//   and the file from the socket (never from argv or the environment),
//   opens the file, answers its size and time, then reads what it is
//   asked into the memory's start, one read at a time;
// - folder listings: lists each folder it is asked with the logon that
//   comes with it, and answers the entries.
// Either until the socket closes. Every failure is answered; the program
// decides.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

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

bool SendAll(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = send(SocketFd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= size_t(n);
  }
  return true;
}

// The logon of the calls that follow.
void UseLogon(SMBCCTX* ctx) {
  const char* defaultGroup = smbc_getWorkgroup(ctx);
  static const std::string fallback = defaultGroup && *defaultGroup ? defaultGroup : "WORKGROUP";
  SmbContext::UseUser(ctx, User.c_str(), (!Domain.empty() ? Domain : fallback).c_str());
}

// Lists folders until the socket closes, `first` being the first request
// (its magic read already).
int ServeListings(TList first) {
  SMBCCTX* ctx = SmbContext::New(Logon);
  std::string url, answer;
  std::vector<SmbContext::TEntry> entries;
  for (TList request = first;;) {
    if (!Text(request.UrlLength, url) || !Text(request.UserLength, User) || !Text(request.DomainLength, Domain) ||
        !Text(request.PasswordLength, Password))
      return 1;
    int err = ctx ? 0 : EIO;
    if (ctx) {
      UseLogon(ctx);
      err = SmbContext::List(ctx, url.c_str(), entries);
      // As the program does: a ticket cache the library cannot use is left out.
      if (err == EINVAL && User.empty()) {
        smbc_setOptionUseCCache(ctx, 0);
        err = SmbContext::List(ctx, url.c_str(), entries);
        smbc_setOptionUseCCache(ctx, 1);
      }
    }
    answer.clear();
    if (err == 0) {
      for (const SmbContext::TEntry& e : entries) {
        const TListedEntry head{e.Size, e.TimeNs, e.Device, e.FileIndex, e.Attrs, std::uint32_t(e.Name.size()),
                                std::uint32_t(e.ShortName.size()), 0};
        answer.append(reinterpret_cast<const char*>(&head), sizeof head);
        answer += e.Name;
        answer += e.ShortName;
      }
    }
    const TListed listed{err, err ? 0 : std::uint32_t(entries.size()), answer.size()};
    if (!SendAll(&listed, sizeof listed) || !SendAll(answer.data(), answer.size())) return 1;
    if (!ReadAll(&request, sizeof request) || request.Magic != ListMagic) return 0;
  }
}

}  // namespace

int main() {
  // Never outlive the program that asked.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The first record's magic says which service is asked.
  std::uint32_t magic = 0;
  if (!ReadAll(&magic, sizeof magic)) return 1;
  if (magic == ListMagic) {
    // Told apart from a file's reader in the process list.
    prctl(PR_SET_NAME, "trawlix-smblist");
    TList first{magic, 0, 0, 0, 0};
    if (!ReadAll(reinterpret_cast<char*>(&first) + sizeof magic, sizeof first - sizeof magic)) return 1;
    const int rc = ServeListings(first);
    _exit(rc);
  }
  TSetup setup;
  setup.Magic = magic;
  std::string url;
  if (magic != Magic || !ReadAll(reinterpret_cast<char*>(&setup) + sizeof magic, sizeof setup - sizeof magic) ||
      !Text(setup.UrlLength, url) || !Text(setup.UserLength, User) || !Text(setup.DomainLength, Domain) ||
      !Text(setup.PasswordLength, Password))
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
  UseLogon(ctx);

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
