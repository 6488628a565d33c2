#pragma once
// smb:// addresses for UNC paths, as libsmbclient and the desktop read them.
// Every byte of a name's UTF-8 form other than letters, digits and "-._~"
// is percent-encoded, so blanks, "%", "#", "?", "@", ";" and non-ASCII
// letters reach the server as the names they are and never act as URL
// syntax.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SmbUrl {

// One path component, percent-encoded.
QByteArray Encode(const QString& component);
// "smb://HOST/", "smb://HOST/SHARE/" or "smb://HOST/SHARE/a/b": `host` is
// the server's address when known, else its name.
QByteArray Build(const QString& host, const QString& share = QString(), const QStringList& parts = {});

}  // namespace SmbUrl
