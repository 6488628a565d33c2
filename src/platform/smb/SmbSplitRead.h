#pragma once
// One large file read over two connections at once. The library ends each
// read waiting for the last answer of it, so one connection leaves the
// link idle for a round trip between reads; a second connection, in a
// helper process of its own (SmbReadHelper.h), transfers while the first
// waits, and the other way round. Chunks alternate between the two in
// file order; the read-ahead buffer takes them in that order.
//
// - Only for a file of at least SmallestFile from a host whose reads reached
//   FastPace (SmbReadSize): a slower link keeps the paced reads of one
//   connection.
// - The helper's bytes count only once it has answered for all of them;
//   whatever it did not deliver (it failed, was refused, killed, or read
//   short) is read on the program's own connection, and the helper is not
//   used again for that file. A read that is not the next chunk (a seek,
//   the end of the file) also goes back to the one connection.
#include <QByteArray>
#include <functional>
#include <memory>

#include "platform/smb/SmbReadAhead.h"

namespace SmbSplitRead {
constexpr qint64 SmallestFile = 64LL * 1024 * 1024;
constexpr int FastPace = 16 * 1024 * 1024;
// Each connection's read: one request of the largest size servers take,
// which keeps a copy, the helper's memory included, within 64 MiB.
constexpr int Chunk = 8 * 1024 * 1024;
}  // namespace SmbSplitRead

// The second connection: one read at a time into memory of its own.
class TSmbChunkReader {
 public:
  virtual ~TSmbChunkReader() = default;
  enum TState { Starting, Ready, Failed };
  // Without waiting.
  virtual TState State() = 0;
  // Starts reading `count` (at most SmbSplitRead::Chunk) bytes at `offset`.
  virtual bool Start(qint64 offset, int count) = 0;
  // Waits for the read started: the bytes read, `data` pointing at them
  // (valid until the next Start), or -1 on failure or a stop request.
  virtual int Finish(const char*& data) = 0;
};

class TSmbSplitFile : public TSmbFileSource {
 public:
  using TStarter = std::function<std::unique_ptr<TSmbChunkReader>()>;
  // `own`: the program's connection; `starter` makes the second when it
  // may pay off; `pace`: the read size the host is known for.
  TSmbSplitFile(std::unique_ptr<TSmbFileSource> own, TStarter starter, int pace);

  int ReadAt(qint64 offset, char* buffer, int count) override;
  int ReadInto(qint64 offset, QByteArray& buffer, int count) override;
  qint64 LastReadNs() override { return FFromPlan ? 0 : FOwn->LastReadNs(); }
  void Expect(qint64 offset, int count) override;
  void Paced(int size) override;
  // While two connections read, each reads a chunk at a time.
  int ReadCeiling() override { return FHelper ? SmbSplitRead::Chunk : 0; }
  qint64 Size() override { return FOwn->Size(); }
  bool WriteTime(qint64& ns) override { return FOwn->WriteTime(ns); }

 private:
  struct TChunk {
    qint64 Offset = -1;  // none
    int Count = 0;
  };
  static constexpr int NotPlanned = -2;
  void StartHelper();
  // Gives each idle connection the next chunk.
  void Plan();
  // Back to the one connection for good.
  void StopSplit();
  // The read at `offset` when it is the next chunk: into `out`, or into
  // `into` (resized); NotPlanned when it is not.
  int Serve(qint64 offset, int count, char* out, QByteArray* into);
  int Done(qint64 offset, int n);

  std::unique_ptr<TSmbFileSource> FOwn;
  TStarter FStarter;
  std::unique_ptr<TSmbChunkReader> FHelper;  // declared after FOwn: ends first
  bool FHelperAsked = false;
  TChunk FOwnChunk, FHelperChunk;
  qint64 FPlanStart = -1;
  qint64 FPlanEnd = -1;  // where the next chunk starts; -1 while not splitting
  qint64 FReadEnd = 0;   // where the last read ended
  bool FFromPlan = false;
};

// The source of a file the program opened on `host`: the one connection
// for a small file, else split when the link proves fast.
struct TSmbCredential;
std::unique_ptr<TSmbFileSource> SmbFileSource(const QString& host, const QByteArray& url, const TSmbCredential& c,
                                              qint64 handle, qint64 size, qint64 writeTimeNs);
