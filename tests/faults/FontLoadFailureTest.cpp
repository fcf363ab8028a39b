// Running out of memory while the first face is loaded. A face is loaded
// once per process, so a failure part way must not leave the process
// drawing without text, nor leak what was opened: the next request loads the
// face after all. Each allocation of the first load fails in turn, each in a
// child process of its own that has loaded nothing yet.
#include "AllocationHook.h"
#include "ChildProcess.h"
#include "platform/portable/FontFaces.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace trendel::testing {
namespace {

constexpr long long HEIGHT = -12;

bool Loads(int weight) { return portable::FindFontFaceInstance("Arial", HEIGHT, weight) != nullptr; }

// A child that fails allocation `failing` of the first request and then asks
// again; skipped once the first request makes fewer allocations than that.
// A request that reports running out of memory must leave the face to the
// next one. (A few failures inside FreeType surface as other errors, a file
// that cannot be opened, and then the face is missing, as it is for a file
// that truly cannot be opened.)
std::string FailThenAskAgain(std::int64_t failing, int weight) {
  ArmAllocationHook(failing);
  bool ranOut = false;
  try {
    Loads(weight);
  } catch (const std::bad_alloc &) {
    ranOut = true;
  }
  const bool reached = AllocationFailureInjected();
  DisarmAllocationHook();
  if (!reached) return SkipBecause("past the first request's last allocation");
  if (ranOut && !Loads(weight)) return "no face after allocation " + std::to_string(failing) + " failed";
  return {};
}

TEST(FontLoadFailure, TheNextRequestLoadsTheFaceAfterAll) {
  // The first child also fills the font file cache, as any earlier run
  // would: the walk then covers the usual start, without fontconfig.
  const ChildOutcome plain =
      RunInChild(Privileges::Kept, [] {}, [] { return Loads(FW_NORMAL) ? "" : "no face at all"; });
  if (!plain.problems.empty()) GTEST_SKIP() << "no Arial-compatible face: " << plain.problems;
  for (const int weight : {FW_NORMAL, FW_BOLD}) {
    for (std::int64_t failing = 1;; ++failing) {
      const ChildOutcome outcome = RunInChild(Privileges::Kept, [] {},
                                              [&] { return FailThenAskAgain(failing, weight); });
      if (outcome.skipped) break;
      ASSERT_EQ(outcome.problems, "") << "weight " << weight;
    }
  }
}

}  // namespace
}  // namespace trendel::testing
