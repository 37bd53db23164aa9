// The open level's bundle: the item list and its texts, the per-room lists, the names from the
// catalog (and what a missing or broken one says), the placement search, the positions the
// Create Item dialog takes, what an edit refreshes, and opening and saving with progress and
// a stop.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixtures/test_level.h"
#include "inspect/item_edits.h"
#include "inspect/level_bundle.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

LevelBundle FixtureBundle(int32_t kind = kTR4) {
  return MakeLevelBundle(test::MakeEditorLevel(kind), test::DataPath("trcatalog.xml"));
}

TEST(ItemList, ItemsThenAuxEntriesWithTheirNamesRoomsAndOcb) {
  const LevelBundle b = FixtureBundle();
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
}

TEST(ItemList, PlacementSearchWalksItemsThenAuxRecordsAndFollowsAliases) {
  LevelBundle b = FixtureBundle();
  // Movable 1 has object id 5: items 0 and 2, then aux record 1 (entry 4).
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
}

TEST(ItemList, CreateItemPositionsInPanelUnits) {
  const Ttrlevel level = test::MakeEditorLevel();
  using enum edit::PositionSource;
  EXPECT_EQ(edit::PositionFrom(level, kRoom, 0, -1, -1), (PanelPosition{-2, -3, 9}));
  EXPECT_EQ(edit::PositionFrom(level, kItem, 0, 1, -1), (PanelPosition{1, 0, 1}));
  EXPECT_EQ(edit::PositionFrom(level, kItem, 0, 3, -1), (PanelPosition{6, -2, 2}));
  EXPECT_EQ(edit::PositionFrom(level, kStatic, 0, -1, 0), (PanelPosition{2, -2, 4}));
  EXPECT_FALSE(edit::PositionFrom(level, kStatic, 0, -1, -1));
  EXPECT_FALSE(edit::PositionFrom(level, kItem, 0, -1, -1));
  EXPECT_FALSE(edit::PositionFrom(Ttrlevel(), kRoom, 0, -1, -1));
}

TEST(MovableNames, AMissingOrBrokenCatalogLeavesDefaultNamesAndANote) {
  const std::string dir = test::ScratchDir("inspect_catalogs");
  std::ofstream(dir + "/broken.xml") << "<catalog><TR4><movable id=";
  const Ttrlevel level = test::MakeEditorLevel();
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

TEST(LevelFiles, OpenReportsItsStepsAndStopsBetweenThem) {
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
}

TEST(LevelFiles, ASaveStoppedOrFailedLeavesTheFileAndSaysWhyOnce) {
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

}  // namespace
}  // namespace qavel
