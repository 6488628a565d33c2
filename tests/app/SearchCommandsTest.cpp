// The search commands of the main window and the restart and end question
// boxes: starting, the mode switch, the criteria and group-editor commands,
// what the boxes do when answered, and their layout.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/Endsearchform.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "search/Searchpattern_thread.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"

namespace {

class SearchCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    S = std::make_unique<SearchRun>();
    S->Net.AddServer("WORK", "PC1");
    S->Net.AddShare("PC1", "docs");
    S->Net.AddFile("\\\\PC1\\docs\\a.txt", 1);
    QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
    S->AddShare(pc1, "docs", true);
    Responder = std::make_unique<ModalResponder>([this](const Modal::Request& r) {
      Modal::Answer a;
      a.result = mrCancel;
      if (r.kind == Modal::Kind::ShowModal) {
        Shown << (r.form ? r.form->objectName() : QString());
        if (OnForm) OnForm(r.form);
      }
      return a;
    });
  }
  void TearDown() override {
    SearchRun::WaitForWorkers();
    Responder.reset();
    S.reset();
  }
  void AddRow() {
    TListItem item;
    item.Caption = "x";
    item.SubItems = QStringList{"txt", "1", "", "", "PC1", "\\docs\\"};
    FormMain->ListViewResult->AddItem(item);
  }
  std::unique_ptr<SearchRun> S;
  std::unique_ptr<ModalResponder> Responder;
  std::function<void(QDialog*)> OnForm;
  QStringList Shown;
};

}  // namespace

TEST_F(SearchCommands, FindWithAnEmptyMaskDoesNothing) {
  AddRow();
  const QByteArray settings = S->Folder.ReadFile("settings.ini");
  S->Find("");
  EXPECT_EQ(SearchPatternThread, nullptr);
  EXPECT_EQ(FormMain->ListViewResult->Count(), 1);
  EXPECT_TRUE(FormMain->EditPattern->isEnabled());
  EXPECT_EQ(FormMain->EditPattern->count(), 0);
  EXPECT_EQ(S->Folder.ReadFile("settings.ini"), settings);
}

