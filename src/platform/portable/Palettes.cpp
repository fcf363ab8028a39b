#include "NotYetImplemented.h"
#include "Win32Api.h"

using namespace trendel::portable;

HPALETTE CreatePalette(const LOGPALETTE *) {
  ReportNotYetImplemented("CreatePalette");
  return nullptr;
}

UINT GetPaletteEntries(HPALETTE, UINT, UINT, PALETTEENTRY *) {
  ReportNotYetImplemented("GetPaletteEntries");
  return 0;
}

HPALETTE CreateHalftonePalette(HDC) {
  ReportNotYetImplemented("CreateHalftonePalette");
  return nullptr;
}
