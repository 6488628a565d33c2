// Pause, stop and restart while the worker sits in a slow listing: a stopped
// worker leaves no trace (no row, count or status text), a restart runs the
// new search at once, and a paused search changes nothing until Continue.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

#include "app/Endsearchform.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "platform/ui/ListView.h"
#include "search/Searchpattern_thread.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"

namespace {

// Longer than the workers' hand-over interval, so the rows of each listing
// show while the next listing is under way.
constexpr int kDelayMs = 150;

class SearchStop : public ::testing::Test {
 protected:
  void SetUp() override {
    S = std::make_unique<SearchRun>();
    TSimNet& n = S->Net;
    n.AddServer("WORK", "PC1");
    n.AddShare("PC1", "docs");
    n.AddFile("\\\\PC1\\docs\\a.txt", 1);
    n.AddFile("\\\\PC1\\docs\\b.txt", 2);
    n.AddFolder("\\\\PC1\\docs\\sub");
    n.AddFile("\\\\PC1\\docs\\sub\\c.txt", 3);
    QTreeWidgetItem* pc1 = S->AddComputer("PC1", true);
    S->AddShare(pc1, "docs", true);
    Responder = std::make_unique<ModalResponder>([this](const Modal::Request& r) {
      Modal::Answer a;
      a.result = mrOk;
      if (r.kind == Modal::Kind::ShowModal && OnForm) OnForm(r.form);
      else if (r.kind == Modal::Kind::ShowModal) a.result = mrCancel;
      return a;
    });
  }
  void TearDown() override {
    EXPECT_TRUE(SearchRun::WaitForWorkers());
    Responder.reset();
    S.reset();
  }
  // Starts a search and waits until its worker is inside the slow listing of the share.
  void StartSlowSearch() {
    S->Net.SetDelayMs(kDelayMs);
    S->Find("*.txt");
    ASSERT_NE(SearchPatternThread, nullptr);
    ASSERT_TRUE(SearchRun::WaitUntil([this] { return S->Panel(0) == " \\\\PC1\\docs\\"; }));
  }
  std::unique_ptr<SearchRun> S;
  std::unique_ptr<ModalResponder> Responder;
  std::function<void(QDialog*)> OnForm;
};

struct Snapshot {
  QStringList Rows;
  int Count;
  QString Panel0, Panel1, Path;
  bool PauseEnabled;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const SearchRun& s) {
  return {s.Rows(), FoundCount, s.Panel(0), s.Panel(1), CurrentSearchPath, FormMain->ToolButtonPause->isEnabled()};
}

}  // namespace

TEST_F(SearchStop, EndDuringASlowListingLeavesNoTrace) {
  StartSlowSearch();
  OnForm = [](QDialog* form) {
    ASSERT_EQ(form, EndSearch);
    EndSearch->ButtonOkClick(EndSearch->ButtonOk);
  };
  FormMain->ButtonEndClick(FormMain->ToolButtonEnd);
  EXPECT_EQ(SearchPatternThread, nullptr);
  EXPECT_TRUE(EndSearch->FConfirmed);
  EXPECT_EQ(S->Panel(0), "");
  const Snapshot after = Take(*S);
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  EXPECT_EQ(Take(*S), after);
  EXPECT_TRUE(S->Rows().isEmpty());
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
}

TEST_F(SearchStop, RestartDuringASlowListingRunsTheNewSearchAtOnce) {
  StartSlowSearch();
  TSearchPattern* old = SearchPatternThread;
  TSearchPattern* started = nullptr;
  OnForm = [&](QDialog* form) {
    ASSERT_EQ(form, Research);
    Research->ButtonOkClick(Research->ButtonOk);
    started = SearchPatternThread;
  };
  FormMain->ButtonFindClick(FormMain->ButtonFind);
  ASSERT_NE(started, nullptr);
  EXPECT_NE(started, old);
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_FALSE(FormMain->EditPattern->isEnabled());
  ASSERT_TRUE(S->WaitForSearchEnd());
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  // The rows of one search, once each, and the count that goes with them.
  EXPECT_EQ(S->Rows(), (QStringList{"PC1|\\docs\\|a|txt|1|-a--", "PC1|\\docs\\|b|txt|2|-a--",
                                    "PC1|\\docs\\sub\\|c|txt|3|-a--"}));
  EXPECT_EQ(FoundCount, 3);
  EXPECT_EQ(S->Panel(1), TextStatusFiles + "3");
  EXPECT_EQ(S->Panel(0), " " + TextStatusOk);
}

