/* Loads and draws a one-point graph; exits 0 when the library says so. */
#include "trendel.h"

int main(void) {
  const char *series[] = {"A"};
  const char *categories[] = {"x"};
  const double values[] = {1.0};
  int32_t result;
  HWND window = TrendelHost_CreateWindow(50, 40);
  if (window == 0) return 1;
  result = Trendel_SetValues(window, "LINE_GRAPH", "", 0, "", "", "", series, 1, 0, 0, 0, 0.0,
                             0.0, 0, "", 0.0, 0, 1, categories, 1, values, 1, 1);
  if (result == TRENDEL_OK) result = Trendel_DrawGraph(window);
  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return result == TRENDEL_OK ? 0 : 1;
}
