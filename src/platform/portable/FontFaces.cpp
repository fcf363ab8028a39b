// Face resolution and the process-wide face cache.
//
// Steps from a CreateFontA request to a shared instance:
//  1. The face name must be "Arial" (or "System", the stock font) and the
//     weight FW_NORMAL or FW_BOLD. The pitch-and-family bits play no part: GDI
//     only consults them when it cannot find the face by name, so asking for
//     FF_ROMAN must not lead to a serif face.
//  2. The first request of a weight loads the file fontconfig names for
//     "Arial" at that weight, once per process. The answer comes from the
//     font file cache (FontFileCache.h) while its stamps hold; otherwise
//     fontconfig loads its configuration, answers, and the cache keeps the
//     answer for the next process. The face must have Arial's design
//     metrics, or every label of the library would move; a face without them
//     is refused with one message on stderr.
//  3. The height becomes a whole number of pixels per em by GDI's rule, and
//     each (weight, em size) instance is made once and then shared.
//
// The metric rules were measured with the GDI oracle over every height from
// -40 to 40 at both weights (tests/platform/reference/text-metrics.txt).
#include "FontFaces.h"

#include "FontFileCache.h"

#include <fontconfig/fontconfig.h>

#include FT_ADVANCES_H
#include FT_DRIVER_H
#include FT_GASP_H
#include FT_MODULE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>
#include <cstdlib>
#include <algorithm>
#include <cstdio>
#include <map>
#include <new>

namespace trendel::portable {
namespace {

// Arial's design: 2048 units per em, a Windows ascent of 1854 and descent of
// 434. Metric-compatible faces (Liberation Sans, Arimo) share them.
constexpr DesignMetrics ARIAL_DESIGN = {2048, 1854, 434, 0, 0, 0};

// GDI's default cell height, what a height of 0 asks for.
constexpr long long DEFAULT_CELL_HEIGHT = 16;

// The classic xAvgCharWidth rule: the advances of the lowercase letters and
// the space, weighted by their frequency in English text (per 1000).
struct LetterWeight {
  char letter;
  int weight;
};
constexpr LetterWeight AVERAGE_WIDTH_WEIGHTS[] = {
    {'a', 64}, {'b', 14}, {'c', 27}, {'d', 35}, {'e', 100}, {'f', 20}, {'g', 14},
    {'h', 42}, {'i', 63}, {'j', 3},  {'k', 6},  {'l', 35},  {'m', 20}, {'n', 56},
    {'o', 56}, {'p', 17}, {'q', 4},  {'r', 49}, {'s', 56},  {'t', 71}, {'u', 31},
    {'v', 10}, {'w', 18}, {'x', 3},  {'y', 18}, {'z', 2},   {' ', 166}};

// Text metrics fields GDI reports alike for every TrueType face in the ANSI
// character set.
constexpr LONG SCREEN_DOTS_PER_INCH = 96;
constexpr BYTE FIRST_CHARACTER = 30;
constexpr BYTE LAST_CHARACTER = 255;
constexpr BYTE DEFAULT_CHARACTER = 31;
constexpr BYTE BREAK_CHARACTER = 32;
// TMPF_FIXED_PITCH (which means variable pitch), TMPF_VECTOR and
// TMPF_TRUETYPE, with the face's own family FF_SWISS.
constexpr BYTE SWISS_TRUETYPE_PITCH_AND_FAMILY = 0x27;

// v * pixelsPerEm / unitsPerEm, rounded half up, as GDI scales design units.
LONG ScaleToEm(long long designUnits, int pixelsPerEm, int unitsPerEm) {
  return static_cast<LONG>((2 * designUnits * pixelsPerEm + unitsPerEm) / (2LL * unitsPerEm));
}

// "System" is the stock font of a new DC. Windows' is a bitmap font with no
// counterpart here; the oracle answers it with the Arial face, bold 16, and
// so do we.
bool IsSupportedFace(const std::string &faceName) {
  return strcasecmp(faceName.c_str(), "Arial") == 0 || strcasecmp(faceName.c_str(), "System") == 0;
}

struct PatternDeleter {
  void operator()(FcPattern *pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The file fontconfig offers for a family at a weight; false if it names none.
bool MatchFontFile(FcConfig *config, const std::string &family, int weight, FontFile &file) {
  Pattern pattern(FcPatternCreate());
  if (!pattern) return false;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(config, pattern.get(), &result));
  FcChar8 *name = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &name) != FcResultMatch) return false;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &file.index) != FcResultMatch) file.index = 0;
  file.path = reinterpret_cast<const char *>(name);
  return true;
}

