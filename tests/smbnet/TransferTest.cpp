// Copies and tasks from real shares, through their transfer windows: what
// arrives is byte for byte what the server serves, with its dates; a
// truncated copy is resumed; a synchronise task mirrors a folder; and a
// share full of names that would act as paths puts nothing outside the
// destination.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <utility>

#include "SmbnetEnv.h"
#include "TaskFixture.h"
#include "app/Main.h"
#include "platform/core/Thread.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/WinPath.h"
#include "transfer/Fileexists_form.h"
#include "transfer/Tasks.h"

namespace {

const QString Pub = QStringLiteral("\\\\SRV1\\pub\\");

class SmbnetTransfer : public TaskFixture {
 protected:
  void SetUp() override {
    if (!Smbnet::Present()) GTEST_SKIP() << "not inside scripts/smbnet run";
    TaskFixture::SetUp();
    FUse = std::make_unique<Smbnet::TUse>();
  }
  void TearDown() override {
    if (!FUse) return;
    EXPECT_TRUE(WaitUntil([] { return TThread::RunningCount() == 0; }, 60000));
    FUse.reset();
    TaskFixture::TearDown();
  }
  static QByteArray Served(const QString& server, const QString& path) {
    QFile f(Smbnet::Local(server, path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
  }
  static QDateTime ServedModified(const QString& server, const QString& path) {
    return QFileInfo(Smbnet::Local(server, path)).lastModified();
  }
  // A file on a server's side of its share, with its date.
  static void WriteServed(const QString& path, const QByteArray& data, const QDateTime& when) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(data), data.size());
    ASSERT_TRUE(f.flush());
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  }
  static void SetLocalModified(const QString& drivePath, const QDateTime& when) {
    QFile f(WinPath::ToLocal(drivePath));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  }
  // Every file below a folder of this machine, relative, sorted.
  static QStringList FilesBelow(const QString& localFolder) {
    QStringList out;
    QDirIterator it(localFolder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(localFolder).relativeFilePath(it.next());
    out.sort();
    return out;
  }
  std::unique_ptr<Smbnet::TUse> FUse;
};

TEST_F(SmbnetTransfer, CopyToBringsFilesAndFolderTreesByteIdenticalWithTheirDates) {
  const QStringList files = {"block-test.bin", "readme.txt", "docs/readonly.txt", "docs/all.dat",
                             "Folder With Spaces/nested/deep file.txt", "Ünïcødé Mappe/Straße café.txt"};
  double total = 0;
  for (const QString& f : files) total += QFileInfo(Smbnet::Local("SRV1", "pub/" + f)).size();
  // As Copy to hands them over from the search results: each name with the
  // folder it was found in; folders end with a backslash.
  const QString docs = Pub + "docs\\";
  auto form = StartCopy({"block-test.bin", "readme.txt", "readonly.txt", "all.dat", "Folder With Spaces\\",
                         "Ünïcødé Mappe\\"},
                        {Pub, Pub, docs, docs, Pub, Pub}, Destination, total);
  ASSERT_TRUE(WaitForEnd(form, 60000));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(ExistsAsked, 0);
  const QStringList arrived = {"block-test.bin", "readme.txt", "readonly.txt", "all.dat",
                               "Folder With Spaces/nested/deep file.txt", "Ünïcødé Mappe/Straße café.txt"};
  for (int i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].toStdString());
    const QString local = Destination + QString(arrived[i]).replace('/', '\\');
    EXPECT_EQ(ReadLocal(local), Served("SRV1", "pub/" + files[i]));
    EXPECT_EQ(LocalModified(local), ServedModified("SRV1", "pub/" + files[i]));
  }
}

