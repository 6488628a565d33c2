// The view switches of the main window, the language menu, the help file and
// the maker's web pages, the about box and the settings dialog.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

#include "app/Form_about.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "config/Languages.h"
#include "platform/ui/ListView.h"
#include "platform/fs/WinPath.h"
#include "search/Search_state.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"
#include "support/ShellRecorder.h"

namespace {

bool IsInside(const QObject* o, const QWidget* ancestor) {
  for (; o; o = o->parent())
    if (o == ancestor) return true;
  return false;
}

void PressKey(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods);
  QApplication::sendEvent(target, &release);
}

TListItem Row(const QString& caption) {
  TListItem item;
  item.Caption = caption;
  item.SubItems = {"txt", "10", "01.02.2003 09:05:07", "-a--", "PC1", "\\docs\\"};
  return item;
}

class Views : public ::testing::Test {
 protected:
  void SetUp() override {
    S = std::make_unique<SearchRun>();
    LoadLanguage("English");
    // No scan on the first paint: these tests drive the views only.
    FormMain->FFirstPaint = false;
    FormMain->show();
    FormMain->activateWindow();
    QApplication::processEvents();
  }
  void TearDown() override { S.reset(); }

  TFormMain* F() const { return FormMain; }
  TListView* Visible() const {
    TListView* shown = nullptr;
    int count = 0;
    for (TListView* l : {F()->ListViewResult, F()->ListViewLoads, F()->ListViewResources})
      if (l->isVisible()) {
        shown = l;
        ++count;
      }
    return count == 1 ? shown : nullptr;
  }
  // The button and View item of the visible list are disabled, the others enabled.
  void ExpectSwitchesFor(TListView* shown) const {
    const struct {
      TListView* list;
      QAction* button;
      QAction* item;
    } views[] = {{F()->ListViewResult, F()->ToolButtonFindList, F()->ResultView},
                 {F()->ListViewLoads, F()->ToolButtonLoadList, F()->TaskView},
                 {F()->ListViewResources, F()->ToolButtonResources, F()->CompView}};
    EXPECT_EQ(Visible(), shown);
    for (const auto& v : views) {
      EXPECT_EQ(v.button->isEnabled(), v.list != shown) << v.button->objectName().toStdString();
      EXPECT_EQ(v.item->isEnabled(), v.list != shown) << v.item->objectName().toStdString();
    }
  }
  std::vector<QAction*> ResultOnly() const {
    return {F()->SelectAll, F()->Invert, F()->FindFiles, F()->Icons, F()->Table, F()->List,
            F()->SortBy->menuAction()};
  }
  // What a search does when it adds a row.
  void AddResultRow(const QString& caption) {
    F()->ListViewResult->AddItem(Row(caption));
    F()->SelectAll->setEnabled(true);
    F()->Invert->setEnabled(true);
    F()->FindFiles->setEnabled(true);
  }

  std::unique_ptr<SearchRun> S;
};

}  // namespace

// ---------------------------------------------------------------- views

TEST_F(Views, StartsWithTheResultListAndItsSwitchesDisabled) {
  ExpectSwitchesFor(F()->ListViewResult);
}

TEST_F(Views, TaskViewShowsTheTaskListFocusedAndDisablesResultOnlyCommands) {
  AddResultRow("a");
  F()->SortBy->menuAction()->setEnabled(true);
  F()->ToolButtonLoadList->trigger();
  ExpectSwitchesFor(F()->ListViewLoads);
  EXPECT_TRUE(IsInside(QApplication::focusWidget(), F()->ListViewLoads));
  for (QAction* a : ResultOnly()) EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
}

