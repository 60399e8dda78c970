// Shared helpers of the designer tests: a scratch data directory and a
// message sink that records what the user would have been shown.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "designer/dialogs/message_sink.h"

namespace voltaris::testing {

// A fresh, empty directory for the length of one test.
class TempDir {
 public:
  TempDir() {
    // Named for the test and the process, so that the same test run by two
    // builds at once does not share it; parameterised names hold "/".
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "voltaris-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
                       std::to_string(getpid());
    std::replace(name.begin(), name.end(), '/', '_');
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path_, ignored); }

  std::string Path() const { return path_.string(); }
  // Joined with "/" as the program joins a data folder and a file name, so
  // that a name here is the one the program shows on every system.
  std::string File(const std::string& name) const { return Path() + "/" + name; }
  bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};

struct RecordingSink : IMessageSink {
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  bool Confirm(const std::string& question) override {
    questions.push_back(question);
    return confirm;
  }
  std::vector<std::string> questions;
  bool confirm = true;
  std::vector<std::string> errors, warnings;
};

}  // namespace voltaris::testing
