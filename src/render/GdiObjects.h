// Small owners for the GDI objects a drawing pass makes: a created object that
// is deleted when its owner goes, and a selection that puts the previous
// object back. The passes declare them in the order they create and select,
// so that scopes give the release order; the only thing that can interrupt a
// pass is running out of memory, and then no handle is left behind either.
#pragma once

#include "platform/win32.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace trendel {

class OwnedObject {
 public:
  explicit OwnedObject(HGDIOBJ object) : object_(object) {}
  ~OwnedObject() { Delete(); }
  OwnedObject(const OwnedObject &) = delete;
  OwnedObject &operator=(const OwnedObject &) = delete;

  HGDIOBJ get() const { return object_; }

  // Deletes now, for a pass that must release its objects in a given order.
  void Delete() {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = nullptr;
  }

 private:
  HGDIOBJ object_;
};

// Selects an object for the lifetime of the selection. An object that could
// not be created (null) leaves the current one in use, as GDI does.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  Selection(const Selection &) = delete;
  Selection &operator=(const Selection &) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

enum class FontWeight : std::int32_t { Normal = 400, Bold = 700 };

// Every font of the library: Arial, character set 0, pitch and family 16,
// everything else at its default. Escapement is in tenths of a degree.
inline HGDIOBJ CreateArialFont(std::int32_t height, FontWeight weight,
                               std::int32_t escapement = 0) {
  return CreateFontA(height, 0, escapement, 0, static_cast<int>(weight), 0, 0, 0, 0, 0, 0, 0, 16,
                     "Arial");
}

inline HGDIOBJ CreateSolidPen(COLORREF color) { return CreatePen(PS_SOLID, 1, color); }

// Draws one straight segment with the selected pen.
inline void DrawSegment(HDC dc, std::int32_t fromX, std::int32_t fromY, std::int32_t toX,
                        std::int32_t toY) {
  MoveToEx(dc, fromX, fromY, nullptr);
  LineTo(dc, toX, toY);
}

// TextOutA of a whole text.
inline void PutText(HDC dc, std::int32_t x, std::int32_t y, std::string_view text) {
  const std::size_t length = std::min<std::size_t>(text.size(), std::numeric_limits<int>::max());
  TextOutA(dc, x, y, text.data(), static_cast<int>(length));
}

// The average character width of the selected font, or 0 when it cannot be read.
inline std::int32_t AverageCharWidth(HDC dc) {
  TEXTMETRICA metrics{};
  return GetTextMetricsA(dc, &metrics) ? metrics.tmAveCharWidth : 0;
}

}  // namespace trendel
