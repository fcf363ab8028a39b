#include "GdiScript.h"

#include "platform/portable/Handles.h"
#include "platform/portable/Surface.h"
#include "platform/portable/Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace trendel::testing {
namespace {

// Windows' TRANSPARENT background mode, which the library never sets and the
// portable layer therefore does not declare.
constexpr int TRANSPARENT_MODE = 1;

// Raster operations the oracle knows by name; the portable layer draws SRCCOPY only.
const std::map<std::string, DWORD> &RasterOperations() {
  static const std::map<std::string, DWORD> operations{{"SRCCOPY", SRCCOPY},
                                                       {"PATCOPY", 0x00F00021},
                                                       {"WHITENESS", 0x00FF0062},
                                                       {"BLACKNESS", 0x00000042},
                                                       {"DSTINVERT", 0x00550009}};
  return operations;
}

ScriptLine Split(const std::string &text) {
  ScriptLine line;
  // A script saved with CR LF line ends must not draw the CR as text.
  line.text = !text.empty() && text.back() == '\r' ? text.substr(0, text.size() - 1) : text;
  std::size_t position = 0;
  while ((position = line.text.find_first_not_of(" \t", position)) != std::string::npos) {
    const std::size_t end = std::min(line.text.find_first_of(" \t", position), line.text.size());
    line.words.push_back(line.text.substr(position, end - position));
    line.offsets.push_back(position);
    position = end;
  }
  return line;
}

void Expect(bool condition, const std::string &message) {
  if (!condition) throw ScriptError(message);
}

portable::DeviceContext &ContextOf(const GdiScript &script) {
  return *portable::FindDeviceContext(script.dc());
}

void DefineObjectCommands(GdiScript &script) {
  script.Define("pen", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 1 && line.words[1] != "null", "null pens are not supported");
    HPEN pen = CreatePen(GdiScript::Number(line, 1), GdiScript::Number(line, 2),
                         GdiScript::Color(line, 3));
    Expect(pen != nullptr, "CreatePen refused the pen");
    self.SelectCreated("pen", pen);
  });
  script.Define("brush", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 1 && line.words[1] != "null", "null brushes are not supported");
    HBRUSH brush = CreateSolidBrush(GdiScript::Color(line, 1));
    Expect(brush != nullptr, "CreateSolidBrush failed");
    self.SelectCreated("brush", brush);
  });
  script.Define("restore", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 1, "restore what?");
    self.Restore(line.words[1]);
  });
}

void DefineDrawingCommands(GdiScript &script) {
  using Draw = BOOL (*)(HDC, int, int, int, int);
  for (const auto &[name, draw] : {std::pair<const char *, Draw>{"rect", Rectangle},
                                   std::pair<const char *, Draw>{"ellipse", Ellipse}}) {
    script.Define(name, [draw = draw](GdiScript &self, const ScriptLine &line) {
      draw(self.dc(), GdiScript::Number(line, 1), GdiScript::Number(line, 2),
           GdiScript::Number(line, 3), GdiScript::Number(line, 4));
    });
  }
  script.Define("moveto", [](GdiScript &self, const ScriptLine &line) {
    MoveToEx(self.dc(), GdiScript::Number(line, 1), GdiScript::Number(line, 2), nullptr);
  });
  script.Define("lineto", [](GdiScript &self, const ScriptLine &line) {
    LineTo(self.dc(), GdiScript::Number(line, 1), GdiScript::Number(line, 2));
  });
  script.Define("bitblt", [](GdiScript &self, const ScriptLine &line) {
    DWORD operation = SRCCOPY;
    if (line.words.size() > 7) {
      const auto named = RasterOperations().find(line.words[7]);
      operation = named != RasterOperations().end() ? named->second
                                                    : static_cast<DWORD>(GdiScript::Number(line, 7));
    }
    BitBlt(self.dc(), GdiScript::Number(line, 1), GdiScript::Number(line, 2),
           GdiScript::Number(line, 3), GdiScript::Number(line, 4), self.dc(),
           GdiScript::Number(line, 5), GdiScript::Number(line, 6), operation);
  });
  script.Define("fill", [](GdiScript &self, const ScriptLine &line) {
    const std::optional<portable::Surface> surface = portable::SurfaceOf(ContextOf(self));
    Expect(surface.has_value(), "the canvas has no 32-bit surface");
    const bool whole = line.words.size() < 6;
    surface->FillRect(whole ? 0 : GdiScript::Number(line, 2), whole ? 0 : GdiScript::Number(line, 3),
                      whole ? surface->width : GdiScript::Number(line, 4),
                      whole ? surface->height : GdiScript::Number(line, 5),
                      portable::PixelFromColor(GdiScript::Color(line, 1)));
  });
}

