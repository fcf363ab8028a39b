// The portable layer's live objects, as the fuzz targets compare them before
// and after an input.
#pragma once

#include "Sandbox.h"
#include "platform/portable/Accounting.h"
#include "platform/win32.h"

namespace trendel::fuzzing {

// Empties the clipboard first: the bitmap a save leaves there is the one
// object that rightly outlives the calls.
inline portable::LiveObjectCounts CountWithoutClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  return portable::CountLiveObjects();
}

inline void RequireSameObjects(const portable::LiveObjectCounts &before,
                               const portable::LiveObjectCounts &after) {
  if (after.gdiObjects != before.gdiObjects) Fail("GDI objects leaked");
  if (after.deviceContexts != before.deviceContexts) Fail("device contexts leaked");
  if (after.globalBlocks != before.globalBlocks) Fail("global memory blocks leaked");
  if (after.files != before.files) Fail("files left open");
  if (after.windows != before.windows) Fail("windows leaked");
}

}  // namespace trendel::fuzzing
