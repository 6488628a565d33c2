#include "search/Searchpattern_thread.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/fs/FileAttr.h"
#include "platform/ui/ListView.h"
#include "platform/ui/TreeChecks.h"
#include "platform/fs/WildMatch.h"
#include "search/More.h"
#include "search/Result_row.h"

namespace {

// Entries handed to the GUI thread in one synchronised call at most; keeps
// each hand-over short in folders with very many matches.
constexpr std::size_t kBatchSize = 4096;

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

std::atomic<int> TSearchPattern::HandOverIntervalMs{100};

TSearchPattern::TSearchPattern() : TThread(true) {
  // Nothing refers to a worker after its end: it frees itself.
  FreeOnTerminate = true;
}

bool TSearchPattern::Sync(void (TSearchPattern::*method)()) {
  for (;;) {
    if (Terminated()) return false;
    bool held = false;
    const std::function<void()> call = [this, method, &held] {
      // The hand-over in both directions, made visible to race checkers that
      // cannot see into the toolkit's own blocking call.
      FHandOver.load(std::memory_order_acquire);
      if (!Terminated()) {
        // A pause asked for while this call was on its way: nothing changes
        // on screen until Continue; the call is made again then.
        if (Suspended())
          held = true;
        else
          (this->*method)();
      }
      FHandOver.fetch_add(1, std::memory_order_release);
    };
    FHandOver.fetch_add(1, std::memory_order_release);
    Synchronize(call);
    FHandOver.load(std::memory_order_acquire);
    if (!held) return !Terminated();
    CheckSuspended();
  }
}

void TSearchPattern::Execute() {
  // The first folder shows at once.
  FSinceHandOver.invalidate();
  if (!Sync(&TSearchPattern::ResetFoundCount)) return;
  SearchCheckedShares();
  if (Terminated()) return;
  if (!FlushFound()) return;
  Sync(&TSearchPattern::ShowSearchEnd);
}

void TSearchPattern::SearchCheckedShares() {
  if (!Sync(&TSearchPattern::ReadNodeCount)) return;
  if (!Sync(&TSearchPattern::ReadPattern)) return;
  // Masks that name a path or hold no wildcard go to the file system as they are.
  FMask.reset();
  if (TWildMask::HasWildcards(CurrentPattern) && !CurrentPattern.contains(u'\\') &&
      !CurrentPattern.contains(u'/') && !CurrentPattern.contains(u':'))
    FMask.emplace(CurrentPattern);
  for (TreeNodeIndex = 0; TreeNodeIndex < TreeNodeCount; ++TreeNodeIndex) {
    if (!Sync(&TSearchPattern::ReadNodeCheck)) return;
    if (TreeCheckResult == 0) continue;
    if (!Sync(&TSearchPattern::ReadChildCount)) return;
    for (TreeChildIndex = 0; TreeChildIndex < TreeChildCount; ++TreeChildIndex) {
      if (!Sync(&TSearchPattern::ReadChildCheck)) return;
      if (TreeCheckResult == 0) continue;
      if (!Sync(&TSearchPattern::BuildSharePath)) return;
      // Identities hold within one share's walk.
      FTrail.Clear();
      SearchFolder(CurrentSharePath);
      if (Terminated()) return;
    }
  }
  if (!FlushFound()) return;
  Sync(&TSearchPattern::ShowSearchFinished);
}

bool TSearchPattern::List(const QString& mask, int attributes, std::vector<TSearchRec>& entries) {
  entries.clear();
  TSearchRec rec;
  if (FileSystem::FindFirst(mask, attributes, rec) == 0) {
    do {
      if (Terminated()) break;
      entries.push_back(rec);
    } while (FileSystem::FindNext(rec) == 0);
    FileSystem::FindClose(rec);
  }
  return !Terminated();
}

void TSearchPattern::SearchFolder(const QString& path) {
  if (!EnterFolder(path)) return;

  // Matches: every kind of entry; the file system's wildcard matching alone
  // selects. A wildcard mask is matched by the same rules against one
  // listing of the whole folder, which then serves the subfolders as well:
  // one trip to the share per folder instead of two.
  std::vector<TSearchRec> all;
  std::vector<TSearchRec> matches;
  if (FMask) {
    if (!List(path + QStringLiteral("*.*"), faAnyFile, all)) return;
    for (const TSearchRec& rec : all)
      if (FMask->Matches(rec.Name)) matches.push_back(rec);
  } else if (!List(path + CurrentPattern, faAnyFile, matches)) {
    return;
  }
  QString computer, inside;
  SplitSearchPath(path, computer, inside);
  for (const TSearchRec& rec : matches) {
    if (rec.IsDirectory() && (rec.Name == QLatin1String(".") || rec.Name == QLatin1String(".."))) continue;
    if (!QueueFound(rec, computer, inside)) break;
  }
  if (!HandOverIfDue()) return;

  if (!FMask && !List(path + QStringLiteral("*.*"), faDirectory, all)) return;
  SearchSubfolders(path, all);
}

bool TSearchPattern::EnterFolder(const QString& path) {
  FFolder = path;
  FFolderShown = false;
  return HandOverIfDue();
}

bool TSearchPattern::QueueFound(const TSearchRec& entry, const QString& computer, const QString& path) {
  // The row's texts are made here, so the GUI thread only tests and adds.
  FPending.push_back({entry, MakeResultRow(entry, computer, path, QString())});
  // A folder's listing is in hand already: its rows go over together, at
  // the folder's end, unless they fill a batch.
  return FPending.size() < kBatchSize || FlushFound();
}

bool TSearchPattern::HandOverIfDue() {
  if (Terminated()) return false;
  // A pause is honoured with everything found so far handed over: it shows
  // the moment the search goes on, ahead of anything found later.
  if (Suspended() || !FSinceHandOver.isValid() || FSinceHandOver.elapsed() >= HandOverIntervalMs.load())
    return FlushFound();
  return true;
}

bool TSearchPattern::FlushFound() {
  if (Terminated()) return false;
  if (FPending.empty() && FFolderShown) return true;
  const bool goOn = Sync(&TSearchPattern::HandOver);
  FSinceHandOver.start();
  if (!goOn) FPending.clear();
  return goOn;
}

void TSearchPattern::SearchSubfolders(const QString& path, const std::vector<TSearchRec>& listing) {
  // Depth first; hidden and system folders are never entered.
  for (const TSearchRec& rec : listing)
    if (rec.Name == QLatin1String(".")) FTrail.Enter(rec.Id);
  for (const TSearchRec& rec : listing) {
    if (!HandOverIfDue()) return;
    CheckSuspended();
    if (Terminated()) return;
    if ((rec.Attr & (faHidden | faSysFile | faVolumeID)) != 0) continue;
    if (!rec.IsDirectory()) continue;
    if (rec.Name == QLatin1String(".") || rec.Name == QLatin1String("..")) continue;
    if (!FTrail.Enter(rec.Id)) continue;
    SearchFolder(path + rec.Name + u'\\');
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

void TSearchPattern::HandOver() {
  // The rows in the order found, then the folder entered last: the screen
  // ends as it would after one call per row and per folder.
  if (!FPending.empty()) AddFoundItems();
  if (!FFolderShown) ShowSearchFolder();
  FFolderShown = true;
}

void TSearchPattern::AddFoundItem() {
  if (!MatchesCriteria(FCriteria, FoundEntry)) return;
  if (FoundEntry.IsDirectory() && (FoundEntry.Name == QLatin1String(".") || FoundEntry.Name == QLatin1String("..")))
    return;
  if (FoundEntry.IsDirectory()) FFoundRow.SubItems[rcSize] = TextFileDir;
  FormMain->ListViewResult->AddItem(FFoundRow);
  ++FoundCount;
}

void TSearchPattern::AddFoundItems() {
  std::vector<TFound> found;
  found.swap(FPending);
  // The criteria are read from the dialog for each call: they cannot change
  // while it runs.
  FCriteria = CurrentExtendedCriteria();
  const int before = FoundCount;
  for (TFound& f : found) {
    FoundEntry = std::move(f.Entry);
    FFoundRow = std::move(f.Row);
    AddFoundItem();
  }
  // The count and the menu items once per call: nothing is painted in between.
  if (FoundCount != before) {
    FormMain->StatusBar->SetPanelText(1, TextStatusFiles + QString::number(FoundCount));
    FormMain->SelectAll->setEnabled(true);
    FormMain->FindFiles->setEnabled(true);
    FormMain->Invert->setEnabled(true);
  }
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

TExtendedCriteria CurrentExtendedCriteria() {
  return FormMore ? ReadExtendedCriteria(*FormMore) : TExtendedCriteria();
}

bool MatchesExtendedCriteria(const TSearchRec& entry) { return MatchesCriteria(CurrentExtendedCriteria(), entry); }
