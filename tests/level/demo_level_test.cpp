// The demo level: the shipped file matches the generator, reads back to the same model, and
// holds what later features rely on.

#include "fixtures/demo_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>

#include "test_paths.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"

namespace qavel {
namespace {

const Ttrlevel& WrittenDemo() {
  static const Ttrlevel level = [] {
    Ttrlevel l = BuildDemoLevel();
    Bytes out;
    EXPECT_EQ(WriteLevelBytes(l, "demo.tr4", out), kWriteOk);
    return l;
  }();
  return level;
}

TEST(DemoLevel, ShippedFileIsWhatTheGeneratorWrites) {
  Ttrlevel level = BuildDemoLevel();
  Bytes out;
  std::string message;
  ASSERT_EQ(WriteLevelBytes(level, "demo.tr4", out, nullptr, &message), kWriteOk) << message;
  const Bytes shipped = ReadWholeFile(test::DataPath("demo.tr4"));
  ASSERT_EQ(out.size(), shipped.size()) << "regenerate with: qavel-cli make-demo data/demo.tr4";
  EXPECT_TRUE(out == shipped) << "regenerate with: qavel-cli make-demo data/demo.tr4";
  EXPECT_LT(out.size(), 400u * 1024);
}

TEST(DemoLevel, ReadingTheFileGivesTheBuiltModel) {
  Ttrlevel read;
  std::string message;
  ASSERT_EQ(ReadLevel(read, test::DataPath("demo.tr4"), &message), kReadOk) << message;
  EXPECT_EQ(read.FirstDifference(WrittenDemo()), "");
  EXPECT_EQ(read.version, 0x00345254u);
  EXPECT_EQ(read.version_kind, kTR4);
  EXPECT_EQ(read.level_data_end, Bytes(6, 0));
  // Writing what was read gives the same bytes again.
  Bytes again;
  ASSERT_EQ(WriteLevelBytes(read, "demo.tr4", again), kWriteOk);
  EXPECT_TRUE(again == ReadWholeFile(test::DataPath("demo.tr4")));
}

// ---- Floor data, walked by the rules the decoder follows ----

struct Walk {
  std::set<size_t> group_starts;
  std::set<int> functions, trigger_types, commands;
  int camera_commands = 0;
  bool ended_cleanly = true;
};

Walk WalkFloorData(const std::vector<uint16_t>& fd) {
  Walk out;
  size_t w = 1;
  while (w < fd.size()) {
    out.group_starts.insert(w);
    bool last = false;
    while (!last) {
      if (w >= fd.size()) {
        out.ended_cleanly = false;
        return out;
      }
      const uint16_t word = fd[w];
      const int f = word & 0x1F;
      const int sub = (word >> 8) & 0x7F;
      last = word & 0x8000;
      out.functions.insert(f);
      w += (f == 5 || f == 6 || f == 19 || f == 20 || f == 21) ? 1 : 2;
      if (f != 4) continue;
      out.trigger_types.insert(sub);
      if (sub >= 2 && sub <= 4) ++w;
      bool more = true;
      while (more && w < fd.size()) {
        const uint16_t c = fd[w++];
        out.commands.insert((c >> 10) & 0x0F);
        more = !(c & 0x8000);
        if (((c >> 10) & 0x1F) == 1 && w < fd.size()) {
          ++out.camera_commands;
          more = !(fd[w++] & 0x8000);
        }
      }
      if (more) out.ended_cleanly = false;
    }
  }
  return out;
}

TEST(DemoLevel, FloorDataCoversEveryFunctionTriggerAndCommand) {
  const Ttrlevel& L = WrittenDemo();
  ASSERT_FALSE(L.floor_data.empty());
  EXPECT_EQ(L.floor_data[0], 0);
  const Walk walk = WalkFloorData(L.floor_data);
  EXPECT_TRUE(walk.ended_cleanly);
  for (int f = 0; f <= 21; ++f) EXPECT_TRUE(walk.functions.count(f)) << "function " << f;
  EXPECT_GT(*walk.functions.rbegin(), 25);
  for (int t = 0; t <= 13; ++t) EXPECT_TRUE(walk.trigger_types.count(t)) << "trigger type " << t;
  for (int c = 0; c <= 15; ++c) EXPECT_TRUE(walk.commands.count(c)) << "command " << c;
  EXPECT_GE(walk.camera_commands, 2);

  // Every sector points at the start of a function list (or at the unused word 0), and one
  // list is used by no sector.
  std::set<size_t> used;
  for (size_t r = 0; r < L.rooms.size(); ++r)
    for (const auto& s : L.rooms[r].sectors) {
      if (s.fd_index == 0) continue;
      EXPECT_TRUE(walk.group_starts.count(s.fd_index)) << "room " << r << " fd " << s.fd_index;
      used.insert(s.fd_index);
    }
  EXPECT_EQ(used.size() + 1, walk.group_starts.size());
}

TEST(DemoLevel, RoomsAreConsistent) {
  const Ttrlevel& L = WrittenDemo();
  ASSERT_EQ(L.num_rooms(), 4);
  bool water = false, sky = false, above = false;
  for (size_t r = 0; r < L.rooms.size(); ++r) {
    const troom& room = L.rooms[r];
    SCOPED_TRACE("room " + std::to_string(r));
    ASSERT_EQ(room.vertices1.size(), room.vertices2.size());
    for (size_t v = 0; v < room.vertices2.size(); ++v) {
      EXPECT_EQ(+room.vertices1[v].x, room.vertices2[v].x);
      EXPECT_EQ(+room.vertices1[v].lighting, room.vertices2[v].lighting);
    }
    EXPECT_GT(room.num_rectangles(), 0u);
    // Faces name real textures and distinct vertices.
    for (const auto& f : room.rectangles) {
      EXPECT_LT(f.texture, L.num_object_textures());
      for (uint16_t v : f.vertices) EXPECT_LT(v, room.num_vertices());
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 4).size(), 4u);
    }
    for (const auto& f : room.triangles) {
      EXPECT_LT(f.texture, L.num_object_textures());
      for (uint16_t v : f.vertices) EXPECT_LT(v, room.num_vertices());
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 3).size(), 3u);
    }
    EXPECT_EQ(room.sectors.size(), size_t{room.num_x_sectors} * room.num_z_sectors);
    for (const auto& p : room.portals) {
      ASSERT_LT(p.adjoining_room, L.num_rooms());
      bool back = false;
      for (const auto& q : L.rooms[p.adjoining_room].portals) back |= q.adjoining_room == r;
      EXPECT_TRUE(back) << "portal to " << p.adjoining_room << " has no way back";
    }
    for (const auto& s : room.sectors) {
      if (s.room_above != 255) {
        EXPECT_LT(s.room_above, L.num_rooms());
        above = true;
      }
      if (s.room_below != 255) {
        EXPECT_LT(s.room_below, L.num_rooms());
      }
    }
    EXPECT_EQ(room.lights4.size(), room.num_lights(kTR4));
    EXPECT_GT(room.lights4.size(), 0u);
    water |= room.flags & 0x01;
    sky |= (room.flags & 0x28) == 0x28;
    for (const auto& s : room.statics2) {
      bool found = false;
      for (const auto& m : L.static_meshes) found |= m.object_id == s.mesh_id;
      EXPECT_TRUE(found) << "static instance of mesh id " << s.mesh_id;
    }
  }
  EXPECT_TRUE(water);
  EXPECT_TRUE(sky);
  EXPECT_TRUE(above);
  for (const auto& item : L.items2) EXPECT_LT(item.room, L.num_rooms());
  for (const auto& item : L.aux_items) EXPECT_LT(item.room, L.num_rooms());
  ASSERT_EQ(L.items1.size(), L.items2.size());
  EXPECT_EQ(L.num_boxes(), L.zones[0].size());
}

