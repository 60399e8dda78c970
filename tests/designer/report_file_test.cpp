// Saving the system report as a text file.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/byte_stream.h"
#include "project_io/report_file.h"
#include "test_support.h"

namespace voltaris {
namespace {

TEST(ReportFile, EveryLineEndsInCrLfWhateverTheEditorLeft) {
  EXPECT_EQ(ReportFileText("a\r\nb\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(ReportFileText("one\n\ntwo\r\n"), "one\r\n\r\ntwo\r\n");
  EXPECT_EQ(ReportFileText("\r\r\n"), "\r\n\r\n");  // a lone CR, then CR LF: two empty lines
  EXPECT_EQ(ReportFileText(""), "");
}

TEST(ReportFile, NameWithoutExtensionGetsTxt) {
  EXPECT_EQ(ReportFilePath("/data/Shop"), "/data/Shop.txt");
  EXPECT_EQ(ReportFilePath("/data/Shop.txt"), "/data/Shop.txt");
  EXPECT_EQ(ReportFilePath("/data/Shop.log"), "/data/Shop.log");
  EXPECT_EQ(ReportFilePath("/data/v1.2/Shop"), "/data/v1.2/Shop.txt");  // a dot in a folder is no extension
  EXPECT_EQ(ReportFilePath(""), "");
}

TEST(ReportFile, SaveReplacesAnExistingFileAndLeavesNothingBeside) {
  testing::TempDir dir;
  dir.Write("Shop.txt", "an older, longer report that must not survive");
  SaveReportText(dir.File("Shop.txt"), "System Report for Unit 4\nPanel: Orvane 400");
  EXPECT_EQ(dir.Read("Shop.txt"), "System Report for Unit 4\r\nPanel: Orvane 400\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ReportFile, FailedSaveNamesTheFileAndKeepsTheOldOne) {
  testing::TempDir dir;
  const std::string missingFolder = dir.File("gone") + "/Shop.txt";
  try {
    SaveReportText(missingFolder, "text");
    FAIL() << "a report saved into a folder that does not exist";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(missingFolder), std::string::npos) << error.what();
  }

  // The target is a folder: nothing can be renamed over it, and it stays.
  std::filesystem::create_directory(dir.File("Shop.txt"));
  EXPECT_THROW(SaveReportText(dir.File("Shop.txt"), "text"), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Shop.txt")));
  EXPECT_FALSE(dir.Exists("Shop.txt.saving"));
}

}  // namespace
}  // namespace voltaris
