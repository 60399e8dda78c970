// Save As, Duplicate and Rename: the files and the index change together,
// and a failure (or a crash) at any of their steps leaves every listed
// project listed and loadable. Also the word that a save happened, the
// recent projects and opening a project from its file.
#include <algorithm>
#include <filesystem>
#include <map>

#include "designer_fixture.h"
#include "storage/project_copies.h"
#include "storage/project_file_argument.h"
#include "storage/project_lock.h"
#include "storage/recent_projects.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

const fs::path ExamplesDir = VOLTARIS_EXAMPLES;

// Counts every step that changes a file or the index, and makes step
// `failAt` fail. With `cut`, nothing at all happens after it, as when the
// power goes: not even the steps that would put things back.
class FailAtStep : public IProjectFileSystem, public IIndexWriter {
 public:
  FailAtStep(int failAt, bool cut) : failAt_(failAt), cut_(cut) {}
  void CreateDirectories(const std::string& path) override { RealFileSystem().CreateDirectories(path); }
  bool Exists(const std::string& path) override { return RealFileSystem().Exists(path); }
  void WriteFile(const std::string& path, const TBytes& bytes) override {
    if (Step()) RealFileSystem().WriteFile(path, bytes);
  }
  void Rename(const std::string& from, const std::string& to) override {
    if (Step()) RealFileSystem().Rename(from, to);
  }
  void Remove(const std::string& path) override {
    if (Step()) RealFileSystem().Remove(path);
  }
  void Append(const TFileIndex& index, const std::string& line) override {
    if (Step()) index.Append(line);
  }
  void Rewrite(const TFileIndex& index, const std::vector<std::string>& lines) override {
    if (Step()) index.Rewrite(lines);
  }
  TProjectSteps Steps() { return {*this, *this}; }
  bool Failed() const { return failed_; }
  int Count() const { return steps_; }

 private:
  bool Step() {
    if (failed_ && cut_) return false;
    if (++steps_ != failAt_) return true;
    failed_ = true;
    throw FileError("injected failure at step " + std::to_string(steps_));
  }
  int failAt_;
  bool cut_;
  int steps_ = 0;
  bool failed_ = false;
};

class ProjectCopiesTest : public DesignerTest {
 protected:
  void CopyExamples() {
    for (const char* name : {"CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx", "Accounts.db"})
      fs::copy_file(ExamplesDir / name, DataFile(name), fs::copy_options::overwrite_existing);
  }
  void FreshData() {
    RemoveData();
    fs::create_directories(dir.File("Data"));
    CopyExamples();
  }
  std::vector<TIndexEntry> Listed() const {
    std::vector<TIndexEntry> entries;
    for (const std::string& line : TFileIndex(dir.File("Data")).ReadLines()) entries.push_back(SplitIndexLine(line));
    return entries;
  }
  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const TIndexEntry& entry : Listed()) names.push_back(entry.FileName);
    return names;
  }
  // Every listed project loads; the message names the first that does not.
  std::string UnloadableListed() const {
    for (const TIndexEntry& entry : Listed()) {
      try {
        TSettings settings;
        LoadProjectFiles(dir.File("Data"), entry.FileName, settings);
      } catch (const std::exception& error) {
        return entry.FileName + ": " + error.what();
      }
    }
    return {};
  }
  TBytes Bytes(const std::string& name) const {
    return TStream::LoadFromFile(DataFile(name), ProjectFileLimit).TakeBytes();
  }
  // The System Files dialog shown on the index with `file` selected.
  void ShowWithSelected(TSystemFilesPresenter& dialog, const std::string& file) {
    ASSERT_TRUE(dialog.Show());
    for (size_t i = 0; i < dialog.Rows().size(); ++i)
      if (dialog.Rows()[i].FileName == file) dialog.Select(static_cast<int>(i));
    ASSERT_GE(dialog.SelectedRow(), 0) << file;
  }
};

// --- Save As ---