TEST_F(SmbnetTransfer, ATruncatedCopyIsResumedByteIdentical) {
  const QByteArray served = Served("SRV1", "pub/block-test.bin");
  ASSERT_EQ(served.size(), 3000000);
  // An odd length, not a whole number of blocks; the source's date, so the
  // download task takes it for an interrupted copy of the same file.
  WriteLocal(Destination + "block-test.bin", served.left(1234567));
  SetLocalModified(Destination + "block-test.bin", ServedModified("SRV1", "pub/block-test.bin"));
  Start(AddTask("resume", Pub + "block-test.bin", Destination, false));
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_EQ(ReadLocal(Destination + "block-test.bin"), served);
  EXPECT_EQ(LocalModified(Destination + "block-test.bin"), ServedModified("SRV1", "pub/block-test.bin"));

  // The same through Copy to, answering the file-exists question with Append.
  const QString copyDest = Destination + "copy\\";
  WriteLocal(copyDest + "block-test.bin", served.left(700001));
  ExistsAnswers.push_back(TExistsAnswer::Append);
  auto form = StartCopy({"block-test.bin"}, {Pub}, copyDest, served.size());
  ASSERT_TRUE(WaitForEnd(form, 60000));
  EXPECT_EQ(ExistsAsked, 1);
  EXPECT_EQ(ReadLocal(copyDest + "block-test.bin"), served);
}

TEST_F(SmbnetTransfer, ALargeFileReadSeveralRequestsAtATimeArrivesByteIdentical) {
  // Past 32 MiB the reads outgrow a server's largest request (8 MiB on
  // Samba, far less on impacket's), so the library splits each into
  // requests in flight together; an odd end.
  QByteArray data(64 * 1024 * 1024 + 12345, Qt::Uninitialized);
  for (int i = 0; i < data.size(); ++i) data[i] = char((i * 2654435761u) >> 13);
  const struct {
    const char* Server;
    const char* Share;
    QString Unc;
  } servers[] = {{"SRV1", "pub", Pub}, {"PYSMB", "files", QStringLiteral("\\\\PYSMB\\FILES\\")}};
  for (const auto& s : servers) {
    SCOPED_TRACE(s.Server);
    const QString local = Smbnet::Local(s.Server, QString::fromLatin1(s.Share) + "/large-read.bin");
    QFile f(local);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
    f.close();
    const QString to = Destination + s.Server + "\\";
    ASSERT_TRUE(QDir().mkpath(WinPath::ToLocal(to)));
    Errors.clear();
    auto form = StartCopy({"large-read.bin"}, {s.Unc}, to, double(data.size()));
    const bool ended = WaitForEnd(form, 120000);
    QFile::remove(local);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
    EXPECT_TRUE(ReadLocal(to + "large-read.bin") == data);
  }
}

// The pids of this process' read helpers.
QList<int> ReadHelpers() {
  QList<int> out;
  const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (line.contains("(trawlix-smbread)") && after.value(1) == self && after.value(0) != "Z") out << pid.toInt();
  }
  return out;
}

TEST_F(SmbnetTransfer, ALargeFileReadOverTwoConnectionsArrivesWholeEvenWhenTheSecondIsKilled) {
  // On the password share, so the second connection must log on as the
  // first did; behind a rate cap, so the copy lasts long enough to watch.
  Smbnet::TAuthFile auth(true);
  ASSERT_TRUE(Smbnet::Command({"relay", "SRV1", "--rate", "1G"}));
  QByteArray data(160 * 1024 * 1024 + 4321, Qt::Uninitialized);
  for (int i = 0; i < data.size(); ++i) data[i] = char((i * 2246822519u) >> 11);
  const QString local = Smbnet::Local("SRV1", "secret/two-way.bin");
  {
    QFile f(local);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(data), data.size());
  }
  for (const bool kill : {false, true}) {
    SCOPED_TRACE(kill ? "helper killed" : "helper throughout");
    const QString to = Destination + (kill ? "killed\\" : "whole\\");
    ASSERT_TRUE(QDir().mkpath(WinPath::ToLocal(to)));
    Errors.clear();
    auto form = StartCopy({"two-way.bin"}, {QStringLiteral("\\\\SRV1\\secret\\")}, to, double(data.size()));
    bool seen = false, killed = false;
    int tick = 0;
    const bool ended = WaitUntil(
        [&] {
          if (++tick % 50 == 0 && !killed) {
            const QList<int> helpers = ReadHelpers();
            seen = seen || !helpers.isEmpty();
            // Killed once a third of the file has arrived.
            if (kill && !helpers.isEmpty() && LocalSize(to + "two-way.bin") > data.size() / 3) {
              for (const int pid : helpers) ::kill(pid, SIGKILL);
              killed = true;
            }
          }
          return form.isNull() && TThread::RunningCount() == 0;
        },
        120000);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(seen);
    EXPECT_EQ(killed, kill);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
    EXPECT_TRUE(ReadLocal(to + "two-way.bin") == data);
    EXPECT_EQ(LocalModified(to + "two-way.bin"), ServedModified("SRV1", "secret/two-way.bin"));
    // Every helper was reaped with its file.
    EXPECT_TRUE(ReadHelpers().isEmpty());
  }
  QFile::remove(local);
  EXPECT_TRUE(Smbnet::Command({"unrelay", "SRV1"}));
}

