// What no damaged file and no failed or interrupted save may do: crash,
// change a file on disk, lose the previous project or its index line, or
// close or clear the open project. The example projects are damaged byte by
// byte; saves meet a full disk, a read-only directory and a power cut.
#ifndef _WIN32
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <memory>

#include "catalogue/format.h"
#include "designer_fixture.h"
#include "storage/my_devices_file.h"
#include "storage/recovery.h"
#include "tests/pipe_watchdog.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

enum Tools { K4 = 0 };

const fs::path ExamplesDir = VOLTARIS_EXAMPLES;

TBytes FileBytes(const fs::path& path) { return TStream::LoadFromFile(path.string(), ProjectFileLimit).Bytes(); }

// The bytes a project loaded from the data directory saves again: equal
// bytes mean the same project.
struct TSaved {
  TBytes Dat, Pjx;
  bool operator==(const TSaved&) const = default;
};

TSaved LoadAndWrite(const std::string& dataDir, const std::string& file) {
  TSettings settings;
  TProject project = LoadProjectFiles(dataDir, file, settings);
  TProjectBytes bytes = WriteProject(settings, *project.ControlPanel, *project.Canvas);
  return {std::move(bytes.Dat), std::move(bytes.Pjx)};
}

class HardeningTest : public DesignerTest {
 protected:
  // The example projects and their index, copied into the data directory.
  void CopyExamples() {
    for (const char* name : {"CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx", "Accounts.db"})
      fs::copy_file(ExamplesDir / name, DataFile(name), fs::copy_options::overwrite_existing);
  }

  // Every file of the data directory with its content.
  std::map<std::string, TBytes> DataFiles() const {
    std::map<std::string, TBytes> files;
    for (const auto& entry : fs::directory_iterator(dir.File("Data")))
      if (entry.is_regular_file()) files[entry.path().filename().string()] = FileBytes(entry.path());
    return files;
  }

  // The Warehouse example open in the designer with a keypad added: a
  // modified project whose previous version is on disk.
  void OpenWarehouseAndChangeIt() {
    CopyExamples();
    Load("Warehouse");
    ASSERT_EQ(designer.Session().FileName, "Warehouse");
    ASSERT_TRUE(host.errors.empty()) << host.errors.front();
    previous = DataFiles();
    savedBefore = LoadAndWrite(designer.Session().DataDir, "Warehouse");
    tilesBefore = designer.Canvas().Tiles().size();
    Place(K4, 900, 1900);
    ASSERT_TRUE(designer.Session().Modified());
  }

  // After a save that failed: the user was told why, the open project is
  // still open with its change and still modified, the files on disk are
  // the previous ones (nothing left beside them) and load as before.
  void ExpectFailedSaveLostNothing(const std::string& why) {
    EXPECT_TRUE(designer.ProjectOpen);
    EXPECT_EQ(designer.Session().FileName, "Warehouse");
    EXPECT_TRUE(designer.Session().Modified());
    EXPECT_EQ(designer.Canvas().Tiles().size(), tilesBefore + 1);
    EXPECT_NE(why.find("Warehouse"), std::string::npos) << why;
    const auto files = DataFiles();
    for (const auto& [name, bytes] : previous) {
      ASSERT_TRUE(files.count(name)) << name;
      EXPECT_TRUE(files.at(name) == bytes) << name;
    }
    for (const auto& [name, bytes] : files) EXPECT_TRUE(previous.count(name)) << "left behind: " << name;
    EXPECT_TRUE(LoadAndWrite(designer.Session().DataDir, "Warehouse") == savedBefore);
  }

  // Saves as the window does; the error text, or "" when the save succeeded.
  std::string SaveError() {
    try {
      designer.Session().SaveProject();
    } catch (const FileError& error) {
      return error.what();
    }
    return "";
  }

  std::map<std::string, TBytes> previous;
  TSaved savedBefore;
  size_t tilesBefore = 0;
};

// ---------------------------------------------------------------------------
// Damaged example projects: every truncation and single-byte corruptions of
// each file, loaded from disk as the designer loads them.

