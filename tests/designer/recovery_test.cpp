// Recovery copies: written as a save is, read back only when whole, moved
// aside when damaged, written on the writer's thread no more often than its
// interval, and kept, offered and removed by the designer as the user works.
#include <filesystem>
#include <thread>

#include "designer_fixture.h"
#include "storage/recent_projects.h"
#include "storage/recovery.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

TProjectBytes Image(const std::string& dat, const std::string& pjx) {
  return {TBytes(dat.begin(), dat.end()), TBytes(pjx.begin(), pjx.end())};
}

TRecoveryInfo Info(const std::string& dataDir) {
  return {dataDir, "Shop", "Unit 4", "Orvane 700", true, false, 1765000000};
}

// Does nothing more after its step N, as if the program died there.
class CutOff : public IProjectFileSystem {
 public:
  explicit CutOff(int after) : after_(after) {}
  void CreateDirectories(const std::string& path) override { RealFileSystem().CreateDirectories(path); }
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

 private:
  template <typename Operation>
  void Step(Operation operation) {
    if (steps_ >= after_) throw FileError("the program died");
    operation();
    ++steps_;
  }
  int after_;
  int steps_ = 0;
};

TEST(RecoveryCopy, RoundTripsAndEachGenerationReplacesTheOneBefore) {
  TempDir dir;
  const std::string folder = RecoveryFolder(RecoveryRoot(dir.Path()), dir.File("Data"), "Shop");
  EXPECT_EQ(folder.rfind(dir.File("Recovery/Shop-"), 0), 0u) << folder;
  EXPECT_NE(folder, RecoveryFolder(RecoveryRoot(dir.Path()), dir.File("Other"), "Shop"));
  EXPECT_EQ(RecoveryGeneration(folder), 0u);

  WriteRecoveryCopy(folder, Info(dir.File("Data")), Image("dat one", "pjx one"), 1);
  WriteRecoveryCopy(folder, Info(dir.File("Data")), Image("dat two", "pjx two"), 2);
  const TRecoveryCopy copy = ReadRecoveryCopy(folder);
  EXPECT_EQ(copy.Info, Info(dir.File("Data")));
  EXPECT_EQ(copy.Generation, 2u);
  EXPECT_TRUE(TUndoHistory::SameImage(copy.Bytes, Image("dat two", "pjx two")));
  EXPECT_FALSE(fs::exists(folder + "/1.dat"));
  EXPECT_FALSE(fs::exists(folder + "/1.pjx"));
  EXPECT_EQ(RecoveryFolders(RecoveryRoot(dir.Path())), std::vector<std::string>{folder});

  RemoveRecoveryCopy(folder);
  EXPECT_FALSE(fs::exists(folder));
  RemoveRecoveryCopy(folder);  // already gone: no error
}

TEST(RecoveryCopy, AWriteCutOffAtAnyStepLeavesTheOldCopyOrTheNewOne) {
  for (int after = 0; after < 8; ++after) {
    SCOPED_TRACE(after);
    TempDir dir;
    const std::string folder = dir.File("Recovery/Shop");
    WriteRecoveryCopy(folder, Info("D"), Image("old dat", "old pjx"), 1);
    CutOff files(after);
    try {
      WriteRecoveryCopy(folder, Info("D"), Image("new dat", "new pjx"), 2, files);
    } catch (const FileError&) {
    }
    const TRecoveryCopy copy = ReadRecoveryCopy(folder);
    EXPECT_TRUE(TUndoHistory::SameImage(copy.Bytes, Image("old dat", "old pjx")) ||
                TUndoHistory::SameImage(copy.Bytes, Image("new dat", "new pjx")));
    // The next copy puts everything in order.
    WriteRecoveryCopy(folder, Info("D"), Image("next dat", "next pjx"), RecoveryGeneration(folder) + 1);
    EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(folder).Bytes, Image("next dat", "next pjx")));
    size_t files_left = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++files_left;
    EXPECT_EQ(files_left, 3u);
  }
}

