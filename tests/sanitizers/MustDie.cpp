// Faults the sanitizer tier must stop. Each mode commits one, on values the
// compiler cannot see coming (they grow out of the argument count), and
// prints what it computed; the tests expect the process to die with the
// sanitizer's report first. Built in the sanitizer tier only.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A double far beyond int's range, converted: undefined, and only
// -fsanitize=float-cast-overflow reports it.
int FloatToInt(int seed) {
  volatile double huge = 3e9 * seed;
  return static_cast<int>(huge);
}

int SignedOverflow(int seed) {
  volatile int large = std::numeric_limits<int>::max() - 1;
  return large + 2 * seed;
}

int HeapOverflow(int seed) {
  int *values = new int[static_cast<unsigned>(seed)]();
  const int read = values[seed];
  delete[] values;
  return read;
}

// The block's only pointer goes when the function returns.
int Leak(int seed) {
  int *lost = new int[static_cast<unsigned>(seed)]();
  lost[0] = seed;
  return lost[0];
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s float-to-int|signed-overflow|heap-overflow|leak\n", argv[0]);
    return 2;
  }
  const int seed = argc - 1;
  const char *mode = argv[1];
  int result = 0;
  if (std::strcmp(mode, "float-to-int") == 0) {
    result = FloatToInt(seed);
  } else if (std::strcmp(mode, "signed-overflow") == 0) {
    result = SignedOverflow(seed);
  } else if (std::strcmp(mode, "heap-overflow") == 0) {
    result = HeapOverflow(seed);
  } else if (std::strcmp(mode, "leak") == 0) {
    result = Leak(seed);
  } else {
    return 2;
  }
  std::printf("%s went unnoticed: %d\n", mode, result);
  return 0;
}
