// The device-context core of the portable layer: handles, stock objects,
// selection, deletion, windows, fills, Rectangle and BitBlt.
#include "Canvas.h"

#include "platform/portable/Accounting.h"
#include "platform/portable/Surface.h"
#include "trendel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace trendel {
namespace {

using testing::Canvas;

TEST(Handles, ADeletedObjectIsGoneForGood) {
  const int before = portable::CountLiveObjects().gdiObjects;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  ASSERT_NE(pen, nullptr);
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before + 1);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
  EXPECT_FALSE(DeleteObject(pen));
  // The slot is reused, but the stale handle still names nothing.
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
  EXPECT_NE(brush, pen);
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(SelectObject(nullptr, brush), nullptr);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(std::uintptr_t{0x12345678})));
}

// A deleted pen leaves its storage and its slot to the next one: the new pen
// must draw with its own style, width and colour, start unselected, and the
// old handle must still name nothing.
TEST(Handles, ARecycledRecordStartsAfresh) {
  Canvas canvas(7, 3);
  const int before = portable::CountLiveObjects().gdiObjects;
  HPEN wide = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  HGDIOBJ stock = SelectObject(canvas.dc(), wide);
  SelectObject(canvas.dc(), stock);
  ASSERT_TRUE(DeleteObject(wide));
  HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 255));
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before + 1);
  EXPECT_EQ(SelectObject(canvas.dc(), wide), nullptr);
  EXPECT_EQ(SelectObject(canvas.dc(), dotted), stock);
  MoveToEx(canvas.dc(), 0, 1, nullptr);
  LineTo(canvas.dc(), 7, 1);
  EXPECT_EQ(canvas.Map(0, 0, 7, 3),
            ".......\n"
            "aaa...a\n"
            ".......\n");
  EXPECT_FALSE(DeleteObject(dotted));  // selected
  SelectObject(canvas.dc(), stock);
  EXPECT_TRUE(DeleteObject(dotted));
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
}

// A deleted pen or brush stays in its free slot for the next one of its kind.
// Until then the handle that slot will hand out next names nothing; an object
// of another kind may take the slot; and a burst of deletions keeps only a
// few records, with every count still right.
TEST(Handles, AKeptRecordIsFoundOnlyThroughItsNewHandle) {
  Canvas canvas(4, 3);
  const int before = portable::CountLiveObjects().gdiObjects;
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  ASSERT_TRUE(DeleteObject(pen));
  constexpr std::uintptr_t NEXT_GENERATION = std::uintptr_t{1} << 24;
  auto *next = reinterpret_cast<HGDIOBJ>(reinterpret_cast<std::uintptr_t>(pen) + NEXT_GENERATION);
  EXPECT_EQ(SelectObject(canvas.dc(), next), nullptr);
  EXPECT_FALSE(DeleteObject(next));
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);

  // A brush takes the slot that kept the pen and paints its own colour.
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  ASSERT_EQ(static_cast<HGDIOBJ>(brush), next);
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before + 1);
  HGDIOBJ stockBrush = SelectObject(canvas.dc(), brush);
  Rectangle(canvas.dc(), 0, 0, 4, 3);
  SelectObject(canvas.dc(), stockBrush);
  EXPECT_EQ(canvas.Map(0, 0, 4, 3),
            "####\n"
            "#aa#\n"
            "####\n");
  ASSERT_TRUE(DeleteObject(brush));

  // A device context takes a slot that kept a brush.
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  EXPECT_TRUE(DeleteDC(dc));

  for (int round = 0; round < 2; ++round) {
    std::vector<HGDIOBJ> objects;
    for (int k = 0; k < 40; ++k) {
      objects.push_back(round == 0 ? static_cast<HGDIOBJ>(CreatePen(PS_DOT, k, RGB(k, 0, 0)))
                                   : static_cast<HGDIOBJ>(CreateSolidBrush(RGB(0, k, 0))));
    }
    EXPECT_EQ(std::count(objects.begin(), objects.end(), nullptr), 0);
    EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before + 40);
    for (HGDIOBJ object : objects) EXPECT_TRUE(DeleteObject(object));
    for (HGDIOBJ object : objects) EXPECT_FALSE(DeleteObject(object));
    EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
  }
}

