/*
 * A Windows host: a resizable window with a sample graph. It draws on
 * WM_PAINT and WM_SIZE, forwards the mouse for the tracking line, and saves:
 *   G  chart.gif    J  chart.jpg    B  chart.bmp    C  to the clipboard
 * at the window's size, into the current folder. Escape closes it. Build it against
 * Trendel.dll's import library (libTrendel.dll.a or Trendel.lib).
 *
 * For scripted runs (the project's CI):
 *   --client-file FILE  writes the client area's screen position and size
 *                       ("x y width height") to FILE after the first paint
 *   --close-after MS    closes the window after MS milliseconds
 */
#include <windows.h>
#include <windowsx.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "trendel.h"

#define CLOSE_TIMER 1

static const char WINDOW_CLASS[] = "TrendelDemo";
static const char *clientFile = NULL;

static int32_t LoadSampleGraph(HWND window) {
  static const char *const series[] = {"North", "South", "West"};
  static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const uint32_t colors[] = {RGB(0, 96, 192), RGB(224, 96, 32)};
  /* One row per series, one column per month; West lacks April. */
  static const double values[] = {
      12, 18, 9, 22, 17, 25, 31, 28, 24, 19, 15, 21,
      7, 11, 15, 13, 20, 18, 16, 22, 27, 25, 23, 30,
      5, 8, 6, TRENDEL_MISSING_VALUE, 10, 12, 14, 13, 11, 9, 8, 10};
  return Trendel_SetValues(window, "LINE_GRAPH", "Sales by region", 0, "Month", "Units",
                           "Regions", series, 3, colors, 2, 0, 0.0, 0.0, 1, "", 0.0, 5, 1,
                           months, 12, values, 3, 12);
}

/* Writes where the client area is on the screen, once, for scripts. */
static void ReportClientArea(HWND window) {
  POINT origin = {0, 0};
  RECT client;
  FILE *file;
  if (clientFile == NULL) return;
  GetClientRect(window, &client);
  ClientToScreen(window, &origin);
  file = fopen(clientFile, "w");
  if (file != NULL) {
    fprintf(file, "%ld %ld %ld %ld\n", (long)origin.x, (long)origin.y, (long)client.right,
            (long)client.bottom);
    fclose(file);
  }
  clientFile = NULL;
}

static void Save(HWND window, const char *fileName) {
  RECT client;
  char title[128];
  GetClientRect(window, &client);
  if (Trendel_SaveFile(window, fileName, client.right, client.bottom) == TRENDEL_OK) {
    snprintf(title, sizeof title, "Trendel demo: saved %s", *fileName ? fileName : "to the clipboard");
    SetWindowTextA(window, title);
  }
}

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PAINTSTRUCT paint;
  switch (message) {
    case WM_CREATE:
      return LoadSampleGraph(window) == TRENDEL_OK ? 0 : -1;
    case WM_ERASEBKGND:
      return 1; /* the graph covers the whole client area */
    case WM_PAINT:
      BeginPaint(window, &paint);
      Trendel_DrawGraph(window);
      EndPaint(window, &paint);
      ReportClientArea(window);
      return 0;
    case WM_SIZE:
      Trendel_DrawGraph(window);
      return 0;
    case WM_MOUSEMOVE:
      /* While the library holds the capture, moves outside the window arrive
         here with negative or too large coordinates; it needs them. */
      Trendel_MouseMove(window, 0, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case 'G': Save(window, "chart.gif"); break;
        case 'J': Save(window, "chart.jpg"); break;
        case 'B': Save(window, "chart.bmp"); break;
        case 'C': Save(window, ""); break;
        case VK_ESCAPE: DestroyWindow(window); break;
        default: break;
      }
      return 0;
    case WM_TIMER:
      if (wParam == CLOSE_TIMER) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      Trendel_Destroy(window);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WNDCLASSA windowClass;
  HWND window;
  MSG message;
  UINT closeAfter = 0;
  int i;
  (void)previous;
  (void)commandLine;
  for (i = 1; i + 1 < __argc; i += 2) {
    if (strcmp(__argv[i], "--client-file") == 0) clientFile = __argv[i + 1];
    if (strcmp(__argv[i], "--close-after") == 0) closeAfter = (UINT)atoi(__argv[i + 1]);
  }

  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(NULL, IDC_ARROW);
  windowClass.lpszClassName = WINDOW_CLASS;
  if (!RegisterClassA(&windowClass)) return 1;
  window = CreateWindowExA(0, WINDOW_CLASS, "Trendel demo", WS_OVERLAPPEDWINDOW, 0, 0, 820, 540,
                           NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  if (closeAfter > 0) SetTimer(window, CLOSE_TIMER, closeAfter, NULL);

  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return (int)message.wParam;
}
