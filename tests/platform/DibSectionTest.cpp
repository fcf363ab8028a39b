// DIB sections, GetDIBits, colour conversion in BitBlt, and palettes. The
// expected conversions were measured under the GDI oracle.
#include "Canvas.h"

#include "platform/portable/Accounting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace trendel {
namespace {

using testing::Canvas;

// A BITMAPINFO with room for a full colour table or three masks.
struct Info {
  BITMAPINFOHEADER header{};
  RGBQUAD colors[256]{};

  Info(int width, int height, int bitCount, DWORD compression = BI_RGB) {
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitCount);
    header.biCompression = compression;
  }
  void SetMasks(DWORD red, DWORD green, DWORD blue) {
    const DWORD masks[3] = {red, green, blue};
    std::memcpy(colors, masks, sizeof masks);
  }
  BITMAPINFO *get() { return reinterpret_cast<BITMAPINFO *>(this); }
};

// A DIB section selected into its own memory DC, released on destruction.
class Section {
 public:
  explicit Section(Info &info) {
    bitmap_ = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits_, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Section() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Section(const Section &) = delete;
  Section &operator=(const Section &) = delete;

  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  std::uint8_t *bytes() const { return static_cast<std::uint8_t *>(bits_); }

 private:
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void *bits_ = nullptr;
};

// Paints one pixel of a canvas: a 1 x 1 Rectangle is a single pen pixel.
void Paint(Canvas &canvas, int x, int y, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ previous = SelectObject(canvas.dc(), pen);
  Rectangle(canvas.dc(), x, y, x + 1, y + 1);
  SelectObject(canvas.dc(), previous);
  DeleteObject(pen);
}

class DibSections : public ::testing::Test {
 protected:
  void SetUp() override { baseline_ = portable::CountLiveObjects(); }
  void TearDown() override {
    const portable::LiveObjectCounts now = portable::CountLiveObjects();
    EXPECT_EQ(now.gdiObjects, baseline_.gdiObjects);
    EXPECT_EQ(now.deviceContexts, baseline_.deviceContexts);
  }
  portable::LiveObjectCounts baseline_;
};

TEST_F(DibSections, EveryDepthRoundTripsColoursItCanHold) {
  // Colours every layout holds exactly: 0x84 is 5-bit 0x10 widened.
  const COLORREF colors[4] = {RGB(255, 0, 0), RGB(0, 0x84, 0), RGB(0, 0, 255),
                              RGB(0x84, 0x84, 0x84)};
  for (int bitCount : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bitCount);
    Info info(5, 3, bitCount);
    for (int i = 0; i < 4; ++i) {
      info.colors[i] = RGBQUAD{GetBValue(colors[i]), GetGValue(colors[i]), GetRValue(colors[i]), 0};
    }
    const int held = bitCount == 1 ? 2 : 4;
    Section section(info);
    ASSERT_NE(section.bitmap(), nullptr);
    Canvas source(5, 3), back(5, 3);
    for (int x = 0; x < 5; ++x) Paint(source, x, x % 3, colors[(x + 1) % held]);
    for (int y = 0; y < 3; ++y) Paint(source, 0, y, colors[y % held]);
    // Unpainted pixels are white, which only the 24- and 32-bit layouts and
    // the table's nearest entry can hold; compare what went in, through the
    // section, against a second trip.
    ASSERT_TRUE(BitBlt(section.dc(), 0, 0, 5, 3, source.dc(), 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(back.dc(), 0, 0, 5, 3, section.dc(), 0, 0, SRCCOPY));
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(back.At(x, x % 3), source.At(x, x % 3)) << "x " << x;
    }
    for (int y = 0; y < 3; ++y) EXPECT_EQ(back.At(0, y), source.At(0, y));
  }
}

