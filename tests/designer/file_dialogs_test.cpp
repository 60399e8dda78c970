// The New File and System Files dialogs, driven as a user drives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "designer/dialogs/new_file_presenter.h"
#include "designer/dialogs/system_files_presenter.h"
#include "project_io/file_index.h"
#include "storage/project_lock.h"
#include "test_support.h"

namespace voltaris {
namespace {

using Texts = std::vector<std::string>;

// The New File dialog over an empty data directory.
class NewFileTest : public ::testing::Test {
 protected:
  NewFileTest() { dialog.Show(); }
  void ChoosePanel(const std::string& name) {
    const TStringList& list = dialog.PanelTypes();
    dialog.ChoosePanelType(static_cast<int>(std::find(list.begin(), list.end(), name) - list.begin()));
  }
  void FillIn() {  // every field valid: Orvane 400 at grade 2, "Shop"
    dialog.TypeSiteRef("Unit 4");
    ChoosePanel("Orvane 400");
    dialog.ChooseGrade(1);
    dialog.TypeFileName("Shop");
  }

  testing::TempDir dir;
  testing::RecordingSink sink;
  TNewFilePresenter dialog{dir.Path(), sink};
};

TEST_F(NewFileTest, GradeAndPanelChoicesFilterEachOther) {
  EXPECT_EQ(dialog.Filter().CurrentGrade, -1);
  EXPECT_EQ(dialog.Filter().CurrentPanelType, -1);
  EXPECT_EQ(dialog.PanelTypes().size(), 9u);
  EXPECT_EQ(dialog.Grades(), (TStringList{"Grade 1", "Grade 2", "Grade 3"}));

  dialog.ChooseGrade(2);  // grade 3 drops every panel of highest grade 2
  EXPECT_EQ(dialog.PanelTypes(), (TStringList{"Orvane 300 Metal", "Orvane 400", "Orvane 500", "Orvane 600",
                                              "Orvane 700"}));
  ChoosePanel("Orvane 400");
  EXPECT_EQ(dialog.Filter().CurrentPanelType, 10);
  dialog.ChooseGrade(0);  // a chosen panel still listed stays chosen
  EXPECT_EQ(dialog.PanelTypeText(), "Orvane 400");
  EXPECT_EQ(dialog.PanelTypes().size(), 9u);

  ChoosePanel("Orvane 100");  // highest grade 2: two grades, the grade choice cleared
  EXPECT_EQ(dialog.Grades(), (TStringList{"Grade 1", "Grade 2"}));
  EXPECT_EQ(dialog.GradeIndex(), -1);
  dialog.ChooseGrade(2);  // a position no longer listed chooses nothing
  EXPECT_EQ(dialog.GradeIndex(), -1);

  dialog.Show();  // every showing starts afresh
  EXPECT_EQ(dialog.PanelTypeIndex(), -1);
  EXPECT_EQ(dialog.Focus(), TNewFilePresenter::TControl::SiteRef);
}

TEST_F(NewFileTest, OkChecksRunInOrderWithTheirExactMessages) {
  dialog.TypeFileName("Shop");
  EXPECT_FALSE(dialog.Ok());
  ChoosePanel("Orvane 400");
  dialog.ChooseGrade(1);
  ChoosePanel("Orvane 500");  // choosing a panel after a grade clears the grade
  EXPECT_FALSE(dialog.Ok());
  dialog.ChooseGrade(1);
  dialog.SetFileName("");
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(sink.errors, (Texts{"Choose panel type", "Select system grade", "File name Required"}));
  EXPECT_EQ(dialog.Result(), TModalResult::None);

  dialog.TypeFileName("Depot");
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.Result(), TModalResult::OK);
  EXPECT_EQ(dialog.Filter().CurrentPanelType, 11);
  EXPECT_EQ(dialog.Filter().CurrentGrade, 2);
}

TEST_F(NewFileTest, AFileNameNeedsALetterOrDigitAndNoSpaceAtEitherEnd) {
  FillIn();
  for (const char* name : {"   ", "-", "_ -_", " Shop", "Shop ", " "}) {
    dialog.SetFileName(name);
    EXPECT_FALSE(dialog.Ok()) << '"' << name << '"';
    EXPECT_EQ(dialog.Focus(), TNewFilePresenter::TControl::FileName);
    EXPECT_EQ(dialog.FileName(), name);  // kept, to be put right
  }
  EXPECT_EQ(sink.errors,
            (Texts{"File name needs a letter or a digit", "File name needs a letter or a digit",
                   "File name needs a letter or a digit", "File name must not start or end with a space",
                   "File name must not start or end with a space", "File name needs a letter or a digit"}));
  EXPECT_EQ(dialog.Result(), TModalResult::None);
  for (const char* name : {"7", "Unit 4 - B_2", "x"}) {
    dialog.SetFileName(name);
    EXPECT_TRUE(dialog.Ok()) << name;
  }
}

TEST_F(NewFileTest, ExistingProjectNameIsWarnedAboutAndEmptied) {
  dir.Write("Shop.dat", "");
  FillIn();
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(sink.warnings, (Texts{"File name \"Shop\" already exists"}));
  EXPECT_EQ(dialog.FileName(), "");
  EXPECT_EQ(dialog.Focus(), TNewFilePresenter::TControl::FileName);
  dialog.TypeFileName("Shop 2");
  EXPECT_TRUE(dialog.Ok());
}

TEST_F(NewFileTest, TypedTextIsFilteredSoNamesAndSiteReferencesStaySafe) {
  dialog.TypeFileName("a;b/c\b.\\");  // backspace and path characters are discarded too
  EXPECT_EQ(dialog.FileName(), "abc");
  dialog.SetFileName("../etc x_1");  // pasted text goes through the same filter
  EXPECT_EQ(dialog.FileName(), "etc x_1");

  dialog.TypeSiteRef("Unit;4, Mill Rd");
  EXPECT_EQ(dialog.SiteRef(), "Unit4, Mill Rd");
  dialog.SetSiteRef("Gate;3\r\n");
  const TIndexEntry entry{"Orvane 400", dialog.FileName(), dialog.SiteRef(), "01/02/2007"};
  EXPECT_EQ(SplitIndexLine(IndexLine(entry)), entry);
}

TEST_F(NewFileTest, CancelGivesTheCallersResultAndAFreshShowingStartsOver) {
  FillIn();
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::Cancel);
  dialog.SetCancelResult(TModalResult::No);
  dialog.Show();
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::No);
}

