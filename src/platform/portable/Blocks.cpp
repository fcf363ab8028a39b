#include "Blocks.h"

#include "RecycledStorage.h"

#include <cstring>

namespace trendel::portable {
namespace {

// Smaller blocks come and go cheaply through the heap.
constexpr std::size_t LARGE_BLOCK_BYTES = 64 * 1024;
// Enough for the blocks of a 1920 x 1080 GIF save (three of 8 MB, three of
// 2 MB), with room to spare; a larger picture keeps what fits.
constexpr std::size_t KEPT_BYTES = 48 * 1024 * 1024;
constexpr std::size_t KEPT_BLOCKS = 8;

// Freed large blocks, oldest first. Process-wide like the handle table, and
// like it used only under the library's lock. It has no destructor on
// purpose: bitmaps and blocks that the handle table still holds at exit come
// back here while static objects are being destroyed, and simply stay.
class KeptBlocks {
 public:
  static KeptBlocks &Instance() {
    static KeptBlocks kept;
    return kept;
  }

  // The smallest kept block that holds `bytes` and wastes no more than
  // `bytes`, taken out of the list; null when none fits.
  std::uint8_t *Take(std::size_t bytes, std::size_t &capacity) {
    std::size_t best = count_;
    for (std::size_t i = 0; i < count_; ++i) {
      const std::size_t size = blocks_[i].capacity;
      if (size >= bytes && size / 2 <= bytes && (best == count_ || size < blocks_[best].capacity)) {
        best = i;
      }
    }
    if (best == count_) return nullptr;
    std::uint8_t *taken = blocks_[best].bytes;
    capacity = blocks_[best].capacity;
    RemoveAt(best);
    return taken;
  }

  // Keeps the block, letting the oldest ones go to make room; false when the
  // block is not one to keep.
  bool Keep(std::uint8_t *bytes, std::size_t capacity) {
    if (!RECYCLE_STORAGE || capacity < LARGE_BLOCK_BYTES || capacity > KEPT_BYTES) return false;
    while (count_ == KEPT_BLOCKS || keptBytes_ + capacity > KEPT_BYTES) {
      delete[] blocks_[0].bytes;
      RemoveAt(0);
    }
    blocks_[count_++] = Kept{bytes, capacity};
    keptBytes_ += capacity;
    return true;
  }

 private:
  struct Kept {
    std::uint8_t *bytes;
    std::size_t capacity;
  };

  void RemoveAt(std::size_t index) {
    keptBytes_ -= blocks_[index].capacity;
    for (std::size_t i = index + 1; i < count_; ++i) blocks_[i - 1] = blocks_[i];
    --count_;
  }

  Kept blocks_[KEPT_BLOCKS] = {};
  std::size_t count_ = 0;
  std::size_t keptBytes_ = 0;
};

}  // namespace

void BlockRelease::operator()(std::uint8_t *bytes) const noexcept {
  if (!KeptBlocks::Instance().Keep(bytes, capacity)) delete[] bytes;
}

Block NewBlock(std::size_t bytes, BlockContents contents) {
  std::size_t capacity = bytes;
  std::uint8_t *storage =
      bytes >= LARGE_BLOCK_BYTES ? KeptBlocks::Instance().Take(bytes, capacity) : nullptr;
  if (storage == nullptr) {
    storage = new std::uint8_t[bytes];
    capacity = bytes;
  }
  if (contents == BlockContents::Zeros) std::memset(storage, 0, bytes);
  return Block(storage, BlockRelease{capacity});
}

}  // namespace trendel::portable
