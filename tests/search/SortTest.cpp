// Sorting the result list: the six comparators with folders first, the
// per-column directions, reading sizes and dates back, and the sort commands
// of the menus and the column headers.
#include <QAction>
#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/ListView.h"
#include "search/Sort_result.h"
#include "search/Search_state.h"
#include "search/Result_row.h"
#include "support/LocaleDates.h"
#include "support/ProgramFolder.h"
#include "support/SearchRun.h"

namespace {

TListItem Row(const QString& caption, const QString& type, const QString& size, const QString& date,
              const QString& computer = QStringLiteral("PC1"), const QString& path = QStringLiteral("\\docs\\")) {
  TListItem row;
  row.Caption = caption;
  row.SubItems = {type, size, date, QStringLiteral("-a--"), computer, path};
  return row;
}

TListItem File(const QString& caption, const QString& size, const QString& type = QStringLiteral("txt"),
               const QString& date = QStringLiteral("01.01.2020 00:00:00")) {
  return Row(caption, type, size, date);
}

TListItem Folder(const QString& caption, const QString& date = QStringLiteral("01.01.2020 00:00:00")) {
  return Row(caption, QString(), TextFileDir, date);
}

QStringList Captions(const TListView& list) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.Item(i).Caption;
  return out;
}

QStringList SubItems(const TListView& list, int sub) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.SubItem(i, sub);
  return out;
}

class ResultSort : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldMarker = TextFileDir;
    TextFileDir = QStringLiteral("<dir>");
    DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
    DateFormat::SetLongTimeFormat(QStringLiteral("h:mm:ss"));
    for (bool& d : SortDescending) d = true;
  }
  void TearDown() override {
    TextFileDir = FOldMarker;
    DateFormat::ResetToSystem();
    for (bool& d : SortDescending) d = true;
  }

  // Sorts as SortResultByColumn does, on a list of the test's own.
  void Sort(int column) {
    SortDescending[column] = !SortDescending[column];
    SortListByColumn(&List, column);
  }
  void Fill(std::initializer_list<TListItem> rows) {
    List.Clear();
    for (const TListItem& r : rows) List.AddItem(r);
  }

  TListView List;
  QString FOldMarker;
};

}  // namespace

TEST_F(ResultSort, SizeKeepsFoldersFirstByNameAndFilesByNumber) {
  Fill({File("b", "10"), Folder("Zeta"), File("a", "9"), Folder("alpha"), File("c", "100"), Folder("Beta")});
  Sort(2);
  EXPECT_EQ(Captions(List), QStringList({"alpha", "Beta", "Zeta", "a", "b", "c"}));  // 9 before 10
  Sort(2);
  EXPECT_EQ(Captions(List), QStringList({"alpha", "Beta", "Zeta", "c", "b", "a"}));
  Sort(2);
  EXPECT_EQ(Captions(List), QStringList({"alpha", "Beta", "Zeta", "a", "b", "c"}));
}

TEST_F(ResultSort, SizesOfTwoGigabytesAndMoreKeepTheirPlace) {
  Fill({File("huge", "5000000000"), File("max", "2147483647"), File("big", "2147483648"), File("small", "0")});
  Sort(2);
  EXPECT_EQ(Captions(List), QStringList({"small", "max", "big", "huge"}));
}

TEST_F(ResultSort, NameSortsFoldersThenFilesEachWayAndIgnoresLetterCase) {
  Fill({File("delta", "1"), Folder("Docs"), File("Alpha", "1"), Folder("archive"), File("charlie", "1")});
  Sort(0);
  EXPECT_EQ(Captions(List), QStringList({"archive", "Docs", "Alpha", "charlie", "delta"}));
  Sort(0);
  EXPECT_EQ(Captions(List), QStringList({"Docs", "archive", "delta", "charlie", "Alpha"}));

  // Equal names keep their order in either direction (stable sort).
  Fill({File("Report", "1", "doc"), File("report", "2", "txt"), File("REPORT", "3", "xls")});
  Sort(0);
  EXPECT_EQ(SubItems(List, 0), QStringList({"doc", "txt", "xls"}));
  Sort(0);
  EXPECT_EQ(SubItems(List, 0), QStringList({"doc", "txt", "xls"}));
  EXPECT_EQ(CompareTextLocale("Report", "rEPORT"), 0);
}

