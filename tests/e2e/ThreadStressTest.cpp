// The exports called from many threads at once, as threaded hosts call them
// (Python's ctypes, for one, lets other threads run during every foreign
// call): eight threads with a window each, and three more sharing one
// window. Each thread loads, draws, reads its window back, moves the mouse,
// saves in every format and to the clipboard, destroys its binding and binds
// again, in an order of its own. Every call must answer one of its
// documented results and every file read back must be whole; afterwards each
// window still saves exactly the picture a window drawn alone gives. Under
// ThreadSanitizer the same run must show no data race.
#include "TestWindow.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trendel::testing {
namespace {

namespace fs = std::filesystem;

constexpr int OWN_WINDOW_THREADS = 8;
constexpr int SHARING_THREADS = 3;
constexpr int ROUNDS = 12;
constexpr int WIDTH = 160;
constexpr int HEIGHT = 120;
constexpr char OUTPUT_FOLDER[] = "e2e-output/threads";
const char *const FILE_FORMATS[] = {".bmp", ".gif", ".jpg"};

std::vector<unsigned char> ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t LittleEndian32(const std::vector<unsigned char> &bytes, std::size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// Whether the bytes are a whole file of the format the name's extension
// gives: its signature at the start and its end where the format says.
bool IsWholeImage(const std::vector<unsigned char> &bytes, const std::string &extension) {
  if (bytes.size() < 54) return false;
  if (extension == ".bmp") {
    return bytes[0] == 'B' && bytes[1] == 'M' && LittleEndian32(bytes, 2) == bytes.size();
  }
  if (extension == ".gif") {
    return std::string(bytes.begin(), bytes.begin() + 6) == "GIF87a" && bytes.back() == 0x3B;
  }
  return bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[bytes.size() - 2] == 0xFF &&
         bytes.back() == 0xD9;
}

// Each thread's graph has a title of its own, so that a picture that comes
// from another thread's graph shows.
GraphArguments GraphOfThread(int thread) {
  GraphArguments graph;
  graph.title = "Thread " + std::to_string(thread);
  graph.showGrid = thread % 2;
  graph.values = {10.0 + thread, 20, 30, 40, 50.0 - thread, 60};
  return graph;
}

// What the threads found wrong, collected from all of them.
class Problems {
 public:
  void Add(const std::string &problem) {
    const std::lock_guard<std::mutex> guard(mutex_);
    list_.push_back(problem);
  }
  std::string Text() const {
    std::string text;
    for (const std::string &problem : list_) text += problem + "\n";
    return text;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> list_;
};

// One thread's work on a window. A window shared with other threads may
// lose its binding to another thread's Trendel_Destroy at any moment, after
// which drawing and saving answer TRENDEL_NO_GRAPH until a thread loads it
// again; a window of its own never does.
class Worker {
 public:
  Worker(int thread, HWND window, bool shared, Problems &problems)
      : thread_(thread), window_(window), shared_(shared), problems_(problems) {}

  void Run() {
    Step(0);
    for (int round = 0; round < ROUNDS; ++round) {
      // Each thread starts its round at another step, so that all kinds of
      // call meet.
      for (int step = 0; step < STEP_COUNT; ++step) Step((step + thread_ + round) % STEP_COUNT);
    }
  }

 private:
  static constexpr int STEP_COUNT = 7;

  void Step(int step) {
    switch (step) {
      case 0:
        Expect("Trendel_SetValues", GraphOfThread(thread_).Load(window_), TRENDEL_OK);
        break;
      case 1:
        ExpectDrawable("Trendel_DrawGraph", Trendel_DrawGraph(window_));
        break;
      case 2:
        for (int x = 0; x < WIDTH; x += 23) {
          Expect("Trendel_MouseMove", Trendel_MouseMove(window_, 0, x, HEIGHT / 2), TRENDEL_OK);
        }
        Expect("Trendel_MouseMove", Trendel_MouseMove(window_, 0, -5, -5), TRENDEL_OK);
        break;
      case 3:
        SaveFiles();
        break;
      case 4:
        ExpectDrawable("Trendel_SaveFile to the clipboard", Trendel_SaveFile(window_, "", 40, 30));
        break;
      case 5:
        Expect("Trendel_SetRedraw", Trendel_SetRedraw(window_, 1), TRENDEL_OK);
        break;
      default:
        Expect("Trendel_Destroy", Trendel_Destroy(window_), TRENDEL_OK);
        Expect("Trendel_SetValues after Trendel_Destroy", GraphOfThread(thread_).Load(window_),
               TRENDEL_OK);
        break;
    }
  }

  // Threads sharing the window also share the file names, so that their
  // saves replace each other's files while they read them back.
  void SaveFiles() {
    const std::string stem = std::string(OUTPUT_FOLDER) + "/" +
                             (shared_ ? std::string("shared") : "thread" + std::to_string(thread_));
    for (const char *extension : FILE_FORMATS) {
      const std::string path = stem + extension;
      const std::int32_t result = Trendel_SaveFile(window_, path.c_str(), WIDTH, HEIGHT);
      ExpectDrawable("Trendel_SaveFile to " + path, result);
      if (result == TRENDEL_OK && !IsWholeImage(ReadBytes(path), extension)) {
        problems_.Add("thread " + std::to_string(thread_) + ": " + path + " is not whole");
      }
    }
  }

  void Expect(const std::string &call, std::int32_t result, std::int32_t expected) {
    if (result == expected) return;
    problems_.Add("thread " + std::to_string(thread_) + ": " + call + " answered " +
                  std::to_string(result));
  }

  void ExpectDrawable(const std::string &call, std::int32_t result) {
    const bool unbound = shared_ && result == TRENDEL_NO_GRAPH;
    Expect(call, result, unbound ? TRENDEL_NO_GRAPH : TRENDEL_OK);
  }

  const int thread_;
  const HWND window_;
  const bool shared_;
  Problems &problems_;
};

// The BMP file a graph gives when saved from a window of its own.
std::vector<unsigned char> SavedAlone(const GraphArguments &graph, const std::string &path) {
  TestWindow window(WIDTH, HEIGHT);
  if (graph.Load(window.Handle()) != TRENDEL_OK ||
      Trendel_SaveFile(window.Handle(), path.c_str(), WIDTH, HEIGHT) != TRENDEL_OK) {
    return {};
  }
  Trendel_Destroy(window.Handle());
  return ReadBytes(path);
}

TEST(Threads, ManyThreadsCallingAtOnceGetTheirDocumentedResults) {
  fs::create_directories(OUTPUT_FOLDER);
  Problems problems;
  TestWindow sharedWindow(WIDTH, HEIGHT);
  std::vector<std::thread> threads;
  for (int thread = 0; thread < OWN_WINDOW_THREADS; ++thread) {
    threads.emplace_back([thread, &problems] {
      // Made, used and closed on the thread, as a window belongs to the
      // thread that made it.
      TestWindow window(WIDTH, HEIGHT);
      Worker(thread, window.Handle(), false, problems).Run();
      const Image pixels = window.Pixels();
      if (pixels.width != WIDTH || pixels.height != HEIGHT) {
        problems.Add("thread " + std::to_string(thread) + ": its window cannot be read back");
      }
      const std::string path = std::string(OUTPUT_FOLDER) + "/final" + std::to_string(thread) + ".bmp";
      if (Trendel_SaveFile(window.Handle(), path.c_str(), WIDTH, HEIGHT) != TRENDEL_OK) {
        problems.Add("thread " + std::to_string(thread) + ": the last save failed");
      }
      Trendel_Destroy(window.Handle());
    });
  }
  for (int thread = OWN_WINDOW_THREADS; thread < OWN_WINDOW_THREADS + SHARING_THREADS; ++thread) {
    threads.emplace_back([thread, &problems, &sharedWindow] {
      Worker(thread, sharedWindow.Handle(), true, problems).Run();
    });
  }
  for (std::thread &thread : threads) thread.join();
  Trendel_Destroy(sharedWindow.Handle());
  EXPECT_EQ(problems.Text(), "");

  // The saves never draw the tracking overlay, so each last save is the
  // thread's graph exactly as a window of its own draws it.
  for (int thread = 0; thread < OWN_WINDOW_THREADS; ++thread) {
    const std::string folder = OUTPUT_FOLDER;
    const std::vector<unsigned char> alone =
        SavedAlone(GraphOfThread(thread), folder + "/alone" + std::to_string(thread) + ".bmp");
    ASSERT_FALSE(alone.empty());
    EXPECT_EQ(ReadBytes(folder + "/final" + std::to_string(thread) + ".bmp"), alone)
        << "thread " << thread;
  }
}

}  // namespace
}  // namespace trendel::testing
