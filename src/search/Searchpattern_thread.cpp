#include "search/Searchpattern_thread.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/FileAttr.h"
#include "platform/ListView.h"
#include "platform/TreeChecks.h"
#include "search/More.h"
#include "search/Result_row.h"

#include <QElapsedTimer>
#include <cstdio>
qint64 gGui=0, gList=0, gRows=0, gSync=0;
namespace {

// Entries handed to the GUI thread in one synchronised call at most; keeps
// the window responsive in folders with very many matches.
constexpr std::size_t kBatchSize = 256;

// The node at an index over all nodes of the tree, in tree order.
QTreeWidgetItem* NodeAt(QTreeWidget* tree, int index) {
  if (index < 0) return nullptr;
  int i = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it, ++i)
    if (i == index) return *it;
  return nullptr;
}

int NodeCount(QTreeWidget* tree) {
  int n = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) ++n;
  return n;
}

}  // namespace

TSearchPattern::TSearchPattern() : TThread(true) {
  // Nothing refers to a worker after its end: it frees itself.
  FreeOnTerminate = true;
}

bool TSearchPattern::Sync(void (TSearchPattern::*method)()) {
  for (;;) {
    if (Terminated()) return false;
    bool held = false;
    Synchronize([this, method, &held] {
      if (Terminated()) return;
      // A pause asked for while this call was on its way: nothing changes on
      // screen until Continue; the call is made again then.
      if (Suspended()) {
        held = true;
        return;
      }
      (this->*method)();
    });
    if (!held) return !Terminated();
    CheckSuspended();
  }
}

void TSearchPattern::Execute() {
  if (!Sync(&TSearchPattern::ResetFoundCount)) return;
  SearchCheckedShares();
  if (Terminated()) return;
  Sync(&TSearchPattern::ShowSearchEnd);
  std::printf("gui %.3f list(match, incl rows) %.3f rows %.3f\n", gGui/1e9, gList/1e9, gRows/1e9); gGui=gList=gRows=0;
}

void TSearchPattern::SearchCheckedShares() {
  if (!Sync(&TSearchPattern::ReadNodeCount)) return;
  if (!Sync(&TSearchPattern::ReadPattern)) return;
  for (TreeNodeIndex = 0; TreeNodeIndex < TreeNodeCount; ++TreeNodeIndex) {
    if (!Sync(&TSearchPattern::ReadNodeCheck)) return;
    if (TreeCheckResult == 0) continue;
    if (!Sync(&TSearchPattern::ReadChildCount)) return;
    for (TreeChildIndex = 0; TreeChildIndex < TreeChildCount; ++TreeChildIndex) {
      if (!Sync(&TSearchPattern::ReadChildCheck)) return;
      if (TreeCheckResult == 0) continue;
      if (!Sync(&TSearchPattern::BuildSharePath)) return;
      SearchFolder(CurrentSharePath);
      if (Terminated()) return;
    }
  }
  Sync(&TSearchPattern::ShowSearchFinished);
}

