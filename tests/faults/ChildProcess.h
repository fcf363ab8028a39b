// Runs part of a test in a child process of its own: one that drops root's
// privileges, or has a file size limit, without changing the test program.
#pragma once

#include <functional>
#include <string>

namespace trendel::testing {

enum class Privileges { Kept, Dropped };

struct ChildOutcome {
  bool skipped = false;
  // Empty when the child finished and found nothing wrong; otherwise what it
  // found, or how it died.
  std::string problems;
};

// A child started and not yet waited for.
struct Child {
  int process = -1;
  int channel = -1;
};

// Forks and runs `setup` and then `body` in the child; WaitForChild hands
// back what `body` returned.
Child StartChild(Privileges privileges, const std::function<void()> &setup,
                 const std::function<std::string()> &body);
ChildOutcome WaitForChild(const Child &child);

// StartChild and WaitForChild in one. With Privileges::Dropped a child running as root first
// becomes the unprivileged user "nobody"; when it cannot, the outcome says
// it was skipped and why. A body that finds it cannot do its test returns
// SkipBecause(reason).
ChildOutcome RunInChild(Privileges privileges, const std::function<void()> &setup,
                        const std::function<std::string()> &body);

std::string SkipBecause(const std::string &reason);

}  // namespace trendel::testing
