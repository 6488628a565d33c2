// The main window: its components and their initial states, the layout of
// the search panel, the message map, start-up and the two ways out.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/Application.h"
#include "app/Endsearchform.h"
#include "app/Form_about.h"
#include "app/Form_settings.h"
#include "app/Main.h"
#include "app/Researchform.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "network/Form_wait.h"
#include "platform/ui/ListView.h"
#include "search/Editgroups.h"
#include "search/More.h"
#include "search/Sort_result.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Copyform.h"
#include "transfer/Fileexists_form.h"
#include "transfer/Errorincopy_form.h"
#include "transfer/Form_edittask.h"
#include "support/ProgramFolder.h"

namespace {

QAction* ActionNamed(const char* name) {
  for (QAction* a : FormMain->findChildren<QAction*>(QString::fromLatin1(name)))
    if (!a->menu()) return a;
  return nullptr;
}

}  // namespace

TEST(MainWindowStartup, CreatesTheNineWindowsAndSetsUpTheMainWindow) {
  ProgramFolder folder;
  folder.CreateWindows();
  ASSERT_NE(FormMain, nullptr);
  EXPECT_NE(FormMore, nullptr);
  EXPECT_NE(FormEditGroup, nullptr);
  EXPECT_NE(FormSettings, nullptr);
  EXPECT_NE(Research, nullptr);
  EXPECT_NE(EndSearch, nullptr);
  EXPECT_NE(FormAbout, nullptr);
  EXPECT_NE(FormEditTask, nullptr);
  EXPECT_NE(FormWait, nullptr);
  EXPECT_EQ(FormMain->windowTitle(), "Trawlix");
  EXPECT_FALSE(ProgramDir.isEmpty());
  EXPECT_TRUE(ProgramDir.endsWith(QDir(folder.Path()).dirName()));
  for (bool d : SortDescending) EXPECT_TRUE(d);
  EXPECT_TRUE(FormMain->FFirstPaint);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_FALSE(FormMain->FResourcesStale);
  EXPECT_NE(FormMain->FClipboard, nullptr);
  EXPECT_EQ(FormMain->ListViewBoxComputers->topLevelItemCount(), 0);
}

TEST(MainWindowStartup, ShowAppliesTheLanguageAndChecksItsMenuItem) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  FormMain->StatusBar->SetPanelText(0, "old");
  folder.ShowMain();
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), "");
  EXPECT_EQ(FormMain->StatusBar->PanelText(1), "File(s): 0");
  EXPECT_TRUE(FormMain->English->isChecked());
  EXPECT_EQ(CurrentLanguage, "English");
}

