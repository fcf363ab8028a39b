// Lines and ellipses of the portable layer: pinning tests for the pixel rules
// (each named after the rule it pins), and seeded properties for clipping,
// far-away coordinates and the row-by-row ellipse walk.
#include "Canvas.h"

#include "platform/portable/Handles.h"
#include "platform/portable/Shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace trendel {
namespace {

using testing::Canvas;

constexpr std::uint32_t RED = 0xFF0000, BLUE = 0x0000FF, GREY = 0x808080, WHITE = 0xFFFFFF;

// Selects a new pen or brush for one scope, then puts the old one back and
// deletes the new one.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, previous_);
    DeleteObject(object_);
  }
  Selected(const Selected &) = delete;
  Selected &operator=(const Selected &) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_;
};

void Line(HDC dc, int fromX, int fromY, int toX, int toY) {
  MoveToEx(dc, fromX, fromY, nullptr);
  LineTo(dc, toX, toY);
}

TEST(Lines, LineLeavesItsEndPixel) {
  Canvas canvas(12, 12);
  Line(canvas.dc(), 1, 1, 5, 1);    // right
  Line(canvas.dc(), 5, 3, 1, 3);    // left
  Line(canvas.dc(), 7, 1, 7, 4);    // down
  Line(canvas.dc(), 9, 4, 9, 1);    // up
  Line(canvas.dc(), 1, 6, 4, 9);    // diagonal down
  Line(canvas.dc(), 10, 10, 7, 7);  // diagonal up and left
  Line(canvas.dc(), 11, 0, 11, 0);  // zero length
  EXPECT_EQ(canvas.Map(0, 0, 12, 11),
            "............\n"
            ".####..#....\n"
            ".......#.#..\n"
            "..####.#.#..\n"
            ".........#..\n"
            "............\n"
            ".#..........\n"
            "..#.........\n"
            "...#....#...\n"
            ".........#..\n"
            "..........#.\n");
}

TEST(Lines, PolylineCornersArePaintedAndThePositionMoves) {
  Canvas canvas(8, 6);
  POINT previous{};
  MoveToEx(canvas.dc(), 1, 1, nullptr);
  LineTo(canvas.dc(), 6, 1);
  LineTo(canvas.dc(), 6, 4);
  LineTo(canvas.dc(), 1, 4);
  ASSERT_TRUE(MoveToEx(canvas.dc(), 0, 0, &previous));
  EXPECT_EQ(previous.x, 1);
  EXPECT_EQ(previous.y, 4);
  EXPECT_EQ(canvas.Map(0, 0, 8, 6),
            "........\n"
            ".######.\n"
            "......#.\n"
            "......#.\n"
            "..#####.\n"
            "........\n");
}

TEST(Lines, TiesGoToTheSmallerCoordinate) {
  Canvas canvas(20, 10);
  Line(canvas.dc(), 1, 1, 5, 3);    // slope 1/2: ties at steps 1 and 3
  Line(canvas.dc(), 13, 3, 9, 1);   // the same line backwards rounds the other way
  Line(canvas.dc(), 15, 1, 17, 5);  // slope 2, y-major
  EXPECT_EQ(canvas.Map(0, 0, 20, 6),
            "....................\n"
            ".##.......#....#....\n"
            "...##......##..#....\n"
            ".............#..#...\n"
            "................#...\n"
            "....................\n");
}

