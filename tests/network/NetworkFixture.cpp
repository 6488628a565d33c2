#include "NetworkFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QTreeWidget>

#include "app/Endsearchform.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "network/Form_wait.h"
#include "network/Scanlan_thread.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/Modal.h"
#include "platform/core/Thread.h"
#include "search/Search_state.h"

void NetworkTest::SetUp() {
  FNet = std::make_unique<TSimNet>();
  FFolder = std::make_unique<ProgramFolder>(QByteArray("[General]\nWindowMax=0\n"));
  DateFormat::SetLongTimeFormat(QStringLiteral("hh:mm:ss"));
  Modal::SetResponder([this](const Modal::Request& r) {
    Modal::Answer a;
    a.result = mrOk;
    if (r.kind != Modal::Kind::ShowModal) return a;
    if (r.form == FormWait) {
      ++WaitShowings;
      WaitTimedOut = !WaitUntil(
          [this] {
            if (WhileWaiting) WhileWaiting();
            return !FormWait || !FormWait->isVisible();
          },
          WaitLimitMs);
      a.result = mrCancel;
    } else if (r.form == EndSearch) {
      ++EndSearchShowings;
      EndSearch->FConfirmed = ConfirmEndSearch;
      // What the box's OK does to the search it ends.
      if (ConfirmEndSearch) {
        SearchPatternThread = nullptr;
        SearchGroupThread = nullptr;
      }
    }
    return a;
  });
}

void NetworkTest::TearDown() {
  // No worker of this test may reach into the next one.
  EXPECT_TRUE(WaitForWorkers());
  SearchPatternThread = nullptr;
  SearchGroupThread = nullptr;
  FFolder.reset();
  FNet.reset();
  DateFormat::ResetToSystem();
  ComputerNames.clear();
}

void NetworkTest::CreateWindows() {
  FFolder->CreateWindows();
  SetEnglishLanguage();
}

bool NetworkTest::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  // Wakes the loop now and then, as the condition may change without an
  // event; a worker's call wakes it at once.
  QTimer tick;
  tick.start(5);
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

bool NetworkTest::WaitForWorkers(int timeoutMs) {
  return WaitUntil([] { return TThread::RunningCount() == 0; }, timeoutMs) &&
         WaitUntil([] {
           QCoreApplication::sendPostedEvents();  // let finished workers free themselves
           return true;
         });
}

void NetworkTest::PressKey(int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(FormWait, &press);
}

void NetworkTest::PressEscape() { PressKey(Qt::Key_Escape, QString(QChar(27))); }

QStringList NetworkTest::ComputerNodes() {
  QStringList out;
  for (int i = 0; i < FormMain->ListViewBoxComputers->topLevelItemCount(); ++i)
    out << FormMain->ListViewBoxComputers->topLevelItem(i)->text(0);
  return out;
}

QStringList NetworkTest::ShareNodes(int computer) {
  QStringList out;
  QTreeWidgetItem* node = FormMain->ListViewBoxComputers->topLevelItem(computer);
  for (int i = 0; node && i < node->childCount(); ++i) out << node->child(i)->text(0);
  return out;
}

QString NetworkTest::Panel(int index) { return FormMain->StatusBar->PanelText(index); }
