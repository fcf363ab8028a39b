// The viewer's window: a real SDL window on the screen and, behind it, a
// headless library window of the same client size that the library draws
// into. Showing the chart reads the headless window's pixels and copies the
// parts that changed since the last picture into the window's surface, then
// sends only those parts to the window system.
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

  // Follows the screen window's size: resizes the headless window when it
  // changed, and says whether it did.
  bool FollowScreenSize();

  // Reads the picture the library drew in the headless window.
  void ReadChart();

  // Puts the parts of the picture read last that differ from the one on the
  // screen there; the whole picture after a resize.
  void ShowChanges();

  // Sends the whole picture on the screen again, for a screen or a surface
  // that lost it.
  void ShowAgain();

  void SetTitle(const std::string &title);

 private:
  bool SurfaceFits() const;
  void CopyToSurface(const std::vector<std::uint32_t> &pixels, const SDL_Rect &area);
  void Update(const std::vector<SDL_Rect> &areas);

  std::unique_ptr<SDL_Window, Release> window;
  SDL_Surface *surface = nullptr;  // the window's, valid until its next resize
  bool surfaceBlank = true;        // new, and not yet drawn into
  std::unique_ptr<HWND__, Release> chart;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> picture;  // read last from the headless window
  std::vector<std::uint32_t> shown;    // on the screen; empty until the first picture
};

}  // namespace trendel::view
