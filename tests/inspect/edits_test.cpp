// The inspect layer. On fixture levels: every edit of the panels (what it changes, both record
// forms in step, exact reverts, refusals, how consecutive edits fold) and the texts the panels
// show; edit scripts, which make the window's edits byte for byte, and the difference of two
// levels, which names exactly the edits made; the open level's bundle (item list, catalog
// names, placement search, what an edit refreshes) and opening and saving with progress and a
// stop. Then the sweep over the real game levels and the shipped demo level, one level per test:
// saves, cuts and edits; the exchange files of every room; the floor data; the check; scripts
// and diffs.

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "check/check_level.h"
#include "demo/demo_level.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "fixtures/test_level.h"
#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "inspect/edit_script.h"
#include "inspect/exchange_edits.h"
#include "inspect/face_edits.h"
#include "inspect/item_edits.h"
#include "inspect/level_bundle.h"
#include "inspect/level_diff.h"
#include "inspect/level_edit.h"
#include "inspect/panel_texts.h"
#include "inspect/room_edits.h"
#include "inspect/static_edits.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::FaceList;
using test::MakeEditorLevel;
using test::MakeItem;

// An edit made as a command makes it.
void Do(Ttrlevel& level, Expected<LevelEdit> edit) {
  ASSERT_TRUE(edit) << edit.message();
  edit->Apply(level);
}

Bytes FileOf(const Ttrlevel& level, const std::string& name) {
  const Expected<WrittenLevel> written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes{};
}

// "record field" of every difference, in order; with `text`, each difference's line.
std::vector<std::string> Changed(const Ttrlevel& a, const Ttrlevel& b, bool text = false) {
  const auto diffs = DiffLevels(a, b);
  EXPECT_TRUE(diffs) << diffs.message();
  std::vector<std::string> out;
  if (diffs)
    for (const LevelDifference& d : *diffs)
      out.push_back(text ? d.Text() : d.field.empty() ? d.record : d.record + " " + d.field);
  return out;
}

// The lines of the difference from a to b, joined by "; ".
std::string DiffText(const Ttrlevel& a, const Ttrlevel& b) {
  std::string text;
  for (const std::string& line : Changed(a, b, true)) text += (text.empty() ? "" : "; ") + line;
  return text;
}

// An edit of the fixture level (six rooms; items 0-2, aux entries 3-4; two statics in room 0):
// the difference it makes, and what that does not name.
struct EditRow {
  const char* name;  // the undo step's name
  Expected<LevelEdit> edit;
  const char* diff;
  std::function<void(const Ttrlevel& after)> check = [](const Ttrlevel&) {};
};

template <size_t N>
void ExpectEachAppliesAndRevertsExactly(const Ttrlevel& level, EditRow (&&rows)[N]) {
  for (const EditRow& row : rows) {
    SCOPED_TRACE(row.name);
    const Expected<LevelEdit>& edit = row.edit;
    ASSERT_TRUE(edit) << edit.message();
    EXPECT_EQ(edit->name(), row.name);
    EXPECT_FALSE(edit->ChangesNothing());
    Ttrlevel changed = level;
    edit->Apply(changed);
    EXPECT_EQ(DiffText(level, changed), row.diff);
    // Both record forms in step (the first is what a TR1 file holds).
    for (size_t i = 0; i < changed.num_items(); ++i)
      EXPECT_EQ(changed.items1[i], ItemToTr1(changed.items2[i])) << "item " << i;
    for (const troom& room : changed.rooms)
      for (size_t i = 0; i < room.statics2.size(); ++i)
        EXPECT_EQ(room.statics1[i], StaticToTr1(room.statics2[i])) << "static " << i;
    row.check(changed);
    edit->Revert(changed);
    EXPECT_EQ(changed.FirstDifference(level), "");
  }
}

