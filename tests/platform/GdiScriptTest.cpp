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
      {"canvas 2 2\npolygon 0 0 1 1\n", "line 2: unknown command polygon"},
      {"canvas 2 2\nfont 16 600 0\n", "line 2: CreateFontA refused the font"},
      {"canvas 2 2\ntext 0 0\n", "line 2: text X Y STRING"},
      {"canvas 2 2\nbbox lt #FFFFFF\n", "line 2: bbox eq|ne COLOR"},
  };
  for (const auto &[text, error] : cases) {
    GdiScript script;
    EXPECT_FALSE(Play(script, text));
    EXPECT_EQ(script.error(), error);
  }
}

// The text commands answer in the oracle's words; the numbers are the
// oracle's own for a height-16 Arial: "Hg" is 18 wide, the cell 16 high.
TEST(GdiScript, PrintsMetricsAndBoxesAsTheOracleDoes) {
  GdiScript script;
  ASSERT_TRUE(Play(script,
                   "canvas 30 20\n"
                   "fill #FFFFFF\n"
                   "fill #FF0000 2 3 5 7\n"
                   "bbox eq #FF0000\n"
                   "bbox ne #FFFFFF\n"
                   "bbox eq 0x123456\n"
                   "font 16 400 0\n"
                   "metrics Hg\n"
                   "metrics\n"
                   "restore font\n"))
      << script.error();
  const std::vector<std::string> expected{
      "bbox eq #FF0000: l=2 t=3 r=5 b=7 (w=3 h=4) pixels=12",
      "bbox ne #FFFFFF: l=2 t=3 r=5 b=7 (w=3 h=4) pixels=12",
      "bbox eq #563412: none",
      "metrics tmHeight=16 tmAscent=13 tmDescent=3 tmInternalLeading=2 tmExternalLeading=0 "
      "tmAveCharWidth=6 tmMaxCharWidth=26 tmWeight=400 emdash=14 extent(\"Hg\")=18,16",
      "metrics tmHeight=16 tmAscent=13 tmDescent=3 tmInternalLeading=2 tmExternalLeading=0 "
      "tmAveCharWidth=6 tmMaxCharWidth=26 tmWeight=400 emdash=14",
  };
  EXPECT_EQ(script.printed(), expected);
}

// Marked cells are solid in the marker even where the script draws text
// transparently, and the glyphs never stray outside them for "Hg".
TEST(GdiScript, MarksTextCellsAndUnquotesStrings) {
  const std::string drawing =
      "canvas 30 25\n"
      "fill #808080\n"
      "bkmode TRANSPARENT\n"
      "font 16 400 0\n";
  GdiScript marked;
  marked.MarkTextCells(RGB(255, 0, 255));
  ASSERT_TRUE(Play(marked, drawing + "text 5 5 Hg\nbbox eq #FF00FF\nbbox ne #808080\n"))
      << marked.error();
  const std::vector<std::string> expected{
      "bbox eq #FF00FF: l=5 t=5 r=23 b=21 (w=18 h=16) pixels=288",
      "bbox ne #808080: l=5 t=5 r=23 b=21 (w=18 h=16) pixels=288",
  };
  EXPECT_EQ(marked.printed(), expected);

  GdiScript plain, quoted;
  ASSERT_TRUE(Play(plain, drawing + "text 5 5 Hg\n")) << plain.error();
  ASSERT_TRUE(Play(quoted, drawing + "text 5 5 \"Hg\"\r\n")) << quoted.error();
  EXPECT_EQ(quoted.Picture().pixels, plain.Picture().pixels);
  EXPECT_NE(plain.Picture().pixels, marked.Picture().pixels);
}

}  // namespace
}  // namespace trendel::testing
