// Runs the program's search start and exit save on a program folder, for
// the test that kills it at random moments of that save:
//   exit_save_helper FOLDER [KILL_AFTER_MICROSECONDS]
// starts the program in FOLDER (settings.ini, tasks.ini), changes every task
// row, a column width and the search mask, prints "saving" and then saves as
// the program does: the mask history at a search start, then the settings
// and the tasks as the main window closes. Prints "saved in N us" at the end. With
// a delay, the process is killed with SIGKILL that long after "saving",
// wherever the save then is (a thread of its own sends the signal, so that
// many runs can go at once without their timing depending on each other).
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "app/Application.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "transfer/Tasks.h"

namespace {

void Say(const char* line) {
  std::printf("%s\n", line);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  if (argc < 2 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) return 2;
  Application::CreateForms();
  if (!FormMain || !SettingsIni) return 3;
  FormMain->show();  // loads the tasks
  QCoreApplication::processEvents();

  // The new state: every task one percent further, one task more, a wider
  // first column, a new mask.
  TListView* tasks = FormMain->ListViewLoads;
  for (int i = 0; i < tasks->Count(); ++i)
    tasks->SetSubItem(i, tcComplete, QString::number(CompletePercent(tasks->SubItem(i, tcComplete)) + 1) + u'%');
  TListItem added;
  added.Caption = QStringLiteral("added task");
  added.SubItems << TextTasksLoad << QStringLiteral("0%") << QString() << QString()
                 << QStringLiteral("\\\\PC\\share\\added\\") << QStringLiteral("C:\\added\\");
  tasks->AddItem(added);
  FormMain->ListViewResult->SetColumnWidth(0, 77);
  FormMain->EditPattern->setEditText(QStringLiteral("zz new mask.*"));

  Say("saving");
  const auto start = std::chrono::steady_clock::now();
  if (argc > 2) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(std::atoll(argv[2]));
    std::thread([deadline] {
      std::this_thread::sleep_until(deadline);
      ::kill(::getpid(), SIGKILL);
    }).detach();
  }
  SavePatterns();
  FormMain->close();  // saves the settings and the tasks
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::printf("saved in %lld us\n", static_cast<long long>(took.count()));
  std::fflush(stdout);
  ::_exit(0);
}
