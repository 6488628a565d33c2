#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/SimNet.h"
#include "platform/core/DosTime.h"
#include "platform/fs/FileIo.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/net/NetApi.h"
#include "platform/net/NetBackend.h"
#include "platform/net/SimNetwork.h"
#include "platform/smb/SmbNetwork.h"
#include "support/EntryNames.h"

using namespace NetApi;

namespace {

// Every record of one level, read in batches of `bufferSize` bytes; the
// result of opening the level in `error`.
QList<NETRESOURCE> Level(const NETRESOURCE* parent, int* error = nullptr, int* batches = nullptr,
                         quint32 bufferSize = 6400, int type = RESOURCETYPE_ANY, int usage = 0) {
  QList<NETRESOURCE> all;
  HANDLE h = 0;
  const int e = WNetOpenEnum(RESOURCE_GLOBALNET, type, usage, parent, &h);
  if (error) *error = e;
  if (e != NO_ERROR) return all;
  for (;;) {
    quint32 count = 0xFFFFFFFF, size = bufferSize;
    QList<NETRESOURCE> batch;
    if (WNetEnumResource(h, &count, &batch, &size) != NO_ERROR) break;
    EXPECT_EQ(int(count), batch.size());
    if (batches) ++*batches;
    all.append(batch);
  }
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
  return all;
}

QStringList RemoteNames(const QList<NETRESOURCE>& records) {
  QStringList names;
  for (const NETRESOURCE& r : records) names << r.lpRemoteName;
  return names;
}

TSearchRec Entry(const QString& path) {
  TSearchRec sr;
  EXPECT_EQ(FileSystem::FindFirst(path, faAnyFile, sr), 0) << path.toStdString();
  FileSystem::FindClose(sr);
  return sr;
}

}  // namespace

