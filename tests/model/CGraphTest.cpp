#include "model/CGraph.h"
#include "model/DefaultSeriesColors.h"
#include "model/PointMarkers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace trendel {
namespace {

TEST(CGraph, NewGraphHasDefaultScaleAndNoData) {
  CGraph graph(LINE_GRAPH_KIND);
  EXPECT_EQ(graph.valueMin, 0.0);
  EXPECT_EQ(graph.valueMax, 100.0);
  EXPECT_EQ(graph.valueStep, 10.0);
  EXPECT_EQ(graph.tickCount, 10.0);
  EXPECT_EQ(graph.seriesCount, 0.0);
  EXPECT_TRUE(graph.categoryList.empty());
  EXPECT_EQ(graph.legendShown, 0);
  EXPECT_EQ(graph.valueFontSize, 12);
  EXPECT_EQ(graph.legendFontSize, 12);
}

TEST(CGraph, SetScaleKeepsFractionalTickCounts) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(0, 100, 30);
  EXPECT_EQ(graph.tickCount, 3.3333333333333335);
  graph.SetScale(0, 100, 10);
  EXPECT_EQ(graph.tickCount, 10.0);
  // 3 x 0.3 falls short of 0.9 in double arithmetic, so one more tick.
  graph.SetScale(0, 0.9, 0.3);
  EXPECT_EQ(graph.tickCount, 4.0);
  EXPECT_EQ(graph.valueMin, 0.0);
  EXPECT_EQ(graph.valueMax, 0.9);
  EXPECT_EQ(graph.valueStep, 0.3);
}

TEST(CGraph, SetScaleWithoutFiniteTickCountGivesASingleTick) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(0, 100, 0);  // infinitely many steps
  EXPECT_EQ(graph.tickCount, 0.0);
  graph.SetScale(5, 5, 0);  // 0 / 0
  EXPECT_EQ(graph.tickCount, 0.0);
  graph.SetScale(-1e308, 1e308, 1);  // the range overflows
  EXPECT_EQ(graph.tickCount, 0.0);
  // A negative step keeps its negative count: the scale shows no ticks.
  graph.SetScale(0, 100, -10);
  EXPECT_EQ(graph.tickCount, -10.0);
}

TEST(CGraph, SeriesCountIsTheLargestValueCount) {
  CGraph graph(LINE_GRAPH_KIND);
  auto four = std::make_unique<CGraphCategory>();
  for (int i = 0; i < 4; ++i) four->AddValue(i, i);
  auto two = std::make_unique<CGraphCategory>();
  two->AddValue(0, 1);
  two->AddValue(1, 2);
  graph.AddCategory(std::move(four));
  graph.AddCategory(std::move(two));
  EXPECT_EQ(graph.seriesCount, 4.0);
  EXPECT_EQ(graph.categoryList.size(), 2u);
}

TEST(CGraph, GetSeriesColorBoundaries) {
  CGraph graph(LINE_GRAPH_KIND);
  EXPECT_EQ(graph.GetSeriesColor(0), 0u);
  EXPECT_EQ(graph.GetSeriesColor(-1), 0u);
  graph.AddSeriesColor(0, 0x0000FF);
  graph.AddSeriesColor(1, 0x00FF00);
  graph.AddSeriesColor(2, 0xFF0000);
  EXPECT_EQ(graph.GetSeriesColor(2), 0xFF0000u);
  EXPECT_EQ(graph.GetSeriesColor(3), 0u);
  EXPECT_EQ(graph.GetSeriesColor(100), 0u);
  EXPECT_EQ(graph.GetSeriesColor(-5), 0x0000FFu);
}

TEST(CGraph, SeriesNamesAndLegendSwitch) {
  CGraph graph(LINE_GRAPH_KIND);
  EXPECT_EQ(graph.seriesNames.GetName(0), "");
  EXPECT_EQ(graph.seriesNames.GetName(-1), "");
  graph.AddSeriesName(0, "Sales");
  graph.AddSeriesName(1, "Overheads");
  graph.AddSeriesName(2, "");
  EXPECT_EQ(graph.legendShown, 1);
  EXPECT_EQ(graph.seriesNames.GetMaxNameLength(), 9);
  EXPECT_EQ(graph.seriesNames.GetName(1), "Overheads");
  EXPECT_EQ(graph.seriesNames.GetName(3), "");
  EXPECT_EQ(graph.seriesNames.GetName(-7), "Sales");
}

