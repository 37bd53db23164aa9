// MSH files between levels: what travels, what is skipped, and refusals (every level through its
// own MSH export is in the sweep over the real levels, tests/inspect/real_levels_test.cpp). The
// table of exchange formats: the menu texts and file filters the window shows, and every export
// reading back through the imports of its format. The ZQP project file.

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "exchange/exchange_formats.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"
#include "fixtures/test_level.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::MakeLevel;
using test::Patched;

// The two TR1 variants accept each other's files.
TEST(MshImport, CarriesGeometryLightsAmbientFlagsAndZonesIntoAnotherLevel) {
  for (const auto& [from, kind] :
       {std::pair{kTR1, kTR1Tub}, std::pair{kTR1Tub, kTR1}, std::pair{kTR2, kTR2},
        std::pair{kTR3, kTR3}, std::pair{kTR4, kTR4}, std::pair{kTR5, kTR5}}) {
    SCOPED_TRACE(kind);
    Ttrlevel source = MakeLevel(from, 2);
    troom& s = source.rooms[1];
    s.ambient = {1, 2};
    s.ambient2 = 0x0003;
    s.trc_colour = 0x00030201;
    s.flags = 0x0009;
    s.lights1.assign(s.lights1.size() + 1, tlight1{{}, {7}});
    s.lights2.assign(s.lights2.size() + 1, tlight2{{}, {7}});
    s.lights4.assign(s.lights4.size() + 1, tlight4{{}, {7}});
    s.lights5.assign(s.lights5.size() + 1, tlight5{{}, {7}});
    source.zones[4][2] = 999;
    source.trc_header[2] = 0x12;
    const Bytes msh = WriteMshBytes(source);

    // The target's room 1 has other geometry, ambient, flag bytes and lights.
    Ttrlevel target = MakeLevel(kind, 2);
    target.rooms[1] = target.rooms[0];
    target.rooms[1].flags = 0x7F00;
    target.rooms[1].ambient2 = 0x5500;
    target.rooms[1].trc_colour = 0xEE000000;
    const Ttrlevel before = target;

    const auto shape = [](const troom& r) {
      return std::tie(r.vertices1, r.vertices2, r.vertices5, r.rectangles, r.triangles,
                      r.rectangles5, r.triangles5);
    };
    Ttrlevel geometry = target;
    ASSERT_TRUE(ImportMshBytes(geometry, msh, MshImportMode::kGeometryOnly, "a.msh"));
    const troom& g = geometry.rooms[1];
    EXPECT_TRUE(shape(g) == shape(s)) << "the geometry did not travel";
    EXPECT_EQ(std::tuple(g.flags, g.ambient, g.num_lights(kind)),
              std::tuple(0x7F00, before.rooms[1].ambient, before.rooms[1].num_lights(kind)));
    EXPECT_TRUE(geometry.zones == before.zones && geometry.trc_header == before.trc_header);

    Ttrlevel full = target;
    ASSERT_TRUE(ImportMshBytes(full, msh, MshImportMode::kFull, "a.msh"));
    const troom& f = full.rooms[1];
    EXPECT_TRUE(shape(f) == shape(s)) << "the geometry did not travel";
    // Only the low byte of the flags travels.
    EXPECT_EQ(std::tuple(f.flags, f.num_lights(kind)), std::tuple(0x7F09, s.num_lights(kind)));
    if (kind == kTR5) {
      EXPECT_EQ(std::tuple(f.trc_colour, full.trc_header[2]), std::tuple(0xEE030201u, 0x12));
    } else {
      EXPECT_EQ(std::tuple(f.ambient, f.ambient2), std::tuple(s.ambient, 0x5503));
    }
    EXPECT_EQ(full.zones[4][2], 999);
    EXPECT_EQ(full.zones[9], before.zones[9]);  // alternate zones are not in the file
  }
}