TEST_F(ResultSort, TypeSortsFilesByTypeAndFoldersByName) {
  Fill({File("a", "1", "zip"), Folder("b-folder"), File("b", "1", "DOC"), Folder("a-folder"), File("c", "1", "")});
  Sort(1);
  EXPECT_EQ(Captions(List), QStringList({"a-folder", "b-folder", "c", "b", "a"}));
  Sort(1);
  EXPECT_EQ(Captions(List), QStringList({"b-folder", "a-folder", "a", "b", "c"}));
}

TEST_F(ResultSort, DatesAreReadBackByTheDateFormatNotComparedAsText) {
  Fill({File("new", "1", "txt", "02.01.2021"),
        File("ten", "1", "txt", "01.02.2020 10:00:00"),
        File("nine", "1", "txt", "01.02.2020 9:05:07"),
        Folder("late", "31.12.2022 23:59:59"),
        Folder("early", "15.06.1999")});
  Sort(3);
  EXPECT_EQ(Captions(List), QStringList({"early", "late", "nine", "ten", "new"}));
  // Folders follow the direction too when sorted by date.
  Sort(3);
  EXPECT_EQ(Captions(List), QStringList({"late", "early", "new", "ten", "nine"}));
}

TEST_F(ResultSort, ADateThatDoesNotReadGoesAheadOfTheOthers) {
  Fill({File("b", "1", "txt", "03.03.2020"), File("bad", "1", "txt", "2020-03-01 10:00"),
        File("a", "1", "txt", "01.03.2020"), File("empty", "1", "txt", "")});
  Sort(3);
  EXPECT_EQ(Captions(List), QStringList({"bad", "empty", "a", "b"}));
  Sort(3);
  EXPECT_EQ(Captions(List), QStringList({"b", "a", "bad", "empty"}));
}

TEST_F(ResultSort, ComputerAndPathCompareAsText) {
  Fill({Row("x", "txt", "1", "", "pc2", "\\b\\"), Row("y", "txt", "1", "", "PC10", "\\A\\sub\\"),
        Row("z", "txt", "1", "", "Pc1", "\\a\\")});
  Sort(4);
  EXPECT_EQ(Captions(List), QStringList({"z", "y", "x"}));
  Sort(5);
  EXPECT_EQ(Captions(List), QStringList({"z", "y", "x"}));
  Sort(5);
  EXPECT_EQ(Captions(List), QStringList({"x", "y", "z"}));
}

TEST_F(ResultSort, ComparatorsPutFoldersFirstWhateverTheDirection) {
  const TListItem folder = Folder("zz");
  const TListItem file = File("aa", "1");
  using Cmp = int (*)(const TListItem&, const TListItem&, int);
  const Cmp all[6] = {CompareByName, CompareByType, CompareBySize, CompareByDate, CompareByComputer, CompareByPath};
  for (int column = 0; column < 6; ++column) {
    for (bool descending : {false, true}) {
      SortDescending[column] = descending;
      EXPECT_EQ(all[column](folder, file, column), -1) << column;
      EXPECT_EQ(all[column](file, folder, column), 1) << column;
      EXPECT_EQ(all[column](file, file, column), 0) << column;
    }
  }
  // Two folders by size: by name, ascending in either direction.
  SortDescending[2] = true;
  EXPECT_EQ(CompareBySize(Folder("a"), Folder("b"), 2), -1);
  EXPECT_EQ(CompareBySize(File("a", "1"), File("b", "2"), 2), 1);
  SortDescending[2] = false;
  EXPECT_EQ(CompareBySize(Folder("a"), Folder("b"), 2), -1);
  EXPECT_EQ(CompareBySize(File("a", "1"), File("b", "2"), 2), -1);
}

TEST_F(ResultSort, FolderRowsFollowTheCurrentMarkerAfterALanguageSwitch) {
  TextFileDir = QStringLiteral("<Ordner>");
  Fill({File("a", "5"), Row("sub", "", "<Ordner>", ""), File("b", "3")});
  Sort(2);
  EXPECT_EQ(Captions(List), QStringList({"sub", "b", "a"}));
  Sort(0);
  EXPECT_EQ(Captions(List).first(), "sub");
}