TEST(ItemEdits, ChangeBothFormsOrTheAuxRecordAndRevertExactly) {
  const Ttrlevel level = MakeEditorLevel();
  const char* aux0 = "AI item 0 changed";
  const char* aux1 = "AI item 1 changed";
  ExpectEachAppliesAndRevertsExactly(
      level,
      {
          {"Change ID", edit::ChangeItemId(level, 1, 30), "item 1 object: 9 -> 30"},
          {"Change ID", edit::ChangeItemId(level, 3, 9), aux0,
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[0].object_id, 9); }},
          {"Change OCB", edit::ChangeItemOcb(level, 0, -1), "item 0 ocb: 7 -> -1"},
          {"Change OCB", edit::ChangeItemOcb(level, 4, 12), aux1,
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[1].ocb, 12); }},
          {"Rotate", edit::RotateItem(level, 2), "item 2 angle: 16384 -> 24576"},
          // -3 panel units store -1536; y counts 256.
          {"Change -X-", edit::SetItemPosition(level, 1, Axis::kX, -3), "item 1 x: 512 -> -1536"},
          {"Change -Y-", edit::SetItemPosition(level, 3, Axis::kY, -4), aux0,
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[0].y, -1024); }},
          {"Change -Z-", edit::SetItemPosition(level, 0, Axis::kZ, 7), "item 0 z: 1536 -> 3584"},
          {"Change -R-", edit::ChangeItemRoom(level, 0, 5), "item 0 room: 0 -> 5"},
          // -1 goes into both words of the second form, its low byte twice into the first.
          {"Change -W-", edit::ChangeItemLight(level, 1, -1),
           "item 1 light: 4660 -> -1; item 1 ocb: 7 -> -1"},
          {"Change -W-", edit::ChangeItemLight(level, 1, 0x1234), "item 1 ocb: 7 -> 4660",
           [](const Ttrlevel& l) { EXPECT_EQ(uint16_t(l.items1[1].light), 0x3434); }},
          // x = -700 moved by -16 in both forms; an aux entry moves its own record only.
          {"Move", edit::MoveItem(level, 0, -16, 0), "item 0 x: -700 -> -716"},
          {"Move", edit::MoveItem(level, 4, 0, 16), aux1,
           [](const Ttrlevel& l) { EXPECT_EQ(+l.aux_items[1].z, 1024 + 16); }},
          // The copy of an item in room 3 goes to the room shown (5), OCB and all.
          {"Duplicate", edit::DuplicateItem(level, 2, 5, std::nullopt),
           "items count: 3 -> 4; item 3 added: object 5 in room 5 at 1024, 256, 2048",
           [](const Ttrlevel& l) { EXPECT_EQ(l.items2.at(3), MakeItem(5, 5, 1024, 256, 2048)); }},
          // Create: movable 3 (id 30) at the dialog's panel position; the selected item gives
          // angle, light and flags.
          {"Create Item", edit::DuplicateItem(level, 1, 5, edit::CreateChoice{3, {2, -3, -1}}),
           "items count: 3 -> 4; item 3 added: object 30 in room 5 at 1024, -768, -512",
           [](const Ttrlevel& l) { EXPECT_EQ(l.items2.at(3), MakeItem(30, 5, 1024, -768, -512)); }},
          // The "Position..." editor: world units and the angle in one step; an aux record
          // takes the place only.
          {"Position", edit::PlaceItem(level, 1, {-5, 300, 7000, 0x2000}),
           "item 1 x: 512 -> -5; item 1 y: 0 -> 300; item 1 z: 512 -> 7000; item 1 angle: 16384 -> "
           "8192"},
          {"Position", edit::PlaceItem(level, 3, {1, 2, 3, 0}), aux0,
           [](const Ttrlevel& l) { EXPECT_EQ(l.aux_items[0].z, 3); }},
          // Flag buttons switch one bit: an item's in the high byte (0x3E00 holds 1-5), an aux
          // record's in its own low byte (0x41: invisible and bit 6).
          {"Activation 3", edit::ToggleItemFlag(level, 0, 3), "item 0 flags: 0x3E00 -> 0x3600"},
          {"Clear Body", edit::ToggleItemFlag(level, 2, edit::kClearBodyFlag),
           "item 2 flags: 0x3E00 -> 0xBE00"},
          {"Invisible", edit::ToggleItemFlag(level, 3, edit::kInvisibleFlag), aux0,
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
          {"Change ID", edit::ChangeStaticId(level, 0, 0, 8), "static 0.0 mesh: 3 -> 8"},
          {"Change -Y-", edit::SetStaticPosition(level, 0, 1, Axis::kY, 4),
           "static 0.1 y: 0 -> 1024"},
          {"Rotate", edit::RotateStatic(level, 0, 0), "static 0.0 angle: 4096 -> 12288"},
          {"Change L1,L2", edit::ChangeStaticLights(level, 0, 1, 100, 200),
           "static 0.1 light1: 8191 -> 100; static 0.1 light2: 8192 -> 200",
           [](const Ttrlevel& l) { EXPECT_EQ(+l.rooms[0].statics1[1].intensity, 100); }},
          {"Duplicate", edit::DuplicateStatic(level, 0, 1),
           "room 0 static meshes: 2 -> 3; static 0.2 added: mesh 4",
           [](const Ttrlevel& l) { EXPECT_EQ(l.rooms[0].statics2.at(2), l.rooms[0].statics2[1]); }},
          {"Sky Enabled", edit::SetRoomFlag(level, 0, kFlagSky, true),
           "room 0 flags: sky off -> sky on"},
          {"Water Enabled", edit::SetRoomFlag(level, 0, kFlagWater, false),
           "room 0 flags: water on -> water off"},
          {"TRC Weather", edit::SetWeatherValue(level, 2), "level weather: 0 -> 2"},
          // Line 5 of the Experiments list is the third Unknown7; Unknown9 is a float: 7 stores
          // 7.0f, not the whole number 7 (a denormal).
          {"<<EDIT>>", edit::SetTrcValue(level, 0, 5, 99), "room 0 Unknown7: 3 -> 99"},
          {"<<EDIT>>", edit::SetTrcValue(level, 0, 6, 7), "room 0 Unknown9: 0.0 -> 7.0"},
          {"<<EDIT>>", edit::SetTrcValue(level, 0, 7, -3072.0), "room 0 Unknown10: 0.0 -> -3072.0"},
          {"Position", edit::PlaceStatic(level, 0, 1, {10, -20, 30, 0x8000}),
           "static 0.1 x: -700 -> 10; static 0.1 y: 0 -> -20; static 0.1 z: 512 -> 30; static 0.1 "
           "angle: 0 -> 32768"},
      });
  // A flag already set, or a value already there, changes nothing.
  EXPECT_TRUE(edit::SetRoomFlag(level, 0, kFlagWater, true)->ChangesNothing());
  EXPECT_TRUE(edit::SetWeatherValue(level, Weather(level))->ChangesNothing());

  const Ttrlevel demo = BuildDemoLevel();
  const FaceRef rect0{FaceKind::kRectangle, 0};
  ExpectEachAppliesAndRevertsExactly(demo, {{"Paint Texture", edit::PaintFace(demo, 0, rect0, 1),
                                             "room 0 rectangle 0 texture: 0 -> 1"},
                                            {"Turn Texture", edit::TurnFace(demo, 0, rect0),
                                             "room 0 rectangle 0 vertices: 0 1 2 3 -> 3 0 1 2"}});
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
    titem2 item = level.items2[1];
    item.x = row.x;
    item.z = row.z;
    StoreItem(level, 1, item);
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
  Ttrlevel broken = level;
  broken.rooms[0].statics2[1].mesh_id = 77;  // an instance of a static mesh the level lacks
  Ttrlevel demo = BuildDemoLevel();
  demo.rooms[0].rectangles[2].texture = 0x0FFF;  // a piece the level lacks
  const Ttrlevel tr3 = MakeEditorLevel(kTR3);
  const Ttrlevel tr5 = MakeEditorLevel(kTR5);
  const char* whole = "This value is a whole number of 32 bits.";
  const char* too_large = "The value is too large for a 32-bit float.";
  const char* no_item = "No item is selected.";
  const char* no_static = "No static mesh is selected.";
  const char* line = "Choose a line of the list first.";
  const std::string locked = TrcValueLockedReason(8);
  const FaceRef rect0{FaceKind::kRectangle, 0};
  const struct {
    Result result;
    std::string message;
  } rows[] = {
      {edit::ChangeItemId(level, -1, 1).result(), no_item},
      {edit::SetItemPosition(level, -1, Axis::kX, 1).result(), no_item},
      {edit::MoveItem(level, -1, 16, 0).result(), no_item},
      {edit::DuplicateItem(level, -1, 0, {}).result(), no_item},
      {edit::ChangeItemRoom(level, 0, 6).result(), "Room 6 does not exist in this level."},
      {edit::ChangeItemRoom(level, 0, -1).result(), "Room -1 does not exist in this level."},
      {edit::RotateItem(level, 3).result(), "Aux entries have no angle."},
      {edit::ChangeItemLight(level, 3, 1).result(), "Aux entries have no light."},
      {edit::DuplicateItem(level, 3, 0, {}).result(), "Aux entries cannot be duplicated."},
      {edit::DuplicateItem(level, 0, 0, edit::CreateChoice{}).result(),
       "Choose the movable of the new item in the Create Item dialog."},
      {edit::MoveItem(far, 0, 16, 0).result(), "The item cannot move any further that way."},
      {edit::ChangeItemOcb(tr3, 0, 3).result(), "Only TR4 and TR5 items have an OCB."},
      {edit::RotateStatic(level, 0, -1).result(), no_static},
      {edit::DuplicateStatic(level, 2, 0).result(), no_static},
      {edit::DuplicateStatic(full, 0, 0).result(),
       "This room already holds 50 static meshes; no more can be added."},
      // No edit makes an instance of a static mesh the level lacks.
      {edit::ChangeStaticId(level, 0, 0, 99).result(), "No static mesh has ID 99 in this level."},
      {edit::DuplicateStatic(broken, 0, 1).result(), "No static mesh has ID 77 in this level."},
      {edit::SetTrcValue(tr5, 0, 13, 1).result(), line},
      {edit::SetTrcValue(tr5, 0, -1, 1).result(), line},
      {edit::SetTrcValue(tr5, 0, 8, 1).result(), locked},
      {edit::SetTrcValue(tr5, 0, 12, 1).result(), locked},
      {edit::SetTrcValue(tr5, 0, 0, 1.5).result(), whole},
      {edit::SetTrcValue(tr5, 0, 0, 5e9).result(), whole},
      {edit::SetTrcValue(tr5, 0, 6, 1e39).result(), too_large},
      {edit::SetTrcValue(tr5, 0, 7, std::nan("")).result(), too_large},
      // Only a TR5 file keeps the weather and the room values: elsewhere saving would drop them.
      {edit::SetTrcValue(level, 0, 0, 1).result(), "Only TR5 rooms have these values."},
      {edit::SetWeatherValue(tr3, 1).result(), "Only TR5 levels have a weather value."},
      {edit::ToggleItemFlag(level, 0, 6).result(), "No such item flag."},
      {edit::ToggleItemFlag(level, -1, 1).result(), no_item},
      {edit::PlaceItem(level, 3, {0, 0, 0, 1}).result(), "Aux entries have no angle."},
      {edit::SetRoomFlag(level, 6, kFlagSky, true).result(),
       "Room 6 does not exist in this level."},
      {edit::PaintFace(demo, 0, rect0, -1).result(),
       "Choose a texture piece on the Textures page first."},
      {edit::PaintFace(demo, 0, rect0, 45).result(),
       "Texture piece 45 does not exist; the level has 45 object textures."},
      {edit::TurnFace(demo, 0, {FaceKind::kRectangle, int(demo.rooms[0].rectangles.size())})
           .result(),
       "Room 0 has no such face."},
      {edit::FacePiece(demo, 4, rect0).result(), "Room 4 does not exist in this level."},
      {edit::FacePiece(demo, 0, {FaceKind::kRectangle, 2}).result(),
       "The face shows texture piece 4095, which this level does not have."},
  };
  for (const auto& row : rows) {
    EXPECT_FALSE(row.result.ok()) << row.message;
    EXPECT_EQ(row.result.message(), row.message);
  }
  // Picking up a double-sided face's texture gives the piece without its flag bits.
  demo.rooms[0].rectangles[1].texture = 0x8003;
  EXPECT_EQ(*edit::FacePiece(demo, 0, {FaceKind::kRectangle, 1}), 3);
}

