// Download and synchronise tasks run through their transfer windows: what
// arrives, what is resumed, skipped and deleted, what is never deleted, the
// task row and the tasks file at the end, pause and cancel.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include "FaultySource.h"
#include "TaskFixture.h"
#include "app/Main.h"
#include "app/StatusPanels.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/net/NetBackend.h"
#include "platform/fs/WinPath.h"
#include "transfer/Cgauge.h"
#include "transfer/Task_thread.h"
#include "transfer/Tasks.h"

namespace {

const QString Docs = QStringLiteral("\\\\PC1\\docs\\");

QDateTime Stamp(int day, int h = 12, int m = 0, int s = 0) { return QDateTime(QDate(2024, 5, day), QTime(h, m, s)); }

QByteArray Bytes(qint64 size, int seed = 0) {
  QByteArray b(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i) b[i] = char((i * 131 + seed * 7 + (i >> 16)) & 0xFF);
  return b;
}

void SetLocalModified(const QString& drivePath, const QDateTime& when) {
  QFile f(WinPath::ToLocal(drivePath));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

bool IsDir(const QString& drivePath) { return QFileInfo(WinPath::ToLocal(drivePath)).isDir(); }

}  // namespace

using TaskWorker = TaskFixture;

TEST_F(TaskWorker, ADownloadCopiesItsFileAndLeavesTheListWhenDone) {
  const QByteArray content = Bytes(200000, 1);
  Net->AddFile(Docs + "sub\\a.bin", content, Stamp(1, 9, 5, 2));
  AddTask("keep", Docs + "x.txt", Destination, false);
  const int row = AddTask("get", Docs + "sub\\a.bin", Destination + "new\\deeper\\", false);
  auto form = Start(row);
  ASSERT_TRUE(form);
  EXPECT_EQ(Image("get"), tiActive);
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  // The destination was created level by level and the file has the source's date.
  EXPECT_EQ(ReadLocal(Destination + "new\\deeper\\a.bin"), content);
  EXPECT_EQ(LocalModified(Destination + "new\\deeper\\a.bin"), Stamp(1, 9, 5, 2));
  // Done: the task is gone from the list and the file; the other stays.
  EXPECT_EQ(TaskRow("get"), -1);
  EXPECT_EQ(Key("get", "Source"), "<none>");
  EXPECT_EQ(TaskRow("keep"), 0);
}

TEST_F(TaskWorker, ADownloadResumesAPartialCopyAndRecopiesAChangedOne) {
  const QByteArray content = Bytes(300000, 2);
  Net->AddFile(Docs + "r.bin", content, Stamp(2));
  // Same stamp, shorter: only the rest is fetched. The head is marked so
  // that a copy from byte 0 would show.
  QByteArray head = content.left(100000);
  WriteLocal(Destination + "r.bin", head);
  SetLocalModified(Destination + "r.bin", Stamp(2));
  Start(AddTask("resume", Docs + "r.bin", Destination, false));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(Destination + "r.bin"), content);

  // Another stamp: copied anew from byte 0, also over a longer file.
  WriteLocal(Destination + "r.bin", Bytes(400000, 9));
  SetLocalModified(Destination + "r.bin", Stamp(3));
  Start(AddTask("again", Docs + "r.bin", Destination, false));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(Destination + "r.bin"), content);
  EXPECT_EQ(LocalModified(Destination + "r.bin"), Stamp(2));

  // Same stamp, same length: complete, left alone.
  WriteLocal(Destination + "r.bin", Bytes(300000, 5));
  SetLocalModified(Destination + "r.bin", Stamp(2));
  Start(AddTask("skip", Docs + "r.bin", Destination, false));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(Destination + "r.bin"), Bytes(300000, 5));
  EXPECT_EQ(TaskRow("skip"), -1);
}

