// Every edit of the panels without a window: what it changes (both record forms in step), that
// reverting it gives the level back exactly, its refusals, and how consecutive edits fold; and
// the texts the panels show.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "demo/demo_level.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "fixtures/test_level.h"
#include "inspect/exchange_edits.h"
#include "inspect/face_edits.h"
#include "inspect/item_edits.h"
#include "inspect/panel_texts.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::MakeEditorLevel;
using test::MakeItem;
using Make = std::function<Expected<LevelEdit>(const Ttrlevel&)>;

// An edit of the fixture level (six rooms; items 0-2, aux entries 3-4; two statics in room 0).
struct EditRow {
  const char* name;  // the undo step's name
  Make make;
  std::function<void(const Ttrlevel& after)> check;
};

void ExpectEachAppliesAndRevertsExactly(const Ttrlevel& level, const std::vector<EditRow>& rows) {
  for (const EditRow& row : rows) {
    SCOPED_TRACE(row.name);
    Expected<LevelEdit> edit = row.make(level);
    ASSERT_TRUE(edit) << edit.message();
    EXPECT_EQ(edit->name(), row.name);
    EXPECT_FALSE(edit->ChangesNothing());
    Ttrlevel changed = level;
    edit->Apply(changed);
    row.check(changed);
    edit->Revert(changed);
    EXPECT_EQ(changed.FirstDifference(level), "");
  }
}

