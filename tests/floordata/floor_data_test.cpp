// Floor data: parsing the stream into groups, the texts of a sector and of its triggers, the
// searches for triggers, and the sector map with its picture.

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <random>

#include "fixtures/test_level.h"
#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "floordata/trigger_text.h"

namespace qavel {
namespace {

using test::Cmd;
using test::Fn;
using namespace map_colour;

tsector Sector(uint16_t fd_index, uint8_t below = 255, uint8_t above = 255, int8_t floor = 0) {
  return tsector{{}, fd_index, 0, below, floor, above, 0};
}

// A TR4 level with one nx x nz room of sectors without floor data and the given stream.
Ttrlevel LevelWithRoom(uint16_t nx, uint16_t nz, std::vector<uint16_t> floor_data) {
  Ttrlevel level;
  level.version_kind = kTR4;
  troom room;
  room.num_x_sectors = nx;
  room.num_z_sectors = nz;
  room.sectors.assign(size_t{nx} * nz, Sector(0));
  level.rooms.push_back(room);
  level.floor_data = std::move(floor_data);
  return level;
}

void AddCamera(Ttrlevel& level, uint16_t flags) {
  tcamera cam{};
  std::memcpy(cam.raw + 14, &flags, 2);
  level.cameras.push_back(cam);
}

// The groups of a stream, " | " between them: each its first word, its functions as
// function/subfunction:operand, a trigger's [type item: command,operand+camera word bits]
// and the flags the group carries. Counts are shown only where they disagree with the lists.
std::string Groups(const FloorData& fd) {
  std::string s;
  for (const tfloordata_group& g : fd.FloorDataGroups) {
    s += (s.empty() ? "@" : " | @") + std::to_string(g.fd_start);
    if (g.function_count != static_cast<int32_t>(g.functions.size()))
      s += " count " + std::to_string(g.function_count);
    for (const ttrigger_list& f : g.functions) {
      s += " " + std::to_string(f.function) + "/" + std::to_string(f.subfunction) + ":" +
           std::to_string(f.operand);
      const tfdlist& t = f.trigger;
      if (f.function != 4) continue;
      s += " [" + std::to_string(t.trigger_type) + " " + std::to_string(t.trigger_item) + ":";
      if (t.command_count != static_cast<int32_t>(t.commands.size()))
        s += " count " + std::to_string(t.command_count);
      for (const ttrigger_command& c : t.commands) {
        s += " " + std::to_string(c.command) + "," + std::to_string(c.operand);
        if (c.camera_extra) s += "+" + std::to_string(c.camera_extra >> 8);
      }
      s += "]";
    }
    s += std::string(g.has_portal ? " portal" : "") + (g.has_trigger ? " trigger" : "") +
         (g.has_death ? " death" : "") + (g.has_high_function ? " high" : "");
  }
  return s;
}

// Every group starts where GroupOfFdIndex says and nowhere else; a stream that ends inside a
// function keeps what was read and ends there.
TEST(ParseFloorData, StreamsBecomeGroupsAndNeverReadBeyondTheEnd) {
  const std::vector<std::pair<std::vector<uint16_t>, std::string>> cases = {
      {{0}, "@0"},
      {{}, "@0"},
      // Death (5) is one word; the portal (1) after it takes its operand word.
      {{0, Fn(5), Fn(1, 0, true), 7, Fn(6, 0, true)},
       "@0 | @1 5/0:0 1/0:7 portal death | @4 6/0:0"},
      // Key trigger (type 3) on item 9: Item 4, then a camera command whose second word ends the
      // list although the first word's bit 15 is clear (its bits 8-14, 0x1F, are kept).
      {{0, Fn(4, 3, true), 0x3E05, 9, Cmd(0, 4), Cmd(1, 2), 0x9F7A, Fn(3, 0, true), 1},
       "@0 | @1 4/3:15877 [3 9: 0,4 1,2+31] trigger | @7 3/0:1"},
      // Types without an item word start their commands at once.
      {{0, Fn(4, 0, true), 0, Cmd(8, 5, true)}, "@0 | @1 4/0:0 [0 -1: 8,5] trigger"},
      // Bits 10-14 of 1 mark the camera; command 1 with bit 14 set is no camera command.
      {{0, Fn(4, 0, true), 0, 0x4400 | 0x8000, 0}, "@0 | @1 4/0:0 [0 -1: 1,0] trigger | @4 0/0:0"},
      {{0, Fn(26), 1, Fn(25, 3, true), 2}, "@0 | @1 26/0:1 25/3:2 high"},
      {{0, Fn(25, 0, true), 0}, "@0 | @1 25/0:0"},
      {{0, Fn(2)}, "@0 | @1 2/0:0"},                                       // operand missing
      {{0, Fn(2), 5, Fn(3)}, "@0 | @1 2/0:5 3/0:0"},                       // no final bit 15
      {{0, Fn(4, 2, true), 0x0100}, "@0 | @1 4/2:256 [2 -1:] trigger"},    // switch without item
      {{0, Fn(4, 2, true), 0x0100, 7}, "@0 | @1 4/2:256 [2 7:] trigger"},  // item, no command
      {{0, Fn(4, 0, true), 0, Cmd(0, 1)}, "@0 | @1 4/0:0 [0 -1: 0,1] trigger"},  // no last bit
      {{0, Fn(4, 0, true), 0, Cmd(1, 3, true)},  // camera without its second word
       "@0 | @1 4/0:0 [0 -1: 1,3] trigger"},
      {{0, Fn(4, 0, true)}, "@0 | @1 4/0:0 [0 -1:] trigger"},  // setup word missing
  };
  for (const auto& [words, groups] : cases) {
    SCOPED_TRACE(::testing::PrintToString(words));
    const FloorData fd = ParseFloorData(words);
    EXPECT_EQ(Groups(fd), groups);
    EXPECT_EQ(fd.GroupOfFdIndex.size(), words.size());
    EXPECT_EQ(std::count(fd.GroupOfFdIndex.begin(), fd.GroupOfFdIndex.end(), 0u),
              fd.GroupOfFdIndex.size() + 1 - fd.num_groups());
    for (uint32_t g = 1; g < fd.num_groups(); ++g) EXPECT_EQ(fd.GroupOf(fd.Group(g).fd_start), g);
    EXPECT_EQ(fd.GroupOf(999), 0u);
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
  // (column, row, sector) in a room of 5 rows: column 0 counts as column 1, and the inputs are
  // eight bits (257 is column 1, 256 column 0).
  const std::array<int, 3> rows[] = {{1, 1, 1},   {3, 2, 12},  {0, 2, 2},
                                     {257, 2, 2}, {256, 2, 2}, {2, 258, 7}};
  for (const auto& [x, z, n] : rows) EXPECT_EQ(SectorNumber(5, x, z), n) << x << ", " << z;
}

TEST(DecodeSector, RawAndDetailLinesOfEveryFunction) {
  // One group holding functions 0..23 (a trigger excepted) in one list.
  std::vector<uint16_t> words = {0};
  for (uint16_t f = 0; f <= 23; ++f) {
    if (f == 4) continue;
    words.push_back(Fn(f, f == 2 ? 5 : 0, f == 23));
    if (!IsOneWordFunction(f)) words.push_back(f == 1 ? 3 : 0x1234);
  }
  Ttrlevel level = LevelWithRoom(3, 4, words);
  level.rooms[0].sectors[5] = Sector(1, 2, 7);  // column 2, row 2
  const FloorData fd = ParseFloorData(level);
  const auto text = DecodeSector(level, fd, 0, 2, 2, {});
  ASSERT_TRUE(text);
  ASSERT_EQ(text->raw.size(), 3u + 23u);
  EXPECT_EQ(std::vector(text->raw.begin(), text->raw.begin() + 3),
            (std::vector<std::string>{"FD Index:1", "Count:23", "------------"}));
  EXPECT_EQ(text->raw[3], "-Function:0  Subfunction:0 Operando:4660");
  EXPECT_EQ(text->raw[5], "-Function:2  Subfunction:5 Operando:4660");
  EXPECT_EQ(text->raw[7], "-Function:5  Subfunction:0 Operando:0");
  std::vector<std::string> expected = {"Room Below:#2",
                                       "Room Above:#7",
                                       "Portal to Room:#3",
                                       "Floor Slant-Function-2-",
                                       "Ceiling Slant-Function-3-",
                                       "Death sector-Function-5-",
                                       "Climbable Walls-Function-6-"};
  for (int f = 7; f <= 12; ++f)
    expected.push_back("Slants TR3-Function-" + std::to_string(f) + "-");
  for (int f = 13; f <= 19; ++f) expected.push_back("Unkwown! Function-" + std::to_string(f) + "-");
  expected.insert(expected.end(), {"Minecart Left-Function-20-", "Minecart Right-Function-21-"});
  EXPECT_EQ(text->details, expected);
}

TEST(DecodeSector, SectorsWithoutAGroupShowGroupZeroAndPlacesOutsideNothing) {
  Ttrlevel level = LevelWithRoom(2, 2, {0, Fn(2, 0, true), 1});
  level.rooms[0].sectors[1] = Sector(2);      // inside a group, starts nothing
  level.rooms[0].sectors[2] = Sector(40000);  // beyond the stream
  const FloorData fd = ParseFloorData(level);
  const std::vector<std::string> empty = {"FD Index:0", "Count:0", "------------"};
  for (int s = 0; s < 4; ++s) {
    const auto text = DecodeSector(level, fd, 0, s / 2 + 1, s % 2 + 1, {});
    ASSERT_TRUE(text);
    EXPECT_EQ(text->raw, empty);
    EXPECT_TRUE(text->details.empty());
  }
  for (const auto& [room, column, row] : {std::array{0, 3, 1}, {0, 1, 3}, {0, 0, 1}, {1, 1, 1}})
    EXPECT_FALSE(DecodeSector(level, fd, room, column, row, {})) << room << column << row;
}

// Lines of the first function of group 1 of a stream, with items named by object id, " | "
// between them.
std::string Describe(const Ttrlevel& level) {
  std::string text;
  for (const std::string& line :
       DescribeTrigger(level, ParseFloorData(level), 1, 0,
                       [](uint32_t id) { return "Object " + std::to_string(id); }))
    text += (text.empty() ? "" : " | ") + line;
  return text;
}

TEST(DescribeTrigger, SetupWordTimerFlagsAndOneShot) {
  Ttrlevel level = LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0x3E05, Cmd(3, 1, true)});
  const std::string commands = " | ------- Commands ----------- | Alternate_ON-3-(1)";
  EXPECT_EQ(
      Describe(level),
      "DO WITH ACTIVATE | Timer            :5 | Flags            :11111-00 | Only once    :No" +
          commands);
  level.floor_data[2] = 0x01FF;
  EXPECT_EQ(Describe(level),
            "DO WITH ACTIVATE | Timer            :-1 | Flags            :00000-00 | "
            "Only once    :Yes" +
                commands);
  EXPECT_EQ(TriggerFlagsText(0xC000), "00000-11");
  EXPECT_EQ(TriggerFlagsText(0x0200), "10000-00");
}

TEST(DescribeTrigger, TriggerItemNamesAndNone) {
  Ttrlevel level = LevelWithRoom(1, 1, {0, Fn(4, 2, true), 0, 3, Cmd(0, 2), Cmd(6, 9, true)});
  for (uint16_t i = 0; i < 5; ++i) AppendItem(level, test::MakeItem(100 + i, 0, 0, 0, 0));
  EXPECT_EQ(Describe(level),
            "SWITCH IS ON | Timer            :0 | Flags            :00000-00 | Only once    :No | "
            "Trigger Item(3) - Object 103 | ------- Commands ----------- | "
            "Item-0-(2) - Object 102 | Look_at_item-6-(9) - None");
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
  Ttrlevel level = LevelWithRoom(1, 1, words);
  AddCamera(level, 0xBEEF);
  AddCamera(level, 0x0042);
  EXPECT_EQ(Describe(level),
            "LARA ON GROUND DO ACTIVATE | Timer            :0 | Flags            :00000-00 | "
            "Only once    :No | ------- Commands ----------- | "
            "Switch_Camera-1-(1,0,1,1)  (raw flag:31) | Camera Flag-1-:BEEF | "
            "Underwater_Flow-1-(2) | Sink-1-:0042 | Alternate_ON-3-(30) | Alternate_Flag-4-(40) | "
            "Alternate_OFF-5-(50) | Look_at_item-6-(60) - None | End Level-7-(70) | "
            "Play_Soundtrack-8-(80) | Effect-Clock Control-9-(90) | Secret_Found-10-(100) | "
            "Body_Bag-11-(110) | Flyby_Camera-12-(120) | CutScene-13-(130) | "
            "Unknown command #14 With Operand 140 | Unknown command #15 With Operand 150");
}

// Cameras beyond the table show "none"; only triggers are described.
TEST(DescribeTrigger, CamerasBeyondTheTableAndFunctionsThatAreNoTrigger) {
  Ttrlevel camera = LevelWithRoom(1, 1, {0, Fn(4, 0, true), 0, Cmd(1, 5), 0x8000});
  AddCamera(camera, 1);
  EXPECT_TRUE(Describe(camera).ends_with(" | Camera Flag-1-:none")) << Describe(camera);
  camera.floor_data = {0, Fn(4, 0, true), 0, Cmd(2, 1, true)};
  EXPECT_TRUE(Describe(camera).ends_with(" | Sink-1-:none")) << Describe(camera);

  EXPECT_EQ(TriggerTypeText(13), "TRC LARA X-RAY");
  EXPECT_EQ(TriggerTypeText(14), "Unknown!!!!");
  const Ttrlevel level = LevelWithRoom(1, 1, {0, Fn(2, 0, true), 0});
  const FloorData fd = ParseFloorData(level);
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 5, 0, {}).empty());
  EXPECT_TRUE(DescribeTrigger(level, fd, 1, 3, {}).empty());
}