TEST_F(TaskWorker, ASynchroniseTaskMirrorsTheTreeAndStays) {
  const QByteArray fresh = Bytes(70000, 1), changed = Bytes(5000, 2), longer = Bytes(200000, 3),
                   whole = Bytes(1000, 4);
  Net->AddFile(Docs + "proj\\new.bin", fresh, Stamp(1));
  Net->AddFile(Docs + "proj\\changed.txt", changed, Stamp(2));
  Net->AddFile(Docs + "proj\\sub\\short.bin", longer, Stamp(3));
  Net->AddFile(Docs + "proj\\sub\\whole.txt", whole, Stamp(4));
  Net->AddFile(Docs + "proj\\.hidden\\h.txt", QByteArray("h"), Stamp(5), "h");
  Net->AddFile(Docs + "proj\\empty.txt", QByteArray(), Stamp(6));
  Net->AddFolder(Docs + "proj\\emptydir");

  const QString mirror = Destination + "proj\\";
  WriteLocal(mirror + "changed.txt", Bytes(9000, 7));  // another stamp: replaced
  SetLocalModified(mirror + "changed.txt", Stamp(20));
  WriteLocal(mirror + "sub\\short.bin", longer.left(65536 + 100));  // resumed
  SetLocalModified(mirror + "sub\\short.bin", Stamp(3));
  const QByteArray kept = Bytes(1000, 8);  // same stamp and size: skipped
  WriteLocal(mirror + "sub\\whole.txt", kept);
  SetLocalModified(mirror + "sub\\whole.txt", Stamp(4));
  WriteLocal(mirror + "gone.txt", "old");  // no longer in the source
  WriteLocal(mirror + "oldtree\\deep\\x.txt", "old");
  WriteLocal(mirror + "sub\\GONE2.TXT", "old");
  WriteLocal(Destination + "beside.txt", "not part of the mirror");

  const int row = AddTask("mirror", Docs + "proj\\", Destination, true);
  auto form = Start(row);
  ASSERT_TRUE(WaitForAll());

  EXPECT_EQ(ReadLocal(mirror + "new.bin"), fresh);
  EXPECT_EQ(LocalModified(mirror + "new.bin"), Stamp(1));
  EXPECT_EQ(ReadLocal(mirror + "changed.txt"), changed);
  EXPECT_EQ(ReadLocal(mirror + "sub\\short.bin"), longer);
  EXPECT_EQ(ReadLocal(mirror + "sub\\whole.txt"), kept);
  EXPECT_EQ(ReadLocal(mirror + ".hidden\\h.txt"), QByteArray("h"));
  EXPECT_TRUE(LocalExists(mirror + "empty.txt"));
  EXPECT_TRUE(IsDir(mirror + "emptydir"));
  EXPECT_FALSE(LocalExists(mirror + "gone.txt"));
  EXPECT_FALSE(LocalExists(mirror + "sub\\GONE2.TXT"));
  EXPECT_FALSE(LocalExists(mirror + "oldtree"));
  EXPECT_EQ(ReadLocal(Destination + "beside.txt"), QByteArray("not part of the mirror"));

  // The row stays, done, and the tasks file holds the percent.
  EXPECT_EQ(Image("mirror"), tiOk);
  EXPECT_EQ(Complete("mirror"), "100%");
  EXPECT_EQ(SubItem("mirror", tcSpeed), "");
  EXPECT_EQ(SubItem("mirror", tcTimeLeft), "");
  EXPECT_EQ(Key("mirror", "Progress"), "100");
  EXPECT_EQ(Key("mirror", "Mode"), "1");
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), Docs + "%proj\\");
  EXPECT_EQ(FormMain->FActiveOperations, 0);

  // A second run finds everything complete and changes nothing.
  const QDateTime before = QFileInfo(WinPath::ToLocal(mirror + "new.bin")).metadataChangeTime();
  Start(TaskRow("mirror"));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("mirror"), tiOk);
  EXPECT_EQ(QFileInfo(WinPath::ToLocal(mirror + "new.bin")).metadataChangeTime(), before);
}

