// How long the GUI thread's event loop stalls while the program works on
// the simulated network:
//   1. sizing a 600-folder tree for Copy to, off the GUI thread as the
//      command does it, beside the same walk made on the GUI thread;
//   2. searches that add 50,000 rows (a deep share of 500 folders, a flat
//      one of 50,000 files), with the workers' batched hand-overs beside one
//      hand-over per folder.
// Method: a heartbeat QTimer (precise, every 5 ms) on the GUI thread records
// the time between its ticks; the longest gap less the period is the longest
// stall. The sized tree lies behind a simulated delay per network call.
// Run: build/bench/gui_stall_bench [delay ms per network call, default 1]
// (the simulated network waits so long before each listing and each entry).
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

#include "BenchGui.h"
#include "app/Application.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"
#include "platform/net/NetBackend.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TreeChecks.h"
#include "search/Searchpattern_thread.h"
#include "transfer/Copy.h"

namespace {

using BenchGui::MeasureStall;
using BenchGui::PollUntil;
using BenchGui::TStall;
using BenchGui::Touch;
using BenchGui::kHeartbeatMs;

}  // namespace

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  const int delayMs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
  QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/gui_stall_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(temp);
  if (program.isEmpty()) return 1;

  // A slow network: one share with 20 folders of 29 subfolders each (600
  // folders with the first level), three files in each subfolder.
  const QString slow = temp.filePath(QStringLiteral("slow"));
  const QString tree = slow + QStringLiteral("/WORK/PC1/docs/tree");
  for (int t = 0; t < 20; ++t)
    for (int s = 0; s < 29; ++s) {
      const QString sub = tree + QStringLiteral("/top%1/sub%2").arg(t).arg(s);
      QDir().mkpath(sub);
      for (int f = 0; f < 3; ++f) Touch(sub + QStringLiteral("/f%1.dat").arg(f), 1);
    }
  {
    QFile ini(slow + QStringLiteral("/network.ini"));
    if (ini.open(QIODevice::WriteOnly)) ini.write("[Network]\nDelayMs=" + QByteArray::number(delayMs) + "\n");
  }
  // A fast network for the search: a deep share of 500 folders of 100 files
  // each, and a flat one of 50,000 files in one folder.
  const QString fast = temp.filePath(QStringLiteral("fast"));
  for (int d = 0; d < 500; ++d) {
    const QString folder = fast + QStringLiteral("/WORK/PC2/deep/f%1/g%2").arg(d / 25).arg(d % 25);
    QDir().mkpath(folder);
    for (int f = 0; f < 100; ++f) Touch(folder + QStringLiteral("/file%1.txt").arg(f), 1);
  }
  QDir().mkpath(fast + QStringLiteral("/WORK/PC2/flat"));
  for (int f = 0; f < 50000; ++f) Touch(fast + QStringLiteral("/WORK/PC2/flat/file%1.txt").arg(f), 1);

  BenchGui::Open(program);
  SetEnglishLanguage();
  std::printf("method: a precise %d ms QTimer heartbeat on the GUI thread; longest stall = longest gap between\n"
              "        ticks less %d ms, over the whole operation (from its start to its result on the GUI thread)\n",
              kHeartbeatMs, kHeartbeatMs);

  // 1. Sizing for Copy to of one folder row.
  NetBackend::UseSimulated(slow);
  TListItem row;
  row.Caption = QStringLiteral("tree");
  row.SubItems = {QString(), TextFileDir, QString(), QString(), QStringLiteral("PC1"), QStringLiteral("\\docs\\")};
  row.Selected = true;
  FormMain->ListViewResult->AddItem(row);
  double sizedOff = 0, sizedOn = 0;
  const TStall off = MeasureStall([&](std::function<void()> done) {
    BuildCopyList([&sizedOff, done](double total) {
      sizedOff = total;
      done();
    });
  });
  const TStall on = MeasureStall([&](std::function<void()> done) {
    sizedOn = BuildCopyList();
    done();
  });
  std::printf("sizing 600 folders, %d ms per network call: off the GUI thread: longest stall %.1f ms in %.2f s "
              "(%.0f bytes)\n",
              delayMs, off.LongestMs, off.Seconds, sizedOff);
  std::printf("                                 the old way, on the GUI thread: longest stall %.1f ms in %.2f s "
              "(%.0f bytes)\n",
              on.LongestMs, on.Seconds, sizedOn);
  FormMain->ListViewResult->Clear();

  // 2. Searches adding 50,000 rows each.
  NetBackend::UseSimulated(fast);
  auto* pc = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(QStringLiteral("PC2")));
  SetStateIndex(pc, STATE_CHECKED);
  FormMain->EditPattern->setEditText(QStringLiteral("*.txt"));
  for (const char* share : {"deep", "flat"}) {
    while (pc->childCount() > 0) delete pc->child(0);
    SetStateIndex(new QTreeWidgetItem(pc, QStringList(QString::fromLatin1(share))), STATE_CHECKED);
    for (int interval : {100, 0}) {
      TSearchPattern::HandOverIntervalMs = interval;
      const TStall search = MeasureStall([](std::function<void()> done) {
        FormMain->ButtonFindClick(nullptr);
        PollUntil([] { return SearchPatternThread == nullptr; }, done);
      });
      std::printf("search, %s share, %d rows, hand-over %s: longest stall %.1f ms in %.2f s\n", share,
                  FormMain->ListViewResult->Count(),
                  interval > 0 ? "at most every 100 ms" : "at every folder", search.LongestMs,
                  search.Seconds);
      while (TThread::RunningCount() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  }
  std::printf("goal: longest stall under 100 ms while sizing, under 50 ms during the search\n");
  BenchGui::Close();
  return 0;
}
