// Reading a definition from its files, shared by the chart commands so that a
// bad file gives both the same one-line error.
#pragma once

#include "ChartDefinition.h"

#include <string>

namespace trendel::cli {

// Where a definition comes from: a JSON file ("-" for standard input), a CSV
// file for the data, or both (the JSON then holds everything but the data).
// At least one of the two is set.
struct DefinitionSource {
  std::string definitionPath;
  std::string csvPath;
};

// The whole file, or standard input for "-"; DefinitionError when it cannot
// be read.
std::string ReadAll(const std::string &path);

// The definition from its sources. Every DefinitionError names the file it
// comes from before the field: "chart.json: values[1]: expected ...".
ChartDefinition ReadDefinition(const DefinitionSource &source);

}  // namespace trendel::cli
