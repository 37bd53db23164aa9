#pragma once
// EditorSession: one open level as the window works on it: the document (level, file, undo),
// the selection, the trigger-search cursor and the Create Item mode. The commands by topic
// (item_commands.h, static_commands.h, room_commands.h, face_commands.h, floor_commands.h,
// exchange_commands.h) act on it; the panels are given it and follow its signals.

#include <QObject>

#include "editor/level_document.h"
#include "editor/selection.h"

namespace qavel {

class EditorSession : public QObject {
  Q_OBJECT

 public:
  explicit EditorSession(QObject* parent = nullptr);

  LevelDocument& document() { return document_; }
  const LevelDocument& document() const { return document_; }
  Selection& selection() { return selection_; }
  const Selection& selection() const { return selection_; }

  // Shorthands for what nearly every caller asks.
  const Ttrlevel& level() const { return document_.level(); }
  bool HasLevel() const { return document_.HasLevel(); }
  QUndoStack& undo_stack() { return document_.undo_stack(); }

  // Where the next trigger search starts (a floor-data group; 1 after every open).
  int search_cursor() const { return search_cursor_; }
  void set_search_cursor(int cursor) { search_cursor_ = cursor; }

  // While the Create Item dialog is open, the next Duplicate makes the dialog's item.
  bool create_mode() const { return create_mode_; }
  void SetCreateMode(bool on);

 signals:
  void createModeChanged(bool on);

 private:
  LevelDocument document_;
  Selection selection_;
  int search_cursor_ = 1;
  bool create_mode_ = false;
};

}  // namespace qavel
