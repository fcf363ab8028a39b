// The colour records and the names of a graph's series.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trendel {

struct CGraphSeriesColor {
  CGraphSeriesColor(std::int32_t index, std::uint32_t seriesColor)
      : seriesIndex(index), color(seriesColor) {}
  virtual ~CGraphSeriesColor() = default;
  std::int32_t seriesIndex;
  std::uint32_t color;  // 0x00BBGGRR
};

struct CGraphSeriesName {
  CGraphSeriesName(std::int32_t index, std::string seriesName)
      : seriesIndex(index), name(std::move(seriesName)) {}
  virtual ~CGraphSeriesName() = default;
  std::int32_t seriesIndex = 0;
  std::string name;
};

class CGraphSeriesNames {
 public:
  CGraphSeriesNames() = default;
  virtual ~CGraphSeriesNames() = default;
  CGraphSeriesNames(const CGraphSeriesNames &) = delete;
  CGraphSeriesNames &operator=(const CGraphSeriesNames &) = delete;

  // Appends an entry and raises the longest-name length when it is longer.
  void Add(std::int32_t seriesIndex, std::string name);

  // A copy of the name at that list position; empty past the end, and the
  // first entry for a negative position.
  std::string GetName(std::int32_t position) const;

  std::int32_t GetMaxNameLength() const { return maxNameLength_; }
  std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }

 private:
  std::int32_t maxNameLength_ = 0;
  std::vector<std::unique_ptr<CGraphSeriesName>> names_;
};

}  // namespace trendel
