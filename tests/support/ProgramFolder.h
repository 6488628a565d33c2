#pragma once
// A temporary program folder for GUI tests: holds a settings.ini of given
// content (or none), is the current directory while the test runs, and can
// create and tear down the start-up windows as the program entry does. Modal
// boxes are answered by a recorder, so nothing blocks.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "platform/ui/Modal.h"

class ProgramFolder {
 public:
  // settings: the content of settings.ini; std::nullopt for no such file.
  explicit ProgramFolder(std::optional<QByteArray> settings = QByteArray());
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  // The folder as a path of this machine.
  QString Path() const { return FDir.path(); }
  QString FilePath(const QString& name) const;
  bool Exists(const QString& name) const;
  QByteArray ReadFile(const QString& name) const;
  void WriteFile(const QString& name, const QByteArray& content) const;
  // The names in the folder (files and folders, "." entries excluded).
  QStringList Entries() const;
  // The lines of a file that are neither blank nor padding, in file order.
  QStringList Lines(const QString& name) const;

  // Creates the nine start-up windows as the entry does (FormCreate runs in
  // the first); ShowMain then shows the main window (FormShow) and lets
  // queued events run.
  void CreateWindows();
  void ShowMain();
  void DestroyWindows();

  // What the program asked; answers: message boxes OK, confirmations per
  // ConfirmAnswer, modal forms per ModalAnswer.
  std::vector<Modal::Request> Requests;
  bool ConfirmAnswer = false;
  int ModalAnswer = mrCancel;
  int Count(Modal::Kind kind) const;

 private:
  QTemporaryDir FDir;
  QString FOldCurrent;
  bool FWindows = false;
};

// Puts the program's globals back into their state at program load.
void ResetProgramGlobals();