struct Damage {
  const char* project;
  const char* extension;
};

class DamagedExampleTest : public HardeningTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedExampleTest, IsAClearErrorOrASoundProjectAndTheFilesStayAsTheyWere) {
  CopyExamples();
  const std::string project = GetParam().project;
  const std::string damagedName = project + GetParam().extension;
  const std::string otherName = project + (std::string(GetParam().extension) == ".dat" ? ".pjx" : ".dat");
  const TBytes original = FileBytes(DataFile(damagedName));
  const TBytes other = FileBytes(DataFile(otherName));

  std::vector<TBytes> variants;
  for (size_t cut = 0; cut < original.size(); ++cut) variants.emplace_back(original.begin(), original.begin() + cut);
  // Every byte changed once: all bits, the lowest or the highest in turn.
  constexpr uint8_t masks[] = {0xFF, 0x01, 0x80};
  for (size_t at = 0; at < original.size(); ++at) {
    variants.push_back(original);
    variants.back()[at] ^= masks[at % 3];
  }

  size_t sound = 0, rejected = 0, rejectedTruncations = 0;
  const TSettings settingsBefore = designer.Context().Settings;
  for (size_t v = 0; v < variants.size(); ++v) {
    // A new file rather than one cut to nothing and rewritten, which the
    // file system would flush to the disk every time.
    fs::remove(DataFile(damagedName));
    TStream(variants[v]).SaveToFile(DataFile(damagedName));
    try {
      const TSaved saved = LoadAndWrite(designer.Session().DataDir, project);
      // What loaded must be a project that saves and loads back.
      TSettings again;
      TProject reloaded = ReadProject(saved.Dat, saved.Pjx, "saved.dat", "saved.pjx", again);
      ++sound;
    } catch (const FileError& error) {
      // The message starts with the file that is not sound.
      const std::string text = error.what();
      EXPECT_TRUE(text.rfind(DataFile(damagedName), 0) == 0 || text.rfind(DataFile(otherName), 0) == 0)
          << "variant " << v << ": " << text;
      EXPECT_TRUE(designer.Context().Settings == settingsBefore) << "variant " << v << " changed the shared settings";
      ++rejected;
      if (v < original.size()) ++rejectedTruncations;
    } catch (const std::exception& error) {
      ADD_FAILURE() << "variant " << v << " gave an unclear error: " << error.what();
    }
    designer.Context().Settings = settingsBefore;
    ASSERT_TRUE(FileBytes(DataFile(damagedName)) == variants[v]) << "variant " << v << " changed the file";
    ASSERT_TRUE(FileBytes(DataFile(otherName)) == other) << "variant " << v << " changed the other file";
    ASSERT_EQ(DataFiles().size(), 5u) << "variant " << v << " left a file behind";
  }
  // Both outcomes occur: the truncations are rejected (all but an empty
  // layout, which has no tiles to lose), and some changed bytes only change a figure.
  EXPECT_GE(rejectedTruncations + 1, original.size());
  EXPECT_GT(sound, 0u);
  RecordProperty("sound", static_cast<int>(sound));
  RecordProperty("rejected", static_cast<int>(rejected));
}

INSTANTIATE_TEST_SUITE_P(Examples, DamagedExampleTest,
                         ::testing::Values(Damage{"CornerShop", ".dat"}, Damage{"CornerShop", ".pjx"},
                                           Damage{"Warehouse", ".dat"}, Damage{"Warehouse", ".pjx"}),
                         [](const auto& info) {
                           return std::string(info.param.project) + (info.param.extension + 1);
                         });

TEST_F(HardeningTest, ADamagedExampleLeavesTheOpenProjectAsItWas) {
  OpenWarehouseAndChangeIt();
  host.saveAnswer = TAnswer::No;
  TBytes dat = FileBytes(DataFile("CornerShop.dat"));
  dat.resize(dat.size() / 2);
  TStream(dat).SaveToFile(DataFile("CornerShop.dat"));
  Load("CornerShop");
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors.front().find("CornerShop.dat"), std::string::npos) << host.errors.front();
  EXPECT_EQ(designer.Session().FileName, "Warehouse");
  EXPECT_EQ(designer.Canvas().Tiles().size(), tilesBefore + 1);
  EXPECT_TRUE(designer.Session().Modified());
}

