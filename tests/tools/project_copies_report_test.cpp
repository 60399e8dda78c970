// A project saved under a new name or duplicated in System Files gives the
// report tool the same design as the original: its JSON is equal (it
// carries neither the file name nor the site reference), and the index
// lists the copy with its own name, site reference, panel type and date.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "tests/designer/designer_fixture.h"

namespace voltaris::testing {
namespace {

namespace fs = std::filesystem;

// What `voltaris-report --json` prints for project `name` of `dataDir`.
std::string ReportJson(const std::string& dataDir, const std::string& name) {
  const std::string command = std::string(VOLTARIS_REPORT) + " --json --data '" + dataDir + "' " + name;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
  std::string out;
  std::array<char, 4096> buffer;
  size_t got;
  while ((got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) out.append(buffer.data(), got);
  const int status = pclose(pipe.release());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command << "\n" << out;
  return out;
}

class ProjectCopiesReportTest : public DesignerTest, public ::testing::WithParamInterface<const char*> {
 protected:
  ProjectCopiesReportTest() {
    for (const char* file : {"CornerShop.dat", "CornerShop.pjx", "Warehouse.dat", "Warehouse.pjx", "Accounts.db"})
      fs::copy_file(fs::path(VOLTARIS_EXAMPLES) / file, DataFile(file));
  }
  TIndexEntry Line(const std::string& file) const {
    for (const std::string& line : TFileIndex(dir.File("Data")).ReadLines())
      if (SplitIndexLine(line).FileName == file) return SplitIndexLine(line);
    ADD_FAILURE() << file << " is not listed";
    return {};
  }
};

TEST_P(ProjectCopiesReportTest, SaveAsGivesTheSameDesignUnderItsOwnLine) {
  const std::string name = GetParam();
  const std::string original = ReportJson(dir.File("Data"), name);
  const TIndexEntry before = Line(name);
  Load(name);
  host.onProjectName = NameAs(name + "Copy", "Another site");
  designer.Session().SaveProjectAs();
  EXPECT_EQ(designer.Session().FileName, name + "Copy");
  EXPECT_EQ(ReportJson(dir.File("Data"), name + "Copy"), original);
  EXPECT_EQ(ReportJson(dir.File("Data"), name), original);
  EXPECT_EQ(Line(name + "Copy"), (TIndexEntry{before.PanelType, name + "Copy", "Another site", "01/02/2027"}));
  EXPECT_EQ(Line(name), before);
}

TEST_P(ProjectCopiesReportTest, DuplicateGivesTheSameDesignUnderItsOwnLine) {
  const std::string name = GetParam();
  const std::string original = ReportJson(dir.File("Data"), name);
  const TIndexEntry before = Line(name);
  TSystemFilesPresenter& dialog = designer.Session().SystemFilesDialog();
  ASSERT_TRUE(dialog.Show());
  for (size_t i = 0; i < dialog.Rows().size(); ++i)
    if (dialog.Rows()[i].FileName == name) dialog.Select(static_cast<int>(i));
  ASSERT_TRUE(dialog.Duplicate(NameAs(name + "Twin", "Next door"), "05/06/2027"));
  EXPECT_EQ(ReportJson(dir.File("Data"), name + "Twin"), original);
  EXPECT_EQ(Line(name + "Twin"), (TIndexEntry{before.PanelType, name + "Twin", "Next door", "05/06/2027"}));
  EXPECT_EQ(Line(name), before);
}

INSTANTIATE_TEST_SUITE_P(Examples, ProjectCopiesReportTest, ::testing::Values("CornerShop", "Warehouse"));

}  // namespace
}  // namespace voltaris::testing
