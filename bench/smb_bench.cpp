// The real SMB back end against the private test network (run inside it:
// scripts/bench smb_bench, which starts it with scripts/smbnet run), with
// SRV1 behind the network's user-space relay at each round trip (0, 1 and
// 5 ms, 1 Gbit/s cap each way). Each side is timed from a cold start of its
// own connection (a fresh back end for the program, a fresh process for the
// tool); median of three interleaved rounds; ratio = program / peer, below 1
// the program is faster:
//   - flat listing: search "*" over the share "many" topped up to 50,000
//     files, Enter to the final status, against `smbclient -c 'recurse; ls'`;
//   - deep listing: search "*" over the share "pub", which holds a tree of
//     50,220 entries (and the copy files below), against the same;
//   - one 1 GiB file through the copy worker and its transfer window against
//     `smbclient get` (and `smbget`, shown beside it);
//   - 2,000 files of 4 KiB against `smbclient` `prompt off; recurse; mget`;
//   - the scan's walk of every workgroup, server and share list (first and
//     best of three, each from a fresh back end).
// At 1 ms also: the copy's memory above idle, the flat search's memory and
// what its clearing gives back, and the longest event-loop stall during a
// 50,000-row search and during a scan from the Scan button.
// Goals: each ratio against smbclient at most 1.0, the scan under 2 s,
// copy memory at most 64 MiB, search memory given back, stalls under 50 ms.
// Run: build/bench/smb_bench [MiB of the large file] [round trips in ms, e.g. 0,1,5] [rounds]
// SMB_BENCH_ONLY=small,deep (any of flat, deep, large, small, scan, extras)
// runs only those parts, for quicker turns while working on one of them.
// Progress lines go to stderr, so a run that hangs shows where.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

#include "BenchCopy.h"
#include "BenchGui.h"
#include "config/En_language.h"
#include "network/Scanlan_thread.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"
#include "platform/net/NetApi.h"
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"

