#pragma once
// The extended-criteria dialog: date range, "not older than" age, size
// comparison and attribute set. The search workers read its controls live and
// its cut-off date FCutoffDate; the dialog itself only edits, validates, saves
// and restores them.
#include <QDateTime>
#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// A pair of small up / down arrows bound to an edit, as the toolkit's up-down
// control: it steps the number in its edit within Min..Max. The edit itself is
// not limited by it; the owner clamps the text (see TFormMore).
class TUpDown : public QWidget {
  Q_OBJECT
 public:
  TUpDown(QLineEdit* associate, int min, int max, int position, QWidget* parent = nullptr);
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Position() const { return FPosition; }
  void SetPosition(int position);
  QLineEdit* Associate() const { return FAssociate; }
  // The arrows: step by +1 / -1 from the number in the edit, staying in range.
  void StepUp();
  void StepDown();

 private:
  void Step(int delta);
  QLineEdit* FAssociate;
  QToolButton* FUp;
  QToolButton* FDown;
  int FMin;
  int FMax;
  int FPosition;
};

class TFormMore : public QDialog {
  Q_OBJECT
 public:
  explicit TFormMore(QWidget* Owner = nullptr);
  ~TFormMore() override;

  // ---- controls (object names equal the member names) ----
  QGroupBox* GroupBoxMore = nullptr;
  QCheckBox* CheckBoxTimeBetween = nullptr;
  QLineEdit* MaskEditDown = nullptr;  // a date in the system's short date format
  QLabel* LabelAnd = nullptr;
  QLineEdit* MaskEditUp = nullptr;
  QCheckBox* CheckBoxOld = nullptr;
  QLineEdit* MaskEditNum = nullptr;
  TUpDown* UpDownOld = nullptr;  // 1..100
  QComboBox* ComboBoxOld = nullptr;  // 0 day(s), 1 month(s), 2 year(s)
  QCheckBox* CheckBoxSize = nullptr;
  QComboBox* ComboBoxOper = nullptr;  // 0 ">", 1 "=", 2 "<"
  QLineEdit* MaskEditSize = nullptr;
  TUpDown* UpDownSize = nullptr;  // 0..1024
  QComboBox* ComboBoxSize = nullptr;  // 0 byte(s), 1 kbyte(s), 2 Mbyte(s), 3 Gbyte(s)
  QCheckBox* CheckBoxAttr = nullptr;
  QCheckBox* CheckBoxReadOnly = nullptr;
  QCheckBox* CheckBoxHidden = nullptr;
  QCheckBox* CheckBoxSystem = nullptr;
  QCheckBox* CheckBoxArchive = nullptr;
  QCheckBox* CheckBoxDir = nullptr;
  QCheckBox* CheckBoxArchives = nullptr;  // hidden; kept in the saved state only
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonApply = nullptr;
  QPushButton* ButtonCancel = nullptr;

  // ---- state ----
  QDateTime FToday;  // local date and time when the dialog was created
  bool FApplied = false;
  bool FSavedTimeBetween = false;
  bool FSavedOld = false;
  bool FSavedSize = false;
  bool FSavedAttr = false;
  bool FSavedReadOnly = false;
  bool FSavedHidden = false;
  bool FSavedSystem = false;
  bool FSavedArchive = false;
  bool FSavedDir = false;
  bool FSavedArchives = false;
  QString FSavedDown;
  QString FSavedUp;
  QString FSavedNum;
  QString FSavedSizeText;
  int FSavedOldIndex = 0;
  int FSavedOperIndex = 0;
  int FSavedSizeIndex = 0;
  // Cut-off of the "not older than" criterion; written only by Apply. Starts
  // at the toolkit's zero date (30 Dec 1899, midnight).
  QDateTime FCutoffDate;
  // The next showing resets all criteria; set by the end of every search.
  bool FResetOnShow = true;

  // ---- handlers ----
  void FormCreate(QObject* Sender = nullptr);
  void FormShow(QObject* Sender = nullptr);
  void CheckBoxTimeBetweenClick(QObject* Sender = nullptr);
  void CheckBoxOldClick(QObject* Sender = nullptr);
  void CheckBoxSizeClick(QObject* Sender = nullptr);
  void CheckBoxAttrClick(QObject* Sender = nullptr);
  // Drops every typed character but the digits and Backspace (sets Key to 0).
  void MaskEditNumKeyPress(QObject* Sender, QChar& Key);
  void MaskEditSizeKeyPress(QObject* Sender, QChar& Key);
  void MaskEditNumChange(QObject* Sender = nullptr);
  void MaskEditSizeChange(QObject* Sender = nullptr);
  void ButtonApplyClick(QObject* Sender = nullptr);
  void ButtonOkClick(QObject* Sender = nullptr);
  void ButtonCancelClick(QObject* Sender = nullptr);
  // All criteria to their defaults; clears FResetOnShow.
  void ResetControls();
  // Places LabelAnd halfway between the two date edits.
  void CenterLabelAnd();

  // The "not older than" cut-off for N units: unit 0 counts N days back from
  // `start` (time of day kept), units 1 and 2 count N months or years back
  // from `today` and give midnight. Invalid for any other unit.
  static QDateTime CutoffFor(int n, int unitIndex, const QDateTime& start, const QDate& today);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Clamp(QLineEdit* edit, const TUpDown* upDown);
};

extern TFormMore* FormMore;

// Gives the window its built-in English captions and unit lists.
void SetEnglishMore();
