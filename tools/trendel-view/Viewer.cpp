#include "Viewer.h"

#include "ChartLoading.h"

#include <iostream>
#include <vector>

namespace trendel::view {
namespace {

// How often the loop looks at the watched files and the title's notice when
// no event comes: often enough that an edit shows at once to a person.
constexpr int IDLE_LOOK_MILLISECONDS = 200;
constexpr std::uint64_t NOTICE_MILLISECONDS = 3000;

// Where the library learns that the pointer left the window: any position
// outside it.
constexpr SDL_Point OUTSIDE_THE_WINDOW{-1, -1};

std::string FileName(const std::string &path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InputOf(const cli::DefinitionSource &source) {
  return source.definitionPath.empty() ? source.csvPath : source.definitionPath;
}

std::vector<std::string> FilesOf(const cli::DefinitionSource &source) {
  std::vector<std::string> files;
  for (const std::string &path : {source.definitionPath, source.csvPath}) {
    if (!path.empty()) files.push_back(path);
  }
  return files;
}

}  // namespace

std::string WindowTitle(const cli::ChartDefinition &definition, const cli::DefinitionSource &source) {
  return definition.title.empty() ? FileName(InputOf(source)) : definition.title;
}

Viewer::Viewer(const ViewerOptions &viewerOptions, ChartWindow &chartWindow,
               cli::ChartDefinition firstDefinition)
    : options(viewerOptions),
      window(chartWindow),
      definition(std::move(firstDefinition)),
      sourceWatch(FilesOf(options.source)),
      stats(options.stats) {}

void Viewer::Run() {
  UpdateTitle();
  BeginFrame(SDL_GetTicks());
  DrawAfresh();
  EndFrame();
  while (running) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, IDLE_LOOK_MILLISECONDS) != 0) {
      // Everything queued is handled before one frame goes to the screen, so
      // that a burst of pointer moves costs one picture, not one each.
      BeginFrame(event.common.timestamp);
      do {
        Handle(event);
      } while (running && SDL_PollEvent(&event) != 0);
      FlushPointer();
      EndFrame();
    }
    LookAfterIdleThings();
  }
  stats.PrintSummary();
}

void Viewer::BeginFrame(std::uint32_t eventTicks) {
  frameTimes = FrameTimes{};
  frameClock.Restart();
  frameProcessorStart = ThreadProcessorTime();
  frameEventTicks = eventTicks;
  drawn = pointerMoved = redrawnAfresh = exposed = false;
}

// Puts what the library drew on the screen, or the last picture again where
// the screen lost it.
void Viewer::EndFrame() {
  if (!drawn) {
    if (exposed) window.ShowAgain();
    return;
  }
  Stopwatch clock;
  window.ReadChart();
  frameTimes.read = clock.Elapsed();
  clock.Restart();
  window.ShowChanges();
  frameTimes.show = clock.Elapsed();
  frameTimes.toScreen = frameClock.Elapsed();
  frameTimes.processor = ThreadProcessorTime() - frameProcessorStart;
  const std::uint32_t sinceEvent = SDL_GetTicks() - frameEventTicks;
  if (redrawnAfresh || !pointerMoved) {
    stats.Record(FrameKind::Drawn,
                 std::to_string(window.Width()) + "x" + std::to_string(window.Height()), frameTimes,
                 sinceEvent);
  } else {
    stats.Record(FrameKind::Moved, std::to_string(lastPointer.x) + "," + std::to_string(lastPointer.y),
                 frameTimes, sinceEvent);
  }
}

void Viewer::Handle(const SDL_Event &event) {
  if (event.type == SDL_MOUSEMOTION) {
    const SDL_Point position{event.motion.x, event.motion.y};
    pointerInside = position.x >= 0 && position.y >= 0 && position.x < window.Width() &&
                    position.y < window.Height();
    QueuePointer(position);
    return;
  }
  if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_LEAVE) {
    pointerInside = false;
    QueuePointer(OUTSIDE_THE_WINDOW);
    return;
  }
  // Anything else sees the library in the state of every move before it.
  FlushPointer();
  if (event.type == SDL_QUIT) {
    running = false;
  } else if (event.type == SDL_WINDOWEVENT) {
    HandleWindowEvent(event.window);
  } else if (event.type == SDL_KEYDOWN) {
    HandleKey(event.key);
  }
}

