#include "platform/ui/Modal.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"

namespace Modal {

namespace {

Responder& Installed() {
  static Responder responder;
  return responder;
}

// The window the box belongs to: the modal dialog on top, else the active window.
QWidget* BoxParent() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  return QApplication::activeWindow();
}

QString ApplicationTitle() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Trawlix") : name;
}

// Dialogs belong to the GUI thread. A call from a worker is carried over
// there and waits for the answer, rather than touching widgets from the
// wrong thread.
template <typename Fn>
auto OnGuiThread(Fn fn) -> decltype(fn()) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) return fn();
  using R = decltype(fn());
  if constexpr (std::is_void_v<R>) {
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
  } else {
    R result{};
    QMetaObject::invokeMethod(app, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

Request MakeRequest(Kind kind, const QString& text, const QString& caption, QDialog* form = nullptr,
                    const QString& value = QString()) {
  Request r;
  r.kind = kind;
  r.text = text;
  r.caption = caption;
  r.form = form;
  r.value = value;
  return r;
}

// Asks the responder, if any. A copy is called so that a responder may
// replace itself while it answers.
bool Ask(const Request& request, Answer& answer) {
  Responder responder = Installed();
  if (!responder) return false;
  answer = responder(request);
  return true;
}

}  // namespace

void SetResponder(Responder responder) { Installed() = std::move(responder); }

bool HasResponder() { return static_cast<bool>(Installed()); }

Responder CurrentResponder() { return Installed(); }

void MessageBox(const QString& text, const QString& caption) {
  OnGuiThread([&] {
    Answer answer;
    if (Ask(MakeRequest(Kind::Message, text, caption), answer)) return;
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, BoxParent());
    box.exec();
  });
}

bool Confirm(const QString& text) {
  return OnGuiThread([&] {
    const QString caption = QStringLiteral("Confirm");
    Answer answer;
    if (Ask(MakeRequest(Kind::Confirm, text, caption), answer)) return answer.result == mrYes;
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, BoxParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    // Closing the box any other way than by Yes counts as No.
    return box.exec() == QMessageBox::Yes;
  });
}

int ShowModal(QDialog* form) {
  if (!form) return mrNone;
  return OnGuiThread([&] {
    if (!HasResponder()) return form->exec();

    // The form is shown (offscreen in tests) so that its show handlers run
    // as they would for a real modal showing; the responder then works it.
    QPointer<QDialog> guard(form);
    form->setResult(mrNone);
    form->show();
    Answer answer;
    Ask(MakeRequest(Kind::ShowModal, QString(), form->windowTitle(), form), answer);
    if (!guard) return answer.result;
    int result = answer.result;
    // A responder that closed the form with a button and answered nothing
    // gets the result the button set.
    if (result == mrNone && !form->isVisible()) result = form->result();
    if (form->isVisible()) form->done(result);
    form->setResult(result);
    return result;
  });
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
  return OnGuiThread([&] {
    Answer answer;
    if (Ask(MakeRequest(Kind::InputQuery, prompt, caption, nullptr, value), answer)) {
      if (answer.result != mrOk) return false;
      value = answer.value;
      return true;
    }
    bool ok = false;
    const QString text = QInputDialog::getText(BoxParent(), caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = text;
    return ok;
  });
}

bool BrowseForFolder(const QString& title, QString& folder) {
  return OnGuiThread([&] {
    Answer answer;
    if (Ask(MakeRequest(Kind::BrowseFolder, QString(), title, nullptr, folder), answer)) {
      if (answer.result != mrOk || answer.value.isEmpty()) return false;
      folder = answer.value;
      return true;
    }
    // Start in the given folder when it is a local one that still exists.
    QString start = WinPath::IsDrive(folder) ? WinPath::ToLocal(folder) : QString();
    const QString chosen = QFileDialog::getExistingDirectory(BoxParent(), title, start);
    if (chosen.isEmpty()) return false;
    folder = WinPath::FromLocal(chosen);
    return true;
  });
}

void ShowException(const QString& text) {
  OnGuiThread([&] {
    Answer answer;
    const QString caption = ApplicationTitle();
    if (Ask(MakeRequest(Kind::Exception, text, caption), answer)) return;
    // The toolkit's box ends the message with a full stop.
    QString shown = text;
    if (!shown.isEmpty() && shown.back() > QLatin1Char('.')) shown += QLatin1Char('.');
    QMessageBox box(QMessageBox::Critical, caption, shown, QMessageBox::Ok, BoxParent());
    box.exec();
  });
}

}  // namespace Modal

namespace {
// An exception that escapes a worker's OnTerminate reaches the user in this
// facade's error box.
const bool kShowsWorkerErrors = (TThread::SetErrorDisplay(&Modal::ShowException), true);
}  // namespace

// Referenced by the link of every program that uses this layer, so that the
// registration above is always linked in (see src/CMakeLists.txt).
extern "C" void trawlix_platform_ui_linked() {}