TEST(MainWindowComponents, EveryNamedItemExistsWithItsInitialState) {
  ProgramFolder folder;
  folder.CreateWindows();
  struct Item {
    const char* name;
    bool enabled;
    bool visible;
    QKeySequence key;
  };
  const Item items[] = {
      {"CopyKey", true, false, QKeySequence("Ctrl+C")},
      {"Find", false, true, QKeySequence("Ctrl+Shift+F")},
      {"Open", false, true, QKeySequence("Ctrl+O")},
      {"Copy", false, true, QKeySequence("Ctrl+C")},
      {"CopyTo", false, true, QKeySequence("Ctrl+Shift+C")},
      {"NewTask", false, true, QKeySequence("Ctrl+N")},
      {"Load", true, true, QKeySequence("Ctrl+D")},
      {"Exit", true, true, {}},
      {"FindFiles", false, true, QKeySequence("Ctrl+F")},
      {"SelectAll", false, true, QKeySequence("Ctrl+A")},
      {"Invert", false, true, QKeySequence("Ctrl+Shift+A")},
      {"ScanM", true, true, {}},
      {"More", true, true, QKeySequence("Ctrl+P")},
      {"Start", true, true, {}},
      {"Pause", false, true, {}},
      {"Continue", false, true, {}},
      {"End", false, true, {}},
      {"ResultView", false, true, {}},
      {"TaskView", true, true, {}},
      {"CompView", true, true, {}},
      {"Icons", true, true, {}},
      {"Table", true, true, {}},
      {"List", true, true, {}},
      {"Name", true, true, {}},
      {"Path", true, true, {}},
      {"English", true, true, {}},
      {"L1", true, false, {}},
      {"L17", true, false, {}},
      {"L19", true, false, {}},
      {"L27", true, false, {}},
      {"TrawlixHelp", true, true, QKeySequence("F1")},
      {"SiteProgram", true, true, {}},
      {"Support", true, true, {}},
      {"Forum", true, true, {}},
      {"About", true, true, {}},
  };
  for (const Item& i : items) {
    QAction* a = ActionNamed(i.name);
    ASSERT_NE(a, nullptr) << i.name;
    // An invisible action counts as disabled in this toolkit; only visible ones tell.
    if (i.visible) EXPECT_EQ(a->isEnabled(), i.enabled) << i.name;
    EXPECT_EQ(a->isVisible(), i.visible) << i.name;
    EXPECT_EQ(a->shortcut(), i.key) << i.name;
  }
  EXPECT_EQ(ActionNamed("L18"), nullptr);
  EXPECT_EQ(FormMain->LanguageItems.size(), 27);
  EXPECT_FALSE(FormMain->SortBy->menuAction()->isEnabled());
  for (const char* name : {"PFind", "POpen", "PIcons", "PTable", "PList", "PName", "PType", "PSize",
                           "PDate", "PComputer", "PPath", "PCopy", "PCopyto", "PNewTask", "PSelectall",
                           "PLoad", "FindComp", "OpenComp", "CopyCompRes", "CopyToCompRes",
                           "NewTaskCompRes", "SelectAllComp", "InvertComp", "PTaskStart", "PTaskDelete",
                           "PTaskEdit"})
    EXPECT_NE(ActionNamed(name), nullptr) << name;
  for (const char* name : {"File", "Edit", "Search", "View", "SortBy", "Languages", "Help", "PopupMenu",
                           "PView", "PSortby", "PopupMenuComps", "PopupMenuTasks"})
    EXPECT_NE(FormMain->findChild<QMenu*>(QString::fromLatin1(name)), nullptr) << name;
  for (const char* name : {"ToolBar", "PanelMain", "PanelFind", "LabelPattern", "EditPattern",
                           "CheckBoxGroup", "ComboBoxGroup", "LabelWhereFind", "ListViewBoxComputers",
                           "CheckBoxSelectAll", "CheckBoxInvers", "ButtonMore", "ButtonFind",
                           "ListViewResult", "ListViewLoads", "ListViewResources", "StatusBar",
                           "Bevel1", "Bevel3", "Bevel4"})
    EXPECT_NE(FormMain->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

  EXPECT_FALSE(FormMain->ComboBoxGroup->isEnabled());
  EXPECT_TRUE(FormMain->EditPattern->isEditable());
  EXPECT_FALSE(FormMain->ListViewResult->isHidden());
  EXPECT_TRUE(FormMain->ListViewLoads->isHidden());
  EXPECT_TRUE(FormMain->ListViewResources->isHidden());
  EXPECT_EQ(FormMain->ListViewResult->ColumnCount(), 7);
  EXPECT_EQ(FormMain->ListViewLoads->ColumnCount(), 7);
  EXPECT_EQ(FormMain->ListViewResources->ColumnCount(), 6);
  EXPECT_EQ(FormMain->StatusBar->PanelCount(), 3);
  EXPECT_EQ(FormMain->StatusBar->PanelWidth(1), 100);
  EXPECT_EQ(FormMain->StatusBar->PanelWidth(2), 150);
}

TEST(MainWindowComponents, ToolBarOrderStatesAndSeparators) {
  ProgramFolder folder;
  folder.CreateWindows();
  const auto buttons = FormMain->ToolButtons();
  const bool enabled[14] = {false, false, false, true, true, true, true,
                            false, false, false, false, true, true, true};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(buttons[i]->isEnabled(), enabled[i]) << i;
  // Tool-bar entries in order: buttons with a separator after positions 3, 9 and 12.
  QStringList order;
  for (QAction* a : FormMain->ToolBar->actions()) {
    QWidget* w = FormMain->ToolBar->widgetForAction(a);
    order << (a->objectName().isEmpty() && w ? w->objectName() : a->objectName());
  }
  const QStringList expected = {
      "ToolButtonCopy",     "ToolButtonCopyTo",   "ToolButtonNewTask",   "ToolButtonLoad",
      "Bevel3",             "ToolButtonScan",     "ToolButtonMore",      "ToolButtonFind",
      "ToolButtonPause",    "ToolButtonContinue", "ToolButtonEnd",       "Bevel4",
      "ToolButtonFindList", "ToolButtonLoadList", "ToolButtonResources", "Bevel1",
      "ToolButtonHelp"};
  EXPECT_EQ(order, expected);
  QWidget* copyButton = FormMain->ToolBar->widgetForAction(FormMain->ToolButtonCopy);
  ASSERT_NE(copyButton, nullptr);
  EXPECT_EQ(copyButton->size(), QSize(50, 44));
}

TEST(MainWindowLayout, SearchPanelAtTheDesignWidth) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  FormMain->resize(767, 546);
  FormMain->SetSize();
  EXPECT_EQ(FormMain->OuterWidth(), 767);
  EXPECT_EQ(FormMain->PanelFind->width(), 191);
  for (QWidget* w : {static_cast<QWidget*>(FormMain->LabelPattern), static_cast<QWidget*>(FormMain->EditPattern),
                     static_cast<QWidget*>(FormMain->CheckBoxGroup), static_cast<QWidget*>(FormMain->ComboBoxGroup),
                     static_cast<QWidget*>(FormMain->LabelWhereFind),
                     static_cast<QWidget*>(FormMain->ListViewBoxComputers),
                     static_cast<QWidget*>(FormMain->CheckBoxSelectAll),
                     static_cast<QWidget*>(FormMain->CheckBoxInvers)})
    EXPECT_EQ(w->width(), 175) << w->objectName().toStdString();
  EXPECT_EQ(FormMain->ButtonMore->x(), 25);
  EXPECT_EQ(FormMain->ButtonFind->x(), 108);
  EXPECT_EQ(FormMain->ButtonMore->y(), 320);
  EXPECT_EQ(FormMain->EditPattern->pos(), QPoint(8, 32));
  EXPECT_EQ(FormMain->StatusBar->PanelWidth(0), 517);
}