// The projects Shop and Depot with their files and index.
class SystemFilesTest : public ::testing::Test {
 protected:
  SystemFilesTest() {
    for (const char* file : {"Shop.pjx", "Shop.dat", "Depot.pjx", "Depot.dat"}) dir.Write(file, "x");
    dir.Write("Accounts.db", index);
  }
  // Shows the dialog, chooses a row and presses a button.
  void Press(int row, void (TSystemFilesPresenter::*button)()) {
    ASSERT_TRUE(dialog.Show());
    dialog.Select(row);
    (dialog.*button)();
  }

  const std::string index = "Orvane 300;Shop;Unit 4;01/02/2007\r\nOrvane 700;Depot;Gate 3;02/02/2007\r\n";
  testing::TempDir dir;
  testing::RecordingSink sink;
  TSystemFilesPresenter dialog{dir.Path(), sink};
};

TEST_F(SystemFilesTest, OkOpensTheChosenRow) {
  ASSERT_TRUE(dialog.Show());
  EXPECT_EQ(dialog.Rows()[1], (TIndexEntry{"Orvane 700", "Depot", "Gate 3", "02/02/2007"}));
  EXPECT_FALSE(dialog.Ok());  // nothing chosen: nothing happens
  dialog.Select(0);
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.Result(), TModalResult::OK);
  EXPECT_EQ(dialog.PanelTypeName() + "|" + dialog.FileName() + "|" + dialog.SiteRef(), "Orvane 300|Shop|Unit 4");

  dir.Write("Accounts.db", "Orvane 100;Depot");  // too few fields: the missing ones are empty
  ASSERT_TRUE(dialog.Show());
  dialog.Select(0);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.FileName() + "|" + dialog.SiteRef(), "Depot|");
}

TEST_F(SystemFilesTest, UnreadableIndexIsReportedAndTheDialogDoesNotOpen) {
  std::filesystem::remove(dir.File("Accounts.db"));
  EXPECT_FALSE(dialog.Show());
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_NE(sink.errors[0].find("Accounts.db"), std::string::npos);
  EXPECT_EQ(dialog.Result(), TModalResult::None);
}

TEST_F(SystemFilesTest, DeleteRemovesTheProjectFilesAndItsLine) {
  std::filesystem::remove(dir.File("Shop.pjx"));  // a missing file is ignored
  Press(0, &TSystemFilesPresenter::Delete);
  EXPECT_TRUE(sink.errors.empty());
  EXPECT_FALSE(dir.Exists("Shop.dat"));
  EXPECT_TRUE(dir.Exists("Depot.pjx") && dir.Exists("Depot.dat"));
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 700;Depot;Gate 3;02/02/2007\r\n");
  EXPECT_EQ(dialog.SelectedRow(), -1);
  dialog.Delete();  // nothing chosen: nothing happens
  EXPECT_EQ(dialog.Rows().size(), 1u);
  dialog.New();  // rows remain, so the index stays
  EXPECT_EQ(dialog.Result(), TModalResult::New);
  EXPECT_TRUE(dir.Exists("Accounts.db"));
}

