// A named pipe for the tests of the file readers, with a watchdog: a reader
// that waits on the pipe (which no program writes) would hang the test, so
// after a few seconds the watchdog opens the pipe's other end and closes it
// again, the reader sees the pipe end, and the test fails on the time taken
// instead of never finishing.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace voltaris::testing {

// How long a refusal may take: far more than opening a file takes.
inline constexpr std::chrono::seconds PipeWaitLimit{5};

#ifndef _WIN32
class PipeWatchdog {
 public:
  // Makes the pipe at `path`; Made() says whether that worked.
  explicit PipeWatchdog(std::string path) : path_(std::move(path)) {
    made_ = ::mkfifo(path_.c_str(), 0600) == 0;
    if (made_) thread_ = std::thread([this] { Watch(); });
  }
  ~PipeWatchdog() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  PipeWatchdog(const PipeWatchdog&) = delete;
  PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  bool Made() const { return made_; }
  // Whether a reader had to be set free.
  bool Fired() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return fired_;
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    auto wait = PipeWaitLimit;
    while (!wake_.wait_for(lock, wait, [this] { return done_; })) {
      fired_ = true;
      // A writer that comes and goes: a reader waiting in open or read sees
      // the end of the pipe. With no reader the open fails, which is as good.
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      wait = std::chrono::seconds(1);  // and again, for a reader that opens it once more
    }
  }

  std::string path_;
  bool made_ = false;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false, fired_ = false;
  std::thread thread_;
};
#endif

}  // namespace voltaris::testing
