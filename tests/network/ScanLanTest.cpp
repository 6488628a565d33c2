// The network scan: the computers tree, the list of names, the status
// panels, the wait window and the cancel.
#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTreeWidget>

#include "NetworkFixture.h"
#include "app/Endsearchform.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "network/Form_wait.h"
#include "network/Scanlan_thread.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TreeChecks.h"
#include "search/Search_state.h"

namespace {

class ScanLanTest : public NetworkTest {
 protected:
  // WORK: PC1 (this computer, share c), PC10 (docs, music, printer lp),
  // SRV2 (data); HOME: EMPTY (no share), SRV2 again (backup).
  void BuildNetwork() {
    FNet->SetThisComputer("PC1");
    FNet->AddServer("WORK", "PC1");
    FNet->AddShare("PC1", "c");
    FNet->AddServer("WORK", "PC10");
    FNet->AddShare("PC10", "docs");
    FNet->AddShare("PC10", "music");
    FNet->SetServerKey("PC10", "Printers", "lp");
    FNet->AddServer("WORK", "SRV2");
    FNet->AddShare("SRV2", "data");
    FNet->AddServer("HOME", "EMPTY");
    QDir().mkpath(FNet->Root() + "/HOME/SRV2/backup");
  }

  void Scan() {
    FormMain->SpeedButtonScanClick(nullptr);
    ASSERT_FALSE(WaitTimedOut) << "the wait window never closed";
    ASSERT_TRUE(WaitForWorkers());
  }
};

TEST_F(ScanLanTest, FillsTheTreeWithEveryServerButThisComputer) {
  BuildNetwork();
  CreateWindows();
  FormMain->StatusBar->SetPanelText(0, "old");
  Scan();

  // HOME comes before WORK in name order; the tree sorts its nodes.
  EXPECT_EQ(ComputerNames, QStringList({"EMPTY", "SRV2", "PC1", "PC10", "SRV2"}));
  EXPECT_EQ(ComputerNodes(), QStringList({"EMPTY", "PC10", "SRV2", "SRV2"}));
  EXPECT_EQ(ComputerCount, 4);
  EXPECT_EQ(Panel(2), "Computer(s): 4");
  EXPECT_EQ(Panel(0), "");
  EXPECT_EQ(WaitShowings, 1);
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_FALSE(FormWait->FMode);
  EXPECT_EQ(ScanLanThread, nullptr);
  EXPECT_TRUE(FormMain->FResourcesStale);

  // Disk shares only, ticked; computers unticked; the reported-twice
  // server has one node per report, each with the server's shares.
  EXPECT_EQ(ShareNodes(0), QStringList());
  EXPECT_EQ(ShareNodes(1), QStringList({"docs", "music"}));
  EXPECT_FALSE(ShareNodes(2).isEmpty());
  EXPECT_EQ(ShareNodes(2), ShareNodes(3));
  QTreeWidget* tree = FormMain->ListViewBoxComputers;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* computer = tree->topLevelItem(i);
    EXPECT_EQ(GetStateIndex(computer), STATE_UNCHECKED) << computer->text(0).toStdString();
    for (int j = 0; j < computer->childCount(); ++j)
      EXPECT_EQ(GetStateIndex(computer->child(j)), STATE_CHECKED);
  }
}

TEST_F(ScanLanTest, AServerWhoseShareListRanOutOfTimeIsMarkedNotShownAsEmpty) {
  BuildNetwork();
  FNet->AddServer("WORK", "SLOW");
  FNet->AddShare("SLOW", "data");
  FNet->SetServerKey("SLOW", "NoShareAnswer", "1");
  CreateWindows();
  Scan();
  QTreeWidget* tree = FormMain->ListViewBoxComputers;
  const QStringList nodes = ComputerNodes();
  ASSERT_EQ(nodes, QStringList({"EMPTY", "PC10", "SLOW", "SRV2", "SRV2"}));
  // Its node is there, marked; a server without shares (EMPTY) is not.
  EXPECT_TRUE(tree->topLevelItem(2)->data(0, UnansweredRole).toBool());
  EXPECT_TRUE(tree->topLevelItem(2)->font(0).italic());
  EXPECT_EQ(ShareNodes(2), QStringList());
  EXPECT_FALSE(tree->topLevelItem(0)->data(0, UnansweredRole).toBool());
  EXPECT_FALSE(tree->topLevelItem(0)->font(0).italic());
  // The servers after it keep their shares.
  EXPECT_FALSE(ShareNodes(3).isEmpty());
  EXPECT_EQ(ShareNodes(3), ShareNodes(4));
}

TEST_F(ScanLanTest, AServerNamedLikeThisComputerAndMoreIsListed) {
  BuildNetwork();
  CreateWindows();
  Scan();
  const int pc10 = ComputerNodes().indexOf("PC10");
  ASSERT_GE(pc10, 0);
  EXPECT_EQ(ShareNodes(pc10), QStringList({"docs", "music"}));
  EXPECT_FALSE(ComputerNodes().contains("PC1"));
  EXPECT_TRUE(ComputerNames.contains("PC1"));
}

