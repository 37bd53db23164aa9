#pragma once
// EditorSession: the opened level, the window's selections and every undoable edit of it.

#include <QImage>
#include <QObject>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/movable_names.h"
#include "editor/panel_texts.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// Item-list indices placed in one room (the per-room lists the view draws).
struct titems_rec {
  int32_t count = 0;
  std::vector<uint16_t> items;
};

// What an edit changed, so that the window refreshes only what it must.
enum class Change {
  kItem,     // one entry of the item list; index = the entry
  kItems,    // the item list grew or shrank
  kStatic,   // one static instance; index = the instance of the selected room
  kStatics,  // the selected room's static list grew or shrank
  kRoom,     // a value of the selected room (flags, TR5 header values)
  kWeather,  // the level's weather value
  kLevel,    // an import or its undo replaced level tables; everything derived is rebuilt
};

// The result of a command: refused edits say why (shown to the user once, by the window).
struct EditResult {
  bool done = false;
  std::string message;
  static EditResult Done() { return {true, {}}; }
  static EditResult Refused(std::string why = {}) { return {false, std::move(why)}; }
};

// The Create Item dialog's choices: a movable of the level and a position in panel units.
struct CreateChoice {
  int movable = -1;
  PanelPosition position;
};

// Room-flag bits switched by the Rooms tab.
enum RoomFlagBit : uint16_t {
  kFlagWater = 0x01,
  kFlagSky = 0x08,
  kFlagOutdoor = 0x20,
  kFlagQuicksand = 0x80,
};

// The two texts of the Floor Data tab for one sector.
struct SectorTexts {
  std::vector<std::string> raw;      // "Raw floor data"
  std::vector<std::string> details;  // "Trigger Details"
};

// Where the Create Item dialog takes a position from.
enum class PositionSource { kRoom, kItem, kStatic };

class EditorSession : public QObject {
  Q_OBJECT

 public:
  explicit EditorSession(QObject* parent = nullptr);
  ~EditorSession() override;

  // ---- Files ----
  // Reads the file into a fresh model and only then replaces the shown level; on failure the
  // previous level stays as it was and message says why.
  bool Open(const std::string& path, std::string* message);
  // Shows a level already in memory as if it had been opened from path.
  void Adopt(Ttrlevel level, const std::string& path);
  bool Save(std::string* message);  // to the opened file
  bool SaveAs(const std::string& path, std::string* message);
  void SetProgress(std::function<void(int)> progress) { progress_ = std::move(progress); }
  void SetCatalogPath(std::string path) { catalog_path_ = std::move(path); }

  bool HasLevel() const { return level_.IsLoaded() && level_.num_rooms() > 0; }
  const Ttrlevel& level() const { return level_; }
  const std::string& file_path() const { return file_path_; }
  bool IsModified() const { return !undo_stack_.isClean(); }
  QUndoStack& undo_stack() { return undo_stack_; }
  const MovableNames& names() const { return names_; }

  // ---- Derived tables ----
  const std::vector<titems_rec>& room_items() const { return room_items_; }
  const std::vector<std::string>& item_texts() const { return item_texts_; }
  std::vector<std::string> RoomTexts() const;
  // Entries of the item list: the items, then for TR4/TR5 the aux records.
  int ItemListSize() const { return static_cast<int>(item_texts_.size()); }
  bool IsItemEntry(int entry) const;
  bool IsAuxEntry(int entry) const;
  // Room of an entry, -1 when there is none.
  int RoomOfEntry(int entry) const;

  // ---- Selections ----
  int selected_room() const { return selected_room_; }
  int selected_item() const { return selected_item_; }
  int selected_static() const { return selected_static_; }
  int selected_column() const { return selected_column_; }
  int selected_row() const { return selected_row_; }
  int search_cursor() const { return search_cursor_; }
  void set_search_cursor(int cursor) { search_cursor_ = cursor; }
  bool create_mode() const { return create_mode_; }

  // Selects a room as the room list does: the sector and static selections are cleared.
  void SelectRoom(int room);
  void SelectItem(int entry);
  void SelectStatic(int instance);
  void SelectSector(int column, int row);
  // The movable of the selected entry in the movables list (-1 when not in the level).
  int MovableOfSelectedItem() const;

  // The next entry after `after` placed from movable m (its alias when it has one), items first,
  // then aux records; selects it and its room. Refused with "No more Items found".
  EditResult FindNextPlacement(int movable, int after);

