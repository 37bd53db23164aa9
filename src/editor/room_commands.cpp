#include "editor/room_commands.h"

#include "editor/edit_command.h"

namespace qavel {

Result SetRoomFlag(EditorSession& session, RoomFlagBit bit, bool on) {
  return Push(session.document(),
              edit::SetRoomFlag(session.level(), session.selection().room(), bit, on));
}

Result SetWeatherValue(EditorSession& session, uint16_t value) {
  return Push(session.document(), edit::SetWeatherValue(session.level(), value));
}

Result SetTrcValue(EditorSession& session, int line, double value) {
  return Push(session.document(),
              edit::SetTrcValue(session.level(), session.selection().room(), line, value));
}

}  // namespace qavel
