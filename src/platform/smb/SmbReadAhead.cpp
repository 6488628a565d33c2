#include "platform/smb/SmbReadAhead.h"

#include <QHash>

#include <cstring>
#include <mutex>

namespace SmbReadSize {

int Next(int current, qint64 bytes, qint64 ns, int largest) {
  if (ns <= 0 || bytes < current / 2) return current;
  const int top = qMax(largest, Smallest);
  // What the link carried, scaled to the target time; growing by at most
  // a doubling, since a short read's time is mostly the round trip.
  double ideal = double(bytes) * double(TargetNs) / double(ns);
  if (ideal > OneRequest) ideal = qMax(double(OneRequest), double(bytes) * double(LargeNs) / double(ns));
  qint64 next = qMin<qint64>(qint64(qMin(ideal, 1e12)), qint64(current) * 2);
  next = next / 1024 * 1024;
  return int(qBound(qint64(Smallest), next, qint64(top)));
}

namespace {
std::mutex& PaceLock() {
  static std::mutex m;
  return m;
}
QHash<QString, int>& Paces() {
  static QHash<QString, int> paces;
  return paces;
}
}  // namespace

int Remembered(const QString& host) {
  std::lock_guard lock(PaceLock());
  return Paces().value(host.toLower(), First);
}

void Remember(const QString& host, int size) {
  std::lock_guard lock(PaceLock());
  Paces().insert(host.toLower(), qBound(Smallest, size, Largest));
}

}  // namespace SmbReadSize

TSmbReadAheadFile::TSmbReadAheadFile(std::unique_ptr<TSmbFileSource> source, int chunkSize)
    : FSource(std::move(source)),
      FChunk(chunkSize > 0 ? chunkSize : ChunkSize),
      FLargest(qMax(FChunk, int(ChunkSize))),
      FKnown(FSource->Size()) {
  // A small file is as a rule read whole right after its open: that one
  // read starts now, while the caller makes its destination. (A caller that
  // reads elsewhere first loses one small read.)
  if (FKnown > 0 && FKnown <= SmbReadSize::EarlyRead) FSource->Expect(0, AskAt(0));
}

int TSmbReadAheadFile::AskAt(qint64 pos) const {
  const int ceiling = FSource->ReadCeiling();
  const int chunk = ceiling > 0 ? qMin(FChunk, ceiling) : FChunk;
  if (FKnown >= 0 && pos < FKnown) return int(qMin<qint64>(chunk, FKnown - pos));
  return qMin(chunk, SmbReadSize::AtTheEnd);
}

int TSmbReadAheadFile::Fetch(qint64 pos, char* out, int ask) { return Answered(pos, FSource->ReadAt(pos, out, ask)); }

int TSmbReadAheadFile::Fill(qint64 pos, int ask) {
  FBufferLength = 0;
  FBufferStart = pos;
  const int n = Answered(pos, FSource->ReadInto(pos, FBuffer, ask));
  if (n > 0) FBufferLength = qMin(n, int(FBuffer.size()));
  return n;
}

int TSmbReadAheadFile::Answered(qint64 pos, int n) {
  if (n < 0) return -1;
  if (n == 0) {
    FEnd = pos;  // whatever size was known: nothing more is there
    return 0;
  }
  const int paced = SmbReadSize::Next(FChunk, n, FSource->LastReadNs(), FLargest);
  if (paced != FChunk) {
    FChunk = paced;
    FSource->Paced(paced);
  }
  // The next chunk may be asked for while this one is used; never past the
  // known end, where a read would only find the end.
  const qint64 next = pos + n;
  if (FKnown < 0 || next < FKnown) FSource->Expect(next, AskAt(next));
  return n;
}

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
    // The file ends at its known size for this read; a read that starts
    // there asks the server whether it grew.
    if (FKnown >= 0 && pos >= FKnown && done > 0) break;
    const int ask = AskAt(pos);
    if (count - done >= ask) {  // a large read needs no copy through the buffer
      const int n = Fetch(pos, out + done, ask);
      if (n < 0) return -1;  // the position stays where it was
      if (n == 0) break;
      done += n;
      pos += n;
      continue;
    }
    const int n = Fill(pos, ask);
    if (n < 0) return -1;
    if (n == 0) break;
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