TEST(RecoveryCopy, ADamagedCopyIsRefusedByNameAndKeptAside) {
  TempDir dir;
  const std::string folder = dir.File("Recovery/Shop");
  auto fresh = [&] {
    RemoveRecoveryCopy(folder);
    WriteRecoveryCopy(folder, Info("D"), Image("the dat", "the pjx"), 1);
  };
  auto refused = [&](const std::string& expected) {
    try {
      ReadRecoveryCopy(folder);
      ADD_FAILURE() << "read a damaged copy";
    } catch (const FileError& error) {
      EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
    }
  };
  fresh();
  TStream(TBytes{'t', 'h', 'e'}).SaveToFile(folder + "/1.dat");
  refused("1.dat: the file was cut or changed");
  fresh();
  TStream(Image("the dax", "").Dat).SaveToFile(folder + "/1.dat");
  refused("1.dat: the file was changed");
  fresh();
  fs::remove(folder + "/1.pjx");
  refused("1.pjx");
  fresh();
  const TBytes manifest = TStream::LoadFromFile(folder + "/manifest", ProjectFileLimit).TakeBytes();
  for (size_t cut = 0; cut + 1 < manifest.size(); cut += 7) {
    TStream(TBytes(manifest.begin(), manifest.begin() + static_cast<std::ptrdiff_t>(cut)))
        .SaveToFile(folder + "/manifest");
    refused("/Recovery/Shop/");  // a cut inside a figure gives a wrong size or checksum
  }
  const std::string wrongName = std::string(manifest.begin(), manifest.end())
                                    .replace(std::string(manifest.begin(), manifest.end()).find("project=Shop"), 12,
                                             "project=../x");
  TStream(TBytes(wrongName.begin(), wrongName.end())).SaveToFile(folder + "/manifest");
  refused("the project's name is not sound");

  EXPECT_EQ(KeepRecoveryCopyAside(folder), folder + ".unreadable-1");
  fresh();
  EXPECT_EQ(KeepRecoveryCopyAside(folder), folder + ".unreadable-2");
  EXPECT_TRUE(fs::exists(folder + ".unreadable-1/manifest"));
  EXPECT_TRUE(RecoveryFolders(dir.File("Recovery")).empty());
}

TEST(RecoveryCopy, TheQuestionNamesTheProjectAndTheTime) {
  const TRecoveryInfo info = Info("D");
  const std::string question = RecoveryQuestion(info);
  EXPECT_EQ(question, "Voltaris was not closed properly. Recover the unsaved changes to Shop from " +
                          LocalClockTime(info.WrittenAt) + "?");
  const std::string time = LocalClockTime(info.WrittenAt);
  ASSERT_EQ(time.size(), 5u);
  EXPECT_EQ(time[2], ':');
}

TEST(RecoveryWriter, WritesAtOnceThenNoMoreThanOncePerIntervalAndOnlyTheLatest) {
  TempDir dir;
  const std::string folder = dir.File("Recovery/Shop");
  TRecoveryWriter writer(std::chrono::hours(1));
  writer.Offer(folder, Info("D"), Image("one", "1"));
  writer.Flush();
  EXPECT_EQ(writer.Written(), 1u);
  writer.Offer(folder, Info("D"), Image("two", "2"));
  writer.Offer(folder, Info("D"), Image("three", "3"));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // Within the interval: waiting, the copy on disk the first one.
  EXPECT_EQ(writer.Written(), 1u);
  EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(folder).Bytes, Image("one", "1")));
  writer.Flush();
  EXPECT_EQ(writer.Written(), 2u);
  const TRecoveryCopy copy = ReadRecoveryCopy(folder);
  EXPECT_TRUE(TUndoHistory::SameImage(copy.Bytes, Image("three", "3")));
  EXPECT_EQ(copy.Generation, 2u);
  EXPECT_GT(copy.Info.WrittenAt, 0);

  // Removal drops what waits and the copy itself.
  writer.Offer(folder, Info("D"), Image("four", "4"));
  writer.Remove(folder);
  writer.Flush();
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_EQ(writer.Written(), 2u);
}

