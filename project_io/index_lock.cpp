#include "project_io/index_lock.h"

#ifdef _WIN32
#include "catalogue/windows_api.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace voltaris {

#ifdef _WIN32

// Windows locks byte ranges, and a locked range cannot be read or written
// through another handle: the lock is one byte far beyond anything written,
// as the project lock's is.
constexpr DWORD IndexLockOffset = 0x40000000;

TShortLock::TShortLock(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = file;
  OVERLAPPED at{};
  at.Offset = IndexLockOffset;
  LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);  // waits while another process holds it
}

TShortLock::~TShortLock() {
  if (handle_ == nullptr) return;
  OVERLAPPED at{};
  at.Offset = IndexLockOffset;
  UnlockFileEx(static_cast<HANDLE>(handle_), 0, 1, 0, &at);
  CloseHandle(static_cast<HANDLE>(handle_));
}

#else

TShortLock::TShortLock(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

TShortLock::~TShortLock() {
  if (fd_ >= 0) ::close(fd_);
}

#endif

}  // namespace voltaris
