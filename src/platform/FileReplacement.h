// Files that replace whatever was under their name in one step, so that a
// save cut short never costs the previous file and a reader never meets half
// a file.
//
// A save to a file writes a new, exclusively created staging file in the
// destination's folder and, once that is complete, renames it over the
// destination: rename on the portable build, MoveFileExA with
// MOVEFILE_REPLACE_EXISTING on Windows. A rename within one folder never
// crosses file systems, and readers see the old file or the new one. A
// destination that exists and is not a plain file (a device such as
// /dev/stdout or NUL, a pipe) cannot be replaced and is written directly.
#pragma once

#include <string>

namespace trendel {

// The staging side of one save. The staging file it reserves is removed
// again when it goes, unless Commit put it in place.
class FileReplacement {
 public:
  // Reserves the staging file, or settles on writing directly. Paths are
  // read as Win32 reads them: on the portable build "\" separates too.
  explicit FileReplacement(const char *destination);
  ~FileReplacement();
  FileReplacement(const FileReplacement &) = delete;
  FileReplacement &operator=(const FileReplacement &) = delete;

  // Where the writer creates (or truncates) and writes its file; null when
  // nothing may be written: no staging name could be made, or the
  // destination is a file this process may not write.
  const char *Path() const;

  // Puts the completely written staging file in place of the destination.
  // True when the destination now holds the new file, which for a direct
  // destination is already so.
  bool Commit();

 private:
  enum class Mode { Refused, Direct, Staged };

  Mode mode_ = Mode::Refused;
  std::string target_;
  std::string staging_;
};

// Saves a file through `write(path)`, which must create or truncate `path`,
// write the whole file and return true when it did. True when the
// destination holds the new file. A failure, at any step, leaves the
// previous file exactly as it was and no staging file behind.
template <typename Write>
bool WriteReplacing(const char *destination, Write write) {
  FileReplacement replacement(destination);
  return replacement.Path() != nullptr && write(replacement.Path()) && replacement.Commit();
}

}  // namespace trendel
