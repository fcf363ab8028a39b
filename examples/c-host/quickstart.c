/*
 * The smallest host: a headless window, a graph of two series, one drawing
 * pass, and a look at the pixels. Build it against libtrendel.so.
 */
#include <stdio.h>
#include <stdlib.h>

#include "trendel.h"

int main(void) {
  const char *series[] = {"North", "South"};
  const char *months[] = {"Jan", "Feb", "Mar", "Apr"};
  const double values[] = {12, 18, 9, 22, /* North */ 7, 11, 15, 13 /* South */};
  uint32_t *pixels;
  int32_t result;
  HWND window = TrendelHost_CreateWindow(600, 400);
  if (window == NULL) return 1;

  result = Trendel_SetValues(window, "LINE_GRAPH", "Sales by region", 0, "Month", "Units",
                             "Regions", series, 2, NULL, 0, 0, 0.0, 0.0, 1, "", 0.0, 0, 1,
                             months, 4, values, 2, 4);
  if (result == TRENDEL_OK) result = Trendel_DrawGraph(window);
  if (result != TRENDEL_OK) {
    fprintf(stderr, "quickstart: the library answered %d\n", (int)result);
    return 1;
  }

  pixels = malloc(sizeof *pixels * 600 * 400);
  if (pixels == NULL || TrendelHost_ReadPixels(window, pixels, 600, 400) != 0) return 1;
  printf("quickstart: drew a 600 x 400 graph; top-left pixel 0x%06X\n", (unsigned)pixels[0]);
  free(pixels);

  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  return 0;
}