TEST_F(ProjectCopiesTest, SaveAsGoesOnWithTheNewProjectAndLeavesTheOldFiles) {
  CopyExamples();
  Load("Warehouse");
  const TBytes oldDat = Bytes("Warehouse.dat"), oldPjx = Bytes("Warehouse.pjx");
  Place(0, 900, 900);  // a change, with a step to undo
  ASSERT_TRUE(designer.Session().Modified());
  const size_t steps = designer.History().UndoCount();

  host.onProjectName = NameAs("Warehouse2", "Unit 9, Dock Road");
  designer.Session().SaveProjectAs();

  TProjectSession& session = designer.Session();
  EXPECT_EQ(session.FileName, "Warehouse2");
  EXPECT_EQ(session.SiteRef, "Unit 9, Dock Road");
  EXPECT_EQ(session.Caption, ProjectCaption("Unit 9, Dock Road"));
  EXPECT_FALSE(session.Modified());
  EXPECT_EQ(designer.History().UndoCount(), steps);
  EXPECT_EQ(Bytes("Warehouse.dat"), oldDat);
  EXPECT_EQ(Bytes("Warehouse.pjx"), oldPjx);
  const TProjectBytes image = designer.ProjectImage();
  EXPECT_EQ(Bytes("Warehouse2.dat"), image.Dat);
  EXPECT_EQ(Bytes("Warehouse2.pjx"), image.Pjx);
  const std::vector<TIndexEntry> listed = Listed();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[2], (TIndexEntry{designer.ControlPanel()->Name, "Warehouse2", "Unit 9, Dock Road", "01/02/2027"}));
  EXPECT_EQ(host.notices.back(), "Saved Warehouse2 at 10:30");

  // Undo goes back past the save: the project differs from the new files.
  designer.Undo();
  EXPECT_TRUE(session.Modified());
  designer.Redo();
  EXPECT_FALSE(session.Modified());
  // A plain Save now writes the new project and adds no second line.
  session.SaveProject();
  EXPECT_EQ(Listed().size(), 3u);
  EXPECT_EQ(Bytes("Warehouse.dat"), oldDat);
}

TEST_F(ProjectCopiesTest, SaveAsTakesANameOnlyAsNewFileDoes) {
  CopyExamples();
  Load("Warehouse");
  const std::string site = designer.Session().SiteRef;
  host.onProjectName = [site](TProjectNamePresenter& dialog) {
    dialog.TypeFileName("Corner;Shop/");  // the filter leaves CornerShop, which exists
    EXPECT_FALSE(dialog.Ok());
    EXPECT_EQ(dialog.FileName(), "");
    dialog.SetFileName("   ");
    EXPECT_FALSE(dialog.Ok());
    dialog.TypeSiteRef("A;B");
    EXPECT_EQ(dialog.SiteRef(), site + "AB");
    dialog.Cancel();
  };
  designer.Session().SaveProjectAs();
  EXPECT_EQ(host.warnings, std::vector<std::string>{"File name \"CornerShop\" already exists"});
  EXPECT_EQ(host.errors, std::vector<std::string>{"File name needs a letter or a digit"});
  EXPECT_EQ(designer.Session().FileName, "Warehouse");
  EXPECT_EQ(Listed().size(), 2u);
}

TEST_F(ProjectCopiesTest, NamesThatDifferOnlyInCapitalsAreOneProjectEverywhere) {
  CopyExamples();
  const auto files = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.File("Data"))) {
      const std::string extension = entry.path().extension().string();
      if (extension == ".dat" || extension == ".pjx") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = files();
  const std::string clash =
      "File name \"warehouse\" already exists as \"Warehouse\": names that differ only in capitals are the same "
      "project";
  // New.
  host.onNewFile = [&](TNewFilePresenter& dialog) {
    Answer("Orvane 700", 3, "warehouse", "Site")(dialog);
    EXPECT_EQ(dialog.Result(), TModalResult::None);
    dialog.Cancel();
  };
  designer.Session().NewProject();
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(host.warnings.back(), clash);
  // Save As, Duplicate and Rename, all through the name dialog's checks.
  Load("CornerShop");
  host.onProjectName = [](TProjectNamePresenter& dialog) {
    dialog.SetFileName("warehouse");
    EXPECT_FALSE(dialog.Ok());
    dialog.Cancel();
  };
  designer.Session().SaveProjectAs();
  EXPECT_EQ(host.warnings.back(), clash);
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_FALSE(dialog.Duplicate(NameAs("warehouse", "x"), "03/04/2027"));
  EXPECT_FALSE(dialog.Rename(NameAs("WAREHOUSE", "x")));
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"CornerShop", "Warehouse"}));
  EXPECT_EQ(files(), before);  // no project files of another spelling beside them
  // The open project is refused a rename whatever the capitals it is listed in.
  designer.Session().SystemFilesDialog().SetOpenProject("cornershop");
  ShowWithSelected(dialog, "CornerShop");
  host.warnings.clear();
  EXPECT_FALSE(dialog.Rename(NameAs("HighStreet14", "x")));
  EXPECT_EQ(host.warnings.size(), 1u);
  // Only a name that differs in capitals is another spelling; the folder's
  // files count where the index does not list them.
  EXPECT_EQ(OtherSpellingOf(dir.File("Data"), "Warehouse"), std::nullopt);
  EXPECT_EQ(OtherSpellingOf(dir.File("Data"), "cornerSHOP"), "CornerShop");
  fs::rename(DataFile("Accounts.db"), DataFile("Other.db"));
  EXPECT_EQ(OtherSpellingOf(dir.File("Data"), "WareHouse"), "Warehouse");
  EXPECT_EQ(OtherSpellingOf(dir.File("Data"), "Ware house"), std::nullopt);
}

