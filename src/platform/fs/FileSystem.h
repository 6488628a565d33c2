#pragma once
// File system services over local drive paths (C:\...) and UNC paths
// (\\COMPUTER\SHARE\...), the latter through the current network back end.
// Sizes are 64-bit throughout. Listing folders: FindFile.h; reading and
// writing files: FileIo.h.
//
// Paths are Windows paths: "/" counts as "\", names ignore letter case
// where the exact name does not exist, trailing dots and blanks of a name
// are dropped ("README." is README), and a path of more than 4095
// characters fails. Nothing here throws; a failure is an answer (false,
// -1 or a Windows error code from WinError.h).
#include <QString>

namespace FileSystem {

// The current directory as a drive path, without a trailing backslash
// except for the drive's root ("C:\").
QString GetCurrentDir();
// True when a file (not a folder) exists under the path.
bool FileExists(const QString& path);
// True when a folder exists under the path (a final backslash is allowed).
bool DirectoryExists(const QString& path);
// Creates one folder level; 0 or a Windows error (ERROR_ALREADY_EXISTS,
// ERROR_PATH_NOT_FOUND when the parent is missing, ...).
int CreateDir(const QString& path);
// Removes an empty folder; 0 or a Windows error (ERROR_DIR_NOT_EMPTY, ...).
int RemoveDir(const QString& path);
// Deletes a file (never a folder); 0 or a Windows error.
int DeleteFile(const QString& path);
// The file's or folder's attribute bits (FileAttr.h), or -1.
int FileGetAttr(const QString& path);
// Sets the read-only, hidden and system bits of a file or folder to those
// of `attr` (FileAttr.h; the archive and other bits are left alone). 0, or
// a Windows error. On drive C: read-only is kept as the owner's write
// permission, and an entry is hidden exactly when its name begins with "."
// (the rule FileGetAttr reports), so hidden cannot be given to or taken
// from other names there, nor system to any: the bits that can be kept are
// set and ERROR_NOT_SUPPORTED tells that some could not. Network paths
// answer ERROR_NOT_SUPPORTED.
int FileSetAttr(const QString& path, int attr);
// True when the path names a symbolic link (a folder link included), which
// a removal of a folder tree deletes alone instead of entering it. Always
// false for network paths.
bool IsSymbolicLink(const QString& path);
// The last-write time of a file as local DOS date-time, or -1.
qint64 FileAge(const QString& path);
// Free bytes available to this user on the file system that holds the path
// (or, for a path that does not exist yet, its nearest existing folder); a
// UNC path is answered by the network back end. -1 when it cannot be asked.
qint64 DiskFree(const QString& path);
// The same for a drive number (0 the current drive, 1 A:, 3 C:). Drive C:
// spans every file system of this machine, so this answers for its root
// only: prefer the path form, which asks where the files will go.
qint64 DiskFree(int drive);

}  // namespace FileSystem