TEST(Lines, DotPatternRestartsAtEveryLineTo) {
  Canvas canvas(16, 4, RGB(128, 128, 128));
  HDC dc = canvas.dc();
  Selected pen(dc, CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
  MoveToEx(dc, 0, 1, nullptr);
  LineTo(dc, 4, 1);
  LineTo(dc, 15, 1);
  Line(dc, 15, 2, 0, 2);  // right to left: the pattern starts at x = 15
  EXPECT_EQ(canvas.Map(0, 1, 16, 3),
            "###.###...###..a\n"  // the corner at x = 4 starts a new run
            "a###...###...###\n");
}

TEST(Lines, DotGapsTakeTheBackgroundColourOnlyWhenOpaque) {
  Canvas canvas(8, 3, RGB(128, 128, 128));
  HDC dc = canvas.dc();
  Selected pen(dc, CreatePen(PS_DOT, 0, RGB(255, 0, 0)));
  portable::DeviceContext &context = *portable::FindDeviceContext(dc);
  context.backgroundColor = RGB(0, 0, 255);
  Line(dc, 0, 0, 8, 0);
  context.backgroundMode = 1;  // TRANSPARENT
  Line(dc, 0, 2, 8, 2);
  for (int x = 0; x < 8; ++x) {
    const bool on = x % 6 < 3;
    EXPECT_EQ(canvas.At(x, 0), on ? RED : BLUE) << x;
    EXPECT_EQ(canvas.At(x, 2), on ? RED : GREY) << x;
  }
}

TEST(Lines, WidthTwoCoversTheRowAboveAndTheEndPixel) {
  Canvas canvas(12, 12);
  HDC dc = canvas.dc();
  Selected pen(dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
  Line(dc, 2, 2, 6, 2);
  Line(dc, 6, 5, 2, 5);  // the same pixels backwards
  Line(dc, 9, 2, 9, 5);
  Line(dc, 3, 9, 3, 9);  // zero length: a 2 x 2 dot
  EXPECT_EQ(canvas.Map(0, 0, 12, 10),
            "............\n"
            ".######.##..\n"
            ".######.##..\n"
            "........##..\n"
            ".######.##..\n"
            ".######.##..\n"
            "............\n"
            "............\n"
            "..##........\n"
            "..##........\n");
}

TEST(Lines, UnsupportedPensAndTargetsAreRefused) {
  Canvas canvas(4, 4);
  HDC dc = canvas.dc();
  {
    Selected pen(dc, CreatePen(PS_SOLID, 1001, RGB(0, 0, 0)));
    EXPECT_FALSE(LineTo(dc, 3, 3));
    EXPECT_FALSE(Ellipse(dc, 0, 0, 3, 3));
  }
  {
    Selected pen(dc, CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
    EXPECT_FALSE(Ellipse(dc, 0, 0, 3, 3));
  }
  EXPECT_EQ(canvas.Map(0, 0, 4, 4), "....\n....\n....\n....\n");
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_FALSE(MoveToEx(nullptr, 1, 1, nullptr));
  HDC memory = CreateCompatibleDC(nullptr);  // still holds its 1-bit stock bitmap
  EXPECT_FALSE(LineTo(memory, 1, 1));
  EXPECT_FALSE(Ellipse(memory, 0, 0, 3, 3));
  DeleteDC(memory);
}

TEST(Ellipse, MarkerIsAPlusSign) {
  Canvas canvas(9, 5);
  HDC dc = canvas.dc();
  Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
  Ellipse(dc, 1, 1, 4, 4);
  Ellipse(dc, 8, 4, 5, 1);  // corners given in reverse
  EXPECT_EQ(canvas.Map(0, 0, 9, 5),
            ".........\n"
            "..#...#..\n"
            ".#a#.#a#.\n"
            "..#...#..\n"
            ".........\n");
}

TEST(Ellipse, NarrowBoxesAreFilledWithThePenAndOnePixelPaintsNothing) {
  Canvas canvas(10, 5);
  HDC dc = canvas.dc();
  Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
  Ellipse(dc, 1, 1, 3, 3);  // 2 x 2
  Ellipse(dc, 4, 1, 5, 4);  // 1 x 3
  Ellipse(dc, 6, 1, 9, 3);  // 3 x 2
  Ellipse(dc, 1, 4, 2, 5);  // 1 x 1
  EXPECT_EQ(canvas.Map(0, 0, 10, 5),
            "..........\n"
            ".##.#.###.\n"
            ".##.#.###.\n"
            "....#.....\n"
            "..........\n");
}

TEST(Ellipse, TallNarrowBoxesLoseTheirTopAndBottomRows) {
  Canvas canvas(8, 22);
  HDC dc = canvas.dc();
  Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
  Ellipse(dc, 1, 1, 7, 21);  // 6 x 20: rows 2..19 only
  EXPECT_EQ(canvas.Map(0, 0, 8, 5), "........\n........\n...##...\n..#aa#..\n..#aa#..\n");
  EXPECT_EQ(canvas.Map(0, 18, 8, 22), "..#aa#..\n...##...\n........\n........\n");
}

TEST(Ellipse, WidePensGrowTheShapeLikeRectangleFrames) {
  Canvas canvas(12, 12);
  HDC dc = canvas.dc();
  Selected pen(dc, CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
  Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
  Ellipse(dc, 2, 2, 10, 10);  // covers the 9 x 9 ellipse from (1, 1)
  EXPECT_EQ(canvas.Map(0, 0, 12, 11),
            "............\n"
            "....###.....\n"
            "..#######...\n"
            "..##aaa##...\n"
            ".##aaaaa##..\n"
            ".##aaaaa##..\n"
            ".##aaaaa##..\n"
            "..##aaa##...\n"
            "..#######...\n"
            "....###.....\n"
            "............\n");
}

TEST(Rectangle, CornersTakeTheShapeOfWidePens) {
  Canvas canvas(12, 10);
  HDC dc = canvas.dc();
  Selected pen(dc, CreatePen(PS_SOLID, 3, RGB(0, 0, 0)));
  Rectangle(dc, 3, 3, 9, 8);
  EXPECT_EQ(canvas.Map(0, 0, 12, 10),
            "............\n"
            "............\n"
            "...######...\n"
            "..########..\n"
            "..########..\n"
            "..###..###..\n"
            "..########..\n"
            "..########..\n"
            "...######...\n"
            "............\n");
}

TEST(FarCoordinates, ShapesAtTheEndsOfTheRangeStayOffTheCanvas) {
  Canvas canvas(8, 8);
  HDC dc = canvas.dc();
  Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
  EXPECT_TRUE(Ellipse(dc, 2147483644, 3, 2147483647, 6));
  EXPECT_TRUE(Ellipse(dc, -2147483647 - 1, 3, -2147483645, 6));
  EXPECT_TRUE(Ellipse(dc, 3, 2147483644, 6, 2147483647));
  EXPECT_TRUE(Rectangle(dc, 2147483640, 0, 2147483647, 7));
  EXPECT_FALSE(Ellipse(dc, -2147483647 - 1, 0, 2147483647, 7));  // wider than any ellipse walk
  Line(dc, 2147483647, 3, 2147483647, -2147483647 - 1);
  Line(dc, -2147483647 - 1, -2147483647 - 1, -2147483647 - 1, 2147483647);
  for (std::uint32_t pixel : canvas.Pixels()) ASSERT_EQ(pixel, WHITE);
}

// ---- Properties over seeded inputs ------------------------------------------

struct Pixel {
  long long x, y;
  std::uint32_t color;
  bool operator<(const Pixel &other) const {
    return std::tie(x, y, color) < std::tie(other.x, other.y, other.color);
  }
  bool operator==(const Pixel &other) const {
    return std::tie(x, y, color) == std::tie(other.x, other.y, other.color);
  }
};

std::ostream &operator<<(std::ostream &out, const Pixel &pixel) {
  return out << "(" << pixel.x << ", " << pixel.y << ") " << std::hex << pixel.color << std::dec;
}

long long FloorDivide(__int128 numerator, __int128 denominator) {
  __int128 quotient = numerator / denominator;
  if (quotient * denominator > numerator) --quotient;
  return static_cast<long long>(quotient);
}

// The visible pixels of a one-pixel line, straight from the rules: for every
// canvas column (row, for steep lines) the step that reaches it, the minor
// coordinate rounded to nearest with ties to the smaller, the end left out,
// dots counted from the start. No clipping, no error term, no shortcut.
std::set<Pixel> RuledLine(long long fromX, long long fromY, long long toX, long long toY,
                          int style, int width, int height) {
  std::set<Pixel> pixels;
  const long long deltaX = toX - fromX, deltaY = toY - fromY;
  const bool xMajor = std::llabs(deltaX) >= std::llabs(deltaY);
  const long long length = std::max(std::llabs(deltaX), std::llabs(deltaY));
  const long long majorStart = xMajor ? fromX : fromY, minorStart = xMajor ? fromY : fromX;
  const long long majorDelta = xMajor ? deltaX : deltaY, minorDelta = xMajor ? deltaY : deltaX;
  for (long long major = 0; major < (xMajor ? width : height); ++major) {
    const long long step = majorDelta < 0 ? majorStart - major : major - majorStart;
    if (step < 0 || step >= length) continue;
    const long long minor =
        minorStart + FloorDivide(__int128{2} * minorDelta * step + length - 1, __int128{2} * length);
    const long long x = xMajor ? major : minor, y = xMajor ? minor : major;
    const std::uint32_t color = style == PS_SOLID || step % 6 < 3 ? RED : BLUE;
    if (x >= 0 && y >= 0 && x < width && y < height) pixels.insert({x, y, color});
  }
  return pixels;
}

std::set<Pixel> Painted(const Canvas &canvas) {
  std::set<Pixel> pixels;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) != WHITE) pixels.insert({x, y, canvas.At(x, y)});
    }
  }
  return pixels;
}

