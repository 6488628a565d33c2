// A file of a share read through the read-ahead buffer, against a fake
// source that counts its round trips.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/FsBackend.h"
#include "platform/SmbReadAhead.h"

namespace {

struct FakeSource : TSmbFileSource {
  QByteArray Data;
  int Calls = 0;
  qint64 FailAt = -1;  // a read touching this offset fails
  int MaxBytes = 1 << 30;  // the server's largest answer
  int ReadAt(qint64 offset, char* buffer, int count) override {
    ++Calls;
    if (FailAt >= 0 && offset <= FailAt && FailAt < offset + count) return -1;
    if (offset >= Data.size()) return 0;
    const int n = int(qMin<qint64>(qMin(count, MaxBytes), Data.size() - offset));
    std::memcpy(buffer, Data.constData() + offset, size_t(n));
    return n;
  }
  qint64 Size() override { return Data.size(); }
  bool WriteTime(qint64& ns) override {
    ns = 1234567890123456789LL;
    return true;
  }
};

QByteArray Pattern(int size) {
  QByteArray b(size, '\0');
  for (int i = 0; i < size; ++i) b[i] = char((i * 131 + i / 7) & 0xFF);
  return b;
}

struct Fixture {
  FakeSource* source;
  std::unique_ptr<TSmbReadAheadFile> file;
  explicit Fixture(int size, int chunk = 1024) {
    auto s = std::make_unique<FakeSource>();
    s->Data = Pattern(size);
    source = s.get();
    file = std::make_unique<TSmbReadAheadFile>(std::move(s), chunk);
  }
};

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

TEST(SmbReadAhead, LargeReadsAndCopyToBringEveryByte) {
  Fixture f(3 * 1024 * 1024 + 17, 256 * 1024);
  QByteArray big(1024 * 1024, '\0');
  ASSERT_EQ(f.file->Read(big.data(), big.size()), big.size());
  EXPECT_EQ(big, f.source->Data.left(big.size()));

  // The rest through the generic copy loop into a memory file.
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
  } out;
  int error = -1;
  const qint64 moved = f.file->CopyTo(out, qint64(1) << 40, error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(moved, f.source->Data.size() - big.size());
  EXPECT_EQ(out.Data, f.source->Data.mid(big.size()));
}
