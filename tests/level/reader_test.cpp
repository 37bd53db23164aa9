// Reading levels of every generation: round trips, generation detection, progress, and refusal
// of files that are not what they claim to be.

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/tiny_level.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

const char* NameFor(int32_t kind) {
  switch (kind) {
    case kTR1:
      return "tiny.phd";
    case kTR1Tub:
      return "tiny.tub";
    case kTR2:
      return "tiny.tr2";
    case kTR2Trg:
      return "tiny.trg";
    case kTR3:
      return "tiny3.tr2";
    case kTR4:
      return "tiny.tr4";
    default:
      return "tiny.trc";
  }
}

Bytes Written(const Ttrlevel& level, const std::string& name) {
  const auto written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? written->bytes : Bytes{};
}

Ttrlevel Read(const Bytes& file, const std::string& name) {
  auto level = ReadLevelBytes(file, name);
  EXPECT_TRUE(level) << level.message();
  return level ? std::move(*level) : Ttrlevel{};
}

class EveryGeneration : public ::testing::TestWithParam<int32_t> {};

// Write, read, write: the same bytes, and the level read is the one written with the values the
// writer computed.
TEST_P(EveryGeneration, WriteReadWriteGivesTheSameBytesAndModel) {
  const int32_t kind = GetParam();
  const Ttrlevel built = test::MakeTinyLevel(kind);
  const auto first = WriteLevelBytes(built, NameFor(kind));
  ASSERT_TRUE(first) << first.message();
  const Ttrlevel read = Read(first->bytes, NameFor(kind));
  EXPECT_EQ(read.version_kind, kind);
  Ttrlevel expected = built;
  AdoptFileValues(expected, first->values);
  EXPECT_EQ(read.FirstDifference(expected), "");
  EXPECT_EQ(Written(read, NameFor(kind)), first->bytes);
  EXPECT_EQ(read.rooms[1].flags, 0x0009);
  EXPECT_EQ(+read.items1[0].room, 1);
  EXPECT_EQ(+read.object_textures[1].anim_group, 1);
}

// Every prefix of a good file is refused as damaged, with one line naming the file.
TEST_P(EveryGeneration, TruncatedFilesAreRefusedCleanly) {
  const int32_t kind = GetParam();
  const Ttrlevel built = test::MakeTinyLevel(kind);
  const Bytes file = Written(built, NameFor(kind));
  const size_t step = std::max<size_t>(1, file.size() / 400);
  for (size_t n = 4; n < file.size(); n += step) {
    const auto level = ReadLevelBytes(Bytes(file.begin(), file.begin() + long(n)), NameFor(kind));
    if (level) {
      // Only the kept trailing bytes may be missing.
      EXPECT_GE(n, file.size() - built.level_data_end.size() - built.tail_data.size() - 4)
          << "prefix of " << n << " bytes read as a whole level";
      continue;
    }
    EXPECT_EQ(level.result().status(), Status::kDamaged) << n;
    EXPECT_EQ(level.message().find('\n'), std::string::npos);
    EXPECT_NE(level.message().find(NameFor(kind)), std::string::npos) << level.message();
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, EveryGeneration,
                         ::testing::Values(kTR1, kTR1Tub, kTR2, kTR2Trg, kTR3, kTR4, kTR5));

TEST(Generation, ComesFromTheVersionWordAndTheName) {
  EXPECT_EQ(DetectVersionKind(0x20, "/x/level.TUB"), kTR1Tub);
  EXPECT_EQ(DetectVersionKind(0x20, "/x/level.Tub"), kTR1);
  EXPECT_EQ(DetectVersionKind(0x2D, "a.trg"), kTR2Trg);
  EXPECT_EQ(DetectVersionKind(0xFF080038, "a.tr2"), kTR3);
  EXPECT_EQ(DetectVersionKind(0xFFFFFFF0, "/levels.trc/a.tr4"), kTR5);
  EXPECT_EQ(DetectVersionKind(0x00345254, "a.tr4"), kTR4);
  EXPECT_EQ(DetectVersionKind(0x21, "a.phd"), 0);
}

TEST(Progress, MovesFromZeroToHundredAndBackWhileReading) {
  const std::string path = test::ScratchDir("progress") + "/a.tr4";
  ASSERT_TRUE(WriteLevel(test::MakeTinyLevel(kTR4), path));
  std::vector<int> seen;
  ASSERT_TRUE(ReadLevel(path, [&seen](int p) { seen.push_back(p); }));
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen[seen.size() - 2], 100);
  EXPECT_EQ(seen.back(), 0);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end() - 1));
}