// Lines near the canvas and lines with an end anywhere in the int32 range
// through a canvas pixel; drawing the latter must not walk their invisible
// steps, or this test would not end.
TEST(LineProperties, EveryVisiblePixelFollowsTheRules) {
  std::mt19937_64 random(4242);
  std::uniform_int_distribution<long long> near(-300, 320), anywhere(-2147483647LL - 1, 2147483647LL);
  std::uniform_real_distribution<double> beyond(0.0, 1.0);
  const auto clamp = [](double value) {
    return static_cast<long long>(std::clamp(value, -2147483648.0, 2147483647.0));
  };
  for (int iteration = 0; iteration < 6000; ++iteration) {
    long long fromX = near(random), fromY = near(random), toX = near(random), toY = near(random);
    if (iteration % 2 == 1) {
      fromX = anywhere(random);
      fromY = anywhere(random);
      const double throughX = static_cast<double>(random() % 24), throughY = static_cast<double>(random() % 20);
      const double past = beyond(random);
      toX = clamp(throughX + (throughX - static_cast<double>(fromX)) * past);
      toY = clamp(throughY + (throughY - static_cast<double>(fromY)) * past);
    }
    const int style = iteration % 4 < 2 ? PS_SOLID : PS_DOT;
    Canvas canvas(24, 20);
    {
      Selected pen(canvas.dc(), CreatePen(style, 1, RGB(255, 0, 0)));
      portable::FindDeviceContext(canvas.dc())->backgroundColor = RGB(0, 0, 255);
      Line(canvas.dc(), static_cast<int>(fromX), static_cast<int>(fromY), static_cast<int>(toX),
           static_cast<int>(toY));
    }
    ASSERT_EQ(Painted(canvas), RuledLine(fromX, fromY, toX, toY, style, 24, 20))
        << "seed 4242, iteration " << iteration << ": (" << fromX << ", " << fromY << ") to ("
        << toX << ", " << toY << ")";
  }
}

