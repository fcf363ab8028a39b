// Glyph advances and images of one face instance, rasterised by FreeType the
// way GDI's standard font smoothing draws them, and cached.
//
// What was matched against the GDI oracle (tests/platform/reference/
// text-pixels.txt and text-escapement.txt):
//  - Bi-level sizes load with FreeType's monochrome hinting target and
//    render monochrome; greyscale sizes load with the default target and
//    render 8-bit coverage. Rotated glyphs are hinted upright and then turned.
//  - Coverage becomes GDI's 16 levels: 0 to 30 leave the pixel alone, and
//    every further 15 steps add a level up to full coverage at 241.
//  - Measured advances (the text extent) are the design advances scaled to
//    the em and rounded; drawn advances of unrotated text are those of the
//    hinted glyph, which monochrome hinting sometimes widens by a pixel.
#include "FontFaces.h"

#include FT_ADVANCES_H
#include FT_SIZES_H

#include <cassert>
#include <cmath>
#include <cstdint>

namespace trendel::portable {
namespace {

constexpr double PI = 3.14159265358979323846;

// Glyph images one instance keeps before it starts over; a few thousand
// labels' worth of glyphs at the sizes the library uses.
constexpr std::size_t MAX_IMAGE_BYTES = 4u << 20;

// The measured thresholds of GDI's 16 coverage levels.
constexpr int COVERAGE_BELOW_FIRST_LEVEL = 30;
constexpr int COVERAGE_OFFSET = 16;
constexpr int COVERAGE_PER_LEVEL = 15;

std::uint8_t LevelOfCoverage(int coverage) {
  if (coverage <= COVERAGE_BELOW_FIRST_LEVEL) return 0;
  return static_cast<std::uint8_t>((coverage - COVERAGE_OFFSET) / COVERAGE_PER_LEVEL);
}

FT_Fixed ToFixed(double value) {
  return static_cast<FT_Fixed>(std::lround(value * 65536.0));
}

FT_Int32 LoadFlags(Smoothing smoothing) {
  return smoothing == Smoothing::BiLevel ? FT_LOAD_TARGET_MONO : FT_LOAD_DEFAULT;
}

// The advance of a glyph as loaded (hinted), in whole pixels.
int HintedAdvance(const FT_GlyphSlot slot) {
  return static_cast<int>((slot->advance.x + 32) >> 6);
}

FT_Render_Mode RenderMode(Smoothing smoothing) {
  return smoothing == Smoothing::BiLevel ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
}

// Copies a rendered FreeType bitmap into coverage levels. Callers must pass
// a bitmap that flows downwards, as FreeType's renderers produce.
GlyphImage ImageOfSlot(const FT_GlyphSlot slot) {
  const FT_Bitmap &bitmap = slot->bitmap;
  assert(bitmap.pitch >= 0);
  GlyphImage image;
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  image.width = static_cast<int>(bitmap.width);
  image.height = static_cast<int>(bitmap.rows);
  // The ink list counts rows and columns in 16 bits; the largest size the
  // layer draws, turned, stays far below that.
  assert(image.width <= UINT16_MAX && image.height <= UINT16_MAX);
  image.levels.resize(static_cast<std::size_t>(image.width) *
                      static_cast<std::size_t>(image.height));
  for (int row = 0; row < image.height; ++row) {
    const unsigned char *source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    std::uint8_t *target =
        image.levels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(image.width);
    for (int column = 0; column < image.width; ++column) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        const bool set = ((source[column / 8] >> (7 - column % 8)) & 1) != 0;
        target[column] = set ? FULL_COVERAGE : 0;
      } else {
        target[column] = LevelOfCoverage(source[column]);
      }
      if (target[column] != 0) {
        image.ink.push_back(
            {static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(column), target[column]});
      }
    }
  }
  return image;
}

}  // namespace

Rotation::Rotation(int requested) : escapement(requested % 3600), cosine(1.0), sine(0.0) {
  if (escapement == 0) return;
  // Computed from the escapement as given (not folded into 0..3599): the
  // glyph positions truncate products that lie exactly half-way, and these
  // are the bits that reproduced GDI's positions.
  const double radians = escapement / 10.0 * PI / 180.0;
  cosine = std::cos(radians);
  sine = std::sin(radians);
}

int FontFaceInstance::MeasureAdvance(FT_UInt glyph) const {
  FT_Fixed designAdvance = 0;
  FT_Get_Advance(face.handle, glyph, FT_LOAD_NO_SCALE, &designAdvance);
  Advances &entry = AdvancesOf(glyph);
  entry.measured = static_cast<int>((FT_MulFix(designAdvance, size->metrics.x_scale) + 32) >> 6);
  return entry.measured;
}

int FontFaceInstance::LoadDrawnAdvance(FT_UInt glyph) const {
  Activate(Rotation(0));
  Advances &entry = AdvancesOf(glyph);
  entry.drawn = FT_Load_Glyph(face.handle, glyph, LoadFlags(smoothing)) == 0
                    ? HintedAdvance(face.handle->glyph)
                    : MeasuredAdvance(glyph);
  return entry.drawn;
}

// Looks the glyph up among the turned images, or rasterises it and keeps it;
// an upright image is also noted beside the glyph's advances.
const GlyphImage &FontFaceInstance::Rasterise(FT_UInt glyph, const Rotation &rotation) const {
  const std::uint64_t key =
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(rotation.escapement)) << 32) | glyph;
  if (auto found = images_.find(key); found != images_.end()) return found->second;
  if (imageBytes_ > MAX_IMAGE_BYTES) ForgetImages();
  Activate(rotation);
  GlyphImage image;
  if (FT_Load_Glyph(face.handle, glyph, LoadFlags(smoothing)) == 0) {
    // The same load DrawnAdvance would make, so its advance is kept; an
    // unrotated glyph is loaded once for both.
    if (!rotation.IsRotated()) AdvancesOf(glyph).drawn = HintedAdvance(face.handle->glyph);
    if (FT_Render_Glyph(face.handle->glyph, RenderMode(smoothing)) == 0) {
      image = ImageOfSlot(face.handle->glyph);
    }
  }
  FT_Set_Transform(face.handle, nullptr, nullptr);
  imageBytes_ += image.levels.size() + image.ink.size() * sizeof(InkPixel) + sizeof(GlyphImage);
  const GlyphImage &kept = images_.emplace(key, std::move(image)).first->second;
  if (!rotation.IsRotated()) AdvancesOf(glyph).uprightImage = &kept;
  return kept;
}

void FontFaceInstance::ForgetImages() const {
  images_.clear();
  imageBytes_ = 0;
  for (Advances &entry : advances_) entry.uprightImage = nullptr;
}

// Makes this instance's size and the rotation current on the shared face.
void FontFaceInstance::Activate(const Rotation &rotation) const {
  FT_Activate_Size(size);
  if (!rotation.IsRotated()) {
    FT_Set_Transform(face.handle, nullptr, nullptr);
    return;
  }
  // Counter-clockwise in FreeType's upward y axis.
  FT_Matrix matrix;
  matrix.xx = ToFixed(rotation.cosine);
  matrix.xy = ToFixed(-rotation.sine);
  matrix.yx = ToFixed(rotation.sine);
  matrix.yy = ToFixed(rotation.cosine);
  FT_Set_Transform(face.handle, &matrix, nullptr);
}

}  // namespace trendel::portable
