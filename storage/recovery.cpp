#include "storage/recovery.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <utility>

#include "catalogue/format.h"
#include "project_io/file_index.h"
#include "project_io/project_extension.h"

namespace voltaris {

namespace fs = std::filesystem;

namespace {

constexpr const char* ManifestHeading = "Voltaris recovery copy 1";
// A manifest is a dozen short lines; names and a site reference are short.
constexpr size_t MaxManifestBytes = 64 * 1024;

std::string Hex64(uint64_t value) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = digits[value & 15];
  return text;
}

// FNV-1a: a stable key of a folder's path, the same in every run.
uint64_t PathKey(const std::string& path) {
  uint64_t hash = 1469598103934665603ULL;
  for (const char c : path) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::string WithoutBreaks(std::string text) {
  std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
  return text;
}

uint32_t CrcOf(const TBytes& bytes) { return Crc32(bytes.data(), bytes.size()); }

std::string GenerationPath(const std::string& folder, uint64_t generation, const char* extension) {
  return folder + "/" + std::to_string(generation) + extension;
}

// A copy's files are project files; its manifest and stamp are a few lines.
TBytes ReadAll(const std::string& path, const TFileLimit& limit = ProjectFileLimit) {
  return TStream::LoadFromFile(path, limit).TakeBytes();
}

bool ParseNumber(const std::string& text, uint64_t& value) {
  if (text.empty() || text.size() > 20) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  return true;
}

}  // namespace

std::string RecoveryRoot(const std::string& workingDir) { return workingDir + "/" + RecoveryFolderName; }

std::string RecoveryFolder(const std::string& root, const std::string& dataDir, const std::string& fileName) {
  return root + "/" + fileName + "-" + Hex64(PathKey(dataDir));
}

std::string FreeRecoveryFolder(const std::string& root, const std::string& dataDir, const std::string& fileName) {
  const std::string first = RecoveryFolder(root, dataDir, fileName);
  std::error_code error;
  if (!fs::exists(first, error)) return first;
  for (int n = 2;; ++n) {
    const std::string folder = first + "-" + std::to_string(n);
    if (!fs::exists(folder, error)) return folder;
  }
}

std::string RecoveryFolderProblem(const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return folder + ": cannot create the directory (" + error.message() + ")";
  // A folder rather than a file: making one follows no link left in its place.
  const std::string probe = folder + "/.writable";
  fs::remove(probe, error);
  if (!fs::create_directory(probe, error) || error)
    return folder + ": cannot write in the directory (" + (error ? error.message() : "something is in the way") + ")";
  fs::remove(probe, error);
  return {};
}

bool IsOneOfFolders(const std::string& folder, const std::vector<std::string>& folders) {
  auto settled = [](const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) return fs::path();
    const fs::path canonical = fs::weakly_canonical(absolute, error);
    return (error ? absolute : canonical).lexically_normal();
  };
  const fs::path wanted = settled(folder);
  if (wanted.empty()) return false;
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& known) {
    std::error_code error;
    const fs::path path = settled(known);
    return !path.empty() && (path == wanted || fs::equivalent(path, wanted, error));
  });
}

std::string ManifestText(const TRecoveryManifest& manifest) {
  const TRecoveryInfo& info = manifest.Info;
  std::ostringstream text;
  text << ManifestHeading << "\n"
       << "folder=" << WithoutBreaks(info.DataDir) << "\n"
       << "project=" << WithoutBreaks(info.FileName) << "\n"
       << "site=" << WithoutBreaks(info.SiteRef) << "\n"
       << "panel=" << WithoutBreaks(info.PanelTypeName) << "\n"
       << "pending=" << (info.PendingIndexEntry ? 1 : 0) << "\n"
       << "unlisted=" << (info.Unlisted ? 1 : 0) << "\n"
       << "written=" << info.WrittenAt << "\n"
       << "generation=" << manifest.Generation << "\n"
       << "dat=" << manifest.DatSize << " " << manifest.DatCrc << "\n"
       << "pjx=" << manifest.PjxSize << " " << manifest.PjxCrc << "\n";
  return text.str();
}

