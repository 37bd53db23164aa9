#include "floordata/floor_data.h"

#include <gtest/gtest.h>

#include <random>

#include "fd_builder.h"

namespace qavel {
namespace {

using test::Cmd;
using test::Fn;

FloorData Parse(const std::vector<uint16_t>& words) {
  return ParseFloorData(words);
}

TEST(ParseFloorData, SingleWordStreamHasOnlyTheEmptyGroup) {
  const FloorData fd = ParseFloorData(std::vector<uint16_t>{0});
  ASSERT_EQ(fd.num_groups(), 1u);
  EXPECT_EQ(fd.Group(0).function_count, 0);
  EXPECT_EQ(fd.GroupOfFdIndex, std::vector<uint32_t>{0});
  EXPECT_EQ(ParseFloorData(std::vector<uint16_t>{}).num_groups(), 1u);
}

TEST(ParseFloorData, OneWordFunctionsTakeNoOperand) {
  // Death (5) is one word; the portal (1) after it takes its operand word.
  const FloorData fd = Parse({0, Fn(5), Fn(1, 0, true), 7, Fn(6, 0, true)});
  ASSERT_EQ(fd.num_groups(), 3u);
  const auto& g = fd.Group(1);
  EXPECT_EQ(g.fd_start, 1u);
  ASSERT_EQ(g.function_count, 2);
  EXPECT_EQ(g.functions[0].function, 5);
  EXPECT_EQ(g.functions[0].operand, 0);
  EXPECT_EQ(g.functions[1].operand, 7);
  EXPECT_TRUE(g.has_death && g.has_portal && !g.has_trigger);
  EXPECT_EQ(fd.Group(2).fd_start, 4u);
  EXPECT_EQ(fd.GroupOf(4), 2u);
  EXPECT_EQ(fd.GroupOf(2), 0u);  // the middle of a group starts nothing
  EXPECT_EQ(fd.GroupOf(999), 0u);
}

TEST(ParseFloorData, TriggerItemCommandsAndCameraWords) {
  // Key trigger (type 3) on item 9: Item 4, then a camera command whose second word ends the
  // list although the first word's bit 15 is clear.
  const FloorData fd =
      Parse({0, Fn(4, 3, true), 0x3E05, 9, Cmd(0, 4), Cmd(1, 2), 0x9F7A, Fn(3, 0, true), 1});
  ASSERT_EQ(fd.num_groups(), 3u);
  const auto& fn = fd.Group(1).functions.at(0);
  EXPECT_EQ(fn.operand, 0x3E05);
  EXPECT_EQ(fn.trigger.trigger_type, 3);
  EXPECT_EQ(fn.trigger.trigger_item, 9);
  ASSERT_EQ(fn.trigger.command_count, 2);
  EXPECT_EQ(fn.trigger.commands[0], (ttrigger_command{0, 4, 0}));
  EXPECT_EQ(fn.trigger.commands[1], (ttrigger_command{1, 2, 0x1F00}));
  EXPECT_EQ(fd.Group(2).fd_start, 7u);
  // Types without an item word start their commands at once.
  const FloorData plain = Parse({0, Fn(4, 0, true), 0, Cmd(8, 5, true)});
  EXPECT_EQ(plain.Group(1).functions[0].trigger.trigger_item, -1);
  EXPECT_EQ(plain.Group(1).functions[0].trigger.commands.at(0).command, 8);
  // Bits 10-14 of 1 mark the camera; command 1 with bit 14 set is no camera command.
  const FloorData not_camera = Parse({0, Fn(4, 0, true), 0, 0x4400 | 0x8000, 0});
  EXPECT_EQ(not_camera.Group(1).functions[0].trigger.commands.at(0).camera_extra, 0);
  EXPECT_EQ(not_camera.num_groups(), 3u);
}

TEST(ParseFloorData, HighFunctionsAndFlags) {
  const FloorData fd = Parse({0, Fn(26), 1, Fn(25, 3, true), 2});
  EXPECT_TRUE(fd.Group(1).has_high_function);
  EXPECT_EQ(fd.Group(1).functions[1].subfunction, 3);
  EXPECT_FALSE(Parse({0, Fn(25, 0, true), 0}).Group(1).has_high_function);
}

TEST(ParseFloorData, StreamsCutShortNeverReadBeyondTheEnd) {
  // Each stream stops inside a function; the group keeps what was read and ends there.
  struct Case {
    std::vector<uint16_t> words;
    int functions;
    int commands;
    int32_t item;
  };
  const std::vector<Case> cases = {
      {{0, Fn(2)}, 1, 0, -1},                               // operand missing
      {{0, Fn(2), 5, Fn(3)}, 2, 0, -1},                     // no final bit 15
      {{0, Fn(4, 2, true), 0x0100}, 1, 0, -1},              // switch without its item word
      {{0, Fn(4, 2, true), 0x0100, 7}, 1, 0, 7},            // item, then no command
      {{0, Fn(4, 0, true), 0, Cmd(0, 1)}, 1, 1, -1},        // commands without a last bit
      {{0, Fn(4, 0, true), 0, Cmd(1, 3, true)}, 1, 1, -1},  // camera without second word
      {{0, Fn(4, 0, true)}, 1, 0, -1},                      // setup word missing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.words));
    const FloorData fd = ParseFloorData(c.words);
    ASSERT_EQ(fd.num_groups(), 2u);
    const auto& g = fd.Group(1);
    ASSERT_EQ(g.function_count, c.functions);
    EXPECT_EQ(g.functions.back().trigger.command_count, c.commands);
    EXPECT_EQ(g.functions.back().trigger.trigger_item, c.item);
    EXPECT_EQ(fd.GroupOfFdIndex.size(), c.words.size());
  }
}

TEST(ParseFloorData, GaugeRisesToHundredThenReturnsToZero) {
  std::vector<int> seen;
  ParseFloorData(std::vector<uint16_t>{0, Fn(2, 0, true), 1, Fn(3, 0, true), 1},
                 [&seen](int p) { seen.push_back(p); });
  EXPECT_EQ(seen, (std::vector<int>{60, 100, 0}));
}

// Every word of a random stream belongs to exactly one group: groups follow one another
// without gaps and GroupOfFdIndex points back at each start.
TEST(ParseFloorData, RandomStreamsTileWithoutGaps) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::vector<uint16_t> words(rng() % 64);
    for (auto& w : words) w = static_cast<uint16_t>(rng());
    const FloorData fd = ParseFloorData(words);
    for (size_t g = 1; g < fd.num_groups(); ++g) {
      ASSERT_LT(fd.Group(g).fd_start, words.size());
      EXPECT_EQ(fd.GroupOf(fd.Group(g).fd_start), g);
      EXPECT_GE(fd.Group(g).function_count, 1);
      if (g > 1) {
        EXPECT_GT(fd.Group(g).fd_start, fd.Group(g - 1).fd_start);
      }
    }
  }
}

