#include "search/Editgroups.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/Main.h"
#include "config/En_language.h"
#include "config/Settings.h"
#include "platform/ui/Modal.h"

TFormEditGroup* FormEditGroup = nullptr;
QStringList GroupNames;
QStringList GroupContents;
int EditedGroupIndex = -1;

namespace {

const QString kSection = QStringLiteral("Groups");

QPushButton* NewButton(QWidget* parent, const char* name, int left, int top) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(left, top, 75, 25);
  // Enter in an edit box must not close the editor behind the user's back.
  b->setAutoDefault(false);
  return b;
}

QLabel* NewLabel(QWidget* parent, const char* name, int left, int top, int width) {
  auto* l = new QLabel(parent);
  l->setObjectName(QLatin1String(name));
  l->setGeometry(left, top, width, 13);
  return l;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, int left, int top, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QLatin1String(name));
  e->setGeometry(left, top, width, 21);
  return e;
}

// Why a group name would not read back from the settings file as the same
// group; empty when it would.
QString NameProblem(const QString& name, const QStringList& earlier) {
  if (name.isEmpty()) return TextGroupsNoName;
  if (name.contains(u'=') || name.startsWith(u'[') || name.startsWith(u';')) return TextGroupsBadName;
  // Key names compare without regard to letter case: two such groups would
  // end as one.
  if (earlier.contains(name, Qt::CaseInsensitive)) return TextGroupsExists;
  return QString();
}

}  // namespace

QString GroupComboItem(const QString& name, const QString& types) {
  return name + QStringLiteral(" (") + types + u')';
}

void LoadGroups() {
  if (!SettingsIni || !FormMain || !FormMain->ComboBoxGroup) return;
  QComboBox* combo = FormMain->ComboBoxGroup;
  // A refill (a language change, the editor closed) keeps the group chosen,
  // so that a restart of a running group search still finds it.
  const int old = combo->currentIndex();
  const QString chosen = (old >= 0 && old < combo->count() - 1) ? combo->itemText(old) : QString();
  const QSignalBlocker quiet(combo);
  combo->clear();
  const TIniBatch readOnce(*SettingsIni);
  for (const QString& key : SettingsIni->ReadSection(kSection))
    combo->addItem(GroupComboItem(key, SettingsIni->ReadString(kSection, key, QString())));
  combo->addItem(TextGroupsEdit);
  int index = chosen.isEmpty() ? -1 : combo->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= combo->count() - 1) index = -1;
  // A drop-down list offers no choice until the user makes one.
  combo->setCurrentIndex(index);
}