TEST_F(ResultSort, DatesOfEachLocaleSortByTime) {
  // Shuffled times: AM and PM of one day, midnight, noon, two-digit years
  // on either side of 2000.
  const QDateTime times[] = {QDateTime(QDate(2026, 12, 8), QTime(21, 5, 6)), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)),
                             QDateTime(QDate(2026, 12, 8), QTime(9, 5, 6)),  QDateTime(QDate(2026, 12, 8), QTime(0, 0)),
                             QDateTime(QDate(2026, 12, 8), QTime(12, 0, 2)), QDateTime(QDate(2024, 3, 5), QTime(0, 0)),
                             QDateTime(QDate(2026, 12, 8), QTime(10, 0)),    QDateTime(QDate(2026, 12, 8), QTime(0, 30))};
  QStringList chronological;
  for (const char* name : {"y1999", "d2024", "midnight", "h0030", "h0905", "h1000", "h1200", "h2105"})
    chronological << QString::fromLatin1(name);
  const QStringList shuffled = {"h2105", "y1999", "h0905", "midnight", "h1200", "d2024", "h1000", "h0030"};
  for (const LocaleDates& l : FiveLocales()) {
    LocaleFormatsInForce formats(l);
    List.Clear();
    for (int i = 0; i < shuffled.size(); ++i) List.AddItem(File(shuffled[i], "1", "txt", ResultDateText(times[i])));
    SortDescending[3] = true;
    Sort(3);
    EXPECT_EQ(Captions(List), chronological) << l.Locale << ": " << SubItems(List, 2).join(" | ").toStdString();
    Sort(3);
    QStringList reversed(chronological.rbegin(), chronological.rend());
    EXPECT_EQ(Captions(List), reversed) << l.Locale;
  }
}

TEST_F(ResultSort, EverySortOrdersAsItsComparatorDoes) {
  // Texts that differ in letter case only, shared and unshared, folders,
  // sizes and dates that do not read: the list's sort and a plain stable
  // sort by the comparator agree, in both directions of every column.
  QRandomGenerator rng(7);
  const QStringList words = {"alpha", "Alpha", "ALPHA", "beta", "b", "Beta2", "", "_x", "x y", "Zeta", "zeta", "10", "9"};
  const QStringList dates = {"01.02.2020 09:05:07", "01.02.2020 9:05:07", "1.2.2020", "31.12.1999 23:59:58",
                             "junk", "", "15.06.2030 12:00:00"};
  const QStringList sizes = {"10", "9", "2147483648", "x", "", "0"};
  std::vector<TListItem> rows;
  for (int i = 0; i < 300; ++i) {
    const bool folder = rng.bounded(5) == 0;
    // Captions are copies made apart (a buffer each); the Computer texts
    // share the buffers of the word list.
    const QString& word = words[rng.bounded(words.size())];
    const QString& type = words[rng.bounded(words.size())];
    TListItem row = Row(QString(word.constData(), word.size()), folder ? QString() : type.toLower(),
                        folder ? TextFileDir : sizes[rng.bounded(sizes.size())], dates[rng.bounded(dates.size())],
                        words[rng.bounded(words.size())], QString::fromLatin1("\\%1\\").arg(words[rng.bounded(words.size())]));
    row.Caption += QString::number(rng.bounded(3));  // repeats of one caption too
    rows.push_back(row);
  }
  using Cmp = int (*)(const TListItem&, const TListItem&, int);
  const Cmp all[6] = {CompareByName, CompareByType, CompareBySize, CompareByDate, CompareByComputer, CompareByPath};
  for (int column = 0; column < 6; ++column) {
    for (bool descending : {false, true}) {
      List.Clear();
      for (const TListItem& r : rows) List.AddItem(r);
      SortDescending[column] = descending;
      SortListByColumn(&List, column);
      std::vector<TListItem> expected = rows;
      std::stable_sort(expected.begin(), expected.end(),
                       [&](const TListItem& a, const TListItem& b) { return all[column](a, b, column) < 0; });
      bool same = List.Count() == int(expected.size());
      for (int i = 0; same && i < List.Count(); ++i)
        same = List.Item(i).Caption == expected[size_t(i)].Caption && List.Item(i).SubItems == expected[size_t(i)].SubItems;
      EXPECT_TRUE(same) << "column " << column << (descending ? " descending" : " ascending");
    }
  }
}

