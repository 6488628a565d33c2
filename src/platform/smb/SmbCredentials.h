#pragma once
// The credentials the SMB back end tries for a server, silently and in
// this order, as a Windows program gets its user's logon:
//   1. the Kerberos ticket of the user, if any, falling back to anonymous /
//      guest when there is none (one attempt: the library does both);
//   2. passwords the desktop's unlocked keyring keeps for that server;
//   3. the Samba authentication file named by TRAWLIX_SMB_AUTH
//      ("username = ...", "password = ...", "domain = ...").
// Nothing here ever asks the user.
//
// A password is a logon that counts against the user's account when the
// server refuses it (servers lock an account after a few), so each one is
// offered to a server at most until it refuses it: never again while the
// program runs, unless its source changes (the file's contents, the
// keyring unlocked anew). A password that names a domain goes only to
// servers that announced that workgroup or domain.
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWaitCondition>
#include <functional>

struct TSmbCredential {
  QString User;  // empty: the Kerberos ticket, else anonymous / guest
  QString Domain;
  QString Password;
  // Counts the times the keyring was found unlocked after being locked: a
  // password it gives after such a change may be offered anew.
  int KeyringUnlock = 0;
  bool operator==(const TSmbCredential& o) const {
    return User == o.User && Domain == o.Domain && Password == o.Password;
  }
};

// The server a credential is for: its name, and the workgroups or domains
// it announced (workgroup, DNS domain, NetBIOS domain); none for a server
// only named by the user, whose own choice it then is.
struct TSmbServerId {
  QString Name;
  QStringList Groups;
};

// Where passwords come from; replaceable so the order can be tested.
class TSmbCredentialSources {
 public:
  virtual ~TSmbCredentialSources() = default;
  // Entries of the desktop's keyring for the server (name or address),
  // read only when the keyring is already unlocked.
  virtual QList<TSmbCredential> Keyring(const QString& server) = 0;
  // The authentication file's entry; false when there is none.
  virtual bool AuthFile(TSmbCredential& out) = 0;
  // A scan begins: what the keyring answered is asked anew.
  virtual void NewScan() {}
};

// The keyring's answers as one scan keeps them: an answer with entries, or
// that the keyring is locked or has none, holds until the next scan.
class TSmbKeyringAnswers {
 public:
  struct TAnswer {
    QList<TSmbCredential> Found;
    bool Locked = false;
  };
  explicit TSmbKeyringAnswers(std::function<TAnswer(const QString& server)> lookup) : FLookup(std::move(lookup)) {}
  QList<TSmbCredential> Get(const QString& server);
  void NewScan();

 private:
  std::function<TAnswer(const QString&)> FLookup;
  QMutex FMutex;
  QHash<QString, QList<TSmbCredential>> FAnswers;
  bool FSawLocked = false;
  int FUnlocks = 0;
};

// Which passwords each server refused or took, for the life of the
// program, and which are being offered now: a password is offered to one
// server by one caller at a time, so two callers never both spend a logon
// on the same password.
class TSmbLogons {
 public:
  static TSmbLogons& Process();
  enum class TTurn { Offer, Refused, Stopped };
  // Waits while another caller offers the same password to the server;
  // Offer means the caller offers it now and reports with End.
  TTurn Begin(const QString& server, const TSmbCredential& c, const std::function<bool()>& stop);
  // The server's answer (a Windows code) to the password Begin let through.
  void End(const QString& server, const TSmbCredential& c, int result);

 private:
  static QString Key(const QString& server, const TSmbCredential& c);
  QMutex FMutex;
  QWaitCondition FChanged;
  QSet<QString> FRefused, FAccepted, FOffering;
};

namespace SmbCredentials {

// Reads the text of a Samba authentication file: "name = value" lines,
// blanks around both ignored, "#" and ";" lines comments; keys username,
// password and domain (workgroup too), without regard to letter case; a
// "DOMAIN\user" or "user@realm" user name carries its domain. False
// without a user name.
bool ParseAuthFile(const QByteArray& text, TSmbCredential& out);

// The desktop's keyring and the file TRAWLIX_SMB_AUTH names.
TSmbCredentialSources& System();

// True when a password may go to the server: it names no domain, the
// server announced none, or one the server announced is that domain (a
// DNS domain also by its first label, as NetBIOS names it).
bool DomainFits(const TSmbCredential& c, const TSmbServerId& server);

// Tries `attempt` with each credential in the order above, the one that
// worked last for the server (`remembered`, an index into the order)
// first, until one gives anything but ERROR_ACCESS_DENIED; stops at once
// when `stop` answers true. Passwords go through `logons` (see above) and
// DomainFits. Returns that result (ERROR_ACCESS_DENIED when every one was
// refused or none could be offered) and sets `remembered` to the index
// that succeeded. Sources are asked only when the attempts before them
// were refused.
int TryInOrder(const TSmbServerId& server, TSmbCredentialSources& sources, TSmbLogons& logons, int& remembered,
               const std::function<int(const TSmbCredential&)>& attempt, const std::function<bool()>& stop = {});

}  // namespace SmbCredentials
