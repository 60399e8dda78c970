// Recovery copies of the open project. While a project has unsaved changes
// the designer keeps, beside the Data folder, a copy of the bytes Save would
// write ("Recovery/<name>-<key>/"): the two files under a generation number
// ("3.dat", "3.pjx") and a manifest naming the project, its folder, the
// generation and each file's size and CRC-32. A copy is put in place as a
// save is: the new generation's files are complete and on the disk before
// the manifest, itself written beside and renamed over, names them; only
// then does the previous generation go. A program killed at any moment thus
// leaves either the previous copy or the new one, never a mix.
//
// The copy goes when the project is saved, when the user discards its
// changes and on a clean exit. A copy found at start-up that is newer than
// its project's files is offered back; one that cannot be read is moved
// aside under a new name ("....unreadable-1"), never deleted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "project_io/project_files.h"

namespace voltaris {

// What a copy says about the project it belongs to.
struct TRecoveryInfo {
  std::string DataDir;        // the folder of the project's own files
  std::string FileName;       // the project's base name
  std::string SiteRef;        // shown in the caption once recovered
  std::string PanelTypeName;  // as the index line gives it
  bool PendingIndexEntry = false;
  bool Unlisted = false;
  int64_t WrittenAt = 0;  // seconds since 1970 (UTC) when the copy was made

  bool operator==(const TRecoveryInfo&) const = default;
};

struct TRecoveryCopy {
  std::string Folder;  // the copy's own folder
  TRecoveryInfo Info;
  TProjectBytes Bytes;
  uint64_t Generation = 0;
};

inline constexpr const char* RecoveryFolderName = "Recovery";
inline constexpr const char* RecoveryManifestName = "manifest";
// Beside a copy: the stamp of the files a save of its session was putting
// in place (TRecoveryWriter::NoteSaving).
inline constexpr const char* RecoverySavingName = "saving";

// The folder of every recovery copy of a run started in `workingDir`:
// beside its Data folder.
std::string RecoveryRoot(const std::string& workingDir);
// The folder of the copy of project `fileName` of `dataDir`. Projects of the
// same name in different folders get different folders.
std::string RecoveryFolder(const std::string& root, const std::string& dataDir, const std::string& fileName);

// The first folder for a copy of that project that no copy has yet: a
// copy the user keeps for later stays apart from the next session's.
std::string FreeRecoveryFolder(const std::string& root, const std::string& dataDir, const std::string& fileName);
// Whether `folder` is one of `folders`, told apart as the file system does
// (through links, "." and ".."). A copy names the folder it would be saved
// into; only folders the designer itself knows are taken from it.
bool IsOneOfFolders(const std::string& folder, const std::vector<std::string>& folders);

// Why copies cannot be kept in `folder` (made when missing, and a folder
// made and removed in it); "" when they can.
std::string RecoveryFolderProblem(const std::string& folder);

// The manifest's text, and reading it back (FileError naming `name` when it
// is not sound).
struct TRecoveryManifest {
  TRecoveryInfo Info;
  uint64_t Generation = 0;
  uint32_t DatSize = 0, PjxSize = 0;
  uint32_t DatCrc = 0, PjxCrc = 0;
};
std::string ManifestText(const TRecoveryManifest& manifest);
TRecoveryManifest ParseManifest(const std::string& text, const std::string& name);

// Writes generation `generation` of the copy into `folder` (created when
// missing) and drops the generation before it. A failure leaves the copy
// that was there and throws FileError naming the file.
void WriteRecoveryCopy(const std::string& folder, const TRecoveryInfo& info, const TProjectBytes& bytes,
                       uint64_t generation, IProjectFileSystem& files = RealFileSystem());
// Reads the copy in `folder`: FileError when the manifest or either file is
// missing, cut or changed.
TRecoveryCopy ReadRecoveryCopy(const std::string& folder);
// The generation the copy in `folder` has now; 0 when there is none.
uint64_t RecoveryGeneration(const std::string& folder);
// Removes the copy and its folder; a copy already gone is not an error.
void RemoveRecoveryCopy(const std::string& folder, IProjectFileSystem& files = RealFileSystem());
// Moves an unreadable copy aside ("<folder>.unreadable-N", the first N
// free); the new path. FileError when it cannot be moved.
std::string KeepRecoveryCopyAside(const std::string& folder);

// The copy folders in `root` that hold a manifest (those kept aside left
// out), in name order.
std::vector<std::string> RecoveryFolders(const std::string& root);
// The copy holds changes the project's own files lack: they cannot be read
// (or there are none yet), or they hold other bytes than the copy and are
// not the files a save of the copy's own session put in place. Run after
// SettleCutSave, so that the files are one project, not half of two.
bool NewerThanProject(const TRecoveryCopy& copy);

// "Voltaris was not closed properly. Recover the unsaved changes to NAME from HH:MM?"
// with the copy's time in the machine's local time.
std::string RecoveryQuestion(const TRecoveryInfo& info);
// The copy's time as "HH:MM" in the machine's local time.
std::string LocalClockTime(int64_t secondsSince1970);

// Writes recovery copies on a thread of its own, so that a command only
// hands over the bytes. At most one copy per interval: a copy handed over
// sooner waits, and only the latest one waiting is written. Every write
// and removal of one writer goes through the same thread or the same lock,
// so they never overlap.
class TRecoveryWriter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds DefaultInterval{30};

  explicit TRecoveryWriter(Clock::duration interval = DefaultInterval, IProjectFileSystem& files = RealFileSystem());
  // Stops the thread; a copy still waiting is not written.
  ~TRecoveryWriter();
  TRecoveryWriter(const TRecoveryWriter&) = delete;
  TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

  // Hands over the image of the project as it now stands; returns at once
  // (the image's blocks are shared, and joined on the writer's thread).
  // The number of this copy (1, 2, ...).
  uint64_t Offer(const std::string& folder, const TRecoveryInfo& info, TProjectImage image);
  // Drops any copy waiting and removes the copy in `folder`, once the write
  // under way (if any) is over.
  void Remove(const std::string& folder);
  // Writes the copy waiting now, if any, and returns when it is written.
  void Flush();
  // A save is about to put in place files of stamp `stamp`: the copy in
  // `folder` (when there is one) keeps it, so that should the program end
  // after the save and before the copy's removal, the next start knows the
  // copy was saved. Without a stamp (the save failed) it is dropped.
  void NoteSaving(const std::string& folder, const std::optional<TSaveStamp>& stamp);

  // The last write's failure, taken once; empty when there was none.
  std::string TakeError();
  // Copies written so far.
  uint64_t Written() const;
  // Told on the writer's thread after copy `number` is in place, with its
  // bytes (tests).
  void SetOnWritten(std::function<void(uint64_t number, const TProjectBytes& bytes)> heard);

 private:
  struct TPending {
    std::string Folder;
    TRecoveryInfo Info;
    TProjectImage Image;
    uint64_t Number = 0;
  };
  void Work();

  const Clock::duration interval_;
  IProjectFileSystem& files_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<TPending> pending_;
  bool writing_ = false;
  bool stopping_ = false;
  bool flushNow_ = false;
  std::optional<Clock::time_point> lastWrite_;
  uint64_t offered_ = 0;
  uint64_t written_ = 0;
  std::string error_;
  std::function<void(uint64_t, const TProjectBytes&)> onWritten_;
  std::thread thread_;  // last: starts once everything above is ready
};

}  // namespace voltaris
