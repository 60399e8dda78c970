// One writer per project: the lock file, its holder, a stale lock taken over,
// a second designer that opens read-only or not at all, and two processes
// adding projects to one index at once.
#ifdef _WIN32
#include "catalogue/windows_api.h"
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "designer_fixture.h"
#include "storage/project_lock.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

// A process id that no longer runs: a child that ended and was reaped.
#ifdef _WIN32
int64_t GonePid() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  char command[] = "cmd.exe /c exit 0";
  if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child) ==
      0) {
    ADD_FAILURE() << "cannot start cmd.exe";
    return 0;
  }
  WaitForSingleObject(child.hProcess, INFINITE);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return static_cast<int64_t>(child.dwProcessId);
}

constexpr const char* Forks = "forks a second designer, which only POSIX systems do";

constexpr const char* ChildVariable = "VOLTARIS_HOLD_LOCK";

// Started again by the case below with VOLTARIS_HOLD_LOCK naming a lock
// file, this program takes that lock and holds it until it is ended.
[[maybe_unused]] const bool HoldsALockForItsParent = [] {
  const char* path = std::getenv(ChildVariable);
  if (path == nullptr) return false;
  TProjectLock held(path);
  if (held.Take() != TLockStatus::Taken) std::_Exit(2);
  for (;;) Sleep(1000);
}();

// A second designer: this program again, holding the lock of `path`.
class TLockHoldingChild {
 public:
  explicit TLockHoldingChild(const std::string& path) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    SetEnvironmentVariableA(ChildVariable, path.c_str());
    started_ = CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &startup, &child_) != 0;
    SetEnvironmentVariableA(ChildVariable, nullptr);
  }
  ~TLockHoldingChild() {
    if (!started_) return;
    End();
    CloseHandle(child_.hThread);
    CloseHandle(child_.hProcess);
  }
  TLockHoldingChild(const TLockHoldingChild&) = delete;
  TLockHoldingChild& operator=(const TLockHoldingChild&) = delete;

  bool Started() const { return started_; }
  int64_t Pid() const { return static_cast<int64_t>(child_.dwProcessId); }
  // Ended the hard way, as by a crash: nothing of the child lets the lock go.
  void End() {
    TerminateProcess(child_.hProcess, 9);
    WaitForSingleObject(child_.hProcess, INFINITE);
  }

 private:
  PROCESS_INFORMATION child_{};
  bool started_ = false;
};
#else
int64_t GonePid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}
#endif

#ifndef _WIN32
// A second designer: a child process that takes the lock at `path` and
// waits to be killed. Its process number once it holds the lock; 0 when it
// could not take it.
pid_t ForkHolder(const std::string& path) {
  int ready[2];
  if (pipe(ready) != 0) return 0;
  const pid_t child = fork();
  if (child == 0) {
    TProjectLock held(path);
    const char taken = held.Take() == TLockStatus::Taken ? 'y' : 'n';
    (void)!write(ready[1], &taken, 1);
    pause();
    _exit(0);
  }
  char taken = 0;
  const bool told = child > 0 && read(ready[0], &taken, 1) == 1;
  close(ready[0]);
  close(ready[1]);
  if (told && taken == 'y') return child;
  if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
  return 0;
}
#endif

// A running program that is no designer, as one given a dead designer's
// process number after a restart: `sleep` (`ping` on Windows).
class TOtherProgram {
 public:
#ifdef _WIN32
  TOtherProgram() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    char command[] = "cmd.exe /c ping -n 60 127.0.0.1";
    CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child_);
  }
  ~TOtherProgram() {
    TerminateProcess(child_.hProcess, 9);
    WaitForSingleObject(child_.hProcess, INFINITE);
    CloseHandle(child_.hThread);
    CloseHandle(child_.hProcess);
  }
  int64_t Pid() const { return static_cast<int64_t>(child_.dwProcessId); }

 private:
  PROCESS_INFORMATION child_{};
#else
  TOtherProgram() : pid_(fork()) {
    if (pid_ == 0) _exit(execlp("sleep", "sleep", "60", static_cast<char*>(nullptr)));
  }
  ~TOtherProgram() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  int64_t Pid() const { return pid_; }

 private:
  pid_t pid_;
