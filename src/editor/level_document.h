#pragma once
// LevelDocument: the open level, its file, its undo stack and the tables derived from it.

#include <QObject>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/movable_names.h"
#include "level/progress.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

struct FloorData;

// Item-list indices placed in one room (the per-room lists the view draws).
struct titems_rec {
  int32_t count = 0;
  std::vector<uint16_t> items;
};

// What an edit changed, so that the panels refresh only what they must.
enum class Change {
  kItem,            // one entry of the item list; index = the entry
  kItems,           // the item list grew or shrank; index = the entry to show
  kStatic,          // one static instance; index = the instance in the room
  kStatics,         // the room's static list grew or shrank; index = the instance to show
  kRoom,            // a value of the room (flags, TR5 header values)
  kFace,            // a face of the room (texture, corner order); index = -1
  kWeather,         // the level's weather value
  kLevel,           // an import or its undo replaced level tables; the floor data is the same
  kLevelFloorData,  // as kLevel, and the floor data was decoded again
};

class LevelDocument : public QObject {
  Q_OBJECT

 public:
  explicit LevelDocument(QObject* parent = nullptr);
  ~LevelDocument() override;

  // Reads the file into a fresh model and only then replaces the shown level; a failure leaves
  // the previous level as it was and says why.
  Result Open(const std::string& path);
  // Shows a level already in memory as if it had been opened from path.
  void Adopt(Ttrlevel level, const std::string& path);
  Result Save();  // to the opened file
  Result SaveAs(const std::string& path);
  // Reports how far reading, decoding the floor data and writing have come.
  void SetProgress(Progress progress);
  void SetCatalogPath(std::string path) { catalog_path_ = std::move(path); }

  bool HasLevel() const { return level_.IsLoaded() && level_.num_rooms() > 0; }
  const Ttrlevel& level() const { return level_; }
  const std::string& file_path() const { return file_path_; }
  bool IsModified() const { return !undo_stack_.isClean(); }
  QUndoStack& undo_stack() { return undo_stack_; }
  const MovableNames& names() const { return names_; }
  const FloorData& floor_data() const { return *floor_; }

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
  // Object id of an entry, -1 when there is none.
  int ObjectOfEntry(int entry) const;
  bool IsRoom(int room) const { return room >= 0 && room < level_.num_rooms(); }
  // Static instances of a room, 0 for a room the level does not have.
  int StaticCount(int room) const;

  // ---- For the undo commands only ----
  Ttrlevel& mutable_level() { return level_; }
  // Rebuilds what the change makes stale and tells the listeners.
  void Announce(Change what, int room, int index);
  // Puts a whole level state in place (an import or its undo) and rebuilds what is derived
  // from it: names, item tables, and floor-data groups when they can differ.
  void ReplaceLevel(const Ttrlevel& level);

 signals:
  void opened();
  // The floor data of a newly read level is being decoded (progress follows).
  void parsingFloorData();
  // After every do and undo of an edit: what changed, in which room (-1 for the level).
  void changed(Change what, int room, int index);

 private:
  void RebuildItemTables();

  std::unique_ptr<FloorData> floor_;
  Ttrlevel level_;
  std::string file_path_;
  std::string catalog_path_;
  Progress progress_;
  MovableNames names_;
  std::vector<titems_rec> room_items_;
  std::vector<std::string> item_texts_;
  QUndoStack undo_stack_;
};

}  // namespace qavel
