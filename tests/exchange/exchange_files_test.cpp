// Exchange files: DXF rooms, as we write them and as CAD programs and ezdxf do; MSH files between
// levels, what travels, what is skipped, and refusals (every level through its own MSH export is
// in the sweep over the real levels). The table of exchange formats: the menu texts and file
// filters the window shows, and every export reading back through the imports of its format. The
// ZQP project file.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <tuple>

#include "exchange/dxf_file.h"
#include "exchange/exchange_formats.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"
#include "fixtures/test_level.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::FaceList;
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
    EXPECT_TRUE(kind != kTR5 || level.trc_header[3] == 0x77);
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
  // What the file has, the file, and its refusal.
  const std::vector<std::tuple<const char*, Bytes, Status, std::string>> cases = {
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
  for (const auto& [name, file, status, message] : cases) {
    SCOPED_TRACE(name);
    for (MshImportMode mode : {MshImportMode::kFull, MshImportMode::kGeometryOnly}) {
      Ttrlevel level = tr3;
      const Result r = ImportMshBytes(level, file, mode, "x.msh");
      EXPECT_EQ(r.status(), status);
      EXPECT_EQ(r.message(), message);
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

TEST(ExchangeFormats, MenuTextsInMenuOrderAndEveryExportImportsBack) {
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

  // Each format's file, written by its export (MSH_2 reads MSH_1's), imports into a level of the
  // same generation; a file of another format is refused and changes nothing.
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
  // MSH through files, also in a "ZLIB" container.
  ASSERT_TRUE(ExportMsh(level, dir + "/a.msh"));
  const Bytes plain = ReadWholeFile(dir + "/a.msh")->ToBytes();
  EXPECT_EQ(plain, WriteMshBytes(level));
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
  for (const auto& [file, status, message] : std::vector<std::tuple<Bytes, Status, const char*>>{
           {good, Status::kOk,
            "p.zqp: project of a TR3 level with 3 items; it holds no edits to apply, the level "
            "is unchanged"},
           {Patched(good, 17, uint8_t{6}), Status::kWrongGeneration,
            "p.zqp belongs to a TR4 level (generation 6) but the level is TR3"},
           {Patched(good, 5, 'x'), Status::kWrongMagic,
            "p.zqp is not a ZQP file (it does not start with \"Kelvora ZQP file\")"},
           {short_file, Status::kDamaged, "p.zqp is 21 bytes long; a ZQP file has 25"},
       }) {
    const Result r = ImportProjectBytes(level, file, "p.zqp");
    EXPECT_EQ(r.status(), status);
    EXPECT_EQ(r.message(), message);
    EXPECT_EQ(level.FirstDifference(before), "");
  }
}

// ---- DXF ----

// DXF lines, given with "|" between them, each ended as the export ends its lines.
std::string Lines(std::string fields) {
  for (size_t at = fields.find('|'); at != std::string::npos; at = fields.find('|', at))
    fields.replace(at, 1, "\r\n");
  return fields + "\r\n";
}

// A room small enough to spell its DXF out in full.
Ttrlevel TinyLevel() {
  Ttrlevel level = MakeLevel(kTR4, 1, 8);
  troom& room = level.rooms[0];
  room = troom{};
  for (auto [x, y, z] :
       {std::array<int16_t, 3>{0, 0, 0}, {1024, -256, 0}, {1024, -256, 2048}, {-1500, 7, -1}})
    AddVertex(room, x, y, z, 0);
  room.rectangles.push_back(trectangle{{}, {0, 1, 2, 3}, 0x8005});
  room.triangles.push_back(ttriangle{{}, {0, 1, 2}, 2});
  return level;
}

// The export writes the room line by line with its layers in texture order, and refuses rooms
// that do not exist and faces beyond the vertices.
TEST(DxfExport, WritesTheRoomLineByLineAndRefusesFacesBeyondTheVertices) {
  Ttrlevel level = TinyLevel();
  const auto text = WriteRoomDxfText(level, 0);
  ASSERT_TRUE(text) << text.message();
  EXPECT_EQ(*text,
            Lines("  0|SECTION|  2|HEADER|  0|ENDSEC|  0|SECTION|  2|TABLES|  0|TABLE|  2|LAYER|  "
                  "70|    153|"
                  "  0|LAYER|  2|Texture_3| 70|  0| 62|     3|  6|CONTINUOUS|"
                  "  0|LAYER|  2|Texture_6| 70|  0| 62|     6|  6|CONTINUOUS|"
                  "  0|ENDTAB|  0|ENDSEC|  0|SECTION|  2|ENTITIES|"
                  // The rectangle's texture word 0x8005 keeps only its index: layer Texture_6.
                  "  0|3DFACE|  8|Texture_6| 10|0.000000| 20|0.000000| 30|0.000000|"
                  " 11|1.024000| 21|0.000000| 31|0.256000| 12|1.024000| 22|-2.048000| 32|0.256000|"
                  " 13|-1.500000| 23|0.001000| 33|-0.007000|"
                  "  0|3DFACE|  8|Texture_3| 10|0.000000| 20|0.000000| 30|0.000000|"
                  " 11|1.024000| 21|0.000000| 31|0.256000| 12|1.024000| 22|-2.048000| 32|0.256000|"
                  " 13|1.024000| 23|-2.048000| 33|0.256000|"
                  " 0|ENDSEC| 0|EOF"));
  EXPECT_EQ(WriteRoomDxfText(level, 1).message(), "room 1 does not exist; the level has 1 rooms");
  level.rooms[0].triangles[0].vertices[2] = 4;
  const auto r = WriteRoomDxfText(level, 0);
  EXPECT_EQ(r.result().status(), Status::kRefused);
  EXPECT_EQ(r.message(), "room 0: triangle 0 refers to vertex 4 but the room has 4 vertices");
  EXPECT_EQ(WriteRoomDxfText(Ttrlevel{}, 0).result().status(), Status::kNothingLoaded);
}

// A DXF as CAD programs write it: group codes without padding, LF line ends, extra entities.
std::string CadStyleDxf(const std::string& faces) {
  return "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0.0\n20\n0.0\n30\n0."
         "0\n11\n1\n21\n1\n31\n1\n" +
         faces + "0\nENDSEC\n0\nEOF\n";
}

std::string Face(const std::string& layer, const std::string& corners) {
  return "0\n3DFACE\n8\n" + layer + "\n" + corners;
}

// A quad on Texture_12345 (four digits are read: texture 1233); a triangle given by three corners
// only, sharing two of the quad's; corners from a floating-point program, on the nearest unit.
// An empty room exports no layers or faces, and its file imports as an empty room.
TEST(DxfImport, ReadsWhatCadProgramsWriteAndEmptyRooms) {
  Ttrlevel level = MakeLevel(kTR4, 1, 2000);
  const std::string text = CadStyleDxf(
      Face("Texture_12345",
           "10\n0\n20\n0\n30\n0\n11\n1.024\n21\n0\n31\n0\n12\n1.024\n22\n-1.024\n32\n0\n"
           "13\n0\n23\n-1.024\n33\n0\n") +
      Face("Texture_7",
           " 10\n0\n 20\n0\n 30\n0\n 11\n1.024\n 21\n0\n 31\n0\n 12\n\t2\n 22\n0\n"
           " 32\n+0.5\n") +
      Face("Texture_1",
           "10\n0.99999994\n20\n-2.0480001\n30\n1e-3\n11\n1\n21\n0\n31\n0\n12\n1\n22\n1\n"
           "32\n0\n"));
  const Result r = ImportRoomDxfText(level, 0, text, "cad.dxf");
  ASSERT_TRUE(r) << r.message();
  EXPECT_EQ(FaceList(level.rooms[0]), (std::vector<std::string>{
                                          "R1233(0,0,0)(1024,0,0)(1024,0,1024)(0,0,1024)",
                                          "T6(0,0,0)(1024,0,0)(2000,-500,0)",
                                          "T0(1000,-1,2048)(1000,0,0)(1000,0,-1000)",
                                      }));
  EXPECT_EQ(level.rooms[0].num_vertices(), 8u);

  Ttrlevel empty = MakeLevel(kTR3, 1);
  empty.rooms[0] = troom{};
  const std::string none = *WriteRoomDxfText(empty, 0);
  EXPECT_EQ(none.find("3DFACE"), std::string::npos);
  EXPECT_EQ(none.find("\r\nLAYER\r\n  2\r\nTexture"), std::string::npos);
  ASSERT_TRUE(ImportRoomDxfText(level, 0, none, "empty.dxf"));
  EXPECT_TRUE(FaceList(level.rooms[0]).empty());
  EXPECT_EQ(level.rooms[0].num_vertices(), 0u);
}

struct BadDxf {
  const char* name;
  std::string text;
  Status status;
  const char* message;
};

TEST(DxfImport, RefusesBadFilesWithOneMessageAndLeavesTheLevelAlone) {
  const std::string quad =
      "10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n12\n1\n22\n1\n32\n0\n13\n0\n"
      "23\n1\n33\n0\n";
  std::string many_quads, many_triangles, many_points;
  for (int i = 0; i < 2001; ++i) many_quads += Face("Texture_1", quad);
  for (int i = 0; i < 1251; ++i)
    many_triangles += Face("Texture_1", "10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n12\n1\n22\n" +
                                            std::to_string(i + 1) + "e-3\n32\n0\n");
  for (int i = 0; i < 501; ++i) {
    const std::string x = std::to_string(i) + "e-3\n";
    many_points += Face("Texture_1", "10\n" + x + "20\n0\n30\n0\n11\n" + x + "21\n1\n31\n0\n12\n" +
                                         x + "22\n2\n32\n0\n");
  }
  const std::vector<BadDxf> cases = {
      {"not a dxf", "hello\nworld\n", Status::kDamaged,
       "bad.dxf, line 1: the group code \"hello\" is not a number"},
      {"no entities", "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n", Status::kWrongMagic,
       "bad.dxf: not a DXF file with an ENTITIES section"},
      {"value missing", "0\nSECTION\n2", Status::kDamaged,
       "bad.dxf, line 3: the file ends after a group code, without its value"},
      {"only lines", CadStyleDxf(""), Status::kRefused,
       "bad.dxf: the file holds 1 entities but no 3DFACE; only 3D faces can become room "
       "geometry"},
      {"layer 0", CadStyleDxf(Face("0", quad)), Status::kRefused,
       "bad.dxf, line 22: 3DFACE 1 is on layer \"0\", which names no object texture (faces "
       "belong on layers Texture_N)"},
      {"named layer", CadStyleDxf(Face("Wall_A", quad)), Status::kRefused,
       "bad.dxf, line 22: 3DFACE 1 is on layer \"Wall_A\", which names no object texture (faces "
       "belong on layers Texture_N)"},
      {"texture beyond", CadStyleDxf(Face("Texture_9", quad)), Status::kRefused,
       "bad.dxf, line 22: 3DFACE 1 is on layer Texture_9 (texture 8) but the level has 8 object "
       "textures"},
      {"bad coordinate", CadStyleDxf(Face("Texture_1", "10\n1,5\n")), Status::kDamaged,
       "bad.dxf, line 26: the coordinate \"1,5\" is not a number"},
      {"nan coordinate", CadStyleDxf(Face("Texture_1", "10\nnan\n")), Status::kDamaged,
       "bad.dxf, line 26: the coordinate \"nan\" is not a number"},
      {"far coordinate", CadStyleDxf(Face("Texture_1", "20\n-32.769\n")), Status::kRefused,
       "bad.dxf, line 26: the coordinate -32.769 lies outside what a room can hold (-32.768 to "
       "32.767 after the axes swap)"},
      {"too many quads", CadStyleDxf(many_quads), Status::kRefused,
       "room 1: the file has 2001 four-cornered faces but a room holds at most 2000 rectangles"},
      {"too many triangles", CadStyleDxf(many_triangles), Status::kRefused,
       "room 1: the file has 1251 triangles but a room holds at most 1250"},
      {"too many points", CadStyleDxf(many_points), Status::kRefused,
       "room 1: the file has 1503 distinct corner points but a room holds at most 1500 "
       "vertices"},
  };
  const Ttrlevel original = MakeLevel(kTR4, 2, 8);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Ttrlevel level = original;
    const Result r = ImportRoomDxfText(level, 1, c.text, "bad.dxf");
    EXPECT_EQ(r.status(), c.status);
    EXPECT_EQ(r.message(), c.message);
    EXPECT_EQ(level.FirstDifference(original), "");
  }
  Ttrlevel level = original;
  EXPECT_EQ(ImportRoomDxfText(level, 2, CadStyleDxf(""), "x.dxf").message(),
            "room 2 does not exist; the level has 2 rooms");
  EXPECT_EQ(ImportRoomDxf(level, 0, test::ScratchDir("dxf_missing") + "/none.dxf").status(),
            Status::kNoSuchFile);
  EXPECT_EQ(level.FirstDifference(original), "");

  // A file cut short anywhere before its closing EOF group is refused, even where the cut leaves
  // whole faces or a shorter number ("-8.192000" cut to "-8"), and the room stays as it was.
  const std::string text = *WriteRoomDxfText(original, 1);
  ASSERT_EQ(text.substr(text.size() - 5), "EOF\r\n");
  for (size_t n = text.size() - 400; n < text.size() - 2; ++n) {
    level = original;
    const Result r = ImportRoomDxfText(level, 1, text.substr(0, n), "cut.dxf");
    ASSERT_FALSE(r) << n;
    EXPECT_EQ(level.FirstDifference(original), "");
  }
  const Result r = ImportRoomDxfText(level, 1, text.substr(0, text.rfind(" 0\r\nEOF")), "cut.dxf");
  const auto lines = std::count(text.begin(), text.end(), '\n') - 2;
  EXPECT_EQ(r.message(), "cut.dxf, line " + std::to_string(lines) +
                             ": the file ends without the EOF group that ends every DXF file: it "
                             "is cut short");
}

// Room numbers and texture numbers are not cut to eight bits.
TEST(DxfImport, ReachesRoomsAndTexturesBeyond255) {
  Ttrlevel level = MakeLevel(kTR4, 300, 400);
  const Ttrlevel original = level;
  troom& room = level.rooms[5];
  room.triangles.clear();
  for (uint16_t i = 0; i < 300; ++i)
    room.triangles.push_back(ttriangle{{}, {0, static_cast<uint16_t>(1 + i % 8), 4}, i});
  const auto text = WriteRoomDxfText(level, 5);
  ASSERT_TRUE(text) << text.message();
  ASSERT_TRUE(ImportRoomDxfText(level, 299, *text, "r.dxf"));
  EXPECT_EQ(FaceList(level.rooms[299]), FaceList(room));
  EXPECT_EQ(level.rooms[43], original.rooms[43]);  // 299 mod 256: untouched
}

TEST(DxfImport, CompletesTheVertexFormsOfEachGeneration) {
  const std::string text = *WriteRoomDxfText(MakeLevel(kTR4, 1), 0);
  auto import = [&](int32_t kind, uint16_t flags) {
    Ttrlevel level = MakeLevel(kind, 1);
    level.rooms[0].flags = flags;
    EXPECT_TRUE(ImportRoomDxfText(level, 0, text, "r.dxf"));
    return level.rooms[0];
  };
  const uint16_t grey15 = 15 << 10 | 15 << 5 | 15;
  EXPECT_EQ(import(kTR1, 0).vertices2[0], (tvertex2{{}, 0, 0, 0, 0x1000, 0x0010, 0x3DEF}));
  EXPECT_EQ(import(kTR2, 0).vertices2[0], (tvertex2{{}, 0, 0, 0, 0x1000, 0, 0xFFFF}));
  EXPECT_EQ(import(kTR3, 0).vertices2[0], (tvertex2{{}, 0, 0, 0, 0x1000, 0x0010, grey15}));
  EXPECT_EQ(import(kTR4, 0x0001).vertices2[0], (tvertex2{{}, 0, 0, 0, 0x1000, 0x2010, grey15}));
  EXPECT_EQ(import(kTR4, 0x0081).vertices2[0], (tvertex2{{}, 0, 0, 0, 0x1000, 0x2000, grey15}));
  EXPECT_TRUE(import(kTR4, 0).vertices5.empty() && import(kTR4, 0).rectangles5.empty());
}

TEST(DxfImport, Tr5RoomsKeepTheirVertexDataWherePointsStayAndGreyNewOnes) {
  Ttrlevel level = MakeLevel(kTR5, 1);
  level.rooms[0].vertices5[4].rest[0] = 0x42;  // a normal the DXF cannot carry
  level.rooms[0].rectangles5[1].extra = 7;
  // The room's faces, and one new triangle out at a new point.
  std::string text = *WriteRoomDxfText(level, 0);
  text.resize(text.find(" 0\r\nENDSEC\r\n 0\r\nEOF"));
  text += Lines(
      "  0|3DFACE|  8|Texture_1| 10|0| 20|0| 30|0| 11|5| 21|0| 31|0| 12|5| 22|5| 32|0|"
      " 0|ENDSEC| 0|EOF");
  ASSERT_TRUE(ImportRoomDxfText(level, 0, text, "r.dxf"));
  const troom& room = level.rooms[0];
  ASSERT_EQ(room.num_vertices(), 11u);
  ASSERT_EQ(room.vertices5.size(), 11u);
  const size_t kept = FindVertex(room, 1024, 0, 1024) - 1;  // where vertex 4 was
  ASSERT_LT(kept, 11u);
  const tvertex5 &old = room.vertices5[kept], &added = room.vertices5[10];
  EXPECT_EQ(std::tuple(old.rest[0], old.rest[14], room.vertices2[kept].colour, added.x,
                       added.rest[12], room.vertices2[10].colour),
            std::tuple(0x42, 0x80, 0x4210, 5000.0f, 15 << 3, 15 << 10 | 15 << 5 | 15));
  EXPECT_EQ(room.rectangles5[1].extra, 7);
  ASSERT_EQ(room.triangles5.size(), 2u);
  EXPECT_EQ(room.triangles5[1].texture, 0);
}

// ---- Programs no one here wrote ----

// Runs a shell command, returning its exit status and standard output.
std::pair<int, std::string> RunProgram(const std::string& command) {
  std::string out;
  FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
  if (!p) return {-1, out};
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return {pclose(p), out};
}

// ezdxf (the system Python's first: Debian's python3-ezdxf) finds the faces and texture layers
// of the small room's export and of room 0 of every real level, and a file it writes imports
// with its faces and textures.
TEST(DxfPrograms, EzdxfReadsTheExportsAndWritesFilesThatImport) {
  std::string python;
  for (const char* p : {"/usr/bin/python3", "python3"})
    if (python.empty() && RunProgram(std::string(p) + " -c 'import ezdxf'").first == 0) python = p;
  if (python.empty()) GTEST_SKIP() << "python3 with ezdxf (python3-ezdxf) not installed; skipped";
  std::vector<std::pair<std::string, Ttrlevel>> levels;
  levels.emplace_back("small", MakeLevel(kTR4, 1));
  for (const auto& [generation, path] : test::SweptLevels())
    levels.emplace_back(generation, test::ReadLevelOrFail(path));
  const std::string dir = test::ScratchDir("dxf_programs");
  std::string paths, expected;  // for each file: "faces layers"
  for (const auto& [name, level] : levels) {
    paths += " " + dir + "/" + name + ".dxf";
    EXPECT_TRUE(ExportRoomDxf(level, 0, dir + "/" + name + ".dxf")) << name;
    std::set<int> layers;
    for (const auto& r : level.rooms[0].rectangles) layers.insert(r.texture & 0xFFF);
    for (const auto& t : level.rooms[0].triangles) layers.insert(t.texture & 0xFFF);
    expected += std::to_string(level.rooms[0].num_rectangles() + level.rooms[0].num_triangles()) +
                " " + std::to_string(layers.size()) + "\n";
  }
  // One interpreter for all files keeps the test quick.
  const auto [rc, out] =
      RunProgram(python +
                 " -c \"import ezdxf, sys\nfor p in sys.argv[1:]:\n d = ezdxf.readfile(p)\n "
                 "print(len(d.modelspace().query('3DFACE')), len([l for l in d.layers if "
                 "l.dxf.name.startswith('Texture_')]))\"" +
                 paths);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out.substr(0, 4), "5 4\n");  // four rectangles and a triangle on four textures

  const std::string path = test::ScratchDir("dxf_ezdxf_write") + "/made.dxf";
  ASSERT_EQ(RunProgram(python +
                       " -c \"\nimport ezdxf\nd = ezdxf.new('R2010')\n"
                       "d.layers.add('Texture_3')\nd.layers.add('Texture_5')\n"
                       "m = d.modelspace()\n"
                       "m.add_3dface([(0,0,0),(1.024,0,0),(1.024,-1.024,0),(0,-1.024,"
                       "0)], dxfattribs={'layer': 'Texture_3'})\n"
                       "m.add_3dface([(0,0,0),(1.024,0,0),(0,0,0.512)], "
                       "dxfattribs={'layer': 'Texture_5'})\n"
                       "d.saveas('" +
                       path + "')\n\"")
                .first,
            0);
  Ttrlevel level = MakeLevel(kTR4, 1);
  const Result r = ImportRoomDxf(level, 0, path);
  ASSERT_TRUE(r) << r.message();
  const troom& room = level.rooms[0];
  ASSERT_EQ(FaceList(room), (std::vector<std::string>{
                                "R2(0,0,0)(1024,0,0)(1024,0,1024)(0,0,1024)",
                                "T4(0,0,0)(1024,0,0)(0,-512,0)",
                            }));
  // No flag bits besides.
  EXPECT_EQ(std::pair(+room.rectangles[0].texture, +room.triangles[0].texture), std::pair(2, 4));
}

}  // namespace
}  // namespace qavel
