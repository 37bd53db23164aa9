#include "check/check_level.h"

#include <algorithm>

#include "check/check_rules.h"

namespace qavel {

namespace check {

std::string Plural(uint64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string LevelHas(uint64_t count, std::string_view one, std::string_view many) {
  return "the level has " + Plural(count, one, many);
}

ProblemPlace RoomPlace(size_t room) {
  ProblemPlace p;
  p.kind = PlaceKind::kRoom;
  p.room = static_cast<int32_t>(room);
  return p;
}

ProblemPlace InRoom(PlaceKind kind, size_t room, size_t index) {
  ProblemPlace p;
  p.kind = kind;
  p.room = static_cast<int32_t>(room);
  p.index = static_cast<int64_t>(index);
  return p;
}

ProblemPlace SectorPlace(const troom& room, size_t room_index, size_t sector) {
  // Sectors are stored column by column.
  const size_t rows = std::max<size_t>(room.num_z_sectors, 1);
  ProblemPlace p;
  p.kind = PlaceKind::kSector;
  p.room = static_cast<int32_t>(room_index);
  p.column = static_cast<int32_t>(sector / rows);
  p.row = static_cast<int32_t>(sector % rows);
  return p;
}

ProblemPlace TablePlace(PlaceKind kind, size_t index) {
  ProblemPlace p;
  p.kind = kind;
  p.index = static_cast<int64_t>(index);
  return p;
}

ProblemPlace MovablePlace(const Ttrlevel& level, size_t movable) {
  ProblemPlace p = TablePlace(PlaceKind::kMovable, movable);
  p.object_id = level.movables[movable].object_id;
  return p;
}

size_t SoundMapSize(const Ttrlevel& level) {
  if (!level.extended_word_table.empty()) return level.extended_word_table.size();
  return level.version_kind < kTR2 ? 256 : level.version_kind == kTR5 ? 450 : 370;
}

int SoundMapEntry(const Ttrlevel& level, size_t id) {
  if (!level.extended_word_table.empty())
    return static_cast<int16_t>(level.extended_word_table[id]);
  int16_t v;
  std::memcpy(&v, level.word_table.data() + 2 * id, 2);
  return v;
}

}  // namespace check

std::vector<Problem> CheckLevel(const Ttrlevel& level) {
  check::Findings out;
  check::CheckRooms(level, out);
  check::CheckItems(level, out);
  const std::vector<uint8_t> camera_use = check::CheckFloorData(level, out);
  check::CheckMeshes(level, out);
  check::CheckMovables(level, out);
  check::CheckAnimations(level, out);
  check::CheckTextures(level, out);
  check::CheckBoxes(level, out);
  check::CheckCameras(level, camera_use, out);
  check::CheckSound(level, out);
  return std::move(out.problems);
}

size_t CountProblems(const std::vector<Problem>& problems, Severity severity) {
  return static_cast<size_t>(std::count_if(
      problems.begin(), problems.end(), [&](const Problem& p) { return p.severity == severity; }));
}

std::string_view SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string_view PlaceKindName(PlaceKind kind) {
  switch (kind) {
    case PlaceKind::kRoom:
      return "room";
    case PlaceKind::kPortal:
      return "portal";
    case PlaceKind::kSector:
      return "sector";
    case PlaceKind::kRectangle:
      return "rectangle";
    case PlaceKind::kTriangle:
      return "triangle";
    case PlaceKind::kRoomSprite:
      return "sprite";
    case PlaceKind::kStatic:
      return "static";
    case PlaceKind::kItem:
      return "item";
    case PlaceKind::kMesh:
      return "mesh";
    case PlaceKind::kMovable:
      return "movable";
    case PlaceKind::kStaticMesh:
      return "static mesh";
    case PlaceKind::kAnimation:
      return "animation";
    case PlaceKind::kStateChange:
      return "state change";
    case PlaceKind::kAnimDispatch:
      return "anim dispatch";
    case PlaceKind::kObjectTexture:
      return "texture";
    case PlaceKind::kSpriteTexture:
      return "sprite texture";
    case PlaceKind::kSpriteSequence:
      return "sprite sequence";
    case PlaceKind::kAnimatedTextures:
      return "animated texture group";
    case PlaceKind::kBox:
      return "box";
    case PlaceKind::kOverlap:
      return "overlap";
    case PlaceKind::kZones:
      return "zone array";
    case PlaceKind::kCamera:
      return "camera";
    case PlaceKind::kFlybyCamera:
      return "flyby camera";
    case PlaceKind::kSoundSource:
      return "sound source";
    case PlaceKind::kSoundMap:
      return "sound map entry";
    case PlaceKind::kSoundDetail:
      return "sound detail";
  }
  return "record";
}

std::string PlaceText(const ProblemPlace& where) {
  const std::string kind(PlaceKindName(where.kind));
  const std::string room = std::to_string(where.room);
  switch (where.kind) {
    case PlaceKind::kRoom:
      return "room " + room;
    case PlaceKind::kSector:
      // Counted from 1, as the sector commands and the window count them.
      return "column " + std::to_string(where.column + 1) + ", row " +
             std::to_string(where.row + 1) + " of room " + room;
    case PlaceKind::kPortal:
    case PlaceKind::kRectangle:
    case PlaceKind::kTriangle:
    case PlaceKind::kRoomSprite:
    case PlaceKind::kStatic:
      return kind + " " + std::to_string(where.index) + " of room " + room;
    case PlaceKind::kMovable:
    case PlaceKind::kStaticMesh:
      return kind + " " + std::to_string(where.index) + " (object ID " +
             std::to_string(where.object_id) + ")";
    default:
      return kind + " " + std::to_string(where.index);
  }
}

}  // namespace qavel