#endif
};

// A lock file left long ago: its time an hour back.
void Age(const std::string& path) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

TEST(ProjectLock, OneHolderAtATimeNamedInTheFile) {
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  EXPECT_EQ(path, dir.File("Shop.lock"));
  {
    TProjectLock first(path);
    ASSERT_EQ(first.Take(), TLockStatus::Taken);
    EXPECT_EQ(ParseLockText(dir.Read("Shop.lock")), ThisProcess());
    TProjectLock second(path);
    EXPECT_EQ(second.Take(), TLockStatus::Held);
    EXPECT_EQ(second.Holder(), ThisProcess());
    EXPECT_FALSE(second.Taken());
    EXPECT_TRUE(dir.Exists("Shop.lock"));  // the one refused leaves it alone
  }
  EXPECT_FALSE(dir.Exists("Shop.lock"));
  TProjectLock again(path);
  EXPECT_EQ(again.Take(), TLockStatus::Taken);
  EXPECT_THROW(TProjectLock(dir.File("missing/Shop.lock")).Take(), FileError);
}

TEST(ProjectLock, AStaleLockOfThisMachineIsTakenOverAndOthersStand) {
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  TLockHolder dead = ThisProcess();
  dead.Pid = GonePid();
  dir.Write("Shop.lock", LockText(dead));
  TProjectLock lock(path);
  ASSERT_EQ(lock.Take(), TLockStatus::Stale);
  EXPECT_EQ(lock.Holder(), dead);
  // While one designer asks whether to take it over, another sees it held.
  TProjectLock meanwhile(path);
  EXPECT_EQ(meanwhile.Take(), TLockStatus::Held);
  ASSERT_TRUE(lock.TakeOver());
  EXPECT_EQ(ParseLockText(dir.Read("Shop.lock")), ThisProcess());
  lock.Release();

  // Another machine's process cannot be looked at; a file naming no one is
  // being written.
  TLockHolder elsewhere = dead;
  elsewhere.Machine += "-elsewhere";
  for (const std::string& text : {LockText(elsewhere), std::string(), std::string("pid=x\n")}) {
    dir.Write("Shop.lock", text);
    TProjectLock other(path);
    EXPECT_EQ(other.Take(), TLockStatus::Held) << text;
  }
  EXPECT_EQ(HolderText({}), "another designer");
  EXPECT_EQ(HolderText({"bench", "ann", 42, "b:7"}), "ann on bench (process 42)");
}

TEST(ProjectLock, ALockHeldByAnotherProcessIsRefusedAndStaleOnceItIsKilled) {
#ifdef _WIN32
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  TLockHoldingChild child(path);
  ASSERT_TRUE(child.Started());
  // The child's text is read while it holds the lock.
  for (int wait = 0; wait < 3000 && ParseLockText(dir.Read("Shop.lock")).Pid != child.Pid(); ++wait) Sleep(10);
  TProjectLock mine(path);
  EXPECT_EQ(mine.Take(), TLockStatus::Held);
  EXPECT_EQ(mine.Holder().Pid, child.Pid());
  child.End();  // its handle to the process stays open: the process is gone all the same
  ASSERT_EQ(mine.Take(), TLockStatus::Stale);
  EXPECT_TRUE(mine.TakeOver());
  EXPECT_EQ(ParseLockText(dir.Read("Shop.lock")), ThisProcess());
  mine.Release();
  EXPECT_FALSE(dir.Exists("Shop.lock"));
#else
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  const pid_t child = ForkHolder(path);
  ASSERT_GT(child, 0);
  TProjectLock mine(path);
  EXPECT_EQ(mine.Take(), TLockStatus::Held);
  EXPECT_EQ(mine.Holder().Pid, child);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_EQ(mine.Take(), TLockStatus::Stale);
  EXPECT_TRUE(mine.TakeOver());
#endif
}

