#include "platform/smb/SmbLibraryFile.h"

#include <cstring>

TSmbLibraryFile::~TSmbLibraryFile() {
  FNext.reset();  // a read not begun yet is dropped
  TSmbLibrary::Get().Close(FHandle);
}

std::shared_ptr<TSmbLibrary::TPendingRead> TSmbLibraryFile::Take(qint64 offset, int count) {
  std::shared_ptr<TSmbLibrary::TPendingRead> read;
  if (FNext && FNextOffset == offset && FNextCount == count) read = std::move(FNext);
  FNext.reset();
  FLastNs = 0;
  if (TSmbLibrary::Stopped()) return nullptr;
  if (!read) read = TSmbLibrary::Get().StartRead(FHandle, offset, count, std::move(FSpare));
  return read;
}

int TSmbLibraryFile::FromHead(qint64 offset, char* buffer, int count) const {
  if (offset < 0 || count < 0) return -1;
  if (offset < FHead.size()) {
    const int n = int(qMin<qint64>(count, FHead.size() - offset));
    std::memcpy(buffer, FHead.constData() + offset, size_t(n));
    return n;
  }
  return FHeadIsAll ? 0 : -1;
}

int TSmbLibraryFile::ReadAt(qint64 offset, char* buffer, int count) {
  if (const int n = FromHead(offset, buffer, count); n >= 0) {
    FLastNs = 0;
    return n;
  }
  const auto read = Take(offset, count);
  if (!read) return -1;
  int err = 0;
  return TSmbLibrary::Get().FinishRead(read, buffer, count, err, &FLastNs);
}

int TSmbLibraryFile::ReadInto(qint64 offset, QByteArray& buffer, int count) {
  if (offset < FHead.size() || FHeadIsAll) {
    if (buffer.size() < count) buffer.resize(count);
    return ReadAt(offset, buffer.data(), count);
  }
  const auto read = Take(offset, count);
  if (!read) return -1;
  QByteArray old = std::move(buffer);
  int err = 0;
  const int n = TSmbLibrary::Get().FinishRead(read, buffer, err, &FLastNs);
  if (n < 0) {
    buffer = std::move(old);
    return -1;
  }
  FSpare = std::move(old);
  return n;
}

void TSmbLibraryFile::Expect(qint64 offset, int count) {
  if (TSmbLibrary::Stopped() || count <= 0 || offset < FHead.size() || FHeadIsAll) return;
  FNextOffset = offset;
  FNextCount = count;
  FNext = TSmbLibrary::Get().StartRead(FHandle, offset, count, std::move(FSpare));
}
