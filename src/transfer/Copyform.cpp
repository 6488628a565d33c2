#include "transfer/Copyform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/ui/ListView.h"
#include "platform/core/Messages.h"
#include "platform/fs/WinPath.h"
#include "transfer/Cgauge.h"
#include "transfer/Copy.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Task_thread.h"
#include "transfer/Tasks.h"

TFormCopy* FormCopy = nullptr;

namespace {

constexpr int ClientWidth = 346;
constexpr int ClientHeight = 156;

QLabel* NewLabel(QWidget* parent, const char* name, int x, int y, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  l->move(x, y);
  l->adjustSize();
  return l;
}

TCGauge* NewGauge(QWidget* parent, const char* name, int y) {
  auto* g = new TCGauge(parent);
  g->setObjectName(QString::fromLatin1(name));
  g->setGeometry(8, y, 329, 25);
  return g;
}

QPushButton* NewButton(QWidget* parent, const char* name, int x, int y) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, 75, 25);
  b->setAutoDefault(false);
  return b;
}

// A label that keeps its text on one line and grows with it.
void SetLabel(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

}  // namespace

TFormCopy::TFormCopy(QWidget* Owner) : QDialog(Owner) {
  FormCopy = this;
  setObjectName(QStringLiteral("FormCopy"));
  // An unowned top-level window with its own taskbar button: system menu
  // and minimise button, no resizing.
  setParent(nullptr);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(ClientWidth, ClientHeight);
  setWindowTitle(QString());

  LabelFrom = NewLabel(this, "LabelFrom", 8, 8, QString());
  LabelTo = NewLabel(this, "LabelTo", 8, 24, QString());
  LabelSpeed = NewLabel(this, "LabelSpeed", 8, 40, QStringLiteral("       "));
  LabelTime = NewLabel(this, "LabelTime", 168, 40, QStringLiteral("     "));
  CGaugeFile = NewGauge(this, "CGaugeFile", 56);
  CGaugeTotal = NewGauge(this, "CGaugeTotal", 88);
  ButtonPause = NewButton(this, "ButtonPause", 176, 124);
  ButtonCancel = NewButton(this, "ButtonCancel", 264, 124);
  setTabOrder(ButtonPause, ButtonCancel);
  connect(ButtonPause, &QPushButton::clicked, this, [this] { ButtonPauseClick(ButtonPause); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });

  FormCreate(this);
  show();
}

TFormCopy::~TFormCopy() {
  if (FormCopy == this) FormCopy = nullptr;
}

void TFormCopy::FormCreate(QObject*) {
  const int w = ClientWidth;
  CGaugeFile->setGeometry((w - (w - 20)) / 2, CGaugeFile->y(), w - 20, CGaugeFile->height());
  CGaugeTotal->setGeometry(CGaugeFile->x(), CGaugeTotal->y(), CGaugeFile->width(), CGaugeTotal->height());
  const int left = CGaugeFile->x();
  LabelFrom->move(left, LabelFrom->y());
  LabelTo->move(left, LabelTo->y());
  LabelSpeed->move(left, LabelSpeed->y());
  LabelTime->move(left + CGaugeFile->width() / 2, LabelTime->y());
  ButtonPause->move(w - ButtonPause->width() - ButtonCancel->width() - 2 * left, ButtonPause->y());
  ButtonCancel->move(w - ButtonCancel->width() - left, ButtonCancel->y());

  ButtonPause->setText(TextButtonsPause);
  ButtonCancel->setText(TextButtonsCancel);
  SetLabel(LabelFrom, TextCopyToFrom);
  SetLabel(LabelTo, TextCopyToTo);
}

void TFormCopy::StartTransfer(bool IsTask) {
  FIsTask = IsTask;
  if (IsTask) {
    StartTaskTransfer();
    return;
  }
  auto* t = new TCopyFiles(true);
  FCopyThread = t;
  FWorker = t;
  t->FFormCopy = this;
  t->FTotalSize = CopyTotalSize;
  t->SetPriority(TThreadPriority::tpTimeCritical);
  t->FDestination = CopyDestination.isEmpty() ? CopyDestination : WinPath::IncludeTrailingBackslash(CopyDestination);
  t->FDestinationDrive = CopyDestinationDrive;
  // The two lists are parallel; a pair without its partner cannot be copied.
  const qsizetype n = std::min(CopyNames.size(), CopySourceFolders.size());
  for (qsizetype i = 0; i < n; ++i) {
    t->FNames.append(CopyNames.at(i));
    t->FSourceFolders.append(CopySourceFolders.at(i));
  }
  // The worker frees itself once it has ended; the window hears of it so
  // that it never points at a freed worker.
  t->FreeOnTerminate = true;
  QPointer<TFormCopy> self(this);
  t->OnTerminate = [self] {
    if (self) self->WorkerEnded();
  };
  t->Resume();
  CopyNames.clear();
  CopySourceFolders.clear();
}

void TFormCopy::ButtonPauseClick(QObject*) {
  TThread* w = FWorker;
  if (!w || FEnded || FCancelledWindow) return;
  if (!w->Suspended()) {
    w->Suspend();
    if (FCopyThread) FCopyThread->FJustResumed = true;
    SetLabel(LabelSpeed, TextCopyToSpeed + QLatin1String(": 0 ") + TextCopyToKbs);
    LabelTime->hide();
    if (FIsTask) TaskPaused();
    ButtonPause->setText(TextButtonsContinue);
  } else {
    LabelTime->show();
    w->Resume();
    ButtonPause->setText(TextButtonsPause);
  }
}