// The DC found last is remembered for the next call on it; that must never
// let a deleted DC, its reused slot's next DC, another kind of object or a
// null handle pass for it.
TEST(DeviceContexts, OnlyALiveDcIsFoundEvenRightAfterItsLastCall) {
  HDC first = CreateCompatibleDC(nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(MoveToEx(first, 1, 1, nullptr));
  EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  EXPECT_TRUE(MoveToEx(first, 1, 1, nullptr));
  EXPECT_FALSE(MoveToEx(reinterpret_cast<HDC>(pen), 1, 1, nullptr));
  EXPECT_TRUE(DeleteObject(pen));

  EXPECT_TRUE(MoveToEx(first, 2, 2, nullptr));
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_FALSE(MoveToEx(first, 3, 3, nullptr));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
  EXPECT_EQ(SelectObject(first, brush), nullptr);
  EXPECT_TRUE(DeleteObject(brush));  // never selected
  EXPECT_FALSE(DeleteDC(first));

  HDC second = CreateCompatibleDC(nullptr);  // may take the first one's slot
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  POINT position{-1, -1};
  EXPECT_TRUE(MoveToEx(second, 4, 4, &position));
  EXPECT_EQ(position.x, 0);  // a fresh DC, not the deleted one at (2, 2)
  EXPECT_FALSE(MoveToEx(first, 5, 5, nullptr));
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_FALSE(MoveToEx(second, 6, 6, nullptr));
  EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
}

TEST(DeviceContexts, SelectReturnsThePreviousObjectAndSelectedObjectsSurviveDelete) {
  Canvas canvas(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
  HGDIOBJ stockPen = SelectObject(canvas.dc(), pen);
  ASSERT_NE(stockPen, nullptr);
  EXPECT_FALSE(DeleteObject(pen));  // still selected
  EXPECT_EQ(SelectObject(canvas.dc(), stockPen), pen);
  EXPECT_TRUE(DeleteObject(pen));
  // Stock objects ignore deletion.
  EXPECT_TRUE(DeleteObject(stockPen));
  EXPECT_EQ(SelectObject(canvas.dc(), stockPen), stockPen);
}

// The DC keeps the records of what it has selected; swapping one object for
// another and deleting the DC must keep every selection count right, for
// each kind and with one object in two DCs at once, and drawing must use
// the object selected last.
TEST(DeviceContexts, SelectionsAreCountedPerDcAndKind) {
  using Make = HGDIOBJ (*)();
  const Make makers[] = {
      [] { return static_cast<HGDIOBJ>(CreatePen(PS_SOLID, 1, RGB(255, 0, 0))); },
      [] { return static_cast<HGDIOBJ>(CreateSolidBrush(RGB(0, 255, 0))); },
      [] {
        return static_cast<HGDIOBJ>(
            CreateFontA(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 16, "Arial"));
      },
  };
  for (std::size_t kind = 0; kind < std::size(makers); ++kind) {
    SCOPED_TRACE(kind);
    Canvas first(4, 4), second(4, 4);
    HGDIOBJ shared = makers[kind](), other = makers[kind]();
    HGDIOBJ stock = SelectObject(first.dc(), shared);
    SelectObject(second.dc(), shared);
    EXPECT_EQ(SelectObject(first.dc(), other), shared);
    EXPECT_FALSE(DeleteObject(shared));  // still in the second DC
    EXPECT_FALSE(DeleteObject(other));
    EXPECT_EQ(SelectObject(second.dc(), stock), shared);
    EXPECT_TRUE(DeleteObject(shared));
    EXPECT_EQ(SelectObject(first.dc(), stock), other);
    EXPECT_TRUE(DeleteObject(other));
  }
  {
    Canvas canvas(4, 4);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0)),
         blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ stock = SelectObject(canvas.dc(), red);
    SelectObject(canvas.dc(), blue);
    EXPECT_TRUE(DeleteObject(red));
    MoveToEx(canvas.dc(), 0, 1, nullptr);
    EXPECT_TRUE(LineTo(canvas.dc(), 3, 1));
    EXPECT_EQ(canvas.At(0, 1), 0x0000FFu);
    SelectObject(canvas.dc(), stock);
    EXPECT_TRUE(DeleteObject(blue));
  }
  // A DC that goes lets go of everything it holds.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  HGDIOBJ brush = CreateSolidBrush(RGB(4, 5, 6));
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
  for (HGDIOBJ object : {pen, brush, static_cast<HGDIOBJ>(bitmap)}) SelectObject(dc, object);
  EXPECT_TRUE(DeleteDC(dc));
  for (HGDIOBJ object : {pen, brush, static_cast<HGDIOBJ>(bitmap)})
    EXPECT_TRUE(DeleteObject(object));
  ReleaseDC(nullptr, screen);
}

