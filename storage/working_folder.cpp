#include "storage/working_folder.h"

#include <system_error>

namespace voltaris {

namespace fs = std::filesystem;

namespace {

std::string Problem(const std::string& what, const fs::path& path, const std::error_code& error) {
  return what + " " + path.string() + ": " + error.message();
}

}  // namespace

std::string PrepareWorkingFolder(const fs::path& home, const fs::path& examples, const fs::path& palette) {
  std::error_code error;
  const fs::path data = home / "Data";
  fs::create_directories(data, error);
  if (error) return Problem("Cannot make the folder", data, error);
  if (!fs::is_directory(data, error)) return "Cannot make the folder " + data.string() + ": a file stands there";

  const bool empty = fs::is_empty(data, error);
  if (error) return Problem("Cannot read the folder", data, error);
  if (empty && fs::is_directory(examples, error)) {
    for (const fs::directory_entry& entry : fs::directory_iterator(examples, error)) {
      if (!entry.is_regular_file(error)) continue;
      const fs::path target = data / entry.path().filename();
      fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, error);
      if (error) return Problem("Cannot copy the example", target, error);
    }
    if (error) return Problem("Cannot read the folder", examples, error);
  }

  const fs::path colours = home / palette.filename();
  if (!fs::exists(colours, error) && fs::is_regular_file(palette, error)) {
    fs::copy_file(palette, colours, fs::copy_options::skip_existing, error);
    if (error) return Problem("Cannot copy the supply palette to", colours, error);
  }
  return {};
}

}  // namespace voltaris
