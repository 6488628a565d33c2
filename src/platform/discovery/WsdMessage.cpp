#include "platform/discovery/WsdMessage.h"

#include <QRegularExpression>
#include <QUuid>
#include <QXmlStreamReader>

#include "platform/fs/WinPath.h"

namespace Wsd {

namespace {

const char kEnvelopeHead[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\""
    " xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
    " xmlns:wsd=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\""
    " xmlns:wsdp=\"http://schemas.xmlsoap.org/ws/2006/02/devprof\">";
const char kDiscoveryTo[] = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
const char kDiscoveryActions[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery/";

QByteArray Esc(const QString& s) { return s.toHtmlEscaped().toUtf8(); }

QByteArray Header(const QString& to, const QByteArray& action, const QString& messageId, bool replyTo) {
  QByteArray h = "<soap:Header><wsa:To>" + Esc(to) + "</wsa:To><wsa:Action>" + action +
                 "</wsa:Action><wsa:MessageID>" + Esc(messageId) + "</wsa:MessageID>";
  if (replyTo)
    h += "<wsa:ReplyTo><wsa:Address>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous"
         "</wsa:Address></wsa:ReplyTo>";
  return h + "</soap:Header>";
}

// Element-by-local-name walk over a document whose later part may be cut
// off or broken: values are taken only from elements read to their end.
class TWalker {
 public:
  explicit TWalker(const QByteArray& data) : R(data) {}
  // Next start element; false at the end of the input or at an error.
  bool NextStart() {
    while (!R.atEnd()) {
      QXmlStreamReader::TokenType t = R.readNext();
      if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference) {
        Bad = true;
        return false;
      }
      if (t == QXmlStreamReader::StartElement) {
        Path.append(R.name().toString());
        return true;
      }
      if (t == QXmlStreamReader::EndElement && !Path.isEmpty()) {
        Path.removeLast();
        if (Watch && Path.size() < Watch) WatchEnded = true;
      }
    }
    return false;
  }
  // Text of the current element, its end consumed; false if it never ended.
  bool Text(QString& out) {
    QString t = R.readElementText(QXmlStreamReader::SkipChildElements);
    if (R.hasError()) return false;
    Path.removeLast();
    out = t.trimmed();
    return true;
  }
  bool At(std::initializer_list<const char*> tail) const {
    if (Path.size() < qsizetype(tail.size())) return false;
    qsizetype i = Path.size() - qsizetype(tail.size());
    for (const char* n : tail)
      if (Path[i++] != QLatin1String(n)) return false;
    return true;
  }
  QXmlStreamReader R;
  QStringList Path;
  // Depth of an element whose end tag the caller waits for, 0 for none.
  qsizetype Watch = 0;
  bool WatchEnded = false;
  bool Bad = false;
};

}  // namespace

bool TMessage::IsProbeMatches() const { return Action == QLatin1String(kDiscoveryActions) + "ProbeMatches"; }
bool TMessage::IsResolveMatches() const { return Action == QLatin1String(kDiscoveryActions) + "ResolveMatches"; }

QString NewMessageId() { return QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

QByteArray BuildProbe(const QString& messageId) {
  return kEnvelopeHead +
         Header(kDiscoveryTo, QByteArray(kDiscoveryActions) + "Probe", messageId, false) +
         "<soap:Body><wsd:Probe><wsd:Types>wsdp:Device</wsd:Types></wsd:Probe></soap:Body></soap:Envelope>";
}

QByteArray BuildResolve(const QString& messageId, const QString& endpoint) {
  return kEnvelopeHead +
         Header(kDiscoveryTo, QByteArray(kDiscoveryActions) + "Resolve", messageId, false) +
         "<soap:Body><wsd:Resolve><wsa:EndpointReference><wsa:Address>" + Esc(endpoint) +
         "</wsa:Address></wsa:EndpointReference></wsd:Resolve></soap:Body></soap:Envelope>";
}

QByteArray BuildGet(const QString& messageId, const QString& endpoint) {
  return kEnvelopeHead +
         Header(endpoint, "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get", messageId, true) +
         "<soap:Body/></soap:Envelope>";
}

QByteArray BuildHttpPost(const QString& host, quint16 port, const QString& path, const QByteArray& body) {
  return "POST " + path.toUtf8() + " HTTP/1.1\r\nHost: " + host.toUtf8() + ':' + QByteArray::number(port) +
         "\r\nContent-Type: application/soap+xml\r\nUser-Agent: Trawlix\r\nContent-Length: " +
         QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool ParseMessage(const QByteArray& data, TMessage& message) {
  message = TMessage();
  TWalker w(data);
  bool envelope = false;
  TMatch match;
  qsizetype& matchDepth = w.Watch;  // depth of the open ProbeMatch / ResolveMatch, 0 if none
  for (;;) {
    bool started = w.NextStart();
    // A match counts once its end tag has been read.
    if (w.WatchEnded) {
      if (!match.Endpoint.isEmpty()) message.Matches.append(match);
      matchDepth = 0;
      w.WatchEnded = false;
    }
    if (!started) break;
    if (w.Path.size() == 1) {
      if (w.Path[0] != QLatin1String("Envelope")) return false;
      envelope = true;
      continue;
    }
    QString text;
    if (w.At({"Envelope", "Header", "Action"})) {
      if (w.Text(text)) message.Action = text;
    } else if (w.At({"Envelope", "Header", "MessageID"})) {
      if (w.Text(text)) message.MessageId = text;
    } else if (w.At({"Envelope", "Header", "RelatesTo"})) {
      if (w.Text(text)) message.RelatesTo = text;
    } else if (w.At({"Envelope", "Body", "ProbeMatches", "ProbeMatch"}) ||
               w.At({"Envelope", "Body", "ResolveMatches", "ResolveMatch"})) {
      match = TMatch();
      matchDepth = w.Path.size();
    } else if (matchDepth && w.Path.size() == matchDepth + 2 && w.At({"EndpointReference", "Address"})) {
      if (w.Text(text)) match.Endpoint = text;
    } else if (matchDepth && w.Path.size() == matchDepth + 1 && w.At({"Types"})) {
      if (w.Text(text)) {
        match.Types = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        match.HasTypes = true;
      }
    } else if (matchDepth && w.Path.size() == matchDepth + 1 && w.At({"XAddrs"})) {
      if (w.Text(text)) match.XAddrs = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    }
  }
  return envelope && !w.Bad;
}

bool ParseComputer(const QByteArray& soap, QString& computer) {
  TWalker w(soap);
  while (w.NextStart()) {
    if (w.Path.size() == 1 && w.Path[0] != QLatin1String("Envelope")) return false;
    if (w.At({"Computer"}) && w.Path.contains(QLatin1String("Body"))) {
      QString text;
      if (!w.Text(text)) return false;
      computer = text;
      return !w.Bad;
    }
  }
  return false;
}

bool SplitComputer(const QString& computer, QString& name, QString& group, bool& isDomain) {
  QString n = computer;
  QString kind;
  // Some hosts write a backslash before the kind ("PC1\\Workgroup:HOME");
  // desktop file managers accept it, so a backslash counts where no slash is.
  qsizetype slash = computer.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) slash = computer.lastIndexOf(QLatin1Char('\\'));
  if (slash >= 0) {
    n = computer.left(slash);
    kind = computer.mid(slash + 1);
  }
  n = n.trimmed();
  if (n.isEmpty()) return false;
  if (!WinPath::IsNetworkName(n)) return false;
  name = n.toUpper();
  group.clear();
  isDomain = false;
  qsizetype colon = kind.indexOf(QLatin1Char(':'));
  if (colon > 0) {
    QString what = kind.left(colon).trimmed();
    QString value = kind.mid(colon + 1).trimmed();
    const bool clean = WinPath::IsNetworkName(value);
    if (clean && what.compare(QLatin1String("Workgroup"), Qt::CaseInsensitive) == 0) {
      group = value;
    } else if (clean && what.compare(QLatin1String("Domain"), Qt::CaseInsensitive) == 0) {
      group = value;
      isDomain = !value.isEmpty();
    }
  }
  return true;
}

bool MayBeComputer(const TMatch& match) {
  if (!match.HasTypes || match.Types.isEmpty()) return true;
  for (const QString& t : match.Types) {
    qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
    if (t.mid(colon + 1) == QLatin1String("Computer")) return true;
  }
  return false;
}

bool SplitHttpUrl(const QString& url, QString& host, quint16& port, QString& path) {
  if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) return false;
  for (QChar c : url)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
  QString rest = url.mid(7);
  qsizetype slash = rest.indexOf(QLatin1Char('/'));
  QString authority = slash < 0 ? rest : rest.left(slash);
  path = slash < 0 ? QStringLiteral("/") : rest.mid(slash);
  if (authority.isEmpty() || authority.startsWith(QLatin1Char('[')) || authority.contains(QLatin1Char('@')))
    return false;
  qsizetype colon = authority.indexOf(QLatin1Char(':'));
  port = 80;
  if (colon >= 0) {
    bool ok = false;
    uint p = authority.mid(colon + 1).toUInt(&ok, 10);
    if (!ok || p == 0 || p > 65535) return false;
    port = quint16(p);
    authority = authority.left(colon);
  }
  host = authority;
  return !host.isEmpty();
}

namespace {

// Decodes a chunked body; Incomplete while the last chunk has not arrived.
THttpResult Unchunk(const QByteArray& data, qsizetype pos, QByteArray& body) {
  QByteArray out;
  for (;;) {
    qsizetype eol = data.indexOf("\r\n", pos);
    if (eol < 0) return data.size() - pos > 64 ? THttpResult::Failed : THttpResult::Incomplete;
    QByteArray sizeText = data.mid(pos, eol - pos);
    qsizetype semi = sizeText.indexOf(';');
    if (semi >= 0) sizeText.truncate(semi);
    bool ok = false;
    qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
    if (!ok || size < 0 || size > (1 << 24)) return THttpResult::Failed;
    pos = eol + 2;
    if (size == 0) {
      body = out;
      return THttpResult::Complete;
    }
    if (data.size() - pos < size + 2) return THttpResult::Incomplete;
    out += data.mid(pos, size);
    pos += size;
    if (data.mid(pos, 2) != "\r\n") return THttpResult::Failed;
    pos += 2;
  }
}

}  // namespace

THttpResult ParseHttpResponse(const QByteArray& data, bool closed, QByteArray& body) {
  qsizetype headEnd = data.indexOf("\r\n\r\n");
  if (headEnd < 0) {
    if (closed || data.size() > 65536) return THttpResult::Failed;
    // A status line that is already wrong need not wait for more.
    if (data.size() >= 5 && !data.startsWith("HTTP/")) return THttpResult::Failed;
    return THttpResult::Incomplete;
  }
  const QList<QByteArray> lines = data.left(headEnd).split('\n');
  const QList<QByteArray> status = lines[0].trimmed().split(' ');
  if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1] != "200") return THttpResult::Failed;
  qint64 length = -1;
  bool chunked = false;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QByteArray& line = lines[i];
    qsizetype colon = line.indexOf(':');
    if (colon <= 0) continue;
    QByteArray key = line.left(colon).trimmed().toLower();
    QByteArray value = line.mid(colon + 1).trimmed();
    if (key == "content-length") {
      bool ok = false;
      length = value.toLongLong(&ok);
      if (!ok || length < 0) return THttpResult::Failed;
    } else if (key == "transfer-encoding" && value.toLower().contains("chunked")) {
      chunked = true;
    }
  }
  qsizetype start = headEnd + 4;
  if (chunked) {
    THttpResult r = Unchunk(data, start, body);
    return r == THttpResult::Incomplete && closed ? THttpResult::Failed : r;
  }
  if (length >= 0) {
    if (data.size() - start >= length) {
      body = data.mid(start, length);
      return THttpResult::Complete;
    }
    return closed ? THttpResult::Failed : THttpResult::Incomplete;
  }
  if (!closed) return THttpResult::Incomplete;
  body = data.mid(start);
  return THttpResult::Complete;
}

}  // namespace Wsd