TEST(MshImport, Tr5VerticesGetTheLevelReadersRoundedPositions) {
  Ttrlevel source = MakeLevel(kTR5, 1);
  tvertex5& v = source.rooms[0].vertices5[0];
  std::tie(v.x, v.y, v.z) = std::tuple(-1.7f, 2.9f, 0.5f);
  Ttrlevel target = MakeLevel(kTR5, 1);
  ASSERT_TRUE(ImportMshBytes(target, WriteMshBytes(source), MshImportMode::kFull, "a.msh"));
  const troom& room = target.rooms[0];
  EXPECT_EQ(+room.vertices5[0].x, -1.7f);
  // Nearest, halves to even: what reading a level file with this vertex gives.
  EXPECT_EQ(room.vertices1[0], (tvertex1{{}, -2, 3, 0, 0}));
  EXPECT_EQ(room.vertices2[0], (tvertex2{{}, -2, 3, 0, 0, 0, 0x4210}));
  EXPECT_EQ(room.rectangles[2], (trectangle{{}, {3, 4, 7, 6}, 0x8002}));
}

TEST(MshImport, SurplusRoomsAndZoneEntriesAreSkippedSoWhatFollowsIsReadRight) {
  for (int32_t kind : {kTR1, kTR4, kTR5}) {
    SCOPED_TRACE(kind);
    Ttrlevel source = MakeLevel(kind, 4, 8, 6);
    source.trc_header[3] = 0x77;
    Ttrlevel level = MakeLevel(kind, 2, 8, 3);
    level.rooms[1].flags = 0;
    const Result r = ImportMshBytes(level, WriteMshBytes(source), MshImportMode::kFull, "big.msh");
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(r.message(),
              "big.msh: geometry, ambient, flags and lights of 2 rooms and 3 zone entries "
              "imported; the file's 2 further rooms were skipped; 3 zone entries beyond the "
              "level's boxes were skipped");
    EXPECT_EQ(level.rooms[1].vertices2, source.rooms[1].vertices2);
    for (size_t a : {0, 1, 4})
      EXPECT_EQ(level.zones[a],
                std::vector<uint16_t>(source.zones[a].begin(), source.zones[a].begin() + 3));
    if (kind == kTR5) {
      EXPECT_EQ(level.trc_header[3], 0x77);
    }
  }
  // And a file with fewer rooms and zone entries changes only what it holds.
  Ttrlevel source = MakeLevel(kTR3, 1, 8, 2);
  source.zones[0] = {500, 501};
  Ttrlevel level = MakeLevel(kTR3, 3, 8, 3);
  const Ttrlevel before = level;
  const Result r = ImportMshBytes(level, WriteMshBytes(source), MshImportMode::kFull, "small.msh");
  ASSERT_TRUE(r) << r.message();
  EXPECT_EQ(level.zones[0], (std::vector<uint16_t>{500, 501, 2}));
  EXPECT_EQ(level.rooms[2], before.rooms[2]);
}