// The oracle's metrics line. Its `emdash` is the advance of U+2014, one em in
// faces with Arial's metrics, so ours is the em size the layer chose; the
// extent is GetTextExtentPoint32A's, the measured width by tmHeight.
std::string MetricsLine(const GdiScript &script, const std::string &text) {
  TEXTMETRICA metrics{};
  Expect(GetTextMetricsA(script.dc(), &metrics) != FALSE, "GetTextMetricsA failed");
  // GetTextMetricsA has resolved the selected font, the stock one included.
  const portable::FontFaceInstance &instance =
      *portable::FindObject<portable::Font>(ContextOf(script).font, portable::ObjectKind::Font)
           ->instance;
  std::ostringstream line;
  line << "metrics tmHeight=" << metrics.tmHeight << " tmAscent=" << metrics.tmAscent
       << " tmDescent=" << metrics.tmDescent << " tmInternalLeading=" << metrics.tmInternalLeading
       << " tmExternalLeading=" << metrics.tmExternalLeading
       << " tmAveCharWidth=" << metrics.tmAveCharWidth
       << " tmMaxCharWidth=" << metrics.tmMaxCharWidth << " tmWeight=" << metrics.tmWeight
       << " emdash=" << instance.pixelsPerEm;
  if (!text.empty()) {
    line << " extent(\"" << text
         << "\")=" << portable::MeasureText(instance, text.data(), text.size()) << ","
         << metrics.tmHeight;
  }
  return line.str();
}

// The oracle's bbox line: the box [l,r) x [t,b) of the pixels equal (or, with
// "ne", not equal) to `pixel`, its size and how many pixels there are.
std::string BoxLine(const Image &picture, const std::string &comparison, std::uint32_t pixel) {
  const bool equal = comparison == "eq";
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1, count = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if ((picture.At(x, y) == pixel) != equal) continue;
      left = std::min(left, x), top = std::min(top, y);
      right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
      ++count;
    }
  }
  char color[16];
  std::snprintf(color, sizeof color, "#%06X", pixel);
  const std::string head = "bbox " + comparison + " " + color + ": ";
  if (count == 0) return head + "none";
  return head + "l=" + std::to_string(left) + " t=" + std::to_string(top) +
         " r=" + std::to_string(right) + " b=" + std::to_string(bottom) +
         " (w=" + std::to_string(right - left) + " h=" + std::to_string(bottom - top) +
         ") pixels=" + std::to_string(count);
}

// Sets the DC so that the next text paints its glyphs and its whole cell in
// `marker`, whatever colours and mode the script chose.
void PaintTextCellsIn(GdiScript &script, COLORREF marker) {
  SetTextColor(script.dc(), marker);
  portable::DeviceContext &context = ContextOf(script);
  context.backgroundColor = marker;
  context.backgroundMode = OPAQUE;
}

void DefineTextCommands(GdiScript &script) {
  script.Define("font", [](GdiScript &self, const ScriptLine &line) {
    const int quality = line.words.size() > 4 ? GdiScript::Number(line, 4) : 0;
    const std::string face = line.words.size() > 5 ? line.RestFrom(5) : "Arial";
    HFONT font = CreateFontA(GdiScript::Number(line, 1), 0, GdiScript::Number(line, 3), 0,
                             GdiScript::Number(line, 2), 0, 0, 0, 0, 0, 0,
                             static_cast<DWORD>(quality), 16, face.c_str());
    Expect(font != nullptr, "CreateFontA refused the font");
    self.SelectCreated("font", font);
  });
  script.Define("text", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 3, "text X Y STRING");
    const std::string text = line.StringFrom(3);
    if (const std::optional<COLORREF> marker = self.cellMarker()) PaintTextCellsIn(self, *marker);
    Expect(TextOutA(self.dc(), GdiScript::Number(line, 1), GdiScript::Number(line, 2), text.data(),
                    static_cast<int>(text.size())) != FALSE,
           "TextOutA failed");
  });
  script.Define("metrics", [](GdiScript &self, const ScriptLine &line) {
    self.Print(MetricsLine(self, line.RestFrom(1)));
  });
  script.Define("bbox", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 2 && (line.words[1] == "eq" || line.words[1] == "ne"),
           "bbox eq|ne COLOR");
    const std::uint32_t pixel = portable::PixelFromColor(GdiScript::Color(line, 2));
    self.Print(BoxLine(self.Picture(), line.words[1], pixel));
  });
}

void DefineStateCommands(GdiScript &script) {
  script.Define("textcolor", [](GdiScript &self, const ScriptLine &line) {
    SetTextColor(self.dc(), GdiScript::Color(line, 1));
  });
  // The library never changes the background, so the portable layer has no
  // SetBkColor or SetBkMode; the script sets the DC's fields directly.
  script.Define("bkcolor", [](GdiScript &self, const ScriptLine &line) {
    ContextOf(self).backgroundColor = GdiScript::Color(line, 1);
  });
  script.Define("bkmode", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 1, "bkmode OPAQUE|TRANSPARENT");
    const bool transparent = line.words[1] == "TRANSPARENT" || line.words[1] == "1";
    ContextOf(self).backgroundMode = transparent ? TRANSPARENT_MODE : OPAQUE;
  });
  script.Define("dump", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() > 1, "dump FILE");
    Expect(WritePpm(line.words[1], self.Picture()), "cannot write " + line.words[1]);
  });
  for (const char *printing : {"show", "colors", "echo", "state"}) {
    script.Define(printing, [](GdiScript &, const ScriptLine &) {});
  }
}

}  // namespace

