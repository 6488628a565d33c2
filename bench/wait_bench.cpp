// How long the wait window stalls the event loop as it opens and closes, as
// a scan shows it: the main window is up, the wait window is shown modally
// and closed from a timer some 300 ms later, ten times over.
// Method: a precise 2 ms heartbeat timer runs in the event loop throughout;
// the longest gap between two beats from just before the opening call
// (or the closing call) to 200 ms after it is that step's stall. Goal: under
// 50 ms each, the first showing included.
// Run: build/bench/wait_bench [rounds]   (any platform plugin: xcb under
// Xvfb shows what a desktop would, offscreen the toolkit's own share)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Application.h"
#include "app/Main.h"
#include "network/Form_wait.h"
#include "platform/core/Thread.h"

namespace {

// The longest gap between beats that ends within [from, from + 200 ms].
double LongestGap(const std::vector<qint64>& beats, qint64 from) {
  qint64 longest = 0;
  for (size_t i = 1; i < beats.size(); ++i)
    if (beats[i] >= from && beats[i - 1] <= from + 200'000'000) longest = std::max(longest, beats[i] - beats[i - 1]);
  return longest / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
  QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/wait_bench-XXXXXX"));
  QFile ini(temp.filePath(QStringLiteral("settings.ini")));
  if (!temp.isValid() || !ini.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return 1;
  }
  ini.close();
  QDir::setCurrent(temp.path());
  Application::CreateForms();
  FormMain->show();
  QElapsedTimer clock;
  clock.start();
  std::vector<qint64> beats;
  beats.reserve(100000);
  QTimer heart;
  heart.setTimerType(Qt::PreciseTimer);
  QObject::connect(&heart, &QTimer::timeout, [&] { beats.push_back(clock.nsecsElapsed()); });
  heart.start(2);
  auto settle = [](int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  };
  settle(300);

  std::printf("platform %s; method: 2 ms precise heartbeat timer, longest gap from the call to 200 ms after it\n",
              qPrintable(QGuiApplication::platformName()));
  double worstOpen = 0, worstClose = 0;
  for (int round = 0; round < rounds; ++round) {
    qint64 openAt = 0, closeAt = 0;
    QTimer::singleShot(0, [&] {
      QTimer::singleShot(300, [&] {
        closeAt = clock.nsecsElapsed();
        FormWait->Close();
      });
      openAt = clock.nsecsElapsed();
      ShowWaitForm(round % 2 == 1);
    });
    settle(700);
    const double open = LongestGap(beats, openAt), close = LongestGap(beats, closeAt);
    std::printf("round %2d: opening stalls %6.1f ms, closing %6.1f ms\n", round + 1, open, close);
    worstOpen = std::max(worstOpen, open);
    worstClose = std::max(worstClose, close);
  }
  std::printf("worst: opening %.1f ms, closing %.1f ms (goal < 50 ms each): %s\n", worstOpen, worstClose,
              worstOpen < 50 && worstClose < 50 ? "goal met" : "goal NOT met");
  heart.stop();
  Application::DestroyForms();
  QDir::setCurrent(QDir::tempPath());
  return TThread::ProcessExit(0);
}
