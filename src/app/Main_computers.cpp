// The computers tree's commands: ticking all computers or inverting their
// ticks, selecting a node with the mouse, and the tree's pop-up menu: show
// or open a computer or share, put a share on the clipboard, copy a share.
#include <QAction>
#include <QCheckBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/Main.h"
#include "app/Main_results.h"
#include "app/StatusPanels.h"
#include "config/En_language.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Shell.h"
#include "platform/ui/TreeChecks.h"
#include "transfer/Copy.h"
#include "transfer/Sizing.h"

namespace {

// The node's state image: 1 unticked, 2 ticked, 0 when it has none (an
// item that never got a check box).
int StateImage(const QTreeWidgetItem* item) {
  if (!item->data(0, Qt::CheckStateRole).isValid()) return 0;
  return GetStateIndex(item);
}

// True unless some computer node is unticked (an empty tree gives true).
bool AllComputersTicked(const QTreeWidget* tree) {
  for (int i = 0; i < tree->topLevelItemCount(); ++i)
    if (StateImage(tree->topLevelItem(i)) == STATE_UNCHECKED) return false;
  return true;
}

// The first selected node in the tree's index order, or null.
QTreeWidgetItem* FirstSelectedNode(QTreeWidget* tree) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->isSelected()) return *it;
  return nullptr;
}

// The tree's selected node (the current one when it is selected).
QTreeWidgetItem* SelectedNode(QTreeWidget* tree) {
  QTreeWidgetItem* current = tree->currentItem();
  if (current && current->isSelected()) return current;
  return FirstSelectedNode(tree);
}

// "\\C\" for a computer, "\\C\S\" for a share.
QString NodeFolder(const QTreeWidgetItem* node) {
  if (const QTreeWidgetItem* parent = node->parent())
    return QStringLiteral("\\\\") + parent->text(0) + u'\\' + node->text(0) + u'\\';
  return QStringLiteral("\\\\") + node->text(0) + u'\\';
}

}  // namespace

void TFormMain::CheckBoxSelectAllClick(QObject*) {
  if (FUpdatingChecks) return;
  const int state = CheckBoxSelectAll->isChecked() ? STATE_CHECKED : STATE_UNCHECKED;
  for (int i = 0; i < ListViewBoxComputers->topLevelItemCount(); ++i)
    SetStateIndex(ListViewBoxComputers->topLevelItem(i), state);
}

void TFormMain::CheckBoxInversClick(QObject*) {
  for (int i = 0; i < ListViewBoxComputers->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = ListViewBoxComputers->topLevelItem(i);
    SetStateIndex(node, StateImage(node) == STATE_UNCHECKED ? STATE_CHECKED : STATE_UNCHECKED);
  }
  const bool all = AllComputersTicked(ListViewBoxComputers);
  FUpdatingChecks = true;
  CheckBoxSelectAll->setChecked(all);
  FUpdatingChecks = false;
}

void TFormMain::ListViewBoxComputersMouseDown(QObject* Sender, Qt::MouseButton, Qt::KeyboardModifiers, int X,
                                              int Y) {
  auto* tree = qobject_cast<QTreeWidget*>(Sender);
  if (!tree) return;
  QTreeWidgetItem* node = tree->itemAt(X, Y);
  if (!node) return;
  tree->setCurrentItem(node);
  const bool all = AllComputersTicked(tree);
  FUpdatingChecks = true;
  CheckBoxSelectAll->setChecked(all);
  FUpdatingChecks = false;
}

void TFormMain::PopupMenuCompsPopup(QObject*) {
  FindComp->setEnabled(false);
  OpenComp->setEnabled(false);
  for (QAction* a : {CopyCompRes, CopyToCompRes, NewTaskCompRes}) a->setVisible(false);
  const bool anyNode = ListViewBoxComputers->topLevelItemCount() > 0;
  SelectAllComp->setEnabled(anyNode);
  InvertComp->setEnabled(anyNode);
  SelectAllComp->setChecked(CheckBoxSelectAll->isChecked());
  InvertComp->setChecked(CheckBoxInvers->isChecked());

  const QTreeWidgetItem* node = FirstSelectedNode(ListViewBoxComputers);
  if (!node) return;
  FindComp->setEnabled(true);
  OpenComp->setEnabled(true);
  if (node->parent())
    for (QAction* a : {CopyCompRes, CopyToCompRes, NewTaskCompRes}) a->setVisible(true);
}

void TFormMain::FindCompClick(QObject*) {
  const QTreeWidgetItem* node = SelectedNode(ListViewBoxComputers);
  if (!node) return;
  Shell::WinExec(QStringLiteral("explorer.exe /n, /select, ") + NodeFolder(node), Shell::SW_RESTORE);
}

void TFormMain::OpenCompClick(QObject*) {
  const QTreeWidgetItem* node = SelectedNode(ListViewBoxComputers);
  if (!node) return;
  Shell::ShellExecute(this, QString(), NodeFolder(node), QString(), QString(), Shell::SW_RESTORE);
}

void TFormMain::CopyCompResClick(QObject*) {
  const QTreeWidgetItem* node = SelectedNode(ListViewBoxComputers);
  if (!node || !node->parent()) return;
  const QString path = QStringLiteral("\\\\") + node->parent()->text(0) + u'\\' + node->text(0);
  StatusBar->SetPanelText(0, path);
  QByteArray block;
  try {
    block = BuildFileDropBlock({path});
  } catch (const std::bad_alloc&) {
    return;  // the clipboard keeps what it had
  }
  Clipboard::SetAsHandle(FClipboard, Clipboard::CF_HDROP, block);
}

void TFormMain::CopyToCompResClick(QObject*) {
  const QTreeWidgetItem* node = SelectedNode(ListViewBoxComputers);
  if (!node || !node->parent()) return;
  const QString computer = node->parent()->text(0);
  const QString share = node->text(0);
  const QString source = NodeFolder(node);
  if (!ChooseCopyDestination()) return;

  // The share's tree is sized off the GUI thread, under the hourglass; the
  // copy starts once its size is known, unless ESC came first.
  const TCopyRequest chosen = TCopyRequest::Current();
  Sizing::Start({source}, [chosen, computer, share](bool cancelled, const QList<qint64>& sizes) {
    if (cancelled || !FormMain) return;
    chosen.Restore();
    CopyTotalSize = static_cast<double>(sizes.value(0));
    // One entry: the share as a folder of its computer.
    CopyNames.clear();
    CopySourceFolders.clear();
    CopyNames.append(share + u'\\');
    CopySourceFolders.append(QStringLiteral("\\\\") + computer + u'\\');
    OpenCopyWindow(FormMain);
  });
}

void TFormMain::SelectAllCompClick(QObject*) {
  // The box's own handler ticks or unticks the computers.
  CheckBoxSelectAll->setChecked(!CheckBoxSelectAll->isChecked());
  SelectAllComp->setChecked(CheckBoxSelectAll->isChecked());
}

void TFormMain::InvertCompClick(QObject*) { CheckBoxInvers->setChecked(!CheckBoxInvers->isChecked()); }