void TSearchPattern::SearchFolder(const QString& path) {
  FFolder = path;
  if (!Sync(&TSearchPattern::ShowSearchFolder)) return;

  // Matches: every kind of entry, the file system's wildcard matching alone selects.
  TSearchRec rec;
  QElapsedTimer lt; lt.start();
  if (FileSystem::FindFirst(path + CurrentPattern, faAnyFile, rec) == 0) {
    do {
      if (Terminated()) break;
      if (rec.IsDirectory() && (rec.Name == QLatin1String(".") || rec.Name == QLatin1String(".."))) continue;
      // The row's texts are made here, so the GUI thread only tests and adds.
      { QElapsedTimer rt; rt.start(); FPending.push_back({rec, MakeResultRow(rec, path, QString())}); gRows += rt.nsecsElapsed(); }
      if (FPending.size() >= kBatchSize && !Sync(&TSearchPattern::AddFoundItems)) break;
      CheckSuspended();
    } while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  gList += lt.nsecsElapsed();
  if (!FPending.empty() && !Sync(&TSearchPattern::AddFoundItems)) {
    FPending.clear();
    return;
  }
  if (Terminated()) return;

  FFolder = path;
  if (!Sync(&TSearchPattern::ShowSearchFolder)) return;

  // Subfolders, depth first; hidden and system folders are never entered.
  if (FileSystem::FindFirst(path + QStringLiteral("*.*"), faDirectory, rec) == 0) {
    do {
      CheckSuspended();
      if (Terminated()) break;
      if ((rec.Attr & (faHidden | faSysFile | faVolumeID)) != 0) continue;
      if (!rec.IsDirectory()) continue;
      if (rec.Name == QLatin1String(".") || rec.Name == QLatin1String("..")) continue;
      SearchFolder(path + rec.Name + u'\\');
    } while (!Terminated() && FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
}

// ---- synchronised calls (GUI thread) ----

void TSearchPattern::ResetFoundCount() { FoundCount = 0; }

void TSearchPattern::ReadNodeCount() { TreeNodeCount = NodeCount(FormMain->ListViewBoxComputers); }

void TSearchPattern::ReadPattern() { CurrentPattern = FormMain->EditPattern->currentText(); }

void TSearchPattern::ReadNodeCheck() {
  const QTreeWidgetItem* node = NodeAt(FormMain->ListViewBoxComputers, TreeNodeIndex);
  TreeCheckResult = node ? GetStateIndex(node) - 1 : 0;
}

void TSearchPattern::ReadChildCount() {
  const QTreeWidgetItem* node = NodeAt(FormMain->ListViewBoxComputers, TreeNodeIndex);
  TreeChildCount = node ? node->childCount() : 0;
}

void TSearchPattern::ReadChildCheck() {
  const QTreeWidgetItem* node = NodeAt(FormMain->ListViewBoxComputers, TreeNodeIndex);
  const QTreeWidgetItem* child = node ? node->child(TreeChildIndex) : nullptr;
  TreeCheckResult = child ? GetStateIndex(child) - 1 : 0;
}

void TSearchPattern::BuildSharePath() {
  const QTreeWidgetItem* node = NodeAt(FormMain->ListViewBoxComputers, TreeNodeIndex);
  const QTreeWidgetItem* child = node ? node->child(TreeChildIndex) : nullptr;
  CurrentSharePath = (node && child) ? QStringLiteral("\\\\") + node->text(0) + u'\\' + child->text(0) + u'\\'
                                     : QString();
}

void TSearchPattern::ShowSearchFolder() {
  CurrentSearchPath = FFolder;
  FormMain->StatusBar->SetPanelText(0, u' ' + CurrentSearchPath);
}

void TSearchPattern::AddFoundItem() {
  if (!MatchesExtendedCriteria(FoundEntry)) return;
  if (FoundEntry.IsDirectory() && (FoundEntry.Name == QLatin1String(".") || FoundEntry.Name == QLatin1String("..")))
    return;
  if (FoundEntry.IsDirectory()) FFoundRow.SubItems[rcSize] = TextFileDir;
  FormMain->ListViewResult->AddItem(FFoundRow);
  ++FoundCount;
  FormMain->StatusBar->SetPanelText(1, TextStatusFiles + QString::number(FoundCount));
  FormMain->SelectAll->setEnabled(true);
  FormMain->FindFiles->setEnabled(true);
  FormMain->Invert->setEnabled(true);
}

void TSearchPattern::AddFoundItems() {
  QElapsedTimer tt; tt.start(); struct G { QElapsedTimer& t; ~G(){ gGui += t.nsecsElapsed(); } } g{tt};
  std::vector<TFound> found;
  found.swap(FPending);
  FormMain->ListViewResult->BeginUpdate();
  for (TFound& f : found) {
    FoundEntry = std::move(f.Entry);
    FFoundRow = std::move(f.Row);
    AddFoundItem();
  }
  FormMain->ListViewResult->EndUpdate();
}

void TSearchPattern::ShowSearchFinished() { FormMain->StatusBar->SetPanelText(0, u' ' + TextStatusOk); }

void TSearchPattern::ShowSearchEnd() {
  if (SearchPatternThread == this) SearchPatternThread = nullptr;
  FormMain->More->setEnabled(true);
  FormMain->ButtonMore->setEnabled(true);
  FormMain->ToolButtonMore->setEnabled(true);
  FormMain->RestoreSearchPanel();
  if (FormMore) FormMore->FResetOnShow = true;
  FormMain->ToolButtonPause->setEnabled(false);
  FormMain->ToolButtonEnd->setEnabled(false);
  FormMain->Pause->setEnabled(false);
  FormMain->End->setEnabled(false);
}

namespace {

// The criteria as the dialog's controls hold them right now.
TExtendedCriteria ReadExtendedCriteria(const TFormMore& more) {
  TExtendedCriteria c;
  c.TimeBetween = more.CheckBoxTimeBetween->isChecked();
  c.Down = more.MaskEditDown->text();
  c.Up = more.MaskEditUp->text();
  c.Old = more.CheckBoxOld->isChecked();
  c.CutoffDate = more.FCutoffDate;
  c.SizeOn = more.CheckBoxSize->isChecked();
  c.OperIndex = more.ComboBoxOper->currentIndex();
  c.SizeText = more.MaskEditSize->text();
  c.SizeUnitIndex = more.ComboBoxSize->currentIndex();
  c.Attr = more.CheckBoxAttr->isChecked();
  c.ReadOnly = more.CheckBoxReadOnly->isChecked();
  c.Hidden = more.CheckBoxHidden->isChecked();
  c.System = more.CheckBoxSystem->isChecked();
  c.Archive = more.CheckBoxArchive->isChecked();
  c.Dir = more.CheckBoxDir->isChecked();
  return c;
}

}  // namespace

bool MatchesExtendedCriteria(const TSearchRec& entry) {
  if (!FormMore) return true;
  return MatchesCriteria(ReadExtendedCriteria(*FormMore), entry);
}
