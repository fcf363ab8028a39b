#include "FrameStats.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace trendel::view {
namespace {

// The value below which `share` of the samples lie (nearest rank).
template <typename Number>
Number Percentile(std::vector<Number> samples, double share) {
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(share * static_cast<double>(samples.size() - 1) + 0.5);
  return samples[rank];
}

}  // namespace

double ThreadProcessorTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void FrameStats::Record(FrameKind kind, const std::string &label, const FrameTimes &times,
                        std::uint32_t sinceEvent) {
  if (!enabled) return;
  std::printf("%s %s: library %.2f ms, read %.2f ms, show %.2f ms, to the screen %.2f ms, "
              "processor %.2f ms, since the event %u ms\n",
              kind == FrameKind::Moved ? "moved" : "drawn", label.c_str(), times.library,
              times.read, times.show, times.toScreen, times.processor, sinceEvent);
  std::fflush(stdout);
  if (kind == FrameKind::Moved) {
    moveToScreen.push_back(times.toScreen);
    moveLibrary.push_back(times.library);
    moveProcessor.push_back(times.processor);
    moveSinceEvent.push_back(sinceEvent);
  }
}

void FrameStats::PrintSummary() const {
  if (!enabled || moveToScreen.empty()) return;
  std::printf("pointer moves: %zu frames; to the screen median %.2f ms, 95th percentile %.2f ms, "
              "slowest %.2f ms; library alone median %.2f ms; processor median %.2f ms; "
              "since the event median %u ms, slowest %u ms\n",
              moveToScreen.size(), Percentile(moveToScreen, 0.5), Percentile(moveToScreen, 0.95),
              Percentile(moveToScreen, 1.0), Percentile(moveLibrary, 0.5),
              Percentile(moveProcessor, 0.5), Percentile(moveSinceEvent, 0.5),
              Percentile(moveSinceEvent, 1.0));
  std::fflush(stdout);
}

}  // namespace trendel::view
