// The New File and System Files dialogs, driven as a user drives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "designer/file_index.h"
#include "designer/new_file_presenter.h"
#include "designer/system_files_presenter.h"
#include "test_support.h"

namespace voltaris {
namespace {

int IndexOf(const TStringList& list, const std::string& text) {
  const auto found = std::find(list.begin(), list.end(), text);
  return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

// A data directory and the New File dialog over it, with the catalogue's
// filter variables holding what the previous project left there.
class NewFileTest : public ::testing::Test {
 protected:
  NewFileTest() {
    CurrentGrade = 2;
    CurrentPanelType = 7;
    dialog.SetCancelResult(TModalResult::Cancel);
    dialog.Show();
  }
  void ChoosePanel(const std::string& name) { dialog.ChoosePanelType(IndexOf(dialog.PanelTypes(), name)); }
  // Fills every field validly: grade 2, Orvane 400, Shop.
  void FillIn() {
    dialog.TypeSiteRef("Unit 4");
    ChoosePanel("Orvane 400");
    dialog.ChooseGrade(1);
    dialog.TypeFileName("Shop");
  }

  testing::TempDir dir;
  testing::RecordingSink sink;
  TNewFilePresenter dialog{dir.Path(), sink};
};

TEST_F(NewFileTest, ShowingOffersEverySelectablePanelAndThreeGrades) {
  EXPECT_EQ(CurrentGrade, -1);
  EXPECT_EQ(CurrentPanelType, -1);
  EXPECT_EQ(dialog.PanelTypes().size(), 9u);
  EXPECT_EQ(dialog.PanelTypes().front(), "Orvane 100");
  EXPECT_EQ(dialog.Grades(), (TStringList{"Grade 1", "Grade 2", "Grade 3"}));
  EXPECT_EQ(dialog.PanelTypeIndex(), -1);
  EXPECT_EQ(dialog.GradeIndex(), -1);
  EXPECT_EQ(dialog.Focus(), TNewFilePresenter::TControl::SiteRef);

  // A second showing starts afresh.
  FillIn();
  dialog.Show();
  EXPECT_EQ(dialog.SiteRef(), "");
  EXPECT_EQ(dialog.FileName(), "");
  EXPECT_EQ(dialog.PanelTypeIndex(), -1);
  EXPECT_EQ(dialog.Result(), TModalResult::None);
}

TEST_F(NewFileTest, GradeFiltersThePanelListAndKeepsAChosenPanelStillListed) {
  dialog.ChooseGrade(2);
  EXPECT_EQ(CurrentGrade, 3);
  EXPECT_EQ(dialog.PanelTypes(), (TStringList{"Orvane 300 Metal", "Orvane 400", "Orvane 500", "Orvane 600",
                                              "Orvane 700"}));
  ChoosePanel("Orvane 400");
  EXPECT_EQ(CurrentPanelType, 10);
  dialog.ChooseGrade(2);
  EXPECT_EQ(dialog.PanelTypeText(), "Orvane 400");
  dialog.ChooseGrade(0);
  EXPECT_EQ(dialog.PanelTypeText(), "Orvane 400");
  EXPECT_EQ(dialog.PanelTypes().size(), 9u);

  // A panel of highest grade 2 offers two grades; a stale third position chooses nothing.
  ChoosePanel("Orvane 100");
  EXPECT_EQ(CurrentPanelType, 5);
  EXPECT_EQ(dialog.Grades(), (TStringList{"Grade 1", "Grade 2"}));
  dialog.ChooseGrade(2);
  EXPECT_EQ(dialog.GradeIndex(), -1);
  EXPECT_EQ(CurrentGrade, 1);
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
  EXPECT_EQ(sink.errors, (std::vector<std::string>{"Choose panel type", "Select system grade", "File name Required"}));
  EXPECT_TRUE(sink.warnings.empty());
  EXPECT_EQ(dialog.Result(), TModalResult::None);

  dialog.TypeFileName("Depot");
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.Result(), TModalResult::OK);
  EXPECT_EQ(CurrentPanelType, 11);
  EXPECT_EQ(CurrentGrade, 2);
}

TEST_F(NewFileTest, ExistingProjectNameIsWarnedAboutAndEmptied) {
  dir.Write("Shop.dat", "");
  FillIn();
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(sink.warnings, (std::vector<std::string>{"File name \"Shop\" already exists"}));
  EXPECT_EQ(dialog.FileName(), "");
  EXPECT_EQ(dialog.Focus(), TNewFilePresenter::TControl::FileName);
  dialog.TypeFileName("Shop 2");
  EXPECT_TRUE(dialog.Ok());
}

TEST_F(NewFileTest, TypedTextIsFilteredSoNamesAndSiteReferencesStaySafe) {
  dialog.TypeFileName("a;b/c");
  EXPECT_EQ(dialog.FileName(), "abc");
  dialog.TypeFileName("\b.\\");  // backspace and path characters are discarded
  EXPECT_EQ(dialog.FileName(), "abc");
  dialog.SetFileName("../etc x_1");  // pasted text goes through the same filter
  EXPECT_EQ(dialog.FileName(), "etc x_1");

  dialog.TypeSiteRef("Unit;4, Mill Rd");
  EXPECT_EQ(dialog.SiteRef(), "Unit4, Mill Rd");
  dialog.SetSiteRef("Gate;3\r\n");
  const TIndexEntry entry{"Orvane 400", dialog.FileName(), dialog.SiteRef(), "01/02/2007"};
  EXPECT_EQ(SplitIndexLine(IndexLine(entry)), entry);
}

TEST_F(NewFileTest, CancelRestoresTheFilterAndGivesTheCallersResult) {
  FillIn();
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::Cancel);
  EXPECT_EQ(CurrentGrade, 2);
  EXPECT_EQ(CurrentPanelType, 7);

