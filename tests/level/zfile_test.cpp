// Packing, the ZLIB container, whole-file reads and the safe save.

#include "level/zfile.h"

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

#include "fixtures/test_level.h"
#include "peak_memory.h"
#include "test_paths.h"

namespace qavel {
namespace {

using test::Patched;
using test::ZlibContainer;

void WriteRaw(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

// Small blocks are one stream; large ones are packed as runs on threads and joined. Both must
// be one ordinary zlib stream that unpacks to the data when the stated size allows it.
TEST(PackBlock, SmallAndLargeBlocksAreOneStandardStream) {
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
}

// A stream never unpacks beyond the size its header states: a few kilobytes of zlib that would
// become 64 MiB of zeros stop at the stated megabyte, without the memory to hold the rest. A
// stream cut short or damaged is refused in one line.
TEST(UnpackBlock, StopsAtTheStatedSizeAndRefusesDamage) {
  const Bytes zeros(64 << 20, 0);
  const Bytes bomb = *PackBlock(zeros.data(), zeros.size(), 1);
  const Bytes data = test::Noise(100000, 29, 7);
  const Bytes packed = *PackBlock(data.data(), data.size());
  const Bytes garbage(64, 0x55);
  const std::string more = "packed data unpacks to more than the ";
  struct Case {
    const Bytes* stream;
    size_t length;
    uint64_t most;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {&bomb, bomb.size(), 1 << 20, more + "1048576 bytes stated"},
           {&packed, packed.size(), 99999, more + "99999 bytes stated"},
           {&packed, packed.size(), 0, more + "0 bytes stated"},
           {&packed, packed.size() / 2, 1 << 20, "packed data ends early (truncated zlib stream)"},
           {&garbage, garbage.size(), 1 << 20, "packed data is damaged: incorrect header check"}}) {
    const auto r = UnpackBlock(c.stream->data(), c.length, c.most);
    EXPECT_EQ(r.result().status(), Status::kDamaged);
    EXPECT_EQ(r.message(), c.message);
  }
  const long kib = test::PeakGrowthKiB(
      [&bomb] { return !UnpackBlock(bomb.data(), bomb.size(), uint64_t{1} << 20); });
  EXPECT_GE(kib, 0);
  EXPECT_LT(kib, 16 << 10) << "KiB to refuse a stream stated at 1 MiB";
}

TEST(TZfile, UnpacksContainersAndRefusesDamagedOnesNamingTheFile) {
  const std::string dir = test::ScratchDir("tzfile");
  const Bytes content = {'h', 'e', 'l', 'l', 'o', ' ', 'l', 'e', 'v', 'e', 'l'};
  const Bytes twelve = {'Z', 'L', 'I', 'B', 1, 0, 0, 0, 1, 0, 0, 0};
  const Bytes packed = ZlibContainer(content);
  struct Case {
    const char* name;
    Bytes bytes;
    bool packed;
    Bytes content;  // empty for a refusal
  };
  for (const Case& c :
       std::vector<Case>{{"plain", content, false, content},
                         {"packed", packed, true, content},
                         // Exactly 12 bytes starting with ZLIB are plain bytes.
                         {"twelve", twelve, false, twelve},
                         {"overlong", Patched(packed, 4, uint8_t{0xFF}), false, {}},
                         {"damaged", Patched(packed, 14, uint8_t(~packed[14])), false, {}},
                         // The content is longer than the header says.
                         {"longer", Patched(packed, 8, uint8_t{5}), false, {}},
                         // The header says 256 MiB.
                         {"huge", Patched(packed, 11, uint8_t{0x10}), false, {}}}) {
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
}

// Only regular files are read: a device never ends (that a pipe without a writer is refused at
// once: the command-line tests). Each refusal says why, in the system's words where the system
// refused.
TEST(ReadWholeFile, ReadsOnlyRegularFilesAndSaysWhyNot) {
  const std::string dir = test::ScratchDir("read_whole_file");
  const std::string loop = dir + "/loop", big = dir + "/big";
  std::filesystem::create_symlink("loop", loop);  // a link to itself
  WriteRaw(big, Bytes(2000, 1));
  struct Case {
    std::string path;
    uint64_t most;
    Status status;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
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
  struct Case {
    std::string path;
    std::string written;  // the file that gets the content; empty for a refusal
    std::string refusal;  // the message
  };
  for (const Case& c : std::vector<Case>{
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
    const Result r = WriteFileAtomically(c.path, content);
    if (c.written.empty()) {
      EXPECT_EQ(r.status(), Status::kCannotOpen) << c.path;
      EXPECT_EQ(r.message(), c.refusal);
      continue;
    }
    ASSERT_TRUE(r) << r.message();
    EXPECT_EQ(ReadWholeFile(c.written)->ToBytes(), content) << c.path;
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
  struct Case {
    const char* what;
    SharedBlock x, y;
    bool equal, unpacks;
  };
  for (Case& c : std::vector<Case>{
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
    EXPECT_EQ(c.x == c.y, c.equal) << c.what;
    EXPECT_EQ(c.x.IsPacked(), !c.unpacks) << c.what;
  }
}

}  // namespace
}  // namespace qavel
