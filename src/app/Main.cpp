#include "app/Main.h"

#include <memory>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <exception>

#include "app/Application.h"
#include "app/Icons.h"
#include "config/En_language.h"
#include "config/Languages.h"
#include "config/Settings.h"
#include "platform/fs/FileSystem.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Modal.h"
#include "platform/ui/SystemIcons.h"
#include "search/Editgroups.h"
#include "search/Sort_result.h"
#include "transfer/Copyfiles_thread.h"
#include "transfer/Copyform.h"
#include "transfer/Errorincopy_form.h"
#include "transfer/Fileexists_form.h"
#include "transfer/Tasks.h"

TFormMain* FormMain = nullptr;

namespace {

// Design geometry of the window.
constexpr int DesignWidth = 767;
constexpr int DesignHeight = 546;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;

QAction* NewAction(QObject* owner, const char* name) {
  auto* a = new QAction(owner);
  a->setObjectName(QString::fromLatin1(name));
  return a;
}

QMenu* NewMenu(QWidget* parent, const char* name) {
  auto* m = new QMenu(parent);
  m->setObjectName(QString::fromLatin1(name));
  m->menuAction()->setObjectName(QString::fromLatin1(name));
  return m;
}

QFrame* NewBevel(QWidget* parent, const char* name) {
  auto* f = new QFrame(parent);
  f->setObjectName(QString::fromLatin1(name));
  f->setFrameShape(QFrame::VLine);
  f->setFrameShadow(QFrame::Sunken);
  f->setFixedSize(2, 44);
  return f;
}

void SetWidth(QWidget* w, int width) { w->resize(width, w->height()); }

// The key of a key event as the toolkit's key-press handlers receive it.
QChar KeyChar(const QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return QChar(13);
  if (e->key() == Qt::Key_Escape) return QChar(27);
  const QString t = e->text();
  return t.isEmpty() ? QChar() : t.at(0);
}

bool IsInside(const QObject* o, const QWidget* ancestor) {
  for (; o; o = o->parent())
    if (o == ancestor) return true;
  return false;
}

}  // namespace