TEST(ItemEdits, ChangeBothFormsOrTheAuxRecordAndRevertExactly) {
  const Ttrlevel level = MakeEditorLevel();
  const auto items_unchanged = [&level](const Ttrlevel& l) { EXPECT_EQ(l.items2, level.items2); };
  ExpectEachAppliesAndRevertsExactly(
      level,
      {
          {"Change ID", [](auto& l) { return edit::ChangeItemId(l, 1, 30); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items1[1].object_id, 30);
             EXPECT_EQ(+l.items2[1].object_id, 30);
           }},
          {"Change ID", [](auto& l) { return edit::ChangeItemId(l, 3, 9); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[0].object_id, 9); }},
          {"Change OCB", [](auto& l) { return edit::ChangeItemOcb(l, 0, -1); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.items2[0].light2_ocb, -1); }},
          {"Change OCB", [](auto& l) { return edit::ChangeItemOcb(l, 4, 12); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[1].ocb, 12); }},
          {"Rotate", [](auto& l) { return edit::RotateItem(l, 2); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items1[2].angle, 0x6000);
             EXPECT_EQ(+l.items2[2].angle, 0x6000);
           }},
          // -3 panel units store -1536; y counts 256.
          {"Change -X-", [](auto& l) { return edit::SetItemPosition(l, 1, Axis::kX, -3); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items1[1].x, -1536);
             EXPECT_EQ(+l.items2[1].x, -1536);
           }},
          {"Change -Y-", [](auto& l) { return edit::SetItemPosition(l, 3, Axis::kY, -4); },
           [&](const Ttrlevel& l) {
             EXPECT_EQ(+l.aux_items[0].y, -1024);
             items_unchanged(l);
           }},
          {"Change -Z-", [](auto& l) { return edit::SetItemPosition(l, 0, Axis::kZ, 7); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.items1[0].z, 7 * 512); }},
          {"Change -R-", [](auto& l) { return edit::ChangeItemRoom(l, 0, 5); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.items1[0].room, 5); }},
          // -1 goes into both words of the second form, its low byte twice into the first.
          {"Change -W-", [](auto& l) { return edit::ChangeItemLight(l, 1, -1); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items2[1].light1, -1);
             EXPECT_EQ(+l.items2[1].light2_ocb, -1);
             EXPECT_EQ(static_cast<uint16_t>(l.items1[1].light), 0xFFFF);
           }},
          {"Change -W-", [](auto& l) { return edit::ChangeItemLight(l, 1, 0x1234); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items2[1].light2_ocb, 0x1234);
             EXPECT_EQ(static_cast<uint16_t>(l.items1[1].light), 0x3434);
           }},
          // x = -700 moved by -16 in both forms; an aux entry moves its own record only.
          {"Move", [](auto& l) { return edit::MoveItem(l, 0, -16, 0); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items1[0].x, -716);
             EXPECT_EQ(+l.items2[0].x, -716);
           }},
          {"Move", [](auto& l) { return edit::MoveItem(l, 4, 0, 16); },
           [&](const Ttrlevel& l) {
             EXPECT_EQ(+l.aux_items[1].z, 1024 + 16);
             items_unchanged(l);
           }},
          // The copy of an item in room 3 goes to the room shown (5), OCB and all.
          {"Duplicate", [](auto& l) { return edit::DuplicateItem(l, 2, 5, std::nullopt); },
           [](const Ttrlevel& l) {
             ASSERT_EQ(l.num_items(), 4u);
             EXPECT_EQ(l.items2[3], MakeItem(5, 5, 1024, 256, 2048));
             EXPECT_EQ(+l.items1[3].room, 5);
           }},
          // Create: movable 3 (id 30) at the dialog's panel position; the selected item gives
          // angle, light and flags.
          {"Create Item",
           [](auto& l) {
             return edit::DuplicateItem(l, 1, 5, edit::CreateChoice{3, {2, -3, -1}});
           },
           [](const Ttrlevel& l) { EXPECT_EQ(l.items2[3], MakeItem(30, 5, 1024, -768, -512)); }},
          // The "Position..." editor: world units and the angle in one step; an aux record
          // takes the place only.
          {"Position",
           [](auto& l) {
             return edit::PlaceItem(l, 1, {-5, 300, 7000, 0x2000});
           },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.items1[1].x, -5);
             EXPECT_EQ(+l.items1[1].y, 300);
             EXPECT_EQ(l.items2[1].z, 7000);
             EXPECT_EQ(+l.items1[1].angle, 0x2000);
           }},
          {"Position",
           [](auto& l) {
             return edit::PlaceItem(l, 3, {1, 2, 3, 0});
           },
           [&](const Ttrlevel& l) {
             EXPECT_EQ(l.aux_items[0].z, 3);
             items_unchanged(l);
           }},
          // Flag buttons switch one bit: an item's in the high byte (0x3E00 holds 1-5), an aux
          // record's in its own low byte (0x41: invisible and bit 6).
          {"Activation 3", [](auto& l) { return edit::ToggleItemFlag(l, 0, 3); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(l.items2[0].item_flags, 0x3600);
             EXPECT_EQ(+l.items1[0].item_flags, 0x3600);
           }},
          {"Clear Body", [](auto& l) { return edit::ToggleItemFlag(l, 2, edit::kClearBodyFlag); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.items2[2].item_flags, 0xBE00); }},
          {"Invisible", [](auto& l) { return edit::ToggleItemFlag(l, 3, edit::kInvisibleFlag); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.aux_items[0].item_flags, 0x0040); }},
      });
  // A TR1 item has one 16-bit light: the value typed is the value stored.
  const Ttrlevel tr1 = MakeEditorLevel(kTR1);
  for (int light : {4096, 300, -1, 0}) {
    SCOPED_TRACE(light);
    Ttrlevel l = tr1;
    edit::ChangeItemLight(l, 0, light)->Apply(l);
    EXPECT_EQ(static_cast<uint16_t>(l.items1[0].light), static_cast<uint16_t>(light));
    EXPECT_EQ(ShowItemInfo(l, 0)->light_text,
              "Light_1: " + std::to_string(static_cast<uint16_t>(light)));
  }
  // Eight turns of 45 degrees come round.
  Ttrlevel turned = level;
  for (int i = 0; i < 8; ++i) edit::RotateItem(turned, 1)->Apply(turned);
  EXPECT_EQ(+turned.items2[1].angle, 0x4000);
}

