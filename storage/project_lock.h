// One designer writes a project at a time. Opening a project takes a lock
// file beside its files ("Shop.lock") that names the machine, the user and
// the process holding it. The file is made with an exclusive create, so of
// two designers only one makes it, and it is held with an advisory lock
// where the file system offers one, which the system lets go when the
// process dies: a lock file whose advisory lock is free and whose process no
// longer runs on this machine is stale and may be taken over.
#pragma once

#include <cstdint>
#include <string>

namespace voltaris {

struct TLockHolder {
  std::string Machine;
  std::string User;
  int64_t Pid = 0;

  bool operator==(const TLockHolder&) const = default;
};

// This process, as a lock names it.
TLockHolder ThisProcess();
// "user on machine (process 1234)"; "another designer" when the file names no one.
std::string HolderText(const TLockHolder& holder);
// The lock file of project `fileName` in `dataDir`.
std::string LockPath(const std::string& dataDir, const std::string& fileName);
// The lock file's text, and reading it back (an empty holder when it is not sound).
std::string LockText(const TLockHolder& holder);
TLockHolder ParseLockText(const std::string& text);

enum class TLockStatus {
  Taken,  // the lock is this designer's
  Held,   // another designer holds it
  Stale,  // its holder no longer runs: TakeOver may take it
};

class TProjectLock {
 public:
  explicit TProjectLock(std::string path);
  // Lets the lock go when it was taken.
  ~TProjectLock();
  TProjectLock(const TProjectLock&) = delete;
  TProjectLock& operator=(const TProjectLock&) = delete;

  // Tries to take the lock. FileError when the lock file can be neither made
  // nor read (a folder that cannot be written).
  TLockStatus Take();
  // After Take gave Stale: the lock file is rewritten for this process. False
  // when another designer took it meanwhile.
  bool TakeOver();
  // Removes the lock file and lets its advisory lock go.
  void Release();

  bool Taken() const { return taken_; }
  const std::string& Path() const { return path_; }
  // Who holds the lock after Take gave Held or Stale.
  const TLockHolder& Holder() const { return holder_; }

 private:
  bool WriteHolder() const;

  std::string path_;
#ifdef _WIN32
  void* handle_ = nullptr;  // the lock file's HANDLE, kept open while taken or stale
#else
  int fd_ = -1;
#endif
  bool taken_ = false;
  TLockHolder holder_;
};

}  // namespace voltaris
