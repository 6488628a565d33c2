#pragma once
// The file side of a storage back end: the local drive C: (LocalDrive.h) or
// a network back end for UNC paths (NetBackend.h). Paths arrive parsed and
// normalised (FsPath.h); every call returns 0 or a Windows error code and
// never throws. Implementations are safe for concurrent use.
#include <QList>
#include <QString>
#include <memory>

#include "platform/fs/FindFile.h"
#include "platform/fs/FsPath.h"
#include "platform/fs/WildMatch.h"

// An open file. Used by one thread at a time.
class TFileObject {
 public:
  virtual ~TFileObject() = default;
  virtual int Read(void* buffer, int count) = 0;         // bytes read, 0 at the end, -1 on failure
  virtual int Write(const void* buffer, int count) = 0;  // bytes written, -1 on failure
  virtual qint64 Seek(qint64 offset, int origin) = 0;    // new position, -1 on failure
  virtual qint64 Size() = 0;                             // -1 on failure
  virtual bool GetWriteTime(qint64& ns) = 0;             // last-write time, ns since 1970 UTC
  virtual bool SetWriteTime(qint64 ns) = 0;
  // True when Size and GetWriteTime repeat what a listing said (OpenListed)
  // rather than what the file said when opened.
  virtual bool AsListed() { return false; }
  // Moves up to maxBytes from this file's position to the destination's,
  // as FileSystem::CopyBlock says (FileIo.h); `error` receives 0 or the
  // Windows error. This one goes through a buffer; a back end may move the
  // bytes without one.
  virtual qint64 CopyTo(TFileObject& destination, qint64 maxBytes, int& error);
};

// CreateNew: a new file of exactly the name given, for a caller that knows
// no entry of its folder has that name in any letter case (it made the
// folder and every entry in it); fails with ERROR_FILE_EXISTS when the
// name is taken. It spares Create's search of the folder for another case.
enum class TOpenMode { Read, Write, ReadWrite, Create, CreateNew };

class TFsBackend {
 public:
  virtual ~TFsBackend() = default;
  // The entries of a folder whose names match `mask`, without "." and "..",
  // in any order; `self` receives the folder's own entry.
  virtual int ListFolder(const TFsPath& folder, const TWildMask& mask, TSearchRec& self,
                         QList<TSearchRec>& out) = 0;
  // The entry the path names (its Name as stored, letter case included).
  virtual int Stat(const TFsPath& path, TSearchRec& out) = 0;
  // Create: a new empty file, or an existing one emptied.
  virtual int Open(const TFsPath& path, TOpenMode mode, std::unique_ptr<TFileObject>& out) = 0;
  // Opens for reading a file whose size and last-write time a listing of
  // this run gave. A back end where asking for them costs a round trip may
  // take them as given; the file object still tells the truth about the
  // file as read (FileIo.h, FileOpenListed). Here: an ordinary open.
  virtual int OpenListed(const TFsPath& path, qint64 /*size*/, qint64 /*writeTimeNs*/,
                         std::unique_ptr<TFileObject>& out) {
    return Open(path, TOpenMode::Read, out);
  }
  virtual int CreateDir(const TFsPath& path) = 0;
  virtual int RemoveDir(const TFsPath& path) = 0;  // empty folders only
  virtual int DeleteFile(const TFsPath& path) = 0;
  // Free bytes available to this user where the path lies; -1 when unknown.
  virtual qint64 DiskFree(const TFsPath& path) = 0;
  // Milliseconds every find call waits first (a test aid of the simulated
  // network; 0 elsewhere).
  virtual int DelayMs() const { return 0; }
};

namespace FsBackend {
// The back end serving the path: the local drive or the current network.
std::shared_ptr<TFsBackend> For(const TFsPath& path);
// What serves UNC paths. The network layer installs its current back end
// as the source (NetBackend.cpp), so that this layer never depends on it;
// without one every UNC path fails as on a machine without a network.
std::shared_ptr<TFsBackend> Network();
using TNetworkSource = std::shared_ptr<TFsBackend> (*)();
void SetNetworkSource(TNetworkSource source);
}  // namespace FsBackend
