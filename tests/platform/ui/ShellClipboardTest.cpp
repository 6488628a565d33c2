// The shell stand-in (what an item stands for, the explorer command line,
// open and show through a recording launcher) and the clipboard stand-in
// (the file-drop block offered as it is and as a list of URLs).
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include "platform/ui/Clipboard.h"
#include "platform/net/NetBackend.h"
#include "platform/ui/Shell.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/fs/WinPath.h"
#include "support/ShellRecorder.h"
#include "support/SimNet.h"

namespace {

// A DROPFILES block by hand: header, names, closing NUL.
QByteArray DropBlock(const QList<QByteArray>& names, quint32 offset = 20, bool wide = false) {
  QByteArray b(20, '\0');
  qToLittleEndian<quint32>(offset, b.data());
  qToLittleEndian<quint32>(wide ? 1 : 0, b.data() + 16);
  for (const QByteArray& n : names) b += n + '\0';
  b += '\0';
  return b;
}

class SimNetShell : public ::testing::Test {
 protected:
  void SetUp() override {
    net.AddServer("WORK", "PC1");
    net.AddShare("PC1", "docs");
    net.AddFolder("\\\\PC1\\docs\\old");
    net.AddFile("\\\\PC1\\docs\\README", 10);
    net.AddFile("\\\\PC1\\docs\\old\\Letter.doc", 5);
  }
  TSimNet net;
  ShellRecorder shell;
};

}  // namespace

// ---------------------------------------------------------------- items

