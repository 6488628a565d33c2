// The result list's commands: enabling, the pop-up menu, view styles, open,
// show in the file manager, select, invert, find by name, the clipboard, and
// copying results or one typed network file into a local folder.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QtEndian>
#include <new>

#include "app/Find_dialog.h"
#include "app/Main.h"
#include "app/Main_results.h"
#include "config/En_language.h"
#include "platform/ui/Clipboard.h"
#include "platform/fs/FileSystem.h"
#include "platform/fs/FindFile.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Modal.h"
#include "platform/ui/Shell.h"
#include "platform/fs/WinPath.h"
#include "transfer/Copy.h"
#include "transfer/Copyform.h"

namespace {

// Result row columns (sub-item indexes).
constexpr int SubType = 0;
constexpr int SubSize = 1;
constexpr int SubComputer = 4;
constexpr int SubPath = 5;

QString SubItemOf(const TListItem& row, int index) {
  return index < row.SubItems.size() ? row.SubItems[index] : QString();
}

QString RowFolderPart(const TListItem& row) {
  return QStringLiteral("\\\\") + SubItemOf(row, SubComputer) + SubItemOf(row, SubPath) + row.Caption;
}

bool IsInside(const QObject* o, const QObject* ancestor) {
  for (; o; o = o->parent())
    if (o == ancestor) return true;
  return false;
}

}  // namespace

// ---------------------------------------------------------------- shared helpers

TWaitCursor::TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TWaitCursor::~TWaitCursor() { QApplication::restoreOverrideCursor(); }

void OpenCopyWindow(TFormMain* main) {
  FormCopy = new TFormCopy(nullptr);
  main->FActiveOperations += 1;
  FormCopy->show();
  FormCopy->StartTransfer(false);
}

bool IsFolderRow(const TListItem& row) { return SubItemOf(row, SubSize) == TextFileDir; }

QString RowNetworkPath(const TListItem& row) {
  return RowFolderPart(row) +
         (IsFolderRow(row) ? QStringLiteral("\\") : QStringLiteral(".") + SubItemOf(row, SubType));
}

QString RowClipboardPath(const TListItem& row) {
  return IsFolderRow(row) ? RowFolderPart(row) : RowFolderPart(row) + u'.' + SubItemOf(row, SubType);
}

QByteArray BuildFileDropBlock(const QStringList& names) {
  constexpr int header = 20;
  QList<QByteArray> encoded;
  encoded.reserve(names.size());
  qsizetype total = 0;
  for (const QString& name : names) {
    encoded.append(name.toLocal8Bit());
    total += encoded.back().size() + 1;
  }
  // Zero-filled: the header fields after pFiles, every name's NUL and the
  // list's closing NUL come from the fill.
  QByteArray block(header + total + 1, '\0');
  qToLittleEndian<quint32>(header, block.data());
  qsizetype offset = header;
  for (const QByteArray& name : encoded) {
    std::copy(name.begin(), name.end(), block.begin() + offset);
    offset += name.size() + 1;
  }
  return block;
}

QString ExtractFileDrive(const QString& path) {
  if (path.size() >= 2 && path[1] == u':') return path.left(2);
  if (!path.startsWith(QLatin1String("\\\\"))) return {};
  // "\\server\share": up to the backslash after the share name.
  const qsizetype afterServer = path.indexOf(u'\\', 2);
  if (afterServer < 0) return path;
  const qsizetype afterShare = path.indexOf(u'\\', afterServer + 1);
  return afterShare < 0 ? path : path.left(afterShare);
}

bool ChooseCopyDestination() {
  QString folder = CopyDestination;
  if (!Modal::BrowseForFolder(TextMessagesGetDir, folder)) {
    CopyDestination = QString();
    return false;
  }
  CopyDestination = WinPath::IncludeTrailingBackslash(folder);
  if (ExtractFileDrive(CopyDestination).size() != 2) {
    Modal::MessageBox(TextErrorsNoDir, TextErrorsError);
    return false;
  }
  CopyDestinationDrive = DriveNumberOf(CopyDestination);
  return true;
}

// ---------------------------------------------------------------- enabling

void TFormMain::ListViewResultSelectItem(QObject*, int, bool) {
  for (QAction* a : {Find, Open, Copy, CopyTo, ToolButtonCopy, ToolButtonCopyTo}) a->setEnabled(true);
  const bool one = ListViewResult->SelCount() == 1;
  NewTask->setEnabled(one);
  ToolButtonNewTask->setEnabled(one);
}

