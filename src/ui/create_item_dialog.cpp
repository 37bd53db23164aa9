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

#include "inspect/panel_units.h"
#include "ui/gl_view.h"
#include "view/scene.h"

namespace qavel {

namespace {

QSpinBox* PositionSpin(const char* name, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(-kPanelLimit, kPanelLimit);
  return spin;
}

}  // namespace

CreateItemDialog::CreateItemDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent, Qt::Tool), session_(session) {
  setObjectName("Form2");
  setWindowTitle("Create Item");
  auto* layout = new QVBoxLayout(this);

  // Without OpenGL a plain white panel holds the preview's place.
  auto* preview = new QLabel("Preview", this);
  previewNote_ = preview;
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
  xSpin_ = PositionSpin("SpinEdit1", position);
  ySpin_ = PositionSpin("SpinEdit2", position);
  zSpin_ = PositionSpin("SpinEdit3", position);
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
            [this, source = s.source] { takePosition(source); });
  }
  layout->addWidget(position);

  auto* create = new QPushButton("Create", this);
  create->setObjectName("Button1");
  layout->addWidget(create);
  connect(create, &QPushButton::clicked, this, &CreateItemDialog::createRequested);

  connect(&session.document(), &LevelDocument::opened, this, [this] { fillMovables(false); });
  connect(&session.document(), &LevelDocument::changed, this, [this](const EditTarget& target) {
    if (AsLevel(target)) fillMovables(true);
  });
  connect(&session, &EditorSession::createModeChanged, this, [this](bool on) {
    if (!on) hide();
  });
}

void CreateItemDialog::fillMovables(bool keep_choice) {
  const int row = keep_choice ? movableList_->currentRow() : 0;
  movableList_->clear();
  for (const auto& n : session_.document().names().movable_list)
    movableList_->addItem(QString::fromStdString(n));
  if (movableList_->count() > 0)
    movableList_->setCurrentRow(row >= 0 && row < movableList_->count() ? row : 0);
}

void CreateItemDialog::attachPreview(const TextureStore& store, const Tmesh_list& meshes) {
  if (preview_) return;
  preview_ = new GlView(store, PreviewBuffers(), this);
  preview_->setMinimumSize(previewNote_->minimumSize());
  preview_->setBackground(Qt::white);
  preview_->viewport().SetSceneBuilder([this, &meshes] {
    BuildMovablePreview(preview_->list(), preview_->buffers(), meshes, session_.level(),
                        movableList_->currentRow());
    // Drawn where and as large as it always was, the movable overflows the small panel; the
    // camera steps back until all of it shows.
    preview_->viewport().FrameDrawnBox(DrawnBox(preview_->list()));
  });
  delete layout()->replaceWidget(previewNote_, preview_);
  delete previewNote_;  // the preview takes its name
  previewNote_ = nullptr;
  preview_->setObjectName("Panel1");
  // Every click on the list draws the chosen movable anew, as does a new level.
  connect(movableList_, &QListWidget::currentRowChanged, preview_, &GlView::rebuild);
  connect(movableList_, &QListWidget::itemClicked, preview_, &GlView::rebuild);
  connect(&session_.document(), &LevelDocument::opened, preview_, &GlView::rebuild);
  connect(&session_.document(), &LevelDocument::changed, preview_,
          [this](const EditTarget& target) {
            if (AsLevel(target)) preview_->rebuild();
          });
}

void CreateItemDialog::done(int result) {
  QDialog::done(result);
  session_.SetCreateMode(false);
}

CreateChoice CreateItemDialog::Choice() const {
  return {movableList_->currentRow(), {xSpin_->value(), ySpin_->value(), zSpin_->value()}};
}

void CreateItemDialog::takePosition(PositionSource source) {
  const auto position = PositionFrom(session_, source);
  if (!position) return;
  xSpin_->setValue(position->x);
  ySpin_->setValue(position->y);
  zSpin_->setValue(position->z);
}

}  // namespace qavel
