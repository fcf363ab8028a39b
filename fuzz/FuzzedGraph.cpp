#include "FuzzedGraph.h"

#include <algorithm>
#include <limits>

namespace trendel::fuzzing {
namespace {

constexpr std::size_t MOST_TITLE_BYTES = 6000;
constexpr std::size_t MOST_NAME_BYTES = 300;
constexpr std::int64_t MOST_SERIES = 60;
constexpr std::int64_t MOST_VALUES = 4000;

// A count for an array of `size` entries: mostly the size itself, sometimes
// one below 1, which must make the array count as empty; for a null array
// any count at all.
std::int32_t CountFor(FuzzInput &input, bool isNull, std::size_t size) {
  if (isNull) return input.Int32();
  if (input.OneIn(8)) {
    return static_cast<std::int32_t>(input.Between(std::numeric_limits<std::int32_t>::min(), 0));
  }
  return static_cast<std::int32_t>(size);
}

TextArray ReadTextArray(FuzzInput &input, std::int64_t mostEntries) {
  TextArray array;
  array.isNull = input.OneIn(16);
  const auto size = static_cast<std::size_t>(input.Between(0, mostEntries));
  for (std::size_t i = 0; i < size && !array.isNull; ++i) {
    array.texts.push_back(input.TextOrNull(MOST_NAME_BYTES));
  }
  for (const TextArgument &text : array.texts) array.pointers.push_back(text.Pointer());
  array.count = CountFor(input, array.isNull, size);
  return array;
}

TextArgument Keyword(FuzzInput &input, const char *keyword) {
  switch (input.Between(0, 7)) {
    case 6:
      return input.TextOrNull(MOST_NAME_BYTES);
    case 7:
      return TextArgument{true, {}};
    default:
      return TextArgument{false, keyword};
  }
}

const char *const *PointersOf(const TextArray &array) {
  return array.isNull ? nullptr : array.pointers.data();
}

}  // namespace

FuzzedGraph::FuzzedGraph(FuzzInput &input, std::int32_t mostCategories) {
  kind_ = Keyword(input, "LINE_GRAPH");
  title_ = input.TextOrNull(MOST_TITLE_BYTES);
  labelAngle_ =
      input.OneIn(2) ? static_cast<std::int32_t>(input.Between(-400, 400)) : input.Int32();
  categoryAxisTitle_ = input.TextOrNull(MOST_TITLE_BYTES);
  valueAxisTitle_ = input.TextOrNull(MOST_TITLE_BYTES);
  legendTitle_ = input.TextOrNull(MOST_TITLE_BYTES);
  seriesNames_ = ReadTextArray(input, MOST_SERIES);

  colorsNull_ = input.OneIn(4);
  const auto colorCount = static_cast<std::size_t>(colorsNull_ ? 0 : input.Between(0, MOST_SERIES));
  for (std::size_t i = 0; i < colorCount; ++i) {
    seriesColors_.push_back(static_cast<std::uint32_t>(input.Int32()));
  }
  seriesColorCount_ = CountFor(input, colorsNull_, colorCount);

  sortCategories_ = input.OneIn(2) ? 0 : input.Int32();
  rangeMin_ = input.Double();
  rangeMax_ = input.Double();
  showGrid_ = input.OneIn(2) ? 0 : input.Int32();
  scaleMode_ = Keyword(input, "BY_STEP");
  step_ = input.Double();
  stepCount_ = input.OneIn(2) ? static_cast<std::int32_t>(input.Between(-2, 40)) : input.Int32();
  pointMarkers_ = input.OneIn(2) ? 0 : input.Int32();
  categoryNames_ = ReadTextArray(input, mostCategories);

  valuesNull_ = input.OneIn(16);
  if (valuesNull_) {
    rowCount_ = input.Int32();
    columnCount_ = input.Int32();
    return;
  }
  rowCount_ = static_cast<std::int32_t>(input.Between(-1, MOST_SERIES));
  columnCount_ = static_cast<std::int32_t>(input.Between(-1, mostCategories + 2));
  if (rowCount_ > 0 && columnCount_ > 0) {
    columnCount_ =
        static_cast<std::int32_t>(std::min<std::int64_t>(columnCount_, MOST_VALUES / rowCount_));
  }
  const std::int64_t valueCount = std::max(rowCount_, 0) * std::int64_t{std::max(columnCount_, 0)};
  // At least one entry, so that the pointer is not null.
  values_.resize(static_cast<std::size_t>(std::max<std::int64_t>(valueCount, 1)));
  // One value throughout (an empty range) is common in hosts and cheap in
  // input bytes.
  const bool oneValue = input.OneIn(4);
  for (std::size_t i = 0; i < values_.size(); ++i) {
    values_[i] = oneValue && i > 0 ? values_[0] : input.Double();
  }
}

std::int32_t FuzzedGraph::Load(HWND window) const {
  return Trendel_SetValues(
      window, kind_.Pointer(), title_.Pointer(), labelAngle_, categoryAxisTitle_.Pointer(),
      valueAxisTitle_.Pointer(), legendTitle_.Pointer(), PointersOf(seriesNames_),
      seriesNames_.count, colorsNull_ ? nullptr : seriesColors_.data(), seriesColorCount_,
      sortCategories_, rangeMin_, rangeMax_, showGrid_, scaleMode_.Pointer(), step_, stepCount_,
      pointMarkers_, PointersOf(categoryNames_), categoryNames_.count,
      valuesNull_ ? nullptr : values_.data(), rowCount_, columnCount_);
}

}  // namespace trendel::fuzzing
