// The user-interface calls: window DCs and rectangles, mouse capture, the
// active window and its text, message boxes, the clipboard and cursors.
#include "DeviceContexts.h"
#include "Handles.h"
#include "UserState.h"

#include <algorithm>
#include <cstdio>
#include <new>

using namespace trendel::portable;

namespace trendel::portable {
namespace {

struct UserState {
  HWND capture = nullptr;
  HWND active = nullptr;
  void (*messageHandler)(const char *) = nullptr;
  bool clipboardOpen = false;
  HGDIOBJ clipboardBitmap = nullptr;
  HCURSOR cursor = nullptr;
};

UserState &State() {
  static UserState state;
  return state;
}

HWND LiveOrNull(HWND window) { return FindWindow(window) != nullptr ? window : nullptr; }

BOOL WindowRectangle(HWND window, LPRECT rect) {
  const Window *record = FindWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  *rect = RECT{0, 0, record->client->width, record->client->height};
  return TRUE;
}

// Cursors are never shown; the handles only need to be distinct and stable.
HCURSOR CursorHandle(std::uintptr_t id) { return reinterpret_cast<HCURSOR>(id); }

}  // namespace

void SetActiveWindowHandle(HWND window) { State().active = window; }
HGDIOBJ ClipboardBitmap() { return State().clipboardBitmap; }
void SetMessageHandler(void (*handler)(const char *text)) { State().messageHandler = handler; }

void ForgetWindow(HWND window) {
  UserState &state = State();
  if (state.capture == window) state.capture = nullptr;
  if (state.active == window) state.active = nullptr;
}

}  // namespace trendel::portable

HDC GetDC(HWND window) {
  // GetDC(NULL) is the screen: a DC with no pixels of its own, good for
  // creating compatible DCs and bitmaps.
  if (window == nullptr) return NewDeviceContext(nullptr, false);
  Window *record = FindWindow(window);
  if (record == nullptr) return nullptr;
  HDC dc = NewDeviceContext(window, false);
  if (dc == nullptr) return nullptr;
  try {
    record->deviceContexts.push_back(dc);
  } catch (const std::bad_alloc &) {
    DestroyDeviceContext(dc);
    return nullptr;
  }
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  const DeviceContext *context = FindDeviceContext(dc);
  if (context == nullptr || context->isMemory || context->window != window) return 0;
  if (Window *record = FindWindow(window)) {
    auto &list = record->deviceContexts;
    list.erase(std::remove(list.begin(), list.end(), dc), list.end());
  }
  DestroyDeviceContext(dc);
  return 1;
}

BOOL GetClientRect(HWND window, LPRECT rect) { return WindowRectangle(window, rect); }

// A headless window has no frame: its window rectangle is its client area.
BOOL GetWindowRect(HWND window, LPRECT rect) { return WindowRectangle(window, rect); }

HWND WindowFromDC(HDC dc) {
  const DeviceContext *context = FindDeviceContext(dc);
  return context != nullptr ? LiveOrNull(context->window) : nullptr;
}

HWND GetCapture() { return LiveOrNull(State().capture); }

HWND SetCapture(HWND window) {
  UserState &state = State();
  HWND previous = LiveOrNull(state.capture);
  if (FindWindow(window) != nullptr) state.capture = window;
  return previous;
}

BOOL ReleaseCapture() {
  State().capture = nullptr;
  return TRUE;
}

HWND GetActiveWindow() { return LiveOrNull(State().active); }

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  Window *record = FindWindow(window);
  if (record == nullptr) return FALSE;
  try {
    record->text = text != nullptr ? text : "";
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
  return TRUE;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) {
  const char *message = text != nullptr ? text : "";
  if (auto handler = State().messageHandler) {
    handler(message);
  } else {
    std::fprintf(stderr, "%s\n", message);
  }
  return IDOK;
}

BOOL OpenClipboard(HWND) {
  UserState &state = State();
  if (state.clipboardOpen) return FALSE;
  state.clipboardOpen = true;
  return TRUE;
}

BOOL EmptyClipboard() {
  UserState &state = State();
  if (!state.clipboardOpen) return FALSE;
  // The clipboard owns its bitmap and frees it when it is emptied.
  if (state.clipboardBitmap != nullptr) DeleteObject(state.clipboardBitmap);
  state.clipboardBitmap = nullptr;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  UserState &state = State();
  if (!state.clipboardOpen || format != CF_BITMAP) return nullptr;
  auto *bitmap = static_cast<HGDIOBJ>(data);
  if (FindBitmap(bitmap) == nullptr) return nullptr;
  if (state.clipboardBitmap != nullptr && state.clipboardBitmap != bitmap) {
    DeleteObject(state.clipboardBitmap);
  }
  state.clipboardBitmap = bitmap;
  return data;
}

BOOL CloseClipboard() {
  UserState &state = State();
  if (!state.clipboardOpen) return FALSE;
  state.clipboardOpen = false;
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  const auto id = reinterpret_cast<std::uintptr_t>(name);
  if (instance != nullptr || (name != IDC_WAIT && name != IDC_ARROW)) return nullptr;
  return CursorHandle(id);
}

HCURSOR SetCursor(HCURSOR cursor) {
  UserState &state = State();
  HCURSOR previous = state.cursor;
  state.cursor = cursor;
  return previous;
}
