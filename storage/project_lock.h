// One designer writes a project at a time. Opening a project takes a lock
// file beside its files ("Shop.lock") that names the machine, the user and
// the process holding it, with the moment that process started. The file is
// made with an exclusive create, so of two designers only one makes it, and
// it is held with an advisory lock where the file system offers one, which
// the system lets go when the process dies.
//
// A lock file whose advisory lock is free is stale when it names no
// designer that could still hold it: its process of this machine no longer
// runs, has ended and waits to be reaped, or is another process that got
// the same number since (it started at another moment than the one the lock
// names); or the file names no one (cut off while it was written) and is
// older than a lock being written can be. Anything at the lock's path that
// is not a plain file (a link, a pipe, a device, a folder) is never opened
// or followed: it names no one and is stale, and taking it over replaces
// the entry itself. A lock of another machine cannot be judged by its
// process and stands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace voltaris {

struct TLockHolder {
  std::string Machine;
  std::string User;
  int64_t Pid = 0;
  // What tells the process from a later one given the same number (on Linux
  // the boot and the clock tick it started at, on Windows its creation
  // time); empty in locks written before it was kept, and when the system
  // does not say.
  std::string Started;

  bool operator==(const TLockHolder&) const = default;
};

// This process, as a lock names it.
TLockHolder ThisProcess();
// "user on machine (process 1234)"; "another designer" when the file names no one.
std::string HolderText(const TLockHolder& holder);
// The lock file of project `fileName` in `dataDir`.
std::string LockPath(const std::string& dataDir, const std::string& fileName);
// The lock file's text, and reading it back (an empty holder when it is not
// sound, or longer than a lock file ever is).
std::string LockText(const TLockHolder& holder);
TLockHolder ParseLockText(const std::string& text);
// The most of a lock file that is read: a holder's text is far shorter.
inline constexpr size_t MaxLockBytes = 1024;
// How old a lock file that names no one must be to count as cut off rather
// than being written.
inline constexpr int64_t UnsoundLockSeconds = 10;

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
  // After Take gave Stale: the lock file is rewritten for this process (an
  // entry that is not a plain file is removed and a lock file made in its
  // place). False when another designer took it meanwhile, or when the
  // entry cannot be replaced (a folder that is not empty).
  bool TakeOver();
  // Removes the lock file and lets its advisory lock go.
  void Release();

  bool Taken() const { return taken_; }
  const std::string& Path() const { return path_; }
  // Who holds the lock after Take gave Held or Stale.
  const TLockHolder& Holder() const { return holder_; }

 private:
  // Which file system entry: volume and file index, or device and inode.
  struct TEntryId {
    uint64_t Volume = 0;
    uint64_t Index = 0;
    bool operator==(const TEntryId&) const = default;
  };
  enum class TMade { Made, Exists };

  // Makes the lock file with an exclusive create and writes this process
  // into it; Exists when something is at the path already. FileError when it
  // can be neither made nor written.
  TMade Make();
  // Judges what is at the path; nothing when it went (or changed) while it
  // was looked at. FileError when it cannot be read.
  std::optional<TLockStatus> LookAtExisting();
  // TakeOver of an entry that is not a plain file.
  bool ReplaceEntry();
  bool WriteHolder() const;

  std::string path_;
#ifdef _WIN32
  void* handle_ = nullptr;  // the lock file's HANDLE, kept open while taken or stale
#else
  int fd_ = -1;
#endif
  bool taken_ = false;
  TLockHolder holder_;
  std::optional<TEntryId> odd_;  // after Take gave Stale for an entry that is not a plain file
};

}  // namespace voltaris
