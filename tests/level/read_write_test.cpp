// Reading and writing levels of every generation, and the model's derived values and shared
// points.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "demo/demo_level.h"
#include "fixtures/test_level.h"
#include "level/level_reader.h"
#include "level/level_writer.h"
#include "level/trc_room.h"
#include "level/zfile.h"
#include "peak_memory.h"
#include "test_paths.h"

namespace qavel {
namespace {

// A file name of each generation, kTR1 (1) to kTR5 (7).
const char* NameFor(int32_t kind) {
  static const char* const names[] = {"",         "tiny.phd",  "tiny.tub", "tiny.tr2",
                                      "tiny.trg", "tiny3.tr2", "tiny.tr4", "tiny.trc"};
  return names[kind];
}

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

// The TR4 file with packed chunk `index` (0 to 3, the level data last) replaced by a stream and
// the size word stated for it.
Bytes WithChunk(const Bytes& file, int index, uint32_t size_word, const Bytes& stream) {
  size_t p = 10;
  uint32_t packed = 0;
  for (int i = 0;; ++i) {
    std::memcpy(&packed, file.data() + p + 4, 4);
    if (i == index) break;
    p += 8 + packed;
  }
  Bytes out(file.begin(), file.begin() + long(p));
  const uint32_t words[2] = {size_word, static_cast<uint32_t>(stream.size())};
  out.insert(out.end(), reinterpret_cast<const uint8_t*>(words),
             reinterpret_cast<const uint8_t*>(words) + 8);
  out.insert(out.end(), stream.begin(), stream.end());
  out.insert(out.end(), file.begin() + long(p + 8 + packed), file.end());
  return out;
}

class EveryGeneration : public ::testing::TestWithParam<int32_t> {};

// Write, read, write: the same bytes, and the level read is the one written with the values the
// writer computed. The written file's sections follow each other without gaps or overlaps up to
// its end, so that a difference is told in the section it lies in; TR4 level data's sections
// likewise in the unpacked level data. Every prefix of the file is refused as damaged, with one
// line naming the file; a file cut inside its samples names the sample and where it ends.
TEST_P(EveryGeneration, RoundTripsAndTruncatedFilesAreRefusedCleanly) {
  const int32_t kind = GetParam();
  Ttrlevel level = test::MakeTinyLevel(kind);
  if (kind >= kTR4) {  // two samples, each an unpacked size, a stored size and the stored bytes
    level.tail_count = 2;
    level.tail_data = SharedBlock::Of({6, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd',  //
                                       3, 0, 0, 0, 3, 0, 0, 0, 'x', 'y', 'z'});
  }
  const Ttrlevel read = RoundTrip(level, NameFor(kind));
  EXPECT_EQ(read.version_kind, kind);
  const auto written = WriteLevelBytes(level, NameFor(kind), {}, Sections::kRecord);
  ASSERT_TRUE(written) << written.message();
  size_t file_end = 0, data_end = 0;
  bool room = false;
  for (const SectionSpan& s : written->sections) {
    size_t& end = s.name.rfind(kLevelDataSpanPrefix, 0) == 0 ? data_end : file_end;
    EXPECT_EQ(s.begin, end) << s.name;
    end = s.end;
    room |= s.name.ends_with("room 1");
  }
  EXPECT_EQ(file_end, written->bytes.size());
  if (kind == kTR4) {
    EXPECT_EQ(data_end, read.origin.level_data.unpacked.size());
  }
  EXPECT_TRUE(room);
  const Bytes& file = written->bytes;
  const size_t step = std::max<size_t>(1, file.size() / 400);
  for (size_t n = 4; n < file.size(); n += n + 64 < file.size() ? step : 1) {
    const auto level = ReadLevelBytes(Bytes(file.begin(), file.begin() + long(n)), NameFor(kind));
    ASSERT_FALSE(level) << "prefix of " << n << " bytes read as a whole level";
    EXPECT_EQ(level.result().status(), Status::kDamaged) << n;
    EXPECT_EQ(level.message().find('\n'), std::string::npos);
    EXPECT_NE(level.message().find(NameFor(kind)), std::string::npos) << level.message();
  }
  if (kind < kTR4) return;
  const size_t end = file.size(), first = end - 23;
  const auto short_by_one = ReadLevelBytes(Bytes(file.begin(), file.end() - 1), NameFor(kind));
  EXPECT_EQ(short_by_one.message(),
            std::string(NameFor(kind)) + ", samples, at offset " + std::to_string(end - 11) +
                ": sample 1 ends at byte " + std::to_string(end) + " but the file ends at byte " +
                std::to_string(end - 1) + " (2 samples from byte " + std::to_string(first) + ")");
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

// Reading and writing report 0 to 100 in order, then 0 again.
TEST(Progress, MovesFromZeroToHundredAndBackWhileReadingAndWriting) {
  const std::string dir = test::ScratchDir("progress");
  for (int32_t kind : {kTR4, kTR5}) {
    const std::string path = dir + "/" + NameFor(kind);
    std::vector<int> read, written;
    ASSERT_TRUE(WriteLevel(test::MakeTinyLevel(kind), path, [&](int p) { written.push_back(p); }));
    ASSERT_TRUE(ReadLevel(path, [&](int p) { read.push_back(p); }));
    for (const auto* seen : {&read, &written}) {
      ASSERT_GE(seen->size(), 4u);
      EXPECT_EQ(seen->front(), 0);
      EXPECT_EQ((*seen)[seen->size() - 2], 100);
      EXPECT_EQ(seen->back(), 0);
      EXPECT_TRUE(std::is_sorted(seen->begin(), seen->end() - 1)) << kind;
    }
  }
}

TEST(Refusals, SayWhatIsWrong) {
  const Bytes file = Write(test::MakeTinyLevel(kTR2), "a.tr2").bytes;
  // Where the page count and room 0's vertex count stand in a TR2 file.
  const size_t pages = 4 + 768 + 1024, vertices = pages + 4 + 65536 + 131072 + 4 + 2 + 20;
  struct Case {
    Bytes bytes;
    Status status;
    std::vector<std::string> says;
  };
  for (const Case& c : std::vector<Case>{
           {test::Patched(file, 0, uint8_t{0x21}),
            Status::kUnknownVersion,
            {"a.tr2 is not a level file (version word 33)"}},
           {Bytes{1, 2}, Status::kUnknownVersion, {"version word missing"}},
           // "TR4" and 0x63, as some level builders scramble their files.
           {test::Patched(file, 0, uint32_t{0x63345254}),
            Status::kUnknownVersion,
            {"a.tr2 is an encrypted level; Qavel cannot read it"}},
           {test::Patched(file, pages, uint32_t{0xFFFFFFF0}),
            Status::kDamaged,
            {"texture pages", "4294967280"}},
           // A vertex count beyond the model's capacity.
           {test::Patched(file, vertices, uint16_t{1501}), Status::kDamaged, {"room 0", "1501"}}}) {
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
      const Bytes garbage = test::Patched(test::Noise(3000), 0, version);
      EXPECT_EQ(ReadLevelBytes(garbage, name).result().status(), Status::kDamaged) << name;
    }
  }
}

// What packed chunks may unpack to is fixed by the file's own header: the page counts bound the
// texture chunks, a size word bounds its chunk, and no level holds more than a few megabytes of
// level data. A file claiming more, or a chunk that cannot be a zlib stream of its size, is
// refused before anything is unpacked; level data whose stream holds more than its size word as
// soon as the stream passes it. Texture pages are unpacked on first use, so a stream damaged
// further in opens; its first use fails in one line naming the chunk and the pages read as
// zeros; an unedited save still copies the chunk as the file holds it, a save that must repack
// it refuses, and the level equals only levels holding the same stream.
TEST(Refusals, PackedChunksUnpackNoMoreThanTheFileCanNeed) {
  const Bytes file =
      test::Patched(Write(test::MakeTinyLevel(kTR4), "b.tr4").bytes, 4, std::array<uint16_t, 3>{1});
  const Bytes zeros(64 << 20, 0);
  const Bytes bomb = *PackBlock(zeros.data(), zeros.size(), 1);
  const Bytes texels = test::Noise(262144);
  const Bytes stream = *PackBlock(texels.data(), texels.size());
  Bytes header = stream, hurt = stream;
  header[1] ^= 1;
  hurt[hurt.size() / 2] ^= 0xFF;
  const Bytes cut(stream.begin(), stream.begin() + long(stream.size() / 2));
  const Bytes short_stream = *PackBlock(texels.data(), 100000);
  struct Case {
    Bytes bytes;
    std::string on_open;  // the refusal, or empty when the file opens
    std::string on_use;   // the first use's failure
  };
  const std::string at18 = "b.tr4, 32-bit pages chunk, at offset 18: ";
  for (const Case& c : std::vector<Case>{
           {WithChunk(file, 0, 512u << 20, bomb),
            at18 + "size 536870912 exceeds the 262144 bytes that page counts 1 + 0 + 0 need"},
           {test::Patched(file, 4, uint16_t{600}),
            "b.tr4, page counts, at offset 10: page counts 600 + 0 + 0 exceed the 512 texture "
            "pages a level holds"},
           {WithChunk(file, 2, 4u << 20, bomb), "exceeds the 2097152 bytes the chunk holds"},
           {WithChunk(file, 3, 100u << 20, bomb), "exceeds the 67108864 bytes a level holds"},
           {WithChunk(file, 3, 1000, bomb), "unpacks to more than the 1000 bytes stated"},
           {WithChunk(file, 0, 262144, header),
            at18 + "packed data is damaged: incorrect header check"},
           {WithChunk(file, 0, 262144, *PackBlock(texels.data(), 0)),
            at18 + "packed data is damaged: 8 bytes cannot unpack to the 262144 bytes stated"},
           {WithChunk(file, 0, 262144, Bytes(stream.begin(), stream.begin() + 7)),
            at18 + "packed data ends early (truncated zlib stream)"},
           {WithChunk(file, 0, 262144, bomb), "",
            at18 + "packed data unpacks to more than the 262144 bytes stated"},
           {WithChunk(file, 0, 262144, short_stream), "",
            at18 + "packed data unpacks to 100000 bytes, not the 262144 stated"},
           {WithChunk(file, 0, 262144, cut), "",
            at18 + "packed data ends early (truncated zlib stream)"},
           {WithChunk(file, 0, 262144, hurt), "", at18 + "packed data is damaged: "},
       }) {
    const auto level = ReadLevelBytes(c.bytes, "b.tr4");
    if (!c.on_open.empty()) {
      ASSERT_FALSE(level) << c.on_open;
      EXPECT_EQ(level.result().status(), Status::kDamaged);
      EXPECT_NE(level.message().find(c.on_open), std::string::npos) << level.message();
      continue;
    }
    ASSERT_TRUE(level) << level.message();
    EXPECT_EQ(Write(*level, "b.tr4").bytes, c.bytes);
    EXPECT_TRUE(level->pages32.IsPacked()) << "an unedited save unpacked the pages";
    const Result use = UnpackTexturePages(*level);
    EXPECT_EQ(use.status(), Status::kDamaged);
    EXPECT_EQ(use.message().rfind(c.on_use, 0), 0u) << use.message();
    EXPECT_EQ(use.message().find('\n'), std::string::npos);
    EXPECT_EQ(level->pages32.ToBytes(), Bytes(262144, 0));

    Ttrlevel other = test::MakeTinyLevel(kTR4);  // levels that took these pages
    other.pages32 = level->pages32;
    EXPECT_EQ(WriteLevelBytes(other, "b.tr4").message(), use.message());
    Ttrlevel classic = test::MakeTinyLevel(kTR3);
    classic.pages8 = level->pages32.Slice(0, 65536);
    EXPECT_EQ(WriteLevelBytes(classic, "b.tr2").message(), use.message());
    EXPECT_TRUE(Read(c.bytes, "b.tr4") == *level);
    Ttrlevel zeroed = *level;
    zeroed.pages32 = SharedBlock::Of(Bytes(262144, 0));
    EXPECT_FALSE(zeroed == *level);
  }
  // Four chunks of 64 MiB of zeros each, honestly stated, where the page counts say one page:
  // refused for the memory of the first page.
  Bytes four = file;
  for (int i = 0; i < 4; ++i) four = WithChunk(four, i, 64u << 20, bomb);
  const long kib = test::PeakGrowthKiB([&four] { return !ReadLevelBytes(four, "b.tr4"); });
  EXPECT_GE(kib, 0);
  EXPECT_LT(kib, 16 << 10) << "KiB to refuse the file";
}

// A count that is wrong shifts every table after it; the reader may then still reach the end,
// leaving much of the level data unread. Such a level opens with a warning naming the bytes;
// the six end bytes real TR4 and TR5 levels carry pass without one.
TEST(ReadWarnings, MuchUnreadLevelDataIsReported) {
  for (int32_t kind : {kTR2, kTR4, kTR5}) {
    for (size_t end : {size_t{6}, size_t{64}, size_t{65}, size_t{5000}}) {
      Ttrlevel level = test::MakeTinyLevel(kind);
      level.level_data_end = Bytes(end, 0xEE);
      const Ttrlevel read = Read(Write(level, NameFor(kind)).bytes, NameFor(kind));
      EXPECT_EQ(read.level_data_end.size(), end);
      const auto& w = read.origin.read_warnings;
      EXPECT_TRUE(end <= 64
                      ? w.empty()
                      : w.size() == 1 && w[0].ends_with(": " + std::to_string(end) +
                                                        " bytes after the last table are left "
                                                        "unread; a count before them may be "
                                                        "damaged"))
          << kind << " " << end << ": " << (w.empty() ? "no warning" : w[0]);
    }
  }
  // The damaged count itself: the mesh pointers said to be one, in our demo level and in the
  // real TR4 level. Refused, or read with the warning; never read silently.
  std::vector<std::pair<std::string, Ttrlevel>> levels = {{"demo.tr4", BuildDemoLevel()}};
  if (const auto real = test::RealLevel("TR4"))
    levels.emplace_back("real.tr4", test::ReadLevelOrFail(*real));
  for (const auto& [name, level] : levels) {
    const auto written = WriteLevelBytes(level, name, {}, Sections::kRecord);
    ASSERT_TRUE(written) << written.message();
    Bytes data = Read(written->bytes, name).origin.level_data.unpacked.ToBytes();
    for (const auto& span : written->sections)
      if (span.name == std::string(kLevelDataSpanPrefix) + "mesh pointers")
        std::memcpy(data.data() + span.begin, "\1\0\0\0", 4);
    const Bytes file = WithChunk(written->bytes, 3, static_cast<uint32_t>(data.size()),
                                 *PackBlock(data.data(), data.size()));
    const auto damaged = ReadLevelBytes(file, name);
    if (!damaged) {
      EXPECT_EQ(damaged.result().status(), Status::kDamaged);
      EXPECT_EQ(damaged.message().find('\n'), std::string::npos);
      continue;
    }
    EXPECT_EQ(damaged->num_mesh_pointers(), 1u);
    EXPECT_EQ(damaged->origin.read_warnings.size(), 1u) << name << " read silently";
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
  const Bytes file = Write(level, "ng.tr4").bytes;
  const Ttrlevel read = Read(file, "ng.tr4");
  const auto tables = [](const Ttrlevel& l) {
    return std::tie(l.extended_word_table, l.byte_list, l.records8, l.index_list);
  };
  EXPECT_TRUE(tables(read) == tables(level));
  EXPECT_EQ(Write(read, "ng.tr4").bytes, file);
}

// The output name chooses the TR1 variant but not the level's generation; nothing loaded writes
// nothing, and a failed save keeps the old file.
TEST(Writer, TheOutputNameChoosesTheTr1VariantAndAFailedSaveKeepsTheOldFile) {
  const Ttrlevel level = test::MakeTinyLevel(kTR1);
  const WrittenLevel phd = Write(level, "x.phd");
  const WrittenLevel tub = Write(level, "x.tub");
  EXPECT_EQ(tub.values.version_kind, kTR1Tub);
  EXPECT_EQ(phd.bytes.size(), tub.bytes.size());
  EXPECT_NE(phd.bytes, tub.bytes);  // the palette moved
  EXPECT_EQ(Read(tub.bytes, "x.tub").palette, level.palette);
  const std::string dir = test::ScratchDir("writer");
  const auto values = WriteLevel(level, dir + "/x.tub");
  ASSERT_TRUE(values) << values.message();
  EXPECT_EQ(values->version_kind, kTR1Tub);
  EXPECT_EQ(Write(test::MakeTinyLevel(kTR4), "x.trc").values.version_kind, kTR4);

  EXPECT_EQ(WriteLevel(Ttrlevel{}, dir + "/out.tr4").result().status(), Status::kNothingLoaded);
  EXPECT_FALSE(FileExists(dir + "/out.tr4"));
  const Ttrlevel tr3 = test::MakeTinyLevel(kTR3);
  ASSERT_TRUE(WriteLevel(tr3, dir + "/a.tr2"));
  const Bytes before = ReadWholeFile(dir + "/a.tr2")->ToBytes();
  const auto failed = WriteLevel(tr3, dir + "/no/such/folder/a.tr2");
  EXPECT_EQ(failed.result().status(), Status::kFailed);
  EXPECT_NE(failed.message().find("no/such/folder"), std::string::npos) << failed.message();
  EXPECT_EQ(ReadWholeFile(dir + "/a.tr2")->ToBytes(), before);
}

TEST(Writer, RoomSizeWordsFollowTheGeometry) {
  Ttrlevel level = test::MakeTinyLevel(kTR2);
  auto& room = level.rooms[0];
  room.vertices2.resize(10);
  room.vertices1.resize(10);
  room.rectangles.resize(4);
  room.triangles.resize(2);
  EXPECT_EQ(Write(level, "a.tr2").values.rooms[0].num_data_words, 94u);
  EXPECT_EQ(RoundTrip(level, "a.tr2").rooms[0].num_data_words, 94u);
}

// Edits reach the file: a moved vertex (its room written as one layer), and the room header
// values the Experiments page edits where the file keeps them as they are; the last five are where
// the file locates the room's layers, vertices and faces, so the writer computes them on every
// save and an edit of them cannot reach the file.
TEST(Tr5, EditsReachTheFileWhereTheFileKeepsThem) {
  const Ttrlevel read = RoundTrip(test::MakeTinyLevel(kTR5), "a.trc");
  ASSERT_EQ(read.rooms[0].num_layers(), 1u);
  const auto kept = [](troom& r) {
    return std::array{&r.trc_unknown1, &r.trc_unknown2,    &r.trc_unknown3, &r.trc_unknown4,
                      &r.trc_unknown6, &r.trc_unknown7[2], &r.trc_unknown9, &r.trc_unknown10};
  };
  Ttrlevel edited = read;
  tvertex2 v = edited.rooms[0].vertices2[1];
  v.y = -256;
  StoreVertex(edited.rooms[0], 1, v);
  for (uint32_t* field : kept(edited.rooms[1])) *field = 0x12345678;
  Ttrlevel back = RoundTrip(edited, "a.trc");
  EXPECT_EQ(+back.rooms[0].vertices2[1].y, -256);
  for (uint32_t* field : kept(back.rooms[1])) EXPECT_EQ(*field, 0x12345678u);

  Ttrlevel located = read;
  located.rooms[1].trc_unknown11 = {1, 2, 3, 4, 5};
  EXPECT_EQ(Write(located, "a.trc").bytes, Write(read, "a.trc").bytes);
}

// A TR5 room with one layer, written from its merged lists as an edited room is, gives the
// file's own bytes: the one-layer writer agrees with the files the game ships.
TEST(RealLevels, Tr5OneLayerRoomsWrittenFromTheirMergedListsKeepTheirBytes) {
  QAVEL_REAL_LEVEL_OR_SKIP(path, "TR5");
  const Ttrlevel level = test::ReadLevelOrFail(path);
  size_t checked = 0;
  for (size_t r = 0; r < level.rooms.size(); ++r) {
    troom room = level.rooms[r];
    if (room.num_layers() != 1 ||
        room.tr5_layers[0].triangles.size() + room.tr5_layers[0].rectangles.size() < 2)
      continue;
    ByteWriter as_read;
    WriteTrcRoom(as_read, room);
    // Disturb the kept layer so the room counts as edited; its merged lists are unchanged.
    auto& block = room.tr5_layers[0];
    if (!block.rectangles.empty())
      block.rectangles[0].texture ^= 1;
    else
      block.triangles[0].texture ^= 1;
    ASSERT_FALSE(Tr5GeometryAsRead(room));
    ByteWriter merged;
    WriteTrcRoom(merged, room);
    EXPECT_TRUE(as_read.Take() == merged.Take()) << "room " << r;
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

// The shipped demo level (that it is what make-demo writes: the command-line tests; that it
// reads back as written and refers only to what it has: the sweep over the levels) is small,
// and its records agree where no check looks: faces with distinct corners, animation frames
// whose rotation words fill them exactly, and the two forms of the texture pages holding the
// same picture.
TEST(DemoLevel, RecordsAgreeWhereNoCheckLooks) {
  EXPECT_LT(ReadWholeFile(test::DataPath("demo.tr4"))->size(), 400u * 1024);
  const Ttrlevel L = test::ReadLevelOrFail(test::DataPath("demo.tr4"));
  ASSERT_EQ(L.num_rooms(), 4);
  int flags = 0;
  for (const troom& room : L.rooms) {
    for (const auto& f : room.rectangles)
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 4).size(), 4u);
    for (const auto& f : room.triangles)
      EXPECT_EQ(std::set<uint16_t>(f.vertices, f.vertices + 3).size(), 3u);
    flags |= room.flags;
  }
  EXPECT_EQ(flags & 0x29, 0x29) << "water, sky and outdoor rooms";

  bool multi = false;
  for (const tmovable& mv : L.movables) {
    ASSERT_LT(mv.animation, L.num_animations());
    const uint8_t frame_size = L.animations[mv.animation].raw[5];
    // Two words for a rotation about three axes, one for one axis.
    size_t f = mv.frame_offset / 2 + 9;
    for (int n = 0; n < mv.num_meshes; ++n) f += (L.frames.at(f) & 0xC000) ? 1 : 2;
    EXPECT_EQ(f, mv.frame_offset / 2 + frame_size) << "movable " << mv.object_id;
    multi |= mv.num_meshes > 1;
  }
  EXPECT_TRUE(multi);

  ASSERT_EQ(L.pages32.size(), 2u * L.pages16.size());
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
}

TEST(AnimatedTextures, GroupsAreNumberedFromOne) {
  Ttrlevel level;
  level.object_textures.resize(12);
  level.animated_textures = {2, 1, 7, 8, 0, 9};
  DeriveAnimatedTextureGroups(level);
  std::string groups;
  for (const auto& t : level.object_textures) groups += std::to_string(t.anim_group);
  EXPECT_EQ(groups, "000000011200");
  // Numbers beyond the table and lists shorter than they claim are ignored, never written.
  level.animated_textures = {5, 3, 11, 500, 2};
  DeriveAnimatedTextureGroups(level);
  EXPECT_EQ(+level.object_textures[11].anim_group, 1);
}

TEST(Vertices, FindAddSharesPointsAndStopsAtCapacity) {
  troom room;
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x40), 1u);
  EXPECT_EQ(AddVertex(room, 4, 5, 6, 0), 2u);
  EXPECT_EQ(+room.vertices1[0].lighting, 0x4000);
  EXPECT_EQ(+room.vertices2[0].lighting, 0x4000);
  // Found again: the TR1 light is averaged with the new one.
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x80), 1u);
  EXPECT_EQ(static_cast<uint16_t>(room.vertices1[0].lighting) >> 8, 0x60);
  EXPECT_EQ(FindVertex(room, 4, 5, 6), 2u);
  EXPECT_EQ(FindVertex(room, 4, 5, 7), 0u);
  while (room.num_vertices() < RoomCapacity::vertices)
    AddVertex(room, static_cast<int16_t>(room.num_vertices()), 100, 0, 0);
  EXPECT_EQ(AddVertex(room, -1, -1, -1, 0), 0u);
  EXPECT_EQ(room.num_vertices(), RoomCapacity::vertices);
  EXPECT_EQ(room.vertices1.size(), room.vertices2.size());
}

