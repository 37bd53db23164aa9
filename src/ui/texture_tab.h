#pragma once
// TextureTab: the "Textures" page: the list of texture pieces, a preview and five mosaics.

#include <QImage>
#include <QWidget>
#include <array>

#include "editor/editor_session.h"
#include "level/ttrlevel.h"
#include "textures/texture_panels.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QScrollArea;

namespace qavel {

class PiecePalette;

// Shows the object textures of the open level: the list with an enlarged preview of the chosen
// piece, the five mosaics, and a palette of every piece with a search by number. Bound to a
// session, it shows every level the session opens and keeps its piece in step with the selection's
// (a face texture picked up in the 3D view selects the piece here; a piece chosen here is the one
// faces are painted with). The page keeps only what it shows: the table and the mosaics.
class TextureTab : public QWidget {
  Q_OBJECT

 public:
  explicit TextureTab(QWidget* parent = nullptr);

  void bindSession(EditorSession& session);

  // Fills the list, the mosaics and the preview for a newly opened level. atlas is the one
  // BuildAtlas made for the texture store (an empty image builds it here).
  void ShowLevel(const Ttrlevel& level, const QImage& atlas = QImage());
  // Selects the piece in the list and shows it, as a click on the list entry does.
  void SelectPiece(int index);
  // The piece selected in the list, -1 for none.
  int selectedPiece() const;

  const Ttabla_textures& table() const { return table_; }
  const TexturePanels& panels() const { return panels_; }
  PiecePalette* palette() const { return palette_; }
  // How many screen pixels a texel of the preview takes (4 at least).
  int previewScale() const { return previewScale_; }

 signals:
  // A valid piece was selected (from the list, a mosaic or SelectPiece).
  void pieceChosen(int index);
  // The atlas of a newly opened level was built (the texture store takes its pages).
  void atlasBuilt(const QImage& atlas);

 private:
  QWidget* buildTableBox();
  QWidget* buildMosaicBox();
  void showSelectedPiece();
  // Draws the shown piece as large as the preview's place allows, by whole steps.
  void scalePreview();
  // Mosaics 0 to 4, or the palette (kPaletteView).
  void showMosaic(size_t k);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void pickFromMosaic(size_t k, QPoint at);

  Ttabla_textures table_;
  TexturePanels panels_;
  int attributeCount_ = 0;

  QListWidget* pieceList_ = nullptr;
  QLabel* preview_ = nullptr;
  QScrollArea* previewArea_ = nullptr;
  QImage previewImage_;  // the piece at its own size
  int previewScale_ = 4;
  PiecePalette* palette_ = nullptr;
  QRadioButton* paletteButton_ = nullptr;
  QComboBox* attribute_ = nullptr;
  std::array<QRadioButton*, 5> sizeButtons_{};
  std::array<QScrollArea*, 5> mosaicAreas_{};
  std::array<QLabel*, 5> mosaicImages_{};
};

}  // namespace qavel
