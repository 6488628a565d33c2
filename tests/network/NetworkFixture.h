#pragma once
// Shared set-up of the network tests: a program folder with the start-up
// windows, a simulated network, and a responder that works the wait window
// as the user would see it (it stays up until the worker closes it, or the
// test presses ESC) and answers the end-search box.
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

#include "support/ProgramFolder.h"
#include "support/SimNet.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

class NetworkTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the windows and applies the built-in English texts, without
  // showing the main window (so no scan starts by itself).
  void CreateWindows();

  // Runs the event loop until `done` holds or `timeoutMs` passes; true when it held.
  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
  // Waits until no worker runs any more.
  static bool WaitForWorkers(int timeoutMs = 10000);
  // ESC typed into the wait window.
  static void PressEscape();
  static void PressKey(int key, const QString& text);

  // The top-level node texts of the computers tree, in tree order.
  static QStringList ComputerNodes();
  // The child texts of the i-th top-level node.
  static QStringList ShareNodes(int computer);
  static QString Panel(int index);

  std::unique_ptr<ProgramFolder> FFolder;
  std::unique_ptr<TSimNet> FNet;

  // Called while the wait window is up, every few milliseconds; the
  // wait ends when the window has gone.
  std::function<void()> WhileWaiting;
  int WaitShowings = 0;
  bool WaitTimedOut = false;
  // How long the wait window may stay up before the test gives up on it.
  int WaitLimitMs = 10000;
  // The end-search box: its answer, and how often it was shown.
  bool ConfirmEndSearch = false;
  int EndSearchShowings = 0;
};
