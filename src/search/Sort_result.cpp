#include "search/Sort_result.h"

#include <QAction>
#include <QCollator>
#include <QHash>
#include <limits>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/DateFormat.h"
#include "platform/ListView.h"
#include "search/Search_state.h"

bool SortDescending[6] = {true, true, true, true, true, true};

namespace {

// Sub-items compared by the columns: 0 Type, 1 Size, 2 Date, 4 Computer, 5 Path.
constexpr int SubType = 0;
constexpr int SubSize = 1;
constexpr int SubDate = 2;
constexpr int SubComputer = 4;
constexpr int SubPath = 5;

// Texts, sizes or dates that do not read as such sort ahead of every value
// that does, and equal to one another, so the order stays consistent.
constexpr qint64 Unreadable = std::numeric_limits<qint64>::min();

const QString& SubItem(const TListItem& row, int index) {
  static const QString empty;
  return index < row.SubItems.size() ? row.SubItems.at(index) : empty;
}

bool IsFolderRow(const TListItem& row) { return SubItem(row, SubSize) == TextFileDir; }

int Sign(qint64 a, qint64 b) { return a > b ? 1 : (a < b ? -1 : 0); }

// Size texts are decimal byte counts; read as 64-bit so files of 2 GiB and
// more keep their place instead of failing or wrapping.
qint64 SizeValue(const QString& text) {
  const QChar* p = text.constData();
  const QChar* end = p + text.size();
  while (p < end && *p == u' ') ++p;
  while (end > p && end[-1] == u' ') --end;
  bool negative = false;
  if (p < end && (*p == u'-' || *p == u'+')) negative = *p++ == u'-';
  if (p == end || end - p > 18) return Unreadable;
  qint64 v = 0;
  for (; p < end; ++p) {
    const char16_t c = p->unicode();
    if (c < u'0' || c > u'9') return Unreadable;
    v = v * 10 + (c - u'0');
  }
  return negative ? -v : v;
}

qint64 ReadDateKey(const QString& text) {
  QDateTime value;
  if (!DateFormat::TryStrToDateTime(text, value)) return Unreadable;
  // Wall-clock order of the text itself, as it was written.
  return value.date().toJulianDay() * 86400000LL + value.time().msecsSinceStartOfDay();
}

// While one sort by date runs, each Date text is read only once. The texts
// do not change during a sort, so a text's character buffer identifies it
// (a buffer shared by several rows holds one and the same text).
QHash<const QChar*, qint64>* ActiveDateKeys = nullptr;

qint64 DateKey(const QString& text) {
  if (!ActiveDateKeys) return ReadDateKey(text);
  auto it = ActiveDateKeys->constFind(text.constData());
  if (it != ActiveDateKeys->cend()) return it.value();
  const qint64 key = ReadDateKey(text);
  ActiveDateKeys->insert(text.constData(), key);
  return key;
}

// Step 1 of every comparator: folders before files whatever the direction.
// Returns 0 when both rows are of one kind.
int FolderFirst(bool folder1, bool folder2) {
  if (folder1 && !folder2) return -1;
  if (!folder1 && folder2) return 1;
  return 0;
}

int Directed(int r, int column) {
  if (r != 0 && column >= 0 && column < 6 && SortDescending[column]) return r < 0 ? 1 : -1;
  return r;
}

template <typename Rule>
int CompareRows(const TListItem& row1, const TListItem& row2, int column, Rule rule) {
  const bool f1 = IsFolderRow(row1);
  const bool f2 = IsFolderRow(row2);
  if (const int kind = FolderFirst(f1, f2)) return kind;
  return Directed(rule(f1), column);
}

// The sort items of the View menu and of the result pop-up, by column.
struct SortMenus {
  QAction* Menu[6];
  QAction* Popup[6];
};

SortMenus MenusOf(const TFormMain* f) {
  return {{f->Name, f->Type, f->Size, f->Date, f->Computer, f->Path},
          {f->PName, f->PType, f->PSize, f->PDate, f->PComputer, f->PPath}};
}

using Comparator = int (*)(const TListItem&, const TListItem&, int);

constexpr Comparator Comparators[6] = {CompareByName,     CompareByType,     CompareBySize,
                                       CompareByDate,     CompareByComputer, CompareByPath};

}  // namespace

