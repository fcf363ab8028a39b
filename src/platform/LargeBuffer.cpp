#include "LargeBuffer.h"

#include <new>

namespace trendel {

LargeBuffer NewLargeBuffer(std::size_t bytes) {
#ifdef _WIN32
  return LargeBuffer(new (std::nothrow) std::uint8_t[bytes]);
#else
  try {
    return portable::NewBlock(bytes, portable::BlockContents::Undefined);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
#endif
}

}  // namespace trendel
