// Writing a whole file so that its name never shows half of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trendel {

// Makes `bytes` the whole content of the file at `path` (Win32 path rules:
// "\" separates directories as "/" does). The bytes go to a new name of our
// own in the destination's folder, created exclusively, which then replaces
// the destination in one rename: readers see the old file or the complete
// new one, never a part. A destination that exists and is not a regular
// file (a device such as /dev/stdout, a pipe) is written directly. True when
// everything was written; false when nothing was saved, and then no
// temporary file remains.
bool ReplaceFileContents(const char *path, const std::uint8_t *bytes, std::size_t count);

}  // namespace trendel
