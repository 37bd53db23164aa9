#pragma once
// TZfile: a whole file in memory, unpacked when it is a "ZLIB" container; the zlib pack and
// unpack helpers; whole-file reads and safe saves (atomic_save.cpp).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "level/result.h"
#include "level/shared_block.h"

namespace qavel {

// Largest file ReadWholeFile takes unless told otherwise; real levels are a few megabytes.
inline constexpr uint64_t kMaxFileSize = 512ull << 20;
// Largest content a "ZLIB" container may state. Containers hold exchange files and levels, a
// few megabytes each; the bound keeps a small hostile container from costing gigabytes.
inline constexpr uint64_t kMaxContainerSize = 128ull << 20;

// One zlib stream of the data at the given level (9 for everything we write).
Expected<Bytes> PackBlock(const uint8_t* data, size_t length, int level = 9);
// Unpacks one zlib stream of at most `most` bytes: the size its header states, which bounds
// both the allocation and the output. Fails (kDamaged) when the stream is damaged or unpacks to
// more.
Expected<SharedBlock> UnpackBlock(const uint8_t* data, size_t length, uint64_t most);

// What can be told of one zlib stream without unpacking it: that it is long enough to be one,
// starts with a valid header, and could unpack to `size` bytes at all (deflate expands at most
// 1032:1). Fails (kDamaged) with the words UnpackBlock would use.
Result CheckPackedStart(const uint8_t* data, size_t length, uint64_t size);

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

// The bytes of a regular file of at most `most` bytes. Fails with kNoSuchFile ("no such file:
// PATH") when nothing is there, and with kCannotOpen saying why otherwise: the system's reason,
// a folder, a device or pipe (never read: they may never end or never answer), or a file larger
// than `most` (the message calls it too large for `kind`, "a level file" by default).
Expected<SharedBlock> ReadWholeFile(const std::string& path, uint64_t most = kMaxFileSize,
                                    const char* kind = "a level file");
// Writes a temporary file in the target's folder, flushes it to disk, renames it over the target
// and flushes the folder, so a failed save leaves the old file as it was. The temporary file has
// no name until it is complete where the system allows that, so a killed save leaves nothing;
// temporary files that killed saves of the same target left elsewhere are removed. A target that
// is a symbolic link is written through to the file it leads to; one that is a folder, device or
// pipe is refused, and so is a file that is read-only ("PATH is read-only": its mode grants no
// write permission, for root too, or the user may not write it). The replaced file's
// permissions, owner and group are kept where the system lets us. Fails with kCannotOpen saying
// why. The content may come as pieces, written in order.
Result WriteFileAtomically(const std::string& path,
                           const std::vector<std::span<const uint8_t>>& pieces);
inline Result WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  return WriteFileAtomically(path, std::vector<std::span<const uint8_t>>{bytes});
}
inline Result WriteFileAtomically(const std::string& path, const uint8_t* data, size_t length) {
  return WriteFileAtomically(path, std::span<const uint8_t>(data, length));
}
// The refusal WriteFileAtomically would give a read-only file at path ("PATH is read-only"), so
// that a caller can say so before it asks anything else; Ok for any other path.
Result CheckNotReadOnly(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace qavel
