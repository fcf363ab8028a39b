// Fuzz target for the one parser of outside data: CDib::LoadFromFile. Each
// input is written to a file and loaded; a picture that loads is then read
// to its last byte, brought to 8 and 24 bits, and written as GIF and JPEG to
// nowhere, so that every size the loader lets through meets the code that
// trusts it. Every object the portable layer counts must be gone afterwards.
#include "export/CDib.h"
#include "export/GifFile.h"
#include "export/JpegFile.h"
#include "export/PackedDib.h"
#include "platform/portable/Accounting.h"

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace trendel;

// Larger pictures are only loaded and read: converting them would slow the
// search down without reaching other code.
constexpr long long MAX_CONVERTED_PIXELS = 1 << 12;

const std::string &InputPath() {
  static const std::string path = [] {
    const char *directory = std::getenv("TMPDIR");
    return std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
           "/trendel-fuzz-" + std::to_string(getpid()) + ".bmp";
  }();
  return path;
}

bool SameCounts(const portable::LiveObjectCounts &first, const portable::LiveObjectCounts &second) {
  return first.gdiObjects == second.gdiObjects && first.deviceContexts == second.deviceContexts &&
         first.globalBlocks == second.globalBlocks && first.files == second.files;
}

// Touches every byte of the packed block, so that a block shorter than its
// header says shows up under AddressSanitizer.
unsigned ReadEveryByte(const CDib &dib) {
  const auto *bytes = static_cast<const std::uint8_t *>(GlobalLock(dib.Handle()));
  unsigned sum = 0;
  const std::size_t size = GlobalSize(dib.Handle());
  for (std::size_t i = 0; i < size; ++i) sum += bytes[i];
  GlobalUnlock(dib.Handle());
  const std::uint64_t rows = RowStride(static_cast<std::uint64_t>(dib.Width()), dib.BitCount()) *
                             static_cast<std::uint64_t>(dib.Height());
  for (std::uint64_t i = 0; i < rows; ++i) sum += dib.Bits()[i];
  return sum;
}

void Exercise(const CDib &dib) {
  volatile unsigned sum = ReadEveryByte(dib);
  (void)sum;
  if (static_cast<long long>(dib.Width()) * dib.Height() > MAX_CONVERTED_PIXELS) return;
  GifFile gif;
  gif.WriteFromDib("/dev/null", &dib);
  JpegFile jpeg;
  jpeg.WriteFromDib("/dev/null", &dib, 75);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::FILE *file = std::fopen(InputPath().c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  const portable::LiveObjectCounts before = portable::CountLiveObjects();
  {
    CDib dib;
    if (dib.LoadFromFile(InputPath().c_str())) Exercise(dib);
  }
  if (!SameCounts(before, portable::CountLiveObjects())) std::abort();
  return 0;
}
