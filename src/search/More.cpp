#include "search/More.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QToolButton>

#include "config/En_language.h"
#include "platform/core/DateFormat.h"
#include "platform/ui/Modal.h"

TFormMore* FormMore = nullptr;

namespace {

// The toolkit's date-time zero: 30 December 1899, midnight.
QDateTime ZeroDateTime() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

// Day D of month M of year Y at midnight; a day the month lacks (the 31st in
// a 30-day month, 29 February in a common year) becomes its last day.
QDateTime MidnightOf(int y, int m, int d) {
  const int last = QDate(y, m, 1).daysInMonth();
  return QDateTime(QDate(y, m, qMin(d, last)), QTime(0, 0));
}

// A text of digits only, as the number edits hold.
bool AllDigits(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// Refills a unit list, keeping the selected position (the first item when
// none was selected).
void RefillUnits(QComboBox* combo, const QStringList& items) {
  int index = combo->currentIndex();
  if (index < 0) index = 0;
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(index < combo->count() ? index : 0);
}

QCheckBox* NewCheckBox(QWidget* parent, const char* name, int x, int y, int w) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(x, y, w, 17);
  return box;
}

QLineEdit* NewEdit(QWidget* parent, const char* name, int x, int y, int w) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(x, y, w, 21);
  return edit;
}

QComboBox* NewComboBox(QWidget* parent, const char* name, int x, int y, int w) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QString::fromLatin1(name));
  combo->setGeometry(x, y, w, 21);
  return combo;
}

QPushButton* NewButton(QWidget* parent, const char* name, int x, int y) {
  auto* button = new QPushButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(x, y, 75, 25);
  button->setAutoDefault(false);
  return button;
}

// The date part of a date-time as the system's short date format writes it.
QString FormatDate(const QDateTime& when) { return DateFormat::DateToStr(when.date()); }

}  // namespace

// ---------------------------------------------------------------- TUpDown

TUpDown::TUpDown(QLineEdit* associate, int min, int max, int position, QWidget* parent)
    : QWidget(parent), FAssociate(associate), FMin(min), FMax(max), FPosition(position) {
  FUp = new QToolButton(this);
  FUp->setArrowType(Qt::UpArrow);
  FUp->setAutoRepeat(true);
  FDown = new QToolButton(this);
  FDown->setArrowType(Qt::DownArrow);
  FDown->setAutoRepeat(true);
  connect(FUp, &QToolButton::clicked, this, &TUpDown::StepUp);
  connect(FDown, &QToolButton::clicked, this, &TUpDown::StepDown);
  // Sits at the right edge of its edit, as the toolkit places it.
  const QRect r = associate->geometry();
  setGeometry(r.right() + 1, r.top(), 16, r.height());
  const int half = r.height() / 2;
  FUp->setGeometry(0, 0, 16, half);
  FDown->setGeometry(0, half, 16, r.height() - half);
}

void TUpDown::SetPosition(int position) { FPosition = qBound(FMin, position, FMax); }

void TUpDown::StepUp() { Step(1); }

void TUpDown::StepDown() { Step(-1); }

void TUpDown::Step(int delta) {
  // The edit's number is the starting point when it holds one in range.
  bool ok = false;
  const int shown = FAssociate->text().toInt(&ok);
  if (ok && shown >= FMin && shown <= FMax) FPosition = shown;
  SetPosition(FPosition + delta);
  FAssociate->setText(QString::number(FPosition));
}

// ---------------------------------------------------------------- TFormMore

