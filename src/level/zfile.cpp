#include "level/zfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>

#include "level/file_kind.h"

namespace qavel {

namespace {

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

namespace {

// One raw deflate run over [p, p + n), primed with the dictionary (the bytes that precede it in
// the block), so runs can be joined into one stream. Ends with a sync flush unless it is last.
bool DeflateRun(const uint8_t* p, size_t n, const uint8_t* dict, size_t dict_len, bool last,
                int level, Bytes& out, uint32_t& adler) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  // Level 9 follows match chains of up to 4096 links. A quarter of that packs level data as
  // well to within a few hundred bytes in a megabyte and takes two thirds of the time, which
  // matters when a save has only one core to itself.
  if (level == 9) deflateTune(&zs, 32, 258, 258, 1024);
  if (dict_len && deflateSetDictionary(&zs, dict, static_cast<uInt>(dict_len)) != Z_OK) {
    deflateEnd(&zs);
    return false;
  }
  out.resize(deflateBound(&zs, static_cast<uLong>(n)) + 64);
  zs.next_in = const_cast<Bytef*>(p);
  zs.avail_in = static_cast<uInt>(n);
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&zs, last ? Z_FINISH : Z_SYNC_FLUSH);
  const bool done = last ? rc == Z_STREAM_END : (rc == Z_OK && zs.avail_in == 0);
  out.resize(out.size() - zs.avail_out);
  deflateEnd(&zs);
  adler = static_cast<uint32_t>(adler32(1, p, static_cast<uInt>(n)));
  return done;
}

}  // namespace

Expected<Bytes> PackBlock(const uint8_t* data, size_t length, int level) {
  // Large blocks (a TR4 level's data) are packed as runs on threads of their own and joined
  // into one zlib stream, as parallel gzip tools do. Four runs rather than one per core: when
  // another program keeps a core busy, more runs still win the packing a fair share of it.
  constexpr size_t kRunFrom = 128 << 10;
  constexpr size_t kMostRuns = 4;
  const size_t runs = std::min(kMostRuns, length / kRunFrom);
  if (runs < 2) {
    uLongf out_len = compressBound(static_cast<uLong>(length));
    Bytes out(out_len);
    const int rc = compress2(out.data(), &out_len, data, static_cast<uLong>(length), level);
    if (rc != Z_OK)
      return Result::Fail(Status::kFailed,
                          "compression failed (zlib error " + std::to_string(rc) + ")");
    out.resize(out_len);
    return out;
  }
  struct Run {
    size_t begin = 0, end = 0;
    Bytes packed;
    uint32_t adler = 0;
    bool ok = false;
  };
  std::vector<Run> parts(runs);
  for (size_t i = 0; i < runs; ++i) {
    parts[i].begin = length * i / runs;
    parts[i].end = length * (i + 1) / runs;
  }
  auto pack = [&](Run& r) {
    // Each run is primed with the 32 KiB that precede it, as one stream would have them.
    const size_t dict_len = std::min<size_t>(r.begin, 32768);
    r.ok = DeflateRun(data + r.begin, r.end - r.begin, data + r.begin - dict_len, dict_len,
                      r.end == length, level, r.packed, r.adler);
  };
  std::vector<std::thread> helpers;
  for (size_t i = 0; i + 1 < runs; ++i) helpers.emplace_back(pack, std::ref(parts[i]));
  pack(parts.back());
  for (auto& t : helpers) t.join();

  const int flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  uint8_t flg = static_cast<uint8_t>(flevel << 6);
  flg = static_cast<uint8_t>(flg + 31 - ((0x78 * 256 + flg) % 31));
  size_t size = 2 + 4;
  uint32_t adler = 1;
  for (const Run& r : parts) {
    if (!r.ok) return Result::Fail(Status::kFailed, "compression failed");
    size += r.packed.size();
    adler = static_cast<uint32_t>(
        adler32_combine(adler, r.adler, static_cast<z_off_t>(r.end - r.begin)));
  }
  Bytes out;
  out.reserve(size);
  out.push_back(0x78);
  out.push_back(flg);
  for (const Run& r : parts) out.insert(out.end(), r.packed.begin(), r.packed.end());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(adler >> shift));
  return out;
}

Expected<SharedBlock> UnpackBlock(const uint8_t* data, size_t length, uint64_t most) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return Result::Fail(Status::kFailed, "cannot start decompression");
  auto damaged = [&zs](const std::string& why) {
    inflateEnd(&zs);
    return Result::Fail(Status::kDamaged, why);
  };
  // The output never grows beyond the stated size, nor beyond what deflate can expand the input
  // to (1032:1), so a stated size beyond that is not trusted for the allocation. One byte more
  // is room to notice a stream that is longer than stated.
  BlockBuffer out(std::min<uint64_t>(most, uint64_t{length} * 1032 + 1024) + 1);
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(length);
  size_t produced = 0;
  for (;;) {
    if (produced == out.capacity())
      return damaged("packed data unpacks to more than the " + std::to_string(most) +
                     " bytes stated");
    zs.next_out = out.data() + produced;
    zs.avail_out = static_cast<uInt>(out.capacity() - produced);
    const int rc = inflate(&zs, Z_NO_FLUSH);
    produced = out.capacity() - zs.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && zs.avail_in == 0)
      return damaged("packed data ends early (truncated zlib stream)");
    if (rc != Z_OK && rc != Z_BUF_ERROR)
      return damaged("packed data is damaged: " +
                     (zs.msg ? std::string(zs.msg) : "zlib error " + std::to_string(rc)));
  }
  inflateEnd(&zs);
  if (produced > most)
    return Result::Fail(Status::kDamaged, "packed data unpacks to more than the " +
                                              std::to_string(most) + " bytes stated");
  return out.Share(produced);
}

