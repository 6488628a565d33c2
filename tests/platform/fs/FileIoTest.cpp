#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/core/DosTime.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"

using namespace FileSystem;

namespace {

class FileIo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    Drive = WinPath::FromLocal(FDir.path()) + u'\\';
  }
  QString Local(const QString& rel) const { return FDir.path() + u'/' + rel; }
  QByteArray Content(const QString& rel) const {
    QFile f(Local(rel));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir FDir;
  QString Drive;
};

}  // namespace

TEST_F(FileIo, CreateWriteReadSeekAndAppend) {
  const QString path = Drive + "data.bin";
  THandle h = FileCreate(path);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileWrite(h, "hello world", 11), 11);
  EXPECT_EQ(FileGetSize(h), 11);
  FileClose(h);

  h = FileOpen(path, fmOpenRead);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buf[64] = {};
  EXPECT_EQ(FileSeek(h, 6, 0), 6);
  EXPECT_EQ(FileRead(h, buf, 64), 5);  // short only at the end
  EXPECT_EQ(QByteArray(buf, 5), "world");
  EXPECT_EQ(FileRead(h, buf, 64), 0);
  EXPECT_EQ(FileWrite(h, "x", 1), -1);  // opened for reading
  EXPECT_EQ(FileSeek(h, -1, 0), -1);
  EXPECT_EQ(FileSeek(h, 0, 7), -1);
  FileClose(h);

  h = FileOpen(path, fmOpenWrite);  // appending: open for writing, move to the end
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileSeek(h, 0, 2), 11);
  EXPECT_EQ(FileWrite(h, "!", 1), 1);
  FileClose(h);
  EXPECT_EQ(Content("data.bin"), "hello world!");

  h = FileCreate(path);  // an existing file is emptied
  EXPECT_EQ(FileGetSize(h), 0);
  FileClose(h);
  FileClose(h);  // twice: nothing happens
  EXPECT_EQ(FileRead(h, buf, 1), -1);
  EXPECT_EQ(Content("data.bin"), "");
}

