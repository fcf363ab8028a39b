#include "SavePng.h"

#include "BitmapFile.h"
#include "PathText.h"
#include "SaveFile.h"
#include "platform/FileReplacement.h"

#include <limits>
#include <string>

namespace trendel {

bool EncodeGraphPng(CGraph &graph, HDC windowDC, std::int32_t width, std::int32_t height,
                    PngBytes &png) {
  RenderedPixels picture;
  if (!picture.Render(graph, windowDC, width, height)) return false;
  PixelRows rows;
  rows.topRow = picture.TopRow();
  rows.rowStep = picture.Width();
  rows.width = picture.Width();
  rows.height = picture.Height();
  return EncodePng(rows, png);
}

// The picture is encoded before the file is touched: a rendering that
// fails leaves the destination as it was.
bool SaveGraphPng(CGraph &graph, HDC windowDC, const char *fileName, std::int32_t width,
                  std::int32_t height) {
  if (fileName == nullptr || fileName[0] == '\0') return false;
  PngBytes png;
  if (!EncodeGraphPng(graph, windowDC, width, height, png)) return false;
  if (const std::optional<std::size_t> separator = LastSeparator(fileName);
      separator && *separator > 0) {
    CreateDirectoryPath(std::string(fileName, *separator).c_str());
  }
  if (png.Size() > std::numeric_limits<DWORD>::max()) return false;
  return WriteReplacing(fileName, [&](const char *path) {
    return WriteWholeFile(path, png.Data(), static_cast<DWORD>(png.Size()));
  });
}

}  // namespace trendel
