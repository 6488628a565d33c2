// Copies driven through their transfer windows: what arrives, the answers
// of the file-exists dialog, errors, free space, cancel and two copies at once.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>

#include "CopyFixture.h"
#include "FaultySource.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/net/NetBackend.h"
#include "platform/fs/WinPath.h"
#include "transfer/Cgauge.h"
#include "transfer/Copy.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Fileexists_form.h"

namespace {

const QString Docs = QStringLiteral("\\\\PC1\\docs\\");

QDateTime Stamp(int day, int h, int m, int s) { return QDateTime(QDate(2024, 3, day), QTime(h, m, s)); }

// Content that differs from block to block, so misplaced blocks show.
QByteArray Bytes(qint64 size, int seed = 0) {
  QByteArray b(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i) b[i] = char((i * 131 + seed * 7 + (i >> 16)) & 0xFF);
  return b;
}

}  // namespace

using CopyWorker = CopyFixture;

TEST_F(CopyWorker, FilesAndFolderTreesArriveIdenticalWithTheirDates) {
  const QByteArray a = Bytes(200000, 1), block = Bytes(65536, 2), justOver = Bytes(65537, 3);
  Net->AddFile(Docs + "a.bin", a, Stamp(1, 9, 5, 2));
  Net->AddFile(Docs + "empty.txt", QByteArray(), Stamp(2, 0, 0, 0));
  Net->AddFile(Docs + "tree\\block.dat", block, Stamp(3, 10, 0, 0));
  Net->AddFile(Docs + "tree\\sub\\deep\\over.dat", justOver, Stamp(4, 11, 30, 0));
  Net->AddFile(Docs + "tree\\.hidden\\secret.txt", QByteArray("s"), Stamp(5, 12, 0, 0), "h");
  Net->AddFile(Docs + "tree\\sys.dat", QByteArray("y"), Stamp(6, 1, 0, 0), "s");
  Net->AddFolder(Docs + "tree\\emptydir");

  const double total = PathSize(Docs + "a.bin") + PathSize(Docs + "empty.txt") + FolderSize(Docs + "tree\\");
  EXPECT_EQ(total, 200000 + 65536 + 65537 + 2);
  auto form = StartCopy({"a.bin", "empty.txt", "tree\\"}, {Docs, Docs, Docs}, Destination, total);
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(ExistsAsked, 0);
  EXPECT_EQ(KeepAsked, 0);

  EXPECT_EQ(ReadLocal(Destination + "a.bin"), a);
  EXPECT_EQ(LocalModified(Destination + "a.bin"), Stamp(1, 9, 5, 2));
  EXPECT_TRUE(LocalExists(Destination + "empty.txt"));
  EXPECT_EQ(LocalSize(Destination + "empty.txt"), 0);
  EXPECT_EQ(LocalModified(Destination + "empty.txt"), Stamp(2, 0, 0, 0));
  EXPECT_EQ(ReadLocal(Destination + "tree\\block.dat"), block);
  EXPECT_EQ(LocalModified(Destination + "tree\\block.dat"), Stamp(3, 10, 0, 0));
  EXPECT_EQ(ReadLocal(Destination + "tree\\sub\\deep\\over.dat"), justOver);
  EXPECT_EQ(LocalModified(Destination + "tree\\sub\\deep\\over.dat"), Stamp(4, 11, 30, 0));
  EXPECT_EQ(ReadLocal(Destination + "tree\\.hidden\\secret.txt"), QByteArray("s"));
  EXPECT_EQ(ReadLocal(Destination + "tree\\sys.dat"), QByteArray("y"));
  EXPECT_TRUE(QFileInfo(WinPath::ToLocal(Destination + "tree\\emptydir")).isDir());
}

TEST_F(CopyWorker, AnEmptyListEndsAtOnceAndFreesTheWindow) {
  auto form = StartCopy({}, {}, Destination, 0);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_TRUE(CopyNames.isEmpty());
  EXPECT_TRUE(CopySourceFolders.isEmpty());
}

