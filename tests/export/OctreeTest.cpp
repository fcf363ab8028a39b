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

// The octree written the plainest way, for comparison: nodes in one vector,
// every colour walking down from the root, and each reduction folding the
// newest node of the deepest level that has one.
class PlainOctree {
 public:
  // colorBits from 1 to 8: the root is never a leaf to begin with.
  PlainOctree(int maxColors, int colorBits)
      : maxColors_(maxColors), colorBits_(colorBits), nodes_(1), reducible_{{0}} {}

  void Add(const PaletteColor &color, std::uint32_t count) {
    std::size_t node = 0;
    int level = 0;
    bool newLeaf = false;
    while (!nodes_[node].isLeaf) {
      const int shift = 7 - level;
      const int index = (((color.red >> shift) & 1) << 2) | (((color.green >> shift) & 1) << 1) |
                        ((color.blue >> shift) & 1);
      if (nodes_[node].children[index] == 0) {
        nodes_.push_back(Node{});
        const std::size_t child = nodes_.size() - 1;
        nodes_[node].children[index] = child;
        if (level + 1 == colorBits_) {
          nodes_[child].isLeaf = true;
          ++leafCount_;
          newLeaf = true;
        } else {
          reducible_[level + 1].push_back(child);
        }
      }
      node = nodes_[node].children[index];
      ++level;
    }
    Node &leaf = nodes_[node];
    leaf.pixelCount += count;
    leaf.red += std::uint64_t{color.red} * count;
    leaf.green += std::uint64_t{color.green} * count;
    leaf.blue += std::uint64_t{color.blue} * count;
    while (newLeaf && leafCount_ > maxColors_) Reduce();
  }

  Colors Palette() const {
    Colors palette;
    Collect(0, palette);
    return palette;
  }

 private:
  struct Node {
    std::size_t children[8] = {};
    std::uint64_t pixelCount = 0, red = 0, green = 0, blue = 0;
    bool isLeaf = false;
  };

  void Reduce() {
    int level = colorBits_ - 1;
    while (level > 0 && reducible_[level].empty()) --level;
    const std::size_t node = reducible_[level].back();
    reducible_[level].pop_back();
    int children = 0;
    for (std::size_t &child : nodes_[node].children) {
      if (child == 0) continue;
      nodes_[node].pixelCount += nodes_[child].pixelCount;
      nodes_[node].red += nodes_[child].red;
      nodes_[node].green += nodes_[child].green;
      nodes_[node].blue += nodes_[child].blue;
      child = 0;
      ++children;
    }
    nodes_[node].isLeaf = true;
    leafCount_ -= children - 1;
  }

  void Collect(std::size_t node, Colors &palette) const {
    const Node &current = nodes_[node];
    if (current.isLeaf) {
      palette.push_back({static_cast<std::uint8_t>(current.red / current.pixelCount),
                         static_cast<std::uint8_t>(current.green / current.pixelCount),
                         static_cast<std::uint8_t>(current.blue / current.pixelCount)});
      return;
    }
    for (const std::size_t child : current.children) {
      if (child != 0) Collect(child, palette);
    }
  }

  int maxColors_, colorBits_, leafCount_ = 0;
  std::vector<Node> nodes_;
  std::vector<std::size_t> reducible_[9];
};

// The octree skips the walk for colours whose leaf it remembers; that must
// never change the palette, across reductions that free and reuse leaves.
// Pictures mix a few recurring colours (remembered leaves) with noise (new
// leaves and reductions), fed in runs as the conversion feeds rows.
TEST(Octree, RememberedLeavesGiveThePaletteOfPlainWalks) {
  std::mt19937 random(2024);
  for (int picture = 0; picture < 60; ++picture) {
    const int maxColors = std::vector<int>{1, 2, 7, 16, 50, 236, 256}[random() % 7];
    const int colorBits = 1 + static_cast<int>(random() % 8);
    Colors recurring(1 + random() % 40);
    for (PaletteColor &color : recurring) {
      const auto value = static_cast<std::uint32_t>(random());
      color = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value >> 16)};
    }
    Octree tree(maxColors, colorBits);
    PlainOctree plain(maxColors, colorBits);
    const unsigned noiseShare = random() % 5;
    for (int run = 0; run < 4000; ++run) {
      PaletteColor color = recurring[random() % recurring.size()];
      if (random() % 8 < noiseShare) {
        const auto value = static_cast<std::uint32_t>(random());
        color = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                 static_cast<std::uint8_t>(value >> 16)};
      }
      const auto count = static_cast<std::uint32_t>(1 + random() % 3);
      tree.AddColor(color.red, color.green, color.blue, count);
      plain.Add(color, count);
    }
    ASSERT_EQ(tree.Palette(), plain.Palette()) << "seed 2024, picture " << picture;
  }
}

