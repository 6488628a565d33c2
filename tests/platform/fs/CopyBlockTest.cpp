#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "platform/fs/FileIo.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "support/SimNet.h"

using namespace FileSystem;

namespace {

constexpr qint64 kBlock = 65536;

class CopyBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    Drive = WinPath::FromLocal(FDir.path()) + u'\\';
  }
  QString Local(const QString& rel) const { return FDir.path() + u'/' + rel; }
  void Write(const QString& rel, const QByteArray& data) {
    QFile f(Local(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  }
  QByteArray Content(const QString& rel) const {
    QFile f(Local(rel));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  // The loop a copy runs: blocks until a short one; the sizes of the blocks.
  static QList<qint64> CopyAll(THandle in, THandle out, int* lastError = nullptr) {
    QList<qint64> blocks;
    for (;;) {
      int e = -1;
      const qint64 n = CopyBlock(in, out, kBlock, &e);
      if (lastError) *lastError = e;
      blocks.append(n);
      if (n < kBlock || e != NO_ERROR) break;
    }
    return blocks;
  }

  QTemporaryDir FDir;
  QString Drive;
};

QByteArray Data(qint64 size) {
  QByteArray b(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i) b[i] = char((i * 7 + i / 251) & 0xFF);
  return b;
}

}  // namespace

TEST_F(CopyBlockTest, CopiesBlockByBlockFromWhereBothFilesStand) {
  const QByteArray data = Data(3 * kBlock + 1234);
  Write("src.bin", data);
  THandle in = FileOpen(Drive + "src.bin", fmOpenRead);
  THandle out = FileCreate(Drive + "dst.bin");
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CopyAll(in, out), QList<qint64>({kBlock, kBlock, kBlock, 1234}));
  EXPECT_EQ(CopyBlock(in, out, kBlock), 0);  // at the end
  EXPECT_EQ(FileSeek(in, 0, 1), data.size());
  EXPECT_EQ(FileSeek(out, 0, 1), data.size());
  FileClose(out);
  EXPECT_EQ(Content("dst.bin"), data);

  // Resuming: the rest of the source after what the destination holds.
  Write("part.bin", data.left(100000));
  out = FileOpen(Drive + "part.bin", fmOpenWrite);
  ASSERT_EQ(FileSeek(out, 0, 2), 100000);
  ASSERT_EQ(FileSeek(in, 100000, 0), 100000);
  CopyAll(in, out);
  FileClose(out);
  EXPECT_EQ(Content("part.bin"), data);

  // An empty source copies nothing and says so without an error.
  Write("empty.bin", {});
  THandle none = FileOpen(Drive + "empty.bin", fmOpenRead);
  out = FileCreate(Drive + "empty-copy.bin");
  int e = -1;
  EXPECT_EQ(CopyBlock(none, out, kBlock, &e), 0);
  EXPECT_EQ(e, NO_ERROR);
  FileClose(none);
  FileClose(out);
  FileClose(in);
  EXPECT_EQ(Content("empty-copy.bin"), QByteArray());
}

TEST_F(CopyBlockTest, BadHandlesAndCountsFailWithoutTouchingAnything) {
  Write("src.bin", "abc");
  THandle in = FileOpen(Drive + "src.bin", fmOpenRead);
  THandle out = FileCreate(Drive + "dst.bin");
  int e = 0;
  EXPECT_EQ(CopyBlock(in, 987654, kBlock, &e), -1);
  EXPECT_EQ(e, ERROR_INVALID_HANDLE);
  EXPECT_EQ(CopyBlock(987654, out, kBlock, &e), -1);
  EXPECT_EQ(e, ERROR_INVALID_HANDLE);
  EXPECT_EQ(CopyBlock(in, out, -1, &e), -1);
  EXPECT_EQ(e, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CopyBlock(in, out, 0, &e), 0);
  EXPECT_EQ(e, NO_ERROR);
  EXPECT_EQ(FileSeek(in, 0, 1), 0);
  FileClose(out);
  EXPECT_EQ(CopyBlock(in, out, kBlock, &e), -1);  // closed
  EXPECT_EQ(e, ERROR_INVALID_HANDLE);
  FileClose(in);
  EXPECT_EQ(Content("dst.bin"), QByteArray());
}

