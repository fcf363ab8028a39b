// Fonts and text: CreateFontA, GetTextMetricsA and TextOutA.
//
// TextOutA, step by step:
//  1. Resolve the DC's font to its shared face instance (FontFaces.h) and its
//     escapement to a rotation.
//  2. Work out which stretch of the baseline can reach the surface at all, so
//     that long strings and far-away reference points cost no more than the
//     pixels they paint.
//  3. In opaque mode, fill the text cell with the background colour.
//  4. Draw the glyphs on top, each at its own origin: bi-level pixels in the
//     text colour, smoothed ones blended with what lies below them.
//
// Pixel rules, measured with the GDI oracle (tests/platform/reference/
// text-escapement.txt and text-pixels.txt):
//  - The reference point (x, y) is the top-left corner of the cell; the
//    baseline runs tmAscent pixels below it.
//  - The cell is [x, x + cx) x [y, y + tmHeight), cx being the text's extent,
//    turned counter-clockwise about (x, y) by the escapement; a pixel belongs
//    to it when its centre does. Glyphs are not clipped to it.
//  - The glyph that starts p pixels along the baseline has its origin at
//      x + floor(tmAscent * sin a) + trunc(p * cos a),
//      y + floor(tmAscent * cos a) + trunc(-p * sin a)
//    for an escapement of a, which for a = 0 is simply (x + p, y + tmAscent).
//    Unrotated text steps by the drawn advances, rotated text by the measured
//    ones.
//  - A smoothed pixel moves each colour channel from the background toward
//    the text by a share that depends on the level and on whether the text
//    channel is darker or lighter (GDI's contrast-enhancing ramps).
//  - No kerning: glyphs step by their advances only.
//
// Limitations:
//  - Windows fills the rotated cell of opaque text. The oracle does not fill
//    it at all, so the rotated fill follows the geometry above unverified.
//  - Glyph shapes are Liberation Sans's, not Arial's. Against the oracle
//    (which also draws Liberation Sans) bi-level glyphs at 9 pixels per em
//    differ by a pixel in a few letters; see TextTest.cpp for the share of
//    identical pixels.
//  - Blends of text and background colours other than black and white may
//    land one step away from GDI's.
//  - Text is aligned TA_TOP | TA_LEFT and never moves the current position.
#include "Text.h"

#include "Handles.h"
#include "Surface.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <new>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

// Windows-1252 at 0x80..0x9F; bytes it leaves undefined keep their C1 code
// points, as Windows' own conversion does, and draw the face's .notdef.
constexpr char32_t WINDOWS_1252_HIGH[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Share (of 255) of the way from background to text colour per coverage
// level, measured with black and white text on black and white grounds.
constexpr std::uint8_t TOWARD_DARKER_TEXT[16] = {0,  15, 22,  30,  38,  47,  56,  66,
                                                 77, 88, 101, 115, 131, 151, 178, 255};
constexpr std::uint8_t TOWARD_LIGHTER_TEXT[16] = {0,   104, 124, 140, 154, 167, 178, 189,
                                                  199, 208, 217, 225, 233, 240, 248, 255};

// How far a channel moves toward the text channel, by level and by the
// distance between the two channels: the ramps above with their rounding
// (both round down, as measured), worked out once at compile time, so that a
// smoothed pixel costs three look-ups rather than three divisions.
struct BlendSteps {
  std::uint8_t towardDarker[16][256];
  std::uint8_t towardLighter[16][256];
};

constexpr BlendSteps MakeBlendSteps() {
  BlendSteps steps{};
  for (int level = 0; level < 16; ++level) {
    for (int distance = 0; distance < 256; ++distance) {
      steps.towardDarker[level][distance] =
          static_cast<std::uint8_t>((distance * TOWARD_DARKER_TEXT[level] + 254) / 255);
      steps.towardLighter[level][distance] =
          static_cast<std::uint8_t>(distance * TOWARD_LIGHTER_TEXT[level] / 255);
    }
  }
  return steps;
}

constexpr BlendSteps BLEND_STEPS = MakeBlendSteps();

char32_t FromWindows1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? WINDOWS_1252_HIGH[byte - 0x80] : byte;
}

