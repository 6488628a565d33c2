#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/discovery/MdnsClient.h"
#include "platform/discovery/DnsPacket.h"
#include "platform/discovery/NetBiosName.h"
#include "platform/discovery/SmbDiscoveryRun.h"
#include "platform/discovery/WsdClient.h"
#include "platform/discovery/WsdMessage.h"

namespace {

TFoundServer Rec(const char* name, const char* group, bool domain, QList<TIpv4> addresses, const char* source) {
  TFoundServer f;
  f.Name = name;
  f.Group = group;
  f.GroupIsDomain = domain;
  f.Addresses = addresses;
  f.Sources = {source};
  return f;
}

// Responders on loop-back addresses only, served by one thread until the
// object goes away. Each socket has a handler that gets what arrived.
class TFakeResponders {
 public:
  using TUdpHandler = std::function<void(int fd, const QByteArray& data, const sockaddr_in& from)>;
  using THttpHandler = std::function<QByteArray(const QByteArray& path)>;

  ~TFakeResponders() {
    Quit = true;
    if (Thread.joinable()) Thread.join();
    for (auto& s : Udp) close(s.first);
    for (auto& s : Listeners) close(s.first);
    for (auto& s : Clients) close(s.first);
  }
  // Binds a UDP socket to address:port (0: any free port) and returns the port.
  quint16 AddUdp(const char* address, quint16 port, TUdpHandler handler) {
    int fd = Bound(SOCK_DGRAM, address, port);
    Udp[fd] = std::move(handler);
    return PortOf(fd);
  }
  quint16 AddHttp(const char* address, quint16 port, THttpHandler handler) {
    int fd = Bound(SOCK_STREAM, address, port);
    if (fd >= 0) {
      listen(fd, 16);
      Listeners[fd] = std::move(handler);
    }
    return fd >= 0 ? PortOf(fd) : 0;
  }
  void Start() {
    Thread = std::thread([this] { Serve(); });
  }
  static void Reply(int fd, const QByteArray& data, const sockaddr_in& to) {
    sendto(fd, data.constData(), size_t(data.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  static void SendFrom(const char* local, const QByteArray& data, const sockaddr_in& to) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in me{};
    me.sin_family = AF_INET;
    inet_pton(AF_INET, local, &me.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&me), sizeof me);
    Reply(fd, data, to);
    close(fd);
  }

  std::atomic<int> HttpRequests{0};

 private:
  static int Bound(int type, const char* address, quint16 port) {
    int fd = socket(AF_INET, type, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address, &a.sin_addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }
  static quint16 PortOf(int fd) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
  }
  void Serve() {
    while (!Quit) {
      std::vector<pollfd> fds;
      for (auto& s : Udp) fds.push_back({s.first, POLLIN, 0});
      for (auto& s : Listeners) fds.push_back({s.first, POLLIN, 0});
      for (auto& s : Clients) fds.push_back({s.first, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 20) <= 0) continue;
      for (const pollfd& p : fds) {
        if (!(p.revents & (POLLIN | POLLHUP))) continue;
        if (Udp.count(p.fd)) {
          QByteArray data(65536, 0);
          sockaddr_in from{};
          socklen_t len = sizeof from;
          ssize_t n = recvfrom(p.fd, data.data(), size_t(data.size()), 0, reinterpret_cast<sockaddr*>(&from), &len);
          if (n > 0) Udp[p.fd](p.fd, data.left(n), from);
        } else if (Listeners.count(p.fd)) {
          int c = accept(p.fd, nullptr, nullptr);
          if (c >= 0) Clients[c] = {p.fd, QByteArray()};
        } else if (Clients.count(p.fd)) {
          char buf[4096];
          ssize_t n = recv(p.fd, buf, sizeof buf, 0);
          auto& [listener, in] = Clients[p.fd];
          if (n > 0) in.append(buf, n);
          qsizetype head = in.indexOf("\r\n\r\n");
          qsizetype length = in.indexOf("Content-Length: ");
          if (n <= 0 || (head >= 0 && length >= 0 &&
                         in.size() >= head + 4 + in.mid(length + 16, in.indexOf('\r', length) - length - 16).toInt())) {
            if (n > 0) {
              const QByteArray path = in.split(' ').value(1);
              ++HttpRequests;
              const QByteArray out = Listeners[listener](path);
              send(p.fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL);
            }
            close(p.fd);
            Clients.erase(p.fd);
          }
        }
      }
    }
  }

  std::map<int, TUdpHandler> Udp;
  std::map<int, THttpHandler> Listeners;
  std::map<int, std::pair<int, QByteArray>> Clients;
  std::thread Thread;
  std::atomic<bool> Quit{false};
};

const char kEnvelope[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\""
    " xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
    " xmlns:wsd=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\" xmlns:pub=\"p\">";

QByteArray Matches(const char* kind, const QString& relatesTo, const char* endpoint, const char* types,
                   const QString& xaddrs) {
  QByteArray m = QByteArray(kEnvelope) +
                 "<soap:Header><wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/" + kind +
                 "es</wsa:Action><wsa:RelatesTo>" + relatesTo.toUtf8() + "</wsa:RelatesTo></soap:Header><soap:Body><wsd:" +
                 kind + "es><wsd:" + kind + "><wsa:EndpointReference><wsa:Address>" + endpoint +
                 "</wsa:Address></wsa:EndpointReference><wsd:Types>" + types + "</wsd:Types>";
  if (!xaddrs.isEmpty()) m += "<wsd:XAddrs>" + xaddrs.toUtf8() + "</wsd:XAddrs>";
  return m + "</wsd:" + kind + "></wsd:" + kind + "es></soap:Body></soap:Envelope>";
}

QByteArray Metadata(const char* computer) {
  return QByteArray(kEnvelope) + "<soap:Body><Metadata><Host><pub:Types>pub:Computer</pub:Types><pub:Computer>" +
         computer + "</pub:Computer></Host></Metadata></soap:Body></soap:Envelope>";
}

// A WS-Discovery network on loop-back: a wsdd-like computer PC1 at
// 127.0.0.1 (no transport address until resolved, metadata sent chunked), a
// clone with the same endpoint at 127.0.0.2 in another workgroup
// (wsdd2-like, answer ended by closing), a printer, and a stale answer to
// somebody else's probe.
struct TFakeWsd {
  TFakeResponders R;
  quint16 Port = 0;
  std::atomic<int> Probes{0};
  std::atomic<int> Resolves{0};
  int DropResolves = 0;  // the first ones are lost on the way

  TFakeWsd() {
    quint16 http = R.AddHttp("127.0.0.1", 0, [](const QByteArray& path) -> QByteArray {
      if (path == "/e1") {
        const QByteArray body = Metadata("pc1/Workgroup:HOME");
        const QByteArray half = body.left(body.size() / 2), rest = body.mid(body.size() / 2);
        return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray::number(half.size(), 16) + "\r\n" +
               half + "\r\n" + QByteArray::number(rest.size(), 16) + "\r\n" + rest + "\r\n0\r\n\r\n";
      }
      return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(Metadata("WRONG/Workgroup:X").size()) +
             "\r\n\r\n" + Metadata("WRONG/Workgroup:X");
    });
    R.AddHttp("127.0.0.2", http, [](const QByteArray& path) -> QByteArray {
      return "HTTP/1.0 200 OK\r\n\r\n" + Metadata(path == "/clone" ? "PC1/Workgroup:OFFICE" : "WRONG/Workgroup:X");
    });
    const QString base = QStringLiteral("http://127.0.0.%1:") + QString::number(http);
    Port = R.AddUdp("127.0.0.1", 0, [this, base](int fd, const QByteArray& data, const sockaddr_in& from) {
      Wsd::TMessage m;
      Wsd::ParseMessage(data, m);
      if (m.Action.endsWith("/Probe")) {
        ++Probes;
        TFakeResponders::Reply(fd, Matches("ProbeMatch", m.MessageId, "urn:uuid:e1", "wsdp:Device pub:Computer", ""),
                               from);
        TFakeResponders::Reply(
            fd, Matches("ProbeMatch", m.MessageId, "urn:uuid:e2", "wsdp:Device prn:PrintDeviceType", base.arg(1) + "/printer"),
            from);
        TFakeResponders::Reply(fd, Matches("ProbeMatch", "urn:uuid:not-yours", "urn:uuid:e3", "wsdp:Device pub:Computer",
                                           base.arg(1) + "/stale"),
                               from);
        TFakeResponders::SendFrom("127.0.0.2",
                                  Matches("ProbeMatch", m.MessageId, "urn:uuid:e1", "wsdp:Device pub:Computer",
                                          "http://[fe80::1]:5357/x " + base.arg(2) + "/clone"),
                                  from);
      } else if (m.Action.endsWith("/Resolve") && data.contains("urn:uuid:e1")) {
        if (++Resolves <= DropResolves) return;
        TFakeResponders::Reply(
            fd, Matches("ResolveMatch", m.MessageId, "urn:uuid:e1", "wsdp:Device pub:Computer", base.arg(1) + "/e1"), from);
      }
    });
  }
};

QByteArray DnsName(const char* text) {
  QByteArray out;
  for (const QByteArray& l : Dns::NameFromText(text)) out += char(l.size()) + l;
  return out + '\0';
}

QByteArray DnsRecord(const char* name, quint16 type, const QByteArray& data) {
  QByteArray r = DnsName(name);
  r += char(type >> 8);
  r += char(type & 0xff);
  r += QByteArray::fromHex("00010000000a");
  r += char(data.size() >> 8);
  r += char(data.size() & 0xff);
  return r + data;
}

// An mDNS responder that answers each legacy-unicast question with only the
// record asked for, so the client has to follow PTR -> SRV -> A itself.
struct TFakeMdns {
  TFakeResponders R;
  quint16 Port = 0;
  TFakeMdns() {
    Port = R.AddUdp("127.0.0.1", 0, [](int fd, const QByteArray& data, const sockaddr_in& from) {
      Dns::TMessage q;
      if (!Dns::Parse(data, q) || q.Questions.size() != 1) return;
      const QString name = Dns::NameToText(q.Questions[0].Name).toLower();
      QByteArray record;
      if (name == "_smb._tcp.local")
        record = DnsRecord("_smb._tcp.local", Dns::kTypePtr, DnsName("Files on pc1._smb._tcp.local"));
      else if (name == "files on pc1._smb._tcp.local")
        record = DnsRecord("Files on pc1._smb._tcp.local", Dns::kTypeSrv,
                           QByteArray::fromHex("0000000001bd") + DnsName("pc1.local"));
      else if (name == "pc1.local")
        record = DnsRecord("pc1.local", Dns::kTypeA, QByteArray::fromHex("7f000001"));
      else
        return;
      TFakeResponders::Reply(fd, data.left(2) + QByteArray::fromHex("84000000000100000000") + record,
                             from);
    });
  }
};

QString HelperScript(const QTemporaryDir& dir, const QByteArray& lines) {
  const QString path = dir.filePath("nbbrowse.sh");
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write("#!/bin/sh\necho $$ > '" + dir.filePath("pid").toUtf8() + "'\nprintf '" + lines + "'\nexec sleep 30\n");
  f.close();
  f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return path;
}

pid_t HelperPid(const QTemporaryDir& dir) {
  QFile f(dir.filePath("pid"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  return pid_t(f.readAll().trimmed().toInt());
}

bool Alive(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

TEST(SmbDiscovery, MergeJoinsOneComputerAcrossSourcesOnly) {
  const QList<TFoundServer> in = {
      Rec("srv1", "", false, {{10, 0, 0, 1}}, "mdns"),           // ungrouped: joins the WSD record
      Rec("SRV1", "TESTGRP", false, {{10, 0, 0, 1}}, "wsd"),
      Rec("SRV1", "TESTGRP", false, {}, "netbios"),               // no address: same computer
      Rec("SRV1", "OTHERGRP", false, {{10, 0, 0, 1}}, "netbios"), // another group: its own record
      Rec("SRV9", "TESTGRP", false, {{10, 0, 0, 9}}, "wsd"),
      Rec("SRV9", "TESTGRP", false, {{10, 0, 0, 8}}, "wsd"),      // same name, other machine
      Rec("SRV3", "corp.example", true, {{10, 0, 0, 3}}, "wsd"),
      Rec("SRV3", "CORP", false, {}, "netbios"),                  // the domain's NetBIOS name
      Rec("SRV4", "", false, {{10, 0, 0, 4}}, "mdns"),
      Rec("SRV4", "", false, {{10, 0, 0, 4}, {10, 1, 0, 4}}, "mdns"),
  };
  const QList<TFoundServer> out = SmbDiscovery::Merge(in);
  ASSERT_EQ(out.size(), 6);
  EXPECT_EQ(out[0].Name, "SRV1");
  EXPECT_EQ(out[0].Group, "TESTGRP");
  EXPECT_EQ(out[0].Sources, QStringList({"wsd", "netbios", "mdns"}));
  EXPECT_EQ(out[0].Addresses, QList<TIpv4>({{10, 0, 0, 1}}));
  EXPECT_EQ(out[1].Group, "OTHERGRP");
  EXPECT_EQ(out[1].Sources, QStringList({"netbios", "mdns"}));
  EXPECT_EQ(out[2].Addresses, QList<TIpv4>({{10, 0, 0, 9}}));
  EXPECT_EQ(out[3].Addresses, QList<TIpv4>({{10, 0, 0, 8}}));
  EXPECT_EQ(out[4].Name, "SRV3");
  EXPECT_EQ(out[4].Group, "corp.example");
  EXPECT_TRUE(out[4].GroupIsDomain);
  EXPECT_EQ(out[4].Sources, QStringList({"wsd", "netbios"}));
  EXPECT_EQ(out[5].Name, "SRV4");
  EXPECT_TRUE(out[5].Group.isEmpty());
  EXPECT_EQ(out[5].Addresses, QList<TIpv4>({{10, 0, 0, 4}, {10, 1, 0, 4}}));
  // A workgroup the browse list gives fills an ungrouped record.
  const QList<TFoundServer> filled =
      SmbDiscovery::Merge({Rec("NAS", "", false, {{10, 0, 0, 5}}, "mdns"), Rec("nas", "HOME", false, {}, "netbios")});
  ASSERT_EQ(filled.size(), 1);
  EXPECT_EQ(filled[0].Group, "HOME");
  EXPECT_TRUE(SmbDiscovery::Merge({Rec("", "G", false, {}, "wsd")}).isEmpty());
}

TEST(SmbDiscovery, AddressHelpers) {
  TIpv4 b{};
  ASSERT_TRUE(DiscoveryNet::BroadcastOf({10, 234, 0, 1}, {255, 255, 255, 0}, b));
  EXPECT_EQ(b, (TIpv4{10, 234, 0, 255}));
  ASSERT_TRUE(DiscoveryNet::BroadcastOf({172, 16, 5, 9}, {255, 240, 0, 0}, b));
  EXPECT_EQ(b, (TIpv4{172, 31, 255, 255}));
  EXPECT_FALSE(DiscoveryNet::BroadcastOf({10, 0, 0, 1}, {255, 255, 255, 255}, b));
  EXPECT_FALSE(DiscoveryNet::BroadcastOf({10, 0, 0, 1}, {255, 255, 255, 254}, b));
  EXPECT_FALSE(DiscoveryNet::BroadcastOf({10, 0, 0, 1}, {0, 0, 0, 0}, b));
  TIpv4 a{};
  ASSERT_TRUE(DiscoveryNet::ParseIpv4("192.168.001.20", a));
  EXPECT_EQ(a, (TIpv4{192, 168, 1, 20}));
  EXPECT_EQ(DiscoveryNet::ToString(a), "192.168.1.20");
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2.3.-4", "1.2.3.4 ", "a.b.c.d", "1..2.3", "1.2.3.1234"})
    EXPECT_FALSE(DiscoveryNet::ParseIpv4(bad, a)) << bad;
}

TEST(SmbDiscovery, WsdClientResolvesFetchesAndKeepsClonesApart) {
  TFakeWsd wsd;
  wsd.R.Start();
  TWsdClient client({{{127, 0, 0, 1}, {127, 0, 0, 1}, wsd.Port}});
  // Ends once every device has answered and answers have stopped, before the deadline.
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + 60000, {});
  EXPECT_TRUE(client.Finished());
  QList<TWsdClient::TComputer> found = client.Results();
  std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.Address < b.Address; });
  ASSERT_EQ(found.size(), 2);
  EXPECT_EQ(found[0].Name, "PC1");
  EXPECT_EQ(found[0].Group, "HOME");
  EXPECT_EQ(found[0].Address, (TIpv4{127, 0, 0, 1}));
  EXPECT_EQ(found[1].Group, "OFFICE");
  EXPECT_EQ(found[1].Address, (TIpv4{127, 0, 0, 2}));
  EXPECT_EQ(wsd.Probes, 2);  // sent twice
  // Once per device however many matches came, repeated only while unanswered.
  EXPECT_GE(wsd.Resolves, 1);
  EXPECT_LE(wsd.Resolves, 2);
  EXPECT_EQ(wsd.R.HttpRequests, 2);  // never the printer, never a stale answer
}

TEST(SmbDiscovery, WsdClientRepeatsALostResolve) {
  TFakeWsd wsd;
  wsd.DropResolves = 1;
  wsd.R.Start();
  TWsdClient client({{{127, 0, 0, 1}, {127, 0, 0, 1}, wsd.Port}});
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + 1500, {});
  QStringList groups;
  for (const TWsdClient::TComputer& c : client.Results()) groups.append(c.Group);
  groups.sort();
  EXPECT_EQ(groups, QStringList({"HOME", "OFFICE"}));
  EXPECT_EQ(wsd.Resolves, 2);
}

TEST(SmbDiscovery, RunMergesEverySourceAndEndsTheBrowseHelper) {
  TFakeWsd wsd;
  TFakeMdns mdns;
  TFakeResponders nbns;
  const quint16 nbPort = nbns.AddUdp("127.0.0.1", 0, [](int fd, const QByteArray& data, const sockaddr_in& from) {
    if (data.size() < 50 || (data.mid(12, 34) != NetBios::EncodeName("OLDBOX") &&
                             data.mid(12, 34) != NetBios::EncodeName(NetBios::MasterBrowserName,
                                                                     NetBios::MasterBrowserSuffix)))
      return;
    TFakeResponders::Reply(fd, data.left(2) + QByteArray::fromHex("85000000000100000000") + data.mid(12, 34) +
                                   QByteArray::fromHex("00200001000000000006000c0a000007"),
                           from);
  });
  wsd.R.Start();
  mdns.R.Start();
  nbns.Start();
  QTemporaryDir dir;
  SmbDiscovery::TSetup setup;
  setup.Wsd = {{{127, 0, 0, 1}, {127, 0, 0, 1}, wsd.Port}};
  setup.Mdns = {{{127, 0, 0, 1}, {127, 0, 0, 1}, mdns.Port}};
  setup.NetBios = {{{127, 0, 0, 1}, {127, 0, 0, 1}, nbPort}};
  setup.BrowseHelper = HelperScript(dir, "WORKGROUP\\tHOME\\nSERVER\\tHOME\\tpc1\\nSERVER\\tHOME\\tOLDBOX\\nnoise\\n");
  const QList<TFoundServer> found = SmbDiscovery::RunWith(setup, 1500, {});
  std::map<QString, TFoundServer> byKey;
  for (const TFoundServer& f : found) byKey[f.Name + "/" + f.Group] = f;
  ASSERT_EQ(found.size(), 3) << byKey.size();
  const TFoundServer& home = byKey["PC1/HOME"];
  EXPECT_EQ(home.Addresses, QList<TIpv4>({{127, 0, 0, 1}}));
  EXPECT_EQ(home.Sources, QStringList({"wsd", "netbios", "mdns"}));
  EXPECT_EQ(byKey["PC1/OFFICE"].Sources, QStringList({"wsd"}));
  EXPECT_EQ(byKey["OLDBOX/HOME"].Addresses, QList<TIpv4>({{10, 0, 0, 7}}));
  const pid_t pid = HelperPid(dir);
  ASSERT_GT(pid, 0);
  EXPECT_FALSE(Alive(pid));
}

TEST(SmbDiscovery, TheBrowseHelperIsWaitedForOnlyWhereAMasterBrowserAnswers) {
  // A helper that finds its list only after a while, as the library's
  // browsing takes where no master browser serves one.
  QTemporaryDir dir;
  const QString helper = dir.filePath("late.sh");
  QFile f(helper);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\nsleep 2\nprintf 'WORKGROUP\\tHOME\\nSERVER\\tHOME\\tLATE\\n'\n");
  f.close();
  f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  for (const bool master : {false, true}) {
    SCOPED_TRACE(master ? "a master browser answers" : "no master browser");
    TFakeResponders nbns;
    // Answers every name it is asked for, master browser name included, or
    // only the server's name.
    const quint16 port = nbns.AddUdp("127.0.0.1", 0, [master](int fd, const QByteArray& data, const sockaddr_in& from) {
      if (data.size() < 50) return;
      if (!master && data.mid(12, 34) != NetBios::EncodeName("LATE")) return;
      TFakeResponders::Reply(fd, data.left(2) + QByteArray::fromHex("85000000000100000000") + data.mid(12, 34) +
                                     QByteArray::fromHex("00200001000000000006000c0a000007"),
                             from);
    });
    nbns.Start();
    SmbDiscovery::TSetup setup;
    setup.NetBios = {{{127, 0, 0, 1}, {127, 0, 0, 1}, port}};
    setup.BrowseHelper = helper;
    // Without a master browser the run ends without the helper's list,
    // long before the budget; with one, it waits for the list.
    const QList<TFoundServer> found = SmbDiscovery::RunWith(setup, 600000, {});
    EXPECT_EQ(found.size(), master ? 1 : 0);
  }
}

TEST(SmbDiscovery, StopEndsTheRunAndTheHelperAtOnce) {
  QTemporaryDir dir;
  SmbDiscovery::TSetup setup;
  setup.BrowseHelper = HelperScript(dir, "WORKGROUP\\tHOME\\n");
  // The budget alone would keep the run going for ten minutes.
  const QList<TFoundServer> found =
      SmbDiscovery::RunWith(setup, 600000, [&] { return QFile::exists(dir.filePath("pid")) && HelperPid(dir) > 0; });
  EXPECT_TRUE(found.isEmpty());
  EXPECT_FALSE(Alive(HelperPid(dir)));
  // A helper that cannot be started is no source, not a failure.
  setup.BrowseHelper = dir.filePath("missing");
  EXPECT_TRUE(SmbDiscovery::RunWith(setup, 100, {}).isEmpty());
}

TEST(SmbDiscovery, TellNewHandsOutEachAddressOncePerSourceAndName) {
  QSet<QString> told;
  QStringList out;
  const SmbDiscovery::TOnFound onFound = [&](const TFoundServer& f) {
    out.append(f.Sources.join(',') + ':' + f.Name + '@' + QString::number(f.Addresses.size()));
  };
  QList<TFoundServer> found = {
      Rec("SRV1", "TESTGRP", false, {{10, 0, 0, 1}}, "wsd"),
      Rec("OLDBOX", "OLDNET", false, {}, "netbios"),  // not resolved yet: nothing to reach
      Rec("", "", false, {{10, 0, 0, 5}}, "mdns"),    // nameless: never handed out
  };
  SmbDiscovery::TellNew(found, told, onFound);
  EXPECT_EQ(out, QStringList({"wsd:SRV1@1"}));
  // Asked again with nothing new: nothing is handed out twice.
  out.clear();
  SmbDiscovery::TellNew(found, told, onFound);
  EXPECT_TRUE(out.isEmpty());
  // The browse list's server resolved, a second address of SRV1, and SRV1
  // seen by another source (in another letter case) each count as news.
  found[1].Addresses = {{10, 0, 0, 7}};
  found[0].Addresses.append({10, 0, 1, 1});
  found.append(Rec("srv1", "", false, {{10, 0, 0, 1}}, "mdns"));
  out.clear();
  SmbDiscovery::TellNew(found, told, onFound);
  EXPECT_EQ(out, QStringList({"wsd:SRV1@2", "netbios:OLDBOX@1", "mdns:srv1@1"}));
  // Without a receiver the records are still remembered, and nothing breaks.
  found.append(Rec("PC9", "", false, {{10, 0, 0, 9}}, "wsd"));
  SmbDiscovery::TellNew(found, told, {});
  EXPECT_TRUE(told.contains("wsd|PC9|10.0.0.9"));
}

TEST(SmbDiscovery, RunHandsOutServersWhileItStillListens) {
  TFakeWsd wsd;
  TFakeMdns mdns;
  wsd.R.Start();
  mdns.R.Start();
  SmbDiscovery::TSetup setup;
  setup.Wsd = {{{127, 0, 0, 1}, {127, 0, 0, 1}, wsd.Port}};
  setup.Mdns = {{{127, 0, 0, 1}, {127, 0, 0, 1}, mdns.Port}};
  bool sawClone = false;
  int asksAfter = 0;
  QStringList handed;
  // The run is stopped by what it hands out: had it kept every server
  // until its budget ran out, it would not be asked to stop after that.
  const QList<TFoundServer> found = SmbDiscovery::RunWith(
      setup, 20000, [&] { return sawClone && ++asksAfter > 0; },
      [&](const TFoundServer& f) {
        ASSERT_FALSE(f.Addresses.isEmpty());
        handed.append(f.Name + '/' + f.Group + '@' + DiscoveryNet::ToString(f.Addresses.last()));
        if (f.Group == "OFFICE") sawClone = true;
      });
  EXPECT_EQ(asksAfter, 1);
  EXPECT_TRUE(handed.contains("PC1/OFFICE@127.0.0.2")) << handed.join(' ').toStdString();
  EXPECT_EQ(handed.removeDuplicates(), 0);
  // What was handed out is in the merged result.
  bool inResult = false;
  for (const TFoundServer& f : found) inResult = inResult || (f.Name == "PC1" && f.Group == "OFFICE");
  EXPECT_TRUE(inResult);
}

TEST(SmbDiscovery, ServerNamesAreHostNamesOnly) {
  for (const char* good : {"SRV1", "pc-10", "nas_2", "a.b", "ÜBERALL"})
    EXPECT_TRUE(SmbDiscovery::IsServerName(QString::fromUtf8(good))) << good;
  EXPECT_TRUE(SmbDiscovery::IsServerName(QString(63, u'x')));
  EXPECT_FALSE(SmbDiscovery::IsServerName(QString(64, u'x')));
  for (const char* bad : {"", "a<b", "a>b", "a|b", "a b", "a\tb", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", ".", "a.",
                          "evil\u202Etxt.exe", "zero\u200Bwidth", "bell\x07"})
    EXPECT_FALSE(SmbDiscovery::IsServerName(QString::fromUtf8(bad))) << bad;
  // The merge and the hand-out drop them.
  EXPECT_TRUE(SmbDiscovery::Merge({Rec("a|b", "G", false, {{10, 0, 0, 1}}, "mdns")}).isEmpty());
  QSet<QString> told;
  int handed = 0;
  SmbDiscovery::TellNew({Rec("x\u202Ey", "", false, {{10, 0, 0, 2}}, "mdns")}, told, [&](const TFoundServer&) { ++handed; });
  EXPECT_EQ(handed, 0);
}

TEST(SmbDiscovery, AHostileMdnsAnswerIsBoundedAndAddressesOffTheSegmentAreRefused) {
  // One answer names 1,000 services; their hosts give loop-back, this
  // computer's own, broadcast and one proper address.
  const char* addresses[] = {"7f000009", "0a090901", "0a0909ff", "ffffffff", "0a090907"};
  TFakeResponders r;
  const quint16 port = r.AddUdp("127.0.0.1", 0, [&](int fd, const QByteArray& data, const sockaddr_in& from) {
    Dns::TMessage q;
    if (!Dns::Parse(data, q) || q.Questions.size() != 1) return;
    const QString name = Dns::NameToText(q.Questions[0].Name).toLower();
    QByteArray records;
    int count = 0;
    if (name == "_smb._tcp.local") {
      for (; count < 1000; ++count)
        records += DnsRecord("_smb._tcp.local", Dns::kTypePtr, DnsName(("h" + QByteArray::number(count) + "._smb._tcp.local").constData()));
    } else if (name.endsWith("._smb._tcp.local")) {
      const QByteArray host = name.section('.', 0, 0).toUtf8() + ".local";
      records = DnsRecord(name.toUtf8().constData(), Dns::kTypeSrv, QByteArray::fromHex("0000000001bd") + DnsName(host.constData()));
      count = 1;
    } else if (name.endsWith(".local") && name.mid(1, name.indexOf('.') - 1).toInt() < 5) {
      records = DnsRecord(name.toUtf8().constData(), Dns::kTypeA, QByteArray::fromHex(addresses[name.mid(1, name.indexOf('.') - 1).toInt()]));
      count = 1;
    } else {
      return;
    }
    QByteArray header = data.left(2) + QByteArray::fromHex("84000000");
    header += char(count >> 8);
    header += char(count & 0xff);
    TFakeResponders::Reply(fd, header + QByteArray::fromHex("00000000") + records, from);
  });
  r.Start();
  DiscoveryNet::TInterface self;
  self.Address = {10, 9, 9, 1};
  self.Netmask = {255, 255, 255, 0};
  self.CanBroadcast = DiscoveryNet::BroadcastOf(self.Address, self.Netmask, self.Broadcast);
  TMdnsClient client({{{127, 0, 0, 1}, {127, 0, 0, 1}, port}}, TMdnsClient::TMode::BrowseSmb, QString(),
                     [&](const TIpv4& a) { return Mdns::CanBeServer(a, {self}); });
  // Ends once answers stop, long before this deadline.
  DiscoveryNet::RunLoop({&client}, DiscoveryNet::NowMs() + 60000, {});
  EXPECT_TRUE(client.Finished());
  const QList<Mdns::TService> services = client.Services();
  // Hosts named only at addresses off the segment, and instances whose
  // host never came, are no servers at all.
  ASSERT_EQ(services.size(), 1);
  EXPECT_EQ(services[0].Instance, "h4");
  EXPECT_EQ(services[0].Addresses, QList<TIpv4>({{10, 9, 9, 7}}));
  EXPECT_FALSE(Mdns::CanBeServer({0, 0, 0, 0}, {}));
  EXPECT_FALSE(Mdns::CanBeServer({224, 0, 0, 251}, {}));
  EXPECT_TRUE(Mdns::CanBeServer({10, 9, 9, 2}, {self}));
}
