// The pixel layout of a drawing pass: where the plot sits in the target, the
// fitting of title fonts, and the horizontal slots of the categories. Plain
// arithmetic on the graph's fields, with no device context involved.
#pragma once

#include "model/CGraph.h"

#include <cstddef>
#include <cstdint>

namespace trendel {

// Writes availWidth, availHeight, leftX, bottomY, plotHeight and plotWidth
// for a target of width x height pixels. The left margin makes room for the
// text of valueMax in "%lf" form; the bottom margin for the category labels,
// deeper when they are rotated.
void LayOutMargins(CGraph &graph, std::int32_t width, std::int32_t height);

// Narrows the plot so that it ends 10 pixels left of the legend box.
void FitPlotBesideLegend(CGraph &graph, std::int32_t legendLeft);

// Writes the integer hit area (plotLeft, plotTop, plotRight, trackHeight)
// from the layout fields; mouse tracking tests the pointer against it.
void LayOutHitArea(CGraph &graph);

// The height of a title font: from startHeight down in steps of 2 while the
// text, estimated at half the font height per character, is wider than
// limit. An empty text has no width to fit and keeps startHeight, whatever
// the limit. A non-empty text in negative room ends at a negative height,
// which CreateFontA reads as a character height.
std::int32_t FitTitleHeight(std::int32_t startHeight, std::size_t length, double limit);

// The x of the middle of the k-th (from 1) of count equal slots across the
// plot; category k's tick, label and points stand there.
double SlotCentre(std::int64_t k, std::int64_t count, double plotWidth, double leftX);

// The same in two steps, for a loop over the categories: the slot width
// once, then each centre.
double SlotSpacing(std::int64_t count, double plotWidth);
double SlotCentreAt(std::int64_t k, double spacing, double leftX);

}  // namespace trendel
