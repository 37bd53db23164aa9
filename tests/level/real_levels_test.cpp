// The real game levels: read, write and read again must give the same bytes and model.

#include <gtest/gtest.h>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/trc_room.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

TEST(RealLevels, RoundTripByteForByte) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(path);
    Ttrlevel level;
    std::string message;
    ASSERT_EQ(ReadLevel(level, path, &message), kReadOk) << message;
    Bytes written;
    ASSERT_EQ(WriteLevelBytes(level, path, written, nullptr, &message), kWriteOk) << message;
    EXPECT_TRUE(written == ReadWholeFile(path)) << generation << " changed on a plain save";
    Ttrlevel again;
    ASSERT_EQ(ReadLevelBytes(again, written, path, &message), kReadOk) << message;
    EXPECT_EQ(again.FirstDifference(level), "");
  }
}

// A TR5 room with one layer, written from its merged lists as an edited room is, gives the
// file's own bytes: the one-layer writer agrees with the files the game ships.
TEST(RealLevels, Tr5OneLayerRoomsWrittenFromTheirMergedListsKeepTheirBytes) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR5");
  Ttrlevel level;
  ASSERT_EQ(ReadLevel(level, path), kReadOk);
  size_t checked = 0;
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    troom room = level.rooms[r];
    if (room.num_layers() != 1 || room.tr5_layers[0].triangles.size() +
                                          room.tr5_layers[0].rectangles.size() < 2)
      continue;
    ByteWriter as_read;
    troom copy = room;
    WriteTrcRoom(as_read, copy);
    // Disturb the kept layer so the room counts as edited; its merged lists are unchanged.
    auto& block = room.tr5_layers[0];
    if (!block.rectangles.empty()) block.rectangles[0].texture ^= 1;
    else block.triangles[0].texture ^= 1;
    ASSERT_FALSE(Tr5GeometryAsRead(room));
    ByteWriter merged;
    WriteTrcRoom(merged, room);
    const auto& a = as_read.Buffer();
    const auto& b = merged.Buffer();
    EXPECT_EQ(a.size(), b.size()) << "room " << r;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
      if (a[i] != b[i]) {
        ADD_FAILURE() << "room " << r << " first differs at byte " << i << " of " << a.size();
        break;
      }
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

TEST(RealLevels, EditedLevelsSaveAndReadBack) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(path);
    Ttrlevel level;
    ASSERT_EQ(ReadLevel(level, path), kReadOk);
    if (level.num_items() > 0) {
      titem2 item = level.items2[0];
      item.x += 512;
      item.angle = static_cast<uint16_t>(item.angle + 0x2000);
      StoreItem(level, 0, item);
    }
    auto& room = level.rooms[0];
    room.flags ^= 0x0008;
    if (room.num_vertices() > 0) {
      tvertex2 v = room.vertices2[0];
      v.y = static_cast<int16_t>(v.y - 256);
      StoreVertex(room, 0, v);
    }
    Bytes written;
    std::string message;
    ASSERT_EQ(WriteLevelBytes(level, path, written, nullptr, &message), kWriteOk) << message;
    Ttrlevel back;
    ASSERT_EQ(ReadLevelBytes(back, written, path, &message), kReadOk) << message;
    EXPECT_EQ(back.FirstDifference(level), "");
    Bytes again;
    ASSERT_EQ(WriteLevelBytes(back, path, again, nullptr, &message), kWriteOk);
    EXPECT_TRUE(again == written);
  }
}

}  // namespace
}  // namespace qavel
