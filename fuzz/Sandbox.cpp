#include "Sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace trendel::fuzzing {

namespace fs = std::filesystem;

Sandbox &Sandbox::Instance() {
  static Sandbox sandbox;
  return sandbox;
}

Sandbox::Sandbox() {
  const char *parent = std::getenv("TMPDIR");
  std::string pattern =
      std::string(parent != nullptr && *parent != '\0' ? parent : "/tmp") + "/trendel-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make the sandbox directory");
  root_ = pattern;
  output_ = root_ + "/out/";
  temporary_ = root_ + "/tmp";
  std::error_code error;
  fs::create_directory(output_, error);
  fs::create_directory(temporary_, error);
  if (error) Fail("cannot make the sandbox folders");
  setenv("TMPDIR", temporary_.c_str(), 1);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void Sandbox::CheckAndClean() const {
  std::error_code error;
  if (!fs::is_empty(temporary_, error) || error) Fail("a temporary file was left behind");
  for (const fs::directory_entry &entry : fs::directory_iterator(output_, error)) {
    fs::remove_all(entry.path(), error);
  }
  if (error) Fail("cannot empty the output folder");
}

void Fail(const char *what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

void MessageBoxIsAFault(const char *) { Fail("the library showed a message box"); }

}  // namespace trendel::fuzzing