TEST_F(ProjectCopiesTest, SaveAsOfANewProjectListsItOnce) {
  New("Orvane 200", 2, "Shop", "Unit 4");
  host.onProjectName = NameAs("Shop2", "Unit 5");
  designer.Session().SaveProjectAs();
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"Shop2"});
  EXPECT_FALSE(fs::exists(DataFile("Shop.dat")));
  designer.Session().SaveProject();
  EXPECT_EQ(ListedNames(), std::vector<std::string>{"Shop2"});
}

TEST_F(ProjectCopiesTest, SaveAsFailingOrCutOffAtAnyStepLosesNoProject) {
  CopyExamples();
  Load("Warehouse");
  Place(0, 900, 900);
  FailAtStep counting(0, false);
  designer.Session().SetProjectSteps(nullptr);
  {
    const TProjectSteps steps = counting.Steps();
    SaveProjectAs(designer.Session().DataDir, designer.ProjectImage(), {"x", "Counted", "", ""}, nullptr, steps);
  }
  ASSERT_GE(counting.Count(), 4);
  for (bool cut : {false, true}) {
    for (int step = 1; step <= counting.Count(); ++step) {
      FreshData();
      FailAtStep failing(step, cut);
      const TProjectSteps steps = failing.Steps();
      designer.Session().SetProjectSteps(&steps);
      host.errors.clear();
      host.onProjectName = NameAs("Copy", "Unit 9");
      try {
        designer.Session().SaveProjectAs();
      } catch (const FileError&) {
        // reported by the window
      }
      designer.Session().SetProjectSteps(nullptr);
      EXPECT_TRUE(failing.Failed()) << step;
      EXPECT_EQ(designer.Session().FileName, "Warehouse") << step << " cut " << cut;
      EXPECT_TRUE(designer.Session().Modified()) << step;
      EXPECT_EQ(UnloadableListed(), "") << step << " cut " << cut;
      const std::vector<std::string> names = ListedNames();
      EXPECT_EQ(names.size(), 2u) << step << " cut " << cut;
      // Without a crash, a failed Save As takes its files away again.
      if (!cut) {
        EXPECT_FALSE(fs::exists(DataFile("Copy.dat"))) << step;
      }
    }
  }
}

// --- Duplicate and Rename in System Files ---

TEST_F(ProjectCopiesTest, DuplicateCopiesTheFilesAndAddsTheRow) {
  CopyExamples();
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_TRUE(dialog.Duplicate(NameAs("CornerShop2", "Corner Shop, 14 High Street"), "03/04/2027"));
  EXPECT_EQ(dialog.NameDialog().Caption(), "Duplicate CornerShop");
  EXPECT_EQ(Bytes("CornerShop2.dat"), Bytes("CornerShop.dat"));
  EXPECT_EQ(Bytes("CornerShop2.pjx"), Bytes("CornerShop.pjx"));
  const std::vector<TIndexEntry> listed = Listed();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[2], (TIndexEntry{"Orvane 200", "CornerShop2", "Corner Shop, 14 High Street", "03/04/2027"}));
  EXPECT_EQ(dialog.Rows(), listed);
  EXPECT_EQ(dialog.SelectedRow(), 2);
  // The name dialog's checks hold here too: an existing name is refused.
  EXPECT_FALSE(dialog.Duplicate(NameAs("Warehouse", "x"), "03/04/2027"));
  EXPECT_EQ(Listed().size(), 3u);
}

