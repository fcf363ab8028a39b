// The library's lock: one thread at a time, and the holder may enter again.
// Under ThreadSanitizer a lock that let two threads in would also show as a
// data race on the counter.
#include "platform/ExportLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace trendel {
namespace {

TEST(ExportLock, TheHolderEntersAgainWithoutWaiting) {
  std::atomic<bool> entered{false};
  std::thread other;
  {
    const ExportLock outer;
    {
      const ExportLock inner;
      const ExportLock innermost;
    }
    // Still held after the inner ones left: another thread must wait.
    other = std::thread([&entered] {
      const ExportLock lock;
      entered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(entered);
  }
  other.join();
  EXPECT_TRUE(entered);
}

TEST(ExportLock, ThreadsTakeTurns) {
  constexpr int THREADS = 4;
  constexpr int ENTRIES = 20000;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int thread = 0; thread < THREADS; ++thread) {
    threads.emplace_back([&counter, thread] {
      for (int entry = 0; entry < ENTRIES; ++entry) {
        const ExportLock lock;
        // Every other thread enters twice, as an export that calls another
        // would.
        if (thread % 2 == 0) {
          const ExportLock again;
          ++counter;
        } else {
          ++counter;
        }
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(counter, static_cast<long>(THREADS) * ENTRIES);
}

}  // namespace
}  // namespace trendel