TEST(DeviceContexts, ABitmapGoesIntoOneMemoryDcAtATime) {
  HDC screen = GetDC(nullptr);
  HDC first = CreateCompatibleDC(screen);
  HDC second = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 3, 3);
  HGDIOBJ stock = SelectObject(first, bitmap);
  EXPECT_NE(stock, nullptr);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);
  EXPECT_FALSE(DeleteObject(bitmap));
  // Deleting the DC lets go of the bitmap.
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(second));
  EXPECT_FALSE(DeleteDC(screen));  // a window DC is released, not deleted
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(DeviceContexts, NewCompatibleBitmapsAreBlackAndReportThemselves) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 5, 3);
  BITMAP description{};
  ASSERT_EQ(GetObject(bitmap, sizeof description, &description), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(description.bmWidth, 5);
  EXPECT_EQ(description.bmHeight, 3);
  EXPECT_EQ(description.bmBitsPixel, 32);
  EXPECT_EQ(description.bmPlanes, 1);
  EXPECT_EQ(description.bmWidthBytes, 20);
  HDC dc = CreateCompatibleDC(screen);
  SelectObject(dc, bitmap);
  Canvas canvas(5, 3);
  BitBlt(canvas.dc(), 0, 0, 5, 3, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.At(4, 2), 0x000000u);
  DeleteDC(dc);
  DeleteObject(bitmap);
  // An empty size gives the stock monochrome pixel, negative sizes nothing.
  HBITMAP empty = CreateCompatibleBitmap(screen, 0, 7);
  ASSERT_EQ(GetObject(empty, sizeof description, &description), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(description.bmBitsPixel, 1);
  EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 7), nullptr);
  ReleaseDC(nullptr, screen);
}

// Large freed blocks are kept for the next bitmap of their size, so a new
// bitmap whose black was never written would show the last one's pixels.
// Every kept block of the test's size is first left full of red.
constexpr int KEPT_SIDE = 128;
constexpr COLORREF RED = RGB(255, 0, 0);

void LeaveRedBlocks(HDC screen) {
  constexpr int KEPT_BLOCKS = 8;
  HDC dc = CreateCompatibleDC(screen);
  HPEN pen = CreatePen(PS_SOLID, 1, RED);
  HBRUSH brush = CreateSolidBrush(RED);
  HGDIOBJ previousPen = SelectObject(dc, pen);
  HGDIOBJ previousBrush = SelectObject(dc, brush);
  HGDIOBJ previousBitmap = nullptr;
  std::vector<HBITMAP> bitmaps;
  for (int i = 0; i < KEPT_BLOCKS; ++i) {
    bitmaps.push_back(CreateCompatibleBitmap(screen, KEPT_SIDE, KEPT_SIDE));
    HGDIOBJ replaced = SelectObject(dc, bitmaps.back());
    if (i == 0) previousBitmap = replaced;
    Rectangle(dc, 0, 0, KEPT_SIDE, KEPT_SIDE);
  }
  SelectObject(dc, previousBitmap);
  SelectObject(dc, previousPen);
  SelectObject(dc, previousBrush);
  for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteDC(dc);
}

