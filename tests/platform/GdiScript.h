// Replays a script of the GDI oracle's language through the portable layer, so
// that one script gives both the oracle's image and ours. One command per
// line; blank lines and lines whose first word starts with '#' are skipped.
// Commands known here:
//   canvas W H                   a new memory DC with a black W x H bitmap
//   pen STYLE WIDTH COLOR        CreatePen and select it (0 = PS_SOLID, 2 = PS_DOT)
//   brush COLOR                  CreateSolidBrush and select it
//   font HEIGHT WEIGHT ESC [QUALITY [FACE...]]
//                                CreateFontA and select it; the face defaults to Arial
//   restore pen|brush|font|...   select what the last pen/brush/font/... replaced and delete it
//   rect L T R B, ellipse L T R B, moveto X Y, lineto X Y
//   bitblt DX DY W H SX SY [ROP] BitBlt within the canvas (ROP by name or number)
//   fill C [L T R B]             FillRect, which the library never calls: painted here
//   text X Y STRING              TextOutA of the rest of the line; "..." keeps outer spaces
//   textcolor C, bkcolor C, bkmode OPAQUE|TRANSPARENT
//   metrics [STRING]             prints the font's metrics and the string's extent
//   bbox eq|ne C                 prints the box of the pixels equal (or not) to C
//   dump FILE                    writes the canvas as a binary PPM
//   show, colors, echo, state    print in the oracle; ignored here
// What metrics and bbox print is the oracle's line, field for field, less the
// face name and font file size that the portable layer does not know; a test
// parses both with the same code.
// A COLOR is #RRGGBB or a COLORREF number (0x00BBGGRR, decimal, or octal with
// a leading 0). More commands join through Define, and the selection stack of
// `restore` takes any kind name.
#pragma once

#include "Canvas.h"
#include "support/Ppm.h"

#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace trendel::testing {

// One command line, split into words; words[0] is the command.
struct ScriptLine {
  std::string text;
  std::vector<std::string> words;
  std::vector<std::size_t> offsets;  // where each word starts in text

  // The text from word `index` to the end of the line, as written: the last
  // argument of commands such as the oracle's `text X Y STRING`.
  std::string RestFrom(std::size_t index) const;
  // RestFrom without one pair of enclosing double quotes, which a script
  // writes to keep a string's leading or trailing spaces.
  std::string StringFrom(std::size_t index) const;
};

// What a command throws when it cannot run; GdiScript adds the line number.
struct ScriptError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class GdiScript {
 public:
  using Command = std::function<void(GdiScript &, const ScriptLine &)>;

  GdiScript();
  ~GdiScript();
  GdiScript(const GdiScript &) = delete;
  GdiScript &operator=(const GdiScript &) = delete;

  // Adds or replaces a command.
  void Define(const std::string &name, Command command);

  // Runs every line; on the first failure stops and returns false, with
  // error() as "line N: message".
  bool Run(std::istream &script);
  bool RunFile(const std::string &path);
  const std::string &error() const { return error_; }

  // The canvas as it stands; an empty image before the first `canvas`.
  Image Picture() const;

  // What metrics and bbox printed so far, one line each, as the oracle words them.
  const std::vector<std::string> &printed() const { return printed_; }

  // From now on every `text` draws glyphs and cell opaque in `marker`, so the
  // picture shows exactly which pixels text cells cover.
  void MarkTextCells(COLORREF marker) { cellMarker_ = marker; }

  // For commands: the canvas's DC (an error before the first `canvas`),
  // selection that `restore` can undo, the argument parsers, a line for
  // printed() and the colour that MarkTextCells chose.
  HDC dc() const;
  void SelectCreated(const std::string &kind, HGDIOBJ created);
  void Restore(const std::string &kind);
  static int Number(const ScriptLine &line, std::size_t index);
  static COLORREF Color(const ScriptLine &line, std::size_t index);
  void Print(std::string line) { printed_.push_back(std::move(line)); }
  std::optional<COLORREF> cellMarker() const { return cellMarker_; }

 private:
  struct Selection {
    HGDIOBJ created;
    HGDIOBJ previous;
  };
  void NewCanvas(int width, int height);
  bool Unselect(std::vector<Selection> &stack);
  void RestoreAll();

  std::map<std::string, Command> commands_;
  std::unique_ptr<Canvas> canvas_;
  std::map<std::string, std::vector<Selection>> selections_;
  std::vector<std::string> printed_;
  std::optional<COLORREF> cellMarker_;
  std::string error_;
};

}  // namespace trendel::testing