TEST_F(SearchCommands, StartStepsSetTheWindowForASearch) {
  AddRow();
  S->Net.SetDelayMs(30);
  S->Find("*.txt");
  ASSERT_NE(SearchPatternThread, nullptr);
  EXPECT_EQ(FormMain->ListViewResult->Count(), 0);
  for (QWidget* w : {static_cast<QWidget*>(FormMain->LabelPattern), static_cast<QWidget*>(FormMain->EditPattern),
                     static_cast<QWidget*>(FormMain->CheckBoxGroup), static_cast<QWidget*>(FormMain->ComboBoxGroup),
                     static_cast<QWidget*>(FormMain->LabelWhereFind),
                     static_cast<QWidget*>(FormMain->ListViewBoxComputers),
                     static_cast<QWidget*>(FormMain->CheckBoxSelectAll),
                     static_cast<QWidget*>(FormMain->CheckBoxInvers)})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_TRUE(FormMain->ButtonFind->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonFind->isEnabled());
  EXPECT_TRUE(FormMain->Start->isEnabled());
  EXPECT_FALSE(FormMain->ButtonMore->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonMore->isEnabled());
  EXPECT_FALSE(FormMain->More->isEnabled());
  EXPECT_TRUE(FormMain->Pause->isEnabled());
  EXPECT_TRUE(FormMain->End->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonEnd->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_FALSE(FormMain->SortBy->menuAction()->isEnabled());
  EXPECT_FALSE(FormMain->CanSortResults());
  // More does nothing while a search runs.
  FormMain->ButtonMoreClick(FormMain->ButtonMore);
  EXPECT_TRUE(Shown.isEmpty());
  ASSERT_TRUE(S->WaitForSearchEnd());
}

TEST_F(SearchCommands, EnterInTheMaskStartsTheSearch) {
  FormMain->EditPattern->setEditText("*.txt");
  QChar other('a');
  FormMain->EditSearchKeyPress(FormMain->EditPattern, other);
  EXPECT_EQ(SearchPatternThread, nullptr);
  // The keyboard sends keys to the mask box itself (its edit field's focus
  // proxy), which hands them on to the field directly.
  EXPECT_EQ(FormMain->EditPattern->lineEdit()->focusProxy(), FormMain->EditPattern);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(FormMain->EditPattern, &enter);
  EXPECT_NE(SearchPatternThread, nullptr);
  ASSERT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(S->Rows().size(), 1);
}

TEST_F(SearchCommands, PauseContinueAndEndWithoutASearchDoNothing) {
  FormMain->ButtonStopClick(FormMain->ToolButtonPause);
  FormMain->ButtonContinueClick(FormMain->ToolButtonContinue);
  FormMain->ButtonEndClick(FormMain->ToolButtonEnd);
  EXPECT_TRUE(Shown.isEmpty());
  EXPECT_FALSE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_EQ(S->Panel(0), "");
}

TEST_F(SearchCommands, SortingWithoutASearchNeedsRows) {
  EXPECT_FALSE(FormMain->CanSortResults());
  AddRow();
  EXPECT_TRUE(FormMain->CanSortResults());
}

TEST_F(SearchCommands, GroupBoxSwitchesBetweenMaskAndGroup) {
  FormMain->CheckBoxGroup->setChecked(true);
  FormMain->CheckBoxGroupClick(FormMain->CheckBoxGroup);
  EXPECT_TRUE(FormMain->ComboBoxGroup->isEnabled());
  EXPECT_FALSE(FormMain->EditPattern->isEnabled());
  EXPECT_FALSE(FormMain->LabelPattern->isEnabled());
  // Group mode without a chosen group: Find does nothing.
  FormMain->ComboBoxGroup->setCurrentIndex(-1);
  S->Find("*.txt");
  EXPECT_EQ(SearchPatternThread, nullptr);
  EXPECT_TRUE(Shown.isEmpty());
  FormMain->CheckBoxGroup->setChecked(false);
  FormMain->CheckBoxGroupClick(FormMain->CheckBoxGroup);
  EXPECT_FALSE(FormMain->ComboBoxGroup->isEnabled());
  EXPECT_TRUE(FormMain->EditPattern->isEnabled());
  EXPECT_TRUE(FormMain->LabelPattern->isEnabled());
}

TEST_F(SearchCommands, EditGroupsItemOpensTheEditorAndLeavesNoChoice) {
  FormMain->ComboBoxGroup->clear();
  FormMain->ComboBoxGroup->addItem("Docs (doc, txt)");
  FormMain->ComboBoxGroup->addItem(TextGroupsEdit);
  FormMain->ComboBoxGroup->setCurrentIndex(0);
  FormMain->ComboBoxGroupChange(FormMain->ComboBoxGroup);
  EXPECT_TRUE(Shown.isEmpty());
  FormMain->ComboBoxGroup->setCurrentIndex(1);
  FormMain->ComboBoxGroupChange(FormMain->ComboBoxGroup);
  EXPECT_TRUE(Shown.contains(FormEditGroup->objectName()));
  EXPECT_EQ(FormMain->ComboBoxGroup->currentIndex(), -1);
}

TEST_F(SearchCommands, MoreShowsTheCriteriaWhenNoSearchRuns) {
  FormMain->ButtonMoreClick(FormMain->ButtonMore);
  EXPECT_EQ(Shown, QStringList{FormMore->objectName()});
}

TEST_F(SearchCommands, EndResetsTheCriteriaAndUnchecksTheSortItems) {
  S->Net.SetDelayMs(30);
  FormMain->PSize->setChecked(true);
  FormMain->Date->setChecked(true);
  FormMore->FResetOnShow = false;
  S->Find("*.txt");
  OnForm = [](QDialog*) { EndSearch->ButtonOkClick(EndSearch->ButtonOk); };
  FormMain->ButtonEndClick(FormMain->End);
  EXPECT_TRUE(FormMore->FResetOnShow);
  for (QAction* a : FormMain->PSortByGroup->actions()) EXPECT_FALSE(a->isChecked());
  for (QAction* a : FormMain->SortByGroup->actions()) EXPECT_FALSE(a->isChecked());
  EXPECT_TRUE(FormMain->More->isEnabled());
  EXPECT_TRUE(FormMain->ButtonMore->isEnabled());
  EXPECT_TRUE(FormMain->EditPattern->isEnabled());
  EXPECT_EQ(S->Panel(2), TextStatusComputers + "0");
  // The radio groups still work afterwards.
  FormMain->PName->setChecked(true);
  FormMain->PType->setChecked(true);
  EXPECT_FALSE(FormMain->PName->isChecked());
}

TEST_F(SearchCommands, EndBoxClosedOtherwiseThanByOkIsNotConfirmed) {
  EndSearch->FConfirmed = true;
  EndSearch->show();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(EndSearch, &esc);
  EXPECT_FALSE(EndSearch->FConfirmed);
  EXPECT_FALSE(EndSearch->isVisible());

  EndSearch->FConfirmed = true;
  EndSearch->show();
  EndSearch->close();  // the close box
  EXPECT_FALSE(EndSearch->FConfirmed);

  EndSearch->FConfirmed = true;
  EndSearch->ButtonCancelClick(EndSearch->ButtonCancel);
  EXPECT_FALSE(EndSearch->FConfirmed);
}

TEST_F(SearchCommands, RestartBoxClosedByItsCloseBoxOnlyCloses) {
  S->Net.SetDelayMs(30);
  S->Find("*.txt");
  TSearchPattern* running = SearchPatternThread;
  Research->show();
  Research->close();
  EXPECT_EQ(SearchPatternThread, running);
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  ASSERT_TRUE(S->WaitForSearchEnd());
}

TEST_F(SearchCommands, QuestionBoxesAreSizedToTheirMessage) {
  TextMessagesSearch = "Search is on. Restart search?";
  SetEnglishResearch();
  const int label = Research->LabelMessage->width();
  const int width = Research->width();
  EXPECT_EQ(width, qMax(label + 40, 190));
  EXPECT_EQ(Research->LabelMessage->x(), (width - label) / 2);
  EXPECT_EQ(Research->ButtonOk->x(), width / 2 - 75 - 5);
  EXPECT_EQ(Research->ButtonCancel->x(), width / 2 + 5);
  EXPECT_EQ(Research->windowTitle(), "Question");
  EXPECT_EQ(Research->ButtonOk->text(), "Ok");
  EXPECT_EQ(Research->ButtonCancel->text(), "Cancel");
  EXPECT_EQ(Research->LabelMessage->text(), TextMessagesSearch);

  // A message narrower than the two buttons: the box is 2 x 75 + 40 wide.
  SetEnglishEndSearch();
  EXPECT_EQ(EndSearch->LabelMessage->text(), "Stop search?");
  EXPECT_EQ(EndSearch->width(), qMax(EndSearch->LabelMessage->width() + 40, 190));
  TextMessagesSearch = "?";
  SetEnglishResearch();
  EXPECT_EQ(Research->width(), 190);
  EXPECT_EQ(Research->ButtonOk->x(), 15);
  EXPECT_EQ(Research->ButtonCancel->x(), 100);
}

TEST_F(SearchCommands, UnwritableSettingsAtStartAreReportedAndThePanelStaysUsable) {
  QWidget* const panel[8] = {FormMain->LabelPattern,         FormMain->EditPattern,
                             FormMain->CheckBoxGroup,        FormMain->ComboBoxGroup,
                             FormMain->LabelWhereFind,       FormMain->ListViewBoxComputers,
                             FormMain->CheckBoxSelectAll,    FormMain->CheckBoxInvers};
  auto states = [&] {
    QList<bool> s;
    for (QWidget* w : panel) s << w->isEnabled();
    return s;
  };
  const QList<bool> normal = states();
  // The program folder vanishes, so the mask history cannot be written (also as root).
  ASSERT_TRUE(QDir(S->Folder.Path()).removeRecursively());
  for (int round = 1; round <= 2; ++round) {
    S->Find("*.txt");
    ASSERT_EQ(Responder->Count(Modal::Kind::Exception), round);
    EXPECT_TRUE(Responder->Last().text.contains("settings.ini")) << Responder->Last().text.toStdString();
    // The search ran (or never started); either way it is over now.
    if (SearchPatternThread) ASSERT_TRUE(S->WaitForSearchEnd());
    EXPECT_EQ(SearchPatternThread, nullptr);
    EXPECT_EQ(states(), normal) << "round " << round;
    for (QAction* a : {FormMain->ToolButtonPause, FormMain->ToolButtonEnd, FormMain->Pause, FormMain->End})
      EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(FormMain->ButtonMore->isEnabled());
    EXPECT_TRUE(FormMain->More->isEnabled());
    EXPECT_TRUE(FormMain->ButtonFind->isEnabled());
  }
  EXPECT_EQ(S->Rows().size(), 1);
}
