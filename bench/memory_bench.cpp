// The memory of a search's result list: a pattern search "*" over a flat
// folder of 50,000 files on the simulated network, as the program runs it.
// Prints the resident memory (VmRSS) when idle (after a small warm-up search
// and its clearing), after the 50,000-row search, and after the list is
// cleared as the next search start clears it; goals: the rows cost at most
// 24 MiB, and clearing gives back all but 4 MiB of them.
// Run: build/bench/memory_bench [rows]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

#include "BenchCopy.h"
#include "app/Application.h"
#include "app/Main.h"
#include "platform/ui/ListView.h"
#include "platform/net/NetBackend.h"
#include "platform/core/Thread.h"
#include "platform/ui/TreeChecks.h"
#include "search/Searchpattern_thread.h"

namespace {

void Touch(const QByteArray& path) {
  FILE* f = std::fopen(path.constData(), "w");
  if (f) std::fclose(f);
}

void Generate(const QString& folder, int files) {
  QDir().mkpath(folder);
  const char* const types[] = {"txt", "doc", "jpg", "mp3", "c", "h", "pdf", "dat"};
  for (int i = 0; i < files; ++i)
    Touch(QFile::encodeName(folder + QStringLiteral("/Document number %1.%2").arg(i, 5, 10, QChar('0')).arg(types[i % 8])));
}

// Searches one share of PC1 for "*" and waits until every worker ended.
int Search(const QString& share) {
  FormMain->ListViewBoxComputers->clear();
  auto* pc = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(QStringLiteral("PC1")));
  SetStateIndex(pc, STATE_CHECKED);
  SetStateIndex(new QTreeWidgetItem(pc, QStringList(share)), STATE_CHECKED);
  FormMain->EditPattern->setEditText(QStringLiteral("*"));
  FormMain->ButtonFindClick(nullptr);
  while (SearchPatternThread != nullptr) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  while (TThread::RunningCount() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QCoreApplication::processEvents();
  return FormMain->ListViewResult->Count();
}

void Clear() {
  FormMain->ListViewResult->Clear();
  // The views and the list finish their part at the next turns of the event loop.
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int files = argc > 1 ? QByteArray(argv[1]).toInt() : 50000;
  QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/memory_bench-XXXXXX"));
  if (!temp.isValid()) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return 1;
  }
  const QString program = temp.filePath(QStringLiteral("program"));
  QDir().mkpath(program);
  Touch(QFile::encodeName(program + QStringLiteral("/settings.ini")));
  const QString network = temp.filePath(QStringLiteral("network"));
  Generate(network + QStringLiteral("/WORK/PC1/small"), 200);
  Generate(network + QStringLiteral("/WORK/PC1/flat"), files);

  NetBackend::UseSimulated(network);
  QDir::setCurrent(program);
  Application::CreateForms();

  // What any search makes once (fonts, icons, the workers' first
  // allocations) is made before the idle figure.
  Search(QStringLiteral("small"));
  Clear();
  const long idle = BenchCopy::RssKiB();
  QElapsedTimer t;
  t.start();
  const int rows = Search(QStringLiteral("flat"));
  const double seconds = t.nsecsElapsed() / 1e9;
  const long searched = BenchCopy::RssKiB();
  Clear();
  const long cleared = BenchCopy::RssKiB();

  const double rowsMiB = (searched - idle) / 1024.0;
  const double keptMiB = (cleared - idle) / 1024.0;
  std::printf("method: VmRSS of this process, idle after a 200-row warm-up search and its clearing\n");
  std::printf("search * over %d files: %d rows in %.2f s\n", files, rows, seconds);
  std::printf("RSS idle %ld KiB, after search %ld KiB (+%.1f MiB, %.0f bytes/row, goal <= 24 MiB), "
              "after clearing %ld KiB (+%.1f MiB kept, goal <= 4 MiB)\n",
              idle, searched, rowsMiB, rows > 0 ? (searched - idle) * 1024.0 / rows : 0.0, cleared, keptMiB);
  std::printf("%s\n", rowsMiB <= 24 && keptMiB <= 4 ? "goal met" : "goal NOT met");
  Application::DestroyForms();
  QDir::setCurrent(QDir::tempPath());
  return TThread::ProcessExit(0);
}
