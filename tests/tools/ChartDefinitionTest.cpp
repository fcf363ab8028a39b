// The chart command's reading of definitions: every bad input names its field
// and what was expected.
#include "ChartDefinition.h"

#include "trendel.h"

#include <gtest/gtest.h>

namespace trendel::cli {
namespace {

const char VALID[] = R"({"title": "Sales", "seriesNames": ["North", "South"],
  "seriesColors": ["#FF8000"], "categoryNames": ["Jan", "Feb"],
  "values": [[1, null], [3, 4.5]], "showGrid": true, "labelAngle": -30,
  "scaleMode": "BY_STEP", "step": 0.5, "stepCount": 4, "rangeMin": -1, "rangeMax": 9,
  "sortCategories": true, "pointMarkers": false, "legendTitle": "Region",
  "categoryAxisTitle": "Month", "valueAxisTitle": "Units", "kind": "LINE_GRAPH"})";

std::string ErrorOf(const std::string &json) {
  try {
    ParseDefinition(json);
  } catch (const DefinitionError &error) {
    return error.what();
  }
  return "no error";
}

TEST(ChartDefinition, ReadsEveryField) {
  const ChartDefinition definition = ParseDefinition(VALID);
  EXPECT_EQ(definition.title, "Sales");
  EXPECT_EQ(definition.seriesNames, (std::vector<std::string>{"North", "South"}));
  ASSERT_EQ(definition.seriesColors.size(), 1u);
  EXPECT_EQ(definition.seriesColors[0], 0x0080FFu);  // 0x00BBGGRR
  EXPECT_EQ(definition.values[0][1], TRENDEL_MISSING_VALUE);
  EXPECT_EQ(definition.values[1][1], 4.5);
  EXPECT_TRUE(definition.showGrid);
  EXPECT_FALSE(definition.pointMarkers);
  EXPECT_TRUE(definition.sortCategories);
  EXPECT_EQ(definition.labelAngle, -30);
  EXPECT_EQ(definition.scaleMode, "BY_STEP");
  EXPECT_EQ(definition.step, 0.5);
  EXPECT_EQ(definition.stepCount, 4);
  EXPECT_EQ(definition.rangeMin, -1.0);
  EXPECT_EQ(definition.rangeMax, 9.0);
  EXPECT_EQ(definition.legendTitle, "Region");
}

TEST(ChartDefinition, BadInputNamesTheFieldAndWhatWasExpected) {
  const std::string data = R"("seriesNames": ["A"], "categoryNames": ["x", "y"])";
  const struct {
    std::string json;
    std::string message;
  } cases[] = {
      {"{", "not valid JSON"},
      {"[]", "definition: expected a JSON object"},
      {"{" + data + R"(, "values": [[1, 2]], "colour": 1})", "unknown field \"colour\""},
      {"{" + data + R"(, "values": [[1, 2, 3]]})",
       "values[0]: expected 2 numbers or nulls (one per category), got 3"},
      {"{" + data + R"(, "values": [[1]]})", "values[0]: expected 2 numbers or nulls"},
      {"{" + data + R"(, "values": [1, 2]})", "values[0]: expected an array of numbers or nulls"},
      {"{" + data + R"(, "values": [[1, "2"]]})", "values[0][1]: expected a number"},
      {"{" + data + R"(, "values": [[1, 2]], "seriesColors": ["red"]})",
       "seriesColors[0]: expected a colour written as \"#RRGGBB\", got \"red\""},
      {"{" + data + R"(, "values": [[1, 2]], "seriesColors": ["#12345G"]})",
       "seriesColors[0]: expected a colour"},
      {"{" + data + R"(, "values": [[1, 2]], "labelAngle": 4.5})",
       "labelAngle: expected a whole number"},
      {"{" + data + R"(, "values": [[1, 2]], "stepCount": 1e12})", "stepCount: expected a whole"},
      {"{" + data + R"(, "values": [[1, 2]], "showGrid": 1})", "showGrid: expected true or false"},
      {"{" + data + R"(, "values": [[1, 2]], "title": 5})", "title: expected a string"},
      {"{" + data + R"(, "values": [[1, 2]], "categoryNames": ["x", 2]})",
       "categoryNames[1]: expected a string"},
      {R"({"categoryNames": ["x"], "values": [[1]]})", "seriesNames: expected at least one"},
      {R"({"seriesNames": ["A"], "values": [[1]]})", "categoryNames: expected at least one"},
      {"{" + data + "}", "values: expected at least one row"},
  };
  for (const auto &testCase : cases) {
    EXPECT_NE(ErrorOf(testCase.json).find(testCase.message), std::string::npos)
        << testCase.json << "\n  gave: " << ErrorOf(testCase.json);
  }
}

TEST(ChartDefinition, DataFieldsMustNotCompeteWithCsv) {
  EXPECT_NO_THROW(ParseDefinition(R"({"title": "T"})", true));
  EXPECT_THROW(ParseDefinition(R"({"values": [[1]]})", true), DefinitionError);
}

TEST(CsvData, HeaderRowThenOneRowPerSeries) {
  ChartDefinition definition;
  ReadCsvData("series,Jan,\"Feb, early\",Mar\r\nNorth,1,,3\n\n\"South \"\"A\"\"\",4,5.5,6\n",
              definition);
  EXPECT_EQ(definition.categoryNames, (std::vector<std::string>{"Jan", "Feb, early", "Mar"}));
  EXPECT_EQ(definition.seriesNames, (std::vector<std::string>{"North", "South \"A\""}));
  EXPECT_EQ(definition.values[0][1], TRENDEL_MISSING_VALUE);
  EXPECT_EQ(definition.values[1][1], 5.5);
  EXPECT_NO_THROW(ValidateData(definition));
}

TEST(CsvData, BadRowsNameTheirLine) {
  const struct {
    std::string csv;
    std::string message;
  } cases[] = {
      {"", "expected a header row"},
      {"s,Jan\n", "expected at least one series row"},
      {"s\n", "line 1: expected a leading cell and at least one category name"},
      {"s,Jan,Feb\nA,1\n", "line 2: expected a series name and 2 values, got 2 cells"},
      {"s,Jan\nA,one\n", "line 2, column 2: expected a number or an empty cell, got \"one\""},
      {"s,Jan\nA,1e999\n", "line 2, column 2: expected a number"},
      {"s,\"Jan\nA,1\n", "line 1: unterminated quote"},
  };
  for (const auto &testCase : cases) {
    ChartDefinition definition;
    try {
      ReadCsvData(testCase.csv, definition);
      ADD_FAILURE() << "no error for: " << testCase.csv;
    } catch (const DefinitionError &error) {
      EXPECT_NE(std::string(error.what()).find(testCase.message), std::string::npos)
          << error.what();
    }
  }
}

TEST(ImageSize, WidthByHeightBothAtLeastOne) {
  const ImageSize size = ParseSize("640x480");
  EXPECT_EQ(size.width, 640);
  EXPECT_EQ(size.height, 480);
  for (const char *bad : {"0x5", "5x0", "-3x4", "640", "x480", "640x", "10x10x10", "axb", ""}) {
    EXPECT_THROW(ParseSize(bad), DefinitionError) << bad;
  }
}

}  // namespace
}  // namespace trendel::cli
