#include "storage/project_lock.h"

#ifdef _WIN32
#include "catalogue/windows_api.h"
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <system_error>
#include <utility>

#include "catalogue/byte_stream.h"

namespace voltaris {

namespace {

#ifdef _WIN32

// The system's own words for the last error.
std::string Reason() { return std::system_category().message(static_cast<int>(GetLastError())); }

// Every handle of a lock file lets the others read, write and delete it: the
// lock file is read while it is held and removed while another designer
// looks at it.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows locks byte ranges, and a locked range cannot be read or written
// through another handle. The advisory lock is one byte far beyond the
// holder's text, so that the text stays readable and writable to everyone.
constexpr DWORD LockOffsetLow = 0x40000000;

HANDLE OpenLockFile(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileA(path.c_str(), access, ShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool LockRange(HANDLE file, DWORD flags) {
  OVERLAPPED at{};
  at.Offset = LockOffsetLow;
  return LockFileEx(file, flags, 0, 1, 0, &at) != 0;
}

void UnlockRange(HANDLE file) {
  OVERLAPPED at{};
  at.Offset = LockOffsetLow;
  UnlockFileEx(file, 0, 1, 0, &at);
}

// The advisory lock without waiting. True when this handle has it, or when
// the file system offers none (then the lock file alone stands).
bool TryAdvisoryLock(HANDLE file, bool& busy) {
  busy = false;
  if (LockRange(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY)) return true;
  if (GetLastError() == ERROR_LOCK_VIOLATION) {
    busy = true;
    return false;
  }
  return true;
}

// Lets the advisory lock go and closes the handle.
void CloseLockFile(HANDLE file) {
  UnlockRange(file);
  CloseHandle(file);
}

bool WriteAll(HANDLE file, const std::string& text) {
  LARGE_INTEGER start{};
  if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN) == 0 || SetEndOfFile(file) == 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(text.size() - done);  // a few lines, never near 4 GiB
    if (WriteFile(file, text.data() + done, chunk, &written, nullptr) == 0 || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != 0;
}

std::string ReadAll(HANDLE file) {
  std::string text;
  char buffer[512];
  LARGE_INTEGER start{};
  if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN) == 0) return text;
  for (;;) {
    DWORD got = 0;
    if (ReadFile(file, buffer, sizeof buffer, &got, nullptr) == 0 || got == 0 || text.size() > 4096) break;
    text.append(buffer, got);
  }
  return text;
}

// Whether the open handle is still the file that bears the name: the volume
// and the file index of both agree.
bool SameFile(HANDLE file, const std::string& path) {
  const HANDLE named = OpenLockFile(path, 0, OPEN_EXISTING);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION open{};
  BY_HANDLE_FILE_INFORMATION byName{};
  const bool same = GetFileInformationByHandle(file, &open) != 0 && GetFileInformationByHandle(named, &byName) != 0 &&
                    open.dwVolumeSerialNumber == byName.dwVolumeSerialNumber &&
                    open.nFileIndexHigh == byName.nFileIndexHigh && open.nFileIndexLow == byName.nFileIndexLow;
  CloseHandle(named);
  return same;
}

// A process that may not be looked at still runs; so does one whose exit
// code cannot be read.
bool ProcessRuns(int64_t pid) {
  if (pid <= 0 || pid > static_cast<int64_t>(UINT32_MAX)) return false;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool runs = GetExitCodeProcess(process, &code) == 0 || code == STILL_ACTIVE;
  CloseHandle(process);
  return runs;
}

#else

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

#endif

}  // namespace

#ifdef _WIN32

TLockHolder ThisProcess() {
  TLockHolder holder;
  char machine[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof machine;
  if (GetComputerNameA(machine, &size) != 0) holder.Machine.assign(machine, size);
  char user[257] = {};  // the longest user name and its end
  size = sizeof user;
  if (GetUserNameA(user, &size) != 0) holder.User = user;
  holder.Pid = static_cast<int64_t>(GetCurrentProcessId());
  return holder;
}

#else

TLockHolder ThisProcess() {
  TLockHolder holder;
  char machine[256] = {};
  if (::gethostname(machine, sizeof machine - 1) == 0) holder.Machine = machine;
  if (const passwd* user = ::getpwuid(::geteuid())) holder.User = user->pw_name;
  holder.Pid = static_cast<int64_t>(::getpid());
  return holder;
}

#endif

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

#ifdef _WIN32

bool TProjectLock::WriteHolder() const {
  // Written through a handle of its own, as the one kept open only reads.
  const HANDLE writer = OpenLockFile(path_, GENERIC_WRITE, OPEN_EXISTING);
  if (writer == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(writer, LockText(ThisProcess()));
  const DWORD error = GetLastError();
  const bool closed = CloseHandle(writer) != 0;
  SetLastError(error);
  return closed && written;
}

TLockStatus TProjectLock::Take() {
  Release();
  const HANDLE created = OpenLockFile(path_, GENERIC_READ, CREATE_NEW);
  if (created != INVALID_HANDLE_VALUE) {
    bool busy = false;
    TryAdvisoryLock(created, busy);
    handle_ = created;
    if (!WriteHolder()) {
      const std::string reason = Reason();
      DeleteFileA(path_.c_str());
      CloseLockFile(created);
      handle_ = nullptr;
      throw FileError(path_ + ": cannot write the lock file (" + reason + ")");
    }
    taken_ = true;
    return TLockStatus::Taken;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
    throw FileError(path_ + ": cannot make the lock file (" + Reason() + ")");
  const HANDLE existing = OpenLockFile(path_, GENERIC_READ, OPEN_EXISTING);
  if (existing == INVALID_HANDLE_VALUE) throw FileError(path_ + ": cannot read the lock file (" + Reason() + ")");
  holder_ = ParseLockText(ReadAll(existing));
  bool busy = false;
  const bool locked = TryAdvisoryLock(existing, busy);
  // Stale only when nothing holds it and its process is known to be gone:
  // a lock of another machine, or one being written, stands.
  if (locked && !busy && holder_.Pid != 0 && holder_.Machine == ThisProcess().Machine && !ProcessRuns(holder_.Pid)) {
    handle_ = existing;  // keeps the advisory lock until TakeOver
    return TLockStatus::Stale;
  }
  CloseLockFile(existing);
  return TLockStatus::Held;
}

bool TProjectLock::TakeOver() {
  if (taken_ || handle_ == nullptr) return taken_;
  // Under the advisory lock: the file must still be the one looked at.
  if (!SameFile(handle_, path_) || !WriteHolder()) {
    CloseLockFile(handle_);
    handle_ = nullptr;
    return false;
  }
  taken_ = true;
  return true;
}

void TProjectLock::Release() {
  // The handle shares deletion, so the name goes while it is still open.
  if (taken_ && SameFile(handle_, path_)) DeleteFileA(path_.c_str());
  if (handle_ != nullptr) CloseLockFile(handle_);
  handle_ = nullptr;
  taken_ = false;
}

#else

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

#endif

}  // namespace voltaris
