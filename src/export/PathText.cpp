#include "PathText.h"

#include "platform/CodePage.h"
#include "platform/win32.h"

#include <cstring>

namespace trendel {
namespace {

constexpr DWORD TEMP_PATH_BUFFER = 1024;

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Calls `visit(position, byte)` for the first byte of every character.
template <typename Visit>
void ForEachCharacter(const char *text, Visit visit) {
  for (std::size_t i = 0; text[i] != '\0';
       i += static_cast<std::size_t>(CodePageCharacterBytes(text + i))) {
    visit(i, text[i]);
  }
}

// Decimal text of a number, with a "0" in front when it is one digit long.
std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() == 1 ? "0" + text : text;
}

// Lower case for single-byte letters only, which is all the extension
// table needs.
std::string LowerCase(std::string text) {
  for (char &c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::string FormatTime(std::time_t time, const char *format) {
  const std::tm *local = std::localtime(&time);
  const std::string known = format != nullptr ? format : "";
  if (local == nullptr) return "Error TimeFormat " + known;
  const std::string year = std::to_string(local->tm_year + 1900);
  const std::string month = TwoDigits(local->tm_mon + 1);
  const std::string day = TwoDigits(local->tm_mday);
  const std::string hour = TwoDigits(local->tm_hour);
  const std::string minute = TwoDigits(local->tm_min);
  const std::string second = TwoDigits(local->tm_sec);
  if (known == "YYYY-MM-DD hh:mm:ss") {
    return year + "-" + month + "-" + day + " " + hour + ":" + minute + ":" + second;
  }
  if (known == "YYYYMMDDHHMMSS" || known == "yyyymmddhhmmss") {
    return year + month + day + hour + minute + second;
  }
  return "Error TimeFormat " + known;
}

std::string TempDirectory() {
  char buffer[TEMP_PATH_BUFFER];
  const DWORD length = GetTempPathA(TEMP_PATH_BUFFER, buffer);
  if (length == 0 || length >= TEMP_PATH_BUFFER) return std::string();
  std::string directory(buffer, length);
  if (!IsSeparator(directory.back())) directory += '\\';
  return directory;
}

// For "C:\out\2026\img" the calls go to "C:", "C:\out", "C:\out\2026" and
// "C:\out\2026\img", in that order.
void CreateDirectoryPath(const char *path) {
  const std::string whole = path;
  ForEachCharacter(path, [&](std::size_t position, char c) {
    if (IsSeparator(c)) CreateDirectoryA(whole.substr(0, position).c_str(), nullptr);
  });
  CreateDirectoryA(path, nullptr);
}

std::optional<std::size_t> LastSeparator(const char *path) {
  std::optional<std::size_t> last;
  ForEachCharacter(path, [&](std::size_t position, char c) {
    if (IsSeparator(c)) last = position;
  });
  return last;
}

// The extension runs from the last dot to the end. A dot at the very start
// makes no extension, and neither does a dot in a directory name: such an
// "extension" would hold a separator and match no format anyway.
ImageFormat FormatOfFileName(const char *fileName) {
  std::optional<std::size_t> lastDot;
  ForEachCharacter(fileName, [&](std::size_t position, char c) {
    if (c == '.') lastDot = position;
  });
  const std::optional<std::size_t> lastSeparator = LastSeparator(fileName);
  if (!lastDot || *lastDot == 0 || (lastSeparator && *lastSeparator > *lastDot)) {
    return ImageFormat::Bmp;
  }
  const std::string extension = LowerCase(fileName + *lastDot);
  if (extension == ".gif") return ImageFormat::Gif;
  if (extension == ".jpg" || extension == ".jpeg") return ImageFormat::Jpeg;
  return ImageFormat::Bmp;
}

}  // namespace trendel