TEST(SimNetwork, EnumerationWalksProviderWorkgroupsServersAndShares) {
  TSimNet net;
  net.AddServer("WORK", "PC10");
  net.AddServer("WORK", "PC1");
  net.AddServer("HOME", "NAS");
  net.AddShare("PC1", "docs");
  net.AddShare("PC1", "Apps");
  net.AddShare("PC10", "music");
  net.SetServerKey("PC1", "Printers", "LaserJet, Plotter");

  const QList<NETRESOURCE> top = Level(nullptr);
  ASSERT_EQ(top.size(), 1);
  EXPECT_EQ(top[0].lpRemoteName, "Simulated Network");
  EXPECT_EQ(top[0].lpProvider, "Simulated Network");
  EXPECT_EQ(top[0].dwUsage, RESOURCEUSAGE_CONTAINER);
  EXPECT_EQ(top[0].dwDisplayType, RESOURCEDISPLAYTYPE_NETWORK);
  EXPECT_TRUE(top[0].lpLocalName.isNull());

  const QList<NETRESOURCE> groups = Level(&top[0]);
  EXPECT_EQ(RemoteNames(groups), QStringList({"HOME", "WORK"}));
  EXPECT_EQ(groups[1].dwUsage & RESOURCEUSAGE_CONTAINER, RESOURCEUSAGE_CONTAINER);

  const QList<NETRESOURCE> servers = Level(&groups[1]);
  EXPECT_EQ(RemoteNames(servers), QStringList({"\\\\PC1", "\\\\PC10"}));
  EXPECT_EQ(servers[0].dwDisplayType, RESOURCEDISPLAYTYPE_SERVER);
  EXPECT_EQ(servers[0].dwUsage, RESOURCEUSAGE_CONTAINER);

  const QList<NETRESOURCE> shares = Level(&servers[0]);
  EXPECT_EQ(RemoteNames(shares),
            QStringList({"\\\\PC1\\Apps", "\\\\PC1\\docs", "\\\\PC1\\LaserJet", "\\\\PC1\\Plotter"}));
  EXPECT_EQ(shares[0].dwType, RESOURCETYPE_DISK);
  EXPECT_EQ(shares[0].dwUsage, RESOURCEUSAGE_CONNECTABLE);
  EXPECT_EQ(shares[2].dwType, RESOURCETYPE_PRINT);
  EXPECT_EQ(RemoteNames(Level(&servers[0], nullptr, nullptr, 6400, RESOURCETYPE_DISK)),
            QStringList({"\\\\PC1\\Apps", "\\\\PC1\\docs"}));
  EXPECT_TRUE(Level(&servers[0], nullptr, nullptr, 6400, RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER).isEmpty());
  // The server without shares is an empty level.
  int e = -1;
  EXPECT_TRUE(Level(&servers[1], &e).size() == 1 && e == NO_ERROR);  // PC10 has music
  EXPECT_TRUE(Level(&Level(&groups[0])[0], &e).isEmpty());
  EXPECT_EQ(e, NO_ERROR);

  // Scopes other than the whole network list nothing.
  HANDLE h = 0;
  ASSERT_EQ(WNetOpenEnum(RESOURCE_CONNECTED, 0, 0, nullptr, &h), NO_ERROR);
  quint32 count = 0xFFFFFFFF, size = 6400;
  QList<NETRESOURCE> none;
  EXPECT_EQ(WNetEnumResource(h, &count, &none, &size), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
}

TEST(SimNetwork, BatchesFillTheCallersBufferAndListALargeLevelWhole) {
  TSimNet net;
  net.AddServer("WORK", "BIG");
  for (int i = 0; i < 500; ++i) net.AddShare("BIG", QString("share%1").arg(i, 3, 10, QChar('0')));
  NETRESOURCE server;
  server.dwUsage = RESOURCEUSAGE_CONTAINER;
  server.dwDisplayType = RESOURCEDISPLAYTYPE_SERVER;
  server.lpRemoteName = "\\\\big";
  // 32 + "\\BIG\shareNNN" + NUL + provider + NUL + empty comment's NUL.
  const int recordBytes = 32 + 15 + 18 + 1;
  int batches = 0;
  const QList<NETRESOURCE> shares = Level(&server, nullptr, &batches);
  ASSERT_EQ(shares.size(), 500);
  EXPECT_EQ(shares[0].ByteSize(), recordBytes);
  EXPECT_EQ(batches, (500 + 6400 / recordBytes - 1) / (6400 / recordBytes));
  EXPECT_EQ(shares[0].lpRemoteName, "\\\\BIG\\share000");
  EXPECT_EQ(shares[499].lpRemoteName, "\\\\BIG\\share499");

  HANDLE h = 0;
  ASSERT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, 0, 0, &server, &h), NO_ERROR);
  quint32 count = 3, size = 6400;
  QList<NETRESOURCE> batch;
  EXPECT_EQ(WNetEnumResource(h, &count, &batch, &size), NO_ERROR);
  EXPECT_EQ(count, 3u);
  count = 0xFFFFFFFF;
  size = 10;  // not even one record fits
  EXPECT_EQ(WNetEnumResource(h, &count, &batch, &size), ERROR_MORE_DATA);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(size, quint32(recordBytes));
  count = 0xFFFFFFFF;
  EXPECT_EQ(WNetEnumResource(h, &count, &batch, &size), NO_ERROR);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(batch[0].lpRemoteName, "\\\\BIG\\share003");
  EXPECT_EQ(WNetCloseEnum(h), NO_ERROR);
  EXPECT_EQ(WNetCloseEnum(h), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WNetEnumResource(h, &count, &batch, &size), ERROR_INVALID_HANDLE);
}

