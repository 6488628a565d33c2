#pragma once
// A program folder with the start-up windows, a simulated network and a
// local destination, for driving copies through their transfer windows.
// Dialogs are answered by the fixture: the file-exists dialog by the next
// queued answer (Cancel when none is left), the error dialog by Ok (its
// text is recorded), the keep-partial question by KeepPartial.
#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <gtest/gtest.h>

#include "support/ProgramFolder.h"
#include "support/SimNet.h"
#include "transfer/Copyform.h"

class TFormFileExists;

// Adds \\...\chain\ below `share` (a UNC folder with a final backslash):
// chain\ and `depth` further real folders hold one file each, and each of
// them holds two links ("a", "b") to the next one, so the number of paths
// doubles with every level. Returns the number of real files.
int AddLinkChain(TSimNet& net, const QString& share, int depth);
// Files below a local folder (a drive path), links not followed.
int CountFiles(const QString& drivePath);

enum class TExistsAnswer { Replace, ReplaceAll, Skip, SkipAll, Append, Cancel, CloseByFrame };

class CopyFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts a copy as the copy commands do: fills the copy list, opens a
  // transfer window, raises the active count and starts the worker.
  QPointer<TFormCopy> StartCopy(const QStringList& names, const QStringList& sourceFolders,
                                const QString& destination, double totalSize);
  // Serves the event loop until `done` holds or the time is up.
  bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
  // Until the window is gone and every worker has ended and been released.
  bool WaitForEnd(QPointer<TFormCopy>& form, int timeoutMs = 20000);

  // Files of this machine, by drive path.
  static QByteArray ReadLocal(const QString& drivePath);
  static bool LocalExists(const QString& drivePath);
  static qint64 LocalSize(const QString& drivePath);
  static QDateTime LocalModified(const QString& drivePath);
  static void WriteLocal(const QString& drivePath, const QByteArray& content);

  std::unique_ptr<ProgramFolder> Program;
  std::unique_ptr<TSimNet> Net;
  QString Destination;  // C:\...\dest\ (with a final backslash)

  std::deque<TExistsAnswer> ExistsAnswers;
  int ExistsAsked = 0;
  QStringList ExistsSources;  // FSourceName of each question
  QStringList Errors;         // every error text shown
  bool KeepPartial = false;
  int KeepAsked = 0;
  // Runs inside the keep-partial question before it is answered.
  std::function<void()> OnKeepQuestion;
  // Runs inside each file-exists question before it is answered.
  std::function<void(TFormFileExists*)> OnExistsQuestion;
};
