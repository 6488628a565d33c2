// The computer-information view: one row per server of the last scan, the
// view switch, the one reading per scan, and the cancel.
#include <QAction>
#include <QDate>
#include <QLabel>
#include <QTimer>
#include <QMenu>
#include <QTime>

#include "NetworkFixture.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "network/Form_wait.h"
#include "network/Scanlan_thread.h"
#include "network/Viewresource_thead.h"
#include "platform/ui/ListView.h"
#include "platform/net/NetApi.h"
#include "platform/core/Thread.h"

namespace {

class ViewResourceTest : public NetworkTest {
 protected:
  // WORK: HOST (this computer), NT (NT 5.1, 0x9003, ip), OLD (DOS 6.22,
  // Windows 95 kinds), NOINFO, NOTIME.
  void BuildNetwork() {
    FNet->SetThisComputer("HOST");
    FNet->AddServer("WORK", "HOST");
    FNet->SetServerKey("HOST", "Ip", "192.168.1.2");
    FNet->AddServer("WORK", "NT");
    FNet->SetServerKey("NT", "Ip", "10.0.0.7");
    FNet->SetServerKey("NT", "Type", "0x9003");
    FNet->AddServer("WORK", "OLD");
    FNet->SetServerKey("OLD", "Platform", "300");
    FNet->SetServerKey("OLD", "Version", "6.22");
    FNet->SetServerKey("OLD", "Type", "0x80400001");
    FNet->AddServer("WORK", "NOINFO");
    FNet->SetServerKey("NOINFO", "Ip", "10.0.0.9");
    FNet->SetServerKey("NOINFO", "NoInfo", "1");
    FNet->AddServer("WORK", "NOTIME");
    FNet->SetServerKey("NOTIME", "NoTime", "1");
  }

