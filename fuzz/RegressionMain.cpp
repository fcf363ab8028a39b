// Runs the fuzz target once over every file of the directories or files
// given, so that the corpus is an ordinary regression test.
#include <dirent.h>
#include <sys/stat.h>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

int RunFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  int failures = 0, inputs = 0;
  for (int i = 1; i < argc; ++i) {
    struct stat status {};
    if (stat(argv[i], &status) == 0 && S_ISDIR(status.st_mode)) {
      DIR *directory = opendir(argv[i]);
      while (const dirent *entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        failures += RunFile(std::string(argv[i]) + "/" + name);
        ++inputs;
      }
      closedir(directory);
    } else {
      failures += RunFile(argv[i]);
      ++inputs;
    }
  }
  std::printf("%d inputs, %d unreadable\n", inputs, failures);
  return inputs == 0 || failures != 0 ? 1 : 0;
}
