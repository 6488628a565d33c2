#pragma once
// A Windows path taken apart for the file system calls: a drive path on C:
// or a UNC path, made absolute and normalised as Windows does before it
// opens anything: "/" counts as "\", doubled separators and "." components
// vanish, ".." goes up (never above the drive's root or the share), and
// trailing dots and blanks of a name are dropped, so "\\PC1\docs\README."
// names the file README.
#include <QString>
#include <QStringList>

struct TFsPath {
  bool Unc = false;
  QString Server;     // UNC only: the computer name, without backslashes
  QString Share;      // UNC only
  QStringList Parts;  // components below the drive's root or the share

  // The path rebuilt: "C:\a\b" or "\\PC1\docs\a".
  QString Text() const;
  // True for "C:\" (a drive root has no "." and ".." entries).
  bool IsDriveRoot() const { return !Unc && Parts.isEmpty(); }
  TFsPath Child(const QString& name) const;
};

namespace FsPath {

// 0 and `out`, or a Windows error: ERROR_FILENAME_EXCED_RANGE for more than
// MAX_PATH_LENGTH (4095) characters, ERROR_PATH_NOT_FOUND for a drive other than C:,
// ERROR_BAD_NETPATH for a UNC path without server or share.
int Parse(const QString& path, TFsPath& out);
// Drops trailing dots and blanks from a name as Windows does.
QString StripName(const QString& name);

}  // namespace FsPath
