// A named pipe that no program writes, for the tests of the file readers. A
// reader that waited on it would hang the test, so after PipeWaitLimit a
// watchdog opens and closes its other end, once a second from then on: the
// reader sees the pipe end and the test fails on the time taken instead.
#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace voltaris::testing {

inline constexpr std::chrono::seconds PipeWaitLimit{5};

#ifndef _WIN32
class PipeWatchdog {
 public:
  explicit PipeWatchdog(const std::string& path) : made_(::mkfifo(path.c_str(), 0600) == 0) {
    if (!made_) return;
    watch_ = std::async(std::launch::async, [this, path, done = done_.get_future()] {
      for (auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(PipeWaitLimit);
           done.wait_for(wait) == std::future_status::timeout; wait = std::chrono::seconds(1)) {
        fired_ = true;
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
      }
    });
  }
  // Then the future's destructor waits for the watchdog to end.
  ~PipeWatchdog() {
    if (made_) done_.set_value();
  }
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  bool Made() const { return made_; }
  // Whether a reader had to be set free (read once the reader is done).
  bool Fired() const { return fired_; }

 private:
  bool made_;
  std::atomic<bool> fired_{false};
  std::promise<void> done_;
  std::future<void> watch_;
};
#endif

}  // namespace voltaris::testing