// ---------------------------------------------------------------------------
// A save cut off by a power failure after any one of its steps: whatever
// reached the disk, the project loads, as it was before the save or as saved.

// The real file operations until the power goes: step `cutAfter` is done,
// then the save is stopped and nothing more reaches the disk.
class PowerCut : public IProjectFileSystem {
 public:
  explicit PowerCut(int cutAfter) : cutAfter_(cutAfter) {}
  void CreateDirectories(const std::string& path) override {
    Step([&] { RealFileSystem().CreateDirectories(path); });
  }
  bool Exists(const std::string& path) override { return RealFileSystem().Exists(path); }
  void WriteFile(const std::string& path, const TBytes& bytes) override {
    Step([&] { RealFileSystem().WriteFile(path, bytes); });
  }
  void Rename(const std::string& from, const std::string& to) override {
    Step([&] { RealFileSystem().Rename(from, to); });
  }
  void Remove(const std::string& path) override {
    Step([&] { RealFileSystem().Remove(path); });
  }
  bool Cut() const { return cut_; }

 private:
  template <typename Operation>
  void Step(Operation operation) {
    if (cut_) return;
    operation();
    if (++steps_ == cutAfter_) {
      cut_ = true;
      throw FileError("the power went");
    }
  }
  int cutAfter_;
  int steps_ = 0;
  bool cut_ = false;
};

TEST_F(HardeningTest, ASaveCutOffAfterAnyStepLeavesAProjectThatLoadsAndTheNextStartSettlesIt) {
  OpenWarehouseAndChangeIt();
  const TProjectBytes changed = WriteProject(designer.Context().Settings, *designer.ControlPanel(), designer.Canvas());
  const TSaved savedAfter{changed.Dat, changed.Pjx};
  // The recovery copy of the session that saved: written before the save,
  // with older changes than it saves, and the stamp the save left beside it.
  const std::string copyFolder = dir.File("Recovery/Warehouse");
  WriteRecoveryCopy(copyFolder, {designer.Session().DataDir, "Warehouse", "Warehouse", "", false, false, 0},
                    {TBytes{'o', 'l', 'd'}, TBytes{'c', 'o', 'p', 'y'}}, 1);
  const std::string stamp = SaveStampText(TSaveStamp::Of(changed));
  TStream(TBytes(stamp.begin(), stamp.end())).SaveToFile(copyFolder + "/saving");
  const TRecoveryCopy copy = ReadRecoveryCopy(copyFolder);
  bool committed = false, settledCommitted = false;
  int cutAfter = 1;
  for (;; ++cutAfter) {
    ASSERT_LT(cutAfter, 50);
    RemoveData();
    fs::create_directories(dir.File("Data"));
    CopyExamples();
    PowerCut power(cutAfter);
    try {
      SaveProjectFiles(designer.Session().DataDir, "Warehouse", designer.Context().Settings, *designer.ControlPanel(),
                       designer.Canvas(), power);
    } catch (const FileError&) {
    }
    if (!power.Cut()) break;  // the save had fewer steps: it completed
    const auto onDisk = DataFiles();
    TSaved loaded;
    try {
      loaded = LoadAndWrite(designer.Session().DataDir, "Warehouse");
    } catch (const FileError& error) {
      ADD_FAILURE() << "cut after step " << cutAfter << ": " << error.what();
      continue;
    }
    EXPECT_TRUE(DataFiles() == onDisk) << "loading changed the files after a cut after step " << cutAfter;
    if (committed) {
      EXPECT_TRUE(loaded == savedAfter) << "cut after step " << cutAfter << " went back to the previous project";
    } else if (loaded == savedAfter) {
      committed = true;
      RecordProperty("firstStepThatLoadsTheSavedProject", cutAfter);
    } else {
      EXPECT_TRUE(loaded == savedBefore) << "cut after step " << cutAfter << " loads neither version";
    }
    // The next start settles what the cut left: one project or the other
    // under the project's names and nothing beside them, and the copy is
    // offered exactly when the project went back to what it was.
    const TCutSave outcome = SettleCutSave(designer.Session().DataDir, "Warehouse");
    const TSaved settled = LoadAndWrite(designer.Session().DataDir, "Warehouse");
    if (settledCommitted || outcome == TCutSave::Finished) {
      EXPECT_TRUE(settled == savedAfter) << "settling after step " << cutAfter << " went back";
      settledCommitted = true;
    } else {
      EXPECT_TRUE(settled == savedBefore) << "settling after step " << cutAfter << " gave neither version";
      EXPECT_TRUE(loaded == savedBefore) << cutAfter;
    }
    EXPECT_EQ(NewerThanProject(copy), settled == savedBefore) << cutAfter;
    for (const auto& [name, bytes] : DataFiles())
      EXPECT_TRUE(previous.count(name)) << "settling after step " << cutAfter << " left " << name;
    EXPECT_EQ(SettleCutSave(designer.Session().DataDir, "Warehouse"), TCutSave::None) << cutAfter;

    // The next save completes and leaves only the project's two files.
    designer.Session().SaveProject();
    EXPECT_TRUE(LoadAndWrite(designer.Session().DataDir, "Warehouse") == savedAfter) << cutAfter;
    for (const auto& [name, bytes] : DataFiles())
      EXPECT_TRUE(previous.count(name)) << "cut after step " << cutAfter << " left " << name;
  }
  RecordProperty("steps", cutAfter - 1);
  EXPECT_GE(cutAfter, 6);
  EXPECT_TRUE(committed);
  EXPECT_TRUE(settledCommitted);
}

