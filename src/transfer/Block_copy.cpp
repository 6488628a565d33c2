#include "transfer/Block_copy.h"

#include "platform/fs/FileSystem.h"
#include "platform/fs/FsPath.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace BlockCopy {

namespace {

// About one screen frame.
constexpr std::int64_t RefreshIntervalNs = 40'000'000;

std::int64_t MonotonicNs() {
  static const QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.nsecsElapsed();
}

}  // namespace

TEnd CopyBlocks(FileSystem::THandle in, FileSystem::THandle out, std::int64_t size, std::int64_t& fileDone,
                const std::function<void(int written)>& written, const std::function<bool()>& between) {
  const std::int64_t left = size > fileDone ? size - fileDone : 0;
  const std::int64_t limit = (left / 1024) * 64 + 1;
  for (std::int64_t pass = 0; pass < limit; ++pass) {
    // One block; the platform moves it inside the kernel where it can.
    int error = 0;
    const std::int64_t n = FileSystem::CopyBlock(in, out, BlockSize, &error);
    if (n < 0) return TEnd::ReadFailed;
    if (n > 0) {
      fileDone += n;
      if (written) written(int(n));
    }
    if (error == ERROR_READ_FAULT) return TEnd::ReadFailed;
    if (error != 0) return TEnd::WriteFailed;
    if (n == 0) break;  // the end of the source
    if (n < BlockSize && fileDone >= size) break;
    if (between && !between()) return TEnd::Stopped;
  }
  return fileDone < size ? TEnd::SourceShort : TEnd::Complete;
}

bool IsWholeCopy(TEnd end, FileSystem::THandle out, std::int64_t size) {
  return end == TEnd::Complete && FileSystem::FileGetSize(out) == size;
}

int CurrentSecond() { return int((QDateTime::currentMSecsSinceEpoch() / 1000) % 60); }

bool TRefreshPacer::Due(bool force, int lastSecond) {
  const std::int64_t now = MonotonicNs();
  if (force || FLastNs < 0 || now - FLastNs >= RefreshIntervalNs || CurrentSecond() != lastSecond) {
    FLastNs = now;
    return true;
  }
  return false;
}

bool StaysInFolder(const QString& name) {
  return WinPath::IsPlainEntryName(name) && !FsPath::StripName(name).isEmpty();
}

bool StaysBelow(const QString& relative) {
  const QString path = WinPath::ExcludeTrailingBackslash(relative);
  if (path.isEmpty()) return false;
  for (const QString& part : path.split(QLatin1Char('\\')))
    if (!StaysInFolder(part)) return false;
  return true;
}

bool RemoveLink(const QString& path) {
  const QString entry = WinPath::ExcludeTrailingBackslash(path);
  if (!FileSystem::IsSymbolicLink(entry)) return true;
  // Deleting a link removes the link alone, whatever it points at.
  return FileSystem::DeleteFile(entry) == NO_ERROR && !FileSystem::IsSymbolicLink(entry);
}

}  // namespace BlockCopy
