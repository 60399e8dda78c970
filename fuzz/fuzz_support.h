// Helpers shared by the fuzz targets: the process-wide state the readers
// touch, put back to its start-up values before every input so that a run
// is reproducible from the input alone, and the two-file split of an input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "catalogue/byte_stream.h"
#include "catalogue/catalogue.h"

namespace voltaris::fuzz {

// A property every sound input must keep; a broken one is reported like a crash.
[[noreturn]] inline void Broken(const std::string& what) {
  std::fprintf(stderr, "broken property: %s\n", what.c_str());
  std::abort();
}

// A scratch directory for this process (in memory where /dev/shm is there),
// removed when the process exits normally.
class TScratchDir {
 public:
  TScratchDir() {
    namespace fs = std::filesystem;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    path_ = (base / ("voltaris-fuzz-" + std::to_string(getpid()))).string();
    fs::create_directories(path_);
  }
  ~TScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TScratchDir(const TScratchDir&) = delete;
  TScratchDir& operator=(const TScratchDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline const std::string& ScratchDir() {
  static const TScratchDir dir;
  return dir.Path();
}

// Two files in one input: a 4-byte little-endian length, that many bytes
// of the first file (fewer when the input ends first), then the second
// file up to the end of the input.
struct TFilePair {
  TBytes First;
  TBytes Second;
};

inline TFilePair SplitInput(const uint8_t* data, size_t size) {
  TFilePair pair;
  if (size < 4) {
    pair.First.assign(data, data + size);
    return pair;
  }
  const uint32_t length = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                          static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  const size_t first = length < size - 4 ? length : size - 4;
  pair.First.assign(data + 4, data + 4 + first);
  pair.Second.assign(data + 4 + first, data + size);
  return pair;
}

inline TBytes JoinInput(const TBytes& first, const TBytes& second) {
  TBytes input;
  const uint32_t length = static_cast<uint32_t>(first.size());
  for (int i = 0; i < 4; ++i) input.push_back(static_cast<uint8_t>(length >> (8 * i)));
  input.insert(input.end(), first.begin(), first.end());
  input.insert(input.end(), second.begin(), second.end());
  return input;
}

}  // namespace voltaris::fuzz
