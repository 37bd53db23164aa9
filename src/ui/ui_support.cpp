#include "ui/ui_support.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

namespace qavel {

void Hint(QWidget* w, const char* hint) {
  w->setToolTip(hint);
  w->setStatusTip(hint);
}

QLabel* Label(const char* name, const char* text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(name);
  return l;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QSpinBox* Spin(const char* name, int min, int max, QWidget* parent) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(min, max);
  return s;
}

QCheckBox* Check(const char* name, const char* caption, QWidget* parent) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  return c;
}

QToolButton* Speed(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(caption);
  return b;
}

QListWidget* List(const char* name, QWidget* parent) {
  auto* l = new QListWidget(parent);
  l->setObjectName(name);
  return l;
}

QHBoxLayout* Row(QWidget* spin, QWidget* button) {
  auto* row = new QHBoxLayout;
  row->addWidget(spin);
  row->addWidget(button);
  return row;
}

void SyncList(QListWidget* list, const std::vector<std::string>& texts) {
  const QSignalBlocker block(list);
  while (list->count() > static_cast<int>(texts.size())) delete list->takeItem(list->count() - 1);
  for (size_t i = 0; i < texts.size(); ++i) {
    const QString t = S(texts[i]);
    const int row = static_cast<int>(i);
    if (row < list->count()) {
      if (list->item(row)->text() != t) list->item(row)->setText(t);
    } else {
      list->addItem(t);
    }
  }
}

void SetRow(QListWidget* list, int row) {
  const QSignalBlocker block(list);
  list->setCurrentRow(row < list->count() ? row : -1);
}

void SetSpin(QSpinBox* spin, int value) {
  const QSignalBlocker block(spin);
  spin->setValue(value);  // writes the text even when the value is the same
}

void ClearSpin(QSpinBox* spin) {
  const QSignalBlocker block(spin);
  spin->clear();
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool on) {
  for (QWidget* w : widgets) w->setEnabled(on);
}

}  // namespace qavel
