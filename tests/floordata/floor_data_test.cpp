// Floor data: parsing the stream into groups, the texts of a sector and of its triggers, and the
// searches for triggers.

#include <gtest/gtest.h>

#include <random>

#include "fd_builder.h"
#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/trigger_text.h"

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

// Lines of the first function of group 1 of a stream, with items named by object id.
std::vector<std::string> Describe(const Ttrlevel& level) {
  const FloorData fd = ParseFloorData(level);
  return DescribeTrigger(level, fd, 1, 0,
                         [](uint32_t id) { return "Object " + std::to_string(id); });
}

TEST(DescribeTrigger, SetupWordTimerFlagsAndOneShot) {
  Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0x3E05, Cmd(3, 1, true)});
  EXPECT_EQ(Describe(level),
            (std::vector<std::string>{"DO WITH ACTIVATE", "Timer            :5",
                                      "Flags            :11111-00", "Only once    :No",
                                      "------- Commands -----------", "Alternate_ON-3-(1)"}));
  level.floor_data[2] = 0x01FF;
  const auto lines = Describe(level);
  EXPECT_EQ(lines[1], "Timer            :-1");
  EXPECT_EQ(lines[2], "Flags            :00000-00");
  EXPECT_EQ(lines[3], "Only once    :Yes");
  EXPECT_EQ(TriggerFlagsText(0xC000), "00000-11");
  EXPECT_EQ(TriggerFlagsText(0x0200), "10000-00");
}

TEST(DescribeTrigger, TriggerItemNamesAndNone) {
  Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(4, 2, true), 0, 3, Cmd(0, 2), Cmd(6, 9, true)});
  for (int i = 0; i < 5; ++i) test::AddItem(level, static_cast<uint16_t>(100 + i));
  const auto lines = Describe(level);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "SWITCH IS ON");
  EXPECT_EQ(lines[4], "Trigger Item(3) - Object 103");
  EXPECT_EQ(lines[6], "Item-0-(2) - Object 102");
  EXPECT_EQ(lines[7], "Look_at_item-6-(9) - None");
  // Without a catalog every id is named by number.
  EXPECT_EQ(ItemName(level, 1, {}), "101");
  EXPECT_EQ(ItemName(level, -1, {}), "None");
}

TEST(DescribeTrigger, EveryCommandLine) {
  std::vector<uint16_t> words = {0, Fn(4, 1, true), 0};
  words.push_back(Cmd(1, 0));
  words.push_back(0x1F55);  // bits 8 and 12 set in the kept part: 0x1F00
  words.push_back(Cmd(2, 1));
  for (uint16_t c = 3; c <= 15; ++c) words.push_back(Cmd(c, c * 10, c == 15));
  Ttrlevel level = test::LevelWithRoom(1, 1, words);
  test::AddCamera(level, 0xBEEF);
  test::AddCamera(level, 0x0042);
  const auto lines = Describe(level);
  const std::vector<std::string> commands(lines.begin() + 5, lines.end());
  EXPECT_EQ(commands, (std::vector<std::string>{
                          "Switch_Camera-1-(1,0,1,1)  (raw flag:31)",
                          "Camera Flag-1-:BEEF",
                          "Underwater_Flow-1-(2)",
                          "Sink-1-:0042",
                          "Alternate_ON-3-(30)",
                          "Alternate_Flag-4-(40)",
                          "Alternate_OFF-5-(50)",
                          "Look_at_item-6-(60) - None",
                          "End Level-7-(70)",
                          "Play_Soundtrack-8-(80)",
                          "Effect-Clock Control-9-(90)",
                          "Secret_Found-10-(100)",
                          "Body_Bag-11-(110)",
                          "Flyby_Camera-12-(120)",
                          "CutScene-13-(130)",
                          "Unknown command #14 With Operand 140",
                          "Unknown command #15 With Operand 150",
                      }));
  EXPECT_EQ(lines[0], "LARA ON GROUND DO ACTIVATE");
}

// Cameras beyond the table show "none"; only triggers are described.
TEST(DescribeTrigger, CamerasBeyondTheTableAndFunctionsThatAreNoTrigger) {
  Ttrlevel camera = test::LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0, Cmd(1, 5), 0x8000});
  test::AddCamera(camera, 1);
  EXPECT_EQ(Describe(camera).back(), "Camera Flag-1-:none");
  camera.floor_data = {0, Fn(4, 0, true), 0, Cmd(2, 1, true)};
  EXPECT_EQ(Describe(camera).back(), "Sink-1-:none");

  EXPECT_EQ(TriggerTypeText(13), "TRC LARA X-RAY");
  EXPECT_EQ(TriggerTypeText(14), "Unknown!!!!");
  const Ttrlevel level = test::LevelWithRoom(1, 1, {0, Fn(2, 0, true), 0});
  const FloorData fd = ParseFloorData(level);
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 5, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 3, {}).empty());
}