TEST_F(SmbnetTransfer, ASynchroniseTaskMirrorsAFolderAndASecondRunChangesNothing) {
  const QString project = QStringLiteral("\\\\SRV2\\data\\project\\");
  const QString mirror = Destination + "project\\";
  WriteLocal(mirror + "gone.txt", "no longer on the server");
  WriteLocal(mirror + "plan.txt", "an older plan, longer than the new one");
  const int row = AddTask("mirror", project, Destination, true);
  Start(row);
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  for (const QString& f : {QString("plan.txt"), QString("data.bin"), QString("sub dir/ä ö ü.txt")}) {
    SCOPED_TRACE(f.toStdString());
    const QString local = mirror + QString(f).replace('/', '\\');
    EXPECT_EQ(ReadLocal(local), Served("SRV2", "data/project/" + f));
    EXPECT_EQ(LocalModified(local), ServedModified("SRV2", "data/project/" + f));
  }
  EXPECT_FALSE(LocalExists(mirror + "gone.txt"));
  EXPECT_EQ(FilesBelow(WinPath::ToLocal(mirror)), QStringList({"data.bin", "plan.txt", "sub dir/ä ö ü.txt"}));
  EXPECT_EQ(Complete("mirror"), "100%");

  const QDateTime before = QFileInfo(WinPath::ToLocal(mirror + "data.bin")).metadataChangeTime();
  Start(TaskRow("mirror"));
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_EQ(QFileInfo(WinPath::ToLocal(mirror + "data.bin")).metadataChangeTime(), before);
  EXPECT_EQ(Complete("mirror"), "100%");
}

TEST_F(SmbnetTransfer, AShareOfHostileNamesPutsNothingOutsideTheDestination) {
  // The destination lies two levels down in a folder of its own, so that
  // "..\..\" from it would still land in a folder the test can see.
  const QString outer = Destination + "outer\\";
  const QString dest = outer + "inner\\";
  WriteLocal(outer + "marker.txt", "outer");
  Start(AddTask("odd", "\\\\SRV2\\odd\\", dest, true));
  ASSERT_TRUE(WaitForAll(60000));
  // Only the sound names arrive, inside the destination's share folder.
  EXPECT_EQ(FilesBelow(WinPath::ToLocal(outer)),
            QStringList({"inner/odd/safe.txt", "inner/odd/sub/inner.txt", "marker.txt"}));
  const QString root = WinPath::ToLocal(Destination);
  for (const QString& f : FilesBelow(root)) {
    EXPECT_FALSE(f.contains("escape") || f.contains("up.txt") || f.contains(':') || f.contains('\\') || f.contains('\a'))
        << f.toStdString();
  }
  EXPECT_EQ(ReadLocal(dest + "odd\\safe.txt"), Served("SRV2", "odd/safe.txt"));

  // Copy to of the folder whose listing holds backslashed names: nothing
  // arrives from it, and nothing anywhere else.
  auto form = StartCopy({"trap\\"}, {"\\\\SRV2\\odd\\"}, dest, 0);
  ASSERT_TRUE(WaitForEnd(form, 60000));
  for (const QString& f : FilesBelow(root)) EXPECT_FALSE(f.contains("escape") || f.contains("up.txt")) << f.toStdString();
  EXPECT_FALSE(QFileInfo::exists(WinPath::ToLocal(Destination) + "/../escape.txt"));
}

