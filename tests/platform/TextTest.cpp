// Fonts and text of the portable layer. The oracle's scripts in reference/
// are replayed through our layer and their answers compared: metrics and
// extents exactly, glyph boxes within a pixel, pixels by their share. Then
// the byte decoding, the metric rules' worked numbers and the calls' safety.
#include "Canvas.h"
#include "GdiScript.h"

#include "platform/portable/Accounting.h"
#include "platform/portable/Handles.h"
#include "platform/portable/Surface.h"
#include "platform/portable/Text.h"
#include "support/Ppm.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <sstream>

namespace trendel {
namespace {

using testing::Canvas;
using testing::GdiScript;
using testing::ScriptLine;
using Observation = std::map<std::string, std::string>;

constexpr COLORREF CELL_MARKER = RGB(255, 0, 255);

std::string ReferencePath(const std::string &name) {
  return TEXT_REFERENCE_DIR "/" + name;
}

std::vector<std::string> ReadLines(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The key=value fields of one line of output; a metrics line's extent
// ("extent(\"text\")=cx,cy") becomes the field "extent".
Observation ParseOutputLine(std::string line) {
  Observation fields;
  if (const auto extent = line.find(" extent(\""); extent != std::string::npos) {
    fields["extent"] = line.substr(line.rfind("\")=") + 3);
    line.resize(extent);
  }
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    const auto equals = word.find('=');
    if (equals != std::string::npos) fields[word.substr(0, equals)] = word.substr(equals + 1);
    if (word == "none") fields["none"] = "";
  }
  return fields;
}

// The metrics and bbox answers among printed lines, ours or the oracle's.
std::vector<Observation> Observations(const std::vector<std::string> &printed) {
  std::vector<Observation> observations;
  for (const std::string &line : printed) {
    if (line.rfind("metrics ", 0) == 0 || line.rfind("bbox ", 0) == 0)
      observations.push_back(ParseOutputLine(line));
  }
  return observations;
}

std::vector<Observation> OracleObservations(const std::string &name) {
  return Observations(ReadLines(ReferencePath(name)));
}

// Replays one of the text scripts through the portable layer. When the oracle
// ran it, its `dump` wrote the reference image beside it; ours is compared in
// memory, so the replay writes nothing.
::testing::AssertionResult Replay(GdiScript &script, const std::string &name) {
  script.Define("dump", [](GdiScript &, const ScriptLine &) {});
  if (script.RunFile(ReferencePath(name))) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << name << ", " << script.error();
}

// Expects the fields both sides have to be equal.
void ExpectSameFields(const std::vector<Observation> &ours, const std::vector<Observation> &oracle,
                      const std::vector<std::string> &keys) {
  ASSERT_EQ(ours.size(), oracle.size());
  for (std::size_t i = 0; i < oracle.size(); ++i) {
    for (const std::string &key : keys) {
      if (oracle[i].count(key) == 0) continue;
      EXPECT_EQ(ours[i].count(key) ? ours[i].at(key) : "none", oracle[i].at(key))
          << "observation " << i << ", " << key;
    }
  }
}

TEST(TextMetrics, EqualTheOraclesForEveryHeightAndBothWeights) {
  GdiScript replay;
  ASSERT_TRUE(Replay(replay, "text-metrics.txt"));
  ExpectSameFields(Observations(replay.printed()), OracleObservations("text-metrics.out"),
                   {"tmHeight", "tmAscent", "tmDescent", "tmInternalLeading", "tmExternalLeading",
                    "tmAveCharWidth", "tmMaxCharWidth", "tmWeight", "emdash", "extent"});
}

TEST(TextMetrics, TheStockFontAndTheFieldsTheOracleDoesNotPrintAreGdis) {
  Canvas canvas(4, 4);
  TEXTMETRICA metrics{};
  ASSERT_TRUE(GetTextMetricsA(canvas.dc(), &metrics));  // the stock font: bold, a 16-pixel cell
  EXPECT_EQ(metrics.tmHeight, 16);
  EXPECT_EQ(metrics.tmAveCharWidth, 7);
  EXPECT_EQ(metrics.tmMaxCharWidth, 25);
  EXPECT_EQ(metrics.tmWeight, 700);
  // As GDI (under the oracle's Wine) reports them for Arial in the ANSI
  // character set, at every size: FF_SWISS although FF_ROMAN was asked for.
  EXPECT_EQ(metrics.tmOverhang, 0);
  EXPECT_EQ(metrics.tmDigitizedAspectX, 96);
  EXPECT_EQ(metrics.tmDigitizedAspectY, 96);
  EXPECT_EQ(metrics.tmFirstChar, 30);
  EXPECT_EQ(metrics.tmLastChar, 255);
  EXPECT_EQ(metrics.tmDefaultChar, 31);
  EXPECT_EQ(metrics.tmBreakChar, 32);
  EXPECT_EQ(metrics.tmItalic + metrics.tmUnderlined + metrics.tmStruckOut, 0);
  EXPECT_EQ(metrics.tmPitchAndFamily, 0x27);
  EXPECT_EQ(metrics.tmCharSet, 0);
  // The classic weighted average of Liberation Sans's own advances.
  EXPECT_EQ(portable::FindFontFaceInstance("Arial", 16, FW_NORMAL)->face.design.averageWidth, 904);
  EXPECT_EQ(portable::FindFontFaceInstance("Arial", 16, FW_BOLD)->face.design.averageWidth, 980);
}

TEST(TextMetrics, HeightRuleWorkedNumbers) {
  const portable::DesignMetrics arial{2048, 1854, 434, 67, 3780, 904};
  // round(p x 2288 / 2048) must fit the height: 14 gives 12, not 13.
  EXPECT_EQ(portable::PixelsPerEmForHeight(14, arial), 12);
  EXPECT_EQ(portable::PixelsPerEmForHeight(24, arial), 21);
  EXPECT_EQ(portable::PixelsPerEmForHeight(1, arial), 1);
  EXPECT_EQ(portable::PixelsPerEmForHeight(0, arial), 14);  // the default cell of 16
  EXPECT_EQ(portable::PixelsPerEmForHeight(-16, arial), 16);
  EXPECT_EQ(portable::PixelsPerEmForHeight(-portable::MAX_PIXELS_PER_EM - 1, arial), 0);
  EXPECT_EQ(portable::PixelsPerEmForHeight(INT_MAX, arial), 0);
  EXPECT_EQ(portable::PixelsPerEmForHeight(INT_MIN, arial), 0);
  // Ascent and descent round apart: -16 is a 17-pixel cell, 24 a 23-pixel one.
  EXPECT_EQ(portable::TextMetricsFor(arial, 16, 400).tmHeight, 17);
  EXPECT_EQ(portable::TextMetricsFor(arial, 21, 400).tmHeight, 23);
  EXPECT_EQ(portable::TextMetricsFor(arial, 1, 400).tmAveCharWidth, 1);  // never 0
}

TEST(TextExtents, EqualTheOraclesForEveryCharacter) {
  GdiScript replay;
  ASSERT_TRUE(Replay(replay, "text-advances.txt"));
  ExpectSameFields(Observations(replay.printed()), OracleObservations("text-advances.out"),
                   {"extent", "emdash"});
}

TEST(TextPlacement, GlyphBoxesMatchTheOraclesWithinAPixelAndUnrotatedCellsExactly) {
  GdiScript replay;
  ASSERT_TRUE(Replay(replay, "text-escapement.txt"));
  const std::vector<Observation> ours = Observations(replay.printed());
  const std::vector<Observation> oracle = OracleObservations("text-escapement.out");
  ASSERT_EQ(ours.size(), oracle.size());
  int exact = 0;
  for (std::size_t i = 0; i < oracle.size(); ++i) {
    ASSERT_EQ(ours[i].count("none"), oracle[i].count("none")) << "box " << i;
    int largest = 0;
    for (const char *side : {"l", "t", "r", "b"}) {
      if (oracle[i].count(side) == 0) continue;
      const int difference = std::stoi(ours[i].at(side)) - std::stoi(oracle[i].at(side));
      largest = std::max(largest, std::abs(difference));
    }
    EXPECT_LE(largest, 1) << "box " << i;
    exact += largest == 0 ? 1 : 0;
  }
  std::cout << "glyph boxes equal to the oracle's: " << exact << " of " << oracle.size() << "\n";
  // The last 28 boxes are opaque cells of unrotated text, which must be exact.
  ExpectSameFields({ours.end() - 28, ours.end()}, {oracle.end() - 28, oracle.end()},
                   {"l", "t", "r", "b"});
}

// The share of pixels equal to the oracle's, among those in text cells and
// among those either side inks.
TEST(TextPixels, MostPixelsInTextCellsEqualTheOracles) {
  testing::Image oracle;
  ASSERT_TRUE(testing::ReadPpm(ReferencePath("text-pixels.ppm"), oracle));
  GdiScript replay, cells;
  cells.MarkTextCells(CELL_MARKER);
  ASSERT_TRUE(Replay(replay, "text-pixels.txt"));
  ASSERT_TRUE(Replay(cells, "text-pixels.txt"));
  const testing::Image ours = replay.Picture(), marked = cells.Picture();
  ASSERT_EQ(ours.width, oracle.width);
  ASSERT_EQ(ours.height, oracle.height);
  ASSERT_EQ(marked.width, oracle.width);
  ASSERT_EQ(marked.height, oracle.height);
  int cellPixels = 0, equalInCells = 0, inked = 0, equalInked = 0;
  for (int y = 0; y < oracle.height; ++y) {
    for (int x = 0; x < oracle.width; ++x) {
      const std::uint32_t ourPixel = ours.At(x, y), oraclePixel = oracle.At(x, y);
      if (marked.At(x, y) == portable::PixelFromColor(CELL_MARKER))
        ++cellPixels, equalInCells += ourPixel == oraclePixel;
      if (ourPixel != 0xFFFFFF || oraclePixel != 0xFFFFFF)
        ++inked, equalInked += ourPixel == oraclePixel;
    }
  }
  const double cellShare = 100.0 * equalInCells / cellPixels, inkShare = 100.0 * equalInked / inked;
  std::cout << "identical pixels: " << cellShare << "% of " << cellPixels << " in text cells, "
            << inkShare << "% of " << inked << " inked\n";
  // Both sides rasterise Liberation Sans with FreeType and blend with the
  // same measured levels; all that differs are the bi-level glyphs at 9
  // pixels per em (the 10-pixel line), where a few letters hint a pixel
  // apart: 72 pixels. Less than this means a glyph moved or a ramp changed.
  EXPECT_GE(cellShare, 99.5);
  EXPECT_GE(inkShare, 98.5);
  if (cellShare < 100) {
    testing::WritePpm(TEXT_OUTPUT_DIR "/text-pixels-ours.ppm", ours);
  }
}

TEST(TextDecoding, ValidUtf8IsReadAsSuchAndEveryOtherByteAsWindows1252) {
  const auto decode = [](const std::string &bytes) {
    return portable::DecodeText(bytes.data(), bytes.size());
  };
  EXPECT_EQ(decode("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), U"caf\u00E9 \u20AC \U0001F600");
  EXPECT_EQ(decode("caf\xE9 \x80 \x81\x9F"), U"caf\u00E9 \u20AC \u0081\u0178");
  // Overlong, surrogate, out-of-range and truncated sequences fall back byte by byte.
  EXPECT_EQ(decode("\xC0\xAF"), U"\u00C0\u00AF");
  EXPECT_EQ(decode("\xED\xA0\x80"), U"\u00ED\u00A0\u20AC");
  EXPECT_EQ(decode("\xF4\x90\x80\x80"), U"\u00F4\u0090\u20AC\u20AC");
  EXPECT_EQ(decode("x\xE2\x82"), U"x\u00E2\u201A");
  EXPECT_EQ(decode(std::string("a\0b", 3)), std::u32string(U"a\0b", 3));
}

TEST(TextDecoding, UnicodeAndWindows1252SpellingsDrawTheSamePixels) {
  Canvas utf8(60, 20), windows1252(60, 20);
  TextOutA(utf8.dc(), 1, 1, "caf\xC3\xA9 \xE2\x82\xAC", 9);
  TextOutA(windows1252.dc(), 1, 1, "caf\xE9 \x80", 6);
  EXPECT_EQ(utf8.Pixels(), windows1252.Pixels());
  // A character the face lacks draws its .notdef box rather than nothing.
  Canvas missing(20, 20);
  TextOutA(missing.dc(), 1, 1, "\xE4\xB8\xAD", 3);
  EXPECT_NE(missing.Map(0, 0, 20, 20).find('#'), std::string::npos);
}

TEST(TextCells, RotatedOpaqueCellsTurnAboutTheReferencePoint) {
  Canvas canvas(60, 60, RGB(128, 128, 128));
  portable::FindDeviceContext(canvas.dc())->backgroundColor = RGB(255, 255, 0);
  HFONT font = CreateFontA(16, 0, 900, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
  HGDIOBJ previous = SelectObject(canvas.dc(), font);
  TextOutA(canvas.dc(), 20, 50, "Value", 5);
  // Upright the cell is 36 x 16 below-right of the point; turned a quarter
  // it is 16 x 36 above-right: columns 20..35, rows 14..49.
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool inCell = x >= 20 && x < 36 && y >= 14 && y < 50;
      EXPECT_EQ(canvas.At(x, y) != 0x808080, inCell) << x << "," << y;
    }
  }
  SelectObject(canvas.dc(), previous);
  DeleteObject(font);
}

TEST(TextSafety, BadHandlesArgumentsAndSizesFailWithoutDrawing) {
  Canvas canvas(30, 20);
  const int before = portable::CountLiveObjects().gdiObjects;
  TEXTMETRICA metrics{};
  metrics.tmHeight = 99;
  EXPECT_FALSE(GetTextMetricsA(nullptr, &metrics));
  EXPECT_EQ(metrics.tmHeight, 0);
  EXPECT_FALSE(GetTextMetricsA(canvas.dc(), nullptr));
  EXPECT_FALSE(TextOutA(nullptr, 0, 0, "a", 1));
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "a", -1));
  EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, nullptr, 1));
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, nullptr, 0));
  EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "", 0));
  EXPECT_EQ(canvas.Map(0, 0, 30, 20).find_first_not_of(".\n"), std::string::npos);
  // Only what the library asks for is drawn; anything else is refused.
  EXPECT_EQ(CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 16, "Times New Roman"),
            nullptr);
  EXPECT_EQ(CreateFontA(16, 0, 0, 0, 600, 0, 0, 0, 0, 0, 0, 0, 16, "Arial"), nullptr);
  EXPECT_EQ(CreateFontA(16, 0, 0, 0, FW_NORMAL, 1, 0, 0, 0, 0, 0, 0, 16, "Arial"), nullptr);
  EXPECT_EQ(CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 3, 16, "Arial"), nullptr);
  EXPECT_EQ(CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 16, nullptr), nullptr);
  EXPECT_EQ(CreateFontA(INT_MIN, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 16, "Arial"), nullptr);
  // A face by another name, even an installed one, lacks Arial's metrics.
  std::string problem;
  EXPECT_FALSE(portable::CanLoadArialCompatible("Liberation Serif", FW_NORMAL, problem));
  EXPECT_NE(problem.find("metrics of Arial"), std::string::npos) << problem;
  EXPECT_EQ(portable::CountLiveObjects().gdiObjects, before);
}