TEST(ProjectLock, ALockThatNamesNoDesignerWhoCouldHoldItIsStale) {
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  // Cut off while it was written (a kill between making and writing it),
  // damaged or too long, once older than a lock being written; and a
  // running program given the number of the designer that wrote it (a
  // few clock ticks after this process started, as a reused number is).
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  TOtherProgram other;
  TLockHolder reused = ThisProcess();
  reused.Pid = other.Pid();
  ASSERT_FALSE(reused.Started.empty());
  for (const std::string& text :
       {std::string(), std::string("pid=x\n"), LockText(reused) + std::string(MaxLockBytes, '#'), LockText(reused)}) {
    dir.Write("Shop.lock", text);
    Age(path);
    TProjectLock lock(path);
    ASSERT_EQ(lock.Take(), TLockStatus::Stale) << text;
    ASSERT_TRUE(lock.TakeOver());
    EXPECT_EQ(ParseLockText(dir.Read("Shop.lock")), ThisProcess());
  }
  // An earlier designer's lock names no start: a running process is taken
  // for its designer, as before.
  reused.Started.clear();
  dir.Write("Shop.lock", LockText(reused));
  EXPECT_EQ(dir.Read("Shop.lock"),
            "machine=" + reused.Machine + "\nuser=" + reused.User + "\npid=" + std::to_string(reused.Pid) + "\n");
  EXPECT_EQ(TProjectLock(path).Take(), TLockStatus::Held);
}

#ifndef _WIN32
// Take in a process of its own, ended after ten seconds: the status it gave,
// or -1 when it did not come back in time.
int TakeInAChild(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    alarm(10);
    _exit(static_cast<int>(TProjectLock(path).Take()));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

TEST(ProjectLock, AKilledDesignerNotYetReapedHoldsNothing) {
#ifdef _WIN32
  GTEST_SKIP() << Forks;
#else
  // Until its parent reaps it, the system still answers for its number;
  // its next start, a second later, must not take it for a holder.
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  const pid_t child = ForkHolder(path);
  ASSERT_GT(child, 0);
  // Its text in a file without its advisory lock (a file system that offers
  // none): held while it runs.
  dir.Write("Copy.lock", dir.Read("Shop.lock"));
  EXPECT_EQ(TProjectLock(dir.File("Copy.lock")).Take(), TLockStatus::Held);
  kill(child, SIGKILL);
  siginfo_t ended{};
  ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT), 0);
  ASSERT_EQ(kill(child, 0), 0);
  EXPECT_EQ(TProjectLock(path).Take(), TLockStatus::Stale);
  EXPECT_EQ(TProjectLock(dir.File("Copy.lock")).Take(), TLockStatus::Stale);
  waitpid(child, nullptr, 0);
#endif
}

TEST(ProjectLock, WhatIsNotAPlainFileIsNeitherReadNorFollowedAndIsReplacedWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "links, pipes and devices are made here with POSIX calls";
#else
  TempDir dir;
  const std::string path = LockPath(dir.Path(), "Shop");
  // A link to a file elsewhere: taking over replaces the link, and the file
  // it led to keeps every byte.
  dir.Write("notes.txt", "the installer's notes");
  fs::create_symlink(dir.File("notes.txt"), path);
  {
    TProjectLock lock(path);
    ASSERT_EQ(lock.Take(), TLockStatus::Stale);
    ASSERT_TRUE(lock.TakeOver());
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(ParseLockText(dir.Read("Shop.lock")), ThisProcess());
  }
  EXPECT_FALSE(dir.Exists("Shop.lock"));
  EXPECT_EQ(dir.Read("notes.txt"), "the installer's notes");
  // The same for a second name of the file.
  fs::create_hard_link(dir.File("notes.txt"), path);
  Age(path);
  {
    TProjectLock lock(path);
    ASSERT_EQ(lock.Take(), TLockStatus::Stale);
    ASSERT_TRUE(lock.TakeOver());
  }
  EXPECT_EQ(dir.Read("notes.txt"), "the installer's notes");
  // A pipe nobody writes and a link to a device without end: judged at once.
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  EXPECT_EQ(TakeInAChild(path), static_cast<int>(TLockStatus::Stale));
  fs::remove(path);
  fs::create_symlink("/dev/zero", path);
  EXPECT_EQ(TakeInAChild(path), static_cast<int>(TLockStatus::Stale));
  fs::remove(path);
  // A folder with something in it is not removed, and stays in the way.
  fs::create_directories(path + "/kept");
  TProjectLock lock(path);
  ASSERT_EQ(lock.Take(), TLockStatus::Stale);
  EXPECT_FALSE(lock.TakeOver());
  EXPECT_TRUE(fs::is_directory(path + "/kept"));
#endif
}

