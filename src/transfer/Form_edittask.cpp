#include "transfer/Form_edittask.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeWidget>

#include "app/Main.h"
#include "app/Main_results.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/fs/FileAttr.h"
#include "platform/fs/FileSystem.h"
#include "platform/ini/Ini.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Modal.h"
#include "platform/fs/WinPath.h"
#include "transfer/Tasks.h"

TFormEditTask* FormEditTask = nullptr;

namespace {

constexpr int ClientWidth = 358;
constexpr int ClientHeight = 305;

QLabel* NewLabel(QWidget* parent, const char* name, int x, int y) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  return l;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, int x, int y) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(x, y, 200, 21);
  return e;
}

QFrame* NewBevel(QWidget* parent, const char* name, int y) {
  auto* b = new QFrame(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setFrameShape(QFrame::HLine);
  b->setFrameShadow(QFrame::Sunken);
  b->setGeometry(16, y, 200, 2);
  return b;
}

QPushButton* NewButton(QWidget* parent, const char* name, int w) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->resize(w, 25);
  b->setAutoDefault(false);
  return b;
}

void SetCaption(QWidget* w, const QString& text) {
  if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
    l->adjustSize();
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
    g->setTitle(text);
  }
}

}  // namespace

TFormEditTask::TFormEditTask(QWidget* Owner) : QDialog(Owner) {
  FormEditTask = this;
  setObjectName(QStringLiteral("FormEditTask"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(ClientWidth, ClientHeight);
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  GroupBoxOption = new QGroupBox(this);
  GroupBoxOption->setObjectName(QStringLiteral("GroupBoxOption"));
  GroupBoxOption->setGeometry(8, 8, 345, 257);
  QWidget* g = GroupBoxOption;
  ButtonOk = NewButton(this, "ButtonOk", 75);
  ButtonCancel = NewButton(this, "ButtonCancel", 75);
  LabelNameTask = NewLabel(g, "LabelNameTask", 16, 20);
  LabelSource = NewLabel(g, "LabelSource", 16, 70);
  Bevel1 = NewBevel(g, "Bevel1", 62);
  EditSource = NewEdit(g, "EditSource", 16, 86);
  EditSource->setReadOnly(true);
  EditDestination = NewEdit(g, "EditDestination", 16, 130);
  LabelDestination = NewLabel(g, "LabelDestination", 16, 114);
  ButtonEditDestination = NewButton(g, "ButtonEditDestination", 27);
  ButtonEditDestination->move(0, 128);
  ButtonEditDestination->setText(QStringLiteral("..."));
  EditNameTask = NewEdit(g, "EditNameTask", 16, 36);
  Bevel2 = NewBevel(g, "Bevel2", 158);
  Bevel3 = NewBevel(g, "Bevel3", 222);
  CheckBoxStart = new QCheckBox(g);
  CheckBoxStart->setObjectName(QStringLiteral("CheckBoxStart"));
  CheckBoxStart->setGeometry(16, 230, 200, 17);
  RadioButtonSync = new QRadioButton(g);
  RadioButtonSync->setObjectName(QStringLiteral("RadioButtonSync"));
  RadioButtonSync->setGeometry(24, 200, 200, 17);
  LabelMode = NewLabel(g, "LabelMode", 16, 166);
  RadioButtonLoad = new QRadioButton(g);
  RadioButtonLoad->setObjectName(QStringLiteral("RadioButtonLoad"));
  RadioButtonLoad->setGeometry(24, 184, 200, 17);
  RadioButtonLoad->setChecked(true);

  setTabOrder(EditNameTask, EditSource);
  setTabOrder(EditSource, EditDestination);
  setTabOrder(EditDestination, ButtonEditDestination);
  setTabOrder(ButtonEditDestination, RadioButtonLoad);
  setTabOrder(RadioButtonLoad, RadioButtonSync);
  setTabOrder(RadioButtonSync, CheckBoxStart);
  setTabOrder(CheckBoxStart, ButtonOk);
  setTabOrder(ButtonOk, ButtonCancel);

  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });
  connect(ButtonEditDestination, &QPushButton::clicked, this,
          [this] { ButtonEditDestinationClick(ButtonEditDestination); });

  FormCreate(this);
}

TFormEditTask::~TFormEditTask() {
  if (FormEditTask == this) FormEditTask = nullptr;
}

