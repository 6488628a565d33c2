// The scan of an office of desktops: the test network with its farm (live
// desktops and dead ones still announced), every live server behind the
// network's relay at each round trip (1 Gbit/s cap each way; the relay
// carries TCP only: discovery's UDP goes direct, at round trip 0).
//   - the scan's walk of every workgroup, server and share list, first and
//     best of three, each from a fresh back end;
//   - the longest event-loop stall during a scan from the Scan button;
//   - the peer: wsdd's discovery mode until its list stops growing, then
//     `smbclient -L` of every server it found, all at once, each ended
//     after 2 s as `timeout 2` would.
// Goals: the walk under 2 s at 1 ms, the stall under 50 ms.
// Run: SMBNET_MANY=0 SMBNET_FARM=50 SMBNET_FARM_DEAD=10 scripts/smbnet run -- build/bench/scan_bench [round trips in ms, e.g. 0,1,5]
// Progress lines go to stderr; SCAN_BENCH_PEER=0 leaves the peer out.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchGui.h"
#include "config/En_language.h"
#include "network/Scanlan_thread.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"

namespace {

QString Env(const char* key) { return qEnvironmentVariable(key); }
double Seconds(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

QElapsedTimer RunClock;
void Step(const QString& what) {
  std::fprintf(stderr, "[scan_bench %6.1f s] %s\n", Seconds(RunClock), qPrintable(what));
  std::fflush(stderr);
}

// The live servers of the network: the farm behind one relay, the others
// behind one each; not OLDBOX, whose browse list needs NetBIOS answers sent
// to its own address, which a relay (holding that address on the client's
// side, for TCP only) would swallow.
const QStringList kOwnRelays{QStringLiteral("SRV1"), QStringLiteral("SRV2"), QStringLiteral("SRV3"),
                             QStringLiteral("PYSMB")};
bool Relay(double rttMs) {
  for (const QString& host : kOwnRelays + QStringList{QStringLiteral("FARM")})
    if (QProcess::execute(Env("SMBNET_SCRIPT"), {QStringLiteral("relay"), Env("SMBNET_DIR"), host, QStringLiteral("--delay"),
                                                 QString::number(rttMs / 2), QStringLiteral("--rate"), QStringLiteral("1G")}) != 0)
      return false;
  return true;
}
void Unrelay() {
  for (const QString& host : kOwnRelays + QStringList{QStringLiteral("FARM")})
    QProcess::execute(Env("SMBNET_SCRIPT"), {QStringLiteral("unrelay"), Env("SMBNET_DIR"), host});
}

constexpr qint64 kPeerListMs = 2000;

// The peer: wsdd in discovery mode, asked for its list until it has not
// grown for 300 ms, then every server's share list by smbclient, all at
// once. The time, and the servers whose list came.
struct TPeer {
  double Seconds = 0;
  int Found = 0, Listed = 0;
};
TPeer Peer() {
  TPeer out;
  QElapsedTimer t;
  t.start();
  // Its control socket does not work on this Python: what it found comes
  // from its log, a line "discovered NAME in GROUP on ADDRESS%IF" each.
  QProcess wsdd;
  wsdd.setProcessChannelMode(QProcess::MergedChannels);
  wsdd.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("/usr/sbin/wsdd"), QStringLiteral("-4"), QStringLiteral("-D"),
                                                  QStringLiteral("-o"), QStringLiteral("-v"), QStringLiteral("-i"),
                                                  QStringLiteral("br0")});
  QStringList addresses;
  qint64 grewAt = 0;
  static const QRegularExpression found(QStringLiteral("discovered \\S+ in \\S+ on ([0-9.]+)"));
  while (t.elapsed() < 10000 && (addresses.isEmpty() || t.elapsed() - grewAt < 300)) {
    wsdd.waitForReadyRead(20);
    while (wsdd.canReadLine()) {
      const QRegularExpressionMatch m = found.match(QString::fromUtf8(wsdd.readLine()));
      if (m.hasMatch() && !addresses.contains(m.captured(1)) && m.captured(1) != Env("SMBNET_CLIENT_IP")) {
        addresses << m.captured(1);
        grewAt = t.elapsed();
      }
    }
  }
  wsdd.terminate();
  std::vector<std::unique_ptr<QProcess>> lists;
  for (const QString& a : addresses) {
    auto p = std::make_unique<QProcess>();
    p->setStandardOutputFile(QProcess::nullDevice());
    p->setStandardErrorFile(QProcess::nullDevice());
    p->start(QStringLiteral("smbclient"), {QStringLiteral("-N"), QStringLiteral("-t"), QStringLiteral("2"), QStringLiteral("-g"),
                                           QStringLiteral("-L"), a});
    lists.push_back(std::move(p));
  }
  // As `timeout 2` each: smbclient's own -t does not end its wait on a
  // server that takes the connection and never answers.
  QElapsedTimer listing;
  listing.start();
  for (auto& p : lists) {
    if (p->waitForFinished(int(std::max<qint64>(1, kPeerListMs - listing.elapsed()))) &&
        p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0)
      ++out.Listed;
    p->kill();
  }
  out.Seconds = Seconds(t);
  for (auto& p : lists) p->waitForFinished(5000);
  out.Found = int(addresses.size());
  wsdd.waitForFinished(5000);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RunClock.start();
  if (Env("SMBNET_DIR").isEmpty() || Env("SMBNET_FARM").isEmpty()) {
    std::fprintf(stderr, "scan_bench runs inside the test network with its farm:\n"
                         "  SMBNET_MANY=0 SMBNET_FARM=50 SMBNET_FARM_DEAD=10 scripts/smbnet run -- build/bench/scan_bench\n");
    return 2;
  }
  std::vector<double> rtts;
  for (const QString& r : QString::fromLocal8Bit(argc > 1 ? argv[1] : "1").split(u',')) rtts.push_back(r.toDouble());
  const int live = int(Env("SMBNET_FARM").split(u' ', Qt::SkipEmptyParts).size());
  const int dead = int(Env("SMBNET_FARM_DEAD").split(u' ', Qt::SkipEmptyParts).size());

