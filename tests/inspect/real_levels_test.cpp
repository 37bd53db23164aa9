// The sweep over the real game levels and the shipped demo level, one level per test: saves,
// cuts and edits; the exchange files of every room; the floor data; the check; scripts and diffs.

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "check/check_level.h"
#include "demo/demo_level.h"
#include "edit_helpers.h"
#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "fixtures/test_level.h"
#include "floordata/floor_data.h"
#include "floordata/searches.h"
#include "floordata/sector_map.h"
#include "inspect/edit_script.h"
#include "inspect/item_edits.h"
#include "inspect/level_diff.h"
#include "inspect/room_edits.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::Changed;
using test::Do;
using test::FaceList;
using test::FileOf;

class LevelSweep : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const bool demo = GetParam() == "demo";
    const auto real = demo ? std::nullopt : test::RealLevel(GetParam());
    if (!demo && !real)
      GTEST_SKIP() << "real " << GetParam() << " level not present in " << QAVEL_LEVELS_DIR
                   << "; skipped";
    path = demo ? test::DataPath("demo.tr4") : *real;
    auto read = ReadLevel(path);
    ASSERT_TRUE(read) << read.message();
    level = std::move(*read);
  }
  std::string path;
  Ttrlevel level;
};

INSTANTIATE_TEST_SUITE_P(Levels, LevelSweep,
                         ::testing::Values("TR1", "TR2", "TR3", "TR4", "TR5", "demo"),
                         [](const auto& info) { return info.param; });

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

// An unedited save gives the file's bytes; cut short in its middle or by its last byte (inside
// the samples of TR4 and TR5 files) it is refused as damaged. Edited by a script, it is the file
// the window's edits make, whose difference names exactly them; a vertex moved besides, it reads
// back as edited. TR4/TR5 texture pages stay packed through all that, and compared with the pages
// zlib unpacks on its own they are equal, also when texture code reads a page first from two
// threads at once (a worker may unpack the pages while the view asks for one).
TEST_P(LevelSweep, SavesCutsAndEditsAsTheyRead) {
  const SharedBlock file = *ReadWholeFile(path);
  EXPECT_TRUE(FileOf(level, path) == file.ToBytes()) << "changed on a plain save";
  for (const size_t size : {file.size() * 45 / 100, file.size() - 1})
    EXPECT_EQ(ReadLevelBytes(file.Slice(0, size), path).result().status(), Status::kDamaged)
        << "cut to " << size;
  ASSERT_GT(level.num_items(), 0u);
  const titem2 item = level.items2[0];
  Ttrlevel edited = level;
  const Result r = ApplyEditScript(
      edited, ScriptLines("item 0 x=" + std::to_string(item.x + 100) +
                          " angle=45\nroom 0 water_enabled=on\nitem 0 duplicate\n"));
  ASSERT_TRUE(r) << r.message();
  Ttrlevel by_window = level;
  Do(by_window, edit::PlaceItem(by_window, 0, {item.x + 100, item.y, item.z, 0x2000}));
  Do(by_window, edit::SetRoomFlag(by_window, 0, kFlagWater, true));
  Do(by_window, edit::DuplicateItem(by_window, 0, item.room, std::nullopt));
  const Bytes scripted = FileOf(edited, path);
  EXPECT_TRUE(scripted == FileOf(by_window, path)) << "the script and the window differ";
  troom& room = edited.rooms[0];
  if (room.num_vertices() > 0) {
    tvertex2 v = room.vertices2[0];
    v.y = static_cast<int16_t>(v.y - 256);
    StoreVertex(room, 0, v);
  }
  const auto written = WriteLevelBytes(edited, path);
  ASSERT_TRUE(written) << written.message();
  const auto back = ReadLevelBytes(written->bytes, path);
  ASSERT_TRUE(back) << back.message();
  AdoptFileValues(edited, written->values);
  EXPECT_EQ(back->FirstDifference(edited), "");
  EXPECT_TRUE(FileOf(*back, path) == written->bytes);
  // Before any difference is taken: a difference unpacks the pages it compares.
  if (level.version_kind >= kTR4) {
    for (const Ttrlevel* l : std::initializer_list<const Ttrlevel*>{&edited, &*back})
      for (const SharedBlock* pages : {&l->pages32, &l->pages16, &l->misc_pages})
        EXPECT_TRUE(pages->IsPacked()) << "pages unpacked without being shown";
    const std::vector<Bytes> chunks = InflatedChunks(file);
    Ttrlevel eager = *back;
    eager.pages32 = SharedBlock::Of(chunks[0]);
    eager.pages16 = SharedBlock::Of(chunks[1]);
    eager.misc_pages = SharedBlock::Of(chunks[2]);
    EXPECT_EQ(eager.FirstDifference(*back), "");
    EXPECT_FALSE(back->pages16.IsPacked());

    const Ttrlevel fresh = test::ReadLevelOrFail(path);
    const SharedBlock* blocks[] = {&fresh.pages32, &fresh.pages16, &fresh.misc_pages};
    for (size_t i = 0; i < 3; ++i) {
      const size_t page = 131072, at = blocks[i]->size() - page;
      std::array<Bytes, 2> seen;
      std::array<std::thread, 2> readers;
      for (size_t t = 0; t < 2; ++t)
        readers[t] = std::thread([&, t] {
          const SharedBlock p = blocks[i]->Slice(at, page);
          seen[t].assign(p.bytes(), p.bytes() + page);
        });
      for (auto& reader : readers) reader.join();
      const Bytes want(chunks[i].begin() + long(at), chunks[i].end());
      EXPECT_TRUE(seen[0] == want && seen[1] == want) << "chunk " << i;
    }
    EXPECT_TRUE(UnpackTexturePages(fresh));
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(blocks[i]->ToBytes() == chunks[i]) << "chunk " << i;
  }
  std::vector<std::string> expected;
  if (!(level.rooms[0].flags & kFlagWater)) expected.push_back("room 0 flags");
  expected.push_back("items count");
  expected.push_back("item 0 x");
  if (item.angle != 0x2000) expected.push_back("item 0 angle");
  expected.push_back("item " + std::to_string(level.num_items()));
  const auto scripted_back = ReadLevelBytes(scripted, path);
  ASSERT_TRUE(scripted_back) << scripted_back.message();
  EXPECT_EQ(Changed(level, *scripted_back), expected);

  EXPECT_TRUE(DiffLevels(level, level)->empty());
  if (level.version_kind != kTR4) {
    EXPECT_EQ(DiffLevels(BuildDemoLevel(), level).message(),
              "the levels are of different generations (TR4 and " +
                  std::string(GenerationName(level.version_kind)) +
                  "); diff compares levels of one");
  }
}