TEST_F(CopyWorker, ReplaceAllAndSkipAllAnswerForTheRestOfTheCopy) {
  for (int i = 0; i < 3; ++i) {
    Net->AddFile(Docs + QString("r%1.txt").arg(i), Bytes(1000, i), Stamp(7, 8, 0, 0));
    WriteLocal(Destination + QString("r%1.txt").arg(i), "old");
  }
  ExistsAnswers = {TExistsAnswer::ReplaceAll};
  auto form = StartCopy({"r0.txt", "r1.txt", "r2.txt"}, {Docs, Docs, Docs}, Destination, 3000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsAsked, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadLocal(Destination + QString("r%1.txt").arg(i)), Bytes(1000, i));

  ExistsAsked = 0;
  for (int i = 0; i < 3; ++i) WriteLocal(Destination + QString("r%1.txt").arg(i), "mine");
  ExistsAnswers = {TExistsAnswer::SkipAll};
  form = StartCopy({"r0.txt", "r1.txt", "r2.txt"}, {Docs, Docs, Docs}, Destination, 3000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsAsked, 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadLocal(Destination + QString("r%1.txt").arg(i)), QByteArray("mine"));
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(CopyWorker, EachAnswerDoesWhatItSays) {
  const QByteArray full = Bytes(300000, 9);
  for (const char* n : {"replace.bin", "skip.bin", "append.bin"}) Net->AddFile(Docs + n, full, Stamp(8, 14, 2, 4));
  WriteLocal(Destination + "replace.bin", "x");
  WriteLocal(Destination + "skip.bin", "keep me");
  WriteLocal(Destination + "append.bin", full.left(100000));  // a truncated earlier copy
  ExistsAnswers = {TExistsAnswer::Replace, TExistsAnswer::Skip, TExistsAnswer::Append};
  auto form = StartCopy({"replace.bin", "skip.bin", "append.bin"}, {Docs, Docs, Docs}, Destination, 900000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsAsked, 3);
  EXPECT_EQ(ExistsSources, QStringList({Docs + "replace.bin", Docs + "skip.bin", Docs + "append.bin"}));
  EXPECT_EQ(ReadLocal(Destination + "replace.bin"), full);
  EXPECT_EQ(ReadLocal(Destination + "skip.bin"), QByteArray("keep me"));
  EXPECT_EQ(ReadLocal(Destination + "append.bin"), full);  // resumed to a byte-identical file
  EXPECT_EQ(LocalModified(Destination + "append.bin"), Stamp(8, 14, 2, 4));
}

TEST_F(CopyWorker, AppendOnACompleteOrLongerDestinationWritesNothing) {
  Net->AddFile(Docs + "f.bin", Bytes(5000, 1), Stamp(9, 9, 9, 8));
  QByteArray longer = Bytes(5000, 1) + "extra";
  WriteLocal(Destination + "f.bin", longer);
  ExistsAnswers = {TExistsAnswer::Append};
  auto form = StartCopy({"f.bin"}, {Docs}, Destination, 5000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ReadLocal(Destination + "f.bin"), longer);
  // Longer than the source, it is no copy of it: it keeps its own date.
  EXPECT_NE(LocalModified(Destination + "f.bin"), Stamp(9, 9, 9, 8));
  // As long as the source: complete, it gets the source's date.
  WriteLocal(Destination + "f.bin", Bytes(5000, 1));
  ExistsAnswers = {TExistsAnswer::Append};
  form = StartCopy({"f.bin"}, {Docs}, Destination, 5000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(LocalModified(Destination + "f.bin"), Stamp(9, 9, 9, 8));
}

TEST_F(CopyWorker, CancelInTheDialogStopsTheCopyAndLeavesTheFile) {
  Net->AddFile(Docs + "one.bin", Bytes(100, 1));
  Net->AddFile(Docs + "two.bin", Bytes(100, 2));
  WriteLocal(Destination + "one.bin", "existing");
  ExistsAnswers = {TExistsAnswer::Cancel};
  auto form = StartCopy({"one.bin", "two.bin"}, {Docs, Docs}, Destination, 200);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ReadLocal(Destination + "one.bin"), QByteArray("existing"));
  EXPECT_FALSE(LocalExists(Destination + "two.bin"));
  EXPECT_EQ(KeepAsked, 0);  // ends as a normal end, without the keep question
  EXPECT_EQ(FormMain->FActiveOperations, 0);

  // Closing the dialog by its frame is the same as Cancel.
  ExistsAnswers = {TExistsAnswer::CloseByFrame};
  form = StartCopy({"one.bin", "two.bin"}, {Docs, Docs}, Destination, 200);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ReadLocal(Destination + "one.bin"), QByteArray("existing"));
  EXPECT_FALSE(LocalExists(Destination + "two.bin"));
  EXPECT_EQ(ExistsAsked, 2);
}

