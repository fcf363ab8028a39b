#include "Blocks.h"

#include "Accounting.h"
#include "RecycledStorage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace trendel::portable {
namespace {

// Smaller blocks come and go cheaply through the heap, and are not counted.
constexpr std::size_t LARGE_BLOCK_BYTES = 64 * 1024;
// Enough for the blocks of a 1920 x 1080 GIF save (two of 8 MB, two of
// 2 MB), with room to spare; a larger picture keeps what fits.
constexpr std::size_t KEPT_BYTES = 48 * 1024 * 1024;
constexpr std::size_t KEPT_BLOCKS = 8;
constexpr std::size_t PAGE_BYTES = 4096;

// Large blocks start on a page. A save's read-back copies the file's pages
// into a block at its pixels' offset, 14 bytes behind where they sit in the
// file's pages; the heap hands large blocks out 16 bytes into a page, which
// put every store of that copy 2 bytes ahead of the next load at the same
// offset within a page. The processor takes that for a dependency on the
// store (4K aliasing), and the copy ran four times as long. The heap's own
// address is kept just before the block. Under AddressSanitizer a block is
// exactly what the heap handed out, so that a write past either end of it
// is still caught.
std::uint8_t *NewPageBlock(std::size_t bytes) {
  if (!RECYCLE_STORAGE) return new std::uint8_t[bytes];
  constexpr std::size_t ADDRESS_BYTES = sizeof(std::uint8_t *);
  auto *allocation = new std::uint8_t[bytes + ADDRESS_BYTES + PAGE_BYTES];
  const auto after = reinterpret_cast<std::uintptr_t>(allocation) + ADDRESS_BYTES;
  std::uint8_t *block = allocation + ADDRESS_BYTES + (PAGE_BYTES - after % PAGE_BYTES) % PAGE_BYTES;
  std::memcpy(block - ADDRESS_BYTES, &allocation, ADDRESS_BYTES);
  return block;
}

void DeletePageBlock(std::uint8_t *block) noexcept {
  if (!RECYCLE_STORAGE) {
    delete[] block;
    return;
  }
  std::uint8_t *allocation = nullptr;
  std::memcpy(&allocation, block - sizeof allocation, sizeof allocation);
  delete[] allocation;
}

// The large blocks: how many bytes are in use, and the freed ones kept,
// oldest first. Process-wide like the handle table, and like it used only
// under the library's lock. It has no destructor on purpose: bitmaps and
// blocks that the handle table still holds at exit come back here while
// static objects are being destroyed, and simply stay.
//
// Kept blocks never make the process hold more than its blocks in use once
// did: the bytes in use and kept together stay within the most ever in use
// at once, and the oldest kept blocks go when a new block or another kept
// one would pass that. A save then keeps what the next save of its size
// takes again, and blocks of another size do not sit beside a save that
// cannot use them.
class KeptBlocks {
 public:
  static KeptBlocks &Instance() {
    static KeptBlocks kept;
    return kept;
  }

  // A block of at least `bytes` bytes, counted as in use: the smallest kept
  // one that holds them and wastes no more than `bytes`, or else a new one
  // from the heap. Throws std::bad_alloc when memory runs out.
  std::uint8_t *Provide(std::size_t bytes, std::size_t &capacity) {
    std::uint8_t *storage = Take(bytes, capacity);
    if (storage == nullptr) {
      // The kept blocks that would pass the most ever in use go first, so
      // that the heap may hand their pages out again.
      MakeRoomFor(bytes);
      storage = NewPageBlock(bytes);
      capacity = bytes;
      ++bytes_.blocksFromHeap;
    }
    bytes_.inUse += capacity;
    bytes_.mostInUse = std::max(bytes_.mostInUse, bytes_.inUse);
    bytes_.mostHeld = std::max(bytes_.mostHeld, bytes_.inUse + bytes_.kept);
    return storage;
  }

  // Keeps a block that is no longer in use, letting the oldest ones go to
  // make room, or gives it back to the heap.
  void Release(std::uint8_t *bytes, std::size_t capacity) noexcept {
    bytes_.inUse -= capacity;
    if (!RECYCLE_STORAGE || capacity > KEPT_BYTES) {
      DeletePageBlock(bytes);
      return;
    }
    MakeRoomFor(capacity);
    while (count_ == KEPT_BLOCKS || bytes_.kept + capacity > KEPT_BYTES) ReleaseOldest();
    blocks_[count_++] = Kept{bytes, capacity};
    bytes_.kept += capacity;
  }

  const LargeBlockBytes &Bytes() const { return bytes_; }
  void ResetMostHeld() { bytes_.mostHeld = bytes_.inUse + bytes_.kept; }

 private:
  struct Kept {
    std::uint8_t *bytes;
    std::size_t capacity;
  };

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

  // Lets the oldest kept blocks go until `capacity` more bytes, in use or
  // kept, would not take the total past the most ever in use.
  void MakeRoomFor(std::size_t capacity) {
    const std::size_t limit = std::max(bytes_.mostInUse, bytes_.inUse + capacity);
    while (count_ > 0 && bytes_.inUse + bytes_.kept + capacity > limit) ReleaseOldest();
  }

  void ReleaseOldest() {
    DeletePageBlock(blocks_[0].bytes);
    RemoveAt(0);
  }

  void RemoveAt(std::size_t index) {
    bytes_.kept -= blocks_[index].capacity;
    for (std::size_t i = index + 1; i < count_; ++i) blocks_[i - 1] = blocks_[i];
    --count_;
  }

  Kept blocks_[KEPT_BLOCKS] = {};
  std::size_t count_ = 0;
  LargeBlockBytes bytes_;
};

}  // namespace

void BlockRelease::operator()(std::uint8_t *bytes) const noexcept {
  if (capacity < LARGE_BLOCK_BYTES) {
    delete[] bytes;
  } else {
    KeptBlocks::Instance().Release(bytes, capacity);
  }
}

Block NewBlock(std::size_t bytes, BlockContents contents) {
  std::size_t capacity = bytes;
  std::uint8_t *storage = bytes < LARGE_BLOCK_BYTES
                              ? new std::uint8_t[bytes]
                              : KeptBlocks::Instance().Provide(bytes, capacity);
  if (contents == BlockContents::Zeros) std::memset(storage, 0, bytes);
  return Block(storage, BlockRelease{capacity});
}

LargeBlockBytes CountLargeBlockBytes() noexcept {
  return KeptBlocks::Instance().Bytes();
}

void ResetMostHeldLargeBlockBytes() noexcept {
  KeptBlocks::Instance().ResetMostHeld();
}

}  // namespace trendel::portable
