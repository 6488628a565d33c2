#include "app/Endsearchform.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "app/Main.h"
#include "app/Main_search.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "network/Scanlan_thread.h"
#include "search/More.h"
#include "search/Search_state.h"

TEndSearch* EndSearch = nullptr;

TEndSearch::TEndSearch(QWidget* Owner) : QDialog(Owner) {
  EndSearch = this;
  setObjectName(QStringLiteral("EndSearch"));
  CreateQuestionBox(this, LabelMessage, ButtonOk, ButtonCancel);
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });
  FConfirmed = false;
}

TEndSearch::~TEndSearch() {
  if (EndSearch == this) EndSearch = nullptr;
}

void TEndSearch::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnMainWindow(this);
}

void TEndSearch::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    ButtonCancelClick(ButtonCancel);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TEndSearch::reject() {
  FConfirmed = false;
  QDialog::reject();
}

void TEndSearch::ButtonOkClick(QObject*) {
  StopRunningSearch();
  FormMain->RestoreSearchPanel();
  FormMain->More->setEnabled(true);
  FormMain->ButtonMore->setEnabled(true);
  FormMain->ToolButtonMore->setEnabled(true);
  FormMain->SortBy->menuAction()->setEnabled(true);
  for (QAction* a : {FormMain->ToolButtonPause, FormMain->ToolButtonContinue, FormMain->ToolButtonEnd,
                     FormMain->Pause, FormMain->Continue, FormMain->End})
    a->setEnabled(false);
  FormMain->StatusBar->SetPanelText(0, QString());
  FormMain->StatusBar->SetPanelText(2, TextStatusComputers + QString::number(ComputerCount));
  GroupExtensions.clear();
  UncheckSortItems();
  FConfirmed = true;
  if (FormMore) FormMore->FResetOnShow = true;
  done(QDialog::Accepted);
}

void TEndSearch::ButtonCancelClick(QObject*) {
  FConfirmed = false;
  done(QDialog::Rejected);
}

void SetEnglishEndSearch() {
  if (!EndSearch) return;
  EndSearch->setWindowTitle(QStringLiteral("Question"));
  EndSearch->LabelMessage->setText(QStringLiteral("Stop search?"));
  EndSearch->ButtonOk->setText(QStringLiteral("Ok"));
  EndSearch->ButtonCancel->setText(QStringLiteral("Cancel"));
  LayoutQuestionBox(EndSearch, EndSearch->LabelMessage, EndSearch->ButtonOk, EndSearch->ButtonCancel);
}