TEST_F(TaskWorker, AShareRootLandsInAFolderNamedAfterTheShare) {
  Net->AddFile(Docs + "a.txt", QByteArray("a"), Stamp(1));
  Start(AddTask("share", Docs, Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(Destination + "docs\\a.txt"), QByteArray("a"));
  EXPECT_EQ(Image("share"), tiOk);
}

TEST_F(TaskWorker, ErrorsNeverCostALocalFile) {
  // A file of this folder cannot be written (a folder sits in its place):
  // the run fails, and nothing of this folder is deleted.
  Net->AddFile(Docs + "p\\blocked.txt", QByteArray("b"), Stamp(1));
  Net->AddFile(Docs + "p\\ok.txt", QByteArray("o"), Stamp(1));
  const QString mirror = Destination + "p\\";
  QDir().mkpath(WinPath::ToLocal(mirror + "blocked.txt\\inside"));
  WriteLocal(mirror + "local-only.txt", "mine");
  Start(AddTask("sync", Docs + "p\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("sync"), tiError);
  EXPECT_EQ(ReadLocal(mirror + "ok.txt"), QByteArray("o"));
  EXPECT_EQ(ReadLocal(mirror + "local-only.txt"), QByteArray("mine"));
  EXPECT_TRUE(IsDir(mirror + "blocked.txt\\inside"));

  // A source that has gone: failed, the copy untouched.
  QDir(Net->LocalPath(Docs + "p")).removeRecursively();
  Start(TaskRow("sync"));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("sync"), tiError);
  EXPECT_EQ(ReadLocal(mirror + "ok.txt"), QByteArray("o"));
  EXPECT_EQ(ReadLocal(mirror + "local-only.txt"), QByteArray("mine"));

  // A source without a folder name of its own would make the destination
  // itself the mirror: refused.
  WriteLocal(Destination + "other.txt", "x");
  Start(AddTask("noname", Docs + "\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("noname"), tiError);
  EXPECT_EQ(ReadLocal(Destination + "other.txt"), QByteArray("x"));

  // A missing download source: the row shows the error and stays.
  Start(AddTask("missing", Docs + "nothing.bin", Destination, false));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("missing"), tiError);
  EXPECT_EQ(Complete("missing"), "0%");
  EXPECT_FALSE(LocalExists(Destination + "nothing.bin"));
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(TaskWorker, RemovalStaysInsideTheCopy) {
  Net->AddFile(Docs + "m\\keep.txt", QByteArray("k"), Stamp(1));
  const QString outside = Net->LocalFolder("outside");
  WriteLocal(outside + "precious.txt", "do not touch");
  const QString mirror = Destination + "m\\";
  QDir().mkpath(WinPath::ToLocal(mirror));
  // A link inside the copy to a folder elsewhere goes alone.
  ASSERT_TRUE(QFile::link(WinPath::ToLocal(WinPath::ExcludeTrailingBackslash(outside)),
                          WinPath::ToLocal(mirror + "link")));
  // A local name holding a backslash or only dots is never acted on.
  WriteLocal(mirror + "...", "dots");
  Start(AddTask("inside", Docs + "m\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("inside"), tiOk);
  EXPECT_FALSE(QFileInfo(WinPath::ToLocal(mirror + "link")).isSymLink());
  EXPECT_EQ(ReadLocal(outside + "precious.txt"), QByteArray("do not touch"));
  EXPECT_EQ(ReadLocal(mirror + "keep.txt"), QByteArray("k"));
  EXPECT_TRUE(QFileInfo::exists(WinPath::ToLocal(mirror) + "/..."));
}

TEST_F(TaskWorker, PauseContinueAndCancelThenTheNextRunResumes) {
  const qint64 size = 48ll << 20;
  Net->AddFile(Docs + "big.bin", size, Stamp(7));
  const int row = AddTask("big", Docs + "big.bin", Destination, false);
  auto form = Start(row);
  ASSERT_TRUE(WaitUntil([&] { return form && form->CGaugeFile->Progress() > 5; }));
  form->ButtonPause->click();
  EXPECT_EQ(form->ButtonPause->text(), "Continue");
  EXPECT_EQ(form->LabelSpeed->text(), "Speed: 0 kbytes/s");
  EXPECT_TRUE(form->LabelTime->isHidden());
  EXPECT_EQ(SubItem("big", tcSpeed), "Pause");
  EXPECT_EQ(SubItem("big", tcTimeLeft), "");
  // Paused means no byte moves.
  QThread::msleep(50);
  const qint64 held = LocalSize(Destination + "big.bin");
  QThread::msleep(100);
  EXPECT_EQ(LocalSize(Destination + "big.bin"), held);

  form->ButtonPause->click();
  EXPECT_EQ(form->ButtonPause->text(), "Pause");
  ASSERT_TRUE(WaitUntil([&] { return form && form->CGaugeFile->Progress() > 20; }));
  form->ButtonCancel->click();
  EXPECT_EQ(Image("big"), tiDeactive);
  EXPECT_EQ(SubItem("big", tcSpeed), "");
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_EQ(KeepAsked, 0);  // a task asks nothing
  ASSERT_TRUE(WaitForAll());

  // The partial copy keeps its own date (it never passes for a complete
  // one); the tasks file records it, and holds the percent the row shows.
  const qint64 partial = LocalSize(Destination + "big.bin");
  EXPECT_GT(partial, 0);
  EXPECT_LT(partial, size);
  EXPECT_NE(LocalModified(Destination + "big.bin"), Stamp(7));
  EXPECT_EQ(Key("big", "Partial"), Destination + "big.bin");
  const int percent = CompletePercent(Complete("big"));
  EXPECT_GT(percent, 0);
  EXPECT_EQ(Key("big", "Progress"), QString::number(percent));
  EXPECT_EQ(TaskRow("big"), row);

  // The next run resumes the file: a mark in its head stays.
  {
    QFile f(WinPath::ToLocal(Destination + "big.bin"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.write("M", 1);
  }
  Start(TaskRow("big"));
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_EQ(TaskRow("big"), -1);
  QByteArray expected(size, 0);  // large files are zeros
  expected[0] = 'M';
  EXPECT_EQ(ReadLocal(Destination + "big.bin"), expected);
  EXPECT_EQ(LocalModified(Destination + "big.bin"), Stamp(7));
}

TEST_F(TaskWorker, AStoppedCopyResumesOnTheNextRunsUnlessItsSourceChanged) {
  const QByteArray content = Bytes(1000000, 3);
  Net->AddFile(Docs + "r\\big.bin", content, Stamp(8));
  auto fault = std::make_shared<TReadFault>();
  fault->Name = "big.bin";
  fault->HangAt = 300000;
  NetBackend::Use(std::make_shared<TFaultyNetwork>(Net->Root(), fault));
  const QString copy = Destination + "r\\big.bin";
  const int row = AddTask("s", Docs + "r\\", Destination, true);

  // Cancelled mid-file: the beginning stays, undated, and recorded, also
  // across the exit's rewrite of the tasks file.
  auto form = Start(row);
  ASSERT_TRUE(WaitUntil([&] { return fault->Hanging(); }));
  form->ButtonCancel->click();
  fault->Release();
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(LocalSize(copy), 300000);
  EXPECT_NE(LocalModified(copy), Stamp(8));
  SaveTasks();
  EXPECT_EQ(Key("s", "Partial"), copy);

  // A read failure on the next run: it went on from there (a copy from
  // byte 0 would have cut the file), and still resumes.
  fault->HangAt = 1000;
  fault->Released = false;
  Start(TaskRow("s"));
  ASSERT_TRUE(WaitUntil([&] { return fault->Hanging(); }));
  EXPECT_EQ(LocalSize(copy), 300000);
  fault->Release();
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("s"), tiError);

  fault->HangAt = -1;
  Start(TaskRow("s"));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("s"), tiOk);
  EXPECT_EQ(ReadLocal(copy), content);
  EXPECT_EQ(LocalModified(copy), Stamp(8));
  EXPECT_EQ(Key("s", "Partial"), "<none>");
  EXPECT_EQ(Key("s", "PartialStamp"), "<none>");

  // A source changed after a stopped copy is copied from its first byte.
  fault->HangAt = 500000;
  fault->Released = false;
  Net->SetModified(Docs + "r\\big.bin", Stamp(9));
  Start(TaskRow("s"));
  ASSERT_TRUE(WaitUntil([&] { return fault->Hanging(); }));
  fault->Release();
  ASSERT_TRUE(WaitForAll());
  ASSERT_EQ(LocalSize(copy), 500000);
  const QByteArray changed = Bytes(1000000, 4);
  Net->AddFile(Docs + "r\\big.bin", changed, Stamp(10));
  fault->HangAt = -1;
  Start(TaskRow("s"));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(copy), changed);
  EXPECT_EQ(LocalModified(copy), Stamp(10));
}

TEST_F(TaskWorker, ATaskFollowsItsRowWhenAnotherTaskLeavesTheList) {
  const qint64 size = 32ll << 20;
  Net->AddFile(Docs + "small.txt", QByteArray("s"), Stamp(1));
  Net->AddFile(Docs + "large.bin", size, Stamp(2));
  AddTask("small", Docs + "small.txt", Destination, false);
  const int large = AddTask("large", Docs + "large.bin", Destination, false);
  AddTask("other", Docs + "none.bin", Destination, false);
  auto form = Start(large);
  ASSERT_TRUE(WaitUntil([&] { return form && form->CGaugeFile->Progress() > 3; }));
  form->ButtonPause->click();
  // The small download ends and takes row 0 away; "large" moves up.
  Start(TaskRow("small"));
  ASSERT_TRUE(WaitUntil([] { return TaskRow("small") == -1; }));
  EXPECT_EQ(TaskRow("large"), 0);
  form->ButtonPause->click();
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_EQ(TaskRow("large"), -1);
  ASSERT_EQ(FormMain->ListViewLoads->Count(), 1);
  EXPECT_EQ(FormMain->ListViewLoads->Item(0).Caption, "other");
  EXPECT_EQ(Complete("other"), "0%");
  EXPECT_EQ(Key("other", "Progress"), "<none>");
  EXPECT_EQ(LocalSize(Destination + "large.bin"), size);
}

TEST_F(TaskWorker, StartingWarnsOfANetworkDestinationAndGoesOn) {
  Net->AddFile(Docs + "f.txt", QByteArray("f"), Stamp(1));
  Start(AddTask("unc", Docs + "f.txt", "\\\\PC1\\docs\\", false));
  EXPECT_EQ(AskedTexts(), QStringList({"Invalid directory name"}));
  ASSERT_TRUE(WaitForAll());
  // The folder exists, so the run could use it.
  EXPECT_EQ(TaskRow("unc"), -1);
}

TEST_F(TaskWorker, ASourceEndingBeforeItsSizeFailsTheRunAndKeepsItsOwnDate) {
  Net->AddFile(Docs + "sync\\blob.bin", Bytes(300000, 1), Stamp(9));
  Net->AddFile(Docs + "sync\\ok.txt", Bytes(5, 2), Stamp(9));
  auto fault = std::make_shared<TReadFault>();
  fault->Name = "blob.bin";
  fault->EndAt = 262144;  // a server answering "no more" before the size
  NetBackend::Use(std::make_shared<TFaultyNetwork>(Net->Root(), fault));
  const int row = AddTask("s", Docs + "sync\\", Destination, true);
  const QString mirror = Destination + "sync\\";
  Start(row);
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("s"), tiError);
  EXPECT_EQ(LocalSize(mirror + "blob.bin"), 262144);
  EXPECT_NE(LocalModified(mirror + "blob.bin"), Stamp(9));
  EXPECT_EQ(LocalModified(mirror + "ok.txt"), Stamp(9));

  // Nothing at all: an empty file, not dated either.
  fault->EndAt = 0;
  QFile::remove(WinPath::ToLocal(mirror + "blob.bin"));
  Start(TaskRow("s"));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("s"), tiError);
  EXPECT_EQ(LocalSize(mirror + "blob.bin"), 0);
  EXPECT_NE(LocalModified(mirror + "blob.bin"), Stamp(9));
}

TEST_F(TaskWorker, EachRealFolderIsMirroredOnceHoweverManyLinksLeadToIt) {
  const int files = AddLinkChain(*Net, Docs, 5);
  Start(AddTask("c", Docs + "chain\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("c"), tiOk);
  EXPECT_EQ(CountFiles(Destination + "chain"), files);
}

TEST_F(TaskWorker, NamesEndingInADotOrABlankAreNeitherCopiedNorDeleted) {
  // Joined to a path, "keep.txt." names keep.txt: removing it as a name the
  // source lacks would remove the mirror of keep.txt.
  Net->AddFile(Docs + "m\\keep.txt", QByteArray("k"), Stamp(1));
  Net->AddFile(Docs + "m\\keep.txt ", QByteArray("blank"), Stamp(2));
  Net->AddFile(Docs + "m\\lone.", QByteArray("no lone"), Stamp(3));
  const QString mirror = Destination + "m\\";
  WriteLocal(mirror + "keep.txt.", "mine");
  Start(AddTask("dots", Docs + "m\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("dots"), tiOk);
  EXPECT_EQ(ReadLocal(mirror + "keep.txt"), QByteArray("k"));
  EXPECT_EQ(QDir(WinPath::ToLocal(mirror)).entryList(QDir::Files, QDir::Name), QStringList({"keep.txt", "keep.txt."}));
  QFile mine(WinPath::ToLocal(mirror) + "/keep.txt.");
  ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
  EXPECT_EQ(mine.readAll(), QByteArray("mine"));
}
