#include "api/GraphLoading.h"

#include "model/PointMarkers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cmath>
#include <limits>
#include <random>

namespace trendel {
namespace {

// A definition that loads: two series, two categories, a 2 x 2 matrix.
struct Fixture {
  std::vector<const char *> seriesNames{"Sales", "Cost"};
  std::vector<const char *> categoryNames{"Q2", "Q1"};
  std::vector<double> values{10, 20, 30, 40};
  std::vector<std::uint32_t> colors;
  GraphDefinition definition;

  Fixture() { Refresh(); }

  // Points the definition at the vectors again after a test changed them.
  GraphDefinition &Refresh() {
    definition.kind = "LINE_GRAPH";
    definition.seriesNames = seriesNames.data();
    definition.seriesNameCount = static_cast<std::int32_t>(seriesNames.size());
    definition.categoryNames = categoryNames.data();
    definition.categoryNameCount = static_cast<std::int32_t>(categoryNames.size());
    definition.values = values.data();
    definition.seriesColors = colors.empty() ? nullptr : colors.data();
    definition.seriesColorCount = static_cast<std::int32_t>(colors.size());
    return definition;
  }
};

std::vector<std::string> Labels(const CGraph &graph) {
  std::vector<std::string> labels;
  for (const auto &category : graph.categoryList) labels.push_back(category->GetName());
  return labels;
}

TEST(GraphLoading, WorkedExample) {
  Fixture fixture;
  fixture.definition.sortCategories = 1;
  fixture.definition.rowCount = 2;
  fixture.definition.columnCount = 2;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, fixture.definition), 0);
  ASSERT_TRUE(binding.graphLoaded);
  const CGraph &graph = *binding.graph;
  EXPECT_EQ(Labels(graph), (std::vector<std::string>{"Q1", "Q2"}));
  EXPECT_EQ(graph.categoryList[0]->GetValue(0), 20.0);
  EXPECT_EQ(graph.categoryList[0]->GetValue(1), 40.0);
  EXPECT_EQ(graph.categoryList[1]->GetValue(0), 10.0);
  EXPECT_EQ(graph.categoryList[1]->GetValue(1), 30.0);
  EXPECT_EQ(graph.valueMin, 0.0);
  EXPECT_EQ(graph.valueMax, 40.0);
  EXPECT_EQ(graph.valueStep, 4.0);
  EXPECT_EQ(graph.tickCount, 10.0);
  EXPECT_EQ(graph.GetSeriesColor(0), 0x0000FFu);  // (255, 0, 0)
  EXPECT_EQ(graph.GetSeriesColor(1), 0x00FF00u);  // (0, 255, 0)
  EXPECT_EQ(graph.seriesNames.GetName(0), "Sales");
  EXPECT_EQ(graph.seriesNames.GetName(1), "Cost");
  EXPECT_EQ(graph.seriesCount, 2.0);
  EXPECT_EQ(graph.legendFontSize, 15);
  EXPECT_EQ(graph.legendShown, 1);
}

TEST(GraphLoading, ChecksComeInOrderAndEarlyFailuresKeepTheTexts) {
  Fixture fixture;
  GraphDefinition &definition = fixture.definition;
  definition.rowCount = 2;
  definition.columnCount = 2;
  definition.title = "Title";
  definition.labelAngle = 370;
  GraphBinding binding(nullptr);

  definition.kind = "line_graph";
  EXPECT_EQ(LoadGraph(binding, definition), -2);
  EXPECT_EQ(binding.graph, nullptr);

  definition.kind = "LINE_GRAPH";
  definition.seriesNameCount = 0;
  definition.categoryNameCount = 0;
  definition.rowCount = 0;
  EXPECT_EQ(LoadGraph(binding, definition), -3);
  ASSERT_NE(binding.graph, nullptr);
  EXPECT_EQ(binding.graph->title, "Title");
  EXPECT_EQ(binding.graph->labelAngle, 10.0);
  EXPECT_EQ(binding.graph->legendFontSize, 15);
  EXPECT_TRUE(binding.graph->categoryList.empty());
  EXPECT_EQ(binding.graph->legendShown, 0);
  EXPECT_FALSE(binding.graphLoaded);

  definition.seriesNameCount = 2;
  EXPECT_EQ(LoadGraph(binding, definition), -4);
  definition.categoryNameCount = 2;
  EXPECT_EQ(LoadGraph(binding, definition), -5);
  definition.rowCount = 2;
  definition.columnCount = 0;
  EXPECT_EQ(LoadGraph(binding, definition), -5);
  EXPECT_FALSE(binding.graphLoaded);
}

