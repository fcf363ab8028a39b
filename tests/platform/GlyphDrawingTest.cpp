// How TextOutA puts pixels down: the blend of smoothed pixels, the two ways
// a glyph is drawn (from its ink list when it lies wholly on the surface,
// through its clipped box otherwise), and the fill of an opaque cell. Each is
// checked against a plain per-pixel drawing.
#include "Canvas.h"

#include "platform/portable/FontFaces.h"
#include "platform/portable/Handles.h"
#include "platform/portable/Surface.h"
#include "platform/portable/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace trendel {
namespace {

using testing::Canvas;

// GDI's TRANSPARENT background mode: glyphs over what lies below.
constexpr int TRANSPARENT_MODE = 1;

// The measured ramps: share (of 255) of the way toward darker and lighter
// text per coverage level, rounded down.
constexpr int TOWARD_DARKER[16] = {0,  15, 22,  30,  38,  47,  56,  66,
                                   77, 88, 101, 115, 131, 151, 178, 255};
constexpr int TOWARD_LIGHTER[16] = {0,   104, 124, 140, 154, 167, 178, 189,
                                    199, 208, 217, 225, 233, 240, 248, 255};

int RampChannel(int text, int background, int level) {
  if (text < background)
    return background - ((background - text) * TOWARD_DARKER[level] + 254) / 255;
  return background + (text - background) * TOWARD_LIGHTER[level] / 255;
}

// One pixel under a glyph pixel of `level`, drawn the plain way.
std::uint32_t RampPixel(std::uint32_t text, std::uint32_t below, int level) {
  if (level == 0) return below;
  if (level == portable::FULL_COVERAGE) return text;
  std::uint32_t pixel = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int channel = RampChannel(static_cast<int>((text >> shift) & 0xFF),
                                    static_cast<int>((below >> shift) & 0xFF), level);
    pixel |= static_cast<std::uint32_t>(channel) << shift;
  }
  return pixel;
}

TEST(GlyphBlending, EveryChannelFollowsTheMeasuredRamps) {
  for (int level = 0; level < 16; ++level) {
    for (int text = 0; text < 256; ++text) {
      for (int background = 0; background < 256; ++background) {
        ASSERT_EQ(portable::BlendChannel(static_cast<std::uint8_t>(text),
                                         static_cast<std::uint8_t>(background),
                                         static_cast<std::uint8_t>(level)),
                  RampChannel(text, background, level))
            << "text " << text << ", background " << background << ", level " << level;
      }
    }
  }
}

// Upright text drawn glyph by glyph from the images' level grids, each
// pixel by RampPixel: the drawing TextOutA must match in transparent mode.
void DrawPlainly(std::vector<std::uint32_t> &pixels, int width, int height,
                 const portable::FontFaceInstance &instance, int x, int y, const std::string &text,
                 std::uint32_t textPixel) {
  const portable::Rotation upright(0);
  long long pen = 0;
  for (const char32_t codePoint : portable::DecodeText(text.data(), text.size())) {
    const FT_UInt glyph = instance.GlyphIndex(codePoint);
    const portable::GlyphImage &image = instance.Image(glyph, upright);
    const long long left = x + pen + image.left, top = y + instance.metrics.tmAscent - image.top;
    for (int row = 0; row < image.height; ++row) {
      for (int column = 0; column < image.width; ++column) {
        const long long pixelX = left + column, pixelY = top + row;
        if (pixelX < 0 || pixelY < 0 || pixelX >= width || pixelY >= height) continue;
        std::uint32_t &pixel = pixels[static_cast<std::size_t>(pixelY * width + pixelX)];
        pixel = RampPixel(textPixel, pixel,
                          image.levels[static_cast<std::size_t>(row * image.width + column)]);
      }
    }
    pen += instance.DrawnAdvance(glyph);
  }
}

struct GlyphCase {
  int height;
  int weight;
  COLORREF text;
};

// A seeded ground of every colour, some pixels with the spare byte set, and
// text in several colours and sizes (bi-level and smoothed) at places wholly
// inside the canvas and across each of its edges.
TEST(GlyphDrawing, InkListsAndClippedBoxesDrawWhatThePlainWayDraws) {
  constexpr int WIDTH = 48, HEIGHT = 32;
  constexpr unsigned SEED = 13;
  const GlyphCase cases[] = {{-9, FW_NORMAL, RGB(0, 0, 0)},
                             {12, FW_BOLD, RGB(0, 0, 0)},
                             {16, FW_NORMAL, RGB(255, 255, 255)},
                             {16, FW_BOLD, RGB(200, 30, 90)},
                             {-20, FW_NORMAL, RGB(10, 120, 250)}};
  const int places[][2] = {{4, 4}, {-7, 6}, {30, 5}, {6, -9}, {8, 22}, {-5, -6}, {40, 26}};
  const std::string text = "Wg%8\xE9|";
  std::mt19937 random(SEED);
  for (const GlyphCase &glyphCase : cases) {
    const auto instance =
        portable::FindFontFaceInstance("Arial", glyphCase.height, glyphCase.weight);
    ASSERT_NE(instance, nullptr);
    HFONT font =
        CreateFontA(glyphCase.height, 0, 0, 0, glyphCase.weight, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
    for (const auto &place : places) {
      Canvas canvas(WIDTH, HEIGHT);
      std::uint32_t *bits = portable::SurfaceOf(*portable::FindDeviceContext(canvas.dc()))->origin;
      for (int i = 0; i < WIDTH * HEIGHT; ++i) {
        // Runs of one colour, as text mostly lies on, between random ones.
        bits[i] = i % 7 < 4 ? 0x00F0E0D0u : static_cast<std::uint32_t>(random());
      }
      std::vector<std::uint32_t> expected = canvas.Pixels();
      DrawPlainly(expected, WIDTH, HEIGHT, *instance, place[0], place[1], text,
                  portable::PixelFromColor(glyphCase.text));

      portable::FindDeviceContext(canvas.dc())->backgroundMode = TRANSPARENT_MODE;
      SetTextColor(canvas.dc(), glyphCase.text);
      HGDIOBJ previous = SelectObject(canvas.dc(), font);
      ASSERT_TRUE(
          TextOutA(canvas.dc(), place[0], place[1], text.data(), static_cast<int>(text.size())));
      SelectObject(canvas.dc(), previous);
      const std::vector<std::uint32_t> drawn = canvas.Pixels();
      for (int i = 0; i < WIDTH * HEIGHT; ++i) {
        ASSERT_EQ(drawn[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)])
            << "height " << glyphCase.height << ", weight " << glyphCase.weight << ", at "
            << place[0] << "," << place[1] << ": pixel " << i % WIDTH << "," << i / WIDTH
            << " (seed " << SEED << ")";
      }
    }
    DeleteObject(font);
  }
}

