// Handing a definition to the library.
#pragma once

#include "ChartDefinition.h"

#include "trendel.h"

#include <string>

namespace trendel::cli {

// Trendel_SetValues for the window with every field of the definition;
// returns its result code.
std::int32_t SetChartValues(HWND window, const ChartDefinition &definition);

// The one-line error for a definition the library refused with that code.
std::string RefusalMessage(std::int32_t code);

}  // namespace trendel::cli