int CompareTextLocale(const QString& a, const QString& b) {
  static QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  const int r = collator.compare(a, b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CompareByName(const TListItem& row1, const TListItem& row2, int column) {
  return CompareRows(row1, row2, column, [&](bool) { return CompareTextLocale(row1.Caption, row2.Caption); });
}

int CompareByType(const TListItem& row1, const TListItem& row2, int column) {
  return CompareRows(row1, row2, column, [&](bool folders) {
    // Folders have no type: they go by name.
    return folders ? CompareTextLocale(row1.Caption, row2.Caption)
                   : CompareTextLocale(SubItem(row1, SubType), SubItem(row2, SubType));
  });
}

int CompareBySize(const TListItem& row1, const TListItem& row2, int column) {
  const bool f1 = IsFolderRow(row1);
  const bool f2 = IsFolderRow(row2);
  if (const int kind = FolderFirst(f1, f2)) return kind;
  // Folders have no size: they stay A to Z by name in either direction.
  if (f1) return CompareTextLocale(row1.Caption, row2.Caption);
  return Directed(Sign(SizeValue(SubItem(row1, SubSize)), SizeValue(SubItem(row2, SubSize))), column);
}

int CompareByDate(const TListItem& row1, const TListItem& row2, int column) {
  return CompareRows(row1, row2, column,
                     [&](bool) { return Sign(DateKey(SubItem(row1, SubDate)), DateKey(SubItem(row2, SubDate))); });
}

int CompareByComputer(const TListItem& row1, const TListItem& row2, int column) {
  return CompareRows(row1, row2, column,
                     [&](bool) { return CompareTextLocale(SubItem(row1, SubComputer), SubItem(row2, SubComputer)); });
}

int CompareByPath(const TListItem& row1, const TListItem& row2, int column) {
  return CompareRows(row1, row2, column,
                     [&](bool) { return CompareTextLocale(SubItem(row1, SubPath), SubItem(row2, SubPath)); });
}

void SortListByColumn(TListView* list, int column) {
  if (!list || column < 0 || column > 5) return;
  const Comparator compare = Comparators[column];
  QHash<const QChar*, qint64> dateKeys;
  if (column == 3) {
    dateKeys.reserve(list->Count());
    ActiveDateKeys = &dateKeys;
  }
  list->CustomSort([compare, column](const TListItem& a, const TListItem& b) { return compare(a, b, column); });
  ActiveDateKeys = nullptr;
}

void SortResultByColumn(int column) {
  if (column < 0 || column > 5) return;
  SortDescending[column] = !SortDescending[column];
  if (!FormMain) return;
  SortListByColumn(FormMain->ListViewResult, column);
  const SortMenus m = MenusOf(FormMain);
  if (m.Popup[column]) m.Popup[column]->setChecked(true);
  if (m.Menu[column]) m.Menu[column]->setChecked(true);
}

// ---------------------------------------------------------------- sort commands of the main window

namespace {

void SortFromMenu(TFormMain* form, QObject* sender, int column) {
  if (form->CanSortResults()) {
    SortResultByColumn(column);
    return;
  }
  // Refused. A radio item checks itself as it is clicked; give the clicked
  // menu back the mark that the other sort menu still shows.
  const SortMenus m = MenusOf(form);
  QAction* const* clicked = nullptr;
  QAction* const* other = nullptr;
  for (int i = 0; i < 6; ++i) {
    if (sender && sender == m.Menu[i]) clicked = m.Menu, other = m.Popup;
    if (sender && sender == m.Popup[i]) clicked = m.Popup, other = m.Menu;
  }
  if (!clicked) return;
  int marked = -1;
  for (int i = 0; i < 6; ++i)
    if (other[i] && other[i]->isChecked()) marked = i;
  if (marked >= 0) {
    clicked[marked]->setChecked(true);
  } else {
    for (int i = 0; i < 6; ++i)
      if (clicked[i]) clicked[i]->setChecked(false);
  }
}

}  // namespace

void TFormMain::NameClick(QObject* Sender) { SortFromMenu(this, Sender, 0); }
void TFormMain::TypeClick(QObject* Sender) { SortFromMenu(this, Sender, 1); }
void TFormMain::SizeClick(QObject* Sender) { SortFromMenu(this, Sender, 2); }
void TFormMain::DateClick(QObject* Sender) { SortFromMenu(this, Sender, 3); }
void TFormMain::ComputerClick(QObject* Sender) { SortFromMenu(this, Sender, 4); }
void TFormMain::PathClick(QObject* Sender) { SortFromMenu(this, Sender, 5); }

void TFormMain::ListViewResultColumnClick(QObject*, int Column) {
  // A header click sorts whenever no search can add rows, even on an empty
  // list; with a search worker present, CanSortResults tells whether it is
  // paused.
  if ((SearchPatternThread || SearchGroupThread) && !CanSortResults()) return;
  const QString caption = ListViewResult->ColumnCaption(Column);
  const QString* headers[6] = {&TextMainHeaderName, &TextMainHeaderType, &TextMainHeaderSize,
                               &TextMainHeaderDate, &TextMainHeaderComp, &TextMainHeaderPath};
  for (int i = 0; i < 6; ++i) {
    if (caption == *headers[i]) {
      SortResultByColumn(i);
      return;
    }
  }
}