TEST_F(DibSections, RowsArePaddedAndStoredBottomUpUnlessTheHeightIsNegative) {
  Canvas source(5, 2);
  Paint(source, 0, 0, RGB(1, 2, 3));  // top-left
  Info bottomUp(5, 2, 24), topDown(5, -2, 24);
  Section first(bottomUp), second(topDown);
  BITMAP description{};
  ASSERT_EQ(GetObject(first.bitmap(), sizeof description, &description),
            static_cast<int>(sizeof description));
  EXPECT_EQ(description.bmWidthBytes, 16);  // 15 raised to a multiple of 4
  EXPECT_EQ(description.bmBits, first.bytes());
  BitBlt(first.dc(), 0, 0, 5, 2, source.dc(), 0, 0, SRCCOPY);
  BitBlt(second.dc(), 0, 0, 5, 2, source.dc(), 0, 0, SRCCOPY);
  // Blue, green, red; the top row is the second stored row bottom-up.
  const std::uint8_t *storedTop = first.bytes() + 16;
  EXPECT_EQ(storedTop[0], 3);
  EXPECT_EQ(storedTop[1], 2);
  EXPECT_EQ(storedTop[2], 1);
  EXPECT_EQ(second.bytes()[0], 3);
  EXPECT_EQ(second.bytes()[2], 1);
  EXPECT_EQ(first.bytes()[15], 0);  // padding untouched
}

TEST_F(DibSections, ColoursGoToTheNearestTableEntryAndTiesToTheLowestIndex) {
  Info info(6, 1, 8);
  info.header.biClrUsed = 4;
  info.colors[0] = RGBQUAD{0, 0, 0, 0};
  info.colors[1] = RGBQUAD{0, 0, 200, 0};  // red 200
  info.colors[2] = RGBQUAD{0, 0, 100, 0};  // red 100
  info.colors[3] = RGBQUAD{255, 255, 255, 0};
  Section section(info);
  Canvas source(6, 1);
  const COLORREF colors[6] = {RGB(150, 0, 0), RGB(50, 0, 0),      RGB(190, 10, 0),
                              RGB(0, 0, 0),   RGB(128, 128, 128), RGB(250, 250, 240)};
  for (int x = 0; x < 6; ++x) Paint(source, x, 0, colors[x]);
  BitBlt(section.dc(), 0, 0, 6, 1, source.dc(), 0, 0, SRCCOPY);
  const std::vector<int> expected = {1, 0, 1, 0, 2, 3};
  EXPECT_EQ(std::vector<int>(section.bytes(), section.bytes() + 6), expected);
  // Entries past the header's count are black and take part as such.
  EXPECT_EQ(SetDIBColorTable(section.dc(), 3, 5, info.colors), 5u);
  EXPECT_EQ(SetDIBColorTable(section.dc(), 255, 5, info.colors), 1u);
  EXPECT_EQ(SetDIBColorTable(section.dc(), 256, 1, info.colors), 0u);
}

// Plain 32-bit pixels go into an 8-bit table by a special case; the same
// pixels from a 24-bit section take the general path and must come out as
// the same indices, spare bytes and offsets included. The table has
// duplicates, so ties are settled too.
TEST_F(DibSections, ThirtyTwoBitPixelsGetTheIndicesOfTheGeneralPath) {
  constexpr int WIDTH = 37, HEIGHT = 23;
  std::mt19937 random(61);
  Info indexed(WIDTH, HEIGHT, 8);
  for (int i = 0; i < 256; ++i) {
    const auto value = static_cast<std::uint32_t>(random());
    indexed.colors[i] =
        RGBQUAD{static_cast<BYTE>(value & 0xC0), static_cast<BYTE>((value >> 8) & 0xC0),
                static_cast<BYTE>((value >> 16) & 0xC0), 0};
  }
  Info wide(WIDTH, HEIGHT, 32), narrow(WIDTH, HEIGHT, 24);
  Section fromWide(wide), fromNarrow(narrow), toFromWide(indexed), toFromNarrow(indexed);
  const int narrowStride = (WIDTH * 3 + 3) / 4 * 4;
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      const auto value = static_cast<std::uint32_t>(random());
      std::memcpy(fromWide.bytes() + (y * WIDTH + x) * 4, &value, 4);  // spare byte included
      std::memcpy(fromNarrow.bytes() + y * narrowStride + x * 3, &value, 3);
    }
  }
  BitBlt(toFromWide.dc(), 0, 0, WIDTH, HEIGHT, fromWide.dc(), 0, 0, SRCCOPY);
  BitBlt(toFromNarrow.dc(), 0, 0, WIDTH, HEIGHT, fromNarrow.dc(), 0, 0, SRCCOPY);
  BitBlt(toFromWide.dc(), 3, 2, 30, 20, fromWide.dc(), 5, 1, SRCCOPY);
  BitBlt(toFromNarrow.dc(), 3, 2, 30, 20, fromNarrow.dc(), 5, 1, SRCCOPY);
  const int indexedBytes = (WIDTH + 3) / 4 * 4 * HEIGHT;
  EXPECT_EQ(std::vector<std::uint8_t>(toFromWide.bytes(), toFromWide.bytes() + indexedBytes),
            std::vector<std::uint8_t>(toFromNarrow.bytes(), toFromNarrow.bytes() + indexedBytes));
}

