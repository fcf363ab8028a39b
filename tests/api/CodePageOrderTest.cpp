// Category sorting in the process code page on Windows: a double-byte
// character (lead byte and trail byte) compares as one 16-bit value, so in
// Shift-JIS "\x81\x40" (0x8140) sorts after the single-byte "\xA1" although
// its first byte is smaller.
#include "api/GraphLoading.h"

#include <gtest/gtest.h>

#include <mbctype.h>

namespace trendel {
namespace {

class CodePage : public ::testing::Test {
 protected:
  void TearDown() override { _setmbcp(_MB_CP_ANSI); }
};

TEST_F(CodePage, DoubleByteCharactersCompareAsOneValue) {
  const std::vector<std::string> labels{"\x81\x40", "\xA1", "b", "\x81\x40"};
  ASSERT_EQ(_setmbcp(932), 0);
  EXPECT_EQ(CategoryOrder(labels, true), (std::vector<std::int32_t>{2, 1, 0, 3}));
}

TEST_F(CodePage, SingleByteCodePagesCompareBytes) {
  const std::vector<std::string> labels{"\x81\x40", "\xA1", "b", "\x81\x40"};
  ASSERT_EQ(_setmbcp(1252), 0);
  EXPECT_EQ(CategoryOrder(labels, true), (std::vector<std::int32_t>{2, 0, 3, 1}));
}

}  // namespace
}  // namespace trendel
