#pragma once
// NetBIOS name queries (UDP 137) broadcast on the local segment: the address
// of a computer that a browse list names only by its NetBIOS name.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/discovery/DiscoveryLoop.h"

namespace NetBios {

// The first-level encoded form of NAME<suffix> (34 bytes: length, 32
// letters, end). Empty for a name that is empty or longer than 15 bytes.
QByteArray EncodeName(const QString& name, quint8 suffix = 0x20);
// A broadcast query for the file-server name NAME<20>.
QByteArray BuildQuery(quint16 id, const QString& name);
// Addresses of a positive answer to query id for name; false otherwise.
bool ParseAnswer(const QByteArray& data, quint16 id, const QString& name, QList<TIpv4>& addresses);

}  // namespace NetBios

class TNetBiosResolver : public DiscoveryNet::TPollSource {
 public:
  // Destinations are normally each interface's broadcast address, port 137.
  explicit TNetBiosResolver(const QList<DiscoveryNet::TTarget>& targets);
  ~TNetBiosResolver() override;
  TNetBiosResolver(const TNetBiosResolver&) = delete;
  TNetBiosResolver& operator=(const TNetBiosResolver&) = delete;

  // Sends one query for name (once per name, upper case).
  void Query(const QString& name);
  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  bool Finished() const override;

  // Upper-case name -> addresses for every name that was answered.
  QHash<QString, QList<TIpv4>> Found() const { return FAnswers; }

 private:
  DiscoveryNet::TUdpSockets FSockets;
  QHash<quint16, QString> FPending;  // transaction id -> name
  QHash<QString, QList<TIpv4>> FAnswers;
  quint16 FNextId;
};
