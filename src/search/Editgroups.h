#pragma once
// File-type groups: named lists of file types kept in section Groups of the
// settings file (key = group name, value = the types as typed, separated by
// commas and/or blanks), the items of the main window's group combo box, and
// the modal editor in which groups are created, renamed, edited and deleted.
//
// The section changes only when the editor's Apply or Ok writes it anew; the
// combo box follows it on Ok, Cancel and every language change.
#include <QDialog>
#include <QString>
#include <QStringList>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

class TFormEditGroup : public QDialog {
  Q_OBJECT
 public:
  explicit TFormEditGroup(QWidget* Owner = nullptr);
  ~TFormEditGroup() override;

  // ---- controls (object names equal the member names) ----
  QListWidget* ListBoxGroups = nullptr;
  QPushButton* ButtonNew = nullptr;
  QPushButton* ButtonDelete = nullptr;
  QGroupBox* GroupBoxEdit = nullptr;
  QLabel* LabelName = nullptr;
  QLineEdit* EditName = nullptr;
  QLabel* LabelContents = nullptr;
  QLineEdit* EditContents = nullptr;
  QMenu* PopupMenuEditGroup = nullptr;  // context menu of the list
  QAction* New = nullptr;
  QAction* Delete = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonApply = nullptr;
  QPushButton* ButtonCancel = nullptr;  // also Esc and the close box

  // ---- handlers ----
  // Loads the editor from section Groups (at creation and at every showing).
  void FormCreate(QObject* Sender = nullptr);
  // Keeps the edits of the group shown so far and shows the selected one.
  void ListBoxGroupsClick(QObject* Sender = nullptr);
  // Writes section Groups anew. Refuses, with a message and without writing,
  // a group name that could not be read back as the same group.
  void ButtonApplyClick(QObject* Sender = nullptr);
  void ButtonOkClick(QObject* Sender = nullptr);
  void ButtonCancelClick(QObject* Sender = nullptr);
  // Right click at `pos` (list viewport coordinates): selects the group
  // under the mouse and pops the context menu up there.
  void ListBoxGroupsContextPopup(QObject* Sender, const QPoint& pos);
  // Adds a group with the first free name group1, group2, ...
  void NewClick(QObject* Sender = nullptr);
  // Deletes the selected group.
  void DeleteClick(QObject* Sender = nullptr);

  // The line selected in ListBoxGroups; -1 when none.
  int SelectedIndex() const;

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Selects a line (-1: none) without it counting as the user's click.
  void SelectLine(int index);
  // The edit boxes and their labels enabled, or emptied and disabled.
  void EnableEdits(bool enabled);
  // Writes the section; false when a name was refused or the file not written.
  bool ApplyGroups();
  bool FSelecting = false;
};

extern TFormEditGroup* FormEditGroup;

// The editor's lists, for as long as it is shown: the group names (one per
// line of ListBoxGroups, same order) and their types texts (same index), and
// the index of the group shown in the edit boxes (-1: none).
extern QStringList GroupNames;
extern QStringList GroupContents;
extern int EditedGroupIndex;

// Gives the window its built-in English captions.
void SetEnglishEditGroup();

// Refills the main window's group combo box from section Groups: one item
// per group, then the item TextGroupsEdit. A group chosen before stays
// chosen when it is still there.
void LoadGroups();

// The combo box item of a group: name + " (" + types + ")".
QString GroupComboItem(const QString& name, const QString& types);