// ---- the commands of the main window ----

namespace {

class SortCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder_.CreateWindows();
    Folder_.ShowMain();
    ASSERT_NE(FormMain, nullptr);
    DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
    DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm:ss"));
    for (bool& d : SortDescending) d = true;
  }
  void TearDown() override {
    DateFormat::ResetToSystem();
    for (bool& d : SortDescending) d = true;
  }

  void FillResults() {
    TListView* list = FormMain->ListViewResult;
    list->Clear();
    list->AddItem(Row("beta", "txt", "20", "02.01.2020 00:00:00"));
    list->AddItem(Row("sub", "", TextFileDir, "05.01.2020 00:00:00"));
    list->AddItem(Row("alpha", "doc", "100", "01.01.2020 00:00:00"));
    list->AddItem(Row("gamma", "bmp", "3", "03.01.2020 00:00:00"));
  }
  QStringList ResultCaptions() const { return Captions(*FormMain->ListViewResult); }
  int ColumnOf(const QString& caption) const {
    for (int i = 0; i < FormMain->ListViewResult->ColumnCount(); ++i)
      if (FormMain->ListViewResult->ColumnCaption(i) == caption) return i;
    return -1;
  }
  QAction* Checked(QAction* const (&items)[6]) const {
    for (QAction* a : items)
      if (a->isChecked()) return a;
    return nullptr;
  }

  ProgramFolder Folder_;
};

}  // namespace

TEST_F(SortCommands, SortByColumnFlipsSortsAndChecksBothMenuItems) {
  FillResults();
  SortResultByColumn(2);
  EXPECT_FALSE(SortDescending[2]);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "gamma", "beta", "alpha"}));
  EXPECT_TRUE(FormMain->Size->isChecked());
  EXPECT_TRUE(FormMain->PSize->isChecked());

  SortResultByColumn(0);
  EXPECT_TRUE(FormMain->Name->isChecked());
  EXPECT_TRUE(FormMain->PName->isChecked());
  EXPECT_FALSE(FormMain->Size->isChecked());
  EXPECT_FALSE(FormMain->PSize->isChecked());
  // Name, Date, Name: the Name flag has flipped twice, so names descend.
  SortResultByColumn(3);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "alpha", "beta", "gamma"}));
  SortResultByColumn(0);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "gamma", "beta", "alpha"}));
  EXPECT_TRUE(FormMain->PName->isChecked());
}

TEST_F(SortCommands, AColumnOutsideTheSixChangesNothing) {
  FillResults();
  for (QAction* a : {FormMain->Name, FormMain->PName}) a->setChecked(false);
  for (int column : {-1, 6, 7, 100}) SortResultByColumn(column);
  for (bool d : SortDescending) EXPECT_TRUE(d);
  EXPECT_EQ(ResultCaptions(), QStringList({"beta", "sub", "alpha", "gamma"}));
  for (QAction* a : {FormMain->Name, FormMain->Type, FormMain->Size, FormMain->Date, FormMain->Computer,
                     FormMain->Path, FormMain->PName, FormMain->PType, FormMain->PSize, FormMain->PDate,
                     FormMain->PComputer, FormMain->PPath})
    EXPECT_FALSE(a->isChecked()) << a->objectName().toStdString();
}

TEST_F(SortCommands, AHeaderClickSortsByTheColumnItsCaptionNames) {
  FillResults();
  const int type = ColumnOf(TextMainHeaderType);
  const int attr = ColumnOf(TextMainHeaderAttr);
  ASSERT_GE(type, 0);
  ASSERT_GE(attr, 0);
  FormMain->ListViewResultColumnClick(FormMain->ListViewResult, type);
  EXPECT_FALSE(SortDescending[1]);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "gamma", "alpha", "beta"}));
  EXPECT_TRUE(FormMain->PType->isChecked());

  // The attributes column sorts nothing.
  FormMain->ListViewResultColumnClick(FormMain->ListViewResult, attr);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "gamma", "alpha", "beta"}));
  for (bool d : {SortDescending[0], SortDescending[2], SortDescending[3], SortDescending[4], SortDescending[5]})
    EXPECT_TRUE(d);

  // Through the list's own signal, as a click on the header does.
  emit FormMain->ListViewResult->ColumnClick(ColumnOf(TextMainHeaderName));
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "alpha", "beta", "gamma"}));
}