// An import is refused when the check of the level it would make finds an error the level did
// not have (what the file readers refuse reaches the user through the same path).
TEST(ImportEdits, FilesThatWouldBreakTheLevelAreRefused) {
  const std::string dir = test::ScratchDir("inspect_imports");
  const Ttrlevel level = test::MakeLevel(kTR4);  // 8 object textures
  Ttrlevel texture9 = level;
  texture9.rooms[0].rectangles[0].texture = 9;
  const std::string bad_piece = dir + "/texture9.msh";
  ASSERT_TRUE(WriteFileAtomically(bad_piece, WriteMshBytes(texture9)));
  const auto refused = edit::ImportFile(level, ExchangeFormatId::kMshGeometry, 0, bad_piece);
  EXPECT_EQ(refused.message(),
            bad_piece +
                " was not imported: it would leave the level with 1 error that may crash the game; "
                "the first: rectangle 0 of room 0: texture 9 does not exist; the level has 8 "
                "object textures.");

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
  EXPECT_EQ(std::pair(+imported.vertices2.at(v).x, +imported.vertices2.at(v).z),
            std::pair(5120, 5120));
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
TEST(PanelTexts, EntriesInPanelUnitsTrcLinesAndTheWeather) {
  const Ttrlevel level = MakeEditorLevel();
  // -1500 div 1024 truncates toward zero.
  EXPECT_EQ(ShowRoomInfo(level.rooms[0]),
            (RoomInfoTexts{"Width: 4", "Long: 3", "Position: -1 , 0 , 4", "Height: 9",
                           "Flag: 1000-0000-0000-0001", "Alternate Room: -1", "Water Scheme: 012A",
                           20, 15}));
  EXPECT_EQ(FlagDigits(0x0048), "0000-0000-0100-1000");
  // Flags 0x3E: bits 1..5 set; -700 div 512 is -1.
  using Bits = std::array<bool, 5>;
  EXPECT_EQ(ShowItemInfo(level, 0),
            (ItemInfo{5, 7, 0, PanelPosition{-1, -3, 3}, "Angle:64", "Angle2:64", "OCB:7",
                      "Flag :11111-00", "Light_1: 4660", "Angle: 64", Bits{1, 1, 1, 1, 1}, false,
                      false, Placement{-700, -768, 1536, 0x4000}, "90", "0000-0000-0000-0111"}));
  // Aux record 0: its own position, the whole flag word (bit 0 invisible, bit 6 the note).
  EXPECT_EQ(ShowItemInfo(level, 3),
            (ItemInfo{30, -2, 2, PanelPosition{6, -2, 2}, "Angle:0", "Angle2:0", "OCB:-2",
                      "Flag :00000-01-Bit 7 Enabled!", "Light_1: 0", "Angle: 0", Bits{}, false,
                      true, Placement{3072, -512, 1024, 0}, "", "1111-1111-1111-1110"}));
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
  // A static shows its second form.
  const troom& room = level.rooms[0];
  EXPECT_EQ(ShowStaticInfo(room, 1),
            (StaticInfo{4, 0x1FFF, 0x2000, {-1, 0, 1}, "Angle:0", {-700, 0, 512, 0}, "0"}));
  EXPECT_EQ(ShowStaticInfo(room, 0)->angle, "Angle:4096");
  EXPECT_EQ(ShowStaticInfo(room, 0)->degrees_text, "22.5");
  EXPECT_FALSE(ShowStaticInfo(room, 2));
  EXPECT_FALSE(ShowStaticInfo(room, -1));
  EXPECT_EQ(StaticListTexts(room), (std::vector<std::string>{"Static Mesh#1", "Static Mesh#2"}));
  // Thirteen TR5 room values and the weather.
  Ttrlevel tr5 = MakeEditorLevel(kTR5);
  troom& trc = tr5.rooms[0];
  trc.trc_unknown1 = 0xFFFFFFFF;
  trc.trc_unknown15() = 15;
  trc.trc_unknown9 = 0xC5400000;   // the float -3072
  trc.trc_unknown10 = 0x3DCCCCCD;  // the float nearest to 0.1
  const auto lines = TrcValueLines(trc);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0] + "; " + lines[5] + "; " + lines[6] + "; " + lines[7] + "; " + lines[12],
            "Unknown1: -1; Unknown7: 3; Unknown9: -3072.0; Unknown10: 0.1; Unknown15: 15");
  EXPECT_THROW(TrcValueField(trc, 13), std::out_of_range);
  SetWeather(tr5, 2);
  EXPECT_EQ(tr5.trc_header[2], 2);
}

