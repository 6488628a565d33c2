#pragma once
// The restart-search question box: "Search is on. Restart search?". OK stops
// the running search and starts it again from the beginning with the search
// panel as it stands; Cancel (or Esc) lets the search go on.
#include <QDialog>

class QLabel;
class QPushButton;

class TResearch : public QDialog {
  Q_OBJECT
 public:
  explicit TResearch(QWidget* Owner = nullptr);
  ~TResearch() override;

  QLabel* LabelMessage = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;  // also Esc

  void ButtonOkClick(QObject* Sender = nullptr);
  void ButtonCancelClick(QObject* Sender = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

extern TResearch* Research;

// Gives the window its built-in English captions and lays it out.
void SetEnglishResearch();

// Builds the parts both question boxes share (client area 292 x 76, OK and
// Cancel 75 x 25 at 72/40 and 168/40); connects nothing.
void CreateQuestionBox(QDialog* box, QLabel*& label, QPushButton*& ok, QPushButton*& cancel);
// Their layout, run after their captions change: the box as wide as its
// message plus 40 (at least two buttons plus 40), the message centred, OK 5
// pixels left and Cancel 5 pixels right of the middle.
void LayoutQuestionBox(QDialog* box, QLabel* label, QPushButton* ok, QPushButton* cancel);
// Centres a window on the main window (when there is one).
void CentreOnMainWindow(QWidget* window);
