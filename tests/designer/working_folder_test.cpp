// The first start of the installed designer: the working folder, its Data
// folder with the example projects and the supply palette, made once and
// never made again over the user's own files.
#include "storage/working_folder.h"

#include <filesystem>

#include "tests/designer/test_support.h"

namespace voltaris::testing {

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct WorkingFolderTest : ::testing::Test {
  TempDir dir;
  fs::path Home() const { return fs::path(dir.Path()) / "Documents" / "Voltaris"; }
  fs::path Examples() const { return fs::path(VOLTARIS_EXAMPLES); }
  fs::path Palette() const { return fs::path(VOLTARIS_PALETTE); }
};

}  // namespace

TEST_F(WorkingFolderTest, AFirstStartGetsTheExamplesAndThePalette) {
  ASSERT_EQ(PrepareWorkingFolder(Home(), Examples(), Palette()), "");
  for (const char* name : {"Accounts.db", "CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx"}) {
    EXPECT_EQ(ReadFile(Home() / "Data" / name), ReadFile(Examples() / name)) << name;
  }
  EXPECT_TRUE(fs::exists(Home() / "Colors.dat"));
  EXPECT_EQ(ReadFile(Home() / "Colors.dat"), ReadFile(Palette()));
}

TEST_F(WorkingFolderTest, TheUsersFilesAreNeverReplaced) {
  ASSERT_EQ(PrepareWorkingFolder(Home(), Examples(), Palette()), "");
  // The user deletes an example, changes another and the palette.
  fs::remove(Home() / "Data" / "CornerShop.dat");
  fs::remove(Home() / "Data" / "CornerShop.pjx");
  dir.Write("Documents/Voltaris/Data/Warehouse.pjx", "mine");
  dir.Write("Documents/Voltaris/Colors.dat", "my colours");
  ASSERT_EQ(PrepareWorkingFolder(Home(), Examples(), Palette()), "");
  EXPECT_FALSE(fs::exists(Home() / "Data" / "CornerShop.dat"));
  EXPECT_EQ(dir.Read("Documents/Voltaris/Data/Warehouse.pjx"), "mine");
  EXPECT_EQ(dir.Read("Documents/Voltaris/Colors.dat"), "my colours");
}

TEST_F(WorkingFolderTest, MissingExamplesStartEmptyAndABlockedFolderIsNamed) {
  ASSERT_EQ(PrepareWorkingFolder(Home(), fs::path(dir.Path()) / "none", fs::path(dir.Path()) / "none.dat"), "");
  EXPECT_TRUE(fs::is_directory(Home() / "Data"));
  EXPECT_TRUE(fs::is_empty(Home() / "Data"));
  EXPECT_FALSE(fs::exists(Home() / "Colors.dat"));

  // A file where the working folder should be.
  dir.Write("blocked", "x");
  const std::string error = PrepareWorkingFolder(fs::path(dir.Path()) / "blocked", Examples(), Palette());
  EXPECT_NE(error.find("Cannot make the folder"), std::string::npos) << error;
  EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

}  // namespace voltaris::testing