// Solid lines with both ends on the canvas take a walk without clipping;
// they too must follow the rules, in every direction and at every length.
// Dotted ones are drawn beside them, in both background modes.
TEST(LineProperties, LinesWhollyOnTheCanvasFollowTheRules) {
  std::mt19937 random(808);
  std::uniform_int_distribution<int> x(0, 23), y(0, 19);
  for (int iteration = 0; iteration < 6000; ++iteration) {
    const int fromX = x(random), fromY = y(random), toX = x(random), toY = y(random);
    const int style = iteration % 4 < 2 ? PS_SOLID : PS_DOT;
    const bool transparent = iteration % 8 >= 6;
    Canvas canvas(24, 20);
    {
      Selected pen(canvas.dc(), CreatePen(style, iteration % 2, RGB(255, 0, 0)));
      portable::DeviceContext &context = *portable::FindDeviceContext(canvas.dc());
      context.backgroundColor = RGB(0, 0, 255);
      if (transparent) context.backgroundMode = 1;  // TRANSPARENT
      Line(canvas.dc(), fromX, fromY, toX, toY);
    }
    std::set<Pixel> expected = RuledLine(fromX, fromY, toX, toY, style, 24, 20);
    if (transparent) {
      for (auto pixel = expected.begin(); pixel != expected.end();) {
        pixel = pixel->color == BLUE ? expected.erase(pixel) : std::next(pixel);
      }
    }
    ASSERT_EQ(Painted(canvas), expected)
        << "seed 808, iteration " << iteration << ": (" << fromX << ", " << fromY << ") to ("
        << toX << ", " << toY << ")";
  }
}

// Draws with draw(dc, offset) on a small canvas and, shifted, on a canvas big
// enough to hold the whole shape; the small one must show the same pixels.
template <typename Draw>
void ExpectClippingChangesNoPixel(Draw draw, const std::string &trace) {
  constexpr int SIZE = 16, SHIFT = 48;
  Canvas small(SIZE, SIZE), whole(SIZE + 2 * SHIFT, SIZE + 2 * SHIFT);
  draw(small.dc(), 0);
  draw(whole.dc(), SHIFT);
  for (int y = 0; y < SIZE; ++y) {
    for (int x = 0; x < SIZE; ++x) {
      ASSERT_EQ(small.At(x, y), whole.At(x + SHIFT, y + SHIFT))
          << trace << ", pixel (" << x << ", " << y << ")";
    }
  }
}

