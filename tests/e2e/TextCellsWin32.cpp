// Records text cells by replacing the DLL's entry for gdi32's TextOutA in its
// import address table: the library calls the recorder, which measures the
// text in the same device context and passes the call on unchanged.
#include "TextCells.h"

#include <windows.h>

#include <cmath>
#include <cstring>

namespace trendel::testing {
namespace {

using TextOutCall = BOOL(WINAPI *)(HDC, int, int, LPCSTR, int);

TextOutCall originalTextOut = nullptr;
std::vector<TextCell> recordedCells;

// The bounding box of the cell (x, y) to (x + width, y + height) turned
// counter-clockwise about (x, y) by the escapement (tenths of a degree).
TextCell TurnedCell(int x, int y, int width, int height, int escapement) {
  const double angle = escapement / 10.0 * 3.14159265358979323846 / 180.0;
  const double cosine = std::cos(angle);
  const double sine = std::sin(angle);
  double left = x, right = x, top = y, bottom = y;
  for (const int dx : {0, width}) {
    for (const int dy : {0, height}) {
      // On the screen y grows downwards, so counter-clockwise turns the
      // text's x axis towards negative y.
      const double screenX = x + dx * cosine + dy * sine;
      const double screenY = y - dx * sine + dy * cosine;
      left = std::fmin(left, screenX);
      right = std::fmax(right, screenX);
      top = std::fmin(top, screenY);
      bottom = std::fmax(bottom, screenY);
    }
  }
  return TextCell{static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)),
                  static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom))};
}

BOOL WINAPI RecordingTextOut(HDC dc, int x, int y, LPCSTR text, int length) {
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, length, &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  LOGFONTA font{};
  GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
  recordedCells.push_back(TurnedCell(x, y, extent.cx, metrics.tmHeight, font.lfEscapement));
  return originalTextOut(dc, x, y, text, length);
}

// The import address table slot through which `module` calls `function` of
// `library`, or null.
ULONG_PTR *ImportSlot(HMODULE module, const char *library, const char *function) {
  auto *base = reinterpret_cast<unsigned char *>(module);
  const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
  const auto *headers = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &imports =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto *entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), library) != 0) continue;
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
    auto *addresses = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto *byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char *>(byName->Name), function) == 0) {
        return &addresses->u1.Function;
      }
    }
  }
  return nullptr;
}

}  // namespace

bool RecordTextCells() {
  if (originalTextOut != nullptr) return true;
  HMODULE library = GetModuleHandleA("Trendel.dll");
  if (library == nullptr) return false;
  ULONG_PTR *slot = ImportSlot(library, "gdi32.dll", "TextOutA");
  if (slot == nullptr) return false;
  DWORD protection = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  originalTextOut = reinterpret_cast<TextOutCall>(*slot);
  *slot = reinterpret_cast<ULONG_PTR>(&RecordingTextOut);
  VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}

std::vector<TextCell> TakeTextCells() {
  std::vector<TextCell> cells;
  cells.swap(recordedCells);
  return cells;
}

}  // namespace trendel::testing