TEST_F(CopyWorker, ErrorsAreShownAndTheCopyGoesOnWithTheNextFile) {
  Net->AddFile(Docs + "good1.txt", QByteArray("1"));
  Net->AddFile(Docs + "blocked.txt", QByteArray("b"));
  Net->AddFile(Docs + "good2.txt", QByteArray("2"));
  // A folder in the way makes the destination file impossible to create.
  QDir().mkpath(WinPath::ToLocal(Destination + "blocked.txt"));
  // A pipe is no file that can be read.
  Net->AddFolder(Docs);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Net->LocalPath(Docs + "pipe.dat")).constData(), 0644), 0);
  auto form = StartCopy({"gone.txt", "good1.txt", "blocked.txt", "pipe.dat", "good2.txt"},
                        {Docs, Docs, Docs, Docs, Docs}, Destination, 3);
  ASSERT_TRUE(WaitForEnd(form));
  ASSERT_EQ(Errors.size(), 3);
  EXPECT_EQ(Errors[0], "Fail to open file " + Docs + "gone.txt");
  EXPECT_EQ(Errors[1], "Cannot create file " + Destination + "blocked.txt");
  EXPECT_EQ(Errors[2], "Fail to open file " + Docs + "pipe.dat");
  EXPECT_FALSE(LocalExists(Destination + "pipe.dat"));
  // A source that cannot be opened leaves no empty file behind.
  EXPECT_FALSE(LocalExists(Destination + "gone.txt"));
  EXPECT_EQ(ReadLocal(Destination + "good1.txt"), QByteArray("1"));
  EXPECT_EQ(ReadLocal(Destination + "good2.txt"), QByteArray("2"));
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(CopyWorker, TooLittleFreeSpaceRefusesTheFileAndKeepsAResumedOne) {
  // A sparse source far larger than any disk here.
  const qint64 huge = qint64(1) << 40;
  Net->AddFile(Docs + "huge.img", huge);
  Net->AddFile(Docs + "small.txt", QByteArray("s"));
  auto form = StartCopy({"huge.img", "small.txt"}, {Docs, Docs}, Destination, double(huge) + 1);
  ASSERT_TRUE(WaitForEnd(form));
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors[0], "Not enough free space on target drive.");
  EXPECT_FALSE(LocalExists(Destination + "huge.img"));
  EXPECT_EQ(ReadLocal(Destination + "small.txt"), QByteArray("s"));

  // Resuming it fails the same test, but the part received before stays.
  Errors.clear();
  WriteLocal(Destination + "huge.img", QByteArray(4096, '\0'));
  ExistsAnswers = {TExistsAnswer::Append};
  form = StartCopy({"huge.img"}, {Docs}, Destination, double(huge));
  ASSERT_TRUE(WaitForEnd(form));
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(LocalSize(Destination + "huge.img"), 4096);
}

