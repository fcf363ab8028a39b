// Saving the graph: one drawing pass into an off-screen bitmap of the
// requested size, then out to a file or the clipboard.
//
// Steps:
//  1. a memory DC and a bitmap compatible with the window's DC;
//  2. Draw with the tracking overlay switched off, then the old mode back;
//  3. the directories along the file name;
//  4. the destination by the file name: the clipboard for an empty name, a
//     BMP written straight from the bitmap, or for GIF and JPEG a temporary
//     BMP, read back into a CDib and handed to the writer; a file goes
//     through WriteReplacing, so that it replaces the previous one whole or
//     not at all;
//  5. the DC and the bitmap released, unless the clipboard took the bitmap;
//     for GIF and JPEG as soon as the temporary BMP holds the picture.
// Every step that fails ends the save, which then reports that nothing was
// saved. No temporary file survives but one that was written and could not
// be read back (memory ran out, or another program changed it): it stays for
// whoever looks into why.
#include "SaveFile.h"

#include "BitmapFile.h"
#include "CDib.h"
#include "GifFile.h"
#include "JpegFile.h"
#include "PackedDib.h"
#include "PathText.h"
#include "platform/FileReplacement.h"
#include "render/Draw.h"
#include "render/Tracking.h"

#include <cstring>
#include <ctime>
#include <string>

namespace trendel {
namespace {

constexpr std::int32_t DEFAULT_SIDE = 10;
constexpr int JPEG_QUALITY = 100;
// Attempts at a free temporary name in one second: the time stamp alone,
// then with "-1", "-2" and so on.
constexpr int TEMPORARY_NAME_ATTEMPTS = 100;

// A temporary BMP file of our own: the time stamp as its stem, and a suffix
// when another save, perhaps in another process, holds that name. It is
// created exclusively and deleted when this goes, unless it is kept.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() {
    if (reserved_) DeleteFileA(path_);
  }
  TemporaryFile(const TemporaryFile &) = delete;
  TemporaryFile &operator=(const TemporaryFile &) = delete;