// ---------------------------------------------------------------------------
// A full disk and a read-only directory, met by the window's Save.

// Windows has neither file size limits nor private mounts; the injected
// failures below stand in for them there.
#ifdef _WIN32
#define VOLTARIS_SKIP_ON_WINDOWS(why) GTEST_SKIP() << (why)
#else
#define VOLTARIS_SKIP_ON_WINDOWS(why)
#endif

// A small file system of our own, mounted on a directory in a mount
// namespace of this process only; false where that is not permitted.
#ifdef _WIN32
class PrivateTmpfs {
 public:
  bool Mount(const std::string&, size_t) { return false; }
  bool MakeReadOnly() { return false; }
  void Fill(size_t) {}
};
#else
class PrivateTmpfs {
 public:
  bool Mount(const std::string& dir, size_t bytes) {
    if (unshare(CLONE_NEWNS) != 0) return false;
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string options = "size=" + std::to_string(bytes);
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) return false;
    dir_ = dir;
    return true;
  }
  bool MakeReadOnly() {
    return mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  // Takes up all free space but `leave` bytes with a file of its own.
  void Fill(size_t leave) {
    struct statvfs info {};
    ASSERT_EQ(statvfs(dir_.c_str(), &info), 0);
    const size_t free = static_cast<size_t>(info.f_bavail) * info.f_frsize;
    ASSERT_GT(free, leave);
    TStream(TBytes(free - leave, 0)).SaveToFile(dir_ + "/filler");
  }
  ~PrivateTmpfs() {
    if (!dir_.empty()) umount2(dir_.c_str(), MNT_DETACH);
  }

 private:
  std::string dir_;
};
#endif

TEST_F(HardeningTest, AFileSystemThatFillsUpMidSaveLeavesThePreviousFiles) {
  PrivateTmpfs disk;
  if (!disk.Mount(dir.File("Data"), 256 * 1024)) GTEST_SKIP() << "cannot mount a small file system here";
  OpenWarehouseAndChangeIt();
  // Two pages free: the data file fits, the layout runs out of space half-way.
  disk.Fill(8192);
  previous = DataFiles();
  ASSERT_GT(FileBytes(DataFile("Warehouse.pjx")).size(), 4096u);
  const std::string error = SaveError();
  EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
  ExpectFailedSaveLostNothing(error);
  fs::remove(DataFile("filler"));
  EXPECT_EQ(SaveError(), "");
}

