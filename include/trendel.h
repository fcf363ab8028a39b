/*
 * Trendel: line graphs drawn into a host window.
 *
 * The host hands the library one of its windows and a complete graph
 * definition; the library draws the graph, follows the mouse with a tracking
 * line and a value box, and saves the picture as BMP, GIF or JPEG or to the
 * clipboard. Every export returns 0 on success and a small negative code on
 * failure; none of them throws or aborts.
 *
 * Windows: Trendel.dll, undecorated export names, in two builds. The
 * bitness of the host process decides which one it loads: a 32-bit process
 * takes the x86 DLL (__stdcall), a 64-bit process the x64 DLL (the one x64
 * calling convention). This header serves both.
 * Elsewhere: libtrendel.so with plain C linkage, plus the TrendelHost_*
 * functions that give hosts without a window system headless windows.
 *
 * Every function may be called from any thread at any time: the library
 * runs one call at a time. The tracking state and the point-marker switch
 * stay shared by every graph in the process.
 */
#ifndef TRENDEL_H
#define TRENDEL_H

#include <stddef.h>
#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#define TRENDEL_CALL __stdcall
#define TRENDEL_API
#else
#ifndef TRENDEL_HWND_DEFINED
#define TRENDEL_HWND_DEFINED
/* An opaque window handle; on the portable build it names a headless window. */
typedef struct HWND__ *HWND;
#endif
#define TRENDEL_CALL
#define TRENDEL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes of the exports. */
#define TRENDEL_OK 0
#define TRENDEL_NO_BINDING (-1)          /* the window cannot be bound or drawn into */
#define TRENDEL_NO_GRAPH (-2)            /* no graph loaded, drawing disabled, or a wrong graph kind */
#define TRENDEL_NO_SERIES_NAMES (-3)     /* Trendel_SetValues: seriesNameCount below 1 */
#define TRENDEL_NO_CATEGORIES (-4)       /* Trendel_SetValues: categoryNameCount below 1 */
#define TRENDEL_EMPTY_MATRIX (-5)        /* Trendel_SetValues: rowCount or columnCount below 1 */
#define TRENDEL_SAVE_FAILED (-6)         /* a save: nothing was saved */

/* A value that a series lacks in a category: the lowest finite double. */
#define TRENDEL_MISSING_VALUE (-1.7976931348623157e308)

/*
 * Defines the window's graph. kind must be "LINE_GRAPH". values holds
 * rowCount x columnCount doubles, row by row: series j in host category h is
 * values[j * columnCount + h]. Colours are 0x00BBGGRR. scaleMode "BY_STEP"
 * takes the step from `step`; anything else divides the range into stepCount
 * steps (10 when stepCount < 1). Nothing is drawn.
 */
TRENDEL_API int32_t TRENDEL_CALL Trendel_SetValues(
    HWND window, const char *kind, const char *title, int32_t labelAngle,
    const char *categoryAxisTitle, const char *valueAxisTitle, const char *legendTitle,
    const char *const *seriesNames, int32_t seriesNameCount,
    const uint32_t *seriesColors, int32_t seriesColorCount,
    int32_t sortCategories, double rangeMin, double rangeMax, int32_t showGrid,
    const char *scaleMode, double step, int32_t stepCount, int32_t pointMarkers,
    const char *const *categoryNames, int32_t categoryNameCount,
    const double *values, int32_t rowCount, int32_t columnCount);

/* Draws the window's graph into its client area in one block transfer. */
TRENDEL_API int32_t TRENDEL_CALL Trendel_DrawGraph(HWND window);

/* Forwards a mouse move (client pixels); drives the tracking overlay. Always 0. */
TRENDEL_API int32_t TRENDEL_CALL Trendel_MouseMove(HWND window, int32_t reserved, int32_t x, int32_t y);

/* Enables (non-zero) or disables drawing through Trendel_DrawGraph. */
TRENDEL_API int32_t TRENDEL_CALL Trendel_SetRedraw(HWND window, int32_t enable);

/*
 * Renders the graph at width x height (10 for a value below 1) and saves it:
 * ".gif" as GIF, ".jpg"/".jpeg" as JPEG (any case), anything else as BMP under
 * exactly the given name; an empty or null name puts it on the clipboard.
 * A file is written under a new name in its folder and then replaces the
 * old one in one step: a failed save leaves the old file as it was.
 * Returns 0 when saved, TRENDEL_SAVE_FAILED when nothing was saved.
 */
TRENDEL_API int32_t TRENDEL_CALL Trendel_SaveFile(HWND window, const char *fileName, int32_t width, int32_t height);

/* Releases the window's binding and graph. Call it once for every window used. Always 0. */
TRENDEL_API int32_t TRENDEL_CALL Trendel_Destroy(HWND window);

#ifndef _WIN32
/*
 * Headless windows for portable hosts. A window has a white client area of
 * width x height pixels; its window rectangle has the same size. Pixels are
 * read top row first as 0x00RRGGBB.
 */
TRENDEL_API HWND TrendelHost_CreateWindow(int32_t width, int32_t height);
TRENDEL_API int32_t TrendelHost_ResizeWindow(HWND window, int32_t width, int32_t height);
TRENDEL_API int32_t TrendelHost_GetWindowSize(HWND window, int32_t *width, int32_t *height);
TRENDEL_API int32_t TrendelHost_ReadPixels(HWND window, uint32_t *pixels, int32_t width, int32_t height);
TRENDEL_API int32_t TrendelHost_DestroyWindow(HWND window);
TRENDEL_API int32_t TrendelHost_SetActiveWindow(HWND window);
TRENDEL_API int32_t TrendelHost_GetWindowText(HWND window, char *buffer, int32_t size);
TRENDEL_API HWND TrendelHost_GetCapture(void);
TRENDEL_API int32_t TrendelHost_GetClipboardSize(int32_t *width, int32_t *height);
TRENDEL_API int32_t TrendelHost_ReadClipboard(uint32_t *pixels, int32_t width, int32_t height);
/* Where the library's message boxes go; NULL restores the default, standard error. */
TRENDEL_API void TrendelHost_SetMessageHandler(void (*handler)(const char *text));

/*
 * PNG: the graph rendered at width x height like Trendel_SaveFile (10 for a
 * value below 1, no tracking overlay), lossless, an 8-bit palette image when
 * it has at most 256 colours and true colour otherwise. TrendelHost_SavePng
 * writes fileName whatever its extension; the name then holds the complete
 * file or what it held before. TrendelHost_EncodePng hands over a block the
 * caller gives back with TrendelHost_FreePng. Results: 0, -1 no binding, -2
 * no graph loaded, -6 (TRENDEL_SAVE_FAILED) nothing was saved.
 */
TRENDEL_API int32_t TrendelHost_SavePng(HWND window, const char *fileName, int32_t width,
                                        int32_t height);
TRENDEL_API int32_t TrendelHost_EncodePng(HWND window, int32_t width, int32_t height,
                                          uint8_t **png, size_t *size);
TRENDEL_API void TrendelHost_FreePng(uint8_t *png);
#endif

#ifdef __cplusplus
}
#endif

#endif /* TRENDEL_H */
