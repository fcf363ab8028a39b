// FIXME: calls of the portable layer that are declared but not written yet
// report themselves here and fail, so that nothing draws something plausible
// by accident. This header goes once every call is written.
#pragma once

#include <cstdio>

namespace trendel::portable {

inline void ReportNotYetImplemented(const char *call) {
  std::fprintf(stderr, "portable GDI: %s is not implemented yet\n", call);
}

}  // namespace trendel::portable
