// A graph definition as the chart commands (trendel-render, trendel-view) read
// it: JSON whose fields map one to one onto the arguments of
// Trendel_SetValues, or CSV for the data part.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace trendel::cli {

struct ChartDefinition {
  std::string kind = "LINE_GRAPH";
  std::string title;
  std::int32_t labelAngle = 0;
  std::string categoryAxisTitle;
  std::string valueAxisTitle;
  std::string legendTitle;
  std::vector<std::string> seriesNames;
  std::vector<std::uint32_t> seriesColors;  // 0x00BBGGRR
  bool sortCategories = false;
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  bool showGrid = false;
  std::string scaleMode;
  double step = 0.0;
  std::int32_t stepCount = 0;
  bool pointMarkers = true;
  std::vector<std::string> categoryNames;
  std::vector<std::vector<double>> values;  // one row per series; missing values as TRENDEL_MISSING_VALUE
};

// A fault in the input, with a one-line message that names the field (or
// the CSV line) and says what was expected.
class DefinitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a JSON definition. With `dataFromCsv`, the data fields (seriesNames,
// categoryNames, values) come from elsewhere and must not appear.
ChartDefinition ParseDefinition(const std::string &json, bool dataFromCsv = false);

// Fills seriesNames, categoryNames and values from CSV: the first row holds
// the category names after one leading cell, each further row a series name
// and its values; an empty cell is a missing value.
void ReadCsvData(const std::string &csv, ChartDefinition &definition);

// Checks what the JSON reader checks for the data fields, whatever their source.
void ValidateData(const ChartDefinition &definition);

struct ImageSize {
  std::int32_t width = 800;
  std::int32_t height = 600;
};

// "WIDTHxHEIGHT", both at least 1.
ImageSize ParseSize(const std::string &text);

// "#RRGGBB" as a colour value 0x00BBGGRR.
std::uint32_t ParseColor(const std::string &text, const std::string &field);

// The fields of the JSON format, for the commands' --help, which the field
// errors point to.
extern const char DEFINITION_FIELDS_HELP[];

}  // namespace trendel::cli