TEST_F(HardeningTest, ASaveThatFailsWhenAskedOnExitOrLoadKeepsTheProjectOpen) {
  PrivateTmpfs disk;
  if (!disk.Mount(dir.File("Data"), 256 * 1024)) GTEST_SKIP() << "cannot mount a small file system here";
  OpenWarehouseAndChangeIt();
  disk.Fill(8192);  // the layout runs out of space half-way
  previous = DataFiles();
  host.saveAnswer = TAnswer::Yes;  // "Do you want to save Warehouse": Yes, and the disk is full
  EXPECT_THROW(designer.Session().ExitProgram(), FileError);
  EXPECT_FALSE(host.closed);
  ExpectFailedSaveLostNothing("Warehouse");
  host.onSystemFiles = Open("CornerShop");
  EXPECT_THROW(designer.Session().LoadProject(), FileError);
  ExpectFailedSaveLostNothing("Warehouse");
}

TEST_F(HardeningTest, AReadOnlyFileSystemIsReportedAndTheProjectStaysOpenAndModified) {
  PrivateTmpfs disk;
  if (!disk.Mount(dir.File("Data"), 256 * 1024)) GTEST_SKIP() << "cannot mount a small file system here";
  OpenWarehouseAndChangeIt();
  ASSERT_TRUE(disk.MakeReadOnly());
  const std::string error = SaveError();
  EXPECT_NE(error.find(std::strerror(EROFS)), std::string::npos) << error;
  ExpectFailedSaveLostNothing(error);
}

TEST_F(HardeningTest, AReadOnlyDirectoryIsReportedAndTheProjectStaysOpenAndModified) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no write permission bits on directories (see the injected case)";
#else
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories (see the injected case)";
  OpenWarehouseAndChangeIt();
  fs::permissions(dir.File("Data"), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string error = SaveError();
  fs::permissions(dir.File("Data"), fs::perms::owner_all);
  EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
  ExpectFailedSaveLostNothing(error);
#endif
}

// The same failures as the file system reports them, injected where a real
// one cannot be had: a directory that refuses new files, and a write that
// stops half-way because the disk is full.
class RefusingFiles : public IProjectFileSystem {
 public:
  RefusingFiles(int error, size_t keep) : error_(error), keep_(keep) {}
  void CreateDirectories(const std::string& path) override { RealFileSystem().CreateDirectories(path); }
  bool Exists(const std::string& path) override { return RealFileSystem().Exists(path); }
  void WriteFile(const std::string& path, const TBytes& bytes) override {
    if (keep_ > 0) TStream(TBytes(bytes.begin(), bytes.begin() + std::min(keep_, bytes.size()))).SaveToFile(path);
    throw FileError(path + ": cannot write the file (" + std::strerror(error_) + ")");
  }
  void Rename(const std::string& from, const std::string& to) override { RealFileSystem().Rename(from, to); }
  void Remove(const std::string& path) override { RealFileSystem().Remove(path); }

 private:
  int error_;
  size_t keep_;
};

TEST_F(HardeningTest, InjectedWriteFailuresLeaveThePreviousFiles) {
  OpenWarehouseAndChangeIt();
  for (RefusingFiles files : {RefusingFiles(EACCES, 0), RefusingFiles(ENOSPC, 100)}) {
    EXPECT_THROW(SaveProjectFiles(designer.Session().DataDir, "Warehouse", designer.Context().Settings,
                                  *designer.ControlPanel(), designer.Canvas(), files),
                 FileError);
    ExpectFailedSaveLostNothing("Warehouse");
  }
}

// ---------------------------------------------------------------------------
// The index: a line added or the file rewritten when the disk gives out must
// not cost the other projects their lines.