// 0x00RRGGBB pixels of a 32-bit bitmap, top row first, read with GetDIBits.
std::vector<std::uint32_t> ReadBack(HDC screen, HBITMAP bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = KEPT_SIDE;
  info.bmiHeader.biHeight = -KEPT_SIDE;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(KEPT_SIDE * KEPT_SIDE, 0xDEADBEEF);
  EXPECT_EQ(GetDIBits(screen, bitmap, 0, KEPT_SIDE, pixels.data(), &info, DIB_RGB_COLORS),
            KEPT_SIDE);
  return pixels;
}

// Whatever comes first into a new bitmap, it sees black, and any pixel it
// leaves alone stays black; a box over the whole bitmap leaves none.
TEST(DeviceContexts, NewBitmapsAreBlackWhateverComesFirst) {
  constexpr COLORREF BLUE = RGB(0, 0, 255), GREEN = RGB(0, 255, 0);
  struct Case {
    const char *name;
    int penStyle;
    int penWidth;
    void (*call)(HDC dc);
    std::uint32_t expectedCorner;  // pixel (0, 0) afterwards
    std::uint32_t expectedMiddle;  // pixel (64, 64) afterwards
  };
  const Case cases[] = {
      {"nothing", PS_SOLID, 1, [](HDC) {}, 0x000000, 0x000000},
      {"box over part", PS_SOLID, 1, [](HDC dc) { Rectangle(dc, 1, 1, 10, 10); }, 0x000000,
       0x000000},
      {"box over all", PS_SOLID, 1,
       [](HDC dc) { Rectangle(dc, -5, -5, KEPT_SIDE + 5, KEPT_SIDE + 5); }, 0x00FF00, 0x00FF00},
      {"reversed box over all", PS_SOLID, 0,
       [](HDC dc) { Rectangle(dc, KEPT_SIDE, KEPT_SIDE, 0, 0); }, 0x0000FF, 0x00FF00},
      {"wide pen box over all", PS_SOLID, 3,
       [](HDC dc) { Rectangle(dc, -5, -5, KEPT_SIDE + 5, KEPT_SIDE + 5); }, 0x00FF00, 0x00FF00},
      {"refused dotted box", PS_DOT, 1, [](HDC dc) { Rectangle(dc, 0, 0, KEPT_SIDE, KEPT_SIDE); },
       0x000000, 0x000000},
      {"line", PS_SOLID, 1,
       [](HDC dc) {
         MoveToEx(dc, 0, 0, nullptr);
         LineTo(dc, 10, 0);
       },
       0x0000FF, 0x000000},
      {"copy within", PS_SOLID, 1, [](HDC dc) { BitBlt(dc, 60, 60, 8, 8, dc, 0, 0, SRCCOPY); },
       0x000000, 0x000000},
  };
  HDC screen = GetDC(nullptr);
  for (const Case &test : cases) {
    SCOPED_TRACE(test.name);
    LeaveRedBlocks(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, KEPT_SIDE, KEPT_SIDE);
    HDC dc = CreateCompatibleDC(screen);
    HPEN pen = CreatePen(test.penStyle, test.penWidth, BLUE);
    HBRUSH brush = CreateSolidBrush(GREEN);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    test.call(dc);
    SelectObject(dc, previousBitmap);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    const std::vector<std::uint32_t> pixels = ReadBack(screen, bitmap);
    EXPECT_EQ(pixels[0], test.expectedCorner);
    EXPECT_EQ(pixels[64 * KEPT_SIDE + 64], test.expectedMiddle);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFF0000u), 0);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
}