TEST_F(SearchStop, RestartQuestionCancelledLetsTheSearchGoOn) {
  StartSlowSearch();
  TSearchPattern* running = SearchPatternThread;
  OnForm = [](QDialog* form) {
    ASSERT_EQ(form, Research);
    Research->ButtonCancelClick(Research->ButtonCancel);
  };
  FormMain->ButtonFindClick(FormMain->ToolButtonFind);
  EXPECT_EQ(SearchPatternThread, running);
  EXPECT_EQ(S->Panel(0), " " + CurrentSearchPath);
  ASSERT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(S->Rows().size(), 3);
}

TEST_F(SearchStop, PausedSearchChangesNothingUntilContinue) {
  StartSlowSearch();
  FormMain->ButtonStopClick(FormMain->ToolButtonPause);
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_EQ(S->Panel(0), " " + TextSearchPause);
  EXPECT_TRUE(FormMain->CanSortResults());
  // Long enough for the listing in progress to return.
  const Snapshot paused = Take(*S);
  SearchRun::WaitUntil([] { return false; }, 4 * kDelayMs);
  EXPECT_EQ(Take(*S), paused);
  EXPECT_NE(SearchPatternThread, nullptr);
  // Pause again does nothing.
  FormMain->ButtonStopClick(FormMain->Pause);
  EXPECT_EQ(Take(*S), paused);

  FormMain->ButtonContinueClick(FormMain->ToolButtonContinue);
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_FALSE(FormMain->CanSortResults());
  ASSERT_TRUE(S->WaitForSearchEnd());
  EXPECT_EQ(S->Rows().size(), 3);
}

TEST_F(SearchStop, EndingAPausedSearchReleasesItAndKeepsTheRows) {
  S->Net.SetDelayMs(kDelayMs);
  S->Find("*.txt");
  // Wait for the rows of the share root, then pause before the subfolder.
  ASSERT_TRUE(SearchRun::WaitUntil([this] { return S->Rows().size() == 2; }));
  FormMain->ButtonStopClick(FormMain->ToolButtonPause);
  EXPECT_TRUE(FormMain->SortBy->menuAction()->isEnabled());
  OnForm = [](QDialog*) { EndSearch->ButtonOkClick(EndSearch->ButtonOk); };
  FormMain->ButtonEndClick(FormMain->End);
  const Snapshot ended = Take(*S);
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  EXPECT_EQ(Take(*S), ended);
  EXPECT_EQ(S->Rows().size(), 2);
  EXPECT_TRUE(FormMain->SortBy->menuAction()->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonEnd->isEnabled());
  EXPECT_FALSE(FormMain->Continue->isEnabled());
  EXPECT_TRUE(FormMain->CanSortResults());
}

TEST_F(SearchStop, RestartingAPausedSearchRunsTheNewOneAtOnce) {
  StartSlowSearch();
  FormMain->ButtonStopClick(FormMain->ToolButtonPause);
  OnForm = [](QDialog*) { Research->ButtonOkClick(Research->ButtonOk); };
  FormMain->ButtonFindClick(FormMain->ToolButtonFind);
  // Continue keeps its state from the pause; Pause is enabled again.
  EXPECT_TRUE(FormMain->ToolButtonContinue->isEnabled());
  EXPECT_TRUE(FormMain->Continue->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonPause->isEnabled());
  EXPECT_TRUE(FormMain->Pause->isEnabled());
  EXPECT_FALSE(FormMain->CanSortResults());
  // Continue finds nothing paused and does nothing.
  FormMain->ButtonContinueClick(FormMain->ToolButtonContinue);
  EXPECT_TRUE(FormMain->ToolButtonContinue->isEnabled());
  ASSERT_TRUE(S->WaitForSearchEnd());
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  EXPECT_EQ(S->Rows().size(), 3);
  EXPECT_EQ(FoundCount, 3);
}