// The landmarks the comment at the top of demo_level.cpp lists, which other tests rely on.
TEST(DemoLevel, DocumentedLandmarksHold) {
  const Ttrlevel& L = WrittenDemo();
  // Sector of 1-based column c and row r.
  auto sector = [&](int room, int c, int r) {
    const troom& R = L.rooms[room];
    return R.sectors[size_t(c - 1) * R.num_z_sectors + (r - 1)];
  };
  EXPECT_EQ(sector(0, 6, 3).fd_index, 1);
  EXPECT_EQ(L.floor_data[1], 0x8001);
  EXPECT_EQ(L.floor_data[2], 1);
  EXPECT_EQ(sector(0, 3, 2).fd_index, 16);
  const std::vector<uint16_t> camera_trigger = {0x8004, 0x3E00, 0x0001, 0x0401, 0x1105, 0x8002};
  EXPECT_TRUE(std::equal(camera_trigger.begin(), camera_trigger.end(), L.floor_data.begin() + 16));
  EXPECT_EQ(sector(0, 3, 3).room_above, 3);
  EXPECT_EQ(sector(3, 3, 3).room_below, 0);
  EXPECT_EQ(sector(2, 4, 2).fd_index, 60);
  EXPECT_EQ(L.floor_data[60], 0x0005);
  EXPECT_EQ(sector(2, 4, 4).fd_index, 102);
  EXPECT_EQ(sector(3, 2, 2).fd_index, 109);
  EXPECT_EQ(L.num_floor_data(), 117u);
  EXPECT_EQ(L.floor_data[113], 0x8004);
  const std::array<uint16_t, 11> ids = {0, 35, 41, 51, 324, 308, 203, 175, 369, 41, 35};
  const std::array<uint16_t, 11> rooms = {0, 2, 0, 1, 0, 0, 3, 2, 3, 3, 0};
  ASSERT_EQ(L.num_items(), 11u);
  for (size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(+L.items2[i].object_id, ids[i]) << "item " << i;
    EXPECT_EQ(+L.items2[i].room, rooms[i]) << "item " << i;
  }
  EXPECT_EQ(L.aux_items.size(), 2u);
  EXPECT_EQ(L.rooms[1].flags, 0x0001);
  EXPECT_EQ(L.rooms[3].flags, 0x0028);
  uint16_t flag = 0;
  std::memcpy(&flag, L.cameras[1].raw + 14, 2);
  EXPECT_EQ(flag, 0x0101);
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
  ASSERT_EQ(L.pages16.size(), 2u * 131072);
  EXPECT_EQ(L.misc_pages.size(), 2u * 262144);
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
  // The animated group marks its textures.
  EXPECT_EQ(+L.object_textures[12].anim_group, 1);
  EXPECT_EQ(+L.object_textures[14].anim_group, 1);
  EXPECT_EQ(+L.object_textures[15].anim_group, 0);
  // One camera carries a flag word.
  bool flagged = false;
  for (const auto& c : L.cameras) flagged |= c.raw[14] || c.raw[15];
  EXPECT_TRUE(flagged);
}

}  // namespace
}  // namespace qavel
