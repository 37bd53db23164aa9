#include "level/zfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace qavel {

namespace {

std::string SystemReason() {
  return std::strerror(errno);
}

uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

namespace {

// One raw deflate run over [p, p + n), primed with the 32 KiB that precede it in the block, so
// runs can be joined into one stream. Ends with a sync flush unless it is the last run.
bool DeflateRun(const uint8_t* p, size_t n, const uint8_t* dict, size_t dict_len, bool last,
                int level, Bytes& out, uint32_t& adler) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
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

Bytes PackBlock(const uint8_t* data, size_t length, int level) {
  // Large blocks (a TR4 level's data) are packed as two runs on two threads and joined into one
  // zlib stream, as parallel gzip tools do: saving an edited level waits half as long.
  constexpr size_t kSplitFrom = 256 << 10;
  if (length < kSplitFrom) {
    uLongf out_len = compressBound(static_cast<uLong>(length));
    Bytes out(out_len);
    const int rc = compress2(out.data(), &out_len, data, static_cast<uLong>(length), level);
    if (rc != Z_OK) throw FileError("compression failed (zlib error " + std::to_string(rc) + ")");
    out.resize(out_len);
    return out;
  }
  const size_t half = length / 2;
  const size_t dict_len = std::min<size_t>(half, 32768);
  Bytes first, second;
  uint32_t adler_first = 0, adler_second = 0;
  bool first_ok = false;
  std::thread helper(
      [&] { first_ok = DeflateRun(data, half, nullptr, 0, false, level, first, adler_first); });
  const bool second_ok = DeflateRun(data + half, length - half, data + half - dict_len, dict_len,
                                    true, level, second, adler_second);
  helper.join();
  if (!first_ok || !second_ok) throw FileError("compression failed");

  const int flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  uint8_t flg = static_cast<uint8_t>(flevel << 6);
  flg = static_cast<uint8_t>(flg + 31 - ((0x78 * 256 + flg) % 31));
  const uint32_t adler = static_cast<uint32_t>(
      adler32_combine(adler_first, adler_second, static_cast<z_off_t>(length - half)));
  Bytes out;
  out.reserve(2 + first.size() + second.size() + 4);
  out.push_back(0x78);
  out.push_back(flg);
  out.insert(out.end(), first.begin(), first.end());
  out.insert(out.end(), second.begin(), second.end());
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(adler >> shift));
  return out;
}

Bytes UnpackBlock(const uint8_t* data, size_t length, uint64_t expected) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) throw FileError("cannot start decompression");
  // Deflate cannot expand more than 1032:1, so a stated size beyond that is not trusted for the
  // allocation, and the output never grows past it.
  const uint64_t most = std::min<uint64_t>(uint64_t{length} * 1032 + 1024, kMaxUnpackedSize);
  Bytes out;
  out.resize(std::min<uint64_t>(expected ? expected : (length + 255) / 256 * 256 * 4, most));
  zs.next_in = const_cast<Bytef*>(data);
  zs.avail_in = static_cast<uInt>(length);
  size_t produced = 0;
  for (;;) {
    if (produced == out.size()) {
      if (out.size() >= most) {
        inflateEnd(&zs);
        throw ContainerError("packed data unpacks to more than " +
                             std::to_string(kMaxUnpackedSize >> 20) + " MiB");
      }
      out.resize(std::min<uint64_t>(out.size() * 2 + 65536, most));
    }
    zs.next_out = out.data() + produced;
    zs.avail_out = static_cast<uInt>(out.size() - produced);
    const int rc = inflate(&zs, Z_NO_FLUSH);
    produced = out.size() - zs.avail_out;
    if (rc == Z_STREAM_END) break;
    if (rc == Z_BUF_ERROR && zs.avail_in == 0) {
      inflateEnd(&zs);
      throw ContainerError("packed data ends early (truncated zlib stream)");
    }
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      const std::string why = zs.msg ? zs.msg : ("zlib error " + std::to_string(rc));
      inflateEnd(&zs);
      throw ContainerError("packed data is damaged: " + why);
    }
  }
  inflateEnd(&zs);
  out.resize(produced);
  return out;
}

Bytes ReadWholeFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw FileError("cannot open " + path + ": " + SystemReason());
  Bytes content;
  struct stat st {};
  if (fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    throw FileError("cannot open " + path + ": it is a folder");
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxUnpackedSize) {
    std::fclose(f);
    throw FileError("cannot open " + path + ": " + std::to_string(st.st_size >> 20) +
                    " MiB is too large for a level file");
  }
  if (st.st_size > 0) content.reserve(static_cast<size_t>(st.st_size));
  uint8_t chunk[65536];
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, f);
    content.insert(content.end(), chunk, chunk + n);
    if (n < sizeof chunk) break;
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw FileError("cannot read " + path + ": " + SystemReason());
  return content;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