TEST_F(Views, SwitchingBackAndForthKeepsEveryListsContent) {
  F()->ListViewResult->AddItem(Row("result"));
  F()->ListViewLoads->AddItem(Row("task"));
  F()->ListViewResources->AddItem(Row("computer"));
  F()->FResourcesStale = false;  // the information view then shows what it has

  F()->TaskView->trigger();
  ExpectSwitchesFor(F()->ListViewLoads);
  F()->CompView->trigger();
  ExpectSwitchesFor(F()->ListViewResources);
  F()->ToolButtonLoadList->trigger();
  ExpectSwitchesFor(F()->ListViewLoads);
  F()->ResultView->trigger();
  ExpectSwitchesFor(F()->ListViewResult);
  EXPECT_TRUE(IsInside(QApplication::focusWidget(), F()->ListViewResult));
  F()->ToolButtonResources->trigger();
  ExpectSwitchesFor(F()->ListViewResources);
  F()->ToolButtonFindList->trigger();
  ExpectSwitchesFor(F()->ListViewResult);

  // A disabled switch does nothing.
  F()->ResultView->trigger();
  ExpectSwitchesFor(F()->ListViewResult);

  for (TListView* l : {F()->ListViewResult, F()->ListViewLoads, F()->ListViewResources})
    EXPECT_EQ(l->Count(), 1);
  EXPECT_EQ(F()->ListViewResult->Item(0).Caption, "result");
  EXPECT_EQ(F()->ListViewLoads->Item(0).Caption, "task");
  EXPECT_EQ(F()->ListViewResources->Item(0).Caption, "computer");
}

TEST_F(Views, BackToAnEmptyResultListLeavesItsSelectionCommandsDisabled) {
  F()->ToolButtonLoadList->trigger();
  F()->ToolButtonFindList->trigger();
  EXPECT_FALSE(F()->SelectAll->isEnabled());
  EXPECT_FALSE(F()->Invert->isEnabled());
  EXPECT_FALSE(F()->FindFiles->isEnabled());
  EXPECT_FALSE(F()->SortBy->menuAction()->isEnabled());
  EXPECT_TRUE(F()->Icons->isEnabled());
  EXPECT_TRUE(F()->Table->isEnabled());
  EXPECT_TRUE(F()->List->isEnabled());
}

TEST_F(Views, BackToResultsWithRowsEnablesItsCommands) {
  F()->ListViewResult->AddItem(Row("a"));
  F()->ToolButtonLoadList->trigger();
  F()->ToolButtonFindList->trigger();
  for (QAction* a : ResultOnly()) EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
}

TEST_F(Views, InTheTaskViewSelectAllIsIdleWhileInvertWorksOnTheHiddenResults) {
  F()->ToolButtonLoadList->trigger();
  // Disabled: the keys reach nothing of the result list.
  PressKey(F()->ListViewLoads, Qt::Key_A, Qt::ControlModifier);
  F()->SelectAll->trigger();
  F()->FindFiles->trigger();
  EXPECT_EQ(F()->FindDialog, nullptr);

  AddResultRow("a");
  AddResultRow("b");
  F()->ListViewResult->SetSelected(0, true);
  F()->SelectAll->trigger();  // the handler leaves a hidden list alone
  EXPECT_EQ(F()->ListViewResult->SelectedIndexes(), std::vector<int>{0});
  F()->Invert->trigger();
  EXPECT_EQ(F()->ListViewResult->SelectedIndexes(), std::vector<int>{1});
  ExpectSwitchesFor(F()->ListViewLoads);
}

TEST_F(Views, ARunningSearchFillsTheHiddenListAndTheResultViewThenOffersSorting) {
  S->Net.AddServer("WORK", "PC1");
  S->Net.AddShare("PC1", "docs");
  for (int i = 0; i < 6; ++i) S->Net.AddFile(QString("\\\\PC1\\docs\\d%1\\f.txt").arg(i), 1);
  S->Net.SetDelayMs(40);
  QTreeWidgetItem* pc = S->AddComputer("PC1", true);
  S->AddShare(pc, "docs", true);

  F()->ToolButtonLoadList->trigger();
  S->Find("*.txt");
  ASSERT_TRUE(SearchRun::WaitUntil([this] { return F()->ListViewResult->Count() > 0; }));
  // Still in the task view: the rows land in the hidden list.
  ExpectSwitchesFor(F()->ListViewLoads);
  const bool running = SearchPatternThread != nullptr;
  F()->ToolButtonFindList->trigger();
  ExpectSwitchesFor(F()->ListViewResult);
  EXPECT_TRUE(F()->SortBy->menuAction()->isEnabled()) << (running ? "during the search" : "after it");
  EXPECT_TRUE(F()->SelectAll->isEnabled());
  EXPECT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(F()->ListViewResult->Count(), 6);
}

// ---------------------------------------------------------------- languages

TEST_F(Views, ChoosingEnglishAppliesItAndChecksItsItem) {
  EXPECT_EQ(F()->English->text(), "English");
  EXPECT_TRUE(F()->English->isVisible());
  CurrentLanguage = "Something";
  F()->English->setChecked(false);
  F()->English->trigger();
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_TRUE(F()->English->isChecked());
  EXPECT_EQ(FormSettings->ButtonApply->text(), "Apply");
}

