// The demo level: the shipped file matches the generator, reads back to the same model, and
// holds what later features rely on (its floor data is walked by the floor-data tests).

#include "fixtures/demo_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

// The demo level as reading its file gives it: built, with the values the writer computes.
const Ttrlevel& WrittenDemo() {
  static const Ttrlevel level = [] {
    Ttrlevel l = BuildDemoLevel();
    const auto written = WriteLevelBytes(l, "demo.tr4");
    EXPECT_TRUE(written) << written.message();
    if (written) AdoptFileValues(l, written->values);
    return l;
  }();
  return level;
}

TEST(DemoLevel, TheShippedFileIsWhatTheGeneratorWritesAndReadsBackAsBuilt) {
  const auto written = WriteLevelBytes(BuildDemoLevel(), "demo.tr4");
  ASSERT_TRUE(written) << written.message();
  const Bytes shipped = ReadWholeFile(test::DataPath("demo.tr4"))->ToBytes();
  EXPECT_TRUE(written->bytes == shipped) << "regenerate with: qavel-cli make-demo data/demo.tr4";
  EXPECT_LT(shipped.size(), 400u * 1024);
  const auto read = ReadLevel(test::DataPath("demo.tr4"));
  ASSERT_TRUE(read) << read.message();
  EXPECT_EQ(read->FirstDifference(WrittenDemo()), "");
  EXPECT_EQ(read->version_kind, kTR4);
}

// What the window, the view and the other tests rely on: faces, portals, sectors, statics and
// items refer to things the level has.
TEST(DemoLevel, RoomsReferToWhatTheLevelHas) {
  const Ttrlevel& L = WrittenDemo();
  ASSERT_EQ(L.num_rooms(), 4);
  int flags = 0;
  for (size_t r = 0; r < L.rooms.size(); ++r) {
    const troom& room = L.rooms[r];
    SCOPED_TRACE("room " + std::to_string(r));
    auto check_face = [&](const uint16_t* corners, size_t n, uint16_t texture) {
      EXPECT_LT(texture, L.num_object_textures());
      for (size_t k = 0; k < n; ++k) EXPECT_LT(corners[k], room.num_vertices());
      EXPECT_EQ(std::set<uint16_t>(corners, corners + n).size(), n);
    };
    for (const auto& f : room.rectangles) check_face(f.vertices, 4, f.texture);
    for (const auto& f : room.triangles) check_face(f.vertices, 3, f.texture);
    EXPECT_GT(room.num_rectangles() * room.lights4.size(), 0u);
    for (const auto& p : room.portals) {
      ASSERT_LT(p.adjoining_room, L.num_rooms());
      bool back = false;
      for (const auto& q : L.rooms[p.adjoining_room].portals) back |= q.adjoining_room == r;
      EXPECT_TRUE(back) << "portal to " << p.adjoining_room << " has no way back";
    }
    for (const auto& s : room.sectors)
      for (uint8_t other : {s.room_above, s.room_below})
        EXPECT_TRUE(other == 255 || other < L.num_rooms());
    for (const auto& s : room.statics2)
      EXPECT_TRUE(std::any_of(L.static_meshes.begin(), L.static_meshes.end(),
                              [&](const tstatic_mesh& m) { return m.object_id == s.mesh_id; }));
    flags |= room.flags;
  }
  EXPECT_EQ(flags & 0x29, 0x29) << "water, sky and outdoor rooms";
  for (const auto& item : L.items2) EXPECT_LT(item.room, L.num_rooms());
  for (const auto& item : L.aux_items) EXPECT_LT(item.room, L.num_rooms());
}

// ---- Meshes, walked by the TR4 mesh layout ----