// Find (the cursor restarted), Find Next (advanced) and a search from where the last one left
// the cursor, in turn: item searches name the item, criteria searches a type and a command
// entry. A hit: what was found, its group and first sector (room:column,row), the status or
// message, and where the cursor stands.
TEST(Searches, ItemAndCriteriaSearchesWalkTheGroupsFromOneCursor) {
  // Two rooms. Groups: 1 names item 3 twice (Item and Look_at_item) and a second trigger for
  // it; 2 is a switch trigger used by no sector; 3 a type-9 trigger with command 14; 4 names
  // item 3 again; 5 a slant.
  const std::vector<std::vector<uint16_t>> groups = {
      {Fn(4, 0), 0, Cmd(0, 3), Cmd(6, 3, true), Fn(4, 1, true), 0, Cmd(0, 3, true)},  // fd 1
      {Fn(4, 2, true), 0, 5, Cmd(0, 1, true)},                                        // fd 8
      {Fn(4, 9, true), 0, Cmd(14, 2, true)},                                          // fd 12
      {Fn(4, 0, true), 0, Cmd(6, 3, true)},                                           // fd 15
      {Fn(2, 0, true), 0}};                                                           // fd 18
  std::vector<uint16_t> words = {0};
  for (const auto& g : groups) words.insert(words.end(), g.begin(), g.end());
  Ttrlevel level = LevelWithRoom(2, 2, words);
  level.rooms.push_back(level.rooms[0]);
  level.rooms[0].sectors[3] = Sector(1);   // room 0, column 2, row 2
  level.rooms[1].sectors[1] = Sector(1);   // room 1 uses it too: never shown
  level.rooms[1].sectors[2] = Sector(12);  // room 1, column 2, row 1
  level.rooms[1].sectors[0] = Sector(15);  // room 1, column 1, row 1
  const FloorData fd = ParseFloorData(level);
  const std::string none = "none 0 0:0,0 No more triggers found for this item.";
  const std::string unapplied =
      "unapplied 2 0:0,0 One trigger found...but this one was not applied to any room...try "
      "finding next trigger for this item.";
  struct Step {
    char cursor;  // 'r' restart, 'n' advance, '-' as it is
    int item;     // -1: a criteria search by type and command entry
    int type, command;
    std::string hit;
  };
  const std::vector<Step> steps = {
      {'-', 3, 0, 0, "found 1 0:2,2 Column:2 Row:2 at 1"},
      {'n', 3, 0, 0, "found 4 1:1,1 Column:1 Row:1 at 4"},
      {'n', 3, 0, 0, none + " at 5"},  // no match leaves the cursor; Find Next keeps counting
      {'n', 3, 0, 0, none + " at 6"},
      {'r', 3, 0, 0, "found 1 0:2,2 Column:2 Row:2 at 1"},
      {'r', 1, 0, 0, unapplied + " at 2"},
      {'n', -1, 0, 0, "found 3 1:2,1 Column:2 Row:1 at 3"},  // continues after the item hit
      // ANY / ANY: every trigger group once, in order.
      {'r', -1, 0, 0, "found 1 0:2,2 Column:2 Row:2 at 1"},
      {'n', -1, 0, 0, unapplied + " at 2"},
      {'n', -1, 0, 0, "found 3 1:2,1 Column:2 Row:1 at 3"},
      {'n', -1, 0, 0, "found 4 1:1,1 Column:1 Row:1 at 4"},
      {'n', -1, 0, 0, none + " at 5"},
      // The empty last entry of the command list stands for command 14.
      {'r', -1, 0, 15, "found 3 1:2,1 Column:2 Row:1 at 3"},
      // Type entry 2 is "LARA ON GROUND DO ACTIVATE" (type 1), found in group 1's second trigger.
      {'r', -1, 2, 1, "found 1 0:2,2 Column:2 Row:2 at 1"},
      {'r', -1, 2, 7, none + " at 1"},
      {'r', -1, 10, 0, "found 3 1:2,1 Column:2 Row:1 at 3"},  // type 9
  };
  SearchCursor cursor;
  for (const Step& step : steps) {
    if (step.cursor == 'r') cursor.Restart();
    if (step.cursor == 'n') cursor.Advance();
    const SearchResult r = step.item >= 0
                               ? FindTriggerForItem(level, fd, cursor, step.item)
                               : FindTriggerByCriteria(level, fd, cursor, step.type, step.command);
    const char* kinds[] = {"none", "unapplied", "found"};
    const SectorPlace& p = r.place;
    std::string hit = std::string(kinds[r.kind]) + " " + std::to_string(r.group) + " " +
                      std::to_string(p.room) + ":" + std::to_string(p.column) + "," +
                      std::to_string(p.row);
    for (const std::string& text : {r.status, r.message})
      if (!text.empty()) hit += " " + text;
    EXPECT_EQ(hit + " at " + std::to_string(cursor.value), step.hit);
  }
}

