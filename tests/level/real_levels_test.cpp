// The real game levels: an unedited save gives the file's own bytes; an edited one reads back as
// the edited level.

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <thread>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/trc_room.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

// The three texture chunks of a TR4/TR5 file (32-bit pages, 16-bit pages, third chunk), as zlib
// unpacks them on its own.
std::vector<Bytes> InflatedChunks(const SharedBlock& file) {
  std::vector<Bytes> chunks;
  size_t at = 10;
  for (int i = 0; i < 3; ++i) {
    uint32_t size = 0, packed = 0;
    std::memcpy(&size, file.bytes() + at, 4);
    std::memcpy(&packed, file.bytes() + at + 4, 4);
    Bytes out(size);
    uLongf length = size;
    EXPECT_EQ(uncompress(out.data(), &length, file.bytes() + at + 8, packed), Z_OK);
    chunks.push_back(std::move(out));
    at += 8 + packed;
  }
  return chunks;
}

// Also: reading, saving unedited, reading back and comparing leave TR4/TR5 texture pages packed,
// and compared with the pages zlib unpacks on its own they are equal.
TEST(RealLevels, UneditedSavesAreByteForByteAndEditedOnesReadBack) {
  const auto levels = test::RealLevels();
  if (levels.empty()) GTEST_SKIP() << "no real levels in " << QAVEL_LEVELS_DIR << "; skipped";
  for (const auto& [generation, path] : levels) {
    SCOPED_TRACE(path);
    auto level = ReadLevel(path);
    ASSERT_TRUE(level) << level.message();
    const auto unedited = WriteLevelBytes(*level, path);
    ASSERT_TRUE(unedited) << unedited.message();
    const SharedBlock file = *ReadWholeFile(path);
    EXPECT_TRUE(unedited->bytes == file.ToBytes()) << generation << " changed on a plain save";
    const bool packs = level->version_kind >= kTR4;

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
    if (!packs) continue;
    for (const Ttrlevel* l : std::initializer_list<const Ttrlevel*>{&*level, &*back})
      for (const SharedBlock* pages : {&l->pages32, &l->pages16, &l->misc_pages})
        EXPECT_TRUE(pages->IsPacked()) << generation << ": pages unpacked without being shown";
    const std::vector<Bytes> chunks = InflatedChunks(file);
    Ttrlevel eager = *back;
    eager.pages32 = SharedBlock::Of(chunks[0]);
    eager.pages16 = SharedBlock::Of(chunks[1]);
    eager.misc_pages = SharedBlock::Of(chunks[2]);
    EXPECT_EQ(eager.FirstDifference(*back), "");
    EXPECT_FALSE(back->pages16.IsPacked());
  }
}

// Texture code reading a page first, from two threads at once (a worker may unpack the pages
// while the view asks for one), gets the texels zlib gives on its own.
TEST(RealLevels, PagesReadFirstGiveTheTexelsOfTheFile) {
  size_t checked = 0;
  for (const auto& [generation, path] : test::RealLevels()) {
    if (generation != "TR4" && generation != "TR5") continue;
    const Ttrlevel level = test::ReadLevelOrFail(path);
    const std::vector<Bytes> chunks = InflatedChunks(*ReadWholeFile(path));
    const SharedBlock* blocks[] = {&level.pages32, &level.pages16, &level.misc_pages};
    for (size_t i = 0; i < 3; ++i) {
      const size_t page = 131072, at = blocks[i]->size() - page;
      std::array<Bytes, 2> seen;
      std::array<std::thread, 2> readers;
      for (size_t t = 0; t < 2; ++t)
        readers[t] = std::thread([&, t] {
          const SharedBlock p = blocks[i]->Slice(at, page);
          seen[t].assign(p.bytes(), p.bytes() + page);
        });
      for (auto& r : readers) r.join();
      const Bytes want(chunks[i].begin() + long(at), chunks[i].end());
      EXPECT_TRUE(seen[0] == want && seen[1] == want) << generation << " chunk " << i;
    }
    EXPECT_TRUE(UnpackTexturePages(level));
    for (size_t i = 0; i < 3; ++i)
      EXPECT_TRUE(blocks[i]->ToBytes() == chunks[i]) << generation << " chunk " << i;
    ++checked;
  }
  if (checked == 0)
    GTEST_SKIP() << "no real TR4 or TR5 level in " << QAVEL_LEVELS_DIR << "; skipped";
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