TEST(SimNetwork, EnumerationFailuresFailOneLevel) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddShare("PC1", "docs");
  net.AddServer("WORK", "LOCKED");
  net.AddShare("LOCKED", "x");
  NETRESOURCE share;
  share.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  share.dwType = RESOURCETYPE_DISK;
  share.lpRemoteName = "\\\\PC1\\docs";
  int e = 0;
  Level(&share, &e);
  EXPECT_EQ(e, ERROR_NOT_CONTAINER);
  NETRESOURCE gone;
  gone.dwUsage = RESOURCEUSAGE_CONTAINER;
  gone.lpRemoteName = "\\\\GONE";
  Level(&gone, &e);
  EXPECT_EQ(e, ERROR_BAD_NETPATH);
  gone.lpRemoteName = "NOGROUP";
  Level(&gone, &e);
  EXPECT_EQ(e, ERROR_BAD_NETPATH);
  EXPECT_EQ(WNetOpenEnum(RESOURCE_GLOBALNET, 0, 0, nullptr, nullptr), ERROR_INVALID_PARAMETER);

  // A server whose shares cannot be read fails its own level only.
  const QByteArray locked = QFile::encodeName(net.LocalPath("\\\\LOCKED"));
  ASSERT_EQ(chmod(QFile::encodeName(QFileInfo(net.Root()).path()).constData(), 0755), 0);
  ASSERT_EQ(chmod(locked.constData(), 0), 0);
  const bool root = geteuid() == 0;
  if (root) setfsuid(65534);
  gone.lpRemoteName = "\\\\LOCKED";
  Level(&gone, &e);
  if (root) setfsuid(0);
  chmod(locked.constData(), 0755);
  EXPECT_EQ(e, ERROR_ACCESS_DENIED);

  NetBackend::UseEmpty();
  Level(nullptr, &e);
  EXPECT_EQ(e, ERROR_NO_NETWORK);
  EXPECT_TRUE(Names("\\\\PC1\\docs\\*.*").isEmpty());
  SERVER_INFO_101 info;
  EXPECT_NE(NetServerGetInfo("PC1", 101, &info), NERR_Success);
  EXPECT_EQ(GetComputerName(), NetBackend::HostComputerName());
}

