#include "platform/fs/FileIo.h"

#include "platform/core/DosTime.h"
#include "platform/core/Handles.h"
#include "platform/core/WinError.h"
#include "platform/fs/FsBackend.h"

namespace FileSystem {

namespace {

THandleTable<TFileObject>& Files() {
  static THandleTable<TFileObject> table;
  return table;
}

// `open` opens the parsed path on its back end.
template <typename F>
THandle Open(const QString& path, int* error, F open) {
  int e = NO_ERROR;
  THandle h = INVALID_HANDLE_VALUE;
  TFsPath p;
  e = FsPath::Parse(path, p);
  if (e == NO_ERROR && p.IsDriveRoot()) e = ERROR_ACCESS_DENIED;
  if (e == NO_ERROR) {
    std::unique_ptr<TFileObject> file;
    e = open(*FsBackend::For(p), p, file);
    if (e == NO_ERROR) h = Files().Add(std::shared_ptr<TFileObject>(std::move(file)));
  }
  if (error) *error = e;
  return h;
}

THandle Open(const QString& path, TOpenMode mode, int* error) {
  return Open(path, error, [mode](TFsBackend& b, const TFsPath& p, std::unique_ptr<TFileObject>& file) {
    return b.Open(p, mode, file);
  });
}

}  // namespace

THandle FileOpen(const QString& path, int mode, int* error) {
  TOpenMode m = TOpenMode::Read;
  switch (mode & 0x0F) {
    case fmOpenRead: m = TOpenMode::Read; break;
    case fmOpenWrite: m = TOpenMode::Write; break;
    case fmOpenReadWrite: m = TOpenMode::ReadWrite; break;
    default:
      if (error) *error = ERROR_INVALID_PARAMETER;
      return INVALID_HANDLE_VALUE;
  }
  return Open(path, m, error);
}

THandle FileOpenListed(const QString& path, qint64 size, qint64 writeTimeNs, int* error) {
  return Open(path, error, [=](TFsBackend& b, const TFsPath& p, std::unique_ptr<TFileObject>& file) {
    return b.OpenListed(p, size, writeTimeNs, file);
  });
}

bool FileAsListed(THandle handle) {
  const auto f = Files().Get(handle);
  return f && f->AsListed();
}

THandle FileCreate(const QString& path, int* error) { return Open(path, TOpenMode::Create, error); }
THandle FileCreateNew(const QString& path, int* error) { return Open(path, TOpenMode::CreateNew, error); }

int FileRead(THandle handle, void* buffer, int count) {
  const auto f = Files().Get(handle);
  return f && buffer ? f->Read(buffer, count) : -1;
}

int FileWrite(THandle handle, const void* buffer, int count) {
  const auto f = Files().Get(handle);
  return f && buffer ? f->Write(buffer, count) : -1;
}

qint64 CopyBlock(THandle source, THandle destination, qint64 maxBytes, int* error) {
  const auto in = Files().Get(source);
  const auto out = Files().Get(destination);
  if (!in || !out || maxBytes < 0) {
    if (error) *error = !in || !out ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER;
    return -1;
  }
  int e = NO_ERROR;
  const qint64 n = maxBytes == 0 ? 0 : in->CopyTo(*out, maxBytes, e);
  if (error) *error = e;
  return n;
}

qint64 FileSeek(THandle handle, qint64 offset, int origin) {
  const auto f = Files().Get(handle);
  return f ? f->Seek(offset, origin) : -1;
}

qint64 FileGetSize(THandle handle) {
  const auto f = Files().Get(handle);
  return f ? f->Size() : -1;
}

qint64 FileGetDate(THandle handle) {
  qint64 ns = 0;
  if (!FileGetTime(handle, ns)) return -1;
  const qint64 secs = ns >= 0 ? ns / 1000000000 : -((-ns + 999999999) / 1000000000);
  return qint64(DosTime::FromUnixTime(secs));
}

bool FileSetDate(THandle handle, quint32 dosTime) {
  const qint64 secs = DosTime::ToUnixTime(dosTime);
  return secs >= 0 && FileSetTime(handle, secs * 1000000000);
}

bool FileGetTime(THandle handle, qint64& ns) {
  const auto f = Files().Get(handle);
  return f && f->GetWriteTime(ns);
}

bool FileSetTime(THandle handle, qint64 ns) {
  const auto f = Files().Get(handle);
  return f && f->SetWriteTime(ns);
}

void FileClose(THandle handle) { Files().Remove(handle); }

}  // namespace FileSystem