TEST_F(FileIo, CreateNewMakesOnlyANewFile) {
  int e = -1;
  const THandle h = FileCreateNew(Drive + "new.bin", &e);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, NO_ERROR);
  EXPECT_EQ(FileWrite(h, "abc", 3), 3);
  FileClose(h);
  // A name that is taken (a file, or a link even to nothing) stays as it was.
  ASSERT_TRUE(QFile::link(Local("nowhere"), Local("dangling")));
  EXPECT_EQ(FileCreateNew(Drive + "new.bin", &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_FILE_EXISTS);
  EXPECT_EQ(FileCreateNew(Drive + "dangling", &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_FILE_EXISTS);
  EXPECT_EQ(Content("new.bin"), "abc");
  EXPECT_FALSE(QFile::exists(Local("nowhere")));
}

TEST_F(FileIo, OpenFailsCleanly) {
  int e = 0;
  EXPECT_EQ(FileOpen(Drive + "missing.txt", fmOpenRead, &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FileCreate(Drive + "no\\such\\folder\\x.txt", &e), INVALID_HANDLE_VALUE);
  EXPECT_NE(e, 0);
  QDir().mkpath(Local("folder"));
  EXPECT_EQ(FileOpen(Drive + "folder", fmOpenRead, &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_ACCESS_DENIED);
  EXPECT_EQ(FileCreate(Drive + "folder", &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileOpen("C:\\", fmOpenRead), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileOpen(Drive + QString(MAX_PATH_LENGTH, u'n'), fmOpenRead, &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(FileOpen("\\\\NOSUCHPC\\share\\x.txt", fmOpenRead), INVALID_HANDLE_VALUE);
  // A named pipe would block a reader for ever: it does not open.
  ASSERT_EQ(mkfifo(QFile::encodeName(Local("pipe")).constData(), 0644), 0);
  EXPECT_EQ(FileOpen(Drive + "pipe", fmOpenRead, &e), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileCreate(Drive + "pipe"), INVALID_HANDLE_VALUE);
}

TEST_F(FileIo, FileOverFourGibibytesKeepsExactSizeAndResumeOffset) {
  const qint64 size = (4LL << 30) + 70000;  // past 2^32, not a multiple of a block
  {
    QFile f(Local("big.img"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size - 3));  // sparse
    f.seek(size - 3);
    f.write("END");
  }
  const THandle h = FileOpen(Drive + "big.img", fmOpenRead);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileGetSize(h), size);
  // Resuming at the length of a partial copy: the offset is not cut to 32 bits.
  const qint64 resume = size - 65536 + 1;
  EXPECT_EQ(FileSeek(h, resume, 0), resume);
  EXPECT_EQ(FileSeek(h, 0, 1), resume);
  QByteArray buf(65536, '?');
  EXPECT_EQ(FileRead(h, buf.data(), 65536), 65535);
  EXPECT_EQ(buf.mid(65532, 3), "END");
  EXPECT_EQ(FileSeek(h, -3, 2), size - 3);
  FileClose(h);

  const THandle d = FileOpen(Drive + "big.img", fmOpenWrite);
  EXPECT_EQ(FileSeek(d, 0, 2), size);
  FileClose(d);
  EXPECT_EQ(FileGetAttr(Drive + "big.img"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FileIo, DatesCarryOverToTheSecondAndAsDosStamps) {
  QFile(Local("src.txt")).open(QIODevice::WriteOnly);
  QFile(Local("dst.txt")).open(QIODevice::WriteOnly);
  const QDateTime when(QDate(2019, 3, 9), QTime(17, 4, 33, 250));
  {
    QFile f(Local("src.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  }
  const THandle s = FileOpen(Drive + "src.txt", fmOpenRead);
  const THandle d = FileOpen(Drive + "dst.txt", fmOpenWrite);
  qint64 ns = 0;
  ASSERT_TRUE(FileGetTime(s, ns));
  EXPECT_EQ(ns / 1000000, when.toMSecsSinceEpoch());
  ASSERT_TRUE(FileSetTime(d, ns));
  EXPECT_EQ(FileGetDate(s), qint64(DosTime::DateTimeToFileDate(when)));
  EXPECT_EQ(FileGetDate(d), FileGetDate(s));
  FileClose(d);
  EXPECT_EQ(FileAge(Drive + "dst.txt"), FileGetDate(s));

  const THandle d2 = FileOpen(Drive + "dst.txt", fmOpenWrite);
  const quint32 dos = DosTime::DateTimeToFileDate(QDateTime(QDate(2001, 1, 2), QTime(3, 4, 6)));
  ASSERT_TRUE(FileSetDate(d2, dos));
  EXPECT_EQ(FileGetDate(d2), qint64(dos));
  EXPECT_FALSE(FileSetDate(d2, 0));  // no such date
  FileClose(d2);
  FileClose(s);
  EXPECT_EQ(FileGetDate(s), -1);
  EXPECT_EQ(FileAge(Drive + "missing"), -1);
}

TEST_F(FileIo, FoldersAndFilesAreMadeAndRemoved) {
  EXPECT_EQ(CreateDir(Drive + "new"), 0);
  EXPECT_EQ(CreateDir(Drive + "new"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(CreateDir(Drive + "a\\b"), ERROR_PATH_NOT_FOUND);  // one level only
  EXPECT_TRUE(DirectoryExists(Drive + "new"));
  EXPECT_TRUE(DirectoryExists(Drive + "NEW\\"));
  EXPECT_FALSE(FileExists(Drive + "new"));
  FileClose(FileCreate(Drive + "new\\f.txt"));
  EXPECT_TRUE(FileExists(Drive + "New\\F.TXT"));
  EXPECT_TRUE(FileExists(Drive + "new\\f.txt."));
  EXPECT_FALSE(FileExists(Drive + "new\\*.txt"));
  EXPECT_FALSE(DirectoryExists(Drive + "new\\f.txt"));
  EXPECT_EQ(RemoveDir(Drive + "new"), ERROR_DIR_NOT_EMPTY);
  EXPECT_EQ(DeleteFile(Drive + "new"), ERROR_ACCESS_DENIED);  // never a folder
  EXPECT_EQ(RemoveDir(Drive + "new\\f.txt"), ERROR_DIRECTORY);
  EXPECT_EQ(DeleteFile(Drive + "NEW\\F.txt"), 0);
  EXPECT_EQ(DeleteFile(Drive + "new\\f.txt"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RemoveDir(Drive + "new"), 0);
  EXPECT_FALSE(DirectoryExists(Drive + "new"));
  EXPECT_TRUE(DirectoryExists("C:\\"));
  EXPECT_NE(RemoveDir("C:\\"), 0);
}

TEST_F(FileIo, FreeSpaceIsAskedWhereTheFilesGo) {
  const qint64 here = DiskFree(Drive);
  EXPECT_GT(here, 0);
  // A folder not made yet is answered by its nearest existing parent.
  EXPECT_GT(DiskFree(Drive + "later\\deeper\\"), 0);
  EXPECT_GT(DiskFree(3), 0);
  EXPECT_EQ(DiskFree(4), -1);
  EXPECT_EQ(DiskFree("D:\\"), -1);
  EXPECT_EQ(DiskFree("\\\\NOSUCHPC\\share\\"), -1);
}
