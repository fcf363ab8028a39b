// A private directory for everything a fuzz target writes: saved pictures go
// to its "out" folder and the library's temporary files to its "tmp" folder,
// where TMPDIR points. Both are emptied after every input and the whole
// directory goes when the process ends.
#pragma once

#include <string>

namespace trendel::fuzzing {

class Sandbox {
 public:
  // Made on first use, under the TMPDIR the process started with.
  static Sandbox &Instance();
  ~Sandbox();
  Sandbox(const Sandbox &) = delete;
  Sandbox &operator=(const Sandbox &) = delete;

  // The folder saved pictures go to, with a "/" at the end.
  const std::string &OutputFolder() const { return output_; }
  // Aborts when a temporary file survived the input, then empties the output
  // folder.
  void CheckAndClean() const;

 private:
  Sandbox();
  std::string root_;
  std::string output_;
  std::string temporary_;
};

// Ends the process with a message: the fuzzer keeps the input as a crash.
[[noreturn]] void Fail(const char *what);

inline void Require(bool condition, const char *what) {
  if (!condition) Fail(what);
}

// The message handler of the fuzz targets: a message box in a drawing or
// saving pass means a GDI object could not be released, which is never right.
void MessageBoxIsAFault(const char *text);

}  // namespace trendel::fuzzing
