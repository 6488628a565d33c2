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
// A broadcast query for NAME<suffix>, by default the file-server name.
QByteArray BuildQuery(quint16 id, const QString& name, quint8 suffix = 0x20);
// Addresses of a positive answer to query id for NAME<suffix>; false otherwise.
bool ParseAnswer(const QByteArray& data, quint16 id, const QString& name, QList<TIpv4>& addresses,
                 quint8 suffix = 0x20);

// The group name every master browser of the segment holds (with suffix
// MasterBrowserSuffix): one answers to it wherever a browse list is served.
inline const QString MasterBrowserName = QStringLiteral("\x01\x02__MSBROWSE__\x02");
constexpr quint8 MasterBrowserSuffix = 0x01;

}  // namespace NetBios

class TNetBiosResolver : public DiscoveryNet::TPollSource {
 public:
  // Destinations are normally each interface's broadcast address, port 137.
  explicit TNetBiosResolver(const QList<DiscoveryNet::TTarget>& targets);
  ~TNetBiosResolver() override;
  TNetBiosResolver(const TNetBiosResolver&) = delete;
  TNetBiosResolver& operator=(const TNetBiosResolver&) = delete;

  // Sends one query for NAME<suffix> (once per name, upper case).
  void Query(const QString& name, quint8 suffix = 0x20);
  void Collect(std::vector<pollfd>& fds, qint64& wakeAtMs) override;
  void Dispatch(const pollfd* fds, size_t count, qint64 nowMs) override;
  bool Finished() const override;

  // Upper-case name -> addresses for every name that was answered.
  QHash<QString, QList<TIpv4>> Found() const { return FAnswers; }

 private:
  DiscoveryNet::TUdpSockets FSockets;
  struct TPending {
    QString Name;
    quint8 Suffix;
  };
  QHash<quint16, TPending> FPending;  // by transaction id
  QHash<QString, QList<TIpv4>> FAnswers;
  quint16 FNextId;
};
