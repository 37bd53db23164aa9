#include "editor/editor_session.h"

#include <cstring>
#include <utility>

#include "editor/edit_commands.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"
#include "level/level_reader.h"
#include "level/level_writer.h"

#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"

namespace qavel {

// The decoded floor data of the open level (rebuilt on every open, never edited).
struct EditorSession::FloorState {
  FloorData data;
};

namespace {

constexpr size_t kStaticCapacity = RoomCapacity::static_instances;

QString Q(const char* text) {
  return QString::fromUtf8(text);
}

}  // namespace

EditorSession::EditorSession(QObject* parent)
    : QObject(parent), floor_(std::make_unique<FloorState>()) {}
EditorSession::~EditorSession() = default;

// ---- Files ----

bool EditorSession::Open(const std::string& path, std::string* message) {
  auto read = ReadLevel(path, progress_);
  if (!read) {
    if (message) *message = read.message();
    return false;
  }
  Adopt(std::move(*read), path);
  return true;
}

void EditorSession::Adopt(Ttrlevel level, const std::string& path) {
  undo_stack_.clear();
  level_ = std::move(level);
  file_path_ = path;
  names_ = BuildMovableNames(level_, catalog_path_);
  emit parsingFloorData();
  floor_->data = ParseFloorData(level_, progress_);
  RebuildItemTables();
  selected_room_ = level_.num_rooms() > 0 ? 0 : -1;
  selected_item_ = item_texts_.empty() ? -1 : 0;
  selected_static_ = -1;
  selected_column_ = selected_row_ = -1;
  search_cursor_ = 1;
  undo_stack_.setClean();
  emit opened();
}

bool EditorSession::Save(std::string* message) {
  return SaveAs(file_path_, message);
}

bool EditorSession::SaveAs(const std::string& path, std::string* message) {
  if (!level_.IsLoaded()) {
    if (message) *message = "No level is open.";
    return false;
  }
  // The level stays as it is: what the writer computes (size words, TR5 room headers, the
  // generation the name chose) it computes again on every save.
  const auto written = WriteLevel(level_, path, progress_);
  if (!written) {
    if (message) *message = written.message();
    return false;
  }
  file_path_ = path;
  undo_stack_.setClean();
  return true;
}

// ---- Derived tables ----

void EditorSession::RebuildItemTables() {
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
    place(i, level_.items1[i].object_id, level_.items1[i].room);
  if (level_.version_kind >= kTR4) {
    for (size_t j = 0; j < level_.aux_items.size(); ++j)
      place(level_.num_items() + j, level_.aux_items[j].object_id, level_.aux_items[j].room);
  }
}

std::vector<std::string> EditorSession::RoomTexts() const {
  std::vector<std::string> out;
  for (size_t r = 0; r < level_.num_rooms(); ++r) out.push_back("Room #" + std::to_string(r));
  return out;
}

bool EditorSession::IsItemEntry(int entry) const {
  return entry >= 0 && static_cast<size_t>(entry) < level_.num_items();
}

bool EditorSession::IsAuxEntry(int entry) const {
  return entry >= 0 && !IsItemEntry(entry) && entry < ItemListSize();
}

int EditorSession::RoomOfEntry(int entry) const {
  if (IsItemEntry(entry)) return level_.items1[entry].room;
  if (IsAuxEntry(entry)) return level_.aux_items[entry - level_.num_items()].room;
  return -1;
}

// ---- Selections ----

void EditorSession::SelectRoom(int room) {
  if (room < 0 || room >= level_.num_rooms()) return;
  selected_room_ = room;
  selected_static_ = -1;
  selected_column_ = selected_row_ = -1;
}

void EditorSession::SelectItem(int entry) {
  selected_item_ = entry >= 0 && entry < ItemListSize() ? entry : -1;
}

void EditorSession::SelectStatic(int instance) {
  const troom* room = SelectedRoom();
  selected_static_ =
      room && instance >= 0 && static_cast<size_t>(instance) < room->num_static_instances()
          ? instance
          : -1;
}

void EditorSession::SelectSector(int column, int row) {
  selected_column_ = column;
  selected_row_ = row;
}

int EditorSession::MovableOfSelectedItem() const {
  if (!IsItemEntry(selected_item_) && !IsAuxEntry(selected_item_)) return -1;
  const uint16_t id = IsItemEntry(selected_item_)
                          ? level_.items1[selected_item_].object_id
                          : level_.aux_items[selected_item_ - level_.num_items()].object_id;
  return names_.MovableIndexOf(id);
}

troom* EditorSession::SelectedRoom() {
  if (selected_room_ < 0 || selected_room_ >= level_.num_rooms()) return nullptr;
  return &level_.rooms[selected_room_];
}

EditResult EditorSession::FindNextPlacement(int movable, int after) {
  if (!HasLevel() || movable < 0 || static_cast<size_t>(movable) >= level_.movables.size())
    return EditResult::Refused();
  uint32_t id = level_.movables[movable].object_id;
  if (const int alias = names_.AliasOf(id); alias != -1) id = static_cast<uint32_t>(alias);
  const int items = static_cast<int>(level_.num_items());
  int found = -1;
  for (int k = std::max(after + 1, 0); k < items && found < 0; ++k)
    if (level_.items1[k].object_id == id) found = k;
  if (found < 0 && level_.version_kind >= kTR4) {
    const int aux = static_cast<int>(level_.aux_items.size());
    for (int j = std::max(0, after + 1 - items); j < aux && found < 0; ++j)
      if (level_.aux_items[j].object_id == id) found = items + j;
  }
  if (found < 0) return EditResult::Refused("No more Items found");
  SelectItem(found);
  SelectRoom(RoomOfEntry(found));
  return EditResult::Done();
}

// ---- Announcements ----

void EditorSession::Announce(Change what, int room, int index) {
  if (room >= 0 && room != selected_room_) SelectRoom(room);
  switch (what) {
    case Change::kItem:
    case Change::kItems:
      RebuildItemTables();
      SelectItem(std::min(index, ItemListSize() - 1));
      break;
    case Change::kStatic:
    case Change::kStatics:
      if (const troom* r = SelectedRoom())
        SelectStatic(std::min(index, static_cast<int>(r->num_static_instances()) - 1));
      break;
    case Change::kRoom:
    case Change::kWeather:
    case Change::kLevel:
      break;
  }
  emit changed(what, index);
}

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

void EditorSession::ReplaceLevel(const Ttrlevel& level) {
  const bool floor_changed = !SameFloorData(level_, level);
  const bool movables_changed = level_.movables != level.movables;
  level_ = level;
  if (movables_changed) names_ = BuildMovableNames(level_, catalog_path_);
  if (floor_changed) {
    floor_->data = ParseFloorData(level_, progress_);
    selected_column_ = selected_row_ = -1;
  }
  RebuildItemTables();
  const int room = std::min(selected_room_, level_.num_rooms() - 1);
  if (room != selected_room_) SelectRoom(room);
  SelectItem(std::min(selected_item_, ItemListSize() - 1));
  SelectStatic(selected_static_);
  emit changed(Change::kLevel, selected_room_);
}

// ---- Exchange files ----

namespace {

bool Report(const Result& result, std::string* message) {
  if (message) *message = result.message();
  return result.ok();
}

bool NoLevel(std::string* message) {
  if (message) *message = "No level is open.";
  return false;
}

}  // namespace

bool EditorSession::RunImport(const char* name, const std::function<Result(Ttrlevel&)>& import,
                              std::string* message) {
  if (!HasLevel()) return NoLevel(message);
  // The import works on a copy, so a refused file cannot leave a half-changed level behind.
  Ttrlevel after = level_;
  const Result result = import(after);
  if (!result.ok()) return Report(result, message);
  if (!(after == level_))
    undo_stack_.push(new ReplaceLevelCommand(this, Q(name), level_, std::move(after)));
  return Report(result, message);
}

bool EditorSession::ExportRoomDxf(const std::string& path, std::string* message) {
  if (!HasLevel()) return NoLevel(message);
  return Report(qavel::ExportRoomDxf(level_, static_cast<size_t>(selected_room_), path), message);
}

bool EditorSession::ImportRoomDxf(const std::string& path, std::string* message) {
  const auto room = static_cast<size_t>(selected_room_);
  return RunImport(
      "Import DXF", [&](Ttrlevel& level) { return qavel::ImportRoomDxf(level, room, path); },
      message);
}

bool EditorSession::ExportMsh(const std::string& path, std::string* message) {
  if (!HasLevel()) return NoLevel(message);
  return Report(qavel::ExportMsh(level_, path), message);
}

bool EditorSession::ImportMsh(const std::string& path, bool geometry_only, std::string* message) {
  return RunImport(
      geometry_only ? "Import MSH_2" : "Import MSH_1",
      [&](Ttrlevel& level) {
        return qavel::ImportMsh(
            level, path, geometry_only ? MshImportMode::kGeometryOnly : MshImportMode::kFull);
      },
      message);
}

bool EditorSession::ExportZqp(const std::string& path, std::string* message) {
  if (!HasLevel()) return NoLevel(message);
  return Report(ExportProject(level_, path), message);
}

bool EditorSession::ImportZqp(const std::string& path, std::string* message) {
  if (!HasLevel()) return NoLevel(message);
  return Report(ImportProject(level_, path), message);
}

// ---- Items ----

EditResult EditorSession::EditItem(const char* name, int merge,
                                   const std::function<void(titem2&)>& change) {
  const int n = selected_item_;
  if (!IsItemEntry(n)) return EditResult::Refused();
  const ItemPair before{level_.items1[n], level_.items2[n]};
  titem2 edited = before.form2;
  change(edited);
  const ItemPair after{ItemToTr1(edited), edited};
  if (after == before) return EditResult::Done();
  undo_stack_.push(new ChangeValueCommand<ItemPair>(this, Q(name), {Change::kItem, -1, n}, merge,
                                                    before, after,
                                                    [n](Ttrlevel& level, const ItemPair& v) {
                                                      level.items1.at(n) = v.form1;
                                                      level.items2.at(n) = v.form2;
                                                    }));
  return EditResult::Done();
}

EditResult EditorSession::EditAux(const char* name, int merge,
                                  const std::function<void(taux_item&)>& change) {
  if (!IsAuxEntry(selected_item_)) return EditResult::Refused();
  const int n = selected_item_;
  const size_t j = static_cast<size_t>(n) - level_.num_items();
  const taux_item before = level_.aux_items[j];
  taux_item after = before;
  change(after);
  if (after == before) return EditResult::Done();
  undo_stack_.push(new ChangeValueCommand<taux_item>(
      this, Q(name), {Change::kItem, -1, n}, merge, before, after,
      [j](Ttrlevel& level, const taux_item& v) { level.aux_items.at(j) = v; }));
  return EditResult::Done();
}

EditResult EditorSession::EditEntry(const char* name, int merge,
                                    const std::function<void(titem2&)>& item,
                                    const std::function<void(taux_item&)>& aux) {
  if (IsAuxEntry(selected_item_)) return EditAux(name, merge, aux);
  return EditItem(name, merge, item);
}

EditResult EditorSession::ChangeItemId(int object_id) {
  const auto id = static_cast<uint16_t>(object_id);
  // The item's room is shown, as after a double click on the list.
  SelectRoom(RoomOfEntry(selected_item_));
  return EditEntry(
      "Change ID", kNoMerge, [id](titem2& i) { i.object_id = id; },
      [id](taux_item& a) { a.object_id = id; });
}

EditResult EditorSession::ChangeItemOcb(int ocb) {
  if (level_.version_kind < kTR4) return EditResult::Refused();
  const auto v = static_cast<int16_t>(ocb);
  return EditEntry(
      "Change OCB", kNoMerge, [v](titem2& i) { i.light2_ocb = v; },
      [v](taux_item& a) { a.ocb = v; });
}

EditResult EditorSession::RotateItem() {
  if (IsAuxEntry(selected_item_)) return EditResult::Refused("Aux entries have no angle.");
  return EditItem("Rotate", kNoMerge,
                  [](titem2& i) { i.angle = static_cast<uint16_t>(i.angle + 0x2000); });
}

EditResult EditorSession::SetItemX(int panel_x) {
  const int32_t v = panel_x * 512;
  return EditEntry(
      "Change -X-", kMergeItemX, [v](titem2& i) { i.x = v; }, [v](taux_item& a) { a.x = v; });
}

EditResult EditorSession::SetItemY(int panel_y) {
  const int32_t v = panel_y * 256;
  return EditEntry(
      "Change -Y-", kMergeItemY, [v](titem2& i) { i.y = v; }, [v](taux_item& a) { a.y = v; });
}

EditResult EditorSession::SetItemZ(int panel_z) {
  const int32_t v = panel_z * 512;
  return EditEntry(
      "Change -Z-", kMergeItemZ, [v](titem2& i) { i.z = v; }, [v](taux_item& a) { a.z = v; });
}

EditResult EditorSession::ChangeItemRoom(int room) {
  if (selected_item_ < 0 || selected_item_ >= ItemListSize()) return EditResult::Refused();
  if (room < 0 || room >= level_.num_rooms())
    return EditResult::Refused("Room " + std::to_string(room) + " does not exist in this level.");
  const auto v = static_cast<uint16_t>(room);
  return EditEntry(
      "Change -R-", kNoMerge, [v](titem2& i) { i.room = v; }, [v](taux_item& a) { a.room = v; });
}

EditResult EditorSession::ChangeItemLight(int light) {
  if (IsAuxEntry(selected_item_)) return EditResult::Refused("Aux entries have no light.");
  const auto v = static_cast<int16_t>(light);
  return EditItem("Change -W-", kNoMerge, [v](titem2& i) {
    i.light1 = v;
    i.light2_ocb = v;
  });
}

void EditorSession::BeginCreate() {
  create_mode_ = true;
  emit createModeChanged(true);
}

EditResult EditorSession::DuplicateItem(const CreateChoice& choice) {
  if (!HasLevel() || selected_room_ < 0) return EditResult::Refused();
  titem2 item{};
  const bool from_item = IsItemEntry(selected_item_);
  if (from_item) item = level_.items2[selected_item_];
  if (create_mode_) {
    if (choice.movable < 0 || static_cast<size_t>(choice.movable) >= level_.movables.size())
      return EditResult::Refused("Choose the movable of the new item in the Create Item dialog.");
    item.object_id = static_cast<uint16_t>(level_.movables[choice.movable].object_id);
    item.x = choice.position.x * 512;
    item.y = choice.position.y * 256;
    item.z = choice.position.z * 512;
  } else if (!from_item) {
    return EditResult::Refused(IsAuxEntry(selected_item_) ? "Aux entries cannot be duplicated."
                                                          : std::string());
  }
  item.room = static_cast<uint16_t>(selected_room_);
  const int n = static_cast<int>(level_.num_items());
  const ItemPair pair{ItemToTr1(item), item};
  undo_stack_.push(new AppendRecordCommand<ItemPair>(
      this, create_mode_ ? Q("Create Item") : Q("Duplicate"), {Change::kItems, -1, n}, pair,
      [](Ttrlevel& level, const ItemPair& v) {
        level.items1.push_back(v.form1);
        level.items2.push_back(v.form2);
      },
      [](Ttrlevel& level) { level.ResizeItems(level.num_items() - 1); }));
  if (create_mode_) {
    create_mode_ = false;
    emit createModeChanged(false);
  }
  return EditResult::Done();
}

// ---- Static meshes ----

EditResult EditorSession::EditStatic(const char* name, int merge,
                                     const std::function<void(tstatic2&)>& change) {
  troom* room = SelectedRoom();
  const int k = selected_static_;
  if (!room || k < 0 || static_cast<size_t>(k) >= room->num_static_instances())
    return EditResult::Refused();
  const int r = selected_room_;
  const StaticPair before{room->statics1[k], room->statics2[k]};
  tstatic2 edited = before.form2;
  change(edited);
  // Both forms change together, so a TR1 level (whose file holds the first) saves what the
  // panel shows.
  const StaticPair after{StaticToTr1(edited), edited};
  if (after == before) return EditResult::Done();
  undo_stack_.push(new ChangeValueCommand<StaticPair>(this, Q(name), {Change::kStatic, r, k}, merge,
                                                      before, after,
                                                      [r, k](Ttrlevel& level, const StaticPair& v) {
                                                        level.rooms.at(r).statics1.at(k) = v.form1;
                                                        level.rooms.at(r).statics2.at(k) = v.form2;
                                                      }));
  return EditResult::Done();
}

EditResult EditorSession::ChangeStaticId(int mesh_id) {
  const auto v = static_cast<uint16_t>(mesh_id);
  return EditStatic("Change ID", kNoMerge, [v](tstatic2& s) { s.mesh_id = v; });
}

EditResult EditorSession::SetStaticX(int panel_x) {
  const int32_t v = panel_x * 512;
  return EditStatic("Change -X-", kMergeStaticX, [v](tstatic2& s) { s.x = v; });
}

EditResult EditorSession::SetStaticY(int panel_y) {
  const int32_t v = panel_y * 256;
  return EditStatic("Change -Y-", kMergeStaticY, [v](tstatic2& s) { s.y = v; });
}

EditResult EditorSession::SetStaticZ(int panel_z) {
  const int32_t v = panel_z * 512;
  return EditStatic("Change -Z-", kMergeStaticZ, [v](tstatic2& s) { s.z = v; });
}

EditResult EditorSession::RotateStatic() {
  return EditStatic("Rotate", kNoMerge,
                    [](tstatic2& s) { s.rotation = static_cast<uint16_t>(s.rotation + 0x2000); });
}

EditResult EditorSession::ChangeStaticLights(int light1, int light2) {
  const auto a = static_cast<uint16_t>(light1);
  const auto b = static_cast<uint16_t>(light2);
  return EditStatic("Change L1,L2", kMergeStaticLights, [a, b](tstatic2& s) {
    s.intensity1 = a;
    s.intensity2 = b;
  });
}

EditResult EditorSession::DuplicateStatic() {
  troom* room = SelectedRoom();
  const int k = selected_static_;
  if (!room || k < 0 || static_cast<size_t>(k) >= room->num_static_instances())
    return EditResult::Refused();
  if (room->num_static_instances() >= kStaticCapacity)
    return EditResult::Refused("This room already holds " + std::to_string(kStaticCapacity) +
                               " static meshes; no more can be added.");
  const int r = selected_room_;
  const int n = static_cast<int>(room->num_static_instances());
  const StaticPair pair{room->statics1[k], room->statics2[k]};
  undo_stack_.push(new AppendRecordCommand<StaticPair>(
      this, Q("Duplicate"), {Change::kStatics, r, n}, pair,
      [r](Ttrlevel& level, const StaticPair& v) {
        level.rooms.at(r).statics1.push_back(v.form1);
        level.rooms.at(r).statics2.push_back(v.form2);
      },
      [r](Ttrlevel& level) {
        level.rooms.at(r).statics1.pop_back();
        level.rooms.at(r).statics2.pop_back();
      }));
  return EditResult::Done();
}

// ---- Room values ----

EditResult EditorSession::SetRoomFlag(RoomFlagBit bit, bool on) {
  troom* room = SelectedRoom();
  if (!room) return EditResult::Refused();
  const uint16_t before = room->flags;
  const auto after = static_cast<uint16_t>(on ? before | bit : before & ~bit);
  if (after == before) return EditResult::Done();
  const char* name = bit == kFlagWater     ? "Water Enabled"
                     : bit == kFlagSky     ? "Sky Enabled"
                     : bit == kFlagOutdoor ? "Outdoor Enabled"
                                           : "QuickSand Enabled";
  const int r = selected_room_;
  undo_stack_.push(new ChangeValueCommand<uint16_t>(
      this, Q(name), {Change::kRoom, r, r}, kNoMerge, before, after,
      [r](Ttrlevel& level, const uint16_t& v) { level.rooms.at(r).flags = v; }));
  return EditResult::Done();
}

EditResult EditorSession::SetWeatherValue(uint16_t value) {
  if (!level_.IsLoaded()) return EditResult::Refused();
  const uint16_t before = Weather(level_);
  if (before == value) return EditResult::Done();
  undo_stack_.push(new ChangeValueCommand<uint16_t>(
      this, Q("TRC Weather"), {Change::kWeather, -1, value}, kNoMerge, before, value,
      [](Ttrlevel& level, const uint16_t& v) { SetWeather(level, v); }));
  return EditResult::Done();
}

EditResult EditorSession::SetTrcValue(int line, int32_t value) {
  troom* room = SelectedRoom();
  if (!room || line < 0 || line >= kTrcValueLines) return EditResult::Refused();
  const uint32_t before = TrcValueField(*room, line);
  const auto after = static_cast<uint32_t>(value);
  if (after == before) return EditResult::Done();
  const int r = selected_room_;
  undo_stack_.push(new ChangeValueCommand<uint32_t>(this, Q("<<EDIT>>"), {Change::kRoom, r, r},
                                                    kNoMerge, before, after,
                                                    [r, line](Ttrlevel& level, const uint32_t& v) {
                                                      TrcValueField(level.rooms.at(r), line) = v;
                                                    }));
  return EditResult::Done();
}

// ---- Floor data ----

namespace {

std::string NameOfObject(const MovableNames& names, uint32_t id) {
  return names.NameOf(id);
}

}  // namespace

bool EditorSession::HasFloorData() const {
  return HasLevel();
}

QImage EditorSession::SectorMapImage() const {
  if (!HasLevel()) return {};
  const SectorMap map = BuildSectorMap(level_, floor_->data, static_cast<size_t>(selected_room_),
                                       selected_column_, selected_row_);
  const Image24 picture = PaintSectorMap(map);
  if (picture.width() <= 0 || picture.height() <= 0) return {};
  QImage image(picture.width(), picture.height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.height(); ++y)
    std::memcpy(image.scanLine(y), picture.pixels().data() + size_t(y) * picture.width() * 3,
                size_t(picture.width()) * 3);
  return image;
}

bool EditorSession::ClickSectorMap(int x, int y) {
  if (!HasLevel()) return false;
  const SectorMap map = BuildSectorMap(level_, floor_->data, static_cast<size_t>(selected_room_));
  const auto cell = SectorMapCellAt(map, x, y);
  if (!cell) return false;
  SelectSector(cell->first, cell->second);
  return true;
}

std::optional<SectorTexts> EditorSession::DecodeSelectedSector() const {
  if (!HasLevel() || selected_column_ < 1 || selected_row_ < 1) return std::nullopt;
  const auto text =
      DecodeSector(level_, floor_->data, static_cast<size_t>(selected_room_), selected_column_,
                   selected_row_, [this](uint32_t id) { return NameOfObject(names_, id); });
  if (!text) return std::nullopt;
  return SectorTexts{text->raw, text->details};
}

std::string EditorSession::SectorStatus() const {
  return SectorStatusText(selected_column_, selected_row_);
}

namespace {

// Runs one search from the session's cursor and keeps the cursor it leaves.
template <class Search>
SearchResult RunSearch(int& cursor_value, bool first, Search search) {
  SearchCursor cursor{cursor_value};
  if (first)
    cursor.Restart();
  else
    cursor.Advance();
  SearchResult result = search(cursor);
  cursor_value = cursor.value;
  return result;
}

}  // namespace

EditResult EditorSession::FindItemTrigger(bool first) {
  if (!HasLevel() || selected_item_ < 0) return EditResult::Refused();
  const auto item = static_cast<uint32_t>(selected_item_);
  const SearchResult r = RunSearch(search_cursor_, first, [&](SearchCursor& c) {
    return qavel::FindTriggerForItem(level_, floor_->data, c, item);
  });
  if (r.kind != SearchResult::kFound) return EditResult::Refused(r.message);
  SelectRoom(static_cast<int>(r.place.room));
  SelectSector(r.place.column, r.place.row);
  return EditResult::Done();
}

EditResult EditorSession::FindTriggerByCriteria(int type_entry, int command_entry, bool first) {
  if (!HasLevel()) return EditResult::Refused();
  const SearchResult r = RunSearch(search_cursor_, first, [&](SearchCursor& c) {
    return qavel::FindTriggerByCriteria(level_, floor_->data, c, type_entry, command_entry);
  });
  if (r.kind != SearchResult::kFound) return EditResult::Refused(r.message);
  SelectRoom(static_cast<int>(r.place.room));
  SelectSector(r.place.column, r.place.row);
  return EditResult::Done();
}

// ---- Create Item dialog ----

std::optional<PanelPosition> EditorSession::PositionFrom(PositionSource source) const {
  if (!HasLevel()) return std::nullopt;
  const troom* room = selected_room_ >= 0 && selected_room_ < level_.num_rooms()
                          ? &level_.rooms[selected_room_]
                          : nullptr;
  switch (source) {
    case PositionSource::kRoom:
      if (!room) return std::nullopt;
      return ToPanelUnits(room->x, room->y_bottom, room->z);
    case PositionSource::kItem:
      if (IsItemEntry(selected_item_)) {
        const titem2& i = level_.items2[selected_item_];
        return ToPanelUnits(i.x, i.y, i.z);
      }
      if (IsAuxEntry(selected_item_)) {
        const taux_item& a = level_.aux_items[selected_item_ - level_.num_items()];
        return ToPanelUnits(a.x, a.y, a.z);
      }
      return std::nullopt;
    case PositionSource::kStatic:
      if (!room || selected_static_ < 0 ||
          static_cast<size_t>(selected_static_) >= room->num_static_instances())
        return std::nullopt;
      const tstatic2& s = room->statics2[selected_static_];
      return ToPanelUnits(s.x, s.y, s.z);
  }
  return std::nullopt;
}

}  // namespace qavel