TEST(SimNetwork, UncPathsResolveInAnyLetterCase) {
  TSimNet net;
  net.AddServer("Work", "Pc1");
  net.AddFile("\\\\Pc1\\Docs\\Sub Folder\\Report.TXT", 321);
  net.AddFile("\\\\Pc1\\Docs\\README", 5);
  EXPECT_EQ(Names("\\\\PC1\\DOCS\\*.*"), QStringList({".", "..", "README", "Sub Folder"}));
  EXPECT_EQ(Names("\\\\pc1\\docs\\sub folder\\*.txt"), QStringList({"Report.TXT"}));
  const TSearchRec r = Entry("\\\\pC1\\dOCS\\SUB FOLDER\\report.txt");
  EXPECT_EQ(r.Name, "Report.TXT");
  EXPECT_EQ(r.Size, 321);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\readme.").Name, "README");
  EXPECT_TRUE(FileSystem::DirectoryExists("\\\\PC1\\DOCS\\"));
  EXPECT_TRUE(FileSystem::DirectoryExists("\\\\PC1\\DOCS"));
  EXPECT_TRUE(FileSystem::FileExists("\\\\pc1\\docs\\sub folder\\REPORT.txt"));

  const FileSystem::THandle h = FileSystem::FileOpen("\\\\PC1\\DOCS\\SUB FOLDER\\REPORT.TXT", FileSystem::fmOpenRead);
  ASSERT_NE(h, FileSystem::INVALID_HANDLE_VALUE);
  QByteArray buf(1000, 0);
  EXPECT_EQ(FileSystem::FileRead(h, buf.data(), 1000), 321);
  EXPECT_EQ(buf.left(321), TSimNet::Pattern(321));
  FileSystem::FileClose(h);
  EXPECT_GT(FileSystem::DiskFree("\\\\PC1\\docs\\"), 0);

  int e = 0;
  Names("\\\\PC1\\nosuch\\*.*", faAnyFile, &e);
  EXPECT_EQ(e, ERROR_BAD_NET_NAME);
  Names("\\\\NOPC\\docs\\*.*", faAnyFile, &e);
  EXPECT_EQ(e, ERROR_BAD_NETPATH);
  Names("\\\\PC1\\*.*", faAnyFile, &e);
  EXPECT_NE(e, 0);
  // ".." never leads out of the share, nor a server or share named "..".
  Names("\\\\PC1\\docs\\..\\..\\..\\*.*", faAnyFile, &e);
  EXPECT_EQ(Names("\\\\PC1\\docs\\..\\..\\*.*"), Names("\\\\PC1\\docs\\*.*"));
  Names("\\\\PC1\\..\\*.*", faAnyFile, &e);
  EXPECT_NE(e, 0);
  Names("\\\\..\\Work\\*.*", faAnyFile, &e);
  EXPECT_NE(e, 0);
  QString deep = "\\\\PC1\\docs\\";
  while (deep.size() < 300) deep += "folder\\";
  Names(deep + "*.*", faAnyFile, &e);  // beyond Windows' 260: still looked up
  EXPECT_EQ(e, ERROR_PATH_NOT_FOUND);
  Names(deep + QString(MAX_PATH_LENGTH, u'f') + "\\*.*", faAnyFile, &e);
  EXPECT_EQ(e, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(FileSystem::FileOpen("\\\\PC1\\docs\\missing.txt", FileSystem::fmOpenRead, &e),
            FileSystem::INVALID_HANDLE_VALUE);
  EXPECT_EQ(e, ERROR_FILE_NOT_FOUND);
}

TEST(SimNetwork, FileOverFourGibibytesOnAShareKeepsExactSizeAndResumeOffset) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  const qint64 size = (4LL << 30) + 65536 * 3 + 17;
  net.AddFile("\\\\PC1\\iso\\disk.img", size);  // sparse
  EXPECT_EQ(Entry("\\\\PC1\\iso\\*.img").Size, size);
  const FileSystem::THandle h = FileSystem::FileOpen("\\\\pc1\\ISO\\disk.img", FileSystem::fmOpenRead);
  ASSERT_NE(h, FileSystem::INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileSystem::FileGetSize(h), size);
  const qint64 resume = (4LL << 30) + 65536;
  EXPECT_EQ(FileSystem::FileSeek(h, resume, 0), resume);
  QByteArray buf(65536, 'x');
  EXPECT_EQ(FileSystem::FileRead(h, buf.data(), 65536), 65536);
  EXPECT_EQ(buf, QByteArray(65536, '\0'));
  EXPECT_EQ(FileSystem::FileSeek(h, 0, 1), resume + 65536);
  FileSystem::FileClose(h);
}

TEST(SimNetwork, TheEnvironmentChoosesTheBackEnd) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  const QByteArray saved = qgetenv("TRAWLIX_NETWORK");
  qunsetenv("TRAWLIX_NETWORK");
  EXPECT_NE(dynamic_cast<TSmbNetwork*>(NetBackend::FromEnvironment().get()), nullptr);
  qputenv("TRAWLIX_NETWORK", QFile::encodeName(net.Root()));
  const auto chosen = NetBackend::FromEnvironment();
  ASSERT_NE(dynamic_cast<TSimNetwork*>(chosen.get()), nullptr);
  EXPECT_EQ(static_cast<TSimNetwork*>(chosen.get())->Root(), net.Root());
  // A relative folder is taken from the current folder.
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QFileInfo(net.Root()).path()));
  qputenv("TRAWLIX_NETWORK", "net");
  const auto relative = NetBackend::FromEnvironment();
  QDir::setCurrent(cwd);
  EXPECT_EQ(static_cast<TSimNetwork*>(relative.get())->Root(), net.Root());
  if (saved.isNull())
    qunsetenv("TRAWLIX_NETWORK");
  else
    qputenv("TRAWLIX_NETWORK", saved);
}

