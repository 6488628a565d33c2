// The real SMB back end in a process of its own, for tests that run it
// where the test program itself cannot be (a namespace without network,
// a home folder with its own Samba client settings, a library that has
// not met the servers yet). Runs its commands in turn:
//   scan           prints "groups N", each server, and "info N" for a
//                  server that does not exist
//   list UNC-PATH  prints "error N", then each entry
//   info SERVER    prints "info N" (the server information read)
//   auth FILE      makes FILE the authentication file from now on
// and "alive" at the end.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "platform/fs/FsPath.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/fs/FindFile.h"
#include "platform/fs/WildMatch.h"

namespace {

int Scan(TSmbNetwork& net) {
  QList<NetApi::NETRESOURCE> top, groups;
  net.Children(nullptr, top);
  if (!top.isEmpty()) net.Children(&top.first(), groups);
  std::printf("groups %d\n", int(groups.size()));
  for (const NetApi::NETRESOURCE& g : groups) {
    QList<NetApi::NETRESOURCE> servers;
    net.Children(&g, servers);
    for (const NetApi::NETRESOURCE& s : servers) std::printf("server %s\n", qPrintable(s.lpRemoteName));
  }
  // A server by name and a share by address: both simply fail without a network.
  NetApi::SERVER_INFO_101 info;
  std::printf("info %d\n", net.ServerInfo(QStringLiteral("\\\\NOSUCHSERVER"), info));
  return 0;
}

int Info(TSmbNetwork& net, const QString& server) {
  NetApi::SERVER_INFO_101 info;
  std::printf("info %d\n", net.ServerInfo(server, info));
  return 0;
}

int List(TSmbNetwork& net, const QString& path) {
  TFsPath p;
  if (FsPath::Parse(path, p) != 0) return 2;
  TSearchRec self;
  QList<TSearchRec> entries;
  std::printf("error %d\n", net.ListFolder(p, TWildMask(QStringLiteral("*")), self, entries));
  for (const TSearchRec& e : entries) std::printf("entry %s\n", qPrintable(e.Name));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  TSmbNetwork net;
  int rc = 0;
  for (int i = 1; i < args.size() && rc == 0; ++i) {
    const bool more = i + 1 < args.size();
    if (args[i] == QLatin1String("scan")) rc = Scan(net);
    else if (args[i] == QLatin1String("list") && more) rc = List(net, args[++i]);
    else if (args[i] == QLatin1String("info") && more) rc = Info(net, args[++i]);
    else if (args[i] == QLatin1String("auth") && more) qputenv("TRAWLIX_SMB_AUTH", QFile::encodeName(args[++i]));
    else rc = 2;
    std::fflush(stdout);
  }
  std::printf("alive\n");
  std::fflush(stdout);
  return rc;
}
