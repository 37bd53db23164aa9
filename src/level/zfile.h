#pragma once
// TZfile: an in-memory binary file with the "ZLIB" container, and the zlib pack/unpack helpers.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qavel {

using Bytes = std::vector<uint8_t>;

// A failure of the operating system or of the compression library, with a message for the user.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A "ZLIB" container or packed chunk that cannot be unpacked.
class ContainerError : public FileError {
 public:
  using FileError::FileError;
};

// Largest unpacked block we accept; real levels unpack to a few tens of megabytes.
inline constexpr uint64_t kMaxUnpackedSize = 512ull << 20;

// One zlib stream of the data at the given level (9 for everything we write).
Bytes PackBlock(const uint8_t* data, size_t length, int level = 9);
// Unpacks one zlib stream. expected is a hint (0 if unknown). Throws FileError when the stream
// is damaged or would unpack beyond kMaxUnpackedSize.
Bytes UnpackBlock(const uint8_t* data, size_t length, uint64_t expected);

// A file longer than 12 bytes that starts with "ZLIB": packed length, unpacked length, stream.
bool IsContainer(const Bytes& file);
// The content of such a container; throws ContainerError naming the file when it is damaged.
Bytes UnpackContainer(const Bytes& file, const std::string& name);

class TZfile {
 public:
  // Loads the whole file (unpacking a "ZLIB" container). Throws FileError on failure.
  void OpenRead(const std::string& file_name);
  // Starts an empty in-memory file that Close(true) writes to file_name.
  void OpenWrite(const std::string& file_name);
  // Wraps bytes already in memory, for parsing without touching the disk.
  void OpenBytes(Bytes content);

  // Copies min(count, size - position) bytes; returns how many were copied.
  size_t Read(void* dest, size_t count);
  void Write(const void* src, size_t count);
  void Seek(size_t p) { position_ = p < buffer_.size() ? p : buffer_.size(); }
  void Skip(int64_t delta);
  size_t Position() const { return position_; }
  size_t Size() const { return buffer_.size(); }
  bool Packed() const { return packed_; }
  const std::string& FileName() const { return file_name_; }
  const Bytes& Content() const { return buffer_; }
  Bytes TakeContent();

  // Saving writes the content (packed again if it came from a container) through
  // WriteFileAtomically; the object holds no memory afterwards.
  void Close(bool save);

 private:
  std::string file_name_;
  bool packed_ = false;
  Bytes buffer_;
  size_t position_ = 0;
};

// Returns the file's bytes; throws FileError with the system's reason.
Bytes ReadWholeFile(const std::string& path);
// Writes a temporary file in the target's folder, flushes it to disk and renames it over the
// target, so a failed save leaves the old file as it was. Throws FileError saying why.
void WriteFileAtomically(const std::string& path, const uint8_t* data, size_t length);
inline void WriteFileAtomically(const std::string& path, const Bytes& b) {
  WriteFileAtomically(path, b.data(), b.size());
}
bool FileExists(const std::string& path);

}  // namespace qavel
