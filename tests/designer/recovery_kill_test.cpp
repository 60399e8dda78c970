// A designer killed at random moments. A child process runs random commands
// (place, drop, undo, redo, save) with a recovery writer that writes as often
// as it can, telling its parent through a pipe each state it saves and each
// copy its writer completed; the parent kills it with SIGKILL after a random
// time and checks what a crash leaves:
// - the project's own files are one of the states a save was started with
//   (or absent, before the first save ended);
// - the recovery copy, when there is one, reads back, is the last completed
//   copy or a later state, and the next start offers it and opens it;
// - after a save that completed with nothing changed since, no copy is needed.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "designer_fixture.h"
#include "storage/recovery.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

uint64_t Hash(const TProjectBytes& bytes) {
  uint64_t hash = 1469598103934665603ULL;
  auto add = [&hash](const TBytes& part) {
    for (const uint8_t byte : part) {
      hash ^= byte;
      hash *= 1099511628211ULL;
    }
    hash ^= part.size();
    hash *= 1099511628211ULL;
  };
  add(bytes.Dat);
  add(bytes.Pjx);
  return hash;
}

void Say(int fd, const std::string& line) {
  const std::string text = line + "\n";
  (void)!write(fd, text.data(), text.size());
}

// The child: never returns.
[[noreturn]] void RunDesigner(const std::string& workingDir, int log, unsigned seed) {
  ScriptedDesignerHost host;
  TMemorySettingsStore store;
  TDesigner designer(host, store, workingDir);
  designer.SetDialogHost(&host);
  designer.SetRecoveryWriter(std::make_unique<TRecoveryWriter>(std::chrono::milliseconds(0)));
  designer.RecoveryWriter().SetOnWritten(
      [log](uint64_t, const TProjectBytes& bytes) { Say(log, "W " + std::to_string(Hash(bytes))); });
  std::mt19937 random(seed);
  auto save = [&] {
    Say(log, "P " + std::to_string(Hash(designer.ProjectImage())));
    designer.Session().SaveProject();
    Say(log, "S");
  };
  host.onNewFile = Answer("Orvane 700", 3, "Shop", "Unit 4");
  designer.Session().NewProject();
  save();
  TCanvasController& canvas = designer.CanvasControl();
  for (;;) {
    const unsigned what = random() % 100;
    if (what < 50) {
      canvas.ChooseDevice(static_cast<int>(random() % 5));
      canvas.CanvasPress(200 + static_cast<int>(random() % 600), 150 + static_cast<int>(random() % 250));
    } else if (what < 72) {
      TDevice& last = *designer.Canvas().Tiles().back();
      TPanelNetwork& network = *designer.ControlPanel()->Networks[0];
      if (&last != &network && canvas.DragOver(&network, last)) canvas.Drop(&network, last, 0, 0);
    } else if (what < 86) {
      designer.Undo();
    } else if (what < 99) {
      designer.Redo();
    } else {
      save();
    }
    // Back to the saved state (an undo): the copy went with it.
    if (!designer.Session().Modified()) Say(log, "R");
  }
}

struct TChildLog {
  std::vector<uint64_t> SaveStarted;  // P lines, in order
  bool SaveEnded = false;             // an S line came
  // The copies completed since the last save ended or the last return to
  // the saved state (both remove the copy, so these are its generations 1, 2, ...).
  std::vector<uint64_t> Written;
  bool SaveUnderWay = false;  // a P with no S after it: the kill cut a save
};

TChildLog ReadLog(const std::string& text) {
  TChildLog log;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    // A line cut by the kill is not a whole record.
    if (line[0] == 'P' && line.size() > 2) {
      log.SaveStarted.push_back(std::stoull(line.substr(2)));
      log.SaveUnderWay = true;
    }
    if (line[0] == 'W' && line.size() > 2) log.Written.push_back(std::stoull(line.substr(2)));
    if (line == "R") log.Written.clear();
    if (line == "S") {
      log.SaveEnded = true;
      log.SaveUnderWay = false;
      log.Written.clear();
    }
  }
  return log;
}

