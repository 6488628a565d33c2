#include "platform/fs/PosixFs.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "platform/core/DosTime.h"
#include "platform/core/WinError.h"

namespace PosixFs {

int WinError(int err) {
  switch (err) {
    case 0: return NO_ERROR;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EIO: return ERROR_READ_FAULT;
    default: return ERROR_GEN_FAILURE;
  }
}

namespace {

// This user's identity for the read-only test, read once.
struct Identity {
  uid_t uid;
  std::vector<gid_t> gids;
  Identity() : uid(geteuid()) {
    gids.push_back(getegid());
    const int n = getgroups(0, nullptr);
    if (n > 0) {
      std::vector<gid_t> more(static_cast<size_t>(n));
      if (getgroups(n, more.data()) == n) gids.insert(gids.end(), more.begin(), more.end());
    }
  }
  bool InGroup(gid_t g) const {
    for (gid_t x : gids)
      if (x == g) return true;
    return false;
  }
};

const Identity& Me() {
  static const Identity id;
  return id;
}

bool Writable(const struct stat& st) {
  const Identity& me = Me();
  if (st.st_uid == me.uid) return (st.st_mode & S_IWUSR) != 0;
  if (me.InGroup(st.st_gid)) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

// A file time as nanoseconds since 1970, held within 1677-2262: the seconds
// are clamped (never wrapped) to what 64 bits of nanoseconds carry, with a
// second to spare so that rounding a value to whole seconds cannot overflow.
constexpr qint64 kNanosPerSec = 1000000000;
constexpr qint64 kMaxSecs = 9223372035;
qint64 Nanos(const struct timespec& ts) {
  return std::clamp<qint64>(ts.tv_sec, -kMaxSecs, kMaxSecs) * kNanosPerSec + ts.tv_nsec;
}

// The last conversion to a DOS date-time, kept by one listing: the entries of
// a folder mostly share their second, and the local-time conversion is the
// dearest part of a record.
struct TDosMemo {
  qint64 Secs = 0;
  quint32 Dos = 0;
  bool Valid = false;
  quint32 Of(qint64 secs) {
    if (!Valid || secs != Secs) {
      Secs = secs;
      Dos = DosTime::FromUnixTime(secs);
      Valid = true;
    }
    return Dos;
  }
};

// False for entries that are neither files nor folders.
bool FillRecord(const QString& name, const struct stat& st, TSearchRec& rec, TDosMemo* memo = nullptr) {
  const bool dir = S_ISDIR(st.st_mode);
  if (!dir && !S_ISREG(st.st_mode)) return false;
  rec.Name = name;
  rec.Size = dir ? 0 : qint64(st.st_size);
  int attr = dir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (name.startsWith(u'.') && name != QLatin1String(".") && name != QLatin1String("..")) attr |= FILE_ATTRIBUTE_HIDDEN;
  if (!Writable(st)) attr |= FILE_ATTRIBUTE_READONLY;
  rec.Attr = attr;
  rec.WriteTimeNs = Nanos(st.st_mtim);
  // One more than the device number: a known identity is never all zero.
  rec.Id.Volume = quint64(st.st_dev) + 1;
  rec.Id.Index = quint64(st.st_ino);
  rec.Time = memo ? memo->Of(st.st_mtim.tv_sec) : DosTime::FromUnixTime(st.st_mtim.tv_sec);
  return true;
}

QString LastName(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/', path.endsWith(u'/') ? path.size() - 2 : -1);
  QString n = path.mid(slash + 1);
  if (n.endsWith(u'/')) n.chop(1);
  return n;
}

bool Exists(const QByteArray& path) {
  struct stat st;
  return ::stat(path.constData(), &st) == 0;
}

class TPosixFile : public TFileObject {
 public:
  TPosixFile(int fd, std::optional<qint64> writeTime) : FFd(fd), FWriteTime(writeTime) {}
  ~TPosixFile() override { ::close(FFd); }

  // Repeats a read or write until `count` bytes have moved, the file ends,
  // or it fails; -1 only when nothing moved.
  template <class Io, class Byte>
  int Whole(Io io, Byte* p, int count) {
    if (count < 0) return -1;
    int done = 0;
    while (done < count) {
      const ssize_t n = io(FFd, p + done, size_t(count - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return done > 0 ? done : -1;
      }
      if (n == 0) break;
      done += int(n);
    }
    return done;
  }

  // Both fill the whole request unless the file ends (or the disk is full),
  // so a short count means the end, as with Windows files.
  int Read(void* buffer, int count) override { return Whole(::read, static_cast<char*>(buffer), count); }

  int Write(const void* buffer, int count) override {
    return Whole(::write, static_cast<const char*>(buffer), count);
  }

  qint64 Seek(qint64 offset, int origin) override {
    static const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (origin < 0 || origin > 2) return -1;
    const off_t r = ::lseek(FFd, off_t(offset), whence[origin]);
    return r < 0 ? -1 : qint64(r);
  }

  qint64 Size() override {
    struct stat st;
    return ::fstat(FFd, &st) == 0 ? qint64(st.st_size) : -1;
  }

  bool GetWriteTime(qint64& ns) override {
    if (FWriteTime) {
      ns = *FWriteTime;
      return true;
    }
    struct stat st;
    if (::fstat(FFd, &st) != 0) return false;
    ns = Nanos(st.st_mtim);
    return true;
  }

  qint64 CopyTo(TFileObject& destination, qint64 maxBytes, int& error) override {
    auto* to = dynamic_cast<TPosixFile*>(&destination);
    if (!to || FNoKernelCopy || to->FNoKernelCopy || maxBytes <= 0) return TFileObject::CopyTo(destination, maxBytes, error);
    error = NO_ERROR;
    qint64 done = 0;
    while (done < maxBytes) {
      const ssize_t n = ::copy_file_range(FFd, nullptr, to->FFd, nullptr, size_t(maxBytes - done), 0);
      if (n > 0) {
        done += n;
        FKernelCopyWorks = true;
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        error = errno == EFBIG ? ERROR_WRITE_FAULT : ERROR_DISK_FULL;
        return done;
      }
      if (n == 0 && FKernelCopyWorks) return done;  // the end of the source
      // Not proven for this pair yet: some file systems refuse the call
      // (other file system, not supported) and some report the end of a
      // file whose size they do not know (/proc). A buffer decides.
      if (n < 0) FNoKernelCopy = true;
      int e = NO_ERROR;
      const qint64 more = TFileObject::CopyTo(destination, maxBytes - done, e);
      if (n == 0 && more > 0) FNoKernelCopy = true;
      error = e;
      return done + more;
    }
    return done;
  }

  bool SetWriteTime(qint64 ns) override {
    struct timespec ts[2];
    ts[0].tv_sec = 0;
    ts[0].tv_nsec = UTIME_OMIT;
    // Rounded down to whole seconds without leaving 64 bits.
    qint64 secs = ns / kNanosPerSec, rest = ns % kNanosPerSec;
    if (rest < 0) {
      --secs;
      rest += kNanosPerSec;
    }
    ts[1].tv_sec = time_t(secs);
    ts[1].tv_nsec = long(rest);
    if (::futimens(FFd, ts) != 0) return false;
    FWriteTime.reset();
    return true;
  }

 private:
  int FFd;
  std::optional<qint64> FWriteTime;
  bool FKernelCopyWorks = false;  // copy_file_range has moved bytes from this file
  bool FNoKernelCopy = false;     // it cannot serve this file: buffers only
};

int OpenFlags(TOpenMode mode) {
  const int base = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (mode) {
    case TOpenMode::Read: return base | O_RDONLY;
    case TOpenMode::Write: return base | O_WRONLY;
    case TOpenMode::ReadWrite: return base | O_RDWR;
    case TOpenMode::Create: return base | O_RDWR | O_CREAT;
    case TOpenMode::CreateNew: return base | O_RDWR | O_CREAT | O_EXCL;
  }
  return base | O_RDONLY;
}

int OpenRetrying(const char* path, int flags) {
  int fd;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The file part of an open once the descriptor is there.
int Adopt(int fd, bool truncate, std::unique_ptr<TFileObject>& out, std::optional<qint64> writeTime) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ERROR_ACCESS_DENIED;
  }
  // Emptied only now that it is known to be a plain file.
  if (truncate && ::ftruncate(fd, 0) != 0) {
    const int e = errno;
    ::close(fd);
    return WinError(e);
  }
  // Opened without blocking (a pipe would wait for a writer); a plain file
  // needs none of the status flags.
  ::fcntl(fd, F_SETFL, 0);
  out = std::make_unique<TPosixFile>(fd, writeTime);
  return NO_ERROR;
}

bool IsAscii(const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  return true;
}

bool SameAsciiIgnoringCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Resolve below the longest prefix of `parts` that exists as given, when the
// whole path is known not to.
QStringList ResolveMissing(const QString& base, const QStringList& parts, bool* found) {
  if (found) *found = false;
  if (parts.isEmpty()) return parts;
  qsizetype exact = parts.size() - 1;  // parts[0, exact) exist as given
  while (exact > 0 && !Exists(QFile::encodeName(Join(base, parts.mid(0, exact))))) --exact;
  QStringList out = parts.mid(0, exact);
  QString cur = Join(base, out);
  for (qsizetype i = exact; i < parts.size(); ++i) {
    // Below the exact prefix each name is tried as given first; at the
    // prefix's end it is known to be missing.
    QString name;
    if (i > exact && Exists(QFile::encodeName(Join(cur, {parts[i]}))))
      name = parts[i];
    else
      name = FindNameIgnoringCase(cur, parts[i]);
    if (name.isEmpty()) {
      out.append(parts.mid(i));
      return out;
    }
    out.append(name);
    cur = Join(cur, {name});
  }
  if (found) *found = true;
  return out;
}

}  // namespace

int ListDir(const QString& dir, const TWildMask& mask, const TAdjust& adjust, TSearchRec& self,
            QList<TSearchRec>& out) {
  out.clear();
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : WinError(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !FillRecord(LastName(dir), st, self)) {
    ::close(fd);
    return ERROR_PATH_NOT_FOUND;
  }
  if (adjust) adjust(self);
  DIR* d = ::fdopendir(fd);
  if (!d) {
    const int e = errno;
    ::close(fd);
    return WinError(e);
  }
  TSearchRec rec;
  TDosMemo memo;
  for (;;) {
    errno = 0;
    const struct dirent* e = ::readdir(d);
    if (!e) break;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    const QString name = QFile::decodeName(n);
    if (!mask.Matches(name)) continue;
    if (::fstatat(fd, n, &st, 0) != 0) continue;  // vanished or a dangling link
    if (!FillRecord(name, st, rec, &memo)) continue;
    if (adjust) adjust(rec);
    out.append(std::move(rec));
  }
  ::closedir(d);
  return NO_ERROR;
}

int StatEntry(const QString& path, TSearchRec& out) {
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return WinError(errno);
  return FillRecord(LastName(path), st, out) ? NO_ERROR : ERROR_ACCESS_DENIED;
}

int Open(const QString& path, TOpenMode mode, std::unique_ptr<TFileObject>& out,
         std::optional<qint64> writeTime) {
  out.reset();
  const QByteArray p = QFile::encodeName(path);
  if (mode == TOpenMode::CreateNew) {
    const int fd = OpenRetrying(p.constData(), OpenFlags(mode));
    if (fd < 0) return errno == EEXIST ? ERROR_FILE_EXISTS : WinError(errno);
    return Adopt(fd, false, out, writeTime);
  }
  if (mode == TOpenMode::Create) {
    // A new file needs no emptying; an existing one is emptied below.
    const int fd = OpenRetrying(p.constData(), OpenFlags(mode) | O_EXCL);
    if (fd >= 0) return Adopt(fd, false, out, writeTime);
    if (errno != EEXIST) return WinError(errno);
  }
  const int fd = OpenRetrying(p.constData(), OpenFlags(mode));
  if (fd < 0) return WinError(errno);
  return Adopt(fd, mode == TOpenMode::Create, out, writeTime);
}

int OpenBelow(const QString& base, const QStringList& parts, TOpenMode mode, std::unique_ptr<TFileObject>& out,
              std::optional<qint64> writeTime) {
  out.reset();
  if (mode == TOpenMode::Create) return Open(Join(base, Resolve(base, parts)), mode, out, writeTime);
  if (mode == TOpenMode::CreateNew) return Open(Join(base, parts), mode, out, writeTime);
  // Opening does not create here, so the path as given is simply tried first.
  const int e = Open(Join(base, parts), mode, out, writeTime);
  if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND) return e;
  const QStringList stored = ResolveMissing(base, parts, nullptr);
  return stored == parts ? e : Open(Join(base, stored), mode, out, writeTime);
}

int StatBelow(const QString& base, const QStringList& parts, TSearchRec& out, QStringList* stored) {
  const QString exact = Join(base, parts);
  struct stat st;
  QString path = exact;
  if (::stat(QFile::encodeName(exact).constData(), &st) == 0) {
    if (stored) *stored = parts;
  } else {
    const int e = errno;
    if (e != ENOENT && e != ENOTDIR) return WinError(e);
    const QStringList names = ResolveMissing(base, parts, nullptr);
    if (stored) *stored = names;
    if (names == parts) return WinError(e);
    path = Join(base, names);
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return WinError(errno);
  }
  return FillRecord(LastName(path), st, out) ? NO_ERROR : ERROR_ACCESS_DENIED;
}

int MakeDir(const QString& path) {
  if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) return NO_ERROR;
  return errno == ENOENT ? ERROR_PATH_NOT_FOUND : WinError(errno);
}