Result CheckPackedStart(const uint8_t* data, size_t length, uint64_t size) {
  auto damaged = [](const std::string& why) {
    return Result::Fail(Status::kDamaged, "packed data is damaged: " + why);
  };
  // Two header bytes, the shortest deflate block and the four-byte checksum.
  if (length < 8)
    return Result::Fail(Status::kDamaged, "packed data ends early (truncated zlib stream)");
  const unsigned method = data[0], flags = data[1];
  if ((method * 256 + flags) % 31 != 0) return damaged("incorrect header check");
  if ((method & 0x0F) != Z_DEFLATED) return damaged("unknown compression method");
  if ((method >> 4) > 7) return damaged("invalid window size");
  if (flags & 0x20) return damaged("it needs a preset dictionary");
  if (size > uint64_t{length} * 1032)
    return damaged(std::to_string(length) + " bytes cannot unpack to the " + std::to_string(size) +
                   " bytes stated");
  return Result::Ok();
}

Expected<SharedBlock> ReadWholeFile(const std::string& path, uint64_t most, const char* kind) {
  auto refused = [&path](const std::string& why) {
    return Result::Fail(Status::kCannotOpen, "cannot open " + path + ": " + why);
  };
  // Without a writer, opening a pipe would wait for one for ever: open without waiting, and
  // read nothing but regular files (a device such as /dev/zero reports size 0 and never ends).
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return Result::Fail(Status::kNoSuchFile, "no such file: " + path);
    return refused(SystemReason());
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    const std::string why = SystemReason();
    ::close(fd);
    return refused(why);
  }
  auto too_large = [&](uint64_t size) {
    return refused(std::to_string(size) + " bytes is too large for " + kind + " (at most " +
                   std::to_string(most) + ")");
  };
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return refused(NotRegular(st.st_mode));
  }
  if (static_cast<uint64_t>(st.st_size) > most) {
    ::close(fd);
    return too_large(static_cast<uint64_t>(st.st_size));
  }
  // Read straight into the block the caller keeps: one pass over fresh memory. The stated size
  // is only a start; what the reads return decides (a file may change while it is read), and
  // never more than `most` bytes are taken.
  BlockBuffer content(static_cast<size_t>(st.st_size) + 1);
  size_t have = 0;
  for (;;) {
    if (have == content.capacity()) {
      if (have > most) {
        ::close(fd);
        return too_large(have);
      }
      content.Grow(std::min<uint64_t>(content.capacity() * 2 + 65536, most + 1), have);
    }
    const ssize_t n = ::read(fd, content.data() + have, content.capacity() - have);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      std::string why = "cannot read " + path;
      why += ": ";
      why += SystemReason();
      ::close(fd);
      return Result::Fail(Status::kCannotOpen, why);
    }
    have += static_cast<size_t>(n);
  }
  ::close(fd);
  if (have > most) return too_large(have);
  return content.Share(have);
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsContainer(std::span<const uint8_t> file) {
  return file.size() > 12 && std::memcmp(file.data(), "ZLIB", 4) == 0;
}

Expected<SharedBlock> UnpackContainer(std::span<const uint8_t> file, const std::string& name) {
  const uint32_t packed_len = LoadU32(file.data() + 4);
  const uint32_t unpacked_len = LoadU32(file.data() + 8);
  if (packed_len > file.size() - 12)
    return Result::Fail(Status::kDamaged, name + ": ZLIB container says " +
                                              std::to_string(packed_len) +
                                              " packed bytes but only " +
                                              std::to_string(file.size() - 12) + " follow");
  if (unpacked_len > kMaxContainerSize)
    return Result::Fail(Status::kDamaged, name + ": ZLIB container says it holds " +
                                              std::to_string(unpacked_len) +
                                              " bytes, more than the " +
                                              std::to_string(kMaxContainerSize) + " we read");
  auto content = UnpackBlock(file.data() + 12, packed_len, unpacked_len);
  if (!content)
    return Result::Fail(Status::kDamaged, name + ": ZLIB container: " + content.message());
  return content;
}

Expected<TZfile> TZfile::Read(const std::string& file_name) {
  auto bytes = ReadWholeFile(file_name);
  if (!bytes) return bytes.result();
  TZfile file;
  file.file_name = file_name;
  // A container is only taken for what it is when it is longer than its own header.
  if (IsContainer(bytes->span())) {
    auto content = UnpackContainer(bytes->span(), file_name);
    if (!content) return content.result();
    file.packed = true;
    file.content = std::move(*content);
  } else {
    file.content = std::move(*bytes);
  }
  return file;
}

}  // namespace qavel
