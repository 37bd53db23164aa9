// The texts of the room, item, static and Experiments panels, against the documented examples.

#include "inspect/panel_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fixtures/test_level.h"

namespace qavel {
namespace {

TEST(PanelTexts, RoomInfoInPanelUnits) {
  const Ttrlevel level = test::MakeEditorLevel();
  // -1500 div 1024 truncates toward zero.
  EXPECT_EQ(ShowRoomInfo(level.rooms[0]),
            (RoomInfoTexts{"Width: 4", "Long: 3", "Position: -1 , 0 , 4", "Height: 9",
                           "Flag: 1000-0000-0000-0001", "Alternate Room: -1", "Water Scheme: 012A",
                           20, 15}));
  EXPECT_EQ(FlagDigits(0x0048), "0000-0000-0100-1000");
}

TEST(PanelTexts, ItemAndAuxEntries) {
  const Ttrlevel level = test::MakeEditorLevel();
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
  const Ttrlevel tr3 = test::MakeEditorLevel(kTR3);
  EXPECT_EQ(ShowItemInfo(tr3, 0)->ocb_text, "OCB:0");  // no OCB before TR4
  EXPECT_EQ(ShowItemInfo(tr3, 0)->ocb_bits, "");
  EXPECT_FALSE(ShowItemInfo(tr3, 3));  // nor aux entries
  // A TR1 item shows its one light word (0x1234 and 7 in the second form make 0x0734).
  EXPECT_EQ(ShowItemInfo(test::MakeEditorLevel(kTR1), 0)->light_text, "Light_1: 1844");
  EXPECT_EQ(ItemFlagsText(0x80), "00000-10");
  EXPECT_EQ(OcbStoredText(level, 3), "OCB:65534");  // read back unsigned
}

TEST(PanelTexts, StaticShowsTheSecondFormAndTheList) {
  const Ttrlevel level = test::MakeEditorLevel();
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
  Ttrlevel level = test::MakeEditorLevel(kTR5);
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
