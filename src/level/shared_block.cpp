#include "level/shared_block.h"

#include <sys/mman.h>

#include <atomic>
#include <cassert>
#include <cstring>
#include <mutex>

#include "level/zfile.h"

namespace qavel {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kPage = 4096;
// Smaller buffers gain little from huge pages.
constexpr size_t kMapFrom = size_t{1} << 20;

// Storage of at least `size` bytes, undefined. A large one is a private mapping that starts on
// a 2 MiB boundary and is marked for huge pages, so each whole 2 MiB run faults in at once. Its
// length is rounded up to whole huge pages when that wastes at most a quarter of the size;
// otherwise the tail past the last whole huge page gets small pages, filled in one call rather
// than one fault each.
std::shared_ptr<uint8_t> NewStorage(size_t size) {
  if (size >= kMapFrom) {
    const size_t whole = (size + kHugePage - 1) / kHugePage * kHugePage;
    const size_t length = whole - size <= size / 4 ? whole : (size + kPage - 1) / kPage * kPage;
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
      auto* base = static_cast<uint8_t*>(raw);
      const auto offset = static_cast<size_t>(
          (kHugePage - reinterpret_cast<uintptr_t>(base) % kHugePage) % kHugePage);
      if (offset) munmap(base, offset);
      if (kHugePage - offset) munmap(base + offset + length, kHugePage - offset);
      uint8_t* aligned = base + offset;
      madvise(aligned, length, MADV_HUGEPAGE);
      const size_t huge = length / kHugePage * kHugePage;
#ifdef MADV_POPULATE_WRITE
      if (length > huge) madvise(aligned + huge, length - huge, MADV_POPULATE_WRITE);
#endif
      return {aligned, [length](uint8_t* p) { munmap(p, length); }};
    }
  }
  return std::shared_ptr<uint8_t>(new uint8_t[size ? size : 1], std::default_delete<uint8_t[]>());
}

}  // namespace

// The zlib stream of a packed block and, once unpacked, what it gave.
struct SharedBlock::Stream {
  SharedBlock packed;  // the stream's bytes (never itself packed)
  size_t size = 0;     // what the file states it unpacks to
  std::string context;
  std::once_flag once;
  std::atomic<bool> done{false};
  SharedBlock bytes;  // `size` bytes: the unpacked stream, or zeros when it failed
  Result result;

  void Unpack() {
    std::call_once(once, [this] {
      auto out = UnpackBlock(packed.bytes(), packed.size(), size);
      if (out && out->size() == size) {
        bytes = std::move(*out);
      } else {
        const std::string why = out ? "packed data unpacks to " + std::to_string(out->size()) +
                                          " bytes, not the " + std::to_string(size) + " stated"
                                    : out.message();
        result = Result::Fail(Status::kDamaged, context + ": " + why);
        BlockBuffer zeros(size);
        std::memset(zeros.data(), 0, size);
        bytes = zeros.Share(size);
      }
      done.store(true, std::memory_order_release);
    });
  }
};

SharedBlock SharedBlock::Packed(SharedBlock stream, size_t size, std::string context) {
  SharedBlock block;
  block.packed_ = std::make_shared<Stream>();
  block.packed_->packed = std::move(stream);
  block.packed_->size = size;
  block.packed_->context = std::move(context);
  block.size_ = size;
  return block;
}

const uint8_t* SharedBlock::PackedBytes() const {
  packed_->Unpack();
  return packed_->bytes.bytes() + offset_;
}

Result SharedBlock::Unpack() const {
  if (!packed_) return Result::Ok();
  packed_->Unpack();
  return packed_->result;
}

bool SharedBlock::IsPacked() const {
  return packed_ && !packed_->done.load(std::memory_order_acquire);
}

SharedBlock SharedBlock::Of(Bytes bytes) {
  SharedBlock block;
  if (bytes.empty()) return block;
  auto holder = std::make_shared<const Bytes>(std::move(bytes));
  block.begin_ = holder->data();
  block.size_ = holder->size();
  block.storage_ = std::shared_ptr<const uint8_t>(holder, holder->data());
  return block;
}

SharedBlock SharedBlock::Slice(size_t offset, size_t length) const {
  assert(offset <= size_ && length <= size_ - offset);
  SharedBlock block;
  if (length == 0) return block;
  block.storage_ = storage_;
  block.size_ = length;
  block.packed_ = packed_;
  if (packed_)
    block.offset_ = offset_ + offset;
  else
    block.begin_ = begin_ + offset;
  return block;
}

bool operator==(const SharedBlock& a, const SharedBlock& b) {
  if (a.size_ != b.size_) return false;
  if (a.size_ == 0 || a.SharesStorageWith(b)) return true;
  // The same stream, however it came to be read twice, unpacks to the same bytes.
  if (a.packed_ && b.packed_ && a.offset_ == b.offset_ && a.packed_->size == b.packed_->size &&
      a.packed_->packed == b.packed_->packed)
    return true;
  // What a damaged stream holds is not known, so it equals nothing else.
  if (!a.Unpack() || !b.Unpack()) return false;
  const uint8_t* x = a.bytes();
  const uint8_t* y = b.bytes();
  return x == y || std::memcmp(x, y, a.size_) == 0;
}

BlockBuffer::BlockBuffer(size_t capacity) : data_(NewStorage(capacity)), capacity_(capacity) {}

void BlockBuffer::Grow(size_t capacity, size_t keep) {
  assert(keep <= capacity_ && keep <= capacity);
  auto grown = NewStorage(capacity);
  if (keep) std::memcpy(grown.get(), data_.get(), keep);
  data_ = std::move(grown);
  capacity_ = capacity;
}

SharedBlock BlockBuffer::Share(size_t size) {
  assert(size <= capacity_);
  SharedBlock block;
  if (size) {
    block.storage_ = std::move(data_);
    block.begin_ = block.storage_.get();
    block.size_ = size;
  }
  data_.reset();
  capacity_ = 0;
  return block;
}

}  // namespace qavel