TEST_F(SimNetShell, NetworkItemsStandForTheirFoldersAndFiles) {
  EXPECT_EQ(Shell::ItemUrl("\\\\PC1\\docs\\old\\"), QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\old")));
  // Letter case of every component is free, and a trailing dot is ignored.
  EXPECT_EQ(Shell::ItemUrl("\\\\pc1\\DOCS\\readme."), QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\README")));
  EXPECT_EQ(Shell::ItemUrl("\\\\PC1\\docs\\old\\letter.DOC"),
            QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\old\\Letter.doc")));
  // A share, and a computer alone.
  EXPECT_EQ(Shell::ItemUrl("\\\\PC1\\docs"), QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs")));
  const QUrl computer = Shell::ItemUrl("\\\\PC1\\");
  ASSERT_TRUE(computer.isValid());
  EXPECT_TRUE(computer.toLocalFile().endsWith("/WORK/PC1")) << computer.toString().toStdString();
  // What does not exist stands for nothing.
  EXPECT_FALSE(Shell::ItemUrl("\\\\PC1\\docs\\nothing.txt").isValid());
  EXPECT_FALSE(Shell::ItemUrl("\\\\PC9\\docs\\").isValid());
  EXPECT_FALSE(Shell::ItemUrl("").isValid());
}

TEST(ShellItems, DrivePathsAddressesAndTheRealNetwork) {
  QTemporaryDir dir;
  const QString drive = WinPath::FromLocal(dir.path());
  EXPECT_EQ(Shell::ItemUrl(drive + "\\"), QUrl::fromLocalFile(dir.path()));
  EXPECT_EQ(Shell::ItemUrl("\"" + drive + "\""), QUrl::fromLocalFile(dir.path()));
  EXPECT_FALSE(Shell::ItemUrl(drive + "\\missing.txt").isValid());
  EXPECT_FALSE(Shell::ItemUrl("D:\\Backup\\").isValid());
  EXPECT_EQ(Shell::ItemUrl("http://example.org/a"), QUrl("http://example.org/a"));

  // Without the simulated network a UNC path is an smb:// address.
  auto previous = NetBackend::Current();
  NetBackend::UseEmpty();
  EXPECT_EQ(Shell::ItemUrl("\\\\PC1\\docs\\a b\\x.txt").toString(), "smb://pc1/docs/a b/x.txt");
  EXPECT_EQ(Shell::ItemUrl("\\\\PC1\\").toString(), "smb://pc1/");
  NetBackend::Use(previous);
}

// ---------------------------------------------------------------- explorer command line

TEST(ShellExplorerCommand, SwitchesAndTheItem) {
  Shell::TExplorerCommand c = Shell::ParseExplorerCommand("explorer.exe /n, /select, \\\\PC1\\docs\\a, b.txt");
  EXPECT_TRUE(c.Valid);
  EXPECT_TRUE(c.Select);
  EXPECT_EQ(c.Item, "\\\\PC1\\docs\\a, b.txt");  // commas belong to the item

  c = Shell::ParseExplorerCommand("EXPLORER /n,/select,\"\\\\PC1\\docs\\old\\\"");
  EXPECT_TRUE(c.Valid);
  EXPECT_TRUE(c.Select);
  EXPECT_EQ(c.Item, "\\\\PC1\\docs\\old\\");

  c = Shell::ParseExplorerCommand("C:\\Windows\\explorer.exe /n, \\\\PC1\\docs\\");
  EXPECT_TRUE(c.Valid);
  EXPECT_FALSE(c.Select);
  EXPECT_EQ(c.Item, "\\\\PC1\\docs\\");

  c = Shell::ParseExplorerCommand("explorer.exe /e, /root, \\\\PC1\\docs");
  EXPECT_TRUE(c.Valid);
  EXPECT_EQ(c.Item, "\\\\PC1\\docs");

  EXPECT_FALSE(Shell::ParseExplorerCommand("notepad.exe C:\\x.txt").Valid);
  EXPECT_FALSE(Shell::ParseExplorerCommand("").Valid);
}

TEST_F(SimNetShell, WinExecShowsAndOpensThroughTheLauncher) {
  EXPECT_GT(Shell::WinExec("explorer.exe /n, /select, \\\\PC1\\docs\\README.", Shell::SW_RESTORE), 31u);
  EXPECT_GT(Shell::WinExec("explorer.exe /n, \\\\PC1\\docs\\old\\", Shell::SW_RESTORE), 31u);
  ASSERT_EQ(shell.Requests.size(), 2u);
  EXPECT_EQ(shell.Requests[0].kind, Shell::TShellRequest::Show);
  EXPECT_EQ(shell.Requests[0].item, "\\\\PC1\\docs\\README.");
  EXPECT_EQ(shell.Requests[0].url, QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\README")));
  EXPECT_EQ(shell.Requests[1].kind, Shell::TShellRequest::Open);

  // Unknown programs and missing items start nothing.
  EXPECT_EQ(Shell::WinExec("calc.exe", Shell::SW_RESTORE), 2u);
  EXPECT_EQ(Shell::WinExec("explorer.exe /n, /select, \\\\PC1\\docs\\gone.txt", Shell::SW_RESTORE), 2u);
  EXPECT_EQ(shell.Requests.size(), 2u);
}

TEST_F(SimNetShell, ShellExecuteOpensOrReportsWhyNot) {
  EXPECT_GT(Shell::ShellExecute(nullptr, "", "\\\\PC1\\docs\\old\\", "", "", Shell::SW_RESTORE), 32);
  EXPECT_GT(Shell::ShellExecute(nullptr, "open", "\\\\PC1\\docs\\README.", "", "", Shell::SW_RESTORE), 32);
  ASSERT_EQ(shell.Requests.size(), 2u);
  EXPECT_EQ(shell.Requests[0].kind, Shell::TShellRequest::Open);
  EXPECT_EQ(shell.Requests[0].item, "\\\\PC1\\docs\\old\\");
  EXPECT_EQ(shell.Requests[1].url, QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\README")));

  EXPECT_EQ(Shell::ShellExecute(nullptr, "", "\\\\PC1\\docs\\gone", "", "", Shell::SW_RESTORE), Shell::SE_ERR_FNF);
  EXPECT_EQ(Shell::ShellExecute(nullptr, "print", "\\\\PC1\\docs\\README.", "", "", 1), Shell::SE_ERR_NOASSOC);
  shell.Accept = false;  // the desktop has nothing to open it with
  EXPECT_EQ(Shell::ShellExecute(nullptr, "", "\\\\PC1\\docs\\README", "", "", 1), Shell::SE_ERR_NOASSOC);
  EXPECT_EQ(shell.Requests.size(), 3u);
}

// ---------------------------------------------------------------- clipboard

TEST(ClipboardFileDrop, NamesOfABlock) {
  QStringList names;
  ASSERT_TRUE(Clipboard::FileDropNames(DropBlock({"\\\\A\\s\\x.txt", "\\\\A\\s\\d"}), names));
  EXPECT_EQ(names, QStringList({"\\\\A\\s\\x.txt", "\\\\A\\s\\d"}));
  ASSERT_TRUE(Clipboard::FileDropNames(DropBlock({}), names));
  EXPECT_TRUE(names.isEmpty());

  // 16-bit names.
  QByteArray wide(20, '\0');
  qToLittleEndian<quint32>(20, wide.data());
  qToLittleEndian<quint32>(1, wide.data() + 16);
  for (QChar c : QStringLiteral("\\\\A\\\u00e9")) {
    const quint16 u = c.unicode();
    wide.append(static_cast<char>(u & 0xFF)).append(static_cast<char>(u >> 8));
  }
  wide.append(4, '\0');
  ASSERT_TRUE(Clipboard::FileDropNames(wide, names));
  EXPECT_EQ(names, QStringList({QStringLiteral("\\\\A\\\u00e9")}));
}

TEST(ClipboardFileDrop, MalformedBlocksAreRefusedAndLeaveTheClipboardAlone) {
  QStringList names;
  EXPECT_FALSE(Clipboard::FileDropNames(QByteArray(19, '\0'), names));
  EXPECT_FALSE(Clipboard::FileDropNames(DropBlock({"x"}, 400), names));
  EXPECT_FALSE(Clipboard::FileDropNames(DropBlock({"x"}, 3), names));
  QByteArray unterminated = DropBlock({});
  unterminated.chop(1);
  unterminated += "abc";
  EXPECT_FALSE(Clipboard::FileDropNames(unterminated, names));

  QClipboard* clipboard = QGuiApplication::clipboard();
  Clipboard::SetText(clipboard, "kept");
  EXPECT_FALSE(Clipboard::SetAsHandle(clipboard, Clipboard::CF_HDROP, unterminated));
  EXPECT_EQ(clipboard->text(), "kept");
  EXPECT_FALSE(Clipboard::SetAsHandle(nullptr, Clipboard::CF_HDROP, DropBlock({"x"})));
}

TEST_F(SimNetShell, FileDropGoesOnTheClipboardAsBytesAndAsUrls) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QByteArray block = DropBlock({"\\\\PC1\\docs\\old", "\\\\PC1\\docs\\README.", "\\\\PC1\\docs\\gone"});
  ASSERT_TRUE(Clipboard::SetAsHandle(clipboard, Clipboard::CF_HDROP, block));
  EXPECT_EQ(Clipboard::GetAsHandle(clipboard, Clipboard::CF_HDROP), block);
  const QMimeData* data = clipboard->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasFormat(Clipboard::FileDropMimeType));
  // What stands for nothing here is left out of the URL list only.
  const QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 2);
  EXPECT_EQ(urls[0], QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\old")));
  EXPECT_EQ(urls[1], QUrl::fromLocalFile(net.LocalPath("\\\\PC1\\docs\\README")));

  // Text replaces the whole content.
  Clipboard::SetText(clipboard, "*.txt");
  EXPECT_EQ(clipboard->text(), "*.txt");
  EXPECT_TRUE(Clipboard::GetAsHandle(clipboard, Clipboard::CF_HDROP).isEmpty());
}

// ---------------------------------------------------------------- the real network

namespace {

// Makes the real SMB back end current for as long as it lives.
struct RealNetwork {
  std::shared_ptr<TNetBackend> previous = NetBackend::Current();
  RealNetwork() { NetBackend::Use(std::make_shared<TSmbNetwork>()); }
  ~RealNetwork() { NetBackend::Use(previous); }
};

}  // namespace

TEST(ShellRealNetwork, ItemsAndClipboardNameSmbAddressesWithEveryCharacterKept) {
  RealNetwork real;
  ShellRecorder shell;
  const QString item = QStringLiteral("\\\\SRV1\\pub\\50% off #1\\R\u00e9sum\u00e9, final.txt");
  const QUrl url = Shell::ItemUrl(item);
  ASSERT_TRUE(url.isValid());
  EXPECT_EQ(url.scheme(), "smb");
  EXPECT_EQ(url.host(), "srv1");
  EXPECT_EQ(url.path(QUrl::FullyDecoded), QStringLiteral("/pub/50% off #1/R\u00e9sum\u00e9, final.txt"));
  EXPECT_TRUE(url.fragment().isEmpty());
  EXPECT_EQ(Shell::ItemUrl("\\\\SRV1\\").toString(), "smb://srv1/");

  // Open and show hand the desktop the address.
  EXPECT_GT(Shell::WinExec("explorer.exe /n, /select, " + item, Shell::SW_RESTORE), 31u);
  EXPECT_GT(Shell::ShellExecute(nullptr, "open", "\\\\SRV1\\pub\\", "", "", Shell::SW_RESTORE), 32);
  ASSERT_EQ(shell.Requests.size(), 2u);
  EXPECT_EQ(shell.Requests[0].kind, Shell::TShellRequest::Show);
  EXPECT_EQ(shell.Requests[0].url, url);
  EXPECT_EQ(shell.Requests[1].url.toString(), "smb://srv1/pub/");

  // The clipboard's URL list carries the same addresses.
  QClipboard* clipboard = QGuiApplication::clipboard();
  ASSERT_TRUE(Clipboard::SetAsHandle(clipboard, Clipboard::CF_HDROP,
                                     DropBlock({"\\\\SRV1\\pub\\a b.txt", "\\\\SRV2\\data\\dir"})));
  const QList<QUrl> urls = clipboard->mimeData()->urls();
  ASSERT_EQ(urls.size(), 2);
  EXPECT_EQ(urls[0].toString(QUrl::FullyEncoded), "smb://srv1/pub/a%20b.txt");
  EXPECT_EQ(urls[1].toString(), "smb://srv2/data/dir");
}
