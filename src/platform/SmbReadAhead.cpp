#include "platform/SmbReadAhead.h"

#include <cstring>

TSmbReadAheadFile::TSmbReadAheadFile(std::unique_ptr<TSmbFileSource> source, int chunkSize)
    : FSource(std::move(source)), FChunk(chunkSize > 0 ? chunkSize : ChunkSize) {}

int TSmbReadAheadFile::Read(void* buffer, int count) {
  if (count < 0 || (!buffer && count > 0)) return -1;
  char* out = static_cast<char*>(buffer);
  qint64 pos = FPos;
  int done = 0;
  while (done < count) {
    if (pos >= FBufferStart && pos < FBufferStart + FBufferLength) {
      const int offset = int(pos - FBufferStart);
      const int n = qMin(count - done, FBufferLength - offset);
      std::memcpy(out + done, FBuffer.constData() + offset, size_t(n));
      done += n;
      pos += n;
      continue;
    }
    if (FEnd >= 0 && pos >= FEnd) break;
    const int want = count - done;
    if (want >= FChunk) {  // a large read needs no copy through the buffer
      const int n = FSource->ReadAt(pos, out + done, want);
      if (n < 0) return -1;  // the position stays where it was
      if (n == 0) {
        FEnd = pos;
        break;
      }
      done += n;
      pos += n;
      continue;
    }
    if (FBuffer.size() < FChunk) FBuffer.resize(FChunk);
    FBufferLength = 0;
    FBufferStart = pos;
    const int n = FSource->ReadAt(pos, FBuffer.data(), FChunk);
    if (n < 0) return -1;
    if (n == 0) {
      FEnd = pos;
      break;
    }
    FBufferLength = n;
  }
  FPos = pos;
  return done;
}

qint64 TSmbReadAheadFile::Seek(qint64 offset, int origin) {
  qint64 base = 0;
  switch (origin) {
    case 0: base = 0; break;
    case 1: base = FPos; break;
    case 2:
      base = Size();
      if (base < 0) return -1;
      break;
    default: return -1;
  }
  const qint64 target = base + offset;
  if (target < 0) return -1;
  FPos = target;
  FEnd = -1;  // the file may have grown since
  return FPos;
}

qint64 TSmbReadAheadFile::Size() { return FSource->Size(); }