// True when a colon-separated list of paths holds one that is not absolute.
bool HasRelativeFolder(const std::string &paths) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = paths.find(':', start);
    if (colon != start && paths[start] != '/') return true;
    if (colon == std::string::npos) return false;
    start = colon + 1;
  }
}

// The settings fontconfig's answer depends on besides its files: where it
// finds its configuration, the user's folders and the languages it prefers.
// Empty when one of them makes the answer depend on more than that (a
// configuration named relative to the working folder), and then nothing is
// cached.
std::string FontconfigEnvironment() {
  std::string environment;
  // Tab-separated settings read back unambiguously only if no value holds a
  // tab or a line break itself.
  const auto add = [&](const char *name, const std::string &value) {
    environment += std::string(name) + "=" + value + "\t";
    return value.find_first_of("\t\n") == std::string::npos;
  };
  for (const char *name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
    const char *value = std::getenv(name);
    if (value != nullptr && (HasRelativeFolder(value) || !add(name, value))) return {};
  }
  for (const char *name :
       {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "FC_LANG", "LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *value = std::getenv(name);
    if (value != nullptr && !add(name, value)) return {};
  }
  return environment.empty() ? "no settings" : environment;
}

// True when a configuration file may test the program's name, the one input
// of fontconfig's answer the environment above leaves out. Such answers are
// not cached, so that every program can share one cache file.
bool ConfigurationTestsProgram(FcConfig *config) {
  FcStrList *files = FcConfigGetConfigFiles(config);
  if (files == nullptr) return true;
  bool tests = false;
  while (const FcChar8 *path = FcStrListNext(files)) {
    std::FILE *file = std::fopen(reinterpret_cast<const char *>(path), "rb");
    if (file == nullptr) continue;
    // A folder of configuration files reads as empty.
    std::string text;
    char buffer[16384];
    for (std::size_t length; (length = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      text.append(buffer, length);
    }
    std::fclose(file);
    tests = tests || text.find("prgname") != std::string::npos;
  }
  FcStrListDone(files);
  return tests;
}

void AddAll(FcStrList *list, std::vector<std::string> &paths) {
  if (list == nullptr) return;
  while (const FcChar8 *path = FcStrListNext(list)) {
    paths.emplace_back(reinterpret_cast<const char *>(path));
  }
  FcStrListDone(list);
}

// Every path besides the font file whose change could change fontconfig's
// answer: the configuration files and folders it read, and the folders
// holding them (where an optional file may appear); the user's optional
// configuration, present or not; and the font folders it scanned, present or
// not, whose modification times tell fontconfig itself when a font came or
// went.
std::vector<std::string> WatchedPaths(FcConfig *config) {
  std::vector<std::string> paths;
  AddAll(FcConfigGetConfigFiles(config), paths);
  const std::size_t configurationEnd = paths.size();
  for (std::size_t i = 0; i < configurationEnd; ++i) {
    const std::size_t slash = paths[i].rfind('/');
    if (slash != std::string::npos && slash > 0) paths.push_back(paths[i].substr(0, slash));
  }
  const char *configHome = std::getenv("XDG_CONFIG_HOME");
  const char *home = std::getenv("HOME");
  std::string userConfiguration;
  if (configHome != nullptr && configHome[0] == '/') {
    userConfiguration = std::string(configHome) + "/fontconfig";
  } else if (home != nullptr && home[0] == '/') {
    userConfiguration = std::string(home) + "/.config/fontconfig";
  }
  if (!userConfiguration.empty()) {
    paths.push_back(userConfiguration + "/conf.d");
    paths.push_back(userConfiguration + "/fonts.conf");
  }
  if (home != nullptr && home[0] == '/') {
    paths.push_back(std::string(home) + "/.fonts.conf.d");
    paths.push_back(std::string(home) + "/.fonts.conf");
  }
  AddAll(FcConfigGetConfigDirs(config), paths);
  AddAll(FcConfigGetFontDirs(config), paths);
  return paths;
}

// Reads the design numbers GDI's metrics are made of; false for a face
// without the TrueType tables that hold them.
bool ReadDesignMetrics(FT_Face face, DesignMetrics &design) {
  const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto *horizontal =
      static_cast<const TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 == nullptr || horizontal == nullptr || face->units_per_EM == 0) return false;
  design.unitsPerEm = face->units_per_EM;
  design.windowsAscent = os2->usWinAscent;
  design.windowsDescent = os2->usWinDescent;
  design.lineGap = horizontal->Line_Gap;
  design.boundingWidth = static_cast<int>(face->bbox.xMax - face->bbox.xMin);
  long long weightedSum = 0;
  for (const LetterWeight &entry : AVERAGE_WIDTH_WEIGHTS) {
    FT_Fixed advance = 0;
    FT_Get_Advance(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(entry.letter)),
                   FT_LOAD_NO_SCALE, &advance);
    weightedSum += static_cast<long long>(advance) * entry.weight;
  }
  design.averageWidth = static_cast<int>((weightedSum + 500) / 1000);
  return true;
}