TEST(PanelUnits, DegreesNameEveryStoredAngleExactly) {
  const std::pair<double, std::optional<uint16_t>> rows[] = {
      {90, 0x4000},        {-90, 0xC000},      {360, 0},      {720.5, 91},
      {45.5, 8283},        {0.0027, 0},        {0.003, 1},    {359.998, 0},
      {3600 + 90, 0x4000}, {std::nan(""), {}}, {HUGE_VAL, {}}};
  for (const auto& [degrees, angle] : rows) EXPECT_EQ(AngleFromDegrees(degrees), angle) << degrees;
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

// The demo level's item 1 stands at x 3584, z 5632, angle 32768 in room 2 (object 35, OCB 1);
// its static 0.0 at x 1536, angle 16384; movable 0 has object id 0; room 1 is under water.
TEST(EditScript, MakesTheWindowsEditsByteForByteAndTheDiffNamesThem) {
  const Ttrlevel demo = BuildDemoLevel();
  const titem2 item1 = demo.items2[1];
  const tstatic2 s0 = demo.rooms[0].statics2[0];
  const FaceRef rect0{FaceKind::kRectangle, 0};
  // The window's path: each command's edit made on the level in turn, as its buttons would.
  const struct {
    std::string line;
    std::function<void(Ttrlevel&)> window;
    std::string diff;
  } rows[] = {
      {"item 1 x=1040 angle=90",
       [&](auto& l) {
         Do(l, edit::PlaceItem(l, 1, {1040, item1.y, item1.z, 0x4000}));
       },
       "item 1 x: 3584 -> 1040; item 1 angle: 32768 -> 16384"},
      {"item 1 angle=0x2000 y=-300 z=77",
       [&](auto& l) {
         Do(l, edit::PlaceItem(l, 1, {item1.x, -300, 77, 0x2000}));
       },
       "item 1 y: 0 -> -300; item 1 z: 5632 -> 77; item 1 angle: 32768 -> 8192"},
      // The light goes into the OCB word too, as the panel's light does: a line giving both
      // sets the light first and keeps both.
      {"item 1 object=0 ocb=-5 light=300 room=0",
       [&](auto& l) {
         Do(l, edit::ChangeItemLight(l, 1, 300));
         Do(l, edit::ChangeItemId(l, 1, 0));
         Do(l, edit::ChangeItemOcb(l, 1, -5));
         Do(l, edit::ChangeItemRoom(l, 1, 0));
       },
       "item 1 object: 35 -> 0; item 1 room: 2 -> 0; item 1 light: -1 -> 300; item 1 ocb: 1 -> "
       "-5"},
      {"item 1 flags=1+3+C",
       [&](auto& l) {
         for (int f : {1, 3, 7}) Do(l, edit::ToggleItemFlag(l, 1, f));
       },
       "item 1 flags: 0x0000 -> 0x8A00"},
      {"item 1 duplicate room=1",
       [](auto& l) { Do(l, edit::DuplicateItem(l, 1, 1, std::nullopt)); },
       "items count: 11 -> 12; item 11 added: object 35 in room 1 at 3584, 0, 5632"},
      {"create 0 1 1100 -256 2050",
       [&](auto& l) {
         Do(l, edit::DuplicateItem(l, -1, 1, edit::CreateChoice{0, {2, -1, 4}}));
         Do(l, edit::PlaceItem(l, 11, {1100, -256, 2050, 0}));
       },
       "items count: 11 -> 12; item 11 added: object 0 in room 1 at 1100, -256, 2050"},
      {"static 0.0 x=2000 angle=180 light2=77",
       [&](auto& l) {
         Do(l, edit::PlaceStatic(l, 0, 0, {2000, s0.y, s0.z, 0x8000}));
         Do(l, edit::ChangeStaticLights(l, 0, 0, s0.intensity1, 77));
       },
       "static 0.0 x: 1536 -> 2000; static 0.0 angle: 16384 -> 32768; static 0.0 light2: 0 -> 77"},
      {"static 0.0 duplicate", [](auto& l) { Do(l, edit::DuplicateStatic(l, 0, 0)); },
       "room 0 static meshes: 1 -> 2; static 0.1 added: mesh 0"},
      {"room 1 water_enabled=off",
       [&](auto& l) { Do(l, edit::SetRoomFlag(l, 1, kFlagWater, false)); },
       "room 1 flags: water on -> water off"},
      {"face 0 r0 texture=1 turn=1",
       [&](auto& l) {
         Do(l, edit::PaintFace(l, 0, rect0, 1));
         Do(l, edit::TurnFace(l, 0, rect0));
       },
       "room 0 rectangle 0 texture: 0 -> 1; room 0 rectangle 0 vertices: 0 1 2 3 -> 3 0 1 2"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    Ttrlevel by_script = demo;
    const Result r = ApplyEditScript(by_script, {{"line 1", row.line}});
    ASSERT_TRUE(r) << r.message();
    Ttrlevel by_window = demo;
    row.window(by_window);
    EXPECT_EQ(FileOf(by_script, "s.tr4"), FileOf(by_window, "w.tr4"));
    EXPECT_EQ(DiffText(demo, by_script), row.diff);
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

TEST(LevelDiff, NamesExactlyTheEditsMade) {
  const Ttrlevel demo = BuildDemoLevel();
  const size_t items = demo.items2.size();
  const struct {
    const char* name;
    std::function<void(Ttrlevel&)> edit;
    std::string expected;
  } rows[] = {
      {"item moved and turned",
       [&](auto& l) {
         titem2 it = l.items2[1];
         it.x += 16;
         it.angle = 0x4000;
         StoreItem(l, 1, it);
       },
       "item 1 x: 3584 -> 3600; item 1 angle: 32768 -> 16384"},
      {"item added", [](auto& l) { AppendItem(l, MakeItem(12, 1, 1024, -256, 2048)); },
       "items count: 11 -> 12; item 11 added: object 12 in room 1 at 1024, -256, 2048"},
      {"item removed", [&](auto& l) { l.ResizeItems(items - 1); },
       "items count: 11 -> 10; item 10 removed"},
      {"room flag", [](auto& l) { l.rooms[1].flags ^= 1; }, "room 1 flags: water on -> water off"},
      {"face painted", [](auto& l) { l.rooms[0].rectangles[20].texture ^= 1; },
       "room 0 rectangle 20 texture: 1 -> 0"},
      {"static moved",
       [](auto& l) {
         tstatic2 s = l.rooms[0].statics2[0];
         s.z -= 512;
         StoreStatic(l.rooms[0], 0, s);
       },
       "static 0.0 z: 2560 -> 2048"},
      {"movable changed whole", [](auto& l) { l.movables[0].animation ^= 1; }, "movable 0 changed"},
      {"texels painted",
       [](auto& l) {
         Bytes pages = l.pages16.ToBytes();
         pages[2 * 256 * 256 + 10] ^= 0xFF;  // page 1, texel 5
         pages[2 * 256 * 256 + 12] ^= 0xFF;  // page 1, texel 6
         l.pages16 = SharedBlock::Of(std::move(pages));
       },
       "16-bit texture page 1 texels changed: 2"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Ttrlevel edited = demo;
    row.edit(edited);
    EXPECT_EQ(DiffText(demo, edited), row.expected);
  }
}

TEST(LevelDiff, OpaqueBlocksLongListsOneGenerationRoundTripsAndPlaces) {
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
  EXPECT_FALSE(DiffLevels(Ttrlevel{}, demo)) << "levels of two generations";
  const Expected<Ttrlevel> back = ReadLevelBytes(FileOf(demo, "demo.tr4"), "demo.tr4");
  EXPECT_TRUE(back && Changed(demo, *back).empty()) << "written and read back";
  // The places of the records a window can go to; the other records have none.
  const std::pair<const char*, ProblemPlace> places[] = {
      {"item 7", {PlaceKind::kItem, 7}},
      {"static 3.1", {PlaceKind::kStatic, 1, 3}},
      {"room 2", {PlaceKind::kRoom, -1, 2}},
      {"room 2 statics", {PlaceKind::kRoom, -1, 2}},
      {"room 0 rectangle 40", {PlaceKind::kRectangle, 40, 0}},
      {"room 5 triangle 3", {PlaceKind::kTriangle, 3, 5}}};
  for (const auto& [record, place] : places)
    EXPECT_EQ(PlaceOfDifference(LevelDifference{record, "x", "1", "2"}), place) << record;
  for (const char* none : {"movable 4", "items", "item x", "static 3", "room -1", "texture page 2"})
    EXPECT_FALSE(PlaceOfDifference(LevelDifference{none, "x", "1", "2"})) << none;
}

LevelBundle FixtureBundle(int32_t kind = kTR4) {
  return MakeLevelBundle(test::MakeEditorLevel(kind), test::DataPath("trcatalog.xml"));
}

TEST(ItemList, EntriesPlacementSearchCreatePositionsAndNamesWithoutACatalog) {
  LevelBundle b = FixtureBundle();
  const Ttrlevel& level = b.level;
  auto text = [&b](int n, uint32_t id) { return std::to_string(n) + ".-" + b.names.NameOf(id); };
  EXPECT_EQ(b.item_texts, (std::vector<std::string>{text(0, 5), text(1, 9), text(2, 5), text(3, 30),
                                                    text(4, 5)}));
  EXPECT_EQ(b.room_items[0].items, std::vector<uint16_t>{0});
  EXPECT_EQ(b.room_items[4].items, std::vector<uint16_t>{4});
  EXPECT_EQ(b.room_items[5].count, 0);
  // (entry, room, object, OCB): items first, then the aux records; -1 beyond the list.
  const int rows[][4] = {
      {0, 0, 5, 7}, {3, 2, 30, -2}, {4, 4, 5, -2}, {5, -1, -1, 0}, {-1, -1, -1, 0}};
  for (const auto& [entry, room, object, ocb] : rows) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(RoomOfEntry(level, entry), room);
    EXPECT_EQ(ObjectOfEntry(level, entry), object);
    EXPECT_EQ(OcbOfEntry(level, entry), ocb);
  }
  // Before TR4 there are no aux entries and no OCB.
  const LevelBundle tr3 = FixtureBundle(kTR3);
  EXPECT_EQ(tr3.item_texts.size(), 3u);
  EXPECT_EQ(OcbOfEntry(tr3.level, 0), 0);
  EXPECT_EQ(RoomListTexts(level).back(), "Room #5");
  // The placement search: movable 1 has object id 5: items 0 and 2, then aux record 1 (entry 4).
  int after = -1;
  for (int entry : {0, 2, 4}) {
    const Expected<int> found = FindNextPlacement(b.level, b.names, 1, after);
    ASSERT_TRUE(found) << found.message();
    EXPECT_EQ(*found, entry);
    EXPECT_EQ(MovableOfEntry(b.level, b.names, entry), 1);
    after = entry;
  }
  EXPECT_EQ(FindNextPlacement(b.level, b.names, 1, 4).message(), "No more Items found");
  EXPECT_EQ(FindNextPlacement(b.level, b.names, 9, -1).message(), "Choose a movable first.");
  // A movable whose entry has an alias finds the items placed under the alias.
  b.names.catalog.entries[9].alias_id = 5;
  EXPECT_EQ(*FindNextPlacement(b.level, b.names, 2, -1), 0);
  // The positions the Create Item dialog takes, in panel units.
  using enum edit::PositionSource;
  EXPECT_EQ(edit::PositionFrom(level, kRoom, 0, -1, -1), (PanelPosition{-2, -3, 9}));
  EXPECT_EQ(edit::PositionFrom(level, kItem, 0, 1, -1), (PanelPosition{1, 0, 1}));
  EXPECT_EQ(edit::PositionFrom(level, kItem, 0, 3, -1), (PanelPosition{6, -2, 2}));
  EXPECT_EQ(edit::PositionFrom(level, kStatic, 0, -1, 0), (PanelPosition{2, -2, 4}));
  EXPECT_FALSE(edit::PositionFrom(level, kStatic, 0, -1, -1));
  EXPECT_FALSE(edit::PositionFrom(level, kItem, 0, -1, -1));
  EXPECT_FALSE(edit::PositionFrom(Ttrlevel(), kRoom, 0, -1, -1));
  // A missing or broken catalog leaves default names and a note.
  const std::string dir = test::ScratchDir("inspect_catalogs");
  std::ofstream(dir + "/broken.xml") << "<catalog><TR4><movable id=";
  const MovableNames missing = BuildMovableNames(level, dir + "/none.xml");
  EXPECT_EQ(missing.notes,
            std::vector<std::string>{"No movable catalog at " + dir +
                                     "/none.xml; movables keep their ids as names."});
  EXPECT_EQ(missing.catalog_file.message(), "no such file: " + dir + "/none.xml");
  const MovableNames broken = BuildMovableNames(level, dir + "/broken.xml");
  ASSERT_EQ(broken.notes.size(), 1u);
  EXPECT_NE(broken.notes[0].find("broken.xml"), std::string::npos);
  EXPECT_TRUE(broken.catalog_file.ok());  // read, but malformed: the defaults serve
  const MovableNames folder = BuildMovableNames(level, dir);
  EXPECT_EQ(folder.catalog_file.status(), Status::kCannotOpen);
  for (const MovableNames* names : {&missing, &broken, &folder}) {
    EXPECT_EQ(names->NameOf(5), "Moveable Id#5");
    EXPECT_EQ(names->NameOf(700), "Moveable Id#700");
    EXPECT_EQ(names->movable_list, (std::vector<std::string>{"Moveable Id#0", "Moveable Id#5",
                                                             "Moveable Id#9", "Moveable Id#30"}));
  }
}

TEST(LevelBundle, EditsRefreshTheTablesTheyMakeStale) {
  LevelBundle b = FixtureBundle();
  std::vector<Problem> added;
  auto apply = [&b, &added](Expected<LevelEdit> edit) {
    ASSERT_TRUE(edit) << edit.message();
    edit->Apply(b.level);
    added = RefreshAfterEdit(b, edit->target());
  };
  apply(edit::ChangeItemRoom(b.level, 0, 5));
  EXPECT_EQ(b.room_items[0].count, 0);
  EXPECT_EQ(b.room_items[5].items, std::vector<uint16_t>{0});
  // The problems are made when first asked for, of the level as it then is; from then on an
  // edit tells those it brings.
  const size_t shown = b.Problems().size();
  apply(edit::ChangeItemId(b.level, 1, 31));  // no movable has id 31
  EXPECT_EQ(b.item_texts[1], "1.-" + b.names.NameOf(31));
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].code, "item-object");
  EXPECT_EQ(b.Problems().size(), shown + 1);
  apply(edit::DuplicateItem(b.level, 2, 1, std::nullopt));
  EXPECT_EQ(b.item_texts.size(), 6u);  // the aux entries stay listed after the new item
  EXPECT_EQ(b.room_items[4].items, std::vector<uint16_t>{5});
  // Replaced tables: the floor data is decoded again only when it can differ.
  Ttrlevel other = b.level;
  other.floor_data = {0, 0x8001, 0};
  const LevelEdit replace = ReplaceLevelEdit("Import", b.level, other);
  EXPECT_EQ(replace.target(), EditTarget(LevelTarget{true, false}));
  replace.Apply(b.level);
  RefreshAfterEdit(b, replace.target());
  EXPECT_EQ(b.floor_data.GroupOfFdIndex.size(), 3u);
  EXPECT_EQ(ReplaceLevelEdit("Import", other, other).target(), EditTarget(LevelTarget{}));
}

TEST(LevelFiles, OpenAndSaveReportStepsAndStopBetweenThem) {
  const std::string demo = test::DataPath("demo.tr4");
  std::vector<OpenStep> steps;
  OpenProgress progress;
  progress.report = [&steps](OpenStep step, int) {
    if (steps.empty() || steps.back() != step) steps.push_back(step);
  };
  Expected<LevelBundle> opened = OpenLevelBundle(demo, test::DataPath("trcatalog.xml"), progress);
  ASSERT_TRUE(opened) << opened.message();
  EXPECT_EQ(steps, (std::vector<OpenStep>{OpenStep::kReading, OpenStep::kFloorData}));
  EXPECT_GT(opened->floor_data.num_groups(), 1u);
  progress.cancelled = [] { return true; };
  EXPECT_EQ(OpenLevelBundle(demo, "", progress).result().status(), Status::kRefused);
  // A save stopped or failed leaves the file and says why once.
  const std::string dir = test::ScratchDir("inspect_save");
  const std::string path = dir + "/level.tr4";
  std::ofstream(path) << "the old file";
  const Ttrlevel level = test::MakeEditorLevel();
  SaveProgress stop;
  bool writing = false;
  stop.cancelled = [] { return true; };
  stop.writing = [&writing] { writing = true; };
  EXPECT_EQ(SaveLevelFile(level, path, stop).status(), Status::kRefused);
  EXPECT_FALSE(writing);
  EXPECT_EQ(ReadWholeFile(path)->size(), 12u);
  const Result failed = SaveLevelFile(level, dir + "/no/such/folder/level.tr4");
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.message().find("cannot save"), failed.message().rfind("cannot save"))
      << failed.message();
  ASSERT_TRUE(SaveLevelFile(level, path));
  EXPECT_GT(ReadWholeFile(path)->size(), 12u);
}

class LevelSweep : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const bool demo = GetParam() == "demo";
    const auto real = demo ? std::nullopt : test::RealLevel(GetParam());
    if (!demo && !real)
      GTEST_SKIP() << "real " << GetParam() << " level not present in " << QAVEL_LEVELS_DIR
                   << "; skipped";
    path = demo ? test::DataPath("demo.tr4") : *real;
    auto read = ReadLevel(path);
    ASSERT_TRUE(read) << read.message();
    level = std::move(*read);
  }
  std::string path;
  Ttrlevel level;
};

