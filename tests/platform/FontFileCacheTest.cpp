// The font file cache answers only while every stamp holds, for the
// environment that stored the answer; anything it cannot trust (a changed or
// new path, a damaged file, a path modified a moment ago) makes it answer
// nothing, and without a usable folder or environment nothing is kept.
#include "platform/portable/FontFileCache.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace trendel::portable {
namespace {

namespace fs = std::filesystem;

constexpr char ENVIRONMENT[] = "HOME=/home/user\tprogram=/usr/bin/host";

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Sets a path's modification time to `secondsAgo` before now, so that its
// stamp is old enough to be trusted.
void Age(const std::string &path, long secondsAgo) {
  timespec times[2]{};
  clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= secondsAgo;
  times[1] = times[0];
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Members are public: the table-driven cases below change them from outside.
class FontFileCacheTest : public ::testing::Test {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/trendel-font-cache-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    cacheFolder_ = folder_ + "/cache/trendel";
    fontPath_ = folder_ + "/Sans.ttf";
    configPath_ = folder_ + "/fonts.conf";
    WriteText(fontPath_, "font");
    WriteText(configPath_, "<fontconfig/>");
    Age(fontPath_, 100);
    Age(configPath_, 100);
  }
  void TearDown() override { fs::remove_all(folder_); }

  FontFileCache Cache(const std::string &environment = ENVIRONMENT) const {
    return FontFileCache(cacheFolder_, environment);
  }
  static std::vector<PathStamp> Stamps(const std::vector<std::string> &paths) {
    std::vector<PathStamp> stamps;
    EXPECT_TRUE(StampPaths(paths, stamps));
    return stamps;
  }
  std::vector<PathStamp> Watched() const {
    return Stamps({fontPath_, configPath_, folder_ + "/missing.conf", configPath_});
  }
  bool StoreRegular(FontFileCache &cache) const {
    return cache.Store("Arial", 400, {fontPath_, 0}, Watched());
  }

  std::string folder_;
  std::string cacheFolder_;
  std::string fontPath_;
  std::string configPath_;
};

TEST_F(FontFileCacheTest, AnAnswerStoredByOneProcessServesTheNext) {
  FontFileCache first = Cache();
  EXPECT_FALSE(first.Find("Arial", 400));
  ASSERT_TRUE(first.Store("Arial", 400, {fontPath_, 2}, Watched()));
  EXPECT_EQ(fs::path(first.FilePath()).parent_path(), fs::path(cacheFolder_));

  FontFileCache next = Cache();
  const std::optional<FontFile> found = next.Find("Arial", 400);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->path, fontPath_);
  EXPECT_EQ(found->index, 2);
  EXPECT_FALSE(next.Find("Arial", 700));
  EXPECT_FALSE(next.Find("Arial Black", 400));
  // Only the cache file itself is left in the folder: no staging files.
  EXPECT_EQ(std::distance(fs::directory_iterator(cacheFolder_), fs::directory_iterator()), 1);
}

TEST_F(FontFileCacheTest, AnswersOfBothWeightsAreKeptTogether) {
  FontFileCache regular = Cache();
  ASSERT_TRUE(StoreRegular(regular));
  FontFileCache bold = Cache();
  ASSERT_TRUE(bold.Store("Arial", 700, {fontPath_, 1}, Stamps({configPath_, folder_ + "/bold.conf"})));

  FontFileCache next = Cache();
  ASSERT_TRUE(next.Find("Arial", 400));
  ASSERT_TRUE(next.Find("Arial", 700));
  EXPECT_EQ(next.Find("Arial", 700)->index, 1);
  // The paths of both answers are watched: one appearing drops both.
  WriteText(folder_ + "/bold.conf", "");
  Age(folder_ + "/bold.conf", 100);
  FontFileCache afterChange = Cache();
  EXPECT_FALSE(afterChange.Find("Arial", 400));
  EXPECT_FALSE(afterChange.Find("Arial", 700));
}

// Each way a watched path can change since the answer was stored.
TEST_F(FontFileCacheTest, AnyChangeOfAWatchedPathHidesTheAnswer) {
  const struct {
    const char *change;
    void (*apply)(FontFileCacheTest &);
  } changes[] = {
      {"modified at another time", [](FontFileCacheTest &test) { Age(test.configPath_, 50); }},
      {"rewritten at another size",
       [](FontFileCacheTest &test) {
         WriteText(test.configPath_, "<fontconfig><dir>/fonts</dir></fontconfig>");
         Age(test.configPath_, 100);
       }},
      {"replaced by another file",
       [](FontFileCacheTest &test) {
         const std::string other = test.folder_ + "/other.conf";
         WriteText(other, "<fontconfig/>");
         Age(other, 100);
         fs::rename(other, test.configPath_);
       }},
      {"removed", [](FontFileCacheTest &test) { fs::remove(test.configPath_); }},
      {"a missing path appears",
       [](FontFileCacheTest &test) { fs::create_directory(test.folder_ + "/missing.conf"); }},
  };
  for (const auto &change : changes) {
    SCOPED_TRACE(change.change);
    TearDown();
    SetUp();
    FontFileCache first = Cache();
    ASSERT_TRUE(StoreRegular(first));
    ASSERT_TRUE(Cache().Find("Arial", 400));
    change.apply(*this);
    FontFileCache afterChange = Cache();
    EXPECT_FALSE(afterChange.Find("Arial", 400));
    // The next answer replaces the stale one.
    if (fs::exists(configPath_)) Age(configPath_, 100);
    if (fs::exists(folder_ + "/missing.conf")) Age(folder_ + "/missing.conf", 100);
    ASSERT_TRUE(StoreRegular(afterChange));
    EXPECT_TRUE(Cache().Find("Arial", 400));
  }
}