bool HasArialMetrics(const DesignMetrics &design) {
  return design.unitsPerEm == ARIAL_DESIGN.unitsPerEm &&
         design.windowsAscent == ARIAL_DESIGN.windowsAscent &&
         design.windowsDescent == ARIAL_DESIGN.windowsDescent;
}

// The process-wide FreeType library, fontconfig configuration (loaded only
// when the font file cache cannot answer), the two faces and every instance
// made so far. Faces and instances live until the process ends; the
// instances never touch FreeType when they are destroyed, so fonts that
// outlive this object are harmless.
class FontLibrary {
 public:
  static FontLibrary &Instance() {
    static FontLibrary library;
    return library;
  }

  ~FontLibrary() {
    // Faces go before the FreeType library that made them.
    for (auto &face : faces_) face.loaded.reset();
    if (freetype_ != nullptr) FT_Done_FreeType(freetype_);
    if (config_ != nullptr) FcConfigDestroy(config_);
  }
  FontLibrary(const FontLibrary &) = delete;
  FontLibrary &operator=(const FontLibrary &) = delete;

  // Loads a face of a family, or says why not.
  std::unique_ptr<FontFace> Load(const std::string &family, int weight, std::string &problem);

  std::shared_ptr<const FontFaceInstance> Find(long long height, int weight);

 private:
  FontLibrary();

  struct FaceSlot {
    bool tried = false;
    std::unique_ptr<FontFace> loaded;
  };
  std::shared_ptr<const FontFaceInstance> FindAnew(long long height, int weight);
  FontFace *FaceOfWeight(int weight);
  void StartFreeType();
  std::unique_ptr<FontFace> Open(const FontFile &file, int weight, std::string &problem);
  bool LoadConfiguration();
  void StampConfiguration();
  void Remember(const std::string &family, int weight, const FontFile &file);

  FT_Library freetype_ = nullptr;
  FcConfig *config_ = nullptr;
  bool configurationTried_ = false;
  // What the configuration's answers depend on, as it was when loaded;
  // answers are cached only when these could be trusted.
  std::vector<PathStamp> configurationStamps_;
  bool configurationStamped_ = false;
  FontFileCache cache_;
  FaceSlot faces_[2];  // FW_NORMAL, FW_BOLD
  std::map<std::pair<int, int>, std::shared_ptr<const FontFaceInstance>> instances_;
  // The last request answered: a drawing pass makes the same font label
  // after label.
  long long lastHeight_ = 0;
  int lastWeight_ = 0;
  std::shared_ptr<const FontFaceInstance> lastFound_;
};

FontLibrary::FontLibrary()
    : cache_(FontFileCache::DirectoryFromEnvironment(), FontconfigEnvironment()) {}

// FreeType reports running out of memory as an error code; it is thrown like
// the library's own, so that the face is tried again on the next request
// instead of being taken for missing.
void ThrowIfOutOfMemory(FT_Error error) {
  if (error == FT_Err_Out_Of_Memory) throw std::bad_alloc();
}

// Started with the first face wanted, and again after a failed start. The
// only way FreeType fails to start is running out of memory, which it
// reports under more than one code (Unimplemented_Feature when its memory
// manager cannot be made), so every failure is taken for that.
void FontLibrary::StartFreeType() {
  if (freetype_ != nullptr) return;
  if (FT_Init_FreeType(&freetype_) != 0) {
    freetype_ = nullptr;
    throw std::bad_alloc();
  }
  // The v40 interpreter is FreeType's default; it is named here because the
  // glyph shapes were matched against GDI with it (bi-level glyphs are hinted
  // fully all the same, as FreeType does for monochrome targets).
  FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
  FT_Property_Set(freetype_, "truetype", "interpreter-version", &interpreter);
}

bool FontLibrary::LoadConfiguration() {
  if (!configurationTried_) {
    configurationTried_ = true;
    config_ = FcInitLoadConfigAndFonts();
    if (config_ != nullptr) StampConfiguration();
  }
  return config_ != nullptr;
}

