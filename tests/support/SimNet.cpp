#include "support/SimNet.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/ini/Ini.h"
#include "platform/net/NetBackend.h"
#include "platform/fs/WinPath.h"

TSimNet::TSimNet() {
  FPrevious = NetBackend::Current();
  QDir().mkpath(Root());
  Reload();
}

TSimNet::~TSimNet() { NetBackend::Use(FPrevious); }

QString TSimNet::Root() const { return FDir.path() + QLatin1String("/net"); }

QString TSimNet::LocalFolder(const QString& name) {
  const QString p = FDir.path() + u'/' + name;
  QDir().mkpath(p);
  return WinPath::IncludeTrailingBackslash(WinPath::FromLocal(p));
}

void TSimNet::Reload() { NetBackend::UseSimulated(Root()); }

void TSimNet::AddWorkgroup(const QString& workgroup) { QDir().mkpath(Root() + u'/' + workgroup); }

void TSimNet::AddServer(const QString& workgroup, const QString& server) {
  QDir().mkpath(Root() + u'/' + workgroup + u'/' + server);
  if (!FWorkgroupOf.contains(server.toLower())) {
    FWorkgroupOf.insert(server.toLower(), workgroup);
    FServerName.insert(server.toLower(), server);
  }
}

void TSimNet::AddShare(const QString& server, const QString& share) {
  QDir().mkpath(LocalPath(QLatin1String("\\\\") + server + u'\\' + share));
}

QString TSimNet::RelativePath(const QString& unc) const {
  QStringList parts = QString(unc).replace(u'/', u'\\').split(u'\\', Qt::SkipEmptyParts);
  if (parts.isEmpty()) {
    ADD_FAILURE() << "not a UNC path: " << unc.toStdString();
    return {};
  }
  const QString key = parts.first().toLower();
  if (!FWorkgroupOf.contains(key)) {
    ADD_FAILURE() << "server not added: " << parts.first().toStdString();
    return {};
  }
  parts.first() = FServerName.value(key);
  return FWorkgroupOf.value(key) + u'/' + parts.join(u'/');
}

QString TSimNet::LocalPath(const QString& unc) const { return Root() + u'/' + RelativePath(unc); }

void TSimNet::AddFolder(const QString& unc, const QDateTime& modified, const QString& attributes) {
  const QString p = LocalPath(unc);
  QDir().mkpath(p);
  if (!attributes.isNull()) SetAttributes(unc, attributes);
  if (modified.isValid()) SetModified(unc, modified);
}

void TSimNet::AddFile(const QString& unc, qint64 size, const QDateTime& modified, const QString& attributes) {
  const QString p = LocalPath(unc);
  QDir().mkpath(QFileInfo(p).path());
  QFile f(p);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << p.toStdString();
  if (size > (1 << 20)) {
    ASSERT_TRUE(f.resize(size));
  } else {
    f.write(Pattern(size));
  }
  f.close();
  if (!attributes.isNull()) SetAttributes(unc, attributes);
  if (modified.isValid()) SetModified(unc, modified);
}

void TSimNet::AddFile(const QString& unc, const QByteArray& content, const QDateTime& modified,
                      const QString& attributes) {
  const QString p = LocalPath(unc);
  QDir().mkpath(QFileInfo(p).path());
  QFile f(p);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << p.toStdString();
  f.write(content);
  f.close();
  if (!attributes.isNull()) SetAttributes(unc, attributes);
  if (modified.isValid()) SetModified(unc, modified);
}

void TSimNet::SetModified(const QString& unc, const QDateTime& modified) {
  QFile f(LocalPath(unc));
  if (QFileInfo(f).isDir()) {
    // Folders cannot be opened for writing; set the time through the path.
    const QByteArray path = QFile::encodeName(f.fileName());
    struct timespec ts[2];
    ts[0].tv_nsec = UTIME_OMIT;
    ts[0].tv_sec = 0;
    ts[1].tv_sec = modified.toSecsSinceEpoch();
    ts[1].tv_nsec = (modified.toMSecsSinceEpoch() % 1000) * 1000000;
    ASSERT_EQ(utimensat(AT_FDCWD, path.constData(), ts, 0), 0);
    return;
  }
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

void TSimNet::SetKey(const QString& section, const QString& key, const QString& value) {
  TIniFile ini(WinPath::FromLocal(Root() + QLatin1String("/network.ini")));
  ini.WriteString(section, key, value);
  Reload();
}

void TSimNet::SetAttributes(const QString& unc, const QString& letters) {
  SetKey("Attributes", RelativePath(unc), letters);
}

QByteArray TSimNet::Pattern(qint64 size, qint64 offset) {
  QByteArray b(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i) {
    const qint64 pos = offset + i;
    b[i] = char((pos % 251) ^ ((pos >> 16) & 0xFF));
  }
  return b;
}