TFormMore::TFormMore(QWidget* Owner) : QDialog(Owner) {
  // The global is set first, as the start-up code of other modules reads it.
  FormMore = this;
  setObjectName(QStringLiteral("FormMore"));
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);
  setFixedSize(446, 257);
  setModal(true);

  GroupBoxMore = new QGroupBox(this);
  GroupBoxMore->setObjectName(QStringLiteral("GroupBoxMore"));
  GroupBoxMore->setGeometry(8, 8, 430, 208);
  QWidget* g = GroupBoxMore;

  CheckBoxTimeBetween = NewCheckBox(g, "CheckBoxTimeBetween", 16, 26, 124);
  MaskEditDown = NewEdit(g, "MaskEditDown", 144, 24, 105);
  LabelAnd = new QLabel(g);
  LabelAnd->setObjectName(QStringLiteral("LabelAnd"));
  LabelAnd->setAlignment(Qt::AlignCenter);
  LabelAnd->setGeometry(261, 28, 24, 13);
  MaskEditUp = NewEdit(g, "MaskEditUp", 296, 24, 105);

  CheckBoxOld = NewCheckBox(g, "CheckBoxOld", 16, 58, 124);
  MaskEditNum = NewEdit(g, "MaskEditNum", 144, 56, 41);
  MaskEditNum->setText(QStringLiteral("1"));
  UpDownOld = new TUpDown(MaskEditNum, 1, 100, 1, g);
  UpDownOld->setObjectName(QStringLiteral("UpDownOld"));
  ComboBoxOld = NewComboBox(g, "ComboBoxOld", 208, 56, 105);

  CheckBoxSize = NewCheckBox(g, "CheckBoxSize", 16, 90, 124);
  ComboBoxOper = NewComboBox(g, "ComboBoxOper", 144, 88, 41);
  ComboBoxOper->addItems({QStringLiteral(">"), QStringLiteral("="), QStringLiteral("<")});
  ComboBoxOper->setCurrentIndex(0);
  MaskEditSize = NewEdit(g, "MaskEditSize", 192, 88, 57);
  MaskEditSize->setText(QStringLiteral("1"));
  UpDownSize = new TUpDown(MaskEditSize, 0, 1024, 1, g);
  UpDownSize->setObjectName(QStringLiteral("UpDownSize"));
  ComboBoxSize = NewComboBox(g, "ComboBoxSize", 272, 88, 105);

  CheckBoxAttr = NewCheckBox(g, "CheckBoxAttr", 16, 122, 124);
  CheckBoxReadOnly = NewCheckBox(g, "CheckBoxReadOnly", 144, 122, 90);
  CheckBoxHidden = NewCheckBox(g, "CheckBoxHidden", 240, 122, 90);
  CheckBoxSystem = NewCheckBox(g, "CheckBoxSystem", 336, 122, 90);
  CheckBoxArchive = NewCheckBox(g, "CheckBoxArchive", 144, 146, 90);
  CheckBoxDir = NewCheckBox(g, "CheckBoxDir", 240, 146, 90);
  CheckBoxArchives = NewCheckBox(g, "CheckBoxArchives", 16, 178, 160);
  CheckBoxArchives->setVisible(false);
  CheckBoxArchives->setEnabled(false);
  for (QCheckBox* box : {CheckBoxReadOnly, CheckBoxHidden, CheckBoxSystem, CheckBoxArchive, CheckBoxDir}) {
    box->setChecked(true);
    box->setEnabled(false);
  }

  ButtonOk = NewButton(this, "ButtonOk", 200, 224);
  ButtonApply = NewButton(this, "ButtonApply", 282, 224);
  ButtonCancel = NewButton(this, "ButtonCancel", 364, 224);

  // Design state: every criterion off, its controls disabled.
  for (QWidget* w : std::initializer_list<QWidget*>{MaskEditDown, LabelAnd, MaskEditUp, MaskEditNum, UpDownOld,
                                                    ComboBoxOld, ComboBoxOper, MaskEditSize, UpDownSize,
                                                    ComboBoxSize})
    w->setEnabled(false);

  // Number edits take digits only: typed keys go through the key-press
  // handlers, and the validator keeps pasted text to digits as well.
  const QRegularExpression digits(QStringLiteral("[0-9]*"));
  MaskEditNum->setValidator(new QRegularExpressionValidator(digits, MaskEditNum));
  MaskEditSize->setValidator(new QRegularExpressionValidator(digits, MaskEditSize));
  MaskEditNum->installEventFilter(this);
  MaskEditSize->installEventFilter(this);

  connect(CheckBoxTimeBetween, &QCheckBox::toggled, this, [this] { CheckBoxTimeBetweenClick(CheckBoxTimeBetween); });
  connect(CheckBoxOld, &QCheckBox::toggled, this, [this] { CheckBoxOldClick(CheckBoxOld); });
  connect(CheckBoxSize, &QCheckBox::toggled, this, [this] { CheckBoxSizeClick(CheckBoxSize); });
  connect(CheckBoxAttr, &QCheckBox::toggled, this, [this] { CheckBoxAttrClick(CheckBoxAttr); });
  connect(MaskEditNum, &QLineEdit::textChanged, this, [this] { MaskEditNumChange(MaskEditNum); });
  connect(MaskEditSize, &QLineEdit::textChanged, this, [this] { MaskEditSizeChange(MaskEditSize); });
  connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(ButtonOk); });
  connect(ButtonApply, &QPushButton::clicked, this, [this] { ButtonApplyClick(ButtonApply); });
  connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(ButtonCancel); });

  FToday = QDateTime::currentDateTime();
  FSavedUp = FormatDate(FToday);
  FSavedSizeText = QStringLiteral("1");
  FCutoffDate = ZeroDateTime();
  FResetOnShow = true;

  FormCreate(this);
}