TFormMain::TFormMain(QWidget* Owner) : QMainWindow(Owner) {
  // The global is set first, as the start-up code of other modules reads it.
  FormMain = this;
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("Trawlix"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  resize(DesignWidth, DesignHeight);

  CreateToolBar();
  CreateSearchPanel();
  CreateLists();
  StatusBar = new TStatusBar(3, this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->SetPanelWidth(1, 100);
  StatusBar->SetPanelWidth(2, 150);
  StatusBar->SetPanelText(1, QStringLiteral(" Files:"));
  StatusBar->SetPanelText(2, QStringLiteral(" Computers:"));
  setStatusBar(StatusBar);
  CreateMainMenu();
  CreatePopupMenus();
  ConnectHandlers();

  FClipboard = QGuiApplication::clipboard();
  FSavedEnabled.fill(false);
  FFindStart = 0;
  FUpdatingChecks = false;
  FFirstPaint = true;
  FActiveOperations = 0;
  FResourcesStale = false;

  FormCreate(this);
}

TFormMain::~TFormMain() {
  // Freeing the focused list moves the focus; no handler may see that, as
  // the actions it touches may already be gone.
  disconnect(FFocusWatch);
  if (FormMain == this) FormMain = nullptr;
}

std::array<QAction*, 14> TFormMain::ToolButtons() const {
  return {ToolButtonCopy,     ToolButtonCopyTo,   ToolButtonNewTask,   ToolButtonLoad,
          ToolButtonScan,     ToolButtonMore,     ToolButtonFind,      ToolButtonPause,
          ToolButtonContinue, ToolButtonEnd,      ToolButtonFindList,  ToolButtonLoadList,
          ToolButtonResources, ToolButtonHelp};
}

// ---------------------------------------------------------------- layout

void TFormMain::CreateToolBar() {
  ToolBar = new QToolBar(this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setMovable(false);
  ToolBar->setFloatable(false);
  ToolBar->setFixedHeight(50);
  ToolBar->setIconSize(QSize(42, 42));
  ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  ToolBar->setStyleSheet(QStringLiteral(
      "QToolBar { border-top: 1px solid palette(mid); border-bottom: 1px solid palette(mid); }"));
  addToolBar(Qt::TopToolBarArea, ToolBar);

  struct Spec {
    QAction** member;
    const char* name;
    bool enabled;
  };
  const Spec specs[] = {
      {&ToolButtonCopy, "ToolButtonCopy", false},         {&ToolButtonCopyTo, "ToolButtonCopyTo", false},
      {&ToolButtonNewTask, "ToolButtonNewTask", false},   {&ToolButtonLoad, "ToolButtonLoad", true},
      {&ToolButtonScan, "ToolButtonScan", true},          {&ToolButtonMore, "ToolButtonMore", true},
      {&ToolButtonFind, "ToolButtonFind", true},          {&ToolButtonPause, "ToolButtonPause", false},
      {&ToolButtonContinue, "ToolButtonContinue", false}, {&ToolButtonEnd, "ToolButtonEnd", false},
      {&ToolButtonFindList, "ToolButtonFindList", false}, {&ToolButtonLoadList, "ToolButtonLoadList", true},
      {&ToolButtonResources, "ToolButtonResources", true}, {&ToolButtonHelp, "ToolButtonHelp", true},
  };
  Bevel3 = NewBevel(ToolBar, "Bevel3");
  Bevel4 = NewBevel(ToolBar, "Bevel4");
  Bevel1 = NewBevel(ToolBar, "Bevel1");
  int pos = 0;
  for (const Spec& s : specs) {
    QAction* a = NewAction(this, s.name);
    a->setEnabled(s.enabled);
    *s.member = a;
    ToolBar->addAction(a);
    if (QWidget* button = ToolBar->widgetForAction(a)) button->setFixedSize(50, 44);
    if (pos == 3) ToolBar->addWidget(Bevel3);
    if (pos == 9) ToolBar->addWidget(Bevel4);
    if (pos == 12) ToolBar->addWidget(Bevel1);
    ++pos;
  }
}

void TFormMain::CreateSearchPanel() {
  PanelMain = new QWidget(this);
  PanelMain->setObjectName(QStringLiteral("PanelMain"));
  setCentralWidget(PanelMain);
  auto* layout = new QHBoxLayout(PanelMain);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  PanelFind = new QWidget(PanelMain);
  PanelFind->setObjectName(QStringLiteral("PanelFind"));
  layout->addWidget(PanelFind);

  LabelPattern = new QLabel(PanelFind);
  LabelPattern->setObjectName(QStringLiteral("LabelPattern"));
  LabelPattern->setGeometry(8, 16, 175, 13);

  EditPattern = new QComboBox(PanelFind);
  EditPattern->setObjectName(QStringLiteral("EditPattern"));
  EditPattern->setEditable(true);
  // The history is kept by the settings code; Enter must not add to it.
  EditPattern->setInsertPolicy(QComboBox::NoInsert);
  EditPattern->setDuplicatesEnabled(true);
  EditPattern->setGeometry(8, 32, 209, 21);

  CheckBoxGroup = new QCheckBox(PanelFind);
  CheckBoxGroup->setObjectName(QStringLiteral("CheckBoxGroup"));
  CheckBoxGroup->setGeometry(8, 72, 175, 17);

  ComboBoxGroup = new QComboBox(PanelFind);
  ComboBoxGroup->setObjectName(QStringLiteral("ComboBoxGroup"));
  ComboBoxGroup->setEditable(false);
  ComboBoxGroup->setEnabled(false);
  ComboBoxGroup->setGeometry(8, 96, 209, 21);

  LabelWhereFind = new QLabel(PanelFind);
  LabelWhereFind->setObjectName(QStringLiteral("LabelWhereFind"));
  LabelWhereFind->setGeometry(8, 136, 175, 13);

  ListViewBoxComputers = new QTreeWidget(PanelFind);
  ListViewBoxComputers->setObjectName(QStringLiteral("ListViewBoxComputers"));
  ListViewBoxComputers->setColumnCount(1);
  ListViewBoxComputers->setHeaderHidden(true);
  ListViewBoxComputers->setIndentation(19);
  ListViewBoxComputers->setSortingEnabled(true);
  ListViewBoxComputers->sortByColumn(0, Qt::AscendingOrder);
  ListViewBoxComputers->setContextMenuPolicy(Qt::CustomContextMenu);
  ListViewBoxComputers->setGeometry(8, 152, 201, 121);

  CheckBoxSelectAll = new QCheckBox(PanelFind);
  CheckBoxSelectAll->setObjectName(QStringLiteral("CheckBoxSelectAll"));
  CheckBoxSelectAll->setGeometry(12, 280, 175, 17);

  CheckBoxInvers = new QCheckBox(PanelFind);
  CheckBoxInvers->setObjectName(QStringLiteral("CheckBoxInvers"));
  CheckBoxInvers->setGeometry(12, 296, 175, 17);

  ButtonMore = new QPushButton(PanelFind);
  ButtonMore->setObjectName(QStringLiteral("ButtonMore"));
  ButtonMore->setGeometry(64, 320, ButtonWidth, ButtonHeight);
  ButtonMore->setAutoDefault(false);

  ButtonFind = new QPushButton(PanelFind);
  ButtonFind->setObjectName(QStringLiteral("ButtonFind"));
  ButtonFind->setGeometry(144, 320, ButtonWidth, ButtonHeight);
  ButtonFind->setAutoDefault(false);

  QWidget::setTabOrder(EditPattern, CheckBoxGroup);
  QWidget::setTabOrder(CheckBoxGroup, ComboBoxGroup);
  QWidget::setTabOrder(ComboBoxGroup, ListViewBoxComputers);
  QWidget::setTabOrder(ListViewBoxComputers, CheckBoxSelectAll);
  QWidget::setTabOrder(CheckBoxSelectAll, CheckBoxInvers);
  QWidget::setTabOrder(CheckBoxInvers, ButtonMore);
  QWidget::setTabOrder(ButtonMore, ButtonFind);
}

void TFormMain::CreateLists() {
  auto* layout = static_cast<QHBoxLayout*>(PanelMain->layout());
  struct Column {
    const char* caption;
    int width;
  };
  auto make = [&](const char* name, std::initializer_list<Column> columns, bool multiSelect) {
    auto* lv = new TListView(PanelMain);
    lv->setObjectName(QString::fromLatin1(name));
    for (const Column& c : columns) lv->AddColumn(QString::fromLatin1(c.caption), c.width);
    lv->SetViewStyle(vsReport);
    lv->SetMultiSelect(multiSelect);
    layout->addWidget(lv, 1);
    return lv;
  };
  ListViewResult = make("ListViewResult",
                        {{"Name", 50}, {"Type", 100}, {"Size", 100}, {"Date", 150},
                         {"Attributes", 100}, {"Computer", 100}, {"Path", 150}},
                        true);
  ListViewLoads = make("ListViewLoads",
                       {{"Name", 100}, {"Mode", 50}, {"Complete", 70}, {"Speed", 50},
                        {"Time left", 50}, {"Source path", 150}, {"Destination path", 150}},
                       true);
  ListViewResources = make("ListViewResources",
                           {{"Name", 100}, {"IP", 100}, {"System", 100}, {"Time", 100},
                            {"Date", 100}, {"Services", 300}},
                           false);
  ListViewLoads->setVisible(false);
  ListViewResources->setVisible(false);
  // The task list shows the task-state icons by row image index.
  ListViewLoads->SetImageProvider([this](int index, bool) {
    return index >= 0 && index < ImageListSmallLoad.Count() ? ImageListSmallLoad.Images[index]
                                                            : QIcon();
  });
}

void TFormMain::CreateMainMenu() {
  MainMenu = menuBar();
  MainMenu->setObjectName(QStringLiteral("MainMenu"));

  auto item = [this](QMenu* menu, QAction*& member, const char* name, QKeySequence key = {},
                     bool enabled = true) {
    member = NewAction(this, name);
    member->setShortcut(key);
    member->setEnabled(enabled);
    menu->addAction(member);
    return member;
  };
  auto radio = [](QAction* a, QActionGroup* group) {
    a->setCheckable(true);
    group->addAction(a);
  };

  File = NewMenu(this, "File");
  MainMenu->addMenu(File);
  item(File, CopyKey, "CopyKey", QKeySequence(Qt::CTRL | Qt::Key_C));
  CopyKey->setVisible(false);
  item(File, Find, "Find", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), false);
  item(File, Open, "Open", QKeySequence(Qt::CTRL | Qt::Key_O), false);
  File->addSeparator();
  item(File, Copy, "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), false);
  // Ctrl+C belongs to the hidden CopyKey (an invisible action takes no
  // shortcut here, so a window shortcut stands in for it); Copy only shows it.
  Copy->setShortcutContext(Qt::WidgetShortcut);
  item(File, CopyTo, "CopyTo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), false);
  item(File, NewTask, "NewTask", QKeySequence(Qt::CTRL | Qt::Key_N), false);
  File->addSeparator();
  item(File, Load, "Load", QKeySequence(Qt::CTRL | Qt::Key_D));
  File->addSeparator();
  item(File, Exit, "Exit");

  Edit = NewMenu(this, "Edit");
  MainMenu->addMenu(Edit);
  item(Edit, FindFiles, "FindFiles", QKeySequence(Qt::CTRL | Qt::Key_F), false);
  Edit->addSeparator();
  item(Edit, SelectAll, "SelectAll", QKeySequence(Qt::CTRL | Qt::Key_A), false);
  item(Edit, Invert, "Invert", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), false);

  Search = NewMenu(this, "Search");
  MainMenu->addMenu(Search);
  item(Search, ScanM, "ScanM");
  item(Search, More, "More", QKeySequence(Qt::CTRL | Qt::Key_P));
  Search->addSeparator();
  item(Search, Start, "Start");
  item(Search, Pause, "Pause", {}, false);
  item(Search, Continue, "Continue", {}, false);
  item(Search, End, "End", {}, false);

  View = NewMenu(this, "View");
  MainMenu->addMenu(View);
  item(View, ResultView, "ResultView", {}, false);
  item(View, TaskView, "TaskView");
  item(View, CompView, "CompView");
  View->addSeparator();
  ViewStyleGroup = new QActionGroup(this);
  ViewStyleGroup->setObjectName(QStringLiteral("ViewStyleGroup"));
  radio(item(View, Icons, "Icons"), ViewStyleGroup);
  radio(item(View, Table, "Table"), ViewStyleGroup);
  radio(item(View, List, "List"), ViewStyleGroup);
  View->addSeparator();
  SortBy = NewMenu(this, "SortBy");
  View->addMenu(SortBy);
  SortBy->menuAction()->setEnabled(false);
  SortByGroup = new QActionGroup(this);
  SortByGroup->setObjectName(QStringLiteral("SortByGroup"));
  radio(item(SortBy, Name, "Name"), SortByGroup);
  radio(item(SortBy, Type, "Type"), SortByGroup);
  radio(item(SortBy, Size, "Size"), SortByGroup);
  radio(item(SortBy, Date, "Date"), SortByGroup);
  radio(item(SortBy, Computer, "Computer"), SortByGroup);
  radio(item(SortBy, Path, "Path"), SortByGroup);
  View->addSeparator();
  Languages = NewMenu(this, "Languages");
  View->addMenu(Languages);
  LanguageGroup = new QActionGroup(this);
  LanguageGroup->setObjectName(QStringLiteral("LanguageGroup"));
  radio(item(Languages, English, "English"), LanguageGroup);
  English->setText(QStringLiteral("English"));  // the built-in language's fixed caption
  QAction** languageSlots[] = {&L1,  &L2,  &L3,  &L4,  &L5,  &L6,  &L7,  &L8,  &L9,
                       &L10, &L11, &L12, &L13, &L14, &L15, &L16, &L17, &L19,
                       &L20, &L21, &L22, &L23, &L24, &L25, &L26, &L27};
  LanguageItems = {English};
  for (int i = 0; i < 26; ++i) {
    QAction*& slot = *languageSlots[i];
    const QByteArray name = "L" + QByteArray::number(i < 17 ? i + 1 : i + 2);  // there is no L18
    radio(item(Languages, slot, name.constData()), LanguageGroup);
    slot->setVisible(false);
    LanguageItems.append(slot);
  }

  Help = NewMenu(this, "Help");
  MainMenu->addMenu(Help);
  item(Help, TrawlixHelp, "TrawlixHelp", QKeySequence(Qt::Key_F1));
  Help->addSeparator();
  item(Help, SiteProgram, "SiteProgram");
  item(Help, Support, "Support");
  item(Help, Forum, "Forum");
  Help->addSeparator();
  item(Help, About, "About");
}

void TFormMain::CreatePopupMenus() {
  auto item = [this](QMenu* menu, QAction*& member, const char* name) {
    member = NewAction(this, name);
    menu->addAction(member);
    return member;
  };
  auto radio = [](QAction* a, QActionGroup* group) {
    a->setCheckable(true);
    group->addAction(a);
  };

  PopupMenu = NewMenu(this, "PopupMenu");
  item(PopupMenu, PFind, "PFind");
  item(PopupMenu, POpen, "POpen");
  PView = NewMenu(this, "PView");
  PopupMenu->addMenu(PView);
  PViewStyleGroup = new QActionGroup(this);
  PViewStyleGroup->setObjectName(QStringLiteral("PViewStyleGroup"));
  radio(item(PView, PIcons, "PIcons"), PViewStyleGroup);
  radio(item(PView, PTable, "PTable"), PViewStyleGroup);
  radio(item(PView, PList, "PList"), PViewStyleGroup);
  PSortby = NewMenu(this, "PSortby");
  PopupMenu->addMenu(PSortby);
  PSortByGroup = new QActionGroup(this);
  PSortByGroup->setObjectName(QStringLiteral("PSortByGroup"));
  radio(item(PSortby, PName, "PName"), PSortByGroup);
  radio(item(PSortby, PType, "PType"), PSortByGroup);
  radio(item(PSortby, PSize, "PSize"), PSortByGroup);
  radio(item(PSortby, PDate, "PDate"), PSortByGroup);
  radio(item(PSortby, PComputer, "PComputer"), PSortByGroup);
  radio(item(PSortby, PPath, "PPath"), PSortByGroup);
  PopupMenu->addSeparator();
  item(PopupMenu, PCopy, "PCopy");
  item(PopupMenu, PCopyto, "PCopyto");
  item(PopupMenu, PNewTask, "PNewTask");
  PopupMenu->addSeparator();
  item(PopupMenu, PSelectall, "PSelectall");
  PopupMenu->addSeparator();
  item(PopupMenu, PLoad, "PLoad");

  PopupMenuComps = NewMenu(this, "PopupMenuComps");
  item(PopupMenuComps, FindComp, "FindComp");
  item(PopupMenuComps, OpenComp, "OpenComp");
  PopupMenuComps->addSeparator();
  item(PopupMenuComps, CopyCompRes, "CopyCompRes");
  item(PopupMenuComps, CopyToCompRes, "CopyToCompRes");
  item(PopupMenuComps, NewTaskCompRes, "NewTaskCompRes");
  PopupMenuComps->addSeparator();
  item(PopupMenuComps, SelectAllComp, "SelectAllComp");
  item(PopupMenuComps, InvertComp, "InvertComp");
  SelectAllComp->setCheckable(true);
  InvertComp->setCheckable(true);

  PopupMenuTasks = NewMenu(this, "PopupMenuTasks");
  item(PopupMenuTasks, PTaskStart, "PTaskStart");
  item(PopupMenuTasks, PTaskDelete, "PTaskDelete");
  PopupMenuTasks->addSeparator();
  item(PopupMenuTasks, PTaskEdit, "PTaskEdit");

  ListViewResult->SetPopupMenu(PopupMenu);
  ListViewLoads->SetPopupMenu(PopupMenuTasks);
}

void TFormMain::ConnectHandlers() {
  using Handler = void (TFormMain::*)(QObject*);
  auto on = [this](QAction* a, Handler h) {
    connect(a, &QAction::triggered, this, [this, a, h] { (this->*h)(a); });
  };
  // tool bar
  on(ToolButtonCopy, &TFormMain::CopyClick);
  on(ToolButtonCopyTo, &TFormMain::CopytoClick);
  on(ToolButtonNewTask, &TFormMain::NewTaskClick);
  on(ToolButtonLoad, &TFormMain::LoadClick);
  on(ToolButtonScan, &TFormMain::SpeedButtonScanClick);
  on(ToolButtonMore, &TFormMain::ButtonMoreClick);
  on(ToolButtonFind, &TFormMain::ButtonFindClick);
  on(ToolButtonPause, &TFormMain::ButtonStopClick);
  on(ToolButtonContinue, &TFormMain::ButtonContinueClick);
  on(ToolButtonEnd, &TFormMain::ButtonEndClick);
  on(ToolButtonFindList, &TFormMain::ToolButtonFindListClick);
  on(ToolButtonLoadList, &TFormMain::ToolButtonLoadListClick);
  on(ToolButtonResources, &TFormMain::ToolButtonResourcesClick);
  on(ToolButtonHelp, &TFormMain::TrawlixHelpClick);
  // main menu
  on(CopyKey, &TFormMain::CopyClick);
  auto* copyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_C), this);
  copyKey->setObjectName(QStringLiteral("CopyKeyShortcut"));
  connect(copyKey, &QShortcut::activated, this, [this] { CopyClick(CopyKey); });
  on(Find, &TFormMain::FindClick);
  on(Open, &TFormMain::OpenClick);
  on(Copy, &TFormMain::CopyClick);
  on(CopyTo, &TFormMain::CopytoClick);
  on(NewTask, &TFormMain::NewTaskClick);
  on(Load, &TFormMain::LoadClick);
  on(Exit, &TFormMain::ExitClick);
  on(FindFiles, &TFormMain::FindFilesClick);
  on(SelectAll, &TFormMain::SelectallClick);
  on(Invert, &TFormMain::InvertClick);
  on(ScanM, &TFormMain::SpeedButtonScanClick);
  on(More, &TFormMain::ButtonMoreClick);
  on(Start, &TFormMain::ButtonFindClick);
  on(Pause, &TFormMain::ButtonStopClick);
  on(Continue, &TFormMain::ButtonContinueClick);
  on(End, &TFormMain::ButtonEndClick);
  on(ResultView, &TFormMain::ToolButtonFindListClick);
  on(TaskView, &TFormMain::ToolButtonLoadListClick);
  on(CompView, &TFormMain::ToolButtonResourcesClick);
  on(Icons, &TFormMain::IconsClick);
  on(Table, &TFormMain::TableClick);
  on(List, &TFormMain::ListClick);
  on(Name, &TFormMain::NameClick);
  on(Type, &TFormMain::TypeClick);
  on(Size, &TFormMain::SizeClick);
  on(Date, &TFormMain::DateClick);
  on(Computer, &TFormMain::ComputerClick);
  on(Path, &TFormMain::PathClick);
  for (QAction* a : LanguageItems) on(a, &TFormMain::LngClick);
  on(TrawlixHelp, &TFormMain::TrawlixHelpClick);
  on(SiteProgram, &TFormMain::SiteProgramClick);
  on(Support, &TFormMain::SupportClick);
  on(Forum, &TFormMain::ForumClick);
  on(About, &TFormMain::AboutClick);
  // result list pop-up
  connect(PopupMenu, &QMenu::aboutToShow, this, [this] { PopupMenuPopup(PopupMenu); });
  on(PFind, &TFormMain::FindClick);
  on(POpen, &TFormMain::OpenClick);
  on(PIcons, &TFormMain::IconsClick);
  on(PTable, &TFormMain::TableClick);
  on(PList, &TFormMain::ListClick);
  on(PName, &TFormMain::NameClick);
  on(PType, &TFormMain::TypeClick);
  on(PSize, &TFormMain::SizeClick);
  on(PDate, &TFormMain::DateClick);
  on(PComputer, &TFormMain::ComputerClick);
  on(PPath, &TFormMain::PathClick);
  on(PCopy, &TFormMain::CopyClick);
  on(PCopyto, &TFormMain::CopytoClick);
  on(PNewTask, &TFormMain::NewTaskClick);
  on(PSelectall, &TFormMain::SelectallClick);
  on(PLoad, &TFormMain::LoadClick);
  // computers tree pop-up
  connect(PopupMenuComps, &QMenu::aboutToShow, this,
          [this] { PopupMenuCompsPopup(PopupMenuComps); });
  on(FindComp, &TFormMain::FindCompClick);
  on(OpenComp, &TFormMain::OpenCompClick);
  on(CopyCompRes, &TFormMain::CopyCompResClick);
  on(CopyToCompRes, &TFormMain::CopyToCompResClick);
  on(NewTaskCompRes, &TFormMain::NewTaskCompResClick);
  on(SelectAllComp, &TFormMain::SelectAllCompClick);
  on(InvertComp, &TFormMain::InvertCompClick);
  // task list pop-up
  connect(PopupMenuTasks, &QMenu::aboutToShow, this,
          [this] { PopupMenuTasksPopup(PopupMenuTasks); });
  on(PTaskStart, &TFormMain::PTaskStartClick);
  on(PTaskDelete, &TFormMain::PTaskDeleteClick);
  on(PTaskEdit, &TFormMain::PTaskEditClick);

  // search panel (a check box's click also follows a change made by code)
  connect(CheckBoxGroup, &QCheckBox::toggled, this, [this] { CheckBoxGroupClick(CheckBoxGroup); });
  connect(ComboBoxGroup, &QComboBox::activated, this,
          [this] { ComboBoxGroupChange(ComboBoxGroup); });
  connect(CheckBoxSelectAll, &QCheckBox::toggled, this,
          [this] { CheckBoxSelectAllClick(CheckBoxSelectAll); });
  connect(CheckBoxInvers, &QCheckBox::toggled, this,
          [this] { CheckBoxInversClick(CheckBoxInvers); });
  connect(ButtonMore, &QPushButton::clicked, this, [this] { ButtonMoreClick(ButtonMore); });
  connect(ButtonFind, &QPushButton::clicked, this, [this] { ButtonFindClick(ButtonFind); });
  EditPattern->lineEdit()->installEventFilter(this);
  // Typed keys reach the box itself (its field's focus proxy), not the field's filters.
  EditPattern->installEventFilter(this);
  ListViewBoxComputers->viewport()->installEventFilter(this);
  connect(ListViewBoxComputers, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    PopupMenuComps->popup(ListViewBoxComputers->viewport()->mapToGlobal(p));
  });

  // lists
  connect(ListViewResult, &TListView::SelectionChanged, this,
          [this] { ListViewResultSelectItem(ListViewResult, ListViewResult->FirstSelected(), true); });
  connect(ListViewResult, &TListView::ColumnClick, this,
          [this](int column) { ListViewResultColumnClick(ListViewResult, column); });
  connect(ListViewResult, &TListView::ItemDoubleClicked, this,
          [this](int) { ListViewResultDblClick(ListViewResult); });
  connect(ListViewResult, &TListView::KeyPressed, this, [this](int key) {
    QChar c = key == Qt::Key_Return || key == Qt::Key_Enter ? QChar(13)
              : key == Qt::Key_Escape                       ? QChar(27)
              : key > 0 && key < 0x80                       ? QChar(key)
                                                            : QChar();
    if (!c.isNull()) ListViewResultKeyPress(ListViewResult, c);
  });
  for (QWidget* w : ListViewResult->findChildren<QWidget*>()) w->installEventFilter(this);
  // The list gets or loses the input focus as a whole.
  FFocusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
    const bool wasIn = IsInside(old, ListViewResult);
    const bool isIn = IsInside(now, ListViewResult);
    if (!wasIn && isIn) ListViewResultEnter(ListViewResult);
    if (wasIn && !isIn) ListViewResultExit(ListViewResult);
  });
  connect(ListViewLoads, &TListView::ItemDoubleClicked, this,
          [this](int) { ListViewLoadsDblClick(ListViewLoads); });
}