// Fills seed a few pixels and copy the filled part onto what follows,
// doubling it: every length must come out whole, with nothing written past
// either end, across the seed and the doublings.
TEST(FillPixels, FillsExactlyTheRunAtEveryLength) {
  constexpr std::uint32_t GUARD = 0xDEADBEEF, PIXEL = 0x00123456;
  for (std::size_t count : {0, 1, 2, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1919, 1920, 4097}) {
    SCOPED_TRACE(count);
    std::vector<std::uint32_t> pixels(count + 2, GUARD);
    portable::FillPixels(pixels.data() + 1, count, PIXEL);
    EXPECT_EQ(pixels.front(), GUARD);
    EXPECT_EQ(pixels.back(), GUARD);
    EXPECT_EQ(std::count(pixels.begin() + 1, pixels.end() - 1, PIXEL),
              static_cast<std::ptrdiff_t>(count));
  }
}

// Colours whose top byte is set too (a palette-index or palette-relative
// COLORREF): the pixel never carries it.
TEST(PixelFromColor, SwapsRedAndBlueAndDropsTheTopByte) {
  const struct {
    COLORREF color;
    std::uint32_t pixel;
  } cases[] = {{RGB(0, 0, 0), 0x000000},
               {RGB(255, 255, 255), 0xFFFFFF},
               {RGB(0x12, 0x34, 0x56), 0x123456},
               {RGB(0xFF, 0, 0), 0xFF0000},
               {RGB(0, 0, 0xFF), 0x0000FF},
               {0x01563412, 0x123456},
               {0xFF000000, 0x000000},
               {0xFFFFFFFF, 0xFFFFFF}};
  for (const auto &entry : cases) {
    EXPECT_EQ(portable::PixelFromColor(entry.color), entry.pixel) << std::hex << entry.color;
  }
}

// The corners and edges of the surface, and negative coordinates of every
// size, which a signed-to-unsigned comparison must still refuse.
TEST(Surface, ContainsExactlyItsOwnPixels) {
  portable::Surface surface;
  surface.width = 7;
  surface.height = 5;
  constexpr long long FAR = 1LL << 40;
  for (long long x : {-FAR, -7LL, -1LL, 0LL, 3LL, 6LL, 7LL, 8LL, FAR}) {
    for (long long y : {-FAR, -5LL, -1LL, 0LL, 2LL, 4LL, 5LL, 6LL, FAR}) {
      EXPECT_EQ(surface.Contains(x, y), x >= 0 && x < 7 && y >= 0 && y < 5) << x << ", " << y;
    }
  }
}

TEST(Rectangle, OnePixelPenLeavesRightAndBottomEdge) {
  Canvas canvas(10, 8);
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ previous = SelectObject(canvas.dc(), brush);
  Rectangle(canvas.dc(), 1, 1, 7, 5);
  SelectObject(canvas.dc(), previous);
  DeleteObject(brush);
  EXPECT_EQ(canvas.Map(0, 0, 9, 6),
            ".........\n"
            ".######..\n"
            ".#aaaa#..\n"
            ".#aaaa#..\n"
            ".######..\n"
            ".........\n");
}

TEST(Rectangle, NarrowBoxesAreFrameOnly) {
  Canvas canvas(24, 6);
  Rectangle(canvas.dc(), 9, 1, 11, 5);   // two wide: two frame columns
  Rectangle(canvas.dc(), 13, 1, 14, 5);  // one wide: one line
  Rectangle(canvas.dc(), 16, 1, 22, 2);  // one high
  Rectangle(canvas.dc(), 2, 2, 2, 5);    // empty
  EXPECT_EQ(canvas.Map(0, 0, 24, 6),
            "........................\n"
            ".........##..#..######..\n"
            ".........##..#..........\n"
            ".........##..#..........\n"
            ".........##..#..........\n"
            "........................\n");
}

