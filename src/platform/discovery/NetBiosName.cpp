#include "platform/discovery/NetBiosName.h"

#include <QRandomGenerator>

#include "platform/core/Log.h"

namespace NetBios {

namespace {

constexpr quint16 TypeNb = 0x0020;



void Put16(QByteArray& b, quint16 v) {
  b.append(char(v >> 8));
  b.append(char(v & 0xff));
}

quint16 Get16(const QByteArray& b, qsizetype pos) {
  return quint16(quint8(b[pos]) << 8 | quint8(b[pos + 1]));
}

}  // namespace

QByteArray EncodeName(const QString& name, quint8 suffix) {
  QByteArray raw = name.toUpper().toUtf8();
  if (raw.isEmpty() || raw.size() > 15) return {};
  raw = raw.leftJustified(15, ' ');
  raw.append(char(suffix));
  QByteArray out;
  out.append(char(32));
  for (char c : raw) {
    const quint8 b = quint8(c);
    out.append(char('A' + (b >> 4)));
    out.append(char('A' + (b & 0x0f)));
  }
  out.append('\0');
  return out;
}

QByteArray BuildQuery(quint16 id, const QString& name, quint8 suffix) {
  const QByteArray encoded = EncodeName(name, suffix);
  if (encoded.isEmpty()) return {};
  QByteArray q;
  Put16(q, id);
  Put16(q, 0x0110);  // name query, recursion desired, broadcast
  Put16(q, 1);
  Put16(q, 0);
  Put16(q, 0);
  Put16(q, 0);
  q.append(encoded);
  Put16(q, TypeNb);
  Put16(q, 1);
  return q;
}

bool ParseAnswer(const QByteArray& data, quint16 id, const QString& name, QList<TIpv4>& addresses, quint8 suffix) {
  addresses.clear();
  const QByteArray encoded = EncodeName(name, suffix);
  if (encoded.isEmpty() || data.size() < 12) return false;
  const quint16 flags = Get16(data, 2);
  if (Get16(data, 0) != id || !(flags & 0x8000) || (flags & 0x7800) != 0 || (flags & 0x000f) != 0) return false;
  if (Get16(data, 4) != 0 || Get16(data, 6) < 1) return false;
  qsizetype pos = 12;
  // The answer repeats the name uncompressed; compare it without regard to case.
  if (data.size() < pos + encoded.size() + 10) return false;
  if (data.mid(pos, encoded.size()).compare(encoded, Qt::CaseInsensitive) != 0) return false;
  pos += encoded.size();
  if (Get16(data, pos) != TypeNb || Get16(data, pos + 2) != 1) return false;
  const qsizetype length = Get16(data, pos + 8);
  pos += 10;
  if (length % 6 != 0 || data.size() < pos + length) return false;
  for (qsizetype at = pos; at < pos + length; at += 6) {
    TIpv4 a{quint8(data[at + 2]), quint8(data[at + 3]), quint8(data[at + 4]), quint8(data[at + 5])};
    if (a != TIpv4{} && !addresses.contains(a)) addresses.append(a);
  }
  return !addresses.isEmpty();
}

}  // namespace NetBios

TNetBiosResolver::TNetBiosResolver(const QList<DiscoveryNet::TTarget>& targets)
    : FNextId(quint16(QRandomGenerator::global()->bounded(1, 0x7fff))) {
  FSockets.Open(targets, true);
}

TNetBiosResolver::~TNetBiosResolver() = default;

void TNetBiosResolver::Query(const QString& name, quint8 suffix) {
  const QString upper = name.toUpper();
  if (FPending.size() >= 512 || FAnswers.contains(upper)) return;
  for (const TPending& p : FPending)
    if (p.Name == upper) return;
  const quint16 id = FNextId++;
  const QByteArray q = NetBios::BuildQuery(id, upper, suffix);
  if (q.isEmpty()) return;
  FPending.insert(id, {upper, suffix});
  FSockets.SendAll(q);
}

void TNetBiosResolver::Collect(std::vector<pollfd>& fds, qint64&) {
  FSockets.Collect(fds);
}

void TNetBiosResolver::Dispatch(const pollfd* fds, size_t count, qint64) {
  for (size_t i = 0; i < count && i < size_t(FSockets.Count()); ++i) {
    if (!(fds[i].revents & POLLIN)) continue;
    QByteArray data;
    TIpv4 from{};
    quint16 port = 0;
    for (int n = 0; n < 64 && FSockets.Receive(int(i), data, from, port); ++n) {
      if (data.size() < 2) continue;
      const quint16 id = quint16(quint8(data[0]) << 8 | quint8(data[1]));
      auto it = FPending.find(id);
      if (it == FPending.end()) continue;
      QList<TIpv4> addresses;
      if (!NetBios::ParseAnswer(data, id, it->Name, addresses, it->Suffix)) continue;
      QList<TIpv4>& known = FAnswers[it->Name];
      if (!known.contains(addresses.first()))
        qCDebug(LogDiscovery).noquote() << "NetBIOS: name" << it->Name << "is at" << DiscoveryNet::ToString(addresses.first());
      for (const TIpv4& a : addresses)
        if (!known.contains(a)) known.append(a);
    }
  }
}

bool TNetBiosResolver::Finished() const {
  if (FSockets.IsEmpty()) return true;
  for (const TPending& p : FPending)
    if (!FAnswers.contains(p.Name)) return false;
  return true;
}