// A dotted line that leaves the small canvas takes the clipped walk, which
// works out each visible step's place in the pattern; on the whole canvas the
// same line takes the walk that counts the pattern along. Starting 1 to 7
// steps back from the middle puts every place in the pattern at the small
// canvas's edge, in 48 directions and both background modes.
TEST(LineProperties, DottedLinesOnTheCanvasMatchTheClippedWalk) {
  for (const int mode : {OPAQUE, 1 /* TRANSPARENT */}) {
    for (int deltaX = -3; deltaX <= 3; ++deltaX) {
      for (int deltaY = -3; deltaY <= 3; ++deltaY) {
        for (int back = 1; back <= 7 && (deltaX != 0 || deltaY != 0); ++back) {
          for (int ahead = 1; ahead <= 7; ++ahead) {
            const std::string trace = "mode " + std::to_string(mode) + ", direction (" +
                                      std::to_string(deltaX) + ", " + std::to_string(deltaY) +
                                      "), back " + std::to_string(back) + ", ahead " +
                                      std::to_string(ahead);
            const auto draw = [&](HDC dc, int offset) {
              Selected pen(dc, CreatePen(PS_DOT, 1, RGB(255, 0, 0)));
              portable::DeviceContext &context = *portable::FindDeviceContext(dc);
              context.backgroundColor = RGB(0, 0, 255);
              context.backgroundMode = mode;
              Line(dc, 8 - back * deltaX + offset, 8 - back * deltaY + offset,
                   8 + ahead * deltaX + offset, 8 + ahead * deltaY + offset);
            };
            ASSERT_NO_FATAL_FAILURE(ExpectClippingChangesNoPixel(draw, trace));
          }
        }
      }
    }
  }
}

TEST(LineProperties, ClippingChangesNoPixelForAnyPen) {
  std::mt19937 random(77);
  std::uniform_int_distribution<int> coordinate(-40, 56);
  for (int iteration = 0; iteration < 400; ++iteration) {
    const int fromX = coordinate(random), fromY = coordinate(random);
    const int toX = coordinate(random), toY = coordinate(random);
    const int style = iteration % 3 == 0 ? PS_DOT : PS_SOLID, width = iteration % 5;
    ExpectClippingChangesNoPixel(
        [&](HDC dc, int offset) {
          Selected pen(dc, CreatePen(style, width, RGB(255, 0, 0)));
          Line(dc, fromX + offset, fromY + offset, toX + offset, toY + offset);
        },
        "seed 77, iteration " + std::to_string(iteration));
  }
}

// Ellipse rows from a literal walk along the curve, a step per pixel: the
// walk that EllipseRows computes row by row and, far from the middle row,
// starts from two bounds a few rows back.
std::vector<portable::Span> WalkedRows(long long width, long long height) {
  const long long a = width - 1, b = height - 1, bOdd = b & 1;
  __int128 stepX = __int128{4} * b * b * (1 - a), stepY = __int128{4} * a * a * (1 + bOdd);
  __int128 error = stepX + stepY + __int128{bOdd} * a * a;
  std::vector<portable::Span> rows(static_cast<std::size_t>(height));
  long long x = a, y = height / 2;
  while (x >= width / 2) {
    portable::Span &row = rows[static_cast<std::size_t>(y)];
    if (row.IsEmpty()) row = {width - 1 - x, x + 1};
    rows[static_cast<std::size_t>(height - 1 - y)] = row;
    const __int128 twiceError = 2 * error;
    if (twiceError >= stepX) {
      --x;
      stepX += __int128{8} * b * b;
      error += stepX;
    }
    if (twiceError <= stepY) {
      ++y;
      stepY += __int128{8} * a * a;
      error += stepY;
    }
  }
  return rows;
}