TFormMore::~TFormMore() {
  if (FormMore == this) FormMore = nullptr;
}

void TFormMore::FormCreate(QObject*) {
  if (CurrentLanguage == QLatin1String("English")) SetEnglishMore();
  CenterLabelAnd();
}

void TFormMore::CenterLabelAnd() {
  const int downRight = MaskEditDown->x() + MaskEditDown->width();
  const int gap = MaskEditUp->x() - downRight;
  // C++ division truncates toward zero, as the layout rule asks.
  LabelAnd->move(downRight + gap / 2 - LabelAnd->width() / 2, LabelAnd->y());
}

void TFormMore::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow(this);
}

void TFormMore::keyPressEvent(QKeyEvent* event) {
  // ESC is the Cancel button's key: it restores the last applied state.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    ButtonCancelClick(ButtonCancel);
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TFormMore::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == MaskEditNum || watched == MaskEditSize)) {
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Keys without a character (arrows, Delete, Home, ...) are not key presses
    // in the toolkit's sense and pass unchanged.
    if (!text.isEmpty()) {
      QChar c = text.at(0);
      if (watched == MaskEditNum)
        MaskEditNumKeyPress(watched, c);
      else
        MaskEditSizeKeyPress(watched, c);
      if (c.isNull()) return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- enabling

void TFormMore::CheckBoxTimeBetweenClick(QObject*) {
  const bool on = CheckBoxTimeBetween->isChecked();
  MaskEditDown->setEnabled(on);
  LabelAnd->setEnabled(on);
  MaskEditUp->setEnabled(on);
  if (on) {
    CheckBoxOld->setChecked(false);
    MaskEditNum->setEnabled(false);
    UpDownOld->setEnabled(false);
    ComboBoxOld->setEnabled(false);
  }
}

void TFormMore::CheckBoxOldClick(QObject*) {
  const bool on = CheckBoxOld->isChecked();
  MaskEditNum->setEnabled(on);
  UpDownOld->setEnabled(on);
  ComboBoxOld->setEnabled(on);
  if (on) {
    CheckBoxTimeBetween->setChecked(false);
    MaskEditDown->setEnabled(false);
    LabelAnd->setEnabled(false);
    MaskEditUp->setEnabled(false);
  }
}

void TFormMore::CheckBoxSizeClick(QObject*) {
  const bool on = CheckBoxSize->isChecked();
  ComboBoxOper->setEnabled(on);
  MaskEditSize->setEnabled(on);
  UpDownSize->setEnabled(on);
  ComboBoxSize->setEnabled(on);
}

void TFormMore::CheckBoxAttrClick(QObject*) {
  const bool on = CheckBoxAttr->isChecked();
  for (QCheckBox* box : {CheckBoxReadOnly, CheckBoxHidden, CheckBoxSystem, CheckBoxArchive, CheckBoxDir})
    box->setEnabled(on);
}

// ---------------------------------------------------------------- number edits

void TFormMore::MaskEditNumKeyPress(QObject*, QChar& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != QChar(8)) Key = QChar();
}

void TFormMore::MaskEditSizeKeyPress(QObject*, QChar& Key) {
  if (!(Key >= u'0' && Key <= u'9') && Key != QChar(8)) Key = QChar();
}

void TFormMore::MaskEditNumChange(QObject*) { Clamp(MaskEditNum, UpDownOld); }

void TFormMore::MaskEditSizeChange(QObject*) { Clamp(MaskEditSize, UpDownSize); }

void TFormMore::Clamp(QLineEdit* edit, const TUpDown* upDown) {
  const QString text = edit->text();
  if (text.isEmpty()) {
    edit->setText(QString::number(upDown->Min()));
    return;
  }
  if (!AllDigits(text)) return;
  // A run of digits too long for an int is above the maximum as well.
  bool ok = false;
  const qlonglong value = text.size() > 12 ? -1 : text.toLongLong(&ok);
  if (!ok || value > upDown->Max()) edit->setText(QString::number(upDown->Max()));
  // A number below the minimum stays as typed.
}

// ---------------------------------------------------------------- Apply / Ok / Cancel

QDateTime TFormMore::CutoffFor(int n, int unitIndex, const QDateTime& start, const QDate& today) {
  switch (unitIndex) {
    case 0:
      return start.addDays(-static_cast<qint64>(n));
    case 1: {
      int y = today.year();
      int m = today.month();
      const int d = today.day();
      const int rest = n % 12;
      if (rest == 0) {
        y -= n / 12;
      } else if (n < m) {
        m -= n;
      } else if (n == m) {
        m = 12;
        y -= 1;
      } else if (m < rest) {
        m = m + 12 - rest;
        y -= n / 12 + 1;
      } else {
        m -= rest;
        y -= n / 12;
        if (m == 0) {
          m = 12;
          y -= 1;
        }
      }
      return MidnightOf(y, m, d);
    }
    case 2:
      return MidnightOf(today.year() - n, today.month(), today.day());
    default:
      return QDateTime();
  }
}

void TFormMore::ButtonApplyClick(QObject*) {
  auto refuse = [this](QLineEdit* edit) {
    Modal::MessageBox(TextErrorsEnter, TextMessagesRetry);
    FApplied = false;
    edit->setFocus();
  };

  if (CheckBoxTimeBetween->isChecked()) {
    // The dates are only checked here; the search reads the edit texts itself.
    QDate probe;
    if (!DateFormat::TryStrToDate(MaskEditDown->text(), probe)) return refuse(MaskEditDown);
    if (!DateFormat::TryStrToDate(MaskEditUp->text(), probe)) return refuse(MaskEditUp);
  } else if (CheckBoxOld->isChecked()) {
    bool ok = AllDigits(MaskEditNum->text());
    const int n = ok ? MaskEditNum->text().toInt(&ok) : 0;
    // The edit takes digits only and is clamped to the up-down's maximum, so
    // this holds unless the text was changed in a way the edit cannot prevent.
    if (!ok) return refuse(MaskEditNum);
    const int unit = ComboBoxOld->currentIndex();
    if (unit >= 0 && unit <= 2) FCutoffDate = CutoffFor(n, unit, FToday, QDate::currentDate());
  }

  FSavedTimeBetween = CheckBoxTimeBetween->isChecked();
  FSavedOld = CheckBoxOld->isChecked();
  FSavedSize = CheckBoxSize->isChecked();
  FSavedAttr = CheckBoxAttr->isChecked();
  FSavedReadOnly = CheckBoxReadOnly->isChecked();
  FSavedHidden = CheckBoxHidden->isChecked();
  FSavedSystem = CheckBoxSystem->isChecked();
  FSavedArchive = CheckBoxArchive->isChecked();
  FSavedDir = CheckBoxDir->isChecked();
  FSavedArchives = CheckBoxArchives->isChecked();
  FSavedDown = MaskEditDown->text();
  FSavedUp = MaskEditUp->text();
  FSavedNum = MaskEditNum->text();
  FSavedSizeText = MaskEditSize->text();
  FSavedOldIndex = ComboBoxOld->currentIndex();
  FSavedOperIndex = ComboBoxOper->currentIndex();
  FSavedSizeIndex = ComboBoxSize->currentIndex();
  FApplied = true;
}

void TFormMore::ButtonOkClick(QObject*) {
  ButtonApplyClick(ButtonApply);
  if (FApplied) done(mrOk);
}

void TFormMore::ButtonCancelClick(QObject*) {
  FormShow(this);
  done(mrCancel);
}

// ---------------------------------------------------------------- show / reset

void TFormMore::FormShow(QObject*) {
  if (FResetOnShow) {
    ResetControls();
    return;
  }
  CheckBoxTimeBetween->setChecked(FSavedTimeBetween);
  MaskEditDown->setText(FSavedDown);
  MaskEditUp->setText(FSavedUp);
  CheckBoxOld->setChecked(FSavedOld);
  MaskEditNum->setText(FSavedNum);
  ComboBoxOld->setCurrentIndex(FSavedOldIndex);
  CheckBoxSize->setChecked(FSavedSize);
  ComboBoxOper->setCurrentIndex(FSavedOperIndex);
  MaskEditSize->setText(FSavedSizeText);
  ComboBoxSize->setCurrentIndex(FSavedSizeIndex);
  CheckBoxAttr->setChecked(FSavedAttr);
  CheckBoxReadOnly->setChecked(FSavedReadOnly);
  CheckBoxHidden->setChecked(FSavedHidden);
  CheckBoxSystem->setChecked(FSavedSystem);
  CheckBoxArchive->setChecked(FSavedArchive);
  CheckBoxDir->setChecked(FSavedDir);
  CheckBoxArchives->setChecked(FSavedArchives);
}

void TFormMore::ResetControls() {
  CheckBoxTimeBetween->setChecked(false);
  MaskEditDown->setText(QString());
  MaskEditUp->setText(FormatDate(FToday));
  MaskEditDown->setEnabled(false);
  LabelAnd->setEnabled(false);
  MaskEditUp->setEnabled(false);

  CheckBoxOld->setChecked(false);
  MaskEditNum->setText(QStringLiteral("1"));
  MaskEditNum->setEnabled(false);
  UpDownOld->setEnabled(false);
  ComboBoxOld->setEnabled(false);
  ComboBoxOld->setCurrentIndex(0);

  CheckBoxSize->setChecked(false);
  ComboBoxOper->setEnabled(false);
  ComboBoxOper->setCurrentIndex(0);
  MaskEditSize->setText(QStringLiteral("1"));
  MaskEditSize->setEnabled(false);
  UpDownSize->setEnabled(false);
  ComboBoxSize->setEnabled(false);
  ComboBoxSize->setCurrentIndex(0);

  CheckBoxAttr->setChecked(false);
  for (QCheckBox* box :
       {CheckBoxReadOnly, CheckBoxHidden, CheckBoxSystem, CheckBoxArchive, CheckBoxDir, CheckBoxArchives})
    box->setChecked(false);

  FResetOnShow = false;
}

// ---------------------------------------------------------------- English

void SetEnglishMore() {
  TFormMore* f = FormMore;
  if (!f) return;
  f->setWindowTitle(QStringLiteral("Extended search"));
  f->GroupBoxMore->setTitle(QStringLiteral("Parameters"));
  f->CheckBoxTimeBetween->setText(QStringLiteral("Date between"));
  f->LabelAnd->setText(QStringLiteral("and"));
  f->CheckBoxOld->setText(QStringLiteral("Not older than"));
  f->CheckBoxSize->setText(QStringLiteral("Size"));
  f->CheckBoxAttr->setText(QStringLiteral("Attributes"));
  f->CheckBoxReadOnly->setText(QStringLiteral("Read only"));
  f->CheckBoxHidden->setText(QStringLiteral("Hidden"));
  f->CheckBoxSystem->setText(QStringLiteral("System"));
  f->CheckBoxArchive->setText(QStringLiteral("Archive"));
  f->CheckBoxDir->setText(QStringLiteral("Dir"));
  f->CheckBoxArchives->setText(QStringLiteral("Search in archives"));
  f->ButtonOk->setText(QStringLiteral("Ok"));
  f->ButtonApply->setText(QStringLiteral("Apply"));
  f->ButtonCancel->setText(QStringLiteral("Cancel"));
  RefillUnits(f->ComboBoxOld,
              {QStringLiteral("day(s)"), QStringLiteral("month(s)"), QStringLiteral("year(s)")});
  RefillUnits(f->ComboBoxSize, {QStringLiteral("byte(s)"), QStringLiteral("kbyte(s)"),
                                QStringLiteral("Mbyte(s)"), QStringLiteral("Gbyte(s)")});
}