void TFormMain::ListViewResultClick(QObject*) {
  if (ListViewResult->SelCount() > 0) return;
  for (QAction* a : {Find, Open, Copy, CopyTo, NewTask, ToolButtonCopy, ToolButtonCopyTo, ToolButtonNewTask})
    a->setEnabled(false);
}

void TFormMain::ListViewResultExit(QObject*) {
  for (QAction* a : {ToolButtonCopy, Copy, ToolButtonCopyTo, CopyTo, ToolButtonNewTask, NewTask})
    a->setEnabled(false);
}

void TFormMain::ListViewResultEnter(QObject*) {
  const int selected = ListViewResult->SelCount();
  if (selected < 1) return;
  for (QAction* a : {ToolButtonCopy, Copy, ToolButtonCopyTo, CopyTo}) a->setEnabled(true);
  if (selected == 1) {
    ToolButtonNewTask->setEnabled(true);
    NewTask->setEnabled(true);
  }
}

void TFormMain::PopupMenuPopup(QObject*) {
  // With rows in the list, "sorting allowed" (no search adding rows) is
  // exactly what CanSortResults answers.
  PSortby->menuAction()->setEnabled(false);
  const int selected = ListViewResult->SelCount();
  if (selected == 0) {
    for (QAction* a : {PFind, POpen, PCopy, PNewTask, PCopyto}) a->setVisible(false);
    if (ListViewResult->Count() == 0) {
      PSelectall->setVisible(false);
      return;
    }
    PSelectall->setVisible(true);
    PSortby->menuAction()->setEnabled(CanSortResults());
    return;
  }
  for (QAction* a : {PFind, POpen, PCopy, PCopyto}) a->setVisible(true);
  PNewTask->setVisible(true);
  PNewTask->setEnabled(selected == 1);
  PSelectall->setVisible(true);
  PSortby->menuAction()->setEnabled(CanSortResults());
}

// ---------------------------------------------------------------- view styles

void TFormMain::IconsClick(QObject*) {
  ListViewResult->SetViewStyle(vsIcon);
  Icons->setChecked(true);
  PIcons->setChecked(true);
}

void TFormMain::TableClick(QObject*) {
  ListViewResult->SetViewStyle(vsReport);
  Table->setChecked(true);
  PTable->setChecked(true);
}

void TFormMain::ListClick(QObject*) {
  ListViewResult->SetViewStyle(vsList);
  List->setChecked(true);
  PList->setChecked(true);
}

// ---------------------------------------------------------------- shell

void TFormMain::OpenClick(QObject*) {
  // Every selected row is tried; the shell's answer is not looked at.
  for (int i : ListViewResult->SelectedIndexes())
    Shell::ShellExecute(this, QString(), RowNetworkPath(ListViewResult->Item(i)), QString(), QString(),
                        Shell::SW_RESTORE);
}

void TFormMain::ListViewResultDblClick(QObject* Sender) {
  if (ListViewResult->SelCount() > 0) OpenClick(Sender);
}

void TFormMain::ListViewResultKeyPress(QObject* Sender, QChar& Key) {
  if (Key == QChar(13)) OpenClick(Sender);
}

void TFormMain::FindClick(QObject*) {
  for (int i : ListViewResult->SelectedIndexes())
    Shell::WinExec(QStringLiteral("explorer.exe /n, /select, ") + RowNetworkPath(ListViewResult->Item(i)),
                   Shell::SW_RESTORE);
}

// ---------------------------------------------------------------- selection

void TFormMain::SelectallClick(QObject*) {
  if (ListViewResult->isHidden()) return;
  ListViewResult->SelectAll();
  if (QWidget* view = ListViewResult->ActiveView()) view->setFocus();
}

void TFormMain::InvertClick(QObject*) {
  // One pass over up to 100,000 rows: the views hear of it once, at the end.
  ListViewResult->BeginUpdate();
  const int count = ListViewResult->Count();
  for (int i = 0; i < count; ++i) ListViewResult->SetSelected(i, !ListViewResult->IsSelected(i));
  ListViewResult->EndUpdate();
}

// ---------------------------------------------------------------- find by name