TEST(StaticRoomAndFaceEdits, ChangeWhatTheySayAndRevertExactly) {
  const Ttrlevel level = MakeEditorLevel(kTR5);
  ExpectEachAppliesAndRevertsExactly(
      level,
      {
          {"Change ID", [](auto& l) { return edit::ChangeStaticId(l, 0, 0, 8); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.rooms[0].statics2[0].mesh_id, 8); }},
          // The first form (what a TR1 file holds) changes too.
          {"Change -Y-", [](auto& l) { return edit::SetStaticPosition(l, 0, 1, Axis::kY, 4); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.rooms[0].statics2[1].y, 1024);
             EXPECT_EQ(+l.rooms[0].statics1[1].y, 1024);
           }},
          {"Rotate", [](auto& l) { return edit::RotateStatic(l, 0, 0); },
           [](const Ttrlevel& l) { EXPECT_EQ(+l.rooms[0].statics2[0].rotation, 0x3000); }},
          {"Change L1,L2", [](auto& l) { return edit::ChangeStaticLights(l, 0, 1, 100, 200); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(+l.rooms[0].statics2[1].intensity2, 200);
             EXPECT_EQ(+l.rooms[0].statics1[1].intensity, 100);
           }},
          {"Duplicate", [](auto& l) { return edit::DuplicateStatic(l, 0, 1); },
           [](const Ttrlevel& l) {
             ASSERT_EQ(l.rooms[0].statics1.size(), 3u);
             EXPECT_EQ(l.rooms[0].statics2[2], l.rooms[0].statics2[1]);
           }},
          {"Sky Enabled", [](auto& l) { return edit::SetRoomFlag(l, 0, kFlagSky, true); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].flags, 0x8009); }},
          {"Water Enabled", [](auto& l) { return edit::SetRoomFlag(l, 0, kFlagWater, false); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].flags, 0x8000); }},
          {"TRC Weather", [](auto& l) { return edit::SetWeatherValue(l, 2); },
           [](const Ttrlevel& l) { EXPECT_EQ(Weather(l), 2); }},
          // Line 5 of the Experiments list is the third Unknown7.
          {"<<EDIT>>", [](auto& l) { return edit::SetTrcValue(l, 0, 5, 99); },
           [](const Ttrlevel& l) {
             EXPECT_EQ(l.rooms[0].trc_unknown7, (std::array<uint32_t, 5>{1, 2, 99, 4, 5}));
           }},
          // Unknown9 is a float: 7 stores 7.0f, not the whole number 7 (a denormal).
          {"<<EDIT>>", [](auto& l) { return edit::SetTrcValue(l, 0, 6, 7); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].trc_unknown9, 0x40E00000u); }},
          {"<<EDIT>>", [](auto& l) { return edit::SetTrcValue(l, 0, 7, -3072.0); },
           [](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].trc_unknown10, 0xC5400000u); }},
          {"Position",
           [](auto& l) {
             return edit::PlaceStatic(l, 0, 1, {10, -20, 30, 0x8000});
           },
           [](const Ttrlevel& l) {
             EXPECT_EQ(l.rooms[0].statics2[1].x, 10);
             EXPECT_EQ(+l.rooms[0].statics1[1].z, 30);
             EXPECT_EQ(+l.rooms[0].statics1[1].rotation, 0x8000);
           }},
      });
  // A flag already set, or a value already there, changes nothing.
  EXPECT_TRUE(edit::SetRoomFlag(level, 0, kFlagWater, true)->ChangesNothing());
  EXPECT_TRUE(edit::SetWeatherValue(level, Weather(level))->ChangesNothing());

  const Ttrlevel demo = BuildDemoLevel();
  const FaceRef rect0{FaceKind::kRectangle, 0};
  const int other = (demo.rooms[0].rectangles[0].texture + 1) % 45;
  ExpectEachAppliesAndRevertsExactly(
      demo, {{"Paint Texture", [&](auto& l) { return edit::PaintFace(l, 0, rect0, other); },
              [&](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].rectangles[0].texture, other); }},
             {"Turn Texture", [&](auto& l) { return edit::TurnFace(l, 0, rect0); },
              [&](const Ttrlevel& l) {
                EXPECT_EQ(+l.rooms[0].rectangles[0].vertices[0],
                          +demo.rooms[0].rectangles[0].vertices[3]);
              }}});
  // Four turns of a rectangle, three of a triangle, give the first corner order back.
  Ttrlevel turned = demo;
  int tri_room = 0;
  while (turned.rooms[tri_room].triangles.empty()) ++tri_room;
  const ttriangle tri = turned.rooms[tri_room].triangles[0];
  for (int i = 0; i < 4; ++i) edit::TurnFace(turned, 0, rect0)->Apply(turned);
  edit::TurnFace(turned, tri_room, {FaceKind::kTriangle, 0})->Apply(turned);
  EXPECT_EQ(+turned.rooms[tri_room].triangles[0].vertices[1], +tri.vertices[0]);
  for (int i = 0; i < 2; ++i)
    edit::TurnFace(turned, tri_room, {FaceKind::kTriangle, 0})->Apply(turned);
  EXPECT_EQ(turned.FirstDifference(demo), "");
}