// Files may grow no larger than `limit` bytes while it lives: a write past
// it stops there with an error, as on a disk that fills up.
#ifdef _WIN32
constexpr const char* NoFileSizeLimit = "Windows has no file size limit to set";
using rlim_t = uintmax_t;
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t) {}
};
#else
[[maybe_unused]] constexpr const char* NoFileSizeLimit = "";
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit now = old_;
    now.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &now);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = SIG_DFL;
};
#endif

class IndexFailureTest : public HardeningTest {
 protected:
  void SetUp() override {
    CopyExamples();
    // Many projects: the index is larger than a new project's files.
    std::string text = dir.Read("Data/Accounts.db");
    for (int i = 0; i < 100; ++i) text += Format("Orvane 200;Site%d;Site number %d;01/01/2027\r\n", i, i);
    dir.Write("Data/Accounts.db", text);
    linesBefore = TFileIndex(designer.Session().DataDir).ReadLines();
  }
  std::vector<std::string> linesBefore;
};

TEST_F(IndexFailureTest, ALineThatCannotBeAddedLeavesTheOtherLinesAndIsAddedByTheNextSave) {
  VOLTARIS_SKIP_ON_WINDOWS(NoFileSizeLimit);
  New("Orvane 200", 2, "Extra", "New site");
  Place(K4, 300, 300);
  const auto indexSize = static_cast<rlim_t>(fs::file_size(DataFile("Accounts.db")));
  std::string error;
  {
    FileSizeLimit full(indexSize + 10);  // room for the project's files, not for its whole index line
    error = SaveError();
  }
  EXPECT_NE(error.find("Accounts.db"), std::string::npos) << error;
  EXPECT_TRUE(designer.Session().Modified());
  EXPECT_TRUE(designer.Session().PendingIndexEntry);
  EXPECT_EQ(TFileIndex(designer.Session().DataDir).ReadLines(), linesBefore);
  EXPECT_EQ(fs::file_size(DataFile("Accounts.db")), indexSize);

  EXPECT_EQ(SaveError(), "");
  std::vector<std::string> expected = linesBefore;
  expected.push_back("Orvane 200;Extra;New site;01/02/2027");
  EXPECT_EQ(TFileIndex(designer.Session().DataDir).ReadLines(), expected);
}

TEST_F(IndexFailureTest, AnIndexThatCannotBeRewrittenStaysAsItWas) {
  VOLTARIS_SKIP_ON_WINDOWS(NoFileSizeLimit);
  const TBytes before = FileBytes(DataFile("Accounts.db"));
  {
    FileSizeLimit full(before.size() / 2);
    EXPECT_THROW(TFileIndex(designer.Session().DataDir).Rewrite({linesBefore.begin() + 1, linesBefore.end()}),
                 FileError);
  }
  EXPECT_TRUE(FileBytes(DataFile("Accounts.db")) == before);
  EXPECT_FALSE(fs::exists(DataFile("Accounts.db.new")));

  // The System Files dialog's Delete meets the same: the row stays, the user is told.
  RecordingSink sink;
  TSystemFilesPresenter dialog(designer.Session().DataDir, sink);
  ASSERT_TRUE(dialog.Show());
  dialog.Select(5);
  {
    FileSizeLimit full(before.size() / 2);
    dialog.Delete();
  }
  EXPECT_EQ(sink.errors.size(), 1u);
  EXPECT_EQ(dialog.Rows().size(), linesBefore.size());
  EXPECT_TRUE(FileBytes(DataFile("Accounts.db")) == before);
  EXPECT_FALSE(fs::exists(DataFile("Accounts.db.new")));
}

// ---------------------------------------------------------------------------
// What stands where a file is read, and links where one is written.

// Each file the designer and the report tool read, the most its kind is
// read to, and a read of it: the text of its refusal, or "" when it was read.
struct Reader {
  const char* file;  // under the working folder
  size_t limit;
  std::function<void(const std::string& home)> read;
};

void LoadWarehouse(const std::string& home) { LoadAndWrite(home + "/Data", "Warehouse"); }
void ReadCopy(const std::string& home) { ReadRecoveryCopy(home + "/Recovery/Shop"); }

