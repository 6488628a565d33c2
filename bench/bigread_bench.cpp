// One large file copied from a real Samba server by the copy worker (through
// its transfer window, as the copy commands start it) against
// `smbclient get`, behind the test network's relay at several round trips
// with a 1 Gbit/s cap. Run inside the test network:
//   scripts/smbnet run -- build/bench/bigread_bench [MiB] [rounds] [one-way delays in ms, comma-separated]
// defaults 1024 MiB, 3 rounds, 0,0.5,2.5 (round trips of 0, 1 and 5 ms).
// Each setting restarts the relay (every connection through it ends), the
// two sides alternate which goes first, and each side's median is printed
// with the ratio (goal: at most 1.0) and the copy's memory growth.
// smbclient's time includes its start and connection; the copy worker's
// second and later rounds reuse the library's connection (a few round
// trips, well under 1% of a copy).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchCopy.h"
#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"

namespace {

QString Env(const char* key) { return qEnvironmentVariable(key); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

bool Relay(const QString& delay) {
  return QProcess::execute(Env("SMBNET_SCRIPT"), {QStringLiteral("relay"), Env("SMBNET_DIR"), QStringLiteral("SRV1"),
                                                  QStringLiteral("--delay"), delay, QStringLiteral("--rate"),
                                                  QStringLiteral("1000000000")}) == 0;
}

double SmbclientGet(const QString& srv, const QString& name, const QString& to) {
  QElapsedTimer t;
  t.start();
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(QStringLiteral("smbclient"), {QStringLiteral("-N"), QStringLiteral("//%1/pub").arg(srv),
                                        QStringLiteral("-c"), QStringLiteral("get %1 %2").arg(name, to)});
  if (!p.waitForFinished(600000) || p.exitCode() != 0) {
    std::fprintf(stderr, "smbclient failed\n");
    return 1e9;
  }
  return t.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (Env("SMBNET_DIR").isEmpty() || Env("SMBNET_SCRIPT").isEmpty()) {
    std::fprintf(stderr, "bigread_bench runs inside the test network: scripts/smbnet run -- %s\n", argv[0]);
    return 2;
  }
  const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024) << 20;
  const int rounds = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 3;
  const QStringList delays = QString::fromLocal8Bit(argc > 3 ? argv[3] : "0,0.5,2.5").split(u',');
  const QString srv = Env("SMBNET_SRV1_IP");
  NetBackend::Use(std::make_shared<TSmbNetwork>());

  const QString name = QStringLiteral("bigread-bench.bin");
  const QString onServer = Env("SMBNET_SRV1_SHARES") + QStringLiteral("/pub/") + name;
  std::printf("preparing %lld MiB on SRV1\n", size >> 20);
  BenchCopy::WriteRandom(onServer, size);
  QTemporaryDir out(QDir::tempPath() + QStringLiteral("/bigread_bench-XXXXXX"));
  const QString ourDest = WinPath::IncludeTrailingBackslash(WinPath::FromLocal(out.path()));
  const QString source = QStringLiteral("\\\\%1\\pub\\").arg(srv);
  // A first, empty transfer makes what any window needs once.
  BenchCopy::CopyWithTransfer(QStringLiteral("nothing"), source, ourDest, 0);

  struct TRow {
    QString Delay;
    double Our, Tool;
    long Growth, Helpers;
  };
  std::vector<TRow> rows;
  for (const QString& delay : delays) {
    if (!Relay(delay)) {
      std::fprintf(stderr, "no relay at %s ms\n", qPrintable(delay));
      continue;
    }
    std::vector<double> our, tool;
    long growth = 0, helpers = 0;
    for (int round = 0; round < rounds; ++round) {
      auto ours = [&] {
        QFile::remove(out.path() + u'/' + name);
        const BenchCopy::TRun run = BenchCopy::CopyWithTransfer(name, source, ourDest, double(size));
        if (QFileInfo(out.path() + u'/' + name).size() != size) std::fprintf(stderr, "copy incomplete\n");
        our.push_back(run.Seconds);
        if (run.RssGrowthKiB + run.HelpersKiB > growth + helpers) {
          growth = run.RssGrowthKiB;
          helpers = run.HelpersKiB;
        }
      };
      auto theirs = [&] {
        const QString to = out.path() + QStringLiteral("/smbclient.bin");
        QFile::remove(to);
        tool.push_back(SmbclientGet(srv, name, to));
      };
      if (round % 2 == 0) {
        ours();
        theirs();
      } else {
        theirs();
        ours();
      }
      std::printf("  delay %s ms round %d: copy worker %.3f s, smbclient %.3f s\n", qPrintable(delay), round + 1,
                  our.back(), tool.back());
      std::fflush(stdout);
    }
    rows.push_back({delay, Median(our), Median(tool), growth, helpers});
  }
  QFile::remove(onServer);

  std::printf("copy %lld MiB, 1 Gbit/s cap, median of %d:\n", size >> 20, rounds);
  std::printf("  RTT ms | copy worker s | MB/s  | smbclient s | MB/s  | ratio | memory +MiB (program + read helper's own)\n");
  for (const TRow& r : rows)
    std::printf("  %6.1f | %13.3f | %5.1f | %11.3f | %5.1f | %5.2f | %ld (%ld + %ld)\n", 2 * r.Delay.toDouble(), r.Our,
                size / r.Our / 1e6, r.Tool, size / r.Tool / 1e6, r.Our / r.Tool, (r.Growth + r.Helpers) / 1024,
                r.Growth / 1024, r.Helpers / 1024);
  return TThread::ProcessExit(0);
}