TEST(Searches, FirstSectorIsByRoomThenColumnThenRow) {
  Ttrlevel level = LevelWithRoom(3, 3, {0, Fn(2, 0, true), 0});
  level.rooms[0].sectors[5] = Sector(1);  // column 2, row 3
  level.rooms[0].sectors[6] = Sector(1);  // column 3, row 1
  EXPECT_EQ(FirstSectorUsing(level, 1), (SectorPlace{0, 2, 3}));
  EXPECT_FALSE(FirstSectorUsing(level, 2));
  EXPECT_FALSE(FirstSectorUsing(Ttrlevel{}, 0));
}

// The colours of a map's cells, top row (the last) first: . grey, K black, A aqua, M magenta,
// R red, G green, ? any other.
std::string Cells(const SectorMap& map, int columns, int rows) {
  const std::pair<WindowColour, char> letters[] = {{kGrey, '.'},    {kBlack, 'K'}, {kAqua, 'A'},
                                                   {kMagenta, 'M'}, {kRed, 'R'},   {kGreen, 'G'}};
  std::string s;
  for (int r = rows; r >= 1; --r) {
    if (r < rows) s += '|';
    for (int c = 1; c <= columns; ++c) {
      char letter = '?';
      for (const auto& [colour, l] : letters)
        if (map.CellColour(c, r) == colour) letter = l;
      s += letter;
    }
  }
  return s;
}