// The length of the valid UTF-8 sequence at `at`, or 0 if there is none
// (overlong forms, surrogates and code points beyond U+10FFFF are invalid).
int Utf8SequenceLength(const unsigned char *at, const unsigned char *end, char32_t &codePoint) {
  const unsigned char lead = *at;
  int length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (end - at < length) return 0;
  for (int i = 1; i < length; ++i) {
    if ((at[i] & 0xC0u) != 0x80u) return 0;
    codePoint = (codePoint << 6) | (at[i] & 0x3Fu);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < minimum || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

std::uint32_t BlendPixel(std::uint32_t text, std::uint32_t below, std::uint8_t level) {
  if (level >= FULL_COVERAGE) return text;
  std::uint32_t pixel = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const auto channel = BlendChannel(static_cast<std::uint8_t>(text >> shift),
                                      static_cast<std::uint8_t>(below >> shift), level);
    pixel |= static_cast<std::uint32_t>(channel) << shift;
  }
  return pixel;
}

// Blends glyph pixels in one text colour, remembering the last blend of each
// level. Text mostly lies on one colour (its own opaque cell, or a plain
// background), so nearly every smoothed pixel repeats a blend already made.
// Only the colour channels take part in a blend, so the spare byte of the
// pixel below is left out of the key; a key with it set never matches.
class GlyphBlender {
 public:
  explicit GlyphBlender(std::uint32_t text) : text_(text) {
    for (Remembered &blend : last_) blend.below = NO_PIXEL;
  }

  std::uint32_t Blend(std::uint32_t below, std::uint8_t level) {
    if (level >= FULL_COVERAGE) return text_;
    const Remembered &last = last_[level];
    if (last.below == (below & COLOUR_BITS)) return last.result;
    return BlendAnew(below & COLOUR_BITS, level);
  }

 private:
  static constexpr std::uint32_t COLOUR_BITS = 0x00FFFFFF;
  static constexpr std::uint32_t NO_PIXEL = 0xFF000000;
  struct Remembered {
    std::uint32_t below;
    std::uint32_t result;
  };
  // Kept out of line so that the glyph loops keep their registers.
  [[gnu::noinline]] std::uint32_t BlendAnew(std::uint32_t colour, std::uint8_t level) {
    last_[level] = {colour, BlendPixel(text_, colour, level)};
    return last_[level].result;
  }

  std::uint32_t text_;
  Remembered last_[FULL_COVERAGE];
};

// One call's text: the bytes, where they go and in which face.
struct TextRun {
  const FontFaceInstance &instance;
  Rotation rotation;
  long long x;
  long long y;
  const unsigned char *bytes;
  std::size_t length;
};

// The pen distances along the baseline whose glyphs can touch the surface.
struct PenWindow {
  bool visible = false;
  double first = 0;
  double last = 0;
};

// Projects the surface's corners onto the run's baseline and its normal. A
// glyph reaches at most its bounding box away from its origin, and origins
// lie within the cell's height of the baseline, so one margin covers both.
PenWindow VisiblePens(const Surface &surface, const TextRun &run) {
  const TEXTMETRICA &metrics = run.instance.metrics;
  const double margin = static_cast<double>(metrics.tmMaxCharWidth) + metrics.tmHeight + 2;
  double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
  double nearest = lowest, farthest = -lowest;
  for (const double cornerX : {0.0, static_cast<double>(surface.width)}) {
    for (const double cornerY : {0.0, static_cast<double>(surface.height)}) {
      const double dx = cornerX - static_cast<double>(run.x),
                   dy = cornerY - static_cast<double>(run.y);
      const double along = dx * run.rotation.cosine - dy * run.rotation.sine;
      const double across = dx * run.rotation.sine + dy * run.rotation.cosine;
      lowest = std::min(lowest, along), highest = std::max(highest, along);
      nearest = std::min(nearest, across), farthest = std::max(farthest, across);
    }
  }
  PenWindow window;
  window.visible =
      farthest >= -margin && nearest <= metrics.tmHeight + margin && highest >= -margin;
  window.first = lowest - margin;
  window.last = highest + margin;
  return window;
}

struct Origin {
  long long x;
  long long y;
};

// The origin of the glyph `pen` pixels along the baseline, by the rule at the
// top of this file.
Origin GlyphOrigin(const TextRun &run, long long pen) {
  // Special case: upright text, where the rule comes down to whole numbers.
  if (!run.rotation.IsRotated()) return {run.x + pen, run.y + run.instance.metrics.tmAscent};
  const double ascent = run.instance.metrics.tmAscent;
  const double penDistance = static_cast<double>(pen);
  const Rotation &rotation = run.rotation;
  return {run.x + static_cast<long long>(std::floor(ascent * rotation.sine)) +
              static_cast<long long>(std::trunc(penDistance * rotation.cosine)),
          run.y + static_cast<long long>(std::floor(ascent * rotation.cosine)) +
              static_cast<long long>(std::trunc(-penDistance * rotation.sine))};
}

// The extent of the text up to the first advance that ends beyond `limit`;
// what lies further cannot be seen.
long long MeasureUpTo(const TextRun &run, double limit) {
  long long pen = 0;
  const unsigned char *at = run.bytes, *end = run.bytes + run.length;
  while (at < end && static_cast<double>(pen) <= limit) {
    pen += run.instance.MeasuredAdvance(run.instance.GlyphIndex(NextCodePoint(at, end)));
  }
  return pen;
}

// Clamps a column bound before it becomes an integer; bounds far outside the
// surface (or infinite, for edges nearly parallel to a row) act alike.
long long ColumnBound(double value, int width) {
  return static_cast<long long>(std::clamp(value, -2.0, static_cast<double>(width) + 2.0));
}

// Narrows the columns [from, to) of one row to those whose pixel centre c
// satisfies low <= coefficient * (c - x) < high.
void NarrowColumns(double coefficient, double low, double high, double x, int width,
                   long long &from, long long &to) {
  if (coefficient == 0) {
    if (!(low <= 0 && 0 < high)) to = from;
    return;
  }
  const double a = low / coefficient + x - 0.5, b = high / coefficient + x - 0.5;
  if (coefficient > 0) {
    from = std::max(from, ColumnBound(std::ceil(a), width));
    to = std::min(to, ColumnBound(std::ceil(b), width));
  } else {
    from = std::max(from, ColumnBound(std::floor(b) + 1, width));
    to = std::min(to, ColumnBound(std::floor(a) + 1, width));
  }
}

// Fills the rotated cell row by row: a pixel is in when its centre, taken
// back into the unrotated cell, lies in [0, width) x [0, height).
void FillRotatedCell(const Surface &surface, const TextRun &run, long long width, long long height,
                     std::uint32_t pixel) {
  const double cosine = run.rotation.cosine, sine = run.rotation.sine;
  const double x = static_cast<double>(run.x), y = static_cast<double>(run.y);
  const double w = static_cast<double>(width), h = static_cast<double>(height);
  const double cornerYs[] = {y, y - w * sine, y + h * cosine, y - w * sine + h * cosine};
  const double top = std::max(0.0, std::floor(*std::min_element(cornerYs, cornerYs + 4)));
  const double bottom = std::min(static_cast<double>(surface.height),
                                 std::ceil(*std::max_element(cornerYs, cornerYs + 4)) + 1);
  for (auto row = static_cast<long long>(top); static_cast<double>(row) < bottom; ++row) {
    const double dy = static_cast<double>(row) + 0.5 - y;
    long long from = 0, to = surface.width;
    NarrowColumns(cosine, dy * sine, w + dy * sine, x, surface.width, from, to);
    NarrowColumns(sine, -dy * cosine, h - dy * cosine, x, surface.width, from, to);
    surface.FillSpan(row, from, to, pixel);
  }
}

void FillCell(const Surface &surface, const TextRun &run, long long width, std::uint32_t pixel) {
  const long long height = run.instance.metrics.tmHeight;
  if (!run.rotation.IsRotated()) {
    surface.FillRect(run.x, run.y, run.x + width, run.y + height, pixel);
  } else {
    FillRotatedCell(surface, run, width, height, pixel);
  }
}

// Puts one glyph image down at its origin, clipped to the surface. A glyph
// wholly on the surface (nearly every one) is drawn from its ink list; one
// across an edge walks the visible part of its box.
void DrawGlyph(const Surface &surface, const GlyphImage &image, Origin origin,
               GlyphBlender &blender) {
  const long long left = origin.x + image.left, top = origin.y - image.top;
  if (left >= 0 && top >= 0 && left + image.width <= surface.width &&
      top + image.height <= surface.height) {
    std::uint32_t *corner = surface.Row(static_cast<int>(top)) + left;
    for (const InkPixel &ink : image.ink) {
      std::uint32_t &pixel = corner[ink.row * surface.pitch + ink.column];
      pixel = blender.Blend(pixel, ink.level);
    }
    return;
  }
  const long long fromColumn = std::max(0LL, -left);
  const long long toColumn = std::min<long long>(image.width, surface.width - left);
  for (long long row = std::max(0LL, -top); row < image.height && top + row < surface.height;
       ++row) {
    const std::uint8_t *levels = image.levels.data() + row * image.width;
    std::uint32_t *pixels = surface.Row(static_cast<int>(top + row));
    for (long long column = fromColumn; column < toColumn; ++column) {
      if (levels[column] == 0) continue;
      std::uint32_t &pixel = pixels[left + column];
      pixel = blender.Blend(pixel, levels[column]);
    }
  }
}

void DrawGlyphs(const Surface &surface, const TextRun &run, const PenWindow &window,
                std::uint32_t text) {
  GlyphBlender blender(text);
  long long pen = 0;
  const unsigned char *at = run.bytes, *end = run.bytes + run.length;
  while (at < end && static_cast<double>(pen) <= window.last) {
    const FT_UInt glyph = run.instance.GlyphIndex(NextCodePoint(at, end));
    if (static_cast<double>(pen) >= window.first) {
      DrawGlyph(surface, run.instance.Image(glyph, run.rotation), GlyphOrigin(run, pen), blender);
    }
    pen += run.rotation.IsRotated() ? run.instance.MeasuredAdvance(glyph)
                                    : run.instance.DrawnAdvance(glyph);
  }
}

void DrawTextRun(const Surface &surface, const TextRun &run, const DeviceContext &context) {
  const PenWindow window = VisiblePens(surface, run);
  if (!window.visible) return;
  if (context.backgroundMode == OPAQUE) {
    FillCell(surface, run, MeasureUpTo(run, window.last), PixelFromColor(context.backgroundColor));
  }
  DrawGlyphs(surface, run, window, PixelFromColor(context.textColor));
}

// The instance of a font record, resolved on first use for the stock font.
const FontFaceInstance *InstanceOf(Font &font) {
  if (!font.instance) font.instance = FindFontFaceInstance(font.face, font.height, font.weight);
  return font.instance.get();
}

Font *SelectedFont(const DeviceContext &context) {
  return context.fontRecord;
}

}  // namespace