// ---------------------------------------------------------------- events

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (EditPattern && (watched == EditPattern->lineEdit() || watched == EditPattern) &&
      event->type() == QEvent::KeyPress) {
    QChar key = KeyChar(static_cast<QKeyEvent*>(event));
    if (!key.isNull()) {
      EditSearchKeyPress(EditPattern, key);
      if (key.isNull()) return true;  // the handler swallowed the key
    }
    return false;
  }
  if (ListViewBoxComputers && watched == ListViewBoxComputers->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
    if (FInTreePress) return false;
    // The tree handles the press first (selection, check box), then the handler runs.
    // A check box changes only on the release, so the handler runs again then.
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint at = me->position().toPoint();
    const Qt::MouseButton button = me->button();
    const Qt::KeyboardModifiers mods = me->modifiers();
    FInTreePress = true;
    QCoreApplication::sendEvent(watched, event);
    FInTreePress = false;
    ListViewBoxComputersMouseDown(ListViewBoxComputers, button, mods, at.x(), at.y());
    return true;
  }
  if (ListViewResult && watched->isWidgetType() && IsInside(watched, ListViewResult)) {
    switch (event->type()) {
      case QEvent::MouseButtonRelease:
        ListViewResultClick(ListViewResult);
        break;
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFormMain::paintEvent(QPaintEvent* event) {
  QMainWindow::paintEvent(event);
  // After the paint, the window procedure sees WM_PAINT and sends itself
  // WM_START_SCAN; queued so that nothing long runs inside the paint.
  QMetaObject::invokeMethod(
      this,
      [this] {
        TMessage m{WM_PAINT, 0, 0, 0};
        WndProc(m);
      },
      Qt::QueuedConnection);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize(this);
}

void TFormMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow(this);
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (FExiting) {  // the Exit command ends the loop without the close path
    event->accept();
    return;
  }
  bool canClose = true;
  FormCloseQuery(this, canClose);
  if (!canClose) {
    event->ignore();
    return;
  }
  TCloseAction action = caHide;
  FormClose(this, action);
  event->accept();
  Application::Terminate();
}

// ---------------------------------------------------------------- start-up

void TFormMain::FormCreate(QObject*) {
  // The three lists fill PanelMain beside the search panel (its layout).
  ListViewBoxComputers->clear();
  // Check boxes are given per node as state images (platform/ui/TreeChecks.h).
  QApplication::setWindowIcon(windowIcon());
  ProgramDir = FileSystem::GetCurrentDir();
  SetSize();
  if (LoadSettings() != 0) {
    Modal::MessageBox(TextLanguageNoSettings, TextErrorsError);
    Application::Terminate();
    return;
  }
  LoadGroups();
  LoadPatterns();
  FillLanguageMenu();
  CurrentLanguage =
      SettingsIni->ReadString(QStringLiteral("General"), QStringLiteral("Language"),
                              QStringLiteral("English"));
  // The shell's small and large system images serve the result rows' icon indexes.
  ListViewResult->SetImageProvider(SystemIcons::ImageProvider());
  for (bool& d : SortDescending) d = true;
}

void TFormMain::FormShow(QObject*) {
  LoadToolbarImages();
  StatusBar->SetPanelText(0, QString());
  LoadLanguage(CurrentLanguage);
  for (QAction* a : LanguageItems) {
    if (a->isVisible() && a->text() == CurrentLanguage) {
      a->setChecked(true);
      break;
    }
  }
  LoadTasks();
}

void TFormMain::FormResize(QObject*) { SetSize(); }

int TFormMain::OuterWidth() const {
  const int frame = frameGeometry().width();
  return frame > 0 ? frame : width();
}

void TFormMain::SetSize() {
  const int w = OuterWidth();
  const int panelWidth = w / 4;
  PanelFind->setFixedWidth(panelWidth);
  const int controlWidth = panelWidth - 16;
  for (QWidget* c : {static_cast<QWidget*>(LabelPattern), static_cast<QWidget*>(EditPattern),
                     static_cast<QWidget*>(CheckBoxGroup), static_cast<QWidget*>(ComboBoxGroup),
                     static_cast<QWidget*>(LabelWhereFind),
                     static_cast<QWidget*>(ListViewBoxComputers),
                     static_cast<QWidget*>(CheckBoxSelectAll), static_cast<QWidget*>(CheckBoxInvers)})
    SetWidth(c, controlWidth);
  ButtonMore->move(panelWidth - ButtonMore->width() - ButtonFind->width() - 16, ButtonMore->y());
  ButtonFind->move(panelWidth - ButtonMore->width() - 8, ButtonFind->y());
  StatusBar->SetPanelWidth(0, w - StatusBar->PanelWidth(1) - StatusBar->PanelWidth(2));
}

// ---------------------------------------------------------------- messages

void TFormMain::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      SendMessage(this, WM_START_SCAN, 0, 0);
      break;
    case WM_START_SCAN:
      if (FFirstPaint) {
        FFirstPaint = false;
        SpeedButtonScanClick(this);
      }
      break;
    default:
      Dispatch(Message);
  }
}

