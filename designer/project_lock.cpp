#include "designer/project_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <system_error>
#include <utility>

#include "catalogue/byte_stream.h"

namespace voltaris {

namespace {

std::string Reason() { return std::strerror(errno); }

// The advisory lock without waiting. True when this descriptor has it, or
// when the file system offers none (then the lock file alone stands).
bool TryAdvisoryLock(int fd, bool& busy) {
  busy = false;
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno == EWOULDBLOCK) {
    busy = true;
    return false;
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return ::fsync(fd) == 0;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[512];
  if (::lseek(fd, 0, SEEK_SET) != 0) return text;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || text.size() > 4096) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

bool SameFile(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool ProcessRuns(int64_t pid) {
  if (pid <= 0 || pid > INT32_MAX) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

TLockHolder ThisProcess() {
  TLockHolder holder;
  char machine[256] = {};
  if (::gethostname(machine, sizeof machine - 1) == 0) holder.Machine = machine;
  if (const passwd* user = ::getpwuid(::geteuid())) holder.User = user->pw_name;
  holder.Pid = static_cast<int64_t>(::getpid());
  return holder;
}

std::string HolderText(const TLockHolder& holder) {
  if (holder.Pid == 0) return "another designer";
  return (holder.User.empty() ? std::string("someone") : holder.User) + " on " +
         (holder.Machine.empty() ? std::string("another machine") : holder.Machine) + " (process " +
         std::to_string(holder.Pid) + ")";
}

std::string LockPath(const std::string& dataDir, const std::string& fileName) {
  return dataDir + "/" + fileName + ".lock";
}

std::string LockText(const TLockHolder& holder) {
  auto clean = [](std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
  };
  return "machine=" + clean(holder.Machine) + "\nuser=" + clean(holder.User) + "\npid=" + std::to_string(holder.Pid) +
         "\n";
}

TLockHolder ParseLockText(const std::string& text) {
  TLockHolder holder;
  std::istringstream lines(text);
  std::string line;
  bool pidSeen = false;
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return {};
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "machine") {
      holder.Machine = value;
    } else if (key == "user") {
      holder.User = value;
    } else if (key == "pid") {
      if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string::npos) return {};
      holder.Pid = std::stoll(value);
      pidSeen = true;
    }
  }
  return pidSeen ? holder : TLockHolder{};
}

TProjectLock::TProjectLock(std::string path) : path_(std::move(path)) {}

TProjectLock::~TProjectLock() { Release(); }

bool TProjectLock::WriteHolder() const {
  // Written through a descriptor of its own: the one kept open is read-only,
  // so that a lock never keeps a file system from being made read-only.
  const int writer = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  if (writer < 0) return false;
  const bool written = WriteAll(writer, LockText(ThisProcess()));
  return ::close(writer) == 0 && written;
}

TLockStatus TProjectLock::Take() {
  Release();
  const int created = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (created >= 0) {
    bool busy = false;
    TryAdvisoryLock(created, busy);
    fd_ = created;
    if (!WriteHolder()) {
      const std::string reason = Reason();
      ::unlink(path_.c_str());
      ::close(created);
      fd_ = -1;
      throw FileError(path_ + ": cannot write the lock file (" + reason + ")");
    }
    taken_ = true;
    return TLockStatus::Taken;
  }
  if (errno != EEXIST) throw FileError(path_ + ": cannot make the lock file (" + Reason() + ")");
  const int existing = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (existing < 0) throw FileError(path_ + ": cannot read the lock file (" + Reason() + ")");
  holder_ = ParseLockText(ReadAll(existing));
  bool busy = false;
  const bool locked = TryAdvisoryLock(existing, busy);
  // Stale only when nothing holds it and its process is known to be gone:
  // a lock of another machine, or one being written, stands.
  if (locked && !busy && holder_.Pid != 0 && holder_.Machine == ThisProcess().Machine && !ProcessRuns(holder_.Pid)) {
    fd_ = existing;  // keeps the advisory lock until TakeOver
    return TLockStatus::Stale;
  }
  ::close(existing);
  return TLockStatus::Held;
}

bool TProjectLock::TakeOver() {
  if (taken_ || fd_ < 0) return taken_;
  // Under the advisory lock: the file must still be the one looked at.
  if (!SameFile(fd_, path_) || !WriteHolder()) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  taken_ = true;
  return true;
}

void TProjectLock::Release() {
  if (taken_ && SameFile(fd_, path_)) ::unlink(path_.c_str());
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  taken_ = false;
}

TShortLock::TShortLock(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

TShortLock::~TShortLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace voltaris
