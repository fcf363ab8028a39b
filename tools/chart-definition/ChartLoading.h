// Handing a definition to the library.
#pragma once

#include "ChartDefinition.h"

#include "trendel.h"

namespace trendel::cli {

// Trendel_SetValues for the window with every field of the definition;
// returns its result code.
std::int32_t SetChartValues(HWND window, const ChartDefinition &definition);

}  // namespace trendel::cli
