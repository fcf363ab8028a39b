// The viewer's search for the changed parts of a frame on the large chart's
// window (1920 x 1080): a tracking line that moved across the plot and a new
// value box. Copying the whole frame once is the baseline: both are bound by
// the memory they read.
#include "ChangedRegions.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int WIDTH = 1920;
constexpr int HEIGHT = 1080;
constexpr std::uint32_t WHITE = 0x00FFFFFF;
constexpr std::uint32_t TRACKING_GREY = 0x00D3D3D3;

struct Frames {
  std::vector<std::uint32_t> before;
  std::vector<std::uint32_t> after;
};

Frames MovedTracking() {
  Frames frames{std::vector<std::uint32_t>(WIDTH * HEIGHT, WHITE), {}};
  frames.after = frames.before;
  for (int y = 60; y < 980; ++y) {
    frames.before[static_cast<std::size_t>(y * WIDTH + 700)] = TRACKING_GREY;
    frames.after[static_cast<std::size_t>(y * WIDTH + 760)] = TRACKING_GREY;
  }
  for (int y = 800; y < 980; ++y) {
    for (int x = 100; x < 300; ++x) frames.after[static_cast<std::size_t>(y * WIDTH + x)] = 0;
  }
  return frames;
}

void FindChangedRegions(benchmark::State &state) {
  const Frames frames = MovedTracking();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        trendel::view::ChangedRegions(frames.before.data(), frames.after.data(), WIDTH, HEIGHT));
  }
}

void CopyWholeFrame(benchmark::State &state) {
  const Frames frames = MovedTracking();
  std::vector<std::uint32_t> target(frames.after.size());
  for (auto _ : state) {
    std::memcpy(target.data(), frames.after.data(), target.size() * sizeof(std::uint32_t));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(FindChangedRegions)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyWholeFrame)->Unit(benchmark::kMillisecond);

}  // namespace
