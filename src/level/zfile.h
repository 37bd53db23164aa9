#pragma once
// TZfile: a whole file in memory, unpacked when it is a "ZLIB" container; the zlib pack and
// unpack helpers; whole-file reads and safe saves.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "level/result.h"
#include "level/shared_block.h"

namespace qavel {

// Largest unpacked block we accept; real levels unpack to a few tens of megabytes.
inline constexpr uint64_t kMaxUnpackedSize = 512ull << 20;

// One zlib stream of the data at the given level (9 for everything we write).
Expected<Bytes> PackBlock(const uint8_t* data, size_t length, int level = 9);
// Unpacks one zlib stream. expected is a hint (0 if unknown). Fails (kDamaged) when the stream
// is damaged or would unpack beyond kMaxUnpackedSize.
Expected<SharedBlock> UnpackBlock(const uint8_t* data, size_t length, uint64_t expected);

// A file longer than 12 bytes that starts with "ZLIB": packed length, unpacked length, stream.
bool IsContainer(std::span<const uint8_t> file);
// The content of such a container; fails (kDamaged) naming the file when it is damaged.
Expected<SharedBlock> UnpackContainer(std::span<const uint8_t> file, const std::string& name);

struct TZfile {
  std::string file_name;
  bool packed = false;  // the file was a "ZLIB" container
  SharedBlock content;  // its content, unpacked

  // Loads the whole file. Fails with kCannotOpen when the system refuses and kDamaged when a
  // container cannot be unpacked, naming the file either way.
  static Expected<TZfile> Read(const std::string& file_name);
};

// The file's bytes, or kCannotOpen with the system's reason.
Expected<SharedBlock> ReadWholeFile(const std::string& path);
// Writes a temporary file in the target's folder, flushes it to disk and renames it over the
// target, so a failed save leaves the old file as it was. Fails with kCannotOpen saying why.
// The content may come as pieces, written one after the other.
Result WriteFileAtomically(const std::string& path,
                           const std::vector<std::span<const uint8_t>>& pieces);
inline Result WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  return WriteFileAtomically(path, std::vector<std::span<const uint8_t>>{bytes});
}
inline Result WriteFileAtomically(const std::string& path, const uint8_t* data, size_t length) {
  return WriteFileAtomically(path, std::span<const uint8_t>(data, length));
}
bool FileExists(const std::string& path);

}  // namespace qavel
