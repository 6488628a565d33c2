#pragma once
// A status bar of text panels addressed by index, as the main window's code
// expects (panel 0 messages, 1 files, 2 computers). Panel 0 fills what the
// others leave; its width value is kept for the layout code.
#include <QList>
#include <QStatusBar>
#include <QString>

class QLabel;

class TStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit TStatusBar(int panelCount, QWidget* parent = nullptr);

  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  int PanelWidth(int index) const;
  void SetPanelWidth(int index, int width);
  QLabel* Panel(int index) const;

 private:
  QList<QLabel*> FPanels;
  QList<int> FWidths;
};
