// Creation and destruction of device-context records, shared by the memory
// DCs of GDI and the window DCs of GetDC.
#pragma once

#include "Win32Api.h"

namespace trendel::portable {

// A new DC with the stock pen, brush and font selected; memory DCs also get
// the stock 1 x 1 monochrome bitmap. Null when memory runs out.
HDC NewDeviceContext(HWND window, bool isMemory);

// Deselects everything the DC holds and ends its handle.
void DestroyDeviceContext(HDC dc);

}  // namespace trendel::portable
