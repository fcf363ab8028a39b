// The arithmetic of the axes: which value ticks are drawn and where, their
// labels, and the placement and crowding of the category labels.
#include "render/Axes.h"
#include "render/Layout.h"
#include "render/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace trendel {
namespace {

std::vector<std::string> LabelsFor(double min, double max, double step) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.SetScale(min, max, step);
  return ValueLabels(graph, PlanValueTicks(graph.tickCount, 290));
}

// The y of each tick, as DrawAxes computes and truncates it.
std::vector<std::int32_t> TickRows(double tickCount, double plotHeight, std::int32_t bottomY) {
  const ValueTicks ticks = PlanValueTicks(tickCount, plotHeight);
  std::vector<std::int32_t> rows;
  for (std::int32_t tick = 0; tick < ticks.count; ++tick) {
    rows.push_back(static_cast<std::int32_t>(bottomY - tick * ticks.stride * ticks.unit));
  }
  return rows;
}

TEST(ValueTicks, StandAtWholeMultiplesUpToTickCount) {
  const ValueTicks ticks = PlanValueTicks(10.0, 290);
  EXPECT_EQ(ticks.count, 11);
  EXPECT_EQ(ticks.unit, 28.0);
  EXPECT_EQ(TickRows(10.0, 290, 330).back(), 50);
  // A fractional count stops below the top of the scale.
  EXPECT_EQ(TickRows(3.3333333333333335, 290, 330), (std::vector<std::int32_t>{330, 246, 162, 78}));
  EXPECT_EQ(LabelsFor(0, 100, 30), (std::vector<std::string>{"0", "30", "60", "90"}));
  EXPECT_EQ(LabelsFor(0, 5, 10), (std::vector<std::string>{"0"}));
}