TFormEditGroup::TFormEditGroup(QWidget* Owner) : QDialog(Owner) {
  // The global is set first, as the start-up code of other modules reads it.
  FormEditGroup = this;
  setObjectName(QStringLiteral("FormEditGroup"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(481, 191);
  setModal(true);

  ListBoxGroups = new QListWidget(this);
  ListBoxGroups->setObjectName(QStringLiteral("ListBoxGroups"));
  ListBoxGroups->setGeometry(8, 8, 153, 145);
  ListBoxGroups->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBoxGroups->setContextMenuPolicy(Qt::CustomContextMenu);
  ButtonNew = NewButton(this, "ButtonNew", 8, 160);
  ButtonDelete = NewButton(this, "ButtonDelete", 86, 160);

  GroupBoxEdit = new QGroupBox(this);
  GroupBoxEdit->setObjectName(QStringLiteral("GroupBoxEdit"));
  GroupBoxEdit->setGeometry(168, 8, 305, 145);
  LabelName = NewLabel(GroupBoxEdit, "LabelName", 12, 22, 281);
  EditName = NewEdit(GroupBoxEdit, "EditName", 12, 38, 281);
  LabelContents = NewLabel(GroupBoxEdit, "LabelContents", 12, 74, 281);
  EditContents = NewEdit(GroupBoxEdit, "EditContents", 12, 90, 281);

  PopupMenuEditGroup = new QMenu(this);
  PopupMenuEditGroup->setObjectName(QStringLiteral("PopupMenuEditGroup"));
  New = PopupMenuEditGroup->addAction(QString());
  New->setObjectName(QStringLiteral("New"));
  PopupMenuEditGroup->addSeparator();
  Delete = PopupMenuEditGroup->addAction(QString());
  Delete->setObjectName(QStringLiteral("Delete"));

  ButtonOk = NewButton(this, "ButtonOk", 232, 160);
  ButtonApply = NewButton(this, "ButtonApply", 314, 160);
  ButtonCancel = NewButton(this, "ButtonCancel", 396, 160);

  connect(ListBoxGroups, &QListWidget::itemSelectionChanged, this, [this] {
    if (!FSelecting) ListBoxGroupsClick(ListBoxGroups);
  });
  connect(ListBoxGroups, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { ListBoxGroupsContextPopup(ListBoxGroups, pos); });
  connect(ButtonNew, &QPushButton::clicked, this, [this] { NewClick(ButtonNew); });
  connect(New, &QAction::triggered, this, [this] { NewClick(New); });
  connect(ButtonDelete, &QPushButton::clicked, this, [this] { DeleteClick(ButtonDelete); });
  connect(Delete, &QAction::triggered, this, [this] { DeleteClick(Delete); });
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
  connect(ButtonApply, &QPushButton::clicked, this, [this] { ButtonApplyClick(ButtonApply); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });

  FormCreate(this);
}

TFormEditGroup::~TFormEditGroup() {
  if (FormEditGroup == this) FormEditGroup = nullptr;
}

void TFormEditGroup::showEvent(QShowEvent* event) {
  // Every showing starts from the stored groups: edits not applied are gone.
  FormCreate(this);
  QDialog::showEvent(event);
}

void TFormEditGroup::reject() { ButtonCancelClick(ButtonCancel); }

int TFormEditGroup::SelectedIndex() const {
  const QList<QListWidgetItem*> selected = ListBoxGroups->selectedItems();
  return selected.isEmpty() ? -1 : ListBoxGroups->row(selected.first());
}

void TFormEditGroup::SelectLine(int index) {
  FSelecting = true;
  if (index < 0) {
    ListBoxGroups->clearSelection();
    ListBoxGroups->setCurrentRow(-1);
  } else {
    ListBoxGroups->setCurrentRow(index);
  }
  FSelecting = false;
}

void TFormEditGroup::EnableEdits(bool enabled) {
  if (!enabled) {
    EditName->clear();
    EditContents->clear();
  }
  for (QWidget* w : {static_cast<QWidget*>(EditName), static_cast<QWidget*>(EditContents),
                     static_cast<QWidget*>(LabelName), static_cast<QWidget*>(LabelContents)})
    w->setEnabled(enabled);
}

void TFormEditGroup::FormCreate(QObject*) {
  if (CurrentLanguage == QLatin1String("English")) SetEnglishEditGroup();
  FSelecting = true;
  ListBoxGroups->clear();
  FSelecting = false;
  GroupNames.clear();
  GroupContents.clear();
  EditedGroupIndex = -1;
  if (SettingsIni) {
    const TIniBatch readOnce(*SettingsIni);
    for (const QString& key : SettingsIni->ReadSection(kSection)) {
      GroupNames.append(key);
      GroupContents.append(SettingsIni->ReadString(kSection, key, QString()));
      ListBoxGroups->addItem(key);
    }
  }
  if (!GroupNames.isEmpty()) {
    SelectLine(0);
    ButtonDelete->setEnabled(true);
    EnableEdits(true);
    EditName->setText(GroupNames[0]);
    EditContents->setText(GroupContents[0]);
    EditedGroupIndex = 0;
  } else {
    ButtonDelete->setEnabled(false);
    EnableEdits(false);
  }
}

void TFormEditGroup::ListBoxGroupsClick(QObject*) {
  if (EditedGroupIndex >= 0 && EditedGroupIndex < GroupNames.size()) {
    GroupNames[EditedGroupIndex] = EditName->text();
    ListBoxGroups->item(EditedGroupIndex)->setText(EditName->text());
    GroupContents[EditedGroupIndex] = EditContents->text();
  }
  const int selected = SelectedIndex();
  if (selected >= 0) {
    EditName->setText(GroupNames[selected]);
    EditContents->setText(GroupContents[selected]);
    EditedGroupIndex = selected;
    ButtonDelete->setEnabled(true);
    EnableEdits(true);
  } else {
    EditedGroupIndex = -1;
    ButtonDelete->setEnabled(false);
    EnableEdits(false);
  }
}

bool TFormEditGroup::ApplyGroups() {
  if (!SettingsIni) return true;
  // The edit boxes belong to the group they show, which is the selected one.
  if (EditedGroupIndex >= 0 && EditedGroupIndex < GroupNames.size()) {
    // Blanks around a name do not survive the settings file; drop them now.
    const QString name = EditName->text().trimmed();
    if (name != EditName->text()) EditName->setText(name);
    GroupNames[EditedGroupIndex] = name;
    GroupContents[EditedGroupIndex] = EditContents->text();
    ListBoxGroups->item(EditedGroupIndex)->setText(name);
  }
  for (int i = 0; i < GroupNames.size(); ++i) {
    GroupNames[i] = GroupNames[i].trimmed();
    ListBoxGroups->item(i)->setText(GroupNames[i]);
    const QString problem = NameProblem(GroupNames[i], GroupNames.mid(0, i));
    if (problem.isEmpty()) continue;
    // Show the group at fault so that the user can put it right.
    SelectLine(i);
    ListBoxGroupsClick(ListBoxGroups);
    EditName->setFocus();
    Modal::MessageBox(problem, TextErrorsEnter);
    return false;
  }
  try {
    // The groups are erased and written anew in one replacement of the file.
    TIniBatch batch(*SettingsIni);
    SettingsIni->EraseSection(kSection);
    for (int i = 0; i < GroupNames.size(); ++i) SettingsIni->WriteString(kSection, GroupNames[i], GroupContents[i]);
    batch.Commit();
  } catch (const EIniFileException& e) {
    Modal::MessageBox(QString::fromUtf8(e.what()), TextErrorsError);
    return false;
  }
  return true;
}

void TFormEditGroup::ButtonApplyClick(QObject*) { ApplyGroups(); }

void TFormEditGroup::ButtonOkClick(QObject*) {
  // Nothing refused or unwritten is thrown away: the editor stays open.
  if (!ApplyGroups()) return;
  done(QDialog::Accepted);
  LoadGroups();
}

void TFormEditGroup::ButtonCancelClick(QObject*) {
  LoadGroups();
  done(QDialog::Rejected);
}

void TFormEditGroup::ListBoxGroupsContextPopup(QObject*, const QPoint& pos) {
  QListWidgetItem* under = ListBoxGroups->itemAt(pos);
  if (!under) {
    Delete->setEnabled(false);
  } else {
    Delete->setEnabled(true);
    EditedGroupIndex = SelectedIndex();
    SelectLine(ListBoxGroups->row(under));
    ListBoxGroupsClick(ListBoxGroups);
  }
  PopupMenuEditGroup->popup(ListBoxGroups->viewport()->mapToGlobal(pos));
}

void TFormEditGroup::NewClick(QObject*) {
  for (int n = 1; n <= 30000; ++n) {
    const QString name = QStringLiteral("group") + QString::number(n);
    bool taken = false;
    for (int i = 0; i < ListBoxGroups->count() && !taken; ++i)
      taken = ListBoxGroups->item(i)->text().compare(name, Qt::CaseInsensitive) == 0;
    if (taken) continue;
    ListBoxGroups->addItem(name);
    GroupNames.append(name);
    GroupContents.append(QString());
    if (EditedGroupIndex < 0) {
      // With no group shown, the edit boxes would take typing that belongs
      // to no group and is lost at the next click: show the new one in them.
      SelectLine(ListBoxGroups->count() - 1);
      ListBoxGroupsClick(ListBoxGroups);
    } else {
      EnableEdits(true);
    }
    return;
  }
}

void TFormEditGroup::DeleteClick(QObject*) {
  const int selected = SelectedIndex();
  if (selected < 0) return;
  GroupNames.removeAt(selected);
  GroupContents.removeAt(selected);
  FSelecting = true;
  delete ListBoxGroups->takeItem(selected);
  FSelecting = false;
  EditedGroupIndex = -1;
  SelectLine(-1);
  ButtonDelete->setEnabled(false);
  EnableEdits(false);
}

void SetEnglishEditGroup() {
  TFormEditGroup* f = FormEditGroup;
  if (!f) return;
  f->setWindowTitle(QStringLiteral("Edit groups ..."));
  f->ButtonOk->setText(QStringLiteral("Ok"));
  f->ButtonApply->setText(QStringLiteral("Apply"));
  f->ButtonCancel->setText(QStringLiteral("Cancel"));
  f->GroupBoxEdit->setTitle(QStringLiteral(" Contents "));
  f->LabelContents->setText(QStringLiteral("Group file types (through a comma and/or a space)"));
  f->LabelName->setText(QStringLiteral("Group name"));
  f->New->setText(QStringLiteral("New"));
  f->Delete->setText(QStringLiteral("Delete"));
  f->ButtonNew->setText(QStringLiteral("New"));
  f->ButtonDelete->setText(QStringLiteral("Delete"));
}
