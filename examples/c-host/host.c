/*
 * A C host: a headless window, a graph of two series, one drawing pass, a
 * mouse move over the plot, and a save in every format, each result checked.
 * Build it against libtrendel.so; the first argument is where files go.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "trendel.h"

static int fail(const char *what, int32_t result) {
  fprintf(stderr, "c host: %s (result %d)\n", what, (int)result);
  return 1;
}

/* Saves under directory/name and checks the file starts with signature. */
static int save_and_check(HWND window, const char *directory, const char *name,
                          const char *signature) {
  char path[1024];
  char head[8] = {0};
  size_t length = strlen(signature);
  FILE *file;
  snprintf(path, sizeof path, "%s/%s", directory, name);
  if (Trendel_SaveFile(window, path, 300, 200) != TRENDEL_OK) return fail(name, -1);
  file = fopen(path, "rb");
  if (file == NULL) return fail("file not written", 0);
  if (fread(head, 1, length, file) != length || memcmp(head, signature, length) != 0) {
    fclose(file);
    return fail("file does not start as expected", 0);
  }
  fclose(file);
  return 0;
}

int main(int argc, char **argv) {
  const char *directory = argc > 1 ? argv[1] : ".";
  const char *series[] = {"North", "South"};
  const char *months[] = {"Jan", "Feb", "Mar", "Apr"};
  const double values[] = {12, 18, 9, 22, /* North */ 7, 11, 15, 13 /* South */};
  uint32_t *pixels;
  int32_t result;
  int failures = 0;
  HWND window = TrendelHost_CreateWindow(600, 400);
  if (window == NULL) return fail("no window", 0);

  result = Trendel_SetValues(window, "LINE_GRAPH", "Sales by region", 0, "Month", "Units",
                             "Regions", series, 2, NULL, 0, 0, 0.0, 0.0, 1, "", 0.0, 0, 1,
                             months, 4, values, 2, 4);
  if (result != TRENDEL_OK) return fail("Trendel_SetValues", result);
  result = Trendel_DrawGraph(window);
  if (result != TRENDEL_OK) return fail("Trendel_DrawGraph", result);

  pixels = malloc(sizeof *pixels * 600 * 400);
  if (pixels == NULL || TrendelHost_ReadPixels(window, pixels, 600, 400) != 0) {
    return fail("TrendelHost_ReadPixels", -1);
  }
  if (pixels[0] != 0x000000) failures += fail("the frame's corner is not black", 0);
  free(pixels);

  Trendel_MouseMove(window, 0, 300, 200);
  if (TrendelHost_GetCapture() != window) failures += fail("no mouse capture", 0);
  Trendel_MouseMove(window, 0, 300, 401);
  if (TrendelHost_GetCapture() != NULL) failures += fail("mouse capture kept", 0);

  failures += save_and_check(window, directory, "c-chart.gif", "GIF87a");
  failures += save_and_check(window, directory, "c-chart.jpg", "\xFF\xD8");
  failures += save_and_check(window, directory, "c-chart.bmp", "BM");

  Trendel_Destroy(window);
  TrendelHost_DestroyWindow(window);
  if (failures == 0) printf("c host: drew, tracked and saved into %s\n", directory);
  return failures == 0 ? 0 : 1;
}
