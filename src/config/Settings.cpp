#include "config/Settings.h"

#include <QAction>
#include <QComboBox>
#include <algorithm>

#include "app/Main.h"
#include "config/En_language.h"
#include "platform/fs/FileSystem.h"
#include "platform/ui/ListView.h"
#include "platform/fs/WinPath.h"

std::unique_ptr<TIniFile> SettingsIni;
QString ProgramDir;

namespace {

const QString General = QStringLiteral("General");
const QString Patterns = QStringLiteral("Patterns");
const QString PatternPrefix = QStringLiteral("Pattern");

struct TColumnKey {
  const char* key;
  int def;
};

// Keys in column order. In LoadHeaderPos the key follows the column's
// position, not its caption: column 2 ("Complete") is stored as Speed and
// column 3 ("Speed") as Complete, the same way both directions.
constexpr TColumnKey MainHeaderKeys[] = {{"Name", 50},   {"Type", 100},     {"Size", 100}, {"Date", 150},
                                         {"Attr", 100},  {"Computer", 100}, {"Path", 150}};
constexpr TColumnKey LoadHeaderKeys[] = {{"Name", 100},    {"Mode", 50},    {"Speed", 70},
                                         {"Complete", 50}, {"TimeLeft", 50}, {"Source", 150},
                                         {"Destination", 150}};
constexpr TColumnKey ResHeaderKeys[] = {{"Name", 100}, {"Ip", 100},   {"System", 100},
                                        {"Time", 100}, {"Date", 100}, {"Services", 300}};

// Widths beyond this are no real column; they would only upset the list.
constexpr int MaxColumnWidth = 10000;

template <size_t N>
void LoadWidths(TListView* list, const char* section, const TColumnKey (&keys)[N]) {
  for (size_t i = 0; i < N; ++i) {
    int w = SettingsIni->ReadInteger(QString::fromLatin1(section), QString::fromLatin1(keys[i].key),
                                     keys[i].def);
    // A width of 0 or below would hide the column beyond the user's reach.
    if (w <= 0 || w > MaxColumnWidth) w = keys[i].def;
    if (list && static_cast<int>(i) < list->ColumnCount()) list->SetColumnWidth(static_cast<int>(i), w);
  }
}

template <size_t N>
void SaveWidths(const TListView* list, const char* section, const TColumnKey (&keys)[N]) {
  for (size_t i = 0; i < N; ++i) {
    const int w = list && static_cast<int>(i) < list->ColumnCount() ? list->ColumnWidth(static_cast<int>(i))
                                                                     : keys[i].def;
    SettingsIni->WriteInteger(QString::fromLatin1(section), QString::fromLatin1(keys[i].key), w);
  }
}

// Case-insensitive order, ties broken by the exact text so the order is total.
int CompareMasks(const QString& a, const QString& b) {
  const int c = QString::compare(a, b, Qt::CaseInsensitive);
  return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
}

void CheckViewStyle(QAction* menuItem, QAction* popupItem) {
  if (menuItem) menuItem->setChecked(true);
  if (popupItem) popupItem->setChecked(true);
}

}  // namespace

int SortedComboAdd(QComboBox* combo, const QString& text) {
  const QString editText = combo->currentText();
  const int oldIndex = combo->currentIndex();
  int at = combo->count();
  for (int i = 0; i < combo->count(); ++i) {
    if (CompareMasks(combo->itemText(i), text) > 0) {
      at = i;
      break;
    }
  }
  combo->insertItem(at, text);
  // Adding to the list never changes what the edit field shows.
  if (oldIndex < 0 && combo->currentIndex() >= 0) combo->setCurrentIndex(-1);
  if (combo->isEditable() && combo->currentText() != editText) combo->setEditText(editText);
  return at;
}

