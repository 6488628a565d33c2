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
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

#include "platform/FindFile.h"
#include "platform/ListView.h"
#include "platform/Thread.h"
#include "platform/WildMatch.h"
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

 protected:
  void Execute() override;

  // Runs a synchronised call and tells whether the walk may go on.
  bool Sync(void (TSearchPattern::*method)());
  // Lists a folder; false once a stop was asked.
  bool List(const QString& mask, int attributes, std::vector<TSearchRec>& entries);
  // Queues an entry of the folder being listed for AddFoundItems, handing
  // over a full batch at once; false once a stop was asked.
  bool QueueFound(const TSearchRec& entry, const QString& computer, const QString& path);
  // Hands over what is queued; false once a stop was asked.
  bool FlushFound();
  // Enters the subfolders of `path` found in `listing` (a listing of
  // path + "*.*"), depth first, skipping hidden and system ones and any
  // folder this share's walk has been in already (a link back up the tree,
  // or a second link to one folder).
  void SearchSubfolders(const QString& path, const std::vector<TSearchRec>& listing);
  // The folder handed to ShowSearchFolder; the rows of its entries take
  // their computer and path from it.
  QString FFolder;

 private:
  // The folders of the share being walked that the walk has entered.
  TFolderTrail FTrail;
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