  void ScanAndOpen() {
    FormMain->SpeedButtonScanClick(nullptr);
    ASSERT_TRUE(WaitForWorkers());
    OpenView();
  }
  void OpenView() {
    FormMain->ToolButtonResourcesClick(nullptr);
    ASSERT_FALSE(WaitTimedOut);
    ASSERT_TRUE(WaitForWorkers());
  }
  static int RowOf(const QString& name) {
    TListView* list = FormMain->ListViewResources;
    for (int i = 0; i < list->Count(); ++i)
      if (list->Item(i).Caption == name) return i;
    return -1;
  }
  static QStringList Row(const QString& name) {
    const int i = RowOf(name);
    if (i < 0) return {};
    const TListItem& item = FormMain->ListViewResources->Item(i);
    return QStringList{item.Caption} + item.SubItems;
  }
};

TEST_F(ViewResourceTest, ShowsOneRowPerServerWithItsInformation) {
  BuildNetwork();
  CreateWindows();
  ScanAndOpen();
  TListView* list = FormMain->ListViewResources;
  ASSERT_EQ(list->Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list->Item(i).Caption, ComputerNames[i]);

  // The server's date as its clock reports it (in UTC).
  const QString utcToday = QStringLiteral("%1/%2/%3")
                               .arg(QDateTime::currentDateTimeUtc().date().day(), 2, 10, QLatin1Char('0'))
                               .arg(TextMonths[QDateTime::currentDateTimeUtc().date().month() - 1])
                               .arg(QDateTime::currentDateTimeUtc().date().year());

  // This computer: zero difference, its date, and the selected row.
  const QStringList host = Row("HOST");
  ASSERT_EQ(host.size(), 6);
  EXPECT_EQ(host[1], "192.168.1.2");
  EXPECT_EQ(host[2], "NT 5.1");
  EXPECT_EQ(host[3], " 00:00:00");
  EXPECT_EQ(host[4], utcToday);
  EXPECT_EQ(host[5], "NT Workstation/Server");
  EXPECT_EQ(list->SelectedIndexes(), std::vector<int>{RowOf("HOST")});

  const QStringList nt = Row("NT");
  EXPECT_EQ(nt[1], "10.0.0.7");
  EXPECT_EQ(nt[2], "NT 5.1");
  EXPECT_TRUE(nt[3].startsWith('+') || nt[3].startsWith('-')) << nt[3].toStdString();
  EXPECT_EQ(nt[4], utcToday);
  EXPECT_EQ(nt[5], "NT Workstation/Server, NT server that is not Domain controller");

  EXPECT_EQ(Row("OLD"), QStringList({"OLD", "", "DOS 6.22", Row("OLD").value(3), utcToday,
                                     "Workstation, Primary domain, Windows 95/98/Me"}));
  // No server information: the name and the IP only.
  EXPECT_EQ(Row("NOINFO"), QStringList({"NOINFO", "10.0.0.9", "", "", "", ""}));
  // No time: empty time and date, never those of the row before.
  EXPECT_EQ(Row("NOTIME"), QStringList({"NOTIME", "", "NT 5.1", "", "", "NT Workstation/Server"}));

  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_TRUE(FormWait->FMode);
  EXPECT_EQ(ViewResourceThread, nullptr);
  EXPECT_EQ(Panel(0), "");
}

TEST_F(ViewResourceTest, TheClockDifferenceFollowsTheServersClock) {
  FNet->SetThisComputer("HOST");
  FNet->AddServer("WORK", "AHEAD");
  FNet->SetServerKey("AHEAD", "ClockOffset", "3725");
  CreateWindows();
  ScanAndOpen();
  const QStringList row = Row("AHEAD");
  ASSERT_EQ(row.size(), 6);
  // An hour, two minutes and five seconds ahead (a second either way for
  // the time between the two clock readings); near midnight the
  // difference wraps, which the pure clock tests cover.
  const QTime now = QTime::currentTime();
  if (now.hour() >= 1 && now.hour() < 22) {
    EXPECT_TRUE(row[3] == "+01:02:05" || row[3] == "+01:02:04" || row[3] == "+01:02:06") << row[3].toStdString();
  }
}

TEST_F(ViewResourceTest, SwitchesTheViewAndItsMenus) {
  CreateWindows();
  FormMain->ToolButtonResourcesClick(nullptr);
  EXPECT_TRUE(FormMain->ToolButtonFindList->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonLoadList->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonResources->isEnabled());
  EXPECT_FALSE(FormMain->ListViewResult->isVisibleTo(FormMain));
  EXPECT_FALSE(FormMain->ListViewLoads->isVisibleTo(FormMain));
  EXPECT_TRUE(FormMain->ListViewResources->isVisibleTo(FormMain));
  EXPECT_TRUE(FormMain->ResultView->isEnabled());
  EXPECT_TRUE(FormMain->TaskView->isEnabled());
  EXPECT_FALSE(FormMain->CompView->isEnabled());
  for (QAction* a : {FormMain->SelectAll, FormMain->Invert, FormMain->FindFiles, FormMain->Icons,
                     FormMain->Table, FormMain->List, FormMain->SortBy->menuAction()})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  // Nothing was stale: no reading.
  EXPECT_EQ(WaitShowings, 0);
}

TEST_F(ViewResourceTest, ReadsOnlyOnceWhenOpenedTwiceWithoutAScan) {
  BuildNetwork();
  CreateWindows();
  ScanAndOpen();
  EXPECT_EQ(WaitShowings, 2);
  EXPECT_FALSE(FormMain->FResourcesStale);
  FormMain->ListViewResources->SetCaption(0, "marker");

  OpenView();
  EXPECT_EQ(WaitShowings, 2);
  EXPECT_EQ(FormMain->ListViewResources->Item(0).Caption, "marker");

  // A new scan makes it stale again; the next opening reads anew.
  FormMain->ToolButtonResources->setEnabled(true);
  FormMain->SpeedButtonScanClick(nullptr);
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_EQ(WaitShowings, 3);
  OpenView();
  EXPECT_EQ(WaitShowings, 4);
  EXPECT_EQ(FormMain->ListViewResources->Count(), 5);
  EXPECT_EQ(FormMain->ListViewResources->Item(0).Caption, ComputerNames[0]);
}

TEST_F(ViewResourceTest, AScanWhileTheViewIsCurrentRefreshesIt) {
  BuildNetwork();
  CreateWindows();
  ScanAndOpen();
  ASSERT_EQ(FormMain->ListViewResources->Count(), 5);
  FNet->AddServer("WORK", "LATE");

  FormMain->SpeedButtonScanClick(nullptr);
  ASSERT_FALSE(WaitTimedOut);
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_EQ(WaitShowings, 4);  // scan, information, scan, information
  EXPECT_EQ(FormMain->ListViewResources->Count(), 6);
  EXPECT_GE(RowOf("LATE"), 0);
}

TEST_F(ViewResourceTest, WithNoComputersTheListStaysEmptyAndTheWindowCloses) {
  CreateWindows();
  FormMain->ListViewResources->AddItem(TListItem{"stale", {}, -1, false});
  FormMain->FResourcesStale = true;
  OpenView();
  EXPECT_EQ(WaitShowings, 1);
  // Only this computer's row, which is always there.
  ASSERT_EQ(FormMain->ListViewResources->Count(), 1);
  EXPECT_EQ(FormMain->ListViewResources->Item(0).Caption, NetApi::GetComputerName());
  EXPECT_FALSE(FormWait->isVisible());
}

TEST_F(ViewResourceTest, EscapeKeepsTheRowsReadAndTheStoppedWorkerAddsNoMore) {
  FNet->SetThisComputer("HOST");
  for (int i = 1; i <= 8; ++i) FNet->AddServer("WORK", QStringLiteral("S%1").arg(i));
  CreateWindows();
  FormMain->SpeedButtonScanClick(nullptr);
  ASSERT_TRUE(WaitForWorkers());
  ASSERT_EQ(ComputerNames.size(), 8);
  FNet->SetDelayMs(60);  // every server call is slow now

  bool pressed = false;
  WhileWaiting = [&] {
    if (!pressed && FormMain->ListViewResources->Count() >= 2) {
      pressed = true;
      PressEscape();
    }
  };
  FormMain->ToolButtonResourcesClick(nullptr);
  ASSERT_TRUE(pressed);
  WhileWaiting = nullptr;
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_EQ(ViewResourceThread, nullptr);
  EXPECT_TRUE(FormMain->FResourcesStale);
  const int rows = FormMain->ListViewResources->Count();
  EXPECT_GE(rows, 2);
  EXPECT_LT(rows, 8);

  // The wait window serves a new run meanwhile; the old worker leaves it be.
  FormWait->show();
  FormWait->TimerCaption->stop();
  FormMain->StatusBar->SetPanelText(0, "next run");
  ASSERT_GT(TThread::RunningCount(), 0) << "the worker ended too soon to test its stop";
  ASSERT_TRUE(WaitForWorkers());
  EXPECT_TRUE(FormWait->isVisible());
  EXPECT_EQ(Panel(0), "next run");
  EXPECT_EQ(FormMain->ListViewResources->Count(), rows);
  FormWait->hide();

  // The next opening reads again, as the cancel left the view stale.
  FNet->SetDelayMs(0);
  OpenView();
  EXPECT_EQ(FormMain->ListViewResources->Count(), 9);  // and this computer's row
}

TEST_F(ViewResourceTest, ThisComputersRowIsThereWhenTheScanDidNotMeetIt) {
  // This computer runs no server the scan could meet: its row comes from
  // what is known here, selected, with no clock difference and today's date.
  FNet->SetThisComputer("HOST");
  FNet->AddServer("WORK", "NT");
  FNet->SetServerKey("HOST", "Ip", "192.168.1.2");
  CreateWindows();
  ScanAndOpen();
  EXPECT_EQ(ComputerNames, QStringList({"NT"}));
  const QDate today = QDate::currentDate();
  const QString date = QStringLiteral("%1/%2/%3").arg(today.day(), 2, 10, QLatin1Char('0')).arg(TextMonths[today.month() - 1]).arg(today.year());
  EXPECT_EQ(Row("HOST"), QStringList({"HOST", "192.168.1.2", "", " 00:00:00", date, ""}));
  const int row = RowOf("HOST");
  ASSERT_GE(row, 0);
  EXPECT_TRUE(FormMain->ListViewResources->IsSelected(row));
  EXPECT_EQ(FormMain->ListViewResources->Count(), 2);
}

}  // namespace