TEST_F(CopyWorker, ResumesAFileOverFourGibibytesExactly) {
  // Zeros up to 4 GiB + 100 KiB (sparse); the destination holds the first 4 GiB.
  const qint64 size = (qint64(4) << 30) + 100 * 1024;
  Net->AddFile(Docs + "big.img", size, Stamp(10, 7, 7, 6));
  const QString local = WinPath::ToLocal(Destination + "big.img");
  {
    QFile f(local);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64(4) << 30));
  }
  ExistsAnswers = {TExistsAnswer::Append};
  auto form = StartCopy({"big.img"}, {Docs}, Destination, double(size));
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(LocalSize(Destination + "big.img"), size);
  EXPECT_EQ(LocalModified(Destination + "big.img"), Stamp(10, 7, 7, 6));
  EXPECT_EQ(PathSize(Docs + "big.img"), double(size));
}

namespace {
// Holds the copy once its first block of `name` is on screen.
bool PauseInFile(CopyFixture* f, QPointer<TFormCopy>& form, const QString& name,
                 const std::function<bool(const std::function<bool()>&, int)>& wait) {
  (void)f;
  return wait(
      [&] {
        if (!form) return false;
        if (form->LabelFrom->text().endsWith(name) && form->CGaugeFile->Progress() > 0) {
          form->ButtonPause->click();
          return true;
        }
        return false;
      },
      20000);
}
}  // namespace

TEST_F(CopyWorker, CancelKeepsOrDeletesThePartialFileAsAnswered) {
  const QByteArray big = Bytes(64 << 20, 5);
  Net->AddFile(Docs + "big.bin", big);
  auto wait = [this](const std::function<bool()>& d, int t) { return WaitUntil(d, t); };

  for (bool keep : {true, false}) {
    KeepPartial = keep;
    KeepAsked = 0;
    QFile::remove(WinPath::ToLocal(Destination + "big.bin"));
    auto form = StartCopy({"big.bin"}, {Docs}, Destination, big.size());
    ASSERT_TRUE(PauseInFile(this, form, "big.bin", wait));
    EXPECT_EQ(form->ButtonPause->text(), "Continue");
    EXPECT_EQ(form->LabelSpeed->text(), "Speed: 0 kbytes/s");
    EXPECT_TRUE(form->LabelTime->isHidden());
    form->ButtonCancel->click();
    EXPECT_FALSE(form->isVisible());  // the window leaves the screen at once
    EXPECT_EQ(FormMain->FActiveOperations, 0);
    ASSERT_TRUE(WaitForEnd(form));
    EXPECT_EQ(KeepAsked, 1);
    EXPECT_EQ(FormMain->FActiveOperations, 0);
    if (keep) {
      const QByteArray part = ReadLocal(Destination + "big.bin");
      EXPECT_GT(part.size(), 0);
      EXPECT_LT(part.size(), big.size());
      EXPECT_EQ(part, big.left(part.size()));
    } else {
      EXPECT_FALSE(LocalExists(Destination + "big.bin"));
    }
  }
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(CopyWorker, PauseThenContinueFinishesTheCopy) {
  const QByteArray big = Bytes(32 << 20, 6);
  Net->AddFile(Docs + "p.bin", big);
  auto wait = [this](const std::function<bool()>& d, int t) { return WaitUntil(d, t); };
  auto form = StartCopy({"p.bin"}, {Docs}, Destination, big.size());
  ASSERT_TRUE(PauseInFile(this, form, "p.bin", wait));
  // Held: nothing more arrives while paused.
  QCoreApplication::processEvents();
  const qint64 held = LocalSize(Destination + "p.bin");
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(LocalSize(Destination + "p.bin"), held);
  EXPECT_LT(held, big.size());
  form->ButtonPause->click();
  EXPECT_EQ(form->ButtonPause->text(), "Pause");
  EXPECT_FALSE(form->LabelTime->isHidden());
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ReadLocal(Destination + "p.bin"), big);
}

