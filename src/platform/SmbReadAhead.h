#pragma once
// A file of a share opened for reading, served from a read-ahead buffer:
// the program reads in blocks of 64 KiB, and every read of the library is
// a round trip to the server, so the file is fetched in chunks of about
// 1 MiB and the small reads are served from memory. Reads at least a chunk
// long go to the server directly. The program never writes to a share:
// writing fails.
#include <QByteArray>
#include <memory>

#include "platform/FsBackend.h"

// What the read-ahead buffer reads from.
class TSmbFileSource {
 public:
  virtual ~TSmbFileSource() = default;
  // Up to `count` bytes from `offset`: bytes read (fewer only at the end),
  // 0 at or past the end, -1 on failure.
  virtual int ReadAt(qint64 offset, char* buffer, int count) = 0;
  virtual qint64 Size() = 0;  // -1 on failure
  virtual bool WriteTime(qint64& ns) = 0;
};

class TSmbReadAheadFile : public TFileObject {
 public:
  static constexpr int ChunkSize = 1024 * 1024;

  explicit TSmbReadAheadFile(std::unique_ptr<TSmbFileSource> source, int chunkSize = ChunkSize);

  int Read(void* buffer, int count) override;
  int Write(const void*, int) override { return -1; }
  qint64 Seek(qint64 offset, int origin) override;
  qint64 Size() override;
  bool GetWriteTime(qint64& ns) override { return FSource->WriteTime(ns); }
  bool SetWriteTime(qint64) override { return false; }

 private:
  std::unique_ptr<TSmbFileSource> FSource;
  int FChunk;
  QByteArray FBuffer;
  qint64 FBufferStart = 0;  // file offset of FBuffer's first byte
  int FBufferLength = 0;    // valid bytes in FBuffer
  qint64 FPos = 0;
  qint64 FEnd = -1;  // the end of the file once a read has met it
};
