// One writer per project: the lock file, its holder, a stale lock taken over,
// a second designer that opens read-only or not at all, and two processes
// adding projects to one index at once.
#ifdef _WIN32
#include "catalogue/windows_api.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>

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
  EXPECT_EQ(HolderText({"bench", "ann", 42}), "ann on bench (process 42)");
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
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    TProjectLock held(path);
    const char taken = held.Take() == TLockStatus::Taken ? 'y' : 'n';
    (void)!write(ready[1], &taken, 1);
    pause();
    _exit(0);
  }
  char taken = 0;
  ASSERT_EQ(read(ready[0], &taken, 1), 1);
  ASSERT_EQ(taken, 'y');
  TProjectLock mine(path);
  EXPECT_EQ(mine.Take(), TLockStatus::Held);
  EXPECT_EQ(mine.Holder().Pid, child);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_EQ(mine.Take(), TLockStatus::Stale);
  EXPECT_TRUE(mine.TakeOver());
  close(ready[0]);
  close(ready[1]);
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
