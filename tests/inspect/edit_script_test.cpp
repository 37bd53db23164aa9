// Edit scripts make the same edits as the window's commands (the same files, byte for byte), the
// difference of the edited level names exactly those edits, and a refused line changes nothing
// and names itself. The difference of two levels names exactly the edits made, in the model's
// names; a level written and read back differs in nothing (every real level against itself: the
// sweep).

#include <gtest/gtest.h>

#include <functional>

#include "demo/demo_level.h"
#include "edit_helpers.h"
#include "inspect/edit_script.h"
#include "inspect/face_edits.h"
#include "inspect/item_edits.h"
#include "inspect/level_diff.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::Changed;
using test::Do;
using test::FileOf;

// The window's path: each command's edit made on the level in turn, as its buttons would.
using WindowEdits = std::function<void(Ttrlevel&)>;

struct Row {
  std::string line;
  WindowEdits window;
  std::vector<std::string> changed;  // what the difference names ("" rows are dropped)
};

Result RunLine(Ttrlevel& level, const std::string& line) {
  return ApplyEditScript(level, {{"line 1", line}});
}

TEST(EditScript, MakesTheWindowsEditsByteForByteAndTheDiffNamesThem) {
  const Ttrlevel demo = BuildDemoLevel();
  const titem2 item1 = demo.items2[1];
  const tstatic2 s0 = demo.rooms[0].statics2[0];
  const int n = static_cast<int>(demo.items2.size());
  const std::string items = std::to_string(n);
  const std::string statics = std::to_string(demo.rooms[0].statics2.size());
  const uint16_t movable = static_cast<uint16_t>(demo.movables[0].object_id);
  const bool water1 = demo.rooms[1].flags & kFlagWater;
  const int other_piece = demo.rooms[0].rectangles[0].texture == 1 ? 2 : 1;
  const std::vector<Row> rows = {
      {"item 1 x=1040 angle=90",
       [&](Ttrlevel& l) {
         Do(l, edit::PlaceItem(l, 1, {1040, item1.y, item1.z, 0x4000}));
       },
       {"item 1 x", item1.angle == 0x4000 ? "" : "item 1 angle"}},
      {"item 1 angle=0x2000 y=-300 z=77",
       [&](Ttrlevel& l) {
         Do(l, edit::PlaceItem(l, 1, {item1.x, -300, 77, 0x2000}));
       },
       {"item 1 y", "item 1 z", item1.angle == 0x2000 ? "" : "item 1 angle"}},
      {"item 1 object=" + std::to_string(movable) + " ocb=-5 light=300 room=0",
       [&](Ttrlevel& l) {
         Do(l, edit::ChangeItemId(l, 1, movable));
         Do(l, edit::ChangeItemOcb(l, 1, -5));
         Do(l, edit::ChangeItemLight(l, 1, 300));
         Do(l, edit::ChangeItemRoom(l, 1, 0));
       },
       {item1.object_id == movable ? "" : "item 1 object", item1.room == 0 ? "" : "item 1 room",
        "item 1 light", "item 1 ocb"}},
      {"item 1 flags=1+3+C",
       [&](Ttrlevel& l) {
         for (int f : {0, 1, 2, 3, 4, 5, 7}) {
           const bool want = f == 1 || f == 3 || f == 7;
           if (((l.items2[1].item_flags & edit::ItemFlagMask(l, 1, f)) != 0) != want)
             Do(l, edit::ToggleItemFlag(l, 1, f));
         }
       },
       {"item 1 flags"}},
      {"item 1 duplicate room=1",
       [](Ttrlevel& l) { Do(l, edit::DuplicateItem(l, 1, 1, std::nullopt)); },
       {"items count", "item " + items}},
      {"create " + std::to_string(movable) + " 1 1100 -256 2050",
       [&](Ttrlevel& l) {
         Do(l, edit::DuplicateItem(l, -1, 1, edit::CreateChoice{0, {2, -1, 4}}));
         Do(l, edit::PlaceItem(l, n, {1100, -256, 2050, 0}));
       },
       {"items count", "item " + items}},
      {"static 0.0 x=2000 angle=180 light2=77",
       [&](Ttrlevel& l) {
         Do(l, edit::PlaceStatic(l, 0, 0, {2000, s0.y, s0.z, s0.rotation}));
         Do(l, edit::PlaceStatic(l, 0, 0, {2000, s0.y, s0.z, 0x8000}));
         Do(l, edit::ChangeStaticLights(l, 0, 0, s0.intensity1, 77));
       },
       {"static 0.0 x", s0.rotation == 0x8000 ? "" : "static 0.0 angle",
        s0.intensity2 == 77 ? "" : "static 0.0 light2"}},
      {"static 0.0 duplicate",
       [](Ttrlevel& l) { Do(l, edit::DuplicateStatic(l, 0, 0)); },
       {"room 0 static meshes", "static 0." + statics}},
      {std::string("room 1 water_enabled=") + (water1 ? "off" : "on"),
       [&](Ttrlevel& l) { Do(l, edit::SetRoomFlag(l, 1, kFlagWater, !water1)); },
       {"room 1 flags"}},
      {"face 0 r0 texture=" + std::to_string(other_piece) + " turn=1",
       [&](Ttrlevel& l) {
         Do(l, edit::PaintFace(l, 0, {FaceKind::kRectangle, 0}, other_piece));
         Do(l, edit::TurnFace(l, 0, {FaceKind::kRectangle, 0}));
       },
       {"room 0 rectangle 0 texture", "room 0 rectangle 0 vertices"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Ttrlevel by_script = demo;
    const Result r = RunLine(by_script, row.line);
    ASSERT_TRUE(r) << r.message();
    Ttrlevel by_window = demo;
    row.window(by_window);
    EXPECT_EQ(FileOf(by_script, "s.tr4"), FileOf(by_window, "w.tr4"));
    std::vector<std::string> expected;
    for (const std::string& c : row.changed)
      if (!c.empty()) expected.push_back(c);
    EXPECT_EQ(Changed(demo, by_script), expected);
  }
}

TEST(EditScript, RefusesTheFirstBadLineNamingItAndChangesNothing) {
  const Ttrlevel demo = BuildDemoLevel();
  const struct {
    const char* line;
    const char* why;
  } rows[] = {
      {"item 999 x=0", "item 999 does not exist"},
      {"item 1 x=99999999999", "x must lie in"},
      {"item 1 ocb=70000", "ocb must lie in -32768..65535"},
      {"item 1 colour=3", "no field \"colour\""},
      {"item 1 x", "\"x\" is not FIELD=VALUE"},
      {"item 1 angle=north", "angle must be a number"},
      {"item 1 flags=1+9", "flags must be a 0x word"},
      {"item 1 duplicate room=77", "room 77 does not exist"},
      {"room 99 water_enabled=on", "room 99 does not exist"},
      {"room 0 water_enabled=maybe", "must be on or off"},
      {"room 0 unknown1=5", "Only TR5 rooms"},
      {"static 0.99 x=0", "has no static mesh 99"},
      {"static 0 x=0", "ROOM.N"},
      {"face 0 r99999 texture=1", "has no such face"},
      {"face 0 r0 texture=60000", "Texture piece 60000 does not exist"},
      {"face 0 q0 texture=1", "rN (rectangle) or tN"},
      {"create 65000 0 0 0 0", "no movable of object id 65000"},
      {"import-msh /nonexistent/file.msh", ""},
      {"teleport 3", "unknown edit \"teleport\""},
      {"import-dxf 0 \"open", "quote is not closed"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    const std::string script = "item 1 x=512\n# a comment\n  " + std::string(row.line) + "\n";
    Ttrlevel level = demo;
    const Result r = ApplyEditScript(level, ScriptLines(script));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.message().rfind("line 3: " + std::string(row.line) + ": ", 0), 0u) << r.message();
    EXPECT_NE(r.message().find(row.why), std::string::npos) << r.message();
    EXPECT_EQ(level.FirstDifference(demo), "");
  }
}

struct EditRow {
  const char* name;
  std::function<void(Ttrlevel&)> edit;
  std::vector<std::string> expected;
};

TEST(LevelDiff, NamesExactlyTheEditsMade) {
  const Ttrlevel demo = BuildDemoLevel();
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
    EXPECT_EQ(Changed(demo, edited, true), expected);
  }
}

TEST(LevelDiff, OpaqueBlocksBySizeAndChecksumAndLongListsCut) {
  const Ttrlevel demo = BuildDemoLevel();
  Ttrlevel edited = demo;
  edited.tail_data = SharedBlock::Of(Bytes{1, 2, 3});
  edited.floor_data.assign(demo.floor_data.size() + 30, 0xBEEF);
  const std::vector<std::string> lines = Changed(demo, edited, true);
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
  EXPECT_TRUE(Changed(demo, *read, true).empty());

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