TEST_F(CopyWorker, ASourceCutOrDeletedMidCopyFailsCleanlyAndTheNextFileFollows) {
  const QByteArray big = Bytes(16 << 20, 7);
  Net->AddFile(Docs + "cut.bin", big);
  Net->AddFile(Docs + "next.txt", QByteArray("n"));
  auto wait = [this](const std::function<bool()>& d, int t) { return WaitUntil(d, t); };
  auto form = StartCopy({"cut.bin", "next.txt"}, {Docs, Docs}, Destination, big.size() + 1);
  ASSERT_TRUE(PauseInFile(this, form, "cut.bin", wait));
  ASSERT_TRUE(QFile::resize(Net->LocalPath(Docs + "cut.bin"), 1000));
  form->ButtonPause->click();
  ASSERT_TRUE(WaitForEnd(form));
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors[0], "Cannot read file " + Docs + "cut.bin");
  EXPECT_FALSE(LocalExists(Destination + "cut.bin"));  // no incomplete file passes for a copy
  EXPECT_EQ(ReadLocal(Destination + "next.txt"), QByteArray("n"));

  // A source removed while it is read: the copy ends cleanly either way.
  Errors.clear();
  Net->AddFile(Docs + "del.bin", big);
  Net->AddFile(Docs + "next2.txt", QByteArray("m"));
  form = StartCopy({"del.bin", "next2.txt"}, {Docs, Docs}, Destination, big.size());
  ASSERT_TRUE(PauseInFile(this, form, "del.bin", wait));
  ASSERT_TRUE(QFile::remove(Net->LocalPath(Docs + "del.bin")));
  form->ButtonPause->click();
  ASSERT_TRUE(WaitForEnd(form));
  const QByteArray got = ReadLocal(Destination + "del.bin");
  if (Errors.isEmpty())
    EXPECT_EQ(got, big);  // what was open was read to its end
  else
    EXPECT_FALSE(LocalExists(Destination + "del.bin"));
  EXPECT_EQ(ReadLocal(Destination + "next2.txt"), QByteArray("m"));
}

TEST_F(CopyWorker, TwoCopiesRunSideBySideAndOneIsCancelled) {
  const QByteArray big = Bytes(48 << 20, 8);
  Net->AddFile(Docs + "x.bin", big);
  Net->AddFile(Docs + "y.bin", Bytes(300000, 9));
  const QString second = Net->LocalFolder("second");
  auto wait = [this](const std::function<bool()>& d, int t) { return WaitUntil(d, t); };
  KeepPartial = false;

  auto first = StartCopy({"x.bin"}, {Docs}, Destination, big.size());
  ASSERT_TRUE(PauseInFile(this, first, "x.bin", wait));
  auto other = StartCopy({"y.bin"}, {Docs}, second, 300000);
  EXPECT_EQ(FormCopy, other.data());
  EXPECT_EQ(FormMain->FActiveOperations, 2);
  first->ButtonCancel->click();
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  ASSERT_TRUE(WaitForEnd(other));
  ASSERT_TRUE(WaitForEnd(first));
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_EQ(ReadLocal(second + "y.bin"), Bytes(300000, 9));
  EXPECT_FALSE(LocalExists(Destination + "x.bin"));
}

TEST_F(CopyWorker, ClosingTheWindowCancelsLikeTheButton) {
  const QByteArray big = Bytes(32 << 20, 4);
  Net->AddFile(Docs + "c.bin", big);
  auto wait = [this](const std::function<bool()>& d, int t) { return WaitUntil(d, t); };
  KeepPartial = true;
  auto form = StartCopy({"c.bin"}, {Docs}, Destination, big.size());
  ASSERT_TRUE(PauseInFile(this, form, "c.bin", wait));
  form->close();
  EXPECT_EQ(KeepAsked, 1);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(KeepAsked, 1);  // asked once only
  EXPECT_LT(LocalSize(Destination + "c.bin"), big.size());
}