void TFormEditTask::FormCreate(QObject*) {
  const int w = ClientWidth, h = ClientHeight;
  GroupBoxOption->resize(w - 16, h - 46);
  const int top = GroupBoxOption->height() + 16;
  ButtonOk->move(w - 2 * ButtonOk->width() - 16, top);
  ButtonCancel->move(w - ButtonCancel->width() - 8, top);
  const int inner = GroupBoxOption->contentsRect().width();
  ButtonEditDestination->move(inner - ButtonEditDestination->width() - 16, ButtonEditDestination->y());
  for (QWidget* c : {static_cast<QWidget*>(Bevel1), static_cast<QWidget*>(Bevel2),
                     static_cast<QWidget*>(EditNameTask), static_cast<QWidget*>(EditSource)})
    c->resize(inner - 32, c->height());
  Bevel3->resize(inner - 32, Bevel3->height());
  EditDestination->resize(inner - ButtonEditDestination->width() - 40, EditDestination->height());
  SetDefaults();
}

void TFormEditTask::SetDefaults() {
  CheckBoxStart->setChecked(true);
  RadioButtonLoad->setChecked(true);
  EditDestination->setText(WinPath::ExcludeTrailingBackslash(ProgramDir) + QStringLiteral("\\downloads\\"));
}

void TFormEditTask::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Centred on the main window.
  if (FormMain) move(FormMain->geometry().center() - rect().center());
  FormShow(this);
}

void TFormEditTask::FormShow(QObject*) { FOldName = EditNameTask->text(); }

void TFormEditTask::ButtonCancelClick(QObject*) { done(mrCancel); }

void TFormEditTask::ButtonEditDestinationClick(QObject*) {
  QString folder;
  if (!Modal::BrowseForFolder(TextMessagesGetDir, folder)) return;
  folder = WinPath::IncludeTrailingBackslash(folder);
  if (ExtractFileDrive(folder).size() == 2)
    EditDestination->setText(folder);
  else
    Modal::MessageBox(TextErrorsNoDir, TextErrorsError);
}

void TFormEditTask::RefuseDestination() {
  Modal::MessageBox(TextErrorsMkDir, TextErrorsError);
  EditDestination->setFocus();
  EditDestination->selectAll();
}

void TFormEditTask::ButtonOkClick(QObject*) {
  // 1. The name: the section name of the task, which cannot hold brackets.
  //    Blanks around it would not survive the tasks file either.
  QString name = EditNameTask->text().trimmed();
  if (name.isEmpty()) {
    Modal::MessageBox(TextErrorsTaskName, TextErrorsError);
    return;
  }
  name.replace(QLatin1Char('['), QLatin1Char('_')).replace(QLatin1Char(']'), QLatin1Char('_'));
  EditNameTask->setText(name);

  // 2. The destination, with its trailing backslash.
  QString destination = EditDestination->text().trimmed();
  if (destination.isEmpty()) {
    Modal::MessageBox(TextErrorsNoDir, TextErrorsError);
    EditDestination->setFocus();
    return;
  }
  destination = WinPath::IncludeTrailingBackslash(destination);
  EditDestination->setText(destination);

  // 3. A missing destination is created level by level on request.
  if (!FileSystem::DirectoryExists(destination)) {
    if (!Modal::Confirm(destination + QLatin1Char(' ') + TextMessagesMkDir)) return;
    const QStringList levels = FolderLevels(destination);
    if (levels.isEmpty()) {
      RefuseDestination();
      return;
    }
    for (qsizetype i = 1; i < levels.size(); ++i) {
      const QString& level = levels.at(i);
      if (FileSystem::DirectoryExists(level)) continue;
      if (FileSystem::CreateDir(level) != 0 && !FileSystem::DirectoryExists(level)) {
        RefuseDestination();
        return;
      }
    }
  }

  // 4. The first task ever saved creates the tasks file, hidden where the
  //    file system can keep that.
  const QString file = TasksFileName();
  if (!FileSystem::FileExists(file)) {
    if (!EnsureTasksFile()) {
      Modal::MessageBox(TextErrorsCreateFile + QLatin1Char(' ') + file, TextErrorsError);
      return;
    }
    const int attr = FileSystem::FileGetAttr(file);
    FileSystem::FileSetAttr(file, (attr < 0 ? 0 : attr) | FILE_ATTRIBUTE_HIDDEN);
  }

  // 5. The name belongs to no other task.
  TIniFile ini(file);
  const bool renamed = FIsNew || name.compare(FOldName, Qt::CaseInsensitive) != 0;
  if (renamed) {
    for (const QString& section : ini.ReadSections()) {
      if (section.compare(name, Qt::CaseInsensitive) == 0) {
        Modal::MessageBox(TextErrorsTastExists, TextErrorsError);
        return;
      }
    }
  }

  // 6.-7. The task's section; an edit starts from an empty one, so its
  //       stored percent goes. One replacement of the file, so a kill
  //       midway never leaves the task erased and not yet written back.
  try {
    TIniBatch batch(ini);
    // The record of a partly copied file stays while the task still copies
    // the same source to the same place, so its next run resumes it.
    TPartialRecord partial;
    if (!FIsNew && ini.ReadString(FOldName, QStringLiteral("Source"), QString()) == EditSource->text() &&
        ini.ReadString(FOldName, QStringLiteral("Destination"), QString()) == destination)
      partial = ReadPartialRecord(ini, FOldName);
    if (!FIsNew) ini.EraseSection(FOldName);
    ini.WriteString(name, QStringLiteral("Source"), EditSource->text());
    ini.WriteString(name, QStringLiteral("Destination"), destination);
    ini.WriteInteger(name, QStringLiteral("Mode"), RadioButtonSync->isChecked() ? 1 : 0);
    if (partial.IsSet()) WritePartialRecord(ini, name, partial);
    batch.Commit();
  } catch (const EIniFileException& e) {
    Modal::MessageBox(QString::fromLocal8Bit(e.what()), TextErrorsError);
    return;
  }

  // 8. The row: a new one, or the edited task's (a new one should it have
  //    gone meanwhile).
  const int old = FIsNew ? -1 : TaskRow(FOldName);
  const int row = AddTaskItem(name, old);

  // 9.-10.
  if (CheckBoxStart->isChecked() && row >= 0) StartTask(row);
  done(mrOk);
}