// An opaque cell fills its first visible row and copies it down; on top-down
// and bottom-up surfaces, across every edge, it must paint exactly the
// clipped rectangle.
TEST(TextCellFill, PaintsExactlyTheClippedRectangleInEitherRowOrder) {
  constexpr int WIDTH = 9, HEIGHT = 7;
  constexpr std::uint32_t GROUND = 0x00123456, CELL = 0x00ABCDEF;
  const long long rectangles[][4] = {{2, 1, 6, 5}, {-3, -2, 4, 3}, {5, 4, 20, 30}, {-5, -5, 50, 50},
                                     {3, 3, 3, 6}, {3, 8, 6, 12},  {0, 6, 9, 7},   {8, 0, 9, 7}};
  for (const bool topDown : {true, false}) {
    for (const auto &rectangle : rectangles) {
      std::vector<std::uint32_t> storage(WIDTH * HEIGHT, GROUND);
      portable::Surface surface;
      surface.width = WIDTH;
      surface.height = HEIGHT;
      surface.pitch = topDown ? WIDTH : -WIDTH;
      surface.origin = storage.data() + (topDown ? 0 : WIDTH * (HEIGHT - 1));
      surface.FillRect(rectangle[0], rectangle[1], rectangle[2], rectangle[3], CELL);
      for (int y = 0; y < HEIGHT; ++y) {
        for (int x = 0; x < WIDTH; ++x) {
          const bool inside =
              x >= rectangle[0] && x < rectangle[2] && y >= rectangle[1] && y < rectangle[3];
          ASSERT_EQ(surface.Get(x, y), inside ? CELL : GROUND)
              << "rectangle " << rectangle[0] << "," << rectangle[1] << "," << rectangle[2] << ","
              << rectangle[3] << (topDown ? " top-down" : " bottom-up") << ", pixel " << x << ","
              << y;
        }
      }
    }
  }
}

// A 32-bit DIB section of either row order, with the text of the tests above
// drawn opaque: the inked glyphs and the cell step down the picture by a
// negative pitch in a bottom-up section.
std::vector<std::uint32_t> PictureRowsFromTop(bool bottomUp) {
  constexpr int WIDTH = 40, HEIGHT = 24;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = WIDTH;
  info.bmiHeader.biHeight = bottomUp ? HEIGHT : -HEIGHT;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
  HFONT font = CreateFontA(16, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
  HGDIOBJ previousFont = SelectObject(dc, font);
  const std::string text = "Wg%8\xE9|";
  for (const int x : {-6, 3, 30})
    TextOutA(dc, x, x / 4, text.data(), static_cast<int>(text.size()));
  std::vector<std::uint32_t> rows;
  for (int y = 0; y < HEIGHT; ++y) {
    const auto *row =
        static_cast<const std::uint32_t *>(bits) + (bottomUp ? HEIGHT - 1 - y : y) * WIDTH;
    rows.insert(rows.end(), row, row + WIDTH);
  }
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return rows;
}

TEST(GlyphDrawing, BottomUpSectionsShowTheSamePicture) {
  const std::vector<std::uint32_t> topDown = PictureRowsFromTop(false);
  ASSERT_NE(std::count(topDown.begin(), topDown.end(), 0u), static_cast<long>(topDown.size()));
  EXPECT_EQ(PictureRowsFromTop(true), topDown);
}

// An instance keeps a few megabytes of glyph images and then starts over;
// an upright image noted beside its glyph must go with the rest, and come
// back the same when asked again.
TEST(GlyphCache, ImagesComeBackTheSameAfterTheCacheStartsOver) {
  const auto instance = portable::FindFontFaceInstance("Arial", -300, FW_NORMAL);
  ASSERT_NE(instance, nullptr);
  const portable::Rotation upright(0);
  const FT_UInt first = instance->GlyphIndex(U'W');
  const portable::GlyphImage kept = instance->Image(first, upright);
  ASSERT_FALSE(kept.ink.empty());
  // Far more than the cache holds: every letter in eight directions.
  for (int escapement = 0; escapement < 3600; escapement += 450) {
    for (char32_t letter = U'A'; letter <= U'Z'; ++letter) {
      instance->Image(instance->GlyphIndex(letter), portable::Rotation(escapement));
    }
  }
  const portable::GlyphImage &again = instance->Image(first, upright);
  EXPECT_EQ(again.levels, kept.levels);
  EXPECT_EQ(again.ink.size(), kept.ink.size());
}

}  // namespace
}  // namespace trendel
