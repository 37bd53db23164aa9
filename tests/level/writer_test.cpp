// Writing levels: what the writer computes is returned, never written into the level; unchanged
// parts keep their bytes; edits reach the file; a failed save keeps the old file.

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/tiny_level.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/zfile.h"
#include "test_paths.h"

namespace qavel {
namespace {

WrittenLevel Write(const Ttrlevel& level, const std::string& name) {
  auto written = WriteLevelBytes(level, name);
  EXPECT_TRUE(written) << written.message();
  return written ? std::move(*written) : WrittenLevel{};
}

Ttrlevel Read(const Bytes& file, const std::string& name) {
  auto level = ReadLevelBytes(file, name);
  EXPECT_TRUE(level) << level.message();
  return level ? std::move(*level) : Ttrlevel{};
}

// Writes and reads back; the level with the values the writer computed must equal what was
// read, and writing what was read must give the same bytes.
Ttrlevel RoundTrip(const Ttrlevel& level, const std::string& name) {
  const WrittenLevel written = Write(level, name);
  Ttrlevel back = Read(written.bytes, name);
  Ttrlevel expected = level;
  AdoptFileValues(expected, written.values);
  EXPECT_EQ(back.FirstDifference(expected), "");
  EXPECT_EQ(Write(back, name).bytes, written.bytes);
  return back;
}

TEST(Writer, TheOutputNameChoosesTheTr1VariantButNotTheLevelsGeneration) {
  const Ttrlevel level = test::MakeTinyLevel(kTR1);
  const WrittenLevel phd = Write(level, "x.phd");
  const WrittenLevel tub = Write(level, "x.tub");
  EXPECT_EQ(tub.values.version_kind, kTR1Tub);
  EXPECT_EQ(phd.bytes.size(), tub.bytes.size());
  EXPECT_NE(phd.bytes, tub.bytes);  // the palette moved
  EXPECT_EQ(Read(tub.bytes, "x.tub").palette, level.palette);
  // Saving as .tub through the file path leaves the shown level as it was.
  Ttrlevel shown = test::MakeTinyLevel(kTR1);
  const auto values = WriteLevel(shown, test::ScratchDir("writer_tub") + "/x.tub");
  ASSERT_TRUE(values) << values.message();
  EXPECT_EQ(values->version_kind, kTR1Tub);
  EXPECT_EQ(shown.version_kind, kTR1);
  // TR4 stays TR4 whatever the name.
  EXPECT_EQ(Write(test::MakeTinyLevel(kTR4), "x.trc").values.version_kind, kTR4);
}

TEST(Writer, RoomSizeWordsFollowTheGeometry) {
  Ttrlevel level = test::MakeTinyLevel(kTR2);
  auto& room = level.rooms[0];
  room.vertices2.resize(10);
  room.vertices1.resize(10);
  room.rectangles.resize(4);
  room.triangles.resize(2);
  room.sprites.clear();
  EXPECT_EQ(Write(level, "a.tr2").values.rooms[0].num_data_words, 92u);
  EXPECT_EQ(RoundTrip(level, "a.tr2").rooms[0].num_data_words, 92u);
}

TEST(Writer, NothingLoadedWritesNothingAndAFailedSaveKeepsTheOldFile) {
  const std::string dir = test::ScratchDir("writer_fail");
  EXPECT_EQ(WriteLevel(Ttrlevel{}, dir + "/out.tr4").result().status(), Status::kNothingLoaded);
  EXPECT_FALSE(FileExists(dir + "/out.tr4"));

  const Ttrlevel level = test::MakeTinyLevel(kTR3);
  ASSERT_TRUE(WriteLevel(level, dir + "/a.tr2"));
  const Bytes before = ReadWholeFile(dir + "/a.tr2")->ToBytes();
  const auto failed = WriteLevel(level, dir + "/no/such/folder/a.tr2");
  EXPECT_EQ(failed.result().status(), Status::kFailed);
  EXPECT_NE(failed.message().find("no/such/folder"), std::string::npos) << failed.message();
  EXPECT_EQ(ReadWholeFile(dir + "/a.tr2")->ToBytes(), before);
}

// The written file's sections follow each other without gaps or overlaps up to its end, so that
// a difference is told in the section it lies in; TR4 level data's sections likewise in the
// unpacked level data.
TEST(Writer, SectionsNameEveryByteInFileOrder) {
  for (const auto& [kind, name] :
       {std::pair{kTR1, "a.phd"}, std::pair{kTR1Tub, "a.tub"}, std::pair{kTR2, "a.tr2"},
        std::pair{kTR3, "a.tr2"}, std::pair{kTR4, "a.tr4"}, std::pair{kTR5, "a.trc"}}) {
    const auto written = WriteLevelBytes(test::MakeTinyLevel(kind), name, {}, Sections::kRecord);
    ASSERT_TRUE(written) << written.message();
    size_t file_end = 0, data_end = 0;
    bool room = false;
    for (const SectionSpan& s : written->sections) {
      size_t& end = s.name.rfind(kLevelDataSpanPrefix, 0) == 0 ? data_end : file_end;
      EXPECT_EQ(s.begin, end) << kind << " " << s.name;
      end = s.end;
      room |= s.name.ends_with("room 1");
    }
    EXPECT_EQ(file_end, written->bytes.size()) << kind;
    if (kind == kTR4) {
      EXPECT_EQ(data_end, Read(written->bytes, name).origin.level_data.unpacked.size());
    }
    EXPECT_TRUE(room) << kind;
  }
}

TEST(Tr4, UnchangedChunksKeepTheirPackedBytesAndEditsRepack) {
  const Bytes file = Write(test::MakeTinyLevel(kTR4), "a.tr4").bytes;
  Ttrlevel read = Read(file, "a.tr4");
  EXPECT_EQ(read.level_data_end, Bytes(6, 0));

  // Another valid stream of the same content in a chunk: an unedited save copies it as it is.
  Ttrlevel odd = read;
  odd.origin.pages32.packed =
      SharedBlock::Of(*PackBlock(odd.pages32.bytes(), odd.pages32.size(), 1));
  const Bytes with_odd = Write(odd, "a.tr4").bytes;
  EXPECT_NE(with_odd, file);
  EXPECT_EQ(Write(Read(with_odd, "a.tr4"), "a.tr4").bytes, with_odd);

  titem2 item = read.items2[0];
  item.x += 1024;
  StoreItem(read, 0, item);
  EXPECT_EQ(+RoundTrip(read, "a.tr4").items2[0].x, item.x);
}

TEST(Tr5, EditedRoomsAreWrittenAsOneLayerThatReadsBackTheSame) {
  const Ttrlevel read = RoundTrip(test::MakeTinyLevel(kTR5), "a.trc");
  ASSERT_EQ(read.rooms[0].num_layers(), 1u);
  Ttrlevel edited = read;
  tvertex2 v = edited.rooms[0].vertices2[1];
  v.y = -256;
  StoreVertex(edited.rooms[0], 1, v);
  EXPECT_EQ(+RoundTrip(edited, "a.trc").rooms[0].vertices2[1].y, -256);
}

// The room header values the Experiments page edits: those the file keeps as they are reach it;
// the last five are where the file locates the room's layers, vertices and faces, so the writer
// computes them on every save and an edit of them cannot reach the file.
TEST(Tr5, HeaderValuesReachTheFileWhereTheFileKeepsThem) {
  const Ttrlevel read = RoundTrip(test::MakeTinyLevel(kTR5), "a.trc");
  Ttrlevel edited = read;
  troom& room = edited.rooms[1];
  for (uint32_t* field :
       {&room.trc_unknown1, &room.trc_unknown2, &room.trc_unknown3, &room.trc_unknown4,
        &room.trc_unknown6, &room.trc_unknown7[2], &room.trc_unknown9, &room.trc_unknown10})
    *field = 0x12345678;
  const Ttrlevel back_level = RoundTrip(edited, "a.trc");
  const troom& back = back_level.rooms[1];
  for (uint32_t value :
       {back.trc_unknown1, back.trc_unknown2, back.trc_unknown3, back.trc_unknown4,
        back.trc_unknown6, back.trc_unknown7[2], back.trc_unknown9, back.trc_unknown10})
    EXPECT_EQ(value, 0x12345678u);

  Ttrlevel located = read;
  located.rooms[1].trc_unknown11 = {1, 2, 3, 4, 5};
  EXPECT_EQ(Write(located, "a.trc").bytes, Write(read, "a.trc").bytes);
}

}  // namespace
}  // namespace qavel
