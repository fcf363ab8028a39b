// Renders the chart corpus through the exports, each chart into a window of
// its entry's size, for the comparison of the two builds
// (tools/cross-check.sh):
//   corpus_renderer CORPUS_FOLDER OUTPUT_FOLDER
// Every line "NAME WIDTHxHEIGHT" of CORPUS_FOLDER/corpus.txt draws NAME.json
// (the chart command's format) and writes OUTPUT_FOLDER/NAME-WIDTHxHEIGHT.ppm.
// On Windows the cells of the texts drawn go beside it, as .cells files with
// one "left top right bottom" line per text.
#include "ChartDefinition.h"
#include "TestWindow.h"
#include "support/DefinitionArguments.h"
#include "support/TestGraphs.h"

#ifdef _WIN32
#include "TextCells.h"
#endif

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

using trendel::cli::ChartDefinition;
using trendel::testing::ArgumentsFromDefinition;
using trendel::testing::Image;
using trendel::testing::TestWindow;

std::string ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw trendel::cli::DefinitionError(path + ": cannot be read");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Draws one entry and writes its files; false with a message on failure.
bool Render(const std::string &corpus, const std::string &output, const std::string &name,
            const trendel::cli::ImageSize &size) {
  const ChartDefinition chart = trendel::cli::ParseDefinition(ReadAll(corpus + "/" + name + ".json"));
  const std::string stem =
      output + "/" + name + "-" + std::to_string(size.width) + "x" + std::to_string(size.height);
  TestWindow window(size.width, size.height);
  const std::int32_t loaded = ArgumentsFromDefinition(chart).Load(window.Handle());
  const std::int32_t drawn = Trendel_DrawGraph(window.Handle());
  Trendel_Destroy(window.Handle());
  if (loaded != TRENDEL_OK || drawn != TRENDEL_OK) {
    std::fprintf(stderr, "corpus_renderer: %s: load %d, draw %d\n", stem.c_str(), loaded, drawn);
    return false;
  }
  if (!trendel::testing::WritePpm(stem + ".ppm", window.Pixels())) {
    std::fprintf(stderr, "corpus_renderer: cannot write %s.ppm\n", stem.c_str());
    return false;
  }
#ifdef _WIN32
  std::ofstream cells(stem + ".cells");
  for (const trendel::testing::TextCell &cell : trendel::testing::TakeTextCells()) {
    cells << cell.left << ' ' << cell.top << ' ' << cell.right << ' ' << cell.bottom << '\n';
  }
#endif
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: corpus_renderer CORPUS_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string corpus = argv[1];
  const std::string output = argv[2];
#ifdef _WIN32
  if (!trendel::testing::RecordTextCells()) {
    std::fprintf(stderr, "corpus_renderer: cannot follow the DLL's TextOutA calls\n");
    return 1;
  }
#endif
  int failures = 0;
  int rendered = 0;
  try {
    std::istringstream entries(ReadAll(corpus + "/corpus.txt"));
    std::string line;
    while (std::getline(entries, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      std::string name;
      std::string size;
      fields >> name >> size;
      const bool done = Render(corpus, output, name, trendel::cli::ParseSize(size));
      (done ? rendered : failures) += 1;
    }
  } catch (const trendel::cli::DefinitionError &error) {
    std::fprintf(stderr, "corpus_renderer: %s\n", error.what());
    return 1;
  }
  std::printf("corpus_renderer: %d charts rendered, %d failed\n", rendered, failures);
  return failures == 0 && rendered > 0 ? 0 : 1;
}
