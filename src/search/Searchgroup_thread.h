#pragma once
// The group-search worker: the twin of the pattern search (same walk over
// the ticked shares, same synchronised calls, criteria, rows, pause, stop
// and end), listing in each folder the files whose extension is one of the
// chosen group's types instead of the entries that match a mask.
//
// The worker takes its own copy of GroupExtensions in its first synchronised
// call, so the stop command may clear the list while a stopped worker still
// sits in a slow listing. Within a folder the rows come grouped by type, in
// the order of the group's types, before the subfolders are walked. Each file
// is listed once: its extension (from the last "."; compared without regard
// to letter case) names exactly one type, and a type written twice counts
// once. Folders are never rows, whatever their names end in.
#include <QString>
#include <QStringList>

#include "search/Search_state.h"
#include "search/Searchpattern_thread.h"

class TSearchGroup : public TSearchPattern {
 public:
  TSearchGroup() = default;

  void SearchFolder(const QString& path) override;
  // Synchronised calls (GUI thread).
  void ReadPattern() override;
  void ShowSearchEnd() override;

  // The types this worker looks for, each with its leading ".".
  const QStringList& Types() const { return FTypes; }

 private:
  QStringList FTypes;
};

// The extension of a file name: from its last "." to its end, dot included
// and in its own case; empty when the name has no dot.
QString FileExtension(const QString& name);
