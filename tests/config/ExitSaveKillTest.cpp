// A kill at any moment of the search start's and the exit's saves leaves
// every task and every mask-history entry as it was or as it was saved,
// never some of each, and no half-written file. The saves run in a helper
// process of the program's own code, killed after random delays.
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "config/Settings.h"
#include "platform/fs/FileReplace.h"
#include "platform/ui/ListView.h"
#include "support/ProgramFolder.h"
#include "transfer/Tasks.h"

namespace {

constexpr int Tasks = 300;
constexpr int History = 800;
constexpr int Kills = 50;
constexpr int Parallel = 10;

QByteArray OldSettings() {
  QByteArray s = "[General]\nWindowMax=1\nViewStyle=1\nLanguage=English\n\n[MainHeaderPos]\nName=50\n\n[Patterns]\n";
  for (int i = 1; i <= History; ++i) s += "Pattern" + QByteArray::number(i) + "=mask" + QByteArray::number(i) + ".*\n";
  return s;
}

QByteArray OldTasks() {
  QByteArray s;
  for (int i = 1; i <= Tasks; ++i) {
    const QByteArray n = QByteArray::number(i);
    s += "[task " + n + "]\nSource=\\\\PC\\share\\" + n + "\\\nDestination=C:\\copy\\" + n + "\\\nMode=" +
         QByteArray::number(i % 2) + "\nProgress=" + QByteArray::number(i % 90) + "\n\n";
  }
  return s;
}

void WriteFile(const QString& path, const QByteArray& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(content), content.size());
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Items(const QComboBox* combo) {
  QStringList out;
  for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
  return out;
}

// A helper run on a folder: killed `killAfterUs` after it starts saving,
// or (below 0) left to end.
class THelperRun {
 public:
  THelperRun(const QString& folder, qint64 killAfterUs) {
    QStringList args{folder};
    if (killAfterUs >= 0) args << QString::number(killAfterUs);
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(QStringLiteral(EXIT_SAVE_HELPER), args);
  }
  // Waits for the end; false when the helper did not get to its save.
  bool Finish() {
    FProcess.waitForFinished(60000);
    FOutput = FProcess.readAllStandardOutput();
    return FOutput.contains("saving\n");
  }
  // The time the whole save took; -1 when it was killed before its end.
  qint64 SavedInUs() const {
    const qsizetype at = FOutput.indexOf("saved in ");
    return at < 0 ? -1 : FOutput.mid(at + 9).split(' ').value(0).toLongLong();
  }

 private:
  QProcess FProcess;
  QByteArray FOutput;
};

// What the program finds in the folder at its next start.
struct TFound {
  QStringList History;
  QList<QStringList> Tasks;  // caption and sub-items of each row
  int FirstWidth = 0;
};

TFound Start(ProgramFolder& folder) {
  TFound found;
  folder.CreateWindows();
  if (!FormMain || !SettingsIni) return found;
  LoadTasks();
  found.History = Items(FormMain->EditPattern);
  for (int i = 0; i < FormMain->ListViewLoads->Count(); ++i)
    found.Tasks << (QStringList{FormMain->ListViewLoads->Item(i).Caption} + FormMain->ListViewLoads->Item(i).SubItems);
  found.FirstWidth = FormMain->ListViewResult->ColumnWidth(0);
  folder.DestroyWindows();
  return found;
}

}  // namespace

