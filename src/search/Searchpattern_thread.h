#pragma once
// The pattern-search worker: walks every ticked share of every ticked
// computer of the computers tree depth first and adds a result row for each
// entry whose name matches the search mask and passes the extended criteria.
//
// The worker never touches a window itself; every read of a control and
// every change on screen is a synchronised call. Each worker keeps its own
// copy of the values it exchanges with those calls (the tree indexes and
// answers, the mask, the share path, the entry in hand), so a stopped worker
// that is still inside a slow listing never meets the next search there.
//
// Pause, continue and stop are requests (Suspend, Resume, Terminate) that
// the worker honours at its next check. Once asked to stop, it adds no row,
// writes none of the search state, leaves SearchPatternThread alone and
// skips its end-of-search update; every synchronised call tests the request
// on the GUI thread, where the stop is made, so none can slip through. The
// object frees itself when its work ends.
//
// Each hand-over blocks the walk and is followed by a repaint, so rows and
// the folder being listed are queued and handed over together at most every
// HandOverIntervalMs (and before a pause holds the worker, before the end of
// the search, and when a batch is full). Rows keep the order they were
// found in, and the status ends on the folder entered last, as it would
// with one hand-over per row and folder. What was found before a slow
// listing shows at the latest when that listing returns.
#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

#include "platform/fs/FindFile.h"
#include "platform/ui/ListView.h"
#include "platform/core/Thread.h"
#include "platform/fs/WildMatch.h"
#include "search/Result_row.h"
#include "search/Search_state.h"

class TSearchPattern : public TThread {
 public:
  TSearchPattern();

  // The walk over the tree (worker thread).
  void SearchCheckedShares();
  // Lists one folder (a network path ending in "\") and walks its subfolders.
  // The group search lists a folder its own way (Searchgroup_thread.h).
  virtual void SearchFolder(const QString& path);

  // Synchronised calls (GUI thread); each does nothing once a stop was asked.
  void ResetFoundCount();
  void ReadNodeCount();
  // Reads what to look for: the mask (the group search: its types).
  virtual void ReadPattern();
  void ReadNodeCheck();
  void ReadChildCount();
  void ReadChildCheck();
  void BuildSharePath();
  void ShowSearchFolder();
  void AddFoundItem();
  void AddFoundItems();
  // The rows queued since the last hand-over, then the status of the folder
  // entered last (when it has not been shown).
  void HandOver();
  void ShowSearchFinished();
  // Also forgets the worker's global pointer when it still names it.
  virtual void ShowSearchEnd();

  // This worker's exchange values.
  int TreeNodeCount = 0;
  int TreeChildCount = 0;
  int TreeCheckResult = 0;
  int TreeNodeIndex = 0;
  int TreeChildIndex = 0;
  QString CurrentSharePath;
  QString CurrentPattern;
  TSearchRec FoundEntry;

  // Hand-overs to the GUI thread are made at most this often (each blocks
  // the walk, and a repaint follows it): rows and status are queued between
  // them. 0 hands over at every folder.
  static std::atomic<int> HandOverIntervalMs;

 protected:
  void Execute() override;

  // Runs a synchronised call and tells whether the walk may go on.
  bool Sync(void (TSearchPattern::*method)());
  // Lists a folder; false once a stop was asked.
  bool List(const QString& mask, int attributes, std::vector<TSearchRec>& entries);
  // The folder being listed becomes the status to show; false once a stop
  // was asked.
  bool EnterFolder(const QString& path);
  // Queues an entry of the folder being listed for AddFoundItems, handing
  // over a full batch at once; false once a stop was asked.
  bool QueueFound(const TSearchRec& entry, const QString& computer, const QString& path);
  // Hands over what is queued (rows and status) when the last hand-over is
  // HandOverIntervalMs old, or a pause was asked; false once a stop was asked.
  bool HandOverIfDue();
  // Hands over what is queued now; false once a stop was asked.
  bool FlushFound();
  // Enters the subfolders of `path` found in `listing` (a listing of
  // path + "*.*"), depth first, skipping hidden and system ones and any
  // folder this share's walk has been in already (a link back up the tree,
  // or a second link to one folder).
  void SearchSubfolders(const QString& path, const std::vector<TSearchRec>& listing);
  // The folder entered last, and whether the status shows it yet.
  QString FFolder;
  bool FFolderShown = true;

 private:
  // The folders of the share being walked that the walk has entered.
  TFolderTrail FTrail;
  // Time since the last hand-over.
  QElapsedTimer FSinceHandOver;
  std::atomic<int> FHandOver{0};
  // The mask as wildcard rules, when the walk lists whole folders itself.
  std::optional<TWildMask> FMask;
  // The criteria of the batch being added (GUI thread).
  TExtendedCriteria FCriteria;
  // An entry found and its row, made on the worker; the GUI thread adds
  // the folder marker when the entry passes the criteria.
  struct TFound {
    TSearchRec Entry;
    TListItem Row;
  };
  // Entries of one listing waiting for AddFoundItems.
  std::vector<TFound> FPending;
  TListItem FFoundRow;
};

// The extended criteria now set in FormMore, read from its controls, and
// whether an entry passes them (GUI thread). Used by both search workers.
TExtendedCriteria CurrentExtendedCriteria();
bool MatchesExtendedCriteria(const TSearchRec& entry);