TEST(GraphLoading, NullArraysCountAsEmpty) {
  Fixture fixture;
  GraphDefinition &definition = fixture.definition;
  definition.rowCount = 2;
  definition.columnCount = 2;
  GraphBinding binding(nullptr);
  definition.seriesNames = nullptr;
  EXPECT_EQ(LoadGraph(binding, definition), -3);
  fixture.Refresh().categoryNames = nullptr;
  EXPECT_EQ(LoadGraph(binding, definition), -4);
  fixture.Refresh().values = nullptr;
  EXPECT_EQ(LoadGraph(binding, definition), -5);
  // Null strings are empty strings, null colours are no host colours.
  fixture.seriesNames = {nullptr, "B"};
  fixture.categoryNames = {nullptr, "x"};
  fixture.Refresh().seriesColorCount = 5;
  definition.kind = "LINE_GRAPH";
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->seriesNames.GetName(0), "");
  EXPECT_EQ(binding.graph->categoryList[0]->GetName(), "");
  EXPECT_EQ(binding.graph->GetSeriesColor(0), 0x0000FFu);
}

TEST(GraphLoading, LabelAngleKeepsTheSignOfItsRemainder) {
  Fixture fixture;
  fixture.definition.rowCount = 2;
  fixture.definition.columnCount = 2;
  GraphBinding binding(nullptr);
  for (const auto &[given, stored] : std::vector<std::pair<int, double>>{
           {450, 90.0}, {-45, -45.0}, {370, 10.0}, {-30, -30.0}, {-400, -40.0}}) {
    fixture.definition.labelAngle = given;
    ASSERT_EQ(LoadGraph(binding, fixture.definition), 0);
    EXPECT_EQ(binding.graph->labelAngle, stored) << given;
  }
}

TEST(GraphLoading, MoreRowsThanNamesGetEmptyNames) {
  Fixture fixture;
  fixture.values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  fixture.categoryNames = {"a", "b", "c", "d"};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 3;
  definition.columnCount = 4;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  const CGraph &graph = *binding.graph;
  EXPECT_EQ(graph.seriesCount, 3.0);
  EXPECT_EQ(graph.seriesNames.GetName(2), "");
  EXPECT_EQ(graph.categoryList[3]->GetValue(2), 12.0);
  // The third series has a colour from the default table, which covers as
  // many series as there are names: two.
  EXPECT_EQ(graph.GetSeriesColor(2), 0u);
}

TEST(GraphLoading, MoreNamesThanRowsGiveMissingValues) {
  Fixture fixture;
  fixture.seriesNames = {"A", "B", "C"};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 1;
  definition.columnCount = 2;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  const CGraph &graph = *binding.graph;
  EXPECT_EQ(graph.seriesCount, 3.0);
  EXPECT_EQ(graph.categoryList[0]->GetValue(0), 10.0);
  EXPECT_EQ(graph.categoryList[0]->GetValue(1), MISSING_VALUE);
  EXPECT_EQ(graph.categoryList[1]->GetValue(2), MISSING_VALUE);
  EXPECT_EQ(graph.valueMax, 20.0);
}

TEST(GraphLoading, CategoriesBeyondTheMatrixAreMissing) {
  Fixture fixture;
  fixture.categoryNames = {"a", "b", "c", "d", "e"};
  fixture.values = {1, 2, 3};
  fixture.seriesNames = {"A"};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 1;
  definition.columnCount = 3;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->categoryList[2]->GetValue(0), 3.0);
  EXPECT_EQ(binding.graph->categoryList[3]->GetValue(0), MISSING_VALUE);
  EXPECT_EQ(binding.graph->categoryList[4]->GetValue(0), MISSING_VALUE);
}

TEST(GraphLoading, SortedCategoriesCarryTheirColumns) {
  Fixture fixture;
  fixture.categoryNames = {"y", "x", "z"};
  fixture.seriesNames = {"A"};
  fixture.values = {1, 2, 3};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 1;
  definition.columnCount = 3;
  GraphBinding binding(nullptr);
  definition.sortCategories = 1;
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(Labels(*binding.graph), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(binding.graph->categoryList[0]->GetValue(0), 2.0);
  EXPECT_EQ(binding.graph->categoryList[1]->GetValue(0), 1.0);
  definition.sortCategories = 0;
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(Labels(*binding.graph), (std::vector<std::string>{"y", "x", "z"}));
}

// The order the exchange sort of the loader's design gives: passes of
// decreasing length, swapping neighbours whose first label is greater.
std::vector<std::int32_t> ExchangeSortOrder(const std::vector<std::string> &labels) {
  std::vector<std::int32_t> order(labels.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::int32_t>(i);
  for (std::size_t length = order.size(); length-- > 1;) {
    for (std::size_t i = 0; i < length; ++i) {
      const auto &first = labels[static_cast<std::size_t>(order[i])];
      const auto &second = labels[static_cast<std::size_t>(order[i + 1])];
      if (std::strcmp(first.c_str(), second.c_str()) > 0) std::swap(order[i], order[i + 1]);
    }
  }
  return order;
}

TEST(CategoryOrder, MatchesTheExchangeSortOnRandomLabels) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> labels(random() % 40);
    for (auto &label : labels) {
      // Few distinct bytes, so that equal labels and shared prefixes are common;
      // bytes above 0x7F must sort after plain ASCII.
      const char alphabet[] = {'a', 'b', 'B', '\x80', '\xE9', '\xFF'};
      label.resize(random() % 3);
      for (char &c : label) c = alphabet[random() % sizeof alphabet];
    }
    ASSERT_EQ(CategoryOrder(labels, true), ExchangeSortOrder(labels)) << "seed round " << round;
  }
}

