#pragma once
// What the copy worker and the task worker share: a file handle that closes
// itself, the block-by-block copy loop, the pacing of window refreshes, and
// the rules that keep every write inside the destination folder.
#include <QString>
#include <cstdint>
#include <functional>

#include "platform/fs/FileIo.h"

namespace BlockCopy {

// Files move in blocks of this many bytes.
constexpr int BlockSize = 65536;

// Closes a file handle when it leaves scope, unless closed before.
class TFileGuard {
 public:
  explicit TFileGuard(FileSystem::THandle h = FileSystem::INVALID_HANDLE_VALUE) : FHandle(h) {}
  ~TFileGuard() { Close(); }
  TFileGuard(const TFileGuard&) = delete;
  TFileGuard& operator=(const TFileGuard&) = delete;
  FileSystem::THandle Get() const { return FHandle; }
  bool IsOpen() const { return FHandle != FileSystem::INVALID_HANDLE_VALUE; }
  void Reset(FileSystem::THandle h) {
    Close();
    FHandle = h;
  }
  void Close() {
    if (IsOpen()) FileSystem::FileClose(FHandle);
    FHandle = FileSystem::INVALID_HANDLE_VALUE;
  }

 private:
  FileSystem::THandle FHandle;
};

enum class TEnd {
  Complete,     // the source's end was reached with every byte written
  ReadFailed,   // a read failed
  WriteFailed,  // fewer bytes were written than read (disk full, ...)
  Stopped,      // `between` asked to stop
  SourceShort,  // the source ended before `size` bytes: it was cut while read
};

// Copies `in` from its position to `out` at its position until the source
// ends. `size` is the source's length and `fileDone` the bytes the
// destination already holds of it; `fileDone` grows by every byte written,
// and `written` is told each count (also the count of a short write).
// Between two blocks `between` runs and may stop the copy by returning
// false; after the last short block of the source it does not run, so a
// file smaller than one block is always finished. The number of passes is
// capped far above what `size` needs, which ends the copy of a source that
// keeps growing while it is read.
TEnd CopyBlocks(FileSystem::THandle in, FileSystem::THandle out, std::int64_t size, std::int64_t& fileDone,
                const std::function<void(int written)>& written, const std::function<bool()>& between);

// True when the copy is whole: it ended complete and the destination holds
// exactly `size` bytes. Only a whole copy gets the source's modification
// time; any other keeps its own date, so that it never passes for a
// finished copy (a task skips a copy whose date and length match).
bool IsWholeCopy(TEnd end, FileSystem::THandle out, std::int64_t size);

// The file a worker is at, as its copy window shows it: the source folder,
// the subfolder below it and the destination, the name, and how far the
// file has come.
struct TCurrentFile {
  QString SourceFolder;
  QString Subfolder;
  QString Name;
  int Percent = 0;
  // Moves on to the next file, nothing of it copied yet.
  void Start(const QString& sourceFolder, const QString& subfolder, const QString& name) {
    SourceFolder = sourceFolder;
    Subfolder = subfolder;
    Name = name;
    Percent = 0;
  }
  // Subfolder and name: the file's path below both ends of the copy.
  QString Relative() const { return Subfolder + Name; }
};

// The second (0..59) of the wall clock: speed and time left change when it does.
int CurrentSecond();

// Paces a worker's synchronised window refreshes: due when forced, on the
// first call, once a screen frame has passed since the last one, or when
// the wall-clock second has moved on from `lastSecond`. A copy of many small
// files thus moves at the speed of the disk, not of the screen.
class TRefreshPacer {
 public:
  bool Due(bool force, int lastSecond);

 private:
  std::int64_t FLastNs = -1;
};

// True when a name stays one entry of its folder once joined to a path: a
// plain component (WinPath::IsPlainEntryName) that the path rules do not
// drop ("...", which loses its dots). Names come from other machines.
bool StaysInFolder(const QString& name);
// True when every component of a relative path (a\b\name, or a\b\ for a
// folder) stays in its folder: joined to a folder, it names something below
// that folder.
bool StaysBelow(const QString& relative);

// Makes sure the path is not a symbolic link before something is written
// there: a link (to a file, a folder or nowhere) is removed as an entry of
// its own, never followed, and what it points at is untouched. False when a
// link is there and cannot be removed.
bool RemoveLink(const QString& path);

}  // namespace BlockCopy
