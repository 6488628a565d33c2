#pragma once
// The main window: search panel, computers tree, the three lists, menus,
// tool bar and status bar, start-up and shutdown, and the message map
// through which the transfer windows and workers reach the user.
//
// Every control, menu item and pop-up item is a public member carrying its
// own name, and the same name as its Qt objectName. Member names equal the
// component names throughout (Find, Open, Copy, Exit, List, Name, Type,
// Size, Date, Path ... all compile as members here). Items that own a
// submenu (File, Edit, Search, View, SortBy, Languages, PView, PSortby) are
// QMenu*; their objectName is on the QMenu and on its menuAction().
//
// A submenu item's enabled and visible states are those of its menuAction().
// Event handlers take the sending object (nullptr when called by code).
#include <QChar>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <array>
#include <cstdint>

#include "app/StatusPanels.h"
#include "platform/core/Messages.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QClipboard;
class QComboBox;
class QDialog;
class TFindDialog;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolBar;
class QTreeWidget;
class QWidget;
class TListView;

// The toolkit's close action handed to FormClose (left unchanged there).
enum TCloseAction { caNone = 0, caHide = 1, caFree = 2, caMinimize = 3 };

// A list of small pictures addressed by index (the task-state icons).
struct TImageList {
  int Width = 16;
  int Height = 16;
  QList<QIcon> Images;
  int Count() const { return static_cast<int>(Images.size()); }
};

class TFormMain : public QMainWindow, public TMessageTarget {
  Q_OBJECT

 public:
  explicit TFormMain(QWidget* Owner = nullptr);
  ~TFormMain() override;

  // ---- tool bar (position 0..13; separators after 3, 9 and 12) ----
  QToolBar* ToolBar = nullptr;
  QAction* ToolButtonCopy = nullptr;
  QAction* ToolButtonCopyTo = nullptr;
  QAction* ToolButtonNewTask = nullptr;
  QAction* ToolButtonLoad = nullptr;
  QAction* ToolButtonScan = nullptr;
  QAction* ToolButtonMore = nullptr;
  QAction* ToolButtonFind = nullptr;
  QAction* ToolButtonPause = nullptr;
  QAction* ToolButtonContinue = nullptr;
  QAction* ToolButtonEnd = nullptr;
  QAction* ToolButtonFindList = nullptr;
  QAction* ToolButtonLoadList = nullptr;
  QAction* ToolButtonResources = nullptr;
  QAction* ToolButtonHelp = nullptr;
  QFrame* Bevel3 = nullptr;  // after position 3
  QFrame* Bevel4 = nullptr;  // after position 9
  QFrame* Bevel1 = nullptr;  // after position 12
  // The 14 buttons in tool-bar order (image index = position).
  std::array<QAction*, 14> ToolButtons() const;

  // ---- client area ----
  QWidget* PanelMain = nullptr;
  QWidget* PanelFind = nullptr;
  QLabel* LabelPattern = nullptr;
  QComboBox* EditPattern = nullptr;  // editable; item list kept sorted by code
  QCheckBox* CheckBoxGroup = nullptr;
  QComboBox* ComboBoxGroup = nullptr;
  QLabel* LabelWhereFind = nullptr;
  QTreeWidget* ListViewBoxComputers = nullptr;  // kept sorted by node text
  QCheckBox* CheckBoxSelectAll = nullptr;
  QCheckBox* CheckBoxInvers = nullptr;
  QPushButton* ButtonMore = nullptr;
  QPushButton* ButtonFind = nullptr;
  TListView* ListViewResult = nullptr;
  TListView* ListViewLoads = nullptr;
  TListView* ListViewResources = nullptr;
  TStatusBar* StatusBar = nullptr;

