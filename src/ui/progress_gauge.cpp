#include "ui/progress_gauge.h"

#include <QPainter>
#include <algorithm>

namespace qavel {

ProgressGauge::ProgressGauge(QWidget* parent) : QWidget(parent) {
  setObjectName("Gauge1");
  setFixedHeight(12);
}

void ProgressGauge::setMaximum(int maximum) {
  maximum_ = std::max(maximum, 1);
  setValue(value_);
}

void ProgressGauge::setValue(int value) {
  value = std::clamp(value, 0, maximum_);
  if (value == value_) return;
  value_ = value;
  update();
}

void ProgressGauge::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Framed, so that it reads as a gauge and not as an empty field.
  p.fillRect(rect(), palette().button());
  p.setPen(palette().mid().color());
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const int filled = (width() - 2) * value_ / maximum_;
  if (filled > 0) p.fillRect(1, 1, filled, height() - 2, Qt::red);
}

}  // namespace qavel