TEST(CategoryOrder, EqualLabelsKeepHostOrderAndHighBytesCompareUnsigned) {
  const std::vector<std::string> labels{"b", "a", "b", "\xE9t\xE9", "a", "z"};
  EXPECT_EQ(CategoryOrder(labels, true), (std::vector<std::int32_t>{1, 4, 0, 2, 5, 3}));
  EXPECT_EQ(CategoryOrder(labels, false), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));
}

TEST(CategoryOrder, SortsAHundredThousandLabelsQuickly) {
  std::vector<std::string> labels(100000);
  std::mt19937 random(7);
  for (auto &label : labels) label = std::to_string(random() % 50000);
  // Not a timing assertion: a quadratic sort would take minutes here, and the
  // test would run into its time-out.
  const std::vector<std::int32_t> order = CategoryOrder(labels, true);
  for (std::size_t i = 1; i < order.size(); ++i) {
    const auto &previous = labels[static_cast<std::size_t>(order[i - 1])];
    const auto &current = labels[static_cast<std::size_t>(order[i])];
    ASSERT_LE(previous, current);
    if (previous == current) {
      ASSERT_LT(order[i - 1], order[i]);
    }
  }
}

TEST(SeriesColor, HostColoursThenDefaultsFromEntryZeroThenBlack) {
  const std::uint32_t host[] = {0x123456, 0x654321};
  // Two host colours and four names: series 2 and 3 start the default table.
  EXPECT_EQ(SeriesColor(0, host, 2, 4), 0x123456u);
  EXPECT_EQ(SeriesColor(1, host, 2, 4), 0x654321u);
  EXPECT_EQ(SeriesColor(2, host, 2, 4), 0x0000FFu);
  EXPECT_EQ(SeriesColor(3, host, 2, 4), 0x00FF00u);
  EXPECT_EQ(SeriesColor(5, host, 2, 4), 0xFF00FFu);
  EXPECT_EQ(SeriesColor(6, host, 2, 4), 0u);
  EXPECT_EQ(SeriesColor(0, host, -3, 4), 0x0000FFu);
  EXPECT_EQ(SeriesColor(47, nullptr, 0, 100), 0x00FF00u);
}

TEST(GraphLoading, RangeWidensToTheValues) {
  Fixture fixture;
  fixture.seriesNames = {"A"};
  fixture.categoryNames = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
  fixture.values = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 1;
  definition.columnCount = 10;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->valueMin, 0.0);
  EXPECT_EQ(binding.graph->valueMax, 50.0);
  EXPECT_EQ(binding.graph->valueStep, 5.0);

  // Bounds beyond the data stay; bounds inside it give way to the data.
  definition.rangeMin = 60;
  definition.rangeMax = -10;
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->valueMin, 5.0);
  EXPECT_EQ(binding.graph->valueMax, 50.0);

  definition.scaleMode = "BY_STEP";
  definition.step = 2.5;
  definition.stepCount = 3;
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->valueStep, 2.5);
  definition.scaleMode = "by_step";
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->valueStep, 15.0);
}

TEST(GraphLoading, MissingAndNonFiniteValuesStayOutOfTheRange) {
  Fixture fixture;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  fixture.seriesNames = {"A"};
  fixture.categoryNames = {"a", "b", "c", "d", "e"};
  fixture.values = {MISSING_VALUE, nan, infinity, -infinity, 7};
  GraphDefinition &definition = fixture.Refresh();
  definition.rowCount = 1;
  definition.columnCount = 5;
  definition.rangeMin = nan;
  definition.rangeMax = infinity;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  const CGraph &graph = *binding.graph;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(graph.categoryList[i]->GetValue(0), MISSING_VALUE) << i;
  EXPECT_EQ(graph.valueMin, 7.0);
  EXPECT_EQ(graph.valueMax, 7.0);
  EXPECT_EQ(graph.tickCount, 0.0);

  // Nothing finite at all: the range is 0 to 0.
  fixture.values = {nan, nan, nan, nan, nan};
  fixture.Refresh();
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->valueMin, 0.0);
  EXPECT_EQ(binding.graph->valueMax, 0.0);
}

TEST(GraphLoading, SuccessSetsGridAndTheProcessWideMarkers) {
  Fixture fixture;
  GraphDefinition &definition = fixture.definition;
  definition.rowCount = 2;
  definition.columnCount = 2;
  definition.showGrid = 5;
  definition.pointMarkers = 0;
  GraphBinding binding(nullptr);
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(binding.graph->showGrid, 1);
  EXPECT_EQ(SetPointMarkers(-1), 0);
  definition.pointMarkers = 9;
  definition.seriesNameCount = 0;
  EXPECT_EQ(LoadGraph(binding, definition), -3);
  EXPECT_EQ(SetPointMarkers(-1), 0);
  definition.seriesNameCount = 2;
  ASSERT_EQ(LoadGraph(binding, definition), 0);
  EXPECT_EQ(SetPointMarkers(-1), 1);
}

}  // namespace
}  // namespace trendel
