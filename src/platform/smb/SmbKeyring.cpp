// libsecret (glib) first: its headers use names that Qt's keywords would
// turn into macros.
#include <libsecret/secret.h>

#include "platform/smb/SmbKeyring.h"
#include "platform/core/Log.h"

#include <QDir>
#include <QFileInfo>

namespace SmbKeyring {

namespace {

// A session bus to ask: without one, glib would try to start a bus
// (autolaunch) instead of failing.
bool HaveSessionBus() {
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo::exists(runtime + QLatin1String("/bus"));
}

QString Attribute(GHashTable* attrs, const char* name) {
  const auto* v = static_cast<const char*>(g_hash_table_lookup(attrs, name));
  return v ? QString::fromUtf8(v) : QString();
}

void Search(SecretService* service, const QByteArray& host, TAnswer& out) {
  GError* error = nullptr;
  GHashTable* attrs = g_hash_table_new(g_str_hash, g_str_equal);
  g_hash_table_insert(attrs, const_cast<char*>("protocol"), const_cast<char*>("smb"));
  g_hash_table_insert(attrs, const_cast<char*>("server"), const_cast<char*>(host.constData()));
  // Never SECRET_SEARCH_UNLOCK: that could show the keyring's unlock prompt.
  GList* items = secret_service_search_sync(
      service, SECRET_SCHEMA_COMPAT_NETWORK, attrs,
      static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr, &error);
  if (error) qCDebug(LogCredentials) << "keyring search for" << host.constData() << "failed:" << error->message;
  g_clear_error(&error);
  g_hash_table_unref(attrs);
  for (GList* l = items; l; l = l->next) {
    auto* item = static_cast<SecretItem*>(l->data);
    if (secret_item_get_locked(item)) {
      out.Locked = true;
      qCDebug(LogCredentials) << "keyring entry for" << host.constData() << "is locked: passed over";
      continue;
    }
    SecretValue* value = secret_item_get_secret(item);
    if (!value) continue;
    GHashTable* a = secret_item_get_attributes(item);
    TSmbCredential c;
    c.User = Attribute(a, "user");
    c.Domain = Attribute(a, "domain");
    c.Password = QString::fromUtf8(secret_value_get_text(value));
    g_hash_table_unref(a);
    secret_value_unref(value);
    if (!c.User.isEmpty()) out.Found.append(c);
  }
  g_list_free_full(items, g_object_unref);
}

}  // namespace

TAnswer Lookup(const QString& server) {
  TAnswer out;
  if (!server.isEmpty() && !HaveSessionBus()) qCDebug(LogCredentials) << "no session bus: the keyring is not asked";
  if (server.isEmpty() || !HaveSessionBus()) return out;
  GError* error = nullptr;
  SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
  if (!service) {
    qCDebug(LogCredentials) << "no keyring service:" << (error ? error->message : "unknown reason");
    g_clear_error(&error);
    return out;
  }
  // Stored as the user typed the server: try it as given and in lower case.
  Search(service, server.toUtf8(), out);
  if (server.toLower() != server) Search(service, server.toLower().toUtf8(), out);
  g_object_unref(service);
  return out;
}

}  // namespace SmbKeyring
