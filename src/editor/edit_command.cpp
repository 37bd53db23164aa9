#include "editor/edit_command.h"

namespace qavel {

EditCommand::EditCommand(LevelDocument* document, LevelEdit edit)
    : QUndoCommand(QString::fromStdString(edit.name())),
      document_(document),
      edit_(std::move(edit)) {}

void EditCommand::redo() {
  document_->Perform(edit_, LevelDocument::kApply, {});
}

void EditCommand::undo() {
  document_->Perform(edit_, LevelDocument::kRevert, {});
}

bool EditCommand::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const EditCommand*>(other);
  if (next == nullptr || !edit_.Absorb(next->edit_)) return false;
  setObsolete(edit_.ChangesNothing());
  return true;
}

Result Push(LevelDocument& document, Expected<LevelEdit> edit) {
  if (!edit) return edit.result();
  if (!edit->ChangesNothing())
    document.undo_stack().push(new EditCommand(&document, std::move(*edit)));
  return Result::Ok();
}

}  // namespace qavel
