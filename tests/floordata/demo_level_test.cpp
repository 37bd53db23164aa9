// The demo level as the floor-data fixture: it holds every function number, trigger type and
// command, camera commands with their second word, and a trigger no sector uses.

#include <gtest/gtest.h>

#include <set>

#include "../support/test_paths.h"
#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "floordata/trigger_text.h"
#include "level/level_reader.h"

namespace qavel {
namespace {

class DemoFloorData : public ::testing::Test {
 protected:
  void SetUp() override {
    level = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
    ASSERT_TRUE(level.IsLoaded());
    fd = ParseFloorData(level);
  }
  std::vector<std::string> Details(size_t room, int column, int row) {
    const auto text = DecodeSector(level, fd, room, column, row,
                                   [](uint32_t id) { return "#" + std::to_string(id); });
    return text ? text->details : std::vector<std::string>{"(outside)"};
  }
  Ttrlevel level;
  FloorData fd;
};

TEST_F(DemoFloorData, EveryFunctionTypeAndCommandIsDecoded) {
  ASSERT_EQ(fd.num_groups(), 27u);
  std::set<int> functions, types, commands;
  for (const auto& g : fd.FloorDataGroups)
    for (const auto& fn : g.functions) {
      functions.insert(fn.function);
      if (fn.function != 4) continue;
      types.insert(fn.trigger.trigger_type);
      for (const auto& c : fn.trigger.commands) commands.insert(c.command);
    }
  for (int f = 0; f <= 21; ++f) EXPECT_TRUE(functions.count(f)) << "function " << f;
  EXPECT_TRUE(functions.count(26) && functions.count(28));
  EXPECT_EQ(types.size(), 14u);
  EXPECT_EQ(commands.size(), 16u);
  // The camera whose second word ends the list: the next group starts right after it.
  const auto& camera_end = fd.Group(fd.GroupOf(22));
  ASSERT_EQ(camera_end.functions.at(0).trigger.command_count, 2);
  EXPECT_EQ(camera_end.functions[0].trigger.commands[1].camera_extra, 0x0A00);
  EXPECT_EQ(fd.GroupOf(27), 8u);
}

TEST_F(DemoFloorData, SectorTexts) {
  EXPECT_EQ(
      Details(0, 3, 2),
      (std::vector<std::string>{
          "DO WITH ACTIVATE", "Timer            :0", "Flags            :11111-00",
          "Only once    :No", "------- Commands -----------", "Item-0-(1) - #35",
          "Switch_Camera-1-(2,0,1,1)  (raw flag:17)", "Camera Flag-1-:0101", "Item-0-(2) - #41"}));
  EXPECT_EQ(Details(2, 4, 4),
            (std::vector<std::string>{"ITEM IS PICKED UP", "Timer            :-1",
                                      "Flags            :00000-00", "Only once    :Yes",
                                      "Trigger Item(7) - #175", "------- Commands -----------",
                                      "Item-0-(3) - #51", "Play_Soundtrack-8-(5)"}));
  EXPECT_EQ(Details(1, 3, 3).back(), "Sink-1-:0008");
  EXPECT_EQ(Details(0, 3, 3).front(), "Room Above:#3");
  EXPECT_EQ(Details(3, 3, 3), std::vector<std::string>{"Room Below:#0"});
  EXPECT_EQ(Details(0, 6, 3), std::vector<std::string>{"Portal to Room:#1"});
  EXPECT_EQ(Details(0, 7, 1), std::vector<std::string>{"(outside)"});
}

TEST_F(DemoFloorData, ItemSearchReachesTheUnusedTrigger) {
  SearchCursor cursor;
  std::vector<std::pair<uint32_t, SearchResult::Kind>> hits;
  for (auto r = FindTriggerForItem(level, fd, cursor, 2); r.kind != SearchResult::kNoMatch;
       r = FindTriggerForItem(level, fd, cursor, 2)) {
    hits.emplace_back(r.group, r.kind);
    cursor.Advance();
  }
  EXPECT_EQ(
      hits,
      (std::vector<std::pair<uint32_t, SearchResult::Kind>>{
          {5, SearchResult::kFound}, {6, SearchResult::kFound}, {26, SearchResult::kNotApplied}}));
}

TEST_F(DemoFloorData, SectorMapColours) {
  using namespace map_colour;
  const SectorMap hall = BuildSectorMap(level, fd, 0);
  EXPECT_EQ(hall.room_above_set, std::vector<std::string>{"3"});
  EXPECT_EQ(hall.CellColour(6, 3), kBlack);    // side portal into room 1
  EXPECT_EQ(hall.CellColour(3, 2), kMagenta);  // trigger
  EXPECT_EQ(hall.CellColour(1, 1), kGrey);
  EXPECT_EQ(hall.CellColour(3, 4), kGreen);  // function 28
  const SectorMap ramps = BuildSectorMap(level, fd, 2);
  EXPECT_EQ(ramps.CellColour(4, 2), kRed);    // death over trigger
  EXPECT_EQ(ramps.CellColour(4, 4), kGreen);  // function 26 over trigger
  EXPECT_EQ(ramps.CellColour(3, 3), kAqua);
  const SectorMap roof = BuildSectorMap(level, fd, 3);
  EXPECT_EQ(roof.CellColour(3, 3), kBlack);  // room below
}

}  // namespace
}  // namespace qavel