TEST_F(ProjectCopiesTest, RenameMovesFilesAndRowAndKeepsItsPlaceAndDate) {
  CopyExamples();
  const TBytes dat = Bytes("CornerShop.dat");
  const std::vector<TIndexEntry> before = Listed();
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_TRUE(dialog.Rename(NameAs("HighStreet14", "Corner Shop, 14 High Street")));
  EXPECT_FALSE(fs::exists(DataFile("CornerShop.dat")));
  EXPECT_FALSE(fs::exists(DataFile("CornerShop.pjx")));
  EXPECT_EQ(Bytes("HighStreet14.dat"), dat);
  const std::vector<TIndexEntry> listed = Listed();
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0],
            (TIndexEntry{before[0].PanelType, "HighStreet14", "Corner Shop, 14 High Street", before[0].DateCreated}));
  EXPECT_EQ(listed[1], before[1]);
  EXPECT_EQ(dialog.Rows(), listed);
  EXPECT_EQ(UnloadableListed(), "");
}

TEST_F(ProjectCopiesTest, RenameOfTheOpenProjectIsRefusedWithTheWayToDoIt) {
  CopyExamples();
  Load("Warehouse");
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  dialog.SetOpenProject("Warehouse");
  ShowWithSelected(dialog, "Warehouse");
  bool asked = false;
  EXPECT_FALSE(dialog.Rename([&](TProjectNamePresenter& name) {
    asked = true;
    name.Cancel();
  }));
  EXPECT_FALSE(asked);
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_NE(host.warnings[0].find("cannot be renamed while it is open"), std::string::npos);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"CornerShop", "Warehouse"}));
}

TEST_F(ProjectCopiesTest, WhatAnotherDesignerHoldsIsNeitherRenamedNorWrittenOver) {
  CopyExamples();
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  const TBytes dat = Bytes("CornerShop.dat");
  {
    // Open in another designer: renamed, its files would go from under it,
    // and its next Save would make them again beside the renamed copy.
    TProjectLock held(LockPath(dir.File("Data"), "CornerShop"));
    ASSERT_EQ(held.Take(), TLockStatus::Taken);
    ShowWithSelected(dialog, "CornerShop");
    bool asked = false;
    EXPECT_FALSE(dialog.Rename([&](TProjectNamePresenter& name) {
      asked = true;
      NameAs("HighStreet14", "x")(name);
    }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(host.warnings,
              std::vector<std::string>{"CornerShop is open in another designer (" + HolderText(ThisProcess()) +
                                       ") and cannot be renamed while it is open."});
    EXPECT_EQ(Bytes("CornerShop.dat"), dat);
    EXPECT_FALSE(fs::exists(DataFile("HighStreet14.dat")));
  }
  // A project another designer is making and has not saved yet: Duplicate,
  // Rename and Save As do not take its name.
  ScriptedDesignerHost otherHost;
  TDesigner other(otherHost, store, dir.Path());
  other.SetDialogHost(&otherHost);
  otherHost.onNewFile = Answer("Orvane 700", 3, "Fresh", "Dock 2");
  other.Session().NewProject();
  ASSERT_EQ(other.Session().LockFile(), DataFile("Fresh.lock"));
  const std::string taken = "Fresh is open in another designer (" + HolderText(ThisProcess()) +
                            "). Choose another name for the project.";
  host.warnings.clear();
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_FALSE(dialog.Duplicate(NameAs("Fresh", "x"), "03/04/2027"));
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_FALSE(dialog.Rename(NameAs("Fresh", "x")));
  EXPECT_EQ(host.warnings, (std::vector<std::string>{taken, taken}));
  Load("Warehouse");
  host.onProjectName = NameAs("Fresh", "x");
  designer.Session().SaveProjectAs();
  EXPECT_EQ(host.errors,
            std::vector<std::string>{"Fresh is being made in another designer: " + HolderText(ThisProcess()) + "."});
  EXPECT_EQ(designer.Session().FileName, "Warehouse");
  EXPECT_FALSE(fs::exists(DataFile("Fresh.dat")));
  EXPECT_EQ(Bytes("CornerShop.dat"), dat);
  // The other designer's project stays its own: saved, it is listed once.
  other.Session().SaveProject();
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"CornerShop", "Warehouse", "Fresh"}));
  // Once let go, the rename goes, and no lock is left behind.
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_TRUE(dialog.Rename(NameAs("HighStreet14", "x")));
  EXPECT_FALSE(fs::exists(DataFile("CornerShop.lock")) || fs::exists(DataFile("HighStreet14.lock")));
  EXPECT_EQ(Bytes("HighStreet14.dat"), dat);
}