TEST(CGraph, CategoryAxisTitleLengthFollowsTheTitle) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetCategoryAxisTitle("Months");
  EXPECT_EQ(graph.categoryTitleLength, 6.0);
  graph.SetCategoryAxisTitle("");
  EXPECT_EQ(graph.categoryTitleLength, 0.0);
}

TEST(CGraphCategory, GetValueFindsTheFirstPointOfASeries) {
  CGraphCategory category;
  EXPECT_EQ(category.GetValue(0), 0.0);
  category.AddValue(0, 1.5);
  category.AddValue(1, MISSING_VALUE);
  EXPECT_EQ(category.GetValue(0), 1.5);
  EXPECT_EQ(category.GetValue(1), MISSING_VALUE);
  EXPECT_EQ(category.GetValue(2), 0.0);
  EXPECT_EQ(category.GetValue(-1), 0.0);
  // Points out of series order, and a second point for series 1: the first wins.
  category.AddValue(1, 7.0);
  category.AddValue(5, 2.0);
  EXPECT_EQ(category.GetValue(1), MISSING_VALUE);
  EXPECT_EQ(category.GetValue(5), 2.0);
  EXPECT_EQ(category.GetValueCount(), 4);
}

TEST(MissingValue, IsTheLowestFiniteDouble) {
  const double missing = MISSING_VALUE;
  std::uint64_t bits;
  std::memcpy(&bits, &missing, sizeof bits);
  EXPECT_EQ(bits, 0xFFEFFFFFFFFFFFFFull);
}

TEST(DefaultSeriesColors, MatchTheTableAsRgb) {
  struct Rgb {
    int red, green, blue;
  };
  const Rgb expected[DEFAULT_SERIES_COLOR_COUNT] = {
      {255, 0, 0},     {0, 255, 0},     {0, 0, 255},     {255, 0, 255},   {0, 255, 255},
      {135, 0, 0},     {0, 128, 0},     {0, 0, 128},     {128, 128, 0},   {128, 0, 128},
      {0, 128, 128},   {255, 102, 0},   {192, 192, 192}, {128, 128, 128}, {153, 153, 255},
      {153, 51, 102},  {255, 255, 204}, {204, 255, 255}, {102, 0, 102},   {255, 128, 128},
      {0, 102, 204},   {204, 204, 255}, {133, 3, 0},     {0, 204, 255},   {204, 255, 204},
      {255, 255, 153}, {153, 204, 255}, {255, 153, 204}, {204, 153, 255}, {255, 204, 153},
      {51, 102, 255},  {51, 204, 204},  {153, 204, 0},   {255, 204, 0},   {255, 153, 0},
      {102, 102, 153}, {150, 150, 150}, {0, 51, 102},    {51, 153, 102},  {0, 51, 0},
      {51, 51, 0},     {153, 51, 0},    {51, 51, 153},   {51, 51, 51},    {8, 6, 0},
      {255, 255, 0}};
  for (int i = 0; i < DEFAULT_SERIES_COLOR_COUNT; ++i) {
    const std::uint32_t color = defaultSeriesColors[static_cast<std::size_t>(i)];
    EXPECT_EQ(static_cast<int>(color & 0xFF), expected[i].red) << "entry " << i;
    EXPECT_EQ(static_cast<int>((color >> 8) & 0xFF), expected[i].green) << "entry " << i;
    EXPECT_EQ(static_cast<int>((color >> 16) & 0xFF), expected[i].blue) << "entry " << i;
  }
  EXPECT_EQ(DefaultSeriesColor(46), DefaultSeriesColor(0));
  EXPECT_EQ(DefaultSeriesColor(47 + 46), DefaultSeriesColor(1));
}

TEST(PointMarkers, OnlyZeroAndOneChangeTheSwitch) {
  EXPECT_EQ(SetPointMarkers(0), 0);
  EXPECT_EQ(SetPointMarkers(-1), 0);
  EXPECT_EQ(SetPointMarkers(7), 0);
  EXPECT_EQ(SetPointMarkers(1), 1);
  EXPECT_EQ(SetPointMarkers(-1), 1);
}

}  // namespace
}  // namespace trendel