TEST_F(CopyBlockTest, TellsAReadFailureFromAWriteFailure) {
  Write("src.bin", Data(5000));
  Write("other.bin", "x");
  // A destination opened for reading cannot be written.
  THandle in = FileOpen(Drive + "src.bin", fmOpenRead);
  THandle readOnly = FileOpen(Drive + "other.bin", fmOpenRead);
  int e = 0;
  EXPECT_EQ(CopyBlock(in, readOnly, kBlock, &e), 0);
  EXPECT_EQ(e, ERROR_WRITE_FAULT);
  FileClose(readOnly);
  FileClose(in);
  // A source opened for writing cannot be read.
  THandle writeOnly = FileOpen(Drive + "src.bin", fmOpenWrite);
  THandle out = FileCreate(Drive + "dst.bin");
  EXPECT_EQ(CopyBlock(writeOnly, out, kBlock, &e), 0);
  EXPECT_EQ(e, ERROR_READ_FAULT);
  FileClose(writeOnly);
  FileClose(out);
  EXPECT_EQ(Content("other.bin"), "x");
}

TEST_F(CopyBlockTest, AFullDestinationStopsTheCopyWithTheBytesThatFitCounted) {
  // A file size limit fails writes past it as a full disk would.
  const qint64 limit = kBlock + 1000;
  Write("src.bin", Data(3 * kBlock));
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = rlim_t(limit);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  THandle in = FileOpen(Drive + "src.bin", fmOpenRead);
  THandle out = FileCreate(Drive + "dst.bin");
  int e = 0;
  const QList<qint64> blocks = CopyAll(in, out, &e);
  FileClose(in);
  FileClose(out);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(blocks, QList<qint64>({kBlock, 1000}));
  EXPECT_NE(e, NO_ERROR);
  EXPECT_NE(e, ERROR_READ_FAULT);
  EXPECT_EQ(Content("dst.bin"), Data(3 * kBlock).left(limit));
}

TEST_F(CopyBlockTest, FilesThatTellNoSizeAreCopiedWhole) {
  // Kernel files report a size of 0 but have content.
  QFile version(QStringLiteral("/proc/version"));
  if (!version.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no /proc here";
  const QByteArray expected = version.readAll();
  ASSERT_FALSE(expected.isEmpty());
  THandle in = FileOpen("C:\\proc\\version", fmOpenRead);
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  THandle out = FileCreate(Drive + "version.txt");
  int e = -1;
  EXPECT_EQ(CopyAll(in, out, &e), QList<qint64>({qint64(expected.size())}));
  EXPECT_EQ(e, NO_ERROR);
  FileClose(in);
  FileClose(out);
  EXPECT_EQ(Content("version.txt"), expected);
}

TEST_F(CopyBlockTest, PositionsPastFourGibibytesAndNetworkSourcesCopyExactly) {
  const qint64 size = (4LL << 30) + 70000;
  {
    QFile f(Local("big.img"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size));
    ASSERT_TRUE(f.seek(size - 3));
    f.write("end");
  }
  THandle in = FileOpen(Drive + "big.img", fmOpenRead);
  THandle out = FileCreate(Drive + "tail.bin");
  ASSERT_EQ(FileSeek(in, size - 70000, 0), size - 70000);
  EXPECT_EQ(CopyAll(in, out), QList<qint64>({kBlock, 70000 - kBlock}));
  EXPECT_EQ(FileSeek(in, 0, 1), size);
  FileClose(in);
  FileClose(out);
  const QByteArray tail = Content("tail.bin");
  ASSERT_EQ(tail.size(), 70000);
  EXPECT_EQ(tail.right(3), "end");
  EXPECT_EQ(tail.left(69997), QByteArray(69997, 0));

  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddFile("\\\\PC1\\docs\\a.bin", 200000);
  in = FileOpen("\\\\pc1\\DOCS\\A.BIN", fmOpenRead);
  out = FileCreate(Drive + "a.bin");
  ASSERT_NE(in, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CopyAll(in, out), QList<qint64>({kBlock, kBlock, kBlock, 200000 - 3 * kBlock}));
  FileClose(in);
  FileClose(out);
  EXPECT_EQ(Content("a.bin"), TSimNet::Pattern(200000));
}
