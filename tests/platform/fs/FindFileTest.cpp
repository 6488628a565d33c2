#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/DosTime.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "support/EntryNames.h"

namespace {

class LocalFind : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    Drive = WinPath::FromLocal(FDir.path()) + u'\\';
  }
  void Touch(const QString& rel, const QByteArray& content = {}) {
    const QString p = FDir.path() + u'/' + rel;
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  void MkDir(const QString& rel) { QDir().mkpath(FDir.path() + u'/' + rel); }
  QString Local(const QString& rel) const { return FDir.path() + u'/' + rel; }

  QTemporaryDir FDir;
  QString Drive;  // the temporary folder as a drive path, with a final backslash
};

}  // namespace

TEST_F(LocalFind, MasksMatchAsOnWindowsAndEveryListingStartsWithTheDots) {
  for (const char* n : {"page.htm", "PAGE2.HTM", "page.html", "README", "a.txt", "ab.txt", "notes.TXT"}) Touch(n);
  MkDir("Docs.old");
  EXPECT_EQ(Names(Drive + "*.htm"), QStringList({"page.htm", "page.html", "PAGE2.HTM"}));
  EXPECT_EQ(Names(Drive + "*.HTM"), QStringList({"page.htm", "page.html", "PAGE2.HTM"}));
  EXPECT_EQ(Names(Drive + "?.txt"), QStringList({"a.txt"}));
  EXPECT_EQ(Names(Drive + "*.Txt"), QStringList({"a.txt", "ab.txt", "notes.TXT"}));
  EXPECT_EQ(Names(Drive + "*.*"),
            QStringList({".", "..", "a.txt", "ab.txt", "Docs.old", "notes.TXT", "page.htm", "page.html",
                         "PAGE2.HTM", "README"}));
  EXPECT_EQ(Names(Drive + "*").size(), 10);
  EXPECT_EQ(Names(Drive + "*.old"), QStringList({"Docs.old"}));
  int e = 0;
  EXPECT_TRUE(Names(Drive + "*.xyz", faAnyFile, &e).isEmpty());
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
}

TEST_F(LocalFind, QuestionMarkStopsAtTheDotAndMayMatchNothingThere) {
  for (const char* n : {"ten.bin", "k1.bin", "fives.bin", "README", "README12", "page.htm", "x.y.dat"}) Touch(n);
  EXPECT_EQ(Names(Drive + "????.bin"), QStringList({"k1.bin", "ten.bin"}));
  EXPECT_EQ(Names(Drive + "README?"), QStringList({"README"}));
  int e = 0;
  EXPECT_TRUE(Names(Drive + "page?htm", faAnyFile, &e).isEmpty());
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Names(Drive + "?.?.dat"), QStringList({"x.y.dat"}));
}

