#include "NotYetImplemented.h"
#include "Win32Api.h"

using namespace trendel::portable;

BOOL MoveToEx(HDC, int, int, LPPOINT) {
  ReportNotYetImplemented("MoveToEx");
  return FALSE;
}

BOOL LineTo(HDC, int, int) {
  ReportNotYetImplemented("LineTo");
  return FALSE;
}
