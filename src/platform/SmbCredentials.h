#pragma once
// The credentials the SMB back end tries for a server, silently and in
// this order, as a Windows program gets its user's logon:
//   1. the Kerberos ticket of the user, if any, falling back to anonymous /
//      guest when there is none (one attempt: the library does both);
//   2. passwords the desktop's unlocked keyring keeps for that server;
//   3. the Samba authentication file named by TRAWLIX_SMB_AUTH
//      ("username = ...", "password = ...", "domain = ...").
// Nothing here ever asks the user.
#include <QList>
#include <QString>
#include <functional>

struct TSmbCredential {
  QString User;  // empty: the Kerberos ticket, else anonymous / guest
  QString Domain;
  QString Password;
  bool operator==(const TSmbCredential& o) const {
    return User == o.User && Domain == o.Domain && Password == o.Password;
  }
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

// Tries `attempt` with each credential in the order above, the one that
// worked last for `server` (`remembered`, an index into the order) first,
// until one gives anything but ERROR_ACCESS_DENIED; stops at once when
// `stop` answers true. Returns that result (ERROR_ACCESS_DENIED when every
// one was refused) and sets `remembered` to the index that succeeded.
// Sources are asked only when the attempts before them were refused.
int TryInOrder(const QString& server, TSmbCredentialSources& sources, int& remembered,
               const std::function<int(const TSmbCredential&)>& attempt,
               const std::function<bool()>& stop = {});

}  // namespace SmbCredentials