INSTANTIATE_TEST_SUITE_P(Levels, LevelSweep,
                         ::testing::Values("TR1", "TR2", "TR3", "TR4", "TR5", "demo"),
                         [](const auto& info) { return info.param; });

// An unedited save gives the file's bytes; cut short in its middle or by its last byte (inside
// the samples of TR4 and TR5 files) it is refused as damaged. Edited by a script, it is the file
// the window's edits make, whose difference names exactly them; a vertex moved besides, it reads
// back as edited. TR4/TR5 texture pages stay packed through all that, and compared with the pages
// zlib unpacks on its own they are equal, also when texture code reads a page first from two
// threads at once (a worker may unpack the pages while the view asks for one).
TEST_P(LevelSweep, SavesCutsAndEditsAsTheyRead) {
  const SharedBlock file = *ReadWholeFile(path);
  EXPECT_TRUE(FileOf(level, path) == file.ToBytes()) << "changed on a plain save";
  for (const size_t size : {file.size() * 45 / 100, file.size() - 1})
    EXPECT_EQ(ReadLevelBytes(file.Slice(0, size), path).result().status(), Status::kDamaged)
        << "cut to " << size;
  ASSERT_GT(level.num_items(), 0u);
  const titem2 item = level.items2[0];
  Ttrlevel edited = level;
  const Result r = ApplyEditScript(
      edited, ScriptLines("item 0 x=" + std::to_string(item.x + 100) +
                          " angle=45\nroom 0 water_enabled=on\nitem 0 duplicate\n"));
  ASSERT_TRUE(r) << r.message();
  Ttrlevel by_window = level;
  Do(by_window, edit::PlaceItem(by_window, 0, {item.x + 100, item.y, item.z, 0x2000}));
  Do(by_window, edit::SetRoomFlag(by_window, 0, kFlagWater, true));
  Do(by_window, edit::DuplicateItem(by_window, 0, item.room, std::nullopt));
  const Bytes scripted = FileOf(edited, path);
  EXPECT_TRUE(scripted == FileOf(by_window, path)) << "the script and the window differ";
  troom& room = edited.rooms[0];
  if (room.num_vertices() > 0) {
    tvertex2 v = room.vertices2[0];
    v.y = static_cast<int16_t>(v.y - 256);
    StoreVertex(room, 0, v);
  }
  const auto written = WriteLevelBytes(edited, path);
  ASSERT_TRUE(written) << written.message();
  const auto back = ReadLevelBytes(written->bytes, path);
  ASSERT_TRUE(back) << back.message();
  AdoptFileValues(edited, written->values);
  EXPECT_EQ(back->FirstDifference(edited), "");
  EXPECT_TRUE(FileOf(*back, path) == written->bytes);
  // Before any difference is taken: a difference unpacks the pages it compares.
  if (level.version_kind >= kTR4) {
    for (const Ttrlevel* l : std::initializer_list<const Ttrlevel*>{&edited, &*back})
      for (const SharedBlock* pages : {&l->pages32, &l->pages16, &l->misc_pages})
        EXPECT_TRUE(pages->IsPacked()) << "pages unpacked without being shown";
    // The three texture chunks (32-bit pages, 16-bit pages, third chunk) as zlib unpacks them.
    std::vector<Bytes> chunks;
    for (size_t i = 0, at = 10; i < 3; ++i) {
      uint32_t size = 0, packed = 0;
      std::memcpy(&size, file.bytes() + at, 4);
      std::memcpy(&packed, file.bytes() + at + 4, 4);
      uLongf length = size;
      chunks.emplace_back(size);
      EXPECT_EQ(uncompress(chunks[i].data(), &length, file.bytes() + at + 8, packed), Z_OK);
      at += 8 + packed;
    }
    Ttrlevel eager = *back;
    eager.pages32 = SharedBlock::Of(chunks[0]);
    eager.pages16 = SharedBlock::Of(chunks[1]);
    eager.misc_pages = SharedBlock::Of(chunks[2]);
    EXPECT_EQ(eager.FirstDifference(*back), "");
    EXPECT_FALSE(back->pages16.IsPacked());

    const Ttrlevel fresh = test::ReadLevelOrFail(path);
    const SharedBlock* blocks[] = {&fresh.pages32, &fresh.pages16, &fresh.misc_pages};
    for (size_t i = 0; i < 3; ++i) {
      const size_t page = 131072, at = blocks[i]->size() - page;
      std::array<Bytes, 2> seen;
      const auto read = [&](size_t t) {
        const SharedBlock p = blocks[i]->Slice(at, page);
        seen[t].assign(p.bytes(), p.bytes() + page);
      };
      std::thread other(read, 1);
      read(0);
      other.join();
      const Bytes want(chunks[i].begin() + long(at), chunks[i].end());
      EXPECT_TRUE(seen[0] == want && seen[1] == want) << "chunk " << i;
    }
    EXPECT_TRUE(UnpackTexturePages(fresh));
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(blocks[i]->ToBytes() == chunks[i]) << "chunk " << i;
  }
  std::vector<std::string> expected;
  if (!(level.rooms[0].flags & kFlagWater)) expected.push_back("room 0 flags");
  expected.insert(expected.end(), {"items count", "item 0 x"});
  if (item.angle != 0x2000) expected.push_back("item 0 angle");
  expected.push_back("item " + std::to_string(level.num_items()));
  const auto scripted_back = ReadLevelBytes(scripted, path);
  ASSERT_TRUE(scripted_back) << scripted_back.message();
  EXPECT_EQ(Changed(level, *scripted_back), expected);

  EXPECT_TRUE(DiffLevels(level, level)->empty());
  if (level.version_kind != kTR4) {
    EXPECT_EQ(DiffLevels(BuildDemoLevel(), level).message(),
              "the levels are of different generations (TR4 and " +
                  std::string(GenerationName(level.version_kind)) +
                  "); diff compares levels of one");
  }
}

