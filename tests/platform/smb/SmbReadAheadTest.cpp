// A file of a share read through the read-ahead buffer, against a fake
// source that counts its round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/fs/FsBackend.h"
#include "platform/smb/SmbReadAhead.h"

namespace {

struct FakeSource : TSmbFileSource {
  QByteArray Data;
  int Calls = 0;
  qint64 FailAt = -1;  // a read touching this offset fails
  int MaxBytes = 1 << 30;  // the server's largest answer
  qint64 Known = -2;       // the size the open reported (-2: the data's)
  qint64 BytesPerSecond = 0;  // a link of this rate times each read (0: untimed)
  QList<int> Asked;           // the count of every read
  QList<qint64> Expected;     // offsets the buffer said it would read next
  qint64 Ns = 0;
  int ReadAt(qint64 offset, char* buffer, int count) override {
    ++Calls;
    Asked.append(count);
    Ns = 0;
    if (FailAt >= 0 && offset <= FailAt && FailAt < offset + count) return -1;
    if (offset >= Data.size()) return 0;  // "success, 0 bytes" past the end
    const int n = int(qMin<qint64>(qMin(count, MaxBytes), Data.size() - offset));
    std::memcpy(buffer, Data.constData() + offset, size_t(n));
    if (BytesPerSecond) Ns = qint64(n) * 1000000000LL / BytesPerSecond;
    return n;
  }
  // Answers in buffers of its own, as the library's reads do, keeping
  // each buffer it gets back for a later read.
  bool Swaps = false;
  QByteArray Spare;
  int ReadInto(qint64 offset, QByteArray& buffer, int count) override {
    if (!Swaps) return TSmbFileSource::ReadInto(offset, buffer, count);
    QByteArray mine = std::move(Spare);
    mine.resize(count);
    const int n = ReadAt(offset, mine.data(), count);
    if (n < 0) return -1;
    mine.truncate(n);
    Spare = std::move(buffer);
    buffer = std::move(mine);
    return n;
  }
  qint64 LastReadNs() override { return Ns; }
  void Expect(qint64 offset, int) override { Expected.append(offset); }
  qint64 Size() override { return Known == -2 ? Data.size() : Known; }
  bool WriteTime(qint64& ns) override {
    ns = 1234567890123456789LL;
    return true;
  }
};

QByteArray Pattern(int size) {
  QByteArray b(size, '\0');
  for (int i = 0; i < size; ++i) b[i] = char((qint64(i) * 131 + i / 7) & 0xFF);
  return b;
}

struct Fixture {
  FakeSource* source;
  std::unique_ptr<TSmbReadAheadFile> file;
  explicit Fixture(int size, int chunk = 1024, qint64 known = -2) {
    auto s = std::make_unique<FakeSource>();
    s->Data = Pattern(size);
    s->Known = known;
    source = s.get();
    file = std::make_unique<TSmbReadAheadFile>(std::move(s), chunk);
  }
};

struct MemoryFile : TFileObject {
  QByteArray Data;
  int Read(void*, int) override { return -1; }
  int Write(const void* b, int n) override {
    Data.append(static_cast<const char*>(b), n);
    return n;
  }
  qint64 Seek(qint64, int) override { return -1; }
  qint64 Size() override { return Data.size(); }
  bool GetWriteTime(qint64&) override { return false; }
  bool SetWriteTime(qint64) override { return false; }
};

QByteArray CopyAll(TSmbReadAheadFile& file, int& error) {
  MemoryFile out;
  file.CopyTo(out, qint64(1) << 40, error);
  return out.Data;
}

}  // namespace

TEST(SmbReadAhead, SmallReadsAreServedFromFewLargeOnes) {
  Fixture f(10000, 1024);
  QByteArray got;
  char block[100];
  for (;;) {
    const int n = f.file->Read(block, sizeof block);
    ASSERT_GE(n, 0);
    if (n == 0) break;
    got.append(block, n);
  }
  EXPECT_EQ(got, f.source->Data);
  EXPECT_LE(f.source->Calls, 11);  // 10 chunks and the end, not 100 reads
  EXPECT_EQ(f.file->Read(block, sizeof block), 0);
}

TEST(SmbReadAhead, ReadsFillTheBufferWholeExceptAtTheEnd) {
  // A copy loop takes a short read for the end of the file: every read
  // before the end must be whole, even across chunks and short answers.
  Fixture f(5000, 1024);
  f.source->MaxBytes = 300;
  QByteArray block(1500, '\0');
  EXPECT_EQ(f.file->Read(block.data(), 1500), 1500);
  EXPECT_EQ(block, f.source->Data.left(1500));
  EXPECT_EQ(f.file->Read(block.data(), 1500), 1500);
  EXPECT_EQ(block, f.source->Data.mid(1500, 1500));
  EXPECT_EQ(f.file->Read(block.data(), 1500), 1500);
  EXPECT_EQ(f.file->Read(block.data(), 1500), 500);
  EXPECT_EQ(block.left(500), f.source->Data.right(500));
}