// A copy goes to the room the user has chosen only where the item lies on that room's sector
// grid (walls included); otherwise it stays in the item's own room, and the note says so.
TEST(ItemEdits, ACopyStaysInARoomThatHoldsItsPlace) {
  Ttrlevel level = MakeEditorLevel();  // room r spans x r*4096 .. +4096, z 0 .. 3072
  const auto place = [&level](int entry, int x, int z) {
    titem2 i = level.items2[entry];
    i.x = x;
    i.z = z;
    StoreItem(level, entry, i);
  };
  const struct {
    int x, z, shown, room;
  } rows[] = {
      {4096 * 5, 0, 5, 5},            // the grid's first corner
      {4096 * 5 + 4095, 3071, 5, 5},  // its last unit
      {4096 * 6, 0, 5, 1},            // one unit beyond x
      {4096 * 5, 3072, 5, 1},         // one unit beyond z
      {4096 * 5 - 1, 10, 5, 1},       // before x
      {512, 512, 1, 1},               // its own room
      {512, 512, 9, 9},               // no such room: the copy refuses later
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.x << "," << row.z << " in " << row.shown);
    place(1, row.x, row.z);
    const edit::CopyRoom copy = edit::RoomForCopy(level, 1, row.shown);
    EXPECT_EQ(copy.room, row.room);
    EXPECT_EQ(copy.note.empty(), row.room == row.shown);
  }
  EXPECT_EQ(edit::RoomForCopy(level, 1, 2).note,
            "The copy stays in room 1: the item lies outside room 2.");
  // An aux record is measured by its own place (room 2 at x 3072).
  EXPECT_EQ(edit::RoomForCopy(level, 3, 0).room, 2);
}