  QTemporaryDir work(QDir::tempPath() + QStringLiteral("/scan_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(work);
  if (program.isEmpty()) return 1;
  BenchGui::ColdBackend();
  BenchGui::Open(program);
  SetEnglishLanguage();
  BenchGui::WatchForDialogs();
  Step(QStringLiteral("waiting for the browse list"));
  if (QProcess::execute(Env("SMBNET_BROWSE_READY"), {QStringLiteral("90")}) != 0)
    std::fprintf(stderr, "the browse list is not served: the scan misses a server\n");

  std::printf("the network: %d farm desktops and %d dead ones (still announced), and the test servers\n"
              "(5 live, 1 hung); live servers behind the relay (TCP only: discovery's UDP goes direct),\n"
              "except the browse master OLDBOX (its NetBIOS answers come to its own address)\n",
              live, dead);
  for (const double rtt : rtts) {
    if (!Relay(rtt)) {
      std::fprintf(stderr, "no relay in front of the servers\n");
      return 1;
    }
    std::printf("round trip %g ms:\n", rtt);
    Step(QStringLiteral("scan walk at %1 ms").arg(rtt));
    double first = 0, best = 1e9;
    BenchGui::TWalk walk;
    for (int i = 0; i < 3; ++i) {
      BenchGui::ColdBackend();
      QElapsedTimer t;
      t.start();
      walk = BenchGui::ScanWalk(*NetBackend::Current());
      const double s = Seconds(t);
      if (i == 0) first = s;
      best = std::min(best, s);
      std::printf("  walk %d: %.3f s, %d servers, %d shares, %d unanswered\n", i + 1, s, walk.Servers, walk.Shares,
                  walk.Unanswered);
      std::fflush(stdout);
    }
    Step(QStringLiteral("scan from the Scan button"));
    BenchGui::ColdBackend();
    const BenchGui::TStall stall = BenchGui::MeasureStall([](std::function<void()> done) {
      FormMain->SpeedButtonScanClick(nullptr);
      BenchGui::PollUntil([] { return ScanLanThread == nullptr && TThread::RunningCount() == 0; }, done);
    });
    Step(QStringLiteral("the peer"));
    const TPeer peer = qEnvironmentVariable("SCAN_BENCH_PEER") == QLatin1String("0") ? TPeer{} : Peer();
    std::printf("  scan walk: %.3f s first, %.3f s best (goal < 2 s at 1 ms), %d servers, %d shares, %d unanswered\n",
                first, best, walk.Servers, walk.Shares, walk.Unanswered);
    std::printf("  scan from the Scan button: %.3f s, %d computer nodes, longest event-loop stall %.1f ms (goal < 50 ms)\n",
                stall.Seconds, ComputerCount, stall.LongestMs);
    std::printf("  peer (wsdd discovery until its list stops growing, then smbclient -L of each, all at once, 2 s at most):\n"
                "    %.3f s, %d found, %d listed; walk best / peer %.2f\n",
                peer.Seconds, peer.Found, peer.Listed, peer.Seconds > 0 ? best / peer.Seconds : 0);
    std::fflush(stdout);
  }
  Unrelay();
  std::printf("stall method: a precise %d ms QTimer heartbeat on the GUI thread; the longest gap between ticks less\n"
              "%d ms, from the Scan button to the scan's end\n",
              BenchGui::kHeartbeatMs, BenchGui::kHeartbeatMs);
  BenchGui::Close();
  return TThread::ProcessExit(0);
}