TEST_F(ProjectCopiesTest, AProjectWhoseSaveWasCutOffKeepsItsName) {
  // Cut off after its files stepped aside: the project is whole under the
  // ".old" names, and loads from them.
  CopyExamples();
  fs::rename(DataFile("CornerShop.dat"), DataFile("CornerShop.dat.old"));
  fs::rename(DataFile("CornerShop.pjx"), DataFile("CornerShop.pjx.old"));
  const TBytes dat = Bytes("CornerShop.dat.old"), pjx = Bytes("CornerShop.pjx.old");
  ASSERT_EQ(UnloadableListed(), "");
  Load("Warehouse");
  host.onProjectName = NameAs("CornerShop", "x");
  designer.Session().SaveProjectAs();
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ShowWithSelected(dialog, "Warehouse");
  EXPECT_FALSE(dialog.Duplicate(NameAs("CornerShop", "x"), "03/04/2027"));
  EXPECT_EQ(host.warnings, (std::vector<std::string>{"File name \"CornerShop\" already exists",
                                                     "File name \"CornerShop\" already exists"}));
  EXPECT_THROW(SaveProjectAs(dir.File("Data"), designer.ProjectImage(), {"x", "CornerShop", "", ""}, nullptr),
               FileError);
  EXPECT_FALSE(fs::exists(DataFile("CornerShop.dat")));
  EXPECT_EQ(Bytes("CornerShop.dat.old"), dat);
  EXPECT_EQ(Bytes("CornerShop.pjx.old"), pjx);
  EXPECT_EQ(ListedNames(), (std::vector<std::string>{"CornerShop", "Warehouse"}));
}

TEST_F(ProjectCopiesTest, ACopyOfAProjectThatDoesNotLoadIsRefused) {
  CopyExamples();
  dir.Write("Data/CornerShop.dat", "cut");
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ShowWithSelected(dialog, "CornerShop");
  EXPECT_FALSE(dialog.Duplicate(NameAs("Copy", "x"), "03/04/2027"));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("CornerShop.dat"), std::string::npos) << host.errors[0];
  EXPECT_FALSE(fs::exists(DataFile("Copy.dat")));
  EXPECT_EQ(Listed().size(), 2u);
}

// Duplicate and Rename, failing or cut off at each of their steps in turn.
TEST_F(ProjectCopiesTest, DuplicateAndRenameFailingOrCutOffAtAnyStepLoseNoProject) {
  for (bool rename : {false, true}) {
    int count = 0;
    {
      FreshData();
      FailAtStep counting(0, false);
      const TProjectSteps steps = counting.Steps();
      TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
      dialog.SetSteps(&steps);
      ShowWithSelected(dialog, "Warehouse");
      EXPECT_TRUE(rename ? dialog.Rename(NameAs("Moved", "Dock")) : dialog.Duplicate(NameAs("Moved", "Dock"), "d"));
      dialog.SetSteps(nullptr);
      count = counting.Count();
    }
    ASSERT_GE(count, rename ? 5 : 4);
    for (bool cut : {false, true}) {
      for (int step = 1; step <= count; ++step) {
        FreshData();
        FailAtStep failing(step, cut);
        const TProjectSteps steps = failing.Steps();
        TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
        dialog.SetSteps(&steps);
        ShowWithSelected(dialog, "Warehouse");
        host.errors.clear();
        host.warnings.clear();
        const bool done = rename ? dialog.Rename(NameAs("Moved", "Dock"))
                                 : dialog.Duplicate(NameAs("Moved", "Dock"), "d");
        dialog.SetSteps(nullptr);
        const std::string what = std::string(rename ? "rename" : "duplicate") + " step " + std::to_string(step) +
                                 (cut ? " cut" : " failed");
        ASSERT_TRUE(failing.Failed()) << what;
        EXPECT_EQ(UnloadableListed(), "") << what;
        const std::vector<std::string> names = ListedNames();
        const bool hasOld = std::count(names.begin(), names.end(), "Warehouse") == 1;
        const bool hasNew = std::count(names.begin(), names.end(), "Moved") == 1;
        EXPECT_TRUE(hasOld || hasNew) << what;
        EXPECT_TRUE(std::count(names.begin(), names.end(), "CornerShop") == 1) << what;
        // The dialog shows what the index holds, and says why when it did not do it all.
        if (!cut) {
          EXPECT_EQ(dialog.Rows(), Listed()) << what;
          EXPECT_TRUE(!host.errors.empty() || !host.warnings.empty()) << what;
          EXPECT_EQ(done, hasNew) << what;
          if (!hasNew) {
            EXPECT_FALSE(fs::exists(DataFile("Moved.dat"))) << what;
          }
        }
      }
    }
  }
}

