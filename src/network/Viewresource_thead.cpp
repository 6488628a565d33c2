#include "network/Viewresource_thead.h"

#include <QMenu>
#include <QDate>
#include <QTime>

#include "app/Main.h"
#include "config/En_language.h"
#include "network/Computerinfo_text.h"
#include "network/Form_wait.h"
#include "network/Scanlan_thread.h"
#include "platform/ui/ListView.h"
#include "platform/net/NetApi.h"

TViewResourceThread* ViewResourceThread = nullptr;

// ---------------------------------------------------------------- command

void TFormMain::ToolButtonResourcesClick(QObject*) {
  ToolButtonFindList->setEnabled(true);
  ToolButtonLoadList->setEnabled(true);
  ToolButtonResources->setEnabled(false);
  ListViewResult->hide();
  ListViewLoads->hide();
  ResultView->setEnabled(true);
  TaskView->setEnabled(true);
  CompView->setEnabled(false);
  ListViewResources->show();
  ListViewResources->setFocus();

  if (FResourcesStale) {
    FResourcesStale = false;
    StatusBar->SetPanelText(0, QLatin1Char(' ') + TextMessagesInfo);
    StatusBar->repaint();

    auto* worker = new TViewResourceThread;
    ViewResourceThread = worker;
    worker->SetPriority(TThreadPriority::tpTimeCritical);
    worker->Resume();

    ShowWaitForm(true);
  }

  DisableResultCommands();
}

// ---------------------------------------------------------------- worker

TViewResourceThread::TViewResourceThread()
    : TThread(true), FForm(FormMain), FWait(FormWait), FNames(ComputerNames), FMonths(TextMonths) {
  FreeOnTerminate = true;
  // Runs on the GUI thread before the object goes: the global never names
  // a freed worker.
  OnTerminate = [this] {
    if (ViewResourceThread == this) ViewResourceThread = nullptr;
  };
}

TViewResourceThread::~TViewResourceThread() = default;

void TViewResourceThread::Execute() {
  CollectComputerInfo();
  Synchronize([this] { CloseWaitForm(); });
}

void TViewResourceThread::CollectComputerInfo() {
  using namespace NetApi;
  Synchronize([this] { ClearResourceList(); });
  const bool winsock = WSAStartup(0x0101) == 0;
  const QString thisComputer = GetComputerName();
  // This computer has its row even when the scan did not meet it (the
  // discovery never hears this machine's own announcements).
  QStringList names = FNames;
  if (!thisComputer.isEmpty() && !names.contains(thisComputer)) names.append(thisComputer);

  for (const QString& name : names) {
    if (Terminated()) break;
    // Every column starts empty, so nothing of the previous server shows.
    FThisComputer = false;
    FName = name;
    FIp.clear();
    FSystem.clear();
    FTime.clear();
    FDate.clear();
    FServices.clear();

    HostEnt host;
    if (winsock && gethostbyname(name, &host) && !host.h_addr_list.isEmpty()) {
      const auto& a = host.h_addr_list.first();
      FIp = QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
    }

    SERVER_INFO_101 info;
    const bool infoRead = NetServerGetInfo(name, 101, &info) == NERR_Success;
    if (!infoRead && name != thisComputer) {
      Synchronize([this] { AddComputerInfoRow(); });
      continue;
    }
    if (infoRead) {
      FSystem = ComputerInfo::SystemText(static_cast<quint32>(info.sv101_platform_id),
                                         static_cast<quint32>(info.sv101_version_major),
                                         static_cast<quint32>(info.sv101_version_minor));
      FServices = ComputerInfo::ServerKindsText(info.sv101_type);
    }

    TIME_OF_DAY_INFO tod;
    const bool timeRead = infoRead && NetRemoteTOD(name, &tod) == NERR_Success;
    const QTime now = QTime::currentTime();
    if (name == thisComputer) {
      // This computer's clock is the local one: no difference, and its date
      // even when no server of its own answers.
      FThisComputer = true;
      FTime = ComputerInfo::ThisComputerDifferenceText();
      const QDate today = QDate::currentDate();
      FDate = timeRead ? ComputerInfo::ServerDateText(tod.tod_day, tod.tod_month, tod.tod_year, FMonths)
                       : ComputerInfo::ServerDateText(today.day(), today.month(), today.year(), FMonths);
    } else if (timeRead) {
      const int server =
          ComputerInfo::ServerLocalHour(tod.tod_hours, tod.tod_timezone) * 3600 + tod.tod_mins * 60 + tod.tod_secs;
      const int local = now.hour() * 3600 + now.minute() * 60 + now.second();
      FTime = ComputerInfo::ClockDifferenceText(server, local);
      FDate = ComputerInfo::ServerDateText(tod.tod_day, tod.tod_month, tod.tod_year, FMonths);
    }
    Synchronize([this] { AddComputerInfoRow(); });
  }

  if (winsock) WSACleanup();
}

// ------------------------------------------------------- synchronised calls

void TViewResourceThread::ClearResourceList() {
  if (Terminated() || !FForm) return;
  FForm->ListViewResources->Clear();
  FForm->ListViewResources->repaint();
}

void TViewResourceThread::AddComputerInfoRow() {
  if (Terminated() || !FForm) return;
  TListView* list = FForm->ListViewResources;
  TListItem item;
  item.Caption = FName;
  item.SubItems = QStringList{FIp, FSystem, FTime, FDate, FServices};
  const int index = list->AddItem(item);
  if (FThisComputer) list->SetSelected(index, true);
  list->repaint();
  FIp.clear();
  FSystem.clear();
  FTime.clear();
  FDate.clear();
  FServices.clear();
}

void TViewResourceThread::CloseWaitForm() {
  if (Terminated() || !FWait) return;
  FWait->Close();
}
