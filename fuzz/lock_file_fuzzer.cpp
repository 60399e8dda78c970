// The project lock file ("Shop.lock") as a designer finds it beside a
// project: any bytes read as a holder or as no one, a holder's text reads
// back as the same holder, and the file judged on disk (left an hour ago)
// is held or stale, never taken, and names the holder its text names. A
// stale one taken over names this process; let go, it is gone.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_support.h"
#include "storage/project_lock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  namespace fs = std::filesystem;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const TLockHolder holder = ParseLockText(text);
  if (size > MaxLockBytes && holder != TLockHolder{}) Broken("a lock longer than any holder's text names someone");
  if (holder.Pid == 0 && holder != TLockHolder{}) Broken("a lock that names no process names someone");
  (void)HolderText(holder);
  const std::string written = LockText(holder);
  if (holder.Pid != 0 && written.size() <= MaxLockBytes) {
    // A line end in a name would start a line of its own: the text has none.
    TLockHolder expected = holder;
    std::erase(expected.Machine, '\r');
    std::erase(expected.User, '\r');
    if (ParseLockText(written) != expected) Broken("a holder's text does not read back as the same holder");
  }

  const std::string path = LockPath(ScratchDir(), "Shop");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(size));
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
  {
    TProjectLock lock(path);
    const TLockStatus status = lock.Take();
    if (status == TLockStatus::Taken) Broken("a lock file already there was taken as new");
    if (lock.Holder() != holder) Broken("the lock on disk names another holder than its text");
    if (status == TLockStatus::Stale) {
      if (!lock.TakeOver()) Broken("a stale lock could not be taken over");
      std::ifstream in(path, std::ios::binary);
      const std::string now{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (ParseLockText(now) != ThisProcess()) Broken("a lock taken over does not name this process");
    }
  }
  std::error_code ignored;
  if (fs::exists(path, ignored)) {
    TProjectLock again(path);
    if (again.Take() == TLockStatus::Taken) Broken("a lock let go was left behind");
    fs::remove(path, ignored);
  }
  return 0;
}