TEST_F(LocalFind, RecordCarriesNameSizeAttributesAndLocalDosTime) {
  Touch("sub/report.txt", QByteArray(1234, 'x'));
  const QDateTime when(QDate(2021, 6, 15), QTime(13, 45, 31));
  {
    QFile f(Local("sub/report.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  }
  TSearchRec sr;
  ASSERT_EQ(FileSystem::FindFirst(Drive + "SUB\\REPORT.TXT", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Name, "report.txt");  // the stored name, though asked in upper case
  EXPECT_EQ(sr.Size, 1234);
  EXPECT_EQ(sr.Attr, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(sr.Time, DosTime::DateTimeToFileDate(when));
  EXPECT_EQ(DosTime::FileDateToDateTime(sr.Time), when.addSecs(-1));  // two-second resolution
  EXPECT_EQ(sr.LastWriteTime(), when);
  EXPECT_NE(FileSystem::FindNext(sr), 0);
  FileSystem::FindClose(sr);
  FileSystem::FindClose(sr);  // a second close does nothing

  ASSERT_EQ(FileSystem::FindFirst(Drive + "sub", faAnyFile, sr), 0);  // a folder names itself
  EXPECT_EQ(sr.Name, "sub");
  EXPECT_EQ(sr.Attr, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(sr.Size, 0);
  FileSystem::FindClose(sr);
}

TEST_F(LocalFind, AttributeMasksLeaveOutWhatTheCallerDidNotAskFor) {
  Touch("plain.txt");
  Touch(".hidden");
  MkDir("folder");
  MkDir(".secret");
  Touch("locked.txt");
  ASSERT_EQ(chmod(QFile::encodeName(Local("locked.txt")).constData(), 0444), 0);
  TSearchRec sr;
  ASSERT_EQ(FileSystem::FindFirst(Drive + "locked.txt", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Attr, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  FileSystem::FindClose(sr);
  ASSERT_EQ(FileSystem::FindFirst(Drive + ".secret", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Attr, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  FileSystem::FindClose(sr);

  EXPECT_EQ(Names(Drive + "*.*", faAnyFile),
            QStringList({".", "..", ".hidden", ".secret", "folder", "locked.txt", "plain.txt"}));
  // 16: folders and plain files, but nothing hidden (the dots are not).
  EXPECT_EQ(Names(Drive + "*.*", faDirectory), QStringList({".", "..", "folder", "locked.txt", "plain.txt"}));
  // 0: plain files only; read-only and archive bits never exclude.
  EXPECT_EQ(Names(Drive + "*.*", 0), QStringList({"locked.txt", "plain.txt"}));
  EXPECT_EQ(Names(Drive + "*.*", faHidden), QStringList({".hidden", "locked.txt", "plain.txt"}));
}

TEST_F(LocalFind, PathsIgnoreLetterCaseSlashesAndTrailingDots) {
  Touch("Alpha/Beta/README");
  EXPECT_EQ(Names(Drive + "ALPHA\\beta\\*.*"), QStringList({".", "..", "README"}));
  EXPECT_EQ(Names(Drive + "alpha/BETA/readme"), QStringList({"README"}));
  // "README." is the same file, as a result row without a type names it.
  EXPECT_EQ(Names(Drive + "Alpha\\Beta\\README."), QStringList({"README"}));
  EXPECT_EQ(Names(Drive + "Alpha\\.\\x\\..\\Beta\\README"), QStringList({"README"}));
  EXPECT_TRUE(Names("C:\\").isEmpty());  // no mask
  // The drive's root has no dots.
  const QStringList root = Names("C:\\*");
  EXPECT_FALSE(root.contains("."));
  EXPECT_TRUE(root.contains("tmp") || root.contains("usr"));
}

TEST_F(LocalFind, FailuresFailTheOneCall) {
  MkDir("sub");
  int e = 0;
  EXPECT_TRUE(Names(Drive + "missing\\*.*", faAnyFile, &e).isEmpty());
  EXPECT_EQ(e, ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(Names("D:\\*.*", faAnyFile, &e).isEmpty());
  EXPECT_NE(e, 0);
  EXPECT_TRUE(Names(Drive + QString(MAX_PATH_LENGTH, u'x') + "\\*.*", faAnyFile, &e).isEmpty());
  EXPECT_EQ(e, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_TRUE(Names(Drive + "sub\\", faAnyFile, &e).isEmpty());
  EXPECT_NE(e, 0);
  TSearchRec none;
  EXPECT_EQ(FileSystem::FindNext(none), ERROR_INVALID_HANDLE);
  FileSystem::FindClose(none);
  // The longest path still accepted is MAX_PATH_LENGTH characters, far
  // beyond Windows' 260.
  QString ok = Drive + "sub\\";
  ok += QString(MAX_PATH_LENGTH - ok.size(), u'?');
  EXPECT_EQ(ok.size(), 4095);
  Names(ok, faAnyFile, &e);
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
  Names(ok + "?", faAnyFile, &e);
  EXPECT_EQ(e, ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(LocalFind, UnreadableFolderFailsAndPipesAreLeftOut) {
  MkDir("open");
  MkDir("closed");
  Touch("closed/inside.txt");
  ASSERT_EQ(mkfifo(QFile::encodeName(Local("open/pipe")).constData(), 0644), 0);
  Touch("open/file.txt");
  EXPECT_EQ(Names(Drive + "open\\*.*"), QStringList({".", "..", "file.txt"}));
  ASSERT_EQ(chmod(QFile::encodeName(Local("closed")).constData(), 0), 0);
  // Root reads every folder: look as an ordinary user for this thread.
  const bool root = geteuid() == 0;
  if (root) setfsuid(65534);
  int e = 0;
  const QStringList names = Names(Drive + "closed\\*.*", faAnyFile, &e);
  if (root) setfsuid(0);
  chmod(QFile::encodeName(Local("closed")).constData(), 0755);
  EXPECT_TRUE(names.isEmpty());
  EXPECT_EQ(e, ERROR_ACCESS_DENIED);
}

TEST_F(LocalFind, SymbolicLinkLoopEndsAtThePathLimit) {
  MkDir("a");
  Touch("a/f.txt");
  ASSERT_EQ(symlink(QFile::encodeName(Local("a")).constData(), QFile::encodeName(Local("a/loop")).constData()), 0);
  // A depth-first walk as the searches make it.
  int folders = 0, files = 0;
  std::function<void(const QString&)> walk = [&](const QString& path) {
    ++folders;
    TSearchRec sr;
    if (FileSystem::FindFirst(path + "*.*", faAnyFile, sr) != 0) return;
    do {
      if (sr.Name == "." || sr.Name == "..") continue;
      if (sr.IsDirectory())
        walk(path + sr.Name + "\\");
      else
        ++files;
    } while (FileSystem::FindNext(sr) == 0);
    FileSystem::FindClose(sr);
  };
  walk(Drive + "a\\");
  EXPECT_GT(folders, 10);
  EXPECT_LT(folders, 200);
  EXPECT_EQ(files, folders - 1);  // every listed level but the last, too long, has f.txt
}

TEST_F(LocalFind, FileOverFourGibibytesHasItsExactSize) {
  const qint64 size = (5LL << 30) + 12345;
  {
    QFile f(Local("big.iso"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(size));  // sparse: takes no room
  }
  TSearchRec sr;
  ASSERT_EQ(FileSystem::FindFirst(Drive + "*.iso", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Size, size);
  FileSystem::FindClose(sr);
}

TEST_F(LocalFind, ListingsRunInParallelThreads) {
  for (int i = 0; i < 50; ++i) Touch(QString("d%1/f%2.txt").arg(i % 5).arg(i));
  std::atomic<int> total{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 20; ++round) total += int(Names(Drive + QString("d%1\\*.txt").arg((t + round) % 5)).size());
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(total.load(), 8 * 20 * 10);
}

TEST_F(LocalFind, ListingIsInNtfsOrder) {
  for (const char* n : {"b", "_a", "A2", "a1", "B0"}) Touch(n);
  EXPECT_EQ(Names(Drive + "*", 0), QStringList({"a1", "A2", "b", "B0", "_a"}));
}

TEST_F(LocalFind, MasksWithADotBeforeQuestionMarksAlsoTakeNamesWithoutExtension) {
  for (const char* n : {"README", "a", "a.b", "a.bc", "x.htm", "page.html"}) Touch(n);
  MkDir("folder");
  EXPECT_EQ(Names(Drive + "*.?", 0), QStringList({"a", "a.b", "README"}));
  EXPECT_EQ(Names(Drive + "*.??", faDirectory), QStringList({".", "..", "a", "a.b", "a.bc", "folder", "README"}));
  EXPECT_EQ(Names(Drive + "*.???", 0), QStringList({"a", "a.b", "a.bc", "page.html", "README", "x.htm"}));
  EXPECT_EQ(Names(Drive + "a.?", 0), QStringList({"a", "a.b"}));
}

TEST_F(LocalFind, DatesBeyondWhatNanosecondsCarryAreHeldAtTheEndNotWrapped) {
  // Windows file times reach the year 30828; 64 bits of nanoseconds end in 2262.
  Touch("late.txt", "x");
  Touch("copy.txt", "x");
  const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(10413792000), 500}};  // 2300-01-01
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(Local("late.txt")).constData(), times, 0), 0);
  TSearchRec sr;
  ASSERT_EQ(FileSystem::FindFirst(Drive + "late.txt", faAnyFile, sr), 0);
  EXPECT_EQ(sr.LastWriteTime().date().year(), 2262);
  EXPECT_EQ(DosTime::FileDateToDateTime(sr.Time).date(), QDate(2107, 12, 31));  // the end of the DOS range
  FileSystem::FindClose(sr);

  // A copy's stamp taken from it stays at that end too.
  const FileSystem::THandle in = FileSystem::FileOpen(Drive + "late.txt", FileSystem::fmOpenRead);
  const FileSystem::THandle out = FileSystem::FileOpen(Drive + "copy.txt", FileSystem::fmOpenReadWrite);
  qint64 ns = 0;
  EXPECT_TRUE(FileSystem::FileGetTime(in, ns));
  EXPECT_TRUE(FileSystem::FileSetTime(out, ns));
  FileSystem::FileClose(in);
  FileSystem::FileClose(out);
  EXPECT_EQ(QFileInfo(Local("copy.txt")).lastModified().date().year(), 2262);
}