TEST(Edits, RefusalsSayWhy) {
  const Ttrlevel level = MakeEditorLevel();
  Ttrlevel far = level;
  far.items2[0].x = std::numeric_limits<int32_t>::max() - 8;
  StoreItem(far, 0, far.items2[0]);
  Ttrlevel full = level;
  while (full.rooms[0].num_static_instances() < 50) edit::DuplicateStatic(full, 0, 0)->Apply(full);
  Ttrlevel broken = level;  // an instance of a static mesh the level lacks
  tstatic2 lost = broken.rooms[0].statics2[1];
  lost.mesh_id = 77;
  StoreStatic(broken.rooms[0], 1, lost);
  Ttrlevel demo = BuildDemoLevel();
  demo.rooms[0].rectangles[2].texture = 0x0FFF;  // a piece the level lacks
  const Ttrlevel tr3 = MakeEditorLevel(kTR3);
  const Ttrlevel tr5 = MakeEditorLevel(kTR5);
  const Ttrlevel none;
  const char* whole = "This value is a whole number of 32 bits.";
  const char* too_large = "The value is too large for a 32-bit float.";
  const char* no_item = "No item is selected.";
  const char* no_static = "No static mesh is selected.";
  const char* line = "Choose a line of the list first.";
  const char* choose = "Choose a texture piece on the Textures page first.";
  const std::string locked = TrcValueLockedReason(8);
  const FaceRef rect0{FaceKind::kRectangle, 0};
  const struct {
    const Ttrlevel& level;
    std::function<Result(const Ttrlevel&)> run;
    std::string message;
  } rows[] = {
      {level, [](auto& l) { return edit::ChangeItemId(l, -1, 1).result(); }, no_item},
      {level, [](auto& l) { return edit::SetItemPosition(l, -1, Axis::kX, 1).result(); }, no_item},
      {level, [](auto& l) { return edit::MoveItem(l, -1, 16, 0).result(); }, no_item},
      {level, [](auto& l) { return edit::DuplicateItem(l, -1, 0, {}).result(); }, no_item},
      {level, [](auto& l) { return edit::ChangeItemRoom(l, 0, 6).result(); },
       "Room 6 does not exist in this level."},
      {level, [](auto& l) { return edit::ChangeItemRoom(l, 0, -1).result(); },
       "Room -1 does not exist in this level."},
      {level, [](auto& l) { return edit::RotateItem(l, 3).result(); },
       "Aux entries have no angle."},
      {level, [](auto& l) { return edit::ChangeItemLight(l, 3, 1).result(); },
       "Aux entries have no light."},
      {level, [](auto& l) { return edit::DuplicateItem(l, 3, 0, {}).result(); },
       "Aux entries cannot be duplicated."},
      {level, [](auto& l) { return edit::DuplicateItem(l, 0, 0, edit::CreateChoice{}).result(); },
       "Choose the movable of the new item in the Create Item dialog."},
      {far, [](auto& l) { return edit::MoveItem(l, 0, 16, 0).result(); },
       "The item cannot move any further that way."},
      {tr3, [](auto& l) { return edit::ChangeItemOcb(l, 0, 3).result(); },
       "Only TR4 and TR5 items have an OCB."},
      {level, [](auto& l) { return edit::RotateStatic(l, 0, -1).result(); }, no_static},
      {level, [](auto& l) { return edit::DuplicateStatic(l, 2, 0).result(); }, no_static},
      {full, [](auto& l) { return edit::DuplicateStatic(l, 0, 0).result(); },
       "This room already holds 50 static meshes; no more can be added."},
      // No edit makes an instance of a static mesh the level lacks.
      {level, [](auto& l) { return edit::ChangeStaticId(l, 0, 0, 99).result(); },
       "No static mesh has ID 99 in this level."},
      {broken, [](auto& l) { return edit::DuplicateStatic(l, 0, 1).result(); },
       "No static mesh has ID 77 in this level."},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 13, 1).result(); }, line},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, -1, 1).result(); }, line},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 8, 1).result(); }, locked},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 12, 1).result(); }, locked},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 0, 1.5).result(); }, whole},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 0, 5e9).result(); }, whole},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 6, 1e39).result(); }, too_large},
      {tr5, [](auto& l) { return edit::SetTrcValue(l, 0, 7, std::nan("")).result(); }, too_large},
      // Only a TR5 file keeps the weather and the room values: elsewhere saving would drop them.
      {level, [](auto& l) { return edit::SetTrcValue(l, 0, 0, 1).result(); },
       "Only TR5 rooms have these values."},
      {tr3, [](auto& l) { return edit::SetWeatherValue(l, 1).result(); },
       "Only TR5 levels have a weather value."},
      {level, [](auto& l) { return edit::ToggleItemFlag(l, 0, 6).result(); }, "No such item flag."},
      {level, [](auto& l) { return edit::ToggleItemFlag(l, -1, 1).result(); }, no_item},
      {level,
       [](auto& l) {
         return edit::PlaceItem(l, 3, {0, 0, 0, 1}).result();
       },
       "Aux entries have no angle."},
      {level, [](auto& l) { return edit::SetRoomFlag(l, 6, kFlagSky, true).result(); },
       "Room 6 does not exist in this level."},
      {demo, [&](auto& l) { return edit::PaintFace(l, 0, rect0, -1).result(); }, choose},
      {demo, [&](auto& l) { return edit::PaintFace(l, 0, rect0, 45).result(); },
       "Texture piece 45 does not exist; the level has 45 object textures."},
      {demo,
       [](auto& l) {
         const int beyond = static_cast<int>(l.rooms[0].rectangles.size());
         return edit::TurnFace(l, 0, {FaceKind::kRectangle, beyond}).result();
       },
       "Room 0 has no such face."},
      {demo, [&](auto& l) { return edit::FacePiece(l, 4, rect0).result(); },
       "Room 4 does not exist in this level."},
      {demo,
       [](auto& l) {
         return edit::FacePiece(l, 0, {FaceKind::kRectangle, 2}).result();
       },
       "The face shows texture piece 4095, which this level does not have."},
      {none, [](auto& l) { return edit::RotateItem(l, 0).result(); }, "No level is open."},
      {none, [](auto& l) { return edit::SetWeatherValue(l, 1).result(); }, "No level is open."},
      {none, [](auto& l) { return edit::DuplicateStatic(l, 0, 0).result(); }, "No level is open."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    const Result r = row.run(row.level);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.message(), row.message);
  }
  // Picking up a double-sided face's texture gives the piece without its flag bits.
  demo.rooms[0].rectangles[1].texture = 0x8003;
  EXPECT_EQ(*edit::FacePiece(demo, 0, {FaceKind::kRectangle, 1}), 3);
}

