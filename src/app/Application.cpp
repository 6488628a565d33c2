#include "app/Application.h"

#include <exception>

#include "app/Endsearchform.h"
#include "app/Form_about.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "network/Form_wait.h"
#include "platform/ini/Ini.h"
#include "platform/ui/Modal.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "transfer/Form_edittask.h"

namespace {
bool terminateRequested = false;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    Modal::ShowException(Application::ExceptionText(std::current_exception()));
  }
  return false;
}

namespace Application {

QString ExceptionText(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
  }
  return QString();
}

void CreateForms() {
  // Each constructor sets its window's global before anything else runs.
  new TFormMain(nullptr);
  new TFormMore(nullptr);
  new TFormEditGroup(nullptr);
  new TFormSettings(nullptr);
  new TResearch(nullptr);
  new TEndSearch(nullptr);
  new TFormAbout(nullptr);
  new TFormEditTask(nullptr);
  new TFormWait(nullptr);
}

void DestroyForms() {
  delete FormWait;
  delete FormEditTask;
  delete FormAbout;
  delete EndSearch;
  delete Research;
  delete FormSettings;
  delete FormEditGroup;
  delete FormMore;
  delete FormMain;
}

int Run() {
  if (terminateRequested || !FormMain) return 0;
  FormMain->show();
  if (terminateRequested) return 0;
  return QCoreApplication::exec();
}

void Terminate() {
  terminateRequested = true;
  QCoreApplication::exit(0);
}

bool Terminated() { return terminateRequested; }

void ResetTerminated() { terminateRequested = false; }

}  // namespace Application