TEST(SimNetwork, ServerInformationDefaultsAndOverrides) {
  TSimNet net;
  net.AddServer("WORK", "PLAIN");
  net.AddServer("WORK", "OLD");
  net.AddServer("WORK", "QUIET");
  net.AddServer("WORK", "BROKEN");
  net.SetServerKey("OLD", "Platform", "300");
  net.SetServerKey("OLD", "Version", "3.11");
  net.SetServerKey("OLD", "Type", "0x80000203");
  net.SetServerKey("QUIET", "NoInfo", "1");
  net.SetServerKey("QUIET", "NoTime", "1");
  net.SetServerKey("BROKEN", "Type", "lots");
  net.SetServerKey("BROKEN", "TimeZone", "east");
  net.SetServerKey("PLAIN", "Type", "4099");

  SERVER_INFO_101 info;
  ASSERT_EQ(NetServerGetInfo("PLAIN", 101, &info), NERR_Success);
  EXPECT_EQ(info.sv101_platform_id, 500);
  EXPECT_EQ(info.sv101_version_major, 5);
  EXPECT_EQ(info.sv101_version_minor, 1);
  EXPECT_EQ(info.sv101_type, 4099u);
  EXPECT_EQ(info.sv101_name, "PLAIN");
  ASSERT_EQ(NetServerGetInfo("\\\\old", 101, &info), NERR_Success);
  EXPECT_EQ(info.sv101_platform_id, 300);
  EXPECT_EQ(info.sv101_version_major, 3);
  EXPECT_EQ(info.sv101_version_minor, 11);
  EXPECT_EQ(info.sv101_type, 0x80000203u);
  EXPECT_NE(NetServerGetInfo("QUIET", 101, &info), NERR_Success);
  EXPECT_NE(NetServerGetInfo("BROKEN", 101, &info), NERR_Success);  // the one call fails
  EXPECT_EQ(NetServerGetInfo("NOSUCH", 101, &info), ERROR_BAD_NETPATH);
  EXPECT_EQ(NetServerGetInfo("PLAIN", 100, &info), ERROR_INVALID_LEVEL);

  net.AddServer("WORK", "DEFAULT");  // no section at all
  ASSERT_EQ(NetServerGetInfo("DEFAULT", 101, &info), NERR_Success);
  EXPECT_EQ(info.sv101_type, 0x1003u);
}

TEST(SimNetwork, TimeOfDayFollowsTheServersClockAndZone) {
  TSimNet net;
  net.AddServer("WORK", "EAST");
  net.AddServer("WORK", "SKEW");
  net.SetServerKey("EAST", "TimeZone", "-330");
  net.SetServerKey("SKEW", "ClockOffset", "7200");
  net.SetServerKey("SKEW", "NoInfo", "1");  // information and time are separate calls
  TIME_OF_DAY_INFO tod;
  ASSERT_EQ(NetRemoteTOD("EAST", &tod), NERR_Success);
  const QDateTime now = QDateTime::currentDateTimeUtc();
  EXPECT_EQ(tod.tod_timezone, -330);
  EXPECT_LE(qAbs(qint64(tod.tod_elapsedt) - now.toSecsSinceEpoch()), 2);
  const QDateTime told(QDate(tod.tod_year, tod.tod_month, tod.tod_day),
                       QTime(tod.tod_hours, tod.tod_mins, tod.tod_secs), Qt::UTC);
  EXPECT_LE(qAbs(told.secsTo(now)), 2);
  EXPECT_EQ(tod.tod_weekday, told.date().dayOfWeek() % 7);

  ASSERT_EQ(NetRemoteTOD("\\\\skew", &tod), NERR_Success);
  EXPECT_EQ(tod.tod_timezone, 0);
  EXPECT_LE(qAbs(qint64(tod.tod_elapsedt) - QDateTime::currentSecsSinceEpoch() - 7200), 2);

  net.SetServerKey("EAST", "NoTime", "1");
  EXPECT_NE(NetRemoteTOD("EAST", &tod), NERR_Success);
  net.SetServerKey("SKEW", "ClockOffset", "soon");
  EXPECT_NE(NetRemoteTOD("SKEW", &tod), NERR_Success);
  EXPECT_EQ(NetRemoteTOD("NOSUCH", &tod), ERROR_BAD_NETPATH);
}