  // ---- main menu ----
  QMenuBar* MainMenu = nullptr;
  QMenu* File = nullptr;
  QAction* CopyKey = nullptr;  // invisible, carries Ctrl+C whatever Copy's state
  QAction* Find = nullptr;
  QAction* Open = nullptr;
  QAction* Copy = nullptr;
  QAction* CopyTo = nullptr;
  QAction* NewTask = nullptr;
  QAction* Load = nullptr;
  QAction* Exit = nullptr;
  QMenu* Edit = nullptr;
  QAction* FindFiles = nullptr;
  QAction* SelectAll = nullptr;
  QAction* Invert = nullptr;
  QMenu* Search = nullptr;
  QAction* ScanM = nullptr;
  QAction* More = nullptr;
  QAction* Start = nullptr;
  QAction* Pause = nullptr;
  QAction* Continue = nullptr;
  QAction* End = nullptr;
  QMenu* View = nullptr;
  QAction* ResultView = nullptr;
  QAction* TaskView = nullptr;
  QAction* CompView = nullptr;
  QAction* Icons = nullptr;  // radio group ViewStyleGroup
  QAction* Table = nullptr;
  QAction* List = nullptr;
  QMenu* SortBy = nullptr;
  QAction* Name = nullptr;  // radio group SortByGroup
  QAction* Type = nullptr;
  QAction* Size = nullptr;
  QAction* Date = nullptr;
  QAction* Computer = nullptr;
  QAction* Path = nullptr;
  QMenu* Languages = nullptr;
  QAction* English = nullptr;  // radio group LanguageGroup, with L1..L27 (no L18)
  QAction* L1 = nullptr;
  QAction* L2 = nullptr;
  QAction* L3 = nullptr;
  QAction* L4 = nullptr;
  QAction* L5 = nullptr;
  QAction* L6 = nullptr;
  QAction* L7 = nullptr;
  QAction* L8 = nullptr;
  QAction* L9 = nullptr;
  QAction* L10 = nullptr;
  QAction* L11 = nullptr;
  QAction* L12 = nullptr;
  QAction* L13 = nullptr;
  QAction* L14 = nullptr;
  QAction* L15 = nullptr;
  QAction* L16 = nullptr;
  QAction* L17 = nullptr;
  QAction* L19 = nullptr;
  QAction* L20 = nullptr;
  QAction* L21 = nullptr;
  QAction* L22 = nullptr;
  QAction* L23 = nullptr;
  QAction* L24 = nullptr;
  QAction* L25 = nullptr;
  QAction* L26 = nullptr;
  QAction* L27 = nullptr;
  // English, then the 26 slots L1..L17, L19..L27, in menu order.
  QList<QAction*> LanguageItems;
  QMenu* Help = nullptr;
  QAction* TrawlixHelp = nullptr;
  QAction* SiteProgram = nullptr;
  QAction* Support = nullptr;
  QAction* Forum = nullptr;
  QAction* About = nullptr;
  QActionGroup* ViewStyleGroup = nullptr;
  QActionGroup* SortByGroup = nullptr;
  QActionGroup* LanguageGroup = nullptr;

  // ---- result list pop-up ----
  QMenu* PopupMenu = nullptr;
  QAction* PFind = nullptr;
  QAction* POpen = nullptr;
  QMenu* PView = nullptr;
  QAction* PIcons = nullptr;  // radio group PViewStyleGroup
  QAction* PTable = nullptr;
  QAction* PList = nullptr;
  QMenu* PSortby = nullptr;
  QAction* PName = nullptr;  // radio group PSortByGroup
  QAction* PType = nullptr;
  QAction* PSize = nullptr;
  QAction* PDate = nullptr;
  QAction* PComputer = nullptr;
  QAction* PPath = nullptr;
  QAction* PCopy = nullptr;
  QAction* PCopyto = nullptr;
  QAction* PNewTask = nullptr;
  QAction* PSelectall = nullptr;
  QAction* PLoad = nullptr;
  QActionGroup* PViewStyleGroup = nullptr;
  QActionGroup* PSortByGroup = nullptr;

  // ---- computers tree pop-up ----
  QMenu* PopupMenuComps = nullptr;
  QAction* FindComp = nullptr;
  QAction* OpenComp = nullptr;
  QAction* CopyCompRes = nullptr;
  QAction* CopyToCompRes = nullptr;
  QAction* NewTaskCompRes = nullptr;
  QAction* SelectAllComp = nullptr;
  QAction* InvertComp = nullptr;

  // ---- task list pop-up ----
  QMenu* PopupMenuTasks = nullptr;
  QAction* PTaskStart = nullptr;
  QAction* PTaskDelete = nullptr;
  QAction* PTaskEdit = nullptr;

  // ---- non-visual components ----
  TFindDialog* FindDialog = nullptr;  // the find-text dialog; made by the result-list commands
  TImageList ImageListSmallLoad;  // task-state icons of ListViewLoads

  // ---- window state (touched only on the GUI thread) ----
  std::array<bool, 8> FSavedEnabled{};  // search panel, in DisableSearchPanel's order
  QClipboard* FClipboard = nullptr;
  int FFindStart = 0;
  bool FUpdatingChecks = false;
  bool FFirstPaint = true;
  std::int32_t FActiveOperations = 0;
  bool FResourcesStale = false;

  // ---- start-up, layout, shutdown ----
  void FormCreate(QObject* Sender);
  void FormShow(QObject* Sender);
  void FormResize(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);
  void FormClose(QObject* Sender, TCloseAction& Action);
  void ExitClick(QObject* Sender);
  void SetSize();
  // The window procedure: WM_PAINT sends WM_START_SCAN; the first
  // WM_START_SCAN starts the scan; anything else goes to Dispatch.
  virtual void WndProc(TMessage& Message);
  // The message map (the target of SendMessage).
  void Dispatch(TMessage& Message) override;
  void WMFileExists(TMessage& Message);
  void WMCopyError(TMessage& Message);
  void WMCopyFinished(TMessage& Message);
  void WMOperationStarted(TMessage& Message);
  // The outer width of the window, frame included (what SetSize lays out by).
  int OuterWidth() const;

