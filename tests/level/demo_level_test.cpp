// The shipped demo level: the file is what the generator writes and reads back as built, and its
// records agree where no reader or check looks. That it refers only to what it has is the level
// check's work (tests/check); its resave and edits, the real-level sweep's.

#include "demo/demo_level.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

TEST(DemoLevel, TheShippedFileIsWhatTheGeneratorWritesAndReadsBackAsBuilt) {
  Ttrlevel built = BuildDemoLevel();
  const auto written = WriteLevelBytes(built, "demo.tr4");
  ASSERT_TRUE(written) << written.message();
  AdoptFileValues(built, written->values);
  const Bytes shipped = ReadWholeFile(test::DataPath("demo.tr4"))->ToBytes();
  EXPECT_TRUE(written->bytes == shipped) << "regenerate with: qavel-cli make-demo data/demo.tr4";
  EXPECT_LT(shipped.size(), 400u * 1024);
  const auto read = ReadLevel(test::DataPath("demo.tr4"));
  ASSERT_TRUE(read) << read.message();
  EXPECT_EQ(read->version_kind, kTR4);
  EXPECT_EQ(read->FirstDifference(built), "");
}

// What the check does not look at: faces with distinct corners, animation frames whose rotation
// words fill them exactly, and the two forms of the texture pages holding the same picture.
TEST(DemoLevel, RecordsAgreeWhereNoCheckLooks) {
  const Ttrlevel L = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
  ASSERT_EQ(L.num_rooms(), 4);
  int flags = 0;
  for (const troom& room : L.rooms) {
    for (const auto& f : room.rectangles)
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 4).size(), 4u);
    for (const auto& f : room.triangles)
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 3).size(), 3u);
    flags |= room.flags;
  }
  EXPECT_EQ(flags & 0x29, 0x29) << "water, sky and outdoor rooms";

  bool multi = false;
  for (const tmovable& mv : L.movables) {
    ASSERT_LT(mv.animation, L.num_animations());
    const uint8_t frame_size = L.animations[mv.animation].raw[5];
    // Two words for a rotation about three axes, one for one axis.
    size_t f = mv.frame_offset / 2 + 9;
    for (int n = 0; n < mv.num_meshes; ++n) f += (L.frames.at(f) & 0xC000) ? 1 : 2;
    EXPECT_EQ(f, mv.frame_offset / 2 + frame_size) << "movable " << mv.object_id;
    multi |= mv.num_meshes > 1;
  }
  EXPECT_TRUE(multi);

  ASSERT_EQ(L.pages32.size(), 2u * L.pages16.size());
  size_t transparent = 0;
  for (size_t i = 0; i < L.pages16.size() / 2; ++i) {
    uint16_t w = 0;
    std::memcpy(&w, L.pages16.bytes() + i * 2, 2);
    const uint8_t* p = L.pages32.bytes() + i * 4;
    ASSERT_EQ(bool(w & 0x8000), p[3] >= 128) << "texel " << i;
    ASSERT_EQ((w >> 10) & 0x1F, p[2] >> 3) << "texel " << i;
    transparent += !(w & 0x8000);
  }
  EXPECT_GT(transparent, 0u);
}

}  // namespace
}  // namespace qavel
