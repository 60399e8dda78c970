#include "designer/report_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "catalogue/byte_stream.h"

namespace voltaris {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Removes the half-written file unless the save completed.
class TTemporaryFile {
 public:
  explicit TTemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TTemporaryFile() {
    if (keep_) return;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Path() const { return path_; }
  void Keep() { keep_ = true; }

 private:
  std::string path_;
  bool keep_ = false;
};

std::string Reason() { return std::strerror(errno); }

}  // namespace

std::string ReportFileText(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 16 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      result += "\r\n";
    } else if (c == '\n') {
      result += "\r\n";
    } else {
      result.push_back(c);
    }
  }
  if (!result.empty() && !result.ends_with("\r\n")) result += "\r\n";
  return result;
}

std::string ReportFilePath(const std::string& chosen) {
  if (chosen.empty() || std::filesystem::path(chosen).has_extension()) return chosen;
  return chosen + ReportExtension;
}

void SaveReportText(const std::string& path, const std::string& text) {
  const std::string content = ReportFileText(text);
  TTemporaryFile temporary(path + ".saving");
  {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.Path().c_str(), "wb"));
    if (!file) throw FileError(path + ": cannot create the file (" + Reason() + ")");
    if (!content.empty() && std::fwrite(content.data(), 1, content.size(), file.get()) != content.size())
      throw FileError(path + ": cannot write the file (" + Reason() + ")");
    if (std::fflush(file.get()) != 0) throw FileError(path + ": cannot write the file (" + Reason() + ")");
    if (std::fclose(file.release()) != 0) throw FileError(path + ": cannot write the file (" + Reason() + ")");
  }
  std::error_code error;
  std::filesystem::rename(temporary.Path(), path, error);
  if (error) throw FileError(path + ": cannot replace the file (" + error.message() + ")");
  temporary.Keep();
}

}  // namespace voltaris
