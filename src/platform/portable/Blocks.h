// Storage for the pixels of bitmaps and the bytes of global memory blocks.
//
// A save makes and frees blocks of megabytes several times over: the
// off-screen bitmap, the BMP file's bytes, the picture read back, the DIB
// sections of the depth change. The C library gives freed blocks that large
// back to the system and faults fresh pages in for the next ones, which cost
// a 1920 x 1080 save a quarter of its time. Freed blocks of LARGE_BLOCK_BYTES
// and more are therefore kept, up to KEPT_BYTES in all (Blocks.cpp), and a
// new block takes the smallest kept one that holds it without wasting more
// than its own size. What is kept never takes the large blocks, in use and
// kept together, past the most ever in use at once, so that keeping them
// costs no memory beyond a save's own peak.
//
// A kept block holds whatever its last owner left in it, so every caller says
// whether it needs zeros. Under AddressSanitizer nothing is kept, so that a
// block used after it was freed is still caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace trendel::portable {

// Hands a block back: to the kept blocks, or to the heap.
struct BlockRelease {
  std::size_t capacity = 0;
  void operator()(std::uint8_t *bytes) const noexcept;
};

using Block = std::unique_ptr<std::uint8_t[], BlockRelease>;

enum class BlockContents { Undefined, Zeros };

// A block of `bytes` bytes, 1 or more. Throws std::bad_alloc when memory runs
// out.
Block NewBlock(std::size_t bytes, BlockContents contents);

}  // namespace trendel::portable