TEST(SmbReadAhead, SeekForResumeAndTheFileObjectRules) {
  Fixture f(4096, 1000);
  EXPECT_EQ(f.file->Size(), 4096);
  EXPECT_EQ(f.file->Seek(2500, 0), 2500);
  char b[10];
  ASSERT_EQ(f.file->Read(b, 10), 10);
  EXPECT_EQ(QByteArray(b, 10), f.source->Data.mid(2500, 10));
  EXPECT_EQ(f.file->Seek(-10, 1), 2500);  // back inside what was fetched
  const int calls = f.source->Calls;
  ASSERT_EQ(f.file->Read(b, 10), 10);
  EXPECT_EQ(QByteArray(b, 10), f.source->Data.mid(2500, 10));
  EXPECT_EQ(f.source->Calls, calls);  // served from memory
  EXPECT_EQ(f.file->Seek(-6, 2), 4090);
  EXPECT_EQ(f.file->Read(b, 10), 6);
  EXPECT_EQ(f.file->Seek(5000, 0), 5000);  // past the end: reads give nothing
  EXPECT_EQ(f.file->Read(b, 10), 0);
  EXPECT_EQ(f.file->Seek(-1, 0), -1);
  EXPECT_EQ(f.file->Seek(0, 7), -1);
  // Nothing is ever written to a share.
  EXPECT_EQ(f.file->Write("x", 1), -1);
  EXPECT_FALSE(f.file->SetWriteTime(0));
  qint64 ns = 0;
  EXPECT_TRUE(f.file->GetWriteTime(ns));
  EXPECT_EQ(ns, 1234567890123456789LL);
}

TEST(SmbReadAhead, AFailedReadFailsWholeAndKeepsThePosition) {
  Fixture f(8192, 1024);
  f.source->FailAt = 3000;
  char b[2048];
  ASSERT_EQ(f.file->Read(b, 2048), 2048);
  // This read would reach the failing part: it fails as a whole (a short
  // count would pass for the end of the file and truncate a copy).
  EXPECT_EQ(f.file->Read(b, 2048), -1);
  f.source->FailAt = -1;
  ASSERT_EQ(f.file->Read(b, 2048), 2048);
  EXPECT_EQ(QByteArray(b, 2048), f.source->Data.mid(2048, 2048));
}

TEST(SmbReadAhead, ASourceThatHandsOverItsOwnBuffersGivesEveryByte) {
  Fixture f(5000, 1024);
  f.source->Swaps = true;
  f.source->MaxBytes = 700;  // short answers: buffers of another size come back
  f.source->FailAt = 4500;
  QByteArray block(1500, '\0');
  ASSERT_EQ(f.file->Read(block.data(), 1500), 1500);
  EXPECT_EQ(block, f.source->Data.left(1500));
  ASSERT_EQ(f.file->Read(block.data(), 1500), 1500);
  EXPECT_EQ(block, f.source->Data.mid(1500, 1500));
  EXPECT_EQ(f.file->Read(block.data(), 1500), -1);  // the buffer it had stays whole
  f.source->FailAt = -1;
  int error = -1;
  EXPECT_EQ(CopyAll(*f.file, error), f.source->Data.mid(3000));
}