TEST(Rectangle, WidthTwoPenGrowsUpAndLeft) {
  Canvas canvas(20, 13);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
  HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ previousPen = SelectObject(canvas.dc(), pen);
  HGDIOBJ previousBrush = SelectObject(canvas.dc(), brush);
  Rectangle(canvas.dc(), 10, 6, 18, 11);
  SelectObject(canvas.dc(), previousPen);
  SelectObject(canvas.dc(), previousBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  EXPECT_EQ(canvas.Map(8, 4, 20, 12),
            "............\n"
            ".aaaaaaaaa..\n"
            ".aaaaaaaaa..\n"
            ".aabbbbbaa..\n"
            ".aabbbbbaa..\n"
            ".aaaaaaaaa..\n"
            ".aaaaaaaaa..\n"
            "............\n");
}

TEST(Rectangle, ReversedAndOutOfRangeCoordinatesAreSafe) {
  Canvas canvas(8, 8);
  Rectangle(canvas.dc(), 6, 6, 2, 2);
  EXPECT_EQ(canvas.At(2, 2), 0x000000u);
  EXPECT_EQ(canvas.At(5, 5), 0x000000u);
  EXPECT_EQ(canvas.At(3, 3), 0xFFFFFFu);
  Rectangle(canvas.dc(), -2147483647, -2147483647, 2147483647, 2147483647);
  EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFu);  // the frame lies far outside
}

TEST(BitBlt, CopiesClippedToBothBitmaps) {
  Canvas source(4, 4, RGB(255, 0, 0));
  Canvas target(6, 6);
  EXPECT_TRUE(BitBlt(target.dc(), 3, -1, 10, 10, source.dc(), 1, 0, SRCCOPY));
  EXPECT_EQ(target.Map(0, 0, 6, 6),
            "...aaa\n"
            "...aaa\n"
            "...aaa\n"
            "......\n"
            "......\n"
            "......\n");
  EXPECT_FALSE(BitBlt(target.dc(), 0, 0, 1, 1, source.dc(), 0, 0, 0x00F00021 /* PATCOPY */));
}

TEST(BitBlt, OverlappingCopyWithinOneBitmap) {
  Canvas canvas(3, 4);
  Rectangle(canvas.dc(), 0, 0, 3, 1);  // one black row at the top
  BitBlt(canvas.dc(), 0, 1, 3, 3, canvas.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(canvas.Map(0, 0, 3, 4), "###\n###\n...\n...\n");
}

// A copy of a whole bitmap onto a window of its size is owed, not made, until
// one of the two is touched or the bitmap deleted. Whatever happens first,
// each side must show exactly what a plain copy would have left there.
class WholeCopy : public ::testing::Test {
 protected:
  static constexpr int SIDE = 40;
  static constexpr std::uint32_t RED_PIXEL = 0xFF0000, BLUE_PIXEL = 0x0000FF;

  void SetUp() override {
    window_ = TrendelHost_CreateWindow(SIDE, SIDE);
    windowDc_ = GetDC(window_);
    bitmap_ = CreateCompatibleBitmap(windowDc_, SIDE, SIDE);
    memoryDc_ = CreateCompatibleDC(windowDc_);
    previousBitmap_ = SelectObject(memoryDc_, bitmap_);
    Paint(memoryDc_, RGB(255, 0, 0), 0, 0, SIDE, SIDE);
  }
  void TearDown() override {
    if (memoryDc_ != nullptr) EndBitmap();
    ReleaseDC(window_, windowDc_);
    TrendelHost_DestroyWindow(window_);
  }

  static void Paint(HDC dc, COLORREF color, int left, int top, int right, int bottom) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    HGDIOBJ previousBrush = SelectObject(dc, brush);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    DeleteObject(pen);
    DeleteObject(brush);
  }
  void CopyToWindow() {
    ASSERT_TRUE(BitBlt(windowDc_, 0, 0, SIDE, SIDE, memoryDc_, 0, 0, SRCCOPY));
  }
  void EndBitmap() {
    SelectObject(memoryDc_, previousBitmap_);
    DeleteDC(memoryDc_);
    DeleteObject(bitmap_);
    memoryDc_ = nullptr;
  }
  std::vector<std::uint32_t> WindowPixels() const {
    std::vector<std::uint32_t> pixels(SIDE * SIDE);
    EXPECT_EQ(TrendelHost_ReadPixels(window_, pixels.data(), SIDE, SIDE), 0);
    return pixels;
  }
  // How many of the window's pixels have this colour.
  long WindowPixelsOf(std::uint32_t pixel) const {
    const std::vector<std::uint32_t> pixels = WindowPixels();
    return static_cast<long>(std::count(pixels.begin(), pixels.end(), pixel));
  }
  std::uint32_t BitmapPixel(int x, int y) const {
    Canvas probe(1, 1);
    BitBlt(probe.dc(), 0, 0, 1, 1, memoryDc_, x, y, SRCCOPY);
    return probe.At(0, 0);
  }

  HWND window_ = nullptr;
  HDC windowDc_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
};