  // ---- search commands ----
  void CheckBoxGroupClick(QObject* Sender);
  void ComboBoxGroupChange(QObject* Sender);
  void ButtonMoreClick(QObject* Sender);
  void ButtonFindClick(QObject* Sender);
  void EditSearchKeyPress(QObject* Sender, QChar& Key);
  void ButtonStopClick(QObject* Sender);
  void ButtonContinueClick(QObject* Sender);
  void ButtonEndClick(QObject* Sender);
  void DisableSearchPanel();
  void RestoreSearchPanel();
  bool CanSortResults();

  // ---- result list commands ----
  void ListViewResultSelectItem(QObject* Sender, int Item, bool Selected);
  void ListViewResultClick(QObject* Sender);
  void ListViewResultEnter(QObject* Sender);
  void ListViewResultExit(QObject* Sender);
  void PopupMenuPopup(QObject* Sender);
  void IconsClick(QObject* Sender);
  void TableClick(QObject* Sender);
  void ListClick(QObject* Sender);
  void NameClick(QObject* Sender);
  void TypeClick(QObject* Sender);
  void SizeClick(QObject* Sender);
  void DateClick(QObject* Sender);
  void ComputerClick(QObject* Sender);
  void PathClick(QObject* Sender);
  void ListViewResultColumnClick(QObject* Sender, int Column);
  void OpenClick(QObject* Sender);
  void ListViewResultDblClick(QObject* Sender);
  void ListViewResultKeyPress(QObject* Sender, QChar& Key);
  void FindClick(QObject* Sender);
  void SelectallClick(QObject* Sender);
  void InvertClick(QObject* Sender);
  void CopyClick(QObject* Sender);
  void CopytoClick(QObject* Sender);
  void LoadClick(QObject* Sender);
  void NewTaskClick(QObject* Sender);
  void FindFilesClick(QObject* Sender);
  void FindDialogFind(QObject* Sender);
  // 0 when the clipboard block cannot be made, else 1.
  int CopyResultsToClipboard();

  // ---- computers tree commands ----
  void CheckBoxSelectAllClick(QObject* Sender);
  void CheckBoxInversClick(QObject* Sender);
  void ListViewBoxComputersMouseDown(QObject* Sender, Qt::MouseButton Button,
                                     Qt::KeyboardModifiers Shift, int X, int Y);
  void PopupMenuCompsPopup(QObject* Sender);
  void FindCompClick(QObject* Sender);
  void OpenCompClick(QObject* Sender);
  void CopyCompResClick(QObject* Sender);
  void CopyToCompResClick(QObject* Sender);
  void NewTaskCompResClick(QObject* Sender);
  void SelectAllCompClick(QObject* Sender);
  void InvertCompClick(QObject* Sender);

  // ---- views, help and small windows ----
  void ToolButtonFindListClick(QObject* Sender);
  void ToolButtonLoadListClick(QObject* Sender);
  void LngClick(QObject* Sender);
  void TrawlixHelpClick(QObject* Sender);
  void SiteProgramClick(QObject* Sender);
  void SupportClick(QObject* Sender);
  void ForumClick(QObject* Sender);
  void AboutClick(QObject* Sender);
  void GeneralClick(QObject* Sender);

  // Greys the commands that act only on the result list, while the task or
  // the information view is shown.
  void DisableResultCommands();

  // ---- network scan and computer information ----
  void SpeedButtonScanClick(QObject* Sender);
  void ToolButtonResourcesClick(QObject* Sender);

  // ---- task list commands ----
  void PTaskStartClick(QObject* Sender);
  void PTaskEditClick(QObject* Sender);
  void PTaskDeleteClick(QObject* Sender);
  void PopupMenuTasksPopup(QObject* Sender);
  void ListViewLoadsDblClick(QObject* Sender);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateToolBar();
  void CreateSearchPanel();
  void CreateLists();
  void CreateMainMenu();
  void CreatePopupMenus();
  void ConnectHandlers();
  // Set by ExitClick: the loop ends without the close path.
  bool FExiting = false;
  // The application-wide focus watch of the result list; cut first when the
  // window goes, as its children (the list, the actions) are freed after it.
  QMetaObject::Connection FFocusWatch;
  // True while the computers tree handles a mouse press passed on to it.
  bool FInTreePress = false;
};

extern TFormMain* FormMain;
