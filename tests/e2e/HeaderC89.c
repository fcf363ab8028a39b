/*
 * trendel.h in strict C89, as hosts built with old C compilers see it: this
 * file only has to compile (tests/e2e/CMakeLists.txt), warnings as errors.
 */
#include "trendel.h"

typedef int32_t (TRENDEL_CALL *DrawGraphCall)(HWND window);

int32_t DrawTwice(HWND window) {
  DrawGraphCall draw = Trendel_DrawGraph;
  int32_t result = draw(window);
  if (result == TRENDEL_OK) result = Trendel_DrawGraph(window);
  return result;
}
