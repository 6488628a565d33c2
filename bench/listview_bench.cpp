// Fills a list view shown offscreen with 100,000 rows of seven columns, one
// row at a time as the search does, and times the additions and the changes
// of style. Run: build/bench/listview_bench [rows]
#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/ListView.h"

namespace {

// Runs the event loop until it has nothing left to do (a batched layout
// takes several turns), at most `limitMs`.
void Settle(int limitMs = 20000) {
  QElapsedTimer total;
  total.start();
  int quiet = 0;
  // A batch of layout takes a fraction of a millisecond, so "nothing left"
  // is many turns in a row that each take next to no time.
  while (quiet < 200 && total.elapsed() < limitMs) {
    QElapsedTimer turn;
    turn.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    quiet = turn.nsecsElapsed() < 50'000 ? quiet + 1 : 0;
  }
}

TListItem MakeRow(int i) {
  static const char* const kTypes[] = {"Text Document", "JPEG Image", "Folder", "MP3 Audio", "Application"};
  static const char* const kExt[] = {".txt", ".jpg", "", ".mp3", ".exe"};
  TListItem item;
  const int kind = i % 5;
  item.Caption = QStringLiteral("document_%1_report_final%2").arg(i).arg(QLatin1String(kExt[kind]));
  item.SubItems << QLatin1String(kTypes[kind]) << QString::number(1000 + (i * 7919) % 9000000)
                << QStringLiteral("12.03.2004 14:%1:%2").arg(i % 60, 2, 10, QLatin1Char('0')).arg(i % 59, 2, 10, QLatin1Char('0'))
                << QStringLiteral("A") << QStringLiteral("SERVER%1").arg(i % 40)
                << QStringLiteral("\\\\SERVER%1\\share\\projects\\2004\\folder%2\\").arg(i % 40).arg(i % 300);
  item.ImageIndex = kind;
  return item;
}

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

void TimeSwitch(TListView& view, TViewStyle style, const char* name) {
  QElapsedTimer t;
  t.start();
  view.SetViewStyle(style);
  QCoreApplication::processEvents();
  view.ActiveView()->repaint();
  const double shown = Ms(t);
  Settle();
  std::printf("  switch to %-7s shown after %8.1f ms, settled after %8.1f ms\n", name, shown, Ms(t));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

  TListView view;
  const char* captions[] = {"Name", "Type", "Size", "Date", "Attributes", "Computer", "Path"};
  const int widths[] = {150, 100, 100, 150, 100, 100, 150};
  for (int c = 0; c < 7; ++c) view.AddColumn(QLatin1String(captions[c]), widths[c]);
  view.SetImageProvider([](int index, bool large) {
    QPixmap pm(large ? 32 : 16, large ? 32 : 16);
    pm.fill(QColor::fromHsv(index * 60 % 360, 200, 200));
    return QIcon(pm);
  });
  view.resize(1000, 700);
  view.show();
  Settle();

  std::printf("TListView: %d rows, 7 columns, offscreen\n", rows);

  // As the search fills the list: one row at a time, the event loop turning
  // every 100 rows.
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < rows; ++i) {
    view.AddItem(MakeRow(i));
    if (i % 100 == 99) QCoreApplication::processEvents();
  }
  Settle();
  std::printf("  add, events every 100 rows: %8.2f us per row (%8.1f ms)\n", Ms(t) * 1000.0 / rows, Ms(t));

  TimeSwitch(view, vsIcon, "icon");
  TimeSwitch(view, vsList, "list");
  TimeSwitch(view, vsReport, "report");

  // A worker that hands over every row by a synchronised call lets the event
  // loop turn after each one; time the last rows so added to the full list.
  const int extra = std::min(2000, rows);
  t.restart();
  for (int i = 0; i < extra; ++i) {
    view.AddItem(MakeRow(rows + i));
    QCoreApplication::processEvents();
  }
  Settle();
  std::printf("  add to a full list, events every row: %8.2f us per row\n", Ms(t) * 1000.0 / extra);

  t.restart();
  view.SelectAll();
  QCoreApplication::processEvents();
  std::printf("  select all: %8.1f ms\n", Ms(t));
  t.restart();
  for (int i = 0; i < view.Count(); i += 2) view.SetSelected(i, false);
  QCoreApplication::processEvents();
  std::printf("  deselect every other row one by one: %8.1f ms\n", Ms(t));
  t.restart();
  view.CustomSort([](const TListItem& a, const TListItem& b) { return QString::compare(a.SubItems[0], b.SubItems[0]); });
  QCoreApplication::processEvents();
  view.ActiveView()->repaint();
  std::printf("  sort by type: %8.1f ms\n", Ms(t));
  t.restart();
  view.Clear();
  Settle();
  std::printf("  clear: %8.1f ms\n", Ms(t));
  return 0;
}