TEST(RecoveryWriter, AShortIntervalWritesOnItsOwnAndAFailureIsToldOnce) {
  TempDir dir;
  const std::string folder = dir.File("Recovery/Shop");
  TRecoveryWriter writer(std::chrono::milliseconds(20));
  std::atomic<uint64_t> heard{0};
  writer.SetOnWritten([&](uint64_t number, const TProjectBytes&) { heard = number; });
  writer.Offer(folder, Info("D"), Image("one", "1"));
  const uint64_t second = writer.Offer(folder, Info("D"), Image("two", "2"));
  for (int i = 0; i < 200 && heard != second; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(heard, second);
  EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(folder).Bytes, Image("two", "2")));

  CutOff refusing(0);
  TRecoveryWriter failing(std::chrono::milliseconds(0), refusing);
  failing.Offer(folder, Info("D"), Image("three", "3"));
  failing.Flush();
  EXPECT_NE(failing.TakeError().find("the program died"), std::string::npos);
  EXPECT_EQ(failing.TakeError(), "");
  EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(folder).Bytes, Image("two", "2")));
}

// The designer keeps a copy while the project is modified, and a designer
// started afterwards offers it.
class RecoveryTest : public DesignerTest {
 protected:
  RecoveryTest() { designer.SetRecoveryWriter(std::make_unique<TRecoveryWriter>(std::chrono::milliseconds(0))); }

  void PlaceKeypad() { Place(0, 300, 200); }
  bool HasCopy() {
    designer.RecoveryWriter().Flush();
    return !RecoveryFolders(designer.RecoveryRoot()).empty();
  }
  // The program dies with unsaved changes: a copy is left behind.
  TProjectBytes Crash() {
    New("Orvane 700", 3);
    designer.Session().SaveProject();
    PlaceKeypad();
    designer.RecoveryWriter().Flush();
    designer.Session().ReleaseLock();  // as the system does when a process dies
    return designer.ProjectImage();
  }
  std::string Files() { return dir.Read("Data/Shop.dat") + "|" + dir.Read("Data/Shop.pjx"); }
};

TEST_F(RecoveryTest, ACopyIsKeptWhileModifiedAndGoesOnSaveDiscardExitAndUndo) {
  New("Orvane 700", 3);
  EXPECT_FALSE(HasCopy());
  PlaceKeypad();
  ASSERT_TRUE(HasCopy());
  EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(designer.RecoveryFolder()).Bytes, designer.ProjectImage()));
  EXPECT_EQ(ReadRecoveryCopy(designer.RecoveryFolder()).Info.FileName, "Shop");
  designer.Session().SaveProject();
  EXPECT_FALSE(HasCopy());

  PlaceKeypad();
  ASSERT_TRUE(HasCopy());
  designer.Undo();  // back to the saved state: nothing to recover
  EXPECT_FALSE(HasCopy());

  PlaceKeypad();
  ASSERT_TRUE(HasCopy());
  host.saveAnswer = TAnswer::No;  // New, and the changes are let go
  New("Orvane 700", 3, "Other");
  EXPECT_FALSE(HasCopy());

  PlaceKeypad();
  ASSERT_TRUE(HasCopy());
  EXPECT_TRUE(designer.Session().ExitProgram());
  EXPECT_FALSE(HasCopy());
}