TEST(SectorMap, BorderInnerAndOverridingRules) {
  // Groups: 1 trigger, 2 death + trigger, 3 high function + death, 4 slant.
  Ttrlevel level = LevelWithRoom(5, 4,
                                 {0, Fn(4, 0, true), 0, Cmd(0, 0, true), Fn(5), Fn(4, 0, true), 0,
                                  Cmd(0, 0, true), Fn(5), Fn(30, 0, true), 0, Fn(2, 0, true), 0});
  auto& s = level.rooms[0].sectors;          // column c, row r at (c - 1) * 4 + (r - 1)
  s[1 * 4 + 1] = Sector(1);                  // (2, 2) trigger
  s[1 * 4 + 2] = Sector(4);                  // (2, 3) death beats trigger
  s[2 * 4 + 1] = Sector(8);                  // (3, 2) high beats death
  s[2 * 4 + 2] = Sector(0, 255, 255, -127);  // (3, 3) wall
  s[3 * 4 + 1] = Sector(11, 3);              // (4, 2) room below
  s[0] = Sector(1);                          // (1, 1) border, but trigger
  const SectorMap map = BuildSectorMap(level, ParseFloorData(level), 0);
  EXPECT_EQ(std::vector<int>({map.width, map.height, map.group_box_width, map.group_box_height}),
            std::vector<int>({61, 49, 68, 61}));
  EXPECT_EQ(Cells(map, 5, 4), ".....|.R.A.|.MGK.|M....");
  EXPECT_FALSE(map.selected);
  // A room one sector wide is all border.
  const Ttrlevel narrow = LevelWithRoom(1, 6, {0});
  EXPECT_EQ(Cells(BuildSectorMap(narrow, ParseFloorData(narrow), 0), 1, 6), ".|.|.|.|.|.");
}

