// The octree on its own, with palettes worked out by hand.
#include "export/Octree.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace trendel {
namespace {

using Colors = std::vector<PaletteColor>;

Colors PaletteOf(int maxColors, int colorBits, const Colors &pixels) {
  Octree tree(maxColors, colorBits);
  for (const PaletteColor &pixel : pixels) tree.AddColor(pixel.red, pixel.green, pixel.blue);
  return tree.Palette();
}

TEST(Octree, FewColoursComeOutExactlyInDepthFirstOrder) {
  // Child index at the root: red bit 4, green bit 2, blue bit 1.
  const Colors pixels = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                         {0, 0, 0},       {255, 0, 0}, {0, 0, 0}};
  EXPECT_EQ(PaletteOf(256, 8, pixels),
            (Colors{{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}}));
}

TEST(Octree, LeavesAverageTheirPixelsWithIntegerDivision) {
  // One level: colours sort by their top bits only.
  Colors pixels = {{0, 0, 0}, {255, 255, 255}, {10, 20, 30}};
  EXPECT_EQ(PaletteOf(2, 1, pixels), (Colors{{5, 10, 15}, {255, 255, 255}}));
  // A third leaf is one too many: the root folds everything into one.
  // (0 + 255 + 10 + 255) / 4 = 130, (0 + 255 + 20 + 0) / 4 = 68.75, ...
  pixels.push_back({255, 0, 0});
  EXPECT_EQ(PaletteOf(2, 1, pixels), (Colors{{130, 68, 71}}));
}

TEST(Octree, ReductionFoldsTheNewestNodeOfTheDeepestLevelFirst) {
  // (0,0,0) and (1,0,0) part only at the last level. The fourth colour makes
  // four leaves; level 7 holds, newest first, the nodes above (128,0,0),
  // (255,255,255) and the pair: folding the first two changes nothing, the
  // pair then becomes one leaf of (0 + 1) / 2 = 0.
  const Colors pixels = {{0, 0, 0}, {1, 0, 0}, {255, 255, 255}, {128, 0, 0}};
  EXPECT_EQ(PaletteOf(3, 8, pixels), (Colors{{0, 0, 0}, {128, 0, 0}, {255, 255, 255}}));
}

TEST(Octree, SeededPicturesNeverExceedMaxColors) {
  for (unsigned seed = 1; seed <= 10; ++seed) {
    std::mt19937 random(seed);
    const int maxColors = 1 + static_cast<int>(random() % 40);
    Octree tree(maxColors, 8);
    long long red = 0;
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
      const auto value = static_cast<std::uint32_t>(random());
      tree.AddColor(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                    static_cast<std::uint8_t>(value >> 16));
      red += static_cast<std::uint8_t>(value);
      ASSERT_LE(tree.LeafCount(), maxColors) << "seed " << seed << " pixel " << i;
    }
    const Colors palette = tree.Palette();
    EXPECT_EQ(static_cast<int>(palette.size()), tree.LeafCount()) << "seed " << seed;
    if (maxColors == 1) {
      EXPECT_EQ(palette[0].red, red / count) << "seed " << seed;
    }
  }
  // With one colour allowed, everything is one average.
  EXPECT_EQ(PaletteOf(1, 8, Colors{{0, 0, 0}, {100, 50, 3}}), (Colors{{50, 25, 1}}));
}

}  // namespace
}  // namespace trendel
