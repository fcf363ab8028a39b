// Lines and point markers of the portable layer, used the way the line series
// renderer uses them: a new brush for every marker and a new pen for every
// segment, created, selected, drawn with, deselected and deleted. Each
// benchmark reports the time per marker or per segment, GDI objects included.
#include "platform/win32.h"

#include "MemoryTarget.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int WIDTH = 600, HEIGHT = 400;
constexpr int MARKERS = 40000;
constexpr int SEGMENTS = 2000;

struct Point {
  int x, y;
};

// Seeded points across the plot, one per category, as a series lays them out.
std::vector<Point> SeriesPoints(int count) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> value(40, HEIGHT - 60);
  std::vector<Point> points;
  for (int i = 0; i < count; ++i) points.push_back({110 + (i * 480) / count, value(random)});
  return points;
}

void Markers(benchmark::State &state) {
  MemoryTarget target(WIDTH, HEIGHT);
  const std::vector<Point> points = SeriesPoints(MARKERS);
  for (auto _ : state) {
    for (const Point &point : points) {
      HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
      HGDIOBJ previous = SelectObject(target.dc(), brush);
      Ellipse(target.dc(), point.x - 1, point.y - 1, point.x + 2, point.y + 2);
      SelectObject(target.dc(), previous);
      DeleteObject(brush);
    }
  }
  state.counters["per marker"] =
      benchmark::Counter(MARKERS, benchmark::Counter::kIsIterationInvariantRate |
                                      benchmark::Counter::kInvert);
}
BENCHMARK(Markers)->Unit(benchmark::kMillisecond);

void Polyline(benchmark::State &state) {
  MemoryTarget target(WIDTH, HEIGHT);
  const std::vector<Point> points = SeriesPoints(SEGMENTS + 1);
  for (auto _ : state) {
    for (int i = 0; i < SEGMENTS; ++i) {
      HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
      HGDIOBJ previous = SelectObject(target.dc(), pen);
      MoveToEx(target.dc(), points[i].x, points[i].y, nullptr);
      LineTo(target.dc(), points[i + 1].x, points[i + 1].y);
      SelectObject(target.dc(), previous);
      DeleteObject(pen);
    }
  }
  state.counters["per segment"] =
      benchmark::Counter(SEGMENTS, benchmark::Counter::kIsIterationInvariantRate |
                                       benchmark::Counter::kInvert);
}
BENCHMARK(Polyline)->Unit(benchmark::kMillisecond);

}  // namespace
