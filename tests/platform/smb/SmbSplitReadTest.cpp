// A large file read over two connections: whatever the second connection
// does, the bytes arrive whole and in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/smb/SmbSplitRead.h"

namespace {

QByteArray Pattern(qint64 size) {
  QByteArray b(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i) b[i] = char((i * 2654435761u) >> 13);
  return b;
}

struct OwnSource : TSmbFileSource {
  const QByteArray* Data;
  int Reads = 0;
  int Largest = 0;
  int ReadAt(qint64 offset, char* buffer, int count) override {
    ++Reads;
    Largest = std::max(Largest, count);
    const int n = int(qBound<qint64>(0, qint64(Data->size()) - offset, qint64(count)));
    std::memcpy(buffer, Data->constData() + offset, size_t(n));
    return n;
  }
  qint64 LastReadNs() override { return 1; }
  qint64 Size() override { return Data->size(); }
  bool WriteTime(qint64& ns) override {
    ns = 0;
    return true;
  }
};

struct Helper : TSmbChunkReader {
  struct TLog {
    int Reads = 0;
    bool Ended = false;
  };
  const QByteArray* Data;
  TLog* Log;
  int StartingFor = 2;  // State() calls before it is ready
  int FailAt = -1;      // this read fails (-2: never ready)
  int ShortAt = -1;     // this read answers half
  QByteArray Memory;
  qint64 Offset = -1;
  int Count = 0;
  ~Helper() override { Log->Ended = true; }
  TState State() override {
    if (FailAt == -2) return Failed;
    return StartingFor-- > 0 ? Starting : Ready;
  }
  bool Start(qint64 offset, int count) override {
    EXPECT_LE(count, SmbSplitRead::Chunk);
    EXPECT_LT(Offset, 0) << "one read at a time";
    Offset = offset;
    Count = count;
    return true;
  }
  int Finish(const char*& data) override {
    EXPECT_GE(Offset, 0);
    const int index = Log->Reads++;
    const qint64 offset = std::exchange(Offset, -1);
    if (index == FailAt) return -1;
    const int n = index == ShortAt ? Count / 2 : Count;
    Memory = Data->mid(offset, n);
    data = Memory.constData();
    return n;
  }
};

}  // namespace

TEST(SmbSplitRead, EveryByteArrivesInOrderWhateverTheSecondConnectionDoes) {
  const QByteArray data = Pattern(SmbSplitRead::SmallestFile + 3 * SmbSplitRead::Chunk + 12345);
  const struct {
    const char* What;
    int FailAt, ShortAt;
    bool HelperUsed, HelperEndsEarly;
  } cases[] = {
      {"both connections throughout", -1, -1, true, false},
      {"the helper fails at its third read", 2, -1, true, true},
      {"the helper answers short", -1, 1, true, true},
      {"the helper never logs on", -2, -1, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    auto own = std::make_unique<OwnSource>();
    own->Data = &data;
    OwnSource* ownSeen = own.get();
    Helper::TLog log;
    auto starter = [&]() -> std::unique_ptr<TSmbChunkReader> {
      auto h = std::make_unique<Helper>();
      h->Data = &data;
      h->Log = &log;
      h->FailAt = c.FailAt;
      h->ShortAt = c.ShortAt;
      return h;
    };
    TSmbReadAheadFile file(std::make_unique<TSmbSplitFile>(std::move(own), starter, SmbSplitRead::FastPace),
                           SmbReadSize::Largest);
    QByteArray got;
    char block[65536];
    int n;
    while ((n = file.Read(block, sizeof block)) > 0) got.append(block, n);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(got == data) << "got " << got.size() << " of " << data.size();
    EXPECT_EQ(log.Reads > 0, c.HelperUsed);
    EXPECT_GT(ownSeen->Reads, 0);
    // The plan ends at the known size; a helper given up on is gone at once.
    if (c.HelperEndsEarly) EXPECT_TRUE(log.Ended);
    if (c.HelperUsed && c.FailAt < 0 && c.ShortAt < 0) {
      EXPECT_GE(log.Reads, 2);
      // Buffers as large as the pace would only hold memory.
      EXPECT_LE(ownSeen->Largest, SmbSplitRead::Chunk);
    }
  }
}

TEST(SmbSplitRead, ASmallFileOrASlowHostKeepsOneConnection) {
  const QByteArray data = Pattern(SmbSplitRead::SmallestFile + 1);
  const QByteArray small = Pattern(SmbSplitRead::SmallestFile - 1);
  int started = 0;
  auto starter = [&]() -> std::unique_ptr<TSmbChunkReader> {
    ++started;
    return nullptr;
  };
  for (const QByteArray* d : {&small, &data}) {
    auto own = std::make_unique<OwnSource>();
    own->Data = d;
    const int pace = d == &small ? SmbSplitRead::FastPace : SmbSplitRead::FastPace / 2;
    TSmbSplitFile file(std::move(own), starter, pace);
    file.Paced(SmbSplitRead::FastPace / 2);
  }
  EXPECT_EQ(started, 0);
}