TEST_F(RecoveryTest, RecoverOpensTheChangesModifiedAndLeavesTheProjectsFilesAlone) {
  const TProjectBytes changed = Crash();
  const std::string files = Files();
  ScriptedDesignerHost again;
  again.recoveryAnswer = TRecoveryAnswer::Recover;
  TDesigner next(again, store, dir.Path());
  next.Session().StartUp();
  ASSERT_EQ(again.recoveryQuestions.size(), 1u);
  EXPECT_EQ(again.recoveryQuestions[0].rfind(
                "Voltaris was not closed properly. Recover the unsaved changes to Shop from ", 0),
            0u);
  EXPECT_EQ(again.systemFilesShown, 0);  // instead of the usual first dialog
  EXPECT_TRUE(next.ProjectOpen);
  EXPECT_TRUE(next.Session().Modified());
  EXPECT_EQ(next.Session().FileName, "Shop");
  EXPECT_EQ(next.Session().Caption, ProjectCaption("Unit 4"));
  EXPECT_TRUE(TUndoHistory::SameImage(next.ProjectImage(), changed));
  EXPECT_EQ(next.Canvas().Tiles().size(), designer.Canvas().Tiles().size());
  EXPECT_EQ(Files(), files);
  // The copy stays until Save, which writes the recovered project.
  EXPECT_FALSE(RecoveryFolders(next.RecoveryRoot()).empty());
  next.Session().SaveProject();
  EXPECT_TRUE(RecoveryFolders(next.RecoveryRoot()).empty());
  EXPECT_TRUE(TUndoHistory::SameImage(ReadProjectBytes(dir.File("Data"), "Shop"), changed));
}

TEST_F(RecoveryTest, DiscardRemovesTheCopyAndLaterKeepsItBothGoOnToTheUsualDialog) {
  Crash();
  {
    ScriptedDesignerHost later;
    TDesigner next(later, store, dir.Path());
    next.Session().StartUp();
    EXPECT_EQ(later.recoveryQuestions.size(), 1u);
    EXPECT_EQ(later.systemFilesShown, 1);
    EXPECT_FALSE(RecoveryFolders(next.RecoveryRoot()).empty());
  }
  ScriptedDesignerHost discard;
  discard.recoveryAnswer = TRecoveryAnswer::Discard;
  TDesigner next(discard, store, dir.Path());
  next.Session().StartUp();
  EXPECT_EQ(discard.recoveryQuestions.size(), 1u);
  EXPECT_EQ(discard.systemFilesShown, 1);
  EXPECT_TRUE(RecoveryFolders(next.RecoveryRoot()).empty());
}

TEST_F(RecoveryTest, ANewProjectNeverSavedIsRecoveredAndListedAtItsFirstSave) {
  New("Orvane 700", 3, "Fresh");
  PlaceKeypad();
  designer.RecoveryWriter().Flush();
  designer.Session().ReleaseLock();
  ScriptedDesignerHost again;
  again.recoveryAnswer = TRecoveryAnswer::Recover;
  TDesigner next(again, store, dir.Path());
  next.Session().StartUp();
  ASSERT_TRUE(next.ProjectOpen);
  EXPECT_TRUE(next.Session().Modified());
  EXPECT_TRUE(next.Session().PendingIndexEntry);
  EXPECT_FALSE(next.History().CanUndo());
  next.Session().SaveProject();
  EXPECT_NE(dir.Read("Data/Accounts.db").find(";Fresh;"), std::string::npos);
}

