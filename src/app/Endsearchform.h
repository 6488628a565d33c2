#pragma once
// The end-search question box: "Stop search?". OK ends the running search and
// keeps the rows found so far; Cancel, Esc or the close box let it go on.
// The scan command asks it too and reads FConfirmed afterwards.
#include <QDialog>

class QLabel;
class QPushButton;

class TEndSearch : public QDialog {
  Q_OBJECT
 public:
  explicit TEndSearch(QWidget* Owner = nullptr);
  ~TEndSearch() override;

  QLabel* LabelMessage = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;  // also Esc

  void ButtonOkClick(QObject* Sender = nullptr);
  void ButtonCancelClick(QObject* Sender = nullptr);

  // How the box was closed last: true after OK (the search was ended), false
  // after Cancel, Esc or the close box.
  bool FConfirmed = false;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Closing by the close box counts as Cancel.
  void reject() override;
};

extern TEndSearch* EndSearch;

// Gives the window its built-in English captions and lays it out.
void SetEnglishEndSearch();
