// Fuzz target for the one parser of outside data: CDib::LoadFromFile. Each
// input is written to a file and loaded; a picture that loads is then read
// to its last byte, brought to 8 and 24 bits, and written as GIF and JPEG to
// nowhere, so that every size the loader lets through meets the code that
// trusts it. Every object the portable layer counts must be gone afterwards.
#include "LiveObjects.h"
#include "Sandbox.h"
#include "export/CDib.h"
#include "export/GifFile.h"
#include "export/JpegFile.h"
#include "export/PackedDib.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using namespace trendel;
using namespace trendel::fuzzing;

// Larger pictures are only loaded and read: converting them would slow the
// search down without reaching other code.
constexpr long long MAX_CONVERTED_PIXELS = 1 << 12;

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
  const Sandbox &sandbox = Sandbox::Instance();
  const std::string path = sandbox.OutputFolder() + "input.bmp";
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Fail("cannot write the input file");
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  const portable::LiveObjectCounts before = portable::CountLiveObjects();
  {
    CDib dib;
    if (dib.LoadFromFile(path.c_str())) Exercise(dib);
  }
  RequireSameObjects(before, portable::CountLiveObjects());
  sandbox.CheckAndClean();
  return 0;
}
