// The oracle-script player that the reference images depend on: a mistake
// here would make every reference test compare the wrong thing.
#include "GdiScript.h"

#include "platform/portable/Accounting.h"

#include <gtest/gtest.h>

#include <sstream>

namespace trendel::testing {
namespace {

bool Play(GdiScript &script, const std::string &text) {
  std::istringstream lines(text);
  return script.Run(lines);
}

TEST(GdiScript, PaintsLikeTheOracleAndCleansUp) {
  const int before = portable::CountLiveObjects().gdiObjects;
  {
    GdiScript script;
    ASSERT_TRUE(Play(script,
                     "# a comment, then a blank line\n"
                     "\n"
                     "canvas 4 3\n"
                     "fill 0x0000FF 1 0 3 2\n"  // a COLORREF: red
                     "pen 0 1 #00FF00\n"
                     "brush 255\n"
                     "moveto 0 2\n"
                     "lineto 4 2\n"
                     "show 0 0 4 3\n"))
        << script.error();
    const Image picture = script.Picture();
    ASSERT_EQ(picture.width, 4);
    EXPECT_EQ(picture.At(0, 0), 0x000000u);  // a new canvas is black, as in GDI
    EXPECT_EQ(picture.At(1, 1), 0xFF0000u);
    EXPECT_EQ(picture.At(3, 1), 0x000000u);  // fill's right edge is exclusive
    EXPECT_EQ(picture.At(3, 2), 0x00FF00u);
  }
  // The pen and brush the script left selected were restored and deleted.
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
}

TEST(GdiScript, ReportsTheLineOfTheFirstFailure) {
  const std::pair<const char *, const char *> cases[] = {
      {"rect 0 0 1 1\n", "line 1: the first command must be canvas"},
      {"canvas 2 2\nrestore pen\n", "line 2: nothing to restore: pen"},
      {"canvas 2 2\n\nlineto 1 x\n", "line 3: not a number: x"},
      {"canvas 2 2\nbrush red\n", "line 2: not a colour: red"},
      {"canvas 2 2 dib\n", "line 1: only compat canvases are supported"},
      {"canvas 2 2\ntext 0 0 Hello\n", "line 2: unknown command text"},
  };
  for (const auto &[text, error] : cases) {
    GdiScript script;
    EXPECT_FALSE(Play(script, text));
    EXPECT_EQ(script.error(), error);
  }
}

}  // namespace
}  // namespace trendel::testing
