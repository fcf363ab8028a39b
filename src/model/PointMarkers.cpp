#include "PointMarkers.h"

namespace trendel {
namespace {

std::int32_t pointMarkers = 1;

}  // namespace

std::int32_t SetPointMarkers(std::int32_t request) {
  if (request == 0 || request == 1) pointMarkers = request;
  return pointMarkers;
}

}  // namespace trendel
