#include "ChildProcess.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace trendel::testing {
namespace {

constexpr char SKIPPED[] = "skipped: ";
// The user and group "nobody" and "nogroup" have these numbers on Debian.
constexpr uid_t NOBODY = 65534;
constexpr gid_t NOGROUP = 65534;

// Empty when the child now runs without root's privileges.
std::string DropPrivileges() {
  if (geteuid() != 0) return {};
  if (setgroups(0, nullptr) != 0 || setgid(NOGROUP) != 0 || setuid(NOBODY) != 0) {
    return SkipBecause(std::string("cannot become the user nobody: ") + std::strerror(errno));
  }
  if (setuid(0) == 0) return SkipBecause("root's privileges came back");
  return {};
}

void WriteAll(int descriptor, const std::string &text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    written += static_cast<std::size_t>(count);
  }
}

std::string ReadAll(int descriptor) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace

std::string SkipBecause(const std::string &reason) {
  return SKIPPED + reason;
}

Child StartChild(Privileges privileges, const std::function<void()> &setup,
                 const std::function<std::string()> &body) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t process = fork();
  if (process < 0) {
    close(channel[0]);
    close(channel[1]);
    return {};
  }
  if (process == 0) {
    close(channel[0]);
    std::string report = privileges == Privileges::Dropped ? DropPrivileges() : std::string();
    if (report.empty()) {
      setup();
      report = body();
    }
    WriteAll(channel[1], report);
    // Straight out: the child's copy of the test program has nothing to
    // flush or report.
    _exit(0);
  }
  close(channel[1]);
  return {process, channel[0]};
}

ChildOutcome WaitForChild(const Child &child) {
  if (child.process < 0) return {false, "no child process"};
  const std::string report = ReadAll(child.channel);
  close(child.channel);
  int status = 0;
  while (waitpid(child.process, &status, 0) < 0 && errno == EINTR) {
  }
  ChildOutcome outcome;
  if (WIFSIGNALED(status)) {
    outcome.problems =
        "the child died of signal " + std::to_string(WTERMSIG(status)) + "; " + report;
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    outcome.problems = "the child failed; " + report;
  } else if (report.rfind(SKIPPED, 0) == 0) {
    outcome.skipped = true;
    outcome.problems = report.substr(sizeof SKIPPED - 1);
  } else {
    outcome.problems = report;
  }
  return outcome;
}

ChildOutcome RunInChild(Privileges privileges, const std::function<void()> &setup,
                        const std::function<std::string()> &body) {
  return WaitForChild(StartChild(privileges, setup, body));
}

}  // namespace trendel::testing
