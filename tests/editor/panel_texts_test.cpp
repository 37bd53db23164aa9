// The texts of the room, item, static and Experiments panels, against the documented examples.

#include "editor/panel_texts.h"

#include <gtest/gtest.h>

#include "fixtures/editor_fixture.h"

namespace qavel {
namespace {

TEST(PanelTexts, RoomInfoInPanelUnits) {
  const Ttrlevel level = test::MakeEditorLevel();
  const RoomInfoTexts t = ShowRoomInfo(level.rooms[0]);
  EXPECT_EQ(t.width, "Width: 4");
  EXPECT_EQ(t.length, "Long: 3");
  // -1500 div 1024 truncates toward zero.
  EXPECT_EQ(t.position, "Position: -1 , 0 , 4");
  EXPECT_EQ(t.height, "Height: 9");
  EXPECT_EQ(t.flag, "Flag: 1000-0000-0000-0001");
  EXPECT_EQ(t.alternate_room, "Alternate Room: -1");
  EXPECT_EQ(t.water_scheme, "Water Scheme: 012A");
  EXPECT_EQ(t.shape_width, 20);
  EXPECT_EQ(t.shape_height, 15);
  EXPECT_EQ(FlagDigits(0x0048), "0000-0000-0100-1000");
}

TEST(PanelTexts, ItemEntryShowsBothFormsAndFlags) {
  const Ttrlevel level = test::MakeEditorLevel();
  auto info = ShowItemInfo(level, 0);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->object_id, 5);
  EXPECT_EQ(info->room, 0);
  EXPECT_EQ(info->position, (PanelPosition{-1, -3, 3}));  // -700 div 512 is -1
  EXPECT_EQ(info->ocb, 7);
  EXPECT_EQ(info->label1, "Angle:64");
  EXPECT_EQ(info->label2, "Angle2:64");
  EXPECT_EQ(info->label3, "OCB:7");
  EXPECT_EQ(info->label9, "Light_1: 4660");
  EXPECT_EQ(info->label19, "Angle: 64");
  // Flags 0x3E: bits 1..5 set.
  EXPECT_EQ(info->label4, "Flag :11111-00");
  EXPECT_EQ(info->activation, (std::array<bool, 5>{true, true, true, true, true}));
  EXPECT_FALSE(info->clear_body);
  EXPECT_FALSE(info->invisible);
  // A TR1-TR3 level has no OCB.
  EXPECT_EQ(ShowItemInfo(test::MakeEditorLevel(kTR3), 0)->label3, "OCB:0");
}

TEST(PanelTexts, AuxEntryReadsTheAuxRecordAndOutsideEntriesShowNothing) {
  const Ttrlevel level = test::MakeEditorLevel();
  auto info = ShowItemInfo(level, 3);  // aux record 0
  ASSERT_TRUE(info);
  EXPECT_EQ(info->object_id, 30);
  EXPECT_EQ(info->room, 2);
  EXPECT_EQ(info->position, (PanelPosition{6, -2, 2}));
  EXPECT_EQ(info->label3, "OCB:-2");
  // The whole aux flag word: bit 0 invisible, bit 6 the extra note.
  EXPECT_EQ(info->label4, "Flag :00000-01-Bit 7 Enabled!");
  EXPECT_TRUE(info->invisible);
  EXPECT_FALSE(ShowItemInfo(level, -1));
  EXPECT_FALSE(ShowItemInfo(level, 5));
  EXPECT_FALSE(ShowItemInfo(test::MakeEditorLevel(kTR3), 3));  // no aux entries before TR4
  EXPECT_EQ(ItemFlagsText(0x80), "00000-10");
}

TEST(PanelTexts, StaticShowsTheTr2FormAndTheList) {
  const Ttrlevel level = test::MakeEditorLevel();
  auto info = ShowStaticInfo(level.rooms[0], 1);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->position, (PanelPosition{-1, 0, 1}));
  EXPECT_EQ(info->light1, 0x1FFF);
  EXPECT_EQ(info->light2, 0x2000);
  EXPECT_EQ(info->mesh_id, 4);
  EXPECT_EQ(ShowStaticInfo(level.rooms[0], 0)->angle, "Angle:4096");
  EXPECT_FALSE(ShowStaticInfo(level.rooms[0], 2));
  EXPECT_FALSE(ShowStaticInfo(level.rooms[0], -1));
  EXPECT_EQ(StaticListTexts(level.rooms[0]),
            (std::vector<std::string>{"Static Mesh#1", "Static Mesh#2"}));
}

TEST(PanelTexts, ThirteenTrcLinesAndTheWeather) {
  Ttrlevel level = test::MakeEditorLevel(kTR5);
  troom& room = level.rooms[0];
  room.trc_unknown1 = 0xFFFFFFFF;
  room.trc_unknown15() = 15;
  auto lines = TrcValueLines(room);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0], "Unknown1: -1");
  EXPECT_EQ(lines[5], "Unknown7: 3");
  EXPECT_EQ(lines[12], "Unknown15: 15");
  EXPECT_THROW(TrcValueField(room, 13), std::out_of_range);
  SetWeather(level, 2);
  EXPECT_EQ(Weather(level), 2);
  EXPECT_EQ(level.trc_header[2], 2);
}

TEST(PanelUnits, TruncateTowardZeroAndScaleBack) {
  EXPECT_EQ(ToPanelUnits(-1000, -768, 1023), (PanelPosition{-1, -3, 1}));
  EXPECT_EQ(ToWorldUnits(Axis::kX, -3), -1536);
  EXPECT_EQ(ToWorldUnits(Axis::kY, 4), 1024);
  EXPECT_EQ(ToWorldUnits(Axis::kZ, kPanelLimit), 2048000000);
}

}  // namespace
}  // namespace qavel
