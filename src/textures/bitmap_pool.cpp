#include "textures/bitmap_pool.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace qavel {

namespace {

// Bitmaps smaller than this come straight from QImage; the pool keeps at most kPoolBytes.
constexpr size_t kMinPooledBytes = 256 * 1024;
constexpr size_t kPoolBytes = 64 * 1024 * 1024;

struct Block {
  size_t size = 0;
  std::unique_ptr<uint8_t[]> data;
};

class Pool {
 public:
  ~Pool() { closed_ = true; }

  std::unique_ptr<Block> Take(size_t size) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < free_.size(); ++i) {
      if (free_[i]->size >= size && free_[i]->size <= size + size / 4) {
        auto block = std::move(free_[i]);
        free_.erase(free_.begin() + std::ptrdiff_t(i));
        held_ -= block->size;
        return block;
      }
    }
    auto block = std::make_unique<Block>();
    block->size = size;
    block->data = std::make_unique_for_overwrite<uint8_t[]>(size);
    return block;
  }

  void Give(std::unique_ptr<Block> block) {
    std::lock_guard lock(mutex_);
    // Oldest blocks go first when the pool is full.
    while (!free_.empty() && held_ + block->size > kPoolBytes) {
      held_ -= free_.front()->size;
      free_.erase(free_.begin());
    }
    if (block->size > kPoolBytes) return;
    held_ += block->size;
    free_.push_back(std::move(block));
  }

  static bool closed() { return closed_; }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<Block>> free_;
  size_t held_ = 0;
  static inline std::atomic<bool> closed_{false};
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

// QImage hands the block back through a C callback; the Block travels as a plain pointer
// across that boundary only and is owned again by a unique_ptr at once.
void ReturnBlock(void* info) {
  std::unique_ptr<Block> block(static_cast<Block*>(info));
  if (!Pool::closed()) ThePool().Give(std::move(block));
}

}  // namespace

QImage NewBitmap16(QSize size) {
  if (size.isEmpty()) return {};
  const qsizetype bytes_per_line = (qsizetype(size.width()) * 2 + 3) & ~qsizetype{3};
  const size_t bytes = size_t(bytes_per_line) * size_t(size.height());
  if (bytes < kMinPooledBytes) return QImage(size, QImage::Format_RGB16);
  std::unique_ptr<Block> block = ThePool().Take(bytes);
  uint8_t* data = block->data.get();
  Block* info = block.release();
  QImage image(data, size.width(), size.height(), bytes_per_line, QImage::Format_RGB16, ReturnBlock,
               info);
  return image;
}

}  // namespace qavel