TEST(SimNetwork, HostLookupAndThisComputersName) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.SetServerKey("PC1", "Ip", "192.168.10.21");
  net.SetServerKey("BAD", "Ip", "192.168.300.1");
  EXPECT_EQ(WSAStartup(0x0101), 0);
  HostEnt host;
  ASSERT_TRUE(gethostbyname("pc1", &host));
  ASSERT_EQ(host.h_addr_list.size(), 1);
  EXPECT_EQ(host.h_addr_list[0], (std::array<quint8, 4>{192, 168, 10, 21}));
  EXPECT_FALSE(gethostbyname("BAD", &host));
  EXPECT_FALSE(gethostbyname("NOBODY", &host));
  EXPECT_FALSE(gethostbyname("", &host));
  EXPECT_EQ(WSACleanup(), 0);

  EXPECT_EQ(GetComputerName(), NetBackend::HostComputerName());
  EXPECT_FALSE(GetComputerName().isEmpty());
  EXPECT_EQ(GetComputerName(), GetComputerName().toUpper());
  net.SetThisComputer("MYPC");
  EXPECT_EQ(GetComputerName(), "MYPC");
}

TEST(SimNetwork, AttributesFromNetworkIniAndTheDefaultRules) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddFile("\\\\PC1\\docs\\plain.txt");
  net.AddFile("\\\\PC1\\docs\\.profile");
  net.AddFile("\\\\PC1\\docs\\boot.ini", 10, {}, "rhs");
  net.AddFile("\\\\PC1\\docs\\bare.txt", 10, {}, "");
  net.AddFolder("\\\\PC1\\docs\\System Volume", {}, "HS");
  net.AddFolder("\\\\PC1\\docs\\public");
  net.AddFile("\\\\PC1\\docs\\locked.doc");
  ASSERT_EQ(chmod(QFile::encodeName(net.LocalPath("\\\\PC1\\docs\\locked.doc")).constData(), 0444), 0);

  EXPECT_EQ(Entry("\\\\PC1\\docs\\plain.txt").Attr, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\.profile").Attr, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\BOOT.INI").Attr, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\bare.txt").Attr, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\system volume").Attr,
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\locked.doc").Attr, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(FileSystem::FileGetAttr("\\\\PC1\\docs\\boot.ini"), Entry("\\\\PC1\\docs\\boot.ini").Attr);
  // The walk's folder listing (mask 16) leaves hidden and system entries out.
  EXPECT_EQ(Names("\\\\PC1\\docs\\*.*", faDirectory),
            QStringList({".", "..", "bare.txt", "locked.doc", "plain.txt", "public"}));
  EXPECT_EQ(Names("\\\\PC1\\docs\\*.*").size(), 9);
}

TEST(SimNetwork, DatesFromNetworkIniHoldForTheEntryAndBelow) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  const QDateTime real(QDate(2022, 2, 2), QTime(10, 0, 0));
  net.AddFile("\\\\PC1\\docs\\old\\a.txt", 3, real);
  net.AddFile("\\\\PC1\\docs\\old\\b.txt", 3, real);
  net.AddFile("\\\\PC1\\docs\\new.txt", 3, real);
  net.SetKey("Dates", "WORK/PC1/docs/old", "2004-05-06 07:08:10");
  net.SetKey("Dates", "work/pc1/DOCS/old/b.txt", "1999-12-31");
  net.SetKey("Dates", "WORK/PC1/docs/new.txt", "not a date");
  const QDateTime folderDate(QDate(2004, 5, 6), QTime(7, 8, 10));
  EXPECT_EQ(Entry("\\\\PC1\\docs\\old").LastWriteTime(), folderDate);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\old\\a.txt").LastWriteTime(), folderDate);
  EXPECT_EQ(Entry("\\\\PC1\\docs\\old\\a.txt").Time, DosTime::DateTimeToFileDate(folderDate));
  EXPECT_EQ(Entry("\\\\PC1\\docs\\old\\b.txt").LastWriteTime(), QDateTime(QDate(1999, 12, 31), QTime(0, 0)));
  EXPECT_EQ(Entry("\\\\PC1\\docs\\new.txt").LastWriteTime(), real);
  TSearchRec sr;
  ASSERT_EQ(FileSystem::FindFirst("\\\\PC1\\docs\\old\\*.*", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Name, ".");
  EXPECT_EQ(sr.LastWriteTime(), folderDate);
  FileSystem::FindClose(sr);
  // An open file reports the same date, so a copy carries it over.
  const FileSystem::THandle h = FileSystem::FileOpen("\\\\PC1\\docs\\old\\a.txt", FileSystem::fmOpenRead);
  EXPECT_EQ(FileSystem::FileGetDate(h), qint64(DosTime::DateTimeToFileDate(folderDate)));
  FileSystem::FileClose(h);
}