TEST_F(SmbnetTransfer, AFileChangedSinceItsListingLosesTheListedDateOnlyWhenItsReadShowsTheChange) {
  // A copy opens a file with what the folder's listing said of it and asks
  // the server nothing more unless its read shows the listing is stale.
  const QDateTime listedTime = QDateTime::fromSecsSinceEpoch(1500000000);
  const QDateTime laterTime = QDateTime::fromSecsSinceEpoch(1600000000);
  const struct {
    const char* Name;
    QByteArray Now;   // the content once changed; listed it held "ten bytes!"
    QByteArray Read;  // what a read of the opened file brings
    bool TimeKnown;
  } cases[] = {{"same.txt", "ten bytes!", "ten bytes!", true},
               // Appended to: read as listed, which it still begins with.
               {"grown.txt", "ten bytes! and then some", "ten bytes!", true},
               {"shrunk.txt", "short", "short", false},
               // Rewritten at its size: not known to have changed, it keeps
               // the listed date, older than its bytes, so a later
               // comparison takes the source for the newer one.
               {"rewritten.txt", "TEN BYTES!", "TEN BYTES!", true}};
  const QString folder = Smbnet::Local("SRV1", "pub/changing");
  ASSERT_TRUE(QDir().mkpath(folder));
  auto write = [&](const QString& name, const QByteArray& data, const QDateTime& when) {
    WriteServed(folder + "/" + name, data, when);
  };
  for (const auto& c : cases) write(c.Name, "ten bytes!", listedTime);
  QHash<QString, TSearchRec> listed;
  TSearchRec rec;
  ASSERT_EQ(FileSystem::FindFirst(Pub + "changing\\*.*", faAnyFile, rec), 0);
  do listed.insert(rec.Name, rec);
  while (FileSystem::FindNext(rec) == 0);
  FileSystem::FindClose(rec);
  for (const auto& c : cases) write(c.Name, c.Now, laterTime);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(listed.contains(c.Name));
    const TSearchRec& l = listed[c.Name];
    EXPECT_EQ(l.Size, 10);
    const FileSystem::THandle h = FileSystem::FileOpenListed(Pub + "changing\\" + c.Name, l.Size, l.WriteTimeNs);
    ASSERT_NE(h, FileSystem::INVALID_HANDLE_VALUE);
    QByteArray read(4096, '\0');
    const int n = FileSystem::FileRead(h, read.data(), int(read.size()));
    EXPECT_EQ(read.left(qMax(n, 0)), c.Read);
    EXPECT_EQ(FileSystem::FileGetSize(h), c.Read.size());
    qint64 ns = 0;
    EXPECT_EQ(FileSystem::FileGetTime(h, ns), c.TimeKnown);
    if (c.TimeKnown) EXPECT_EQ(ns / 1000000000, listedTime.toSecsSinceEpoch());
    FileSystem::FileClose(h);
  }
  QDir(folder).removeRecursively();
}

