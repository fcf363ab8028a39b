// What the viewer's window must show, made without a window system: the
// definition drawn on a headless window of the given size, then the pointer
// moves given to Trendel_MouseMove in order, and the client area written as
// a PPM file.
//   tracked-rendering DEFINITION.json WIDTHxHEIGHT OUTPUT.ppm [X,Y ...]
#include "ChartLoading.h"
#include "DefinitionFiles.h"
#include "support/Ppm.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

bool ParsePoint(const std::string &text, int &x, int &y) {
  char rest = 0;
  return std::sscanf(text.c_str(), "%d,%d%c", &x, &y, &rest) == 2;
}

int Render(const trendel::cli::ChartDefinition &definition, const trendel::cli::ImageSize &size,
           const std::string &output, int pointCount, char **points) {
  HWND window = TrendelHost_CreateWindow(size.width, size.height);
  trendel::testing::Image image;
  image.width = size.width;
  image.height = size.height;
  image.pixels.resize(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
  bool done = window != nullptr && trendel::cli::SetChartValues(window, definition) == TRENDEL_OK &&
              Trendel_DrawGraph(window) == TRENDEL_OK;
  for (int i = 0; done && i < pointCount; ++i) {
    int x = 0, y = 0;
    done = ParsePoint(points[i], x, y);
    if (done) Trendel_MouseMove(window, 0, x, y);
  }
  done = done && TrendelHost_ReadPixels(window, image.pixels.data(), size.width, size.height) == 0 &&
         trendel::testing::WritePpm(output, image);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  if (!done) std::cerr << "tracked-rendering: could not render " << output << "\n";
  return done ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 4) {
    std::cerr << "usage: tracked-rendering DEFINITION.json WIDTHxHEIGHT OUTPUT.ppm [X,Y ...]\n";
    return 2;
  }
  try {
    const trendel::cli::ChartDefinition definition = trendel::cli::ReadDefinition({argv[1], ""});
    return Render(definition, trendel::cli::ParseSize(argv[2]), argv[3], argc - 4, argv + 4);
  } catch (const trendel::cli::DefinitionError &error) {
    std::cerr << "tracked-rendering: " << error.what() << "\n";
    return 2;
  }
}
