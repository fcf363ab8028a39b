// Loading and unloading on Windows, with a stand-in sockets layer: the
// failures a real system gives only on a bad day.
#include "api/LibraryLoad.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trendel {
namespace {

// What the stand-in calls did, and what the next start-up answers.
struct SocketsLog {
  int startupResult = 0;
  WORD grantedVersion = MAKEWORD(1, 1);
  std::vector<WORD> requestedVersions;
  int cleanups = 0;
  std::vector<std::wstring> messages;
  UINT messageType = 0;
};
SocketsLog sockets;

int WINAPI FakeStartup(WORD version, LPWSADATA data) {
  sockets.requestedVersions.push_back(version);
  if (sockets.startupResult == 0) data->wVersion = sockets.grantedVersion;
  return sockets.startupResult;
}

int WINAPI FakeCleanup() {
  ++sockets.cleanups;
  return 0;
}

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR, UINT type) {
  EXPECT_EQ(owner, nullptr);
  sockets.messages.emplace_back(text);
  sockets.messageType = type;
  return IDOK;
}

constexpr LibraryLoadCalls FAKE_CALLS{FakeStartup, FakeCleanup, FakeMessageBox};

class LibraryLoad : public ::testing::Test {
 protected:
  void SetUp() override { sockets = SocketsLog{}; }
  void TearDown() override { StopLibrary(FAKE_CALLS); }
};

TEST_F(LibraryLoad, StartsWindowsSockets11AndStopsThemAtUnload) {
  EXPECT_EQ(StartLibrary(FAKE_CALLS), LoadOutcome::Loaded);
  EXPECT_EQ(sockets.requestedVersions, std::vector<WORD>{MAKEWORD(1, 1)});
  EXPECT_TRUE(sockets.messages.empty());
  EXPECT_EQ(sockets.cleanups, 0);
  StopLibrary(FAKE_CALLS);
  EXPECT_EQ(sockets.cleanups, 1);
  StopLibrary(FAKE_CALLS);  // the system may call again; only one start to give back
  EXPECT_EQ(sockets.cleanups, 1);
}

TEST_F(LibraryLoad, StartupErrorRefusesTheLoadWithTheMessage) {
  sockets.startupResult = WSAVERNOTSUPPORTED;
  EXPECT_EQ(StartLibrary(FAKE_CALLS), LoadOutcome::Refused);
  ASSERT_EQ(sockets.messages.size(), 1u);
  EXPECT_EQ(sockets.messages[0], L"Windows 通信端口初始化失败。");
  EXPECT_EQ(sockets.messageType & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  // Nothing was started, so the refused library gives nothing back, now or
  // when the system unloads it.
  EXPECT_EQ(sockets.cleanups, 0);
  StopLibrary(FAKE_CALLS);
  EXPECT_EQ(sockets.cleanups, 0);
}

TEST_F(LibraryLoad, OtherGrantedVersionIsGivenBackAndRefusesTheLoad) {
  for (WORD granted : {MAKEWORD(1, 0), MAKEWORD(2, 2)}) {
    sockets = SocketsLog{};
    sockets.grantedVersion = granted;
    EXPECT_EQ(StartLibrary(FAKE_CALLS), LoadOutcome::Refused) << "granted " << granted;
    EXPECT_EQ(sockets.cleanups, 1) << "granted " << granted;
    EXPECT_EQ(sockets.messages.size(), 1u) << "granted " << granted;
    StopLibrary(FAKE_CALLS);
    EXPECT_EQ(sockets.cleanups, 1) << "granted " << granted;
  }
}

}  // namespace
}  // namespace trendel
