#include "app/gauge.h"

#include <QPainter>
#include <algorithm>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {}

void TGauge::SetProgress(int percent) {
  const int clamped = std::clamp(percent, 0, 100);
  if (clamped == progress_) return;
  progress_ = clamped;
  repaint();  // at once: during a scan no event loop runs until the next pass
}

QString TGauge::Text() const { return QString::number(progress_) + "%"; }

void TGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect frame = rect().adjusted(0, 0, -1, -1);
  const QRect inside = rect().adjusted(1, 1, -1, -1);
  painter.fillRect(inside, Qt::white);
  QRect bar = inside;
  bar.setWidth(inside.width() * progress_ / 100);
  painter.fillRect(bar, Qt::black);
  painter.setPen(Qt::black);
  painter.drawRect(frame);

  // The text is black over the white part and white over the bar.
  painter.setFont(font());
  painter.setClipRect(inside);
  painter.setPen(Qt::black);
  painter.drawText(inside, Qt::AlignCenter, Text());
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawText(inside, Qt::AlignCenter, Text());
}