// An import is refused when it would leave the level with an error it did not have, whichever
// layer finds it: the file's reader, or the check of the level it would make.
TEST(ImportEdits, FilesThatWouldBreakTheLevelAreRefused) {
  const std::string dir = test::ScratchDir("inspect_imports");
  const Ttrlevel level = test::MakeLevel(kTR4);  // 8 object textures; faces on 9 vertices
  auto msh = [&dir](const std::string& name, Ttrlevel from) {
    const std::string path = dir + "/" + name;
    EXPECT_TRUE(WriteFileAtomically(path, WriteMshBytes(from)));
    return path;
  };
  Ttrlevel texture9 = level;
  texture9.rooms[0].rectangles[0].texture = 9;
  Ttrlevel vertex9 = level;
  vertex9.rooms[1].triangles[0].vertices[2] = 9;
  Ttrlevel dxf_texture9 = level;
  dxf_texture9.object_textures.resize(10);
  dxf_texture9.rooms[0].rectangles[1].texture = 9;
  const std::string dxf = dir + "/texture9.dxf";
  ASSERT_TRUE(ExportRoomDxf(dxf_texture9, 0, dxf));
  const std::string bad_piece = msh("texture9.msh", texture9);
  const struct {
    ExchangeFormatId format;
    std::string path;
    std::string says;
  } rows[] = {
      {ExchangeFormatId::kMshGeometry, bad_piece,
       bad_piece +
           " was not imported: it would leave the level with 1 error that may crash the game; "
           "the first: rectangle 0 of room 0: texture 9 does not exist; the level has 8 object "
           "textures."},
      {ExchangeFormatId::kMshFull, msh("vertex9.msh", vertex9),
       "triangle 0 refers to vertex 9 but the room has 9 vertices"},
      {ExchangeFormatId::kDxf, dxf, "(texture 9) but the level has 8 object textures"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    const Expected<edit::ImportEdit> imported = edit::ImportFile(level, row.format, 0, row.path);
    ASSERT_FALSE(imported);
    EXPECT_NE(imported.message().find(row.says), std::string::npos) << imported.message();
  }

  // A TR1 room sprite stands on a point no face uses: the room's own DXF keeps it there.
  Ttrlevel tr1 = test::MakeLevel(kTR1);
  troom& room = tr1.rooms[0];
  const auto lone = static_cast<uint16_t>(AddVertex(room, 5120, -512, 5120, 16) - 1);
  tr1.sprite_textures.resize(1);
  tsprite sprite{};
  sprite.raw[0] = static_cast<uint8_t>(lone);
  room.sprites.push_back(sprite);
  ASSERT_TRUE(ExportRoomDxf(tr1, 0, dir + "/sprite.dxf"));
  Expected<edit::ImportEdit> kept =
      edit::ImportFile(tr1, ExchangeFormatId::kDxf, 0, dir + "/sprite.dxf");
  ASSERT_TRUE(kept) << kept.message();
  Ttrlevel after = tr1;
  kept->edit.Apply(after);
  const troom& imported = after.rooms[0];
  const uint16_t v = imported.sprites[0].raw[0] | imported.sprites[0].raw[1] << 8;
  ASSERT_LT(v, imported.num_vertices());
  EXPECT_EQ(imported.vertices2[v].x, 5120);
  EXPECT_EQ(imported.vertices2[v].z, 5120);
}

TEST(Edits, OneValueOfOneTargetFoldsAndComesBackToNothing) {
  const Ttrlevel level = MakeEditorLevel();  // item 2 stands at x = 1024, panel value 2
  LevelEdit first = std::move(*edit::SetItemPosition(level, 2, Axis::kX, 1));
  ASSERT_TRUE(first.Absorb(*edit::SetItemPosition(level, 2, Axis::kX, 5)));
  Ttrlevel l = level;
  first.Apply(l);
  EXPECT_EQ(+l.items2[2].x, 5 * 512);
  first.Revert(l);
  EXPECT_EQ(l.FirstDifference(level), "");
  // Another axis, another entry or an edit that never folds stays a step of its own.
  EXPECT_FALSE(first.Absorb(*edit::SetItemPosition(level, 2, Axis::kY, 1)));
  EXPECT_FALSE(first.Absorb(*edit::SetItemPosition(level, 1, Axis::kX, 3)));
  LevelEdit turn = std::move(*edit::RotateItem(level, 2));
  EXPECT_FALSE(turn.Absorb(*edit::RotateItem(level, 2)));
  // Back where it started: the folded step changes nothing.
  ASSERT_TRUE(first.Absorb(*edit::SetItemPosition(level, 2, Axis::kX, 2)));
  EXPECT_TRUE(first.ChangesNothing());
}

// The texts of the room, item, static and Experiments panels, against the documented examples.
TEST(PanelTexts, RoomInfoInPanelUnits) {
  const Ttrlevel level = MakeEditorLevel();
  // -1500 div 1024 truncates toward zero.
  EXPECT_EQ(ShowRoomInfo(level.rooms[0]),
            (RoomInfoTexts{"Width: 4", "Long: 3", "Position: -1 , 0 , 4", "Height: 9",
                           "Flag: 1000-0000-0000-0001", "Alternate Room: -1", "Water Scheme: 012A",
                           20, 15}));
  EXPECT_EQ(FlagDigits(0x0048), "0000-0000-0100-1000");
}

TEST(PanelTexts, ItemAndAuxEntries) {
  const Ttrlevel level = MakeEditorLevel();
  // Flags 0x3E: bits 1..5 set; -700 div 512 is -1.
  EXPECT_EQ(ShowItemInfo(level, 0), (ItemInfo{5,
                                              7,
                                              0,
                                              {-1, -3, 3},
                                              "Angle:64",
                                              "Angle2:64",
                                              "OCB:7",
                                              "Flag :11111-00",
                                              "Light_1: 4660",
                                              "Angle: 64",
                                              {true, true, true, true, true},
                                              false,
                                              false,
                                              {-700, -768, 1536, 0x4000},
                                              "90",
                                              "0000-0000-0000-0111"}));
  // Aux record 0: its own position, the whole flag word (bit 0 invisible, bit 6 the note).
  EXPECT_EQ(ShowItemInfo(level, 3), (ItemInfo{30,
                                              -2,
                                              2,
                                              {6, -2, 2},
                                              "Angle:0",
                                              "Angle2:0",
                                              "OCB:-2",
                                              "Flag :00000-01-Bit 7 Enabled!",
                                              "Light_1: 0",
                                              "Angle: 0",
                                              {},
                                              false,
                                              true,
                                              {3072, -512, 1024, 0},
                                              "",
                                              "1111-1111-1111-1110"}));
  EXPECT_FALSE(ShowItemInfo(level, -1));
  EXPECT_FALSE(ShowItemInfo(level, 5));
  const Ttrlevel tr3 = MakeEditorLevel(kTR3);
  EXPECT_EQ(ShowItemInfo(tr3, 0)->ocb_text, "OCB:0");  // no OCB before TR4
  EXPECT_EQ(ShowItemInfo(tr3, 0)->ocb_bits, "");
  EXPECT_FALSE(ShowItemInfo(tr3, 3));  // nor aux entries
  // A TR1 item shows its one light word (0x1234 and 7 in the second form make 0x0734).
  EXPECT_EQ(ShowItemInfo(MakeEditorLevel(kTR1), 0)->light_text, "Light_1: 1844");
  EXPECT_EQ(ItemFlagsText(0x80), "00000-10");
  EXPECT_EQ(OcbStoredText(level, 3), "OCB:65534");  // read back unsigned
}

TEST(PanelTexts, StaticShowsTheSecondFormAndTheList) {
  const Ttrlevel level = MakeEditorLevel();
  const troom& room = level.rooms[0];
  EXPECT_EQ(ShowStaticInfo(room, 1),
            (StaticInfo{4, 0x1FFF, 0x2000, {-1, 0, 1}, "Angle:0", {-700, 0, 512, 0}, "0"}));
  EXPECT_EQ(ShowStaticInfo(room, 0)->angle, "Angle:4096");
  EXPECT_EQ(ShowStaticInfo(room, 0)->degrees_text, "22.5");
  EXPECT_FALSE(ShowStaticInfo(room, 2));
  EXPECT_FALSE(ShowStaticInfo(room, -1));
  EXPECT_EQ(StaticListTexts(room), (std::vector<std::string>{"Static Mesh#1", "Static Mesh#2"}));
}

TEST(PanelTexts, ThirteenTrcLinesAndTheWeather) {
  Ttrlevel level = MakeEditorLevel(kTR5);
  troom& room = level.rooms[0];
  room.trc_unknown1 = 0xFFFFFFFF;
  room.trc_unknown15() = 15;
  room.trc_unknown9 = 0xC5400000;   // the float -3072
  room.trc_unknown10 = 0x3DCCCCCD;  // the float nearest to 0.1
  const auto lines = TrcValueLines(room);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], "Unknown1: -1");
  EXPECT_EQ(lines[5], "Unknown7: 3");
  EXPECT_EQ(lines[6], "Unknown9: -3072.0");
  EXPECT_EQ(lines[7], "Unknown10: 0.1");
  EXPECT_EQ(lines[12], "Unknown15: 15");
  EXPECT_THROW(TrcValueField(room, 13), std::out_of_range);
  SetWeather(level, 2);
  EXPECT_EQ(Weather(level), 2);
  EXPECT_EQ(level.trc_header[2], 2);
}

