#include "platform/FileSystem.h"

#include <QDir>

#include "platform/FindFile.h"
#include "platform/FsBackend.h"
#include "platform/WinError.h"
#include "platform/WinPath.h"

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