std::string ScriptLine::RestFrom(std::size_t index) const {
  return index < offsets.size() ? text.substr(offsets[index]) : std::string();
}

std::string ScriptLine::StringFrom(std::size_t index) const {
  const std::string rest = RestFrom(index);
  const bool quoted = rest.size() >= 2 && rest.front() == '"' && rest.back() == '"';
  return quoted ? rest.substr(1, rest.size() - 2) : rest;
}

GdiScript::GdiScript() {
  DefineObjectCommands(*this);
  DefineDrawingCommands(*this);
  DefineTextCommands(*this);
  DefineStateCommands(*this);
  Define("canvas", [](GdiScript &self, const ScriptLine &line) {
    Expect(line.words.size() < 4 || line.words[3] == "compat", "only compat canvases are supported");
    self.NewCanvas(Number(line, 1), Number(line, 2));
  });
}

GdiScript::~GdiScript() { RestoreAll(); }

void GdiScript::Define(const std::string &name, Command command) {
  commands_[name] = std::move(command);
}

bool GdiScript::Run(std::istream &script) {
  std::string text;
  for (int lineNumber = 1; std::getline(script, text); ++lineNumber) {
    const ScriptLine line = Split(text);
    if (line.words.empty() || line.words[0][0] == '#') continue;
    try {
      const auto command = commands_.find(line.words[0]);
      Expect(command != commands_.end(), "unknown command " + line.words[0]);
      command->second(*this, line);
    } catch (const ScriptError &failure) {
      error_ = "line " + std::to_string(lineNumber) + ": " + failure.what();
      return false;
    }
  }
  return true;
}

bool GdiScript::RunFile(const std::string &path) {
  std::ifstream script(path);
  if (!script) {
    error_ = "cannot read " + path;
    return false;
  }
  return Run(script);
}

Image GdiScript::Picture() const {
  if (!canvas_) return {};
  return Image{canvas_->width(), canvas_->height(), canvas_->Pixels()};
}

HDC GdiScript::dc() const {
  Expect(canvas_ != nullptr, "the first command must be canvas");
  return canvas_->dc();
}

void GdiScript::SelectCreated(const std::string &kind, HGDIOBJ created) {
  selections_[kind].push_back({created, SelectObject(dc(), created)});
}

void GdiScript::Restore(const std::string &kind) {
  std::vector<Selection> &stack = selections_[kind];
  Expect(!stack.empty(), "nothing to restore: " + kind);
  Expect(Unselect(stack), "DeleteObject refused the " + kind);
}

// Selects back what the last selection replaced and deletes the created
// object; false when the object could not be deleted. Throws nothing, so
// that the destructor can clean up with it.
bool GdiScript::Unselect(std::vector<Selection> &stack) {
  SelectObject(canvas_->dc(), stack.back().previous);
  const bool deleted = DeleteObject(stack.back().created) != FALSE;
  stack.pop_back();
  return deleted;
}

int GdiScript::Number(const ScriptLine &line, std::size_t index) {
  Expect(index < line.words.size(), "missing number");
  const std::string &word = line.words[index];
  char *end = nullptr;
  errno = 0;
  const long value = std::strtol(word.c_str(), &end, 10);
  Expect(*end == '\0' && errno == 0 && value >= INT_MIN && value <= INT_MAX, "not a number: " + word);
  return static_cast<int>(value);
}

COLORREF GdiScript::Color(const ScriptLine &line, std::size_t index) {
  Expect(index < line.words.size(), "missing colour");
  const std::string &word = line.words[index];
  char *end = nullptr;
  if (word[0] == '#') {
    const unsigned long rgb = std::strtoul(word.c_str() + 1, &end, 16);
    Expect(*end == '\0' && word.size() == 7, "not a colour: " + word);
    return RGB(static_cast<BYTE>(rgb >> 16), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb));
  }
  const unsigned long value = std::strtoul(word.c_str(), &end, 0);
  Expect(*end == '\0', "not a colour: " + word);
  return static_cast<COLORREF>(value);
}

void GdiScript::NewCanvas(int width, int height) {
  Expect(width > 0 && height > 0, "canvas sizes must be positive");
  RestoreAll();
  canvas_.reset();
  // A new compatible bitmap is black, as in GDI.
  canvas_ = std::make_unique<Canvas>(width, height, RGB(0, 0, 0));
}

void GdiScript::RestoreAll() {
  for (auto &[kind, stack] : selections_) {
    while (!stack.empty()) Unselect(stack);
  }
}

}  // namespace trendel::testing
