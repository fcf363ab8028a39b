// trendel-view: shows a chart definition in a window on the screen and lets a
// person point at it. The library draws into a headless window of the
// window's size; SDL puts its pixels on the screen.
#include "ChartLoading.h"
#include "ChartWindow.h"
#include "DefinitionFiles.h"
#include "SaveFormats.h"
#include "Viewer.h"

#include <SDL.h>

#include <clocale>
#include <cstring>
#include <iostream>
#include <langinfo.h>

namespace {

using trendel::cli::DefinitionError;
using trendel::view::ViewerOptions;

constexpr int EXIT_BAD_INPUT = 2;
constexpr int EXIT_NO_WINDOW = 3;

const char HELP_HEAD[] = R"(Usage: trendel-view [DEFINITION.json] [--csv DATA.csv] [--size WxH]
                    [--save-format FORMAT] [--watch] [--stats]

Shows a line graph drawn by the Trendel library in a window. Pointing at the
plot shows the tracking line and the value box of the category under the
pointer.

Keys:
  S           save the chart beside the input, under its name with the
              format's extension (a number is added when that name is taken)
  R           read the definition again
  Q, Escape   quit

Options:
  --size WxH            the window's first size in pixels (default 800x600)
  --save-format FORMAT  what S saves: )";

const char HELP_MIDDLE[] = R"(
  --watch               read the definition again whenever its files change
  --stats               print how long every frame took to reach the screen,
                        and a summary of the pointer moves at the end
  --csv FILE            take seriesNames, categoryNames and values from CSV: the
                        first row is a leading cell then the category names;
                        each further row is a series name then its values; an
                        empty cell is a missing value
  -h, --help            this text

A definition that cannot be read at the start ends the viewer; one that
cannot be read later leaves the last good chart on the screen and its error
in the title bar.

)";

const char HELP_TAIL[] = R"(
Exit status: 0 closed, 2 bad arguments or input, 3 no window could be opened.
)";

struct Arguments {
  ViewerOptions options;
  bool help = false;
};

Arguments ParseArguments(int argc, char **argv) {
  Arguments arguments;
  ViewerOptions &options = arguments.options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw DefinitionError(argument + ": expected a value after it");
      return argv[++i];
    };
    if (argument == "-h" || argument == "--help") {
      arguments.help = true;
    } else if (argument == "--size") {
      options.size = trendel::cli::ParseSize(value());
    } else if (argument == "--csv") {
      options.source.csvPath = value();
    } else if (argument == "--save-format") {
      const std::string name = value();
      options.saveFormat = trendel::view::FindSaveFormat(name);
      if (options.saveFormat == nullptr) {
        throw DefinitionError("--save-format: expected one of " + trendel::view::SaveFormatNames() +
                              ", got \"" + name + "\"");
      }
    } else if (argument == "--watch") {
      options.watch = true;
    } else if (argument == "--stats") {
      options.stats = true;
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw DefinitionError("unknown option " + argument + " (see --help)");
    } else if (argument == "-") {
      throw DefinitionError("-: the viewer reads its definition from a file, to read it again");
    } else if (options.source.definitionPath.empty()) {
      options.source.definitionPath = argument;
    } else {
      throw DefinitionError("more than one definition given: " + argument);
    }
  }
  if (!arguments.help && options.source.definitionPath.empty() && options.source.csvPath.empty()) {
    throw DefinitionError("expected a definition file or --csv FILE");
  }
  return arguments;
}

// Xlib passes window titles through the character set of LC_CTYPE, and in
// the plain "C" locale a title with any letter beyond ASCII never reaches the
// window manager. Titles are UTF-8, as JSON is: keep the user's character set
// when it is UTF-8 and take C.UTF-8 otherwise. Nothing else of ours depends
// on LC_CTYPE.
void UseUtf8Characters() {
  if (std::setlocale(LC_CTYPE, "") != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) {
    return;
  }
  std::setlocale(LC_CTYPE, "C.UTF-8");
}

// Opens the window, hands the definition to the library and runs the viewer.
int View(const ViewerOptions &options, trendel::cli::ChartDefinition definition) {
  UseUtf8Characters();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::cerr << "trendel-view: cannot open a window: " << SDL_GetError() << "\n";
    return EXIT_NO_WINDOW;
  }
  int status = 0;
  try {
    trendel::view::ChartWindow window(trendel::view::WindowTitle(definition, options.source),
                                      options.size.width, options.size.height);
    const std::int32_t loaded = trendel::cli::SetChartValues(window.Chart(), definition);
    if (loaded != TRENDEL_OK) {
      std::cerr << "trendel-view: " << trendel::cli::RefusalMessage(loaded) << "\n";
      status = EXIT_BAD_INPUT;
    } else {
      trendel::view::Viewer(options, window, std::move(definition)).Run();
    }
  } catch (const trendel::view::WindowError &error) {
    std::cerr << "trendel-view: " << error.what() << "\n";
    status = EXIT_NO_WINDOW;
  }
  SDL_Quit();
  return status;
}

}  // namespace

int main(int argc, char **argv) {
  try {
    const Arguments arguments = ParseArguments(argc, argv);
    if (arguments.help) {
      std::cout << HELP_HEAD << trendel::view::SaveFormatNames() << " (default "
                << trendel::view::DefaultSaveFormat().name << ")" << HELP_MIDDLE
                << trendel::cli::DEFINITION_FIELDS_HELP << HELP_TAIL;
      return 0;
    }
    // The definition is read before a window opens, so that a bad one ends
    // the viewer at once, with the same message as the chart command's.
    return View(arguments.options, trendel::cli::ReadDefinition(arguments.options.source));
  } catch (const DefinitionError &error) {
    std::cerr << "trendel-view: " << error.what() << "\n";
    return EXIT_BAD_INPUT;
  }
}
