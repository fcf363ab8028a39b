// trendel-render: draws a graph definition through the library's exports on
// a headless window and saves it as PNG, GIF, JPEG or BMP.
#include "ChartDefinition.h"

#include "trendel.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using trendel::cli::ChartDefinition;
using trendel::cli::DefinitionError;

constexpr int EXIT_BAD_INPUT = 2;
constexpr int EXIT_NOT_SAVED = 3;

const char HELP[] = R"(Usage: trendel-render [DEFINITION.json | -] [--csv DATA.csv] -o OUTPUT [--size WxH]

Draws a line graph with the Trendel library and saves it. The output's
extension picks the format, in any letter case:
  .png            PNG, lossless (TrendelHost_SavePng)
  .gif            GIF, 256 colours
  .jpg, .jpeg     JPEG, quality 100
  anything else   BMP, 32 bits per pixel, under exactly the given name
                  (also a name without an extension)

Options:
  -o, --output FILE   the image to write (required)
  --size WxH          image size in pixels, each at least 1 (default 800x600)
  --csv FILE          take seriesNames, categoryNames and values from CSV: the
                      first row is a leading cell then the category names; each
                      further row is a series name then its values; an empty
                      cell is a missing value
  -h, --help          this text

The definition is a JSON object read from DEFINITION.json, or from standard
input for "-". Its fields map one to one onto the arguments of
Trendel_SetValues; all are optional unless marked:
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

Exit status: 0 saved, 2 bad arguments or input, 3 the image could not be saved.
)";

struct Options {
  std::string definitionPath;
  std::string csvPath;
  std::string outputPath;
  trendel::cli::ImageSize size;
  bool help = false;
};

Options ParseArguments(int argc, char **argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw DefinitionError(argument + ": expected a value after it");
      return argv[++i];
    };
    if (argument == "-h" || argument == "--help") {
      options.help = true;
    } else if (argument == "-o" || argument == "--output") {
      options.outputPath = value();
    } else if (argument == "--size") {
      options.size = trendel::cli::ParseSize(value());
    } else if (argument == "--csv") {
      options.csvPath = value();
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw DefinitionError("unknown option " + argument + " (see --help)");
    } else if (options.definitionPath.empty()) {
      options.definitionPath = argument;
    } else {
      throw DefinitionError("more than one definition given: " + argument);
    }
  }
  if (!options.help && options.outputPath.empty()) {
    throw DefinitionError("-o: expected the output file name");
  }
  if (!options.help && options.definitionPath.empty() && options.csvPath.empty()) {
    throw DefinitionError("expected a definition file, \"-\" for standard input, or --csv FILE");
  }
  return options;
}

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

// The definition from its JSON and CSV sources; errors name the file.
ChartDefinition LoadDefinition(const Options &options) {
  const bool csv = !options.csvPath.empty();
  ChartDefinition definition;
  if (!options.definitionPath.empty()) {
    const std::string name = options.definitionPath == "-" ? "standard input" : options.definitionPath;
    try {
      definition = trendel::cli::ParseDefinition(ReadAll(options.definitionPath), csv);
    } catch (const DefinitionError &error) {
      throw DefinitionError(name + ": " + error.what());
    }
  }
  if (csv) {
    try {
      trendel::cli::ReadCsvData(ReadAll(options.csvPath), definition);
      trendel::cli::ValidateData(definition);
    } catch (const DefinitionError &error) {
      throw DefinitionError(options.csvPath + ": " + error.what());
    }
  }
  return definition;
}

