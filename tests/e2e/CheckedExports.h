// The six exports as the end-to-end tests call them: each call goes through
// to the library and is then checked for leaks. Wherever the system lets us
// count (the portable build's live-object accounting), the GDI objects,
// device contexts, global memory blocks and open files after every call must
// be what they were when the first call began, give or take only what the
// calls rightly keep: one device context per bound window that still exists
// (and for the screen, bound by a null window), and the bitmap on the
// clipboard. A difference fails the test, naming the call.
#pragma once

#include "support/TestGraphs.h"
#include "trendel.h"

#include <cstdint>

namespace trendel::testing::checked {

std::int32_t SetValues(HWND window, const GraphArguments &graph);
std::int32_t DrawGraph(HWND window);
std::int32_t MouseMove(HWND window, std::int32_t reserved, std::int32_t x, std::int32_t y);
std::int32_t SetRedraw(HWND window, std::int32_t enable);
std::int32_t SaveFile(HWND window, const char *fileName, std::int32_t width, std::int32_t height);
std::int32_t Destroy(HWND window);

}  // namespace trendel::testing::checked
