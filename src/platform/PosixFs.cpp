#include "platform/PosixFs.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "platform/DosTime.h"
#include "platform/WinError.h"

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

qint64 Nanos(const struct timespec& ts) { return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec; }

// False for entries that are neither files nor folders.
bool FillRecord(const QString& name, const struct stat& st, TSearchRec& rec) {
  const bool dir = S_ISDIR(st.st_mode);
  if (!dir && !S_ISREG(st.st_mode)) return false;
  rec.Name = name;
  rec.Size = dir ? 0 : qint64(st.st_size);
  int attr = dir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (name.startsWith(u'.') && name != QLatin1String(".") && name != QLatin1String("..")) attr |= FILE_ATTRIBUTE_HIDDEN;
  if (!Writable(st)) attr |= FILE_ATTRIBUTE_READONLY;
  rec.Attr = attr;
  rec.WriteTimeNs = Nanos(st.st_mtim);
  rec.Time = DosTime::FromUnixTime(st.st_mtim.tv_sec);
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

  int Read(void* buffer, int count) override {
    if (count < 0) return -1;
    char* p = static_cast<char*>(buffer);
    int done = 0;
    // Fill the whole request unless the file ends, so a short read means
    // the end, as with Windows files.
    while (done < count) {
      const ssize_t n = ::read(FFd, p + done, size_t(count - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return done > 0 ? done : -1;
      }
      if (n == 0) break;
      done += int(n);
    }
    return done;
  }

  int Write(const void* buffer, int count) override {
    if (count < 0) return -1;
    const char* p = static_cast<const char*>(buffer);
    int done = 0;
    while (done < count) {
      const ssize_t n = ::write(FFd, p + done, size_t(count - done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return done > 0 ? done : -1;
      }
      if (n == 0) break;
      done += int(n);
    }
    return done;
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

  bool SetWriteTime(qint64 ns) override {
    struct timespec ts[2];
    ts[0].tv_sec = 0;
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1].tv_sec = time_t(ns >= 0 ? ns / 1000000000 : (ns - 999999999) / 1000000000);
    ts[1].tv_nsec = long(ns - qint64(ts[1].tv_sec) * 1000000000);
    if (::futimens(FFd, ts) != 0) return false;
    FWriteTime.reset();
    return true;
  }

 private:
  int FFd;
  std::optional<qint64> FWriteTime;
};

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
  for (;;) {
    errno = 0;
    const struct dirent* e = ::readdir(d);
    if (!e) break;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    const QString name = QFile::decodeName(n);
    if (!mask.Matches(name)) continue;
    if (::fstatat(fd, n, &st, 0) != 0) continue;  // vanished or a dangling link
    if (!FillRecord(name, st, rec)) continue;
    if (adjust) adjust(rec);
    out.append(rec);
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
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  switch (mode) {
    case TOpenMode::Read: flags |= O_RDONLY; break;
    case TOpenMode::Write: flags |= O_WRONLY; break;
    case TOpenMode::ReadWrite: flags |= O_RDWR; break;
    case TOpenMode::Create: flags |= O_RDWR | O_CREAT; break;
  }
  int fd;
  do {
    fd = ::open(QFile::encodeName(path).constData(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return WinError(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ERROR_ACCESS_DENIED;
  }
  // Emptied only now that it is known to be a plain file.
  if (mode == TOpenMode::Create && ::ftruncate(fd, 0) != 0) {
    const int e = errno;
    ::close(fd);
    return WinError(e);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  out = std::make_unique<TPosixFile>(fd, writeTime);
  return NO_ERROR;
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

QStringList Resolve(const QString& base, const QStringList& parts) {
  if (parts.isEmpty() || Exists(QFile::encodeName(Join(base, parts)))) return parts;
  QStringList out;
  QString cur = base;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const QString exact = Join(cur, {parts[i]});
    if (Exists(QFile::encodeName(exact))) {
      out.append(parts[i]);
      cur = exact;
      continue;
    }
    QString found;
    if (DIR* d = ::opendir(QFile::encodeName(cur).constData())) {
      while (const struct dirent* e = ::readdir(d)) {
        const QString n = QFile::decodeName(e->d_name);
        if (n.compare(parts[i], Qt::CaseInsensitive) == 0) {
          found = n;
          break;
        }
      }
      ::closedir(d);
    }
    if (found.isEmpty()) {
      out.append(parts.mid(i));
      return out;
    }
    out.append(found);
    cur = Join(cur, {found});
  }
  return out;
}

}  // namespace PosixFs
