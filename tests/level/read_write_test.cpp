// Reading and writing levels of every generation, and the model's derived values and shared
// points. Packing, the ZLIB container, whole-file reads and the safe save.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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
  Bytes out = test::Patched(Bytes(file.begin(), file.begin() + long(p + 8)), p,
                            std::array<uint32_t, 2>{size_word, uint32_t(stream.size())});
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
  // Saving and opening report 0 to 100 in order, then 0 again.
  const std::string path =
      test::ScratchDir("generation" + std::to_string(kind)) + "/" + NameFor(kind);
  std::vector<int> reported[2];
  ASSERT_TRUE(WriteLevel(level, path, [&](int p) { reported[0].push_back(p); }));
  ASSERT_TRUE(ReadLevel(path, [&](int p) { reported[1].push_back(p); }));
  for (const auto& seen : reported)
    EXPECT_TRUE(seen.size() >= 4 && seen.front() == 0 && seen[seen.size() - 2] == 100 &&
                seen.back() == 0 && std::is_sorted(seen.begin(), seen.end() - 1))
        << ::testing::PrintToString(seen);
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
  EXPECT_TRUE(kind != kTR4 || data_end == read.origin.level_data.unpacked.size()) << data_end;
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

TEST(Refusals, SayWhatIsWrong) {
  const Bytes file = Write(test::MakeTinyLevel(kTR2), "a.tr2").bytes;
  // Where the page count and room 0's vertex count stand in a TR2 file.
  const size_t pages = 4 + 768 + 1024, vertices = pages + 4 + 65536 + 131072 + 4 + 2 + 20;
  for (const auto& [bytes, status, says] :
       std::vector<std::tuple<Bytes, Status, std::vector<std::string>>>{
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
    const auto level = ReadLevelBytes(bytes, "a.tr2");
    ASSERT_FALSE(level);
    EXPECT_EQ(level.result().status(), status);
    for (const auto& part : says)
      EXPECT_NE(level.message().find(part), std::string::npos) << level.message();
  }
  // Garbage after a good version word, whatever the name.
  for (uint32_t version : {0x20u, 0x2Du, 0xFF180038u, 0x00345254u})
    for (const char* name : {"g.phd", "g.tr4", "g.trc"})
      EXPECT_EQ(
          ReadLevelBytes(test::Patched(test::Noise(3000), 0, version), name).result().status(),
          Status::kDamaged)
          << name;
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
  for (int32_t kind : {kTR2, kTR4, kTR5})
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
  level.word_table = {};
  level.extended_word_table.assign(2048, 0xFFFF);
  for (size_t i = 0; i < 2048; i += 3) level.extended_word_table[i] = static_cast<uint16_t>(i);
  level.records8.resize(4);
  level.index_list = {0, 1, 2, 3};
  level.tail_data = SharedBlock::Of({'N', 'G', 'L', 'E', 0, 0, 0, 0});
  RoundTrip(level, "ng.tr4");
}

// The output name chooses the TR1 variant but not the level's generation; nothing loaded writes
// nothing; a save that cannot write says where.
TEST(Writer, TheOutputNameChoosesTheTr1VariantAndRefusalsSayWhy) {
  const Ttrlevel level = test::MakeTinyLevel(kTR1);
  const WrittenLevel phd = Write(level, "x.phd");
  const WrittenLevel tub = Write(level, "x.tub");
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
  const auto failed = WriteLevel(level, dir + "/no/such/folder/a.phd");
  EXPECT_EQ(failed.result().status(), Status::kFailed);
  EXPECT_NE(failed.message().find("no/such/folder"), std::string::npos) << failed.message();
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

// The shipped demo level is small, and its records agree where no check looks: faces with
// distinct corners, animation frames whose rotation words fill them exactly, and the two forms of
// the texture pages holding the same picture.
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

TEST(Vertices, FindAddAndLayerMergeSharePointsAndStopAtCapacity) {
  troom room;
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x40), 1u);
  EXPECT_EQ(AddVertex(room, 4, 5, 6, 0), 2u);
  EXPECT_EQ(std::pair(+room.vertices1[0].lighting, +room.vertices2[0].lighting),
            std::pair(0x4000, 0x4000));
  // Found again: the TR1 light is averaged with the new one.
  EXPECT_EQ(AddVertex(room, 1, 2, 3, 0x80), 1u);
  EXPECT_EQ(static_cast<uint16_t>(room.vertices1[0].lighting) >> 8, 0x60);
  EXPECT_EQ(std::pair(FindVertex(room, 4, 5, 6), FindVertex(room, 4, 5, 7)),
            std::pair(size_t{2}, size_t{0}));
  while (room.num_vertices() < RoomCapacity::vertices)
    AddVertex(room, static_cast<int16_t>(room.num_vertices()), 100, 0, 0);
  EXPECT_EQ(AddVertex(room, -1, -1, -1, 0), 0u);
  EXPECT_EQ(room.num_vertices(), RoomCapacity::vertices);
  EXPECT_EQ(room.vertices1.size(), room.vertices2.size());

  // TR5 layers merged: shared corners become one vertex.
  room = troom{};
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

// ---- Packing and files ----

void WriteRaw(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// Small blocks are one stream; large ones are packed as runs on threads and joined. Both must
// be one ordinary zlib stream that unpacks to the data when the stated size allows it. A stream
// never unpacks beyond the size its header states: a few kilobytes of zlib that would become
// 64 MiB of zeros stop at the stated megabyte, without the memory to hold the rest. A stream cut
// short or damaged is refused in one line.
TEST(PackBlock, OneStandardStreamUnpackedNoFurtherThanItsStatedSize) {
  for (size_t n : {size_t{0}, size_t{100000}, size_t{3 * 1024 * 1024 + 17}}) {
    SCOPED_TRACE(n);
    const Bytes data = test::Noise(n, 29, 7);
    const Bytes packed = *PackBlock(data.data(), data.size());
    EXPECT_EQ((packed[0] * 256 + packed[1]) % 31, 0);  // a valid zlib header
    Bytes out(n + 1);
    uLongf len = static_cast<uLongf>(out.size());
    ASSERT_EQ(uncompress(out.data(), &len, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()) && len == n);
    for (uint64_t most : {uint64_t{n}, uint64_t{n} + 10, uint64_t{UINT32_MAX}})
      EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), most)->ToBytes(), data);
  }
  const Bytes zeros(64 << 20, 0);
  const Bytes bomb = *PackBlock(zeros.data(), zeros.size(), 1);
  const Bytes data = test::Noise(100000, 29, 7);
  const Bytes packed = *PackBlock(data.data(), data.size());
  const Bytes garbage(64, 0x55);
  const std::string more = "packed data unpacks to more than the ";
  // The stream, the length read of it, the size stated, and the refusal.
  const std::tuple<const Bytes*, size_t, uint64_t, std::string> cases[] = {
      {&bomb, bomb.size(), 1 << 20, more + "1048576 bytes stated"},
      {&packed, packed.size(), 99999, more + "99999 bytes stated"},
      {&packed, packed.size(), 0, more + "0 bytes stated"},
      {&packed, packed.size() / 2, 1 << 20, "packed data ends early (truncated zlib stream)"},
      {&garbage, garbage.size(), 1 << 20, "packed data is damaged: incorrect header check"}};
  for (const auto& [stream, length, most, message] : cases) {
    const auto r = UnpackBlock(stream->data(), length, most);
    EXPECT_EQ(r.result().status(), Status::kDamaged);
    EXPECT_EQ(r.message(), message);
  }
  const long kib = test::PeakGrowthKiB(
      [&bomb] { return !UnpackBlock(bomb.data(), bomb.size(), uint64_t{1} << 20); });
  EXPECT_GE(kib, 0);
  EXPECT_LT(kib, 16 << 10) << "KiB to refuse a stream stated at 1 MiB";
}

