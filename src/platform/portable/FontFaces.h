// The faces behind the portable layer's fonts, and what one face at one size
// knows: its text metrics, its advances and its rasterised glyphs.
//
// "Arial" (and the stock "System" font) resolve through fontconfig to a face
// with Arial's design metrics, Liberation Sans on Debian. Each face file is
// loaded once per process, each (face, pixels per em) instance is made once
// and shared by every font that asks for it, and each instance caches its
// glyphs per escapement. Creating a font is therefore a small record plus a
// cache lookup.
#pragma once

#include "Win32Api.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace trendel::portable {

// The numbers of a face's design that GDI's metrics are made of, in font
// units.
struct DesignMetrics {
  int unitsPerEm = 0;
  int windowsAscent = 0;   // OS/2 usWinAscent
  int windowsDescent = 0;  // OS/2 usWinDescent
  int lineGap = 0;         // hhea lineGap
  int boundingWidth = 0;   // head xMax - xMin
  // The classic weighted average of the lowercase letters and the space,
  // computed from the face's own advances (not the file's xAvgCharWidth).
  int averageWidth = 0;
};

// The largest size the layer draws; heights beyond it are refused rather
// than rasterised into glyph images far larger than any window.
constexpr int MAX_PIXELS_PER_EM = 1024;

// The em size, in whole pixels, that GDI picks for a CreateFontA height: a
// negative height is the em size itself, a positive one the cell height
// (ascent plus descent) that the em must fit into, and 0 the default cell
// of 16. Returns 0 when the size is beyond MAX_PIXELS_PER_EM.
int PixelsPerEmForHeight(long long height, const DesignMetrics &design);

// GDI's text metrics of a face at one em size.
TEXTMETRICA TextMetricsFor(const DesignMetrics &design, int pixelsPerEm, int weight);

// How the glyphs of one size are rasterised. As with GDI's standard font
// smoothing, the face's gasp table decides per em size.
enum class Smoothing : std::uint8_t { BiLevel, Greyscale };

// GDI draws smoothed glyphs with 16 coverage levels: 0 leaves the pixel
// alone, FULL_COVERAGE paints the text colour.
constexpr std::uint8_t FULL_COVERAGE = 15;

// One pixel a glyph paints, counted from the top-left of its box.
struct InkPixel {
  std::uint16_t row;
  std::uint16_t column;
  std::uint8_t level;  // 1 to FULL_COVERAGE
};

// One rasterised glyph: coverage levels, one byte per pixel, row by row. Its
// top-left pixel lies `left` pixels right of and `top` pixels above the glyph
// origin on the baseline (device rows grow downwards). `ink` lists the pixels
// of level above 0 in the same order, so that a glyph lying wholly on the
// surface is drawn without walking the empty part of its box.
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> levels;
  std::vector<InkPixel> ink;
};

// The direction of a run of text: escapement in tenths of a degree,
// counter-clockwise.
struct Rotation {
  explicit Rotation(int escapement);
  int escapement;  // within (-3600, 3600)
  double cosine;
  double sine;
  bool IsRotated() const { return escapement != 0; }
};

// One face file, loaded once per process.
struct FontFace {
  FontFace() = default;
  ~FontFace() {
    if (handle != nullptr) FT_Done_Face(handle);
  }
  FontFace(const FontFace &) = delete;
  FontFace &operator=(const FontFace &) = delete;

  FT_Face handle = nullptr;  // owned
  DesignMetrics design;
  // Glyphs of the code points below 256, which nearly every label uses.
  std::array<FT_UInt, 256> latinGlyphs{};
};

// One face at one em size, shared by every font of that face and size.
struct FontFaceInstance {
  FontFaceInstance(FontFace &face, FT_Size size, int pixelsPerEm, int weight);
  FontFaceInstance(const FontFaceInstance &) = delete;
  FontFaceInstance &operator=(const FontFaceInstance &) = delete;

  // The look-ups below run for every glyph of every label, so what is
  // already known is answered inline and only the first answer is worked out
  // out of line.

  FT_UInt GlyphIndex(char32_t codePoint) const {
    if (codePoint < face.latinGlyphs.size()) return face.latinGlyphs[codePoint];
    return FT_Get_Char_Index(face.handle, codePoint);
  }
  // The advance GetTextExtentPoint32A adds up: the design advance scaled to
  // the em and rounded, the same for every escapement.
  int MeasuredAdvance(FT_UInt glyph) const {
    const int known = AdvancesOf(glyph).measured;
    return known >= 0 ? known : MeasureAdvance(glyph);
  }
  // The advance between glyphs of unrotated text: that of the glyph as it is
  // drawn, which bi-level hinting may widen by a pixel. Usually known
  // already: drawing an unrotated glyph's image notes it.
  int DrawnAdvance(FT_UInt glyph) const {
    const int known = AdvancesOf(glyph).drawn;
    return known >= 0 ? known : LoadDrawnAdvance(glyph);
  }
  // The glyph rasterised at this rotation; cached, so the reference stays
  // valid until the next call.
  const GlyphImage &Image(FT_UInt glyph, const Rotation &rotation) const {
    if (!rotation.IsRotated()) {
      if (const GlyphImage *image = AdvancesOf(glyph).uprightImage) return *image;
    }
    return Rasterise(glyph, rotation);
  }

  FontFace &face;
  const FT_Size size;
  const int pixelsPerEm;
  const Smoothing smoothing;
  const TEXTMETRICA metrics;

 private:
  // What is known of one glyph. The upright image is found here rather than
  // in the image map, as nearly every label is upright.
  struct Advances {
    int measured = -1;
    int drawn = -1;
    const GlyphImage *uprightImage = nullptr;
  };
  Advances &AdvancesOf(FT_UInt glyph) const {
    // Glyph indices come from the face's own character map.
    assert(glyph < advances_.size());
    return advances_[glyph < advances_.size() ? glyph : 0];
  }
  int MeasureAdvance(FT_UInt glyph) const;
  int LoadDrawnAdvance(FT_UInt glyph) const;
  void Activate(const Rotation &rotation) const;
  const GlyphImage &Rasterise(FT_UInt glyph, const Rotation &rotation) const;
  void ForgetImages() const;

  // Caches filled on first use; the instance is shared as const.
  mutable std::vector<Advances> advances_;
  mutable std::unordered_map<std::uint64_t, GlyphImage> images_;
  mutable std::size_t imageBytes_ = 0;
};

// The shared instance for a CreateFontA face name, height and weight, or
// null when the layer cannot draw it: a face other than "Arial" (or the
// stock "System"), a weight other than FW_NORMAL or FW_BOLD, a size beyond
// MAX_PIXELS_PER_EM, or no installed face with Arial's metrics (reported once
// on stderr).
std::shared_ptr<const FontFaceInstance> FindFontFaceInstance(const std::string &faceName,
                                                             long long height, int weight);

// Resolves a family through fontconfig and loads it if it has Arial's design
// metrics; false (with the reason in `problem`) otherwise. Exposed so that
// tests can ask for a family that does not exist.
bool CanLoadArialCompatible(const std::string &family, int weight, std::string &problem);

}  // namespace trendel::portable