TEST(SimNetwork, MalformedNetworkIniNeverStopsTheNetwork) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddShare("PC1", "docs");
  QFile f(net.Root() + "/network.ini");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  // Sized by the literal itself: it starts with a NUL, and reading past its end is not allowed.
  static const char head[] = "\x00\xff\xfe[Network\nThisComputer\n=\n[PC1]\nType=\x01\x02\n[Attributes]\n=r\n";
  QByteArray junk(head, sizeof head - 1);
  junk += QByteArray(100000, 'z');
  f.write(junk);
  f.close();
  NetBackend::UseSimulated(net.Root());
  EXPECT_EQ(Level(&Level(&Level(Level(nullptr).data()).first())[0]).size(), 1);
  EXPECT_EQ(Names("\\\\PC1\\docs\\*.*").size(), 2);
  SERVER_INFO_101 info;
  NetServerGetInfo("PC1", 101, &info);  // whatever it answers, it answers
  EXPECT_FALSE(GetComputerName().isEmpty());
  // A missing root is an empty network.
  NetBackend::UseSimulated(net.Root() + "/nothing-here");
  int e = 0;
  Level(nullptr, &e);
  EXPECT_EQ(e, ERROR_NO_NETWORK);
}

TEST(SimNetwork, DelaySlowsEveryEnumerationAndFindCall) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  net.AddFile("\\\\PC1\\docs\\a.txt");
  net.AddFile("\\\\PC1\\docs\\b.txt");
  net.SetDelayMs(40);
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(Names("\\\\PC1\\docs\\*.txt").size(), 2);  // FindFirst and two FindNext calls
  EXPECT_GE(t.elapsed(), 3 * 40);
  t.restart();
  Level(nullptr);  // open, one batch, the end
  EXPECT_GE(t.elapsed(), 3 * 40);
  // Local paths are never slowed.
  t.restart();
  Names(net.LocalFolder("here") + "*.*");
  EXPECT_LT(t.elapsed(), 40);
}

TEST(SimNetwork, ConcurrentCallsWhileTheBackEndIsSwitched) {
  TSimNet net;
  net.AddServer("WORK", "PC1");
  for (int i = 0; i < 30; ++i) net.AddFile(QString("\\\\PC1\\docs\\f%1.txt").arg(i), i);
  std::atomic<bool> stop{false};
  std::atomic<int> listings{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 6; ++t)
    workers.emplace_back([&] {
      while (!stop) {
        Names("\\\\PC1\\docs\\*.txt");
        Level(nullptr);
        SERVER_INFO_101 info;
        NetServerGetInfo("PC1", 101, &info);
        ++listings;
      }
    });
  for (int i = 0; i < 50; ++i) NetBackend::UseSimulated(net.Root());
  while (listings < 100) std::this_thread::yield();
  stop = true;
  for (auto& w : workers) w.join();
  EXPECT_EQ(Names("\\\\PC1\\docs\\*.txt").size(), 30);
}
