// A pattern search over a generated simulated network of about 100,000
// entries, timed beside a plain recursive case-insensitive name match over
// the same tree in the same run (readdir + stat + fnmatch). Prints both
// times, their ratio (goal: at most 3) and the search's rows per second.
// Run: build/bench/search_bench [work folder]
// With a work folder the generated network is kept there and reused by
// later runs; without one it lives in a temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "BenchGui.h"
#include "app/Application.h"
#include "app/Main.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"
#include "platform/net/NetBackend.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TreeChecks.h"
#include "search/Searchpattern_thread.h"

namespace {

constexpr int kShares = 4;
constexpr int kTop = 25;       // folders in each share
constexpr int kSub = 10;       // folders in each of those
constexpr int kFiles = 96;     // files in each of those
const char* const kTypes[] = {"txt", "doc", "jpg", "mp3", "c", "h", "pdf", "dat"};

// Returns the number of entries made.
long Generate(const QString& share) {
  long n = 0;
  for (int t = 0; t < kTop; ++t) {
    const QString top = share + QStringLiteral("/Folder%1").arg(t, 2, 10, QChar('0'));
    QDir().mkpath(top);
    ++n;
    for (int s = 0; s < kSub; ++s) {
      const QString sub = top + QStringLiteral("/Sub%1").arg(s, 2, 10, QChar('0'));
      QDir().mkpath(sub);
      ++n;
      for (int f = 0; f < kFiles; ++f) {
        BenchGui::Touch(sub + QStringLiteral("/File%1.%2").arg(f, 3, 10, QChar('0')).arg(kTypes[f % 8]));
        ++n;
      }
    }
  }
  return n;
}

// The plain walk: every entry whose name matches, case-insensitively.
long PlainWalk(const QByteArray& folder, const char* mask) {
  long matches = 0;
  DIR* dir = opendir(folder.constData());
  if (!dir) return 0;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) continue;
    const QByteArray path = folder + '/' + e->d_name;
    struct stat st;
    if (lstat(path.constData(), &st) != 0) continue;
    if (fnmatch(mask, e->d_name, FNM_CASEFOLD) == 0) ++matches;
    if (S_ISDIR(st.st_mode)) matches += PlainWalk(path, mask);
  }
  closedir(dir);
  return matches;
}

double Seconds(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

}  // namespace

int main(int argc, char** argv) {
  Memory::UseOnePool();  // as the program starts
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/search_bench-XXXXXX"));
  const QString program = BenchGui::ProgramFolder(temp);
  if (program.isEmpty()) return 1;
  const QString network = argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/search_bench-network")
                                   : temp.filePath(QStringLiteral("network"));
  const QString complete = network + QStringLiteral("/complete");
  long entries = 0;
  if (QFile::exists(complete)) {
    QFile f(complete);
    if (f.open(QIODevice::ReadOnly)) entries = f.readAll().trimmed().toLong();
  } else {
    QDir(network).removeRecursively();
    for (int s = 0; s < kShares; ++s)
      entries += Generate(network + QStringLiteral("/WORK/PC1/share%1").arg(s));
    QFile f(complete);
    if (f.open(QIODevice::WriteOnly)) f.write(QByteArray::number(entries));
  }
  std::printf("network: %ld entries in %d shares\n", entries, kShares);

  NetBackend::UseSimulated(network);
  BenchGui::Open(program);
  auto* pc = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(QStringLiteral("PC1")));
  SetStateIndex(pc, STATE_CHECKED);
  for (int s = 0; s < kShares; ++s)
    SetStateIndex(new QTreeWidgetItem(pc, QStringList(QStringLiteral("share%1").arg(s))), STATE_CHECKED);

  const QByteArray shares = QFile::encodeName(network + QStringLiteral("/WORK/PC1"));
  PlainWalk(shares, "*");  // warm the cache
  bool allMet = true;
  for (const char* mask : {"*.txt", "file0*.*", "*"}) {
    QElapsedTimer plain;
    plain.start();
    long expected = 0;
    for (int s = 0; s < kShares; ++s) expected += PlainWalk(shares + "/share" + QByteArray::number(s), mask);
    const double plainSeconds = Seconds(plain);

    QElapsedTimer search;
    search.start();
    FormMain->EditPattern->setEditText(QString::fromLatin1(mask));
    FormMain->ButtonFindClick(nullptr);
    while (SearchPatternThread != nullptr) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double searchSeconds = Seconds(search);
    while (TThread::RunningCount() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();

    const int rows = FormMain->ListViewResult->Count();
    const double ratio = searchSeconds / plainSeconds;
    allMet = allMet && ratio <= 3.0;
    std::printf("mask %-9s plain walk %.3f s (%ld matches), search %.3f s (%d rows, %.0f rows/s), ratio %.2f (goal <= 3)%s\n",
                mask, plainSeconds, expected, searchSeconds, rows, rows / searchSeconds, ratio,
                rows == expected ? "" : "  ROW COUNT DIFFERS");
  }
  std::printf("%s\n", allMet ? "goal met" : "goal NOT met");
  BenchGui::Close();
  return 0;
}