int RemoveDir(const QString& path) {
  if (::rmdir(QFile::encodeName(path).constData()) == 0) return NO_ERROR;
  if (errno == ENOTDIR) return ERROR_DIRECTORY;
  return WinError(errno);
}

int Unlink(const QString& path) {
  const QByteArray p = QFile::encodeName(path);
  struct stat st;
  if (::lstat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
  return ::unlink(p.constData()) == 0 ? NO_ERROR : WinError(errno);
}

qint64 FreeSpace(const QString& path) {
  QString p = path.isEmpty() ? QStringLiteral("/") : path;
  for (;;) {
    struct statvfs vfs;
    if (::statvfs(QFile::encodeName(p).constData(), &vfs) == 0) return qint64(vfs.f_bavail) * qint64(vfs.f_frsize);
    if (errno != ENOENT && errno != ENOTDIR) return -1;
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash <= 0) {
      if (p == QLatin1String("/")) return -1;
      p = QStringLiteral("/");
    } else {
      p = p.left(slash);
    }
  }
}

int FolderNames(const QString& dir, QStringList& out) {
  out.clear();
  const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : WinError(errno);
  DIR* d = ::fdopendir(fd);
  if (!d) {
    const int e = errno;
    ::close(fd);
    return WinError(e);
  }
  while (const struct dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    struct stat st;
    if (::fstatat(fd, n, &st, 0) == 0 && S_ISDIR(st.st_mode)) out.append(QFile::decodeName(n));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(),
            [](const QString& a, const QString& b) { return WildMatch::CompareNames(a, b) < 0; });
  return NO_ERROR;
}

