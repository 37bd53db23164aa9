// The decoder over the real game levels and the demo level, which holds every function number,
// trigger type and command: the groups must tile the stream exactly, and every sector must point
// at the start of a group (a misread length would shift both).

#include <gtest/gtest.h>

#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "level/level_reader.h"
#include "test_paths.h"

namespace qavel {
namespace {

// Words one decoded group occupies in the stream.
size_t GroupLength(const tfloordata_group& g) {
  size_t n = 0;
  for (const auto& fn : g.functions) {
    n += IsOneWordFunction(fn.function) ? 1 : 2;
    if (fn.function != 4) continue;
    if (fn.trigger.trigger_item >= 0) ++n;
    for (const auto& c : fn.trigger.commands) n += c.command == 1 ? 2 : 1;
  }
  return n;
}

TEST(RealLevelFloorData, GroupsTileTheStreamAndSectorsPointAtGroups) {
  for (const auto& [generation, path] : test::SweptLevels()) {
    SCOPED_TRACE(generation);
    const Ttrlevel level = test::ReadLevelOrFail(path);
    ASSERT_TRUE(level.IsLoaded());
    const FloorData fd = ParseFloorData(level);
    ASSERT_GT(fd.num_groups(), 1u);
    size_t end = 1;
    for (size_t g = 1; g < fd.num_groups(); ++g) {
      ASSERT_EQ(fd.Group(g).fd_start, end) << "group " << g;
      end += GroupLength(fd.Group(g));
    }
    EXPECT_EQ(end, level.num_floor_data());

    size_t triggers = 0;
    for (const auto& g : fd.FloorDataGroups) triggers += g.has_trigger;
    EXPECT_GT(triggers, 0u);
    for (size_t r = 0; r < level.rooms.size(); ++r) {
      const troom& room = level.rooms[r];
      for (const auto& s : room.sectors) {
        if (s.fd_index == 0) continue;
        EXPECT_NE(fd.GroupOf(s.fd_index), 0u) << "room " << r << " fd_index " << s.fd_index;
      }
      const SectorMap map = BuildSectorMap(level, fd, r);
      EXPECT_EQ(map.cells.size(), room.sectors.size());
      for (int c = 1; c <= room.num_x_sectors; ++c)
        for (int w = 1; w <= room.num_z_sectors; ++w)
          ASSERT_TRUE(DecodeSector(level, fd, r, c, w, {}));
    }
    // Every trigger group is reachable by the criteria search, one per Find Next.
    SearchCursor cursor;
    size_t found = 0;
    while (FindTriggerByCriteria(level, fd, cursor, 0, 0).kind != SearchResult::kNoMatch) {
      ++found;
      cursor.Advance();
    }
    EXPECT_EQ(found, triggers);
  }
}

}  // namespace
}  // namespace qavel
