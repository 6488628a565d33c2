// Copies and synchronise tasks write and delete only inside their
// destination: names from a share that would act as paths, symbolic links
// in the destination, and links on a share that lead back up its tree.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include "TaskFixture.h"
#include "platform/fs/WinPath.h"
#include "transfer/Copy.h"
#include "transfer/Tasks.h"

namespace {

const QString Docs = QStringLiteral("\\\\PC1\\docs\\");

QDateTime Stamp(int day) { return QDateTime(QDate(2024, 6, day), QTime(12, 0, 0)); }

// Link names long enough that a walk following them without a guard still
// ends soon at the 259-character path limit, so a regression fails instead
// of running for ever.
const QString LinkA = QStringLiteral("back-to-the-folder-above-through-link-one").repeated(2);
const QString LinkB = QStringLiteral("back-to-the-folder-above-through-link-two").repeated(2);
const QString LinkUp = QStringLiteral("back-to-the-share-through-another-link").repeated(2);

// A file on the share under a name stored as it is (a Samba or Linux server
// allows backslashes in names).
void AddRaw(TSimNet& net, const QString& folderUnc, const QString& rawName, const QByteArray& content) {
  const QString dir = net.LocalPath(folderUnc);
  QDir().mkpath(dir);
  QFile f(dir + u'/' + rawName);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << rawName.toStdString();
  f.write(content);
}

void Link(const QString& target, const QString& link) {
  ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0)
      << link.toStdString();
}

QString Local(const QString& drivePath) { return WinPath::ToLocal(WinPath::ExcludeTrailingBackslash(drivePath)); }

bool IsLink(const QString& drivePath) { return QFileInfo(Local(drivePath)).isSymLink(); }

// Every file below `root` except those below one of `inside` (paths of
// this machine), links not followed.
QStringList FilesOutside(const QString& root, const QStringList& inside) {
  QStringList out;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString f = it.next();
    bool in = false;
    for (const QString& i : inside) in = in || f.startsWith(i + u'/');
    if (!in) out << f.mid(root.size() + 1);
  }
  out.sort();
  return out;
}

class Confinement : public TaskFixture {
 protected:
  // The temporary folder holding the network and every local folder.
  QString Top() const { return QFileInfo(Net->Root()).path(); }
  // A share folder that links back to itself twice and to the share once.
  void AddLoop() {
    Net->AddFile(Docs + "loop\\f.txt", QByteArray("fff"), Stamp(1));
    Net->AddFile(Docs + "loop\\inner\\g.txt", QByteArray("gg"), Stamp(1));
    const QString loop = Net->LocalPath(Docs + "loop");
    Link(loop, loop + u'/' + LinkA);
    Link(loop, loop + u'/' + LinkB);
    Link(Net->LocalPath("\\\\PC1\\docs"), loop + "/inner/" + LinkUp);
  }
};

}  // namespace

