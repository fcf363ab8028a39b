#include "DefinitionFiles.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace trendel::cli {

std::string ReadAll(const std::string &path) {
  if (path == "-") {
    return std::string(std::istreambuf_iterator<char>(std::cin), {});
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DefinitionError(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ChartDefinition ReadDefinition(const DefinitionSource &source) {
  const bool csv = !source.csvPath.empty();
  ChartDefinition definition;
  if (!source.definitionPath.empty()) {
    const std::string name = source.definitionPath == "-" ? "standard input" : source.definitionPath;
    try {
      definition = ParseDefinition(ReadAll(source.definitionPath), csv);
    } catch (const DefinitionError &error) {
      throw DefinitionError(name + ": " + error.what());
    }
  }
  if (csv) {
    try {
      ReadCsvData(ReadAll(source.csvPath), definition);
      ValidateData(definition);
    } catch (const DefinitionError &error) {
      throw DefinitionError(source.csvPath + ": " + error.what());
    }
  }
  return definition;
}

}  // namespace trendel::cli