TEST_F(SmbnetTransfer, AFolderCopyTakesFilesChangedSinceItsListingAsTheyAreNow) {
  // The copy opens a folder's files as its listing described them; files
  // rewritten after that listing must not arrive cut to the listed size or
  // with the listed date. The first file-exists question, which comes after
  // the listing and before any file is read, is where they change.
  const QDateTime listedTime = QDateTime::fromSecsSinceEpoch(1500000000);
  const QDateTime laterTime = QDateTime::fromSecsSinceEpoch(1600000000);
  const QString folder = Smbnet::Local("SRV1", "pub/rewritten");
  ASSERT_TRUE(QDir().mkpath(folder));
  auto write = [&](const QString& name, const QByteArray& data, const QDateTime& when) {
    WriteServed(folder + "/" + name, data, when);
  };
  QStringList names;
  for (int i = 0; i < 10; ++i) names << QStringLiteral("f%1.txt").arg(i);
  for (const QString& n : names) {
    write(n, "ten bytes!", listedTime);
    WriteLocal(Destination + "rewritten\\" + n, "old");
  }
  bool changed = false;
  OnExistsQuestion = [&](TFormFileExists*) {
    if (std::exchange(changed, true)) return;
    // Even ones grew, odd ones were rewritten at their size.
    for (int i = 0; i < names.size(); ++i)
      write(names[i], i % 2 ? QByteArray("TEN BYTES!") : QByteArray("ten bytes! and then some"), laterTime);
  };
  ExistsAnswers.push_back(TExistsAnswer::ReplaceAll);
  auto form = StartCopy({"rewritten\\"}, {Pub}, Destination, 10 * names.size());
  ASSERT_TRUE(WaitForEnd(form, 60000));
  EXPECT_TRUE(changed);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  for (const QString& n : names) {
    SCOPED_TRACE(n.toStdString());
    EXPECT_EQ(ReadLocal(Destination + "rewritten\\" + n), Served("SRV1", "pub/rewritten/" + n));
    EXPECT_EQ(LocalModified(Destination + "rewritten\\" + n), laterTime);
  }
  QDir(folder).removeRecursively();
}

// impacket's server answers a read past the end with success and no bytes.
const QString PyFiles = QStringLiteral("\\\\PYSMB\\FILES\\");
const QStringList PyServed = {"blob.bin", "nine.txt", "three.txt", "sub/inner.txt"};

TEST_F(SmbnetTransfer, CopyToFromAServerThatIsNotSambaIsByteIdenticalWithTheDates) {
  double total = 0;
  for (const QString& f : PyServed) total += QFileInfo(Smbnet::Local("PYSMB", "files/" + f)).size();
  auto form = StartCopy({"blob.bin", "nine.txt", "three.txt", "sub\\"}, {PyFiles, PyFiles, PyFiles, PyFiles},
                        Destination, total);
  ASSERT_TRUE(WaitForEnd(form, 60000));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  for (const QString& f : PyServed) {
    SCOPED_TRACE(f.toStdString());
    const QString local = Destination + QString(f).replace('/', '\\');
    EXPECT_EQ(ReadLocal(local), Served("PYSMB", "files/" + f));
    EXPECT_EQ(LocalModified(local), ServedModified("PYSMB", "files/" + f));
  }
}

TEST_F(SmbnetTransfer, ASynchroniseTaskFromAServerThatIsNotSambaMirrorsItWhole) {
  Start(AddTask("pysmb", PyFiles, Destination, true));
  ASSERT_TRUE(WaitForAll(60000));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  const QString mirror = Destination + "FILES\\";
  for (const QString& f : PyServed) {
    SCOPED_TRACE(f.toStdString());
    const QString local = mirror + QString(f).replace('/', '\\');
    EXPECT_EQ(ReadLocal(local), Served("PYSMB", "files/" + f));
    EXPECT_EQ(LocalModified(local), ServedModified("PYSMB", "files/" + f));
  }
  EXPECT_EQ(FilesBelow(WinPath::ToLocal(mirror)), QStringList({"blob.bin", "nine.txt", "sub/inner.txt", "three.txt"}));
  EXPECT_EQ(Complete("pysmb"), "100%");
}

TEST_F(SmbnetTransfer, ThePasswordShareCopiesWithTheAuthenticationFileOnly) {
  const QString secret = QStringLiteral("\\\\SRV1\\secret\\");
  {
    Smbnet::TAuthFile none(false);
    auto form = StartCopy({"secret.txt"}, {secret}, Destination, 11);
    ASSERT_TRUE(WaitForEnd(form, 60000));
    EXPECT_FALSE(LocalExists(Destination + "secret.txt"));
  }
  Errors.clear();
  {
    Smbnet::TAuthFile with(true);
    auto form = StartCopy({"secret.txt"}, {secret}, Destination, 11);
    ASSERT_TRUE(WaitForEnd(form, 60000));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
    EXPECT_EQ(ReadLocal(Destination + "secret.txt"), Served("SRV1", "secret/secret.txt"));
  }
}

}  // namespace