TEST(Refusals, SayWhatIsWrong) {
  const Bytes file = Written(test::MakeTinyLevel(kTR2), "a.tr2");
  Bytes unknown = file;
  unknown[0] = 0x21;
  Bytes pages = file;  // an impossible page count
  const uint32_t huge = 0xFFFFFFF0;
  std::memcpy(pages.data() + 4 + 768 + 1024, &huge, 4);
  Bytes many = file;  // a room vertex count beyond the model's capacity
  const uint16_t vertices = 1501;
  std::memcpy(many.data() + 4 + 768 + 1024 + 4 + 65536 + 131072 + 4 + 2 + 20, &vertices, 2);
  struct Case {
    Bytes bytes;
    Status status;
    std::vector<std::string> says;
  };
  for (const Case& c : std::vector<Case>{
           {unknown, Status::kUnknownVersion, {"a.tr2 is not a level file (version word 33)"}},
           {Bytes{1, 2}, Status::kUnknownVersion, {"version word missing"}},
           {pages, Status::kDamaged, {"texture pages", "4294967280"}},
           {many, Status::kDamaged, {"room 0", "1501"}}}) {
    const auto level = ReadLevelBytes(c.bytes, "a.tr2");
    ASSERT_FALSE(level);
    EXPECT_EQ(level.result().status(), c.status);
    for (const auto& part : c.says)
      EXPECT_NE(level.message().find(part), std::string::npos) << level.message();
  }
  const auto missing = ReadLevel("/nonexistent/level.tr2");
  EXPECT_EQ(missing.result().status(), Status::kNoSuchFile);
  EXPECT_EQ(missing.message(), "no such file: /nonexistent/level.tr2");
  const auto folder = ReadLevel(test::ScratchDir("reader_folder"));
  EXPECT_EQ(folder.result().status(), Status::kCannotOpen);
}

TEST(Refusals, GarbageAfterAGoodVersionWordIsRefused) {
  for (uint32_t version : {0x20u, 0x2Du, 0xFF180038u, 0x00345254u}) {
    for (const char* name : {"g.phd", "g.tr4", "g.trc"}) {
      Bytes garbage(3000);
      uint32_t x = 12345;
      for (auto& b : garbage) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
      std::memcpy(garbage.data(), &version, 4);
      EXPECT_EQ(ReadLevelBytes(garbage, name).result().status(), Status::kDamaged) << name;
    }
  }
}

// Extended level editors put a longer word table where the byte list and word table stand.
TEST(Tr4, ExtendedWordTableLayoutIsReadAndWrittenFaithfully) {
  Ttrlevel level = test::MakeTinyLevel(kTR4);
  level.byte_list.clear();
  level.extended_word_table.assign(2048, 0xFFFF);
  for (size_t i = 0; i < 2048; i += 3) level.extended_word_table[i] = static_cast<uint16_t>(i);
  level.records8.resize(4);
  level.index_list = {0, 1, 2, 3};
  level.tail_data = SharedBlock::Of({'N', 'G', 'L', 'E', 0, 0, 0, 0});
  const Bytes file = Written(level, "ng.tr4");
  const Ttrlevel read = Read(file, "ng.tr4");
  EXPECT_EQ(read.extended_word_table, level.extended_word_table);
  EXPECT_TRUE(read.byte_list.empty());
  EXPECT_EQ(read.records8.size(), 4u);
  EXPECT_EQ(read.index_list.size(), 4u);
  EXPECT_EQ(Written(read, "ng.tr4"), file);

  // The usual layout stays the usual layout.
  const Ttrlevel plain = test::MakeTinyLevel(kTR4);
  const Ttrlevel plain_read = Read(Written(plain, "p.tr4"), "p.tr4");
  EXPECT_TRUE(plain_read.extended_word_table.empty());
  EXPECT_EQ(plain_read.byte_list, plain.byte_list);
}

}  // namespace
}  // namespace qavel