TEST(PanelUnits, DegreesNameEveryStoredAngleExactly) {
  const struct {
    double degrees;
    std::optional<uint16_t> angle;
  } rows[] = {{90, 0x4000},
              {-90, 0xC000},
              {360, 0},
              {720.5, 91},
              {45.5, 8283},
              {0.0027, 0},
              {0.003, 1},
              {359.998, 0},
              {3600 + 90, 0x4000},
              {std::nan(""), std::nullopt},
              {HUGE_VAL, std::nullopt}};
  for (const auto& row : rows) EXPECT_EQ(AngleFromDegrees(row.degrees), row.angle) << row.degrees;
  EXPECT_EQ(DegreesText(0x4000), "90");
  EXPECT_EQ(DegreesText(6144), "33.75");
  EXPECT_EQ(DegreesText(1), "0.005");
  // Panel units truncate toward zero (the items' and rooms' positions above); the limit scales.
  EXPECT_EQ(ToWorldUnits(Axis::kZ, kPanelLimit), 2048000000);
  // The text shown reads back as the angle it shows, for every angle.
  for (int a = 0; a < 65536; ++a) {
    const auto angle = static_cast<uint16_t>(a);
    ASSERT_EQ(AngleFromDegrees(std::stod(DegreesText(angle))), angle) << DegreesText(angle);
  }
}

}  // namespace
}  // namespace qavel
