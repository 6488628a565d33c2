#pragma once
// A percentage gauge: a horizontal bar filled to a whole percent, with the
// percent written centred over it, readable over the filled and the empty
// part alike.
#include <QWidget>

class TCGauge : public QWidget {
  Q_OBJECT
 public:
  explicit TCGauge(QWidget* parent = nullptr);

  int Progress() const { return FProgress; }
  // Clamps into 0..100; repaints only when the shown percent changes.
  void SetProgress(int value);

  QSize sizeHint() const override { return {329, 25}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int FProgress = 0;
};