TEST(MshImport, RefusesBadFilesWithOneMessageAndChangesNothing) {
  const Ttrlevel tr3 = MakeLevel(kTR3, 2);
  const Bytes good = WriteMshBytes(tr3);
  // Offsets in a TR3 file: magic 17, generation 4, room count 2, room 0 starts at 23.
  const size_t room0 = 23, rects0 = room0 + 2 + 9 * 12;
  Bytes trailing = good;
  trailing.push_back(0);
  struct Case {
    const char* name;
    Bytes file;
    Status status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"tr4 file", WriteMshBytes(MakeLevel(kTR4, 2)), Status::kWrongGeneration,
       "x.msh holds TR4 rooms (generation 6) but the level is TR3; nothing was imported"},
      {"magic", Patched(good, 1, 'k'), Status::kWrongMagic,
       "x.msh is not an MSH file (it does not start with \"Kelvora MSH file\")"},
      {"empty", Bytes{}, Status::kWrongMagic,
       "x.msh is not an MSH file (it does not start with \"Kelvora MSH file\")"},
      {"vertices", Patched(good, room0, uint16_t{1501}), Status::kDamaged,
       "x.msh, room 0, at offset 25: 1501 vertices exceed a room's capacity of 1500"},
      {"rectangles", Patched(good, rects0, uint16_t{2001}), Status::kDamaged,
       "x.msh, room 0, at offset 135: 2001 rectangles exceed a room's capacity of 2000"},
      {"face corner", Patched(good, rects0 + 2 + 6, uint16_t{9}), Status::kDamaged,
       "x.msh, room 0, at offset 185: rectangle 0 refers to vertex 9 but the room has 9 "
       "vertices"},
      {"counts beyond the data", Patched(good, room0, uint16_t{1500}), Status::kDamaged,
       "x.msh, room 0, at offset 25: count 1500 of 12-byte records needs 18000 bytes but only "
       "464 are left"},
      {"zone count", Patched(good, good.size() - 5 * 3 * 2 - 4, uint32_t{0xFFFFFFFF}),
       Status::kDamaged,
       "x.msh, zones, at offset 459: 4294967295 zone entries need 42949672950 bytes but only 30 "
       "are left"},
      {"trailing", trailing, Status::kDamaged,
       "x.msh, zones, at offset 489: 1 bytes follow the zones, where the file should end"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (MshImportMode mode : {MshImportMode::kFull, MshImportMode::kGeometryOnly}) {
      Ttrlevel level = tr3;
      const Result r = ImportMshBytes(level, c.file, mode, "x.msh");
      EXPECT_EQ(r.status(), c.status);
      EXPECT_EQ(r.message(), c.message);
      EXPECT_EQ(level.FirstDifference(tr3), "");
    }
  }
  // Every shorter prefix of a good file is refused and changes nothing.
  for (size_t n = 0; n < good.size(); ++n) {
    Ttrlevel level = tr3;
    const Result r =
        ImportMshBytes(level, Bytes(good.begin(), good.begin() + n), MshImportMode::kFull, "x");
    ASSERT_FALSE(r) << n;
    ASSERT_EQ(level.FirstDifference(tr3), "") << n;
  }
}

TEST(MshFiles, ExportAndImportThroughFilesIncludingAPackedContainer) {
  const std::string dir = test::ScratchDir("msh_files");
  const Ttrlevel level = MakeLevel(kTR4, 2);
  ASSERT_TRUE(ExportMsh(level, dir + "/a.msh"));
  const Bytes plain = ReadWholeFile(dir + "/a.msh")->ToBytes();
  EXPECT_EQ(plain, WriteMshBytes(level));
  // The same content in a "ZLIB" container.
  ASSERT_TRUE(WriteFileAtomically(dir + "/z.msh", test::ZlibContainer(plain)));
  Ttrlevel target = MakeLevel(kTR4, 2);
  target.rooms[0].flags = 0;
  ASSERT_TRUE(ImportMsh(target, dir + "/z.msh", MshImportMode::kFull));
  EXPECT_EQ(target.rooms[0].flags, level.rooms[0].flags & 0xFF);
  EXPECT_EQ(ImportMsh(target, dir + "/none.msh", MshImportMode::kGeometryOnly).status(),
            Status::kNoSuchFile);
  EXPECT_EQ(ExportMsh(level, dir + "/no/such/dir/a.msh").status(), Status::kCannotOpen);
  EXPECT_EQ(ExportMsh(Ttrlevel{}, dir + "/e.msh").status(), Status::kNothingLoaded);
}

TEST(ExchangeFormats, MenuTextsAndFiltersInMenuOrder) {
  std::vector<std::string> imports, exports;
  for (const ExchangeFormat& f : ExchangeFormats()) {
    EXPECT_EQ(&GetExchangeFormat(f.id), &f);
    EXPECT_EQ(std::string(f.file_filter), std::string(f.file_kind) + " (*." + f.extension + ")");
    imports.push_back(std::string(f.import_action) + " " + f.import_caption);
    if (f.export_caption) exports.push_back(std::string(f.export_action) + " " + f.export_caption);
  }
  EXPECT_EQ(imports, (std::vector<std::string>{"ImportDXF1 Import DXF(Current Room)",
                                               "ImportMSH1 Import MSH_1", "ImportMSH2 Import MSH_2",
                                               "ImportZQP1 Import ZQP"}));
  EXPECT_EQ(exports, (std::vector<std::string>{"ExportDXF1 Export DXF(Current Room)",
                                               "ExportMSH1 Export MSH", "ExportZQP1 Export ZQP"}));
  EXPECT_STREQ(GetExchangeFormat(ExchangeFormatId::kDxf).file_filter, "DXF File (*.dxf)");
}