// Saving the level and reading it back gives the level with what the writer computed.
void ExpectSavedAsImported(const Ttrlevel& imported, const std::string& path) {
  const auto written = WriteLevelBytes(imported, path);
  ASSERT_TRUE(written) << written.message();
  const auto reread = ReadLevelBytes(written->bytes, path);
  ASSERT_TRUE(reread) << reread.message();
  Ttrlevel expected = imported;
  AdoptFileValues(expected, written->values);
  EXPECT_EQ(expected.FirstDifference(*reread), "");
}

// Imported from its own MSH export in either mode, the level saves to its own bytes; every room
// comes back from its DXF export with its faces, and the level saves as imported; so does the
// first room with triangles without its last face (a TR5 room whose triangles change parity).
TEST_P(LevelSweep, EveryRoomThroughMshAndDxf) {
  const Bytes original = TZfile::Read(path)->content.ToBytes();
  const Bytes msh = WriteMshBytes(level);
  for (MshImportMode mode : {MshImportMode::kFull, MshImportMode::kGeometryOnly}) {
    Ttrlevel from_msh = level;
    const Result r = ImportMshBytes(from_msh, msh, mode, "level.msh");
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(from_msh.FirstDifference(level), "");
    EXPECT_TRUE(FileOf(from_msh, path) == original);
  }
  Ttrlevel imported = level;
  bool cut = false;
  for (size_t i = 0; i < level.rooms.size(); ++i) {
    SCOPED_TRACE("room " + std::to_string(i));
    const auto text = WriteRoomDxfText(level, i);
    ASSERT_TRUE(text) << text.message();
    if (level.rooms[i].num_triangles() > 0 && !cut) {
      std::string fewer = *text;
      const size_t last = fewer.rfind("  0\r\n3DFACE");
      fewer.erase(last, fewer.find(" 0\r\nENDSEC", last) - last);
      Ttrlevel trimmed = level;
      ASSERT_TRUE(ImportRoomDxfText(trimmed, i, fewer, "room.dxf"));
      cut = true;
      ExpectSavedAsImported(trimmed, path);
    }
    const Result r = ImportRoomDxfText(imported, i, *text, "room.dxf");
    ASSERT_TRUE(r) << r.message();
    const troom& room = imported.rooms[i];
    EXPECT_EQ(FaceList(room), FaceList(level.rooms[i]));
    ASSERT_EQ(room.vertices1.size(), room.vertices2.size());
    // The faces' points get the file's light; a point only a room sprite stands on keeps its own.
    std::set<uint16_t> on_face;
    for (const auto& f : room.rectangles) on_face.insert(f.vertices, f.vertices + 4);
    for (const auto& f : room.triangles) on_face.insert(f.vertices, f.vertices + 3);
    for (size_t v = 0; v < room.num_vertices(); ++v) {
      EXPECT_EQ(room.vertices1[v], VertexToTr1(room.vertices2[v]));
      if (level.version_kind != kTR5 && on_face.contains(static_cast<uint16_t>(v))) {
        EXPECT_EQ(+room.vertices2[v].lighting, 16 << 8);
      }
    }
    if (level.version_kind == kTR5) {
      ASSERT_EQ(room.vertices5.size(), room.num_vertices());
      ASSERT_EQ(room.rectangles5.size(), room.num_rectangles());
      ASSERT_EQ(room.triangles5.size(), room.num_triangles());
    }
  }
  ExpectSavedAsImported(imported, path);
}

