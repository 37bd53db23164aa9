#pragma once
// SharedBlock: an immutable run of bytes that several owners may share (the file a level was
// read from, its unpacked chunks, the model's texture pages and samples), possibly still packed
// until someone reads it. BlockBuffer: the storage such a block is filled in once.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "level/result.h"

namespace qavel {

using Bytes = std::vector<uint8_t>;

// Equality compares contents, so two models with equal pages compare equal.
//
// A packed block (Packed) holds one zlib stream and the size its file states; its bytes are
// unpacked the first time anyone asks for them (bytes, span, ToBytes, Unpack), once for it and
// every copy and slice of it, whichever thread asks first. Its size is known without unpacking.
// A stream that turns out damaged, or unpacks to another size than stated, leaves the block
// reading as that many zero bytes: callers that need the real bytes ask Unpack first and show
// its failure.
class SharedBlock {
 public:
  SharedBlock() = default;
  static SharedBlock Of(Bytes bytes);
  // `size` bytes held as the zlib stream `stream` (whose storage the block shares). `context`
  // begins the failure message ("f.tr4, 16-bit pages chunk, at offset 20").
  static SharedBlock Packed(SharedBlock stream, size_t size, std::string context);
  // The bytes [offset, offset + length) of this block, sharing its storage. The range must lie
  // inside the block.
  SharedBlock Slice(size_t offset, size_t length) const;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const uint8_t* bytes() const { return packed_ ? PackedBytes() : begin_; }
  std::span<const uint8_t> span() const { return {bytes(), size_}; }
  Bytes ToBytes() const { return Bytes(bytes(), bytes() + size_); }
  // Unpacks a packed block now, if nobody has yet; the failure says why its bytes read as zeros
  // ("f.tr4, 32-bit pages chunk, at offset 18: packed data is damaged: ..."). Ok for every
  // other block.
  Result Unpack() const;
  // Still packed: nothing has asked for the bytes of this block or of a block sharing its stream.
  bool IsPacked() const;
  // The same bytes of the same storage: a block nobody has replaced since it was read. Never
  // unpacks.
  bool SharesStorageWith(const SharedBlock& other) const {
    return storage_ == other.storage_ && begin_ == other.begin_ && packed_ == other.packed_ &&
           offset_ == other.offset_ && size_ == other.size_;
  }
  // Unpacks only where contents must be compared: two packed blocks of equal streams are equal
  // as they are. A block whose stream is damaged equals only blocks of the same stream.
  friend bool operator==(const SharedBlock& a, const SharedBlock& b);

 private:
  friend class BlockBuffer;
  struct Stream;
  const uint8_t* PackedBytes() const;

  std::shared_ptr<const uint8_t> storage_;
  const uint8_t* begin_ = nullptr;
  size_t size_ = 0;
  // A packed block: the stream, and where this block starts in what it unpacks to.
  std::shared_ptr<Stream> packed_;
  size_t offset_ = 0;
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
