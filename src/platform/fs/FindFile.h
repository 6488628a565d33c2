#pragma once
// Find-first / find-next over local drive paths (C:\...) and UNC paths
// (\\COMPUTER\SHARE\...), in the manner of the Windows find calls:
//
//   TSearchRec sr;
//   if (FileSystem::FindFirst("\\\\PC1\\docs\\*.txt", faAnyFile, sr) == 0) {
//     do { ... sr.Name, sr.Size, sr.Attr, sr.Time ... } while (FileSystem::FindNext(sr) == 0);
//     FileSystem::FindClose(sr);
//   }
//
// - The last component of the path is the mask, matched as WildMatch.h says
//   (case-insensitive, "*.*" matches everything, "*.htm" also returns
//   page.html as Windows does through short names). A mask without
//   wildcards looks up that one name; a path naming a folder without a
//   final backslash returns the folder's own entry.
// - The attribute mask leaves out every entry with a hidden, system,
//   volume-label or directory bit that the mask lacks (FileAttr.h): 63
//   returns everything, 16 folders and plain files, 0 plain files only.
// - Every folder listing other than a drive's root begins with "." and
//   ".." (folders, attribute 16) when the mask matches them; the other
//   entries follow in name order, letter case ignored, as NTFS lists them.
// - A path longer than MAX_PATH_LENGTH (4095) characters fails
//   (ERROR_FILENAME_EXCED_RANGE), so a folder loop of unknown identity ends
//   instead of recursing for ever. So does a folder that is missing or cannot be read, a drive other
//   than C: and any UNC path the network back end cannot resolve.
// - Only names that stand as one path component exactly are listed
//   (WinPath::IsExactEntryName): a server may hand back "..\\x" or "a/b",
//   and such a name joined to a path would reach another folder; a name
//   ending in a dot or a blank ("a.") would name another entry (a).
// - Each record carries the identity of what it names (TFileId): a folder
//   and a link to it share one, so a walk can tell a folder it has been in.
//   The "." entry carries the listed folder's own.
// - The listing is taken when FindFirst runs; FindNext hands out the rest.
//   Handles may be used from any thread, one thread at a time; FindClose of
//   a handle already closed does nothing.
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include "platform/fs/FileAttr.h"

// Which file or folder an entry is, whatever path reached it: two names of
// one folder (a link and its target) have equal identities. Back ends fill
// it (the local drive and the simulated network from the device and inode;
// a network back end from the server's file index); without it a walk
// cannot tell a link cycle. Unknown (both zero) where a back end cannot
// tell; unknown identities never match.
struct TFileId {
  quint64 Volume = 0;
  quint64 Index = 0;
  bool Known() const { return Volume != 0 || Index != 0; }
  friend bool operator==(const TFileId&, const TFileId&) = default;
};
inline size_t qHash(const TFileId& id, size_t seed = 0) { return qHashMulti(seed, id.Volume, id.Index); }

struct TSearchRec {
  QString Name;          // long name, without a path
  qint64 Size = 0;       // bytes; 0 for folders
  int Attr = 0;          // Windows attribute bits (FileAttr.h)
  quint32 Time = 0;      // last-write time as local DOS date-time (DosTime.h)
  qint64 WriteTimeNs = 0;  // last-write time, nanoseconds since 1970-01-01 UTC
  qint64 FindHandle = -1;  // the listing FindNext continues; -1 when none
  TFileId Id;              // what the entry is (a link: its target)

  bool IsDirectory() const { return (Attr & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // The last-write time, in local time, to the millisecond.
  QDateTime LastWriteTime() const;
};

// The folders a walk over find listings has entered, by identity, so that a
// link back to one of them (a cycle) or a second link to one folder does not
// send the walk through it again. A walk marks each folder it lists (its "."
// entry) and enters a subfolder only when Enter says so. A walk that Leaves
// each folder when done skips only the folders it is inside (cycles); one
// that never leaves walks every folder once.
class TFolderTrail {
 public:
  // False when the folder was entered before; true (and remembered) else.
  // A folder of unknown identity is always entered.
  bool Enter(const TFileId& id) {
    if (!id.Known()) return true;
    if (FIn.contains(id)) return false;
    FIn.insert(id);
    return true;
  }
  bool Contains(const TFileId& id) const { return id.Known() && FIn.contains(id); }
  void Leave(const TFileId& id) { FIn.remove(id); }
  void Clear() { FIn.clear(); }

 private:
  QSet<TFileId> FIn;
};

// A walk's stay in one folder: enters it on construction and leaves it
// when the scope ends, so a walk that returns early cannot forget to.
class TFolderVisit {
 public:
  TFolderVisit(TFolderTrail& trail, const TFileId& id) : FTrail(trail), FId(id), FEntered(trail.Enter(id)) {}
  ~TFolderVisit() {
    if (FEntered) FTrail.Leave(FId);
  }
  TFolderVisit(const TFolderVisit&) = delete;
  TFolderVisit& operator=(const TFolderVisit&) = delete;
  // False when the walk is inside this folder already (a link back up).
  bool Entered() const { return FEntered; }

 private:
  TFolderTrail& FTrail;
  TFileId FId;
  bool FEntered;
};

namespace FileSystem {

// 0 and the first entry in `rec`, or a Windows error code (no entry: 2).
int FindFirst(const QString& path, int attr, TSearchRec& rec);
// 0 and the next entry in `rec`, or ERROR_NO_MORE_FILES (18).
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

}  // namespace FileSystem