TEST_F(Confinement, NamesFromAShareNeverLeadACopyOutOfItsDestination) {
  Net->AddFile(Docs + "escape.txt", QByteArray("inner"), Stamp(1));
  Net->AddFile(Docs + "sub\\ok.txt", QByteArray("ok"), Stamp(1));
  AddRaw(*Net, Docs + "sub", "..\\..\\..\\up.txt", "evil");
  AddRaw(*Net, "\\\\PC1\\docs", "..\\..\\escape.txt", "evil");
  QDir().mkpath(Net->LocalPath("\\\\PC1\\docs") + "/..\\..\\folder");
  AddRaw(*Net, "\\\\PC1\\docs", "..\\..\\folder/inside.txt", "evil");

  // The share as Copy to of the computers tree hands it over.
  const double total = FolderSize(Docs);
  EXPECT_EQ(total, 7);  // what the copy can write: escape.txt and sub\ok.txt
  const QString first = Net->LocalFolder("a/b/dest");
  auto form = StartCopy({"docs\\"}, {"\\\\PC1\\"}, first, total);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(ReadLocal(first + "docs\\escape.txt"), QByteArray("inner"));
  EXPECT_EQ(ReadLocal(first + "docs\\sub\\ok.txt"), QByteArray("ok"));
  EXPECT_EQ(FilesOutside(Top(), {Net->Root(), Local(first)}), QStringList());

  // Odd names arriving in a copy list (as result rows hand them over) are
  // refused one by one, each with an error, and nothing lands outside.
  const QString second = Net->LocalFolder("c/d/dest");
  form = StartCopy({"..\\..\\escape.txt", "..\\", "sub\\..\\..\\..\\", "...\\", "escape.txt"},
                   {Docs, Docs, Docs, Docs, Docs}, second, 5);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(Errors.size(), 4) << Errors.join("; ").toStdString();
  EXPECT_TRUE(Errors.value(0).startsWith("Cannot create file")) << Errors.value(0).toStdString();
  EXPECT_EQ(ReadLocal(second + "escape.txt"), QByteArray("inner"));
  EXPECT_EQ(FilesOutside(Top(), {Net->Root(), Local(first), Local(second)}), QStringList());
}

TEST_F(Confinement, ACopyNeverWritesThroughALinkInItsDestination) {
  const QString outside = Net->LocalFolder("outside");
  WriteLocal(outside + "precious.txt", "keep me");
  Net->AddFile(Docs + "a.txt", QByteArray("new a"), Stamp(1));
  Net->AddFile(Docs + "b.txt", QByteArray("new b"), Stamp(1));
  Net->AddFile(Docs + "c.txt", QByteArray("new c"), Stamp(1));
  Net->AddFile(Docs + "tree\\t.txt", QByteArray("t"), Stamp(1));
  Link(Local(outside + "precious.txt"), Local(Destination + "a.txt"));
  Link(Local(outside + "precious.txt"), Local(Destination + "b.txt"));
  Link(Local(outside + "missing.txt"), Local(Destination + "c.txt"));  // leads nowhere
  Link(Local(outside), Local(Destination + "tree"));
  // Each link counts as an existing file: resume one, skip one, replace one.
  ExistsAnswers = {TExistsAnswer::Append, TExistsAnswer::Skip, TExistsAnswer::Replace};

  auto form = StartCopy({"a.txt", "b.txt", "c.txt", "tree\\"}, {Docs, Docs, Docs, Docs}, Destination, 16);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_EQ(ExistsAsked, 3);
  // What the links point at is untouched, and nothing new appears there.
  EXPECT_EQ(ReadLocal(outside + "precious.txt"), QByteArray("keep me"));
  EXPECT_EQ(FilesOutside(Local(outside), {}), QStringList({"precious.txt"}));
  // The resumed and the replaced link became files of their own.
  EXPECT_FALSE(IsLink(Destination + "a.txt"));
  EXPECT_EQ(ReadLocal(Destination + "a.txt"), QByteArray("new a"));
  EXPECT_TRUE(IsLink(Destination + "b.txt"));
  EXPECT_FALSE(IsLink(Destination + "c.txt"));
  EXPECT_EQ(ReadLocal(Destination + "c.txt"), QByteArray("new c"));
  // A folder link is left alone, with an error.
  EXPECT_TRUE(IsLink(Destination + "tree"));
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors.first(), "Cannot create file " + Destination + "tree\\");
}