// Saving the level and reading it back gives the level with what the writer computed.
void ExpectSavedAsImported(const Ttrlevel& imported, const std::string& path) {
  const auto written = WriteLevelBytes(imported, path);
  ASSERT_TRUE(written) << written.message();
  const auto reread = ReadLevelBytes(written->bytes, path);
  ASSERT_TRUE(reread) << reread.message();
  Ttrlevel expected = imported;
  AdoptFileValues(expected, written->values);
  EXPECT_EQ(expected.FirstDifference(*reread), "");
}

// Imported from its own MSH export in either mode, the level saves to its own bytes; every room
// comes back from its DXF export with its faces, and the level saves as imported; so does the
// first room with triangles without its last face (a TR5 room whose triangles change parity).
TEST_P(LevelSweep, EveryRoomThroughMshAndDxf) {
  const Bytes original = TZfile::Read(path)->content.ToBytes();
  const Bytes msh = WriteMshBytes(level);
  for (MshImportMode mode : {MshImportMode::kFull, MshImportMode::kGeometryOnly}) {
    Ttrlevel from_msh = level;
    const Result r = ImportMshBytes(from_msh, msh, mode, "level.msh");
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(from_msh.FirstDifference(level), "");
    EXPECT_TRUE(FileOf(from_msh, path) == original);
  }
  Ttrlevel imported = level;
  bool cut = false;
  for (size_t i = 0; i < level.rooms.size(); ++i) {
    SCOPED_TRACE("room " + std::to_string(i));
    const auto text = WriteRoomDxfText(level, i);
    ASSERT_TRUE(text) << text.message();
    if (level.rooms[i].num_triangles() > 0 && !cut) {
      std::string fewer = *text;
      const size_t last = fewer.rfind("  0\r\n3DFACE");
      fewer.erase(last, fewer.find(" 0\r\nENDSEC", last) - last);
      Ttrlevel trimmed = level;
      ASSERT_TRUE(ImportRoomDxfText(trimmed, i, fewer, "room.dxf"));
      cut = true;
      ExpectSavedAsImported(trimmed, path);
    }
    const Result r = ImportRoomDxfText(imported, i, *text, "room.dxf");
    ASSERT_TRUE(r) << r.message();
    const troom& room = imported.rooms[i];
    EXPECT_EQ(FaceList(room), FaceList(level.rooms[i]));
    // The faces' points get the file's light; a point only a room sprite stands on keeps its own.
    std::set<uint16_t> on_face;
    for (const auto& f : room.rectangles) on_face.insert(f.vertices, f.vertices + 4);
    for (const auto& f : room.triangles) on_face.insert(f.vertices, f.vertices + 3);
    for (size_t v = 0; v < room.num_vertices(); ++v) {
      if (level.version_kind != kTR5 && on_face.contains(static_cast<uint16_t>(v))) {
        EXPECT_EQ(+room.vertices2[v].lighting, 16 << 8);
      }
    }
  }
  ExpectSavedAsImported(imported, path);
}

