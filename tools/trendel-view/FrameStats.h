// The timing mode (--stats): one line on standard output for every frame the
// viewer puts on the screen, split into the stages of the way there, and a
// summary of the pointer moves when the viewer closes.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace trendel::view {

// Milliseconds spent in each stage of one frame.
struct FrameTimes {
  double library = 0.0;  // Trendel_MouseMove and Trendel_DrawGraph: the drawing pass
  double read = 0.0;     // the headless window's pixels read back
  double show = 0.0;     // the changed parts found and sent to the screen
  double toScreen = 0.0;  // from taking the first event off the queue to the end of presenting
  // The processor time the viewer's thread spent on all of it: what the frame
  // costs on a machine with nothing else to do.
  double processor = 0.0;
};

// Milliseconds since construction or the last Restart.
class Stopwatch {
 public:
  Stopwatch() : start(std::chrono::steady_clock::now()) {}
  void Restart() { start = std::chrono::steady_clock::now(); }
  double Elapsed() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }

 private:
  std::chrono::steady_clock::time_point start;
};

// Milliseconds of processor time the calling thread has used.
double ThreadProcessorTime();

enum class FrameKind { Drawn, Moved };

class FrameStats {
 public:
  explicit FrameStats(bool printing) : enabled(printing) {}

  // Prints the frame's line ("moved 412,300: ..." or "drawn 800x600: ...");
  // `sinceEvent` is the whole time from the event's arrival in SDL's queue,
  // in SDL's whole milliseconds.
  void Record(FrameKind kind, const std::string &label, const FrameTimes &times,
              std::uint32_t sinceEvent);

  // The medians and worst cases of the pointer moves and of the drawing passes alone.
  void PrintSummary() const;

 private:
  bool enabled;
  std::vector<double> moveToScreen;
  std::vector<double> moveLibrary;
  std::vector<double> moveProcessor;
  std::vector<std::uint32_t> moveSinceEvent;
};

}  // namespace trendel::view
