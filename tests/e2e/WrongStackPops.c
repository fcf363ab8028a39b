/*
 * A DLL with the six export names whose entry points take the wrong number
 * of argument bytes off the stack: the one check-stdcall-pops.py must
 * reject. Trendel_Destroy is a C function that pops nothing,
 * Trendel_SetValues pops 4 bytes too few, and Trendel_DrawGraph pops right.
 */
#include <stdint.h>

#define EXPORTED __declspec(dllexport)

EXPORTED int32_t __stdcall Trendel_DrawGraph(void *window) { return window == 0; }
EXPORTED int32_t __cdecl Trendel_Destroy(void *window) { return window == 0; }
EXPORTED int32_t __stdcall Trendel_MouseMove(void *window, int32_t reserved, int32_t x, int32_t y) {
  return window == 0 || reserved + x + y == 0;
}
EXPORTED int32_t __stdcall Trendel_SetRedraw(void *window, int32_t enable) {
  return window == 0 || enable == 0;
}
EXPORTED int32_t __stdcall Trendel_SaveFile(void *window, const char *name, int32_t width,
                                            int32_t height) {
  return window == 0 || name == 0 || width + height == 0;
}
/* 104 bytes of arguments where hosts push 108. */
struct TwentyTwoWords {
  int32_t word[22];
};
EXPORTED int32_t __stdcall Trendel_SetValues(void *window, const char *kind, double value,
                                             struct TwentyTwoWords words) {
  return window == 0 || kind == 0 || value < 0 || words.word[0] == 0;
}
