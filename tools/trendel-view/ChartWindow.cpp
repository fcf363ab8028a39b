#include "ChartWindow.h"

#include "ChangedRegions.h"

#include <algorithm>

namespace trendel::view {
namespace {

[[noreturn]] void Fail(const std::string &what) {
  throw WindowError(what + ": " + SDL_GetError());
}

}  // namespace

ChartWindow::ChartWindow(const std::string &title, std::int32_t initialWidth,
                         std::int32_t initialHeight) {
  // SDL would otherwise keep the window's surface on a texture of a graphics
  // renderer, which draws and swaps the whole window on every update; the
  // window system's own image of the window (shared memory on X11) takes
  // just the changed rectangles.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  window.reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                initialWidth, initialHeight, SDL_WINDOW_RESIZABLE));
  if (window == nullptr) Fail("cannot open a window");
  FollowScreenSize();
}

bool ChartWindow::FollowScreenSize() {
  // A resize invalidates the surface; SDL makes a new one, blank, even when
  // the size stayed the same.
  surface = SDL_GetWindowSurface(window.get());
  if (surface == nullptr) Fail("cannot draw into the window");
  surfaceBlank = true;
  // A minimised window may report nothing; the library needs at least a pixel.
  const std::int32_t screenWidth = std::max(surface->w, 1);
  const std::int32_t screenHeight = std::max(surface->h, 1);
  if (chart != nullptr && screenWidth == width && screenHeight == height) return false;
  if (chart == nullptr) {
    chart.reset(TrendelHost_CreateWindow(screenWidth, screenHeight));
    if (chart == nullptr) throw WindowError("cannot make the chart's headless window");
  } else if (TrendelHost_ResizeWindow(chart.get(), screenWidth, screenHeight) != 0) {
    throw WindowError("cannot resize the chart's headless window");
  }
  width = screenWidth;
  height = screenHeight;
  picture.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  shown.clear();
  return true;
}

void ChartWindow::ReadChart() {
  if (TrendelHost_ReadPixels(chart.get(), picture.data(), width, height) != 0) {
    throw WindowError("cannot read the chart's pixels");
  }
}

void ChartWindow::ShowChanges() {
  if (!SurfaceFits()) return;
  std::vector<SDL_Rect> areas;
  if (shown.empty() || surfaceBlank) {
    areas.push_back(SDL_Rect{0, 0, width, height});
  } else {
    for (const Region &region : ChangedRegions(shown.data(), picture.data(), width, height)) {
      areas.push_back(SDL_Rect{region.x, region.y, region.width, region.height});
    }
  }
  for (const SDL_Rect &area : areas) CopyToSurface(picture, area);
  Update(areas);
  // The next picture is compared with this one; the old buffer takes the next read.
  std::swap(shown, picture);
  picture.resize(shown.size());
}

void ChartWindow::ShowAgain() {
  if (shown.empty() || !SurfaceFits()) return;
  const SDL_Rect whole{0, 0, width, height};
  CopyToSurface(shown, whole);
  Update({whole});
}

// A window shrunk to nothing has a surface smaller than the headless
// window's single pixel; there is nothing to show then.
bool ChartWindow::SurfaceFits() const { return surface->w >= width && surface->h >= height; }

void ChartWindow::Update(const std::vector<SDL_Rect> &areas) {
  if (!areas.empty() &&
      SDL_UpdateWindowSurfaceRects(window.get(), areas.data(), static_cast<int>(areas.size())) != 0) {
    Fail("cannot show the chart");
  }
  surfaceBlank = false;
}

// The surface may hold another pixel format than the headless window's
// 0x00RRGGBB words (SDL's RGB888); SDL converts, or copies when they agree.
void ChartWindow::CopyToSurface(const std::vector<std::uint32_t> &pixels, const SDL_Rect &area) {
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) Fail("cannot draw into the window");
  const std::size_t first = static_cast<std::size_t>(area.y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(area.x);
  auto *target = static_cast<std::uint8_t *>(surface->pixels) +
                 static_cast<std::ptrdiff_t>(area.y) * surface->pitch +
                 static_cast<std::ptrdiff_t>(area.x) * surface->format->BytesPerPixel;
  const int converted = SDL_ConvertPixels(area.w, area.h, SDL_PIXELFORMAT_RGB888, pixels.data() + first,
                                          width * 4, surface->format->format, target, surface->pitch);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (converted != 0) Fail("cannot copy the chart into the window");
}

void ChartWindow::SetTitle(const std::string &title) { SDL_SetWindowTitle(window.get(), title.c_str()); }

}  // namespace trendel::view
