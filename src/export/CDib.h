// A device-independent bitmap held as one packed block of moveable global
// memory, with a palette built from its colour table.
#pragma once

#include "platform/win32.h"

#include <cstdint>

namespace trendel {

class CDib {
 public:
  CDib() = default;
  virtual ~CDib();
  CDib(const CDib &) = delete;
  CDib &operator=(const CDib &) = delete;

  // Reads a BMP file. False, with the CDib unchanged, for a file that cannot
  // be read or that is not a bottom-up BMP with a 40-byte header whose
  // header, colour table and rows all lie inside the file.
  bool LoadFromFile(const char *path);

  // Takes ownership of a packed block. False, with the block still the
  // caller's, for a null block or one whose header this class cannot read
  // or that is shorter than its header says.
  bool Attach(HGLOBAL block);

  // The packed block itself, still owned by the CDib; null when empty.
  HGLOBAL Handle() const { return block_; }
  std::int32_t Width() const;
  std::int32_t Height() const;
  std::uint16_t BitCount() const;
  // The bottom pixel row; valid until the block is replaced.
  std::uint8_t *Bits() const;
  HPALETTE Palette() const { return palette_; }

  // Re-encodes the picture at 1, 4, 8, 16, 24 or 32 bits per pixel; for 8
  // and fewer through an octree palette of that many bits. False, with the
  // CDib unchanged, when it is empty or the conversion fails.
  bool ChangeBitCount(int bitCount);

 private:
  void Replace(HGLOBAL block, std::uint8_t *bytes);
  void RebuildPalette();

  HGLOBAL block_ = nullptr;
  // The block's bytes: it stays locked for as long as the CDib holds it.
  std::uint8_t *bytes_ = nullptr;
  HPALETTE palette_ = nullptr;
};

// A byte copy of a packed block in a new moveable, zero-initialised block of
// the same size; null for a null block or when memory runs out.
HGLOBAL CopyPackedDib(HGLOBAL block);

}  // namespace trendel