void ExpectRowsOfTheWalk(long long width, long long height, long long first, long long end) {
  const std::vector<portable::Span> walked = WalkedRows(width, height);
  const std::vector<portable::Span> rows = portable::EllipseRows(width, height, first, end);
  for (long long row = first; row < end; ++row) {
    const portable::Span expected = walked[static_cast<std::size_t>(row)];
    const portable::Span actual = rows[static_cast<std::size_t>(row - first)];
    ASSERT_TRUE(expected.IsEmpty() ? actual.IsEmpty()
                                   : expected.left == actual.left && expected.right == actual.right)
        << width << " x " << height << ", row " << row << ": walked [" << expected.left << ", "
        << expected.right << "), got [" << actual.left << ", " << actual.right << ")";
  }
}

TEST(EllipseProperties, RowsFollowTheWalkStepByStep) {
  for (long long width = 3; width <= 48; ++width) {
    for (long long height = 3; height <= 48; ++height) ExpectRowsOfTheWalk(width, height, 0, height);
  }
  std::mt19937_64 random(99);
  for (int iteration = 0; iteration < 300; ++iteration) {
    const long long width = 3 + static_cast<long long>(random() % (iteration % 3 == 0 ? 40 : 6000));
    const long long height = 3 + static_cast<long long>(random() % (iteration % 3 == 1 ? 40 : 6000));
    // A band of rows anywhere, as a canvas far from the middle row asks for.
    const long long first = static_cast<long long>(random() % static_cast<unsigned long long>(height));
    const long long end = std::min(height, first + 1 + static_cast<long long>(random() % 50));
    SCOPED_TRACE("seed 99, iteration " + std::to_string(iteration));
    ExpectRowsOfTheWalk(width, height, first, end);
  }
}

// Ellipse paints the 3 x 3 point marker by a special case; the walk must give
// the same pixels at every position on, across the edges of, and off a
// canvas, whatever the colours. The box is given in every corner order: only
// left-to-right and top-to-bottom takes the special case, the others the
// general path after swapping. The boxes one pixel larger or smaller on
// either side, which markers become where truncation to pixels meets the
// origin, must not take it.
TEST(EllipseProperties, MarkerSpecialCaseMatchesTheWalk) {
  constexpr int WIDTH = 7, HEIGHT = 6;
  for (int order = 0; order < 4; ++order) {
    const bool reversedX = (order & 1) != 0, reversedY = (order & 2) != 0;
    for (int boxWidth = 2; boxWidth <= 4; ++boxWidth) {
      for (int boxHeight = 2; boxHeight <= 4; ++boxHeight) {
        for (const COLORREF penColor : {RGB(0, 0, 0), RGB(10, 200, 30)}) {
          for (int top = -5; top <= HEIGHT + 1; ++top) {
            for (int left = -5; left <= WIDTH + 1; ++left) {
              const int right = left + boxWidth, bottom = top + boxHeight;
              Canvas special(WIDTH, HEIGHT), walked(WIDTH, HEIGHT);
              {
                Selected pen(special.dc(), CreatePen(PS_SOLID, (left + 5) % 2, penColor));
                Selected brush(special.dc(), CreateSolidBrush(RGB(255, 0, 0)));
                Ellipse(special.dc(), reversedX ? right : left, reversedY ? bottom : top,
                        reversedX ? left : right, reversedY ? top : bottom);
              }
              const std::optional<portable::Surface> surface =
                  portable::SurfaceOf(*portable::FindDeviceContext(walked.dc()));
              ASSERT_TRUE(surface);
              portable::PaintEllipse(*surface, left, top, right, bottom, 1,
                                     portable::PixelFromColor(penColor), RED);
              ASSERT_EQ(special.Pixels(), walked.Pixels())
                  << boxWidth << " x " << boxHeight << " box at (" << left << ", " << top
                  << "), pen " << penColor << ", order " << order;
            }
          }
        }
      }
    }
  }
}

TEST(EllipseProperties, ClippingChangesNoPixel) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> size(1, 40), corner(-40, 20);
  for (int iteration = 0; iteration < 400; ++iteration) {
    const int left = corner(random), top = corner(random), width = size(random), height = size(random);
    const int penWidth = 1 + iteration % 3;
    ExpectClippingChangesNoPixel(
        [&](HDC dc, int offset) {
          Selected pen(dc, CreatePen(PS_SOLID, penWidth, RGB(0, 0, 0)));
          Selected brush(dc, CreateSolidBrush(RGB(255, 0, 0)));
          Ellipse(dc, left + offset, top + offset, left + width + offset, top + height + offset);
        },
        "seed 5, iteration " + std::to_string(iteration));
  }
}

}  // namespace
}  // namespace trendel
