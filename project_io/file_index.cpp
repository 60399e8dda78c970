#include "project_io/file_index.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "catalogue/byte_stream.h"
#include "model/load_data.h"
#include "project_io/index_lock.h"

namespace voltaris {

TIndexEntry SplitIndexLine(std::string_view line) {
  TIndexEntry entry;
  std::string* fields[] = {&entry.PanelType, &entry.FileName, &entry.SiteRef};
  for (std::string* field : fields) {
    const size_t separator = line.find(';');
    if (separator == std::string_view::npos) {
      *field = std::string(line);
      return entry;
    }
    *field = std::string(line.substr(0, separator));
    line.remove_prefix(separator + 1);
  }
  entry.DateCreated = std::string(line);
  return entry;
}

namespace {
std::string Without(std::string text, std::string_view unwanted) {
  std::erase_if(text, [unwanted](char c) { return unwanted.find(c) != std::string_view::npos; });
  return text;
}
}  // namespace

std::string IndexLine(const TIndexEntry& entry) {
  constexpr std::string_view fieldBreakers = ";\r\n";
  return Without(entry.PanelType, fieldBreakers) + ";" + Without(entry.FileName, fieldBreakers) + ";" +
         Without(entry.SiteRef, fieldBreakers) + ";" + Without(entry.DateCreated, "\r\n");
}

bool IsFileNameChar(char c) {
  return c == ' ' || c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsValidFileName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), IsFileNameChar);
}

bool SameProjectName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::string> OtherSpellingOf(const std::string& dataDir, const std::string& fileName) {
  const auto other = [&](const std::string& name) { return name != fileName && SameProjectName(name, fileName); };
  // The index first: it names the project as the user last spelled it. One
  // that cannot be read leaves the files to tell.
  try {
    const TFileIndex index(dataDir);
    if (index.Exists()) {
      for (const std::string& line : index.ReadLines()) {
        const TIndexEntry entry = SplitIndexLine(line);
        if (other(entry.FileName)) return entry.FileName;
      }
    }
  } catch (const FileError&) {
  }
  std::error_code error;
  for (std::filesystem::directory_iterator it(dataDir, error), end; !error && it != end; it.increment(error)) {
    const std::filesystem::path& path = it->path();
    const std::string extension = path.extension().string();
    if (!SameProjectName(extension, ".dat") && !SameProjectName(extension, ".pjx")) continue;
    if (const std::string stem = path.stem().string(); other(stem)) return stem;
  }
  return std::nullopt;
}

TFileIndex::TFileIndex(std::string dataDir) : path_(std::move(dataDir) + "/" + IndexFileName) {}

bool TFileIndex::Exists() const {
  // Whatever stands at the name: one that is no file (a pipe, a folder) is
  // there, and reading it says what it is.
  std::error_code error;
  return std::filesystem::exists(path_, error);
}

std::vector<std::string> TFileIndex::ReadLines() const {
  const TBytes bytes = TStream::LoadFromFile(path_, IndexFileLimit).TakeBytes();
  return SplitLines(std::string(bytes.begin(), bytes.end()));
}

namespace {
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason() { return std::strerror(errno); }
}  // namespace

void TFileIndex::Append(const std::string& line) const {
  // Two designers adding a line at once must not write over each other.
  const TShortLock lock(path_ + ".lock");
  // "a+" creates a missing file and lets us look at its last byte; never
  // through a link, never into a pipe.
  FilePtr file(OpenForAppending(path_));
  std::string text;
  if (std::fseek(file.get(), -1, SEEK_END) == 0) {
    const int last = std::fgetc(file.get());
    if (last != EOF && last != '\n' && last != '\r') text = "\r\n";
  }
  text += line + "\r\n";
  if (std::fseek(file.get(), 0, SEEK_END) != 0) throw FileError(path_ + ": cannot write the file (" + Reason() + ")");
  const long end = std::ftell(file.get());
  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() || std::fflush(file.get()) != 0) {
    const std::string reason = Reason();
    // A line written in part (a full disk) would read as a project of its
    // own: the file goes back to where it ended.
    file.reset();
    std::error_code ignored;
    if (end >= 0) std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(end), ignored);
    throw FileError(path_ + ": cannot write the file (" + reason + ")");
  }
  if (std::fclose(file.release()) != 0) throw FileError(path_ + ": cannot close the file (" + Reason() + ")");
}

void TFileIndex::Rewrite(const std::vector<std::string>& lines) const {
  const std::string text = JoinLines(lines);
  const TShortLock lock(path_ + ".lock");
  TStream(TBytes(text.begin(), text.end())).ReplaceFile(path_);
}

void TFileIndex::Remove() const {
  std::error_code error;
  std::filesystem::remove(path_, error);
  if (error) throw FileError(path_ + ": cannot delete the file (" + error.message() + ")");
}

}  // namespace voltaris
