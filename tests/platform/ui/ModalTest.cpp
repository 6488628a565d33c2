#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ui/Modal.h"
#include "support/ModalResponder.h"

namespace {

using Modal::Kind;

// A small form as the program's dialogs are: fields filled when shown,
// buttons that close it with a modal result.
class SampleForm : public QDialog {
 public:
  SampleForm() {
    setWindowTitle("Sample");
    auto* layout = new QVBoxLayout(this);
    Edit = new QLineEdit(this);
    Ok = new QPushButton("OK", this);
    layout->addWidget(Edit);
    layout->addWidget(Ok);
    connect(Ok, &QPushButton::clicked, this, [this] { done(mrOk); });
  }
  int Shows = 0;
  QLineEdit* Edit;
  QPushButton* Ok;

 protected:
  void showEvent(QShowEvent* e) override {
    ++Shows;
    Edit->setText("from show");
    QDialog::showEvent(e);
  }
};

// Closes the next modal box that opens, through `act`; stops trying after
// a few seconds so that a test never hangs.
void WhenModalOpens(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act, tries] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->deleteLater();
      act(w);
    } else if (++*tries > 500) {
      timer->deleteLater();
    }
  });
  timer->start(10);
}

TEST(Modal, MessagesAndConfirmationsGoToTheResponder) {
  ModalResponder responder;
  responder.Queue(mrOk).Queue(mrYes).Queue(mrNo);
  Modal::MessageBox("Settings file not found", "Error");
  EXPECT_TRUE(Modal::Confirm("Close?"));
  EXPECT_FALSE(Modal::Confirm("Close?"));
  EXPECT_FALSE(Modal::Confirm("Unanswered counts as No"));
  Modal::ShowException("Unable to write to C:\\x.ini");

  ASSERT_EQ(responder.Count(), 5);
  const auto& r = responder.Requests();
  EXPECT_EQ(r[0].kind, Kind::Message);
  EXPECT_EQ(r[0].text, "Settings file not found");
  EXPECT_EQ(r[0].caption, "Error");
  EXPECT_EQ(r[1].kind, Kind::Confirm);
  EXPECT_EQ(r[1].text, "Close?");
  EXPECT_EQ(r[4].kind, Kind::Exception);
  EXPECT_EQ(r[4].text, "Unable to write to C:\\x.ini");
  EXPECT_EQ(responder.Count(Kind::Confirm), 3);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << "a responder shows no box";
}

TEST(Modal, InputQueryAndFolderBrowserSetTheirValueOnlyOnOk) {
  ModalResponder responder;
  responder.Queue(mrOk, "\\\\PC1\\docs\\a.txt").Queue(mrCancel, "ignored");
  QString path = "\\\\compname\\path\\filename";
  EXPECT_TRUE(Modal::InputQuery("Download", "Input full path to the file", path));
  EXPECT_EQ(path, "\\\\PC1\\docs\\a.txt");
  EXPECT_FALSE(Modal::InputQuery("Download", "Input full path to the file", path));
  EXPECT_EQ(path, "\\\\PC1\\docs\\a.txt");
  EXPECT_EQ(responder.Requests()[0].value, "\\\\compname\\path\\filename");
  EXPECT_EQ(responder.Requests()[0].caption, "Download");
  EXPECT_EQ(responder.Requests()[0].text, "Input full path to the file");

  responder.Queue(mrOk, "C:\\tmp\\dest").Queue(mrCancel).Queue(mrOk, "");
  QString folder = "C:\\start";
  EXPECT_TRUE(Modal::BrowseForFolder("Choose directory to copy to", folder));
  EXPECT_EQ(folder, "C:\\tmp\\dest");
  EXPECT_FALSE(Modal::BrowseForFolder("Choose directory to copy to", folder));
  EXPECT_FALSE(Modal::BrowseForFolder("Choose directory to copy to", folder));  // nothing chosen
  EXPECT_EQ(folder, "C:\\tmp\\dest");
  EXPECT_EQ(responder.Last().kind, Kind::BrowseFolder);
  EXPECT_EQ(responder.Last().caption, "Choose directory to copy to");
}

TEST(Modal, ShowModalHandsTheShownFormToTheResponder) {
  SampleForm form;
  ModalResponder responder([](const Modal::Request& r) {
    auto* f = static_cast<SampleForm*>(r.form);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->Edit->text(), "from show");  // show handlers ran first
    f->Edit->setText("typed");
    f->Ok->click();
    return Modal::Answer{};  // the button's result counts
  });
  EXPECT_EQ(Modal::ShowModal(&form), mrOk);
  EXPECT_EQ(form.result(), mrOk);
  EXPECT_EQ(form.Edit->text(), "typed");
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Shows, 1);
  EXPECT_EQ(responder.Last().kind, Kind::ShowModal);
  EXPECT_EQ(responder.Last().form, &form);
  EXPECT_EQ(responder.Last().caption, "Sample");

  // An explicit answer wins and closes the form.
  responder.SetAnswer([](const Modal::Request&) { return Modal::Answer{mrCancel, {}}; });
  EXPECT_EQ(Modal::ShowModal(&form), mrCancel);
  EXPECT_EQ(form.result(), mrCancel);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.Shows, 2);
  EXPECT_EQ(Modal::ShowModal(nullptr), mrNone);
}

TEST(Modal, RespondersNestAndPutTheOuterOneBack) {
  EXPECT_FALSE(Modal::HasResponder());
  {
    ModalResponder outer;
    {
      ModalResponder inner;
      Modal::MessageBox("inner", "c");
      EXPECT_EQ(inner.Count(), 1);
    }
    Modal::MessageBox("outer", "c");
    EXPECT_EQ(outer.Texts(), QStringList({"outer"}));
  }
  EXPECT_FALSE(Modal::HasResponder());
}

TEST(Modal, CallsFromAWorkerAreAnsweredOnTheGuiThread) {
  QThread* answeredOn = nullptr;
  ModalResponder responder([&](const Modal::Request&) {
    answeredOn = QThread::currentThread();
    return Modal::Answer{mrYes, {}};
  });
  std::atomic<int> result{-1};
  std::thread worker([&] { result = Modal::Confirm("from a worker") ? 1 : 0; });
  for (int i = 0; i < 5000 && result < 0; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(1);
  }
  worker.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(answeredOn, qApp->thread());
}

TEST(Modal, RealBoxesWithoutAResponder) {
  ASSERT_FALSE(Modal::HasResponder());
  // Yes clicked in the real confirmation box.
  WhenModalOpens([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Create directory?");
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(Modal::Confirm("Create directory?"));

  // Closed without choosing: No.
  WhenModalOpens([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(Modal::Confirm("Close?"));

  // A real modal showing returns the result the form ends with.
  SampleForm form;
  WhenModalOpens([](QWidget* w) { static_cast<SampleForm*>(w)->Ok->click(); });
  EXPECT_EQ(Modal::ShowModal(&form), mrOk);

  // The exception box ends its text with a full stop.
  QString shown;
  WhenModalOpens([&shown](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    shown = box->text();
    box->accept();
  });
  Modal::ShowException("Unable to write to C:\\x.ini");
  EXPECT_EQ(shown, "Unable to write to C:\\x.ini.");
}

}  // namespace
