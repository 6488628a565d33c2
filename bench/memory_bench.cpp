// The memory of a search's result list: a pattern search "*" over a flat
// folder of 50,000 files on the simulated network, as the program runs it.
// Prints the resident memory (VmRSS) when idle (after a small warm-up search
// and its clearing), after the 50,000-row search, and after the list is
// cleared as the next search start clears it; goals: the rows cost at most
// 24 MiB, and clearing gives back all but 4 MiB of them.
// Run: build/bench/memory_bench [rows]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchCopy.h"
#include "BenchGui.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"
#include "platform/net/NetBackend.h"

namespace {

void Generate(const QString& folder, int files) {
  QDir().mkpath(folder);
  const char* const types[] = {"txt", "doc", "jpg", "mp3", "c", "h", "pdf", "dat"};
  for (int i = 0; i < files; ++i)
    BenchGui::Touch(folder + QStringLiteral("/Document number %1.%2").arg(i, 5, 10, QChar('0')).arg(types[i % 8]));
}

}  // namespace

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int files = argc > 1 ? QByteArray(argv[1]).toInt() : 50000;
  QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/memory_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(temp);
  if (program.isEmpty()) return 1;
  const QString network = temp.filePath(QStringLiteral("network"));
  Generate(network + QStringLiteral("/WORK/PC1/small"), 200);
  Generate(network + QStringLiteral("/WORK/PC1/flat"), files);

  NetBackend::UseSimulated(network);
  BenchGui::Open(program);

  // What any search makes once (fonts, icons, the workers' first
  // allocations) is made before the idle figure.
  BenchGui::SearchShare(QStringLiteral("PC1"), QStringLiteral("small"));
  BenchGui::ClearResults();
  const long idle = BenchCopy::RssKiB();
  QElapsedTimer t;
  t.start();
  const int rows = BenchGui::SearchShare(QStringLiteral("PC1"), QStringLiteral("flat"));
  const double seconds = t.nsecsElapsed() / 1e9;
  const long searched = BenchCopy::RssKiB();
  BenchGui::ClearResults();
  const long cleared = BenchCopy::RssKiB();

  const double rowsMiB = (searched - idle) / 1024.0;
  const double keptMiB = (cleared - idle) / 1024.0;
  std::printf("method: VmRSS of this process, idle after a 200-row warm-up search and its clearing\n");
  std::printf("search * over %d files: %d rows in %.2f s\n", files, rows, seconds);
  std::printf("RSS idle %ld KiB, after search %ld KiB (+%.1f MiB, %.0f bytes/row, goal <= 24 MiB), "
              "after clearing %ld KiB (+%.1f MiB kept, goal <= 4 MiB)\n",
              idle, searched, rowsMiB, rows > 0 ? (searched - idle) * 1024.0 / rows : 0.0, cleared, keptMiB);
  std::printf("%s\n", rowsMiB <= 24 && keptMiB <= 4 ? "goal met" : "goal NOT met");
  BenchGui::Close();
  return TThread::ProcessExit(0);
}
