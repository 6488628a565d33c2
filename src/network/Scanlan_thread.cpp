#include "network/Scanlan_thread.h"

#include <QCheckBox>
#include <QFont>
#include <QPalette>
#include <QTreeWidget>

#include "app/Endsearchform.h"
#include "app/Main.h"
#include "config/En_language.h"
#include "network/Form_wait.h"
#include "platform/ui/Modal.h"
#include "platform/net/NetApi.h"
#include "platform/ui/TreeChecks.h"
#include "platform/ui/TreeNode.h"
#include "search/Search_state.h"

QStringList ComputerNames;
int ComputerCount = 0;
TScanLan* ScanLanThread = nullptr;

namespace {

// The server part of a share's remote name: after "\\", up to the next "\".
QString ServerOfShare(const QString& remoteName) {
  const QString rest = remoteName.mid(2);
  const int slash = rest.indexOf(QLatin1Char('\\'));
  return slash < 0 ? rest : rest.left(slash);
}

}  // namespace

// ---------------------------------------------------------------- command

void TFormMain::SpeedButtonScanClick(QObject*) {
  const bool searchRuns = SearchPatternThread != nullptr || SearchGroupThread != nullptr;
  if (searchRuns) {
    // The box centres itself on the main window; only OK ends the search.
    if (!EndSearch) return;
    Modal::ShowModal(EndSearch);
    if (!EndSearch->FConfirmed) return;
  }
  FResourcesStale = true;
  StatusBar->SetPanelText(0, QLatin1Char(' ') + TextMessagesScan);
  StatusBar->repaint();

  auto* worker = new TScanLan;
  ScanLanThread = worker;
  worker->SetPriority(TThreadPriority::tpTimeCritical);
  worker->Resume();

  ShowWaitForm(false);

  // The information view, when it is the current one, shows the new list.
  if (!searchRuns && !ToolButtonResources->isEnabled()) ToolButtonResourcesClick(this);
}

// ---------------------------------------------------------------- worker

TScanLan::TScanLan() : TThread(true), FForm(FormMain), FWait(FormWait) {
  FName.clear();
  ComputerNames.clear();
  FreeOnTerminate = true;
  // Runs on the GUI thread before the object goes: the global never names
  // a freed worker.
  OnTerminate = [this] {
    if (ScanLanThread == this) ScanLanThread = nullptr;
  };
}

TScanLan::~TScanLan() = default;

void TScanLan::Execute() {
  Synchronize([this] { ClearComputerTree(); });
  FThisComputer = NetApi::GetComputerName();
  EnumerateNetwork(nullptr);
  Synchronize([this] { ClearScanStatus(); });
  Synchronize([this] { CloseWaitForm(); });
}

int TScanLan::EnumerateNetwork(const NetApi::NETRESOURCE* parent) {
  using namespace NetApi;
  if (Terminated()) return NO_ERROR;
  HANDLE handle = 0;
  if (const int e = WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, parent, &handle)) return e;

  QList<NETRESOURCE> batch;  // one buffer per level, reused for every batch
  for (;;) {
    quint32 count = 0xFFFFFFFF;
    quint32 size = kEnumBufferSize;
    if (WNetEnumResource(handle, &count, &batch, &size) != NO_ERROR) break;
    if (Terminated()) break;
    for (const NETRESOURCE& entry : batch) {
      if (Terminated()) break;
      if (entry.dwUsage & RESOURCEUSAGE_CONTAINER) {
        const QString remote = entry.lpRemoteName;
        bool serverNode = false;
        if (!remote.isEmpty() && remote.at(0) == QLatin1Char('\\')) {
          FName = remote.mid(2);
          const bool thisComputer = FName == FThisComputer;
          serverNode = !thisComputer;
          Synchronize([this, thisComputer] { AddServer(thisComputer); });
        }
        if (EnumerateNetwork(&entry) == ERROR_SEM_TIMEOUT && serverNode && !Terminated())
          Synchronize([this] { MarkUnansweredNode(); });
      } else if (entry.dwType == RESOURCETYPE_DISK) {
        // This computer has no node: its shares would land under the node
        // added before it.
        if (ServerOfShare(entry.lpRemoteName) != FThisComputer) {
          FName = entry.lpRemoteName;
          Synchronize([this] { AddShareNode(); });
        }
      }
    }
    if (Terminated()) break;
  }
  WNetCloseEnum(handle);
  return NO_ERROR;
}

// ------------------------------------------------------- synchronised calls

void TScanLan::ClearComputerTree() {
  if (Terminated() || !FForm) return;
  FForm->ListViewBoxComputers->clear();
  FForm->CheckBoxInvers->setChecked(false);
  FForm->CheckBoxSelectAll->setChecked(false);
  ComputerCount = 0;
}

void TScanLan::AddServer(bool thisComputer) {
  if (Terminated()) return;
  if (!thisComputer) AddComputerNode();
  ComputerNames.append(FName);
}

void TScanLan::AddComputerNode() {
  if (Terminated() || !FForm) return;
  ++ComputerCount;
  auto* node = new TTreeNode(FForm->ListViewBoxComputers, QStringList{FName});
  SetStateIndex(node, STATE_UNCHECKED);
  FLastComputerNode = node;
  FForm->ListViewBoxComputers->repaint();
  FForm->StatusBar->SetPanelText(2, TextStatusComputers + QString::number(ComputerCount));
  FForm->StatusBar->repaint();
}

void TScanLan::MarkUnansweredNode() {
  if (Terminated() || !FForm || !FLastComputerNode) return;
  // Greyed and slanted: its shares are not known, which a later scan may mend.
  QFont font = FLastComputerNode->font(0);
  font.setItalic(true);
  FLastComputerNode->setFont(0, font);
  FLastComputerNode->setForeground(0, FForm->ListViewBoxComputers->palette().brush(QPalette::Disabled, QPalette::Text));
  FLastComputerNode->setData(0, UnansweredRole, true);
}

void TScanLan::AddShareNode() {
  if (Terminated() || !FForm) return;
  QString text = FName.mid(2);
  text = text.mid(text.indexOf(QLatin1Char('\\')) + 1);
  QTreeWidgetItem* node = FLastComputerNode ? new TTreeNode(FLastComputerNode, QStringList{text})
                                            : new TTreeNode(FForm->ListViewBoxComputers, QStringList{text});
  SetStateIndex(node, STATE_CHECKED);
}

void TScanLan::ClearScanStatus() {
  if (Terminated() || !FForm) return;
  FForm->StatusBar->SetPanelText(0, QString());
}

void TScanLan::CloseWaitForm() {
  if (Terminated() || !FWait) return;
  FWait->Close();
}
