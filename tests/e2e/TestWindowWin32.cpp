// Test windows on Windows: real top-level popup windows, whose window
// rectangle is their client area, read back through the window's own device
// context. Nothing paints them but the tests: the window procedure erases
// nothing, and pending messages are handled before a test draws.
#include "TestWindow.h"

#include <psapi.h>

#include <vector>

namespace trendel::testing {
namespace {

constexpr char WINDOW_CLASS[] = "TrendelTestWindow";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Registers the window class once per process; false when that failed.
bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
  }();
  return registered;
}

// Handles whatever the system has sent or posted, so that nothing arrives
// later and repaints what a test drew.
void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void PaintWhite(HWND window) {
  ProcessPendingMessages();
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(window, dc);
  ValidateRect(window, nullptr);
}

// Copies a bitmap's pixels through a top-down 32-bit DIB, as 0x00RRGGBB.
Image ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  Image image;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), image.pixels.data(), &info,
                DIB_RGB_COLORS) != height) {
    return Image{};
  }
  for (std::uint32_t &pixel : image.pixels) pixel &= 0x00FFFFFF;
  image.width = width;
  image.height = height;
  return image;
}

// No GDI handle table, Windows' or Wine's, has more entries than this.
constexpr std::size_t GDI_HANDLE_LIMIT = 65536;

// The free slots of the process's GDI handle table: creating pens until the
// table is full, then deleting them again. Every live object takes a slot.
std::int64_t FreeGdiSlots() {
  std::vector<HGDIOBJ> pens;
  pens.reserve(GDI_HANDLE_LIMIT);
  while (pens.size() < GDI_HANDLE_LIMIT) {
    HGDIOBJ pen = CreatePen(PS_SOLID, 1, 0);
    if (pen == nullptr) break;
    pens.push_back(pen);
  }
  for (HGDIOBJ pen : pens) DeleteObject(pen);
  return static_cast<std::int64_t>(pens.size());
}

// The system's handle list, which the NT layer gives out when the process's
// own handle count is not available.
struct SystemHandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT handle;
  PVOID object;
  ULONG grantedAccess;
};
struct SystemHandleList {
  ULONG count;
  SystemHandleEntry entries[1];
};
constexpr ULONG SYSTEM_HANDLE_INFORMATION = 16;
constexpr LONG STATUS_INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004);
using QuerySystemInformation = LONG(WINAPI *)(ULONG, PVOID, ULONG, PULONG);

std::int64_t CountHandlesInSystemList() {
  const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<unsigned char> buffer(1 << 16);
  LONG status;
  ULONG length = 0;
  while ((status = query(SYSTEM_HANDLE_INFORMATION, buffer.data(),
                         static_cast<ULONG>(buffer.size()), &length)) ==
         STATUS_INFO_LENGTH_MISMATCH) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return 0;
  const auto *list = reinterpret_cast<const SystemHandleList *>(buffer.data());
  const auto self = static_cast<USHORT>(GetCurrentProcessId());
  std::int64_t count = 0;
  for (ULONG i = 0; i < list->count; ++i) {
    if (list->entries[i].processId == self) ++count;
  }
  return count;
}

bool GuiResourcesReported() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0; }

bool HandleCountReported() {
  DWORD handles = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0;
}

}  // namespace

TestWindow::TestWindow(int width, int height) {
  if (!RegisterWindowClass()) return;
  window_ = CreateWindowExA(0, WINDOW_CLASS, "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window_ != nullptr) PaintWhite(window_);
}

TestWindow::~TestWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  ProcessPendingMessages();
}

Image TestWindow::Pixels() const {
  RECT client{};
  GetClientRect(window_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  HDC windowDC = GetDC(window_);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
  HGDIOBJ previous = SelectObject(memoryDC, bitmap);
  BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
  SelectObject(memoryDC, previous);
  Image image = ReadBitmap(memoryDC, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
  ReleaseDC(window_, windowDC);
  return image;
}

bool TestWindow::Resize(int width, int height) {
  if (!SetWindowPos(window_, nullptr, 0, 0, width, height,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    return false;
  }
  PaintWhite(window_);
  return true;
}

void TestWindow::Activate() {
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
  ProcessPendingMessages();
}

std::string TestWindow::Text() const {
  char text[256] = {};
  GetWindowTextA(window_, text, sizeof text);
  return text;
}

HWND CapturedWindow() { return GetCapture(); }

bool ReadClipboard(Image &image) {
  if (!OpenClipboard(nullptr)) return false;
  bool read = false;
  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    HDC screen = GetDC(nullptr);
    image = ReadBitmap(screen, bitmap, description.bmWidth, description.bmHeight);
    ReleaseDC(nullptr, screen);
    read = image.width > 0;
  }
  CloseClipboard();
  return read;
}

bool WindowExists(HWND window) { return IsWindow(window) != FALSE; }

bool ClipboardHoldsBitmap() { return IsClipboardFormatAvailable(CF_BITMAP) != FALSE; }

// Windows keeps no exact count of what one library holds; the leak test's
// process-wide counts stand in for it.
std::optional<LayerObjectCounts> CountLayerObjects() { return std::nullopt; }

ResourceCounts CountResources() {
  ResourceCounts counts;
  counts.gdiObjects = GuiResourcesReported()
                          ? GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)
                          : -FreeGdiSlots();
  DWORD handles = 0;
  counts.handles = HandleCountReported() && GetProcessHandleCount(GetCurrentProcess(), &handles)
                       ? handles
                       : CountHandlesInSystemList();
  return counts;
}

std::string DescribeResourceCounts() {
  std::string description =
      GuiResourcesReported() ? "GDI objects from GetGuiResources"
                             : "GDI objects from the free slots of the GDI handle table "
                               "(GetGuiResources reports nothing here)";
  description += HandleCountReported() ? ", handles from GetProcessHandleCount"
                                       : ", handles from the system handle list "
                                         "(GetProcessHandleCount reports nothing here)";
  return description;
}

}  // namespace trendel::testing