TEST_F(FontFileCacheTest, AnotherEnvironmentGetsAnotherFileAndNeverTheseAnswers) {
  FontFileCache first = Cache();
  ASSERT_TRUE(StoreRegular(first));
  FontFileCache other = Cache("HOME=/home/other\tprogram=/usr/bin/host");
  EXPECT_NE(other.FilePath(), first.FilePath());
  EXPECT_FALSE(other.Find("Arial", 400));
  // A file of the right name written for another environment (as after a
  // collision of names) is not believed either.
  fs::copy_file(first.FilePath(), other.FilePath());
  EXPECT_FALSE(Cache("HOME=/home/other\tprogram=/usr/bin/host").Find("Arial", 400));
}

TEST_F(FontFileCacheTest, ADamagedFileIsIgnoredAndThenRewritten) {
  FontFileCache first = Cache();
  ASSERT_TRUE(StoreRegular(first));
  const std::string good = ReadText(first.FilePath());
  const struct {
    const char *damage;
    std::string text;
  } damaged[] = {
      {"cut short", good.substr(0, good.size() - 5)},
      {"another version", "trendel font files 9\n" + good.substr(good.find('\n') + 1)},
      {"unknown record", good + "colour\tred\n"},
      {"bad number", good + "face\tbold\t0\tArial\t/fonts/Sans.ttf\n"},
      {"negative index", good + "face\t400\t-1\tArial\t/fonts/Sans.ttf\n"},
      {"missing field", good + "face\t400\t0\t/fonts/Sans.ttf\n"},
      {"too large", good + std::string(2 << 20, '#')},
  };
  for (const auto &entry : damaged) {
    SCOPED_TRACE(entry.damage);
    WriteText(first.FilePath(), entry.text);
    FontFileCache reader = Cache();
    EXPECT_FALSE(reader.Find("Arial", 400));
    ASSERT_TRUE(StoreRegular(reader));
    EXPECT_TRUE(Cache().Find("Arial", 400));
  }
}

TEST_F(FontFileCacheTest, APathModifiedAMomentAgoIsNotTrusted) {
  WriteText(configPath_, "<fontconfig><!-- just edited --></fontconfig>");
  std::vector<PathStamp> stamps;
  EXPECT_FALSE(StampPaths({fontPath_, configPath_}, stamps));
}

// A process answers from the configuration it read when it started; a file
// edited since must not be stamped as if it had been read that way.
TEST_F(FontFileCacheTest, StampsVouchOnlyForWhatTheyHaveSeen) {
  const std::vector<PathStamp> whenRead = Watched();
  Age(configPath_, 50);
  FontFileCache longRunning = Cache();
  ASSERT_TRUE(longRunning.Store("Arial", 400, {fontPath_, 0}, whenRead));
  EXPECT_FALSE(Cache().Find("Arial", 400));
}

TEST_F(FontFileCacheTest, WithoutAFolderOrAnEnvironmentNothingIsKept) {
  const struct {
    const char *reason;
    std::string folder;
    std::string environment;
  } off[] = {
      {"no folder", "", ENVIRONMENT},
      {"a relative folder", "cache/trendel", ENVIRONMENT},
      {"no environment", cacheFolder_, ""},
      {"an environment of two lines", cacheFolder_, "HOME=/a\nHOME=/b"},
  };
  for (const auto &entry : off) {
    SCOPED_TRACE(entry.reason);
    FontFileCache cache(entry.folder, entry.environment);
    EXPECT_TRUE(cache.FilePath().empty());
    EXPECT_FALSE(cache.Store("Arial", 400, {fontPath_, 0}, Watched()));
    EXPECT_FALSE(cache.Find("Arial", 400));
  }
  EXPECT_FALSE(fs::exists(cacheFolder_));

  // Names that would not read back as written are not stored.
  FontFileCache cache = Cache();
  EXPECT_FALSE(cache.Store("Ari\tal", 400, {fontPath_, 0}, Watched()));
  EXPECT_FALSE(cache.Store("Arial", 400, {fontPath_ + "\nface", 0}, Watched()));
  EXPECT_FALSE(cache.Store("Arial", 400, {fontPath_, 0}, {StampOf(configPath_ + "\n")}));
}

TEST(FontFileCacheFolder, TheEnvironmentChoosesTheFolder) {
  const struct {
    const char *chosen;
    const char *cacheHome;
    const char *home;
    std::string expected;
  } cases[] = {
      {"/tests/cache", "/xdg", "/home/user", "/tests/cache"},
      {"", "/xdg", "/home/user", ""},
      {nullptr, "/xdg", "/home/user", "/xdg/trendel"},
      {nullptr, "relative", "/home/user", "/home/user/.cache/trendel"},
      {nullptr, nullptr, "/home/user", "/home/user/.cache/trendel"},
      {nullptr, nullptr, nullptr, ""},
  };
  const auto set = [](const char *name, const char *value) {
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  };
  const char *const names[] = {"TRENDEL_FONT_CACHE_DIR", "XDG_CACHE_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved;
  for (const char *name : names) {
    const char *value = std::getenv(name);
    saved.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
  for (const auto &entry : cases) {
    set("TRENDEL_FONT_CACHE_DIR", entry.chosen);
    set("XDG_CACHE_HOME", entry.cacheHome);
    set("HOME", entry.home);
    EXPECT_EQ(FontFileCache::DirectoryFromEnvironment(), entry.expected);
  }
  for (std::size_t i = 0; i < saved.size(); ++i) {
    set(names[i], saved[i] ? saved[i]->c_str() : nullptr);
  }
}

}  // namespace
}  // namespace trendel::portable
