#pragma once
// Windows paths as the program speaks them. Local paths are drive paths and
// drive C: is the root of this machine's file system (C:\home\me\x is
// /home/me/x); network paths are UNC paths \\COMPUTER\SHARE\folder\name.
#include <QString>

namespace WinPath {

bool IsUnc(const QString& path);    // begins with two backslashes
bool IsDrive(const QString& path);  // begins with a letter and a colon
// A drive path as a path of this machine; empty when the drive is not C:.
QString ToLocal(const QString& drivePath);
// A path of this machine as a drive path (C:\...).
QString FromLocal(const QString& localPath);

QString IncludeTrailingBackslash(const QString& path);
QString ExcludeTrailingBackslash(const QString& path);
// Delphi-style helpers: the part after the last "\" or ":", the part up to and
// including it, and the extension with its dot (from the last "." of the name).
QString ExtractFileName(const QString& path);
QString ExtractFilePath(const QString& path);
QString ExtractFileExt(const QString& path);

// True when a name from another machine is one name (NetName.h): not
// empty, not "." or "..", without "\", "/" or a control character.
bool IsNetworkName(const QString& name);
// True when a name that a file system or a server handed back can stand as
// one path component: a network name without ":" (a drive or a stream).
bool IsPlainEntryName(const QString& name);
// True when an entry of a folder keeps its own name once joined to a path: a
// plain entry name that does not end in a dot or a blank, which the path
// rules drop ("a." would open, copy or delete the file a).
bool IsExactEntryName(const QString& name);

}  // namespace WinPath
