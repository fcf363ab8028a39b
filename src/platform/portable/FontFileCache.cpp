// The cache file is text, one record a line, fields separated by tabs:
//
//   trendel font files 1
//   environment <the environment, as given>
//   stamp <exists 0/1> <device> <inode> <size> <seconds> <nanoseconds> <path>
//   face <weight> <face index> <family> <path>
//
// Every stamp must still hold for any face to be used. Strings holding a tab
// or a line break are never written, so every field reads back as it was.
#include "FontFileCache.h"

#include "platform/FileReplacement.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>

namespace trendel::portable {
namespace {

constexpr char HEADER[] = "trendel font files 1";

// Anything larger is not a file this code wrote.
constexpr std::size_t MAX_CACHE_BYTES = 1 << 20;

// A path modified this recently may be modified again within the same
// timestamp, unseen by its stamp; an answer that depends on it is not kept.
constexpr long long RECENT_SECONDS = 2;

// FNV-1a: a stable name for each environment's file. Collisions are
// harmless, as the file repeats its environment in full.
std::uint64_t HashOf(const std::string &text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char character : text) {
    hash ^= static_cast<unsigned char>(character);
    hash *= 1099511628211ULL;
  }
  return hash;
}

bool IsWritableField(const std::string &text) {
  return text.find_first_of("\t\n") == std::string::npos;
}

std::vector<std::string> SplitFields(const std::string &line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

bool ReadNumber(const std::string &field, long long &number) {
  if (field.empty()) return false;
  char *end = nullptr;
  errno = 0;
  number = std::strtoll(field.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

bool ReadUnsigned(const std::string &field, unsigned long long &number) {
  if (field.empty() || field[0] == '-') return false;
  char *end = nullptr;
  errno = 0;
  number = std::strtoull(field.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

bool ReadStamp(const std::vector<std::string> &fields, PathStamp &stamp) {
  long long exists = 0;
  if (fields.size() != 8 || !ReadNumber(fields[1], exists) || (exists != 0 && exists != 1) ||
      !ReadUnsigned(fields[2], stamp.device) || !ReadUnsigned(fields[3], stamp.inode) ||
      !ReadNumber(fields[4], stamp.size) || !ReadNumber(fields[5], stamp.modifiedSeconds) ||
      !ReadNumber(fields[6], stamp.modifiedNanoseconds) || fields[7].empty()) {
    return false;
  }
  stamp.exists = exists == 1;
  stamp.path = fields[7];
  return true;
}

// The file's text; empty when it cannot be read or is too large to be ours.
std::string ReadWholeFile(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  std::string text;
  char buffer[16384];
  std::size_t length = 0;
  while ((length = std::fread(buffer, 1, sizeof buffer, file)) > 0 &&
         text.size() + length <= MAX_CACHE_BYTES) {
    text.append(buffer, length);
  }
  const bool whole = length == 0 && std::ferror(file) == 0;
  std::fclose(file);
  return whole ? text : std::string();
}

bool WriteWholeFile(const char *path, const std::string &text) {
  std::FILE *file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// mkdir -p; the folders are private to the user, as a cache should be.
bool CreateDirectories(const std::string &directory) {
  for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
    const std::string prefix = directory.substr(0, slash);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

bool IsRecent(const PathStamp &stamp, const timespec &now) {
  return stamp.exists && now.tv_sec - stamp.modifiedSeconds < RECENT_SECONDS;
}

}  // namespace

bool PathStamp::operator==(const PathStamp &other) const {
  return path == other.path && exists == other.exists && device == other.device &&
         inode == other.inode && size == other.size && modifiedSeconds == other.modifiedSeconds &&
         modifiedNanoseconds == other.modifiedNanoseconds;
}

PathStamp StampOf(const std::string &path) {
  PathStamp stamp;
  stamp.path = path;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return stamp;
  stamp.exists = true;
  stamp.device = status.st_dev;
  stamp.inode = status.st_ino;
  stamp.size = status.st_size;
  stamp.modifiedSeconds = status.st_mtim.tv_sec;
  stamp.modifiedNanoseconds = status.st_mtim.tv_nsec;
  return stamp;
}

bool StampPaths(const std::vector<std::string> &paths, std::vector<PathStamp> &stamps) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  for (const std::string &path : paths) {
    const bool known = std::any_of(stamps.begin(), stamps.end(),
                                   [&](const PathStamp &stamp) { return stamp.path == path; });
    if (known) continue;
    stamps.push_back(StampOf(path));
    if (IsRecent(stamps.back(), now)) return false;
  }
  return true;
}

FontFileCache::FontFileCache(std::string directory, std::string environment)
    : environment_(std::move(environment)) {
  if (directory.empty() || directory[0] != '/' || environment_.empty() ||
      environment_.find('\n') != std::string::npos) {
    return;
  }
  char name[40];
  std::snprintf(name, sizeof name, "/fonts-%016llx.txt",
                static_cast<unsigned long long>(HashOf(environment_)));
  filePath_ = directory + name;
}

std::string FontFileCache::DirectoryFromEnvironment() {
  if (const char *chosen = std::getenv("TRENDEL_FONT_CACHE_DIR")) return chosen;
  const char *cacheHome = std::getenv("XDG_CACHE_HOME");
  if (cacheHome != nullptr && cacheHome[0] == '/') return std::string(cacheHome) + "/trendel";
  const char *home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/trendel";
  return {};
}

std::optional<FontFile> FontFileCache::Find(const std::string &family, int weight) {
  try {
    ReadOnce();
    for (const Answer &answer : answers_) {
      if (answer.family == family && answer.weight == weight) return answer.file;
    }
  } catch (const std::bad_alloc &) {
    TurnOff();
  }
  return std::nullopt;
}

// Out of memory half way through reading or storing, the cache may hold
// answers whose stamps were never checked; it forgets them and stays off.
void FontFileCache::TurnOff() {
  filePath_.clear();
  stamps_.clear();
  answers_.clear();
}

// Reads the file and keeps its answers only when it is whole, written for
// this environment, and every stamp still holds.
void FontFileCache::ReadOnce() {
  if (read_ || filePath_.empty()) return;
  read_ = true;
  if (!Parse(ReadWholeFile(filePath_))) {
    stamps_.clear();
    answers_.clear();
    return;
  }
  for (const PathStamp &stamp : stamps_) {
    if (!(StampOf(stamp.path) == stamp)) {
      stamps_.clear();
      answers_.clear();
      return;
    }
  }
}

bool FontFileCache::Parse(const std::string &text) {
  std::size_t start = 0;
  std::size_t lineNumber = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) return false;  // cut short
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::vector<std::string> fields = SplitFields(line);
    ++lineNumber;
    if (lineNumber == 1) {
      if (line != HEADER) return false;
    } else if (lineNumber == 2) {
      if (line != "environment\t" + environment_) return false;
    } else if (fields[0] == "stamp") {
      PathStamp stamp;
      if (!ReadStamp(fields, stamp)) return false;
      stamps_.push_back(stamp);
    } else if (fields[0] == "face") {
      Answer answer;
      long long weight = 0;
      long long index = 0;
      if (fields.size() != 5 || !ReadNumber(fields[1], weight) || !ReadNumber(fields[2], index) ||
          index < 0 || index > INT32_MAX || weight < 0 || weight > 1000 || fields[4].empty()) {
        return false;
      }
      answer.weight = static_cast<int>(weight);
      answer.file.index = static_cast<int>(index);
      answer.family = fields[3];
      answer.file.path = fields[4];
      answers_.push_back(answer);
    } else {
      return false;
    }
  }
  return lineNumber >= 2;
}

std::string FontFileCache::Serialise() const {
  std::string text = std::string(HEADER) + "\nenvironment\t" + environment_ + "\n";
  for (const PathStamp &stamp : stamps_) {
    text += "stamp\t" + std::to_string(stamp.exists ? 1 : 0) + "\t" +
            std::to_string(stamp.device) + "\t" + std::to_string(stamp.inode) + "\t" +
            std::to_string(stamp.size) + "\t" + std::to_string(stamp.modifiedSeconds) + "\t" +
            std::to_string(stamp.modifiedNanoseconds) + "\t" + stamp.path + "\n";
  }
  for (const Answer &answer : answers_) {
    text += "face\t" + std::to_string(answer.weight) + "\t" + std::to_string(answer.file.index) +
            "\t" + answer.family + "\t" + answer.file.path + "\n";
  }
  return text;
}

bool FontFileCache::Store(const std::string &family, int weight, const FontFile &file,
                          const std::vector<PathStamp> &stamps) {
  try {
    return StoreAnswer(family, weight, file, stamps);
  } catch (const std::bad_alloc &) {
    TurnOff();
    return false;
  }
}

bool FontFileCache::StoreAnswer(const std::string &family, int weight, const FontFile &file,
                                const std::vector<PathStamp> &stamps) {
  if (filePath_.empty() || family.empty() || file.path.empty() || !IsWritableField(family) ||
      !IsWritableField(file.path)) {
    return false;
  }
  ReadOnce();
  // The stored answers stay beside the new one only if every path both
  // depend on looks the same to both.
  std::vector<PathStamp> merged = stamps_;
  bool earlierStillHold = true;
  for (const PathStamp &stamp : stamps) {
    if (stamp.path.empty() || !IsWritableField(stamp.path)) return false;
    const auto known = std::find_if(merged.begin(), merged.end(), [&](const PathStamp &kept) {
      return kept.path == stamp.path;
    });
    if (known == merged.end()) {
      merged.push_back(stamp);
    } else if (!(*known == stamp)) {
      earlierStillHold = false;
    }
  }
  if (!earlierStillHold) {
    answers_.clear();
    merged = stamps;
  }
  stamps_ = std::move(merged);
  answers_.erase(std::remove_if(answers_.begin(), answers_.end(),
                                [&](const Answer &answer) {
                                  return answer.family == family && answer.weight == weight;
                                }),
                 answers_.end());
  answers_.push_back({family, weight, file});
  const std::string directory = filePath_.substr(0, filePath_.rfind('/'));
  const std::string text = Serialise();
  return CreateDirectories(directory) &&
         WriteReplacing(filePath_.c_str(),
                        [&](const char *path) { return WriteWholeFile(path, text); });
}

}  // namespace trendel::portable
