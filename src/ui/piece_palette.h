#pragma once
// PiecePalette: every texture piece of the level as a large thumbnail with its number, and a
// search by number. Thumbnails are drawn when they first come into sight, so a level of
// thousands of pieces costs only what is looked at.

#include <QWidget>

#include "textures/texture_panels.h"

class QLineEdit;
class QListView;

namespace qavel {

class PieceModel;

class PiecePalette : public QWidget {
  Q_OBJECT

 public:
  // Largest side of a thumbnail; pieces are enlarged by whole steps up to it.
  static constexpr int kThumbnail = 128;

  explicit PiecePalette(QWidget* parent);
  ~PiecePalette() override;

  // The pieces of a newly opened level (the table is copied; its atlas is shared, not copied).
  void setTable(const Ttabla_textures& table);
  // Marks the piece as the chosen one, where the search shows it.
  void select(int piece);
  // Shows the pieces whose number starts with the digits (all for none).
  void search(const QString& digits);
  // The pieces shown, in order.
  std::vector<int> shownPieces() const;
  QLineEdit* searchField() const { return search_; }
  QListView* view() const { return view_; }

 signals:
  // A piece was clicked, or the search named one exactly.
  void pieceClicked(int piece);

 private:
  PieceModel* model_ = nullptr;
  QLineEdit* search_ = nullptr;
  QListView* view_ = nullptr;
};

}  // namespace qavel
