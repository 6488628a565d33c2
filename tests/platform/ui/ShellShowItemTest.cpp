// "Show in folder" on a private session bus of its own: the file manager's
// ShowItems call when one answers, the item's folder opened when none does.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

#include "platform/ui/Shell.h"

namespace {

// A file manager that writes down what it was asked to show.
class TFakeFileManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  QList<QStringList> Shown;

 public slots:
  Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString&) { Shown << uris; }
};

// Takes the URLs handed to the desktop's default application.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Opened;

 public slots:
  void Open(const QUrl& url) { Opened << url; }
};

class ShellShowItem : public ::testing::Test {
 protected:
  void SetUp() override {
    Daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address")});
    ASSERT_TRUE(Daemon.waitForStarted()) << "dbus-daemon is missing (scripts/setup installs it)";
    while (!Daemon.canReadLine()) ASSERT_TRUE(Daemon.waitForReadyRead(-1));
    Address = QString::fromUtf8(Daemon.readLine()).trimmed();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &Catcher, "Open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
    QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    Daemon.kill();
    Daemon.waitForFinished(-1);
  }

  // Runs the event loop until `done` (a bound against a hang only).
  template <class F>
  bool Await(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
  }

  QProcess Daemon;
  QString Address;
  TUrlCatcher Catcher;
};

TEST_F(ShellShowItem, TheFileManagerGetsTheItemWholeOrTheFolderIsOpened) {
  const QUrl item = QUrl::fromLocalFile(QStringLiteral("/tmp/Smith, John/a,b c.txt"));
  QDBusConnection program = QDBusConnection::connectToBus(Address, QStringLiteral("program"));
  ASSERT_TRUE(program.isConnected());

  // No file manager on the bus: the item's folder opens instead.
  ASSERT_TRUE(Shell::ShowItem(program, item));
  ASSERT_TRUE(Await([&] { return !Catcher.Opened.isEmpty(); }));
  EXPECT_EQ(Catcher.Opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/Smith, John/"))});

  // A file manager answers: it gets the one item, commas and all, and
  // nothing else is opened.
  TFakeFileManager manager;
  QDBusConnection managerBus = QDBusConnection::connectToBus(Address, QStringLiteral("file-manager"));
  ASSERT_TRUE(managerBus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                                        QDBusConnection::ExportScriptableSlots));
  ASSERT_TRUE(managerBus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
  Catcher.Opened.clear();
  ASSERT_TRUE(Shell::ShowItem(program, item));
  ASSERT_TRUE(Await([&] { return !manager.Shown.isEmpty(); }));
  ASSERT_EQ(manager.Shown.size(), 1);
  ASSERT_EQ(manager.Shown[0].size(), 1);
  EXPECT_EQ(QUrl(manager.Shown[0][0]).toLocalFile(), QStringLiteral("/tmp/Smith, John/a,b c.txt"));
  // The answer is in once a later round trip on the same bus is back.
  program.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                              QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Catcher.Opened.isEmpty());

  // No bus at all: the folder opens at once.
  EXPECT_TRUE(Shell::ShowItem(QDBusConnection(QStringLiteral("none")), item));
  EXPECT_EQ(Catcher.Opened.size(), 1);
}

}  // namespace

#include "ShellShowItemTest.moc"
