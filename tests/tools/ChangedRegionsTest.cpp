// The viewer sends only the changed parts of a picture to the screen; a part
// missed here would leave a stale tracking line or value box on the screen.
#include "ChangedRegions.h"

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

namespace trendel::view {

void PrintTo(const Region &region, std::ostream *out) {
  *out << region.width << "x" << region.height << " at (" << region.x << ", " << region.y << ")";
}

namespace {

constexpr int WIDTH = 100;
constexpr int HEIGHT = 20;
constexpr std::uint32_t WHITE = 0x00FFFFFF;
constexpr std::uint32_t GREY = 0x00D3D3D3;

struct Case {
  const char *name;
  std::vector<std::pair<int, int>> changedPixels;  // (x, y)
  std::vector<Region> expected;
};

std::vector<Region> RegionsOf(const std::vector<std::pair<int, int>> &changedPixels) {
  const std::vector<std::uint32_t> before(WIDTH * HEIGHT, WHITE);
  std::vector<std::uint32_t> after = before;
  for (const auto &[x, y] : changedPixels) after[static_cast<std::size_t>(y * WIDTH + x)] = GREY;
  return ChangedRegions(before.data(), after.data(), WIDTH, HEIGHT);
}

std::vector<std::pair<int, int>> Column(int x, int top, int bottom) {
  std::vector<std::pair<int, int>> pixels;
  for (int y = top; y <= bottom; ++y) pixels.emplace_back(x, y);
  return pixels;
}

template <typename... Parts>
std::vector<std::pair<int, int>> Joined(Parts... parts) {
  std::vector<std::pair<int, int>> pixels;
  (pixels.insert(pixels.end(), parts.begin(), parts.end()), ...);
  return pixels;
}

TEST(ChangedRegions, CoverEveryChangeInFewRectangles) {
  const Case cases[] = {
      {"equal pictures", {}, {}},
      {"one pixel", {{7, 3}}, {{7, 3, 1, 1}}},
      {"the four corners",
       {{0, 0}, {WIDTH - 1, 0}, {0, HEIGHT - 1}, {WIDTH - 1, HEIGHT - 1}},
       {{0, 0, 1, HEIGHT}, {WIDTH - 1, 0, 1, HEIGHT}}},
      // A tracking line moving: the old and the new column, far apart.
      {"two lines", Joined(Column(10, 2, 17), Column(80, 2, 17)), {{10, 2, 1, 16}, {80, 2, 1, 16}}},
      // 31 unchanged columns between two changes join them; 32 do not.
      {"gap joined", {{10, 5}, {42, 9}}, {{10, 5, 33, 5}}},
      {"gap apart", {{10, 5}, {43, 9}}, {{10, 5, 1, 1}, {43, 9, 1, 1}}},
      // A value box beside a line: one band spanning both's rows.
      {"line and box", Joined(Column(20, 1, 18), Column(30, 12, 18), Column(45, 12, 18)),
       {{20, 1, 26, 18}}},
  };
  for (const Case &testCase : cases) {
    EXPECT_EQ(RegionsOf(testCase.changedPixels), testCase.expected) << testCase.name;
  }
}

}  // namespace
}  // namespace trendel::view
