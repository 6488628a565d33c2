#pragma once
// WS-Discovery and WS-Transfer messages of a discovery client: the Probe and
// Resolve it multicasts, the metadata Get it posts over HTTP, and the pure
// parsers of what comes back. Parsers take bytes from the network and never
// trust them: any input gives a result or false, never more.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Wsd {

// One ProbeMatch or ResolveMatch.
struct TMatch {
  QString Endpoint;    // wsa:EndpointReference/wsa:Address, e.g. urn:uuid:...
  QStringList Types;   // qualified names as sent ("wsdp:Device", "pub:Computer")
  QStringList XAddrs;  // transport addresses (URLs)
  bool HasTypes = false;
};

struct TMessage {
  QString Action;
  QString MessageId;
  QString RelatesTo;
  QList<TMatch> Matches;  // only matches whose element was read whole
  bool IsProbeMatches() const;
  bool IsResolveMatches() const;
};

// A fresh "urn:uuid:..." message identifier.
QString NewMessageId();

QByteArray BuildProbe(const QString& messageId);
QByteArray BuildResolve(const QString& messageId, const QString& endpoint);
// The SOAP envelope of a WS-Transfer Get addressed to the device endpoint.
QByteArray BuildGet(const QString& messageId, const QString& endpoint);
// The whole HTTP request posting `body` to path on host:port.
QByteArray BuildHttpPost(const QString& host, quint16 port, const QString& path, const QByteArray& body);

// Parses a SOAP-over-UDP datagram. False for anything that is not a
// well-formed start of a SOAP envelope (or that carries a DTD).
bool ParseMessage(const QByteArray& data, TMessage& message);

// The text of the first whole pub:Computer element of a metadata answer.
bool ParseComputer(const QByteArray& soap, QString& computer);

// Splits "NAME/Workgroup:WG", "name/Domain:dom" or "name/NotJoined".
// Name comes back upper case; group empty for NotJoined or an unknown kind.
// False when no usable name is present.
bool SplitComputer(const QString& computer, QString& name, QString& group, bool& isDomain);

// Whether a match's types admit a computer (no types means unknown: yes).
bool MayBeComputer(const TMatch& match);

// Parts of an http://host[:port]/path transport address. False for other
// schemes, bad ports, or IPv6 literals.
bool SplitHttpUrl(const QString& url, QString& host, quint16& port, QString& path);

enum class THttpResult { Incomplete, Complete, Failed };
// Looks at the response bytes received so far (`closed`: the peer closed the
// connection). Complete fills body (HTTP 200 only; Content-Length, chunked or
// ended by close). Failed for any other status or a malformed response.
THttpResult ParseHttpResponse(const QByteArray& data, bool closed, QByteArray& body);

}  // namespace Wsd