TEST(TextSafety, HugeStringsAndExtremeCoordinatesCostOnlyWhatIsVisible) {
  const std::string huge(1 << 22, 'W');
  for (const int escapement : {0, 900, 450, -300, INT_MIN}) {
    HFONT font = CreateFontA(-12, 0, escapement, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 16, "Arial");
    ASSERT_NE(font, nullptr);
    Canvas farAway(40, 30), near(40, 30);
    HGDIOBJ previousFar = SelectObject(farAway.dc(), font);
    HGDIOBJ previousNear = SelectObject(near.dc(), font);
    for (const int x : {INT_MIN, -100000, INT_MAX}) {
      for (const int y : {INT_MIN, INT_MAX}) {
        EXPECT_TRUE(TextOutA(farAway.dc(), x, y, huge.data(), static_cast<int>(huge.size())));
      }
    }
    EXPECT_TRUE(TextOutA(near.dc(), 20, 15, huge.data(), static_cast<int>(huge.size())));
    EXPECT_EQ(farAway.Map(0, 0, 40, 30).find_first_not_of(".\n"), std::string::npos) << escapement;
    EXPECT_NE(near.Map(0, 0, 40, 30).find('#'), std::string::npos) << escapement;
    SelectObject(farAway.dc(), previousFar);
    SelectObject(near.dc(), previousNear);
    DeleteObject(font);
  }
}

}  // namespace
}  // namespace trendel