void TFormMain::FindFilesClick(QObject*) {
  ListViewResult->ClearSelection();
  if (!FindDialog) {
    FindDialog = new TFindDialog(this);
    connect(FindDialog, &TFindDialog::Find, this, [this] { FindDialogFind(FindDialog); });
  }
  FindDialog->Execute();
}

void TFormMain::FindDialogFind(QObject*) {
  if (!FindDialog) return;
  const int first = ListViewResult->FirstSelected();
  FFindStart = first + 1;
  if (first >= 0) ListViewResult->SetSelected(first, false);

  const QString text = FindDialog->FindText();
  const int options = FindDialog->Options();
  const bool wholeWord = options & frWholeWord;
  const bool matchCase = options & frMatchCase;
  const QLocale locale;
  const QString lowerText = locale.toLower(text);
  auto matches = [&](const QString& caption) {
    if (wholeWord && matchCase) return QString::localeAwareCompare(caption, text) == 0;
    if (wholeWord) return QString::localeAwareCompare(locale.toLower(caption), lowerText) == 0;
    if (matchCase) return caption.contains(text);
    return locale.toLower(caption).contains(lowerText);
  };

  const int count = ListViewResult->Count();
  if (options & frDown) {
    for (int i = FFindStart; i < count; ++i)
      if (matches(ListViewResult->Item(i).Caption)) {
        ListViewResult->SetSelected(i, true);
        break;
      }
  } else {
    for (int i = std::min(FFindStart - 2, count - 1); i >= 0; --i)
      if (matches(ListViewResult->Item(i).Caption)) {
        ListViewResult->SetSelected(i, true);
        break;
      }
  }

  const int found = ListViewResult->FirstSelected();
  if (found >= 0) {
    ListViewResult->MakeVisible(found);
    if (QWidget* view = ListViewResult->ActiveView()) view->setFocus();
  }
}

// ---------------------------------------------------------------- clipboard

void TFormMain::CopyClick(QObject*) {
  const QWidget* focus = QApplication::focusWidget();
  // The box's edit field and its drop-down list are both its children.
  if (IsInside(focus, EditPattern)) {
    Clipboard::SetText(FClipboard, EditPattern->lineEdit() ? EditPattern->lineEdit()->selectedText() : QString());
    return;
  }
  CopyResultsToClipboard();
}

int TFormMain::CopyResultsToClipboard() {
  const std::vector<int> selected = ListViewResult->SelectedIndexes();
  if (selected.empty()) return 1;
  QStringList names;
  for (int i : selected) names.append(RowClipboardPath(ListViewResult->Item(i)));
  QByteArray block;
  try {
    block = BuildFileDropBlock(names);
  } catch (const std::bad_alloc&) {
    return 0;  // the clipboard keeps what it had
  }
  Clipboard::SetAsHandle(FClipboard, Clipboard::CF_HDROP, block);
  return 1;
}

// ---------------------------------------------------------------- copy and download

void TFormMain::CopytoClick(QObject*) {
  if (!ChooseCopyDestination()) return;
  // The folder trees are sized off the GUI thread, under the hourglass; the
  // transfer window opens once their size is known, unless ESC came first.
  BuildCopyList([](double total) {
    if (!FormMain) return;
    CopyTotalSize = total;
    OpenCopyWindow(FormMain);
  });
}

void TFormMain::LoadClick(QObject*) {
  QString path = QStringLiteral("\\\\compname\\path\\filename");
  if (!Modal::InputQuery(TextCopyToLoad, TextCopyToQuery, path)) return;
  if (!FileSystem::FileExists(path)) {
    Modal::MessageBox(TextErrorsNoFile, TextErrorsError);
    return;
  }
  if (!ChooseCopyDestination()) return;
  {
    TWaitCursor wait;
    // The whole 64-bit size: a file over 4 GiB must not look small.
    TSearchRec rec;
    if (FileSystem::FindFirst(path, faAnyFile, rec) == 0) {
      CopyTotalSize = static_cast<double>(rec.Size);
      FileSystem::FindClose(rec);
    }
  }
  // Split at the last backslash before the final character.
  qsizetype p = 0;
  for (qsizetype i = path.size() - 2; i >= 0; --i)
    if (path[i] == u'\\') {
      p = i + 1;
      break;
    }
  CopyNames.clear();
  CopySourceFolders.clear();
  CopyNames.append(path.mid(p));
  CopySourceFolders.append(path.left(p));
  OpenCopyWindow(this);
}