// Stamped right after loading, so that a file edited later, while this
// process still answers from what it read before, never gets a stamp that
// vouches for the old answer.
void FontLibrary::StampConfiguration() {
  try {
    configurationStamped_ = !ConfigurationTestsProgram(config_) &&
                            StampPaths(WatchedPaths(config_), configurationStamps_);
  } catch (const std::bad_alloc &) {
    configurationStamped_ = false;
  }
}

// A file the cache names is opened and checked like one fontconfig names
// now; if it fails, fontconfig is asked after all, so that a stale or
// damaged cache cannot change which face is drawn or what is reported.
std::unique_ptr<FontFace> FontLibrary::Load(const std::string &family, int weight,
                                            std::string &problem) {
  StartFreeType();
  if (const std::optional<FontFile> cached = cache_.Find(family, weight)) {
    std::string ignored;
    if (auto face = Open(*cached, weight, ignored)) return face;
  }
  if (!LoadConfiguration()) {
    problem = "FreeType or fontconfig could not be started";
    return nullptr;
  }
  FontFile file;
  if (!MatchFontFile(config_, family, weight, file)) {
    problem = "fontconfig offers no font file for \"" + family + "\"";
    return nullptr;
  }
  auto face = Open(file, weight, problem);
  if (face) Remember(family, weight, file);
  return face;
}

// The cache only saves time: running out of memory while filling it must
// not cost the face just loaded.
void FontLibrary::Remember(const std::string &family, int weight, const FontFile &file) {
  if (!configurationStamped_) return;
  try {
    std::vector<PathStamp> stamps = configurationStamps_;
    if (StampPaths({file.path}, stamps)) cache_.Store(family, weight, file, stamps);
  } catch (const std::bad_alloc &) {
    return;
  }
}

// Loads a face file and checks that it is the Arial-compatible face of the
// weight asked for.
std::unique_ptr<FontFace> FontLibrary::Open(const FontFile &file, int weight,
                                            std::string &problem) {
  const std::string &path = file.path;
  auto face = std::make_unique<FontFace>();
  if (const FT_Error error = FT_New_Face(freetype_, path.c_str(), file.index, &face->handle)) {
    face->handle = nullptr;  // nothing was made, whatever FreeType left here
    ThrowIfOutOfMemory(error);
    problem = "FreeType cannot open " + path;
    return nullptr;
  }
  const bool isBold = (face->handle->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  if (!ReadDesignMetrics(face->handle, face->design) || !HasArialMetrics(face->design) ||
      isBold != (weight == FW_BOLD)) {
    problem = path + " does not have the metrics of Arial at weight " + std::to_string(weight);
    return nullptr;
  }
  for (FT_ULong codePoint = 0; codePoint < face->latinGlyphs.size(); ++codePoint) {
    face->latinGlyphs[codePoint] = FT_Get_Char_Index(face->handle, codePoint);
  }
  return face;
}

FontFace *FontLibrary::FaceOfWeight(int weight) {
  FaceSlot &slot = faces_[weight == FW_BOLD ? 1 : 0];
  if (!slot.tried) {
    // Marked tried only once Load has answered: running out of memory part
    // way throws past here, and the next request tries again rather than
    // drawing without text for the rest of the process.
    std::string problem;
    slot.loaded = Load("Arial", weight, problem);
    slot.tried = true;
    if (!slot.loaded) {
      std::fprintf(stderr,
                   "portable GDI: no usable face for \"Arial\": %s. Install a face with Arial's "
                   "metrics, such as Liberation Sans (Debian: fonts-liberation2).\n",
                   problem.c_str());
    }
  }
  return slot.loaded.get();
}

std::shared_ptr<const FontFaceInstance> FontLibrary::Find(long long height, int weight) {
  if (lastFound_ && height == lastHeight_ && weight == lastWeight_) return lastFound_;
  std::shared_ptr<const FontFaceInstance> found = FindAnew(height, weight);
  if (found) lastHeight_ = height, lastWeight_ = weight, lastFound_ = found;
  return found;
}

std::shared_ptr<const FontFaceInstance> FontLibrary::FindAnew(long long height, int weight) {
  FontFace *face = FaceOfWeight(weight);
  if (face == nullptr) return nullptr;
  const int pixelsPerEm = PixelsPerEmForHeight(height, face->design);
  if (pixelsPerEm == 0) return nullptr;
  auto &instance = instances_[{weight, pixelsPerEm}];
  if (instance) return instance;
  FT_Size size = nullptr;
  if (FT_New_Size(face->handle, &size) != 0) return nullptr;
  FT_Activate_Size(size);
  if (FT_Set_Pixel_Sizes(face->handle, static_cast<FT_UInt>(pixelsPerEm),
                         static_cast<FT_UInt>(pixelsPerEm)) != 0) {
    FT_Done_Size(size);
    return nullptr;
  }
  try {
    instance = std::make_shared<const FontFaceInstance>(*face, size, pixelsPerEm, weight);
  } catch (const std::bad_alloc &) {
    FT_Done_Size(size);
    return nullptr;
  }
  return instance;
}

Smoothing SmoothingOf(FT_Face face, int pixelsPerEm) {
  const FT_Int flags = FT_Get_Gasp(face, static_cast<FT_UInt>(pixelsPerEm));
  // Without a gasp table GDI smooths every size.
  if (flags == FT_GASP_NO_TABLE) return Smoothing::Greyscale;
  return (flags & FT_GASP_DO_GRAY) != 0 ? Smoothing::Greyscale : Smoothing::BiLevel;
}

}  // namespace

