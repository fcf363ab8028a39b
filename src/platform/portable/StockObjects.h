// The objects a new device context starts with: a black one-pixel pen, a
// white brush, the system font and, for memory DCs, a 1 x 1 monochrome
// bitmap. They live for the whole process and are never counted as leaks.
#pragma once

#include "Win32Api.h"

namespace trendel::portable {

struct StockObjects {
  HGDIOBJ pen = nullptr;
  HGDIOBJ brush = nullptr;
  HGDIOBJ font = nullptr;
  HGDIOBJ bitmap = nullptr;
};

const StockObjects &Stock();

}  // namespace trendel::portable
