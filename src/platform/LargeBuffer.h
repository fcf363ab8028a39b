// Byte buffers of megabytes that a save fills and lets go again: the
// temporary BMP's bytes and a GIF's top-down rows. On the portable build
// they come from the blocks that bitmap pixels and global memory use
// (portable/Blocks.h), so that a save draws all its large buffers from one
// set of kept blocks: a GIF's rows take the block of the 8-bit DIB section
// deleted just before, rather than fresh pages beside it, and the BMP's
// bytes come back as the block the picture is read back into. On Windows
// they come from the C++ heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#ifndef _WIN32
#include "platform/portable/Blocks.h"
#endif

namespace trendel {

#ifdef _WIN32
struct LargeBufferRelease {
  void operator()(std::uint8_t *bytes) const noexcept { delete[] bytes; }
};
#else
using LargeBufferRelease = portable::BlockRelease;
#endif

using LargeBuffer = std::unique_ptr<std::uint8_t[], LargeBufferRelease>;

// `bytes` bytes, 1 or more, holding whatever they held before; null when
// memory runs out.
LargeBuffer NewLargeBuffer(std::size_t bytes);

}  // namespace trendel
