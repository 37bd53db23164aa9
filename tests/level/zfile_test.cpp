// Packing, the ZLIB container, whole-file reads and the safe save.

#include "level/zfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "test_paths.h"

namespace qavel {
namespace {

void WriteRaw(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

Bytes Container(const Bytes& content) {
  const Bytes packed = *PackBlock(content.data(), content.size());
  Bytes out = {'Z', 'L', 'I', 'B'};
  for (uint32_t v : {static_cast<uint32_t>(packed.size()), static_cast<uint32_t>(content.size())})
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

Bytes Noise(size_t n) {
  Bytes data(n);
  uint32_t x = 7;
  for (auto& b : data) b = static_cast<uint8_t>((x = x * 1664525 + 1013904223) >> 29);
  return data;
}

// Small blocks are one stream; large ones are packed as runs on threads and joined. Both must
// be one ordinary zlib stream that unpacks to the data, whatever size the unpacker expects.
TEST(PackBlock, SmallAndLargeBlocksAreOneStandardStream) {
  for (size_t n : {size_t{0}, size_t{100000}, size_t{3 * 1024 * 1024 + 17}}) {
    SCOPED_TRACE(n);
    const Bytes data = Noise(n);
    const Bytes packed = *PackBlock(data.data(), data.size());
    EXPECT_EQ((packed[0] * 256 + packed[1]) % 31, 0);  // a valid zlib header
    Bytes out(n + 1);
    uLongf len = static_cast<uLongf>(out.size());
    ASSERT_EQ(uncompress(out.data(), &len, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()) && len == n);
    for (uint64_t expected : {uint64_t{n}, uint64_t{10}, uint64_t{0}})
      EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), expected)->ToBytes(), data);
  }
}

TEST(UnpackBlock, RefusesDamageWithOneLine) {
  const Bytes data = Noise(100000);
  const Bytes packed = *PackBlock(data.data(), data.size());
  const Bytes garbage(64, 0x55);
  for (const auto& [bytes, size] :
       {std::pair{packed.data(), packed.size() / 2}, std::pair{garbage.data(), garbage.size()}}) {
    const auto r = UnpackBlock(bytes, size, 0);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.result().status(), Status::kDamaged);
    EXPECT_EQ(r.message().find('\n'), std::string::npos);
  }
}

TEST(TZfile, UnpacksContainersAndRefusesDamagedOnesNamingTheFile) {
  const std::string dir = test::ScratchDir("tzfile");
  const Bytes content = {'h', 'e', 'l', 'l', 'o', ' ', 'l', 'e', 'v', 'e', 'l'};
  const Bytes twelve = {'Z', 'L', 'I', 'B', 1, 0, 0, 0, 1, 0, 0, 0};
  Bytes overlong = Container(content), damaged = Container(content);
  overlong[4] = 0xFF;
  damaged[14] ^= 0xFF;
  struct Case {
    const char* name;
    Bytes bytes;
    bool packed;
    Bytes content;  // empty for a refusal
  };
  for (const Case& c : std::vector<Case>{{"plain", content, false, content},
                                         {"packed", Container(content), true, content},
                                         // Exactly 12 bytes starting with ZLIB are plain bytes.
                                         {"twelve", twelve, false, twelve},
                                         {"overlong", overlong, false, {}},
                                         {"damaged", damaged, false, {}}}) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name + ".bin";
    WriteRaw(path, c.bytes);
    const auto file = TZfile::Read(path);
    if (c.content.empty()) {
      ASSERT_FALSE(file);
      EXPECT_EQ(file.result().status(), Status::kDamaged);
      EXPECT_NE(file.message().find(path), std::string::npos) << file.message();
      continue;
    }
    ASSERT_TRUE(file) << file.message();
    EXPECT_EQ(file->packed, c.packed);
    EXPECT_EQ(file->content.ToBytes(), c.content);
  }
  for (const std::string& path : {dir + "/none.bin", dir}) {
    const auto file = TZfile::Read(path);
    EXPECT_EQ(file.result().status(), Status::kCannotOpen) << path;
  }
  EXPECT_EQ(TZfile::Read(dir).message(), "cannot open " + dir + ": it is a folder");
}

TEST(WriteFileAtomically, ReplacesOnlyWhenCompleteAndKeepsPermissions) {
  const std::string dir = test::ScratchDir("atomic");
  const std::string target = dir + "/level.tr2";
  WriteRaw(target, {1, 2, 3});
  chmod(target.c_str(), 0640);
  const Bytes a = {9, 9}, b = {8};
  ASSERT_TRUE(WriteFileAtomically(target, {a, b}));
  EXPECT_EQ(ReadWholeFile(target)->ToBytes(), (Bytes{9, 9, 8}));  // pieces in order
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1u) << "a temporary file was left behind";

  // A missing folder, or a target that is a folder: refused, saying so, nothing changed.
  const Result missing = WriteFileAtomically(dir + "/missing/level.tr2", a);
  EXPECT_EQ(missing.status(), Status::kCannotOpen);
  EXPECT_NE(missing.message().find("missing/level.tr2"), std::string::npos) << missing.message();
  std::filesystem::create_directory(dir + "/folder");
  EXPECT_FALSE(WriteFileAtomically(dir + "/folder", a));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder"));
}

TEST(SharedBlock, SlicesShareStorageAndCompareByContent) {
  const SharedBlock block = SharedBlock::Of({1, 2, 3, 4, 5});
  const SharedBlock middle = block.Slice(1, 3);
  EXPECT_EQ(middle.ToBytes(), (Bytes{2, 3, 4}));
  EXPECT_TRUE(middle.SharesStorageWith(block.Slice(1, 3)));
  EXPECT_FALSE(middle.SharesStorageWith(SharedBlock::Of({2, 3, 4})));
  EXPECT_EQ(middle, SharedBlock::Of({2, 3, 4}));
  EXPECT_NE(middle, block.Slice(0, 3));
  EXPECT_EQ(block.Slice(5, 0), SharedBlock());
}

}  // namespace
}  // namespace qavel
