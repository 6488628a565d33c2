// The wait window: its size by the mode text, the dots and the bar, and the
// ESC cancel.
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "NetworkFixture.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "network/Form_wait.h"
#include "network/Scanlan_thread.h"
#include "network/Viewresource_thead.h"

namespace {

class FormWaitTest : public NetworkTest {
 protected:
  void SetUp() override {
    NetworkTest::SetUp();
    CreateWindows();
  }
  // Shows the window as a caller does and leaves it up.
  void ShowWith(const QString& text, bool infoMode) {
    FormWait->LabelWait->setText(text);
    FormWait->FMode = infoMode;
    FormWait->ProgressBar->setValue(0);
    FormWait->show();
  }
};

TEST_F(FormWaitTest, SizesItselfByTheModeText) {
  ShowWith(QStringLiteral("Short"), false);
  ASSERT_LE(FormWait->LabelWait->width(), 230);
  EXPECT_EQ(FormWait->width(), 250);
  EXPECT_EQ(FormWait->height(), 72);
  EXPECT_EQ(FormWait->LabelWait->x(), 10);
  EXPECT_EQ(FormWait->ProgressBar->x(), 10);
  EXPECT_EQ(FormWait->ProgressBar->width(), 230);
  EXPECT_TRUE(FormWait->TimerCaption->isActive());
  EXPECT_TRUE(FormWait->TimerProcess->isActive());
  FormWait->hide();

  ShowWith(QString(80, QLatin1Char('W')), false);
  const int w = FormWait->LabelWait->width();
  ASSERT_GT(w, 230);
  EXPECT_EQ(FormWait->width(), w + 40);
  EXPECT_EQ(FormWait->ProgressBar->width(), w + 20);

  // The dots do not resize the window.
  FormWait->TimerCaptionTimer(nullptr);
  FormWait->TimerCaptionTimer(nullptr);
  EXPECT_EQ(FormWait->width(), w + 40);
  FormWait->hide();
}

TEST_F(FormWaitTest, DotsCycleEveryTickAndContinueAcrossShowings) {
  EXPECT_EQ(FormWait->FTicks, 0);
  ShowWith(TextMessagesScan, false);
  const QString scan = TextMessagesScan;
  const QStringList dots{"", ".", "..", "...", ""};
  for (const QString& d : dots) {
    FormWait->TimerCaptionTimer(nullptr);
    EXPECT_EQ(FormWait->LabelWait->text(), scan + " " + d);
    EXPECT_EQ(Panel(0), " " + scan + " " + d);
  }
  FormWait->hide();
  EXPECT_EQ(Panel(0), "");

  // Information mode, second showing: the counter goes on from 5.
  ShowWith(TextMessagesInfo, true);
  FormWait->TimerCaptionTimer(nullptr);
  EXPECT_EQ(FormWait->LabelWait->text(), TextMessagesInfo + " .");
  EXPECT_EQ(Panel(0), " " + TextMessagesInfo + " .");
  EXPECT_EQ(FormWait->FTicks, 6);
  FormWait->hide();
}

TEST_F(FormWaitTest, BarRunsOneToHundredAndStartsAgainAtOne) {
  ShowWith(TextMessagesScan, false);
  EXPECT_EQ(FormWait->ProgressBar->value(), 0);
  for (int i = 1; i <= 100; ++i) {
    FormWait->TimerProcessTimer(nullptr);
    ASSERT_EQ(FormWait->ProgressBar->value(), i);
  }
  FormWait->TimerProcessTimer(nullptr);
  EXPECT_EQ(FormWait->ProgressBar->value(), 1);
  FormWait->hide();
}

TEST_F(FormWaitTest, ClosingStopsTheTimersAndClearsTheMessagePanel) {
  ShowWith(TextMessagesScan, false);
  FormWait->TimerCaptionTimer(nullptr);
  ASSERT_NE(Panel(0), "");
  FormWait->close();
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_FALSE(FormWait->TimerCaption->isActive());
  EXPECT_FALSE(FormWait->TimerProcess->isActive());
  EXPECT_EQ(Panel(0), "");
}

TEST_F(FormWaitTest, KeysOtherThanEscapeDoNothing) {
  ShowWith(TextMessagesScan, false);
  FormMain->FResourcesStale = false;
  PressKey(Qt::Key_Return, "\r");
  PressKey(Qt::Key_Space, " ");
  PressKey(Qt::Key_A, "a");
  EXPECT_TRUE(FormWait->isVisible());
  EXPECT_FALSE(FormMain->FResourcesStale);
  FormWait->hide();
}

TEST_F(FormWaitTest, EscapeClosesAndMarksTheInformationStale) {
  ShowWith(TextMessagesInfo, true);
  FormWait->TimerCaptionTimer(nullptr);
  FormMain->FResourcesStale = false;
  PressEscape();
  EXPECT_FALSE(FormWait->isVisible());
  EXPECT_EQ(Panel(0), "");
  EXPECT_TRUE(FormMain->FResourcesStale);
  EXPECT_EQ(ScanLanThread, nullptr);
  EXPECT_EQ(ViewResourceThread, nullptr);
}

}  // namespace
