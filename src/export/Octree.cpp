// Colour reduction by an octree, in three phases.
//
// Build. Each colour walks down from the root, one level per bit of its
// components, most significant bit first: at level L the child index is made
// of bit 7 - L of red, green and blue (red the highest of the three index
// bits). The walk creates the nodes it lacks and ends in a leaf at level
// colorBits, where the pixel is counted and its components are added to the
// leaf's sums. Every node above the leaf level goes on the reducible list of
// its level when it is created, newest first. A colour whose leaf is in the
// leaf cache skips the walk, and its pixels are gathered in the cache entry
// until the leaf must have them.
//
// Reduce. Whenever a new leaf makes more than maxColors, the tree folds one
// node: the newest reducible node of the deepest level that has one. Its
// children hand their counts and sums up to it and disappear, and it becomes
// a leaf. Folding deepest first merges the colours that differ only in their
// low bits, and the tree never holds more than maxColors leaves after a pixel.
//
// Assign. The leaves, visited depth first with children in index order 0 to
// 7, become the palette; each entry is its leaf's sums divided by its count,
// the remainder dropped. A picture with no more than maxColors distinct
// colours (at colorBits precision) thus gets exactly one entry per colour.
#include "Octree.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace trendel {
namespace {

constexpr std::uint32_t ColorKey(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
}

constexpr std::uint32_t COLOR_BITS = 0xFFFFFF;

// The index of the first pixel from `start` on whose colour is not `color`,
// or `end`: four pixels at a time, their top bytes ignored. The first pixel
// of a pair is the low half of a 64-bit load on a little-endian machine.
std::size_t EndOfRun(const std::uint32_t *pixels, std::size_t start, std::size_t end,
                     std::uint32_t color) {
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pairs are read as 64-bit words");
  constexpr std::uint64_t PAIR_COLOR_BITS = 0x00FFFFFF00FFFFFFull;
  const std::uint64_t pattern = color * 0x0000000100000001ull;
  const auto differenceAt = [&](std::size_t index) {
    std::uint64_t pair;
    std::memcpy(&pair, pixels + index, sizeof pair);
    return (pair ^ pattern) & PAIR_COLOR_BITS;
  };
  const auto firstOfPair = [](std::size_t index, std::uint64_t difference) {
    return (difference & 0xFFFFFFFF) != 0 ? index : index + 1;
  };
  std::size_t index = start;
  for (; index + 4 <= end; index += 4) {
    const std::uint64_t first = differenceAt(index), second = differenceAt(index + 2);
    if ((first | second) == 0) continue;
    return first != 0 ? firstOfPair(index, first) : firstOfPair(index + 2, second);
  }
  for (; index < end; ++index) {
    if ((pixels[index] & COLOR_BITS) != color) return index;
  }
  return end;
}

}  // namespace

Octree::Octree(int maxColors, int colorBits)
    : maxColors_(maxColors), colorBits_(colorBits), leafCache_(std::size_t{1} << LEAF_CACHE_BITS) {
  assert(maxColors >= 1);
  assert(colorBits >= 0 && colorBits <= MAX_COLOR_BITS);
  // Each entry waits at most once, so that adding to the list never allocates.
  pendingEntries_.reserve(leafCache_.size());
}

Octree::Node *Octree::NewNode(int level) {
  Node *node;
  if (freeNodes_.empty()) {
    storage_.emplace_back();
    node = &storage_.back();
  } else {
    node = freeNodes_.back();
    freeNodes_.pop_back();
  }
  *node = Node{};
  if (level == colorBits_) {
    node->isLeaf = true;
    ++leafCount_;
  } else {
    node->nextReducible = reducible_[level];
    reducible_[level] = node;
  }
  return node;
}

void Octree::FreeNode(Node *node) {
  freeNodes_.push_back(node);
}

// Multiplicative hashing: the top bits of the product mix all of the colour.
Octree::CachedLeaf &Octree::CacheEntry(std::uint32_t color) {
  return leafCache_[(color * 2654435761u) >> (32 - LEAF_CACHE_BITS)];
}

// A generation count that wraps would revive entries of long ago, so the
// cache is emptied then instead.
void Octree::StartGeneration() {
  if (++generation_ == 0) {
    std::fill(leafCache_.begin(), leafCache_.end(), CachedLeaf{});
    generation_ = 1;
  }
}