TEST_F(WholeCopy, TheWindowTakesTheBitmapsPictureWhenTheBitmapGoes) {
  CopyToWindow();
  EndBitmap();
  EXPECT_EQ(WindowPixelsOf(RED_PIXEL), SIDE * SIDE);
}

TEST_F(WholeCopy, DrawingOnTheBitmapAfterwardsLeavesTheWindowAlone) {
  CopyToWindow();
  Paint(memoryDc_, RGB(0, 0, 255), 0, 0, 10, 10);
  EXPECT_EQ(BitmapPixel(5, 5), BLUE_PIXEL);
  EndBitmap();
  EXPECT_EQ(WindowPixelsOf(RED_PIXEL), SIDE * SIDE);
}

TEST_F(WholeCopy, DrawingOnTheWindowAfterwardsLeavesTheBitmapAlone) {
  CopyToWindow();
  Paint(windowDc_, RGB(0, 0, 255), 0, 0, 10, 10);
  EXPECT_EQ(BitmapPixel(5, 5), RED_PIXEL);
  EXPECT_EQ(WindowPixels()[5 * SIDE + 5], BLUE_PIXEL);
  EndBitmap();
  EXPECT_EQ(WindowPixels()[5 * SIDE + 5], BLUE_PIXEL);
}

TEST_F(WholeCopy, ASecondCopyReplacesTheFirst) {
  CopyToWindow();
  HBITMAP blue = CreateCompatibleBitmap(windowDc_, SIDE, SIDE);
  HDC blueDc = CreateCompatibleDC(windowDc_);
  HGDIOBJ previous = SelectObject(blueDc, blue);
  Paint(blueDc, RGB(0, 0, 255), 0, 0, SIDE, SIDE);
  ASSERT_TRUE(BitBlt(windowDc_, 0, 0, SIDE, SIDE, blueDc, 0, 0, SRCCOPY));
  EndBitmap();  // the first source goes while the second copy is owed
  EXPECT_EQ(WindowPixels()[0], BLUE_PIXEL);
  SelectObject(blueDc, previous);
  DeleteDC(blueDc);
  DeleteObject(blue);
  EXPECT_EQ(WindowPixelsOf(BLUE_PIXEL), SIDE * SIDE);
}

TEST_F(WholeCopy, TheWindowCanGoFirstOrChangeSize) {
  CopyToWindow();
  ASSERT_EQ(TrendelHost_ResizeWindow(window_, SIDE / 2, SIDE), 0);
  std::vector<std::uint32_t> pixels(SIDE / 2 * SIDE);
  ASSERT_EQ(TrendelHost_ReadPixels(window_, pixels.data(), SIDE / 2, SIDE), 0);
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFFFFFFu), SIDE / 2 * SIDE);
  EXPECT_EQ(BitmapPixel(SIDE - 1, SIDE - 1), RED_PIXEL);
}

