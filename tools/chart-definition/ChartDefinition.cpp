#include "ChartDefinition.h"

#include "trendel.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

namespace trendel::cli {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string &field, const std::string &expected) {
  throw DefinitionError(field + ": expected " + expected);
}

std::string String(const json &value, const std::string &field) {
  if (!value.is_string()) Fail(field, "a string");
  return value.get<std::string>();
}

bool Boolean(const json &value, const std::string &field) {
  if (!value.is_boolean()) Fail(field, "true or false");
  return value.get<bool>();
}

double Number(const json &value, const std::string &field) {
  if (!value.is_number()) Fail(field, "a number");
  return value.get<double>();
}

std::int32_t Integer(const json &value, const std::string &field) {
  const double number = Number(value, field);
  if (number != std::floor(number) || number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    Fail(field, "a whole number between -2147483648 and 2147483647");
  }
  return static_cast<std::int32_t>(number);
}

const json &Array(const json &value, const std::string &field) {
  if (!value.is_array()) Fail(field, "an array");
  return value;
}

std::vector<std::string> Strings(const json &value, const std::string &field) {
  std::vector<std::string> texts;
  const json &array = Array(value, field);
  for (std::size_t i = 0; i < array.size(); ++i) {
    texts.push_back(String(array[i], field + "[" + std::to_string(i) + "]"));
  }
  return texts;
}

std::vector<std::uint32_t> Colors(const json &value, const std::string &field) {
  std::vector<std::uint32_t> colors;
  const json &array = Array(value, field);
  for (std::size_t i = 0; i < array.size(); ++i) {
    const std::string element = field + "[" + std::to_string(i) + "]";
    colors.push_back(ParseColor(String(array[i], element), element));
  }
  return colors;
}

