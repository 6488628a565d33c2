#include "platform/smb/SmbSplitRead.h"

#include <cstring>

#include "platform/smb/SmbLibraryFile.h"
#include "platform/smb/SmbReadHelper.h"

TSmbSplitFile::TSmbSplitFile(std::unique_ptr<TSmbFileSource> own, TStarter starter, int pace)
    : FOwn(std::move(own)), FStarter(std::move(starter)) {
  // A host known to be fast gets its second connection at once: it logs on
  // while the first reads.
  if (pace >= SmbSplitRead::FastPace) StartHelper();
}

void TSmbSplitFile::StartHelper() {
  if (FHelperAsked || Size() < SmbSplitRead::SmallestFile) return;
  FHelperAsked = true;
  if (FStarter) FHelper = FStarter();
}

void TSmbSplitFile::StopSplit() {
  FHelper.reset();
  FOwnChunk = {};
  FHelperChunk = {};
  FPlanEnd = -1;
}

void TSmbSplitFile::Plan() {
  const qint64 size = Size();
  while (FPlanEnd >= 0 && FPlanEnd < size && (FOwnChunk.Offset < 0 || FHelperChunk.Offset < 0)) {
    // The plan's first chunk is half as long, so that each connection is
    // halfway through a chunk while the other waits for the end of one.
    const int chunk = FPlanEnd == FPlanStart ? SmbSplitRead::Chunk / 2 : SmbSplitRead::Chunk;
    const TChunk next{FPlanEnd, int(qMin<qint64>(chunk, size - FPlanEnd))};
    if (FOwnChunk.Offset < 0) {
      FOwnChunk = next;
      FOwn->Expect(next.Offset, next.Count);
    } else if (FHelper->Start(next.Offset, next.Count)) {
      FHelperChunk = next;
    } else {
      StopSplit();
      return;
    }
    FPlanEnd += next.Count;
  }
}

void TSmbSplitFile::Expect(qint64 offset, int count) {
  if (FPlanEnd < 0 && FHelper) {
    const TSmbChunkReader::TState state = FHelper->State();
    if (state == TSmbChunkReader::Failed) FHelper.reset();
    if (state == TSmbChunkReader::Ready) FPlanStart = FPlanEnd = offset;
  }
  if (FPlanEnd >= 0)
    Plan();
  else
    FOwn->Expect(offset, count);
}

void TSmbSplitFile::Paced(int size) {
  FOwn->Paced(size);
  if (size >= SmbSplitRead::FastPace && Size() - FReadEnd >= SmbSplitRead::SmallestFile / 2) StartHelper();
}

int TSmbSplitFile::Done(qint64 offset, int n) {
  if (n > 0) FReadEnd = offset + n;
  return n;
}

int TSmbSplitFile::Serve(qint64 offset, int count, char* out, QByteArray* into) {
  FFromPlan = false;
  if (FPlanEnd < 0) return NotPlanned;
  const bool own = FOwnChunk.Offset >= 0 && (FHelperChunk.Offset < 0 || FOwnChunk.Offset < FHelperChunk.Offset);
  const TChunk chunk = own ? FOwnChunk : FHelperChunk;
  if (chunk.Offset != offset || count < chunk.Count) {
    StopSplit();
    return NotPlanned;
  }
  FFromPlan = true;
  int n;
  if (own) {
    FOwnChunk = {};
    n = into ? FOwn->ReadInto(offset, *into, chunk.Count) : FOwn->ReadAt(offset, out, chunk.Count);
    if (n < 0) {
      StopSplit();
      return -1;
    }
  } else {
    FHelperChunk = {};
    const char* data = nullptr;
    n = FHelper->Finish(data);
    if (n < 0 || n > chunk.Count) {
      // What the helper did not deliver is read here.
      StopSplit();
      FFromPlan = false;
      return NotPlanned;
    }
    if (into) {
      if (into->size() < n) into->resize(n);
      out = into->data();
    }
    std::memcpy(out, data, size_t(n));
  }
  // A short answer: the rest comes over the one connection.
  if (n < chunk.Count) StopSplit();
  return n;
}

int TSmbSplitFile::ReadAt(qint64 offset, char* buffer, int count) {
  const int n = Serve(offset, count, buffer, nullptr);
  return Done(offset, n != NotPlanned ? n : FOwn->ReadAt(offset, buffer, count));
}

int TSmbSplitFile::ReadInto(qint64 offset, QByteArray& buffer, int count) {
  const int n = Serve(offset, count, nullptr, &buffer);
  return Done(offset, n != NotPlanned ? n : FOwn->ReadInto(offset, buffer, count));
}

std::unique_ptr<TSmbFileSource> SmbFileSource(const QString& host, const QByteArray& url, const TSmbCredential& c,
                                              qint64 handle, qint64 size, qint64 writeTimeNs) {
  auto own = std::make_unique<TSmbLibraryFile>(host, handle, size, writeTimeNs);
  if (size < SmbSplitRead::SmallestFile) return own;
  auto starter = [url, c, size, writeTimeNs]() -> std::unique_ptr<TSmbChunkReader> {
    return std::make_unique<TSmbReadHelper>(url, c, size, writeTimeNs, SmbSplitRead::Chunk);
  };
  return std::make_unique<TSmbSplitFile>(std::move(own), starter, SmbReadSize::Remembered(host));
}
