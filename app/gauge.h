// A horizontal bar that shows a whole percentage as "37%" centred on it: black bar on white.
#pragma once

#include <QWidget>

class TGauge : public QWidget {
  Q_OBJECT

 public:
  explicit TGauge(QWidget* parent = nullptr);

  int Progress() const { return progress_; }
  // Clamps to 0..100; repaints at once when the shown value changes.
  void SetProgress(int percent);
  QString Text() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int progress_ = 0;
};