TEST(MainWindowLayout, NarrowWindowPushesButtonMoreLeftOfThePanel) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  FormMain->setMinimumSize(0, 0);
  FormMain->resize(600, 400);
  FormMain->SetSize();
  if (FormMain->OuterWidth() != 600) GTEST_SKIP() << "the window system keeps a larger width";
  EXPECT_EQ(FormMain->PanelFind->width(), 150);
  EXPECT_EQ(FormMain->ButtonMore->x(), -16);
  EXPECT_EQ(FormMain->ButtonFind->x(), 67);
  EXPECT_EQ(FormMain->StatusBar->PanelWidth(0), 350);
}

TEST(MainWindowMessages, CountOfRunningTransfersNeverGoesBelowZero) {
  ProgramFolder folder;
  folder.CreateWindows();
  SendMessage(FormMain, WM_OPERATION_STARTED, 0, 0);
  EXPECT_EQ(FormMain->FActiveOperations, 1);
  SendMessage(FormMain, WM_COPY_FINISHED, 0, 0);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  SendMessage(FormMain, WM_COPY_FINISHED, 0, 0);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  EXPECT_TRUE(folder.Requests.empty());
  // An unknown message is left alone with result 0.
  EXPECT_EQ(SendMessage(FormMain, WM_USER + 50, 1, 2), 0);
}

TEST(MainWindowMessages, CancelledCopyAsksWhetherToKeepThePartialFile) {
  ProgramFolder folder;
  folder.CreateWindows();
  SetEnglishLanguage();
  SendMessage(FormMain, WM_OPERATION_STARTED, 0, 0);
  // Without a transfer window the question is still asked and nothing breaks.
  SendMessage(FormMain, WM_COPY_FINISHED, 0, 1);
  EXPECT_EQ(FormMain->FActiveOperations, 0);
  ASSERT_EQ(folder.Count(Modal::Kind::Confirm), 1);
  EXPECT_EQ(folder.Requests.back().text, "The full file is received not. To not delete it?");
}

TEST(MainWindowMessages, EachWorkerQuestionGetsAFreshDialog) {
  ProgramFolder folder;
  folder.CreateWindows();
  std::vector<QDialog*> shown;
  std::vector<std::intptr_t> threads;
  Modal::SetResponder([&](const Modal::Request& r) {
    if (r.kind == Modal::Kind::ShowModal) {
      shown.push_back(r.form);
      if (auto* f = qobject_cast<TFormFileExists*>(r.form)) {
        threads.push_back(reinterpret_cast<std::intptr_t>(f->FThread));
        EXPECT_EQ(FormFileExists, f);
      } else if (auto* e = qobject_cast<TFormErrorInCopy*>(r.form)) {
        threads.push_back(reinterpret_cast<std::intptr_t>(e->FThread));
        EXPECT_EQ(FormErrorInCopy, e);
      }
    }
    return Modal::Answer{mrOk, {}};
  });
  TCopyFiles first, second, third;  // created suspended, never started
  const auto id = [](TCopyFiles& t) { return reinterpret_cast<std::intptr_t>(&t); };
  SendMessage(FormMain, WM_FILE_EXISTS, id(first), 0);
  SendMessage(FormMain, WM_FILE_EXISTS, id(second), 0);
  SendMessage(FormMain, WM_COPY_ERROR, id(third), 0);
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(threads, (std::vector<std::intptr_t>{id(first), id(second), id(third)}));
  // Every dialog is freed once answered.
  EXPECT_EQ(FormFileExists, nullptr);
  EXPECT_EQ(FormErrorInCopy, nullptr);
  EXPECT_TRUE(qApp->topLevelWidgets().size() > 0);
  for (QWidget* w : qApp->topLevelWidgets()) {
    EXPECT_EQ(qobject_cast<TFormFileExists*>(w), nullptr);
    EXPECT_EQ(qobject_cast<TFormErrorInCopy*>(w), nullptr);
  }
}

