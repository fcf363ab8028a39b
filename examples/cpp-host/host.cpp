// A C++ host: a small RAII wrapper around one headless window and its graph,
// then draw, track the mouse, save in every format and check the results.
#include "trendel.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class Chart {
 public:
  Chart(int width, int height) : window_(TrendelHost_CreateWindow(width, height)) {
    if (window_ == nullptr) throw std::runtime_error("no window");
  }
  ~Chart() {
    Trendel_Destroy(window_);
    TrendelHost_DestroyWindow(window_);
  }
  Chart(const Chart &) = delete;
  Chart &operator=(const Chart &) = delete;

  void Load(const std::vector<const char *> &series, const std::vector<const char *> &categories,
            const std::vector<double> &values) {
    Check("Trendel_SetValues",
          Trendel_SetValues(window_, "LINE_GRAPH", "Temperatures", 45, "Day of the month", "C",
                            "City", series.data(), static_cast<int32_t>(series.size()), nullptr, 0,
                            0, -10.0, 30.0, 1, "BY_STEP", 5.0, 0, 1, categories.data(),
                            static_cast<int32_t>(categories.size()), values.data(),
                            static_cast<int32_t>(series.size()),
                            static_cast<int32_t>(categories.size())));
  }
  void Draw() { Check("Trendel_DrawGraph", Trendel_DrawGraph(window_)); }
  void Move(int x, int y) { Trendel_MouseMove(window_, 0, x, y); }
  void Save(const std::string &path) {
    Check("Trendel_SaveFile", Trendel_SaveFile(window_, path.c_str(), 400, 300));
  }
  HWND Window() const { return window_; }

 private:
  static void Check(const char *call, int32_t result) {
    if (result != TRENDEL_OK) throw std::runtime_error(call + (" returned " + std::to_string(result)));
  }
  HWND window_;
};

std::string FirstBytes(const std::string &path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(&bytes[0], static_cast<std::streamsize>(count));
  return in ? bytes : std::string();
}

}  // namespace

int main(int argc, char **argv) {
  const std::string directory = argc > 1 ? argv[1] : ".";
  try {
    Chart chart(640, 480);
    std::vector<const char *> days;
    std::vector<std::string> labels;
    for (int day = 1; day <= 31; ++day) labels.push_back(std::to_string(day));
    for (const std::string &label : labels) days.push_back(label.c_str());
    std::vector<double> values;
    for (int series = 0; series < 2; ++series) {
      for (int day = 0; day < 31; ++day) values.push_back(series * 6 - 8 + (day * 7 % 23));
    }
    values[40] = TRENDEL_MISSING_VALUE;
    chart.Load({"Oslo", "Lisbon"}, days, values);
    chart.Draw();
    chart.Move(320, 240);
    if (TrendelHost_GetCapture() != chart.Window()) throw std::runtime_error("no capture");
    chart.Move(700, 240);
    if (TrendelHost_GetCapture() != nullptr) throw std::runtime_error("capture kept");

    const struct {
      const char *name;
      std::string signature;
    } files[] = {{"/cpp-chart.gif", "GIF87a"}, {"/cpp-chart.jpeg", "\xFF\xD8"}, {"/cpp-chart.bmp", "BM"}};
    for (const auto &file : files) {
      chart.Save(directory + file.name);
      if (FirstBytes(directory + file.name, file.signature.size()) != file.signature) {
        throw std::runtime_error(std::string(file.name) + " does not start as expected");
      }
    }
  } catch (const std::exception &error) {
    std::fprintf(stderr, "cpp host: %s\n", error.what());
    return 1;
  }
  std::printf("cpp host: drew, tracked and saved into %s\n", directory.c_str());
  return 0;
}
