// The short lock of a change of the project index (Accounts.db): two
// designers adding to or rewriting the index one after the other, never at
// once. The lock is an advisory lock of a file beside the index,
// "Accounts.db.lock".
#pragma once

#include <string>

namespace voltaris {

// Holds the advisory lock of `path` (made when missing) for as long as it
// lives, waiting for it when another process holds it: the short lock of a
// change of the index. Without a lock file (a folder that cannot be
// written) it holds nothing, and the change reports its own failure.
class TShortLock {
 public:
  explicit TShortLock(const std::string& path);
  ~TShortLock();
  TShortLock(const TShortLock&) = delete;
  TShortLock& operator=(const TShortLock&) = delete;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;  // the lock file's HANDLE
#else
  int fd_ = -1;
#endif
};

}  // namespace voltaris
