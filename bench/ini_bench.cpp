// The settings, tasks and language files at their sizes of heavy use: the
// exit save with 2,000 tasks, the start-up and the search start with 10,000
// mask-history entries, the start-up with 2,000 tasks and switching to a
// language file that holds a 100,000-character text.
// Goal: each under 0.5 s.
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "app/Application.h"
#include "app/Main.h"
#include "config/Languages.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "transfer/Tasks.h"

namespace {

constexpr double GoalSeconds = 0.5;
int Failures = 0;

void WriteFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(2);
  }
}

QByteArray SettingsWithHistory(int entries) {
  QByteArray s = "[General]\nWindowMax=1\nViewStyle=1\nLanguage=English\n\n[Patterns]\n";
  for (int i = 1; i <= entries; ++i) s += "Pattern" + QByteArray::number(i) + "=mask" + QByteArray::number(i) + ".*\n";
  return s;
}

QByteArray TasksFile(int tasks) {
  QByteArray s;
  for (int i = 1; i <= tasks; ++i) {
    const QByteArray n = QByteArray::number(i);
    s += "[task " + n + "]\nSource=\\\\SERVER\\share\\folder " + n + "\\\nDestination=C:\\home\\user\\copy " + n +
         "\\\nMode=" + QByteArray::number(i % 2) + "\nProgress=" + QByteArray::number(i % 101) + "\n\n";
  }
  return s;
}

QByteArray LanguageFile(int textLength) {
  QByteArray s = "[Language]\nLanguage=Long\n\n[Messages]\nSearch=";
  s += QByteArray(textLength, 'x');
  s += "\n\n[Errors]\nEnter=Eingabefehler\n";
  return s;
}

void Measure(const char* what, const std::function<void()>& run) {
  QElapsedTimer t;
  t.start();
  run();
  const double s = double(t.nsecsElapsed()) / 1e9;
  const bool ok = s < GoalSeconds;
  if (!ok) ++Failures;
  std::printf("%-52s %8.3f s   goal < %.1f s   %s\n", what, s, GoalSeconds, ok ? "ok" : "MISSED");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  const int tasks = 2000, history = 10000, textLength = 100000;

  QTemporaryDir dir;
  WriteFile(dir.filePath(QStringLiteral("settings.ini")), SettingsWithHistory(history));
  WriteFile(dir.filePath(QStringLiteral("tasks.ini")), TasksFile(tasks));
  QDir(dir.path()).mkpath(QStringLiteral("lng"));
  WriteFile(dir.filePath(QStringLiteral("lng/Long.lng")), LanguageFile(textLength));
  QDir::setCurrent(dir.path());

  Application::CreateForms();
  if (!FormMain || !SettingsIni) {
    std::fprintf(stderr, "the program folder did not start\n");
    return 2;
  }

  Measure("start-up: load 10,000 history entries", [] { LoadPatterns(); });
  std::printf("   (%d entries listed)\n", FormMain->EditPattern->count());
  Measure("start-up: load 2,000 tasks", [] { LoadTasks(); });
  Measure("search start: save 10,000 history entries + 1", [] {
    FormMain->EditPattern->setEditText(QStringLiteral("new mask.txt"));
    SavePatterns();
  });
  Measure("exit: save settings and 2,000 tasks", [] {
    SaveSettings();
    SaveTasks();
  });
  Measure("language switch: a 100,000-character text", [] { LoadLanguage(QStringLiteral("Long")); });

  Application::DestroyForms();
  return Failures == 0 ? 0 : 1;
}