void WriteFileAtomically(const std::string& path, const uint8_t* data, size_t length) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp =
      (slash == std::string::npos ? std::string() : folder) + "." + base + ".qavel-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) throw FileError("cannot save " + path + ": " + SystemReason());
  temp = name.data();
  auto fail = [&](const std::string& what) {
    const std::string reason = SystemReason();
    ::close(fd);
    ::unlink(temp.c_str());
    throw FileError("cannot save " + path + ": " + what + reason);
  };
  size_t done = 0;
  while (done < length) {
    const ssize_t n = ::write(fd, data + done, length - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("");
    }
    done += static_cast<size_t>(n);
  }
  // Keep the permissions of the file we replace; new files get the usual ones.
  struct stat st {};
  if (stat(path.c_str(), &st) == 0)
    fchmod(fd, st.st_mode & 07777);
  else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  if (::fsync(fd) != 0) fail("");
  if (::close(fd) != 0) {
    const std::string reason = SystemReason();
    ::unlink(temp.c_str());
    throw FileError("cannot save " + path + ": " + reason);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string reason = SystemReason();
    ::unlink(temp.c_str());
    throw FileError("cannot save " + path + ": " + reason);
  }
}

bool IsContainer(const Bytes& file) {
  return file.size() > 12 && std::memcmp(file.data(), "ZLIB", 4) == 0;
}

Bytes UnpackContainer(const Bytes& file, const std::string& name) {
  const uint32_t packed_len = LoadU32(file.data() + 4);
  const uint32_t unpacked_len = LoadU32(file.data() + 8);
  if (packed_len > file.size() - 12)
    throw ContainerError(name + ": ZLIB container says " + std::to_string(packed_len) +
                         " packed bytes but only " + std::to_string(file.size() - 12) + " follow");
  try {
    return UnpackBlock(file.data() + 12, packed_len, unpacked_len);
  } catch (const ContainerError& e) {
    throw ContainerError(name + ": ZLIB container: " + e.what());
  }
}

void TZfile::OpenRead(const std::string& file_name) {
  file_name_ = file_name;
  packed_ = false;
  position_ = 0;
  buffer_ = ReadWholeFile(file_name);
  // A container is only taken for what it is when it is longer than its own header.
  if (IsContainer(buffer_)) {
    buffer_ = UnpackContainer(buffer_, file_name);
    packed_ = true;
  }
}

void TZfile::OpenWrite(const std::string& file_name) {
  file_name_ = file_name;
  packed_ = false;
  buffer_.clear();
  buffer_.reserve(0x40000);
  position_ = 0;
}

void TZfile::OpenBytes(Bytes content) {
  file_name_.clear();
  packed_ = false;
  buffer_ = std::move(content);
  position_ = 0;
}

size_t TZfile::Read(void* dest, size_t count) {
  const size_t n = std::min(count, buffer_.size() - position_);
  if (n) std::memcpy(dest, buffer_.data() + position_, n);
  position_ += n;
  return n;
}

void TZfile::Write(const void* src, size_t count) {
  if (position_ + count > buffer_.size()) buffer_.resize(position_ + count);
  if (count) std::memcpy(buffer_.data() + position_, src, count);
  position_ += count;
}

void TZfile::Skip(int64_t delta) {
  int64_t p = static_cast<int64_t>(position_) + delta;
  if (p < 0) p = 0;
  position_ = std::min(static_cast<size_t>(p), buffer_.size());
}

Bytes TZfile::TakeContent() {
  Bytes out = std::move(buffer_);
  buffer_.clear();
  position_ = 0;
  return out;
}

void TZfile::Close(bool save) {
  if (save) {
    if (packed_) {
      Bytes packed = PackBlock(buffer_.data(), buffer_.size());
      Bytes out;
      out.reserve(packed.size() + 12);
      const uint32_t p = static_cast<uint32_t>(packed.size());
      const uint32_t u = static_cast<uint32_t>(buffer_.size());
      out.insert(out.end(), {'Z', 'L', 'I', 'B'});
      out.insert(out.end(), reinterpret_cast<const uint8_t*>(&p),
                 reinterpret_cast<const uint8_t*>(&p) + 4);
      out.insert(out.end(), reinterpret_cast<const uint8_t*>(&u),
                 reinterpret_cast<const uint8_t*>(&u) + 4);
      out.insert(out.end(), packed.begin(), packed.end());
      WriteFileAtomically(file_name_, out);
    } else {
      WriteFileAtomically(file_name_, buffer_);
    }
  }
  Bytes().swap(buffer_);
  position_ = 0;
}

}  // namespace qavel