namespace {

using BenchCopy::CopyWithTransfer;
using BenchGui::ColdBackend;
using BenchGui::Touch;

constexpr int kListEntries = 50000;
constexpr int kSmallFiles = 2000;
constexpr int kSmallSize = 4096;
constexpr int kToolTimeoutMs = 900000;

QString Env(const char* key) { return qEnvironmentVariable(key); }
double Seconds(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

QElapsedTimer RunClock;
void Step(const QString& what) {
  std::fprintf(stderr, "[smb_bench %7.1f s] %s\n", Seconds(RunClock), qPrintable(what));
  std::fflush(stderr);
}

// Runs a tool; its time, or a huge one when it failed.
double Tool(const QString& program, const QStringList& args) {
  QElapsedTimer t;
  t.start();
  QProcess p;
  // Its progress lines go nowhere; they would cost both sides the same.
  p.setStandardOutputFile(QProcess::nullDevice());
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(program, args);
  if (!p.waitForFinished(kToolTimeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    std::fprintf(stderr, "%s %s failed (exit code %d)\n", qPrintable(program), qPrintable(args.join(u' ')), p.exitCode());
    p.kill();
    p.waitForFinished(5000);
    return 1e9;
  }
  return Seconds(t);
}

// SRV1 behind the relay: half the round trip each way, 1 Gbit/s each way.
bool Relay(double rttMs) {
  return QProcess::execute(Env("SMBNET_SCRIPT"), {QStringLiteral("relay"), Env("SMBNET_DIR"), QStringLiteral("SRV1"),
                                                  QStringLiteral("--delay"), QString::number(rttMs / 2),
                                                  QStringLiteral("--rate"), QStringLiteral("1G")}) == 0;
}
void Unrelay() {
  QProcess::execute(Env("SMBNET_SCRIPT"), {QStringLiteral("unrelay"), Env("SMBNET_DIR"), QStringLiteral("SRV1")});
}

// The share "many" topped up to 50,000 files (bench*.txt beside its own).
void MakeFlat(const QString& many, long existing) {
  for (long i = 0; i < kListEntries - existing; ++i) Touch(many + QStringLiteral("/bench%1.txt").arg(i, 5, 10, QChar('0')));
}

// 20 x 10 x 10 folders, 24 files in each of the last: 50,220 entries.
void MakeDeep(const QString& root) {
  for (int a = 0; a < 20; ++a)
    for (int b = 0; b < 10; ++b)
      for (int c = 0; c < 10; ++c) {
        const QString folder = root + QStringLiteral("/dir%1/sub%2/leaf%3").arg(a).arg(b).arg(c);
        QDir().mkpath(folder);
        for (int f = 0; f < 24; ++f) Touch(folder + QStringLiteral("/file%1.dat").arg(f));
      }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Rounds of each side, which goes first alternating; the medians.
struct TPair {
  double Our = 0, Peer = 0;
  double Ratio() const { return Peer > 0 ? Our / Peer : 0; }
};
int RoundCount = 3;
// The parts SMB_BENCH_ONLY names; all when it is unset.
bool Part(const char* name) {
  const QString only = qEnvironmentVariable("SMB_BENCH_ONLY");
  return only.isEmpty() || only.split(u',').contains(QLatin1String(name));
}
TPair Rounds(const QString& what, const std::function<double()>& our, const std::function<double()>& peer) {
  std::vector<double> a, b;
  for (int round = 0; round < RoundCount; ++round) {
    Step(QStringLiteral("%1, round %2").arg(what).arg(round + 1));
    if (round % 2 == 0) {
      a.push_back(our());
      b.push_back(peer());
    } else {
      b.push_back(peer());
      a.push_back(our());
    }
  }
  const TPair p{Median(a), Median(b)};
  std::printf("  %-30s program %8.3f s, peer %8.3f s, ratio %.2f\n", qPrintable(what), p.Our, p.Peer, p.Ratio());
  std::fflush(stdout);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RunClock.start();
  if (Env("SMBNET_DIR").isEmpty()) {
    std::fprintf(stderr, "smb_bench runs inside the test network: scripts/bench smb_bench\n");
    return 2;
  }
  const qint64 largeSize = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024) << 20;
  std::vector<double> rtts;
  for (const QString& r : QString::fromLocal8Bit(argc > 2 ? argv[2] : "0,1,5").split(u',')) rtts.push_back(r.toDouble());
  if (argc > 3) RoundCount = std::max(1, QByteArray(argv[3]).toInt());
  // Both sides reach SRV1 by its address: a fresh back end knows a name's
  // address only from a scan, and the tools would look the name up.
  const QString server = Env("SMBNET_SRV1_IP");
  const QString unc = QStringLiteral("\\\\") + server + u'\\';
  const QString url = QStringLiteral("//") + server + u'/';
  const QString shares = Env("SMBNET_SRV1_SHARES");

  QTemporaryDir work(QDir::tempPath() + QStringLiteral("/smb_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(work);
  if (program.isEmpty()) return 1;
  ColdBackend();
  BenchGui::Open(program);
  SetEnglishLanguage();
  BenchGui::WatchForDialogs();

  // The content, made on SRV1's side of its shares.
  Step(QStringLiteral("preparing the shares on SRV1"));
  QFile::remove(shares + QStringLiteral("/pub/bench-large.bin"));
  QDir(shares + QStringLiteral("/pub/bench-small")).removeRecursively();
  QDir(shares + QStringLiteral("/pub/bench-deep")).removeRecursively();
  if (Part("flat") || Part("extras")) MakeFlat(shares + QStringLiteral("/many"), Env("SMBNET_MANY_COUNT").toLong());
  // What any search makes once (fonts, icons, the first connection) is made
  // before the idle figures, on the share before its tree is there.
  Step(QStringLiteral("warm-up search"));
  BenchGui::SearchShare(server, QStringLiteral("pub"));
  BenchGui::ClearResults();
  Step(QStringLiteral("making the deep tree and the small files"));
  MakeDeep(shares + QStringLiteral("/pub/bench-deep"));
  QDir().mkpath(shares + QStringLiteral("/pub/bench-small"));
  for (int i = 0; i < kSmallFiles; ++i)
    Touch(shares + QStringLiteral("/pub/bench-small/small%1.bin").arg(i, 4, 10, QChar('0')), kSmallSize);
  Step(QStringLiteral("writing %1 MiB on SRV1").arg(largeSize >> 20));
  if (Part("large")) BenchCopy::WriteRandom(shares + QStringLiteral("/pub/bench-large.bin"), largeSize);
  if (Part("scan") && QProcess::execute(Env("SMBNET_BROWSE_READY"), {QStringLiteral("90")}) != 0)
    std::fprintf(stderr, "the browse list is not served: the scan misses a server\n");

  // Both sides write into memory where the machine has it (/dev/shm): a
  // disk's file system would time its own allocator instead, which after
  // the last round's 2,000 files were removed passes over their freed
  // inodes for minutes (ext4), slowing whichever side creates files next.
  const bool shm = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
  QTemporaryDir outDir(shm ? QStringLiteral("/dev/shm/smb_bench-out-XXXXXX") : work.filePath(QStringLiteral("out-XXXXXX")));
  const QString out = outDir.path();
  const QString ourDest = WinPath::IncludeTrailingBackslash(WinPath::FromLocal(out));
  // A first, tiny transfer makes what any transfer window needs once.
  Touch(shares + QStringLiteral("/pub/bench-warm.txt"), 1);
  CopyWithTransfer(QStringLiteral("bench-warm.txt"), unc + QStringLiteral("pub\\"), ourDest, 1);

  std::printf("method: each side from a cold start of its own connection (a fresh back end, a fresh tool process),\n"
              "        median of %d interleaved rounds; SRV1 behind the relay at each round trip, 1 Gbit/s each way;\n"
              "        ratio = program / peer (below 1: the program is faster); copies written to %s\n",
              RoundCount, shm ? "memory (/dev/shm)" : "the temporary folder");
  struct TAt {
    TPair Flat, Deep, Large, Small;
    double Smbget = 0, ScanFirst = 0, ScanBest = 0;
    BenchGui::TWalk Walk;
  };
  std::map<double, TAt> at;
  int flatRows = 0, deepRows = 0;
  long copyGrowth = 0, searchGrowth = 0, searchKept = 0;
  BenchGui::TStall searchStall, scanStall;
  bool extrasDone = false;
  for (const double rtt : rtts) {
    if (!Relay(rtt)) {
      std::fprintf(stderr, "no relay in front of SRV1\n");
      return 1;
    }
    std::printf("round trip %g ms:\n", rtt);
    TAt& r = at[rtt];
    // Extra figures once, at the first round trip of 1 ms or more (else the last).
    const bool extras = Part("extras") && !extrasDone && (rtt >= 1 || rtt == rtts.back());

    Step(QStringLiteral("scan"));
    r.ScanBest = Part("scan") ? 1e9 : 0;
    for (int i = 0; i < (Part("scan") ? 3 : 0); ++i) {
      ColdBackend();
      QElapsedTimer t;
      t.start();
      r.Walk = BenchGui::ScanWalk(*NetBackend::Current());
      const double s = Seconds(t);
      if (i == 0) r.ScanFirst = s;
      r.ScanBest = std::min(r.ScanBest, s);
    }
    std::printf("  %-30s %.3f s first, %.3f s best, %d servers, %d shares\n", "scan walk", r.ScanFirst, r.ScanBest,
                r.Walk.Servers, r.Walk.Shares);

    auto search = [&](const QString& share, int& rows) {
      return [&, share] {
        ColdBackend();
        const long before = BenchCopy::RssKiB();
        QElapsedTimer t;
        t.start();
        rows = BenchGui::SearchShare(server, share);
        const double s = Seconds(t);
        const long searched = BenchCopy::RssKiB();
        BenchGui::ClearResults();
        if (extras && share == QLatin1String("many")) {
          searchGrowth = std::max(searchGrowth, searched - before);
          searchKept = std::max(searchKept, BenchCopy::RssKiB() - before);
        }
        return s;
      };
    };
    auto ls = [&](const QString& share) {
      return [=] {
        return Tool(QStringLiteral("smbclient"),
                    {QStringLiteral("-N"), url + share, QStringLiteral("-c"), QStringLiteral("recurse; ls")});
      };
    };
    if (Part("flat")) r.Flat = Rounds(QStringLiteral("list flat"), search(QStringLiteral("many"), flatRows), ls(QStringLiteral("many")));
    if (Part("deep")) r.Deep = Rounds(QStringLiteral("list deep"), search(QStringLiteral("pub"), deepRows), ls(QStringLiteral("pub")));

    const QString smallOut = out + QStringLiteral("/bench-small");
    if (Part("small")) r.Small = Rounds(
        QStringLiteral("copy 2,000 small"),
        [&] {
          QDir(smallOut).removeRecursively();
          ColdBackend();
          const double s = CopyWithTransfer(QStringLiteral("bench-small\\"), unc + QStringLiteral("pub\\"), ourDest,
                                            double(kSmallFiles) * kSmallSize)
                               .Seconds;
          if (QDir(smallOut).entryList(QDir::Files).size() != kSmallFiles)
            std::fprintf(stderr, "small files incomplete\n");
          return s;
        },
        [&] {
          const QString to = out + QStringLiteral("/smbclient-small");
          QDir(to).removeRecursively();
          QDir().mkpath(to);
          return Tool(QStringLiteral("smbclient"),
                      {QStringLiteral("-N"), url + QStringLiteral("pub"), QStringLiteral("-c"),
                       QStringLiteral("prompt off; recurse; cd bench-small; lcd %1; mget *").arg(to)});
        });

    std::vector<double> smbget;
    if (Part("large")) r.Large = Rounds(
        QStringLiteral("copy one large file"),
        [&] {
          QFile::remove(out + QStringLiteral("/bench-large.bin"));
          ColdBackend();
          const BenchCopy::TRun run = CopyWithTransfer(QStringLiteral("bench-large.bin"), unc + QStringLiteral("pub\\"),
                                                       ourDest, double(largeSize));
          if (extras) copyGrowth = std::max(copyGrowth, run.RssGrowthKiB + run.HelpersKiB);
          if (QFileInfo(out + QStringLiteral("/bench-large.bin")).size() != largeSize)
            std::fprintf(stderr, "copy incomplete\n");
          QFile::remove(out + QStringLiteral("/bench-large.bin"));
          return run.Seconds;
        },
        [&] {
          const QString to = out + QStringLiteral("/smbclient.bin");
          const double s = Tool(QStringLiteral("smbclient"), {QStringLiteral("-N"), url + QStringLiteral("pub"),
                                                              QStringLiteral("-c"),
                                                              QStringLiteral("get bench-large.bin %1").arg(to)});
          QFile::remove(to);
          const QString to2 = out + QStringLiteral("/smbget.bin");
          smbget.push_back(Tool(QStringLiteral("smbget"), {QStringLiteral("-q"), QStringLiteral("-a"),
                                                           QStringLiteral("-o"), to2,
                                                           QStringLiteral("smb:") + url + QStringLiteral("pub/bench-large.bin")}));
          QFile::remove(to2);
          return s;
        });
    r.Smbget = Median(smbget);

    if (extras) {
      extrasDone = true;
      Step(QStringLiteral("stall during a search"));
      ColdBackend();
      FormMain->ListViewBoxComputers->clear();
      auto* pc = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(server));
      SetStateIndex(pc, STATE_CHECKED);
      SetStateIndex(new QTreeWidgetItem(pc, QStringList(QStringLiteral("many"))), STATE_CHECKED);
      FormMain->EditPattern->setEditText(QStringLiteral("*"));
      searchStall = BenchGui::MeasureStall([](std::function<void()> done) {
        FormMain->ButtonFindClick(nullptr);
        BenchGui::PollUntil([] { return SearchPatternThread == nullptr; }, done);
      });
      while (TThread::RunningCount() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      BenchGui::ClearResults();
      Step(QStringLiteral("stall during a scan"));
      ColdBackend();
      scanStall = BenchGui::MeasureStall([](std::function<void()> done) {
        FormMain->SpeedButtonScanClick(nullptr);
        BenchGui::PollUntil([] { return ScanLanThread == nullptr && TThread::RunningCount() == 0; }, done);
      });
    }
  }
  Unrelay();
  QFile::remove(shares + QStringLiteral("/pub/bench-large.bin"));
  QFile::remove(shares + QStringLiteral("/pub/bench-warm.txt"));
  QDir(shares + QStringLiteral("/pub/bench-small")).removeRecursively();
  QDir(shares + QStringLiteral("/pub/bench-deep")).removeRecursively();

  std::printf("\nratio program / peer (goal <= 1.0 against smbclient)   %d rounds, median\n", RoundCount);
  std::printf("%-44s %-16s", "work", "peer");
  for (const double rtt : rtts) std::printf("  RTT %-5g", rtt);
  std::printf("\n");
  auto row = [&](const QString& work, const char* peer, const std::function<double(const TAt&)>& value) {
    std::printf("%-44s %-16s", qPrintable(work), peer);
    for (const double rtt : rtts) std::printf("  %-9.2f", value(at[rtt]));
    std::printf("\n");
  };
  row(QStringLiteral("list flat, %1 rows (search *)").arg(flatRows), "smbclient ls", [](const TAt& a) { return a.Flat.Ratio(); });
  row(QStringLiteral("list deep, %1 rows (search *)").arg(deepRows), "smbclient ls", [](const TAt& a) { return a.Deep.Ratio(); });
  row(QStringLiteral("copy one %1 MiB file").arg(largeSize >> 20), "smbclient get", [](const TAt& a) { return a.Large.Ratio(); });
  row(QStringLiteral("copy one %1 MiB file").arg(largeSize >> 20), "smbget",
      [](const TAt& a) { return a.Smbget > 0 ? a.Large.Our / a.Smbget : 0; });
  row(QStringLiteral("copy 2,000 files of 4 KiB"), "smbclient mget", [](const TAt& a) { return a.Small.Ratio(); });
  std::printf("%-44s %-16s", "scan walk, s first / best (goal < 2 s)", "-");
  for (const double rtt : rtts) std::printf("  %.2f/%.2f", at[rtt].ScanFirst, at[rtt].ScanBest);
  std::printf("\n");
  std::printf("copy memory above idle (peak VmRSS over the start, plus the read helper's own): %.1f MiB (goal <= 64 MiB)\n", copyGrowth / 1024.0);
  std::printf("flat search memory: +%.1f MiB after the search, +%.1f MiB kept after the list is cleared (goal: given back)\n",
              searchGrowth / 1024.0, searchKept / 1024.0);
  std::printf("longest event-loop stall (a precise %d ms QTimer heartbeat on the GUI thread; longest gap between ticks\n"
              "less %d ms, from the command to its end): search of %d rows %.1f ms in %.2f s, scan from the Scan\n"
              "button %.1f ms in %.2f s (goal < 50 ms each)\n",
              BenchGui::kHeartbeatMs, BenchGui::kHeartbeatMs, flatRows, searchStall.LongestMs, searchStall.Seconds,
              scanStall.LongestMs, scanStall.Seconds);
  BenchGui::Close();
  return TThread::ProcessExit(0);
}