TEST(SectorNumber, ColumnByColumnWithEightBitInputs) {
  EXPECT_EQ(SectorNumber(5, 1, 1), 1);
  EXPECT_EQ(SectorNumber(5, 3, 2), 12);
  EXPECT_EQ(SectorNumber(5, 0, 2), 2);    // column 0 counts as column 1
  EXPECT_EQ(SectorNumber(5, 257, 2), 2);  // 257 is column 1 in eight bits
  EXPECT_EQ(SectorNumber(5, 256, 2), 2);  // and 256 is column 0
  EXPECT_EQ(SectorNumber(5, 2, 258), 7);
}

TEST(DecodeSector, RawAndDetailLinesOfEveryFunction) {
  // One group holding functions 0..23 (a trigger excepted) in one list.
  std::vector<uint16_t> words = {0};
  for (uint16_t f = 0; f <= 23; ++f) {
    if (f == 4) continue;
    words.push_back(Fn(f, f == 2 ? 5 : 0, f == 23));
    if (!IsOneWordFunction(f)) words.push_back(f == 1 ? 3 : 0x1234);
  }
  Ttrlevel level = test::LevelWithRoom(3, 4, words);
  level.rooms[0].sectors[5] = test::Sector(1, 2, 7);  // column 2, row 2
  const FloorData fd = ParseFloorData(level);
  const auto text = DecodeSector(level, fd, 0, 2, 2, {});
  ASSERT_TRUE(text);
  ASSERT_EQ(text->raw.size(), 3u + 23u);
  EXPECT_EQ(text->raw[0], "FD Index:1");
  EXPECT_EQ(text->raw[1], "Count:23");
  EXPECT_EQ(text->raw[2], "------------");
  EXPECT_EQ(text->raw[3], "-Function:0  Subfunction:0 Operando:4660");
  EXPECT_EQ(text->raw[5], "-Function:2  Subfunction:5 Operando:4660");
  EXPECT_EQ(text->raw[7], "-Function:5  Subfunction:0 Operando:0");
  const std::vector<std::string> expected = {"Room Below:#2",
                                             "Room Above:#7",
                                             "Portal to Room:#3",
                                             "Floor Slant-Function-2-",
                                             "Ceiling Slant-Function-3-",
                                             "Death sector-Function-5-",
                                             "Climbable Walls-Function-6-",
                                             "Slants TR3-Function-7-",
                                             "Slants TR3-Function-8-",
                                             "Slants TR3-Function-9-",
                                             "Slants TR3-Function-10-",
                                             "Slants TR3-Function-11-",
                                             "Slants TR3-Function-12-",
                                             "Unkwown! Function-13-",
                                             "Unkwown! Function-14-",
                                             "Unkwown! Function-15-",
                                             "Unkwown! Function-16-",
                                             "Unkwown! Function-17-",
                                             "Unkwown! Function-18-",
                                             "Unkwown! Function-19-",
                                             "Minecart Left-Function-20-",
                                             "Minecart Right-Function-21-"};
  EXPECT_EQ(text->details, expected);
}

TEST(DecodeSector, SectorsWithoutAGroupShowGroupZeroAndPlacesOutsideNothing) {
  Ttrlevel level = test::LevelWithRoom(2, 2, {0, Fn(2, 0, true), 1});
  level.rooms[0].sectors[1] = test::Sector(2);      // inside a group, starts nothing
  level.rooms[0].sectors[2] = test::Sector(40000);  // beyond the stream
  const FloorData fd = ParseFloorData(level);
  const std::vector<std::string> empty = {"FD Index:0", "Count:0", "------------"};
  for (int s = 0; s < 4; ++s) {
    const auto text = DecodeSector(level, fd, 0, s / 2 + 1, s % 2 + 1, {});
    ASSERT_TRUE(text);
    EXPECT_EQ(text->raw, empty);
    EXPECT_TRUE(text->details.empty());
  }
  EXPECT_FALSE(DecodeSector(level, fd, 0, 3, 1, {}));
  EXPECT_FALSE(DecodeSector(level, fd, 0, 1, 3, {}));
  EXPECT_FALSE(DecodeSector(level, fd, 0, 0, 1, {}));
  EXPECT_FALSE(DecodeSector(level, fd, 1, 1, 1, {}));  // no such room
}

}  // namespace
}  // namespace qavel
