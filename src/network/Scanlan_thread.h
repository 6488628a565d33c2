#pragma once
// The network scan: a worker that walks the network enumeration depth first
// and fills the main window's computers tree (one node per server but this
// computer, a ticked child per disk share) and the list of server names.
//
// A stop request (ESC in the wait window) is honoured at the next test, and
// every change the worker makes happens in a synchronised call that first
// tests it, so a stopped worker changes nothing afterwards: no node, no name,
// no status text, no closing of the wait window (which may by then serve the
// next run).
#include <QPointer>
#include <Qt>
#include <QString>
#include <QStringList>

#include "platform/core/Thread.h"

class TFormMain;
class TFormWait;

class QTreeWidgetItem;
namespace NetApi {
struct NETRESOURCE;
}

// Names of all servers found by the last scan, this computer included, in
// enumeration order. Touched only on the GUI thread.
extern QStringList ComputerNames;
// Computer nodes added by the last scan (status panel 2).
extern int ComputerCount;

// Set (true) on a computer node whose server did not answer with its share
// list in the time it was given; such a node is shown greyed and slanted.
constexpr int UnansweredRole = Qt::UserRole + 1;

class TScanLan;
// The worker of the last scan; null once it has ended or been cancelled.
extern TScanLan* ScanLanThread;

class TScanLan : public TThread {
 public:
  // Created suspended; clears ComputerNames. Frees itself when it ends.
  TScanLan();
  ~TScanLan() override;

  // The name handed to the next synchronised call: a server name for
  // AddComputerNode, a share's remote name for AddShareNode.
  QString FName;
  // The computer node added last: the parent of the share nodes that follow.
  QTreeWidgetItem* FLastComputerNode = nullptr;

  // The enumeration buffer of one level, in bytes.
  static constexpr int kEnumBufferSize = 6400;

 protected:
  void Execute() override;

 private:
  // The windows of the run that made this worker: a worker outliving them
  // touches no later ones.
  QPointer<TFormMain> FForm;
  QPointer<TFormWait> FWait;
  // Walks one level of the enumeration; parent null for the top. Returns
  // how opening the level went (NO_ERROR or the failure).
  int EnumerateNetwork(const NetApi::NETRESOURCE* parent);
  // Synchronised calls (GUI thread); each does nothing once stopped.
  void ClearComputerTree();
  // A server found: its node (unless it is this computer) and its name.
  void AddServer(bool thisComputer);
  void AddComputerNode();
  // The server of the last node never answered with its share list in the
  // time it was given: its node says so, rather than look like a server
  // without shares.
  void MarkUnansweredNode();
  void AddShareNode();
  void ClearScanStatus();
  void CloseWaitForm();

  QString FThisComputer;
};