// A tickCount without a finite distance between ticks leaves one tick at the
// bottom of the scale, labelled valueMin, and never a NaN position.
TEST(ValueTicks, DegenerateTickCountsGiveTheBottomTick) {
  for (const double tickCount : {0.0, 1e-310, std::nan(""), std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(tickCount);
    const ValueTicks ticks = PlanValueTicks(tickCount, 290);
    EXPECT_EQ(ticks.count, 1);
    EXPECT_EQ(ticks.unit, 0.0);
  }
  EXPECT_EQ(LabelsFor(7, 7, 1), (std::vector<std::string>{"7"}));     // empty range
  EXPECT_EQ(LabelsFor(0, 100, 0), (std::vector<std::string>{"0"}));   // step 0
  // A negative tickCount (a negative step) draws no value scale at all.
  EXPECT_EQ(PlanValueTicks(-std::numeric_limits<double>::infinity(), 290).count, 0);
  EXPECT_TRUE(LabelsFor(0, 100, -10).empty());
}

TEST(ValueTicks, TicksDenserThanPixelsAreThinned) {
  // A step of 1e-300 on a range of 100: 1e302 ticks would never end. About
  // one tick per pixel row is drawn, spanning the whole scale.
  const ValueTicks ticks = PlanValueTicks(1e302, 290);
  EXPECT_GE(ticks.count, 200);
  EXPECT_LE(ticks.count, 281);
  EXPECT_NEAR((ticks.count - 1) * ticks.stride * ticks.unit, 280.0, 1.0);
  const std::vector<std::string> labels = LabelsFor(0, 100, 1e-300);
  EXPECT_EQ(labels.front(), "0.000000");
  EXPECT_NEAR(std::stod(labels.back()), 100.0, 0.5);
  // Up to 100 ticks are drawn one by one, even on a short scale, and a scale
  // as tall as the largest target still has a bounded count.
  EXPECT_EQ(PlanValueTicks(100.0, 20).stride, 1.0);
  EXPECT_EQ(PlanValueTicks(400.0, 20).count, 101);
  EXPECT_LE(PlanValueTicks(1e9, 2e9).count, 100001);
}

TEST(ValueLabels, ShareTheirDecimals) {
  EXPECT_EQ(LabelsFor(0, 10, 2.5), (std::vector<std::string>{"0.0", "2.5", "5.0", "7.5", "10.0"}));
  EXPECT_EQ(LabelsFor(0, 100, 25), (std::vector<std::string>{"0", "25", "50", "75", "100"}));
  EXPECT_EQ(LabelsFor(0, 1.5, 0.5), (std::vector<std::string>{"0.0", "0.5", "1.0", "1.5"}));
  const std::vector<std::string> quarters = LabelsFor(-1, 1, 0.25);
  EXPECT_EQ(std::vector<std::string>(quarters.begin(), quarters.begin() + 6),
            (std::vector<std::string>{"-1.00", "-0.75", "-0.50", "-0.25", "0.00", "0.25"}));
}

// Most numbers are written without snprintf; they must come out as "%f"
// writes them. Seeded doubles of every size from 2^-60 to 2^60 (some with
// short mantissas, to reach the exact ties), their negatives, and the
// halfway cases k / 128 that round to even.
TEST(NumberText, FixedNotationMatchesPrintf) {
  std::mt19937_64 random(1906);
  std::uniform_int_distribution<int> exponent(-60, 60), mantissaBits(1, 53);
  const auto expectLikePrintf = [](double value, const std::string &trace) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%f", value);
    ASSERT_EQ(FormatNumber(value, TrailingZeros::Keep), expected) << trace;
  };
  for (int iteration = 0; iteration < 200000; ++iteration) {
    const int bits = mantissaBits(random);
    const auto mantissa = static_cast<double>(random() >> (64 - bits) | 1);
    const double value = std::ldexp(mantissa, exponent(random) - bits);
    const std::string trace = "seed 1906, iteration " + std::to_string(iteration);
    ASSERT_NO_FATAL_FAILURE(expectLikePrintf(iteration % 2 ? -value : value, trace));
  }
  for (int numerator = 0; numerator < 4096; ++numerator) {
    ASSERT_NO_FATAL_FAILURE(
        expectLikePrintf(numerator / 128.0, std::to_string(numerator) + " / 128"));
  }
  for (const double value :
       {0.0, -0.0, 1e-320, -1e-320, 0.9999995, 0.9999994999, 9007199254740991.0, 9007199254740992.0,
        1e300, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    ASSERT_NO_FATAL_FAILURE(expectLikePrintf(value, std::to_string(value)));
  }
}

// A host that sets a numeric locale with a decimal comma gets the labels
// "%f" gives there, as it always did, not the plain-point fast path's. The
// locale is compiled for the test (Debian's "locales" package).
TEST(NumberText, ADecimalCommaLocaleKeepsPrintfsText) {
  char folder[] = "/tmp/trendel-locale-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string compile = std::string("localedef -i de_DE -f UTF-8 ") + folder +
                              "/de_DE.UTF-8 >/dev/null 2>&1";
  const bool compiled = std::system(compile.c_str()) == 0;
  setenv("LOCPATH", folder, 1);
  const bool set = compiled && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  std::string twelveAndAHalf, aQuarter;
  if (set) {
    twelveAndAHalf = FormatNumber(12.5, TrailingZeros::Keep);
    aQuarter = FormatNumber(0.25, TrailingZeros::Keep);
    std::setlocale(LC_NUMERIC, "C");
  }
  unsetenv("LOCPATH");
  std::system((std::string("rm -rf ") + folder).c_str());
  if (!set) GTEST_SKIP() << "no de_DE locale could be compiled (localedef, locales)";
  EXPECT_EQ(twelveAndAHalf, "12,500000");
  EXPECT_EQ(aQuarter, "0,250000");
  EXPECT_EQ(FormatNumber(12.5, TrailingZeros::Keep), "12.500000");
}

TEST(NumberText, FixedNotationWithOrWithoutTrailingZeros) {
  EXPECT_EQ(FormatNumber(12.5, TrailingZeros::Remove), "12.5");
  EXPECT_EQ(FormatNumber(12.5, TrailingZeros::Keep), "12.500000");
  EXPECT_EQ(FormatNumber(100, TrailingZeros::Remove), "100");
  EXPECT_EQ(FormatNumber(0.1 + 0.2, TrailingZeros::Remove), "0.3");
  EXPECT_EQ(FormatNumber(1e-7, TrailingZeros::Remove), "0");
  EXPECT_EQ(FormatNumber(1e-7, TrailingZeros::Keep), "0.000000");
  EXPECT_EQ(FormatNumber(-1e-7, TrailingZeros::Remove), "-0");
  // The ends of the double range: 309 digits, nothing cut.
  EXPECT_EQ(FormatNumber(1e308, TrailingZeros::Keep).size(), 316u);
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::max(), TrailingZeros::Remove).size(), 310u);
  EXPECT_EQ(RepeatString("ab", 2), "abab");
  EXPECT_EQ(RepeatString("0", -4), "");
}

