// The UI text table and the built-in English: the table itself, and what a
// switch to English keeps in step (folder markers, task modes, status panels).
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "config/En_language.h"
#include "network/Scanlan_thread.h"
#include "platform/ui/ListView.h"
#include "search/Searchpattern_thread.h"
#include "support/ProgramFolder.h"

namespace {

TListItem Row(const QString& caption, const QStringList& subItems) {
  TListItem item;
  item.Caption = caption;
  item.SubItems = subItems;
  return item;
}

}  // namespace

TEST(UiTextTable, HoldsSixtyFourDistinctTextsWithTheirKeys) {
  QSet<QString*> texts;
  QSet<QString> keys;
  for (const TUiTextEntry& e : UiTextTable) {
    texts.insert(e.Text);
    keys.insert(QString::fromLatin1(e.Section) + "/" + e.Key);
    EXPECT_NE(QString::fromLatin1(e.English), "") << e.Key;
  }
  EXPECT_EQ(texts.size(), 64);
  EXPECT_EQ(keys.size(), 64);
}

TEST(UiTextTable, OnlyTheStartupTextsAreSetBeforeALanguageIsApplied) {
  ResetProgramGlobals();
  for (const TUiTextEntry& e : UiTextTable) {
    if (e.Text == &TextErrorsError || e.Text == &TextLanguageNoSettings) continue;
    EXPECT_TRUE(e.Text->isEmpty()) << e.Key;
  }
  EXPECT_EQ(TextErrorsError, "Error");
  EXPECT_EQ(TextLanguageNoSettings, "Settings file not found");
}

TEST(SetEnglish, FillsTheTableAndTheMainWindowCaptions) {
  ProgramFolder folder;
  folder.CreateWindows();
  SetEnglishLanguage();
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(TextStatusComputers, "Computer(s): ");
  EXPECT_EQ(TextSearchPause, "Search paused ");
  EXPECT_EQ(TextErrorsNoSpace, "Not enough free space on target drive.");
  EXPECT_EQ(TextTasksLoad, "Load");
  EXPECT_EQ(TextFileDir, "<dir>");
  EXPECT_EQ(TextDays[0], "Sun");
  EXPECT_EQ(TextDays[6], "Sat");
  EXPECT_EQ(TextMonths[0], "Jan");
  EXPECT_EQ(TextMonths[11], "Dec");
  for (const TUiTextEntry& e : UiTextTable) EXPECT_EQ(*e.Text, QString::fromLatin1(e.English)) << e.Key;

  EXPECT_TRUE(FormMain->English->isChecked());
  EXPECT_EQ(FormMain->File->title(), "File");
  EXPECT_EQ(FormMain->CopyTo->text(), "Copy to ...");
  EXPECT_EQ(FormMain->End->text(), "Stop");
  EXPECT_EQ(FormMain->SortBy->title(), "Sort on");
  EXPECT_EQ(FormMain->Path->text(), "path");
  EXPECT_EQ(FormMain->Languages->title(), "Language");
  EXPECT_TRUE(FormMain->SiteProgram->text().startsWith("Site ("));
  EXPECT_TRUE(FormMain->SiteProgram->text().endsWith(") ..."));
  EXPECT_EQ(FormMain->LabelPattern->text(), "Search mask");
  EXPECT_EQ(FormMain->ButtonFind->text(), "Search");
  EXPECT_EQ(FormMain->CheckBoxInvers->text(), "Invert selection");
  EXPECT_EQ(FormMain->NewTaskCompRes->text(), "New Task");
  EXPECT_EQ(FormMain->PSortby->title(), "Sort on");
  EXPECT_EQ(FormMain->PLoad->text(), "Download ...");
  EXPECT_EQ(FormMain->PTaskDelete->text(), "Delete");
  EXPECT_EQ(FormMain->ToolButtonCopyTo->toolTip(), "Copy to...");
  EXPECT_EQ(FormMain->ToolButtonHelp->toolTip(), "Trawlix Help");
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCaption(6), "Destination path");
  EXPECT_EQ(FormMain->ListViewResources->ColumnCaption(1), "IP");
  // The result captions equal the header texts the column-click command compares with.
  const QString headers[] = {TextMainHeaderName, TextMainHeaderType, TextMainHeaderSize,
                             TextMainHeaderDate, TextMainHeaderAttr, TextMainHeaderComp,
                             TextMainHeaderPath};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(FormMain->ListViewResult->ColumnCaption(i), headers[i]);
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "File(s): 0");
  EXPECT_EQ(FormMain->StatusBar->PanelText(2), "Computer(s): 0");
}

