// Every argument of Trendel_SetValues read from fuzzer bytes. The arrays
// always hold as many entries as the counts say, since a host promises that
// much; everything else is fair game: null pointers, counts below 1, empty,
// very long and non-ASCII texts, any angle, and doubles that are NaN,
// infinite, huge or denormal.
#pragma once

#include "FuzzInput.h"
#include "trendel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trendel::fuzzing {

struct TextArray {
  bool isNull = false;
  std::vector<TextArgument> texts;
  std::vector<const char *> pointers;
  std::int32_t count = 0;
};

class FuzzedGraph {
 public:
  // `mostCategories` bounds the labels; long graphs only slow the search.
  FuzzedGraph(FuzzInput &input, std::int32_t mostCategories);

  std::int32_t Load(HWND window) const;

 private:
  TextArgument kind_;
  TextArgument title_;
  std::int32_t labelAngle_ = 0;
  TextArgument categoryAxisTitle_;
  TextArgument valueAxisTitle_;
  TextArgument legendTitle_;
  TextArray seriesNames_;
  std::vector<std::uint32_t> seriesColors_;
  bool colorsNull_ = false;
  std::int32_t seriesColorCount_ = 0;
  std::int32_t sortCategories_ = 0;
  double rangeMin_ = 0.0;
  double rangeMax_ = 0.0;
  std::int32_t showGrid_ = 0;
  TextArgument scaleMode_;
  double step_ = 0.0;
  std::int32_t stepCount_ = 0;
  std::int32_t pointMarkers_ = 0;
  TextArray categoryNames_;
  std::vector<double> values_;
  bool valuesNull_ = false;
  std::int32_t rowCount_ = 0;
  std::int32_t columnCount_ = 0;
};

}  // namespace trendel::fuzzing
