#include "platform/net/SmbUrl.h"

namespace SmbUrl {

QByteArray Encode(const QString& component) {
  static const char hex[] = "0123456789ABCDEF";
  const QByteArray utf8 = component.toUtf8();
  QByteArray out;
  out.reserve(utf8.size() * 3);
  for (const char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~';
    if (plain) {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

QByteArray Build(const QString& host, const QString& share, const QStringList& parts) {
  QByteArray url = "smb://" + Encode(host) + '/';
  if (share.isEmpty()) return url;
  url += Encode(share);
  if (parts.isEmpty()) return url + '/';
  for (const QString& p : parts) url += '/' + Encode(p);
  return url;
}

}  // namespace SmbUrl
