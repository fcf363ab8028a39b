// trendel-render: loads a graph definition through the library's exports
// into a headless window and saves it as PNG, GIF, JPEG or BMP.
#include "ChartLoading.h"
#include "DefinitionFiles.h"

#include "trendel.h"

#include <cctype>
#include <iostream>
#include <string>

namespace {

using trendel::cli::ChartDefinition;
using trendel::cli::DefinitionError;

constexpr int EXIT_BAD_INPUT = 2;
constexpr int EXIT_NOT_SAVED = 3;

const char HELP_HEAD[] = R"(Usage: trendel-render [DEFINITION.json | -] [--csv DATA.csv] -o OUTPUT [--size WxH]

Draws a line graph with the Trendel library and saves it. The output's
extension picks the format, in any letter case:
  .png            PNG, lossless (TrendelHost_SavePng)
  .gif            GIF, 256 colours
  .jpg, .jpeg     JPEG, quality 100
  anything else   BMP, 32 bits per pixel, under exactly the given name
                  (also a name without an extension)
An existing file is replaced only by a complete image; a device or a pipe
(-o /dev/stdout) is written directly.

Options:
  -o, --output FILE   the image to write (required)
  --size WxH          image size in pixels, each at least 1 (default 800x600)
  --csv FILE          take seriesNames, categoryNames and values from CSV: the
                      first row is a leading cell then the category names; each
                      further row is a series name then its values; an empty
                      cell is a missing value
  -h, --help          this text

It reads the definition from DEFINITION.json, or from standard input for "-".

)";

const char HELP_TAIL[] = R"(
Exit status: 0 saved, 2 bad arguments or input, 3 the image could not be saved.
)";

struct Options {
  trendel::cli::DefinitionSource source;
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
      options.source.csvPath = value();
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw DefinitionError("unknown option " + argument + " (see --help)");
    } else if (options.source.definitionPath.empty()) {
      options.source.definitionPath = argument;
    } else {
      throw DefinitionError("more than one definition given: " + argument);
    }
  }
  if (!options.help && options.outputPath.empty()) {
    throw DefinitionError("-o: expected the output file name");
  }
  if (!options.help && options.source.definitionPath.empty() && options.source.csvPath.empty()) {
    throw DefinitionError("expected a definition file, \"-\" for standard input, or --csv FILE");
  }
  return options;
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

// PNG through TrendelHost_SavePng, every other format through
// Trendel_SaveFile. Either replaces the output in one step or leaves it as
// it was.
bool Save(const Options &options, HWND window) {
  const char *path = options.outputPath.c_str();
  const int32_t width = options.size.width;
  const int32_t height = options.size.height;
  const int32_t result = IsPngName(options.outputPath)
                             ? TrendelHost_SavePng(window, path, width, height)
                             : Trendel_SaveFile(window, path, width, height);
  return result == TRENDEL_OK;
}

// A save draws its own pass at the size it is given, so the window only
// holds the graph: a single pixel, never painted. Painting a window of the
// picture's size first, which nobody sees, cost a whole drawing pass and a
// frame of memory at the save's peak.
int Render(const Options &options, const ChartDefinition &definition) {
  HWND window = TrendelHost_CreateWindow(1, 1);
  if (window == nullptr) {
    std::cerr << "trendel-render: cannot make a window (out of memory?)\n";
    return EXIT_NOT_SAVED;
  }
  int status = 0;
  const int32_t loaded = trendel::cli::SetChartValues(window, definition);
  if (loaded != TRENDEL_OK) {
    std::cerr << "trendel-render: " << trendel::cli::RefusalMessage(loaded) << "\n";
    status = EXIT_BAD_INPUT;
  } else {
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
      std::cout << HELP_HEAD << trendel::cli::DEFINITION_FIELDS_HELP << HELP_TAIL;
      return 0;
    }
    return Render(options, trendel::cli::ReadDefinition(options.source));
  } catch (const DefinitionError &error) {
    std::cerr << "trendel-render: " << error.what() << "\n";
    return EXIT_BAD_INPUT;
  } catch (const std::exception &error) {
    std::cerr << "trendel-render: " << error.what() << "\n";
    return EXIT_NOT_SAVED;
  }
}
