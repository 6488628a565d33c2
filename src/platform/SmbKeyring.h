#pragma once
// SMB passwords the desktop keeps in its keyring (the freedesktop secret
// service, as the desktop file managers store them: schema
// org.gnome.keyring.NetworkPassword, protocol "smb", server NAME). Only an
// already unlocked keyring is read; nothing ever prompts or unlocks. A
// machine without a session bus has no keyring to read.
#include <QList>

#include "platform/SmbCredentials.h"

namespace SmbKeyring {

QList<TSmbCredential> Lookup(const QString& server);

}  // namespace SmbKeyring
