#include "TaskFixture.h"

#include <QFile>

#include "app/Main.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/core/Thread.h"
#include "platform/fs/WinPath.h"
#include "transfer/Sizing.h"
#include "transfer/Tasks.h"

void TaskFixture::SetUp() {
  CopyFixture::SetUp();
  Modal::SetResponder([this, copy = Modal::CurrentResponder()](const Modal::Request& r) {
    Asked.push_back(r);
    if (Answer) {
      Modal::Answer a = Answer(r);
      if (a.result != mrNone) return a;
    }
    if (r.kind == Modal::Kind::ShowModal) return copy(r);
    Modal::Answer a;
    a.result = r.kind == Modal::Kind::Confirm ? mrNo : mrOk;
    return a;
  });
  // The rows of the task list show the state images when asked.
  FormMain->ListViewLoads->Clear();
}

QString TaskFixture::TasksPath() const { return WinPath::ToLocal(TasksFileName()); }

QString TaskFixture::TasksText() const {
  QFile f(TasksPath());
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

int TaskFixture::AddTask(const QString& name, const QString& source, const QString& destination, bool sync) {
  EnsureTasksFile();
  TIniFile ini(TasksFileName());
  ini.WriteString(name, "Source", source);
  ini.WriteString(name, "Destination", destination);
  ini.WriteInteger(name, "Mode", sync ? 1 : 0);
  return AddTaskItem(name, -1);
}

QPointer<TFormCopy> TaskFixture::Start(int row) {
  FormCopy = nullptr;
  StartTask(row);
  // The window opens once the source is sized, off the GUI thread.
  WaitUntil([] { return !Sizing::Running(); });
  return QPointer<TFormCopy>(FormCopy);
}

bool TaskFixture::WaitForAll(int timeoutMs) {
  return WaitUntil([] { return TThread::RunningCount() == 0 && FormCopy == nullptr; }, timeoutMs);
}

QString TaskFixture::Complete(const QString& name) const { return SubItem(name, tcComplete); }

int TaskFixture::Image(const QString& name) const {
  const int row = TaskRow(name);
  return row < 0 ? -1 : FormMain->ListViewLoads->Item(row).ImageIndex;
}

QString TaskFixture::SubItem(const QString& name, int subItem) const {
  const int row = TaskRow(name);
  return row < 0 ? QStringLiteral("<no row>") : FormMain->ListViewLoads->SubItem(row, subItem);
}

QString TaskFixture::Key(const QString& section, const QString& key) const {
  return TIniFile(TasksFileName()).ReadString(section, key, QStringLiteral("<none>"));
}

int TaskFixture::AskedCount(Modal::Kind kind) const {
  int n = 0;
  for (const Modal::Request& r : Asked) n += r.kind == kind;
  return n;
}

QStringList TaskFixture::AskedTexts() const {
  QStringList out;
  for (const Modal::Request& r : Asked) out << r.text;
  return out;
}