TEST_F(RecoveryTest, ACopyItsSessionSavedIsDroppedAndAnUnreadableOneIsToldAndKeptAside) {
  Crash();
  // The session saved more changes than its copy holds, and ended before it
  // could remove the copy.
  const std::string folder = designer.RecoveryFolder();
  const TRecoveryCopy older = ReadRecoveryCopy(folder);
  PlaceKeypad();
  designer.RecoveryWriter().Flush();
  // The copy a writer waiting out its interval leaves: the one before.
  WriteRecoveryCopy(folder, older.Info, older.Bytes, RecoveryGeneration(folder) + 1);
  const TProjectBytes saved = designer.ProjectImage();
  designer.NoteSaving(saved);
  PlaceProjectFiles(dir.File("Data"), "Shop", saved);
  ASSERT_FALSE(TUndoHistory::SameImage(ReadRecoveryCopy(folder).Bytes, saved));
  ScriptedDesignerHost again;
  again.recoveryAnswer = TRecoveryAnswer::Recover;
  {
    TDesigner next(again, store, dir.Path());
    next.Session().StartUp();
  }
  EXPECT_TRUE(again.recoveryQuestions.empty());
  EXPECT_FALSE(fs::exists(folder));

  // A copy whose project bytes do not load, and one whose manifest is cut.
  WriteRecoveryCopy(folder, Info(dir.File("Data")), Image("not a project", "nor this"), 1);
  const std::string cut = designer.RecoveryRoot() + "/Cut-0";
  WriteRecoveryCopy(cut, Info(dir.File("Data")), Image("x", "y"), 1);
  TStream(TBytes{'V'}).SaveToFile(cut + "/manifest");
  ScriptedDesignerHost third;
  third.recoveryAnswer = TRecoveryAnswer::Recover;
  TDesigner next(third, store, dir.Path());
  next.Session().StartUp();
  EXPECT_EQ(third.recoveryQuestions.size(), 1u);  // the cut one is not offered
  ASSERT_EQ(third.errors.size(), 2u);
  EXPECT_NE(third.errors[0].find("A recovery copy cannot be read: "), std::string::npos) << third.errors[0];
  EXPECT_NE(third.errors[0].find("It was kept as " + cut + ".unreadable-1"), std::string::npos) << third.errors[0];
  EXPECT_NE(third.errors[1].find("Shop.pjx"), std::string::npos) << third.errors[1];
  EXPECT_TRUE(fs::exists(folder + ".unreadable-1/manifest"));
  EXPECT_EQ(third.systemFilesShown, 1);  // the usual start goes on
  EXPECT_TRUE(RecoveryFolders(next.RecoveryRoot()).empty());
}

// A save cut off between its renames, as a kill leaves it: the next start
// finishes it when its new files are whole and says so; otherwise the
// project stays as it was and its copy is offered.
TEST_F(RecoveryTest, ASaveCutOffIsFinishedOrUndoneAtTheNextStartAndTheUserIsTold) {
  const TProjectBytes changed = Crash();
  const std::string data = dir.File("Data");
  const TProjectBytes before = ReadProjectBytes(data, "Shop");
  auto start = [&](TRecoveryAnswer answer) {
    auto host = std::make_unique<ScriptedDesignerHost>();
    host->recoveryAnswer = answer;
    auto next = std::make_unique<TDesigner>(*host, store, dir.Path());
    next->Session().StartUp();
    return std::make_pair(std::move(host), std::move(next));
  };

  // Killed between the last two renames: the new ".dat" in place, the
  // ".pjx" still beside, both previous files stood aside.
  designer.NoteSaving(changed);
  fs::rename(DataFile("Shop.dat"), DataFile("Shop.dat.old"));
  fs::rename(DataFile("Shop.pjx"), DataFile("Shop.pjx.old"));
  TStream(changed.Dat).SaveToFile(DataFile("Shop.dat"));
  TStream(changed.Pjx).SaveToFile(DataFile("Shop.pjx.new"));
  const std::string stamp = SaveStampText(TSaveStamp::Of(changed));
  TStream(TBytes(stamp.begin(), stamp.end())).SaveToFile(DataFile("Shop.saving"));
  {
    auto [told, next] = start(TRecoveryAnswer::Recover);
    ASSERT_EQ(told->warnings.size(), 1u);
    EXPECT_EQ(told->warnings[0],
              "Voltaris stopped while it was saving Shop. The saved files were complete, and the save has now been "
              "finished.");
    EXPECT_TRUE(told->recoveryQuestions.empty());  // the files hold what the copy held
    EXPECT_TRUE(TUndoHistory::SameImage(ReadProjectBytes(data, "Shop"), changed));
    EXPECT_TRUE(RecoveryFolders(next->RecoveryRoot()).empty());
  }
  for (const char* left : {"Shop.dat.old", "Shop.pjx.old", "Shop.pjx.new", "Shop.saving"})
    EXPECT_FALSE(fs::exists(DataFile(left))) << left;

  // Killed while the new files were still being written: the project is
  // as before, and the unsaved changes come back from the copy.
  PlaceProjectFiles(data, "Shop", before);
  WriteRecoveryCopy(RecoveryFolder(designer.RecoveryRoot(), data, "Shop"), Info(data), changed, 1);
  TStream(TBytes(changed.Dat.begin(), changed.Dat.begin() + 40)).SaveToFile(DataFile("Shop.dat.new"));
  {
    auto [told, next] = start(TRecoveryAnswer::Recover);
    ASSERT_EQ(told->warnings.size(), 1u);
    EXPECT_EQ(told->warnings[0],
              "Voltaris stopped while it was saving Shop, before the saved files were complete. The project is as it "
              "was before that save.");
    EXPECT_EQ(told->recoveryQuestions.size(), 1u);
    EXPECT_TRUE(TUndoHistory::SameImage(ReadProjectBytes(data, "Shop"), before));
    EXPECT_TRUE(TUndoHistory::SameImage(next->ProjectImage(), changed));
    EXPECT_FALSE(fs::exists(DataFile("Shop.dat.new")));
  }
}

