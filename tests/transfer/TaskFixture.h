#pragma once
// Tasks run as the task list runs them: a program folder with its tasks
// file, the start-up windows, a simulated network and a local destination.
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "platform/ui/Modal.h"

#include "CopyFixture.h"
#include "transfer/Copyform.h"

class TaskFixture : public CopyFixture {
 protected:
  void SetUp() override;

  // The tasks file as a path of this machine, and its text.
  QString TasksPath() const;
  QString TasksText() const;
  // Writes a task into the tasks file and adds its row; returns the row.
  int AddTask(const QString& name, const QString& source, const QString& destination, bool sync);
  // Starts the task of a row as the Start command does; the new window.
  QPointer<TFormCopy> Start(int row);
  // Waits until no transfer window or worker is left.
  bool WaitForAll(int timeoutMs = 20000);

  // The row's columns.
  QString Complete(const QString& name) const;
  int Image(const QString& name) const;
  QString SubItem(const QString& name, int subItem) const;
  // Reads a key of the tasks file.
  QString Key(const QString& section, const QString& key) const;

  // Every modal request, in order; the copy dialogs are answered as the
  // copy fixture does, anything else by `Answer` when set (else OK / No).
  std::vector<Modal::Request> Asked;
  std::function<Modal::Answer(const Modal::Request&)> Answer;
  int AskedCount(Modal::Kind kind) const;
  QStringList AskedTexts() const;
};
