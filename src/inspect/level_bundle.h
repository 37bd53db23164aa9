#pragma once
// LevelBundle: an open level with what both programs derive from it once per open: the movable
// names, the decoded floor data, the per-room item lists, the item list's texts and the level's
// problems. Opening builds it (on any thread: it holds no callbacks), the problems when first
// asked for; an edit refreshes what it made stale.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/check_level.h"
#include "floordata/floor_data.h"
#include "inspect/item_list.h"
#include "inspect/level_edit.h"
#include "inspect/movable_names.h"
#include "level/progress.h"
#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

struct LevelBundle {
  Ttrlevel level;
  std::string catalog_path;  // where the names were read from; read again when movables change
  MovableNames names;
  FloorData floor_data;
  std::vector<titems_rec> room_items;
  std::vector<std::string> item_texts;

  // CheckLevel's findings, made on the first ask (a command that never shows them never pays
  // for the check), then kept current through every edit. Not to be asked from two threads at
  // once.
  const std::vector<Problem>& Problems() const;

 private:
  friend std::vector<Problem> RefreshAfterEdit(LevelBundle& bundle, const EditTarget& target);
  mutable std::optional<std::vector<Problem>> problems_;
};

// The steps of an open, for a gauge that says which one runs.
enum class OpenStep { kReading, kFloorData };
struct OpenProgress {
  std::function<void(OpenStep step, int percent)> report;
  // Asked between the steps; an open told to stop fails with kRefused ("Cancelled.").
  std::function<bool()> cancelled;
};

// Reads the level file and derives everything from it; a failure says why.
Expected<LevelBundle> OpenLevelBundle(const std::string& path, const std::string& catalog_path,
                                      const OpenProgress& progress = {});
// The same for a level already in memory.
LevelBundle MakeLevelBundle(Ttrlevel level, const std::string& catalog_path,
                            const Progress& floor_data_progress = {});

// How a save is going: its progress, whether to stop, and the moment the file starts to be
// replaced (a save stopped before then leaves the file as it was).
struct SaveProgress {
  Progress report;
  std::function<bool()> cancelled;
  std::function<void()> writing;
};
// Builds the level file in memory, then replaces the file with it safely (a failure leaves the
// old file as it was and says why once). A save told to stop before the writing starts fails
// with kRefused ("Cancelled.").
Result SaveLevelFile(const Ttrlevel& level, const std::string& path,
                     const SaveProgress& progress = {});

// Makes again what an applied (or reverted) edit made stale, the problems included once they
// have been asked for; returns the problems the change brought that the level did not have
// before (none while nobody has asked for the problems: they are then made when first asked).
std::vector<Problem> RefreshAfterEdit(LevelBundle& bundle, const EditTarget& target);

// Whether the floor-data groups decoded from a serve b as well: they read the floor-data table
// and the rooms' sector grids only.
bool SameFloorData(const Ttrlevel& a, const Ttrlevel& b);
// An edit that puts after in the place of before (an import), named after its command.
LevelEdit ReplaceLevelEdit(std::string name, Ttrlevel before, Ttrlevel after);

}  // namespace qavel