  // ---- Items (the selected entry) ----
  EditResult ChangeItemId(int object_id);
  EditResult ChangeItemOcb(int ocb);
  EditResult RotateItem();
  EditResult SetItemX(int panel_x);
  EditResult SetItemY(int panel_y);
  EditResult SetItemZ(int panel_z);
  EditResult ChangeItemRoom(int room);
  EditResult ChangeItemLight(int light);
  // Copies the selected item into the selected room; in create mode makes the item chosen in
  // the Create Item dialog instead and leaves create mode.
  EditResult DuplicateItem(const CreateChoice& choice = {});
  void BeginCreate();

  // ---- Static meshes (the selected instance of the selected room) ----
  EditResult ChangeStaticId(int mesh_id);
  EditResult SetStaticX(int panel_x);
  EditResult SetStaticY(int panel_y);
  EditResult SetStaticZ(int panel_z);
  EditResult RotateStatic();
  EditResult ChangeStaticLights(int light1, int light2);
  EditResult DuplicateStatic();

  // ---- Room values ----
  EditResult SetRoomFlag(RoomFlagBit bit, bool on);
  EditResult SetWeatherValue(uint16_t value);
  EditResult SetTrcValue(int line, int32_t value);

  // ---- Exchange files ----
  // Each returns true when done; message gets the line to show either way. Exports write
  // nothing on failure. An import that changes the level is one undo step named after its
  // menu command; a refused file leaves the level and the undo stack as they were.
  bool ExportRoomDxf(const std::string& path, std::string* message);  // the selected room
  bool ImportRoomDxf(const std::string& path, std::string* message);  // the selected room
  bool ExportMsh(const std::string& path, std::string* message);
  bool ImportMsh(const std::string& path, bool geometry_only, std::string* message);
  bool ExportZqp(const std::string& path, std::string* message);
  // Recognises a project file; such files carry no edits yet, so the level never changes.
  bool ImportZqp(const std::string& path, std::string* message);

  // Create Item dialog: a position in panel units taken from the selected room, item or mesh.
  std::optional<PanelPosition> PositionFrom(PositionSource source) const;

  // ---- Floor data: the sector map, the Floor Data tab and the trigger searches ----
  bool HasFloorData() const;
  // The selected room's sector map with the selected sector framed; null without floor data.
  QImage SectorMapImage() const;
  // A left click at pixel (x, y) of the map selects the sector under it; false (and nothing
  // selected) when the click falls outside the room's cells.
  bool ClickSectorMap(int x, int y);
  // The texts of the selected sector; nothing when no sector of the room is selected.
  std::optional<SectorTexts> DecodeSelectedSector() const;
  // "Column:" c " Row:" r of the selected sector.
  std::string SectorStatus() const;
  // Where the selected item-list entry is triggered. first restarts the search at the first
  // group; otherwise it goes on after the last hit. A hit selects its room and sector.
  EditResult FindItemTrigger(bool first);
  // Triggers whose type and command match the two search lists (entry 0 is "ANY").
  EditResult FindTriggerByCriteria(int type_entry, int command_entry, bool first);

  // Called by the undo commands: applies a change to the model and announces it.
  Ttrlevel& mutable_level() { return level_; }
  void Announce(Change what, int room, int index);
  // Called by the import commands: puts a whole level state in place and rebuilds what the
  // session derives from it (names, item tables, floor-data groups when they can differ).
  void ReplaceLevel(const Ttrlevel& level);

 signals:
  void opened();
  // The floor data of a newly read level is being decoded (progress follows).
  void parsingFloorData();
  void changed(Change what, int index);
  void createModeChanged(bool on);

 private:
  void RebuildItemTables();
  EditResult EditItem(const char* name, int merge, const std::function<void(titem2&)>& change);
  EditResult EditAux(const char* name, int merge, const std::function<void(taux_item&)>& change);
  EditResult EditEntry(const char* name, int merge, const std::function<void(titem2&)>& item,
                       const std::function<void(taux_item&)>& aux);
  EditResult EditStatic(const char* name, int merge, const std::function<void(tstatic2&)>& change);
  troom* SelectedRoom();
  bool RunImport(const char* name, const std::function<Result(Ttrlevel&)>& import,
                 std::string* message);

  struct FloorState;
  std::unique_ptr<FloorState> floor_;

  Ttrlevel level_;
  std::string file_path_;
  std::string catalog_path_;
  std::function<void(int)> progress_;
  MovableNames names_;
  std::vector<titems_rec> room_items_;
  std::vector<std::string> item_texts_;
  QUndoStack undo_stack_;

  int selected_room_ = -1;
  int selected_item_ = -1;
  int selected_static_ = -1;
  int selected_column_ = -1;
  int selected_row_ = -1;
  int search_cursor_ = 1;
  bool create_mode_ = false;
};

}  // namespace qavel