void TFormMain::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_FILE_EXISTS:
      WMFileExists(Message);
      break;
    case WM_COPY_ERROR:
      WMCopyError(Message);
      break;
    case WM_COPY_FINISHED:
      WMCopyFinished(Message);
      break;
    case WM_OPERATION_STARTED:
      WMOperationStarted(Message);
      break;
    case WM_PAINT:
    case WM_START_SCAN:
      WndProc(Message);  // what the window procedure answers
      break;
    default:
      break;  // nothing else is answered; the result stays 0
  }
}

namespace {

// A copy worker's question: a fresh dialog for each, shown modally while the
// worker waits, and freed when answered.
template <class TDialog>
void AskForWorker(QWidget* window, TDialog*& global, const TMessage& Message) {
  QApplication::alert(window);
  std::unique_ptr<TDialog> dialog(new TDialog(nullptr));
  global = dialog.get();
  dialog->FThread = reinterpret_cast<TCopyFiles*>(Message.WParam);
  Modal::ShowModal(dialog.get());
}

}  // namespace

void TFormMain::WMFileExists(TMessage& Message) { AskForWorker(this, FormFileExists, Message); }

void TFormMain::WMCopyError(TMessage& Message) { AskForWorker(this, FormErrorInCopy, Message); }

void TFormMain::WMCopyFinished(TMessage& Message) {
  if (FActiveOperations > 0) --FActiveOperations;
  if (Message.LParam != 0) {
    const bool keep = Modal::Confirm(TextMessagesEndLoad);
    auto* form = reinterpret_cast<TFormCopy*>(Message.WParam);
    // A cancelled copy may come without a window or worker; nothing to tell then.
    if (form && form->FCopyThread) form->FCopyThread->FKeepPartial = keep;
  }
}

void TFormMain::WMOperationStarted(TMessage&) { ++FActiveOperations; }

// ---------------------------------------------------------------- shutdown

void TFormMain::FormCloseQuery(QObject*, bool& CanClose) {
  if (FActiveOperations <= 0) return;
  CanClose = Modal::Confirm(TextMessagesClose);
}

void TFormMain::FormClose(QObject*, TCloseAction&) {
  // A file that cannot be written is reported, and the close goes on: the
  // tasks are still saved and the program still ends.
  try {
    SaveSettings();
  } catch (...) {
    Modal::ShowException(Application::ExceptionText(std::current_exception()));
  }
  try {
    SaveTasks();
  } catch (...) {
    Modal::ShowException(Application::ExceptionText(std::current_exception()));
  }
}

void TFormMain::ExitClick(QObject*) {
  FExiting = true;
  Application::Terminate();
}
