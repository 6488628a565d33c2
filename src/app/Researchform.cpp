#include "app/Researchform.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/Main.h"
#include "app/Main_search.h"
#include "config/En_language.h"
#include "platform/ui/ListView.h"
#include "search/Search_state.h"

TResearch* Research = nullptr;

void CreateQuestionBox(QDialog* box, QLabel*& label, QPushButton*& ok, QPushButton*& cancel) {
  box->setFixedSize(292, 76);
  label = new QLabel(box);
  label->setObjectName(QStringLiteral("LabelMessage"));
  label->move(16, 12);
  ok = new QPushButton(box);
  ok->setObjectName(QStringLiteral("ButtonOk"));
  ok->setGeometry(72, 40, 75, 25);
  ok->setDefault(true);
  cancel = new QPushButton(box);
  cancel->setObjectName(QStringLiteral("ButtonCancel"));
  cancel->setGeometry(168, 40, 75, 25);
}

void LayoutQuestionBox(QDialog* box, QLabel* label, QPushButton* ok, QPushButton* cancel) {
  label->adjustSize();
  int width = label->width() + 40;
  if (2 * ok->width() + 40 > width) width = 2 * ok->width() + 40;
  box->setFixedSize(width, box->height());
  label->move((width - label->width()) / 2, label->y());
  ok->move(width / 2 - ok->width() - 5, ok->y());
  cancel->move(width / 2 + 5, cancel->y());
}

void CentreOnMainWindow(QWidget* window) {
  if (!window || !FormMain) return;
  const QRect main = FormMain->frameGeometry();
  const QRect own = window->frameGeometry();
  window->move(main.center() - QPoint(own.width() / 2, own.height() / 2));
}

TResearch::TResearch(QWidget* Owner) : QDialog(Owner) {
  Research = this;
  setObjectName(QStringLiteral("Research"));
  CreateQuestionBox(this, LabelMessage, ButtonOk, ButtonCancel);
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });
  if (CurrentLanguage == QLatin1String("English")) SetEnglishResearch();
}

TResearch::~TResearch() {
  if (Research == this) Research = nullptr;
}

void TResearch::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnMainWindow(this);
}

void TResearch::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    ButtonCancelClick(ButtonCancel);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TResearch::ButtonOkClick(QObject*) {
  StopRunningSearch();
  FormMain->ListViewResult->Clear();
  for (QAction* a : {FormMain->ToolButtonCopy, FormMain->ToolButtonNewTask, FormMain->ToolButtonCopyTo,
                     FormMain->NewTask, FormMain->Find, FormMain->Open, FormMain->Copy, FormMain->CopyTo,
                     FormMain->SelectAll, FormMain->Invert, FormMain->FindFiles, FormMain->Pause, FormMain->End})
    a->setEnabled(false);
  FormMain->SortBy->menuAction()->setEnabled(false);
  GroupExtensions.clear();
  FormMain->RestoreSearchPanel();
  FormMain->ButtonFindClick(nullptr);
  FormMain->StatusBar->SetPanelText(0, u' ' + CurrentSearchPath);
  UncheckSortItems();
  done(QDialog::Accepted);
}

void TResearch::ButtonCancelClick(QObject*) {
  FormMain->StatusBar->SetPanelText(0, u' ' + CurrentSearchPath);
  done(QDialog::Rejected);
}

void SetEnglishResearch() {
  if (!Research) return;
  Research->setWindowTitle(QStringLiteral("Question"));
  Research->LabelMessage->setText(TextMessagesSearch);
  Research->ButtonOk->setText(QStringLiteral("Ok"));
  Research->ButtonCancel->setText(QStringLiteral("Cancel"));
  LayoutQuestionBox(Research, Research->LabelMessage, Research->ButtonOk, Research->ButtonCancel);
}
