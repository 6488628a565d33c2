#pragma once
// SMB passwords the desktop keeps in its keyring (the freedesktop secret
// service, as the desktop file managers store them: schema
// org.gnome.keyring.NetworkPassword, protocol "smb", server NAME). Only an
// already unlocked keyring is read; nothing ever prompts or unlocks. A
// machine without a session bus has no keyring to read.
#include <QList>

#include "platform/smb/SmbCredentials.h"

namespace SmbKeyring {

struct TAnswer {
  QList<TSmbCredential> Found;
  bool Locked = false;  // entries for the server exist but the keyring is locked
};

TAnswer Lookup(const QString& server);

}  // namespace SmbKeyring