// --- the word that a save happened ---

TEST_F(ProjectCopiesTest, SaveSaysItHappenedAndAFailedOneDoesNot) {
  New("Orvane 200", 2, "Shop", "Unit 4");
  designer.Session().SaveProject();
  EXPECT_EQ(host.notices, std::vector<std::string>{"Saved Shop at 10:30"});
  EXPECT_EQ(SavedText("Shop", ""), "Saved Shop");
  RemoveData();
  dir.Write("Data", "a file where the folder should be");
  Place(0, 900, 900);
  EXPECT_THROW(designer.Session().SaveProject(), FileError);
  EXPECT_EQ(host.notices.size(), 1u);
}

// --- recent projects ---

TEST_F(ProjectCopiesTest, RecentProjectsAreKeptAcrossRunsLatestFirst) {
  CopyExamples();
  Load("CornerShop");
  Load("Warehouse");
  designer.Session().SaveProject();  // saved again: still one entry, first
  const std::string folder = RecentFolder(dir.File("Data"));
  {
    // The next run, on the same store.
    ScriptedDesignerHost otherHost;
    TDesigner next(otherHost, store, dir.Path());
    const std::vector<TRecentChoice> recent = next.Session().RecentProjects();
    ASSERT_EQ(recent.size(), 2u);
    EXPECT_EQ(recent[0].Project, (TRecentProject{"Warehouse", Listed()[1].SiteRef, folder}));
    EXPECT_EQ(recent[1].Project.FileName, "CornerShop");
    EXPECT_EQ(recent[0].Problem, "");
    EXPECT_TRUE(next.Session().OpenRecent(1));
    EXPECT_EQ(next.Session().FileName, "CornerShop");
    EXPECT_EQ(next.Session().SiteRef, Listed()[0].SiteRef);
  }
  // A project whose files went is greyed out with its reason, and not opened.
  fs::remove(DataFile("Warehouse.pjx"));
  std::vector<TRecentChoice> recent = designer.Session().RecentProjects();
  ASSERT_EQ(recent.size(), 2u);
  EXPECT_EQ(recent[0].Project.FileName, "CornerShop");
  EXPECT_EQ(recent[1].Problem, "Warehouse.pjx is not there");
  EXPECT_FALSE(designer.Session().OpenRecent(1));
  EXPECT_EQ(host.errors.back(), "Cannot open Warehouse: Warehouse.pjx is not there");
  RemoveData();
  EXPECT_EQ(designer.Session().RecentProjects()[0].Problem, "the folder " + folder + " is not there");
}

