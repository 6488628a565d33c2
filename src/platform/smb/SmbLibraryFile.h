#pragma once
// A file of a share as the read-ahead buffer (SmbReadAhead.h) reads it
// through the library (SmbLibrary.h). The read the buffer expects next is
// started at once, so the server sends the next chunk while the program
// writes this one; the read size the buffer settles on is kept for the
// next file from the same host. A file opened with its first bytes in hand
// (TSmbLibrary::OpenListed) serves them without a round trip, and when they
// are the whole file, finds its end there too.
#include <QString>
#include <memory>

#include "platform/smb/SmbLibrary.h"
#include "platform/smb/SmbReadAhead.h"

class TSmbLibraryFile : public TSmbFileSource {
 public:
  TSmbLibraryFile(const QString& host, qint64 handle, qint64 size, qint64 writeTimeNs)
      : FHost(host), FHandle(handle), FSize(size), FTime(writeTimeNs) {}
  TSmbLibraryFile(const QString& host, TSmbLibrary::TOpened opened)
      : FHost(host),
        FHandle(opened.Handle),
        FSize(opened.Size),
        FTime(opened.WriteTimeNs),
        FTimeKnown(opened.TimeKnown),
        FHead(std::move(opened.Head)),
        FHeadIsAll(opened.HeadIsAll),
        FAsListed(opened.AsListed) {}
  ~TSmbLibraryFile() override;

  int ReadAt(qint64 offset, char* buffer, int count) override;
  int ReadInto(qint64 offset, QByteArray& buffer, int count) override;
  qint64 LastReadNs() override { return FLastNs; }
  void Expect(qint64 offset, int count) override;
  void Paced(int size) override { SmbReadSize::Remember(FHost, size); }
  qint64 Size() override { return FSize; }
  bool WriteTime(qint64& ns) override {
    ns = FTime;
    return FTimeKnown;
  }
  bool AsListed() override { return FAsListed; }

 private:
  QString FHost;
  qint64 FHandle, FSize, FTime;
  qint64 FLastNs = 0;
  bool FTimeKnown = true;
  QByteArray FHead;         // the file's first bytes, read at the open
  bool FHeadIsAll = false;  // and they are all of it
  bool FAsListed = false;
  // A read the head answers (-1: it does not): from it, or 0 past the end.
  int FromHead(qint64 offset, char* buffer, int count) const;
  // The read at `offset`: the one started ahead when it is that one.
  std::shared_ptr<TSmbLibrary::TPendingRead> Take(qint64 offset, int count);

  std::shared_ptr<TSmbLibrary::TPendingRead> FNext;  // the read started ahead
  QByteArray FSpare;  // the buffer the reader gave back, for the next read
  qint64 FNextOffset = -1;
  int FNextCount = 0;
};