TEST(SectorMap, PortalsIntoRoomsAboveAreGreySidePortalsBlack) {
  // Group 1: portal to room 4; group 4: portal to room 9.
  Ttrlevel level = LevelWithRoom(4, 4, {0, Fn(1, 0, true), 4, Fn(1, 0, true), 9});
  auto& room = level.rooms[0];
  room.portals.push_back(tportal{{}, 4});
  room.sectors[5] = Sector(1);          // (2, 2)
  room.sectors[6] = Sector(3);          // (2, 3): portal to 9, no portal of the room
  room.sectors[9] = Sector(0, 255, 9);  // (3, 2): room 9 lies above
  const FloorData fd = ParseFloorData(level);
  SectorMap map = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(map.room_above_set, std::vector<std::string>{"9"});
  EXPECT_EQ(Cells(map, 4, 4), "....|..A.|.KA.|....");  // (2, 2) black, (2, 3) grey
  // Without portals in the room the rule has nothing to compare.
  room.portals.clear();
  map = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(map.CellColour(2, 2), kAqua);
}

TEST(SectorMap, PictureCellsSelectionFramesAndClicks) {
  const Ttrlevel level = LevelWithRoom(3, 2, {0});
  const FloorData fd = ParseFloorData(level);
  const SectorMap map = BuildSectorMap(level, fd, 0, 2, 1);
  ASSERT_TRUE(map.selected);
  const Image24 image = PaintSectorMap(map);
  ASSERT_EQ(image.width(), 37);
  ASSERT_EQ(image.height(), 25);
  // Row 2 is the top row; cells are 11 pixels with black between them. Selected (2, 1): cell
  // at x 13..23, y 13..23, framed at 12..24 and 13..23.
  const std::tuple<int, int, WindowColour> pixels[] = {
      {0, 0, kBlack},    {1, 1, kGrey},     {11, 11, kGrey}, {12, 1, kBlack}, {12, 12, kYellow},
      {24, 24, kYellow}, {13, 18, kYellow}, {14, 14, kGrey}, {36, 24, kBlack}};
  for (const auto& [x, y, colour] : pixels) EXPECT_EQ(image.Pixel(x, y), colour) << x << ", " << y;
  // Red is the low byte of a window colour: the first byte of a pixel.
  Image24 red(1, 1);
  red.SetPixel(0, 0, kRed);
  EXPECT_EQ(red.pixels(), (std::vector<uint8_t>{255, 0, 0}));

  // The top two pixel rows are row 3, the last pixel column is column 4: no cells.
  const std::tuple<int, int, const char*> cells[] = {
      {0, 24, "1,1"}, {0, 14, "1,1"},  {0, 12, "1,2"},  {35, 2, "3,2"}, {0, 0, "none"},
      {5, 1, "none"}, {36, 5, "none"}, {-1, 5, "none"}, {5, 25, "none"}};
  for (const auto& [x, y, cell] : cells) {
    const auto at = SectorMapCellAt(map, x, y);
    EXPECT_EQ(at ? std::to_string(at->first) + "," + std::to_string(at->second) : "none", cell)
        << x << ", " << y;
  }
  // A selection outside the room frames nothing; an unknown room is an empty map.
  EXPECT_FALSE(BuildSectorMap(level, fd, 0, 4, 1).selected);
  EXPECT_EQ(BuildSectorMap(level, fd, 3).width, 0);
}

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The PNG carries the picture's pixels exactly: chunks check out and IDAT inflates back.
TEST(Png, ChunksAndPixelsRoundTrip) {
  Image24 image(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) image.SetPixel(x, y, static_cast<uint32_t>(x * 0x10203 + y * 77));
  const auto encoded = EncodePng(image);
  ASSERT_TRUE(encoded);
  const auto& png = *encoded;
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  std::vector<uint8_t> idat;
  size_t p = 8;
  std::vector<std::string> chunks;
  while (p + 12 <= png.size()) {
    const uint32_t len = Be32(&png[p]);
    ASSERT_LE(p + 12 + len, png.size());
    const std::string type(reinterpret_cast<const char*>(&png[p + 4]), 4);
    chunks.push_back(type);
    EXPECT_EQ(crc32(0, &png[p + 4], len + 4), Be32(&png[p + 8 + len])) << type;
    if (type == "IDAT") idat.insert(idat.end(), &png[p + 8], &png[p + 8 + len]);
    p += 12 + len;
  }
  EXPECT_EQ(p, png.size());
  EXPECT_EQ(chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(std::pair(Be32(&png[16]), Be32(&png[20])), std::pair(5u, 3u));  // width, height
  std::vector<uint8_t> raw(3 * (1 + 15));
  uLongf raw_len = raw.size();
  ASSERT_EQ(uncompress(raw.data(), &raw_len, idat.data(), idat.size()), Z_OK);
  ASSERT_EQ(raw_len, raw.size());
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(raw[y * 16], 0);
    EXPECT_EQ(std::memcmp(&raw[y * 16 + 1], image.pixels().data() + y * 15, 15), 0);
  }
}

}  // namespace
}  // namespace qavel