TEST_F(ProjectCopiesTest, EverySaveQuestionOffersCancelWhichKeepsTheOpenProjectAsItIs) {
  CopyExamples();
  const std::string warehouse = dir.Read("Data/Warehouse.pjx"), cornerShop = dir.Read("Data/CornerShop.pjx");
  Load("CornerShop");
  Load("Warehouse");
  Place(0, 900, 900);
  const TProjectBytes changed = designer.ProjectImage();
  host.saveAnswer = TAnswer::Cancel;
  host.onNewFile = Answer("Orvane 700", 3, "Other", "Site");
  host.onSystemFiles = Open("CornerShop");
  host.chosenFile = DataFile("CornerShop.pjx");
  const std::vector<std::pair<std::string, std::function<bool()>>> paths = {
      {"New", [&] { return (designer.Session().NewProject(), host.newFileShown > 0); }},
      {"Load", [&] { return (designer.Session().LoadProject(), host.systemFilesShown > 2); }},
      {"Open Recent", [&] { return designer.Session().OpenRecent(1); }},
      {"Open File", [&] { return designer.Session().OpenFile(); }},
      {"Exit", [&] { return designer.Session().ExitProgram(); }},
      {"the close box", [&] { return designer.Session().CloseRequested(); }},
  };
  const int systemFilesBefore = host.systemFilesShown;
  ASSERT_EQ(systemFilesBefore, 2);
  for (const auto& [path, run] : paths) {
    SCOPED_TRACE(path);
    const size_t asked = host.saveQuestions.size();
    EXPECT_FALSE(run()) << "went on after Cancel";
    ASSERT_EQ(host.saveQuestions.size(), asked + 1);
    EXPECT_EQ(host.saveQuestions.back(), "Do you want to save Warehouse");
    EXPECT_EQ(designer.Session().FileName, "Warehouse");
    EXPECT_TRUE(designer.Session().Modified());
    EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), changed));
    EXPECT_FALSE(host.closed);
  }
  EXPECT_EQ(dir.Read("Data/Warehouse.pjx"), warehouse);

  // No lets the changes go; Yes saves them first.
  host.saveAnswer = TAnswer::No;
  EXPECT_TRUE(designer.Session().OpenRecent(1));
  EXPECT_EQ(designer.Session().FileName, "CornerShop");
  EXPECT_EQ(dir.Read("Data/Warehouse.pjx"), warehouse);
  Place(0, 900, 900);
  host.saveAnswer = TAnswer::Yes;
  host.chosenFile = DataFile("Warehouse.pjx");
  EXPECT_TRUE(designer.Session().OpenFile());
  EXPECT_EQ(designer.Session().FileName, "Warehouse");
  EXPECT_NE(dir.Read("Data/CornerShop.pjx"), cornerShop);
}

TEST(RecentProjectList, KeepsEightWithoutRepeatsAndSurvivesForeignValues) {
  std::vector<TRecentProject> list;
  for (int i = 0; i < 10; ++i) list = WithRecent(list, {"P" + std::to_string(i), "s", "/d"});
  list = WithRecent(list, {"P5", "new site", "/d"});
  list = WithRecent(list, {"P9", "other folder", "/e"});
  ASSERT_EQ(list.size(), RecentProjectsMax);
  EXPECT_EQ(list[0], (TRecentProject{"P9", "other folder", "/e"}));
  EXPECT_EQ(list[1], (TRecentProject{"P5", "new site", "/d"}));
  EXPECT_EQ(list[2].FileName, "P9");
  EXPECT_EQ(list[7].FileName, "P3");

  TMemorySettingsStore store;
  WriteRecentProjects(store, list);
  EXPECT_EQ(ReadRecentProjects(store), list);
  // A value of another kind drops its entry; a count beyond eight reads eight.
  store.Put(SettingsKey, "Recent 2 Site", int32_t{5});
  store.Put(SettingsKey, "Recent Count", int32_t{1000});
  const std::vector<TRecentProject> read = ReadRecentProjects(store);
  ASSERT_EQ(read.size(), RecentProjectsMax - 1);
  EXPECT_EQ(read[1].FileName, "P9");
  store.SetUnavailable(true);
  EXPECT_TRUE(ReadRecentProjects(store).empty());
  EXPECT_EQ(RecentProjectProblem({"../x", "", "/tmp"}), "\"../x\" is not a project file name");
}

// --- a project opened from its file ---

TEST_F(ProjectCopiesTest, AProjectOpenedFromItsFileUsesItsFolderAndMakesNoIndexUntilSaveAs) {
  const std::string folder = dir.File("Elsewhere");
  fs::create_directories(folder);
  for (const char* name : {"Warehouse.dat", "Warehouse.pjx"}) fs::copy_file(ExamplesDir / name, folder + "/" + name);
  const TProjectFileChoice choice = CheckProjectFile(folder + "/Warehouse.pjx");
  ASSERT_EQ(choice.Error, "");
  designer.Session().StartUp(choice);
  TProjectSession& session = designer.Session();
  EXPECT_EQ(session.FileName, "Warehouse");
  EXPECT_EQ(session.DataDir, RecentFolder(folder));
  EXPECT_EQ(session.PanelTypeName, designer.ControlPanel()->Name);
  EXPECT_EQ(host.newFileShown + host.systemFilesShown, 0);
  session.SaveProject();
  EXPECT_FALSE(fs::exists(folder + "/Accounts.db"));
  EXPECT_FALSE(fs::exists(DataFile("Accounts.db")));

  host.onProjectName = NameAs("Warehouse2", "Unit 9");
  session.SaveProjectAs();
  std::vector<std::string> names;
  for (const std::string& line : TFileIndex(folder).ReadLines()) names.push_back(SplitIndexLine(line).FileName);
  EXPECT_EQ(names, (std::vector<std::string>{"Warehouse", "Warehouse2"}));
  EXPECT_TRUE(fs::exists(folder + "/Warehouse2.dat"));
}

