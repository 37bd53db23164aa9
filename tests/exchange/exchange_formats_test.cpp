// The table of exchange formats: the menu texts and file filters the window shows, and every
// export reading back through the imports of its format.

#include "exchange/exchange_formats.h"

#include <gtest/gtest.h>

#include "fixtures/exchange_fixtures.h"
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

}  // namespace
}  // namespace qavel
