#include "platform/fs/FileSystem.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include "platform/core/WinError.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/FsBackend.h"
#include "platform/fs/LocalDrive.h"
#include "platform/fs/WinPath.h"

namespace FileSystem {

namespace {

// The entry a path names; false when there is none.
bool Lookup(const QString& path, TSearchRec& rec) {
  TFsPath p;
  if (FsPath::Parse(path, p) != NO_ERROR) return false;
  return FsBackend::For(p)->Stat(p, rec) == NO_ERROR;
}

// Runs one change on the back end serving the path.
template <typename Fn>
int Change(const QString& path, Fn fn) {
  TFsPath p;
  if (const int e = FsPath::Parse(path, p)) return e;
  if (p.IsDriveRoot()) return ERROR_ACCESS_DENIED;
  return fn(*FsBackend::For(p), p);
}

}  // namespace

QString GetCurrentDir() {
  QString p = WinPath::FromLocal(QDir::currentPath());
  return p == QLatin1String("C:\\") ? p : WinPath::ExcludeTrailingBackslash(p);
}

bool FileExists(const QString& path) {
  if (path.contains(u'*') || path.contains(u'?') || path.endsWith(u'\\') || path.endsWith(u'/')) return false;
  TSearchRec rec;
  return Lookup(path, rec) && !rec.IsDirectory();
}

bool DirectoryExists(const QString& path) {
  if (path.contains(u'*') || path.contains(u'?')) return false;
  TSearchRec rec;
  return Lookup(path, rec) && rec.IsDirectory();
}

int CreateDir(const QString& path) {
  return Change(path, [](TFsBackend& b, const TFsPath& p) { return b.CreateDir(p); });
}

int RemoveDir(const QString& path) {
  return Change(path, [](TFsBackend& b, const TFsPath& p) { return b.RemoveDir(p); });
}

int DeleteFile(const QString& path) {
  return Change(path, [](TFsBackend& b, const TFsPath& p) { return b.DeleteFile(p); });
}

int FileGetAttr(const QString& path) {
  TSearchRec rec;
  return Lookup(path, rec) ? rec.Attr : -1;
}

int FileSetAttr(const QString& path, int attr) {
  TFsPath p;
  if (const int e = FsPath::Parse(path, p)) return e;
  if (p.Unc) return ERROR_NOT_SUPPORTED;
  const QByteArray local = QFile::encodeName(TLocalDrive::LocalPath(p));
  struct stat st;
  if (::stat(local.constData(), &st) != 0) return ERROR_FILE_NOT_FOUND;
  const bool readOnly = (attr & FILE_ATTRIBUTE_READONLY) != 0;
  const mode_t mode = readOnly ? (st.st_mode & ~mode_t(S_IWUSR)) : (st.st_mode | S_IWUSR);
  if ((mode & 07777) != (st.st_mode & 07777) && ::chmod(local.constData(), mode & 07777) != 0)
    return ERROR_ACCESS_DENIED;
  const int kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const int now = FileGetAttr(path);
  return now >= 0 && (now & kept) == (attr & kept) ? NO_ERROR : ERROR_NOT_SUPPORTED;
}

bool IsSymbolicLink(const QString& path) {
  TFsPath p;
  if (FsPath::Parse(path, p) != NO_ERROR || p.Unc || p.IsDriveRoot()) return false;
  struct stat st;
  return ::lstat(QFile::encodeName(TLocalDrive::LocalPath(p)).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

qint64 FileAge(const QString& path) {
  TSearchRec rec;
  return Lookup(path, rec) && !rec.IsDirectory() ? qint64(rec.Time) : -1;
}

qint64 DiskFree(const QString& path) {
  TFsPath p;
  if (FsPath::Parse(path, p) != NO_ERROR) return -1;
  return FsBackend::For(p)->DiskFree(p);
}

qint64 DiskFree(int drive) {
  if (drive == 0) return DiskFree(GetCurrentDir());
  if (drive == 3) return DiskFree(QStringLiteral("C:\\"));
  return -1;
}

}  // namespace FileSystem
