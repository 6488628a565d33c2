#include "support/SearchRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>

#include "app/Main.h"
#include "platform/ui/ListView.h"
#include "platform/core/Thread.h"
#include "platform/ui/TreeChecks.h"
#include "config/En_language.h"
#include "search/Editgroups.h"
#include "search/Search_state.h"

SearchRun::SearchRun() { Folder.CreateWindows(); }

SearchRun::~SearchRun() {
  // No worker may outlive the windows it reports to.
  WaitForWorkers();
}

QTreeWidgetItem* SearchRun::AddComputer(const QString& name, bool ticked) {
  auto* node = new QTreeWidgetItem(FormMain->ListViewBoxComputers, QStringList(name));
  SetStateIndex(node, ticked ? STATE_CHECKED : STATE_UNCHECKED);
  return node;
}

QTreeWidgetItem* SearchRun::AddShare(QTreeWidgetItem* computer, const QString& share, bool ticked) {
  auto* node = new QTreeWidgetItem(computer, QStringList(share));
  SetStateIndex(node, ticked ? STATE_CHECKED : STATE_UNCHECKED);
  return node;
}

void SearchRun::ChooseGroup(const QString& types) {
  FormMain->CheckBoxGroup->setChecked(true);
  QComboBox* combo = FormMain->ComboBoxGroup;
  combo->clear();
  combo->addItem(GroupComboItem("G", types));
  combo->addItem(TextGroupsEdit);
  combo->setCurrentIndex(0);
}

void SearchRun::Find(const QString& mask) {
  FormMain->EditPattern->setEditText(mask);
  FormMain->ButtonFindClick(FormMain->ButtonFind);
}

bool SearchRun::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::usleep(200);
  }
  return true;
}

bool SearchRun::WaitForSearchEnd(int timeoutMs) {
  return WaitUntil([] { return SearchPatternThread == nullptr && SearchGroupThread == nullptr; }, timeoutMs);
}

bool SearchRun::WaitForWorkers(int timeoutMs) {
  const bool ok = WaitUntil([] { return TThread::RunningCount() == 0; }, timeoutMs);
  // Let the self-freeing workers be deleted.
  QCoreApplication::processEvents();
  return ok;
}

QStringList SearchRun::Rows() const {
  QStringList rows;
  const TListView* list = FormMain->ListViewResult;
  for (int i = 0; i < list->Count(); ++i) {
    const TListItem& item = list->Item(i);
    rows << QStringList{item.SubItems.value(4), item.SubItems.value(5), item.Caption, item.SubItems.value(0),
                        item.SubItems.value(1), item.SubItems.value(3)}
                .join(u'|');
  }
  return rows;
}

QString SearchRun::Panel(int index) const { return FormMain->StatusBar->PanelText(index); }