TEST(RecoveryUnderKill, EveryKillLeavesSavedFilesAndACopyNoOlderThanTheLastOneWritten) {
  TempDir dir;
  constexpr int Kills = 200;
  std::mt19937 random(20261209);
  int withCopy = 0, recovered = 0, midWrite = 0, checkedExactly = 0, settled = 0;
  for (int round = 0; round < Kills; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string working = dir.File("round" + std::to_string(round));
    fs::create_directories(working + "/Data");
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const unsigned seed = random();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipeEnds[0]);
      RunDesigner(working, pipeEnds[1], seed);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    auto readFor = [&](std::chrono::steady_clock::time_point until, const auto& enough) {
      while (std::chrono::steady_clock::now() < until && !enough()) {
        pollfd wait{pipeEnds[0], POLLIN, 0};
        if (poll(&wait, 1, 5) > 0) {
          const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
          if (got > 0) text.append(buffer, static_cast<size_t>(got));
        }
      }
    };
    // Most rounds let the first save end before the clock starts, so that a
    // slow build (the sanitizers') kills as many working designers as a fast
    // one; the others may kill it while it starts or saves the first time.
    const auto now = std::chrono::steady_clock::now();
    if (random() % 8 != 0)
      readFor(now + std::chrono::seconds(10), [&] { return text.find("S\n") != std::string::npos; });
    // Let it work for a while, reading what it tells, then kill it.
    readFor(std::chrono::steady_clock::now() + std::chrono::milliseconds(30 + random() % 170), [] { return false; });
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the designer ended before it was killed: " << status;
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
      text.append(buffer, static_cast<size_t>(got));
    close(pipeEnds[0]);
    const TChildLog log = ReadLog(text);

    // The project's own files: a state a save began with.
    const std::string dataDir = working + "/Data";
    if (fs::exists(dataDir + "/Shop.pjx") || fs::exists(dataDir + "/Shop.pjx.old")) {
      const uint64_t files = Hash(ReadProjectBytes(dataDir, "Shop"));
      EXPECT_NE(std::find(log.SaveStarted.begin(), log.SaveStarted.end(), files), log.SaveStarted.end());
    } else {
      EXPECT_FALSE(log.SaveEnded) << "a saved project has no files";
    }

    // The copy: whole, and the last one completed or a later state.
    const std::string root = RecoveryRoot(working);
    const std::vector<std::string> folders = RecoveryFolders(root);
    ASSERT_LE(folders.size(), 1u);
    if (folders.empty()) continue;
    ++withCopy;
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folders[0])) ++entries;
    if (entries > 3) ++midWrite;  // killed with a generation half made
    TRecoveryCopy copy;
    ASSERT_NO_THROW(copy = ReadRecoveryCopy(folders[0]));
    // The last copy completed, or the one the kill caught between putting it
    // in place and telling: never an older one. (A save cut by the kill may
    // have removed the copy its log still counts.)
    if (!log.SaveUnderWay) {
      const size_t completed = log.Written.size();
      ASSERT_TRUE(copy.Generation == completed || copy.Generation == completed + 1)
          << copy.Generation << " after " << completed << " copies";
      if (copy.Generation == completed) {
        EXPECT_EQ(Hash(copy.Bytes), log.Written.back());
      }
      ++checkedExactly;
    }
    // The next start offers it and opens it as it was.
    ScriptedDesignerHost host;
    host.recoveryAnswer = TRecoveryAnswer::Recover;
    TMemorySettingsStore store;
    TDesigner next(host, store, working);
    next.SetDialogHost(&host);
    next.Session().StartUp();
    // A save the kill cut is finished or undone first: nothing of it is left.
    for (const char* left : {"Shop.dat.new", "Shop.pjx.new", "Shop.dat.old", "Shop.pjx.old", "Shop.saving"})
      EXPECT_FALSE(fs::exists(dataDir + "/" + left)) << left;
    if (!host.warnings.empty() && host.warnings[0].rfind("Voltaris stopped while it was saving", 0) == 0) ++settled;
    if (host.recoveryQuestions.empty()) {
      // Not offered: the files hold what the copy holds, or the save the
      // kill cut, which began from a later state than any copy.
      const TProjectBytes files = ReadProjectBytes(dataDir, "Shop");
      EXPECT_TRUE(TUndoHistory::SameImage(files, copy.Bytes) ||
                  (log.SaveUnderWay && Hash(files) == log.SaveStarted.back()));
      continue;
    }
    ASSERT_TRUE(next.ProjectOpen) << (host.errors.empty() ? "" : host.errors[0]);
    EXPECT_TRUE(host.errors.empty()) << host.errors[0];
    EXPECT_TRUE(TUndoHistory::SameImage(next.ProjectImage(), copy.Bytes));
    EXPECT_TRUE(next.Session().Modified());
    ++recovered;
  }
  std::printf(
      "%d kills: %d left a copy (%d checked against the last copy completed), %d recovered, %d while a "
      "copy was being written, %d cut a save the next start settled\n",
      Kills, withCopy, checkedExactly, recovered, midWrite, settled);
  EXPECT_GT(recovered, Kills / 10);
  EXPECT_GT(midWrite, 0);
}

}  // namespace
}  // namespace voltaris::testing