TRecoveryManifest ParseManifest(const std::string& text, const std::string& name) {
  auto bad = [&name](const std::string& what) { return FileError(name + ": " + what); };
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != ManifestHeading) throw bad("not a recovery manifest");
  TRecoveryManifest manifest;
  TRecoveryInfo& info = manifest.Info;
  unsigned seen = 0;
  auto number = [&](const std::string& key, const std::string& value) {
    uint64_t parsed = 0;
    if (!ParseNumber(value, parsed)) throw bad("the " + key + " is not a number");
    return parsed;
  };
  auto sizeAndCrc = [&](const std::string& key, const std::string& value, uint32_t& size, uint32_t& crc) {
    const size_t space = value.find(' ');
    if (space == std::string::npos) throw bad("the " + key + " line is not sound");
    const uint64_t parsedSize = number(key, value.substr(0, space));
    const uint64_t parsedCrc = number(key, value.substr(space + 1));
    if (parsedSize > UINT32_MAX || parsedCrc > UINT32_MAX) throw bad("the " + key + " line is not sound");
    size = static_cast<uint32_t>(parsedSize);
    crc = static_cast<uint32_t>(parsedCrc);
  };
  while (std::getline(lines, line)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) throw bad("a line is not sound");
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "folder") {
      info.DataDir = value, seen |= 1;
    } else if (key == "project") {
      info.FileName = value, seen |= 2;
    } else if (key == "site") {
      info.SiteRef = value, seen |= 4;
    } else if (key == "panel") {
      info.PanelTypeName = value, seen |= 8;
    } else if (key == "pending") {
      info.PendingIndexEntry = number(key, value) != 0, seen |= 16;
    } else if (key == "unlisted") {
      info.Unlisted = number(key, value) != 0, seen |= 32;
    } else if (key == "written") {
      const uint64_t written = number(key, value);
      if (written > static_cast<uint64_t>(INT64_MAX)) throw bad("the time is not sound");
      info.WrittenAt = static_cast<int64_t>(written), seen |= 64;
    } else if (key == "generation") {
      manifest.Generation = number(key, value), seen |= 128;
    } else if (key == "dat") {
      sizeAndCrc(key, value, manifest.DatSize, manifest.DatCrc), seen |= 256;
    } else if (key == "pjx") {
      sizeAndCrc(key, value, manifest.PjxSize, manifest.PjxCrc), seen |= 512;
    } else {
      throw bad("unknown line \"" + key + "\"");
    }
  }
  if (seen != 1023) throw bad("the manifest is cut short");
  if (!IsValidFileName(info.FileName)) throw bad("the project's name is not sound");
  if (manifest.Generation == 0) throw bad("the generation is not sound");
  return manifest;
}

void WriteRecoveryCopy(const std::string& folder, const TRecoveryInfo& info, const TProjectBytes& bytes,
                       uint64_t generation, IProjectFileSystem& files) {
  files.CreateDirectories(folder);
  const std::string dat = GenerationPath(folder, generation, ".dat");
  const std::string pjx = GenerationPath(folder, generation, ".pjx");
  const std::string manifestPath = folder + "/" + RecoveryManifestName;
  const std::string manifestNew = manifestPath + ".new";
  TRecoveryManifest manifest{info,
                             generation,
                             static_cast<uint32_t>(bytes.Dat.size()),
                             static_cast<uint32_t>(bytes.Pjx.size()),
                             CrcOf(bytes.Dat),
                             CrcOf(bytes.Pjx)};
  const std::string text = ManifestText(manifest);
  try {
    files.WriteFile(dat, bytes.Dat);
    files.WriteFile(pjx, bytes.Pjx);
    files.WriteFile(manifestNew, TBytes(text.begin(), text.end()));
    files.Rename(manifestNew, manifestPath);
  } catch (...) {
    files.Remove(manifestNew);
    files.Remove(dat);
    files.Remove(pjx);
    throw;
  }
  // The manifest names the new generation: every older one may go.
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string stem = entry.path().stem().string();
    uint64_t number = 0;
    if (ParseNumber(stem, number) && number != generation) files.Remove(entry.path().string());
  }
}

