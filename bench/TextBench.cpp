// Text throughput of the portable layer. The axis renderer creates, selects,
// uses and deletes a font for every label, so that whole round trip is
// measured, for upright and for rotated labels, next to plain TextOutA with
// a font that stays selected. Times are per label (items per second).
#include "platform/win32.h"

#include "MemoryTarget.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int LABELS_PER_PASS = 10000;

std::vector<std::string> LabelTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < 100; ++i) texts.push_back(std::to_string(i * 12.5).substr(0, 5));
  return texts;
}

// One label as the axis renderer draws it: a new font for every label.
void DrawLabelWithNewFont(HDC dc, int escapement, int x, int y, const std::string &text) {
  HFONT font = CreateFontA(12, 0, escapement, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
  HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  TextOutA(dc, x - static_cast<int>(text.size()) * metrics.tmAveCharWidth / 2, y, text.data(),
           static_cast<int>(text.size()));
  SelectObject(dc, previous);
  DeleteObject(font);
}

void LabelsWithNewFonts(benchmark::State &state) {
  const int escapement = static_cast<int>(state.range(0));
  MemoryTarget target(800, 600);
  const std::vector<std::string> texts = LabelTexts();
  for (auto _ : state) {
    for (int i = 0; i < LABELS_PER_PASS; ++i) {
      DrawLabelWithNewFont(target.dc(), escapement, 40 + (i * 37) % 720, 40 + (i * 53) % 520,
                           texts[static_cast<std::size_t>(i) % texts.size()]);
    }
  }
  state.SetItemsProcessed(state.iterations() * LABELS_PER_PASS);
}
BENCHMARK(LabelsWithNewFonts)->Arg(0)->Arg(450)->Arg(900)->Unit(benchmark::kMillisecond);

void TextOutWithSelectedFont(benchmark::State &state) {
  MemoryTarget target(800, 600);
  HFONT font = CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
  HGDIOBJ previous = SelectObject(target.dc(), font);
  const std::string text(static_cast<std::size_t>(state.range(0)), 'x');
  int call = 0;
  for (auto _ : state) {
    TextOutA(target.dc(), (call * 37) % 700, (call * 53) % 580, text.data(),
             static_cast<int>(text.size()));
    ++call;
  }
  state.SetItemsProcessed(state.iterations());
  SelectObject(target.dc(), previous);
  DeleteObject(font);
}
BENCHMARK(TextOutWithSelectedFont)->Arg(5)->Arg(20)->Arg(1 << 20);

}  // namespace
