#pragma once
// WS-Discovery client as one poll-loop source: multicasts a Probe for
// devices (twice, 100 ms apart), sends a Resolve for matches that came
// without transport addresses, and posts a WS-Transfer Get to each device
// that may be a computer (all at once, each bounded), reading the computer
// name and its workgroup or domain from the answer.
//
// Devices are told apart by endpoint and sender address: cloned machines
// announce the same endpoint identifier.
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "platform/discovery/DiscoveryLoop.h"

class TWsdClient : public DiscoveryNet::TPollSource {
 public:
  struct TComputer {
    QString Name;  // upper case
    QString Group;
    bool GroupIsDomain = false;
    TIpv4 Address{};
  };

  // Destinations are normally 239.255.255.250:3702 on every interface.
  explicit TWsdClient(const QList<DiscoveryNet::TTarget>& targets, int getTimeoutMs = 2000);
  ~TWsdClient() override;
  TWsdClient(const TWsdClient&) = delete;
  TWsdClient& operator=(const TWsdClient&) = delete;

  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  // Done when every device has been asked what it is and answered or run
  // out of time, and no answer has come for a while after the last probe.
  bool Finished() const override;

  QList<TComputer> Results() const;

 private:
  enum class TState { Waiting, Connecting, Sending, Receiving, Done };
  struct TDevice {
    QString Endpoint;
    TIpv4 From{};
    int Socket = 0;
    QStringList XAddrs;
    QStringList Types;
    bool HasTypes = false;
    int ResolvesSent = 0;
    qint64 ResolveAgainAt = 0;
    QByteArray Resolve;
    TState State = TState::Waiting;
    int Fd = -1;
    QByteArray Out;
    QByteArray In;
    qint64 GetStarted = 0;
    bool Found = false;
    TComputer Computer;
  };

  void SendProbes(qint64 nowMs);
  void ReadDatagrams(int socketIndex);
  void OnMatch(int socketIndex, const TIpv4& from, const QString& endpoint, const QStringList& types, bool hasTypes,
               const QStringList& xaddrs);
  void SendResolve(TDevice& device, qint64 nowMs);
  void StartGet(TDevice& device, qint64 nowMs);
  void StepGet(TDevice& device, short revents, qint64 nowMs);
  void FinishGet(TDevice& device, const QByteArray& body);

  DiscoveryNet::TUdpSockets FSockets;
  QList<TDevice> FDevices;
  QString FProbeId;
  QByteArray FProbe;
  QSet<QString> FResolveIds;
  int FProbesSent = 0;
  qint64 FNextProbeAt = 0;
  qint64 FLastProbeAt = 0;
  qint64 FLastNewsAt = 0;  // the last answer to this run's messages
  int FGetTimeoutMs;
};
