#include "editor/editor_session.h"

namespace qavel {

EditorSession::EditorSession(QObject* parent) : QObject(parent), selection_(document_) {
  connect(&document_, &LevelDocument::opened, this, [this] { search_cursor_ = 1; });
}

void EditorSession::SetCreateMode(bool on) {
  if (on == create_mode_) return;
  create_mode_ = on;
  emit createModeChanged(on);
}

}  // namespace qavel
