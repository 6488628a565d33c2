// The result list's commands as the user reaches them: enabling, the pop-up
// menu, view styles, open and show through the shell, selection, find by
// name, the file-drop clipboard block, Copy to and Download.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QtEndian>
#include <gtest/gtest.h>

#include "app/Find_dialog.h"
#include "app/Main.h"
#include "app/Main_results.h"
#include "config/En_language.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/ListView.h"
#include "platform/fs/WinPath.h"
#include "support/GatedNet.h"
#include "support/ModalResponder.h"
#include "support/SearchRun.h"
#include "support/ShellRecorder.h"
#include "transfer/Copy.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Copyform.h"

namespace {

class ResultCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnglishLanguage();
    CopyDestination.clear();
    Run.Net.AddServer("WORK", "PC1");
    Run.Net.AddShare("PC1", "docs");
    Run.Net.AddFolder("\\\\PC1\\docs\\old");
    Run.Net.AddFile("\\\\PC1\\docs\\old\\note.txt", QByteArray("old note"));
    Run.Net.AddFile("\\\\PC1\\docs\\README", QByteArray("read me"));
    Run.Net.AddFile("\\\\PC1\\docs\\letter.doc", QByteArray("dear"));
    Run.Net.AddFile("\\\\PC1\\docs\\a\\b.txt", 1200);
    Modal.SetAnswer([this](const Modal::Request& r) {
      Modal::Answer a;
      switch (r.kind) {
        case Modal::Kind::BrowseFolder:
          a.result = BrowseOk ? mrOk : mrCancel;
          a.value = BrowseTo;
          break;
        case Modal::Kind::InputQuery:
          a.result = InputOk ? mrOk : mrCancel;
          a.value = InputText.isNull() ? r.value : InputText;
          break;
        case Modal::Kind::Confirm:
          a.result = mrNo;
          break;
        default:
          a.result = mrOk;
          break;
      }
      return a;
    });
    List = FormMain->ListViewResult;
  }

  void TearDown() override {
    EXPECT_TRUE(WaitForTransfers());
    CopyNames.clear();
    CopySourceFolders.clear();
    CopyDestination.clear();
  }

  int AddFileRow(const QString& name, const QString& type, const QString& size = "10",
                 const QString& path = "\\docs\\", const QString& computer = "PC1") {
    TListItem item;
    item.Caption = name;
    item.SubItems = {type, size, "01.02.2003 09:05:07", "-a--", computer, path};
    return List->AddItem(item);
  }
  int AddFolderRow(const QString& name, const QString& path = "\\docs\\", const QString& computer = "PC1") {
    return AddFileRow(name, "", TextFileDir, path, computer);
  }
  void Select(std::initializer_list<int> rows) {
    List->ClearSelection();
    for (int r : rows) List->SetSelected(r, true);
  }
  QStringList Selected() const {
    QStringList names;
    for (int i : List->SelectedIndexes()) names << List->Item(i).Caption;
    return names;
  }
  // Every transfer window has reported its end and every worker is gone.
  bool WaitForTransfers() {
    return SearchRun::WaitUntil([] { return FormMain->FActiveOperations == 0; }, 20000) &&
           SearchRun::WaitForWorkers(20000);
  }
  int Asked(Modal::Kind kind) const { return Modal.Count(kind); }
  static QByteArray Local(const QString& drivePath) {
    QFile f(WinPath::ToLocal(drivePath));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  SearchRun Run;
  ModalResponder Modal;
  ShellRecorder ShellCalls;
  TListView* List = nullptr;
  QString BrowseTo;
  bool BrowseOk = true;
  QString InputText;  // null: OK with the text as offered
  bool InputOk = true;
};

}  // namespace

// ---------------------------------------------------------------- the file-drop block

TEST(FileDropBlock, TwoPathsMakeFortyOneBytes) {
  const QByteArray block = BuildFileDropBlock({"\\\\A\\s\\x.txt", "\\\\A\\s\\d"});
  ASSERT_EQ(block.size(), 41);
  EXPECT_EQ(qFromLittleEndian<quint32>(block.constData()), 20u);
  EXPECT_EQ(block.mid(4, 16), QByteArray(16, '\0'));  // pt, fNC, fWide: 8-bit names
  EXPECT_EQ(block.mid(20, 11), "\\\\A\\s\\x.txt");
  EXPECT_EQ(block.mid(32, 7), "\\\\A\\s\\d");
  for (int at : {31, 39, 40}) EXPECT_EQ(block[at], '\0') << at;
  // No name: the header and the closing NUL.
  QByteArray empty(21, '\0');
  empty[0] = 20;
  EXPECT_EQ(BuildFileDropBlock({}), empty);
}