void TFormCopy::ButtonCancelClick(QObject*) {
  // Once ended or cancelled, a second cancel (say the close that follows
  // the button) has nothing left to do.
  if (FEnded || FCancelledWindow) return;
  FCancelledWindow = true;
  TThread* w = FWorker;
  if (w && !w->Suspended()) w->Suspend();
  if (!FIsTask) {
    // Marked cancelled before the question: a worker whose read fails while
    // the question is open then neither deletes nor reports, and holds.
    if (FCopyThread) FCopyThread->FCancelled = true;
    // The main window lowers the count and asks whether to keep the partial
    // file; the answer is in the worker before the worker is let go.
    SendMessage(FormMain, WM_COPY_FINISHED, reinterpret_cast<std::intptr_t>(this), 1);
    if (FCopyThread) {
      FCopyThread->Terminate();
      FCopyThread->Resume();
    }
  } else {
    SendMessage(FormMain, WM_COPY_FINISHED, reinterpret_cast<std::intptr_t>(this), 0);
    TaskCancelled();
  }
  // The window leaves the screen at once; it is freed when the worker has
  // stopped (WorkerEnded), or now if there is no worker.
  hide();
  if (!FWorker) deleteLater();
}

void TFormCopy::FormCloseQuery(QObject* Sender, bool& CanClose) {
  ButtonCancelClick(Sender);
  CanClose = true;
}

void TFormCopy::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  if (!FEnded && !FCancelledWindow) FormCloseQuery(this, canClose);
  if (canClose)
    event->accept();
  else
    event->ignore();
}

void TFormCopy::NotifyTransferEnd(TFormCopy* Form, int Result) {
  if (!Form) return;
  // A cancelled window has already reported its end.
  if (Form->FEnded || Form->FCancelledWindow) return;
  Form->FEnded = true;
  SendMessage(FormMain, WM_COPY_FINISHED, reinterpret_cast<std::intptr_t>(Form), 0);
  if (Form->FIsTask) Form->TaskEnded(Result);
  Form->hide();
  Form->deleteLater();
}

void TFormCopy::WorkerEnded() {
  FCopyThread = nullptr;
  FTaskThread = nullptr;
  FWorker = nullptr;
  if (FCancelledWindow) {
    deleteLater();
  } else if (!FEnded) {
    // The worker stopped without reporting its end (it failed): the
    // transfer still ends, so that the count of running ones stays right.
    NotifyTransferEnd(this, 1);
  }
}

// ---- the task side ----

namespace {

// The window's task row, found by the task's name; -1 when it is gone.
int TaskRowOf(const QString& name) { return name.isEmpty() ? -1 : TaskRow(name); }

}  // namespace

void TFormCopy::StartTaskTransfer() {
  auto* t = new TTaskThread(true);
  FTaskThread = t;
  FWorker = t;
  t->FFormCopy = this;
  t->SetPriority(TThreadPriority::tpTimeCritical);
  t->FTotalSize = CopyTotalSize;
  t->FDestinationDrive = CopyDestinationDrive;
  const TListView* list = FormMain ? FormMain->ListViewLoads : nullptr;
  if (list && FTaskItem >= 0 && FTaskItem < list->Count()) {
    FTaskName = list->Item(FTaskItem).Caption;
    t->FTaskName = FTaskName;
    t->FSource = list->SubItem(FTaskItem, tcSource);
    t->FDestination = list->SubItem(FTaskItem, tcDestination);
    t->FSyncMode = list->SubItem(FTaskItem, tcMode) == TextTasksSynchronize;
  }
  // As for a copy: the worker frees itself once it has ended.
  t->FreeOnTerminate = true;
  QPointer<TFormCopy> self(this);
  t->OnTerminate = [self] {
    if (self) self->WorkerEnded();
  };
  t->Resume();
}

void TFormCopy::TaskPaused() {
  if (FTaskThread) FTaskThread->FJustResumed = true;
  const int row = TaskRowOf(FTaskName);
  if (row < 0) return;
  FormMain->ListViewLoads->SetSubItem(row, tcSpeed, TextButtonsPause);
  FormMain->ListViewLoads->SetSubItem(row, tcTimeLeft, QString());
}

void TFormCopy::TaskCancelled() {
  if (FTaskThread) {
    FTaskThread->FCancelled = true;
    FTaskThread->Terminate();
    FTaskThread->Resume();
  }
  const int row = TaskRowOf(FTaskName);
  if (row < 0) return;
  TListView* list = FormMain->ListViewLoads;
  list->SetImageIndex(row, tiDeactive);
  list->SetSubItem(row, tcSpeed, QString());
  list->SetSubItem(row, tcTimeLeft, QString());
}

void TFormCopy::TaskEnded(int Result) {
  const int row = TaskRowOf(FTaskName);
  if (row < 0) return;
  TListView* list = FormMain->ListViewLoads;
  if (Result == 0) {
    list->SetImageIndex(row, tiOk);
    list->SetSubItem(row, tcComplete, QStringLiteral("100%"));
  } else if (Result == 1) {
    list->SetImageIndex(row, tiError);
  } else {
    return;
  }
  const bool sync = FTaskThread ? FTaskThread->FSyncMode : list->SubItem(row, tcMode) == TextTasksSynchronize;
  if (sync || Result != 0) {
    list->SetSubItem(row, tcSpeed, QString());
    list->SetSubItem(row, tcTimeLeft, QString());
  } else {
    // A download that arrived whole has done its work.
    DeleteTask(row);
  }
}

void TFormCopy::ShowPaths(const QString& SourceFolder, const QString& Destination, const QString& Rest) {
  LabelFrom->setText(TextCopyToFrom + SourceFolder + Rest);
  LabelFrom->adjustSize();
  LabelTo->setText(TextCopyToTo + Destination + Rest);
  LabelTo->adjustSize();
}