TEST_F(Views, ALanguageWhoseFileIsGoneLeavesTheMarkOnEnglish) {
  F()->L1->setText("Klingon");
  F()->L1->setVisible(true);
  F()->L1->trigger();
  // The loader falls back to the built-in English; the menu says so.
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_TRUE(F()->English->isChecked());
  EXPECT_FALSE(F()->L1->isChecked());
  EXPECT_EQ(F()->LanguageGroup->checkedAction(), F()->English);
}

TEST_F(Views, HotKeyMarksInTheCaptionDoNotHideTheLanguage) {
  F()->English->setText("&English");
  F()->L2->setChecked(true);
  F()->English->trigger();
  EXPECT_EQ(CurrentLanguage, "English");
  EXPECT_EQ(F()->LanguageGroup->checkedAction(), F()->English);
}

// ---------------------------------------------------------------- help and web pages

TEST_F(Views, HelpOpensTheHelpFileOfTheCurrentLanguage) {
  QDir(S->Folder.Path()).mkdir("help");
  S->Folder.WriteFile("help/TRAWHELPen.HLP", "help");
  S->Folder.WriteFile("help/TRAWHELPde.HLP", "Hilfe");
  ShellRecorder shell;

  F()->TrawlixHelp->trigger();
  ASSERT_EQ(shell.Requests.size(), 1u);
  EXPECT_EQ(shell.Requests[0].kind, Shell::TShellRequest::Open);
  EXPECT_EQ(shell.Requests[0].item, WinPath::FromLocal(S->Folder.Path()) + "\\help\\TRAWHELPen.HLP");
  EXPECT_EQ(QDir::cleanPath(shell.Requests[0].url.toLocalFile()),
            QDir::cleanPath(S->Folder.FilePath("help/TRAWHELPen.HLP")));

  TextLanguageHelp = "de";
  F()->ToolButtonHelp->trigger();
  ASSERT_EQ(shell.Requests.size(), 2u);
  EXPECT_TRUE(shell.Requests[1].item.endsWith("\\help\\TRAWHELPde.HLP"));
  EXPECT_TRUE(shell.Requests[1].url.toLocalFile().endsWith("/help/TRAWHELPde.HLP"));
}

TEST_F(Views, AMissingHelpFileOpensNothingAndAsksNothing) {
  ShellRecorder shell;
  ModalResponder modal;
  F()->TrawlixHelp->trigger();
  EXPECT_TRUE(shell.Requests.empty());
  EXPECT_EQ(modal.Count(), 0);
}

TEST_F(Views, EachWebPageItemOpensItsOwnAddress) {
  ShellRecorder shell;
  F()->SiteProgram->trigger();
  F()->Support->trigger();
  F()->Forum->trigger();
  ASSERT_EQ(shell.Requests.size(), 3u);
  QStringList seen;
  for (const auto& r : shell.Requests) {
    EXPECT_EQ(r.kind, Shell::TShellRequest::Open);
    EXPECT_EQ(r.url.scheme(), "https") << r.item.toStdString();
    EXPECT_EQ(r.url.host(), "trawlix.example.org");
    seen << r.url.toString();
  }
  seen.removeDuplicates();
  EXPECT_EQ(seen.size(), 3);

  // A desktop that refuses leaves the program quiet.
  shell.Accept = false;
  ModalResponder modal;
  F()->Forum->trigger();
  EXPECT_EQ(modal.Count(), 0);
}

// ---------------------------------------------------------------- about box

TEST_F(Views, AboutBoxLayout) {
  TFormAbout* a = FormAbout;
  EXPECT_EQ(a->windowTitle(), "About Trawlix");
  EXPECT_EQ(a->size(), QSize(267, 130));
  EXPECT_EQ(a->ToolBarAbout->geometry(), QRect(16, 16, 50, 50));
  EXPECT_FALSE(a->ToolButtonIcon->isEnabled());
  EXPECT_EQ(a->ButtonOk->geometry(), QRect(96, 96, 75, 25));
  EXPECT_EQ(a->ButtonOk->text(), "Ok");
  int top = 16;
  for (QLabel* l : {a->StaticText, a->StaticText1, a->StaticText2}) {
    EXPECT_EQ(l->pos(), QPoint(88, top));
    EXPECT_FALSE(l->text().isEmpty());
    EXPECT_LE(l->geometry().right(), a->width()) << l->text().toStdString();
    top += 24;
  }
  EXPECT_TRUE(a->StaticText->text().startsWith("Trawlix "));
}

