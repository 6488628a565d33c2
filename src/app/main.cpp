// The program entry: the application object, the nine start-up windows in
// their order, the message loop; an exception that reaches here is shown in
// the exception box. Returns 0.
#include <exception>

#include "app/Application.h"
#include "platform/core/Memory.h"
#include "platform/core/Thread.h"
#include "platform/ui/Modal.h"

int main(int argc, char** argv) {
  Memory::UseOnePool();
  TApplication app(argc, argv);
  try {
    Application::CreateForms();
    Application::Run();
  } catch (...) {
    Modal::ShowException(Application::ExceptionText(std::current_exception()));
  }
  // Running workers are not waited for: with any still running the process
  // ends here at once.
  TThread::ProcessExit(0);
  Application::DestroyForms();
  return 0;
}