// Words one decoded group occupies in the stream.
size_t GroupLength(const tfloordata_group& g) {
  size_t n = 0;
  for (const auto& fn : g.functions) {
    n += IsOneWordFunction(fn.function) ? 1 : 2;
    if (fn.function != 4) continue;
    if (fn.trigger.trigger_item >= 0) ++n;
    for (const auto& c : fn.trigger.commands) n += c.command == 1 ? 2 : 1;
  }
  return n;
}

// The groups tile the stream exactly and every sector points at the start of a group (a misread
// length would shift both); every sector decodes and every trigger is found by the search. The
// demo level holds every function number, trigger type and command.
TEST_P(LevelSweep, FloorDataGroupsTileTheStreamAndSectorsPointAtGroups) {
  const FloorData fd = ParseFloorData(level);
  ASSERT_GT(fd.num_groups(), 1u);
  size_t end = 1;
  for (size_t g = 1; g < fd.num_groups(); ++g) {
    ASSERT_EQ(fd.Group(g).fd_start, end) << "group " << g;
    end += GroupLength(fd.Group(g));
  }
  EXPECT_EQ(end, level.num_floor_data());
  size_t triggers = 0;
  for (const auto& g : fd.FloorDataGroups) triggers += g.has_trigger;
  EXPECT_GT(triggers, 0u);
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    const troom& room = level.rooms[r];
    for (const auto& s : room.sectors) {
      if (s.fd_index != 0) {
        EXPECT_NE(fd.GroupOf(s.fd_index), 0u) << "room " << r << " fd_index " << s.fd_index;
      }
    }
    EXPECT_EQ(BuildSectorMap(level, fd, r).cells.size(), room.sectors.size());
    for (int c = 1; c <= room.num_x_sectors; ++c)
      for (int w = 1; w <= room.num_z_sectors; ++w)
        ASSERT_TRUE(DecodeSector(level, fd, r, c, w, {}));
  }
  SearchCursor cursor;
  size_t found = 0;
  for (; FindTriggerByCriteria(level, fd, cursor, 0, 0).kind != SearchResult::kNoMatch;
       cursor.Advance())
    ++found;
  EXPECT_EQ(found, triggers);
}

// The levels are right by definition: no errors, and nothing they refer to is missing. Their
// warnings, each with why it is right, are listed here so that a new one is looked at.
TEST_P(LevelSweep, CheckFindsOnlyTheKnownWarnings) {
  const std::map<std::string, std::vector<std::string>> known = {
      // Two animating objects the game keeps 512 sectors away on every axis, out of sight.
      {"TR5", {"item-position item 4", "item-position item 5"}},
      // Two AI objects, which have no movable; and three floor-data functions no game knows,
      // put there to show how the Floor Data tab lists them.
      {"demo",
       {"item-object item 11", "item-object item 12", "floor-function column 2, row 2 of room 0",
        "floor-function column 3, row 4 of room 0", "floor-function column 4, row 4 of room 2"}},
  };
  std::vector<std::string> found;
  std::string all;
  for (const Problem& p : CheckLevel(level)) {
    found.push_back(std::string(p.code) + " " + PlaceText(p.where));
    all += "\n  " + p.message;
  }
  const auto k = known.find(GetParam());
  EXPECT_EQ(found, k == known.end() ? std::vector<std::string>{} : k->second) << all;
}

}  // namespace
}  // namespace qavel