void Viewer::HandleWindowEvent(const SDL_WindowEvent &event) {
  if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
    // At the same size the chart stays as it is, but the window's surface is new.
    if (window.FollowScreenSize()) {
      DrawAfresh();
    } else {
      exposed = true;
    }
  } else if (event.event == SDL_WINDOWEVENT_EXPOSED) {
    exposed = true;
  }
}

void Viewer::HandleKey(const SDL_KeyboardEvent &event) {
  switch (event.keysym.sym) {
    case SDLK_s:
      if (event.repeat == 0) Save();
      break;
    case SDLK_r:
      if (event.repeat == 0) Reload();
      break;
    case SDLK_q:
    case SDLK_ESCAPE:
      running = false;
      break;
    default:
      break;
  }
}

// Every move goes to the library, but only the latest of a batch is drawn:
// the ones before it change the tracking state and the capture just as they
// would, with drawing switched off for their call.
void Viewer::QueuePointer(SDL_Point position) {
  if (pendingPointer) Forward(*pendingPointer, Redraw::Later);
  pendingPointer = position;
}

void Viewer::FlushPointer() {
  if (!pendingPointer) return;
  Forward(*pendingPointer, Redraw::Now);
  pendingPointer.reset();
  pointerMoved = true;
}

void Viewer::Forward(SDL_Point position, Redraw redraw) {
  HWND chart = window.Chart();
  Stopwatch clock;
  if (redraw == Redraw::Later) Trendel_SetRedraw(chart, 0);
  Trendel_MouseMove(chart, 0, position.x, position.y);
  if (redraw == Redraw::Later) Trendel_SetRedraw(chart, 1);
  frameTimes.library += clock.Elapsed();
  lastPointer = position;
  // Every path of a move with a graph loaded redraws the window.
  if (redraw == Redraw::Now) drawn = true;
}

// A whole new picture: after loading and resizing. The tracking overlay is
// placed by the previous pass's layout, so a pointer still over the window is
// given again to snap to the new one.
void Viewer::DrawAfresh() {
  Stopwatch clock;
  Trendel_DrawGraph(window.Chart());
  frameTimes.library += clock.Elapsed();
  drawn = redrawnAfresh = true;
  if (pointerInside) Forward(lastPointer, Redraw::Now);
}

void Viewer::Reload() {
  sourceWatch.Mark();
  cli::ChartDefinition next;
  try {
    next = cli::ReadDefinition(options.source);
  } catch (const cli::DefinitionError &error) {
    KeepAfterBadReload(error.what());
    return;
  }
  // A refused definition leaves the window's graph as it was.
  const std::int32_t loaded = cli::SetChartValues(window.Chart(), next);
  if (loaded != TRENDEL_OK) {
    KeepAfterBadReload(cli::RefusalMessage(loaded));
    return;
  }
  definition = std::move(next);
  reloadError.clear();
  UpdateTitle();
  DrawAfresh();
  std::cout << "reloaded " << InputOf(options.source) << std::endl;
}

void Viewer::KeepAfterBadReload(const std::string &error) {
  reloadError = "Not reloaded: " + error;
  UpdateTitle();
  std::cerr << "trendel-view: not reloaded: " << error << std::endl;
}

void Viewer::Save() {
  const std::string saved = SaveBeside(InputOf(options.source), *options.saveFormat,
                                       window.Chart(), window.Width(), window.Height());
  if (saved.empty()) {
    SetNotice("Not saved");
    std::cerr << "trendel-view: could not save the chart beside " << InputOf(options.source)
              << std::endl;
  } else {
    SetNotice("Saved " + FileName(saved));
    std::cout << "saved " << saved << std::endl;
  }
}

void Viewer::LookAfterIdleThings() {
  if (!notice.empty() && SDL_GetTicks64() >= noticeUntil) {
    notice.clear();
    UpdateTitle();
  }
  if (options.watch && sourceWatch.Changed()) {
    BeginFrame(SDL_GetTicks());
    Reload();
    EndFrame();
  }
}

void Viewer::SetNotice(const std::string &text) {
  notice = text;
  noticeUntil = SDL_GetTicks64() + NOTICE_MILLISECONDS;
  UpdateTitle();
}

// The chart's title, led by a notice while it lasts or else by the last
// reload's error while the file stays bad.
void Viewer::UpdateTitle() {
  const std::string base = WindowTitle(definition, options.source);
  const std::string &lead = !notice.empty() ? notice : reloadError;
  const std::string title = lead.empty() ? base : lead + " - " + base;
  if (title == shownTitle) return;
  window.SetTitle(title);
  shownTitle = title;
}

}  // namespace trendel::view
