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

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <sstream>
#include <system_error>
#include <utility>

#include "catalogue/byte_stream.h"

namespace voltaris {

namespace {

// What the system says about a process a lock names.
struct TProcessLook {
  bool Seen = false;   // it could be looked at
  bool Ended = false;  // it has ended and waits to be reaped
  std::string Started;
};

#ifdef _WIN32

// The system's own words for the last error.
std::string Reason() { return std::system_category().message(static_cast<int>(GetLastError())); }

// Every handle of a lock file lets the others read, write and delete it: the
// lock file is read while it is held and removed while another designer
// looks at it.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The entry itself, never what a link or junction leads to; a folder opens
// too, so that it can be recognised.
constexpr DWORD EntryItself = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;

// Windows locks byte ranges, and a locked range cannot be read or written
// through another handle. The advisory lock is one byte far beyond the
// holder's text, so that the text stays readable and writable to everyone.
constexpr DWORD LockOffsetLow = 0x40000000;

HANDLE OpenLockFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileA(path.c_str(), access, ShareAll, nullptr, disposition, flags, nullptr);
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

// A plain file on a disk: neither a link, a junction, a folder nor a device.
bool PlainFile(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(file, &info) != 0 &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
         GetFileType(file) == FILE_TYPE_DISK;
}

uint64_t Join(DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; }

bool SameEntry(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
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

// At most one byte more than a lock file may hold, so that a longer one shows.
std::string ReadLockText(HANDLE file) {
  std::string text;
  char buffer[256];
  LARGE_INTEGER start{};
  if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN) == 0) return text;
  while (text.size() <= MaxLockBytes) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, MaxLockBytes + 1 - text.size()));
    if (ReadFile(file, buffer, want, &got, nullptr) == 0 || got == 0) break;
    text.append(buffer, got);
  }
  return text;
}

// Seconds since the file was last written (negative when its time is ahead of this machine's clock).
int64_t AgeSeconds(HANDLE file) {
  FILETIME written{};
  FILETIME now{};
  if (GetFileTime(file, nullptr, nullptr, &written) == 0) return 0;
  GetSystemTimeAsFileTime(&now);
  const int64_t ticks = static_cast<int64_t>(Join(now.dwHighDateTime, now.dwLowDateTime)) -
                        static_cast<int64_t>(Join(written.dwHighDateTime, written.dwLowDateTime));
  return ticks / 10000000;  // 100-nanosecond ticks
}