  // False when no name fits the 260-byte path or none can be created.
  bool Reserve() {
    const std::string directory = TempDirectory();
    if (directory.empty()) return false;
    const std::string stem = directory + FormatTime(std::time(nullptr), "yyyymmddhhmmss");
    for (int attempt = 0; attempt < TEMPORARY_NAME_ATTEMPTS; ++attempt) {
      const std::string name =
          stem + (attempt == 0 ? std::string() : "-" + std::to_string(attempt)) + ".tmp";
      if (name.size() + 1 > sizeof path_) return false;
      std::memcpy(path_, name.c_str(), name.size() + 1);
      HANDLE file =
          CreateFileA(path_, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        reserved_ = true;
        return true;
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
  }
  const char *Path() const { return path_; }
  void Keep() { reserved_ = false; }

 private:
  char path_[MAX_PATH] = {};
  bool reserved_ = false;
};

// Hands the bitmap to the clipboard; true when the clipboard took it.
bool PutOnClipboard(HWND window, HBITMAP bitmap) {
  if (!OpenClipboard(window)) return false;
  EmptyClipboard();
  const bool taken = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  CloseClipboard();
  return taken;
}

// Switches the tracking overlay off for its lifetime, and puts the mode back
// however the pass ends, also when it runs out of memory half way.
class TrackingSwitchedOff {
 public:
  TrackingSwitchedOff() : trackingMode_(SetTrackingMode(QUERY_TRACKING_MODE)) {
    SetTrackingMode(TRACKING_OFF);
  }
  ~TrackingSwitchedOff() { SetTrackingMode(trackingMode_); }
  TrackingSwitchedOff(const TrackingSwitchedOff &) = delete;
  TrackingSwitchedOff &operator=(const TrackingSwitchedOff &) = delete;

 private:
  const std::int32_t trackingMode_;
};

// Draws the graph without the tracking overlay and puts the mode back.
void DrawWithoutTracking(CGraph &graph, HDC dc, const RECT &area) {
  const TrackingSwitchedOff switchedOff;
  Draw(graph, dc, &area);
}

// A memory DC compatible with the window's and a bitmap of the image size,
// both released when this goes unless the bitmap was given away.
class OffscreenBitmap {
 public:
  OffscreenBitmap(HDC windowDC, const RECT &area)
      : OffscreenBitmap(windowDC, CreateCompatibleBitmap(windowDC, area.right, area.bottom)) {}
  // Takes over a bitmap made by the caller.
  OffscreenBitmap(HDC windowDC, HBITMAP bitmap)
      : dc_(CreateCompatibleDC(windowDC)), bitmap_(bitmap) {}
  ~OffscreenBitmap() { Release(); }
  OffscreenBitmap(const OffscreenBitmap &) = delete;
  OffscreenBitmap &operator=(const OffscreenBitmap &) = delete;

  // Draws into the bitmap, which no DC holds afterwards: GetDIBits wants it
  // so, and so does the clipboard.
  bool Draw(CGraph &graph, const RECT &area) {
    if (dc_ == nullptr || bitmap_ == nullptr) return false;
    HGDIOBJ previous = SelectObject(dc_, bitmap_);
    if (previous == nullptr) return false;
    DrawWithoutTracking(graph, dc_, area);
    SelectObject(dc_, previous);
    return true;
  }
  HBITMAP Bitmap() const { return bitmap_; }
  void GiveAway() { bitmap_ = nullptr; }
  // Deletes the DC and the bitmap, unless given away, now rather than later.
  void Release() {
    if (dc_ != nullptr) DeleteDC(dc_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
  }

 private:
  HDC dc_;
  HBITMAP bitmap_;
};

// GIF and JPEG go through a temporary BMP file read back into a CDib. The
// off-screen bitmap and its DC are let go as soon as the file holds the
// picture, so that the picture is not held twice more while it is read back
// and converted.
bool SaveThroughDib(const char *fileName, ImageFormat format, OffscreenBitmap &offscreen,
                    HDC windowDC) {
  TemporaryFile temporary;
  if (!temporary.Reserve() || !WriteBitmapFile(temporary.Path(), offscreen.Bitmap(), windowDC)) {
    return false;
  }
  offscreen.Release();
  CDib dib;
  if (!dib.LoadFromFile(temporary.Path())) {
    temporary.Keep();
    return false;
  }
  return WriteReplacing(fileName, [&](const char *path) {
    if (format == ImageFormat::Gif) {
      GifFile writer;
      return writer.WriteFromDib(path, &dib) != 0;
    }
    JpegFile writer;
    return writer.WriteFromDib(path, &dib, JPEG_QUALITY) != 0;
  });
}

// The size rule of every save.
RECT ImageArea(std::int32_t width, std::int32_t height) {
  return RECT{0, 0, width > 0 ? width : DEFAULT_SIDE, height > 0 ? height : DEFAULT_SIDE};
}

}  // namespace

bool SaveGraphImage(CGraph &graph, HWND window, HDC windowDC, const char *fileName,
                    std::int32_t width, std::int32_t height) {
  const RECT area = ImageArea(width, height);
  OffscreenBitmap offscreen(windowDC, area);
  if (!offscreen.Draw(graph, area)) return false;

  const char *name = fileName != nullptr ? fileName : "";
  if (const std::optional<std::size_t> separator = LastSeparator(name);
      separator && *separator > 0) {
    CreateDirectoryPath(std::string(name, *separator).c_str());
  }
  if (name[0] == '\0') {
    if (!PutOnClipboard(window, offscreen.Bitmap())) return false;
    offscreen.GiveAway();
    return true;
  }
  const ImageFormat format = FormatOfFileName(name);
  if (format == ImageFormat::Bmp) {
    return WriteReplacing(name, [&](const char *path) {
      return WriteBitmapFile(path, offscreen.Bitmap(), windowDC);
    });
  }
  return SaveThroughDib(name, format, offscreen, windowDC);
}

RenderedPixels::~RenderedPixels() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

// A top-down DIB section, so that the pixels can be read where they were
// drawn, without a copy.
bool RenderedPixels::Render(CGraph &graph, HDC windowDC, std::int32_t width, std::int32_t height) {
  const RECT area = ImageArea(width, height);
  BITMAPINFO format{};
  format.bmiHeader.biSize = INFO_HEADER_BYTES;
  format.bmiHeader.biWidth = area.right;
  format.bmiHeader.biHeight = -area.bottom;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  OffscreenBitmap offscreen(windowDC,
                            CreateDIBSection(windowDC, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!offscreen.Draw(graph, area)) return false;
  bitmap_ = offscreen.Bitmap();
  offscreen.GiveAway();
  topRow_ = static_cast<const std::uint32_t *>(bits);
  width_ = area.right;
  height_ = area.bottom;
  return true;
}

}  // namespace trendel