TEST_F(SystemFilesTest, DeleteTakesTheCopiesASaveLeftAsideSoThatNothingComesBack) {
  // Loading falls back to the ".old" copies when a file is missing: left
  // behind, they would bring the deleted project back under its name.
  for (const char* file : {"Shop.dat.old", "Shop.pjx.old", "Shop.dat.new", "Shop.saving"}) dir.Write(file, "x");
  Press(0, &TSystemFilesPresenter::Delete);
  EXPECT_TRUE(sink.errors.empty());
  for (const char* file : {"Shop.dat", "Shop.pjx", "Shop.dat.old", "Shop.pjx.old", "Shop.dat.new", "Shop.saving"})
    EXPECT_FALSE(dir.Exists(file)) << file;
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 700;Depot;Gate 3;02/02/2007\r\n");
  // A copy that cannot go keeps the project whole and its row.
  dir.Write("Depot.dat.old", "x");
  std::filesystem::create_directories(dir.File("Depot.pjx.old/inside"));
  Press(0, &TSystemFilesPresenter::Delete);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_NE(sink.errors[0].find("Depot.pjx.old"), std::string::npos) << sink.errors[0];
  EXPECT_TRUE(dir.Exists("Depot.dat") && dir.Exists("Depot.pjx") && dir.Exists("Depot.dat.old"));
  EXPECT_EQ(dialog.Rows().size(), 1u);
}

TEST_F(SystemFilesTest, ClosingWithNoRowsLeftDeletesTheIndex) {
  dir.Write("Accounts.db", "Orvane 300;Shop;Unit 4;01/02/2007\r\n");
  dialog.SetCancelResult(TModalResult::No);
  Press(0, &TSystemFilesPresenter::Delete);
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::No);
  EXPECT_FALSE(dir.Exists("Accounts.db"));
}

TEST_F(SystemFilesTest, RowWithAnUnsafeFileNameIsNeitherOpenedNorDeleted) {
  // Hand-edited lines, one pointing outside the data directory at Shop.
  std::filesystem::create_directories(dir.File("Data"));
  const std::string unsafe = "Orvane 300;../Shop;Unit 4;01/02/2007\r\n;;;\r\n";
  dir.Write("Data/Accounts.db", unsafe);
  TSystemFilesPresenter inner{dir.File("Data"), sink};
  ASSERT_TRUE(inner.Show());
  for (int row : {0, 1}) {
    inner.Select(row);
    EXPECT_FALSE(inner.Ok());
    inner.Delete();
  }
  EXPECT_EQ(sink.errors.size(), 4u);
  EXPECT_NE(sink.errors[0].find("\"../Shop\""), std::string::npos) << sink.errors[0];
  EXPECT_TRUE(dir.Exists("Shop.dat") && dir.Exists("Shop.pjx"));
  EXPECT_EQ(dir.Read("Data/Accounts.db"), unsafe);
  EXPECT_EQ(inner.Result(), TModalResult::None);
}

TEST_F(SystemFilesTest, AProjectAnotherDesignerHoldsIsNotDeleted) {
  {
    TProjectLock other(LockPath(dir.Path(), "Shop"));
    ASSERT_EQ(other.Take(), TLockStatus::Taken);
    Press(0, &TSystemFilesPresenter::Delete);
    ASSERT_EQ(sink.warnings.size(), 1u);
    EXPECT_EQ(sink.warnings[0], "Shop is open in another designer (" + HolderText(ThisProcess()) +
                                    ") and cannot be deleted while it is open.");
    EXPECT_TRUE(sink.questions.empty());
    EXPECT_TRUE(dir.Exists("Shop.dat") && dir.Exists("Shop.pjx"));
    EXPECT_EQ(dir.Read("Accounts.db"), index);
  }
  // Closed there, it is asked about and deleted, and no lock is left behind.
  dialog.Delete();
  EXPECT_EQ(sink.questions.size(), 1u);
  EXPECT_FALSE(dir.Exists("Shop.dat") || dir.Exists("Shop.pjx") || dir.Exists("Shop.lock"));
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 700;Depot;Gate 3;02/02/2007\r\n");
}

TEST_F(SystemFilesTest, ProjectFileThatCannotBeDeletedKeepsItsLine) {
  std::filesystem::remove(dir.File("Shop.dat"));
  std::filesystem::create_directories(dir.File("Shop.dat/inside"));  // cannot be removed as a file
  Press(0, &TSystemFilesPresenter::Delete);
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_NE(sink.errors[0].find("Shop.dat"), std::string::npos);
  EXPECT_EQ(dialog.Rows().size(), 2u);
  EXPECT_EQ(dir.Read("Accounts.db"), index);
}

}  // namespace
}  // namespace voltaris
