#include "ChartWindow.h"

#include <algorithm>

namespace trendel::view {
namespace {

[[noreturn]] void Fail(const std::string &what) {
  throw WindowError(what + ": " + SDL_GetError());
}

}  // namespace

ChartWindow::ChartWindow(const std::string &title, std::int32_t initialWidth,
                         std::int32_t initialHeight)
    : window(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              initialWidth, initialHeight, SDL_WINDOW_RESIZABLE)) {
  if (window == nullptr) Fail("cannot open a window");
  // No vertical sync: a presented frame should reach the screen as soon as
  // it is drawn, not wait for the next refresh.
  renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
  if (renderer == nullptr) Fail("cannot draw into the window");
  FollowScreenSize();
}

bool ChartWindow::FollowScreenSize() {
  int screenWidth = 0, screenHeight = 0;
  if (SDL_GetRendererOutputSize(renderer.get(), &screenWidth, &screenHeight) != 0) {
    Fail("cannot read the window's size");
  }
  // A minimised window may report nothing; the library needs at least a pixel.
  screenWidth = std::max(screenWidth, 1);
  screenHeight = std::max(screenHeight, 1);
  if (chart != nullptr && screenWidth == width && screenHeight == height) return false;
  if (chart == nullptr) {
    chart.reset(TrendelHost_CreateWindow(screenWidth, screenHeight));
    if (chart == nullptr) throw WindowError("cannot make the chart's headless window");
  } else if (TrendelHost_ResizeWindow(chart.get(), screenWidth, screenHeight) != 0) {
    throw WindowError("cannot resize the chart's headless window");
  }
  width = screenWidth;
  height = screenHeight;
  MakeTexture();
  return true;
}

void ChartWindow::MakeTexture() {
  // The headless window's pixels are 0x00RRGGBB words, which is SDL's RGB888.
  texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGB888,
                                  SDL_TEXTUREACCESS_STREAMING, width, height));
  if (texture == nullptr) Fail("cannot make a texture for the chart");
  pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void ChartWindow::Upload() {
  if (TrendelHost_ReadPixels(chart.get(), pixels.data(), width, height) != 0) {
    throw WindowError("cannot read the chart's pixels");
  }
  if (SDL_UpdateTexture(texture.get(), nullptr, pixels.data(), width * 4) != 0) {
    Fail("cannot update the texture");
  }
}

void ChartWindow::Present() {
  // The texture has the drawable's size, so the copy is one to one.
  SDL_RenderCopy(renderer.get(), texture.get(), nullptr, nullptr);
  SDL_RenderPresent(renderer.get());
}

void ChartWindow::SetTitle(const std::string &title) { SDL_SetWindowTitle(window.get(), title.c_str()); }

SDL_Point ChartWindow::ToClient(std::int32_t x, std::int32_t y) const {
  int windowWidth = 0, windowHeight = 0;
  SDL_GetWindowSize(window.get(), &windowWidth, &windowHeight);
  if (windowWidth <= 0 || windowHeight <= 0 || (windowWidth == width && windowHeight == height)) {
    return SDL_Point{x, y};
  }
  return SDL_Point{static_cast<int>(static_cast<std::int64_t>(x) * width / windowWidth),
                   static_cast<int>(static_cast<std::int64_t>(y) * height / windowHeight)};
}

}  // namespace trendel::view