TEST_F(ResultCommands, ClipboardGetsTheSelectedRowsAsAFileList) {
  AddFileRow("x", "txt", "11", "\\s\\", "A");
  AddFileRow("skipped", "txt");
  AddFolderRow("d", "\\s\\", "A");
  Select({0, 2});
  EXPECT_EQ(FormMain->CopyResultsToClipboard(), 1);
  const QByteArray block = Clipboard::GetAsHandle(FormMain->FClipboard, Clipboard::CF_HDROP);
  EXPECT_EQ(block, BuildFileDropBlock({"\\\\A\\s\\x.txt", "\\\\A\\s\\d"}));
  EXPECT_EQ(block.size(), 41);
}

TEST_F(ResultCommands, ClipboardPathsOfFoldersAndOfFilesWithoutExtension) {
  AddFolderRow("old");
  AddFileRow("README", "");
  Select({0, 1});
  FormMain->CopyResultsToClipboard();
  QStringList names;
  ASSERT_TRUE(Clipboard::FileDropNames(Clipboard::GetAsHandle(FormMain->FClipboard, Clipboard::CF_HDROP), names));
  EXPECT_EQ(names, QStringList({"\\\\PC1\\docs\\old", "\\\\PC1\\docs\\README."}));
  // The desktop's file managers get the items themselves.
  const QList<QUrl> urls = FormMain->FClipboard->mimeData()->urls();
  ASSERT_EQ(urls.size(), 2);
  EXPECT_EQ(urls[1], QUrl::fromLocalFile(Run.Net.LocalPath("\\\\PC1\\docs\\README")));

  // Nothing selected: the clipboard keeps what it had.
  Clipboard::SetText(FormMain->FClipboard, "before");
  List->ClearSelection();
  EXPECT_EQ(FormMain->CopyResultsToClipboard(), 1);
  EXPECT_EQ(FormMain->FClipboard->text(), "before");
}

TEST_F(ResultCommands, CtrlCCopiesTheMaskTextInTheMaskBoxAndTheFilesElsewhere) {
  FormMain->FFirstPaint = false;  // no network scan on the first paint
  FormMain->show();
  QApplication::setActiveWindow(FormMain);
  FormMain->EditPattern->setEditText("report*.txt");
  QLineEdit* edit = FormMain->EditPattern->lineEdit();
  edit->setFocus();
  edit->setSelection(6, 5);
  QApplication::processEvents();
  // The box holds the focus for its edit field.
  if (!FormMain->EditPattern->hasFocus()) GTEST_SKIP() << "no input focus on this platform";
  AddFileRow("letter", "doc");
  Select({0});
  FormMain->CopyKey->trigger();
  EXPECT_EQ(FormMain->FClipboard->text(), "*.txt");
  EXPECT_TRUE(Clipboard::GetAsHandle(FormMain->FClipboard, Clipboard::CF_HDROP).isEmpty());
  edit->deselect();
  FormMain->CopyClick(FormMain->CopyKey);
  EXPECT_EQ(FormMain->FClipboard->text(), "");

  // Focus in the list: the selected rows, even with the Copy items disabled.
  List->ActiveView()->setFocus();
  QApplication::processEvents();
  FormMain->Copy->setEnabled(false);
  FormMain->CopyKey->trigger();
  QStringList names;
  ASSERT_TRUE(Clipboard::FileDropNames(Clipboard::GetAsHandle(FormMain->FClipboard, Clipboard::CF_HDROP), names));
  EXPECT_EQ(names, QStringList({"\\\\PC1\\docs\\letter.doc"}));
}

// ---------------------------------------------------------------- shell