  dialog.SetCancelResult(TModalResult::No);
  dialog.Show();
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::No);
}

// A data directory holding the projects Shop and Depot and their index.
class SystemFilesTest : public ::testing::Test {
 protected:
  SystemFilesTest() {
    for (const char* file : {"Shop.pjx", "Shop.dat", "Depot.pjx", "Depot.dat"}) dir.Write(file, "x");
    dir.Write("Accounts.db", "Orvane 300;Shop;Unit 4;01/02/2007\r\nOrvane 700;Depot;Gate 3;02/02/2007\r\n");
  }
  testing::TempDir dir;
  testing::RecordingSink sink;
  TSystemFilesPresenter dialog{dir.Path(), sink};
};

TEST_F(SystemFilesTest, OkOpensTheChosenRow) {
  ASSERT_TRUE(dialog.Show());
  ASSERT_EQ(dialog.Rows().size(), 2u);
  EXPECT_EQ(dialog.Rows()[1], (TIndexEntry{"Orvane 700", "Depot", "Gate 3", "02/02/2007"}));
  EXPECT_FALSE(dialog.Ok());  // nothing chosen: nothing happens
  EXPECT_EQ(dialog.Result(), TModalResult::None);
  dialog.Select(0);
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.Result(), TModalResult::OK);
  EXPECT_EQ(dialog.PanelTypeName(), "Orvane 300");
  EXPECT_EQ(dialog.FileName(), "Shop");
  EXPECT_EQ(dialog.SiteRef(), "Unit 4");
  EXPECT_TRUE(dir.Exists("Accounts.db"));
}

TEST_F(SystemFilesTest, ShortLineOpensWithEmptyFields) {
  dir.Write("Accounts.db", "Orvane 100;Shop");
  ASSERT_TRUE(dialog.Show());
  dialog.Select(0);
  ASSERT_TRUE(dialog.Ok());
  EXPECT_EQ(dialog.FileName(), "Shop");
  EXPECT_EQ(dialog.SiteRef(), "");
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
  ASSERT_TRUE(dialog.Show());
  dialog.Delete();  // nothing chosen: nothing happens
  dialog.Select(0);
  dialog.Delete();
  EXPECT_TRUE(sink.errors.empty());
  EXPECT_FALSE(dir.Exists("Shop.dat"));
  EXPECT_TRUE(dir.Exists("Depot.pjx"));
  EXPECT_TRUE(dir.Exists("Depot.dat"));
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 700;Depot;Gate 3;02/02/2007\r\n");
  EXPECT_EQ(dialog.Rows().size(), 1u);
  EXPECT_EQ(dialog.SelectedRow(), -1);
  dialog.Cancel();
  EXPECT_TRUE(dir.Exists("Accounts.db"));  // rows remain, so the index stays
}

TEST_F(SystemFilesTest, ClosingWithNoRowsLeftDeletesTheIndex) {
  dir.Write("Accounts.db", "Orvane 300;Shop;Unit 4;01/02/2007\r\n");
  dialog.SetCancelResult(TModalResult::No);
  ASSERT_TRUE(dialog.Show());
  dialog.Select(0);
  dialog.Delete();
  dialog.Cancel();
  EXPECT_EQ(dialog.Result(), TModalResult::No);
  EXPECT_FALSE(dir.Exists("Accounts.db"));

  // The same through "New".
  dir.Write("Accounts.db", "Orvane 700;Depot;Gate 3;02/02/2007\r\n");
  ASSERT_TRUE(dialog.Show());
  dialog.Select(0);
  dialog.Delete();
  dialog.New();
  EXPECT_EQ(dialog.Result(), TModalResult::New);
  EXPECT_FALSE(dir.Exists("Accounts.db"));
}

TEST_F(SystemFilesTest, RowWithAnUnsafeFileNameIsNeitherOpenedNorDeleted) {
  // A hand-edited line pointing outside the data directory.
  std::filesystem::create_directories(dir.File("Data"));
  TSystemFilesPresenter inner{dir.File("Data"), sink};
  const std::string index = "Orvane 300;../Shop;Unit 4;01/02/2007\r\n;;;\r\n";
  dir.Write("Data/Accounts.db", index);
  ASSERT_TRUE(inner.Show());
  for (int row : {0, 1}) {
    inner.Select(row);
    EXPECT_FALSE(inner.Ok());
    inner.Delete();
  }
  EXPECT_EQ(sink.errors.size(), 4u);
  EXPECT_NE(sink.errors[0].find("\"../Shop\""), std::string::npos) << sink.errors[0];
  EXPECT_TRUE(dir.Exists("Shop.dat"));
  EXPECT_TRUE(dir.Exists("Shop.pjx"));
  EXPECT_EQ(dir.Read("Data/Accounts.db"), index);
  EXPECT_EQ(inner.Rows().size(), 2u);
  EXPECT_EQ(inner.Result(), TModalResult::None);
}

TEST_F(SystemFilesTest, ProjectFileThatCannotBeDeletedKeepsItsLine) {
  std::filesystem::remove(dir.File("Shop.dat"));
  std::filesystem::create_directories(dir.File("Shop.dat/inside"));  // a directory cannot be removed as a file
  ASSERT_TRUE(dialog.Show());
  dialog.Select(0);
  dialog.Delete();
  ASSERT_EQ(sink.errors.size(), 1u);
  EXPECT_NE(sink.errors[0].find("Shop.dat"), std::string::npos);
  EXPECT_EQ(dialog.Rows().size(), 2u);
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 300;Shop;Unit 4;01/02/2007\r\nOrvane 700;Depot;Gate 3;02/02/2007\r\n");
}

}  // namespace
}  // namespace voltaris
