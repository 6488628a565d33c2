// The group search over the simulated network, driven as the user drives it:
// group mode, a group chosen in the combo box, Find; and pause, end and
// restart while the worker sits in a slow listing.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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
#include "search/Searchgroup_thread.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"

namespace {

constexpr int kDelayMs = 40;

class GroupSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    S = std::make_unique<SearchRun>();
    TSimNet& n = S->Net;
    n.AddServer("WORK", "PC1");
    n.AddShare("PC1", "docs");
    n.AddFile("\\\\PC1\\docs\\a.txt", 1);
    n.AddFile("\\\\PC1\\docs\\page.htm", 2);
    n.AddFile("\\\\PC1\\docs\\b.TXT", 3);
    n.AddFile("\\\\PC1\\docs\\page.html", 4);
    n.AddFile("\\\\PC1\\docs\\README", 5);
    n.AddFolder("\\\\PC1\\docs\\pics.htm");
    n.AddFile("\\\\PC1\\docs\\pics.htm\\inner.txt", 6);
    n.AddFolder("\\\\PC1\\docs\\sub");
    n.AddFile("\\\\PC1\\docs\\sub\\PAGE.HTM", 7);
    QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
    S->AddShare(pc1, "docs", true);
    GroupExtensions.clear();
  }
  void TearDown() override {
    EXPECT_TRUE(SearchRun::WaitForWorkers());
    S.reset();
    GroupExtensions.clear();
  }
  void Search(const QString& types) {
    SearchRun::ChooseGroup(types);
    FormMain->ButtonFindClick(FormMain->ButtonFind);
    ASSERT_NE(SearchGroupThread, nullptr);
    ASSERT_TRUE(S->WaitForSearchEnd());
  }
  std::unique_ptr<SearchRun> S;
};

}  // namespace