// Two rooms. Groups: 1 names item 3 twice (Item and Look_at_item) and a second trigger for
// it; 2 is a switch trigger used by no sector; 3 a type-9 trigger with command 14; 4 names
// item 3 again; 5 a slant.
Ttrlevel SearchLevel() {
  const std::vector<std::vector<uint16_t>> groups = {
      {Fn(4, 0), 0, Cmd(0, 3), Cmd(6, 3, true), Fn(4, 1, true), 0, Cmd(0, 3, true)},  // fd 1
      {Fn(4, 2, true), 0, 5, Cmd(0, 1, true)},                                        // fd 8
      {Fn(4, 9, true), 0, Cmd(14, 2, true)},                                          // fd 12
      {Fn(4, 0, true), 0, Cmd(6, 3, true)},                                           // fd 15
      {Fn(2, 0, true), 0}};                                                           // fd 18
  std::vector<uint16_t> words = {0};
  for (const auto& g : groups) words.insert(words.end(), g.begin(), g.end());
  Ttrlevel level = test::LevelWithRoom(2, 2, words);
  level.rooms.push_back(level.rooms[0]);
  level.rooms[0].sectors[3] = test::Sector(1);   // room 0, column 2, row 2
  level.rooms[1].sectors[1] = test::Sector(1);   // room 1 uses it too: never shown
  level.rooms[1].sectors[2] = test::Sector(12);  // room 1, column 2, row 1
  level.rooms[1].sectors[0] = test::Sector(15);  // room 1, column 1, row 1
  return level;
}

TEST(Searches, ItemSearchVisitsEachGroupOnceThenRunsOut) {
  const Ttrlevel level = SearchLevel();
  const FloorData fd = ParseFloorData(level);
  SearchCursor cursor;
  auto hit = FindTriggerForItem(level, fd, cursor, 3);
  ASSERT_EQ(hit.kind, SearchResult::kFound);
  EXPECT_EQ(hit.group, 1u);
  EXPECT_EQ(hit.place, (SectorPlace{0, 2, 2}));
  EXPECT_EQ(hit.status, "Column:2 Row:2");
  EXPECT_EQ(cursor.value, 1);
  cursor.Advance();
  hit = FindTriggerForItem(level, fd, cursor, 3);
  ASSERT_EQ(hit.kind, SearchResult::kFound);
  EXPECT_EQ(hit.group, 4u);
  EXPECT_EQ(hit.place, (SectorPlace{1, 1, 1}));
  cursor.Advance();
  hit = FindTriggerForItem(level, fd, cursor, 3);
  EXPECT_EQ(hit.kind, SearchResult::kNoMatch);
  EXPECT_EQ(hit.message, "No more triggers found for this item.");
  EXPECT_EQ(cursor.value, 5);  // no match leaves the cursor; Find Next keeps counting
  cursor.Advance();
  EXPECT_EQ(FindTriggerForItem(level, fd, cursor, 3).kind, SearchResult::kNoMatch);
  EXPECT_EQ(cursor.value, 6);
  cursor.Restart();
  EXPECT_EQ(FindTriggerForItem(level, fd, cursor, 3).group, 1u);
}

TEST(Searches, GroupWithoutSectorReportsAndFindNextGoesOn) {
  const Ttrlevel level = SearchLevel();
  const FloorData fd = ParseFloorData(level);
  SearchCursor cursor;
  auto hit = FindTriggerForItem(level, fd, cursor, 1);
  EXPECT_EQ(hit.kind, SearchResult::kNotApplied);
  EXPECT_EQ(hit.group, 2u);
  EXPECT_EQ(hit.message,
            "One trigger found...but this one was not applied to any room...try finding next "
            "trigger for this item.");
  EXPECT_EQ(cursor.value, 2);
  // The searches share the cursor: a criteria Find Next continues after the item hit.
  cursor.Advance();
  hit = FindTriggerByCriteria(level, fd, cursor, 0, 0);
  EXPECT_EQ(hit.group, 3u);
  EXPECT_EQ(hit.place, (SectorPlace{1, 2, 1}));
  EXPECT_EQ(hit.status, "Column:2 Row:1");
}

TEST(Searches, CriteriaByTypeAndCommand) {
  const Ttrlevel level = SearchLevel();
  const FloorData fd = ParseFloorData(level);
  // ANY / ANY: every trigger group once, in order.
  std::vector<uint32_t> groups;
  SearchCursor cursor;
  for (auto hit = FindTriggerByCriteria(level, fd, cursor, 0, 0);
       hit.kind != SearchResult::kNoMatch; hit = FindTriggerByCriteria(level, fd, cursor, 0, 0)) {
    groups.push_back(hit.group);
    cursor.Advance();
  }
  EXPECT_EQ(groups, (std::vector<uint32_t>{1, 2, 3, 4}));
  // The empty last entry of the command list stands for command 14.
  cursor.Restart();
  EXPECT_EQ(FindTriggerByCriteria(level, fd, cursor, 0, 15).group, 3u);
  // Type entry 2 is "LARA ON GROUND DO ACTIVATE" (type 1), found in group 1's second trigger.
  cursor.Restart();
  EXPECT_EQ(FindTriggerByCriteria(level, fd, cursor, 2, 1).group, 1u);
  cursor.Restart();
  EXPECT_EQ(FindTriggerByCriteria(level, fd, cursor, 2, 7).kind, SearchResult::kNoMatch);
  cursor.Restart();
  EXPECT_EQ(FindTriggerByCriteria(level, fd, cursor, 10, 0).group, 3u);  // type 9
}

TEST(Searches, FirstSectorIsByRoomThenColumnThenRow) {
  Ttrlevel level = test::LevelWithRoom(3, 3, {0, Fn(2, 0, true), 0});
  level.rooms[0].sectors[5] = test::Sector(1);  // column 2, row 3
  level.rooms[0].sectors[6] = test::Sector(1);  // column 3, row 1
  EXPECT_EQ(FirstSectorUsing(level, 1), (SectorPlace{0, 2, 3}));
  EXPECT_FALSE(FirstSectorUsing(level, 2));
  EXPECT_FALSE(FirstSectorUsing(Ttrlevel{}, 0));
}

}  // namespace
}  // namespace qavel
