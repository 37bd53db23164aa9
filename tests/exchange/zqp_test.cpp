#include <gtest/gtest.h>

#include <cstring>

#include "exchange/zqp_file.h"
#include "fixtures/exchange_fixtures.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

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
