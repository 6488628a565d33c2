#pragma once
// The desktop shell in the manner of ShellExecute and of the explorer
// command line started by WinExec: open an item with the desktop's default
// application, or show it selected in the desktop's file manager.
//
// Items are Windows paths: a UNC path of the current network (for the
// simulated network, the folder or file it stands for; otherwise an smb://
// address), a drive path of this machine, or a web or mail address.
// Windows ignores trailing dots and blanks of a name, and so does this.
//
// The launcher that finally hands the item to the desktop is replaceable,
// so that tests can record what would be opened without starting anything.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QDBusConnection;
class QWidget;

namespace Shell {

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_RESTORE = 9;

// Return values of ShellExecute as Windows gives them: above 32 is success.
constexpr int SE_ERR_FNF = 2;       // the item does not exist
constexpr int SE_ERR_PNF = 3;       // the path does not exist
constexpr int SE_ERR_NOASSOC = 31;  // nothing can open it
constexpr int SE_SUCCESS = 42;

struct TShellRequest {
  enum Kind { Open, Show };
  Kind kind = Open;
  QString item;  // the item as the program named it
  QUrl url;      // what it stands for on this desktop
};

// The launcher: true when the desktop took the request.
using Launcher = std::function<bool(const TShellRequest&)>;
// Installs a launcher; an empty one restores the desktop's.
void SetLauncher(Launcher launcher);

// ShellExecute: `verb` empty or "open" opens `file` with its default
// application; the owner, parameters, folder and show mode are accepted for
// the caller's sake. Returns SE_SUCCESS, or an error value <= 32. Does not
// wait for the started program.
int ShellExecute(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                 const QString& directory, int showCmd);

// WinExec of an explorer command line: "explorer.exe /n, /select, ITEM"
// shows ITEM selected in a file-manager window, "explorer.exe /n, ITEM" and
// "explorer.exe ITEM" open the folder ITEM. Returns a value above 31 on
// success, 2 for an unknown program or an item that does not exist.
unsigned WinExec(const QString& commandLine, int showCmd);

// An explorer command line taken apart.
struct TExplorerCommand {
  bool Valid = false;   // the program is explorer (explorer, explorer.exe, any folder, any case)
  bool Select = false;  // "/select," was given: show ITEM inside its folder
  QString Item;         // the item, without quotes
};
TExplorerCommand ParseExplorerCommand(const QString& commandLine);

// What an item stands for on this desktop: a file:// URL for a drive path
// and for a path of the simulated network (invalid when it does not
// exist there), an smb:// URL for other UNC paths, the address itself for a
// web or mail address.
QUrl ItemUrl(const QString& item);

// Shows `url` selected in the desktop's file manager by its ShowItems call
// on `bus` (the session bus for the desktop); where no file manager answers
// there, opens the item's folder instead. Returns at once, true when the
// request went out: the answer comes to the program's main thread later.
bool ShowItem(const QDBusConnection& bus, const QUrl& url);

}  // namespace Shell