int32_t Load(HWND window, const ChartDefinition &definition) {
  std::vector<const char *> seriesNames, categoryNames;
  for (const auto &name : definition.seriesNames) seriesNames.push_back(name.c_str());
  for (const auto &name : definition.categoryNames) categoryNames.push_back(name.c_str());
  const std::size_t columns = definition.categoryNames.size();
  std::vector<double> matrix;
  for (const auto &row : definition.values) matrix.insert(matrix.end(), row.begin(), row.end());
  return Trendel_SetValues(
      window, definition.kind.c_str(), definition.title.c_str(), definition.labelAngle,
      definition.categoryAxisTitle.c_str(), definition.valueAxisTitle.c_str(),
      definition.legendTitle.c_str(), seriesNames.data(), static_cast<int32_t>(seriesNames.size()),
      definition.seriesColors.data(), static_cast<int32_t>(definition.seriesColors.size()),
      definition.sortCategories ? 1 : 0, definition.rangeMin, definition.rangeMax,
      definition.showGrid ? 1 : 0, definition.scaleMode.c_str(), definition.step,
      definition.stepCount, definition.pointMarkers ? 1 : 0, categoryNames.data(),
      static_cast<int32_t>(categoryNames.size()), matrix.data(),
      static_cast<int32_t>(definition.values.size()), static_cast<int32_t>(columns));
}

// The name the library writes to first: beside the output, so that the final
// rename cannot cross file systems, and with the same extension decision, so
// that the format is what the output's own name gives.
std::string StagingPath(const std::string &output) {
  const std::size_t slash = output.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "" : output.substr(0, slash + 1);
  std::string name = output.substr(directory.size());
  // A name whose only dot is its very first character has no extension for
  // the library (".gif" is a BMP file); keep it so behind the prefix.
  if (output.find_last_of('.') == 0) name = name.substr(1);
  return directory + ".trendel-render-" + std::to_string(getpid()) + "-" + name;
}

// ".png" at the end of the name, in any case, and not as the whole name: a
// name whose only dot is its first character has no extension.
bool IsPngName(const std::string &path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  std::string extension = name.substr(dot);
  for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".png";
}

bool NonEmptyFile(const std::string &path) {
  struct stat status{};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
}

// Trendel_SaveFile's formats through a staging name the command renames,
// PNG through TrendelHost_SavePng, which does that itself.
bool Save(const Options &options, HWND window) {
  if (IsPngName(options.outputPath)) {
    return TrendelHost_SavePng(window, options.outputPath.c_str(), options.size.width,
                               options.size.height) == TRENDEL_OK;
  }
  const std::string staging = StagingPath(options.outputPath);
  Trendel_SaveFile(window, staging.c_str(), options.size.width, options.size.height);
  if (!NonEmptyFile(staging) || std::rename(staging.c_str(), options.outputPath.c_str()) != 0) {
    std::remove(staging.c_str());
    return false;
  }
  return true;
}

int Render(const Options &options, const ChartDefinition &definition) {
  HWND window = TrendelHost_CreateWindow(options.size.width, options.size.height);
  if (window == nullptr) {
    std::cerr << "trendel-render: cannot make a " << options.size.width << "x"
              << options.size.height << " window (out of memory?)\n";
    return EXIT_NOT_SAVED;
  }
  int status = 0;
  const int32_t loaded = Load(window, definition);
  if (loaded != TRENDEL_OK) {
    std::cerr << "trendel-render: the library refused the definition (code " << loaded << ")\n";
    status = EXIT_BAD_INPUT;
  } else {
    Trendel_DrawGraph(window);
    if (!Save(options, window)) {
      std::cerr << "trendel-render: " << options.outputPath << ": could not be written\n";
      status = EXIT_NOT_SAVED;
    }
  }
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  try {
    const Options options = ParseArguments(argc, argv);
    if (options.help) {
      std::cout << HELP;
      return 0;
    }
    return Render(options, LoadDefinition(options));
  } catch (const DefinitionError &error) {
    std::cerr << "trendel-render: " << error.what() << "\n";
    return EXIT_BAD_INPUT;
  } catch (const std::exception &error) {
    std::cerr << "trendel-render: " << error.what() << "\n";
    return EXIT_NOT_SAVED;
  }
}
