// stdio streams opened by Win32 path, for the writers that use the C
// runtime's buffered files.
#pragma once

#include <cstdio>

namespace trendel {

// std::fopen with the path read as Win32 reads it: on the portable build a
// "\" is a directory separator, as "/" is.
std::FILE *OpenStream(const char *path, const char *mode);

// Closes a stream opened by OpenStream; true when everything written reached
// the file. A stream that failed on the way (a full disk) goes the way of
// DiscardStream.
bool FinishStream(std::FILE *file, const char *path);

// Closes a stream that cannot be finished and removes what it wrote, when it
// wrote into a file of its own: no file is better than half a picture. A
// device (/dev/full, NUL) is only closed, never removed.
void DiscardStream(std::FILE *file, const char *path);

}  // namespace trendel