TEST(MainWindowMessages, OnlyTheFirstPaintStartsTheScan) {
  ProgramFolder folder;
  folder.CreateWindows();
  EXPECT_TRUE(FormMain->FFirstPaint);
  SendMessage(FormMain, WM_PAINT, 0, 0);
  EXPECT_FALSE(FormMain->FFirstPaint);
  SendMessage(FormMain, WM_START_SCAN, 0, 0);
  EXPECT_FALSE(FormMain->FFirstPaint);
}

TEST(MainWindowMessages, ShowingAndPaintingTheWindowSendsStartScan) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  folder.ShowMain();
  FormMain->repaint();
  for (int i = 0; i < 5 && FormMain->FFirstPaint; ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(FormMain->FFirstPaint);
}

TEST(MainWindowClose, NoTransferRunningClosesWithoutAQuestionAndSaves) {
  ProgramFolder folder;
  folder.CreateWindows();
  folder.ShowMain();
  EXPECT_TRUE(FormMain->close());
  EXPECT_EQ(folder.Count(Modal::Kind::Confirm), 0);
  EXPECT_TRUE(folder.Lines("settings.ini").contains("[ResHeaderPos]"));
  EXPECT_TRUE(Application::Terminated());
}

TEST(MainWindowClose, RunningTransferAsksAndNoKeepsTheWindowOpen) {
  ProgramFolder folder;
  folder.CreateWindows();
  folder.ShowMain();
  SendMessage(FormMain, WM_OPERATION_STARTED, 0, 0);
  folder.ConfirmAnswer = false;
  EXPECT_FALSE(FormMain->close());
  ASSERT_EQ(folder.Count(Modal::Kind::Confirm), 1);
  EXPECT_EQ(folder.Requests.back().text, "One or more operations is active in background. Terminate anyway?");
  EXPECT_TRUE(FormMain->isVisible());
  EXPECT_TRUE(folder.ReadFile("settings.ini").isEmpty());
  EXPECT_FALSE(Application::Terminated());
  EXPECT_EQ(FormMain->FActiveOperations, 1);

  folder.ConfirmAnswer = true;
  EXPECT_TRUE(FormMain->close());
  EXPECT_EQ(folder.Count(Modal::Kind::Confirm), 2);
  EXPECT_FALSE(folder.ReadFile("settings.ini").isEmpty());
  EXPECT_TRUE(Application::Terminated());
}

TEST(MainWindowClose, ExitEndsWithoutQuestionOrSaving) {
  ProgramFolder folder;
  folder.CreateWindows();
  folder.ShowMain();
  SendMessage(FormMain, WM_OPERATION_STARTED, 0, 0);
  FormMain->Exit->trigger();
  EXPECT_TRUE(Application::Terminated());
  // Whatever closes the window afterwards takes no close path.
  FormMain->close();
  EXPECT_TRUE(folder.Requests.empty());
  EXPECT_TRUE(folder.ReadFile("settings.ini").isEmpty());
}

TEST(MainWindowMessages, CancelledCopyHandsTheAnswerToItsWorker) {
  ProgramFolder folder;
  folder.CreateWindows();
  TCopyFiles worker;  // created suspended, never started
  auto* form = new TFormCopy(nullptr);
  form->FCopyThread = &worker;
  const auto id = reinterpret_cast<std::intptr_t>(form);
  folder.ConfirmAnswer = true;
  SendMessage(FormMain, WM_COPY_FINISHED, id, 1);
  EXPECT_TRUE(worker.FKeepPartial);
  folder.ConfirmAnswer = false;
  SendMessage(FormMain, WM_COPY_FINISHED, id, 1);
  EXPECT_FALSE(worker.FKeepPartial);
  // A transfer that ended normally asks nothing.
  SendMessage(FormMain, WM_COPY_FINISHED, id, 0);
  EXPECT_EQ(folder.Count(Modal::Kind::Confirm), 2);
  form->FCopyThread = nullptr;
  delete form;
}