TEST_F(CopyWorker, AnExistingDestinationFolderIsReusedAndAsksFileByFile) {
  Net->AddFile(Docs + "set\\a.txt", QByteArray("new a"));
  Net->AddFile(Docs + "set\\B.txt", QByteArray("new b"));
  Net->AddFile(Docs + "set\\c.txt", QByteArray("new c"));
  WriteLocal(Destination + "set\\a.txt", "old a");
  WriteLocal(Destination + "set\\b.TXT", "old b");  // the same file to Windows
  ExistsAnswers = {TExistsAnswer::Skip, TExistsAnswer::Replace};
  auto form = StartCopy({"set\\"}, {Docs}, Destination, 15);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsSources, QStringList({Docs + "set\\a.txt", Docs + "set\\B.txt"}));
  EXPECT_EQ(ReadLocal(Destination + "set\\a.txt"), QByteArray("old a"));
  EXPECT_EQ(ReadLocal(Destination + "set\\c.txt"), QByteArray("new c"));
  const QStringList names = QDir(WinPath::ToLocal(Destination + "set")).entryList(QDir::Files);
  EXPECT_EQ(names.size(), 3) << names.join(",").toStdString();
}

TEST_F(CopyWorker, TwoRowsOfTheSameNameRaiseTheQuestionForTheSecond) {
  Net->AddFile(Docs + "a\\same.txt", QByteArray("first"));
  Net->AddFile(Docs + "b\\same.txt", QByteArray("second"));
  ExistsAnswers = {TExistsAnswer::Replace};
  auto form = StartCopy({"same.txt", "same.txt"}, {Docs + "a\\", Docs + "b\\"}, Destination, 11);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsSources, QStringList({Docs + "b\\same.txt"}));
  EXPECT_EQ(ReadLocal(Destination + "same.txt"), QByteArray("second"));
}

TEST_F(CopyWorker, AResumeThatFailsKeepsWhatTheDestinationHeld) {
  const QByteArray big = Bytes(24 << 20, 3);
  Net->AddFile(Docs + "r.bin", big);
  WriteLocal(Destination + "r.bin", big.left(1 << 20));
  ExistsAnswers = {TExistsAnswer::Append};
  auto form = StartCopy({"r.bin"}, {Docs}, Destination, big.size());
  ASSERT_TRUE(WaitUntil([&] { return form && form->CGaugeFile->Progress() > 5; }));
  form->ButtonPause->click();
  ASSERT_TRUE(QFile::resize(Net->LocalPath(Docs + "r.bin"), 2 << 20));  // the source is cut
  form->ButtonPause->click();
  ASSERT_TRUE(WaitForEnd(form));
  ASSERT_EQ(Errors.size(), 1);
  const QByteArray kept = ReadLocal(Destination + "r.bin");
  EXPECT_GE(kept.size(), 1 << 20);
  EXPECT_EQ(kept, big.left(kept.size()));
}

TEST_F(CopyWorker, ACancelWhileAReadHangsDoesNothingUntilTheUserHasAnswered) {
  const QByteArray data = Bytes(1 << 20, 11);
  Net->AddFile(Docs + "hang.bin", data, Stamp(12, 1, 2, 4));
  auto fault = std::make_shared<TReadFault>();
  fault->Name = "hang.bin";
  NetBackend::Use(std::make_shared<TFaultyNetwork>(Net->Root(), fault));
  const qint64 head = 256 << 10;
  fault->HangAt = head;

  for (bool keep : {true, false}) {
    fault->Released = false;
    KeepPartial = keep;
    Errors.clear();
    QFile::remove(WinPath::ToLocal(Destination + "hang.bin"));
    // While the question is open the hung read fails (the link gave up):
    // the worker must neither delete the partial file nor report.
    bool goneWhileAsked = false;
    OnKeepQuestion = [&] {
      fault->Release();
      WaitUntil([&] { return !Errors.isEmpty() || !LocalExists(Destination + "hang.bin"); }, 1500);
      goneWhileAsked = !LocalExists(Destination + "hang.bin");
    };
    auto form = StartCopy({"hang.bin"}, {Docs}, Destination, data.size());
    ASSERT_TRUE(WaitUntil([&] { return fault->Hanging(); }));
    form->ButtonCancel->click();
    ASSERT_TRUE(WaitForEnd(form));
    EXPECT_FALSE(goneWhileAsked);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();  // a cancel shows no error
    if (keep) {
      EXPECT_EQ(ReadLocal(Destination + "hang.bin"), data.left(head));
      EXPECT_NE(LocalModified(Destination + "hang.bin"), Stamp(12, 1, 2, 4));
    } else {
      EXPECT_FALSE(LocalExists(Destination + "hang.bin"));
    }
  }
  OnKeepQuestion = {};
}

