// Process-wide user-interface state of the portable layer, shared between the
// Win32 user calls (User.cpp) and the headless-window exports.
#pragma once

#include "Win32Api.h"

namespace trendel::portable {

void SetActiveWindowHandle(HWND window);
HGDIOBJ ClipboardBitmap();
void SetMessageHandler(void (*handler)(const char *text));

// Called when a window goes away: it stops being active or holding the capture.
void ForgetWindow(HWND window);

}  // namespace trendel::portable