// A new project's first save killed between its last two renames: finished
// at the next start, and listed, as its save would have listed it.
TEST_F(RecoveryTest, ANewProjectsFirstSaveCutOffIsFinishedAndListed) {
  New("Orvane 700", 3, "Fresh", "Unit 9");
  PlaceKeypad();
  designer.RecoveryWriter().Flush();
  designer.Session().ReleaseLock();
  const TProjectBytes image = designer.ProjectImage();
  designer.NoteSaving(image);
  TStream(image.Dat).SaveToFile(DataFile("Fresh.dat"));
  TStream(image.Pjx).SaveToFile(DataFile("Fresh.pjx.new"));
  const std::string stamp = SaveStampText(TSaveStamp::Of(image));
  TStream(TBytes(stamp.begin(), stamp.end())).SaveToFile(DataFile("Fresh.saving"));
  ScriptedDesignerHost again;
  again.recoveryAnswer = TRecoveryAnswer::Recover;
  TDesigner next(again, store, dir.Path());
  next.Session().StartUp();
  EXPECT_TRUE(again.recoveryQuestions.empty());
  EXPECT_TRUE(TUndoHistory::SameImage(ReadProjectBytes(dir.File("Data"), "Fresh"), image));
  EXPECT_NE(dir.Read("Data/Accounts.db").find("Orvane 700;Fresh;Unit 9;"), std::string::npos);
}

