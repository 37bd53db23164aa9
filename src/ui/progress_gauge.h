#pragma once
// ProgressGauge: the Rooms tab's progress gauge (Gauge1), a red bar on the button face. A new
// value only asks for the gauge's own repaint (update()), never for the window's: the window
// goes on drawing at its own pace while a level is read or written.

#include <QWidget>

namespace qavel {

class ProgressGauge : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressGauge(QWidget* parent = nullptr);

  void setMaximum(int maximum);
  int maximum() const { return maximum_; }
  // Clamped to 0 .. maximum.
  void setValue(int value);
  int value() const { return value_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int maximum_ = 100;
  int value_ = 0;
};

}  // namespace qavel