// A second designer in the same folder while the first has the project open.
class SecondDesignerTest : public DesignerTest {
 protected:
  SecondDesignerTest() {
    New("Orvane 700", 3);
    designer.Session().SaveProject();
    other.SetDialogHost(&otherHost);
  }
  void OtherLoads() {
    otherHost.onSystemFiles = Open("Shop");
    other.Session().LoadProject();
  }
  ScriptedDesignerHost otherHost;
  TDesigner other{otherHost, store, dir.Path()};
};

TEST_F(SecondDesignerTest, IsToldWhoHoldsItAndMayDeclineToOpen) {
  otherHost.confirm = false;
  OtherLoads();
  ASSERT_EQ(otherHost.questions.size(), 1u);
  EXPECT_EQ(otherHost.questions[0], "Shop is open in another designer: " + HolderText(ThisProcess()) +
                                        ". Open it read-only? Save will be refused; Save As keeps changes under "
                                        "another name.");
  EXPECT_FALSE(other.ProjectOpen);
  EXPECT_EQ(other.Session().FileName, "");
}

TEST_F(SecondDesignerTest, ReadOnlyRefusesSaveAndLosesNothingButSaveAsTakesTheNewName) {
  const std::string files = dir.Read("Data/Shop.dat");
  OtherLoads();
  ASSERT_TRUE(other.ProjectOpen);
  EXPECT_TRUE(other.Session().ReadOnly);
  EXPECT_EQ(other.Session().Caption, ProjectCaption("Unit 4") + " (read-only)");
  other.CanvasControl().ChooseDevice(0);
  other.CanvasControl().CanvasPress(300, 200);
  ASSERT_TRUE(other.Session().Modified());
  try {
    other.Session().SaveProject();
    ADD_FAILURE() << "saved a project another designer holds";
  } catch (const FileError& error) {
    EXPECT_EQ(std::string(error.what()), "Shop is open read-only: " + HolderText(ThisProcess()) +
                                             " has it open. Save As keeps your changes under another name.");
  }
  // The question on New: Yes is refused as a failed save, and New stops.
  otherHost.saveAnswer = TAnswer::Yes;
  otherHost.onNewFile = Answer("Orvane 700", 3, "Other", "Elsewhere");
  EXPECT_THROW(other.Session().NewProject(), FileError);
  EXPECT_EQ(other.Session().FileName, "Shop");
  EXPECT_TRUE(other.Session().Modified());
  EXPECT_EQ(dir.Read("Data/Shop.dat"), files);
  // No copy is kept of changes that cannot be saved over the project.
  other.RecoveryWriter().Flush();
  EXPECT_TRUE(RecoveryFolders(other.RecoveryRoot()).empty());

  otherHost.onProjectName = NameAs("Shop2", "Unit 5");
  other.Session().SaveProjectAs();
  EXPECT_FALSE(other.Session().ReadOnly);
  EXPECT_EQ(other.Session().LockFile(), DataFile("Shop2.lock"));
  other.Session().SaveProject();
  EXPECT_EQ(dir.Read("Data/Shop.dat"), files);
}

TEST_F(SecondDesignerTest, AStaleLockIsTakenOverAfterAsking) {
  designer.Session().ReleaseLock();
  TLockHolder dead = ThisProcess();
  dead.Pid = GonePid();
  dir.Write("Data/Shop.lock", LockText(dead));
  OtherLoads();
  ASSERT_EQ(otherHost.questions.size(), 1u);
  EXPECT_EQ(otherHost.questions[0],
            "Shop was left locked by " + HolderText(dead) + ", which no longer runs. Take the lock over and open it?");
  EXPECT_TRUE(other.ProjectOpen);
  EXPECT_FALSE(other.Session().ReadOnly);
  EXPECT_EQ(ParseLockText(dir.Read("Data/Shop.lock")), ThisProcess());
  // Closing lets it go.
  EXPECT_TRUE(other.Session().ExitProgram());
  other.Session().ReleaseLock();
  EXPECT_FALSE(dir.Exists("Data/Shop.lock"));
}

