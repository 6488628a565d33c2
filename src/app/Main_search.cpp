// The search commands of the main window: start, pause, continue, restart
// and end a search, the search panel's mode switch and the criteria command.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <exception>

#include "app/Application.h"
#include "app/Endsearchform.h"
#include "app/Main.h"
#include "app/Main_search.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Modal.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "search/Searchpattern_thread.h"
#if __has_include("search/Searchgroup_thread.h")
#include "search/Searchgroup_thread.h"
#define TRAWLIX_HAS_GROUP_SEARCH 1
#endif

namespace {

// The running worker of either kind, null when none.
TThread* RunningWorker() {
  if (SearchPatternThread) return SearchPatternThread;
#ifdef TRAWLIX_HAS_GROUP_SEARCH
  if (SearchGroupThread) return SearchGroupThread;
#endif
  return nullptr;
}

void ShowCentred(QDialog* form) {
  if (!form) return;
  CentreOnMainWindow(form);
  Modal::ShowModal(form);
}

// The steps every start of a search takes before its worker runs.
void PrepareSearchStart(TFormMain* f) {
  f->DisableSearchPanel();
  f->ListViewResult->Clear();
  f->ToolButtonCopy->setEnabled(false);
  f->ToolButtonCopyTo->setEnabled(false);
  f->ToolButtonNewTask->setEnabled(false);
  f->ToolButtonPause->setEnabled(true);
  f->ToolButtonEnd->setEnabled(true);
  f->ToolButtonMore->setEnabled(false);
  f->ButtonMore->setEnabled(false);
  for (QAction* a : {f->More, f->Find, f->Open, f->Copy, f->CopyTo, f->NewTask, f->SelectAll, f->Invert,
                     f->FindFiles})
    a->setEnabled(false);
  f->Pause->setEnabled(true);
  f->End->setEnabled(true);
  f->SortBy->menuAction()->setEnabled(false);
}

void UncheckGroup(QActionGroup* group, const std::initializer_list<QAction*>& items) {
  // An exclusive group keeps one item checked; let it have none for a moment.
  const auto policy = group ? group->exclusionPolicy() : QActionGroup::ExclusionPolicy::None;
  if (group) group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (QAction* a : items)
    if (a) a->setChecked(false);
  if (group) group->setExclusionPolicy(policy);
}

}  // namespace

bool SearchRunning() { return SearchPatternThread != nullptr || SearchGroupThread != nullptr; }

void StopRunningSearch() {
  TThread* worker = RunningWorker();
  if (worker) {
    worker->Terminate();
    // A paused worker must be let go to see the request.
    if (worker->Suspended()) worker->Resume();
  }
  if (SearchPatternThread)
    SearchPatternThread = nullptr;
  else
    SearchGroupThread = nullptr;
}

void UncheckSortItems() {
  TFormMain* f = FormMain;
  UncheckGroup(f->PSortByGroup, {f->PName, f->PType, f->PSize, f->PDate, f->PComputer, f->PPath});
  UncheckGroup(f->SortByGroup, {f->Name, f->Type, f->Size, f->Date, f->Computer, f->Path});
}

void TFormMain::CheckBoxGroupClick(QObject*) {
  const bool group = CheckBoxGroup->isChecked();
  ComboBoxGroup->setEnabled(group);
  EditPattern->setEnabled(!group);
  LabelPattern->setEnabled(!group);
}

void TFormMain::ComboBoxGroupChange(QObject*) {
  const int index = ComboBoxGroup->currentIndex();
  if (index < 0 || ComboBoxGroup->itemText(index) != TextGroupsEdit) return;
  ShowCentred(FormEditGroup);
  ComboBoxGroup->setCurrentIndex(-1);
}

void TFormMain::ButtonMoreClick(QObject*) {
  if (SearchRunning()) return;
  ShowCentred(FormMore);
}

void TFormMain::EditSearchKeyPress(QObject*, QChar& Key) {
  if (Key == QChar(13)) ButtonFindClick(EditPattern);
}

void TFormMain::ButtonFindClick(QObject*) {
  const bool groupMode = CheckBoxGroup->isChecked();
  if (!SearchRunning() && !groupMode) {
    if (EditPattern->currentText().isEmpty()) return;
    PrepareSearchStart(this);
    // A history that cannot be written is reported, and the search still
    // starts: it ends as any search does and gives the panel back.
    try {
      SavePatterns();
    } catch (...) {
      Modal::ShowException(Application::ExceptionText(std::current_exception()));
    }
    auto* worker = new TSearchPattern();
    SearchPatternThread = worker;
    worker->Resume();
    return;
  }
  if (SearchPatternThread) {
    ShowCentred(Research);
    return;
  }
  if (!SearchRunning() && groupMode && ComboBoxGroup->currentIndex() != -1) {
#ifdef TRAWLIX_HAS_GROUP_SEARCH
    GroupExtensions.clear();
    GroupExtensions = GroupExtensionsFromItem(ComboBoxGroup->currentText());
    PrepareSearchStart(this);
    auto* worker = new TSearchGroup();
    SearchGroupThread = worker;
    worker->Resume();
#endif
    return;
  }
  if (SearchGroupThread) ShowCentred(Research);
}

void TFormMain::ButtonStopClick(QObject*) {
  TThread* worker = RunningWorker();
  if (!worker || worker->Suspended()) return;
  worker->Suspend();
  ToolButtonPause->setEnabled(false);
  ToolButtonContinue->setEnabled(true);
  Pause->setEnabled(false);
  Continue->setEnabled(true);
  StatusBar->SetPanelText(0, u' ' + TextSearchPause);
  if (ListViewResult->Count() > 0) SortBy->menuAction()->setEnabled(true);
}

void TFormMain::ButtonContinueClick(QObject*) {
  TThread* worker = RunningWorker();
  if (!worker || !worker->Suspended()) return;
  worker->Resume();
  ToolButtonPause->setEnabled(true);
  ToolButtonContinue->setEnabled(false);
  Pause->setEnabled(true);
  Continue->setEnabled(false);
  StatusBar->SetPanelText(0, u' ' + CurrentSearchPath);
  SortBy->menuAction()->setEnabled(false);
}

void TFormMain::ButtonEndClick(QObject*) {
  if (SearchRunning()) ShowCentred(EndSearch);
}

void TFormMain::DisableSearchPanel() {
  QWidget* const panel[8] = {LabelPattern,         EditPattern,       CheckBoxGroup,  ComboBoxGroup,
                             LabelWhereFind,       ListViewBoxComputers, CheckBoxSelectAll, CheckBoxInvers};
  // The control's own enabled state, whatever its parents' is.
  for (int i = 0; i < 8; ++i) FSavedEnabled[i] = !panel[i]->testAttribute(Qt::WA_ForceDisabled);
  for (QWidget* w : panel) w->setEnabled(false);
}

void TFormMain::RestoreSearchPanel() {
  QWidget* const panel[8] = {LabelPattern,         EditPattern,       CheckBoxGroup,  ComboBoxGroup,
                             LabelWhereFind,       ListViewBoxComputers, CheckBoxSelectAll, CheckBoxInvers};
  for (int i = 0; i < 8; ++i) panel[i]->setEnabled(FSavedEnabled[i]);
}

bool TFormMain::CanSortResults() {
  if (TThread* worker = RunningWorker()) return worker->Suspended();
  return ListViewResult->Count() > 0;
}