// Each format's file, written by its export (MSH_2 reads MSH_1's), imports into a level of the
// same generation; a file of another format is refused and changes nothing.
TEST(ExchangeFormats, ExportsImportBackAndOtherFormatsAreRefused) {
  const std::string dir = test::ScratchDir("exchange_formats");
  const Ttrlevel level = test::MakeLevel(kTR4, 2);
  const ExchangeFormat& msh = GetExchangeFormat(ExchangeFormatId::kMshFull);
  for (const ExchangeFormat& f : ExchangeFormats()) {
    SCOPED_TRACE(f.import_caption);
    const std::string path = dir + "/room1." + f.extension;
    const ExchangeFormat& writer = f.export_file ? f : msh;
    ASSERT_TRUE(writer.export_file(level, 1, path));
    Ttrlevel target = level;
    const Result imported = f.import_file(target, 1, path);
    EXPECT_TRUE(imported) << imported.message();
    EXPECT_EQ(target.rooms[1].num_rectangles(), level.rooms[1].num_rectangles());
    for (const ExchangeFormat& other : ExchangeFormats()) {
      if (std::string(other.extension) == f.extension) continue;
      Ttrlevel untouched = level;
      EXPECT_FALSE(other.import_file(untouched, 1, path)) << other.import_caption;
      EXPECT_EQ(untouched.FirstDifference(level), "");
    }
  }
}

// The export is the magic, the generation and the item count in 25 bytes; an import recognises
// or refuses a file but never changes the level.
TEST(Zqp, ExportsTwentyFiveBytesAndImportsChangeNothing) {
  Ttrlevel tr4 = test::MakeLevel(kTR4, 1);
  tr4.ResizeItems(120);
  const std::string path = test::ScratchDir("zqp_export") + "/p.zqp";
  ASSERT_TRUE(ExportProject(tr4, path));
  Bytes expected(kZqpMagic, kZqpMagic + 17);
  for (uint8_t b : {6, 0, 0, 0, 120, 0, 0, 0}) expected.push_back(b);
  EXPECT_EQ(ReadWholeFile(path)->ToBytes(), expected);

  Ttrlevel level = test::MakeLevel(kTR3, 1);
  level.ResizeItems(3);
  const Ttrlevel before = level;
  const Bytes good = WriteProjectBytes(level);
  const Bytes short_file(good.begin(), good.begin() + 21);
  struct Case {
    Bytes file;
    Status status;
    const char* message;
  };
  for (const auto& c : std::vector<Case>{
           {good, Status::kOk,
            "p.zqp: project of a TR3 level with 3 items; it holds no edits to apply, the level "
            "is unchanged"},
           {Patched(good, 17, uint8_t{6}), Status::kWrongGeneration,
            "p.zqp belongs to a TR4 level (generation 6) but the level is TR3"},
           {Patched(good, 5, 'x'), Status::kWrongMagic,
            "p.zqp is not a ZQP file (it does not start with \"Kelvora ZQP file\")"},
           {short_file, Status::kDamaged, "p.zqp is 21 bytes long; a ZQP file has 25"},
       }) {
    const Result r = ImportProjectBytes(level, c.file, "p.zqp");
    EXPECT_EQ(r.status(), c.status);
    EXPECT_EQ(r.message(), c.message);
    EXPECT_EQ(level.FirstDifference(before), "");
  }
}

}  // namespace
}  // namespace qavel