QString Join(const QString& base, const QStringList& parts) {
  QString s = base;
  for (const QString& p : parts) {
    if (!s.endsWith(u'/')) s += u'/';
    s += p;
  }
  return s;
}

QStringList Resolve(const QString& base, const QStringList& parts, bool* found) {
  if (parts.isEmpty()) {
    if (found) *found = Exists(QFile::encodeName(base));
    return parts;
  }
  if (Exists(QFile::encodeName(Join(base, parts)))) {
    if (found) *found = true;
    return parts;
  }
  return ResolveMissing(base, parts, found);
}

QString FindNameIgnoringCase(const QString& dir, const QString& name) {
  const QByteArray wanted = QFile::encodeName(name);
  const bool wantedAscii = IsAscii(wanted.constData(), size_t(wanted.size()));
  DIR* d = ::opendir(QFile::encodeName(dir).constData());
  if (!d) return {};
  QString found;
  while (const struct dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    const size_t len = std::strlen(n);
    // Names of plain ASCII compare as bytes; any other name goes through
    // Unicode case folding (the Kelvin sign folds to "k").
    if (wantedAscii && IsAscii(n, len)) {
      if (len == size_t(wanted.size()) && SameAsciiIgnoringCase(n, wanted.constData(), len)) {
        found = QFile::decodeName(n);
        break;
      }
      continue;
    }
    const QString candidate = QFile::decodeName(n);
    if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
      found = candidate;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace PosixFs
