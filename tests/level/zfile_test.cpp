// TZfile, the ZLIB container, the pack helpers and the safe save.

#include "level/zfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "test_paths.h"

namespace qavel {
namespace {

void WriteRaw(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

Bytes Container(const Bytes& content) {
  Bytes packed = PackBlock(content.data(), content.size());
  Bytes out = {'Z', 'L', 'I', 'B'};
  const uint32_t p = static_cast<uint32_t>(packed.size()),
                 u = static_cast<uint32_t>(content.size());
  out.insert(out.end(), reinterpret_cast<const uint8_t*>(&p),
             reinterpret_cast<const uint8_t*>(&p) + 4);
  out.insert(out.end(), reinterpret_cast<const uint8_t*>(&u),
             reinterpret_cast<const uint8_t*>(&u) + 4);
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

TEST(PackBlock, RoundTripsAndRefusesDamage) {
  Bytes data(100000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>((i * 7) ^ (i >> 5));
  const Bytes packed = PackBlock(data.data(), data.size());
  EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), data.size()), data);
  // A wrong expectation only changes the starting buffer, never the result.
  EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), 10), data);
  EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), 0), data);
  EXPECT_THROW(UnpackBlock(packed.data(), packed.size() / 2, 0), ContainerError);
  Bytes garbage(64, 0x55);
  EXPECT_THROW(UnpackBlock(garbage.data(), garbage.size(), 0), ContainerError);
}

// Blocks large enough to be packed in two runs still make one ordinary zlib stream.
TEST(PackBlock, LargeBlocksMakeOneStandardStream) {
  Bytes data(3 * 1024 * 1024 + 17);
  uint32_t x = 7;
  for (auto& b : data) b = static_cast<uint8_t>((x = x * 1664525 + 1013904223) >> 29);
  const Bytes packed = PackBlock(data.data(), data.size());
  EXPECT_LT(packed.size(), data.size() / 2);
  EXPECT_EQ(UnpackBlock(packed.data(), packed.size(), data.size()), data);
  Bytes out(data.size());
  uLongf len = static_cast<uLongf>(out.size());
  ASSERT_EQ(uncompress(out.data(), &len, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
  EXPECT_EQ(len, data.size());
  EXPECT_EQ(out, data);
  EXPECT_EQ((packed[0] * 256 + packed[1]) % 31, 0);  // a valid zlib header
}

TEST(TZfile, ReadsAndSeeksWithinItsContent) {
  const std::string dir = test::ScratchDir("tzfile_read");
  WriteRaw(dir + "/plain.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  TZfile f;
  f.OpenRead(dir + "/plain.bin");
  EXPECT_FALSE(f.Packed());
  f.Seek(6);
  uint8_t buf[10] = {};
  EXPECT_EQ(f.Read(buf, 10), 4u);  // 10 asked, 4 left
  EXPECT_EQ(buf[0], 7);
  EXPECT_EQ(f.Position(), f.Size());
  f.Seek(1000);
  EXPECT_EQ(f.Position(), 10u);
  f.Skip(-100);
  EXPECT_EQ(f.Position(), 0u);
  f.Close(false);
  EXPECT_EQ(ReadWholeFile(dir + "/plain.bin").size(), 10u);  // untouched
}

TEST(TZfile, WritesOverAndPastItsEnd) {
  TZfile f;
  f.OpenWrite("unused");
  const uint8_t eight[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  f.Write(eight, 8);
  f.Seek(2);
  f.Write(eight, 3);
  EXPECT_EQ(f.Size(), 8u);  // overwrite inside the content keeps the size
  f.Seek(6);
  f.Write(eight, 8);
  EXPECT_EQ(f.Size(), 14u);  // grows by the 6 bytes past the old end
}

TEST(TZfile, UnpacksContainersButNotTheirBareHeader) {
  const std::string dir = test::ScratchDir("tzfile_container");
  const Bytes content = {'h', 'e', 'l', 'l', 'o', ' ', 'l', 'e', 'v', 'e', 'l'};
  WriteRaw(dir + "/packed.bin", Container(content));
  TZfile f;
  f.OpenRead(dir + "/packed.bin");
  EXPECT_TRUE(f.Packed());
  EXPECT_EQ(f.Content(), content);

  // Exactly 12 bytes starting with ZLIB are plain bytes.
  const Bytes twelve = {'Z', 'L', 'I', 'B', 1, 0, 0, 0, 1, 0, 0, 0};
  WriteRaw(dir + "/twelve.bin", twelve);
  TZfile g;
  g.OpenRead(dir + "/twelve.bin");
  EXPECT_FALSE(g.Packed());
  EXPECT_EQ(g.Content(), twelve);

  // A packed length beyond the file, or a damaged stream, is refused with the file's name.
  Bytes bad = Container(content);
  bad[4] = 0xFF;
  WriteRaw(dir + "/overlong.bin", bad);
  try {
    TZfile h;
    h.OpenRead(dir + "/overlong.bin");
    FAIL() << "accepted a container whose packed length overruns the file";
  } catch (const ContainerError& e) {
    EXPECT_NE(std::string(e.what()).find("overlong.bin"), std::string::npos) << e.what();
  }
  Bytes damaged = Container(content);
  damaged[14] ^= 0xFF;
  WriteRaw(dir + "/damaged.bin", damaged);
  TZfile k;
  EXPECT_THROW(k.OpenRead(dir + "/damaged.bin"), ContainerError);
}

TEST(TZfile, SavingAContainerPacksItAgain) {
  const std::string dir = test::ScratchDir("tzfile_resave");
  const Bytes content(5000, 'x');
  WriteRaw(dir + "/c.bin", Container(content));
  TZfile f;
  f.OpenRead(dir + "/c.bin");
  f.Close(true);
  const Bytes again = ReadWholeFile(dir + "/c.bin");
  ASSERT_TRUE(IsContainer(again));
  EXPECT_EQ(UnpackContainer(again, "c.bin"), content);
}

TEST(WriteFileAtomically, ReplacesOnlyWhenComplete) {
  const std::string dir = test::ScratchDir("atomic");
  const std::string target = dir + "/level.tr2";
  WriteRaw(target, {1, 2, 3});
  chmod(target.c_str(), 0640);
  WriteFileAtomically(target, Bytes{9, 9});
  EXPECT_EQ(ReadWholeFile(target), (Bytes{9, 9}));
  struct stat st {};
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "the saved file keeps the old file's permissions";
  // No temporary file is left behind.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);

  // A save into a folder that does not exist fails, says why, and creates nothing.
  try {
    WriteFileAtomically(dir + "/missing/level.tr2", Bytes{1});
    FAIL() << "saved into a missing folder";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("missing/level.tr2"), std::string::npos) << e.what();
  }
  // A target that is a folder cannot be replaced; the folder stays.
  std::filesystem::create_directory(dir + "/folder");
  EXPECT_THROW(WriteFileAtomically(dir + "/folder", Bytes{1}), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder"));
}

}  // namespace
}  // namespace qavel
