#pragma once
// SharedBlock: an immutable run of bytes that several owners may share (the file a level was
// read from, its unpacked chunks, the model's texture pages and samples). BlockBuffer: the
// storage such a block is filled in once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qavel {

using Bytes = std::vector<uint8_t>;

// Equality compares contents, so two models with equal pages compare equal.
class SharedBlock {
 public:
  SharedBlock() = default;
  static SharedBlock Of(Bytes bytes);
  // The bytes [offset, offset + length) of this block, sharing its storage. The range must lie
  // inside the block.
  SharedBlock Slice(size_t offset, size_t length) const;

  size_t size() const { return size_; }
  const uint8_t* bytes() const { return begin_; }
  bool empty() const { return size_ == 0; }
  std::span<const uint8_t> span() const { return {begin_, size_}; }
  Bytes ToBytes() const { return Bytes(begin_, begin_ + size_); }
  // The same bytes of the same storage: a block nobody has replaced since it was read.
  bool SharesStorageWith(const SharedBlock& other) const {
    return storage_ == other.storage_ && begin_ == other.begin_ && size_ == other.size_;
  }
  friend bool operator==(const SharedBlock& a, const SharedBlock& b);

 private:
  friend class BlockBuffer;
  std::shared_ptr<const uint8_t> storage_;
  const uint8_t* begin_ = nullptr;
  size_t size_ = 0;
};

// Writable storage for a block that is filled once (a file's bytes, an unpacked chunk) and then
// shared. Its bytes start undefined. Large buffers are mapped from the system on 2 MiB pages
// where it offers them: fresh memory costs a page fault per page on first touch, and with 4 KiB
// pages those faults cost more than reading or inflating the bytes that fill them.
class BlockBuffer {
 public:
  explicit BlockBuffer(size_t capacity);
  uint8_t* data() { return data_.get(); }
  size_t capacity() const { return capacity_; }
  // More room, keeping the first `keep` bytes.
  void Grow(size_t capacity, size_t keep);
  // The first `size` bytes, as a block; the buffer is empty afterwards.
  SharedBlock Share(size_t size);

 private:
  std::shared_ptr<uint8_t> data_;
  size_t capacity_ = 0;
};

}  // namespace qavel
