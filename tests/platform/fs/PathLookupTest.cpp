// Paths are looked up as given first and by letter case only when that
// fails; servers of the simulated network are remembered once found. These
// tests change folders behind the program's back between lookups.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/PosixFs.h"
#include "platform/core/WinError.h"
#include "platform/fs/WinPath.h"
#include "platform/fs/WildMatch.h"
#include "support/SimNet.h"

using namespace FileSystem;

namespace {

class PathLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FDir.isValid());
    Drive = WinPath::FromLocal(FDir.path()) + u'\\';
  }
  QString Local(const QString& rel) const { return FDir.path() + u'/' + rel; }
  void Write(const QString& rel, const QByteArray& data) {
    QDir().mkpath(QFileInfo(Local(rel)).path());
    QFile f(Local(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  }
  QStringList LocalNames(const QString& rel) const {
    return QDir(Local(rel)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
  }

  QTemporaryDir FDir;
  QString Drive;
};

QByteArray ReadAll(const QString& path, int* error = nullptr) {
  const THandle h = FileOpen(path, fmOpenRead, error);
  if (h == INVALID_HANDLE_VALUE) return "<none>";
  QByteArray b(4096, 0);
  const int n = FileRead(h, b.data(), b.size());
  FileClose(h);
  return b.left(qMax(n, 0));
}

bool WriteVia(const QString& path, const QByteArray& data) {
  const THandle h = FileCreate(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool ok = FileWrite(h, data.constData(), int(data.size())) == data.size();
  FileClose(h);
  return ok;
}

}  // namespace

TEST_F(PathLookup, AnyLetterCaseFindsTheStoredNameAtEveryDepth) {
  Write("Top/Middle/Leaf.TXT", "leaf");
  EXPECT_EQ(ReadAll(Drive + "Top\\Middle\\Leaf.TXT"), "leaf");
  EXPECT_EQ(ReadAll(Drive + "top\\middle\\leaf.txt"), "leaf");
  EXPECT_EQ(ReadAll(Drive + "Top\\MIDDLE\\Leaf.TXT"), "leaf");  // wrong case in the middle only
  TSearchRec rec;
  ASSERT_EQ(FindFirst(Drive + "TOP\\middle\\LEAF.txt", faAnyFile, rec), 0);
  EXPECT_EQ(rec.Name, "Leaf.TXT");
  FindClose(rec);
  EXPECT_TRUE(FileExists(Drive + "tOP\\mIDDLE\\lEAF.tXT"));
  EXPECT_TRUE(DirectoryExists(Drive + "TOP\\MIDDLE"));

  // Names beyond ASCII fold as Unicode does.
  Write("\u00C4rger/\u212Aelvin.txt", "k");
  EXPECT_EQ(ReadAll(Drive + "\u00E4RGER\\kelvin.TXT"), "k");

  // A name as given wins over one that differs only in case.
  Write("Top/Middle/leaf.txt", "other");
  EXPECT_EQ(ReadAll(Drive + "Top\\Middle\\leaf.txt"), "other");
  EXPECT_EQ(ReadAll(Drive + "Top\\Middle\\Leaf.TXT"), "leaf");

  int e = 0;
  EXPECT_EQ(ReadAll(Drive + "Top\\Nowhere\\leaf.txt", &e), "<none>");
  EXPECT_NE(e, NO_ERROR);
  EXPECT_EQ(ReadAll(Drive + "Top\\Middle\\gone.txt", &e), "<none>");
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
  // A file in the middle of the path, in any case, is no folder.
  EXPECT_EQ(ReadAll(Drive + "Top\\Middle\\LEAF.TXT\\x", &e), "<none>");
  EXPECT_NE(e, NO_ERROR);
}

TEST_F(PathLookup, CreatingFollowsChangesMadeBehindTheProgramsBack) {
  QDir().mkpath(Local("out"));
  // A new name is made as given; the same name in other case reuses it.
  ASSERT_TRUE(WriteVia(Drive + "out\\Report.TXT", "one"));
  ASSERT_TRUE(WriteVia(Drive + "OUT\\report.txt", "two"));
  EXPECT_EQ(LocalNames("out"), QStringList({"Report.TXT"}));
  EXPECT_EQ(ReadAll(Drive + "out\\Report.TXT"), "two");

  // Deleted and made again in other case behind its back: that one is used.
  ASSERT_TRUE(QFile::remove(Local("out/Report.TXT")));
  Write("out/REPORT.txt", "outside");
  ASSERT_TRUE(WriteVia(Drive + "out\\report.TXT", "three"));
  EXPECT_EQ(LocalNames("out"), QStringList({"REPORT.txt"}));
  EXPECT_EQ(ReadAll(Drive + "out\\REPORT.txt"), "three");

  // Deleted behind its back: the next create makes the name as given.
  ASSERT_TRUE(QFile::remove(Local("out/REPORT.txt")));
  ASSERT_TRUE(WriteVia(Drive + "out\\report.TXT", "four"));
  EXPECT_EQ(LocalNames("out"), QStringList({"report.TXT"}));

  // A folder renamed behind its back in other case is still found.
  ASSERT_TRUE(QDir().rename(Local("out"), Local("Out")));
  ASSERT_TRUE(WriteVia(Drive + "out\\second.txt", "2"));
  EXPECT_EQ(LocalNames("Out"), QStringList({"report.TXT", "second.txt"}));
  EXPECT_EQ(CreateDir(Drive + "OUT\\Sub"), NO_ERROR);
  EXPECT_EQ(CreateDir(Drive + "out\\SUB"), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(DeleteFile(Drive + "OUT\\SECOND.TXT"), NO_ERROR);
  EXPECT_EQ(LocalNames("Out"), QStringList({"report.TXT", "Sub"}));

  // An existing empty file opened by create is still made new (its date moves).
  Write("Out/empty.txt", {});
  const THandle h = FileCreate(Drive + "out\\EMPTY.TXT");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileGetSize(h), 0);
  FileClose(h);
  EXPECT_EQ(LocalNames("Out"), QStringList({"empty.txt", "report.TXT", "Sub"}));
}

TEST_F(PathLookup, ResolveKeepsTheExistingPrefixAndTellsWhetherAllWasFound) {
  Write("A/b/C/file", "x");
  const QString base = FDir.path();
  bool found = false;
  EXPECT_EQ(PosixFs::Resolve(base, {"a", "B", "c", "FILE"}, &found), QStringList({"A", "b", "C", "file"}));
  EXPECT_TRUE(found);
  EXPECT_EQ(PosixFs::Resolve(base, {"A", "b", "C", "file"}, &found), QStringList({"A", "b", "C", "file"}));
  EXPECT_TRUE(found);
  // From the first missing part on, the parts stay as given.
  EXPECT_EQ(PosixFs::Resolve(base, {"a", "B", "x", "Y"}, &found), QStringList({"A", "b", "x", "Y"}));
  EXPECT_FALSE(found);
  EXPECT_EQ(PosixFs::Resolve(base, {"A", "b", "C", "new"}, &found), QStringList({"A", "b", "C", "new"}));
  EXPECT_FALSE(found);
  EXPECT_EQ(PosixFs::FindNameIgnoringCase(Local("A/b"), "c"), "C");
  EXPECT_EQ(PosixFs::FindNameIgnoringCase(Local("A/b"), "d"), "");
  EXPECT_EQ(PosixFs::FindNameIgnoringCase(Local("missing"), "c"), "");
}

TEST(SimNetworkServers, ARememberedServerFollowsItsFolderBehindTheProgramsBack) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddFile("\\\\PC1\\docs\\a.txt", QByteArray("a"));
  EXPECT_EQ(ReadAll("\\\\PC1\\docs\\a.txt"), "a");
  EXPECT_EQ(ReadAll("\\\\pc1\\DOCS\\A.TXT"), "a");

  // Moved to another workgroup.
  const QString root = net.Root();
  QDir().mkpath(root + "/OTHER");
  ASSERT_TRUE(QDir().rename(root + "/WORK/PC1", root + "/OTHER/PC1"));
  EXPECT_EQ(ReadAll("\\\\PC1\\docs\\a.txt"), "a");
  EXPECT_TRUE(FileExists("\\\\PC1\\docs\\a.txt"));
  EXPECT_EQ(ReadAll("\\\\pc1\\DOCS\\A.TXT"), "a");

  // Renamed in other letter case.
  ASSERT_TRUE(QDir().rename(root + "/OTHER/PC1", root + "/OTHER/pc1"));
  EXPECT_EQ(ReadAll("\\\\PC1\\docs\\a.txt"), "a");
  TSearchRec rec;
  ASSERT_EQ(FindFirst("\\\\PC1\\docs\\*.*", faAnyFile, rec), 0);
  FindClose(rec);

  // Gone: the server is not found; back again: it is.
  ASSERT_TRUE(QDir().rename(root + "/OTHER/pc1", root + "/away"));
  int e = 0;
  EXPECT_EQ(ReadAll("\\\\PC1\\docs\\a.txt", &e), "<none>");
  EXPECT_EQ(e, ERROR_BAD_NETPATH);
  EXPECT_EQ(FindFirst("\\\\PC1\\docs\\*.*", faAnyFile, rec), ERROR_BAD_NETPATH);
  ASSERT_TRUE(QDir().rename(root + "/away", root + "/WORK/PC1"));
  EXPECT_EQ(ReadAll("\\\\PC1\\docs\\a.txt"), "a");

  // A server that appears after a failed lookup is found.
  EXPECT_EQ(ReadAll("\\\\PC2\\x\\b.txt", &e), "<none>");
  EXPECT_EQ(e, ERROR_BAD_NETPATH);
  net.AddServer("WORK", "PC2");
  net.AddFile("\\\\PC2\\x\\b.txt", QByteArray("b"));
  EXPECT_EQ(ReadAll("\\\\PC2\\x\\b.txt"), "b");

  // Shares and files come and go under a remembered server.
  EXPECT_EQ(ReadAll("\\\\PC1\\new\\c.txt", &e), "<none>");
  EXPECT_EQ(e, ERROR_BAD_NET_NAME);
  net.AddFile("\\\\PC1\\new\\c.txt", QByteArray("c"));
  EXPECT_EQ(ReadAll("\\\\PC1\\NEW\\C.TXT"), "c");
  ASSERT_TRUE(WriteVia("\\\\PC1\\new\\C.txt", "again"));
  EXPECT_EQ(QDir(net.LocalPath("\\\\PC1\\new")).entryList(QDir::Files), QStringList({"c.txt"}));
  EXPECT_EQ(ReadAll("\\\\PC1\\new\\c.txt"), "again");
  ASSERT_TRUE(QDir(net.LocalPath("\\\\PC1\\new")).removeRecursively());
  EXPECT_EQ(ReadAll("\\\\PC1\\new\\c.txt", &e), "<none>");
  EXPECT_EQ(e, ERROR_BAD_NET_NAME);
  EXPECT_FALSE(DirectoryExists("\\\\PC1\\new"));
}

TEST(NameOrder, AsciiAndOtherNamesCompareAsInUpperCase) {
  // The reference: each character in upper case, one by one.
  auto reference = [](const QString& a, const QString& b) {
    for (qsizetype i = 0; i < qMin(a.size(), b.size()); ++i) {
      const QChar x = a[i].toUpper(), y = b[i].toUpper();
      if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  };
  const QStringList names = {"a",   "A",   "b",    "_x",  "Zeta", "zeta~", "\u00E4pfel", "\u00C4pfel",
                             "apfel", "[1]", "file10", "File9", "\u00DF", "ss",  "\u212A",  "k"};
  for (const QString& a : names)
    for (const QString& b : names) {
      const int c = WildMatch::CompareNames(a, b);
      EXPECT_EQ(c < 0 ? -1 : c > 0 ? 1 : 0, reference(a, b)) << a.toStdString() << " / " << b.toStdString();
    }
  EXPECT_TRUE(WildMatch::MaskMatch(u"*.TXT", u"a.txt"));
  EXPECT_TRUE(WildMatch::MaskMatch(u"\u00C4*", u"\u00E4pfel"));
  EXPECT_TRUE(WildMatch::MaskMatch(u"a?", u"A"));  // "?" may take nothing at the end
  EXPECT_FALSE(WildMatch::MaskMatch(u"a?b", u"AB"));
}
