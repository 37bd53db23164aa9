// Edit scripts make the same edits as the window's commands (the same files, byte for byte), the
// difference of the edited level names exactly those edits, and a refused line changes nothing
// and names itself.

#include <gtest/gtest.h>

#include <functional>

#include "demo/demo_level.h"
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

// The window's path: each command's edit made on the level in turn, as its buttons would.
using WindowEdits = std::function<void(Ttrlevel&)>;

void Do(Ttrlevel& level, Expected<LevelEdit> edit) {
  ASSERT_TRUE(edit) << edit.message();
  edit->Apply(level);
}

Bytes FileOf(const Ttrlevel& level, const std::string& name) {
  const Expected<WrittenLevel> written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes{};
}

// "record field" of every difference, in order.
std::vector<std::string> Changed(const Ttrlevel& a, const Ttrlevel& b) {
  const auto diffs = DiffLevels(a, b);
  EXPECT_TRUE(diffs) << diffs.message();
  std::vector<std::string> out;
  if (diffs)
    for (const LevelDifference& d : *diffs)
      out.push_back(d.field.empty() ? d.record : d.record + " " + d.field);
  return out;
}

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
  ASSERT_GE(demo.num_rooms(), 2);
  ASSERT_GE(demo.items2.size(), 2u);
  ASSERT_FALSE(demo.rooms[0].statics2.empty());
  ASSERT_FALSE(demo.rooms[0].rectangles.empty());
  ASSERT_FALSE(demo.movables.empty());
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

TEST(EditScript, RealLevelsEditedByScriptAndByWindowAreTheSameFile) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(path);
    const Ttrlevel level = test::ReadLevelOrFail(path);
    ASSERT_GT(level.num_items(), 0u);
    const titem2 item = level.items2[0];
    Ttrlevel by_script = level;
    const Result r = ApplyEditScript(
        by_script, ScriptLines("item 0 x=" + std::to_string(item.x + 100) +
                               " angle=45\nroom 0 water_enabled=on\nitem 0 duplicate\n"));
    ASSERT_TRUE(r) << r.message();
    Ttrlevel by_window = level;
    Do(by_window, edit::PlaceItem(by_window, 0, {item.x + 100, item.y, item.z, 0x2000}));
    Do(by_window, edit::SetRoomFlag(by_window, 0, kFlagWater, true));
    Do(by_window, edit::DuplicateItem(by_window, 0, item.room, std::nullopt));
    const Bytes file = FileOf(by_script, path);
    EXPECT_EQ(file, FileOf(by_window, path));
    // Read back, the file differs from the level in exactly those edits.
    const Expected<Ttrlevel> read = ReadLevelBytes(file, path);
    ASSERT_TRUE(read) << read.message();
    std::vector<std::string> changed = Changed(level, *read);
    std::vector<std::string> expected;
    if (!(level.rooms[0].flags & kFlagWater)) expected.push_back("room 0 flags");
    expected.push_back("items count");
    expected.push_back("item 0 x");
    if (item.angle != 0x2000) expected.push_back("item 0 angle");
    expected.push_back("item " + std::to_string(level.num_items()));
    EXPECT_EQ(changed, expected);
  }
}

}  // namespace
}  // namespace qavel
