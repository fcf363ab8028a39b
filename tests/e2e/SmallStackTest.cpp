// A host may call from a thread with a small stack: threads of some C
// libraries get 128 KB, and a host can ask for less. The library keeps its
// large tables on the heap, so a whole session of load, draw, mouse move and
// a save in every format runs on a 64 KB stack. The sanitizers make every
// frame several times larger, so their builds give the thread more.
#include "TestWindow.h"
#include "support/TestGraphs.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace trendel::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t STACK_SCALE = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr std::size_t STACK_SCALE = 8;
#else
constexpr std::size_t STACK_SCALE = 1;
#endif
#else
constexpr std::size_t STACK_SCALE = 1;
#endif
constexpr std::size_t STACK_BYTES = 64 * 1024 * STACK_SCALE;

struct Session {
  std::string folder;
  int failures = 0;
};

void *RunSession(void *argument) {
  Session &session = *static_cast<Session *>(argument);
  TestWindow window(300, 200);
  GraphArguments graph;
  graph.showGrid = 1;
  const auto check = [&](std::int32_t result) { session.failures += result != TRENDEL_OK; };
  check(graph.Load(window.Handle()));
  check(Trendel_DrawGraph(window.Handle()));
  check(Trendel_MouseMove(window.Handle(), 0, 150, 100));
  for (const char *extension : {".bmp", ".gif", ".jpg"}) {
    const std::string path = session.folder + "/small-stack" + extension;
    check(Trendel_SaveFile(window.Handle(), path.c_str(), 300, 200));
    session.failures += !std::filesystem::exists(path);
  }
  check(Trendel_Destroy(window.Handle()));
  return nullptr;
}

TEST(SmallStack, AWholeSessionRunsOnASixtyFourKilobyteThread) {
  Session session;
  session.folder = "e2e-output/small-stack";
  std::filesystem::create_directories(session.folder);
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, STACK_BYTES), 0);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attributes, RunSession, &session), 0);
  ASSERT_EQ(pthread_join(thread, nullptr), 0);
  pthread_attr_destroy(&attributes);
  EXPECT_EQ(session.failures, 0);
}

}  // namespace
}  // namespace trendel::testing
