#pragma once
// What the benchmarks that drive the main window share: the program's own
// folder, a search of one share as the user starts it, clearing the result
// list, the longest stall of the GUI thread's event loop, and on the test
// network a fresh back end, the scan's walk and a guard against dialogs.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/Application.h"
#include "app/Main.h"
#include "network/Form_wait.h"
#include "platform/core/WinError.h"
#include "platform/net/NetApi.h"
#include "platform/net/NetBackend.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/core/Thread.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TreeChecks.h"
#include "search/Searchpattern_thread.h"

namespace BenchGui {

// An empty file, or one of `size` bytes.
inline void Touch(const QString& path, int size = 0) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly) && size > 0) f.write(QByteArray(size, 'x'));
}

// The program's folder (an empty settings file in it) inside `temp`; empty
// when the work folder cannot be made.
inline QString ProgramFolder(const QTemporaryDir& temp) {
  if (!temp.isValid()) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return QString();
  }
  const QString program = temp.filePath(QStringLiteral("program"));
  QDir().mkpath(program);
  Touch(program + QStringLiteral("/settings.ini"));
  return program;
}

// The forms, made in the program's folder as the program starts; and gone.
inline void Open(const QString& program) {
  QDir::setCurrent(program);
  Application::CreateForms();
}
inline void Close() {
  Application::DestroyForms();
  QDir::setCurrent(QDir::tempPath());
}

// Searches one share of `server` for `pattern` as the user would (the
// computers tree ticked, Find pressed) and waits until every worker ended;
// returns the rows.
inline int SearchShare(const QString& server, const QString& share, const QString& pattern = QStringLiteral("*")) {
  FormMain->ListViewBoxComputers->clear();
  auto* pc = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(server));
  SetStateIndex(pc, STATE_CHECKED);
  SetStateIndex(new QTreeWidgetItem(pc, QStringList(share)), STATE_CHECKED);
  FormMain->EditPattern->setEditText(pattern);
  FormMain->ButtonFindClick(nullptr);
  while (SearchPatternThread != nullptr) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  while (TThread::RunningCount() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QCoreApplication::processEvents();
  return FormMain->ListViewResult->Count();
}

// Clears the result list as the next search start does.
inline void ClearResults() {
  FormMain->ListViewResult->Clear();
  // The views and the list finish their part at the next turns of the event loop.
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The longest gap between ticks of a precise heartbeat timer while `work`
// runs, less the period: the longest stall. `work` is started from the
// event loop and calls its argument when done.
constexpr int kHeartbeatMs = 5;
struct TStall {
  double LongestMs = 0;
  double Seconds = 0;
};

inline TStall MeasureStall(const std::function<void(std::function<void()>)>& work) {
  QEventLoop loop;
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  beat.setInterval(kHeartbeatMs);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  bool finished = false;
  QTimer::singleShot(0, [&] {
    clock.start();
    last = 0;
    beat.start();
    work([&] {
      finished = true;
      loop.quit();
    });
  });
  loop.exec();
  while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const qint64 now = clock.nsecsElapsed();
  longest = std::max(longest, now - last);
  beat.stop();
  return {std::max(0.0, longest / 1e6 - kHeartbeatMs), now / 1e9};
}

// Waits in the event loop until `done` holds, testing every millisecond.
inline void PollUntil(const std::function<bool()>& done, const std::function<void()>& then) {
  auto* poll = new QTimer;
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, [poll, done, then] {
    if (!done()) return;
    poll->stop();
    poll->deleteLater();
    then();
  });
  poll->start();
}

// A fresh back end: what runs next starts without a connection.
inline void ColdBackend() { NetBackend::Use(std::make_shared<TSmbNetwork>()); }

// The scan's walk of the enumeration tree: provider, groups, servers, shares.
struct TWalk {
  int Servers = 0, Shares = 0;
  int Unanswered = 0;  // servers whose share list timed out
};
inline TWalk ScanWalk(TNetBackend& net) {
  TWalk w;
  QList<NetApi::NETRESOURCE> top, groups;
  if (net.Children(nullptr, top) != 0 || top.isEmpty() || net.Children(&top.first(), groups) != 0) return {-1, -1, 0};
  for (const NetApi::NETRESOURCE& g : groups) {
    QList<NetApi::NETRESOURCE> servers;
    net.Children(&g, servers);
    w.Servers += int(servers.size());
    for (const NetApi::NETRESOURCE& s : servers) {
      QList<NetApi::NETRESOURCE> list;
      const int e = net.Children(&s, list);
      if (e == 0) w.Shares += int(list.size());
      else if (e == ERROR_SEM_TIMEOUT) ++w.Unanswered;
    }
  }
  return w;
}

// A dialog that comes up (an error, a question) would wait for a user that
// never comes: the run ends there, saying what it showed. The wait window
// is the scan's own and closes itself.
inline void WatchForDialogs() {
  auto* watch = new QTimer(qApp);
  QObject::connect(watch, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == FormWait) return;
    QStringList texts;
    for (const QLabel* label : modal->findChildren<QLabel*>())
      if (!label->text().isEmpty()) texts << label->text();
    std::fprintf(stderr, "a dialog came up: %s: %s\n", qPrintable(modal->windowTitle()), qPrintable(texts.join(u' ')));
    std::_Exit(1);
  });
  watch->start(1000);
}

}  // namespace BenchGui
