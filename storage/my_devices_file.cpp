#include "storage/my_devices_file.h"

#include <filesystem>
#include <system_error>

#include "catalogue/byte_stream.h"
#include "catalogue/format.h"

namespace voltaris {

namespace fs = std::filesystem;

namespace {

// The first free name for a damaged file's copy beside it.
fs::path DamagedCopyPath(const fs::path& file) {
  const fs::path folder = file.parent_path();
  const std::string stem = file.stem().string() + "-damaged";
  fs::path copy = folder / (stem + ".csv");
  std::error_code error;
  for (int n = 2; fs::exists(copy, error) && n < 1000; ++n) copy = folder / Format("%s-%d.csv", stem, n);
  return copy;
}

}  // namespace

// Joined with "/" as the project files' names are, so that messages name it alike.
std::string MyDevicesPath(const std::string& home) {
  if (home.empty()) return MyDevicesFileName;
  const char last = home.back();
  return home + (last == '/' || last == '\\' ? "" : "/") + MyDevicesFileName;
}

TMyDevicesLibrary TMyDevicesFile::Read() {
  TMyDevicesLibrary library;
  std::error_code error;
  if (fs::status(path_, error).type() == fs::file_type::not_found) return library;
  try {
    const TStream stream = TStream::LoadFromFile(path_, MyDevicesFileLimit);
    const TBytes& bytes = stream.Bytes();
    const TMyDevicesRead read = ReadMyDevicesCsv(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    library.Devices = read.Devices;
    SortMyDevices(library.Devices);
    if (!read.Problems.empty())
      library.Problem = path_ + " could not be read whole:\n" + DescribeProblems(read.Problems, 3) +
                        "\nSaving my devices keeps this file as it is, beside them, as " +
                        DamagedCopyPath(path_).filename().string() + ".";
  } catch (const FileError& failure) {
    library.Problem = failure.what();
  }
  return library;
}

std::string TMyDevicesFile::Write(const TMyDeviceList& devices) {
  TMyDeviceList sorted = devices;
  SortMyDevices(sorted);
  const std::string text = MyDevicesCsv(sorted);
  try {
    std::error_code error;
    if (fs::exists(path_, error) && !Read().Problem.empty()) {
      const fs::path copy = DamagedCopyPath(path_);
      fs::copy_file(path_, copy, error);
      if (error)
        return Format("%s could not be kept as %s (%s); my devices were not saved.", path_, copy.string(),
                      error.message());
    }
    TStream(TBytes(text.begin(), text.end())).ReplaceFile(path_);
  } catch (const FileError& failure) {
    return failure.what();
  }
  return std::string();
}

}  // namespace voltaris
