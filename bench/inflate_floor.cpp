// The floor of opening a level: a program that reads the file into fresh memory and inflates
// every packed chunk with zlib into a fresh buffer of its own, and does nothing else. It links
// nothing but zlib and the C library, so its start-up is the least a program can have. TR4
// files hold four packed chunks (the last is the level data), TR5 files (named .trc) three;
// TR1-TR3 files none. Usage: inflate_floor LEVEL; exits 1 when the file cannot be read or a
// chunk cannot be inflated.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool NamesTr5(const char* path) {
  return std::strstr(path, ".trc") != nullptr || std::strstr(path, ".TRC") != nullptr;
}

uint32_t Word(const uint8_t* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  // The file and every chunk inflated from it, kept until the end as a reader keeps them.
  uint8_t* blocks[5] = {};
  int held = 0;
  auto finish = [&](int rc) {
    for (int i = 0; i < held; ++i) std::free(blocks[i]);
    return rc;
  };
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  const auto size = static_cast<size_t>(st.st_size);
  uint8_t* file = blocks[held++] = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  size_t have = 0;
  while (file && have < size) {
    const ssize_t n = read(fd, file + have, size - have);
    if (n <= 0) return finish(1);
    have += static_cast<size_t>(n);
  }
  close(fd);
  if (!file) return finish(1);
  if (size < 4) return finish(0);
  const uint32_t version = Word(file);
  if (version != 0x00345254 && version != 0xFFFFFFF0) return finish(0);  // no packed chunks
  const int chunks = NamesTr5(argv[1]) ? 3 : 4;
  size_t at = 10;
  for (int i = 0; i < chunks; ++i) {
    if (at + 8 > size) return finish(1);
    const uint32_t unpacked = Word(file + at), packed = Word(file + at + 4);
    at += 8;
    if (packed > size - at) return finish(1);
    uint8_t* out = blocks[held++] = static_cast<uint8_t*>(std::malloc(unpacked ? unpacked : 1));
    uLongf length = unpacked;
    if (!out || uncompress(out, &length, file + at, packed) != Z_OK) return finish(1);
    at += packed;
  }
  return finish(0);
}
