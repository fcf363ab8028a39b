#include "NotYetImplemented.h"
#include "Win32Api.h"

using namespace trendel::portable;

HFONT CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  LPCSTR) {
  ReportNotYetImplemented("CreateFontA");
  return nullptr;
}

BOOL TextOutA(HDC, int, int, LPCSTR, int) {
  ReportNotYetImplemented("TextOutA");
  return FALSE;
}

BOOL GetTextMetricsA(HDC, TEXTMETRICA *) {
  ReportNotYetImplemented("GetTextMetricsA");
  return FALSE;
}