// A designer killed with unsaved changes to Shop leaves a recovery copy and
// a lock file that names no designer (cut off while it was written).
class LeftBehindTest : public SecondDesignerTest {
 protected:
  LeftBehindTest() {
    designer.SetRecoveryWriter(std::make_unique<TRecoveryWriter>(std::chrono::milliseconds(0)));
    Place(0, 300, 200);
    changed = designer.ProjectImage();
    designer.RecoveryWriter().Flush();
    designer.Session().ReleaseLock();
    LeaveLock();
  }
  void LeaveLock() {
    dir.Write("Data/Shop.lock", "");
    Age(DataFile("Shop.lock"));
  }
  const std::string takeOver =
      "Shop was left locked by another designer, which no longer runs. Take the lock over and open it?";
  TProjectBytes changed;
};

TEST_F(LeftBehindTest, TheCopyIsOfferedAtTheNextStart) {
  otherHost.recoveryAnswer = TRecoveryAnswer::Recover;
  other.Session().StartUp();
  EXPECT_EQ(otherHost.recoveryQuestions.size(), 1u);
  EXPECT_EQ(otherHost.questions, std::vector<std::string>{takeOver});
  EXPECT_FALSE(other.Session().ReadOnly);
  EXPECT_TRUE(TUndoHistory::SameImage(other.ProjectImage(), changed));
}

TEST_F(LeftBehindTest, OpeningTheProjectOffersTheCopyBeforeTheLock) {
  // Later: the lock is taken over after asking, and the files open as saved.
  OtherLoads();
  EXPECT_EQ(otherHost.recoveryQuestions.size(), 1u);
  EXPECT_EQ(otherHost.questions, std::vector<std::string>{takeOver});
  EXPECT_FALSE(other.Session().Modified());
  // Recover: the changes open, and the lock is this designer's unasked.
  other.Session().ReleaseLock();
  LeaveLock();
  otherHost.recoveryAnswer = TRecoveryAnswer::Recover;
  OtherLoads();
  EXPECT_EQ(otherHost.recoveryQuestions.size(), 2u);
  EXPECT_EQ(otherHost.questions.size(), 1u);
  EXPECT_TRUE(TUndoHistory::SameImage(other.ProjectImage(), changed));
  EXPECT_EQ(ParseLockText(dir.Read("Data/Shop.lock")), ThisProcess());
}

TEST(SharedDataFolder, TwoProcessesAddingProjectsAtOnceLeaveEveryLine) {
#ifdef _WIN32
  GTEST_SKIP() << Forks;
#else
  TempDir dir;
  fs::create_directories(dir.File("Data"));
  constexpr int PerProcess = 200;
  std::vector<pid_t> children;
  for (const char* prefix : {"A", "B"}) {
    const pid_t child = fork();
    if (child == 0) {
      ScriptedDesignerHost host;
      TMemorySettingsStore store;
      TDesigner designer(host, store, dir.Path());
      designer.SetDialogHost(&host);
      for (int i = 0; i < PerProcess; ++i) {
        host.onNewFile = Answer("Orvane 700", 3, prefix + std::to_string(i), "Site");
        designer.Session().NewProject();
        if (designer.Session().FileName != prefix + std::to_string(i)) _exit(2);
        designer.Session().SaveProject();
      }
      _exit(host.errors.empty() ? 0 : 3);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const std::vector<std::string> lines = TFileIndex(dir.File("Data")).ReadLines();
  std::set<std::string> names;
  for (const std::string& line : lines) names.insert(SplitIndexLine(line).FileName);
  EXPECT_EQ(lines.size(), 2u * PerProcess);
  EXPECT_EQ(names.size(), 2u * PerProcess);
#endif
}

}  // namespace
}  // namespace voltaris::testing
