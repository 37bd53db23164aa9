#pragma once
// Selection: what the user has chosen in the open level (a room, an item-list entry, a static
// mesh and a sector of that room, a texture piece), with one signal when any of it changes.

#include <QObject>

#include "editor/level_document.h"

namespace qavel {

class Selection : public QObject {
  Q_OBJECT

 public:
  // Parts of the selection, or-ed together in changed().
  enum Part : unsigned {
    kRoom = 1,
    kItem = 2,
    kStatic = 4,
    kSector = 8,
    kPiece = 16,
  };

  // Follows the document: an open starts on the first room and entry, and an edit selects what
  // it changed. It connects to the document before anything else can, so that every listener
  // of the document already sees the selection that goes with the change.
  explicit Selection(LevelDocument& document, QObject* parent = nullptr);

  int room() const { return room_; }
  int item() const { return item_; }  // an item-list entry
  int static_instance() const { return static_; }
  int column() const { return column_; }  // 1-based; -1 for none
  int row() const { return row_; }
  bool HasSector() const { return column_ > 0 && row_ > 0; }
  int piece() const { return piece_; }

  // A room of the level, as the room list selects it: its static and sector are forgotten.
  // A room the level does not have changes nothing.
  void SelectRoom(int room);
  void SelectItem(int entry);       // -1 (or an entry the list lacks) for none
  void SelectStatic(int instance);  // of the selected room; -1 for none
  void SelectSector(int column, int row);
  void SelectPiece(int piece);  // an object texture of the level; -1 for none

 signals:
  void changed(unsigned parts);

 private:
  void Reset();
  void Follow(const EditTarget& target);
  // Sets the values and tells which parts changed.
  void Set(int room, int item, int instance, int column, int row, int piece);

  const LevelDocument& document_;
  int room_ = -1;
  int item_ = -1;
  int static_ = -1;
  int column_ = -1;
  int row_ = -1;
  int piece_ = -1;
};

}  // namespace qavel