TEST(SetEnglish, KeepsFolderMarkersAndTaskModesInStep) {
  ProgramFolder folder;
  folder.CreateWindows();
  TextFileDir = "<Ordner>";
  TextTasksSynchronize = "Abgleich";
  TextTasksLoad = "Laden";
  TListView* r = FormMain->ListViewResult;
  r->AddItem(Row("docs", {"", "<Ordner>", "01.01.2020", "----", "PC1", "\\share\\"}));
  r->AddItem(Row("a", {"txt", "1234", "01.01.2020", "-a--", "PC1", "\\share\\"}));
  r->AddItem(Row("b", {"txt", "<dir>x", "01.01.2020", "-a--", "PC1", "\\share\\"}));
  TListView* t = FormMain->ListViewLoads;
  t->AddItem(Row("sync", {"Abgleich", "0%"}));
  t->AddItem(Row("load", {"Laden", "10%"}));
  t->AddItem(Row("odd", {"something else", "20%"}));

  SetEnglishLanguage();
  EXPECT_EQ(r->SubItem(0, 1), "<dir>");
  EXPECT_EQ(r->SubItem(1, 1), "1234");
  EXPECT_EQ(r->SubItem(2, 1), "<dir>x");
  EXPECT_EQ(t->SubItem(0, 0), "Synchronize");
  EXPECT_EQ(t->SubItem(1, 0), "Load");
  EXPECT_EQ(t->SubItem(2, 0), "Load");
  EXPECT_EQ(t->SubItem(0, 1), "0%");
}

TEST(SetEnglish, TranslatesPanelZeroOnlyForThePausedOrFinishedText) {
  ProgramFolder folder;
  folder.CreateWindows();
  TStatusBar* bar = FormMain->StatusBar;

  TextSearchPause = "Suche angehalten";
  TextStatusOk = "Suche beendet";
  bar->SetPanelText(0, " Suche angehalten");
  SetEnglishLanguage();
  EXPECT_EQ(bar->PanelText(0), " Search paused ");

  TextSearchPause = "Suche angehalten";
  TextStatusOk = "Suche beendet";
  bar->SetPanelText(0, " Suche beendet");
  SetEnglishLanguage();
  EXPECT_EQ(bar->PanelText(0), " Search finished");

  TextSearchPause = "Suche angehalten";
  bar->SetPanelText(0, "\\\\PC1\\share\\folder\\");
  SetEnglishLanguage();
  EXPECT_EQ(bar->PanelText(0), "\\\\PC1\\share\\folder\\");

  // The comparison is exact: letter case and the leading blank count.
  TextSearchPause = "Suche angehalten";
  bar->SetPanelText(0, "Suche angehalten");
  SetEnglishLanguage();
  EXPECT_EQ(bar->PanelText(0), "Suche angehalten");
}

TEST(SetEnglish, ShowsTheCurrentCounters) {
  ProgramFolder folder;
  folder.CreateWindows();
  FoundCount = 17;
  ComputerCount = 3;
  SetEnglishLanguage();
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "File(s): 17");
  EXPECT_EQ(FormMain->StatusBar->PanelText(2), "Computer(s): 3");
}