// The walk down the tree, making the nodes the colour lacks.
Octree::Node *Octree::WalkToLeaf(std::uint32_t color, bool &newLeaf) {
  const auto red = static_cast<std::uint8_t>(color >> 16);
  const auto green = static_cast<std::uint8_t>(color >> 8);
  const auto blue = static_cast<std::uint8_t>(color);
  Node **slot = &root_;
  for (int level = 0;; ++level) {
    if (*slot == nullptr) {
      *slot = NewNode(level);
      newLeaf = (*slot)->isLeaf;
    }
    if ((*slot)->isLeaf) break;
    const int shift = 7 - level;
    const int index =
        (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
    slot = &(*slot)->children[index];
  }
  return *slot;
}

void Octree::AddPending(CachedLeaf &entry, std::uint32_t count) {
  if (entry.pendingCount == 0) pendingEntries_.push_back(&entry);
  entry.pendingCount += count;
}

// Hands every pending count and its sums to the entry's leaf, which is alive:
// entries only wait within one generation.
void Octree::FlushPending() {
  for (CachedLeaf *entry : pendingEntries_) {
    const std::uint32_t color = entry->color;
    const std::uint64_t count = entry->pendingCount;
    Node *leaf = entry->leaf;
    leaf->pixelCount += entry->pendingCount;
    leaf->redSum += std::uint64_t{color >> 16} * count;
    leaf->greenSum += std::uint64_t{(color >> 8) & 0xFF} * count;
    leaf->blueSum += std::uint64_t{color & 0xFF} * count;
    entry->pendingCount = 0;
  }
  pendingEntries_.clear();
}

// The cache entry's leaf when it holds the colour; otherwise the walk. Kept
// small so that AddPixels takes a remembered colour without a call.
void Octree::AddRun(std::uint32_t color, std::uint32_t count) {
  CachedLeaf &entry = CacheEntry(color);
  if (entry.generation == generation_ && entry.color == color) {
    AddPending(entry, count);
    return;
  }
  AddRunByWalk(entry, color, count);
}

// The entry's pending pixels go to their leaf first, then it takes the colour.
void Octree::AddRunByWalk(CachedLeaf &entry, std::uint32_t color, std::uint32_t count) {
  if (entry.pendingCount != 0) FlushPending();
  bool newLeaf = false;
  Node *leaf = WalkToLeaf(color, newLeaf);
  entry = CachedLeaf{color, generation_, leaf, 0};
  AddPending(entry, count);
  if (newLeaf) {
    while (leafCount_ > maxColors_) ReduceOnce();
  }
}

void Octree::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                      std::uint32_t count) {
  AddRun(ColorKey(red, green, blue), count);
  FlushPending();
}

void Octree::AddPixels(const std::uint32_t *pixels, std::size_t count) {
  for (std::size_t start = 0; start < count;) {
    const std::uint32_t color = pixels[start] & COLOR_BITS;
    const std::size_t end = EndOfRun(pixels, start + 1, count, color);
    AddRun(color, static_cast<std::uint32_t>(end - start));
    start = end;
  }
  FlushPending();
}

// Folds the newest reducible node of the deepest level that has one. The
// root is reducible while it is not a leaf, and with maxColors of 1 or more
// the loop above stops before it would need to fold a leaf root.
void Octree::ReduceOnce() {
  FlushPending();
  int level = colorBits_ - 1;
  while (level > 0 && reducible_[level] == nullptr) --level;
  assert(level >= 0 && reducible_[level] != nullptr);
  Node *node = reducible_[level];
  freeNodes_.reserve(freeNodes_.size() + 8);  // so that freeing cannot fail halfway
  reducible_[level] = node->nextReducible;
  int childCount = 0;
  for (Node *&child : node->children) {
    if (child == nullptr) continue;
    node->pixelCount += child->pixelCount;
    node->redSum += child->redSum;
    node->greenSum += child->greenSum;
    node->blueSum += child->blueSum;
    FreeNode(child);
    child = nullptr;
    ++childCount;
  }
  node->isLeaf = true;
  leafCount_ -= childCount - 1;
  StartGeneration();
}

void Octree::CollectLeaves(const Node *node, std::vector<PaletteColor> &palette) const {
  if (node == nullptr) return;
  if (node->isLeaf) {
    const std::uint64_t count = node->pixelCount;
    palette.push_back(PaletteColor{static_cast<std::uint8_t>(node->redSum / count),
                                   static_cast<std::uint8_t>(node->greenSum / count),
                                   static_cast<std::uint8_t>(node->blueSum / count)});
    return;
  }
  for (const Node *child : node->children) CollectLeaves(child, palette);
}

std::vector<PaletteColor> Octree::Palette() const {
  std::vector<PaletteColor> palette;
  palette.reserve(static_cast<std::size_t>(leafCount_));
  CollectLeaves(root_, palette);
  return palette;
}

}  // namespace trendel
