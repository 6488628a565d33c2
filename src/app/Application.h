#pragma once
// The application object: the start-up windows, the message loop and the
// terminate request, and the exception box for anything a handler lets escape.
#include <QApplication>

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  // Shows an exception that escapes an event handler and lets the loop go on.
  bool notify(QObject* receiver, QEvent* event) override;
};

namespace Application {

// Creates the nine start-up windows in their order: FormMain, FormMore,
// FormEditGroup, FormSettings, Research, EndSearch, FormAbout, FormEditTask,
// FormWait. FormMain's start-up runs inside its creation.
void CreateForms();
// Destroys the start-up windows in the reverse order.
void DestroyForms();
// Shows the main window and runs the message loop, unless the application
// was already asked to terminate. Returns the loop's exit code.
int Run();
// Asks the application to terminate: the message loop ends as soon as it
// sees the request; a loop that has not started yet will not start.
void Terminate();
bool Terminated();
// Clears the terminate request (for a fresh start in the same process).
void ResetTerminated();
// The text of an exception for the exception box (empty for a non-standard one).
QString ExceptionText(std::exception_ptr error);

}  // namespace Application
