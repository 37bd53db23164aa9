// The table of exchange formats: the menu texts and file filters the window shows, and every
// export reading back through the imports of its format; the ZQP project file.

#include "exchange/exchange_formats.h"

#include <gtest/gtest.h>

#include "exchange/zqp_file.h"
#include "fixtures/test_level.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

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
  Bytes other = good;
  other[17] = 6;
  Bytes bad_magic = good;
  bad_magic[5] = 'x';
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
           {other, Status::kWrongGeneration,
            "p.zqp belongs to a TR4 level (generation 6) but the level is TR3"},
           {bad_magic, Status::kWrongMagic,
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
