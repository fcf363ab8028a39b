// The viewer's event loop: pointer moves go to the library, which redraws the
// headless window; keys save, reload and quit; a watched definition reloads
// itself. Whatever the library drew is copied to the screen once per batch of
// events.
#pragma once

#include "ChartDefinition.h"
#include "ChartWindow.h"
#include "DefinitionFiles.h"
#include "FrameStats.h"
#include "SaveFormats.h"
#include "SourceWatch.h"

#include <SDL.h>

#include <optional>
#include <string>

namespace trendel::view {

struct ViewerOptions {
  cli::DefinitionSource source;
  cli::ImageSize size;
  const SaveFormat *saveFormat = &DefaultSaveFormat();
  bool watch = false;
  bool stats = false;
};

// The window's title for a chart: its title, or the input's file name when it has none.
std::string WindowTitle(const cli::ChartDefinition &definition, const cli::DefinitionSource &source);

class Viewer {
 public:
  // Takes a window whose chart already holds `definition`.
  Viewer(const ViewerOptions &options, ChartWindow &window, cli::ChartDefinition definition);

  // Runs until the window closes or Q or Escape is pressed.
  void Run();

 private:
  enum class Redraw { Now, Later };

  void BeginFrame(std::uint32_t eventTicks);
  void EndFrame();
  void Handle(const SDL_Event &event);
  void HandleWindowEvent(const SDL_WindowEvent &event);
  void HandleKey(const SDL_KeyboardEvent &event);
  void QueuePointer(SDL_Point position);
  void FlushPointer();
  void Forward(SDL_Point position, Redraw redraw);
  void DrawAfresh();
  void Reload();
  void KeepAfterBadReload(const std::string &error);
  void Save();
  void LookAfterIdleThings();
  void SetNotice(const std::string &text);
  void UpdateTitle();

  const ViewerOptions &options;
  ChartWindow &window;
  cli::ChartDefinition definition;
  SourceWatch sourceWatch;
  FrameStats stats;
  bool running = true;

  // The pointer: the last position given to the library, whether it is over
  // the window, and a move not yet given (the latest of a batch of events).
  SDL_Point lastPointer{-1, -1};
  bool pointerInside = false;
  std::optional<SDL_Point> pendingPointer;

  // The frame being made from the current batch of events.
  FrameTimes frameTimes;
  Stopwatch frameClock;
  double frameProcessorStart = 0.0;
  std::uint32_t frameEventTicks = 0;
  bool drawn = false;          // the library drew into the headless window
  bool pointerMoved = false;
  bool redrawnAfresh = false;  // a load or a resize, not only a move
  bool exposed = false;        // the screen lost the picture

  // The title bar: the chart's title, after the last reload error or a short notice.
  std::string reloadError;
  std::string notice;
  std::uint64_t noticeUntil = 0;
  std::string shownTitle;
};

}  // namespace trendel::view
