// Fuzz target for one graph's whole life through the exports: a window of
// any size from 1 x 1 to a few thousand pixels, Trendel_SetValues with every
// argument read from the input, a drawing pass, a mouse move, a save under a
// name and at a size from the input, and Trendel_Destroy.
//
// Beyond the sanitizers it checks what a host relies on: every result code is
// the one the call must give; a save that can be written is written whole
// (its structure and size read back) and one that cannot leaves no file; no
// temporary file survives; no message box comes up; and every object the
// portable layer counts is gone once the window is.
#include "FuzzInput.h"
#include "FuzzedGraph.h"
#include "LiveObjects.h"
#include "Sandbox.h"
#include "SavedFile.h"
#include "render/Tracking.h"
#include "trendel.h"

#include <sys/stat.h>
#include <cstdint>
#include <string>

namespace {

using namespace trendel;
using namespace trendel::fuzzing;

constexpr std::int32_t MOST_CATEGORIES = 400;
constexpr std::int32_t LARGEST_SIDE = 3000;
constexpr std::int32_t DEFAULT_SIDE = 10;
// A file name component longer than this cannot be created.
constexpr std::size_t LONGEST_FILE_NAME = 255;

const char *const EXTENSIONS[] = {".bmp", ".gif", ".jpg", ".jpeg", ".GIF", ".JpG", ".png", ""};
const char *const FOLDERS[] = {"", "a/", "a\\b\\", "new.dir/sub/"};

// Mostly small, since most of the search happens there; sometimes up to
// LARGEST_SIDE, and sometimes below 1.
std::int32_t Side(FuzzInput &input) {
  switch (input.Between(0, 15)) {
    case 14:
      return static_cast<std::int32_t>(input.Between(1, LARGEST_SIDE));
    case 15:
      return static_cast<std::int32_t>(input.Between(-2, 0));
    default:
      return static_cast<std::int32_t>(input.Between(1, 250));
  }
}

struct SaveRequest {
  bool nullName = false;
  std::string name;  // empty: the clipboard
  std::size_t longestComponent = 0;
  std::string extension;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// A name inside the sandbox's output folder: a folder or two, a stem of any
// bytes but separators, and one of the extensions.
SaveRequest ReadSaveRequest(FuzzInput &input) {
  SaveRequest request;
  request.width = Side(input);
  request.height = Side(input);
  const std::int64_t kind = input.Between(0, 15);
  if (kind == 14) return request;
  if (kind == 15) {
    request.nullName = true;
    return request;
  }
  std::string stem = "c" + input.Text(400);
  for (char &c : stem) {
    if (c == '/' || c == '\\') c = '_';
  }
  request.extension = EXTENSIONS[input.Between(0, std::size(EXTENSIONS) - 1)];
  request.longestComponent = stem.size() + request.extension.size();
  request.name = Sandbox::Instance().OutputFolder() +
                 FOLDERS[input.Between(0, std::size(FOLDERS) - 1)] + stem + request.extension;
  return request;
}

SavedFormat FormatOfExtension(const std::string &extension) {
  if (extension == ".gif" || extension == ".GIF") return SavedFormat::Gif;
  if (extension == ".jpg" || extension == ".jpeg" || extension == ".JpG") return SavedFormat::Jpeg;
  if (extension.empty()) return SavedFormat::Unknown;  // the stem's own dots decide
  return SavedFormat::Bmp;
}

bool IsRegularFile(const std::string &path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void CheckSave(const SaveRequest &request) {
  const std::int32_t width = request.width > 0 ? request.width : DEFAULT_SIDE;
  const std::int32_t height = request.height > 0 ? request.height : DEFAULT_SIDE;
  if (request.name.empty()) {
    std::int32_t clipboardWidth = 0, clipboardHeight = 0;
    Require(TrendelHost_GetClipboardSize(&clipboardWidth, &clipboardHeight) == 0,
            "the clipboard holds no picture");
    Require(clipboardWidth == width && clipboardHeight == height, "the clipboard picture's size");
    return;
  }
  std::string path = request.name;
  for (char &c : path) c = c == '\\' ? '/' : c;
  if (request.longestComponent > LONGEST_FILE_NAME) {
    Require(!IsRegularFile(path), "a file under a name too long to exist");
    return;
  }
  Require(IsRegularFile(path), "the save wrote no file");
  const SavedFile saved = InspectSavedFile(ReadWholeFile(path));
  Require(saved.format != SavedFormat::Unknown, "the saved file is of no known format");
  const SavedFormat expected = FormatOfExtension(request.extension);
  Require(expected == SavedFormat::Unknown || saved.format == expected, "the saved file's format");
  Require(saved.whole, "the saved file is cut short or malformed");
  Require(saved.width == width && saved.height == height, "the saved picture's size");
}

// Every save of a loaded graph succeeds, but for a name too long to exist.
std::int32_t ExpectedSaveResult(const SaveRequest &request, std::int32_t loaded) {
  if (loaded != TRENDEL_OK) return TRENDEL_NO_GRAPH;
  return request.longestComponent > LONGEST_FILE_NAME ? TRENDEL_SAVE_FAILED : TRENDEL_OK;
}

void RunCase(FuzzInput &input) {
  const std::int32_t windowWidth = Side(input);
  const std::int32_t windowHeight = Side(input);
  HWND window = TrendelHost_CreateWindow(windowWidth, windowHeight);
  if (windowWidth < 1 || windowHeight < 1) {
    Require(window == nullptr, "a window of a size below 1");
    return;
  }
  Require(window != nullptr, "no window");

  const FuzzedGraph graph(input, MOST_CATEGORIES);
  const std::int32_t loaded = graph.Load(window);
  Require(loaded == TRENDEL_OK || (loaded <= TRENDEL_NO_GRAPH && loaded >= TRENDEL_EMPTY_MATRIX),
          "Trendel_SetValues' result");
  const std::int32_t drawable = loaded == TRENDEL_OK ? TRENDEL_OK : TRENDEL_NO_GRAPH;
  Require(Trendel_DrawGraph(window) == drawable, "Trendel_DrawGraph's result");

  const std::int32_t x = input.OneIn(4)
                             ? input.Int32()
                             : static_cast<std::int32_t>(input.Between(-2, windowWidth + 2));
  const std::int32_t y = input.OneIn(4)
                             ? input.Int32()
                             : static_cast<std::int32_t>(input.Between(-2, windowHeight + 2));
  Require(Trendel_MouseMove(window, input.Int32(), x, y) == TRENDEL_OK,
          "Trendel_MouseMove's result");

  const SaveRequest save = ReadSaveRequest(input);
  Require(Trendel_SaveFile(window, save.nullName ? nullptr : save.name.c_str(), save.width,
                           save.height) == ExpectedSaveResult(save, loaded),
          "Trendel_SaveFile's result");
  if (loaded == TRENDEL_OK) CheckSave(save);

  Require(Trendel_Destroy(window) == TRENDEL_OK, "Trendel_Destroy's result");
  Require(TrendelHost_DestroyWindow(window) == 0, "the window was lost");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const Sandbox &sandbox = Sandbox::Instance();
  TrendelHost_SetMessageHandler(MessageBoxIsAFault);
  // The tracking state outlives every call; each input starts from none.
  SetTrackingMode(TRACKING_OFF);
  const portable::LiveObjectCounts before = CountWithoutClipboard();
  FuzzInput input(data, size);
  RunCase(input);
  RequireSameObjects(before, CountWithoutClipboard());
  sandbox.CheckAndClean();
  return 0;
}