uint64_t RecoveryGeneration(const std::string& folder) {
  const std::string path = folder + "/" + RecoveryManifestName;
  try {
    if (!fs::exists(path)) return 0;
    const TBytes bytes = ReadAll(path, {MaxManifestBytes, "a recovery manifest"});
    return ParseManifest(std::string(bytes.begin(), bytes.end()), path).Generation;
  } catch (const std::exception&) {
    return 0;
  }
}

TRecoveryCopy ReadRecoveryCopy(const std::string& folder) {
  const std::string manifestPath = folder + "/" + RecoveryManifestName;
  const TBytes manifestBytes = ReadAll(manifestPath, {MaxManifestBytes, "a recovery manifest"});
  const TRecoveryManifest manifest = ParseManifest(std::string(manifestBytes.begin(), manifestBytes.end()),
                                                   manifestPath);
  TRecoveryCopy copy;
  copy.Folder = folder;
  copy.Info = manifest.Info;
  copy.Generation = manifest.Generation;
  auto read = [&](const char* extension, uint32_t size, uint32_t crc) {
    const std::string path = GenerationPath(folder, manifest.Generation, extension);
    TBytes bytes = ReadAll(path);
    if (bytes.size() != size)
      throw FileError(path + ": the file was cut or changed (its size is not the one recorded)");
    if (CrcOf(bytes) != crc) throw FileError(path + ": the file was changed (its checksum is not the one recorded)");
    return bytes;
  };
  copy.Bytes.Dat = read(".dat", manifest.DatSize, manifest.DatCrc);
  copy.Bytes.Pjx = read(".pjx", manifest.PjxSize, manifest.PjxCrc);
  return copy;
}

void RemoveRecoveryCopy(const std::string& folder, IProjectFileSystem& files) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return;
  // The manifest first: a copy cut off half-way through its removal is no
  // longer offered.
  files.Remove(folder + "/" + RecoveryManifestName);
  std::vector<std::string> left;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) left.push_back(entry.path().string());
  for (const std::string& path : left) files.Remove(path);
  files.Remove(folder);
  if (fs::exists(folder, error)) throw FileError(folder + ": cannot remove the recovery copy");
}

std::string KeepRecoveryCopyAside(const std::string& folder) {
  for (int n = 1; n < 1000; ++n) {
    const std::string aside = folder + ".unreadable-" + std::to_string(n);
    std::error_code error;
    if (fs::exists(aside, error)) continue;
    fs::rename(folder, aside, error);
    if (error) throw FileError(folder + ": cannot move the recovery copy aside (" + error.message() + ")");
    return aside;
  }
  throw FileError(folder + ": cannot move the recovery copy aside (too many copies kept aside)");
}

std::vector<std::string> RecoveryFolders(const std::string& root) {
  std::vector<std::string> folders;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_directory(error) || name.find(".unreadable-") != std::string::npos) continue;
    // A folder without a manifest holds no copy: a first copy cut off before
    // it was complete, or a removal cut off after the manifest went.
    if (!fs::exists(entry.path() / RecoveryManifestName, error)) continue;
    // Joined with "/" as the copy's folder was: on Windows the iterator's
    // own separator would make the same folder look like another.
    const bool endsInSeparator = !root.empty() && (root.back() == '/' || root.back() == '\\');
    folders.push_back(root + (endsInSeparator ? "" : "/") + name);
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

bool NewerThanProject(const TRecoveryCopy& copy) {
  TProjectBytes saved;
  try {
    saved = ReadProjectBytes(copy.Info.DataDir, copy.Info.FileName);
  } catch (const std::exception&) {
    return true;  // no files, or files that cannot be read: the copy is all there is
  }
  if (saved.Dat == copy.Bytes.Dat && saved.Pjx == copy.Bytes.Pjx) return false;
  // The session that made the copy saved the project and ended before it
  // could remove the copy: the files hold every change the copy holds.
  try {
    const TBytes text = ReadAll(copy.Folder + "/" + RecoverySavingName, SaveStampLimit);
    const std::optional<TSaveStamp> stamp = ParseSaveStamp(std::string(text.begin(), text.end()));
    if (stamp && *stamp == TSaveStamp::Of(saved)) return false;
  } catch (const std::exception&) {
    // No save was under way when the copy was last written.
  }
  return true;
}