TEST(SmbReadAhead, LargeReadsAndCopyToBringEveryByte) {
  Fixture f(3 * 1024 * 1024 + 17, 256 * 1024);
  QByteArray big(1024 * 1024, '\0');
  ASSERT_EQ(f.file->Read(big.data(), big.size()), big.size());
  EXPECT_EQ(big, f.source->Data.left(big.size()));

  // The rest through the generic copy loop into a memory file.
  MemoryFile out;
  int error = -1;
  const qint64 moved = f.file->CopyTo(out, qint64(1) << 40, error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(moved, f.source->Data.size() - big.size());
  EXPECT_EQ(out.Data, f.source->Data.mid(big.size()));
}

TEST(SmbReadAhead, ReadsStopAtTheSizeFromTheOpen) {
  // A small file costs one read of its size, started at the open: nothing
  // asked past its end.
  for (const int size : {9, 3, 300000}) {
    Fixture f(size, TSmbReadAheadFile::ChunkSize);
    int error = -1;
    EXPECT_EQ(CopyAll(*f.file, error), f.source->Data);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(f.source->Asked, QList<int>({size})) << size;
    EXPECT_EQ(f.source->Expected, QList<qint64>({0})) << size;
  }
  // Larger ones: whole chunks, the last cut at the known end, and no read
  // started ahead past it.
  Fixture f(2500, 1024);
  int error = -1;
  EXPECT_EQ(CopyAll(*f.file, error), f.source->Data);
  EXPECT_EQ(f.source->Asked, QList<int>({1024, 1024, 452}));
  EXPECT_EQ(f.source->Expected, QList<qint64>({0, 1024, 2048}));
}

TEST(SmbReadAhead, AZeroByteAnswerIsTheEndWhateverSizeWasKnown) {
  // Servers that answer reads past the end with success and 0 bytes: a
  // file shorter than the open said, or one of unknown size, ends there.
  for (const qint64 known : {qint64(5000), qint64(-1)}) {
    Fixture f(3000, 1024, known);
    int error = -1;
    EXPECT_EQ(CopyAll(*f.file, error), f.source->Data);
    EXPECT_EQ(error, 0);
    EXPECT_LE(f.source->Calls, 4);
    char b[10];
    EXPECT_EQ(f.file->Read(b, sizeof b), 0);  // and stays the end
    EXPECT_LE(f.source->Calls, 4);
  }
  // A read that may start at the end asks no more than one request's worth:
  // a larger one is sent as several at once, and those the end cut short
  // would still be under way on the connection.
  Fixture f64(2 * 65536, TSmbReadAheadFile::ChunkSize);
  int error64 = -1;
  EXPECT_EQ(CopyAll(*f64.file, error64), f64.source->Data);
  QByteArray block(65536, '\0');
  EXPECT_EQ(f64.file->Read(block.data(), 65536), 0);  // a copy loop's last look
  EXPECT_EQ(f64.source->Asked, QList<int>({2 * 65536, SmbReadSize::AtTheEnd}));
  Fixture unknown(100000, TSmbReadAheadFile::ChunkSize, -1);
  EXPECT_EQ(CopyAll(*unknown.file, error64), unknown.source->Data);
  for (const int asked : unknown.source->Asked) EXPECT_LE(asked, SmbReadSize::AtTheEnd);
  // A server that sends less than asked is not at the end: the rest follows.
  Fixture f(5000, 2048, -1);
  f.source->MaxBytes = 700;
  int error = -1;
  EXPECT_EQ(CopyAll(*f.file, error), f.source->Data);
}

TEST(SmbReadAhead, AFileThatGrewIsReadOnWhenAskedAgain) {
  Fixture f(1500, 1024, 1000);  // 500 bytes came after the open
  QByteArray block(4096, '\0');
  ASSERT_EQ(f.file->Read(block.data(), 4096), 1000);
  EXPECT_EQ(f.file->Read(block.data(), 4096), 500);
  EXPECT_EQ(block.left(500), f.source->Data.mid(1000));
  EXPECT_EQ(f.file->Read(block.data(), 4096), 0);
}

TEST(SmbReadAhead, ReadsFollowTheLinksPace) {
  // 1 Mbit/s: no read may take long enough to meet a 5 s timeout.
  Fixture slow(4000000, SmbReadSize::First);
  slow.source->BytesPerSecond = 125000;
  int error = -1;
  EXPECT_EQ(CopyAll(*slow.file, error), slow.source->Data);
  for (int i = 0; i < slow.source->Asked.size(); ++i)
    EXPECT_LE(qint64(slow.source->Asked[i]) * 1000000000LL / 125000, 2 * SmbReadSize::TargetNs) << i;
  // A fast link grows from a small start to the largest size: several of
  // a server's largest requests (8 MiB) in one read, kept in flight together.
  Fixture fast(3 * SmbReadSize::Largest, 64 * 1024);
  fast.source->BytesPerSecond = 1000LL * 1000 * 1000;
  EXPECT_EQ(CopyAll(*fast.file, error), fast.source->Data);
  const int largest = *std::max_element(fast.source->Asked.begin(), fast.source->Asked.end());
  EXPECT_EQ(largest, SmbReadSize::Largest);
  EXPECT_GE(largest, 2 * 8 * 1024 * 1024);
}

TEST(SmbReadSize, NextSizeCarriesAboutASecond) {
  using namespace SmbReadSize;
  const qint64 second = 1000000000LL;
  EXPECT_EQ(Next(256 * 1024, 256 * 1024, 2 * second), 128 * 1024);   // halves to a second's worth
  EXPECT_EQ(Next(64 * 1024, 64 * 1024, second / 100), 128 * 1024);  // grows at most twofold
  EXPECT_EQ(Next(Largest, Largest, second / 100), Largest);         // never past the largest
  // Past one request a read carries a quarter second: 100 Mbit/s, 3 MiB.
  EXPECT_EQ(Next(Largest, 12500000, second), 12500000 / 4 / 1024 * 1024);
  EXPECT_EQ(Next(OneRequest, OneRequest, second), OneRequest);
  EXPECT_EQ(Next(64 * 1024, 64 * 1024, 100 * second), Smallest);   // never below the smallest
  EXPECT_EQ(Next(64 * 1024, 9, 100 * second), 64 * 1024);          // a file's short end teaches nothing
  EXPECT_EQ(Next(64 * 1024, 64 * 1024, 0), 64 * 1024);             // nor an untimed read
  EXPECT_EQ(Next(100000, 100000, second) % 1024, 0);               // whole KiB
  Remember("Srv9", 48 * 1024);
  EXPECT_EQ(Remembered("SRV9"), 48 * 1024);
  Remember("Srv9", Largest);  // a fast host's next file starts with reads that large
  EXPECT_EQ(Remembered("SRV9"), Largest);
  EXPECT_EQ(Remembered("never-seen"), First);
}
