#pragma once
// Runs searches the way the user does: a program folder with the start-up
// windows, a simulated network, and the computers tree filled by hand
// (computer nodes with share children, each ticked or not).
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "support/ProgramFolder.h"
#include "support/SimNet.h"

class QTreeWidgetItem;

class SearchRun {
 public:
  SearchRun();
  ~SearchRun();

  ProgramFolder Folder;
  TSimNet Net;

  // A computer node (ticked or not) and a share node under it.
  QTreeWidgetItem* AddComputer(const QString& name, bool ticked);
  QTreeWidgetItem* AddShare(QTreeWidgetItem* computer, const QString& share, bool ticked);

  // Types the mask and presses Find.
  void Find(const QString& mask);
  // Group mode with one group of these file types in the combo box, chosen.
  static void ChooseGroup(const QString& types);
  // Lets the GUI thread work until `done` holds; false after `timeoutMs`.
  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
  // Until the running search has ended by itself.
  bool WaitForSearchEnd(int timeoutMs = 10000);
  // Until no worker thread is left (stopped ones included).
  static bool WaitForWorkers(int timeoutMs = 10000);

  // The rows of the result list as "Computer|Path|Caption|Type|Size|Attributes".
  QStringList Rows() const;
  QString Panel(int index) const;
};
