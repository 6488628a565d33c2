#include "platform/fs/FsBackend.h"

#include "platform/core/WinError.h"
#include "platform/fs/LocalDrive.h"

qint64 TFileObject::CopyTo(TFileObject& destination, qint64 maxBytes, int& error) {
  constexpr int kBuffer = 256 * 1024;
  // One buffer per thread, made at its first copy: the memory stays flat.
  thread_local std::unique_ptr<char[]> buffer;
  if (!buffer) buffer.reset(new char[kBuffer]);
  error = NO_ERROR;
  qint64 done = 0;
  while (done < maxBytes) {
    const int want = int(qMin<qint64>(kBuffer, maxBytes - done));
    const int n = Read(buffer.get(), want);
    if (n < 0) {
      error = ERROR_READ_FAULT;
      return done;
    }
    if (n == 0) break;
    const int written = destination.Write(buffer.get(), n);
    if (written > 0) done += written;
    if (written != n) {
      // A short write means the disk is full, as with FileWrite.
      error = written < 0 ? ERROR_WRITE_FAULT : ERROR_DISK_FULL;
      return done;
    }
    if (n < want) break;  // the end of the source
  }
  return done;
}

namespace FsBackend {

std::shared_ptr<TFsBackend> For(const TFsPath& path) {
  static const auto local = std::make_shared<TLocalDrive>();
  if (path.Unc) return Network();
  return local;
}

}  // namespace FsBackend