TEST_F(SortCommands, OnAnEmptyListTheHeaderStillFlipsButTheMenuDoesNothing) {
  FormMain->ListViewResult->Clear();
  FormMain->ListViewResultColumnClick(FormMain->ListViewResult, ColumnOf(TextMainHeaderDate));
  EXPECT_FALSE(SortDescending[3]);
  FormMain->DateClick(FormMain->Date);
  EXPECT_FALSE(SortDescending[3]);
}

TEST_F(SortCommands, MenuItemsSortWhenNoSearchRuns) {
  FillResults();
  ASSERT_TRUE(FormMain->CanSortResults());
  FormMain->SizeClick(FormMain->PSize);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "gamma", "beta", "alpha"}));
  EXPECT_TRUE(FormMain->Size->isChecked());
  FormMain->SizeClick(FormMain->Size);
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "alpha", "beta", "gamma"}));
  FormMain->PathClick(FormMain->Path);
  EXPECT_TRUE(FormMain->PPath->isChecked());
  EXPECT_FALSE(SortDescending[5]);
  FormMain->ComputerClick(FormMain->PComputer);
  FormMain->TypeClick(FormMain->Type);
  FormMain->NameClick(FormMain->Name);
  FormMain->DateClick(FormMain->Date);
  for (int column : {0, 1, 3, 4, 5}) EXPECT_FALSE(SortDescending[column]) << column;
  EXPECT_TRUE(SortDescending[2]);  // sorted twice by size
  EXPECT_TRUE(FormMain->PDate->isChecked());
  EXPECT_EQ(ResultCaptions(), QStringList({"sub", "alpha", "beta", "gamma"}));
}

// ---- while a search adds rows ----

TEST(SortDuringSearch, HeaderAndMenuSortNothingUntilTheSearchIsPaused) {
  for (bool& d : SortDescending) d = true;
  {
    SearchRun run;
    run.Net.AddServer("WORK", "PC1");
    run.Net.AddShare("PC1", "docs");
    run.Net.AddFile("\\\\PC1\\docs\\b.txt", 2);
    run.Net.AddFile("\\\\PC1\\docs\\a.txt", 1);
    run.Net.AddFolder("\\\\PC1\\docs\\sub");
    run.Net.AddFile("\\\\PC1\\docs\\sub\\c.txt", 3);
    run.AddShare(run.AddComputer("PC1", true), "docs", true);
    SetEnglishLanguage();  // the column captions
    run.Net.SetDelayMs(10);
    run.Find(QStringLiteral("*.txt"));
    ASSERT_NE(SearchPatternThread, nullptr);

    const int name = [] {
      for (int i = 0; i < FormMain->ListViewResult->ColumnCount(); ++i)
        if (FormMain->ListViewResult->ColumnCaption(i) == TextMainHeaderName) return i;
      return -1;
    }();
    ASSERT_GE(name, 0);
    FormMain->ListViewResultColumnClick(FormMain->ListViewResult, name);
    EXPECT_TRUE(SortDescending[0]);
    // A refused menu sort leaves no mark on the item that was clicked.
    FormMain->Name->setEnabled(true);
    FormMain->Name->trigger();
    EXPECT_TRUE(SortDescending[0]);
    EXPECT_FALSE(FormMain->Name->isChecked());
    EXPECT_FALSE(FormMain->PName->isChecked());

    FormMain->ButtonStopClick(FormMain->ToolButtonPause);
    FormMain->ListViewResultColumnClick(FormMain->ListViewResult, name);
    EXPECT_FALSE(SortDescending[0]);
    EXPECT_TRUE(FormMain->Name->isChecked());
    EXPECT_TRUE(FormMain->PName->isChecked());

    FormMain->ButtonContinueClick(FormMain->ToolButtonContinue);
    ASSERT_TRUE(run.WaitForSearchEnd());
    ASSERT_TRUE(SearchRun::WaitForWorkers());
    // Rows a continued search adds come at the end; the list is not kept sorted.
    ASSERT_EQ(FormMain->ListViewResult->Count(), 3);
    EXPECT_EQ(FormMain->ListViewResult->Item(2).Caption, "c");
  }
  for (bool& d : SortDescending) d = true;
}
