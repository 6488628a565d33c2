#pragma once
// The one way the program talks to the user modally. Program code calls only
// these; a test installs a responder that answers them so that nothing
// blocks on a dialog.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

namespace Modal {

enum class Kind { Message, Confirm, ShowModal, InputQuery, BrowseFolder, Exception };

struct Request {
  Kind kind;
  QString text;     // message, question, prompt or exception text
  QString caption;  // window caption / title
  QDialog* form = nullptr;  // ShowModal: the dialog
  QString value;    // InputQuery / BrowseFolder: the starting value
};

struct Answer {
  int result = mrNone;  // TModalResult; Confirm: mrYes / mrNo
  QString value;        // InputQuery / BrowseFolder: the entered value
};

using Responder = std::function<Answer(const Request&)>;

// Installs a responder (tests); an empty one restores the real dialogs.
void SetResponder(Responder responder);
bool HasResponder();
// The responder installed now (empty when none), so that a helper can put it back.
Responder CurrentResponder();

// A message box with an OK button.
void MessageBox(const QString& text, const QString& caption);
// A confirmation box with Yes and No; true for Yes, closing it counts as No.
bool Confirm(const QString& text);
// Shows a dialog modally and returns its modal result. With a responder the
// form is shown (so its show handlers run), handed to the responder, then
// closed with the responder's result; a responder that closed the form
// itself and answered mrNone gets the form's own result.
int ShowModal(QDialog* form);
// An input box; true and `value` set when the user pressed OK.
bool InputQuery(const QString& caption, const QString& prompt, QString& value);
// The folder browser; true and `folder` set to a local drive path (C:\...)
// when the user chose one.
bool BrowseForFolder(const QString& title, QString& folder);
// The toolkit's standard exception box.
void ShowException(const QString& text);

}  // namespace Modal