// The groups tile the stream exactly and every sector points at the start of a group (a misread
// length would shift both); every sector decodes and every trigger is found by the search. The
// demo level holds every function number, trigger type and command.
TEST_P(LevelSweep, FloorDataGroupsTileTheStreamAndSectorsPointAtGroups) {
  const FloorData fd = ParseFloorData(level);
  ASSERT_GT(fd.num_groups(), 1u);
  size_t end = 1;
  for (size_t g = 1; g < fd.num_groups(); ++g) {
    ASSERT_EQ(fd.Group(g).fd_start, end) << "group " << g;
    for (const auto& fn : fd.Group(g).functions) {  // the words the decoded group occupies
      end += IsOneWordFunction(fn.function) ? 1 : 2;
      if (fn.function != 4) continue;
      if (fn.trigger.trigger_item >= 0) ++end;
      for (const auto& c : fn.trigger.commands) end += c.command == 1 ? 2 : 1;
    }
  }
  EXPECT_EQ(end, level.num_floor_data());
  size_t triggers = 0;
  for (const auto& g : fd.FloorDataGroups) triggers += g.has_trigger;
  EXPECT_GT(triggers, 0u);
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    const troom& room = level.rooms[r];
    for (const auto& s : room.sectors) {
      if (s.fd_index != 0) {
        EXPECT_NE(fd.GroupOf(s.fd_index), 0u) << "room " << r << " fd_index " << s.fd_index;
      }
    }
    EXPECT_EQ(BuildSectorMap(level, fd, r).cells.size(), room.sectors.size());
    for (int c = 1; c <= room.num_x_sectors; ++c)
      for (int w = 1; w <= room.num_z_sectors; ++w)
        ASSERT_TRUE(DecodeSector(level, fd, r, c, w, {}));
  }
  SearchCursor cursor;
  size_t found = 0;
  for (; FindTriggerByCriteria(level, fd, cursor, 0, 0).kind != SearchResult::kNoMatch;
       cursor.Advance())
    ++found;
  EXPECT_EQ(found, triggers);
}

// The levels are right by definition: no errors, and nothing they refer to is missing. Their
// warnings, each with why it is right, are listed here so that a new one is looked at.
TEST_P(LevelSweep, CheckFindsOnlyTheKnownWarnings) {
  const std::map<std::string, std::vector<std::string>> known = {
      // Two animating objects the game keeps 512 sectors away on every axis, out of sight.
      {"TR5", {"item-position item 4", "item-position item 5"}},
      // Two AI objects, which have no movable; and three floor-data functions no game knows,
      // put there to show how the Floor Data tab lists them.
      {"demo",
       {"item-object item 11", "item-object item 12", "floor-function column 2, row 2 of room 0",
        "floor-function column 3, row 4 of room 0", "floor-function column 4, row 4 of room 2"}},
  };
  std::vector<std::string> found;
  std::string all;
  for (const Problem& p : CheckLevel(level)) {
    found.push_back(std::string(p.code) + " " + PlaceText(p.where));
    all += "\n  " + p.message;
  }
  const auto k = known.find(GetParam());
  EXPECT_EQ(found, k == known.end() ? std::vector<std::string>{} : k->second) << all;
}

}  // namespace
}  // namespace qavel