TEST_F(ResultCommands, OpenAndShowEverySelectedItemInListOrder) {
  AddFolderRow("old");
  AddFileRow("skipped", "txt");
  AddFileRow("README", "");
  AddFileRow("letter", "doc");
  Select({0, 2, 3});
  FormMain->OpenClick(FormMain->Open);
  FormMain->FindClick(FormMain->Find);
  const QStringList items = {"\\\\PC1\\docs\\old\\", "\\\\PC1\\docs\\README.", "\\\\PC1\\docs\\letter.doc"};
  ASSERT_EQ(ShellCalls.Requests.size(), 6u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ShellCalls.Requests[i].kind, Shell::TShellRequest::Open);
    EXPECT_EQ(ShellCalls.Requests[i].item, items[i]);
    EXPECT_EQ(ShellCalls.Requests[i + 3].kind, Shell::TShellRequest::Show);
    EXPECT_EQ(ShellCalls.Requests[i + 3].item, items[i]);
  }
  // The trailing dot names the file without extension.
  EXPECT_EQ(ShellCalls.Requests[1].url, QUrl::fromLocalFile(Run.Net.LocalPath("\\\\PC1\\docs\\README")));
}

TEST_F(ResultCommands, DoubleClickAndEnterOpenOnlyWithASelection) {
  AddFileRow("letter", "doc");
  QChar key(13);
  FormMain->ListViewResultDblClick(List);
  EXPECT_TRUE(ShellCalls.Requests.empty());
  Select({0});
  FormMain->ListViewResultDblClick(List);
  FormMain->ListViewResultKeyPress(List, key);
  QChar other('a');
  FormMain->ListViewResultKeyPress(List, other);
  ASSERT_EQ(ShellCalls.Requests.size(), 2u);
  EXPECT_EQ(ShellCalls.Requests[1].item, "\\\\PC1\\docs\\letter.doc");
}

TEST_F(ResultCommands, AFailingItemDoesNotStopTheOthers) {
  AddFileRow("gone", "txt");
  AddFileRow("letter", "doc");
  Select({0, 1});
  FormMain->OpenClick(FormMain->Open);
  ASSERT_EQ(ShellCalls.Requests.size(), 1u);
  EXPECT_EQ(ShellCalls.Requests[0].item, "\\\\PC1\\docs\\letter.doc");
}

// ---------------------------------------------------------------- enabling and the pop-up

TEST_F(ResultCommands, CommandsFollowTheSelectionAndTheFocus) {
  AddFileRow("a", "txt");
  AddFileRow("b", "txt");
  Select({0});
  FormMain->ListViewResultSelectItem(List, 0, true);
  for (QAction* a : {FormMain->Find, FormMain->Open, FormMain->Copy, FormMain->CopyTo, FormMain->ToolButtonCopy,
                     FormMain->ToolButtonCopyTo, FormMain->NewTask, FormMain->ToolButtonNewTask})
    EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
  Select({0, 1});
  FormMain->ListViewResultSelectItem(List, 1, true);
  EXPECT_FALSE(FormMain->NewTask->isEnabled());
  EXPECT_FALSE(FormMain->ToolButtonNewTask->isEnabled());

  // Leaving the list disables the copy and task commands only.
  FormMain->ListViewResultExit(List);
  for (QAction* a : {FormMain->Copy, FormMain->CopyTo, FormMain->ToolButtonCopy, FormMain->ToolButtonCopyTo})
    EXPECT_FALSE(a->isEnabled());
  EXPECT_TRUE(FormMain->Find->isEnabled());
  EXPECT_TRUE(FormMain->Open->isEnabled());
  Select({1});
  FormMain->ListViewResultEnter(List);
  EXPECT_TRUE(FormMain->Copy->isEnabled());
  EXPECT_TRUE(FormMain->NewTask->isEnabled());

  // A click that leaves nothing selected disables them all; with a selection it changes nothing.
  FormMain->ListViewResultClick(List);
  EXPECT_TRUE(FormMain->Open->isEnabled());
  List->ClearSelection();
  FormMain->ListViewResultClick(List);
  for (QAction* a : {FormMain->Find, FormMain->Open, FormMain->Copy, FormMain->CopyTo, FormMain->NewTask,
                     FormMain->ToolButtonCopy, FormMain->ToolButtonCopyTo, FormMain->ToolButtonNewTask})
    EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
  FormMain->ListViewResultEnter(List);
  EXPECT_FALSE(FormMain->Copy->isEnabled());
  // Load stays available throughout.
  EXPECT_TRUE(FormMain->Load->isEnabled());
  EXPECT_TRUE(FormMain->ToolButtonLoad->isEnabled());
}

