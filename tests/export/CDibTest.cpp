// BMP files, the packed-bitmap CDib, and the depth changes behind it.
#include "Decoders.h"
#include "Pictures.h"

#include "export/BitmapFile.h"
#include "export/CDib.h"
#include "export/ConvertDib.h"
#include "platform/portable/Accounting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace trendel {
namespace {

using namespace testing;

std::uint32_t Dword(const std::vector<std::uint8_t> &bytes, std::size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
         (std::uint32_t{bytes[offset + 3]} << 24);
}

void WriteBytes(const std::string &path, const std::vector<std::uint8_t> &bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override { baseline_ = portable::CountLiveObjects(); }
  void TearDown() override {
    const portable::LiveObjectCounts now = portable::CountLiveObjects();
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_EQ(now.deviceContexts, baseline_.deviceContexts);
    EXPECT_EQ(now.globalBlocks, baseline_.globalBlocks);
    EXPECT_EQ(now.files, baseline_.files);
  }
  static std::string Path(const std::string &name) { return ScratchDirectory() + "/" + name; }

  // Writes the picture from a bitmap of the bit count (0: compatible).
  static std::string WriteFile(const Image &picture, int bitCount, const std::string &name) {
    HBITMAP bitmap = BitmapOf(picture, bitCount);
    HDC screen = GetDC(nullptr);
    EXPECT_TRUE(WriteBitmapFile(Path(name).c_str(), bitmap, screen));
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return Path(name);
  }

  portable::LiveObjectCounts baseline_;
};

TEST_F(Export, ThreeByTwoAt32BitsIs78BytesAndLoadsBack) {
  Image picture;
  picture.width = 3;
  picture.height = 2;
  picture.pixels = {1, 2, 3, 0x010203, 5, 6};
  const std::vector<std::uint8_t> bytes = ReadBytes(WriteFile(picture, 0, "small.bmp"));
  ASSERT_EQ(bytes.size(), 78u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(Dword(bytes, 2), 78u);   // bfSize
  EXPECT_EQ(Dword(bytes, 6), 0u);    // both reserved words
  EXPECT_EQ(Dword(bytes, 10), 54u);  // bfOffBits
  EXPECT_EQ(Dword(bytes, 14), 40u);
  EXPECT_EQ(Dword(bytes, 18), 3u);
  EXPECT_EQ(Dword(bytes, 22), 2u);
  EXPECT_EQ(Dword(bytes, 26), 1u | (32u << 16));  // planes, bit count
  for (std::size_t offset = 30; offset < 54; offset += 4) EXPECT_EQ(Dword(bytes, offset), 0u);

  CDib dib;
  ASSERT_TRUE(dib.LoadFromFile(Path("small.bmp").c_str()));
  EXPECT_EQ(dib.Width(), 3);
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(dib.BitCount(), 32);
  EXPECT_EQ(dib.Palette(), nullptr);
  // The first stored pixel is the bottom-left one, blue first.
  EXPECT_EQ(dib.Bits()[0], 0x03);
  EXPECT_EQ(dib.Bits()[2], 0x01);
}

TEST_F(Export, LetterFKeepsRowOrderPaddingAndColourOrder) {
  const Image letter = LetterF();
  const std::vector<std::uint8_t> bytes = ReadBytes(WriteFile(letter, 24, "letter.bmp"));
  ASSERT_EQ(bytes.size(), 54u + 5 * 20);  // 18 bytes of pixels raised to 20
  // The bottom row "#....." first: red, blue, blue, ..., then two zeros.
  const std::uint8_t bottom[20] = {0, 0, 255, 255, 0, 0,   255, 0, 0, 255,
                                   0, 0, 255, 0,   0, 255, 0,   0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes.data() + 54, bottom, 20), 0);
  Image decoded;
  ASSERT_TRUE(DecodeWithPillow(Path("letter.bmp"), decoded));
  EXPECT_EQ(decoded.pixels, letter.pixels);

  // 16 bits: width 3 takes 6 bytes, raised to 8.
  Image narrow;
  narrow.width = 3;
  narrow.height = 1;
  narrow.pixels = {RED, BLUE, 0x848484};  // colours 5-5-5 holds exactly
  const std::vector<std::uint8_t> sixteen = ReadBytes(WriteFile(narrow, 16, "narrow.bmp"));
  ASSERT_EQ(sixteen.size(), 54u + 8);
  EXPECT_EQ(sixteen[55], 0x7C);  // red 0x7C00, low byte first
  CDib dib;
  ASSERT_TRUE(dib.LoadFromFile(Path("narrow.bmp").c_str()));
  EXPECT_EQ(PixelsOf(dib).pixels, narrow.pixels);
}

TEST_F(Export, IndexedBitmapsAreWrittenAt24Bits) {
  const Image letter = LetterF();
  WriteFile(letter, 4, "letter4.bmp");
  CDib dib;
  ASSERT_TRUE(dib.LoadFromFile(Path("letter4.bmp").c_str()));
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_EQ(PixelsOf(dib).pixels, letter.pixels);
}

TEST_F(Export, AFileThatCannotBeCreatedIsReported) {
  const Image letter = LetterF();
  HBITMAP bitmap = BitmapOf(letter, 0);
  HDC screen = GetDC(nullptr);
  EXPECT_FALSE(WriteBitmapFile(Path("missing/letter.bmp").c_str(), bitmap, screen));
  EXPECT_FALSE(WriteBitmapFile(Path("letter.bmp").c_str(), nullptr, screen));
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
}

// A BMP file of the given header fields and `extra` bytes after the header.
std::vector<std::uint8_t> BmpBytes(std::int32_t width, std::int32_t height, int bitCount,
                                   DWORD colorsUsed, std::size_t extra, DWORD compression = BI_RGB,
                                   DWORD sizeImage = 0) {
  std::vector<std::uint8_t> bytes(54 + extra, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  const BITMAPINFOHEADER header{
      40, width, height,     1, static_cast<WORD>(bitCount), compression, sizeImage,
      0,  0,     colorsUsed, 0};
  std::memcpy(bytes.data() + 14, &header, sizeof header);
  return bytes;
}

TEST_F(Export, LoadFromFileRejectsWhatItCannotHoldAndKeepsThePicture) {
  CDib dib;
  WriteFile(LetterF(), 24, "kept.bmp");
  ASSERT_TRUE(dib.LoadFromFile(Path("kept.bmp").c_str()));
  HGLOBAL kept = dib.Handle();

  std::vector<std::vector<std::uint8_t>> rejected = {
      BmpBytes(2, 2, 24, 0, 15),                    // rows need 16 bytes
      BmpBytes(0, 2, 24, 0, 64),                    // no width
      BmpBytes(-2, 2, 24, 0, 64),                   // negative width
      BmpBytes(2, -2, 24, 0, 64),                   // top-down
      BmpBytes(2, 0, 24, 0, 64),                    // no rows
      BmpBytes(2, 2, 2, 0, 64),                     // 2 bits per pixel
      BmpBytes(2, 2, 8, 257, 2000),                 // more colours than 8 bits index
      BmpBytes(2, 2, 8, 200, 300),                  // a table longer than the file
      BmpBytes(2, 2, 8, 0, 64, 1, 4),               // run-length compressed
      BmpBytes(2, 2, 24, 0, 64, BI_RGB, 8),         // image size below the rows' size
      BmpBytes(0x40000000, 0x40000000, 32, 0, 64),  // sizes beyond any block
  };
  std::vector<std::uint8_t> wrongSignature = BmpBytes(1, 1, 24, 0, 4);
  wrongSignature[1] = 'N';
  rejected.push_back(wrongSignature);
  for (DWORD headerSize : {12u, 108u}) {
    std::vector<std::uint8_t> other = BmpBytes(1, 1, 24, 0, 200);
    std::memcpy(other.data() + 14, &headerSize, 4);
    rejected.push_back(other);
  }
  rejected.push_back(std::vector<std::uint8_t>{'B', 'M', 0});
  for (std::size_t i = 0; i < rejected.size(); ++i) {
    WriteBytes(Path("bad.bmp"), rejected[i]);
    EXPECT_FALSE(dib.LoadFromFile(Path("bad.bmp").c_str())) << "file " << i;
    EXPECT_EQ(dib.Handle(), kept) << "file " << i;
  }
  EXPECT_FALSE(dib.LoadFromFile(Path("no such file.bmp").c_str()));
  EXPECT_EQ(PixelsOf(dib).pixels, LetterF().pixels);
}

TEST_F(Export, LoadingCompletesColourCountAndImageSize) {
  std::vector<std::uint8_t> indexed = BmpBytes(2, 2, 8, 0, 4 * 256 + 8);
  indexed[54 + 4 * 7 + 2] = 200;  // entry 7 red
  indexed[54 + 4 * 256] = 7;      // bottom-left pixel
  WriteBytes(Path("indexed.bmp"), indexed);
  CDib dib;
  ASSERT_TRUE(dib.LoadFromFile(Path("indexed.bmp").c_str()));
  const auto *header = static_cast<const BITMAPINFOHEADER *>(GlobalLock(dib.Handle()));
  EXPECT_EQ(header->biClrUsed, 256u);
  EXPECT_EQ(header->biSizeImage, 8u);
  GlobalUnlock(dib.Handle());
  EXPECT_EQ(GetPaletteEntries(dib.Palette(), 0, 0, nullptr), 256u);
  EXPECT_EQ(PixelsOf(dib).At(0, 1), 0xC80000u);

  // A short table: the palette has just those entries.
  std::vector<std::uint8_t> two = BmpBytes(1, 1, 8, 2, 8 + 4);
  WriteBytes(Path("two.bmp"), two);
  ASSERT_TRUE(dib.LoadFromFile(Path("two.bmp").c_str()));
  EXPECT_EQ(GetPaletteEntries(dib.Palette(), 0, 0, nullptr), 2u);
}

TEST_F(Export, ChangeBitCountTo8UsesTheOctreePaletteOfTheColours) {
  Image picture;
  picture.width = 5;
  picture.height = 2;
  // Five colours; depth-first order at the root: black 0, blue 1, green 2,
  // red 4, white 7.
  picture.pixels = {0xFFFFFF, RED, 0x00FF00, BLUE, 0, RED, RED, 0, 0xFFFFFF, BLUE};
  CDib dib;
  ASSERT_TRUE(dib.Attach(PackedBlock(picture, 32)));
  ASSERT_TRUE(dib.ChangeBitCount(8));
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(GetPaletteEntries(dib.Palette(), 0, 0, nullptr), 256u);
  const std::vector<std::uint32_t> table = {TableEntry(dib, 0), TableEntry(dib, 1),
                                            TableEntry(dib, 2), TableEntry(dib, 3),
                                            TableEntry(dib, 4), TableEntry(dib, 5)};
  EXPECT_EQ(table, (std::vector<std::uint32_t>{0, BLUE, 0x00FF00, RED, 0xFFFFFF, 0}));
  EXPECT_EQ(dib.Bits()[0], 3);  // bottom-left: red
  EXPECT_EQ(PixelsOf(dib).pixels, picture.pixels);

  // Back up to 24 bits, then "to 24" again changes nothing.
  ASSERT_TRUE(dib.ChangeBitCount(24));
  EXPECT_EQ(PixelsOf(dib).pixels, picture.pixels);
  HGLOBAL block = dib.Handle();
  EXPECT_TRUE(dib.ChangeBitCount(24));
  EXPECT_EQ(dib.Handle(), block);
  EXPECT_FALSE(dib.ChangeBitCount(2));
  CDib empty;
  EXPECT_FALSE(empty.ChangeBitCount(8));
}

TEST_F(Export, OctreePalettesStayWithinMaxColorsWithAverages) {
  Image gradient;
  gradient.width = 64;
  gradient.height = 4;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 64; ++x) gradient.pixels.push_back(static_cast<std::uint32_t>(x * 4) << 16);
  }
  HGLOBAL block = PackedBlock(gradient, 24);
  HPALETTE palette = BuildOctreePalette(block, 4, 8);
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[4];
  ASSERT_EQ(GetPaletteEntries(palette, 0, 4, entries), 4u);
  // Red 0..252 in quarters by its top two bits: averages 30, 94, 158, 222.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(entries[i].peRed, 30 + 64 * i) << i;
  DeleteObject(palette);
  EXPECT_EQ(BuildOctreePalette(block, 4, 9), nullptr);
  EXPECT_EQ(BuildOctreePalette(nullptr, 4, 8), nullptr);
  GlobalFree(block);