TEST_F(CopyWorker, ASourceEndingBeforeItsSizeFailsAndLeavesNoFoldersItMade) {
  // Deep folders: paths far beyond Windows' 260 characters copy.
  QString deep = "deep\\";
  for (int i = 0; i < 25; ++i) deep += QString("folder-level-%1\\").arg(i, 2, 10, QChar('0'));
  Net->AddFile(Docs + deep + "whole.txt", Bytes(3000, 2), Stamp(13, 3, 4, 6));
  Net->AddFile(Docs + "cut\\a\\b\\short.bin", Bytes(300000, 3), Stamp(13, 3, 4, 6));
  Net->AddFile(Docs + "cut\\nine.bin", Bytes(9, 4), Stamp(13, 3, 4, 6));
  auto fault = std::make_shared<TReadFault>();
  fault->Name = "short.bin";
  fault->EndAt = 262144;
  NetBackend::Use(std::make_shared<TFaultyNetwork>(Net->Root(), fault));

  ASSERT_GT((Docs + deep + "whole.txt").size(), 260);
  auto form = StartCopy({"deep\\"}, {Docs}, Destination, 3000);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(ReadLocal(Destination + deep + "whole.txt"), Bytes(3000, 2));
  EXPECT_EQ(LocalModified(Destination + deep + "whole.txt"), Stamp(13, 3, 4, 6));

  // A server answering "no more" before the size: a read failure; the
  // folders made for the file go with it, those holding a copy stay.
  form = StartCopy({"cut\\"}, {Docs}, Destination, 300009);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(Errors, QStringList({"Cannot read file " + Docs + "cut\\a\\b\\short.bin"}));
  EXPECT_FALSE(LocalExists(Destination + "cut\\a"));
  EXPECT_EQ(ReadLocal(Destination + "cut\\nine.bin"), Bytes(9, 4));
}

TEST_F(CopyWorker, EachRealFolderIsCopiedOnceHoweverManyLinksLeadToIt) {
  const int files = AddLinkChain(*Net, Docs, 5);
  auto form = StartCopy({"chain\\"}, {Docs}, Destination, 0);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(CountFiles(Destination + "chain"), files);
}

TEST_F(CopyWorker, NamesEndingInADotOrABlankAreNeverCopiedAsAnotherFile) {
  // "a." and "a " would open the source a and land on the copy of a.
  Net->AddFile(Docs + "tree\\a", QByteArray("A"), Stamp(1, 9, 0, 0));
  Net->AddFile(Docs + "tree\\a.", QByteArray("dot"), Stamp(2, 9, 0, 0));
  Net->AddFile(Docs + "tree\\a ", QByteArray("blank"), Stamp(3, 9, 0, 0));
  Net->AddFile(Docs + "tree\\lone.", QByteArray("no lone"), Stamp(4, 9, 0, 0));
  QDir().mkpath(WinPath::ToLocal(Destination + "tree"));  // there already: each file is looked for
  auto form = StartCopy({"tree\\"}, {Docs}, Destination, FolderSize(Docs + "tree\\"));
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(ExistsAsked, 0);
  EXPECT_EQ(ReadLocal(Destination + "tree\\a"), QByteArray("A"));
  EXPECT_EQ(LocalModified(Destination + "tree\\a"), Stamp(1, 9, 0, 0));
  EXPECT_EQ(QDir(WinPath::ToLocal(Destination + "tree")).entryList(QDir::Files), QStringList({"a"}));
}
