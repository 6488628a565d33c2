#pragma once
// A file of a share opened for reading, served from a read-ahead buffer:
// the program reads in blocks of 64 KiB, and every read of the library is
// a round trip to the server, so the file is fetched in larger chunks and
// the small reads are served from memory. Reads at least a chunk long go
// to the server directly. The program never writes to a share: writing
// fails.
//
// - Reads stop at the size the open reported: a file read to that size
//   costs no further round trip to learn where it ends. Asked again at or
//   past that size (a file that grew since), it asks the server, for at
//   most SmbReadSize::AtTheEnd bytes at a time.
// - An answer of 0 bytes is the end of the file, whatever size was known;
//   a short answer is not (the next read goes on from where it stopped).
// - Each chunk is as large as the link carries in about a second
//   (SmbReadSize), so a slow but living link never meets the library's
//   timeout, and a fast link gets chunks large enough that the library
//   keeps several requests in flight within each.
#include <QByteArray>
#include <QString>
#include <memory>

#include "platform/fs/FsBackend.h"

namespace SmbReadSize {

constexpr int Smallest = 16 * 1024;
// The library splits a read into requests of the server's largest read
// (8 MiB on Samba and Windows) and sends them all at once, so a read this
// large keeps two or three requests on the wire, as smbclient does; a read
// of one request leaves the link idle for a round trip and the server's
// start after each (at 5 ms, half of a 1 Gbit/s link at 1 MiB). A copy
// holds about three reads' worth: the one being written out, the next
// being filled, and the library's own buffers for it (60 MiB).
constexpr int Largest = 20 * 1024 * 1024;
constexpr int First = 64 * 1024;  // before anything is known of the link
constexpr qint64 TargetNs = 1000000000LL;
// The most a read asks that may start at the end of a file (at or past the
// size the open reported, or of a file of unknown size): one request on any
// server. The library splits a larger read into several requests sent at
// once; when the first of them meets the end it returns while the others
// are still under way, and the next call on that connection fails.
constexpr int AtTheEnd = 64 * 1024;

// A file of at most this size has its one read started at the open.
constexpr int EarlyRead = 1024 * 1024;

// Beyond this a larger read only keeps more requests in flight, while every
// other call of the library waits behind it: such reads carry no more than
// the link does in LargeNs.
constexpr int OneRequest = 1024 * 1024;
constexpr qint64 LargeNs = TargetNs / 4;

// The size of the next read once a read of `current` bytes brought `bytes`
// in `ns`: what the measured rate carries in TargetNs (above OneRequest, in
// LargeNs), at most twice the current size, within Smallest..Largest
// (`largest` when given), in whole KiB. A read that brought less than half its size (the end of a file) or
// that was not timed (ns <= 0) teaches nothing: `current` stays.
int Next(int current, qint64 bytes, qint64 ns, int largest = Largest);

// The size the last file read from `host` ended with (First if none), so
// the next file from it starts at the pace the link allows.
int Remembered(const QString& host);
void Remember(const QString& host, int size);

}  // namespace SmbReadSize

// What the read-ahead buffer reads from.
class TSmbFileSource {
 public:
  virtual ~TSmbFileSource() = default;
  // Up to `count` bytes from `offset`: bytes read (fewer at the end, or when
  // the server sends less), 0 at or past the end, -1 on failure.
  virtual int ReadAt(qint64 offset, char* buffer, int count) = 0;
  // The same into `buffer`, whose first bytes become the bytes read (its
  // size at least their count). A source may exchange the buffer for one
  // it filled already, so the bytes are never copied, and keep the old
  // one for a later read; on failure `buffer` stays as it was.
  virtual int ReadInto(qint64 offset, QByteArray& buffer, int count) {
    if (buffer.size() < count) buffer.resize(count);
    return ReadAt(offset, buffer.data(), count);
  }
  // How long the last ReadAt took on the wire, in ns; 0 when not timed.
  virtual qint64 LastReadNs() { return 0; }
  // The read that will most likely follow: a source may start it now.
  virtual void Expect(qint64 /*offset*/, int /*count*/) {}
  // The read size the buffer settled on (see SmbReadSize::Remember).
  virtual void Paced(int /*size*/) {}
  // The largest read worth asking of this source now, 0 for no limit
  // beyond the pace: larger buffers would only hold memory.
  virtual int ReadCeiling() { return 0; }
  virtual qint64 Size() = 0;  // the size at the open; -1 unknown
  virtual bool WriteTime(qint64& ns) = 0;
  virtual bool AsListed() { return false; }  // see TFileObject::AsListed
};

class TSmbReadAheadFile : public TFileObject {
 public:
  static constexpr int ChunkSize = SmbReadSize::Largest;

  // `chunkSize`: the size of the first chunk; later ones follow the link's
  // pace, up to the larger of it and ChunkSize.
  explicit TSmbReadAheadFile(std::unique_ptr<TSmbFileSource> source, int chunkSize = ChunkSize);

  int Read(void* buffer, int count) override;
  int Write(const void*, int) override { return -1; }
  qint64 Seek(qint64 offset, int origin) override;
  qint64 Size() override;
  bool GetWriteTime(qint64& ns) override { return FSource->WriteTime(ns); }
  bool SetWriteTime(qint64) override { return false; }
  bool AsListed() override { return FSource->AsListed(); }

 private:
  // What a read at `pos` asks for: a chunk, cut at the known size; past
  // it, or with no size known, no more than SmbReadSize::AtTheEnd.
  int AskAt(qint64 pos) const;
  // One read from the source into `out`, or (Fill) into the buffer.
  int Fetch(qint64 pos, char* out, int ask);
  int Fill(qint64 pos, int ask);
  // After a read at `pos` answered `n`: paces the chunk size by it and
  // tells the source what comes next; answers `n`.
  int Answered(qint64 pos, int n);

  std::unique_ptr<TSmbFileSource> FSource;
  int FChunk;
  int FLargest;
  qint64 FKnown;  // the size from the open; -1 unknown
  QByteArray FBuffer;
  qint64 FBufferStart = 0;  // file offset of FBuffer's first byte
  int FBufferLength = 0;    // valid bytes in FBuffer
  qint64 FPos = 0;
  qint64 FEnd = -1;  // the end of the file once a read has met it
};
