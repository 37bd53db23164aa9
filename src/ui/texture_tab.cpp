#include "ui/texture_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "textures/atlas.h"
#include "ui/piece_palette.h"

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

// The palette takes the place of the mosaics after the last of them.
constexpr size_t kPaletteView = kMosaicNames.size();
// The preview never shows a texel smaller than this many pixels a side.
constexpr int kMinPreviewScale = 4;

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
  layout->addWidget(pieceList_, 0, 0);

  attribute_ = new QComboBox(box);
  attribute_->setObjectName("ComboBox4");
  SetHint(attribute_, "Texture attrib");
  attribute_->addItems({"Opaque", "Transparent", "Semi-Transparent"});
  attributeCount_ = attribute_->count();
  layout->addWidget(attribute_, 1, 0);

  auto* label5 = new QLabel("8 bits transparent color:", box);
  label5->setObjectName("Label5");
  SetHint(label5, "Use this color for transparent textures");
  auto* label6 = new QLabel("0,0,0", box);
  label6->setObjectName("Label6");
  layout->addWidget(label5, 2, 0);
  layout->addWidget(label6, 3, 0);

  // The preview, enlarged by whole steps so that every texel stays a sharp square; a piece
  // too large for its place scrolls.
  previewArea_ = new QScrollArea(box);
  previewArea_->setObjectName("PreviewScroll");
  previewArea_->setWidgetResizable(false);
  previewArea_->setAlignment(Qt::AlignCenter);
  previewArea_->setMinimumSize(140, 140);
  previewArea_->viewport()->installEventFilter(this);
  preview_ = new QLabel(previewArea_);
  preview_->setObjectName("Image3");
  preview_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  SetHint(preview_, "The chosen piece, enlarged");
  previewArea_->setWidget(preview_);
  layout->addWidget(previewArea_, 0, 1, 4, 1);
  layout->setRowStretch(0, 1);
  layout->setColumnStretch(1, 1);
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
  paletteButton_ = new QRadioButton("All Pieces", box);
  paletteButton_->setObjectName("RadioButtonPalette");
  SetHint(paletteButton_, "Every piece as a large thumbnail");
  connect(paletteButton_, &QRadioButton::clicked, this, [this] { showMosaic(kPaletteView); });
  buttons->addWidget(paletteButton_);
  buttons->addStretch(1);
  palette_ = new PiecePalette(box);
  layout->addWidget(palette_, 1);
  palette_->searchField()->setMinimumWidth(100);
  buttons->addWidget(palette_->searchField());
  connect(palette_, &PiecePalette::pieceClicked, this, [this](int piece) { SelectPiece(piece); });
  // Typing a number shows the palette, where the search works.
  connect(palette_->searchField(), &QLineEdit::textEdited, this, [this] {
    paletteButton_->setChecked(true);
    showMosaic(kPaletteView);
  });
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
      // Said, rather than left blank, when the level has pieces but none of this size.
      image->setPixmap(QPixmap());
      image->setText(level.num_object_textures() == 0
                         ? QString()
                         : QString("This level has no pieces of %1.").arg(kMosaicNames[k].caption));
      image->adjustSize();
    } else {
      image->setText(QString());
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
  palette_->setTable(table_);
  showSelectedPiece();
}

void TextureTab::SelectPiece(int index) {
  {
    const QSignalBlocker quiet(pieceList_);
    pieceList_->setCurrentRow(index);
  }
  showSelectedPiece();
}

int TextureTab::selectedPiece() const {
  return pieceList_->currentRow();
}

void TextureTab::showSelectedPiece() {
  const int i = pieceList_->currentRow();
  const bool valid = i >= 0 && uint32_t(i) < table_.piece_count;
  previewImage_ = GetPiecePreview(valid ? i : -1, table_, true).copy();
  scalePreview();
  palette_->select(valid ? i : -1);
  if (!valid) return;
  const int attribute = table_.pieces[size_t(i)].attribute;
  // An attribute the box has no entry for shows no entry rather than a wrong one.
  attribute_->setCurrentIndex(attribute < attributeCount_ ? attribute : -1);
  emit pieceChosen(i);
}

void TextureTab::scalePreview() {
  const QSize piece = previewImage_.size();
  const QSize room = previewArea_->viewport()->size();
  previewScale_ = kMinPreviewScale;
  if (!piece.isEmpty())
    previewScale_ = std::max(
        kMinPreviewScale, std::min(room.width() / piece.width(), room.height() / piece.height()));
  // Whole steps without smoothing: each texel a square of previewScale_ pixels.
  const QImage shown = previewImage_.scaled(piece * previewScale_);
  preview_->setPixmap(QPixmap::fromImage(shown));
  preview_->setFixedSize(shown.size());
}

void TextureTab::showMosaic(size_t k) {
  for (size_t j = 0; j < mosaicAreas_.size(); ++j) {
    mosaicAreas_[j]->setVisible(j == k);
    mosaicImages_[j]->setVisible(j == k);
  }
  palette_->setVisible(k == kPaletteView);
}

bool TextureTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == previewArea_->viewport() && event->type() == QEvent::Resize) scalePreview();
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
