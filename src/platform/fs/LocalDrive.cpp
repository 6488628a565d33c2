#include "platform/fs/LocalDrive.h"

#include "platform/fs/PosixFs.h"

QString TLocalDrive::LocalPath(const TFsPath& path) {
  return PosixFs::Join(QStringLiteral("/"), PosixFs::Resolve(QStringLiteral("/"), path.Parts));
}

int TLocalDrive::ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) {
  return PosixFs::ListDir(LocalPath(folder), mask, {}, self, out);
}

int TLocalDrive::Stat(const TFsPath& path, TSearchRec& out) {
  return PosixFs::StatBelow(QStringLiteral("/"), path.Parts, out);
}

int TLocalDrive::Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) {
  return PosixFs::OpenBelow(QStringLiteral("/"), path.Parts, mode, out);
}

int TLocalDrive::CreateDir(const TFsPath& path) { return PosixFs::MakeDir(LocalPath(path)); }

int TLocalDrive::RemoveDir(const TFsPath& path) { return PosixFs::RemoveDir(LocalPath(path)); }

int TLocalDrive::DeleteFile(const TFsPath& path) { return PosixFs::Unlink(LocalPath(path)); }

qint64 TLocalDrive::DiskFree(const TFsPath& path) { return PosixFs::FreeSpace(LocalPath(path)); }
