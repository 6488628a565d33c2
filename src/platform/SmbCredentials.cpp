#include "platform/SmbCredentials.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include "platform/Log.h"
#include "platform/SmbErrors.h"
#include "platform/SmbKeyring.h"
#include "platform/WinError.h"

namespace SmbCredentials {

bool ParseAuthFile(const QByteArray& text, TSmbCredential& out) {
  TSmbCredential c;
  for (const QByteArray& raw : text.split('\n')) {
    const QByteArray line = raw.trimmed();
    if (line.isEmpty() || line.startsWith('#') || line.startsWith(';')) continue;
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) continue;
    const QByteArray key = line.left(eq).trimmed().toLower();
    const QString value = QString::fromUtf8(line.mid(eq + 1).trimmed());
    if (key == "username" || key == "user") c.User = value;
    else if (key == "password") c.Password = value;
    else if (key == "domain" || key == "workgroup") c.Domain = value;
  }
  const qsizetype slash = c.User.indexOf(u'\\');
  if (slash > 0) {
    if (c.Domain.isEmpty()) c.Domain = c.User.left(slash);
    c.User = c.User.mid(slash + 1);
  } else if (const qsizetype at = c.User.lastIndexOf(u'@'); at > 0) {
    if (c.Domain.isEmpty()) c.Domain = c.User.mid(at + 1);
    c.User = c.User.left(at);
  }
  if (c.User.isEmpty()) return false;
  out = c;
  return true;
}

namespace {

class TSystemSources : public TSmbCredentialSources {
 public:
  QList<TSmbCredential> Keyring(const QString& server) override {
    {
      QMutexLocker lock(&FMutex);
      auto it = FKeyring.constFind(server.toLower());
      if (it != FKeyring.constEnd()) return *it;
    }
    const QList<TSmbCredential> found = SmbKeyring::Lookup(server);
    qCDebug(LogCredentials).noquote() << "keyring holds" << found.size() << "password(s) for" << server;
    QMutexLocker lock(&FMutex);
    FKeyring.insert(server.toLower(), found);
    return found;
  }
  bool AuthFile(TSmbCredential& out) override {
    // Read at each use: the user may fix the file between two scans.
    const QString path = qEnvironmentVariable("TRAWLIX_SMB_AUTH");
    if (path.isEmpty()) {
      qCDebug(LogCredentials) << "no authentication file: TRAWLIX_SMB_AUTH is not set";
      return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
      qCDebug(LogCredentials) << "authentication file" << path << "unreadable:" << f.errorString();
      return false;
    }
    const bool parsed = ParseAuthFile(f.read(64 * 1024), out);
    if (!parsed) qCDebug(LogCredentials) << "authentication file" << path << "names no user";
    return parsed;
  }

 private:
  QMutex FMutex;
  QHash<QString, QList<TSmbCredential>> FKeyring;
};

}  // namespace

TSmbCredentialSources& System() {
  static TSystemSources* sources = new TSystemSources;  // lives as long as the process
  return *sources;
}

int TryInOrder(const QString& server, TSmbCredentialSources& sources, int& remembered,
               const std::function<int(const TSmbCredential&)>& attempt, const std::function<bool()>& stop) {
  QList<TSmbCredential> tried;
  QList<TSmbCredential> order{TSmbCredential()};
  bool keyringAsked = false, fileAsked = false;
  qsizetype keyringEnd = 1;  // where the keyring's entries end in the order, for the log
  // The order grows as far as it is needed: the keyring and the file are
  // read only when what comes before them was refused.
  auto ensure = [&](int index) {
    if (index >= order.size() && !keyringAsked) {
      keyringAsked = true;
      order += sources.Keyring(server);
      keyringEnd = order.size();
    }
    if (index >= order.size() && !fileAsked) {
      fileAsked = true;
      TSmbCredential c;
      if (sources.AuthFile(c)) order.append(c);
    }
    return index < order.size();
  };
  int result = ERROR_ACCESS_DENIED;
  auto run = [&](int index) {
    if (tried.contains(order[index])) return false;
    tried.append(order[index]);
    result = attempt(order[index]);
    // Who was tried, never with what password.
    qCDebug(LogCredentials).noquote().nospace()
        << server << ": " << (index == 0 ? "ticket or guest" : index < keyringEnd ? "keyring" : "authentication file")
        << (order[index].User.isEmpty() ? QString() : QStringLiteral(" as %1\\%2").arg(order[index].Domain, order[index].User))
        << " -> " << (result == NO_ERROR ? QStringLiteral("accepted") : QStringLiteral("error %1").arg(result));
    if (SmbErrors::IsAccessDenied(result)) return false;
    if (result == NO_ERROR) remembered = index;
    return true;
  };
  if (remembered > 0 && ensure(remembered) && run(remembered)) return result;
  for (int i = 0; ensure(i); ++i) {
    if (stop && stop()) return result;
    if (run(i)) return result;
  }
  return result;
}

}  // namespace SmbCredentials