const Reader Readers[] = {
    {"Data/Warehouse.dat", ProjectFileLimit.Bytes, LoadWarehouse},
    {"Data/Warehouse.pjx", ProjectFileLimit.Bytes, LoadWarehouse},
    // A save cut off while the files stood aside: the copy is what is read.
    {"Data/Warehouse.dat.old", ProjectFileLimit.Bytes,
     [](const std::string& home) {
       fs::remove(home + "/Data/Warehouse.dat");
       LoadWarehouse(home);
     }},
    {"Data/Accounts.db", IndexFileLimit.Bytes,
     [](const std::string& home) {
       const TFileIndex index(home + "/Data");
       if (!index.Exists()) throw FileError("said to be not there");
       index.ReadLines();
     }},
    // The supply palette: refused, the built-in one stands in.
    {"Colors.dat", PaletteFileLimit.Bytes,
     [](const std::string& home) {
       TStringList lines;
       if (!ReadPaletteFile(home + "/Colors.dat", lines)) ReadPlainFile(home + "/Colors.dat", PaletteFileLimit);
     }},
    {"Recovery/Shop/manifest", 64 * 1024, ReadCopy},
    {"Recovery/Shop/1.pjx", ProjectFileLimit.Bytes, ReadCopy},
    {"MyDevices.csv", MaxMyDevicesFileBytes,
     [](const std::string& home) { throw FileError(TMyDevicesFile(home + "/MyDevices.csv").Read().Problem); }},
};

// In place of each file the designer reads: a named pipe no one writes (it
// would wait for ever), a link to a device that never ends, a folder, a file
// larger than its kind can be. Each is refused at once, saying what it is and
// naming the file, and is never called "not there".
TEST_F(HardeningTest, EveryReaderRefusesWhatIsNoFileAtOnceAndSaysWhatItIs) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes and /dev/zero are made the POSIX way";
#else
  const TRecoveryInfo info{dir.File("Data"), "Shop", "", "Orvane 200", false, false, 0};
  for (const Reader& reader : Readers) {
    for (const char* kind : {"named pipe (FIFO)", "device", "folder", "larger than"}) {
      SCOPED_TRACE(std::string(reader.file) + ", " + kind);
      RemoveData();
      fs::remove_all(dir.File("Recovery"));
      fs::create_directories(dir.File("Data"));
      CopyExamples();
      for (const char* name : {"Warehouse.dat", "Warehouse.pjx"})
        fs::copy_file(DataFile(name), DataFile(std::string(name) + ".old"));
      WriteRecoveryCopy(dir.File("Recovery/Shop"), info, ReadProjectBytes(dir.File("Data"), "CornerShop"), 1);
      const std::string path = dir.File(reader.file);
      fs::remove(path);
      std::unique_ptr<PipeWatchdog> pipe;
      if (kind == std::string("named pipe (FIFO)")) {
        pipe = std::make_unique<PipeWatchdog>(path);
        ASSERT_TRUE(pipe->Made());
      } else if (kind == std::string("device")) {
        fs::create_symlink("/dev/zero", path);
      } else if (kind == std::string("folder")) {
        fs::create_directory(path);
      } else {
        TStream(TBytes{'x'}).SaveToFile(path);
        fs::resize_file(path, reader.limit + 1);  // sparse: no disk taken
      }
      const auto start = std::chrono::steady_clock::now();
      std::string error;
      try {
        reader.read(dir.Path());
      } catch (const std::exception& failure) {
        error = failure.what();
      }
      EXPECT_LT(std::chrono::steady_clock::now() - start, PipeWaitLimit);
      EXPECT_NE(error.find(path), std::string::npos) << error;
      EXPECT_NE(error.find(kind), std::string::npos) << error;
      EXPECT_EQ(error.find("not there"), std::string::npos) << error;
      EXPECT_EQ(error.find("bad_alloc"), std::string::npos) << error;
      if (pipe) {
        EXPECT_FALSE(pipe->Fired());
      }
    }
  }