// Containers are unpacked and damaged ones refused naming the file. Only regular files are read:
// a device never ends (that a pipe without a writer is refused at once: the command-line tests).
// Each refusal says why, in the system's words where the system refused.
TEST(ReadWholeFile, UnpacksContainersAndReadsOnlyRegularFilesSayingWhyNot) {
  const std::string dir = test::ScratchDir("read_whole_file");
  const Bytes content = {'h', 'e', 'l', 'l', 'o', ' ', 'l', 'e', 'v', 'e', 'l'};
  const Bytes twelve = {'Z', 'L', 'I', 'B', 1, 0, 0, 0, 1, 0, 0, 0};
  const Bytes packed = test::ZlibContainer(content);
  // What the file holds, whether it is packed, and its content (empty for a refusal).
  for (const auto& [name, bytes, is_packed, want] :
       std::vector<std::tuple<const char*, Bytes, bool, Bytes>>{
           {"plain", content, false, content},
           {"packed", packed, true, content},
           // Exactly 12 bytes starting with ZLIB are plain bytes.
           {"twelve", twelve, false, twelve},
           {"overlong", test::Patched(packed, 4, uint8_t{0xFF}), false, {}},
           {"damaged", test::Patched(packed, 14, uint8_t(~packed[14])), false, {}},
           // The content is longer than the header says.
           {"longer", test::Patched(packed, 8, uint8_t{5}), false, {}},
           // The header says 256 MiB.
           {"huge", test::Patched(packed, 11, uint8_t{0x10}), false, {}}}) {
    SCOPED_TRACE(name);
    const std::string path = dir + "/" + name + ".bin";
    WriteRaw(path, bytes);
    const auto file = TZfile::Read(path);
    if (want.empty()) {
      ASSERT_FALSE(file);
      EXPECT_EQ(file.result().status(), Status::kDamaged);
      EXPECT_NE(file.message().find(path), std::string::npos) << file.message();
      continue;
    }
    ASSERT_TRUE(file) << file.message();
    EXPECT_EQ(file->packed, is_packed);
    EXPECT_EQ(file->content.ToBytes(), want);
  }
  const std::string loop = dir + "/loop", big = dir + "/big";
  std::filesystem::create_symlink("loop", loop);  // a link to itself
  WriteRaw(big, Bytes(2000, 1));
  struct Refusal {
    std::string path;
    uint64_t most;
    Status status;
    std::string message;
  };
  for (const Refusal& c : std::vector<Refusal>{
           {"/dev/zero", kMaxFileSize, Status::kCannotOpen,
            "cannot open /dev/zero: it is a character device, not a regular file"},
           {dir, kMaxFileSize, Status::kCannotOpen, "cannot open " + dir + ": it is a folder"},
           {loop, kMaxFileSize, Status::kCannotOpen,
            "cannot open " + loop + ": " + std::strerror(ELOOP)},
           {dir + "/none", kMaxFileSize, Status::kNoSuchFile, "no such file: " + dir + "/none"},
           {big, 1000, Status::kCannotOpen,
            "cannot open " + big + ": 2000 bytes is too large for a level file (at most 1000)"},
       }) {
    if (c.path.rfind("/dev/", 0) == 0 && !std::filesystem::exists(c.path)) continue;
    const auto file = ReadWholeFile(c.path, c.most);
    EXPECT_EQ(file.result().status(), c.status) << c.path;
    EXPECT_EQ(file.message(), c.message);
  }
}

