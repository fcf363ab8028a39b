#include "CDib.h"

#include "ConvertDib.h"
#include "PackedDib.h"
#include "WaitCursor.h"

#include <cstring>

namespace trendel {
namespace {

constexpr std::uint8_t BMP_SIGNATURE[2] = {0x42, 0x4D};  // "BM"
constexpr DWORD FILE_HEADER_BYTES = 14;

BITMAPINFOHEADER ReadHeader(const std::uint8_t *bytes) {
  BITMAPINFOHEADER header;
  std::memcpy(&header, bytes, sizeof header);
  return header;
}

// A file handle closed when it goes out of scope.
class OpenFile {
 public:
  explicit OpenFile(const char *path)
      : handle_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenFile() {
    if (IsOpen()) CloseHandle(handle_);
  }
  OpenFile(const OpenFile &) = delete;
  OpenFile &operator=(const OpenFile &) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // True only when all `count` bytes arrive.
  bool Read(void *buffer, DWORD count) {
    DWORD read = 0;
    return ReadFile(handle_, buffer, count, &read, nullptr) && read == count;
  }
  std::uint64_t Size() const {
    DWORD high = 0;
    const DWORD low = GetFileSize(handle_, &high);
    if (low == INVALID_FILE_SIZE) return 0;
    return (std::uint64_t{high} << 32) | low;
  }

 private:
  HANDLE handle_;
};

// The header of a BMP file as it goes into the packed block: a colour count
// of 0 becomes the full table of an indexed picture and an image size of 0
// the rows' size, so that the block describes itself. Headers LayoutOf
// rejects anyway are left as they are.
BITMAPINFOHEADER CompletedHeader(BITMAPINFOHEADER header) {
  if (header.biClrUsed == 0 && header.biBitCount <= 8 && header.biBitCount > 0) {
    header.biClrUsed = 1u << header.biBitCount;
  }
  if (header.biSizeImage == 0 && header.biWidth > 0 && header.biHeight > 0 &&
      header.biPlanes == 1 && IsDibBitCount(header.biBitCount)) {
    const std::uint64_t rows =
        RowStride(static_cast<std::uint64_t>(header.biWidth), header.biBitCount) *
        static_cast<std::uint64_t>(header.biHeight);
    // A size that does not fit stays 0; LayoutOf then rejects the header.
    if (rows <= MAX_PACKED_BYTES) header.biSizeImage = static_cast<DWORD>(rows);
  }
  return header;
}

}  // namespace

CDib::~CDib() {
  Replace(nullptr, nullptr);
}

void CDib::Replace(HGLOBAL block, std::uint8_t *bytes) {
  if (block_ != nullptr) {
    GlobalUnlock(block_);
    GlobalFree(block_);
  }
  block_ = block;
  bytes_ = bytes;
  RebuildPalette();
}

std::int32_t CDib::Width() const {
  return bytes_ != nullptr ? ReadHeader(bytes_).biWidth : 0;
}
std::int32_t CDib::Height() const {
  return bytes_ != nullptr ? ReadHeader(bytes_).biHeight : 0;
}
std::uint16_t CDib::BitCount() const {
  return bytes_ != nullptr ? ReadHeader(bytes_).biBitCount : 0;
}

std::uint8_t *CDib::Bits() const {
  if (bytes_ == nullptr) return nullptr;
  return bytes_ + LayoutOf(ReadHeader(bytes_))->pixelOffset;
}

bool CDib::Attach(HGLOBAL block) {
  if (block == nullptr) return false;
  if (block == block_) return true;  // already ours: freeing it would lose it
  auto *bytes = static_cast<std::uint8_t *>(GlobalLock(block));
  if (bytes == nullptr) return false;
  if (GlobalSize(block) >= INFO_HEADER_BYTES) {
    const std::optional<PackedLayout> layout = LayoutOf(ReadHeader(bytes));
    if (layout && layout->packedSize <= GlobalSize(block)) {
      Replace(block, bytes);
      return true;
    }
  }
  GlobalUnlock(block);
  return false;
}

// Reads the 14-byte file header and the 40-byte info header, works out the
// packed size from them alone (the file header's sizes and offsets are not
// trusted), and reads exactly that many bytes in one go into a new block.
bool CDib::LoadFromFile(const char *path) {
  OpenFile file(path);
  if (!file.IsOpen()) return false;
  WaitCursor wait;
  std::uint8_t fileHeader[FILE_HEADER_BYTES];
  std::uint8_t infoHeader[INFO_HEADER_BYTES];
  if (!file.Read(fileHeader, FILE_HEADER_BYTES) ||
      std::memcmp(fileHeader, BMP_SIGNATURE, sizeof BMP_SIGNATURE) != 0 ||
      !file.Read(infoHeader, INFO_HEADER_BYTES)) {
    return false;
  }
  const BITMAPINFOHEADER header = CompletedHeader(ReadHeader(infoHeader));
  const std::optional<PackedLayout> layout = LayoutOf(header);
  const std::uint64_t fileSize = file.Size();
  if (!layout || fileSize < FILE_HEADER_BYTES ||
      layout->packedSize > fileSize - FILE_HEADER_BYTES) {
    return false;
  }
  // Not zero-initialised: the header and the read fill every byte, or the
  // block goes again.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(layout->packedSize));
  if (block == nullptr) return false;
  auto *bytes = static_cast<std::uint8_t *>(GlobalLock(block));
  std::memcpy(bytes, &header, sizeof header);
  if (!file.Read(bytes + INFO_HEADER_BYTES,
                 static_cast<DWORD>(layout->packedSize - INFO_HEADER_BYTES))) {
    GlobalUnlock(block);
    GlobalFree(block);
    return false;
  }
  Replace(block, bytes);
  return true;
}

// The palette follows the colour table: one entry per colour, flags 0.
void CDib::RebuildPalette() {
  if (palette_ != nullptr) DeleteObject(palette_);
  palette_ = nullptr;
  if (bytes_ == nullptr) return;
  const PackedLayout layout = *LayoutOf(ReadHeader(bytes_));
  if (layout.colorCount == 0) return;
  struct {
    WORD version;
    WORD count;
    PALETTEENTRY entries[256];
  } logical{0x300, static_cast<WORD>(layout.colorCount), {}};
  const std::uint8_t *table = bytes_ + layout.pixelOffset - 4 * layout.colorCount;
  for (std::uint32_t i = 0; i < layout.colorCount; ++i) {
    const std::uint8_t *quad = table + 4 * i;
    logical.entries[i] = PALETTEENTRY{quad[2], quad[1], quad[0], 0};
  }
  palette_ = CreatePalette(reinterpret_cast<const LOGPALETTE *>(&logical));
}

bool CDib::ChangeBitCount(int bitCount) {
  if (block_ == nullptr || !IsDibBitCount(bitCount)) return false;
  if (bitCount == BitCount()) return true;
  HGLOBAL converted = ConvertPicture(block_, bitCount);
  if (converted == nullptr) return false;
  Replace(converted, static_cast<std::uint8_t *>(GlobalLock(converted)));
  return true;
}

HGLOBAL CopyPackedDib(HGLOBAL block) {
  if (block == nullptr) return nullptr;
  const SIZE_T size = GlobalSize(block);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (copy == nullptr) return nullptr;
  const void *source = GlobalLock(block);
  void *target = GlobalLock(copy);
  if (source != nullptr && target != nullptr) std::memcpy(target, source, size);
  if (source != nullptr) GlobalUnlock(block);
  if (target != nullptr) GlobalUnlock(copy);
  if (source == nullptr || target == nullptr) {
    GlobalFree(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace trendel
