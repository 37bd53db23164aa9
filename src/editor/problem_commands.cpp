#include "editor/problem_commands.h"

#include <limits>

namespace qavel {

namespace {

int Index(int64_t index) {
  return index < 0 || index > std::numeric_limits<int>::max() ? -1 : static_cast<int>(index);
}

}  // namespace

ProblemPage GoToProblem(EditorSession& session, const ProblemPlace& where) {
  Selection& sel = session.selection();
  switch (where.kind) {
    case PlaceKind::kRoom:
    case PlaceKind::kPortal:
    case PlaceKind::kRectangle:
    case PlaceKind::kTriangle:
    case PlaceKind::kRoomSprite:
      sel.SelectRoom(where.room);
      return ProblemPage::kRooms;
    case PlaceKind::kSector:
      sel.SelectRoom(where.room);
      // The selection counts columns and rows from 1.
      sel.SelectSector(where.column + 1, where.row + 1);
      return ProblemPage::kFloorData;
    case PlaceKind::kStatic:
      sel.SelectRoom(where.room);
      sel.SelectStatic(Index(where.index));
      return ProblemPage::kStatics;
    case PlaceKind::kItem: {
      const int entry = Index(where.index);
      sel.SelectItem(entry);
      // An entry whose room does not exist stays where it is shown.
      sel.SelectRoom(session.document().RoomOfEntry(entry));
      return ProblemPage::kItems;
    }
    case PlaceKind::kObjectTexture:
      sel.SelectPiece(Index(where.index));
      return ProblemPage::kTextures;
    default:
      return ProblemPage::kNone;
  }
}

}  // namespace qavel
