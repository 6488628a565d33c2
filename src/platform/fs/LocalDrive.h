#pragma once
// Drive C:, the root of this machine's file system (C:\home\me is
// /home/me). Names are matched without regard to letter case where the
// exact name does not exist, as on a Windows drive.
#include "platform/fs/FsBackend.h"

class TLocalDrive : public TFsBackend {
 public:
  int ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self, QList<TSearchRec>& out) override;
  int Stat(const TFsPath& path, TSearchRec& out) override;
  int Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) override;
  int CreateDir(const TFsPath& path) override;
  int RemoveDir(const TFsPath& path) override;
  int DeleteFile(const TFsPath& path) override;
  qint64 DiskFree(const TFsPath& path) override;

  // This machine's path for a drive path.
  static QString LocalPath(const TFsPath& path);
};