// The special case takes its indices two pixels at a time and reuses them
// for a pair like the one before; runs of a few colours, with their spare
// bytes differing, must still give the general path's indices at every
// width, odd and even, and at odd offsets into both sections.
TEST_F(DibSections, RunsOfThirtyTwoBitPixelsGetTheIndicesOfTheGeneralPath) {
  constexpr int HEIGHT = 3;
  std::mt19937 random(62);
  for (int width = 1; width <= 11; ++width) {
    Info indexed(width, HEIGHT, 8);
    for (int i = 0; i < 256; ++i) {
      indexed.colors[i] = RGBQUAD{static_cast<BYTE>(i * 37), static_cast<BYTE>(i * 11),
                                  static_cast<BYTE>(i * 71), 0};
    }
    const std::uint32_t palette[3] = {0xFFFFFF, 0x102030, 0xC08040};
    Info wide(width, HEIGHT, 32), narrow(width, HEIGHT, 24);
    Section fromWide(wide), fromNarrow(narrow), toFromWide(indexed), toFromNarrow(indexed);
    const int narrowStride = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < HEIGHT; ++y) {
      for (int x = 0; x < width;) {
        const std::uint32_t color = palette[random() % 3];
        for (const int end = std::min(width, x + 1 + static_cast<int>(random() % 4)); x < end;
             ++x) {
          const std::uint32_t value = color | (static_cast<std::uint32_t>(random()) << 24);
          std::memcpy(fromWide.bytes() + (y * width + x) * 4, &value, 4);
          std::memcpy(fromNarrow.bytes() + y * narrowStride + x * 3, &value, 3);
        }
      }
    }
    BitBlt(toFromWide.dc(), 0, 0, width, HEIGHT, fromWide.dc(), 0, 0, SRCCOPY);
    BitBlt(toFromNarrow.dc(), 0, 0, width, HEIGHT, fromNarrow.dc(), 0, 0, SRCCOPY);
    BitBlt(toFromWide.dc(), 1, 1, width, HEIGHT, fromWide.dc(), width / 2, 0, SRCCOPY);
    BitBlt(toFromNarrow.dc(), 1, 1, width, HEIGHT, fromNarrow.dc(), width / 2, 0, SRCCOPY);
    const int indexedBytes = (width + 3) / 4 * 4 * HEIGHT;
    ASSERT_EQ(std::vector<std::uint8_t>(toFromWide.bytes(), toFromWide.bytes() + indexedBytes),
              std::vector<std::uint8_t>(toFromNarrow.bytes(), toFromNarrow.bytes() + indexedBytes))
        << "width " << width;
  }
}

TEST_F(DibSections, OneAndFourBitPixelsPackFromTheHighBits) {
  Info mono(9, 1, 1);
  mono.colors[0] = RGBQUAD{0, 0, 255, 0};  // red
  mono.colors[1] = RGBQUAD{0, 255, 0, 0};  // green
  Section section(mono);
  Canvas source(9, 1);
  Paint(source, 1, 0, RGB(0, 255, 0));
  Paint(source, 8, 0, RGB(0, 200, 0));
  BitBlt(section.dc(), 0, 0, 9, 1, source.dc(), 0, 0, SRCCOPY);
  // White is as near to red as to green: index 0.
  EXPECT_EQ(section.bytes()[0], 0x40);
  EXPECT_EQ(section.bytes()[1], 0x80);

  Info nibbles(3, 1, 4);
  nibbles.colors[5] = RGBQUAD{0, 0, 255, 0};
  nibbles.colors[15] = RGBQUAD{255, 255, 255, 0};
  Section four(nibbles);
  Paint(source, 0, 0, RGB(255, 0, 0));
  BitBlt(four.dc(), 0, 0, 3, 1, source.dc(), 0, 0, SRCCOPY);
  // Red, then green, nearest to the black entries, then white.
  EXPECT_EQ(four.bytes()[0], 0x50);
  EXPECT_EQ(four.bytes()[1], 0xF0);
}

