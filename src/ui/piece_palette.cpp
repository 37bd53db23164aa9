#include "ui/piece_palette.h"

#include <QAbstractListModel>
#include <QCache>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace qavel {

// The pieces the search lets through, with their thumbnails made on demand.
class PieceModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void setTable(const Ttabla_textures& table) {
    beginResetModel();
    table_ = table;
    thumbnails_.clear();
    filter();
    endResetModel();
  }
  void setSearch(const QString& digits) {
    beginResetModel();
    digits_ = digits;
    filter();
    endResetModel();
  }
  int rowOf(int piece) const {
    const auto at = std::find(shown_.begin(), shown_.end(), piece);
    return at == shown_.end() ? -1 : static_cast<int>(at - shown_.begin());
  }
  int pieceAt(int row) const { return row >= 0 && row < rowCount() ? shown_[row] : -1; }
  const std::vector<int>& shown() const { return shown_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    const int piece = pieceAt(index.row());
    if (piece < 0) return {};
    switch (role) {
      case Qt::DisplayRole:
        return QString::number(piece);
      case Qt::DecorationRole:
        return thumbnail(piece);
      case Qt::ToolTipRole: {
        const QImage& image = GetPiecePreview(piece, table_, true);
        return QString("Texture#%1, %2 x %3").arg(piece).arg(image.width()).arg(image.height());
      }
      default:
        return {};
    }
  }

 private:
  void filter() {
    shown_.clear();
    for (uint32_t i = 0; i < table_.piece_count; ++i)
      if (digits_.isEmpty() || QString::number(i).startsWith(digits_))
        shown_.push_back(static_cast<int>(i));
  }
  QPixmap thumbnail(int piece) const {
    if (const QPixmap* cached = thumbnails_.object(piece)) return *cached;
    const QImage& image = GetPiecePreview(piece, table_, true);
    const int side = std::max(image.width(), image.height());
    if (side <= 0) return {};
    // Whole steps keep every texel square and sharp; a piece larger than a thumbnail shrinks.
    const int steps = PiecePalette::kThumbnail / side;
    QImage shown = steps >= 1 ? image.scaled(image.size() * steps)
                              : image.scaled(PiecePalette::kThumbnail, PiecePalette::kThumbnail,
                                             Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QPixmap pixmap = QPixmap::fromImage(shown);
    // The cache owns its copy and may drop it at any time.
    thumbnails_.insert(piece, new QPixmap(pixmap));
    return pixmap;
  }

  // The model's own copy: making a thumbnail must not replace the page's preview.
  mutable Ttabla_textures table_;
  mutable QCache<int, QPixmap> thumbnails_{512};
  QString digits_;
  std::vector<int> shown_;
};

PiecePalette::PiecePalette(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  model_ = new PieceModel(this);
  view_ = new QListView(this);
  view_->setObjectName("PiecePalette");
  view_->setViewMode(QListView::IconMode);
  view_->setIconSize(QSize(kThumbnail, kThumbnail));
  view_->setGridSize(QSize(kThumbnail + 12, kThumbnail + 24));
  view_->setUniformItemSizes(true);
  view_->setResizeMode(QListView::Adjust);
  view_->setMovement(QListView::Static);
  view_->setLayoutMode(QListView::Batched);
  view_->setModel(model_);
  view_->setToolTip("Click a piece to paint with it");
  view_->setStatusTip("Click a piece to paint with it");
  layout->addWidget(view_);
  connect(view_, &QListView::clicked, this, [this](const QModelIndex& index) {
    if (const int piece = model_->pieceAt(index.row()); piece >= 0) emit pieceClicked(piece);
  });

  search_ = new QLineEdit;
  search_->setObjectName("PieceSearch");
  search_->setPlaceholderText("Piece number");
  search_->setClearButtonEnabled(true);
  search_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), search_));
  search_->setToolTip("Show the pieces whose number starts with these digits");
  search_->setStatusTip("Show the pieces whose number starts with these digits");
  connect(search_, &QLineEdit::textChanged, this, &PiecePalette::search);
}

PiecePalette::~PiecePalette() = default;

void PiecePalette::setTable(const Ttabla_textures& table) {
  model_->setTable(table);
}

void PiecePalette::select(int piece) {
  const int row = model_->rowOf(piece);
  if (row < 0) {
    view_->clearSelection();
    return;
  }
  const QModelIndex index = model_->index(row);
  view_->setCurrentIndex(index);
  view_->scrollTo(index);
}

void PiecePalette::search(const QString& digits) {
  model_->setSearch(digits);
  if (digits.isEmpty()) return;
  const int exact = model_->rowOf(digits.toInt());
  if (exact >= 0 && QString::number(digits.toInt()) == digits) emit pieceClicked(digits.toInt());
}

std::vector<int> PiecePalette::shownPieces() const {
  return model_->shown();
}

}  // namespace qavel