TEST(Tr5Merge, SharedCornersBecomeOneVertex) {
  troom room;
  ttr5_layer_block a, b;
  auto v = [](float x, float y, float z) {  // blue: byte 12 of the rest
    return tvertex5{{}, x, y, z, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8}};
  };
  a.vertices = {v(0, 0, 0), v(1024, 0, 0), v(1024, 0, 1024)};
  a.triangles = {ttriangle5{{}, {0, 1, 2}, 5, 0}};
  // 1023.6 rounds to the same point as 1024; 2.5 rounds to 2 (halves to even).
  b.vertices = {v(1023.6f, 0, 0), v(2048, 0, 0), v(2.5f, 0, 0)};
  b.triangles = {ttriangle5{{}, {0, 1, 2}, 6, 1}};
  room.tr5_layers = {a, b};
  MergeTr5Layers(room);
  ASSERT_EQ(room.num_vertices(), 5u);
  EXPECT_EQ(room.triangles5[1], (ttriangle5{{}, {1, 3, 4}, 6, 1}));  // 1: the shared corner
  EXPECT_EQ(room.triangles[1], (ttriangle{{}, {1, 3, 4}, 6}));
  EXPECT_EQ(std::tuple(+room.vertices2[4].x, +room.vertices2[0].colour), std::tuple(2, 0x1F));
}

TEST(LevelEquality, ComparesEveryTableByContentButNotTheOrigin) {
  Ttrlevel a, b;
  a.rooms.resize(2);
  b.rooms.resize(2);
  b.rooms[1].flags = 1;
  EXPECT_EQ(a.FirstDifference(b), "rooms");
  b.rooms[1].flags = 0;
  b.loaded = true;
  EXPECT_EQ(a.FirstDifference(b), "loaded");
  b.loaded = false;
  // Page blocks compare by content; what the file looked like is not level data.
  a.pages16 = SharedBlock::Of(Bytes(10, 1));
  b.pages16 = SharedBlock::Of(Bytes(10, 1));
  b.origin.pages16.packed = SharedBlock::Of(Bytes(3, 7));
  EXPECT_TRUE(a == b);
  EXPECT_EQ(a.FirstDifference(b), "");
}

}  // namespace
}  // namespace qavel
