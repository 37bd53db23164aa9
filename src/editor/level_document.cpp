#include "editor/level_document.h"

#include <algorithm>
#include <utility>

#include "floordata/floor_data.h"
#include "level/level_reader.h"
#include "level/level_writer.h"

namespace qavel {

namespace {

// Whether the floor-data groups decoded from a can serve b: they read the floor-data table and
// the rooms' sector grids only.
bool SameFloorData(const Ttrlevel& a, const Ttrlevel& b) {
  if (a.floor_data != b.floor_data || a.rooms.size() != b.rooms.size()) return false;
  for (size_t r = 0; r < a.rooms.size(); ++r) {
    const troom& x = a.rooms[r];
    const troom& y = b.rooms[r];
    if (x.sectors != y.sectors || x.num_x_sectors != y.num_x_sectors ||
        x.num_z_sectors != y.num_z_sectors)
      return false;
  }
  return true;
}

}  // namespace

LevelDocument::LevelDocument(QObject* parent)
    : QObject(parent), floor_(std::make_unique<FloorData>()) {}
LevelDocument::~LevelDocument() = default;

void LevelDocument::SetProgress(Progress progress) {
  progress_ = std::move(progress);
}

// ---- Files ----

Result LevelDocument::Open(const std::string& path) {
  Expected<Ttrlevel> fresh = ReadLevel(path, progress_);
  if (!fresh) return fresh.result();
  Adopt(std::move(*fresh), path);
  return Result::Ok();
}

void LevelDocument::Adopt(Ttrlevel level, const std::string& path) {
  undo_stack_.clear();
  level_ = std::move(level);
  file_path_ = path;
  names_ = BuildMovableNames(level_, catalog_path_);
  emit parsingFloorData();
  *floor_ = ParseFloorData(level_, progress_);
  RebuildItemTables();
  undo_stack_.setClean();
  emit opened();
}

Result LevelDocument::Save() {
  return SaveAs(file_path_);
}

Result LevelDocument::SaveAs(const std::string& path) {
  if (!level_.IsLoaded()) return Result::Fail(Status::kNothingLoaded, "No level is open.");
  // What the writer computes stays in the file: the shown level (and the undo stack's view of
  // it) is the same before and after a save, whatever name the file gets.
  if (Expected<LevelFileValues> written = WriteLevel(level_, path, progress_); !written)
    return written.result();
  file_path_ = path;
  undo_stack_.setClean();
  return Result::Ok();
}

// ---- Derived tables ----

void LevelDocument::RebuildItemTables() {
  room_items_.assign(level_.num_rooms(), {});
  item_texts_.clear();
  auto place = [this](size_t entry, uint16_t object_id, uint16_t room) {
    // An item in a room the level does not have is listed but drawn nowhere.
    if (room < room_items_.size()) {
      room_items_[room].items.push_back(static_cast<uint16_t>(entry));
      room_items_[room].count = static_cast<int32_t>(room_items_[room].items.size());
    }
    item_texts_.push_back(std::to_string(entry) + ".-" + names_.NameOf(object_id));
  };
  for (size_t i = 0; i < level_.num_items(); ++i)
    place(i, level_.items2[i].object_id, level_.items2[i].room);
  if (level_.version_kind >= kTR4) {
    for (size_t j = 0; j < level_.aux_items.size(); ++j)
      place(level_.num_items() + j, level_.aux_items[j].object_id, level_.aux_items[j].room);
  }
}

std::vector<std::string> LevelDocument::RoomTexts() const {
  std::vector<std::string> out;
  out.reserve(level_.num_rooms());
  for (size_t r = 0; r < level_.num_rooms(); ++r) out.push_back("Room #" + std::to_string(r));
  return out;
}

bool LevelDocument::IsItemEntry(int entry) const {
  return entry >= 0 && static_cast<size_t>(entry) < level_.num_items();
}

bool LevelDocument::IsAuxEntry(int entry) const {
  return entry >= 0 && !IsItemEntry(entry) && entry < ItemListSize();
}

int LevelDocument::RoomOfEntry(int entry) const {
  if (IsItemEntry(entry)) return level_.items2[entry].room;
  if (IsAuxEntry(entry)) return level_.aux_items[entry - level_.num_items()].room;
  return -1;
}

int LevelDocument::ObjectOfEntry(int entry) const {
  if (IsItemEntry(entry)) return level_.items2[entry].object_id;
  if (IsAuxEntry(entry)) return level_.aux_items[entry - level_.num_items()].object_id;
  return -1;
}

int LevelDocument::StaticCount(int room) const {
  return IsRoom(room) ? static_cast<int>(level_.rooms[room].num_static_instances()) : 0;
}

// ---- Changes ----

void LevelDocument::Announce(Change what, int room, int index) {
  if (what == Change::kItem || what == Change::kItems) RebuildItemTables();
  emit changed(what, room, index);
}

void LevelDocument::ReplaceLevel(const Ttrlevel& level) {
  const bool floor_changed = !SameFloorData(level_, level);
  const bool movables_changed = level_.movables != level.movables;
  level_ = level;
  if (movables_changed) names_ = BuildMovableNames(level_, catalog_path_);
  if (floor_changed) *floor_ = ParseFloorData(level_);
  RebuildItemTables();
  emit changed(floor_changed ? Change::kLevelFloorData : Change::kLevel, -1, -1);
}

}  // namespace qavel
