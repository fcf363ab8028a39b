// One position along the horizontal axis: its label and one point per series.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace trendel {

// A series has no value in a category: the lowest finite double.
constexpr double MISSING_VALUE = -std::numeric_limits<double>::max();

struct CGraphPoint {
  CGraphPoint(std::int32_t index, double pointValue) : seriesIndex(index), value(pointValue) {}
  virtual ~CGraphPoint() = default;
  std::int32_t seriesIndex;
  double value;
};

class CGraphCategory {
 public:
  CGraphCategory() = default;
  virtual ~CGraphCategory() = default;
  CGraphCategory(const CGraphCategory &) = delete;
  CGraphCategory &operator=(const CGraphCategory &) = delete;

  void SetName(std::string text) { name_ = std::move(text); }
  std::string GetName() const { return name_; }
  const std::string &Name() const { return name_; }

  // Appends a point; an existing point of the same series is never replaced.
  void AddValue(std::int32_t seriesIndex, double value);

  // The value of the first point of that series, 0.0 when there is none.
  double GetValue(std::int32_t seriesIndex) const;

  std::int32_t GetValueCount() const { return static_cast<std::int32_t>(points_.size()); }

 private:
  std::string name_;
  // Held by value, not each on its own in the heap: a series pass reads one
  // point of every category, and each pointer more is another wait on memory.
  std::vector<CGraphPoint> points_;
  // True while point i belongs to series i for every i, which is how the
  // loader fills a category; GetValue then finds a point without a search.
  bool pointsInSeriesOrder_ = true;
};

}  // namespace trendel
