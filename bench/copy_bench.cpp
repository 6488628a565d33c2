// Copies a 1 GiB file and a tree of 10,000 small files from the simulated
// network into a local folder through the copy worker and its transfer
// window, and the same data with `cp` in the same run; prints the ratios
// (goals: at most 1.25 for the large file, at most 2 for the small files)
// and how far the memory grew while copying (goal: flat).
// Run: build/bench/copy_bench [work folder] [MiB of the large file]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "BenchCopy.h"
#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"
#include "platform/net/NetBackend.h"
#include "transfer/Copy.h"
#include "transfer/Copyform.h"

namespace {

using BenchCopy::CopyWithTransfer;
using BenchCopy::TRun;
using BenchCopy::WriteRandom;



double CpSeconds(const QString& from, const QString& to) {
  QElapsedTimer t;
  t.start();
  const int rc = QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), QStringLiteral("--preserve=timestamps"),
                                                         from, to});
  if (rc != 0) std::fprintf(stderr, "cp failed (%d)\n", rc);
  return t.nsecsElapsed() / 1e9;
}

void Remove(const QString& path) {
  if (QFileInfo(path).isDir())
    QDir(path).removeRecursively();
  else
    QFile::remove(path);
}

void Sync() { QProcess::execute(QStringLiteral("sync"), {}); }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir temp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/copy_bench-XXXXXX")
                              : QDir::tempPath() + QStringLiteral("/copy_bench-XXXXXX"));
  const qint64 largeSize = (argc > 2 ? QByteArray(argv[2]).toLongLong() : 1024) << 20;
  const QString root = temp.path() + QStringLiteral("/net");
  const QString share = root + QStringLiteral("/WORK/PC1/docs");
  const QString out = temp.path() + QStringLiteral("/out");
  QDir().mkpath(share + QStringLiteral("/small"));
  QDir().mkpath(out);
  NetBackend::UseSimulated(root);

  std::printf("preparing %lld MiB and 10,000 small files in %s\n", largeSize >> 20, qPrintable(temp.path()));
  WriteRandom(share + QStringLiteral("/large.bin"), largeSize);
  qint64 smallTotal = 0;
  for (int d = 0; d < 100; ++d) {
    const QString dir = share + QStringLiteral("/small/d%1").arg(d);
    QDir().mkpath(dir);
    for (int i = 0; i < 100; ++i) {
      const qint64 size = 512 + (d * 100 + i) * 37 % 7680;
      WriteRandom(dir + QStringLiteral("/f%1.dat").arg(i), size);
      smallTotal += size;
    }
  }
  Sync();

  const QString unc = QStringLiteral("\\\\PC1\\docs\\");
  double cpLarge = 1e9, ourLarge = 1e9, cpSmall = 1e9, ourSmall = 1e9;
  long growthLarge = 0, growthSmall = 0;
  // A first, empty transfer creates what any window needs once (fonts,
  // buffers), so that the memory measured is the copy's own.
  CopyWithTransfer(QStringLiteral("nothing"), unc, WinPath::IncludeTrailingBackslash(WinPath::FromLocal(out)), 0);

  // Three rounds; the order of cp and the copy alternates, each run writes
  // into a folder of its own, everything is flushed between runs, and the
  // best time of each counts. Nothing is deleted before the end but the large
  // files, as fresh deletions slow the creation of files on some file systems.
  for (int round = 0; round < 3; ++round) {
    const QString cpDir = out + QStringLiteral("/cp%1").arg(round);
    const QString ourDir = out + QStringLiteral("/our%1").arg(round);
    QDir().mkpath(cpDir);
    QDir().mkpath(ourDir);
    const QString ourDest = WinPath::IncludeTrailingBackslash(WinPath::FromLocal(ourDir));
    auto runCp = [&](const QString& what) {
      Sync();
      return CpSeconds(share + u'/' + what, cpDir + u'/' + what);
    };
    auto runOur = [&](const QString& name, double total, long& growth) {
      Sync();
      const TRun run = CopyWithTransfer(name, unc, ourDest, total);
      growth = std::max(growth, run.RssGrowthKiB);
      return run.Seconds;
    };
    const bool cpFirst = round % 2 == 0;
    if (cpFirst) cpLarge = std::min(cpLarge, runCp(QStringLiteral("large.bin")));
    ourLarge = std::min(ourLarge, runOur(QStringLiteral("large.bin"), double(largeSize), growthLarge));
    if (!cpFirst) cpLarge = std::min(cpLarge, runCp(QStringLiteral("large.bin")));
    if (QFileInfo(ourDir + QStringLiteral("/large.bin")).size() != largeSize)
      std::fprintf(stderr, "large copy incomplete\n");
    if (cpFirst) cpSmall = std::min(cpSmall, runCp(QStringLiteral("small")));
    ourSmall = std::min(ourSmall, runOur(QStringLiteral("small\\"), double(smallTotal), growthSmall));
    if (!cpFirst) cpSmall = std::min(cpSmall, runCp(QStringLiteral("small")));
    Remove(cpDir + QStringLiteral("/large.bin"));
    Remove(ourDir + QStringLiteral("/large.bin"));
  }

  std::printf("large file  %6lld MiB: cp %.3f s, copy %.3f s, ratio %.2f (goal <= 1.25), memory +%ld KiB\n",
              largeSize >> 20, cpLarge, ourLarge, ourLarge / cpLarge, growthLarge);
  std::printf("small files %6d    : cp %.3f s, copy %.3f s, ratio %.2f (goal <= 2), memory +%ld KiB\n", 10000,
              cpSmall, ourSmall, ourSmall / cpSmall, growthSmall);
  return TThread::ProcessExit(0);
}
