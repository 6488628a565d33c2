// Sorting 100,000 result rows by each of the six columns, both directions.
// Goal: every sort under one second.
#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>

#include "config/En_language.h"
#include "platform/DateFormat.h"
#include "platform/ListView.h"
#include "search/Sort_result.h"

namespace {

QString RandomWord(QRandomGenerator& rng, int minLen, int maxLen) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ -";
  const int n = minLen + rng.bounded(maxLen - minLen + 1);
  QString w;
  w.reserve(n);
  for (int i = 0; i < n; ++i) w += QLatin1Char(letters[rng.bounded(int(sizeof(letters) - 1))]);
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;

  TextFileDir = QStringLiteral("<dir>");
  DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
  DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm:ss"));

  QRandomGenerator rng(12345);
  const QStringList types = {"txt", "doc", "jpg", "png", "exe", "dll", "zip", "htm", "mp3", "", "xls", "pdf"};
  QStringList computers;
  for (int i = 0; i < 40; ++i) computers << QStringLiteral("PC%1").arg(i);
  QStringList paths;
  for (int i = 0; i < 2000; ++i)
    paths << QStringLiteral("\\%1\\%2\\").arg(RandomWord(rng, 3, 8), RandomWord(rng, 3, 12));

  TListView list;
  list.BeginUpdate();
  const QDateTime base(QDate(2000, 1, 1), QTime(0, 0));
  for (int i = 0; i < rows; ++i) {
    const bool folder = rng.bounded(20) == 0;
    const QDateTime when = base.addSecs(qint64(rng.bounded(800000000)));
    TListItem row;
    row.Caption = RandomWord(rng, 3, 20);
    row.SubItems = {folder ? QString() : types[rng.bounded(types.size())],
                    folder ? TextFileDir : QString::number(rng.bounded(50000000)),
                    DateFormat::FormatDateTime(QStringLiteral("dd.mm.yyyy hh:mm:ss"), when),
                    QStringLiteral("-a--"),
                    computers[rng.bounded(computers.size())],
                    paths[rng.bounded(paths.size())]};
    list.AddItem(row);
  }
  list.EndUpdate();

  const char* names[6] = {"Name", "Type", "Size", "Date", "Computer", "Path"};
  bool allUnder = true;
  std::printf("sorting %d result rows\n", rows);
  for (int column = 0; column < 6; ++column) {
    for (int pass = 0; pass < 2; ++pass) {
      SortDescending[column] = !SortDescending[column];
      QElapsedTimer t;
      t.start();
      SortListByColumn(&list, column);
      const qint64 ms = t.elapsed();
      allUnder = allUnder && ms < 1000;
      std::printf("sort by %-8s %-10s %6lld ms\n", names[column], SortDescending[column] ? "descending" : "ascending",
                  static_cast<long long>(ms));
    }
  }
  std::printf("goal (each sort under 1000 ms): %s\n", allUnder ? "met" : "NOT met");
  return 0;
}
