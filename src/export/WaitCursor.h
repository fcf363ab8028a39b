// The wait cursor, shown while a long operation runs.
#pragma once

#include "platform/win32.h"

namespace trendel {

// Shows the wait cursor for as long as it lives, then the cursor before it.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor &) = delete;
  WaitCursor &operator=(const WaitCursor &) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace trendel
