#include "Canvas.h"

#include "platform/portable/Handles.h"

#include <algorithm>
#include <map>

namespace trendel::testing {

Canvas::Canvas(int width, int height, COLORREF background) : width_(width), height_(height) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  previous_ = SelectObject(dc_, bitmap_);
  auto *record = portable::FindBitmap(bitmap_);
  bits_ = reinterpret_cast<std::uint32_t *>(record->WrittenBits());
  const std::uint32_t pixel = (GetRValue(background) << 16) | (GetGValue(background) << 8) |
                              GetBValue(background);
  std::fill(bits_, bits_ + width * height, pixel);
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

std::uint32_t Canvas::At(int x, int y) const { return bits_[y * width_ + x]; }

std::vector<std::uint32_t> Canvas::Pixels() const {
  return std::vector<std::uint32_t>(bits_, bits_ + width_ * height_);
}

std::string Canvas::Map(int left, int top, int right, int bottom) const {
  std::map<std::uint32_t, char> names{{0xFFFFFF, '.'}, {0x000000, '#'}};
  std::string map;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const std::uint32_t pixel = At(x, y);
      auto found = names.find(pixel);
      if (found == names.end()) {
        found = names.emplace(pixel, static_cast<char>('a' + names.size() - 2)).first;
      }
      map += found->second;
    }
    map += '\n';
  }
  return map;
}

}  // namespace trendel::testing
