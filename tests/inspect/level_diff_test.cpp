// The difference of two levels names exactly the edits made, in the model's names; a level
// written and read back, and every real level against itself, differ in nothing.

#include <gtest/gtest.h>

#include <functional>

#include "demo/demo_level.h"
#include "inspect/level_diff.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "test_paths.h"

namespace qavel {
namespace {

std::vector<std::string> Lines(const Ttrlevel& a, const Ttrlevel& b) {
  const Expected<std::vector<LevelDifference>> diffs = DiffLevels(a, b);
  EXPECT_TRUE(diffs) << diffs.message();
  std::vector<std::string> lines;
  if (diffs)
    for (const LevelDifference& d : *diffs) lines.push_back(d.Text());
  return lines;
}

struct EditRow {
  const char* name;
  std::function<void(Ttrlevel&)> edit;
  std::vector<std::string> expected;
};

TEST(LevelDiff, NamesExactlyTheEditsMade) {
  const Ttrlevel demo = BuildDemoLevel();
  ASSERT_GE(demo.num_rooms(), 2);
  ASSERT_GE(demo.items2.size(), 2u);
  ASSERT_GE(demo.rooms[0].rectangles.size(), 21u);
  ASSERT_FALSE(demo.rooms[0].statics2.empty());
  const titem2 item1 = demo.items2[1];
  const int texture20 = demo.rooms[0].rectangles[20].texture;
  const tstatic2 static0 = demo.rooms[0].statics2[0];
  const bool water = demo.rooms[1].flags & 1;
  const std::string on = water ? "water on" : "water off", off = water ? "water off" : "water on";
  const size_t items = demo.items2.size();

  const std::vector<EditRow> rows = {
      {"item moved and turned",
       [&](Ttrlevel& l) {
         titem2 it = l.items2[1];
         it.x += 16;
         it.angle = 0x4000;
         StoreItem(l, 1, it);
       },
       {"item 1 x: " + std::to_string(item1.x) + " -> " + std::to_string(item1.x + 16),
        item1.angle == 0x4000 ? "" : "item 1 angle: " + std::to_string(item1.angle) + " -> 16384"}},
      {"item added",
       [&](Ttrlevel& l) {
         l.ResizeItems(items + 1);
         titem2 it = item1;
         it.object_id = 12;
         it.room = 1;
         it.x = 1024, it.y = -256, it.z = 2048;
         StoreItem(l, items, it);
       },
       {"items count: " + std::to_string(items) + " -> " + std::to_string(items + 1),
        "item " + std::to_string(items) + " added: object 12 in room 1 at 1024, -256, 2048"}},
      {"item removed",
       [&](Ttrlevel& l) { l.ResizeItems(items - 1); },
       {"items count: " + std::to_string(items) + " -> " + std::to_string(items - 1),
        "item " + std::to_string(items - 1) + " removed"}},
      {"room flag",
       [](Ttrlevel& l) { l.rooms[1].flags ^= 1; },
       {"room 1 flags: " + on + " -> " + off}},
      {"face painted",
       [](Ttrlevel& l) { l.rooms[0].rectangles[20].texture ^= 1; },
       {"room 0 rectangle 20 texture: " + std::to_string(texture20) + " -> " +
        std::to_string(texture20 ^ 1)}},
      {"static moved",
       [](Ttrlevel& l) {
         tstatic2 s = l.rooms[0].statics2[0];
         s.z -= 512;
         StoreStatic(l.rooms[0], 0, s);
       },
       {"static 0.0 z: " + std::to_string(static0.z) + " -> " + std::to_string(static0.z - 512)}},
      {"movable changed whole",
       [](Ttrlevel& l) { l.movables[0].animation ^= 1; },
       {"movable 0 changed"}},
      {"texels painted",
       [](Ttrlevel& l) {
         Bytes pages = l.pages16.ToBytes();
         pages[2 * 256 * 256 + 10] ^= 0xFF;  // page 1, texel 5
         pages[2 * 256 * 256 + 12] ^= 0xFF;  // page 1, texel 6
         l.pages16 = SharedBlock::Of(std::move(pages));
       },
       {"16-bit texture page 1 texels changed: 2"}},
  };
  for (const EditRow& row : rows) {
    SCOPED_TRACE(row.name);
    Ttrlevel edited = demo;
    row.edit(edited);
    std::vector<std::string> expected;
    for (const std::string& line : row.expected)
      if (!line.empty()) expected.push_back(line);
    EXPECT_EQ(Lines(demo, edited), expected);
  }
}

TEST(LevelDiff, OpaqueBlocksBySizeAndChecksumAndLongListsCut) {
  const Ttrlevel demo = BuildDemoLevel();
  Ttrlevel edited = demo;
  edited.tail_data = SharedBlock::Of(Bytes{1, 2, 3});
  edited.floor_data.assign(demo.floor_data.size() + 30, 0xBEEF);
  const std::vector<std::string> lines = Lines(demo, edited);
  // Every floor-data word changed or was added: twenty named, then how many more.
  const size_t more = demo.floor_data.size() + 30 - 20;
  ASSERT_EQ(lines.size(), 1u + 20 + 1 + 1) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "floor data count: " + std::to_string(demo.floor_data.size()) + " -> " +
                          std::to_string(demo.floor_data.size() + 30));
  EXPECT_EQ(lines[21], "floor data and " + std::to_string(more) + " more changed");
  EXPECT_EQ(lines[22].substr(0, 9), "samples: ");
  EXPECT_NE(lines[22].find(" -> 3 bytes, crc32 0x55BC801D"), std::string::npos) << lines[22];
}

TEST(LevelDiff, WrittenAndReadBackOrItselfIsEqualAndGenerationsAreNotMixed) {
  const Ttrlevel demo = BuildDemoLevel();
  const Expected<WrittenLevel> written = WriteLevelBytes(demo, "demo.tr4");
  ASSERT_TRUE(written) << written.message();
  const Expected<Ttrlevel> read = ReadLevelBytes(written->bytes, "demo.tr4");
  ASSERT_TRUE(read) << read.message();
  EXPECT_TRUE(Lines(demo, *read).empty());

  for (const auto& [generation, path] : test::RealLevels()) {
    SCOPED_TRACE(path);
    const Ttrlevel level = test::ReadLevelOrFail(path);
    EXPECT_TRUE(Lines(level, level).empty());
    if (generation == "TR4") continue;
    const Expected<std::vector<LevelDifference>> mixed = DiffLevels(demo, level);
    ASSERT_FALSE(mixed);
    EXPECT_EQ(mixed.message(), "the levels are of different generations (TR4 and " +
                                   std::string(GenerationName(level.version_kind)) +
                                   "); diff compares levels of one");
  }
  EXPECT_FALSE(DiffLevels(Ttrlevel{}, demo));
}

TEST(LevelDiff, PlacesOfTheRecordsAWindowCanGoTo) {
  const auto place = [](const char* record) {
    return PlaceOfDifference(LevelDifference{record, "x", "1", "2"});
  };
  const struct {
    const char* record;
    PlaceKind kind;
    int room;
    int index;
  } rows[] = {{"item 7", PlaceKind::kItem, -1, 7},
              {"static 3.1", PlaceKind::kStatic, 3, 1},
              {"room 2", PlaceKind::kRoom, 2, -1},
              {"room 2 statics", PlaceKind::kRoom, 2, -1},
              {"room 0 rectangle 40", PlaceKind::kRectangle, 0, 40},
              {"room 5 triangle 3", PlaceKind::kTriangle, 5, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.record);
    const auto p = place(row.record);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, row.kind);
    EXPECT_EQ(p->room, row.room);
    EXPECT_EQ(p->index, row.index);
  }
  for (const char* none : {"movable 4", "items", "item x", "static 3", "room -1", "texture page 2"})
    EXPECT_FALSE(place(none)) << none;
}

}  // namespace
}  // namespace qavel