std::vector<size_t> MeshStarts(const Ttrlevel& L, const std::set<size_t>& textures_ok) {
  std::vector<size_t> starts;
  const auto& m = L.mesh_data;
  size_t w = 0;
  auto take = [&](size_t n) {
    if (w + n > m.size()) throw std::runtime_error("mesh runs past the end");
    w += n;
    return w - n;
  };
  while (w < m.size()) {
    const size_t start = w;
    starts.push_back(start * 2);
    take(5);
    const auto nv = static_cast<int16_t>(m[take(1)]);
    EXPECT_GE(nv, 0);
    take(size_t(nv) * 3);
    const auto nn = static_cast<int16_t>(m[take(1)]);
    take(nn > 0 ? size_t(nn) * 3 : size_t(-nn));
    for (size_t corners : {size_t{4}, size_t{3}}) {
      const auto nf = m[take(1)];
      for (size_t f = 0; f < nf; ++f) {
        const size_t at = take(corners + 2);
        for (size_t k = 0; k < corners; ++k) EXPECT_LT(m[at + k], nv);
        EXPECT_TRUE(textures_ok.count(m[at + corners] & 0x0FFF));
      }
    }
    if ((w - start) % 2) take(1);
  }
  return starts;
}

TEST(DemoLevel, MovablesPointAtRealMeshesTreesAndFrames) {
  const Ttrlevel& L = WrittenDemo();
  std::set<size_t> textures;
  for (size_t t = 0; t < L.num_object_textures(); ++t) textures.insert(t);
  const auto starts = MeshStarts(L, textures);
  const std::set<size_t> start_set(starts.begin(), starts.end());
  for (uint32_t p : L.mesh_pointers) {
    EXPECT_LT(p, L.num_mesh_data() * 2u);
    EXPECT_TRUE(start_set.count(p)) << "mesh pointer " << p;
  }
  std::set<uint32_t> ids;
  bool multi = false;
  for (size_t k = 0; k < L.movables.size(); ++k) {
    const tmovable& mv = L.movables[k];
    SCOPED_TRACE("movable " + std::to_string(k));
    ids.insert(mv.object_id);
    EXPECT_LE(size_t{mv.start_mesh} + mv.num_meshes, L.num_mesh_pointers());
    EXPECT_LE(size_t{mv.mesh_tree} + 4 * (mv.num_meshes - 1u), L.num_mesh_trees());
    multi |= mv.num_meshes > 1;
    ASSERT_LT(mv.animation, L.num_animations());
    uint32_t frame_offset = 0;
    std::memcpy(&frame_offset, L.animations[mv.animation].raw, 4);
    EXPECT_EQ(frame_offset, mv.frame_offset);
    const uint8_t frame_size = L.animations[mv.animation].raw[5];
    EXPECT_LE(mv.frame_offset / 2 + frame_size, L.num_frames());
    // The rotation words fill the frame exactly: two words for three axes, one for one axis.
    size_t f = mv.frame_offset / 2 + 9;
    for (int n = 0; n < mv.num_meshes; ++n) f += (L.frames[f] & 0xC000) ? 1 : 2;
    EXPECT_EQ(f, mv.frame_offset / 2 + frame_size);
  }
  EXPECT_TRUE(multi);
  for (uint32_t id : {0u, 8u}) EXPECT_TRUE(ids.count(id)) << "object id " << id;
  for (const auto& item : L.items2) EXPECT_TRUE(ids.count(item.object_id)) << item.object_id;
  for (const auto& s : L.static_meshes) EXPECT_LT(s.mesh, L.num_mesh_pointers());
}

TEST(DemoLevel, TexturePagesAndPiecesAgree) {
  const Ttrlevel& L = WrittenDemo();
  ASSERT_EQ(L.num_pages, 2u);
  ASSERT_EQ(L.pages32.size(), 2u * 262144);
  // The two forms hold the same picture; transparent texels have the top bit clear.
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
  std::set<std::pair<int, int>> quad_sizes;
  int triangles = 0;
  for (const auto& t : L.object_textures) {
    EXPECT_LT(t.tile & 0x0FFF, L.num_pages);
    const bool triangle =
        (t.corners[13] == 0 && t.corners[15] == 0) || (t.corners[12] == 0 && t.corners[14] == 0);
    triangles += triangle;
    if (!triangle)
      quad_sizes.insert(
          {std::abs(t.corners[5] - t.corners[1]) + 1, std::abs(t.corners[11] - t.corners[7]) + 1});
  }
  EXPECT_GE(triangles, 3);
  for (auto size :
       {std::pair{64, 64}, {32, 32}, {16, 16}, {128, 128}, {64, 48}, {64, 32}, {64, 16}})
    EXPECT_TRUE(quad_sizes.count(size)) << size.first << " x " << size.second;
}

}  // namespace
}  // namespace qavel
