#include "platform/discovery/DnsPacket.h"

#include <QStringList>

namespace Dns {

namespace {

constexpr int MaxNameLength = 255;
constexpr int MaxRecords = 512;

class TReader {
 public:
  explicit TReader(const QByteArray& data) : D(reinterpret_cast<const quint8*>(data.constData())), N(data.size()) {}
  bool U16(qsizetype& pos, quint16& v) const {
    if (pos < 0 || pos + 2 > N) return false;
    v = quint16(D[pos] << 8 | D[pos + 1]);
    pos += 2;
    return true;
  }
  bool U32(qsizetype& pos, quint32& v) const {
    if (pos < 0 || pos + 4 > N) return false;
    v = quint32(D[pos]) << 24 | quint32(D[pos + 1]) << 16 | quint32(D[pos + 2]) << 8 | D[pos + 3];
    pos += 4;
    return true;
  }
  // Reads a possibly compressed name at pos; pos moves past it in place.
  // Pointers must go strictly backwards, so a loop cannot be built.
  bool Name(qsizetype& pos, TName& name) const {
    name.clear();
    qsizetype at = pos;
    qsizetype limit = pos;  // a pointer must point before this
    bool jumped = false;
    int length = 0;
    for (;;) {
      if (at < 0 || at >= N) return false;
      quint8 l = D[at];
      if (l == 0) {
        if (!jumped) pos = at + 1;
        return true;
      }
      if ((l & 0xc0) == 0xc0) {
        if (at + 1 >= N) return false;
        qsizetype target = qsizetype(l & 0x3f) << 8 | D[at + 1];
        if (target >= limit) return false;
        if (!jumped) pos = at + 2;
        jumped = true;
        limit = target;
        at = target;
        continue;
      }
      if (l & 0xc0) return false;  // extended label types are not used here
      if (at + 1 + l > N) return false;
      length += l + 1;
      if (length > MaxNameLength) return false;
      name.append(QByteArray(reinterpret_cast<const char*>(D + at + 1), l));
      at += 1 + l;
    }
  }
  const quint8* D;
  qsizetype N;
};

}  // namespace

TName NameFromText(const QString& text) {
  TName out;
  QString t = text;
  if (t.endsWith(QLatin1Char('.'))) t.chop(1);
  int length = 0;
  for (const QString& part : t.split(QLatin1Char('.'))) {
    QByteArray label = part.toUtf8();
    if (label.isEmpty() || label.size() > 63) return {};
    length += int(label.size()) + 1;
    out.append(label);
  }
  if (length + 1 > MaxNameLength) return {};
  return out;
}

QString NameToText(const TName& name) {
  QStringList parts;
  for (const QByteArray& l : name) parts.append(QString::fromUtf8(l));
  return parts.join(QLatin1Char('.'));
}

bool SameName(const TName& a, const TName& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (a[i].compare(b[i], Qt::CaseInsensitive) != 0) return false;
  return true;
}

QByteArray BuildQuery(quint16 id, quint16 flags, const TName& name, quint16 type) {
  if (name.isEmpty()) return {};
  QByteArray q;
  auto u16 = [&q](quint16 v) {
    q.append(char(v >> 8));
    q.append(char(v & 0xff));
  };
  u16(id);
  u16(flags);
  u16(1);
  u16(0);
  u16(0);
  u16(0);
  for (const QByteArray& l : name) {
    if (l.isEmpty() || l.size() > 63) return {};
    q.append(char(l.size()));
    q.append(l);
  }
  q.append('\0');
  u16(type);
  u16(kClassIn);
  return q;
}

bool Parse(const QByteArray& data, TMessage& message) {
  message = TMessage();
  TReader r(data);
  qsizetype pos = 0;
  quint16 qd = 0, an = 0, ns = 0, ar = 0;
  if (!r.U16(pos, message.Id) || !r.U16(pos, message.Flags) || !r.U16(pos, qd) || !r.U16(pos, an) ||
      !r.U16(pos, ns) || !r.U16(pos, ar))
    return false;
  for (int i = 0; i < qd; ++i) {
    TQuestion q;
    if (!r.Name(pos, q.Name) || !r.U16(pos, q.Type) || !r.U16(pos, q.Class)) return true;
    q.Class &= 0x7fff;
    message.Questions.append(q);
  }
  const int total = std::min(int(an) + ns + ar, MaxRecords);
  for (int i = 0; i < total; ++i) {
    TRecord rec;
    quint16 length = 0;
    if (!r.Name(pos, rec.Name) || !r.U16(pos, rec.Type) || !r.U16(pos, rec.Class) || !r.U32(pos, rec.Ttl) ||
        !r.U16(pos, length))
      return true;
    rec.Class &= 0x7fff;
    const qsizetype start = pos, end = pos + length;
    if (end > r.N) return true;
    qsizetype p = start;
    bool ok = true;
    switch (rec.Type) {
      case kTypeA:
        ok = length == 4;
        if (ok)
          for (int k = 0; k < 4; ++k) rec.Address[k] = r.D[start + k];
        break;
      case kTypePtr:
        ok = r.Name(p, rec.Target) && p <= end;
        break;
      case kTypeSrv: {
        quint16 priority = 0, weight = 0;
        ok = r.U16(p, priority) && r.U16(p, weight) && r.U16(p, rec.Port) && p <= end && r.Name(p, rec.Target) &&
             p <= end;
        break;
      }
      case kTypeTxt:
        while (p < end) {
          const qsizetype l = r.D[p];
          if (p + 1 + l > end) {
            ok = false;
            break;
          }
          rec.Txt.append(QByteArray(reinterpret_cast<const char*>(r.D + p + 1), l));
          p += 1 + l;
        }
        break;
      default:
        break;
    }
    pos = end;
    // A record whose data does not fit its own length is dropped, not trusted.
    if (ok) message.Records.append(rec);
  }
  return true;
}

}  // namespace Dns
