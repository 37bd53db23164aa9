#include "ui/create_item_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

namespace qavel {

namespace {

QSpinBox* UnlimitedSpin(const char* name, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  // Panel units times 512 must stay a 32-bit world value.
  spin->setRange(-4000000, 4000000);
  return spin;
}

}  // namespace

CreateItemDialog::CreateItemDialog(EditorSession* session, QWidget* parent)
    : QDialog(parent, Qt::Tool), session_(session) {
  setObjectName("Form2");
  setWindowTitle("Create Item");
  auto* layout = new QVBoxLayout(this);

  // The preview view joins with the 3D view; until then a plain white panel holds its place.
  auto* preview = new QLabel("Preview", this);
  preview->setObjectName("Panel1");
  preview->setAlignment(Qt::AlignCenter);
  preview->setMinimumSize(220, 160);
  preview->setAutoFillBackground(true);
  QPalette white = preview->palette();
  white.setColor(QPalette::Window, Qt::white);
  preview->setPalette(white);
  layout->addWidget(preview, 2);

  movableList_ = new QListWidget(this);
  movableList_->setObjectName("ListBox1");
  layout->addWidget(movableList_, 2);

  auto* position = new QGroupBox("Position", this);
  auto* grid = new QVBoxLayout(position);
  grid->addWidget(new QLabel("-X-        -Y-        -Z-   ", position));
  auto* spins = new QHBoxLayout;
  xSpin_ = UnlimitedSpin("SpinEdit1", position);
  ySpin_ = UnlimitedSpin("SpinEdit2", position);
  zSpin_ = UnlimitedSpin("SpinEdit3", position);
  spins->addWidget(xSpin_);
  spins->addWidget(ySpin_);
  spins->addWidget(zSpin_);
  grid->addLayout(spins);
  const struct {
    const char* name;
    const char* caption;
    PositionSource source;
  } sources[] = {{"RadioButton1", "Selected Room", PositionSource::kRoom},
                 {"RadioButton2", "Selected Item", PositionSource::kItem},
                 {"RadioButton3", "Selected Mesh", PositionSource::kStatic}};
  for (const auto& s : sources) {
    auto* radio = new QRadioButton(s.caption, position);
    radio->setObjectName(s.name);
    grid->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this,
            [this, source = s.source] { TakePosition(source); });
  }
  layout->addWidget(position);

  auto* create = new QPushButton("Create", this);
  create->setObjectName("Button1");
  layout->addWidget(create);
  connect(create, &QPushButton::clicked, this, &CreateItemDialog::createRequested);
}

void CreateItemDialog::SetMovables(const std::vector<std::string>& names) {
  movableList_->clear();
  for (const auto& n : names) movableList_->addItem(QString::fromStdString(n));
  if (movableList_->count() > 0) movableList_->setCurrentRow(0);
}

CreateChoice CreateItemDialog::Choice() const {
  return {movableList_->currentRow(), {xSpin_->value(), ySpin_->value(), zSpin_->value()}};
}

void CreateItemDialog::TakePosition(PositionSource source) {
  const auto position = session_->PositionFrom(source);
  if (!position) return;
  xSpin_->setValue(position->x);
  ySpin_->setValue(position->y);
  zSpin_->setValue(position->z);
}

}  // namespace qavel