TEST_F(ScanLanTest, NodesAreSortedWithoutRegardToLetterCase) {
  FNet->AddServer("WORK", "pc0");
  FNet->AddShare("pc0", "Zeta");
  FNet->AddShare("pc0", "alpha");
  FNet->AddShare("pc0", "Beta");
  FNet->AddServer("WORK", "PC2");
  FNet->AddServer("WORK", "Pc1");
  CreateWindows();
  Scan();
  EXPECT_EQ(ComputerNodes(), QStringList({"pc0", "Pc1", "PC2"}));
  EXPECT_EQ(ShareNodes(0), QStringList({"alpha", "Beta", "Zeta"}));
}

TEST_F(ScanLanTest, ALevelLargerThanOneBatchComesWhole) {
  FNet->SetThisComputer("HOST");
  FNet->AddServer("WORK", "BIG");
  QStringList expected;
  for (int i = 0; i < 300; ++i) {
    const QString share = QStringLiteral("share_with_a_long_name_%1").arg(i, 3, 10, QLatin1Char('0'));
    FNet->AddShare("BIG", share);
    expected << share;
  }
  // 300 records of about 70 bytes: more than three 6400-byte batches.
  CreateWindows();
  Scan();
  ASSERT_EQ(ComputerNodes(), QStringList({"BIG"}));
  QStringList shares = ShareNodes(0);
  shares.sort();
  EXPECT_EQ(shares, expected);
}

TEST_F(ScanLanTest, ANewScanReplacesTheTreeAndUnticksTheSelectAllBoxes) {
  BuildNetwork();
  CreateWindows();
  Scan();
  SetStateIndex(FormMain->ListViewBoxComputers->topLevelItem(1), STATE_CHECKED);
  FormMain->CheckBoxSelectAll->setChecked(true);
  FormMain->CheckBoxInvers->setChecked(true);
  FormMain->FResourcesStale = false;

  Scan();
  EXPECT_EQ(ComputerNodes(), QStringList({"EMPTY", "PC10", "SRV2", "SRV2"}));
  EXPECT_EQ(GetStateIndex(FormMain->ListViewBoxComputers->topLevelItem(1)), STATE_UNCHECKED);
  EXPECT_FALSE(FormMain->CheckBoxSelectAll->isChecked());
  EXPECT_FALSE(FormMain->CheckBoxInvers->isChecked());
  EXPECT_EQ(ComputerNames.size(), 5);
  EXPECT_EQ(Panel(2), "Computer(s): 4");
  EXPECT_TRUE(FormMain->FResourcesStale);
}

TEST_F(ScanLanTest, NoNetworkLeavesTheTreeEmptyAndTheComputersPanelAsItWas) {
  CreateWindows();
  FormMain->StatusBar->SetPanelText(2, "Computer(s): 7");
  Scan();
  EXPECT_EQ(ComputerNodes(), QStringList());
  EXPECT_EQ(ComputerCount, 0);
  EXPECT_EQ(Panel(2), "Computer(s): 7");
  EXPECT_FALSE(FormWait->isVisible());
}

TEST_F(ScanLanTest, StartsByItselfAfterTheFirstPaintOnly) {
  BuildNetwork();
  FFolder->CreateWindows();
  FFolder->ShowMain();
  ASSERT_TRUE(WaitUntil([] { return !FormMain->FFirstPaint; }));
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_EQ(WaitShowings, 1);
  EXPECT_EQ(ComputerNodes(), QStringList({"EMPTY", "PC10", "SRV2", "SRV2"}));
  EXPECT_EQ(Panel(2), "Computer(s): 4");

  FormMain->repaint();
  FormMain->update();
  WaitUntil([] { return false; }, 100);
  EXPECT_EQ(WaitShowings, 1);
}

TEST_F(ScanLanTest, WhileASearchRunsADeclinedEndSearchChangesNothing) {
  BuildNetwork();
  CreateWindows();
  Scan();
  FormMain->FResourcesStale = false;
  FNet->AddServer("WORK", "NEW");

  SearchPatternThread = reinterpret_cast<TSearchPattern*>(&ComputerCount);  // only tested for null
  ConfirmEndSearch = false;
  FormMain->SpeedButtonScanClick(nullptr);
  EXPECT_EQ(EndSearchShowings, 1);
  EXPECT_EQ(WaitShowings, 1);
  EXPECT_EQ(ComputerNodes(), QStringList({"EMPTY", "PC10", "SRV2", "SRV2"}));
  EXPECT_FALSE(FormMain->FResourcesStale);
  EXPECT_NE(SearchPatternThread, nullptr);

  ConfirmEndSearch = true;
  Scan();
  EXPECT_EQ(EndSearchShowings, 2);
  EXPECT_EQ(WaitShowings, 2);
  EXPECT_TRUE(ComputerNodes().contains("NEW"));
}