// Whether the open handle is still the file that bears the name: the volume
// and the file index of both agree.
bool SameFile(HANDLE file, const std::string& path) {
  const HANDLE named = OpenLockFile(path, 0, OPEN_EXISTING, EntryItself);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION open{};
  BY_HANDLE_FILE_INFORMATION byName{};
  const bool same = GetFileInformationByHandle(file, &open) != 0 && GetFileInformationByHandle(named, &byName) != 0 &&
                    SameEntry(open, byName);
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

// Its creation time, in 100-nanosecond ticks since 1601.
TProcessLook LookAtProcess(int64_t pid) {
  TProcessLook look;
  if (pid <= 0 || pid > static_cast<int64_t>(UINT32_MAX)) return look;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return look;
  FILETIME created{}, exited{}, kernel{}, user{};
  if (GetProcessTimes(process, &created, &exited, &kernel, &user) != 0) {
    look.Seen = true;
    look.Started = std::to_string(Join(created.dwHighDateTime, created.dwLowDateTime));
    DWORD code = 0;
    look.Ended = GetExitCodeProcess(process, &code) != 0 && code != STILL_ACTIVE;
  }
  CloseHandle(process);
  return look;
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

// At most `limit` bytes from the start of the descriptor.
std::string ReadAtMost(int fd, size_t limit) {
  std::string text;
  char buffer[256];
  if (::lseek(fd, 0, SEEK_SET) != 0) return text;
  while (text.size() < limit) {
    const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

// At most one byte more than a lock file may hold, so that a longer one shows.
std::string ReadLockText(int fd) { return ReadAtMost(fd, MaxLockBytes + 1); }

// A small file of the system (/proc), or nothing.
std::string ReadSystemFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text = ReadAtMost(fd, 4096);
  ::close(fd);
  return text;
}

// The entry itself, never what a link leads to.
bool SameEntry(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool SameFile(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && SameEntry(open, named);
}

bool ProcessRuns(int64_t pid) {
  if (pid <= 0 || pid > INT32_MAX) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// On Linux, /proc/<pid>/stat: its state (field 3: "Z" for a process that
// ended and was not reaped yet) and the clock tick since boot it started at
// (field 22), with the boot's own id, as process numbers start again at
// each boot.
TProcessLook LookAtProcess(int64_t pid) {
  TProcessLook look;
  if (pid <= 0 || pid > INT32_MAX) return look;
  const std::string stat = ReadSystemFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t name = stat.rfind(')');  // the program's name may hold spaces and brackets
  if (name == std::string::npos) return look;
  std::istringstream fields(stat.substr(name + 1));
  std::string state, started;
  fields >> state;
  for (int field = 4; field <= 22 && fields >> started; ++field) {
  }
  if (state.empty() || started.empty() || started.find_first_not_of("0123456789") != std::string::npos) return look;
  std::string boot = ReadSystemFile("/proc/sys/kernel/random/boot_id");
  std::erase_if(boot, [](char c) { return c == '\n'; });
  look.Seen = true;
  look.Ended = state == "Z" || state == "X";
  look.Started = boot + ":" + started;
  return look;
}

#endif

// The characters of a sound start time: digits, letters, ":" and "-".
bool SoundStarted(const std::string& text) {
  if (text.empty() || text.size() > 80) return false;
  for (const char c : text) {
    const bool sound = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ':' ||
                       c == '-';
    if (!sound) return false;
  }
  return true;
}

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
  holder.Started = LookAtProcess(holder.Pid).Started;
  return holder;
}

#else

TLockHolder ThisProcess() {
  TLockHolder holder;
  char machine[256] = {};
  if (::gethostname(machine, sizeof machine - 1) == 0) holder.Machine = machine;
  if (const passwd* user = ::getpwuid(::geteuid())) holder.User = user->pw_name;
  holder.Pid = static_cast<int64_t>(::getpid());
  holder.Started = LookAtProcess(holder.Pid).Started;
  return holder;
}

#endif

namespace {

// Whether a lock file that could be read names no designer that may still
// hold it, once its advisory lock proved free. `ageSeconds` is how long ago
// the file was last written.
bool NamesNoHolder(const TLockHolder& holder, int64_t ageSeconds) {
  // A file naming no one was cut off while it was written, unless it is
  // being written right now: a designer writes it just after making it.
  if (holder.Pid == 0) return ageSeconds >= UnsoundLockSeconds || ageSeconds <= -UnsoundLockSeconds;
  // The processes of another machine cannot be looked at.
  if (holder.Machine != ThisProcess().Machine) return false;
  if (!ProcessRuns(holder.Pid)) return true;
  const TProcessLook process = LookAtProcess(holder.Pid);
  if (!process.Seen) return false;  // it may be the holder
  if (process.Ended) return true;
  // A process that started at another moment is not the one that wrote the lock.
  return !holder.Started.empty() && !process.Started.empty() && process.Started != holder.Started;
}

}  // namespace

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
  std::string text = "machine=" + clean(holder.Machine) + "\nuser=" + clean(holder.User) +
                     "\npid=" + std::to_string(holder.Pid) + "\n";
  // Older designers read the first three lines and pass over this one.
  if (SoundStarted(holder.Started)) text += "started=" + holder.Started + "\n";
  return text;
}

TLockHolder ParseLockText(const std::string& text) {
  if (text.size() > MaxLockBytes) return {};
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
    } else if (key == "started") {
      if (!SoundStarted(value)) return {};
      holder.Started = value;
    }
  }
  // Process 0 is no process: such a lock names no one.
  return pidSeen && holder.Pid != 0 ? holder : TLockHolder{};
}

TProjectLock::TProjectLock(std::string path) : path_(std::move(path)) {}

TProjectLock::~TProjectLock() { Release(); }

TLockStatus TProjectLock::Take() {
  Release();
  // A lock let go (or replaced) while it was looked at is looked at again.
  for (int attempt = 1;; ++attempt) {
    if (Make() == TMade::Made) {
      taken_ = true;
      return TLockStatus::Taken;
    }
    if (const std::optional<TLockStatus> status = LookAtExisting()) return *status;
    if (attempt == 3) throw FileError(path_ + ": cannot read the lock file (it keeps changing)");
  }
}

#ifdef _WIN32

bool TProjectLock::WriteHolder() const {
  // Written through a handle of its own, as the one kept open only reads;
  // only ever the very file held, never one a link leads to.
  const HANDLE writer = OpenLockFile(path_, GENERIC_WRITE, OPEN_EXISTING, EntryItself);
  if (writer == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION written{};
  BY_HANDLE_FILE_INFORMATION held{};
  if (!PlainFile(writer, written) || written.nNumberOfLinks > 1 ||
      GetFileInformationByHandle(static_cast<HANDLE>(handle_), &held) == 0 || !SameEntry(written, held)) {
    CloseHandle(writer);
    SetLastError(ERROR_FILE_EXISTS);
    return false;
  }
  const bool done = WriteAll(writer, LockText(ThisProcess()));
  const DWORD error = GetLastError();
  const bool closed = CloseHandle(writer) != 0;
  SetLastError(error);
  return closed && done;
}

TProjectLock::TMade TProjectLock::Make() {
  const HANDLE created = OpenLockFile(path_, GENERIC_READ, CREATE_NEW);
  if (created == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return TMade::Exists;
    throw FileError(path_ + ": cannot make the lock file (" + Reason() + ")");
  }
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
  return TMade::Made;
}

std::optional<TLockStatus> TProjectLock::LookAtExisting() {
  holder_ = {};
  odd_.reset();
  const HANDLE existing = OpenLockFile(path_, GENERIC_READ, OPEN_EXISTING, EntryItself);
  if (existing == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
    throw FileError(path_ + ": cannot read the lock file (" + Reason() + ")");
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!PlainFile(existing, info)) {
    // Not read: it names no one, and TakeOver replaces the entry itself.
    odd_ = TEntryId{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
    CloseHandle(existing);
    return TLockStatus::Stale;
  }
  holder_ = ParseLockText(ReadLockText(existing));
  bool busy = false;
  const bool locked = TryAdvisoryLock(existing, busy);
  if (locked && !busy && NamesNoHolder(holder_, AgeSeconds(existing))) {
    handle_ = existing;  // keeps the advisory lock until TakeOver
    // A file that other names lead to as well is that file too: taking
    // over replaces this name rather than writing into it.
    if (info.nNumberOfLinks > 1)
      odd_ = TEntryId{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)};
    return TLockStatus::Stale;
  }
  CloseLockFile(existing);
  return TLockStatus::Held;
}

bool TProjectLock::ReplaceEntry() {
  const TEntryId seen = *odd_;
  odd_.reset();
  if (handle_ != nullptr) CloseLockFile(handle_);  // the name is opened alone below
  handle_ = nullptr;
  // Opened for deletion and shared with no one: of designers replacing the
  // same entry at once, one removes it and the others find it gone or changed.
  const HANDLE entry = CreateFileA(path_.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, EntryItself, nullptr);
  if (entry == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool removed = GetFileInformationByHandle(entry, &info) != 0 &&
                 TEntryId{info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow)} == seen;
  if (removed) {
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    removed = SetFileInformationByHandle(entry, FileDispositionInfo, &dispose, sizeof dispose) != 0;
  }
  CloseHandle(entry);
  if (!removed) return false;
  try {
    taken_ = Make() == TMade::Made;
  } catch (const FileError&) {
    taken_ = false;
  }
  return taken_;
}

bool TProjectLock::TakeOver() {
  if (taken_) return true;
  if (odd_) return ReplaceEntry();
  if (handle_ == nullptr) return false;
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
  odd_.reset();
}

#else

bool TProjectLock::WriteHolder() const {
  // Written through a descriptor of its own: the one kept open is read-only,
  // so that a lock never keeps a file system from being made read-only.
  // Only ever the very file held: never one a link leads to, nor one put in
  // its place meanwhile.
  const int writer = ::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (writer < 0) return false;
  struct stat written {};
  struct stat held {};
  if (::fstat(writer, &written) != 0 || ::fstat(fd_, &held) != 0 || !S_ISREG(written.st_mode) || written.st_nlink > 1 ||
      !SameEntry(written, held)) {
    ::close(writer);
    errno = EEXIST;
    return false;
  }
  const bool done = WriteAll(writer, LockText(ThisProcess()));
  const int error = errno;
  const bool closed = ::close(writer) == 0;
  errno = error;
  return closed && done;
}

TProjectLock::TMade TProjectLock::Make() {
  const int created = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (created < 0) {
    if (errno == EEXIST) return TMade::Exists;
    throw FileError(path_ + ": cannot make the lock file (" + Reason() + ")");
  }
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
  return TMade::Made;
}

std::optional<TLockStatus> TProjectLock::LookAtExisting() {
  holder_ = {};
  odd_.reset();
  struct stat entry {};
  if (::lstat(path_.c_str(), &entry) != 0) {
    if (errno == ENOENT) return std::nullopt;
    throw FileError(path_ + ": cannot read the lock file (" + Reason() + ")");
  }
  if (!S_ISREG(entry.st_mode)) {
    // Never opened: a pipe would wait for a writer, a device or a link to
    // one could give bytes without end. It names no one, and TakeOver
    // replaces the entry itself.
    odd_ = TEntryId{static_cast<uint64_t>(entry.st_dev), static_cast<uint64_t>(entry.st_ino)};
    return TLockStatus::Stale;
  }
  const int existing = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (existing < 0) {
    if (errno == ENOENT || errno == ELOOP) return std::nullopt;  // gone or replaced meanwhile
    throw FileError(path_ + ": cannot read the lock file (" + Reason() + ")");
  }
  struct stat opened {};
  if (::fstat(existing, &opened) != 0 || !SameEntry(opened, entry)) {
    ::close(existing);
    return std::nullopt;
  }
  holder_ = ParseLockText(ReadLockText(existing));
  bool busy = false;
  const bool locked = TryAdvisoryLock(existing, busy);
  const int64_t age = static_cast<int64_t>(std::time(nullptr)) - static_cast<int64_t>(opened.st_mtime);
  if (locked && !busy && NamesNoHolder(holder_, age)) {
    fd_ = existing;  // keeps the advisory lock until TakeOver
    // A file that other names lead to as well is that file too: taking
    // over replaces this name rather than writing into it.
    if (opened.st_nlink > 1) odd_ = TEntryId{static_cast<uint64_t>(entry.st_dev), static_cast<uint64_t>(entry.st_ino)};
    return TLockStatus::Stale;
  }
  ::close(existing);
  return TLockStatus::Held;
}

bool TProjectLock::ReplaceEntry() {
  const TEntryId seen = *odd_;
  odd_.reset();
  // Designers replacing the same entry at once take turns on the folder's
  // advisory lock: one removes it and makes the lock file, the others find
  // the entry changed.
  const size_t slash = path_.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash + 1);
  const int guard = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (guard < 0) return false;
  bool busy = false;
  TryAdvisoryLock(guard, busy);
  struct stat entry {};
  bool removed = !busy && ::lstat(path_.c_str(), &entry) == 0 &&
                 TEntryId{static_cast<uint64_t>(entry.st_dev), static_cast<uint64_t>(entry.st_ino)} == seen;
  // Removing a link removes the link alone; a folder goes only when empty.
  if (removed) removed = (S_ISDIR(entry.st_mode) ? ::rmdir(path_.c_str()) : ::unlink(path_.c_str())) == 0;
  if (fd_ >= 0) ::close(fd_);  // the advisory lock of the name removed
  fd_ = -1;
  if (removed) {
    try {
      taken_ = Make() == TMade::Made;
    } catch (const FileError&) {
      taken_ = false;
    }
  }
  ::close(guard);
  return taken_;
}

bool TProjectLock::TakeOver() {
  if (taken_) return true;
  if (odd_) return ReplaceEntry();
  if (fd_ < 0) return false;
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
  odd_.reset();
}

#endif

}  // namespace voltaris
