// Colour reduction by an octree: pixels in, a palette of at most a given
// number of colours out. Plain arithmetic with no platform behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace trendel {

struct PaletteColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const PaletteColor &other) const {
    return red == other.red && green == other.green && blue == other.blue;
  }
};

class Octree {
 public:
  static constexpr int MAX_COLOR_BITS = 8;

  // A tree of `colorBits` levels below the root (0 to 8) that keeps at most
  // `maxColors` leaves (at least 1). Throws std::bad_alloc when memory runs out.
  Octree(int maxColors, int colorBits);
  Octree(const Octree &) = delete;
  Octree &operator=(const Octree &) = delete;

  // Build and reduce: adds `count` pixels of one colour, then folds leaves
  // together until there are at most maxColors of them. A run of pixels
  // gives the same tree as the same pixels one by one: only the first of
  // them can make a leaf.
  void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint32_t count = 1);

  // Adds a row of pixels as 0x00RRGGBB words (the top byte is ignored), a run
  // of one colour at a time, which gives the same tree as AddColor pixel by
  // pixel. Rows come in here so that the run search and AddColor share one
  // loop instead of a call per run.
  void AddPixels(const std::uint32_t *pixels, std::size_t count);

  // Assign: the leaves depth first, children in index order, each the
  // integer average of the pixels it gathered.
  std::vector<PaletteColor> Palette() const;

  int LeafCount() const { return leafCount_; }

 private:
  struct Node {
    Node *children[8];
    std::uint32_t pixelCount;
    // 64 bits, so that no picture the platform can hold overflows a sum.
    std::uint64_t redSum;
    std::uint64_t greenSum;
    std::uint64_t blueSum;
    bool isLeaf;
    Node *nextReducible;
  };
  // One entry of the leaf cache below, with the pixels of its colour that
  // are counted here and not yet in the leaf.
  struct CachedLeaf {
    std::uint32_t color = 0;
    std::uint32_t generation = 0;
    Node *leaf = nullptr;
    std::uint32_t pendingCount = 0;
  };

  Node *NewNode(int level);
  void AddRun(std::uint32_t color, std::uint32_t count);
  void AddRunByWalk(CachedLeaf &entry, std::uint32_t color, std::uint32_t count);
  Node *WalkToLeaf(std::uint32_t color, bool &newLeaf);
  CachedLeaf &CacheEntry(std::uint32_t color);
  void AddPending(CachedLeaf &entry, std::uint32_t count);
  void FlushPending();
  void StartGeneration();
  void FreeNode(Node *node);
  void ReduceOnce();
  void CollectLeaves(const Node *node, std::vector<PaletteColor> &palette) const;

  int maxColors_;
  int colorBits_;
  int leafCount_ = 0;
  Node *root_ = nullptr;
  // The nodes of each level that are not leaves yet, newest first.
  Node *reducible_[MAX_COLOR_BITS + 1] = {};

  // The leaves of recent colours, by a hash of the colour: a chart's lines,
  // grid and text alternate a few colours along every row, and a colour
  // that comes back skips the walk down the tree. An entry holds only while
  // its generation is the tree's; every reduction starts a new generation,
  // because it frees leaves and moves colours to the folded node.
  //
  // A cached colour's pixels are only counted in its entry; the entries
  // listed in pendingEntries_ hand their counts and sums to their leaves
  // before a reduction, before the entry takes another colour, and at the
  // end of every Add call. Sums are integers, so adding them later and
  // grouped gives exactly the same leaves, and the tree's shape depends only
  // on the walks, which happen as before.
  static constexpr int LEAF_CACHE_BITS = 12;
  std::vector<CachedLeaf> leafCache_;
  std::vector<CachedLeaf *> pendingEntries_;
  std::uint32_t generation_ = 1;

  // Node storage: freed nodes wait in a list for reuse.
  std::deque<Node> storage_;
  std::vector<Node *> freeNodes_;
};

}  // namespace trendel