// Counts a row's pixels in the plain walk, one by one, then sets their top
// bytes at random: the octree must ignore them.
void CountPlainlyAndSetTopBytes(PlainOctree &plain, std::vector<std::uint32_t> &pixels,
                                std::mt19937 &random) {
  for (std::uint32_t &pixel : pixels) {
    plain.Add({static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
               static_cast<std::uint8_t>(pixel)},
              1);
    pixel |= static_cast<std::uint32_t>(random()) << 24;
  }
}

// Rows fed whole gather each cached colour's pixels in its cache entry and
// hand them to the leaves later; the palette must be exactly that of the
// plain walk pixel by pixel. Rows of every width from 1 up, the top bytes
// of the words set at random (they are ignored), few or many colours, and
// limits that force reductions in the middle of a row.
TEST(Octree, RowsGiveThePaletteOfPlainWalks) {
  std::mt19937 random(7);
  for (int picture = 0; picture < 60; ++picture) {
    const int maxColors = std::vector<int>{1, 3, 16, 236, 256}[random() % 5];
    const int colorBits = 1 + static_cast<int>(random() % 8);
    std::vector<std::uint32_t> recurring(1 + random() % 30);
    for (std::uint32_t &color : recurring) color = static_cast<std::uint32_t>(random()) & 0xFFFFFF;
    const unsigned noiseShare = random() % 4;
    Octree tree(maxColors, colorBits);
    PlainOctree plain(maxColors, colorBits);
    for (int row = 0; row < 40; ++row) {
      std::vector<std::uint32_t> pixels;
      const std::size_t width = 1 + random() % 300;
      while (pixels.size() < width) {
        std::uint32_t color = recurring[random() % recurring.size()];
        if (random() % 8 < noiseShare) color = static_cast<std::uint32_t>(random()) & 0xFFFFFF;
        pixels.insert(pixels.end(), 1 + random() % 5, color);
      }
      pixels.resize(width);
      CountPlainlyAndSetTopBytes(plain, pixels, random);
      tree.AddPixels(pixels.data(), pixels.size());
      ASSERT_LE(tree.LeafCount(), maxColors) << "seed 7, picture " << picture << " row " << row;
    }
    ASSERT_EQ(tree.Palette(), plain.Palette()) << "seed 7, picture " << picture;
  }
}

// Runs are found four pixels at a time. Long runs that end at every place in
// a group of four, top bytes set at random, and rows of every width: the
// palette must be that of the plain walk. Few colour bits fold neighbouring
// colours into one leaf, so a pixel counted in the wrong run moves an
// average.
TEST(Octree, LongRunsGiveThePaletteOfPlainWalks) {
  std::mt19937 random(11);
  for (int picture = 0; picture < 40; ++picture) {
    const int colorBits = 1 + picture % 4;
    Octree tree(256, colorBits);
    PlainOctree plain(256, colorBits);
    for (int row = 0; row < 20; ++row) {
      const std::size_t width = 1 + static_cast<std::size_t>(row * 13 + picture) % 97;
      std::vector<std::uint32_t> pixels;
      while (pixels.size() < width) {
        const auto color = static_cast<std::uint32_t>(random()) & 0xFFFFFF;
        pixels.insert(pixels.end(), 1 + random() % 70, color);
      }
      pixels.resize(width);
      CountPlainlyAndSetTopBytes(plain, pixels, random);
      tree.AddPixels(pixels.data(), pixels.size());
    }
    ASSERT_EQ(tree.Palette(), plain.Palette()) << "seed 11, picture " << picture;
  }
}

}  // namespace
}  // namespace trendel