TEST_F(ScanLanTest, EndingASearchForAScanDoesNotRefreshTheInformationView) {
  BuildNetwork();
  CreateWindows();
  FormMain->ToolButtonResources->setEnabled(false);  // the information view is current
  SearchGroupThread = reinterpret_cast<TSearchGroup*>(&ComputerCount);
  ConfirmEndSearch = true;
  Scan();
  EXPECT_EQ(WaitShowings, 1);  // the scan only
  EXPECT_TRUE(FormMain->FResourcesStale);
}

TEST_F(ScanLanTest, EscapeKeepsWhatWasFoundAndTheStoppedWorkerChangesNothingAfterwards) {
  FNet->SetThisComputer("HOST");
  for (const char* wg : {"A", "B", "C"})
    for (int i = 1; i <= 3; ++i) {
      const QString server = QString::fromLatin1(wg) + QString::number(i);
      FNet->AddServer(wg, server);
      FNet->AddShare(server, "s1");
      FNet->AddShare(server, "s2");
    }
  FNet->SetDelayMs(60);
  CreateWindows();
  FormMain->StatusBar->SetPanelText(2, "before");

  bool pressed = false;
  WhileWaiting = [&] {
    if (!pressed && ComputerNames.size() >= 2) {
      pressed = true;
      PressEscape();
    }
  };
  FormMain->SpeedButtonScanClick(nullptr);
  ASSERT_TRUE(pressed);
  ASSERT_FALSE(WaitTimedOut);
  WhileWaiting = nullptr;

  // Right after ESC: the window is down, the worker forgotten, the
  // information counts as stale, and what was found stays.
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_EQ(ScanLanThread, nullptr);
  EXPECT_TRUE(FormMain->FResourcesStale);
  EXPECT_EQ(Panel(0), "");
  const QStringList nodes = ComputerNodes();
  const QStringList names = ComputerNames;
  const QString panel2 = Panel(2);
  EXPECT_GE(names.size(), 2);
  EXPECT_LT(names.size(), 9);
  EXPECT_EQ(nodes.size(), names.size());
  EXPECT_EQ(panel2, "Computer(s): " + QString::number(nodes.size()));

  // The wait window now serves another run; the old worker, still inside a
  // slow network call, must neither close it nor write anything.
  FormWait->LabelWait->setText(TextMessagesInfo);
  FormWait->FMode = true;
  FormWait->show();
  FormWait->TimerCaption->stop();  // its dots would rewrite panel 0
  FormMain->StatusBar->SetPanelText(0, "next run");
  ASSERT_GT(TThread::RunningCount(), 0) << "the worker ended too soon to test its stop";
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_TRUE(FormWait->isVisible());
  EXPECT_EQ(Panel(0), "next run");
  EXPECT_EQ(ComputerNodes(), nodes);
  EXPECT_EQ(ComputerNames, names);
  EXPECT_EQ(Panel(2), panel2);
  EXPECT_EQ(ComputerCount, nodes.size());
  FormWait->hide();
}

TEST_F(ScanLanTest, ClosingTheWaitWindowOtherwiseThanByEscapeCancelsTheScanAsEscapeDoes) {
  FNet->SetThisComputer("HOST");
  for (const char* wg : {"A", "B"})
    for (int i = 1; i <= 4; ++i) {
      const QString server = QString::fromLatin1(wg) + QString::number(i);
      FNet->AddServer(wg, server);
      FNet->AddShare(server, "s1");
    }
  FNet->SetDelayMs(60);
  CreateWindows();

  // The window system closes the window (Alt+F4) while the scan runs.
  bool closed = false;
  WhileWaiting = [&] {
    if (!closed && ComputerNames.size() >= 2) {
      closed = true;
      FormWait->close();
    }
  };
  FormMain->SpeedButtonScanClick(nullptr);
  ASSERT_TRUE(closed);
  ASSERT_FALSE(WaitTimedOut);
  WhileWaiting = nullptr;
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_EQ(ScanLanThread, nullptr);
  EXPECT_TRUE(FormMain->FResourcesStale);
  const QStringList names = ComputerNames;
  EXPECT_LT(names.size(), 8);

  // The window serving a later run is left alone by the old worker.
  FormWait->LabelWait->setText(TextMessagesInfo);
  FormWait->FMode = true;
  FormWait->show();
  FormWait->TimerCaption->stop();
  FormMain->StatusBar->SetPanelText(0, "next run");
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_TRUE(FormWait->isVisible());
  EXPECT_EQ(Panel(0), "next run");
  EXPECT_EQ(ComputerNames, names);
  FormWait->hide();
}

}  // namespace
