// Reading and writing levels of every generation: round trips, generation detection, and
// refusal of files that are not what they claim to be.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"
#include "fixtures/tiny_level.h"

namespace qavel {
namespace {

const char* NameFor(int32_t kind) {
  switch (kind) {
    case kTR1: return "tiny.phd";
    case kTR1Tub: return "tiny.tub";
    case kTR2: return "tiny.tr2";
    case kTR2Trg: return "tiny.trg";
    case kTR3: return "tiny3.tr2";
    case kTR4: return "tiny.tr4";
    default: return "tiny.trc";
  }
}

Bytes Written(Ttrlevel& level, const std::string& name) {
  Bytes out;
  std::string message;
  EXPECT_EQ(WriteLevelBytes(level, name, out, nullptr, &message), kWriteOk) << message;
  return out;
}

class EveryGeneration : public ::testing::TestWithParam<int32_t> {};

TEST_P(EveryGeneration, WriteReadWriteGivesTheSameBytesAndModel) {
  const int32_t kind = GetParam();
  Ttrlevel built = test::MakeTinyLevel(kind);
  const Bytes first = Written(built, NameFor(kind));
  Ttrlevel read;
  std::string message;
  ASSERT_EQ(ReadLevelBytes(read, first, NameFor(kind), &message), kReadOk) << message;
  EXPECT_EQ(read.version_kind, kind);
  EXPECT_EQ(read.FirstDifference(built), "");
  const Bytes second = Written(read, NameFor(kind));
  EXPECT_EQ(second, first);
  EXPECT_EQ(read.rooms[1].flags, 0x0009);
  EXPECT_EQ(+read.items1[0].room, 1);
  EXPECT_EQ(+read.object_textures[1].anim_group, 1);
}

// Every prefix of a good file is refused as damaged, with one line naming where it ended, and
// leaves the model empty.
TEST_P(EveryGeneration, TruncatedFilesAreRefusedCleanly) {
  const int32_t kind = GetParam();
  Ttrlevel built = test::MakeTinyLevel(kind);
  const Bytes file = Written(built, NameFor(kind));
  const size_t step = std::max<size_t>(1, file.size() / 400);
  for (size_t n = 4; n < file.size(); n += step) {
    // Cuts inside TR1-TR3 light maps or palettes still hold a whole header; a cut is only
    // acceptable when what is missing is the end-of-data tail.
    Bytes cut(file.begin(), file.begin() + static_cast<long>(n));
    Ttrlevel level = test::MakeTinyLevel(kind);
    std::string message;
    const int rc = ReadLevelBytes(level, cut, NameFor(kind), &message);
    if (rc == kReadOk) {
      // Only the kept trailing bytes may be missing.
      EXPECT_GE(n, file.size() - built.level_data_end.size() - built.tail_data.size() - 4)
          << "prefix of " << n << " bytes read as a whole level";
      continue;
    }
    EXPECT_EQ(rc, kReadDamaged) << n;
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_NE(message.find(NameFor(kind)), std::string::npos) << message;
    EXPECT_FALSE(level.IsLoaded()) << "a refused read left a level behind";
    EXPECT_EQ(level.num_rooms(), 0);
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

TEST(Generation, TheOutputNameChoosesTheTr1Variant) {
  Ttrlevel level = test::MakeTinyLevel(kTR1);
  const Bytes phd = Written(level, "x.phd");
  const Bytes tub = Written(level, "x.tub");
  EXPECT_EQ(level.version_kind, kTR1Tub);
  EXPECT_EQ(phd.size(), tub.size());
  EXPECT_NE(phd, tub);  // the palette moved
  Ttrlevel back;
  ASSERT_EQ(ReadLevelBytes(back, tub, "x.tub"), kReadOk);
  EXPECT_EQ(back.palette, level.palette);
  // TR4 stays TR4 whatever the name.
  Ttrlevel tr4 = test::MakeTinyLevel(kTR4);
  Written(tr4, "x.trc");
  EXPECT_EQ(tr4.version_kind, kTR4);
}

TEST(Refusals, SayWhatIsWrongAndLeaveNothingBehind) {
  Ttrlevel level = test::MakeTinyLevel(kTR2);
  Bytes file = Written(level, "a.tr2");
  std::string message;

  Bytes unknown = file;
  unknown[0] = 0x21;
  EXPECT_EQ(ReadLevelBytes(level, unknown, "a.tr2", &message), kReadUnknownVersion);
  EXPECT_EQ(level.version, 0u);
  EXPECT_FALSE(level.IsLoaded());

  EXPECT_EQ(ReadLevel(level, "/nonexistent/level.tr2", &message), kReadNoSuchFile);
  EXPECT_NE(message.find("/nonexistent/level.tr2"), std::string::npos);

  // An impossible page count.
  Bytes pages = file;
  const uint32_t huge = 0xFFFFFFF0;
  std::memcpy(pages.data() + 4 + 768 + 1024, &huge, 4);
  EXPECT_EQ(ReadLevelBytes(level, pages, "a.tr2", &message), kReadDamaged);
  EXPECT_NE(message.find("texture pages"), std::string::npos) << message;
  EXPECT_NE(message.find("4294967280"), std::string::npos) << message;

  // A room vertex count beyond the model's capacity names the room and the count.
  Ttrlevel big = test::MakeTinyLevel(kTR2);
  const size_t room0 = 4 + 768 + 1024 + 4 + 65536 + 131072 + 4 + 2;
  Bytes many = Written(big, "a.tr2");
  const uint16_t vertices = 1501;
  std::memcpy(many.data() + room0 + 20, &vertices, 2);
  EXPECT_EQ(ReadLevelBytes(level, many, "a.tr2", &message), kReadDamaged);
  EXPECT_NE(message.find("room 0"), std::string::npos) << message;
  EXPECT_NE(message.find("1501"), std::string::npos) << message;
}

TEST(Refusals, GarbageAfterAGoodVersionWordIsRefused) {
  for (uint32_t version : {0x20u, 0x2Du, 0xFF180038u, 0x00345254u}) {
    for (const char* name : {"g.phd", "g.tr4", "g.trc"}) {
      Bytes garbage(3000);
      uint32_t x = 12345;
      for (auto& b : garbage) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 16);
      std::memcpy(garbage.data(), &version, 4);
      Ttrlevel level;
      std::string message;
      EXPECT_EQ(ReadLevelBytes(level, garbage, name, &message), kReadDamaged) << name;
      EXPECT_FALSE(level.IsLoaded());
    }
  }
}

TEST(Writer, NothingLoadedWritesNothing) {
  const std::string dir = test::ScratchDir("writer_empty");
  Ttrlevel empty;
  std::string message;
  EXPECT_EQ(WriteLevel(empty, dir + "/out.tr4", &message), kWriteNothingLoaded);
  EXPECT_FALSE(FileExists(dir + "/out.tr4"));
}

TEST(Writer, AFailedSaveLeavesTheOldFile) {
  const std::string dir = test::ScratchDir("writer_fail");
  Ttrlevel level = test::MakeTinyLevel(kTR3);
  std::string message;
  ASSERT_EQ(WriteLevel(level, dir + "/a.tr2", &message), kWriteOk) << message;
  const Bytes before = ReadWholeFile(dir + "/a.tr2");
  EXPECT_EQ(WriteLevel(level, dir + "/no/such/folder/a.tr2", &message), kWriteFailed);
  EXPECT_NE(message.find("no/such/folder"), std::string::npos) << message;
  EXPECT_EQ(ReadWholeFile(dir + "/a.tr2"), before);
}

TEST(Writer, RoomSizeWordsFollowTheGeometry) {
  Ttrlevel level = test::MakeTinyLevel(kTR2);
  auto& room = level.rooms[0];
  room.vertices2.resize(10);
  room.vertices1.resize(10);
  room.rectangles.resize(4);
  room.triangles.resize(2);
  room.sprites.clear();
  Written(level, "a.tr2");
  EXPECT_EQ(room.num_data_words, 92u);
}

TEST(Tr4, UnchangedChunksKeepTheirPackedBytesAndEditsRepack) {
  Ttrlevel level = test::MakeTinyLevel(kTR4);
  const Bytes file = Written(level, "a.tr4");
  Ttrlevel read;
  ASSERT_EQ(ReadLevelBytes(read, file, "a.tr4"), kReadOk);
  EXPECT_EQ(read.level_data_end, Bytes(6, 0));
  EXPECT_EQ(Written(read, "a.tr4"), file);

  // Replace a chunk's packed bytes with another valid stream of the same content: an
  // unedited save must copy them as they are, not pack again.
  Ttrlevel odd;
  ASSERT_EQ(ReadLevelBytes(odd, file, "a.tr4"), kReadOk);
  odd.origin.pages32.packed = PackBlock(odd.pages32.bytes(), odd.pages32.size(), 1);
  const Bytes with_odd = Written(odd, "a.tr4");
  EXPECT_NE(with_odd, file);
  Ttrlevel again;
  ASSERT_EQ(ReadLevelBytes(again, with_odd, "a.tr4"), kReadOk);
  EXPECT_EQ(Written(again, "a.tr4"), with_odd);

  // An item edit changes the level data chunk only.
  titem2 item = read.items2[0];
  item.x += 1024;
  StoreItem(read, 0, item);
  const Bytes edited = Written(read, "a.tr4");
  Ttrlevel back;
  ASSERT_EQ(ReadLevelBytes(back, edited, "a.tr4"), kReadOk);
  EXPECT_EQ(+back.items2[0].x, item.x);
  EXPECT_EQ(back.FirstDifference(read), "");
}

// Extended level editors put a longer word table where the byte list and word table stand.
TEST(Tr4, ExtendedWordTableLayoutIsReadAndWrittenFaithfully) {
  Ttrlevel level = test::MakeTinyLevel(kTR4);
  level.byte_list.clear();
  level.extended_word_table.assign(2048, 0xFFFF);
  for (size_t i = 0; i < 2048; i += 3) level.extended_word_table[i] = static_cast<uint16_t>(i);
  level.records8.resize(4);
  level.index_list = {0, 1, 2, 3};
  level.tail_data = {'N', 'G', 'L', 'E', 0, 0, 0, 0};
  const Bytes file = Written(level, "ng.tr4");
  Ttrlevel read;
  std::string message;
  ASSERT_EQ(ReadLevelBytes(read, file, "ng.tr4", &message), kReadOk) << message;
  EXPECT_EQ(read.extended_word_table, level.extended_word_table);
  EXPECT_TRUE(read.byte_list.empty());
  EXPECT_EQ(read.records8.size(), 4u);
  EXPECT_EQ(read.index_list.size(), 4u);
  EXPECT_EQ(Written(read, "ng.tr4"), file);

  // The usual layout stays the usual layout.
  Ttrlevel plain = test::MakeTinyLevel(kTR4);
  const Bytes plain_file = Written(plain, "p.tr4");
  ASSERT_EQ(ReadLevelBytes(read, plain_file, "p.tr4"), kReadOk);
  EXPECT_TRUE(read.extended_word_table.empty());
  EXPECT_EQ(read.byte_list, plain.byte_list);
}

TEST(Tr5, EditedRoomsAreWrittenAsOneLayerThatReadsBackTheSame) {
  Ttrlevel level = test::MakeTinyLevel(kTR5);
  const Bytes file = Written(level, "a.trc");
  Ttrlevel read;
  std::string message;
  ASSERT_EQ(ReadLevelBytes(read, file, "a.trc", &message), kReadOk) << message;
  ASSERT_EQ(read.rooms[0].num_layers(), 1u);
  EXPECT_EQ(Written(read, "a.trc"), file);

  tvertex2 v = read.rooms[0].vertices2[1];
  v.y = -256;
  StoreVertex(read.rooms[0], 1, v);
  const Bytes edited = Written(read, "a.trc");
  Ttrlevel back;
  ASSERT_EQ(ReadLevelBytes(back, edited, "a.trc", &message), kReadOk) << message;
  EXPECT_EQ(+back.rooms[0].vertices2[1].y, -256);
  EXPECT_EQ(back.FirstDifference(read), "");
  EXPECT_EQ(Written(back, "a.trc"), edited);
}

}  // namespace
}  // namespace qavel