TEST_F(Views, AboutBoxShowsModallyAndClosesWithOkAndWithEsc) {
  const QString title = FormAbout->StaticText->text();
  bool shownModally = false;
  ModalResponder modal([&](const Modal::Request& r) {
    shownModally = r.kind == Modal::Kind::ShowModal && r.form == FormAbout && FormAbout->isVisible();
    FormAbout->ButtonOk->click();
    EXPECT_FALSE(FormAbout->isVisible());
    return Modal::Answer{};
  });
  F()->About->trigger();
  EXPECT_TRUE(shownModally);
  EXPECT_FALSE(FormAbout->isVisible());

  modal.SetAnswer([&](const Modal::Request&) {
    PressKey(FormAbout, Qt::Key_Escape);
    EXPECT_FALSE(FormAbout->isVisible());
    return Modal::Answer{};
  });
  F()->AboutClick(F()->About);
  EXPECT_EQ(modal.Count(Modal::Kind::ShowModal), 2);
  EXPECT_FALSE(FormAbout->isVisible());
  // Its texts are the program's own, whatever the language.
  LoadLanguage("English");
  EXPECT_EQ(FormAbout->StaticText->text(), title);
  EXPECT_EQ(FormAbout->windowTitle(), "About Trawlix");
}

// ---------------------------------------------------------------- settings dialog

TEST_F(Views, SettingsDialogLayoutAndEnglishCaptions) {
  TFormSettings* s = FormSettings;
  EXPECT_EQ(s->size(), QSize(354, 340));
  EXPECT_EQ(s->GroupBox1->geometry(), QRect(8, 8, 337, 273));
  EXPECT_EQ(s->ButtonOk->geometry(), QRect(104, 304, 75, 25));
  EXPECT_EQ(s->ButtonApply->geometry(), QRect(184, 304, 75, 25));
  EXPECT_EQ(s->ButtonCancel->geometry(), QRect(264, 304, 75, 25));
  const QString caption = s->windowTitle();
  s->ButtonOk->setText("x");
  s->ButtonApply->setText("y");
  s->ButtonCancel->setText("z");
  SetEnglishSettings();
  EXPECT_EQ(s->ButtonOk->text(), "Ok");
  EXPECT_EQ(s->ButtonApply->text(), "Apply");
  EXPECT_EQ(s->ButtonCancel->text(), "Cancel");
  EXPECT_EQ(s->windowTitle(), caption);
}

TEST_F(Views, SettingsDialogTakesEnglishCaptionsOnShowOnlyForEnglish) {
  TFormSettings* s = FormSettings;
  ModalResponder modal;
  s->ButtonApply->setText("Anwenden");
  CurrentLanguage = "Deutsch";
  F()->GeneralClick(nullptr);
  EXPECT_EQ(s->ButtonApply->text(), "Anwenden");

  CurrentLanguage = "English";
  F()->GeneralClick(nullptr);
  EXPECT_EQ(s->ButtonApply->text(), "Apply");
  EXPECT_EQ(modal.Count(Modal::Kind::ShowModal), 2);
  EXPECT_EQ(modal.Last().form, s);
  EXPECT_FALSE(s->isVisible());
}

TEST_F(Views, SettingsDialogClosesWithCancelAndEscButNotWithOkOrApply) {
  TFormSettings* s = FormSettings;
  ModalResponder modal([&](const Modal::Request&) {
    s->ButtonOk->click();
    EXPECT_TRUE(s->isVisible());
    s->ButtonApply->click();
    EXPECT_TRUE(s->isVisible());
    s->ButtonCancel->click();
    EXPECT_FALSE(s->isVisible());
    return Modal::Answer{};
  });
  F()->GeneralClick(nullptr);
  EXPECT_FALSE(s->isVisible());

  modal.SetAnswer([&](const Modal::Request&) {
    PressKey(s, Qt::Key_Escape);
    EXPECT_FALSE(s->isVisible());
    return Modal::Answer{};
  });
  F()->GeneralClick(nullptr);
  EXPECT_EQ(modal.Count(Modal::Kind::ShowModal), 2);
  EXPECT_FALSE(s->isVisible());
}
