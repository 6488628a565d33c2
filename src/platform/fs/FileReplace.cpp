#include "platform/fs/FileReplace.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileReplace {

namespace {

// The file a path names: the target of a symbolic link, followed.
QString Resolved(const QString& path) {
  const QFileInfo fi(path);
  if (!fi.isSymLink()) return fi.absoluteFilePath();
  const QString canonical = fi.canonicalFilePath();
  return canonical.isEmpty() ? fi.symLinkTarget() : canonical;  // a dangling link: where it points
}

bool WriteAll(int fd, const QByteArray& content) {
  const char* p = content.constData();
  qsizetype left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, size_t(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return ::fdatasync(fd) == 0;
}

class TFd {
 public:
  explicit TFd(int fd = -1) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int FFd;
};

bool FolderRefuses(int err) { return err == EACCES || err == EPERM || err == EROFS; }

// The new file gets the old one's owner and mode. The owner first: a change
// of owner clears the set-id bits. Keeping the owner is possible for root
// only (a save run as root in a user's folder must leave the user's file
// the user's); others keep at least the group where they may.
bool KeepOwnerAndMode(int fd, const struct stat* old) {
  if (!old) return true;
  if (::fchown(fd, old->st_uid, old->st_gid) != 0) (void)::fchown(fd, uid_t(-1), old->st_gid);
  return ::fchmod(fd, old->st_mode & 07777) == 0;
}

// The content under the temporary name, complete; false when that cannot be.
bool WriteNamedTemp(const QByteArray& tmp, const QByteArray& content, const struct stat* old, int& err) {
  ::unlink(tmp.constData());
  TFd fd(::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (fd.Get() < 0) {
    err = errno;
    return false;
  }
  const bool ok = WriteAll(fd.Get(), content) && KeepOwnerAndMode(fd.Get(), old);
  if (!fd.Close() || !ok) {
    err = errno;
    ::unlink(tmp.constData());
    return false;
  }
  return true;
}

// The content written first without a name, so that a kill during the
// write leaves nothing behind; then linked under the temporary name.
// False (err set) when this file system cannot do it.
bool WriteUnnamedTemp(const QByteArray& folder, const QByteArray& tmp, const QByteArray& content,
                      const struct stat* old, int& err) {
  TFd fd(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (fd.Get() < 0) {
    err = errno;
    return false;
  }
  if (!WriteAll(fd.Get(), content) || !KeepOwnerAndMode(fd.Get(), old)) {
    err = errno;
    return false;
  }
  ::unlink(tmp.constData());  // a leftover of an interrupted replacement
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd.Get());
  if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, tmp.constData(), AT_SYMLINK_FOLLOW) != 0) {
    err = errno;
    return false;
  }
  return true;
}

// Blocks for the whole new content, reserved before a byte of the old one
// is overwritten, so that a full disk refuses the write while the old
// content is still whole. Reserved beyond the end without growing the file
// where the file system can; else the file grows (by zeros after the old
// content) and the caller truncates it to the new size afterwards.
bool Reserve(int fd, off_t size) {
  if (size == 0) return true;
  if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return true;
  if (errno != EOPNOTSUPP && errno != ENOSYS) return false;
  return ::posix_fallocate(fd, 0, size) == 0;
}

// Written over the old content, never truncated first: the file keeps its
// owner, mode and links. False (the old content whole) when the space for
// the new content cannot be reserved.
bool WriteInPlace(const QByteArray& target, const QByteArray& content) {
  TFd fd(::open(target.constData(), O_WRONLY | O_CLOEXEC));
  struct stat before {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &before) != 0) return false;
  if (!Reserve(fd.Get(), off_t(content.size()))) {
    (void)::ftruncate(fd.Get(), before.st_size);  // a failed reservation may have grown the file
    return false;
  }
  const bool ok = WriteAll(fd.Get(), content) && ::ftruncate(fd.Get(), off_t(content.size())) == 0 &&
                  ::fdatasync(fd.Get()) == 0;
  return fd.Close() && ok;
}

}  // namespace

QString TempName(const QString& path) {
  const QFileInfo fi(path);
  return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".new");
}

bool Replace(const QString& path, const QByteArray& content) {
  const QString resolved = Resolved(path);
  const QByteArray target = QFile::encodeName(resolved);
  const QByteArray folder = QFile::encodeName(QFileInfo(resolved).absolutePath());
  const QByteArray tmp = QFile::encodeName(TempName(resolved));

  struct stat oldStat {};
  const bool hadOld = ::stat(target.constData(), &oldStat) == 0 && S_ISREG(oldStat.st_mode);
  const struct stat* old = hadOld ? &oldStat : nullptr;

  int err = 0;
  if (!WriteUnnamedTemp(folder, tmp, content, old, err)) {
    if (FolderRefuses(err) || !WriteNamedTemp(tmp, content, old, err)) {
      // A folder that takes no new file: the file itself, in place.
      return FolderRefuses(err) && hadOld && WriteInPlace(target, content);
    }
  }
  if (::rename(tmp.constData(), target.constData()) != 0) {
    ::unlink(tmp.constData());
    return false;
  }
  return true;
}

}  // namespace FileReplace
