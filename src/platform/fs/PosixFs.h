#pragma once
// The POSIX work under the local drive and the simulated network: folders
// and files of this machine, with Windows attributes and case-insensitive
// name resolution. Paths here are paths of this machine ("/home/me/x").
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/fs/FsBackend.h"

namespace PosixFs {

// Called for each listed entry (and the folder itself) before it is kept:
// lets a back end change attributes or dates.
using TAdjust = std::function<void(TSearchRec&)>;

// Attribute rules: folders carry the directory bit, files the archive bit;
// names beginning with "." are hidden; entries this user may not write to
// are read-only (mode bits of the owner, group or others class this user
// falls in). Entries that are neither regular files nor folders (devices,
// pipes, sockets, dangling links) are left out; links are followed.
int ListDir(const QString& dir, const TWildMask& mask, const TAdjust& adjust, TSearchRec& self,
            QList<TSearchRec>& out);
int StatEntry(const QString& path, TSearchRec& out);
// Opens regular files only (a pipe or device would block or never end).
// A `writeTime` given is what the file reports as its last-write time until
// one is set.
int Open(const QString& path, TOpenMode mode, std::unique_ptr<TFileObject>& out,
         std::optional<qint64> writeTime = {});
// Open of `parts` below `base`, names matched as Resolve does: the exact path
// is tried first, so a path already in the right letter case costs one open.
// Create never makes a second file beside one that differs only in case.
int OpenBelow(const QString& base, const QStringList& parts, TOpenMode mode, std::unique_ptr<TFileObject>& out,
              std::optional<qint64> writeTime = {});
// The entry `parts` below `base` names, resolved as Resolve does; one stat
// when the path is in the right letter case. `stored`, when given, receives
// the names as stored.
int StatBelow(const QString& base, const QStringList& parts, TSearchRec& out, QStringList* stored = nullptr);
int MakeDir(const QString& path);
int RemoveDir(const QString& path);
int Unlink(const QString& path);
// Free space of the file system holding the path or, when it does not
// exist yet, its nearest existing parent.
qint64 FreeSpace(const QString& path);

// The names of the folders in `dir` (links followed), in name order with
// letter case ignored.
int FolderNames(const QString& dir, QStringList& out);

// Finds each of `parts` below `base` ignoring letter case, an exact match
// first; returns the names as stored. From the first part that does not
// exist on, the parts are returned as given. A path that exists as given
// costs one stat; otherwise only the components below its longest existing
// exact prefix are looked for in their folders. `found`, when given, tells
// whether the whole path exists.
QStringList Resolve(const QString& base, const QStringList& parts, bool* found = nullptr);
// The name in folder `dir` that equals `name` ignoring letter case, or ""
// when there is none (or the folder cannot be read).
QString FindNameIgnoringCase(const QString& dir, const QString& name);
QString Join(const QString& base, const QStringList& parts);

// A Windows error code for an errno value.
int WinError(int err);

}  // namespace PosixFs
