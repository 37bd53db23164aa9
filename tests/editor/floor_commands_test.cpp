// The sector map, the Floor Data texts and the trigger searches, on the demo level (whose floor
// data holds every function, trigger type and command).

#include "editor/floor_commands.h"

#include "session_cases.h"
#include "test_paths.h"

namespace qavel {
namespace {

class FloorCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session.document().Open(test::DataPath("demo.tr4"))); }
  // The centre of a cell of the selected room's map.
  bool ClickCell(int column, int row) {
    const int rows = session.level().rooms[session.selection().room()].num_z_sectors;
    return ClickSectorMap(session, 1 + 12 * (column - 1) + 5, 1 + 12 * (rows - row) + 5);
  }
  EditorSession session;
};

TEST_F(FloorCommandsTest, MapClickSelectsAndDescribesTheSector) {
  const QImage map = SectorMapImage(session);
  EXPECT_EQ(map.size(), QSize(12 * 6 + 1, 12 * 5 + 1));
  ASSERT_TRUE(ClickCell(3, 2));
  EXPECT_EQ(SectorStatus(session), "Column:3 Row:2");
  const auto texts = DecodeSelectedSector(session);
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->raw.at(0), "FD Index:16");
  EXPECT_EQ(texts->details.at(0), "DO WITH ACTIVATE");
  // The frame of the selected cell is yellow (RGB 255, 255, 0).
  EXPECT_EQ(SectorMapImage(session).pixelColor(1 + 24 - 1, 1 + 36 - 1), QColor(255, 255, 0));

  // The map's last pixel column lies outside the room: nothing is selected or decoded.
  session.selection().SelectRoom(0);
  EXPECT_FALSE(ClickSectorMap(session, map.width() - 1, 30));
  EXPECT_FALSE(DecodeSelectedSector(session));
  // Choosing a room forgets the sector.
  ASSERT_TRUE(ClickCell(2, 2));
  session.selection().SelectRoom(1);
  EXPECT_FALSE(DecodeSelectedSector(session));
  EditorSession empty;
  EXPECT_TRUE(SectorMapImage(empty).isNull());
}

TEST_F(FloorCommandsTest, ItemSearchWalksEveryTriggerOfTheItem) {
  session.selection().SelectItem(2);
  ASSERT_TRUE(FindItemTrigger(session, true));
  EXPECT_EQ(session.selection().room(), 0);
  EXPECT_EQ(SectorStatus(session), "Column:2 Row:2");
  ASSERT_TRUE(FindItemTrigger(session, false));
  EXPECT_EQ(SectorStatus(session), "Column:3 Row:2");
  EXPECT_EQ(DecodeSelectedSector(session)->details.back().rfind("Item-0-(2) - ", 0), 0u);
  EXPECT_EQ(FindItemTrigger(session, false).message(),
            "One trigger found...but this one was not applied to any room...try finding next "
            "trigger for this item.");
  EXPECT_EQ(FindItemTrigger(session, false).message(), "No more triggers found for this item.");
  // Find starts over.
  ASSERT_TRUE(FindItemTrigger(session, true));
  EXPECT_EQ(SectorStatus(session), "Column:2 Row:2");

  session.selection().SelectItem(-1);
  EXPECT_EQ(FindItemTrigger(session, true).message(), "No item is selected.");
}

TEST_F(FloorCommandsTest, CriteriaSearchAndTheEmptyCommandEntry) {
  // The empty last entry of the command list stands for command 14.
  ASSERT_TRUE(FindTriggerByCriteria(session, 0, 15, true));
  EXPECT_EQ(session.selection().room(), 2);
  EXPECT_EQ(SectorStatus(session), "Column:2 Row:4");
  // "ANY" twice finds one group per step; the walk ends with the message.
  int hits = 0;
  Result r = FindTriggerByCriteria(session, 0, 0, true);
  while (r.ok() || r.message().rfind("One trigger", 0) == 0) {
    ++hits;
    r = FindTriggerByCriteria(session, 0, 0, false);
  }
  EXPECT_EQ(r.message(), "No more triggers found for this item.");
  EXPECT_EQ(hits, 17);  // every group that holds a trigger
}

}  // namespace
}  // namespace qavel