TEST_F(ProjectCopiesTest, ABadOrUnloadableArgumentIsToldAndTheStartGoesOnAsUsual) {
  designer.Session().StartUp(ProjectFileFromArguments({"/nowhere/Shop.pjx"}));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_EQ(host.errors[0], "Cannot open \"/nowhere/Shop.pjx\": the file is not there");
  EXPECT_EQ(host.newFileShown, 1);  // no index: the usual start is New

  dir.Write("Data/Broken.pjx", "not a layout");
  dir.Write("Data/Broken.dat", "nor figures");
  host.errors.clear();
  designer.Session().StartUp(CheckProjectFile(DataFile("Broken.pjx")));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("Broken.pjx"), std::string::npos) << host.errors[0];
  EXPECT_EQ(host.newFileShown, 2);
  EXPECT_EQ(designer.Session().DataDir, dir.File("Data"));
}

TEST_F(ProjectCopiesTest, OpenFileOpensTheChosenProjectAndRefusesOthers) {
  CopyExamples();
  Load("CornerShop");
  host.chosenFile = DataFile("Warehouse.dat");
  EXPECT_FALSE(designer.Session().OpenFile());
  EXPECT_EQ(host.chooseFolder, dir.File("Data"));
  ASSERT_EQ(host.errors.size(), 1u);
  EXPECT_NE(host.errors[0].find("is not a project file"), std::string::npos);
  host.chosenFile = DataFile("Warehouse.pjx");
  EXPECT_TRUE(designer.Session().OpenFile());
  EXPECT_EQ(designer.Session().FileName, "Warehouse");
  EXPECT_EQ(designer.Session().SiteRef, Listed()[1].SiteRef);  // from the folder's index
  host.chosenFile.clear();
  EXPECT_FALSE(designer.Session().OpenFile());
}

TEST(ProjectFileArgument, TellsWhatIsWrongWithTheArgument) {
  TempDir dir;
  dir.Write("Shop.pjx", "x");
  dir.Write("Shop.dat", "x");
  dir.Write("Lone.pjx", "x");
  dir.Write("Bad;Name.pjx", "x");
  fs::create_directories(dir.File("Folder.pjx"));
  EXPECT_FALSE(ProjectFileFromArguments({}).Given);
  EXPECT_EQ(ProjectFileFromArguments({}).Error, "");
  const TProjectFileChoice shop = ProjectFileFromArguments({dir.File("Shop.pjx")});
  EXPECT_TRUE(shop.Given);
  EXPECT_EQ(shop.Error, "");
  EXPECT_EQ(shop.DataDir, dir.Path());
  EXPECT_EQ(shop.FileName, "Shop");
#ifdef _WIN32
  // Windows' file names do not tell case apart: "Shop.PJX" is Shop.pjx.
  EXPECT_TRUE(CheckProjectFile(dir.File("Shop.PJX")).Given);
#else
  EXPECT_TRUE(CheckProjectFile(dir.File("Shop.PJX")).Error.find("not there") != std::string::npos);
#endif
  const std::map<std::string, std::string> refused = {
      {dir.File("Shop.dat"), "is not a project file"},
      {dir.File("Lone.pjx"), "Lone.dat is not beside it"},
      {dir.File("Bad;Name.pjx"), "a project file name may hold only"},
      {dir.File("Folder.pjx"), "it is not a file"},
      {dir.File("Gone.pjx"), "the file is not there"},
      {"", "no file name was given"},
  };
  for (const auto& [path, reason] : refused) {
    const TProjectFileChoice choice = CheckProjectFile(path);
    EXPECT_FALSE(choice.Given) << path;
    EXPECT_NE(choice.Error.find(reason), std::string::npos) << path << ": " << choice.Error;
  }
  EXPECT_FALSE(ProjectFileFromArguments({dir.File("Shop.pjx"), dir.File("Shop.pjx")}).Given);
}

}  // namespace
}  // namespace voltaris::testing
