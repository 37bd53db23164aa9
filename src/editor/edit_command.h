#pragma once
// EditCommand: one checked edit of the level (inspect/level_edit.h) as a step of the undo
// stack. It is the only code that changes the open level: it holds the document's key.

#include <QUndoCommand>

#include "editor/level_document.h"
#include "inspect/level_edit.h"

namespace qavel {

class EditCommand : public QUndoCommand {
 public:
  EditCommand(LevelDocument* document, LevelEdit edit);

  void redo() override;
  void undo() override;
  int id() const override { return edit_.merge(); }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  LevelDocument* document_;
  LevelEdit edit_;
};

// Makes a checked edit as one undo step: a refusal comes back as it is, and an edit that
// changes nothing adds no step.
Result Push(LevelDocument& document, Expected<LevelEdit> edit);

}  // namespace qavel
