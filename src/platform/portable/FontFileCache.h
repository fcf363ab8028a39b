// The font files fontconfig named, remembered across processes.
//
// Loading fontconfig's configuration parses a few dozen XML files and is
// most of the time a new process spends before its first label. Its answer
// for our queries, which file and face index to load, only changes when the
// configuration, the font folders or the environment change. So the first
// process asks fontconfig and writes the answer to a small file, together
// with a stamp of every path the answer depends on; later processes load the
// face from the file it names as long as every stamp still holds, and ask
// fontconfig again (and rewrite the file) as soon as one does not.
//
// The cache is an optimisation only: a file that is missing, unreadable,
// malformed, written for another environment or stale is ignored, and one
// that cannot be written is not written. Files are replaced in one step, so
// processes sharing a cache read either the old answer or the new one.
//
// Where: $TRENDEL_FONT_CACHE_DIR when set (empty turns the cache off), else
// $XDG_CACHE_HOME/trendel, else $HOME/.cache/trendel; one file per
// environment, "fonts-<hash of the environment>.txt".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trendel::portable {

// A face in a font file, as fontconfig names it.
struct FontFile {
  std::string path;
  int index = 0;
};

// What a path looked like when an answer was stored: whether it existed,
// and its identity, size and modification time.
struct PathStamp {
  std::string path;
  bool exists = false;
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long size = 0;
  long long modifiedSeconds = 0;
  long long modifiedNanoseconds = 0;

  bool operator==(const PathStamp &other) const;
};

// Stamps a path as it is now.
PathStamp StampOf(const std::string &path);

// Appends the stamps of the paths not stamped yet. False when one was
// modified too recently to trust: it may change again within the same
// timestamp, unseen.
bool StampPaths(const std::vector<std::string> &paths, std::vector<PathStamp> &stamps);

class FontFileCache {
 public:
  // The cache for one environment (the settings that change fontconfig's
  // answer, as one line of text), kept in `directory`. An empty environment
  // or directory, or a relative directory, keeps nothing.
  FontFileCache(std::string directory, std::string environment);

  // The folder the process environment names, or empty when it names none.
  static std::string DirectoryFromEnvironment();

  // The stored file for a family and weight, when every stamp still holds.
  // The cache file is read and checked on the first call only.
  std::optional<FontFile> Find(const std::string &family, int weight);

  // Remembers fontconfig's answer for a family and weight with the stamps,
  // taken when fontconfig read them, of the paths it depends on; the stored
  // answers that agree on every shared path stay beside it. False when
  // nothing was written: the cache is off or the file could not be written.
  bool Store(const std::string &family, int weight, const FontFile &file,
             const std::vector<PathStamp> &stamps);

  // The file this cache reads and writes; empty when it is off.
  const std::string &FilePath() const { return filePath_; }

 private:
  struct Answer {
    std::string family;
    int weight = 0;
    FontFile file;
  };

  void ReadOnce();
  void TurnOff();
  bool StoreAnswer(const std::string &family, int weight, const FontFile &file,
                   const std::vector<PathStamp> &stamps);
  bool Parse(const std::string &text);
  std::string Serialise() const;

  std::string environment_;
  std::string filePath_;
  bool read_ = false;
  std::vector<PathStamp> stamps_;
  std::vector<Answer> answers_;
};

}  // namespace trendel::portable