std::string LocalClockTime(int64_t secondsSince1970) {
  const std::time_t when = static_cast<std::time_t>(secondsSince1970);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &when) != 0) return "?";
#else
  if (!localtime_r(&when, &local)) return "?";
#endif
  return Format("%.2d:%.2d", local.tm_hour, local.tm_min);
}

std::string RecoveryQuestion(const TRecoveryInfo& info) {
  return "Voltaris was not closed properly. Recover the unsaved changes to " + info.FileName + " from " +
         LocalClockTime(info.WrittenAt) + "?";
}

// --- the writer ---

TRecoveryWriter::TRecoveryWriter(Clock::duration interval, IProjectFileSystem& files)
    : interval_(interval), files_(files), thread_([this] { Work(); }) {}

TRecoveryWriter::~TRecoveryWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

uint64_t TRecoveryWriter::Offer(const std::string& folder, const TRecoveryInfo& info, TProjectImage image) {
  uint64_t number = 0;
  bool waiting = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    number = ++offered_;
    // With a copy already waiting, the thread waits for its interval and
    // takes whichever copy is offered last: it need not wake for this one.
    waiting = pending_.has_value();
    pending_ = TPending{folder, info, std::move(image), number};
  }
  if (!waiting) wake_.notify_all();
  return number;
}

void TRecoveryWriter::Remove(const std::string& folder) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (pending_ && pending_->Folder == folder) pending_.reset();
  idle_.wait(lock, [this] { return !writing_; });
  // Under the lock: the thread cannot start another write meanwhile.
  try {
    RemoveRecoveryCopy(folder, files_);
  } catch (const std::exception& failure) {
    error_ = failure.what();
  }
}

void TRecoveryWriter::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!pending_ && !writing_) return;
  flushNow_ = true;
  wake_.notify_all();
  idle_.wait(lock, [this] { return !pending_ && !writing_; });
  flushNow_ = false;
}

void TRecoveryWriter::NoteSaving(const std::string& folder, const std::optional<TSaveStamp>& stamp) {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return !writing_; });
  const std::string path = folder + "/" + RecoverySavingName;
  // Without the note a copy left behind is offered again: the user loses
  // nothing but a question, so a note that cannot be written stops no save.
  try {
    if (!stamp) {
      files_.Remove(path);
    } else if (files_.Exists(folder + "/" + RecoveryManifestName)) {
      const std::string text = SaveStampText(*stamp);
      files_.WriteFile(path, TBytes(text.begin(), text.end()));
    }
  } catch (const std::exception&) {
  }
}

std::string TRecoveryWriter::TakeError() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(error_, std::string());
}

uint64_t TRecoveryWriter::Written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void TRecoveryWriter::SetOnWritten(std::function<void(uint64_t, const TProjectBytes&)> heard) {
  std::lock_guard<std::mutex> lock(mutex_);
  onWritten_ = std::move(heard);
}

void TRecoveryWriter::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
    if (stopping_) return;
    // At most one copy per interval; a later offer replaces one waiting.
    if (lastWrite_ && !flushNow_) {
      const Clock::time_point due = *lastWrite_ + interval_;
      if (wake_.wait_until(lock, due, [this] { return stopping_ || flushNow_ || !pending_; })) {
        if (stopping_) return;
        if (!pending_) continue;
      }
      if (!pending_) continue;
    }
    TPending job = std::move(*pending_);
    pending_.reset();
    job.Info.WrittenAt = static_cast<int64_t>(std::time(nullptr));
    writing_ = true;
    lock.unlock();
    std::string failure;
    TProjectBytes bytes;
    try {
      bytes = job.Image.Bytes();
      const uint64_t generation = RecoveryGeneration(job.Folder) + 1;
      WriteRecoveryCopy(job.Folder, job.Info, bytes, generation, files_);
    } catch (const std::exception& error) {
      failure = error.what();
    }
    lock.lock();
    writing_ = false;
    lastWrite_ = Clock::now();
    if (failure.empty()) {
      ++written_;
      if (onWritten_) onWritten_(job.Number, bytes);
    } else {
      error_ = failure;
    }
    idle_.notify_all();
  }
}

}  // namespace voltaris
