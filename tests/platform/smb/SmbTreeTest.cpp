// The records the real network hands the program: the enumeration tree
// from discovery and share lists, and find records from listings, with
// names that could act as paths never passed on.
#include <gtest/gtest.h>

#include "platform/fs/FileAttr.h"
#include "platform/net/NetApi.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/smb/SmbTree.h"
#include "support/EntryNames.h"

using namespace NetApi;

namespace {

TFoundServer Server(const QString& name, const QString& group) {
  TFoundServer s;
  s.Name = name;
  s.Group = group;
  return s;
}

TSmbShare Share(const QString& name, unsigned type, const QString& comment = {}) {
  TSmbShare s;
  s.Name = name;
  s.Type = type;
  s.Comment = comment;
  return s;
}

TSmbEntry Entry(const QString& name, int attrs, qint64 size = 0, const QString& shortName = {}) {
  TSmbEntry e;
  e.Name = name;
  e.Attrs = attrs;
  e.Size = size;
  e.ShortName = shortName;
  e.WriteTimeNs = 981173106LL * 1000000000LL;
  return e;
}

QStringList Remote(const QList<NETRESOURCE>& records) {
  QStringList names;
  for (const NETRESOURCE& r : records) names.append(r.lpRemoteName);
  return names;
}

}  // namespace

TEST(SmbTree, ProviderGroupsAndServers) {
  const NETRESOURCE p = SmbTree::ProviderRecord();
  EXPECT_EQ(p.lpRemoteName, "Microsoft Windows Network");
  EXPECT_EQ(p.dwDisplayType, RESOURCEDISPLAYTYPE_NETWORK);
  EXPECT_TRUE(p.dwUsage & RESOURCEUSAGE_CONTAINER);

  const QList<TFoundServer> found = {Server("SRV2", "TESTGRP"), Server("SRV1", "testgrp"), Server("SRV3", "CORP"),
                                     Server("SRV1", "CORP"),    Server("..", "TESTGRP"),   Server("EVIL", "a\\b"),
                                     Server("X\\Y", "CORP")};
  const QList<NETRESOURCE> groups = SmbTree::GroupRecords(found);
  EXPECT_EQ(Remote(groups), QStringList({"CORP", "TESTGRP"}));  // one per group, letter case ignored
  for (const NETRESOURCE& g : groups) {
    EXPECT_EQ(g.dwDisplayType, RESOURCEDISPLAYTYPE_DOMAIN);
    EXPECT_TRUE(g.dwUsage & RESOURCEUSAGE_CONTAINER);
    EXPECT_EQ(g.lpProvider, "Microsoft Windows Network");
  }
  // A server seen in two groups is listed under both; unsafe names never.
  EXPECT_EQ(Remote(SmbTree::ServerRecords(found, "TESTGRP")), QStringList({"\\\\SRV1", "\\\\SRV2"}));
  EXPECT_EQ(Remote(SmbTree::ServerRecords(found, "corp")), QStringList({"\\\\SRV1", "\\\\SRV3"}));
  EXPECT_TRUE(SmbTree::ServerRecords(found, "NOPE").isEmpty());
  for (const NETRESOURCE& s : SmbTree::ServerRecords(found, "CORP")) {
    EXPECT_EQ(s.dwDisplayType, RESOURCEDISPLAYTYPE_SERVER);
    EXPECT_TRUE(s.dwUsage & RESOURCEUSAGE_CONTAINER);
  }
}

TEST(SmbTree, SharesAreTypedAsWindowsListsThem) {
  const QList<TSmbShare> shares = {Share("pub", 3, "Public"), Share("IPC$", 6), Share("C$", 3),
                                   Share("laser", 4),         Share("comms", 5), Share("Data", 3),
                                   Share("..", 3),            Share("a/b", 3),  Share("", 3),
                                   Share("x\x01y", 3)};
  const QList<NETRESOURCE> r = SmbTree::ShareRecords("SRV1", shares);
  ASSERT_EQ(Remote(r), QStringList({"\\\\SRV1\\Data", "\\\\SRV1\\pub", "\\\\SRV1\\laser"}));
  EXPECT_EQ(r[0].dwType, RESOURCETYPE_DISK);
  EXPECT_EQ(r[1].lpComment, "Public");
  EXPECT_FALSE(r[0].lpComment.isNull());
  EXPECT_EQ(r[2].dwType, RESOURCETYPE_PRINT);
  for (const NETRESOURCE& s : r) {
    EXPECT_EQ(s.dwDisplayType, RESOURCEDISPLAYTYPE_SHARE);
    EXPECT_EQ(s.dwUsage, RESOURCEUSAGE_CONNECTABLE);
  }
}