  // 16-bit fields move to the top of their byte: 5-bit 31 reads as 248.
  Image white;
  white.width = 1;
  white.height = 1;
  white.pixels = {0xFFFFFF};
  block = PackedBlock(white, 16);
  palette = BuildOctreePalette(block, 256, 8);
  ASSERT_EQ(GetPaletteEntries(palette, 0, 1, entries), 1u);
  EXPECT_EQ(entries[0].peRed, 248);
  DeleteObject(palette);
  GlobalFree(block);

  // Indexed pictures are read through their colour table.
  block = PackedIndexedBlock(9, 1, 1, {1, 0, 0, 0, 0, 0, 0, 0, 1},
                             {RGBQUAD{0, 0, 0, 0}, RGBQUAD{10, 20, 30, 0}});
  palette = BuildOctreePalette(block, 256, 8);
  ASSERT_EQ(GetPaletteEntries(palette, 0, 2, entries), 2u);
  EXPECT_EQ(entries[1].peRed, 30);
  EXPECT_EQ(entries[1].peBlue, 10);
  DeleteObject(palette);
  GlobalFree(block);
}

TEST_F(Export, ConversionWithoutAPaletteFallsBackInTurn) {
  // An 8-bit source keeps its own table.
  HGLOBAL source = PackedIndexedBlock(2, 1, 8, {1, 0}, {RGBQUAD{0, 0, 0, 0}, RGBQUAD{0, 0, 99, 0}});
  HGLOBAL converted = ConvertPackedDib(source, 8, nullptr);
  CDib dib;
  ASSERT_TRUE(dib.Attach(converted));
  EXPECT_EQ(TableEntry(dib, 1), 0x630000u);
  EXPECT_EQ(dib.Bits()[0], 1);
  GlobalFree(source);
  // Otherwise the octree's colours of at most 236.
  source = PackedBlock(LetterF(), 24);
  ASSERT_TRUE(dib.Attach(ConvertPackedDib(source, 8, nullptr)));
  EXPECT_EQ(TableEntry(dib, 0), BLUE);
  EXPECT_EQ(TableEntry(dib, 1), RED);
  EXPECT_EQ(PixelsOf(dib).pixels, LetterF().pixels);
  EXPECT_EQ(ConvertPackedDib(source, 12, nullptr), nullptr);
  GlobalFree(source);
}

TEST_F(Export, AttachAndCopyTakeOnlyWholeBlocks) {
  CDib dib;
  EXPECT_FALSE(dib.Attach(nullptr));
  HGLOBAL tooShort = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 20);
  EXPECT_FALSE(dib.Attach(tooShort));
  GlobalFree(tooShort);
  EXPECT_EQ(CopyPackedDib(nullptr), nullptr);
  ASSERT_TRUE(dib.Attach(PackedBlock(LetterF(), 32)));
  HGLOBAL copy = CopyPackedDib(dib.Handle());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(GlobalSize(copy), GlobalSize(dib.Handle()));
  CDib other;
  ASSERT_TRUE(other.Attach(copy));
  EXPECT_EQ(PixelsOf(other).pixels, LetterF().pixels);
}

}  // namespace
}  // namespace trendel