int ComboIndexOfText(const QComboBox* combo, const QString& text) {
  for (int i = 0; i < combo->count(); ++i)
    if (QString::compare(combo->itemText(i), text, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

int LoadSettings() {
  const QString path = WinPath::IncludeTrailingBackslash(ProgramDir) + QStringLiteral("settings.ini");
  if (!FileSystem::FileExists(path)) return 1;
  SettingsIni = std::make_unique<TIniFile>(path);
  if (!FormMain) return 0;
  const TIniBatch readOnce(*SettingsIni);

  const bool max = SettingsIni->ReadBool(General, QStringLiteral("WindowMax"), true);
  const Qt::WindowStates state = FormMain->windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
  FormMain->setWindowState(max ? state | Qt::WindowMaximized : state);

  switch (SettingsIni->ReadInteger(General, QStringLiteral("ViewStyle"), 1)) {
    case 0:
      FormMain->ListViewResult->SetViewStyle(vsIcon);
      CheckViewStyle(FormMain->Icons, FormMain->PIcons);
      break;
    case 2:
      FormMain->ListViewResult->SetViewStyle(vsList);
      CheckViewStyle(FormMain->List, FormMain->PList);
      break;
    default:
      FormMain->ListViewResult->SetViewStyle(vsReport);
      CheckViewStyle(FormMain->Table, FormMain->PTable);
      break;
  }

  LoadWidths(FormMain->ListViewResult, "MainHeaderPos", MainHeaderKeys);
  LoadWidths(FormMain->ListViewLoads, "LoadHeaderPos", LoadHeaderKeys);
  LoadWidths(FormMain->ListViewResources, "ResHeaderPos", ResHeaderKeys);
  return 0;
}

void SaveSettings() {
  if (!SettingsIni || !FormMain) return;
  // All keys reach the file in one replacement of it: an interrupted exit
  // leaves the old settings or the new ones, never some of each.
  TIniBatch batch(*SettingsIni);
  const Qt::WindowStates state = FormMain->windowState();
  const bool max = (state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized);
  SettingsIni->WriteBool(General, QStringLiteral("WindowMax"), max);
  int style = 1;
  switch (FormMain->ListViewResult->ViewStyle()) {
    case vsIcon:
      style = 0;
      break;
    case vsList:
      style = 2;
      break;
    default:
      style = 1;
      break;
  }
  SettingsIni->WriteInteger(General, QStringLiteral("ViewStyle"), style);
  SettingsIni->WriteString(General, QStringLiteral("Language"), CurrentLanguage);
  SaveWidths(FormMain->ListViewResult, "MainHeaderPos", MainHeaderKeys);
  SaveWidths(FormMain->ListViewLoads, "LoadHeaderPos", LoadHeaderKeys);
  SaveWidths(FormMain->ListViewResources, "ResHeaderPos", ResHeaderKeys);
  batch.Commit();
}

void LoadPatterns() {
  if (!SettingsIni || !FormMain) return;
  QComboBox* combo = FormMain->EditPattern;
  const QString editText = combo->currentText();
  QStringList masks;
  {
    const TIniBatch readOnce(*SettingsIni);
    // Every entry, however long the history: the next search start writes
    // back the list, and an entry not listed here would be lost there.
    for (const QString& key : SettingsIni->ReadAllKeys(Patterns))
      masks.append(SettingsIni->ReadString(Patterns, key, QString()));
  }
  // The sorted places SortedComboAdd gives, one by one: equal masks keep
  // their file order.
  std::stable_sort(masks.begin(), masks.end(),
                   [](const QString& a, const QString& b) { return CompareMasks(a, b) < 0; });
  combo->clear();
  combo->addItems(masks);
  combo->setCurrentIndex(-1);
  combo->setEditText(editText);
}

void SavePatterns() {
  if (!SettingsIni || !FormMain) return;
  QComboBox* combo = FormMain->EditPattern;
  // The history is erased and written anew in one replacement of the file.
  TIniBatch batch(*SettingsIni);
  SettingsIni->EraseSection(Patterns);
  const int n = combo->count();
  for (int i = 0; i < n; ++i)
    SettingsIni->WriteString(Patterns, PatternPrefix + QString::number(i + 1), combo->itemText(i));
  const QString text = combo->currentText();
  const bool isNew = ComboIndexOfText(combo, text) < 0;
  if (isNew) SettingsIni->WriteString(Patterns, PatternPrefix + QString::number(n + 1), text);
  batch.Commit();
  if (isNew) combo->setCurrentIndex(SortedComboAdd(combo, text));
}
