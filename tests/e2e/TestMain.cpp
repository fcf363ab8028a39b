// The main of the end-to-end test programs: GoogleTest, plus one summary line
// that scripts and people read the same way on both builds.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class SummaryLine : public ::testing::EmptyTestEventListener {
 public:
  explicit SummaryLine(std::string program) : program_(std::move(program)) {}

  void OnTestProgramEnd(const ::testing::UnitTest &unit) override {
    std::printf("%s: %d passed, %d failed\n", program_.c_str(), unit.successful_test_count(),
                unit.failed_test_count());
    std::fflush(stdout);
  }

 private:
  std::string program_;
};

// The program's name without folders or extension.
std::string ProgramName(const char *path) {
  std::string name = path;
  const std::size_t folder = name.find_last_of("/\\");
  if (folder != std::string::npos) name.erase(0, folder + 1);
  const std::size_t extension = name.rfind('.');
  if (extension != std::string::npos) name.erase(extension);
  return name;
}

}  // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryLine(ProgramName(argv[0])));
  return RUN_ALL_TESTS();
}
