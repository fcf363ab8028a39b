// The viewer's window: a real SDL window on the screen and, behind it, a
// headless library window of the same client size that the library draws
// into. Showing the chart copies the headless window's pixels into a
// streaming texture and presents it one to one.
#pragma once

#include "trendel.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace trendel::view {

// SDL could not give us a window; what() holds its reason.
class WindowError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Gives back what SDL and the library made, whichever kind it is.
struct Release {
  void operator()(SDL_Window *window) const { SDL_DestroyWindow(window); }
  void operator()(SDL_Renderer *renderer) const { SDL_DestroyRenderer(renderer); }
  void operator()(SDL_Texture *texture) const { SDL_DestroyTexture(texture); }
  // The library's binding of a headless window goes before the window itself.
  void operator()(HWND chart) const {
    Trendel_Destroy(chart);
    TrendelHost_DestroyWindow(chart);
  }
};

class ChartWindow {
 public:
  ChartWindow(const std::string &title, std::int32_t width, std::int32_t height);

  // The headless window the library binds to and draws into.
  HWND Chart() const { return chart.get(); }
  std::int32_t Width() const { return width; }
  std::int32_t Height() const { return height; }

  // Follows the screen window's drawable size: resizes the headless window
  // and the texture when it changed, and says whether it did.
  bool FollowScreenSize();

  // Copies the headless window's pixels into the texture.
  void Upload();

  // Puts the texture on the screen.
  void Present();

  void SetTitle(const std::string &title);

  // A pointer position in screen-window coordinates as client pixels of the
  // headless window; the two differ where the drawable is scaled (high DPI).
  SDL_Point ToClient(std::int32_t x, std::int32_t y) const;

 private:
  void MakeTexture();

  // Declared in the order of making, so that they go in the reverse order.
  std::unique_ptr<SDL_Window, Release> window;
  std::unique_ptr<SDL_Renderer, Release> renderer;
  std::unique_ptr<SDL_Texture, Release> texture;
  std::unique_ptr<HWND__, Release> chart;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

}  // namespace trendel::view