TEST_F(DibSections, SixteenBitFieldsWidenByRepeatingTopBitsAndNarrowByTruncating) {
  struct Case {
    DWORD masks[3];
    std::uint16_t stored;
    COLORREF widened;
    COLORREF narrowed;  // what widened colour 0x070707 becomes, read back
  };
  const Case cases[] = {
      // 5-5-5: 0x4210 is 16 in every field; 0x07 narrows to 0.
      {{0x7C00, 0x03E0, 0x001F}, 0x4210, RGB(0x84, 0x84, 0x84), RGB(0, 0, 0)},
      // 5-6-5: green 6-bit 0x01 widens to 0x04; 0x07 keeps one green bit.
      {{0xF800, 0x07E0, 0x001F}, 0x0821, RGB(0x08, 0x04, 0x08), RGB(0, 0x04, 0)},
  };
  for (const Case &test : cases) {
    Info info(2, 1, 16, BI_BITFIELDS);
    info.SetMasks(test.masks[0], test.masks[1], test.masks[2]);
    Section section(info);
    std::memcpy(section.bytes(), &test.stored, 2);
    Canvas target(2, 1);
    BitBlt(target.dc(), 0, 0, 1, 1, section.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.At(0, 0), (GetRValue(test.widened) << 16) | (GetGValue(test.widened) << 8) |
                                   GetBValue(test.widened));
    Paint(target, 1, 0, RGB(7, 7, 7));
    BitBlt(section.dc(), 1, 0, 1, 1, target.dc(), 1, 0, SRCCOPY);
    BitBlt(target.dc(), 1, 0, 1, 1, section.dc(), 1, 0, SRCCOPY);
    EXPECT_EQ(target.At(1, 0), (GetRValue(test.narrowed) << 16) | (GetGValue(test.narrowed) << 8) |
                                   GetBValue(test.narrowed));
  }
  // BI_RGB at 16 bits is 5-5-5.
  Info plain(1, 1, 16);
  Section section(plain);
  Canvas source(1, 1);
  Paint(source, 0, 0, RGB(0x12, 0x34, 0x56));
  BitBlt(section.dc(), 0, 0, 1, 1, source.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(section.bytes()[0] | (section.bytes()[1] << 8), 0x08CA);
}

TEST_F(DibSections, DrawingGoesIntoThirtyTwoBitSections) {
  Info info(4, 3, 32);
  Section section(info);
  std::memset(section.bytes(), 0xFF, 4 * 4 * 3);
  Rectangle(section.dc(), 0, 0, 1, 1);  // the top-left pixel
  // Bottom-up: the top row is stored last.
  EXPECT_EQ(section.bytes()[2 * 16 + 0], 0);
  EXPECT_EQ(section.bytes()[0], 0xFF);
}

// A section's bits are the caller's to write, top bytes and all. Blits from
// it mask them off, and compatible bitmaps, which only the layer writes, are
// then copied as they are: between bitmaps and within one.
TEST_F(DibSections, TopBytesOfThirtyTwoBitSectionsStayBehind) {
  constexpr int WIDTH = 5, HEIGHT = 3;
  Info info(WIDTH, -HEIGHT, 32);
  Section section(info);
  std::vector<std::uint32_t> written(WIDTH * HEIGHT);
  for (std::size_t i = 0; i < written.size(); ++i) {
    written[i] = 0xAB000000u | static_cast<std::uint32_t>(i * 0x010203);
  }
  std::memcpy(section.bytes(), written.data(), written.size() * 4);

  HDC screen = GetDC(nullptr);
  HDC first = CreateCompatibleDC(screen), second = CreateCompatibleDC(screen);
  HBITMAP firstBitmap = CreateCompatibleBitmap(screen, WIDTH, HEIGHT);
  HBITMAP secondBitmap = CreateCompatibleBitmap(screen, WIDTH, HEIGHT);
  HGDIOBJ firstPrevious = SelectObject(first, firstBitmap);
  HGDIOBJ secondPrevious = SelectObject(second, secondBitmap);
  EXPECT_TRUE(BitBlt(first, 0, 0, WIDTH, HEIGHT, section.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(second, 0, 0, WIDTH, HEIGHT, first, 0, 0, SRCCOPY));
  // One column to the right within the bitmap: column 0 stays, and each
  // other column takes its left neighbour.
  EXPECT_TRUE(BitBlt(second, 1, 0, WIDTH - 1, HEIGHT, second, 0, 0, SRCCOPY));

  Info request(WIDTH, -HEIGHT, 32);
  std::vector<std::uint32_t> read(WIDTH * HEIGHT, 0xFFFFFFFF);
  EXPECT_EQ(GetDIBits(screen, secondBitmap, 0, HEIGHT, read.data(), request.get(), DIB_RGB_COLORS),
            HEIGHT);
  for (int y = 0; y < HEIGHT; ++y) {
    for (int x = 0; x < WIDTH; ++x) {
      const std::uint32_t expected = written[y * WIDTH + std::max(0, x - 1)] & 0x00FFFFFF;
      EXPECT_EQ(read[y * WIDTH + x], expected) << "x " << x << ", y " << y;
    }
  }
  SelectObject(first, firstPrevious);
  SelectObject(second, secondPrevious);
  DeleteObject(firstBitmap);
  DeleteObject(secondBitmap);
  DeleteDC(first);
  DeleteDC(second);
  ReleaseDC(nullptr, screen);
}

TEST_F(DibSections, CreationRejectsLayoutsGdiRejects) {
  void *bits = &bits;
  const struct {
    int width, height, bitCount;
    DWORD compression;
  } rejected[] = {{3, 2, 2, BI_RGB},       {3, 2, 15, BI_RGB},
                  {0, 2, 24, BI_RGB},      {-3, 2, 24, BI_RGB},
                  {3, 0, 24, BI_RGB},      {3, 2, 24, BI_BITFIELDS},
                  {3, 2, 8, BI_BITFIELDS}, {1 << 20, 1 << 12, 32, BI_RGB}};
  for (const auto &layout : rejected) {
    Info info(layout.width, layout.height, layout.bitCount, layout.compression);
    info.SetMasks(0xFF0000, 0xFF00, 0xFF);
    EXPECT_EQ(CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
  Info zeroMasks(3, 2, 32, BI_BITFIELDS);
  EXPECT_EQ(CreateDIBSection(nullptr, zeroMasks.get(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
}

TEST_F(DibSections, GetDibitsCountsRowsAndCompletesTheHeader) {
  Canvas source(3, 2, RGB(10, 20, 30));
  Paint(source, 0, 1, RGB(1, 2, 3));  // bottom-left
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 2);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, 3, 2, source.dc(), 0, 0, SRCCOPY);
  Info info(3, 2, 24);
  std::uint8_t bytes[64];
  std::memset(bytes, 0xEE, sizeof bytes);
  // The bitmap is still selected into the canvas's DC, which GDI tolerates.
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 2, bytes, info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(info.header.biSizeImage, 24u);
  const std::uint8_t bottomRow[12] = {3, 2, 1, 30, 20, 10, 30, 20, 10, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes, bottomRow, sizeof bottomRow), 0);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 5, bytes, info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(GetDIBits(screen, bitmap, 1, 5, bytes, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(bytes[0], 30);  // scan line 1 is the top row
  EXPECT_EQ(GetDIBits(screen, bitmap, 2, 1, bytes, info.get(), DIB_RGB_COLORS), 0);

  Info topDown(3, -2, 32);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 2, bytes, topDown.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(bytes[0], 30);
  EXPECT_EQ(bytes[12], 3);

  // No bits: only the header, and the halftone table for an 8-bit request.
  Info indexed(3, 2, 8);
  EXPECT_NE(GetDIBits(screen, bitmap, 0, 2, nullptr, indexed.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(indexed.header.biSizeImage, 8u);
  EXPECT_EQ(indexed.colors[1].rgbRed, 128);
  EXPECT_EQ(indexed.colors[255].rgbBlue, 255);

  // At every depth the row padding and the spare bits of a last byte come out
  // as zeros, and nothing past the copied rows is written.
  for (const int bitCount : {1, 4, 8, 16, 24, 32}) {
    Info request(3, 2, bitCount);
    std::memset(bytes, 0xEE, sizeof bytes);
    ASSERT_EQ(GetDIBits(screen, bitmap, 0, 2, bytes, request.get(), DIB_RGB_COLORS), 2);
    const int stride = (3 * bitCount + 31) / 32 * 4;
    for (int row = 0; row < 2; ++row) {
      for (int bit = 3 * bitCount; bit < 8 * stride; ++bit) {
        const int byte = row * stride + bit / 8;
        EXPECT_EQ((bytes[byte] >> (7 - bit % 8)) & 1, 0)
            << bitCount << " bits, row " << row << ", bit " << bit;
      }
    }
    EXPECT_EQ(bytes[2 * stride], 0xEE) << bitCount << " bits";
  }

  Info wrongWidth(4, 2, 24);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, 2, bytes, wrongWidth.get(), DIB_RGB_COLORS), 0);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

TEST_F(DibSections, GetDibitsOfAnIndexedSectionGivesItsOwnTableOrItsColours) {
  Info info(3, 2, 8);
  info.header.biClrUsed = 2;
  info.colors[0] = RGBQUAD{0, 0, 255, 0};
  info.colors[1] = RGBQUAD{255, 0, 0, 0};
  Section section(info);
  section.bytes()[0] = 1;
  HDC screen = GetDC(nullptr);
  Info same(3, 2, 8);
  std::uint8_t bytes[64] = {};
  ASSERT_EQ(GetDIBits(screen, section.bitmap(), 0, 2, bytes, same.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(same.colors[0].rgbRed, 255);
  EXPECT_EQ(same.colors[2].rgbRed, 0);  // past the section's two colours
  Info rgb(3, 2, 24);
  ASSERT_EQ(GetDIBits(screen, section.bitmap(), 0, 2, bytes, rgb.get(), DIB_RGB_COLORS), 2);
  const std::uint8_t expected[6] = {255, 0, 0, 0, 0, 255};
  EXPECT_EQ(std::memcmp(bytes, expected, 6), 0);
  ReleaseDC(nullptr, screen);
}

TEST_F(DibSections, SetDibColorTableRecoloursTheSelectedSectionOnly) {
  Info info(1, 1, 8);
  Section indexed(info);
  Info wide(1, 1, 32);
  Section rgb(wide);
  const RGBQUAD green[1] = {{0, 255, 0, 0}};
  EXPECT_EQ(SetDIBColorTable(rgb.dc(), 0, 1, green), 0u);
  EXPECT_EQ(SetDIBColorTable(indexed.dc(), 0, 1, green), 1u);
  Canvas target(1, 1);
  BitBlt(target.dc(), 0, 0, 1, 1, indexed.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(target.At(0, 0), 0x00FF00u);
}

TEST_F(DibSections, PaletteEntriesAreCountedLikeGdi) {
  struct {
    LOGPALETTE header;
    PALETTEENTRY more[3];
  } logical{{0x300, 4, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}, {7, 8, 9, 0}, {10, 11, 12, 0x55}}};
  HPALETTE palette = CreatePalette(&logical.header);
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, baseline_.gdiObjects + 1);
  PALETTEENTRY entries[8] = {};
  EXPECT_EQ(GetPaletteEntries(palette, 0, 8, nullptr), 4u);
  EXPECT_EQ(GetPaletteEntries(palette, 0, 0, entries), 4u);
  EXPECT_EQ(GetPaletteEntries(palette, 2, 8, entries), 2u);
  EXPECT_EQ(entries[0].peRed, 7);
  EXPECT_EQ(entries[1].peFlags, 0x55);
  EXPECT_EQ(GetPaletteEntries(palette, 4, 1, entries), 0u);
  EXPECT_TRUE(DeleteObject(palette));
  EXPECT_EQ(GetPaletteEntries(palette, 0, 4, entries), 0u);

  HPALETTE halftone = CreateHalftonePalette(nullptr);
  PALETTEENTRY colors[256];
  ASSERT_EQ(GetPaletteEntries(halftone, 0, 256, colors), 256u);
  // Fixed colours at both ends, the 8 x 8 x 4 cube between.
  EXPECT_EQ((std::vector<int>{colors[9].peRed, colors[9].peGreen, colors[9].peBlue}),
            (std::vector<int>{166, 202, 240}));
  EXPECT_EQ((std::vector<int>{colors[10].peRed, colors[10].peGreen, colors[10].peBlue}),
            (std::vector<int>{64, 32, 0}));
  EXPECT_EQ((std::vector<int>{colors[245].peRed, colors[245].peGreen, colors[245].peBlue}),
            (std::vector<int>{160, 192, 192}));
  EXPECT_EQ((std::vector<int>{colors[246].peRed, colors[246].peGreen, colors[246].peBlue}),
            (std::vector<int>{255, 251, 240}));
  EXPECT_TRUE(DeleteObject(halftone));
}

}  // namespace
}  // namespace trendel
