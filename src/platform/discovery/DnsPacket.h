#pragma once
// The DNS message format as multicast DNS, DNS-SD and LLMNR use it: building
// a one-question query and parsing an answer (with name compression) into
// plain records. Parsing reads only inside the given bytes; a malformed
// record ends the parse, keeping the records before it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

namespace Dns {

using TName = QList<QByteArray>;  // labels, without the final empty one

constexpr quint16 kTypeA = 1;
constexpr quint16 kTypePtr = 12;
constexpr quint16 kTypeTxt = 16;
constexpr quint16 kTypeSrv = 33;
constexpr quint16 kClassIn = 1;
constexpr quint16 kFlagResponse = 0x8000;

struct TQuestion {
  TName Name;
  quint16 Type = 0;
  quint16 Class = 0;
};

struct TRecord {
  TName Name;
  quint16 Type = 0;
  quint16 Class = 0;  // without the multicast cache-flush bit
  quint32 Ttl = 0;
  TName Target;                    // PTR and SRV
  quint16 Port = 0;                // SRV
  std::array<quint8, 4> Address{}; // A
  QList<QByteArray> Txt;           // TXT strings
};

struct TMessage {
  quint16 Id = 0;
  quint16 Flags = 0;
  QList<TQuestion> Questions;
  QList<TRecord> Records;  // answer, authority and additional sections in order
};

// "srv1.local" -> {"srv1", "local"}; empty when a label is empty or too long.
TName NameFromText(const QString& text);
QString NameToText(const TName& name);
// Names compare without regard to ASCII letter case.
bool SameName(const TName& a, const TName& b);

// A query with one question. Empty when the name cannot be encoded.
QByteArray BuildQuery(quint16 id, quint16 flags, const TName& name, quint16 type);

// False only when there is no complete header.
bool Parse(const QByteArray& data, TMessage& message);

}  // namespace Dns
