// The real game levels: an unedited save gives the file's own bytes; an edited one reads back as
// the edited level.

#include <gtest/gtest.h>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/trc_room.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

TEST(RealLevels, UneditedSavesAreByteForByteAndEditedOnesReadBack) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(path);
    auto level = ReadLevel(path);
    ASSERT_TRUE(level) << level.message();
    const auto unedited = WriteLevelBytes(*level, path);
    ASSERT_TRUE(unedited) << unedited.message();
    EXPECT_TRUE(unedited->bytes == ReadWholeFile(path)->ToBytes())
        << generation << " changed on a plain save";

    if (level->num_items() > 0) {
      titem2 item = level->items2[0];
      item.x += 512;
      item.angle = static_cast<uint16_t>(item.angle + 0x2000);
      StoreItem(*level, 0, item);
    }
    auto& room = level->rooms[0];
    room.flags ^= 0x0008;
    if (room.num_vertices() > 0) {
      tvertex2 v = room.vertices2[0];
      v.y = static_cast<int16_t>(v.y - 256);
      StoreVertex(room, 0, v);
    }
    const auto edited = WriteLevelBytes(*level, path);
    ASSERT_TRUE(edited) << edited.message();
    const auto back = ReadLevelBytes(edited->bytes, path);
    ASSERT_TRUE(back) << back.message();
    AdoptFileValues(*level, edited->values);
    EXPECT_EQ(back->FirstDifference(*level), "");
    EXPECT_TRUE(WriteLevelBytes(*back, path)->bytes == edited->bytes);
  }
}

// A real level cut short, in its middle or by its last byte (inside the samples of TR4 and TR5
// files), is refused as damaged.
TEST(RealLevels, CutFilesAreRefused) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    const SharedBlock file = *ReadWholeFile(path);
    for (const size_t size : {file.size() * 45 / 100, file.size() - 1}) {
      const auto level = ReadLevelBytes(file.Slice(0, size), path);
      EXPECT_EQ(level.result().status(), Status::kDamaged) << generation << " cut to " << size;
    }
  }
}

// A TR5 room with one layer, written from its merged lists as an edited room is, gives the
// file's own bytes: the one-layer writer agrees with the files the game ships.
TEST(RealLevels, Tr5OneLayerRoomsWrittenFromTheirMergedListsKeepTheirBytes) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR5");
  const auto level = ReadLevel(path);
  ASSERT_TRUE(level) << level.message();
  size_t checked = 0;
  for (size_t r = 0; r < level->rooms.size(); ++r) {
    troom room = level->rooms[r];
    if (room.num_layers() != 1 ||
        room.tr5_layers[0].triangles.size() + room.tr5_layers[0].rectangles.size() < 2)
      continue;
    ByteWriter as_read;
    WriteTrcRoom(as_read, room);
    // Disturb the kept layer so the room counts as edited; its merged lists are unchanged.
    auto& block = room.tr5_layers[0];
    if (!block.rectangles.empty())
      block.rectangles[0].texture ^= 1;
    else
      block.triangles[0].texture ^= 1;
    ASSERT_FALSE(Tr5GeometryAsRead(room));
    ByteWriter merged;
    WriteTrcRoom(merged, room);
    EXPECT_TRUE(as_read.Take() == merged.Take()) << "room " << r;
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

}  // namespace
}  // namespace qavel
