#include "search/Sort_result.h"

#include <QAction>
#include <QCollator>
#include <QHash>
#include <algorithm>
#include <functional>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/ListView.h"
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

qint64 DateKey(const QString& text) {
  QDate date;
  QTime time;
  if (!DateFormat::TryStrToDateAndTime(text, date, time)) return Unreadable;
  // Wall-clock order of the text itself, as it was written.
  return date.toJulianDay() * 86400000LL + time.msecsSinceStartOfDay();
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

namespace {

QCollator& LocaleCollator() {
  static QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

}  // namespace

int CompareTextLocale(const QString& a, const QString& b) {
  const int r = LocaleCollator().compare(a, b);
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

namespace {

// What one row is compared by, read once before the sort: whether it is a
// folder row and its value under the column's rule (a number, a date, or the
// rank of a text in the locale's order).
struct RowKey {
  qint64 Value = 0;
  bool Folder = false;
};

// Ranks of texts in the locale's case-insensitive order; texts that compare
// equal share a rank. Distinct texts are collated among themselves once.
// Rows often share one text buffer (the Computer and Path of one folder's
// rows, the folder marker), so texts are told apart by their buffers: far
// cheaper than hashing their characters, and a buffer shared by several rows
// holds one and the same text while the rows do not change.
class TextRanks {
 public:
  explicit TextRanks(int expected) { FIndex.reserve(expected); }
  // Registers a text, which must outlive the ranks, and returns its slot;
  // ranks are known after Finish.
  int Add(const QString& text) {
    const BufferId id{text.constData(), text.size()};
    const auto it = FIndex.constFind(id);
    if (it != FIndex.cend()) return it.value();
    const int slot = int(FTexts.size());
    FIndex.insert(id, slot);
    FTexts.push_back(&text);
    return slot;
  }
  void Finish() {
    // The texts are collated from one block of characters, in the order they
    // are sorted in: each comparison then reads close by, not from buffers
    // spread over the whole list.
    std::vector<char16_t> block;
    size_t total = 0;
    for (const QString* text : FTexts) total += size_t(text->size());
    block.reserve(total);
    std::vector<Entry> entries;
    entries.reserve(FTexts.size());
    for (size_t slot = 0; slot < FTexts.size(); ++slot) {
      const QString& text = *FTexts[slot];
      entries.push_back({block.size(), size_t(text.size()), slot});
      block.insert(block.end(), text.utf16(), text.utf16() + text.size());
    }
    const QCollator& collator = LocaleCollator();
    const auto compare = [&](const Entry& a, const Entry& b) {
      return collator.compare(QStringView(block.data() + a.Offset, qsizetype(a.Length)),
                              QStringView(block.data() + b.Offset, qsizetype(b.Length)));
    };
    // Merging needs fewer comparisons than quicksort, and each one is a
    // locale collation.
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) { return compare(a, b) < 0; });
    FRank.assign(FTexts.size(), 0);
    int rank = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (i > 0 && compare(entries[i - 1], entries[i]) != 0) ++rank;
      FRank[entries[i].Slot] = rank;
    }
  }
  int Rank(int slot) const { return FRank[static_cast<size_t>(slot)]; }

 private:
  struct Entry {
    size_t Offset;  // in the block of characters
    size_t Length;
    size_t Slot;
  };
  using BufferId = std::pair<const QChar*, qsizetype>;
  QHash<BufferId, int> FIndex;
  std::vector<const QString*> FTexts;  // the rows' own texts, unchanged while ranked
  std::vector<int> FRank;
};

// The keys of every row of `list` under `column`, in row order.
std::vector<RowKey> ReadKeys(const TListView& list, int column) {
  const size_t n = size_t(list.Count());
  std::vector<RowKey> keys(n);
  // Rows whose key is a text's rank, and the text's slot among the ranks.
  std::vector<int> textSlot(n, -1);
  TextRanks ranks(column == 2 || column == 3 ? 64 : int(n));
  for (size_t i = 0; i < n; ++i) {
    const TListItem& row = list.Item(int(i));
    RowKey& key = keys[i];
    key.Folder = IsFolderRow(row);
    switch (column) {
      case 0: textSlot[i] = ranks.Add(row.Caption); break;
      // Folders have no type and no size: they go by name.
      case 1: textSlot[i] = ranks.Add(key.Folder ? row.Caption : SubItem(row, SubType)); break;
      case 2:
        if (key.Folder) textSlot[i] = ranks.Add(row.Caption);
        else key.Value = SizeValue(SubItem(row, SubSize));
        break;
      case 3: key.Value = DateKey(SubItem(row, SubDate)); break;
      case 4: textSlot[i] = ranks.Add(SubItem(row, SubComputer)); break;
      default: textSlot[i] = ranks.Add(SubItem(row, SubPath)); break;
    }
  }
  ranks.Finish();
  for (size_t i = 0; i < n; ++i)
    if (textSlot[i] >= 0) keys[i].Value = ranks.Rank(textSlot[i]);
  return keys;
}

// The comparators' rule over read keys: the same result as
// Comparators[column] gives for the two rows.
int CompareKeys(const RowKey& a, const RowKey& b, int column) {
  if (const int kind = FolderFirst(a.Folder, b.Folder)) return kind;
  const int r = Sign(a.Value, b.Value);
  if (column == 2 && a.Folder) return r;  // folders stay A to Z under Size
  return Directed(r, column);
}

}  // namespace

void SortListByColumn(TListView* list, int column) {
  if (!list || column < 0 || column > 5) return;
  const Comparator compare = Comparators[column];
  const int n = list->Count();
  // The list hands the comparator its own rows, which lie side by side in
  // row order while it sorts; a row's place there finds its key. Should the
  // rows ever not lie that way, every comparison reads the texts instead.
  const TListItem* first = n > 0 ? &list->Item(0) : nullptr;
  const bool sideBySide = n > 1 && &list->Item(n - 1) == first + (n - 1) && &list->Item(n / 2) == first + n / 2;
  if (!sideBySide) {
    list->CustomSort([compare, column](const TListItem& a, const TListItem& b) { return compare(a, b, column); });
    return;
  }
  const std::vector<RowKey> keys = ReadKeys(*list, column);
  const TListItem* end = first + n;
  const auto indexOf = [first, end](const TListItem& row) -> std::ptrdiff_t {
    const std::less<const TListItem*> before;
    if (before(&row, first) || !before(&row, end)) return -1;
    return &row - first;
  };
  list->CustomSort([&](const TListItem& a, const TListItem& b) {
    const std::ptrdiff_t ia = indexOf(a);
    const std::ptrdiff_t ib = indexOf(b);
    if (ia < 0 || ib < 0) return compare(a, b, column);
    return CompareKeys(keys[static_cast<size_t>(ia)], keys[static_cast<size_t>(ib)], column);
  });
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
