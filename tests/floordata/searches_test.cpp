#include "floordata/searches.h"

#include <gtest/gtest.h>

#include "fd_builder.h"

namespace qavel {
namespace {

using test::Cmd;
using test::Fn;

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