// Save targets as users have them: a plain file (its permissions kept), a name as long as the
// folder allows, links (written through to their file, the link kept), a missing folder, files that
// must not be replaced by a plain file, and files the user may not write, although the folder lets
// the rename through (a mode without write permission refuses every user, root included).
TEST(WriteFileAtomically, WritesThroughLinksAndRefusesWhatIsNoPlainFileOrReadOnly) {
  const std::string dir = test::ScratchDir("atomic_targets");
  const Bytes content = {4, 5, 6};
  // A plain replacement: the pieces in order, the file's permissions kept.
  WriteRaw(dir + "/plain.tr2", {1, 2, 3});
  chmod((dir + "/plain.tr2").c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(dir + "/plain.tr2", {Bytes{9, 9}, Bytes{8}}));
  EXPECT_EQ(ReadWholeFile(dir + "/plain.tr2")->ToBytes(), (Bytes{9, 9, 8}));
  EXPECT_EQ(std::filesystem::status(dir + "/plain.tr2").permissions(),
            std::filesystem::perms(0640));
  const std::string longest = dir + "/" + std::string(251, 'n') + ".tr4";  // 255 bytes
  WriteRaw(dir + "/real.tr4", {1});
  std::filesystem::create_symlink("real.tr4", dir + "/link.tr4");
  std::filesystem::create_directory(dir + "/sub");
  std::filesystem::create_symlink("sub/made.tr4", dir + "/dangling.tr4");
  std::filesystem::create_symlink("loop", dir + "/loop");
  std::filesystem::create_symlink("/dev/null", dir + "/null");
  ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
  WriteRaw(dir + "/read_only.tr4", {1});
  chmod((dir + "/read_only.tr4").c_str(), 0444);
  std::filesystem::create_symlink("read_only.tr4", dir + "/to_read_only.tr4");
  auto cannot = [&dir](const std::string& name, const std::string& why) {
    return "cannot save " + dir + name + ": " + why;
  };
  // The path saved to, the file that gets the content (empty for a refusal), the refusal.
  for (const auto& [path, written, refusal] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {longest, longest, ""},
           {dir + "/link.tr4", dir + "/real.tr4", ""},
           {dir + "/dangling.tr4", dir + "/sub/made.tr4", ""},
           {dir + "/loop", "", cannot("/loop", std::strerror(ELOOP))},
           {dir + "/null", "", cannot("/null", "it is a character device, not a regular file")},
           {dir + "/pipe", "", cannot("/pipe", "it is a pipe, not a regular file")},
           {dir + "/sub", "", cannot("/sub", "it is a folder")},
           {dir + "/missing/level.tr4", "", cannot("/missing/level.tr4", std::strerror(ENOENT))},
           {dir + "/read_only.tr4", "", dir + "/read_only.tr4 is read-only"},
           {dir + "/to_read_only.tr4", "", dir + "/to_read_only.tr4 is read-only"},
       }) {
    const Result r = WriteFileAtomically(path, content);
    if (written.empty()) {
      EXPECT_EQ(r.status(), Status::kCannotOpen) << path;
      EXPECT_EQ(r.message(), refusal);
      continue;
    }
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(ReadWholeFile(written)->ToBytes(), content) << path;
  }
  for (const char* link : {"/link.tr4", "/dangling.tr4", "/null", "/to_read_only.tr4"})
    EXPECT_TRUE(std::filesystem::is_symlink(dir + link)) << link;
  EXPECT_TRUE(std::filesystem::is_fifo(dir + "/pipe"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_EQ(ReadWholeFile(dir + "/read_only.tr4")->ToBytes(), Bytes{1});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 11)
      << "a temporary file was left behind";

  if (geteuid() != 0) return;
  // Root saving another user's file keeps its owner and group.
  ASSERT_EQ(chown((dir + "/real.tr4").c_str(), 4242, 4343), 0);
  ASSERT_TRUE(WriteFileAtomically(dir + "/link.tr4", content));
  struct stat st {};
  ASSERT_EQ(stat((dir + "/real.tr4").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
  // Another user may not replace root's file in a folder everybody may write.
  chmod((dir + "/sub").c_str(), 0777);
  chmod((dir + "/sub/made.tr4").c_str(), 0644);
  const pid_t pid = fork();
  if (pid == 0)
    _exit(setgid(65534) == 0 && setuid(65534) == 0 &&
                  WriteFileAtomically(dir + "/sub/made.tr4", Bytes{9}).message() ==
                      dir + "/sub/made.tr4 is read-only"
              ? 0
              : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not refused as read-only";
  EXPECT_EQ(ReadWholeFile(dir + "/sub/made.tr4")->ToBytes(), content);
}

// A save killed while it writes leaves no file behind: its temporary file has no name until it
// is complete. The save is killed as soon as it has its temporary file open.
TEST(WriteFileAtomically, AKilledSaveLeavesNothingBehind) {
  const std::string dir = test::ScratchDir("atomic_killed");
  const std::string target = dir + "/level.tr4";
  const Bytes old(1000, 1), fresh(16 << 20, 2);
  ASSERT_TRUE(WriteFileAtomically(target, old));
  for (int round = 0; round < 3; ++round) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
      for (;;) (void)WriteFileAtomically(target, fresh);
    // Its descriptors: one of them leads into the folder while a save writes.
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    bool writing = false;
    for (int polls = 0; !writing && polls < 2000000; ++polls) {
      std::error_code ec;
      for (const auto& e : std::filesystem::directory_iterator(fds, ec))
        writing |= std::filesystem::read_symlink(e.path(), ec).string().rfind(dir, 0) == 0;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(writing) << "the save was never seen writing";
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"level.tr4"});
    const Bytes now = ReadWholeFile(target)->ToBytes();
    EXPECT_TRUE(now == old || now == fresh) << "the target is neither the old nor the new file";
  }
}

// Temporary files that earlier saves of the same file left behind (killed where unnamed files
// are not to be had) are removed by the next save, unless a running save holds them locked or
// an empty one is younger than a minute (a save may just have made it).
TEST(WriteFileAtomically, StaleTemporariesOfTheTargetAreRemovedByTheNextSave) {
  const std::string dir = test::ScratchDir("atomic_stale");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();  // a save that is still running: it holds its file locked
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    const int fd = open((dir + "/.level.tr4.qavel-Held01").c_str(), O_RDWR | O_CREAT, 0600);
    if (write(fd, "x", 1) != 1 || flock(fd, LOCK_EX) != 0 || write(ready[1], "!", 1) != 1) _exit(1);
    pause();
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  struct Case {
    const char* name;
    Bytes content;
    int age_seconds;
    bool removed;
  };
  const std::vector<Case> cases = {
      {".level.tr4.qavel-Stale1", {7}, 0, true},  {".level.tr4.qavel-Old001", {}, 120, true},
      {".level.tr4.qavel-Fresh1", {}, 0, false},  {".level.tr4.qavel-Held01", {}, 0, false},
      {".other.tr4.qavel-Stale2", {7}, 0, false}, {".level.tr4.qavel-Long123", {7}, 0, false}};
  for (const Case& k : cases) {
    if (std::string(k.name).find("Held") != std::string::npos) continue;
    WriteRaw(dir + "/" + k.name, k.content);
    const timespec when[2] = {{time(nullptr) - k.age_seconds, 0},
                              {time(nullptr) - k.age_seconds, 0}};
    utimensat(AT_FDCWD, (dir + "/" + k.name).c_str(), when, 0);
  }
  ASSERT_TRUE(WriteFileAtomically(dir + "/level.tr4", Bytes{1}));
  for (const Case& k : cases)
    EXPECT_EQ(std::filesystem::exists(dir + "/" + k.name), !k.removed) << k.name;
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
}

// Blocks compare by content, packed ones unpacking only where contents must be compared: blocks
// of equal streams are equal as they are. Slices share their block's storage.
TEST(SharedBlock, BlocksCompareByContentUnpackingOnlyWhereTheyMust) {
  const SharedBlock plain = SharedBlock::Of({1, 2, 3, 4, 5});
  EXPECT_TRUE(plain.Slice(1, 3).SharesStorageWith(plain.Slice(1, 3)));
  EXPECT_FALSE(plain.Slice(1, 3).SharesStorageWith(SharedBlock::Of({2, 3, 4})));
  const Bytes data = test::Noise(300000, 29, 7);
  Bytes changed = data;
  changed[123456] ^= 1;
  const SharedBlock stream = SharedBlock::Of(*PackBlock(data.data(), data.size()));
  const SharedBlock other_stream = SharedBlock::Of(*PackBlock(data.data(), data.size(), 1));
  auto packed = [&](const SharedBlock& s) { return SharedBlock::Packed(s, data.size(), "f, c"); };
  // Two blocks, whether they are equal, and whether comparing them unpacks them.
  for (auto& [what, x, y, equal, unpacks] :
       std::vector<std::tuple<const char*, SharedBlock, SharedBlock, bool, bool>>{
           {"a slice and its bytes", plain.Slice(1, 3), SharedBlock::Of({2, 3, 4}), true, true},
           {"slices at other places", plain.Slice(1, 3), plain.Slice(0, 3), false, true},
           {"an empty slice", plain.Slice(5, 0), SharedBlock(), true, true},
           {"the same stream read twice", packed(stream), packed(stream), true, false},
           {"slices of the same stream", packed(stream).Slice(9, 99), packed(stream).Slice(9, 99),
            true, false},
           {"the stream and its bytes", packed(stream), SharedBlock::Of(data), true, true},
           {"another stream of the bytes", packed(stream), packed(other_stream), true, true},
           {"a slice and the bytes'", packed(stream).Slice(7000, 5000),
            SharedBlock::Of(data).Slice(7000, 5000), true, true},
           {"other bytes", packed(stream), SharedBlock::Of(changed), false, true},
           {"other slices", packed(stream).Slice(9, 99), packed(stream).Slice(10, 99), false, true},
           {"another size", packed(stream), SharedBlock::Of(Bytes(5)), false, false},
       }) {
    EXPECT_EQ(x == y, equal) << what;
    EXPECT_EQ(x.IsPacked(), !unpacks) << what;
  }
}

}  // namespace
}  // namespace qavel