TEST(ExitSaveKill, EveryTaskAndHistoryEntryIsOldOrNewAfterAKillAtAnyMoment) {
  const QByteArray oldSettings = OldSettings(), oldTasks = OldTasks();

  // The states before and after a whole save, and how long a save takes
  // (the median of a few saves that run at once, as the kills below do).
  TFound before, after;
  QByteArray newTasks;
  qint64 saveUs = 0;
  {
    ProgramFolder folder(oldSettings);
    folder.WriteFile("tasks.ini", oldTasks);
    before = Start(folder);
    std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    std::vector<std::unique_ptr<THelperRun>> runs;
    runs.push_back(std::make_unique<THelperRun>(folder.Path(), -1));
    for (int j = 1; j < Parallel; ++j) {
      dirs.push_back(std::make_unique<QTemporaryDir>());
      WriteFile(QDir(dirs.back()->path()).filePath("settings.ini"), oldSettings);
      WriteFile(QDir(dirs.back()->path()).filePath("tasks.ini"), oldTasks);
      runs.push_back(std::make_unique<THelperRun>(dirs.back()->path(), -1));
    }
    std::vector<qint64> times;
    for (auto& run : runs) {
      ASSERT_TRUE(run->Finish());
      times.push_back(run->SavedInUs());
      ASSERT_GT(times.back(), 0);
    }
    std::sort(times.begin(), times.end());
    saveUs = times[times.size() / 2];
    newTasks = folder.ReadFile("tasks.ini");
    after = Start(folder);
  }
  ASSERT_EQ(before.History.size(), History);
  ASSERT_EQ(after.History.size(), History + 1);
  ASSERT_EQ(before.Tasks.size(), Tasks);
  ASSERT_EQ(after.Tasks.size(), Tasks + 1);
  ASSERT_EQ(before.FirstWidth, 50);
  ASSERT_EQ(after.FirstWidth, 77);

  // The kills, spread over the whole save and a little beyond it; several
  // helpers run at once.
  QRandomGenerator random(20261209);
  std::vector<std::unique_ptr<QTemporaryDir>> dirs;
  for (int k = 0; k < Kills; k += Parallel) {
    std::vector<std::unique_ptr<THelperRun>> runs;
    for (int j = k; j < std::min(Kills, k + Parallel); ++j) {
      dirs.push_back(std::make_unique<QTemporaryDir>());
      const QDir dir(dirs.back()->path());
      WriteFile(dir.filePath("settings.ini"), oldSettings);
      WriteFile(dir.filePath("tasks.ini"), oldTasks);
      runs.push_back(std::make_unique<THelperRun>(dir.path(), qint64(random.bounded(1.2) * double(saveUs))));
    }
    for (auto& run : runs) EXPECT_TRUE(run->Finish());
  }

  const QStringList temporary = {QFileInfo(FileReplace::TempName(QStringLiteral("/x/settings.ini"))).fileName(),
                                 QFileInfo(FileReplace::TempName(QStringLiteral("/x/tasks.ini"))).fileName()};
  QHash<QByteArray, TFound> outcomes;
  int seen[8] = {};
  for (int k = 0; k < Kills; ++k) {
    SCOPED_TRACE(k);
    const QDir dir(dirs[size_t(k)]->path());
    // No other file, unless the new content was killed between the two
    // system calls that name it and rename it; then it is complete under
    // the one temporary name, and the next save removes it.
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
      EXPECT_TRUE(name == "settings.ini" || name == "tasks.ini" || temporary.contains(name)) << name.toStdString();
    const QByteArray tasks = ReadFile(dir.filePath("tasks.ini"));
    EXPECT_TRUE(tasks == oldTasks || tasks == newTasks) << "tasks.ini holds a mix";

    // The program's own loading, once for each distinct pair of files.
    const QByteArray settings = ReadFile(dir.filePath("settings.ini"));
    const QByteArray key = QCryptographicHash::hash(settings + '\0' + tasks, QCryptographicHash::Sha1);
    if (!outcomes.contains(key)) {
      ProgramFolder folder(settings);
      folder.WriteFile("tasks.ini", tasks);
      outcomes.insert(key, Start(folder));
    }
    const TFound& found = outcomes[key];
    const bool newHistory = found.History == after.History, newTasks = found.Tasks == after.Tasks,
               newWidth = found.FirstWidth == after.FirstWidth;
    EXPECT_TRUE(newHistory || found.History == before.History) << found.History.size() << " history entries";
    EXPECT_TRUE(newTasks || found.Tasks == before.Tasks) << found.Tasks.size() << " tasks";
    EXPECT_TRUE(newWidth || found.FirstWidth == before.FirstWidth);
    ++seen[(newHistory ? 4 : 0) + (newWidth ? 2 : 0) + (newTasks ? 1 : 0)];
  }
  // Where the kills fell: before the save, after the history, after the
  // settings, after the tasks.
  std::printf("kills by files saved: none %d, history %d, history+settings %d, all %d, other %d\n", seen[0], seen[4],
              seen[6], seen[7], seen[1] + seen[2] + seen[3] + seen[5]);
}