// Later keeps the copy: a session opening the same project afterwards keeps
// copies of its own beside it, and neither its Save nor its No on exit
// touches the one kept.
TEST_F(RecoveryTest, LaterKeepsTheCopyThroughAnotherSessionOnTheSameProject) {
  const TProjectBytes changed = Crash();
  const std::string kept = designer.RecoveryFolder();
  ScriptedDesignerHost later;
  later.saveAnswer = TAnswer::No;
  {
    TDesigner next(later, store, dir.Path());
    next.SetDialogHost(&later);
    next.SetRecoveryWriter(std::make_unique<TRecoveryWriter>(std::chrono::milliseconds(0)));
    next.Session().StartUp();
    ASSERT_EQ(later.recoveryQuestions.size(), 1u);
    ASSERT_TRUE(next.Session().OpenProject("Orvane 700", "Shop", "Unit 4"));
    for (int i = 0; i < 2; ++i) {
      next.CanvasControl().ChooseDevice(0);
      next.CanvasControl().CanvasPress(300, 400 + 100 * i);
      next.RecoveryWriter().Flush();
      EXPECT_NE(next.RecoveryFolder(), kept);
      EXPECT_TRUE(TUndoHistory::SameImage(ReadRecoveryCopy(kept).Bytes, changed));
      EXPECT_EQ(RecoveryFolders(next.RecoveryRoot()).size(), 2u);
      if (i == 0) next.Session().SaveProject();
    }
    EXPECT_TRUE(next.Session().ExitProgram());
  }
  EXPECT_EQ(RecoveryFolders(designer.RecoveryRoot()), std::vector<std::string>{kept});
  ScriptedDesignerHost third;
  TDesigner again(third, store, dir.Path());
  again.Session().StartUp();
  EXPECT_EQ(third.recoveryQuestions.size(), 1u);  // saved since by another session: still offered
}

// A copy names the folder its project is saved into. One naming a folder
// the designer does not work in is not offered and left as it is; one of a
// recent project's folder is.
TEST_F(RecoveryTest, ACopyNamingAFolderOutsideTheDesignersOwnIsRefusedAndLeftAlone) {
  const std::string outside = dir.File("Elsewhere");
  const std::string folder = RecoveryFolder(designer.RecoveryRoot(), outside, "Shop");
  TRecoveryInfo info = Info(outside);
  WriteRecoveryCopy(folder, info, Image("x", "y"), 1);
  info.DataDir = dir.File("Data/../Elsewhere");
  WriteRecoveryCopy(folder + "-2", info, Image("x", "y"), 1);
  {
    ScriptedDesignerHost refusing;
    refusing.recoveryAnswer = TRecoveryAnswer::Recover;
    TDesigner next(refusing, store, dir.Path());
    next.Session().StartUp();
    EXPECT_TRUE(refusing.recoveryQuestions.empty());
    ASSERT_EQ(refusing.warnings.size(), 2u);
    EXPECT_EQ(refusing.warnings[0], "The recovery copy in " + folder + " is not offered: it names " + outside +
                                        " as its project's folder, which is neither this designer's Data folder nor "
                                        "the folder of a recent project. It is left as it is.");
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_TRUE(fs::exists(folder + "/manifest"));
    EXPECT_TRUE(fs::exists(folder + "-2/manifest"));
    EXPECT_FALSE(next.ProjectOpen);
  }
  fs::create_directories(outside);
  WriteRecentProjects(store, {{"Shop", "Unit 4", RecentFolder(outside)}});
  ScriptedDesignerHost offering;
  TDesigner next(offering, store, dir.Path());
  next.Session().StartUp();
  EXPECT_EQ(offering.recoveryQuestions.size(), 2u);
  EXPECT_TRUE(offering.warnings.empty());
}

// Copies are written on the writer's thread; a folder that cannot take one
// is still told at the first change, once, and again only after copies
// were written in between.
TEST_F(RecoveryTest, AFolderThatCannotTakeACopyIsToldAtTheFirstChangeAndOnlyOnce) {
  dir.Write("Recovery", "a file where the folder of the copies should be");
  New("Orvane 700", 3);
  PlaceKeypad();
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(host.warnings[0].rfind("The recovery copy of Shop could not be written: " + designer.RecoveryFolder() +
                                       ": cannot create the directory (",
                                   0),
            0u)
      << host.warnings[0];
  PlaceKeypad();
  designer.RecoveryWriter().Flush();
  PlaceKeypad();
  EXPECT_EQ(host.warnings.size(), 1u);
  fs::remove(dir.File("Recovery"));
  PlaceKeypad();
  EXPECT_TRUE(HasCopy());
  EXPECT_EQ(host.warnings.size(), 1u);
}

}  // namespace
}  // namespace voltaris::testing