TEST(SmbTree, ListingsKeepExactAttributesSizesAndDates) {
  const QList<TSmbEntry> entries = {
      Entry(".", 0x10), Entry("..", 0x10), Entry("ro.txt", 0x21, 5), Entry("hidden.txt", 0x22, 6),
      Entry("sys.txt", 0x24, 7), Entry("rhs.txt", 0x27, 8), Entry("HiddenDir", 0x12, 4096),
      Entry("plain.bin", 0x80, 5368709120LL), Entry("none.bin", 0, 1), Entry("odd.bin", 0x2020, 2)};
  TSearchRec self;
  QList<TSearchRec> out;
  SmbTree::Listing(entries, TWildMask("*.*"), self, out);
  EXPECT_EQ(self.Attr, FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_EQ(Names(out), QStringList({"ro.txt", "hidden.txt", "sys.txt", "rhs.txt", "HiddenDir", "plain.bin",
                                     "none.bin", "odd.bin"}));
  EXPECT_EQ(out[0].Attr, 0x21);
  EXPECT_EQ(out[1].Attr, 0x22);
  EXPECT_EQ(out[2].Attr, 0x24);
  EXPECT_EQ(out[3].Attr, 0x27);
  EXPECT_EQ(out[4].Attr, 0x12);
  EXPECT_EQ(out[4].Size, 0);  // folders carry no size
  EXPECT_EQ(out[5].Attr, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(out[5].Size, 5368709120LL);  // over 4 GiB, whole
  EXPECT_EQ(out[6].Attr, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(out[7].Attr, FILE_ATTRIBUTE_ARCHIVE);  // bits the program does not know are dropped
  EXPECT_EQ(out[5].WriteTimeNs, 981173106LL * 1000000000LL);
  EXPECT_EQ(out[5].LastWriteTime().toUTC(), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
  EXPECT_NE(out[5].Time, 0u);
}

TEST(SmbTree, AFolderAndALinkToItShareTheServersIdentity) {
  // A share with links back up its tree: the walks tell the folders apart
  // only by what the server says they are.
  TSmbEntry dot = Entry(".", 0x10), up = Entry("up", 0x10), sub = Entry("sub", 0x10), bare = Entry("bare", 0x10);
  dot.Device = up.Device = sub.Device = 7;
  dot.FileIndex = up.FileIndex = 1001;
  sub.FileIndex = 1002;
  TSearchRec self;
  QList<TSearchRec> out;
  SmbTree::Listing({dot, Entry("..", 0x10), up, sub, bare}, TWildMask("*"), self, out);
  ASSERT_EQ(Names(out), QStringList({"up", "sub", "bare"}));
  EXPECT_TRUE(self.Id.Known());
  EXPECT_EQ(out[0].Id, self.Id);
  EXPECT_NE(out[1].Id, self.Id);
  EXPECT_FALSE(out[2].Id.Known());  // a server that gives none: never taken for another folder
}

TEST(SmbTree, NamesThatCouldActAsPathsAreNeverPassedOn) {
  const QList<TSmbEntry> entries = {Entry("good.txt", 0x20), Entry("..\\..\\evil.txt", 0x20), Entry("a/b", 0x20),
                                    Entry("c:x", 0x20),      Entry("", 0x20),                 Entry("..", 0x10),
                                    Entry("bell\a", 0x20),   Entry("tab\there", 0x20)};
  TSearchRec self;
  QList<TSearchRec> out;
  SmbTree::Listing(entries, TWildMask("*"), self, out);
  EXPECT_EQ(Names(out), QStringList({"good.txt"}));
}

TEST(SmbTree, MasksMatchTheLongNameOrTheServersShortName) {
  const QList<TSmbEntry> entries = {Entry("page.html", 0x20, 1, "PAGE~1.HTM"), Entry("report.txt", 0x20),
                                    Entry("Long Name.document", 0x20, 1, "LONGNA~2.DOC"),
                                    Entry("README", 0x20)};
  TSearchRec self;
  QList<TSearchRec> out;
  SmbTree::Listing(entries, TWildMask("*.htm"), self, out);
  EXPECT_EQ(Names(out), QStringList({"page.html"}));
  SmbTree::Listing(entries, TWildMask("longna~2.*"), self, out);  // the alias the server chose
  EXPECT_EQ(Names(out), QStringList({"Long Name.document"}));
  SmbTree::Listing(entries, TWildMask("*.*"), self, out);
  EXPECT_EQ(out.size(), 4);  // "README" too
  SmbTree::Listing(entries, TWildMask("R*"), self, out);
  EXPECT_EQ(Names(out), QStringList({"report.txt", "README"}));
}

TEST(SmbNetwork, WritesAndLocalPathsAreRefusedWithoutTouchingTheNetwork) {
  TSmbNetwork net;
  TFsPath p;
  ASSERT_EQ(FsPath::Parse("\\\\SRV1\\pub\\new", p), 0);
  EXPECT_EQ(net.CreateDir(p), ERROR_ACCESS_DENIED);
  EXPECT_EQ(net.RemoveDir(p), ERROR_ACCESS_DENIED);
  EXPECT_EQ(net.DeleteFile(p), ERROR_ACCESS_DENIED);
  std::unique_ptr<TFileObject> f;
  EXPECT_EQ(net.Open(p, TOpenMode::Write, f), ERROR_ACCESS_DENIED);
  EXPECT_EQ(net.Open(p, TOpenMode::Create, f), ERROR_ACCESS_DENIED);
  EXPECT_EQ(net.Open(p, TOpenMode::ReadWrite, f), ERROR_ACCESS_DENIED);
  EXPECT_EQ(f, nullptr);
  // The top of the network is there without any discovery.
  QList<NETRESOURCE> top;
  EXPECT_EQ(net.Children(nullptr, top), 0);
  ASSERT_EQ(top.size(), 1);
  EXPECT_EQ(top[0].lpRemoteName, "Microsoft Windows Network");
  // A name of this computer as the network shows it (NetBIOS: 15 at most).
  EXPECT_FALSE(net.ComputerName().isEmpty());
  EXPECT_LE(net.ComputerName().size(), 15);
  EXPECT_EQ(net.ComputerName(), net.ComputerName().toUpper());
}
