// stdio streams opened by Win32 path, for the writers that use the C
// runtime's buffered files.
#pragma once

#include <cstdio>

namespace trendel {

// std::fopen with the path read as Win32 reads it: on the portable build a
// "\" is a directory separator, as "/" is.
std::FILE *OpenStream(const char *path, const char *mode);

}  // namespace trendel
