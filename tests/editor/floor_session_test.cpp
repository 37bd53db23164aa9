// The sector map, the Floor Data texts and the trigger searches as the session offers them,
// on the demo level (whose floor data holds every function, trigger type and command).

#include <gtest/gtest.h>

#include "../support/test_paths.h"
#include "editor/editor_session.h"

namespace qavel {
namespace {

class FloorSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string message;
    ASSERT_TRUE(session.Open(test::DataPath("demo.tr4"), &message)) << message;
  }
  // The centre of a cell of the selected room's map.
  bool ClickCell(int column, int row) {
    const int rows = session.level().rooms[session.selected_room()].num_z_sectors;
    return session.ClickSectorMap(1 + 12 * (column - 1) + 5, 1 + 12 * (rows - row) + 5);
  }
  EditorSession session;
};

TEST_F(FloorSessionTest, MapClickSelectsAndDescribesTheSector) {
  const QImage map = session.SectorMapImage();
  EXPECT_EQ(map.size(), QSize(12 * 6 + 1, 12 * 5 + 1));
  ASSERT_TRUE(ClickCell(3, 2));
  EXPECT_EQ(session.SectorStatus(), "Column:3 Row:2");
  const auto texts = session.DecodeSelectedSector();
  ASSERT_TRUE(texts);
  EXPECT_EQ(texts->raw.at(0), "FD Index:16");
  EXPECT_EQ(texts->details.at(0), "DO WITH ACTIVATE");
  // The frame of the selected cell is yellow (RGB 255, 255, 0).
  EXPECT_EQ(session.SectorMapImage().pixelColor(1 + 24 - 1, 1 + 36 - 1), QColor(255, 255, 0));

  // The map's last pixel column lies outside the room: nothing is selected or decoded.
  session.SelectRoom(0);
  EXPECT_FALSE(session.ClickSectorMap(map.width() - 1, 30));
  EXPECT_FALSE(session.DecodeSelectedSector());
  // Choosing a room forgets the sector.
  ASSERT_TRUE(ClickCell(2, 2));
  session.SelectRoom(1);
  EXPECT_FALSE(session.DecodeSelectedSector());
}

TEST_F(FloorSessionTest, ItemSearchWalksEveryTriggerOfTheItem) {
  session.SelectItem(2);
  ASSERT_TRUE(session.FindItemTrigger(true).done);
  EXPECT_EQ(session.selected_room(), 0);
  EXPECT_EQ(session.SectorStatus(), "Column:2 Row:2");
  ASSERT_TRUE(session.FindItemTrigger(false).done);
  EXPECT_EQ(session.SectorStatus(), "Column:3 Row:2");
  EXPECT_EQ(session.DecodeSelectedSector()->details.back().rfind("Item-0-(2) - ", 0), 0u);
  const EditResult unused = session.FindItemTrigger(false);
  EXPECT_FALSE(unused.done);
  EXPECT_EQ(unused.message,
            "One trigger found...but this one was not applied to any room...try finding next "
            "trigger for this item.");
  const EditResult none = session.FindItemTrigger(false);
  EXPECT_EQ(none.message, "No more triggers found for this item.");
  // Find starts over.
  ASSERT_TRUE(session.FindItemTrigger(true).done);
  EXPECT_EQ(session.SectorStatus(), "Column:2 Row:2");

  session.SelectItem(-1);
  EXPECT_FALSE(session.FindItemTrigger(true).done);
}

TEST_F(FloorSessionTest, CriteriaSearchAndTheEmptyCommandEntry) {
  // The empty last entry of the command list stands for command 14.
  ASSERT_TRUE(session.FindTriggerByCriteria(0, 15, true).done);
  EXPECT_EQ(session.selected_room(), 2);
  EXPECT_EQ(session.SectorStatus(), "Column:2 Row:4");
  // "ANY" twice finds one group per step; the walk ends with the message.
  int hits = 0;
  EditResult r = session.FindTriggerByCriteria(0, 0, true);
  while (r.done || r.message.rfind("One trigger", 0) == 0) {
    ++hits;
    r = session.FindTriggerByCriteria(0, 0, false);
  }
  EXPECT_EQ(r.message, "No more triggers found for this item.");
  EXPECT_EQ(hits, 17);  // every group that holds a trigger
}

}  // namespace
}  // namespace qavel
