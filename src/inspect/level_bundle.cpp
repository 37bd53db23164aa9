#include "inspect/level_bundle.h"

#include "inspect/level_problems.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"

namespace qavel {

namespace {

void RebuildItemTables(LevelBundle& b) {
  b.room_items = RoomItemLists(b.level);
  b.item_texts = ItemListTexts(b.names, b.level);
}

}  // namespace

Expected<LevelBundle> OpenLevelBundle(const std::string& path, const std::string& catalog_path,
                                      const OpenProgress& progress) {
  auto step = [&progress](OpenStep s) {
    return [&progress, s](int percent) {
      if (progress.report) progress.report(s, percent);
    };
  };
  auto cancelled = [&progress] { return progress.cancelled && progress.cancelled(); };
  Expected<Ttrlevel> read = ReadLevel(path, step(OpenStep::kReading));
  if (!read) return read.result();
  if (cancelled()) return Result::Fail(Status::kRefused, "Cancelled.");
  step(OpenStep::kFloorData)(0);
  return MakeLevelBundle(std::move(*read), catalog_path, step(OpenStep::kFloorData));
}

LevelBundle MakeLevelBundle(Ttrlevel level, const std::string& catalog_path,
                            const Progress& floor_data_progress) {
  LevelBundle b;
  b.level = std::move(level);
  b.catalog_path = catalog_path;
  b.names = BuildMovableNames(b.level, catalog_path);
  b.floor_data = ParseFloorData(b.level, floor_data_progress);
  RebuildItemTables(b);
  return b;
}

const std::vector<Problem>& LevelBundle::Problems() const {
  if (!problems_) problems_ = CheckLevel(level);
  return *problems_;
}

Result SaveLevelFile(const Ttrlevel& level, const std::string& path, const SaveProgress& progress) {
  Expected<WrittenLevel> built = WriteLevelBytes(level, path, progress.report);
  if (!built) return built.result();
  if (progress.cancelled && progress.cancelled())
    return Result::Fail(Status::kRefused, "Cancelled.");
  if (progress.writing) progress.writing();
  return WriteFileAtomically(path, built->bytes);
}

std::vector<Problem> RefreshAfterEdit(LevelBundle& b, const EditTarget& target) {
  if (const LevelTarget* whole = AsLevel(target)) {
    if (whole->movables) b.names = BuildMovableNames(b.level, b.catalog_path);
    if (whole->floor_data) b.floor_data = ParseFloorData(b.level);
    RebuildItemTables(b);
  } else if (TouchesItems(target)) {
    RebuildItemTables(b);
  }
  if (!b.problems_) return {};
  // Any value can name another record, so the whole level is checked again (see
  // bench/problems_bench.cpp for what that costs on a level of game size).
  std::vector<Problem> now = CheckLevel(b.level);
  std::vector<Problem> added = NewProblems(*b.problems_, now);
  b.problems_ = std::move(now);
  return added;
}

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

LevelEdit ReplaceLevelEdit(std::string name, Ttrlevel before, Ttrlevel after) {
  const LevelTarget target{!SameFloorData(before, after), before.movables != after.movables};
  return LevelEdit::Change<Ttrlevel>(std::move(name), target, kNoMerge, std::move(before),
                                     std::move(after),
                                     [](Ttrlevel& level, const Ttrlevel& v) { level = v; });
}

}  // namespace qavel
