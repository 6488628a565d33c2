#pragma once
// The computer-information worker: for every server of the last scan it
// reads the IP address, the platform and version, the server kinds and the
// server's clock, and adds one row per server to the main window's
// information list.
//
// Like the scan worker it tests its stop request before each computer and
// inside every synchronised call, so after ESC it adds no row, clears
// nothing and does not close the wait window.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>

#include "platform/core/Thread.h"

class TFormMain;
class TFormWait;

class TViewResourceThread;
// The worker of the last reading; null once it has ended or been cancelled.
extern TViewResourceThread* ViewResourceThread;

class TViewResourceThread : public TThread {
 public:
  // Created suspended. Takes its own copies of the server names and the
  // month names, so that a new scan or a language change cannot meet it.
  TViewResourceThread();
  ~TViewResourceThread() override;

  QString FName;
  QString FIp;
  QString FSystem;
  QString FTime;
  QString FDate;
  QString FServices;
  bool FThisComputer = false;

 protected:
  void Execute() override;

 private:
  // The windows of the run that made this worker: a worker outliving them
  // touches no later ones.
  QPointer<TFormMain> FForm;
  QPointer<TFormWait> FWait;
  void CollectComputerInfo();
  // Synchronised calls (GUI thread); each does nothing once stopped.
  void ClearResourceList();
  void AddComputerInfoRow();
  void CloseWaitForm();

  QStringList FNames;
  std::array<QString, 12> FMonths;
};