TEST_F(ResultCommands, PopupShowsWhatTheSelectionAllows) {
  QMenu* popup = FormMain->PopupMenu;
  auto visible = [](QAction* a) { return a->isVisible(); };
  FormMain->PopupMenuPopup(popup);
  for (QAction* a : {FormMain->PFind, FormMain->POpen, FormMain->PCopy, FormMain->PNewTask, FormMain->PCopyto,
                     FormMain->PSelectall})
    EXPECT_FALSE(visible(a)) << a->objectName().toStdString();
  EXPECT_FALSE(FormMain->PSortby->menuAction()->isEnabled());
  EXPECT_TRUE(FormMain->PView->menuAction()->isVisible());
  EXPECT_TRUE(visible(FormMain->PLoad));

  AddFileRow("a", "txt");
  AddFileRow("b", "txt");
  FormMain->PopupMenuPopup(popup);
  EXPECT_TRUE(visible(FormMain->PSelectall));
  EXPECT_FALSE(visible(FormMain->POpen));
  EXPECT_EQ(FormMain->PSortby->menuAction()->isEnabled(), FormMain->CanSortResults());

  Select({1});
  FormMain->PopupMenuPopup(popup);
  for (QAction* a : {FormMain->PFind, FormMain->POpen, FormMain->PCopy, FormMain->PCopyto, FormMain->PNewTask,
                     FormMain->PSelectall})
    EXPECT_TRUE(visible(a)) << a->objectName().toStdString();
  EXPECT_TRUE(FormMain->PNewTask->isEnabled());
  Select({0, 1});
  FormMain->PopupMenuPopup(popup);
  EXPECT_TRUE(visible(FormMain->PNewTask));
  EXPECT_FALSE(FormMain->PNewTask->isEnabled());
}

TEST_F(ResultCommands, SelectAllOnlyInTheVisibleListAndInvert) {
  for (const char* n : {"a", "b", "c"}) AddFileRow(n, "txt");
  Select({1});
  FormMain->InvertClick(FormMain->Invert);
  EXPECT_EQ(Selected(), QStringList({"a", "c"}));
  List->hide();
  FormMain->SelectallClick(FormMain->SelectAll);
  EXPECT_EQ(Selected(), QStringList({"a", "c"}));
  FormMain->InvertClick(FormMain->Invert);  // not tied to the visible view
  EXPECT_EQ(Selected(), QStringList({"b"}));
  List->show();
  FormMain->SelectallClick(FormMain->SelectAll);
  EXPECT_EQ(Selected(), QStringList({"a", "b", "c"}));
}

// ---------------------------------------------------------------- find by name

TEST_F(ResultCommands, FindByNameWithEachOptionAndDirection) {
  for (const char* n : {"alpha", "report", "REP", "Preparation", "rep"}) AddFileRow(n, "txt");
  Select({0});
  FormMain->FindFilesClick(FormMain->FindFiles);
  ASSERT_NE(FormMain->FindDialog, nullptr);
  TFindDialog* dialog = FormMain->FindDialog;
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(List->SelectedIndexes().empty());  // the find starts from nothing
  EXPECT_TRUE(dialog->Options() & frDown);

  auto next = [&](const QString& text, int options) {
    dialog->SetFindText(text);
    dialog->SetOptions(options);
    FormMain->FindDialogFind(dialog);
    return List->FirstSelected();
  };
  // Neither option: contained, letter case ignored; on to the end, then from the top again.
  EXPECT_EQ(next("REP", frDown), 1);
  EXPECT_EQ(FormMain->FFindStart, 0);
  EXPECT_EQ(next("REP", frDown), 2);
  EXPECT_EQ(FormMain->FFindStart, 2);
  EXPECT_EQ(next("REP", frDown), 3);
  EXPECT_EQ(next("REP", frDown), 4);
  EXPECT_EQ(next("REP", frDown), -1);
  EXPECT_EQ(next("REP", frDown), 1);
  // Whole word: the whole name, letter case ignored.
  List->ClearSelection();
  EXPECT_EQ(next("REP", frDown | frWholeWord), 2);
  EXPECT_EQ(next("REP", frDown | frWholeWord), 4);
  // Whole word and match case: the exact name.
  List->ClearSelection();
  EXPECT_EQ(next("REP", frDown | frWholeWord | frMatchCase), 2);
  EXPECT_EQ(next("REP", frDown | frWholeWord | frMatchCase), -1);
  // Match case: contained as typed.
  List->ClearSelection();
  EXPECT_EQ(next("rep", frDown | frMatchCase), 1);
  EXPECT_EQ(next("rep", frDown | frMatchCase), 3);
  EXPECT_EQ(next("rep", frDown | frMatchCase), 4);
  // Up: from the row before the last match towards the top.
  EXPECT_EQ(next("rep", 0), 3);
  EXPECT_EQ(next("rep", 0), 2);
  EXPECT_EQ(next("rep", 0), 1);
  EXPECT_EQ(next("rep", 0), -1);
  // Up with nothing selected examines no row.
  EXPECT_EQ(next("alpha", 0), -1);
  // The match is the list's only selection.
  EXPECT_EQ(next("alpha", frDown), 0);
  EXPECT_EQ(List->SelCount(), 1);
}