TEST_F(GroupSearch, RowsComeByTypeInGroupOrderBeforeTheSubfolders) {
  Search("htm, txt");
  EXPECT_EQ(S->Rows(), (QStringList{"PC1|\\docs\\|page|htm|2|-a--", "PC1|\\docs\\|a|txt|1|-a--",
                                    "PC1|\\docs\\|b|txt|3|-a--", "PC1|\\docs\\pics.htm\\|inner|txt|6|-a--",
                                    "PC1|\\docs\\sub\\|PAGE|htm|7|-a--"}));
  // page.html is not a .htm file, and the folder pics.htm is no row.
  EXPECT_EQ(FoundCount, 5);
  EXPECT_EQ(S->Panel(1), TextStatusFiles + "5");
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
  // The end of a search by itself.
  EXPECT_EQ(SearchGroupThread, nullptr);
  EXPECT_TRUE(FormMain->CheckBoxGroup->isEnabled());
  EXPECT_TRUE(FormMain->ComboBoxGroup->isEnabled());
  EXPECT_TRUE(FormMain->ButtonMore->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_TRUE(FormMore->FResetOnShow);
  EXPECT_TRUE(FormMain->SelectAll->isEnabled());
  EXPECT_EQ(GroupExtensions, (QStringList{".htm", ".txt"}));
}

TEST_F(GroupSearch, EachFileIsListedOnceHoweverTheTypesOverlap) {
  // *.htm also finds page.html by its short name; htm and HTM are one type.
  Search("htm html HTM .txt TXT");
  EXPECT_EQ(S->Rows(), (QStringList{"PC1|\\docs\\|page|htm|2|-a--", "PC1|\\docs\\|page|html|4|-a--",
                                    "PC1|\\docs\\|a|txt|1|-a--", "PC1|\\docs\\|b|txt|3|-a--",
                                    "PC1|\\docs\\pics.htm\\|inner|txt|6|-a--",
                                    "PC1|\\docs\\sub\\|PAGE|htm|7|-a--"}));
  EXPECT_EQ(FoundCount, 6);
}

TEST_F(GroupSearch, NamesWithoutExtensionAndWildcardTypesListNothing) {
  Search("README t?t * *.*");
  EXPECT_TRUE(S->Rows().isEmpty());
  EXPECT_EQ(FoundCount, 0);
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
}

TEST_F(GroupSearch, HiddenFilesAreListedAndTheCriteriaApply) {
  S->Net.AddFile("\\\\PC1\\docs\\.secret.txt", 8);
  Search("txt");
  EXPECT_TRUE(S->Rows().contains("PC1|\\docs\\|.secret|txt|8|-ah-"));
  EXPECT_EQ(S->Rows().size(), 4);

  // Only the folder attribute chosen: no file passes.
  FormMore->ResetControls();
  FormMore->CheckBoxAttr->setChecked(true);
  for (QCheckBox* box : {FormMore->CheckBoxReadOnly, FormMore->CheckBoxHidden, FormMore->CheckBoxSystem,
                         FormMore->CheckBoxArchive})
    box->setChecked(false);
  FormMore->CheckBoxDir->setChecked(true);
  Search("txt htm");
  EXPECT_TRUE(S->Rows().isEmpty());
  EXPECT_EQ(FoundCount, 0);

  // Size above 3 bytes.
  FormMore->ResetControls();
  FormMore->CheckBoxSize->setChecked(true);
  FormMore->ComboBoxOper->setCurrentIndex(0);
  FormMore->MaskEditSize->setText("3");
  FormMore->ComboBoxSize->setCurrentIndex(0);
  Search("txt htm");
  EXPECT_EQ(S->Rows(), (QStringList{"PC1|\\docs\\|.secret|txt|8|-ah-", "PC1|\\docs\\pics.htm\\|inner|txt|6|-a--",
                                    "PC1|\\docs\\sub\\|PAGE|htm|7|-a--"}));
}

TEST_F(GroupSearch, GroupModeWithoutAChosenGroupDoesNothingAndTheMaskHistoryIsLeftAlone) {
  FormMain->EditPattern->setEditText("*.txt");
  SearchRun::ChooseGroup("txt");
  FormMain->ComboBoxGroup->setCurrentIndex(-1);
  FormMain->ButtonFindClick(FormMain->ButtonFind);
  EXPECT_EQ(SearchGroupThread, nullptr);
  EXPECT_EQ(SearchPatternThread, nullptr);
  Search("txt");
  EXPECT_EQ(S->Rows().size(), 3);
  EXPECT_FALSE(SettingsIni->SectionExists("Patterns"));
}

// ---- pause, end and restart in a slow listing ----

class GroupSearchStop : public GroupSearch {
 protected:
  void SetUp() override {
    GroupSearch::SetUp();
    Responder = std::make_unique<ModalResponder>([this](const Modal::Request& r) {
      Modal::Answer a;
      a.result = mrOk;
      if (r.kind == Modal::Kind::ShowModal && OnForm) OnForm(r.form);
      else if (r.kind == Modal::Kind::ShowModal) a.result = mrCancel;
      return a;
    });
  }
  void TearDown() override {
    GroupSearch::TearDown();
    Responder.reset();
  }
  // Starts a group search and waits until it is inside the slow listing of the share.
  void StartSlowSearch() {
    S->Net.SetDelayMs(kDelayMs);
    SearchRun::ChooseGroup("txt");
    FormMain->ButtonFindClick(FormMain->ButtonFind);
    ASSERT_NE(SearchGroupThread, nullptr);
    ASSERT_TRUE(SearchRun::WaitUntil([this] { return S->Panel(0) == " \\\\PC1\\docs\\"; }));
  }
  std::unique_ptr<ModalResponder> Responder;
  std::function<void(QDialog*)> OnForm;
};

TEST_F(GroupSearchStop, EndDuringASlowListingLeavesNoTrace) {
  StartSlowSearch();
  OnForm = [](QDialog* form) {
    ASSERT_EQ(form, EndSearch);
    EndSearch->ButtonOkClick(EndSearch->ButtonOk);
  };
  FormMain->ButtonEndClick(FormMain->ToolButtonEnd);
  EXPECT_EQ(SearchGroupThread, nullptr);
  EXPECT_TRUE(GroupExtensions.isEmpty());
  const QStringList rows = S->Rows();
  const QString panel0 = S->Panel(0), path = CurrentSearchPath;
  const int count = FoundCount;
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  EXPECT_EQ(S->Rows(), rows);
  EXPECT_TRUE(rows.isEmpty());
  EXPECT_EQ(S->Panel(0), panel0);
  EXPECT_EQ(CurrentSearchPath, path);
  EXPECT_EQ(FoundCount, count);
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
}

TEST_F(GroupSearchStop, RestartDuringASlowListingRunsTheSameGroupAgainAtOnce) {
  StartSlowSearch();
  TSearchGroup* old = SearchGroupThread;
  TSearchGroup* started = nullptr;
  OnForm = [&](QDialog* form) {
    ASSERT_EQ(form, Research);
    Research->ButtonOkClick(Research->ButtonOk);
    started = SearchGroupThread;
  };
  FormMain->ButtonFindClick(FormMain->ToolButtonFind);
  ASSERT_NE(started, nullptr);
  EXPECT_NE(started, old);
  EXPECT_EQ(SearchPatternThread, nullptr);
  EXPECT_EQ(GroupExtensions, QStringList{".txt"});
  ASSERT_TRUE(S->WaitForSearchEnd());
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  // The rows of one search, once each, and the count that goes with them.
  EXPECT_EQ(S->Rows(), (QStringList{"PC1|\\docs\\|a|txt|1|-a--", "PC1|\\docs\\|b|txt|3|-a--",
                                    "PC1|\\docs\\pics.htm\\|inner|txt|6|-a--"}));
  EXPECT_EQ(FoundCount, 3);
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
}

TEST_F(GroupSearchStop, PausedSearchChangesNothingUntilContinue) {
  StartSlowSearch();
  FormMain->ButtonStopClick(FormMain->ToolButtonPause);
  EXPECT_TRUE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_EQ(S->Panel(0), " " + TextSearchPause);
  EXPECT_TRUE(FormMain->CanSortResults());
  const QStringList rows = S->Rows();
  SearchRun::WaitUntil([] { return false; }, 4 * kDelayMs);
  EXPECT_EQ(S->Rows(), rows);
  EXPECT_EQ(S->Panel(0), " " + TextSearchPause);
  EXPECT_NE(SearchGroupThread, nullptr);
  FormMain->ButtonContinueClick(FormMain->ToolButtonContinue);
  EXPECT_FALSE(FormMain->CanSortResults());
  ASSERT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(S->Rows().size(), 3);
}

TEST_F(GroupSearchStop, AMaskSearchMayFollowAStoppedGroupSearchAtOnce) {
  StartSlowSearch();
  OnForm = [](QDialog*) { EndSearch->ButtonOkClick(EndSearch->ButtonOk); };
  FormMain->ButtonEndClick(FormMain->End);
  FormMain->CheckBoxGroup->setChecked(false);
  S->Net.SetDelayMs(0);
  S->Find("*.htm*");
  ASSERT_NE(SearchPatternThread, nullptr);
  ASSERT_TRUE(S->WaitForSearchEnd());
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  // Both pages, the folder pics.htm and the page in sub: nothing of the
  // stopped search is mixed in.
  EXPECT_EQ(S->Rows().size(), 4);
  EXPECT_EQ(FoundCount, 4);
}