TEST_F(Confinement, ASynchroniseRunNeverFollowsALinkOutOfItsFolder) {
  Net->AddFile(Docs + "m\\a.txt", QByteArray("a"), Stamp(1));
  Net->AddFile(Docs + "m\\sub\\s.txt", QByteArray("s"), Stamp(1));
  Net->AddFile(Docs + "m\\sub\\deep\\d.txt", QByteArray("d"), Stamp(1));
  const QString outside = Net->LocalFolder("outside");
  WriteLocal(outside + "precious.txt", "keep");
  WriteLocal(outside + "p.txt", "outside p");
  WriteLocal(outside + "deep\\old.txt", "old");
  const QString mirror = Destination + "m\\";
  QDir().mkpath(Local(mirror));
  // A folder link named like a source folder, a file link named like a
  // source file, and a link to a file the source does not have.
  Link(Local(outside), Local(mirror + "sub"));
  Link(Local(outside + "p.txt"), Local(mirror + "a.txt"));
  Link(Local(outside + "precious.txt"), Local(mirror + "gone.txt"));

  Start(AddTask("sync", Docs + "m\\", Destination, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("sync"), tiOk);
  EXPECT_EQ(FilesOutside(Local(outside), {}), QStringList({"deep/old.txt", "p.txt", "precious.txt"}));
  EXPECT_EQ(ReadLocal(outside + "p.txt"), QByteArray("outside p"));
  EXPECT_EQ(ReadLocal(outside + "precious.txt"), QByteArray("keep"));
  // The links went as entries of their own; the mirror holds the source.
  EXPECT_FALSE(IsLink(mirror + "sub"));
  EXPECT_FALSE(IsLink(mirror + "a.txt"));
  EXPECT_FALSE(LocalExists(mirror + "gone.txt") || IsLink(mirror + "gone.txt"));
  EXPECT_EQ(ReadLocal(mirror + "a.txt"), QByteArray("a"));
  EXPECT_EQ(ReadLocal(mirror + "sub\\s.txt"), QByteArray("s"));
  EXPECT_EQ(ReadLocal(mirror + "sub\\deep\\d.txt"), QByteArray("d"));

  // The mirror folder itself a link: replaced the same way.
  const QString other = Net->LocalFolder("other");
  const QString elsewhere = Net->LocalFolder("elsewhere");
  WriteLocal(elsewhere + "x.txt", "x");
  Link(Local(elsewhere), Local(other + "m"));
  Start(AddTask("again", Docs + "m\\", other, true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("again"), tiOk);
  EXPECT_EQ(FilesOutside(Local(elsewhere), {}), QStringList({"x.txt"}));
  EXPECT_FALSE(IsLink(other + "m"));
  EXPECT_EQ(ReadLocal(other + "m\\sub\\deep\\d.txt"), QByteArray("d"));

  // A download onto a file link replaces the link, not its target.
  Link(Local(outside + "p.txt"), Local(other + "a.txt"));
  Start(AddTask("get", Docs + "m\\a.txt", other, false));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(ReadLocal(outside + "p.txt"), QByteArray("outside p"));
  EXPECT_FALSE(IsLink(other + "a.txt"));
  EXPECT_EQ(ReadLocal(other + "a.txt"), QByteArray("a"));
}

TEST_F(Confinement, LinksBackUpAShareAreWalkedOnce) {
  AddLoop();
  // The size walk (on the GUI thread) counts each file once.
  EXPECT_EQ(FolderSize(Docs), 5);
  EXPECT_EQ(FolderSize(Docs + "loop\\"), 5);
  EXPECT_EQ(PathSize(Docs + "loop\\inner\\"), 5);  // from inside, the share link leads up to the rest

  // A copy takes the tree as it is, without the links that lead back.
  auto form = StartCopy({"loop\\"}, {Docs}, Destination, 5);
  ASSERT_TRUE(WaitForEnd(form));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  EXPECT_EQ(FilesOutside(Local(Destination), {}), QStringList({"loop/f.txt", "loop/inner/g.txt"}));

  // So does a synchronise task, and the run succeeds.
  Start(AddTask("loop", Docs + "loop\\", Destination + "mirror\\", true));
  ASSERT_TRUE(WaitForAll());
  EXPECT_EQ(Image("loop"), tiOk);
  EXPECT_EQ(FilesOutside(Local(Destination + "mirror\\"), {}), QStringList({"loop/f.txt", "loop/inner/g.txt"}));
  EXPECT_FALSE(QFileInfo::exists(Local(Destination + "mirror\\loop\\" + LinkA)));
}
