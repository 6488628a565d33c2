// The flat search's memory on the real SMB back end, alone: what a search
// of 50,000 files adds and what clearing the result list gives back, from
// a fresh back end each round. smb_bench measures the same among its other
// figures; this one alone takes seconds. Runs inside the test network:
// scripts/smbnet run -- build/bench/smb_memory_bench
// Run: build/bench/smb_memory_bench [rounds]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "BenchCopy.h"
#include "BenchGui.h"
#include "config/En_language.h"
#include "platform/core/Memory.h"
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("SMBNET_DIR")) {
    std::fprintf(stderr, "runs inside the test network: scripts/smbnet run -- build/bench/smb_memory_bench\n");
    return 2;
  }
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
  constexpr long kEntries = 50000;
  const QString server = qEnvironmentVariable("SMBNET_SRV1_IP");
  const QString many = qEnvironmentVariable("SMBNET_SRV1_SHARES") + QStringLiteral("/many");
  for (long i = 0; i < kEntries - qEnvironmentVariable("SMBNET_MANY_COUNT").toLong(); ++i)
    BenchGui::Touch(many + QStringLiteral("/bench%1.txt").arg(i, 5, 10, QChar('0')));

  QTemporaryDir work(QDir::tempPath() + QStringLiteral("/smb_memory_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(work);
  if (program.isEmpty()) return 1;
  NetBackend::Use(std::make_shared<TSmbNetwork>());
  BenchGui::Open(program);
  SetEnglishLanguage();
  // What any search makes once (fonts, icons, the first connection).
  BenchGui::SearchShare(server, QStringLiteral("pub"));
  BenchGui::ClearResults();

  std::printf("method: VmRSS before a search of %ld files from a fresh back end, after it, after the list is cleared\n",
              kEntries);
  long worstGrowth = 0, worstKept = 0;
  for (int round = 0; round < rounds; ++round) {
    NetBackend::Use(std::make_shared<TSmbNetwork>());
    const long before = BenchCopy::RssKiB();
    QElapsedTimer t;
    t.start();
    const int rows = BenchGui::SearchShare(server, QStringLiteral("many"));
    const double seconds = t.nsecsElapsed() / 1e9;
    const long searched = BenchCopy::RssKiB();
    BenchGui::ClearResults();
    const long cleared = BenchCopy::RssKiB();
    std::printf("  round %d: %d rows in %.2f s, +%.1f MiB after the search, +%.1f MiB kept after clearing\n",
                round + 1, rows, seconds, (searched - before) / 1024.0, (cleared - before) / 1024.0);
    std::fflush(stdout);
    worstGrowth = std::max(worstGrowth, searched - before);
    worstKept = std::max(worstKept, cleared - before);
  }
  std::printf("flat search memory: +%.1f MiB after the search, +%.1f MiB kept after the list is cleared"
              " (goal: given back)\n",
              worstGrowth / 1024.0, worstKept / 1024.0);
  BenchGui::Close();
  return 0;
}
