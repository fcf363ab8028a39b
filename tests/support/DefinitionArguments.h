// The Trendel_SetValues arguments of a chart definition, for tests that draw
// the JSON charts of the examples and the corpus.
#pragma once

#include "ChartDefinition.h"
#include "support/TestGraphs.h"

namespace trendel::testing {

// Every field of the definition, with its rows laid out as one matrix.
GraphArguments ArgumentsFromDefinition(const cli::ChartDefinition &definition);

}  // namespace trendel::testing
