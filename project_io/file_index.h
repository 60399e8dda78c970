// The project index "Accounts.db" in the data directory: one 8-bit text line
// per project, "panel type;file name;site reference;date created", lines
// ended by CR LF, in the order the projects were first saved.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/plain_file.h"

namespace voltaris {

inline constexpr const char* IndexFileName = "Accounts.db";
// The most the index is read to: a line takes about 60 bytes, so this is
// room for a quarter of a million projects.
inline constexpr TFileLimit IndexFileLimit{16 * 1024 * 1024, "an index of projects"};

// The four fields of one index line. Only the first three are read back;
// the date is only shown.
struct TIndexEntry {
  std::string PanelType;
  std::string FileName;
  std::string SiteRef;
  std::string DateCreated;

  bool operator==(const TIndexEntry&) const = default;
};

// Splits a line at its first three ";". With fewer ";" the missing fields
// are empty; everything after the third ";" is the date, ";" included.
TIndexEntry SplitIndexLine(std::string_view line);

// The line for an entry. A ";" in the first three fields would shift the
// fields when the line is read back, and a line break would split the line,
// so those characters are left out; the date loses only line breaks.
std::string IndexLine(const TIndexEntry& entry);

// Whether `c` may be typed into a project file name: space, "-", "0".."9",
// "A".."Z", "_", "a".."z".
bool IsFileNameChar(char c);
// A non-empty name made only of those characters: the only kind of name
// that is ever joined to the data directory to form a path.
bool IsValidFileName(std::string_view name);

// Project names that differ only in letter case name one project: on a
// Windows disk they are one file, so they are one everywhere.
bool SameProjectName(std::string_view a, std::string_view b);
// The project of `dataDir` that `fileName` names but for letter case, as it
// is spelled there: a line of the index or a ".dat" or ".pjx" in the folder.
// None when there is none, or when the only one is spelled exactly so.
std::optional<std::string> OtherSpellingOf(const std::string& dataDir, const std::string& fileName);

// The index file of one data directory. Every failure is a FileError whose
// text names the file.
class TFileIndex {
 public:
  explicit TFileIndex(std::string dataDir);

  const std::string& Path() const { return path_; }
  bool Exists() const;

  // Every line of the file. Lines may end in CR LF, LF or CR; a missing
  // final line break is accepted. A missing file is an error.
  std::vector<std::string> ReadLines() const;
  // Append and Rewrite hold the advisory lock of "Accounts.db.lock" beside
  // the index while they write, so that designers sharing the folder take
  // turns.
  // Adds one line at the end, creating the file when it is missing. When
  // the file's last line has no line break, one is added first so that the
  // new line does not run into it.
  void Append(const std::string& line) const;
  // Replaces the whole file with `lines`. The new content is written beside
  // the old file and renamed over it, so a failed write leaves the old index.
  void Rewrite(const std::vector<std::string>& lines) const;
  // Deletes the file; a file that is already gone is not an error.
  void Remove() const;

 private:
  std::string path_;
};

}  // namespace voltaris