void SetEnglishEditTask() {
  TFormEditTask* f = FormEditTask;
  if (!f) return;
  f->setWindowTitle(QStringLiteral("Edit task"));
  SetCaption(f->GroupBoxOption, QStringLiteral(" Options "));
  SetCaption(f->LabelNameTask, QStringLiteral("Name"));
  SetCaption(f->LabelSource, QStringLiteral("Source"));
  SetCaption(f->LabelDestination, QStringLiteral("Destination"));
  SetCaption(f->CheckBoxStart, QStringLiteral("Start"));
  SetCaption(f->LabelMode, QStringLiteral("Mode:"));
  SetCaption(f->RadioButtonSync, QStringLiteral("Synchronize"));
  SetCaption(f->RadioButtonLoad, QStringLiteral("Download"));
  SetCaption(f->ButtonCancel, TextButtonsCancel);
  SetCaption(f->ButtonOk, TextButtonsOk);
}

// ---------------------------------------------------------------- openers of the main window

void TFormMain::NewTaskClick(QObject*) {
  const int first = ListViewResult->FirstSelected();
  TFormEditTask* editor = FormEditTask;
  if (first < 0 || !editor) return;
  const TListItem& row = ListViewResult->Item(first);
  editor->SetDefaults();
  editor->FIsNew = true;
  editor->EditSource->setText(RowNetworkPath(row));
  editor->EditNameTask->setText(IsFolderRow(row) ? row.Caption
                                                 : row.Caption + QLatin1Char('.') + row.SubItems.value(0));
  Modal::ShowModal(editor);
}

void TFormMain::NewTaskCompResClick(QObject*) {
  // The tree's selected node: the current one when selected, else the first selected.
  QTreeWidgetItem* node = ListViewBoxComputers->currentItem();
  if (!node || !node->isSelected()) {
    const QList<QTreeWidgetItem*> selected = ListViewBoxComputers->selectedItems();
    node = selected.isEmpty() ? nullptr : selected.first();
  }
  TFormEditTask* editor = FormEditTask;
  if (!node || !node->parent() || !editor) return;  // only a share makes a task
  editor->SetDefaults();
  editor->FIsNew = true;
  editor->EditSource->setText(QStringLiteral("\\\\") + node->parent()->text(0) + QLatin1Char('\\') + node->text(0) +
                              QLatin1Char('\\'));
  editor->EditNameTask->setText(node->text(0));
  Modal::ShowModal(editor);
}