TEST(MainWindowEvents, TreeHandlesAMousePressBeforeTheWindowSeesIt) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  folder.ShowMain();
  QTreeWidget* tree = FormMain->ListViewBoxComputers;
  auto* pc = new QTreeWidgetItem(tree, QStringList{"PC1"});
  new QTreeWidgetItem(tree, QStringList{"PC2"});
  const QPoint at = tree->visualItemRect(pc).center();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), tree->viewport()->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(tree->viewport(), &press);
  EXPECT_EQ(tree->currentItem(), pc);
}

TEST(MainWindowClose, ExitWithTheResultListFocusedFreesTheWindowCleanly) {
  ProgramFolder folder;
  folder.CreateWindows();
  FormMain->FFirstPaint = false;  // no network scan on the first paint
  folder.ShowMain();
  QApplication::setActiveWindow(FormMain);
  TListItem row;
  row.Caption = "a.txt";
  row.SubItems = QStringList{"txt", "1", "", "", "PC1", "\\docs\\"};
  FormMain->ListViewResult->AddItem(row);
  FormMain->ListViewResult->SetSelected(0, true);
  FormMain->ListViewResult->ActiveView()->setFocus();
  QCoreApplication::processEvents();
  if (!FormMain->ListViewResult->isAncestorOf(QApplication::focusWidget()))
    GTEST_SKIP() << "no input focus on this platform";
  // Entering the list enabled the copy commands for the selected row.
  EXPECT_TRUE(FormMain->ToolButtonCopy->isEnabled());
  FormMain->Exit->trigger();
  ASSERT_TRUE(Application::Terminated());
  // No handler may change an action of a window being freed (the global is
  // cleared as its freeing starts; the actions go soon after).
  bool touchedWhileFreed = false;
  QObject::connect(FormMain->ToolButtonCopy, &QAction::changed, [&touchedWhileFreed] {
    if (!FormMain) touchedWhileFreed = true;
  });
  // The forms are freed as the program entry frees them, the window still
  // shown: the list loses the focus while the window's actions are freed,
  // and nothing may handle that.
  Application::DestroyForms();
  EXPECT_EQ(FormMain, nullptr);
  EXPECT_FALSE(touchedWhileFreed);
  folder.DestroyWindows();
  // A focus change afterwards reaches no handler of the freed window either.
  QWidget other;
  other.show();
  other.setFocus();
  QCoreApplication::processEvents();
}

TEST(MainWindowLayout, LongStatusTextNeitherWidensTheWindowNorHidesThePanels) {
  ProgramFolder folder("[General]\nWindowMax=0\n");
  folder.CreateWindows();
  folder.ShowMain();
  FormMain->resize(767, 546);
  QCoreApplication::processEvents();
  const int width = FormMain->width();
  QString path = " \\\\PC1\\docs";
  for (int i = 0; i < 40; ++i) path += QString("\\a rather long folder name %1").arg(i);
  FormMain->StatusBar->SetPanelText(0, path);
  FormMain->StatusBar->SetPanelText(2, " Computers: 12");
  QCoreApplication::processEvents();
  EXPECT_EQ(FormMain->width(), width);
  EXPECT_LT(FormMain->minimumSizeHint().width(), 767);
  // The text is kept whole; only its showing is cut.
  EXPECT_EQ(FormMain->StatusBar->PanelText(0), path);
  // The other panels keep their widths and stay inside the bar.
  for (int i : {1, 2}) {
    QLabel* panel = FormMain->StatusBar->Panel(i);
    EXPECT_EQ(panel->width(), FormMain->StatusBar->PanelWidth(i));
    EXPECT_LE(panel->geometry().right(), FormMain->StatusBar->width());
    EXPECT_TRUE(panel->isVisible());
  }
  EXPECT_LT(FormMain->StatusBar->Panel(0)->width(), width);
  // Growing and shrinking the window still works with the long text shown.
  FormMain->resize(1000, 546);
  QCoreApplication::processEvents();
  EXPECT_EQ(FormMain->width(), 1000);
  FormMain->resize(700, 546);
  QCoreApplication::processEvents();
  EXPECT_EQ(FormMain->width(), 700);
}