#endif
}

// The designer's start beside a pipe as its index, its supply palette and a
// recovery copy's manifest: it goes on at once, says which file is no file,
// and keeps the copy aside as one that cannot be read.
TEST_F(HardeningTest, TheStartGoesOnAtOnceBesidePipesAndSaysWhichFileIsNone) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes are made the POSIX way";
#else
  CopyExamples();
  fs::remove(DataFile("Accounts.db"));
  fs::create_directories(dir.File("Recovery/Shop"));
  const PipeWatchdog index(DataFile("Accounts.db")), palette(dir.File("Colors.dat")),
      manifest(dir.File("Recovery/Shop/manifest"));
  const auto start = std::chrono::steady_clock::now();
  designer.Session().StartUp();
  EXPECT_LT(std::chrono::steady_clock::now() - start, PipeWaitLimit);
  std::string shown;
  for (const std::string& error : host.errors) shown += error + "\n";
  EXPECT_NE(shown.find(DataFile("Accounts.db") + ": is a named pipe (FIFO), not a file"), std::string::npos) << shown;
  EXPECT_NE(shown.find("A recovery copy cannot be read: " + dir.File("Recovery/Shop/manifest") +
                       ": is a named pipe (FIFO), not a file"),
            std::string::npos)
      << shown;
  EXPECT_FALSE(index.Fired() || palette.Fired() || manifest.Fired());
#endif
}

// A link where Save writes its new file, or where the index gains a line or
// is rewritten, never has the file it names written; a project file or an
// index that is itself a link is left alone, and the user told so.
TEST_F(HardeningTest, SaveAndTheIndexNeverWriteThroughALink) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need rights on Windows";
#else
  const std::string outside = dir.File("outside.txt");
  dir.Write("outside.txt", "someone else's");
  OpenWarehouseAndChangeIt();
  fs::create_symlink(outside, DataFile("Warehouse.dat.new"));
  fs::create_symlink(outside, DataFile("Accounts.db.new"));
  EXPECT_EQ(SaveError(), "");
  EXPECT_FALSE(fs::is_symlink(DataFile("Warehouse.dat")));
  EXPECT_TRUE(LoadAndWrite(designer.Session().DataDir, "Warehouse") != savedBefore);
  TFileIndex index(designer.Session().DataDir);
  index.Rewrite(index.ReadLines());
  EXPECT_FALSE(fs::is_symlink(DataFile("Accounts.db")));
  EXPECT_EQ(dir.Read("outside.txt"), "someone else's");

  // The project's own file a link: Save refuses and nothing changes.
  previous = DataFiles();
  savedBefore = LoadAndWrite(designer.Session().DataDir, "Warehouse");
  tilesBefore = designer.Canvas().Tiles().size();
  Place(K4, 900, 2100);
  ASSERT_TRUE(designer.Session().Modified());
  fs::rename(DataFile("Warehouse.pjx"), dir.File("Warehouse.pjx"));
  fs::create_symlink(dir.File("Warehouse.pjx"), DataFile("Warehouse.pjx"));
  const std::string error = SaveError();
  EXPECT_EQ(error, DataFile("Warehouse.pjx") + ": is a link, not a file: it is left alone");
  EXPECT_TRUE(fs::is_symlink(DataFile("Warehouse.pjx")));
  ExpectFailedSaveLostNothing(error);

  // An index that is a link gains no line through it.
  fs::remove(DataFile("Accounts.db"));
  fs::create_symlink(outside, DataFile("Accounts.db"));
  EXPECT_THROW(index.Append("Orvane 200;Extra;New site;01/02/2027"), FileError);
  EXPECT_THROW(index.Rewrite({"Orvane 200;Extra;New site;01/02/2027"}), FileError);
  EXPECT_EQ(dir.Read("outside.txt"), "someone else's");
  EXPECT_TRUE(fs::is_symlink(DataFile("Accounts.db")));
#endif
}

}  // namespace
}  // namespace voltaris::testing