// FormatNumber writes into a buffer sized for the longest "%f" text; every
// text, from the longest to inf and nan, must be the C library's in full.
TEST(NumberText, EveryTextIsTheWholeOfTheCLibrarysFixedNotation) {
  const auto plain = [](double value) {
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%f", value)) + 1, '\0');
    text.resize(static_cast<std::size_t>(std::snprintf(text.data(), text.size(), "%f", value)));
    return text;
  };
  constexpr double HUGE_DOUBLE = std::numeric_limits<double>::max();
  std::vector<double> values = {0.0,
                                -0.0,
                                HUGE_DOUBLE,
                                -HUGE_DOUBLE,
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                0.0000005,
                                2.5e-6};
  constexpr unsigned SEED = 13;
  std::mt19937_64 random(SEED);
  for (int i = 0; i < 2000; ++i) {
    const double magnitude = std::ldexp(1.0, static_cast<int>(random() % 2000) - 1000);
    values.push_back((static_cast<double>(random() % 2000001) - 1000000.0) / 1000.0 * magnitude);
  }
  // Whole numbers of every length of digits up to where doubles stop being
  // whole-number exact, and past it.
  for (double power = 1; power <= 1e17; power *= 10) {
    for (const double whole : {power - 1, power, power + 1, std::floor(power * 0.7), -power}) {
      values.push_back(whole);
    }
  }
  for (int i = 0; i < 2000; ++i) {
    values.push_back(static_cast<double>(static_cast<std::int64_t>(random() % 2000000000000001) -
                                         1000000000000000));
  }
  for (const double value : values) {
    const std::string expected = plain(value);
    ASSERT_EQ(FormatNumber(value, TrailingZeros::Keep), expected) << "seed " << SEED;
    std::string trimmed = expected;
    if (trimmed.find('.') != std::string::npos) {
      trimmed.erase(trimmed.find_last_not_of('0') + 1);
      if (trimmed.back() == '.') trimmed.pop_back();
    }
    ASSERT_EQ(FormatNumber(value, TrailingZeros::Remove), trimmed) << "seed " << SEED;
  }
}

// Twenty categories of ten-character labels across 480 pixels, in a label
// font 6 pixels wide: each drawn label ends 30 pixels right of its centre
// and the next needs the previous to end left of its centre minus 40.
TEST(CategoryLabels, CrowdedLabelsAreLeftOut) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.bottomY = 330;
  std::vector<std::int64_t> drawn;
  std::int32_t lastRight = -1;
  for (std::int64_t k = 1; k <= 20; ++k) {
    const double centre = SlotCentre(k, 20, 480, 110);
    if (!LabelHasRoom(lastRight, centre, 10)) continue;
    drawn.push_back(k);
    const LabelPlacement placement = PlaceCategoryLabel(graph, centre, 10, 6);
    EXPECT_EQ(placement.right, static_cast<std::int32_t>(centre) + 30);
    EXPECT_EQ(placement.y, 338);
    lastRight = placement.right;
  }
  EXPECT_EQ(drawn, (std::vector<std::int64_t>{1, 4, 7, 10, 13, 16, 19}));
  // The first label is left out when x - 4n is -1 or less.
  EXPECT_FALSE(LabelHasRoom(-1, 39.0, 10));
  EXPECT_TRUE(LabelHasRoom(-1, 39.5, 10));
}

TEST(CategoryLabels, RotatedLabelsStartBesideOrBelowTheirCategory) {
  CGraph graph(LINE_GRAPH_KIND);
  graph.bottomY = 300;
  graph.SetCategoryAxisTitle("Period");  // 6 characters
  graph.SetLabelAngle(90);
  LabelPlacement placement = PlaceCategoryLabel(graph, 200.0, 4, 5);
  EXPECT_EQ(placement.x, 192);
  EXPECT_EQ(placement.y, 330);
  EXPECT_EQ(placement.right, 212);
  graph.SetLabelAngle(-30);  // counts as below 180
  placement = PlaceCategoryLabel(graph, 200.0, 4, 5);
  EXPECT_EQ(placement.x, 192);
  EXPECT_EQ(placement.y, 330);
  for (const std::int32_t angle : {180, 270}) {
    graph.SetLabelAngle(angle);
    placement = PlaceCategoryLabel(graph, 200.5, 4, 5);
    EXPECT_EQ(placement.x, 202);
    EXPECT_EQ(placement.y, 300);
    EXPECT_EQ(placement.right, 222);
  }
}

}  // namespace
}  // namespace trendel