int PixelsPerEmForHeight(long long height, const DesignMetrics &design) {
  long long pixelsPerEm = -height;
  if (height >= 0) {
    const long long cellHeight = height == 0 ? DEFAULT_CELL_HEIGHT : height;
    const long long cellUnits = design.windowsAscent + design.windowsDescent;
    const long long unitsPerEm = design.unitsPerEm;
    // The cell of an em size p is round(p * cellUnits / unitsPerEm); GDI
    // takes the largest p whose cell fits the height. Start near it and step.
    const auto cellOf = [&](long long p) {
      return (2 * p * cellUnits + unitsPerEm) / (2 * unitsPerEm);
    };
    pixelsPerEm = std::max(1LL, cellHeight * unitsPerEm / cellUnits);
    while (pixelsPerEm > 1 && cellOf(pixelsPerEm) > cellHeight) --pixelsPerEm;
    while (cellOf(pixelsPerEm + 1) <= cellHeight) ++pixelsPerEm;
  }
  return pixelsPerEm <= MAX_PIXELS_PER_EM ? static_cast<int>(pixelsPerEm) : 0;
}

TEXTMETRICA TextMetricsFor(const DesignMetrics &design, int pixelsPerEm, int weight) {
  const auto scale = [&](long long units) {
    return ScaleToEm(units, pixelsPerEm, design.unitsPerEm);
  };
  TEXTMETRICA metrics{};
  // Ascent and descent are rounded apart, so the cell height can miss a
  // positive CreateFontA height by one pixel either way.
  metrics.tmAscent = scale(design.windowsAscent);
  metrics.tmDescent = scale(design.windowsDescent);
  metrics.tmHeight = metrics.tmAscent + metrics.tmDescent;
  metrics.tmInternalLeading =
      scale(design.windowsAscent + design.windowsDescent - design.unitsPerEm);
  metrics.tmExternalLeading = scale(design.lineGap);
  metrics.tmAveCharWidth = std::max<LONG>(1, scale(design.averageWidth));
  metrics.tmMaxCharWidth = scale(design.boundingWidth);
  metrics.tmWeight = weight;
  metrics.tmDigitizedAspectX = SCREEN_DOTS_PER_INCH;
  metrics.tmDigitizedAspectY = SCREEN_DOTS_PER_INCH;
  metrics.tmFirstChar = FIRST_CHARACTER;
  metrics.tmLastChar = LAST_CHARACTER;
  metrics.tmDefaultChar = DEFAULT_CHARACTER;
  metrics.tmBreakChar = BREAK_CHARACTER;
  metrics.tmPitchAndFamily = SWISS_TRUETYPE_PITCH_AND_FAMILY;
  metrics.tmCharSet = DEFAULT_CHARSET_ANSI;
  return metrics;
}

FontFaceInstance::FontFaceInstance(FontFace &loadedFace, FT_Size faceSize, int emPixels, int weight)
    : face(loadedFace),
      size(faceSize),
      pixelsPerEm(emPixels),
      smoothing(SmoothingOf(loadedFace.handle, emPixels)),
      metrics(TextMetricsFor(loadedFace.design, emPixels, weight)),
      advances_(static_cast<std::size_t>(loadedFace.handle->num_glyphs)) {}

std::shared_ptr<const FontFaceInstance> FindFontFaceInstance(const std::string &faceName,
                                                             long long height, int weight) {
  if (!IsSupportedFace(faceName) || (weight != FW_NORMAL && weight != FW_BOLD)) return nullptr;
  return FontLibrary::Instance().Find(height, weight);
}

bool CanLoadArialCompatible(const std::string &family, int weight, std::string &problem) {
  return FontLibrary::Instance().Load(family, weight, problem) != nullptr;
}

}  // namespace trendel::portable
