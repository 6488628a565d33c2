#include "platform/smb/SmbLibraryFile.h"

TSmbLibraryFile::~TSmbLibraryFile() {
  FNext.reset();  // a read not begun yet is dropped
  TSmbLibrary::Get().Close(FHandle);
}

int TSmbLibraryFile::ReadAt(qint64 offset, char* buffer, int count) {
  TSmbLibrary& lib = TSmbLibrary::Get();
  std::shared_ptr<TSmbLibrary::TPendingRead> read;
  if (FNext && FNextOffset == offset && FNextCount == count) read = std::move(FNext);
  FNext.reset();
  FLastNs = 0;
  if (TSmbLibrary::Stopped()) return -1;
  if (!read) read = lib.StartRead(FHandle, offset, count);
  int err = 0;
  return lib.FinishRead(read, buffer, count, err, &FLastNs);
}

void TSmbLibraryFile::Expect(qint64 offset, int count) {
  if (TSmbLibrary::Stopped() || count <= 0) return;
  FNextOffset = offset;
  FNextCount = count;
  FNext = TSmbLibrary::Get().StartRead(FHandle, offset, count);
}