// ---------------------------------------------------------------- copy to

TEST_F(ResultCommands, CopyToADriveFolderAddsTheBackslashAndTheDriveNumber) {
  AddFileRow("letter", "doc", "4");
  Select({0});
  BrowseTo = "D:\\Backup";
  FormMain->CopytoClick(FormMain->CopyTo);
  ASSERT_EQ(Asked(Modal::Kind::BrowseFolder), 1);
  EXPECT_EQ(Modal.Requests()[0].caption, "Choose directory to copy to");
  EXPECT_EQ(CopyDestination, "D:\\Backup\\");
  EXPECT_EQ(CopyDestinationDrive, 4);
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  ASSERT_NE(FormCopy, nullptr);
  ASSERT_NE(FormCopy->FCopyThread, nullptr);
  EXPECT_EQ(FormCopy->FCopyThread->FDestination, "D:\\Backup\\");
  EXPECT_EQ(FormCopy->FCopyThread->FNames, QStringList({"letter.doc"}));
  EXPECT_EQ(FormCopy->FCopyThread->FSourceFolders, QStringList({"\\\\PC1\\docs\\"}));
  EXPECT_TRUE(CopyNames.isEmpty());  // moved into the worker
  ASSERT_TRUE(WaitForTransfers());

  // The last folder is offered first next time; a cancel forgets it.
  BrowseOk = false;
  FormMain->CopytoClick(FormMain->CopyTo);
  EXPECT_EQ(Modal.Last().value, "D:\\Backup\\");
  EXPECT_EQ(CopyDestination, "");
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(ResultCommands, ANetworkFolderIsNoDestination) {
  AddFileRow("letter", "doc", "4");
  Select({0});
  FormCopy = nullptr;
  BrowseTo = "\\\\PC1\\docs";
  FormMain->CopytoClick(FormMain->CopyTo);
  ASSERT_EQ(Asked(Modal::Kind::Message), 1);
  EXPECT_EQ(Modal.Last().text, "Invalid directory name");
  EXPECT_EQ(Modal.Last().caption, "Error");
  EXPECT_EQ(CopyDestination, "\\\\PC1\\docs\\");
  EXPECT_EQ(FormCopy, nullptr);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(ResultCommands, CopyToBringsFilesAndFolderTrees) {
  AddFolderRow("old");
  AddFileRow("letter", "doc", "4");
  AddFileRow("README", "", "7");
  Select({0, 1, 2});
  BrowseTo = Run.Net.LocalFolder("dest");
  FormCopy = nullptr;
  FormMain->CopytoClick(FormMain->CopyTo);
  // The folder's tree is sized off the GUI thread; the copy starts after.
  ASSERT_TRUE(SearchRun::WaitUntil([] { return FormCopy != nullptr; }));
  EXPECT_EQ(FormCopy->FCopyThread->FNames, QStringList({"old\\", "letter.doc", "README."}));
  EXPECT_EQ(FormCopy->FCopyThread->FTotalSize, 4 + 7 + 8);
  ASSERT_TRUE(WaitForTransfers());
  EXPECT_EQ(Local(BrowseTo + "old\\note.txt"), "old note");
  EXPECT_EQ(Local(BrowseTo + "letter.doc"), "dear");
  EXPECT_EQ(Local(BrowseTo + "README"), "read me");
}

TEST_F(ResultCommands, CopyToOfAFolderIsSizedUnderTheHourglassAndEscCancelsIt) {
  AddFolderRow("old");
  Select({0});
  BrowseTo = Run.Net.LocalFolder("dest");
  FormCopy = nullptr;
  GatedNet gated(Run.Net.Root());
  FormMain->CopytoClick(FormMain->CopyTo);
  // The walk waits at the gate while the command has returned to the event loop.
  ASSERT_TRUE(SearchRun::WaitUntil([&] { return gated.Gate().Reached(); }));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  // The window takes no other input meanwhile: Ctrl+A selects nothing.
  QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
  QApplication::sendEvent(List->ActiveView(), &selectAll);
  EXPECT_EQ(List->SelCount(), 1);

  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(List->ActiveView(), &esc);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  gated.Gate().Open();
  ASSERT_TRUE(SearchRun::WaitForWorkers());
  QCoreApplication::processEvents();
  EXPECT_EQ(FormCopy, nullptr);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

// ---------------------------------------------------------------- download

TEST_F(ResultCommands, DownloadOfATypedPath) {
  const QString into = Run.Net.LocalFolder("In");
  InputText = "\\\\PC1\\docs\\a\\b.txt";
  BrowseTo = WinPath::ExcludeTrailingBackslash(into);
  FormMain->LoadClick(FormMain->Load);
  ASSERT_EQ(Asked(Modal::Kind::InputQuery), 1);
  const Modal::Request query = Modal.Requests()[0];
  EXPECT_EQ(query.caption, "Download");
  EXPECT_EQ(query.text, "Input full path to the file");
  EXPECT_EQ(query.value, "\\\\compname\\path\\filename");
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  ASSERT_NE(FormCopy, nullptr);
  TCopyFiles* worker = FormCopy->FCopyThread;
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(worker->FNames, QStringList({"b.txt"}));
  EXPECT_EQ(worker->FSourceFolders, QStringList({"\\\\PC1\\docs\\a\\"}));
  EXPECT_EQ(worker->FDestination, into);
  EXPECT_EQ(worker->FTotalSize, 1200);
  ASSERT_TRUE(WaitForTransfers());
  EXPECT_EQ(Local(into + "b.txt").size(), 1200);
}

TEST_F(ResultCommands, DownloadRefusesWhatIsNoFile) {
  // The offered pattern itself, a folder, a mask: "File not found", no folder asked.
  for (const QString& typed : {QString(), QStringLiteral("\\\\PC1\\docs\\a\\"), QStringLiteral("\\\\PC1\\docs\\a"),
                               QStringLiteral("\\\\PC1\\docs\\*.doc")}) {
    Modal.Clear();
    InputText = typed;
    FormMain->LoadClick(FormMain->Load);
    ASSERT_EQ(Asked(Modal::Kind::Message), 1) << typed.toStdString();
    EXPECT_EQ(Modal.Last().text, "File not found");
    EXPECT_EQ(Modal.Last().caption, "Error");
    EXPECT_EQ(Asked(Modal::Kind::BrowseFolder), 0);
  }
  // Cancelled input box, cancelled folder browser.
  Modal.Clear();
  InputOk = false;
  FormMain->LoadClick(FormMain->Load);
  EXPECT_EQ(Modal.Count(), 1);
  InputOk = true;
  InputText = "\\\\PC1\\docs\\letter.doc";
  BrowseOk = false;
  CopyDestination = "C:\\old\\";
  FormMain->LoadClick(FormMain->Load);
  EXPECT_EQ(CopyDestination, "");
  EXPECT_EQ(FormMain->FActiveOperations, 0);
}

TEST_F(ResultCommands, DownloadSizesAFileOverFourGibibytesExactly) {
  const qint64 size = (qint64(5) << 30) + 7;
  Run.Net.AddFile("\\\\PC1\\docs\\big.iso", size);
  InputText = "\\\\PC1\\docs\\big.iso";
  BrowseTo = "D:\\";  // not this machine's drive: nothing is written
  FormMain->LoadClick(FormMain->Load);
  ASSERT_NE(FormCopy, nullptr);
  EXPECT_EQ(CopyTotalSize, static_cast<double>(size));
  EXPECT_EQ(FormCopy->FCopyThread->FTotalSize, static_cast<double>(size));
  EXPECT_EQ(CopyDestinationDrive, 4);
}