TEST_F(WholeCopy, APartialCopyIsMadeAtOnce) {
  ASSERT_TRUE(BitBlt(windowDc_, 0, 0, SIDE, SIDE - 1, memoryDc_, 0, 0, SRCCOPY));
  Paint(memoryDc_, RGB(0, 0, 255), 0, 0, SIDE, SIDE);
  EXPECT_EQ(WindowPixelsOf(RED_PIXEL), SIDE * (SIDE - 1));
  EXPECT_EQ(WindowPixels()[(SIDE - 1) * SIDE], 0xFFFFFFu);
}

TEST(HostWindows, SizesPixelsAndText) {
  EXPECT_EQ(TrendelHost_CreateWindow(0, 5), nullptr);
  EXPECT_EQ(TrendelHost_CreateWindow(5, -1), nullptr);
  HWND window = TrendelHost_CreateWindow(3, 2);
  ASSERT_NE(window, nullptr);
  RECT client{}, frame{};
  ASSERT_TRUE(GetClientRect(window, &client));
  ASSERT_TRUE(GetWindowRect(window, &frame));
  EXPECT_EQ(client.right, 3);
  EXPECT_EQ(frame.bottom, 2);
  std::uint32_t pixels[6] = {};
  EXPECT_EQ(TrendelHost_ReadPixels(window, pixels, 3, 2), 0);
  EXPECT_EQ(pixels[5], 0xFFFFFFu);
  EXPECT_EQ(TrendelHost_ReadPixels(window, pixels, 2, 3), -1);

  EXPECT_EQ(TrendelHost_ResizeWindow(window, 4, 1), 0);
  std::int32_t width = 0, height = 0;
  EXPECT_EQ(TrendelHost_GetWindowSize(window, &width, &height), 0);
  EXPECT_EQ(width, 4);
  EXPECT_EQ(height, 1);
  EXPECT_EQ(TrendelHost_ResizeWindow(window, 0, 1), -1);

  EXPECT_TRUE(SetWindowTextA(window, "12345"));
  char text[4];
  EXPECT_EQ(TrendelHost_GetWindowText(window, text, sizeof text), 0);
  EXPECT_STREQ(text, "123");

  HDC dc = GetDC(window);
  EXPECT_EQ(WindowFromDC(dc), window);
  EXPECT_EQ(TrendelHost_SetActiveWindow(window), 0);
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(TrendelHost_DestroyWindow(window), 0);
  // Its DCs went with it, and it is no longer active.
  EXPECT_EQ(ReleaseDC(window, dc), 0);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(TrendelHost_DestroyWindow(window), -1);
  EXPECT_EQ(TrendelHost_GetWindowSize(window, &width, &height), -1);
  EXPECT_EQ(TrendelHost_SetActiveWindow(window), -1);
}

TEST(Clipboard, OwnsItsBitmapUntilEmptied) {
  HDC screen = GetDC(nullptr);
  const int before = portable::CountLiveObjects().gdiObjects;
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), nullptr);  // not open
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(CF_BITMAP, bitmap), bitmap);
  EXPECT_TRUE(CloseClipboard());
  std::int32_t width = 0, height = 0;
  EXPECT_EQ(TrendelHost_GetClipboardSize(&width, &height), 0);
  EXPECT_EQ(width, 2);
  std::uint32_t pixels[4] = {1, 1, 1, 1};
  EXPECT_EQ(TrendelHost_ReadClipboard(pixels, 2, 2), 0);
  EXPECT_EQ(pixels[3], 0u);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
  EXPECT_EQ(TrendelHost_GetClipboardSize(&width, &height), -1);
  ReleaseDC(nullptr, screen);
}

TEST(MessageBoxes, GoToTheHostsHandler) {
  static std::string received;
  TrendelHost_SetMessageHandler([](const char *text) { received = text; });
  EXPECT_EQ(MessageBoxA(nullptr, "here", "", MB_OK), IDOK);
  EXPECT_EQ(received, "here");
  TrendelHost_SetMessageHandler(nullptr);
}

}  // namespace
}  // namespace trendel