char32_t NextCodePoint(const unsigned char *&at, const unsigned char *end) {
  // ASCII reads the same either way.
  if (*at < 0x80) return *at++;
  char32_t codePoint = 0;
  if (const int length = Utf8SequenceLength(at, end, codePoint)) {
    at += length;
    return codePoint;
  }
  return FromWindows1252(*at++);
}

std::u32string DecodeText(const char *text, std::size_t length) {
  std::u32string decoded;
  const auto *at = reinterpret_cast<const unsigned char *>(text);
  const unsigned char *end = at + length;
  while (at < end) decoded += NextCodePoint(at, end);
  return decoded;
}

long long MeasureText(const FontFaceInstance &instance, const char *text, std::size_t length) {
  const TextRun run{instance, Rotation(0), 0, 0, reinterpret_cast<const unsigned char *>(text),
                    length};
  return MeasureUpTo(run, std::numeric_limits<double>::infinity());
}

std::uint8_t BlendChannel(std::uint8_t text, std::uint8_t background, std::uint8_t level) {
  assert(level < 16);
  const int from = background, to = text;
  if (to < from)
    return static_cast<std::uint8_t>(from - BLEND_STEPS.towardDarker[level][from - to]);
  return static_cast<std::uint8_t>(from + BLEND_STEPS.towardLighter[level][to - from]);
}

}  // namespace trendel::portable

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                  DWORD clipPrecision, DWORD quality,
                  DWORD /*pitchAndFamily: GDI only falls back on it for unknown faces*/,
                  LPCSTR face) {
  const bool plainRequest = width == 0 && orientation == 0 && italic == 0 && underline == 0 &&
                            strikeOut == 0 && charSet == DEFAULT_CHARSET_ANSI &&
                            outputPrecision == 0 && clipPrecision == 0 && quality == 0;
  if (face == nullptr || !plainRequest) return nullptr;
  try {
    auto font = std::make_unique<Font>();
    font->height = height;
    font->escapement = escapement;
    font->weight = weight;
    font->face = face;
    font->instance = FindFontFaceInstance(font->face, height, weight);
    if (!font->instance) return nullptr;
    return static_cast<HFONT>(HandleTable::Instance().Add(std::move(font)));
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA *metrics) {
  if (metrics == nullptr) return FALSE;
  *metrics = TEXTMETRICA{};
  const DeviceContext *context = FindDeviceContext(dc);
  Font *font = context != nullptr ? SelectedFont(*context) : nullptr;
  try {
    const FontFaceInstance *instance = font != nullptr ? InstanceOf(*font) : nullptr;
    if (instance == nullptr) return FALSE;
    *metrics = instance->metrics;
    return TRUE;
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  Font *font = SelectedFont(*context);
  const std::optional<Surface> surface = SurfaceOf(*context);
  try {
    const FontFaceInstance *instance = font != nullptr ? InstanceOf(*font) : nullptr;
    if (instance == nullptr || !surface) return FALSE;
    const TextRun run{*instance,
                      Rotation(font->escapement),
                      x,
                      y,
                      reinterpret_cast<const unsigned char *>(text),
                      static_cast<std::size_t>(length)};
    DrawTextRun(*surface, run, *context);
    return TRUE;
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
}