std::vector<std::vector<double>> Values(const json &value, const std::string &field) {
  std::vector<std::vector<double>> rows;
  const json &array = Array(value, field);
  for (std::size_t r = 0; r < array.size(); ++r) {
    const std::string rowField = field + "[" + std::to_string(r) + "]";
    if (!array[r].is_array()) Fail(rowField, "an array of numbers or nulls (one row per series)");
    std::vector<double> row;
    for (std::size_t c = 0; c < array[r].size(); ++c) {
      const json &cell = array[r][c];
      if (cell.is_null()) {
        row.push_back(TRENDEL_MISSING_VALUE);
      } else {
        row.push_back(Number(cell, rowField + "[" + std::to_string(c) + "]"));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

using FieldReader = std::function<void(const json &, const std::string &, ChartDefinition &)>;

// Every field the definition may hold, and how it is read.
const std::map<std::string, FieldReader> &FieldReaders() {
  static const std::map<std::string, FieldReader> readers = {
      {"kind", [](auto &v, auto &f, auto &d) { d.kind = String(v, f); }},
      {"title", [](auto &v, auto &f, auto &d) { d.title = String(v, f); }},
      {"labelAngle", [](auto &v, auto &f, auto &d) { d.labelAngle = Integer(v, f); }},
      {"categoryAxisTitle", [](auto &v, auto &f, auto &d) { d.categoryAxisTitle = String(v, f); }},
      {"valueAxisTitle", [](auto &v, auto &f, auto &d) { d.valueAxisTitle = String(v, f); }},
      {"legendTitle", [](auto &v, auto &f, auto &d) { d.legendTitle = String(v, f); }},
      {"seriesNames", [](auto &v, auto &f, auto &d) { d.seriesNames = Strings(v, f); }},
      {"seriesColors", [](auto &v, auto &f, auto &d) { d.seriesColors = Colors(v, f); }},
      {"sortCategories", [](auto &v, auto &f, auto &d) { d.sortCategories = Boolean(v, f); }},
      {"rangeMin", [](auto &v, auto &f, auto &d) { d.rangeMin = Number(v, f); }},
      {"rangeMax", [](auto &v, auto &f, auto &d) { d.rangeMax = Number(v, f); }},
      {"showGrid", [](auto &v, auto &f, auto &d) { d.showGrid = Boolean(v, f); }},
      {"scaleMode", [](auto &v, auto &f, auto &d) { d.scaleMode = String(v, f); }},
      {"step", [](auto &v, auto &f, auto &d) { d.step = Number(v, f); }},
      {"stepCount", [](auto &v, auto &f, auto &d) { d.stepCount = Integer(v, f); }},
      {"pointMarkers", [](auto &v, auto &f, auto &d) { d.pointMarkers = Boolean(v, f); }},
      {"categoryNames", [](auto &v, auto &f, auto &d) { d.categoryNames = Strings(v, f); }},
      {"values", [](auto &v, auto &f, auto &d) { d.values = Values(v, f); }},
  };
  return readers;
}

bool IsDataField(const std::string &name) {
  return name == "seriesNames" || name == "categoryNames" || name == "values";
}

// Splits one CSV record, honouring quotes ("" inside quotes is a quote).
std::vector<std::string> CsvCells(const std::string &line, int lineNumber) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cells.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  if (quoted) throw DefinitionError("line " + std::to_string(lineNumber) + ": unterminated quote");
  return cells;
}

std::string Trimmed(const std::string &text) {
  std::size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

double CsvNumber(const std::string &cell, int lineNumber, std::size_t column) {
  const std::string text = Trimmed(cell);
  if (text.empty()) return TRENDEL_MISSING_VALUE;
  char *end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value)) {
    throw DefinitionError("line " + std::to_string(lineNumber) + ", column " +
                          std::to_string(column + 1) + ": expected a number or an empty cell, got \"" +
                          text + "\"");
  }
  return value;
}

}  // namespace

std::uint32_t ParseColor(const std::string &text, const std::string &field) {
  const bool wellFormed = text.size() == 7 && text[0] == '#' &&
                          std::all_of(text.begin() + 1, text.end(), [](char c) {
                            return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                          });
  if (!wellFormed) Fail(field, "a colour written as \"#RRGGBB\", got \"" + text + "\"");
  const auto rgb = static_cast<std::uint32_t>(std::strtoul(text.c_str() + 1, nullptr, 16));
  // The library takes colours as 0x00BBGGRR.
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

ChartDefinition ParseDefinition(const std::string &text, bool dataFromCsv) {
  json document;
  try {
    document = json::parse(text);
  } catch (const json::parse_error &error) {
    throw DefinitionError(std::string("not valid JSON: ") + error.what());
  }
  if (!document.is_object()) Fail("definition", "a JSON object");
  ChartDefinition definition;
  for (const auto &[name, value] : document.items()) {
    const auto reader = FieldReaders().find(name);
    if (reader == FieldReaders().end()) {
      throw DefinitionError("unknown field \"" + name + "\" (see --help for the fields)");
    }
    if (dataFromCsv && IsDataField(name)) {
      throw DefinitionError(name + ": comes from the --csv file and must not be given here too");
    }
    reader->second(value, name, definition);
  }
  if (!dataFromCsv) ValidateData(definition);
  return definition;
}

void ValidateData(const ChartDefinition &definition) {
  if (definition.seriesNames.empty()) Fail("seriesNames", "at least one series name");
  if (definition.categoryNames.empty()) Fail("categoryNames", "at least one category name");
  if (definition.values.empty()) Fail("values", "at least one row of values");
  const std::size_t columns = definition.categoryNames.size();
  for (std::size_t r = 0; r < definition.values.size(); ++r) {
    const std::size_t count = definition.values[r].size();
    if (count != columns) {
      Fail("values[" + std::to_string(r) + "]",
           std::to_string(columns) + " numbers or nulls (one per category), got " +
               std::to_string(count));
    }
  }
}

void ReadCsvData(const std::string &csv, ChartDefinition &definition) {
  std::istringstream lines(csv);
  std::string line;
  int lineNumber = 0;
  definition.seriesNames.clear();
  definition.categoryNames.clear();
  definition.values.clear();
  while (std::getline(lines, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trimmed(line).empty()) continue;
    std::vector<std::string> cells = CsvCells(line, lineNumber);
    if (definition.categoryNames.empty()) {
      if (cells.size() < 2) {
        throw DefinitionError("line " + std::to_string(lineNumber) +
                              ": expected a leading cell and at least one category name");
      }
      definition.categoryNames.assign(cells.begin() + 1, cells.end());
      continue;
    }
    if (cells.size() != definition.categoryNames.size() + 1) {
      throw DefinitionError("line " + std::to_string(lineNumber) + ": expected a series name and " +
                            std::to_string(definition.categoryNames.size()) + " values, got " +
                            std::to_string(cells.size()) + " cells");
    }
    definition.seriesNames.push_back(cells[0]);
    std::vector<double> row;
    for (std::size_t c = 1; c < cells.size(); ++c) row.push_back(CsvNumber(cells[c], lineNumber, c));
    definition.values.push_back(std::move(row));
  }
  if (definition.categoryNames.empty()) throw DefinitionError("expected a header row of category names");
  if (definition.values.empty()) throw DefinitionError("expected at least one series row after the header");
}

ImageSize ParseSize(const std::string &text) {
  const std::size_t cross = text.find('x');
  const auto dimension = [&text](const std::string &part) {
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(part.c_str(), &end, 10);
    if (part.empty() || end != part.c_str() + part.size() || errno == ERANGE || value < 1 ||
        value > 100000) {
      throw DefinitionError("--size: expected WIDTHxHEIGHT with both between 1 and 100000, got \"" +
                            text + "\"");
    }
    return static_cast<std::int32_t>(value);
  };
  if (cross == std::string::npos) dimension("");
  return ImageSize{dimension(text.substr(0, cross)), dimension(text.substr(cross + 1))};
}

const char DEFINITION_FIELDS_HELP[] = R"(The definition is a JSON object whose fields map one to one onto the
arguments of Trendel_SetValues; all are optional unless marked:
  kind               string, "LINE_GRAPH" (the default and the only kind)
  title              string, drawn centred at the top
  labelAngle         whole number, degrees the category labels are turned
                     counter-clockwise (0 = horizontal)
  categoryAxisTitle  string, under the horizontal axis
  valueAxisTitle     string, along the vertical axis
  legendTitle        string, heading of the legend
  seriesNames        array of strings, one per series (required, at least one)
  seriesColors       array of "#RRGGBB" colours for the first series; the
                     others get the library's default colours
  sortCategories     true or false, order the categories by name
  rangeMin, rangeMax numbers the value scale must include (default 0, 0)
  showGrid           true or false, dotted lines at the value ticks
  scaleMode          string, "BY_STEP" to use "step"; anything else divides
                     the range into "stepCount" steps
  step               number, the value step in "BY_STEP" mode
  stepCount          whole number of steps otherwise (below 1 means 10)
  pointMarkers       true or false, a small circle at every point (default true)
  categoryNames      array of strings, the labels along the horizontal axis
                     (required, at least one)
  values             array of rows, one per series; each row holds one number
                     or null (a missing value) per category (required)

Example:
  {"title": "Sales", "seriesNames": ["North", "South"],
   "categoryNames": ["Jan", "Feb", "Mar"],
   "values": [[12, 18, 9], [7, null, 15]], "showGrid": true}

)";

}  // namespace trendel::cli
