// Sorting 100,000 result rows by each of the six columns, both directions,
// each sort starting from the same unsorted list. The Date column is sorted
// twice: with day-first dates and a 24-hour clock, and with the month-first
// dates, two-digit years and AM/PM times of a United States desktop.
// Goal: every sort under 0.3 s. Each sort runs three times; the slowest
// wall-clock time is held against the goal. The median processor time of the
// sorting thread is shown beside it, for machines shared with other work.
//
// Usage: sort_bench [rows]. The text columns collate by the locale of the
// environment (LANG), which the output names.
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/ListView.h"
#include "search/Sort_result.h"

namespace {

constexpr qint64 GoalMs = 300;
constexpr int Runs = 3;

qint64 ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

QString RandomWord(QRandomGenerator& rng, int minLen, int maxLen) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ -";
  const int n = minLen + rng.bounded(maxLen - minLen + 1);
  QString w;
  w.reserve(n);
  for (int i = 0; i < n; ++i) w += QLatin1Char(letters[rng.bounded(int(sizeof(letters) - 1))]);
  return w;
}

// The unsorted rows, with Date texts in the formats in force.
std::vector<TListItem> MakeRows(int count) {
  QRandomGenerator rng(12345);
  const QStringList types = {"txt", "doc", "jpg", "png", "exe", "dll", "zip", "htm", "mp3", "", "xls", "pdf"};
  QStringList computers;
  for (int i = 0; i < 40; ++i) computers << QStringLiteral("PC%1").arg(i);
  QStringList paths;
  for (int i = 0; i < 2000; ++i)
    paths << QStringLiteral("\\%1\\%2\\").arg(RandomWord(rng, 3, 8), RandomWord(rng, 3, 12));
  const QDate firstDay(2000, 1, 1);
  std::vector<TListItem> rows;
  rows.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    const bool folder = rng.bounded(20) == 0;
    const QDate day = firstDay.addDays(rng.bounded(9000));
    // One file in eight at midnight, as copied or extracted files often are.
    const QTime time = rng.bounded(8) == 0 ? QTime(0, 0) : QTime(0, 0).addSecs(rng.bounded(86400) / 2 * 2);
    TListItem row;
    row.Caption = RandomWord(rng, 3, 20);
    row.SubItems = {folder ? QString() : types[rng.bounded(types.size())],
                    folder ? TextFileDir : QString::number(rng.bounded(50000000)),
                    DateFormat::DateTimeToListStr(day, time),
                    QStringLiteral("-a--"),
                    computers[rng.bounded(computers.size())],
                    paths[rng.bounded(paths.size())]};
    rows.push_back(row);
  }
  return rows;
}

void Load(TListView& list, const std::vector<TListItem>& rows) {
  list.BeginUpdate();
  list.Clear();
  for (const TListItem& row : rows) list.AddItem(row);
  list.EndUpdate();
}

// Times one column in one direction; returns whether its median met the goal.
bool Measure(TListView& list, const std::vector<TListItem>& rows, int column, bool descending, const char* label) {
  std::vector<qint64> wall, cpu;
  for (int run = 0; run < Runs; ++run) {
    Load(list, rows);
    SortDescending[column] = descending;
    QElapsedTimer t;
    const qint64 cpuStart = ThreadCpuMs();
    t.start();
    SortListByColumn(&list, column);
    wall.push_back(t.elapsed());
    cpu.push_back(ThreadCpuMs() - cpuStart);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  const qint64 cpuMedian = cpu[cpu.size() / 2];
  const bool met = wall.back() < GoalMs;
  std::printf("sort by %-17s %-10s  slowest %4lld ms (median %4lld, cpu %4lld)  goal %lld ms: %s\n", label,
              descending ? "descending" : "ascending", static_cast<long long>(wall.back()),
              static_cast<long long>(wall[wall.size() / 2]), static_cast<long long>(cpuMedian),
              static_cast<long long>(GoalMs), met ? "met" : "NOT met");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int count = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
  TextFileDir = QStringLiteral("<dir>");
  std::printf("sorting %d result rows; texts collate by the locale \"%s\"\n", count,
              qPrintable(QLocale().name()));

  DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
  DateFormat::SetLongTimeFormat(QStringLiteral("h:nn:ss"));
  const std::vector<TListItem> rows = MakeRows(count);
  TListView list;
  const char* names[6] = {"Name", "Type", "Size", "Date", "Computer", "Path"};
  bool allMet = true;
  for (int column = 0; column < 6; ++column)
    for (bool descending : {false, true}) allMet = Measure(list, rows, column, descending, names[column]) && allMet;

  DateFormat::SetShortDateFormat(QStringLiteral("m/d/yy"));
  DateFormat::SetLongTimeFormat(QStringLiteral("h:nn:ss ampm"));
  const std::vector<TListItem> usRows = MakeRows(count);
  std::printf("  (for example \"%s\")\n", qPrintable(usRows.front().SubItems.at(2)));
  for (bool descending : {false, true}) allMet = Measure(list, usRows, 3, descending, "Date (m/d/yy AM)") && allMet;

  std::printf("goal (every sort under %lld ms): %s\n", static_cast<long long>(GoalMs), allMet ? "met" : "NOT met");
  return allMet ? 0 : 1;
}
