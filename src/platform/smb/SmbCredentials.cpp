#include "platform/smb/SmbCredentials.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include "platform/core/Log.h"
#include "platform/core/WinError.h"
#include "platform/smb/SmbErrors.h"
#include "platform/smb/SmbKeyring.h"

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

}  // namespace SmbCredentials

QList<TSmbCredential> TSmbKeyringAnswers::Get(const QString& server) {
  const QString key = server.toLower();
  {
    QMutexLocker lock(&FMutex);
    if (auto it = FAnswers.constFind(key); it != FAnswers.constEnd()) return *it;
  }
  TAnswer answer = FLookup(server);
  QMutexLocker lock(&FMutex);
  // Entries found after the keyring was seen locked come from a keyring
  // the user has just unlocked: they may be offered anew.
  if (answer.Locked) FSawLocked = true;
  else if (FSawLocked && !answer.Found.isEmpty()) {
    FSawLocked = false;
    ++FUnlocks;
  }
  for (TSmbCredential& c : answer.Found) c.KeyringUnlock = FUnlocks;
  FAnswers.insert(key, answer.Found);
  return answer.Found;
}

void TSmbKeyringAnswers::NewScan() {
  QMutexLocker lock(&FMutex);
  FAnswers.clear();
}

TSmbLogons& TSmbLogons::Process() {
  static TSmbLogons* logons = new TSmbLogons;  // lives as long as the process
  return *logons;
}

QString TSmbLogons::Key(const QString& server, const TSmbCredential& c) {
  return QStringList{server.toUpper(), c.User.toLower(), c.Domain.toLower(), c.Password,
                     QString::number(c.KeyringUnlock)}
      .join(QChar(0));
}

TSmbLogons::TTurn TSmbLogons::Begin(const QString& server, const TSmbCredential& c, const std::function<bool()>& stop) {
  const QString key = Key(server, c);
  QMutexLocker lock(&FMutex);
  for (;;) {
    if (FRefused.contains(key)) return TTurn::Refused;
    if (!FOffering.contains(key)) break;
    if (stop && stop()) return TTurn::Stopped;
    FChanged.wait(&FMutex, 50);
  }
  FOffering.insert(key);
  return TTurn::Offer;
}

void TSmbLogons::End(const QString& server, const TSmbCredential& c, int result) {
  const QString key = Key(server, c);
  QMutexLocker lock(&FMutex);
  FOffering.remove(key);
  if (result == NO_ERROR) FAccepted.insert(key);
  // A server that once took the password and now refuses a share refused
  // the share, not the logon: the password stays good for its other shares.
  else if (SmbErrors::IsAccessDenied(result) && !FAccepted.contains(key)) FRefused.insert(key);
  FChanged.wakeAll();
}

namespace SmbCredentials {

namespace {

class TSystemSources : public TSmbCredentialSources {
 public:
  QList<TSmbCredential> Keyring(const QString& server) override {
    const QList<TSmbCredential> found = FKeyring.Get(server);
    qCDebug(LogCredentials).noquote() << "keyring holds" << found.size() << "password(s) for" << server;
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
  void NewScan() override { FKeyring.NewScan(); }

 private:
  TSmbKeyringAnswers FKeyring{[](const QString& server) {
    const SmbKeyring::TAnswer a = SmbKeyring::Lookup(server);
    return TSmbKeyringAnswers::TAnswer{a.Found, a.Locked};
  }};
};

}  // namespace

TSmbCredentialSources& System() {
  static TSystemSources* sources = new TSystemSources;  // lives as long as the process
  return *sources;
}

bool DomainFits(const TSmbCredential& c, const TSmbServerId& server) {
  if (c.Domain.isEmpty() || server.Groups.isEmpty()) return true;
  const QString domain = c.Domain.toLower();
  const QString domainLabel = domain.section(u'.', 0, 0);
  for (const QString& g : server.Groups) {
    const QString group = g.toLower();
    if (group.isEmpty()) continue;
    if (group == domain || group.section(u'.', 0, 0) == domain || group == domainLabel) return true;
  }
  return false;
}

int TryInOrder(const TSmbServerId& server, TSmbCredentialSources& sources, TSmbLogons& logons, int& remembered,
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
      order += sources.Keyring(server.Name);
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
    const TSmbCredential& c = order[index];
    if (tried.contains(c)) return false;
    tried.append(c);
    // A ticket or guest costs the user's account nothing; a password does.
    const bool password = !c.User.isEmpty();
    if (password) {
      if (!DomainFits(c, server)) return false;
      const TSmbLogons::TTurn turn = logons.Begin(server.Name, c, stop);
      if (turn != TSmbLogons::TTurn::Offer) return false;
    }
    const int r = attempt(c);
    if (password) logons.End(server.Name, c, r);
    result = r;
    // Who was tried, never with what password.
    qCDebug(LogCredentials).noquote().nospace()
        << server.Name << ": " << (index == 0 ? "ticket or guest" : index < keyringEnd ? "keyring" : "authentication file")
        << (c.User.isEmpty() ? QString() : QStringLiteral(" as %1\\%2").arg(c.Domain, c.User))
        << " -> " << (r == NO_ERROR ? QStringLiteral("accepted") : QStringLiteral("error %1").arg(r));
    if (SmbErrors::IsAccessDenied(r)) return false;
    if (r == NO_ERROR) remembered = index;
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
