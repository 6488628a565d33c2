// What the find layer hands up from any back end: only names that stand as
// one path component, and identities that tell a folder reached through a
// link from the folder itself.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/fs/FindFile.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "support/SimNet.h"
#include "support/EntryNames.h"

namespace {

const QString Docs = QStringLiteral("\\\\PC1\\docs\\");

// The entries a find returns, in order; empty when FindFirst fails.
QList<TSearchRec> Find(const QString& path, int attr = faAnyFile, int* error = nullptr) {
  QList<TSearchRec> out;
  TSearchRec sr;
  const int e = FileSystem::FindFirst(path, attr, sr);
  if (error) *error = e;
  if (e == 0) {
    do out << sr;
    while (FileSystem::FindNext(sr) == 0);
    FileSystem::FindClose(sr);
  }
  return out;
}

TSearchRec Entry(const QList<TSearchRec>& entries, const QString& name) {
  for (const TSearchRec& r : entries)
    if (r.Name == name) return r;
  ADD_FAILURE() << "no entry " << name.toStdString();
  return {};
}

// A file on the share under a name stored as it is: a server's file system
// may hold backslashes, colons and control characters in a name.
void AddRaw(TSimNet& net, const QString& folder, const QString& rawName) {
  const QString dir = net.LocalPath(folder);
  QDir().mkpath(dir);
  QFile f(dir + u'/' + rawName);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << rawName.toStdString();
  f.write("x");
}

class FindNames : public ::testing::Test {
 protected:
  void SetUp() override {
    Net.AddServer("WORK", "PC1");
    Net.AddShare("PC1", "docs");
  }
  TSimNet Net;
};

}  // namespace

TEST_F(FindNames, NamesThatWouldActAsPathsAreNeverHandedUp) {
  Net.AddFile(Docs + "ok.txt", 3);
  Net.AddFile(Docs + "sub\\in.txt", 2);
  AddRaw(Net, Docs + "sub", "..\\..\\escape.txt");
  for (const char* raw : {"..\\..\\escape.txt", "a\\b.txt", "c:d.txt", "tab\there.txt", "\\"})
    AddRaw(Net, "\\\\PC1\\docs", QString::fromUtf8(raw));
  QDir().mkpath(Net.LocalPath("\\\\PC1\\docs") + "/dir\\with\\slashes");

  EXPECT_EQ(Names(Find(Docs + "*.*")), QStringList({".", "..", "ok.txt", "sub"}));
  EXPECT_EQ(Names(Find(Docs + "*")), QStringList({".", "..", "ok.txt", "sub"}));
  EXPECT_EQ(Names(Find(Docs + "*.txt")), QStringList({"ok.txt"}));
  EXPECT_EQ(Names(Find(Docs + "sub\\*.*")), QStringList({".", "..", "in.txt"}));
  // Looked up by its own name, such an entry is not found either.
  int e = 0;
  EXPECT_TRUE(Find(Docs + "tab\there.txt", faAnyFile, &e).isEmpty());
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
  // The local drive passes the same gate.
  const QString local = WinPath::FromLocal(Net.LocalPath("\\\\PC1\\docs")) + u'\\';
  EXPECT_EQ(Names(Find(local + "*.*")), QStringList({".", "..", "ok.txt", "sub"}));
}

TEST_F(FindNames, ALinkAndItsFolderShareOneIdentityAndEveryOtherEntryDiffers) {
  Net.AddFile(Docs + "real\\f.txt", 1);
  Net.AddFile(Docs + "other\\g.txt", 1);
  const QString root = Net.LocalPath("\\\\PC1\\docs");
  ASSERT_EQ(symlink(QFile::encodeName(root + "/real").constData(), QFile::encodeName(root + "/alias").constData()), 0);
  ASSERT_EQ(symlink(QFile::encodeName(root).constData(), QFile::encodeName(root + "/real/up").constData()), 0);

  const QList<TSearchRec> top = Find(Docs + "*.*");
  const TSearchRec self = Entry(top, "."), real = Entry(top, "real"), alias = Entry(top, "alias"),
                   other = Entry(top, "other");
  ASSERT_TRUE(self.Id.Known());
  ASSERT_TRUE(real.Id.Known());
  EXPECT_EQ(alias.Id, real.Id);
  EXPECT_NE(other.Id, real.Id);
  EXPECT_NE(self.Id, real.Id);
  EXPECT_FALSE(Entry(top, "..").Id.Known());  // the parent is not known from here

  // Inside, "." is the folder the parent listed, and a link back up is the share.
  const QList<TSearchRec> inside = Find(Docs + "alias\\*.*");
  EXPECT_EQ(Entry(inside, ".").Id, real.Id);
  EXPECT_EQ(Entry(inside, "up").Id, self.Id);
  EXPECT_NE(Entry(inside, "f.txt").Id, real.Id);
  // A lookup of one name carries the identity too.
  const QList<TSearchRec> one = Find(Docs + "alias");
  ASSERT_EQ(one.size(), 1);
  EXPECT_EQ(one.first().Id, real.Id);
}

TEST_F(FindNames, NamesThePathRulesWouldCutAreNeverHandedUp) {
  // "a." and "a " would open the file a: a server or a local folder may hold all three.
  Net.AddFile(Docs + "a", 1);
  for (const char* raw : {"a.", "a ", "b. .", "dir."}) AddRaw(Net, "\\\\PC1\\docs", QString::fromUtf8(raw));
  const QString local = WinPath::FromLocal(Net.LocalPath("\\\\PC1\\docs")) + u'\\';
  for (const QString& folder : {Docs, local}) {
    EXPECT_EQ(Names(Find(folder + "*.*")), QStringList({".", "..", "a"})) << folder.toStdString();
    EXPECT_EQ(Names(Find(folder + "a*")), QStringList({"a"}));
    // Asked by name, "a." is a, as Windows has it.
    EXPECT_EQ(Names(Find(folder + "a.")), QStringList({"a"}));
  }
}
