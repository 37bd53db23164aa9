#include "ui/texture_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "textures/atlas.h"

namespace qavel {

namespace {

// Control names of the five mosaics, in the order of kPanelSizes.
struct MosaicNames {
  const char* radio;
  const char* caption;
  const char* area;
  const char* image;
};
constexpr std::array<MosaicNames, 5> kMosaicNames = {{
    {"RadioButton1", "64 X 64", "ScrollBox2", "Image2"},
    {"RadioButton2", "64 X 48", "ScrollBox1", "Image4"},
    {"RadioButton3", "64 X 32", "ScrollBox3", "Image5"},
    {"RadioButton4", "64 X 16", "ScrollBox4", "Image6"},
    {"RadioButton5", "128 X 128", "ScrollBox5", "Image7"},
}};

void SetHint(QWidget* w, const QString& hint) {
  w->setToolTip(hint);
  w->setStatusTip(hint);
}

}  // namespace

TextureTab::TextureTab(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(buildTableBox());
  layout->addWidget(buildMosaicBox(), 1);
  ShowLevel(Ttrlevel());
}

void TextureTab::bindSession(EditorSession& session) {
  connect(&session.document(), &LevelDocument::opened, this, [this, &session] {
    // The atlas is built once: the texture store takes its pages, this page its pieces.
    const QImage atlas = BuildAtlas(session.level());
    emit atlasBuilt(atlas);
    ShowLevel(session.level(), atlas);
    SelectPiece(session.selection().piece());
  });
  connect(this, &TextureTab::pieceChosen, &session.selection(), &Selection::SelectPiece);
  connect(&session.selection(), &Selection::changed, this, [this, &session](unsigned parts) {
    if ((parts & Selection::kPiece) && session.selection().piece() != selectedPiece())
      SelectPiece(session.selection().piece());
  });
}

QWidget* TextureTab::buildTableBox() {
  auto* box = new QGroupBox("Texture Table", this);
  auto* layout = new QGridLayout(box);

  pieceList_ = new QListWidget(box);
  pieceList_->setObjectName("ListBox5");
  SetHint(pieceList_, "Select a texture piece");
  pieceList_->setMinimumWidth(110);
  connect(pieceList_, &QListWidget::currentRowChanged, this, [this] { showSelectedPiece(); });
  layout->addWidget(pieceList_, 0, 0, 4, 1);

  preview_ = new QLabel(box);
  preview_->setObjectName("Image3");
  preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(preview_, 0, 1, 1, 2, Qt::AlignLeft | Qt::AlignTop);

  attribute_ = new QComboBox(box);
  attribute_->setObjectName("ComboBox4");
  SetHint(attribute_, "Texture attrib");
  attribute_->addItems({"Opaque", "Transparent", "Semi-Transparent"});
  attributeCount_ = attribute_->count();
  layout->addWidget(attribute_, 1, 1, 1, 2);

  auto* label5 = new QLabel("8 bits transparent color:", box);
  label5->setObjectName("Label5");
  SetHint(label5, "Use this color for transparent textures");
  auto* label6 = new QLabel("0,0,0", box);
  label6->setObjectName("Label6");
  layout->addWidget(label5, 2, 1);
  layout->addWidget(label6, 2, 2);
  layout->setRowStretch(3, 1);
  layout->setColumnStretch(2, 1);
  return box;
}

QWidget* TextureTab::buildMosaicBox() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  for (size_t k = 0; k < kMosaicNames.size(); ++k) {
    auto* radio = new QRadioButton(kMosaicNames[k].caption, box);
    radio->setObjectName(kMosaicNames[k].radio);
    connect(radio, &QRadioButton::clicked, this, [this, k] { showMosaic(k); });
    buttons->addWidget(radio);
    sizeButtons_[k] = radio;

    // All five scroll boxes share one place; only the chosen one is visible.
    auto* area = new QScrollArea(box);
    area->setObjectName(kMosaicNames[k].area);
    auto* image = new QLabel(area);
    image->setObjectName(kMosaicNames[k].image);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->installEventFilter(this);
    area->setWidget(image);
    area->setWidgetResizable(false);
    const int step = 64 + kPanelSizes[k].height / 2;
    area->verticalScrollBar()->setSingleStep(step);
    layout->addWidget(area, 1);
    mosaicAreas_[k] = area;
    mosaicImages_[k] = image;
  }
  buttons->addStretch(1);
  sizeButtons_[0]->setChecked(true);
  showMosaic(0);
  return box;
}

void TextureTab::ShowLevel(const Ttrlevel& level, const QImage& atlas) {
  if (atlas.isNull())
    BuildTextureViews(level, table_, panels_);
  else
    BuildTextureViews(level, atlas, table_, panels_);
  for (size_t k = 0; k < panels_.size(); ++k) {
    QLabel* image = mosaicImages_[k];
    if (panels_[k].bitmap.isNull()) {
      image->setPixmap(QPixmap());
      image->resize(0, 0);
    } else {
      image->setPixmap(QPixmap::fromImage(panels_[k].bitmap));
      image->resize(panels_[k].bitmap.size());
    }
  }
  {
    const QSignalBlocker quiet(pieceList_);
    pieceList_->clear();
    QStringList names;
    names.reserve(int(level.num_object_textures()));
    for (uint32_t i = 0; i < level.num_object_textures(); ++i)
      names << QStringLiteral("Texture#%1").arg(i);
    pieceList_->addItems(names);
    pieceList_->setCurrentRow(0);
  }
  showSelectedPiece();
}

void TextureTab::SelectPiece(int index) {
  const QSignalBlocker quiet(pieceList_);
  pieceList_->setCurrentRow(index);
  showSelectedPiece();
}

int TextureTab::selectedPiece() const {
  return pieceList_->currentRow();
}

void TextureTab::showSelectedPiece() {
  const int i = pieceList_->currentRow();
  const bool valid = i >= 0 && uint32_t(i) < table_.piece_count;
  const QImage& picture = GetPiecePreview(valid ? i : -1, table_, true);
  preview_->setPixmap(QPixmap::fromImage(picture));
  preview_->setFixedSize(picture.size());
  if (!valid) return;
  const int attribute = table_.pieces[size_t(i)].attribute;
  // An attribute the box has no entry for shows no entry rather than a wrong one.
  attribute_->setCurrentIndex(attribute < attributeCount_ ? attribute : -1);
  emit pieceChosen(i);
}

void TextureTab::showMosaic(size_t k) {
  for (size_t j = 0; j < mosaicAreas_.size(); ++j) {
    mosaicAreas_[j]->setVisible(j == k);
    mosaicImages_[j]->setVisible(j == k);
  }
}

bool TextureTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (size_t k = 0; k < mosaicImages_.size(); ++k) {
      if (watched == mosaicImages_[k]) {
        pickFromMosaic(k, static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TextureTab::pickFromMosaic(size_t k, QPoint at) {
  const tpanel_texture& panel = panels_[k];
  if (panel.bitmap.isNull()) return;
  const uint32_t p = HitTestPanel(at.x(), at.y(), panel);
  if (p == 0) return;
  SelectPiece(int(panel.pieces[p - 1]));
}

}  // namespace qavel
