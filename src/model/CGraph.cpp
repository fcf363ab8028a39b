#include "CGraph.h"

#include <cmath>

namespace trendel {

CGraph::CGraph(std::int32_t kind) : graphKind(kind) {}

CGraph::~CGraph() = default;

void CGraph::SetCategoryAxisTitle(std::string text) {
  categoryAxisTitle = std::move(text);
  categoryTitleLength = static_cast<double>(categoryAxisTitle.size());
}

void CGraph::AddCategory(std::unique_ptr<CGraphCategory> category) {
  const double valueCount = category->GetValueCount();
  categoryList.push_back(std::move(category));
  if (valueCount > seriesCount) seriesCount = valueCount;
}

void CGraph::AddSeriesName(std::int32_t seriesIndex, std::string name) {
  seriesNames.Add(seriesIndex, std::move(name));
  legendShown = 1;
}

void CGraph::AddSeriesColor(std::int32_t seriesIndex, std::uint32_t color) {
  seriesColors.push_back(std::make_unique<CGraphSeriesColor>(seriesIndex, color));
}

std::uint32_t CGraph::GetSeriesColor(std::int32_t position) const {
  if (seriesColors.empty()) return 0;
  if (position < 0) return seriesColors.front()->color;
  if (static_cast<std::size_t>(position) >= seriesColors.size()) return 0;
  return seriesColors[static_cast<std::size_t>(position)]->color;
}

void CGraph::SetScale(double min, double max, double step) {
  valueMin = min;
  valueMax = max;
  valueStep = step;
  const double steps = (max - min) / step;
  if (!std::isfinite(steps)) {
    tickCount = 0.0;
    return;
  }
  tickCount = steps;
  if (steps * step < max - min) tickCount = steps + 1.0;
}

void CGraphCategory::AddValue(std::int32_t seriesIndex, double value) {
  if (seriesIndex != static_cast<std::int32_t>(points_.size())) pointsInSeriesOrder_ = false;
  points_.emplace_back(seriesIndex, value);
}

double CGraphCategory::GetValue(std::int32_t seriesIndex) const {
  if (pointsInSeriesOrder_) {
    if (seriesIndex >= 0 && static_cast<std::size_t>(seriesIndex) < points_.size()) {
      return points_[static_cast<std::size_t>(seriesIndex)].value;
    }
    return 0.0;
  }
  for (const auto &point : points_) {
    if (point.seriesIndex == seriesIndex) return point.value;
  }
  return 0.0;
}

void CGraphSeriesNames::Add(std::int32_t seriesIndex, std::string name) {
  const auto length = static_cast<std::int32_t>(name.size());
  names_.push_back(std::make_unique<CGraphSeriesName>(seriesIndex, std::move(name)));
  if (length > maxNameLength_) maxNameLength_ = length;
}

std::string CGraphSeriesNames::GetName(std::int32_t position) const {
  if (names_.empty()) return {};
  if (position < 0) return names_.front()->name;
  if (static_cast<std::size_t>(position) >= names_.size()) return {};
  return names_[static_cast<std::size_t>(position)]->name;
}

}  // namespace trendel
