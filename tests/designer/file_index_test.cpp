#include "project_io/file_index.h"

#include <gtest/gtest.h>

#include "catalogue/byte_stream.h"
#include "test_support.h"

namespace voltaris {
namespace {

TEST(IndexLine, SplitsAtTheFirstThreeSemicolons) {
  EXPECT_EQ(SplitIndexLine("Orvane 300;Shop;Unit 4;01/02/2007"),
            (TIndexEntry{"Orvane 300", "Shop", "Unit 4", "01/02/2007"}));
  EXPECT_EQ(SplitIndexLine("a;b;c;d;e"), (TIndexEntry{"a", "b", "c", "d;e"}));
  EXPECT_EQ(SplitIndexLine("Orvane 100;Shop"), (TIndexEntry{"Orvane 100", "Shop", "", ""}));
  EXPECT_EQ(SplitIndexLine("Orvane 100"), (TIndexEntry{"Orvane 100", "", "", ""}));
  EXPECT_EQ(SplitIndexLine(""), TIndexEntry{});
}

TEST(IndexLine, FieldsAlwaysSurviveTheRoundTrip) {
  const TIndexEntry entry{"Orvane 700", "Depot", "Gate;3\r\nRear", "1.2.2007\r\n"};
  const std::string line = IndexLine(entry);
  EXPECT_EQ(line, "Orvane 700;Depot;Gate3Rear;1.2.2007");
  EXPECT_EQ(SplitIndexLine(line).SiteRef, "Gate3Rear");
}

TEST(IndexLine, OnlyFileNamesOfTheAllowedCharactersAreValid) {
  for (const char* name : {"Shop", "Unit 4", "a-b_c", "Z9", " "}) EXPECT_TRUE(IsValidFileName(name)) << name;
  for (const char* name : {"", "../Shop", "a/b", "a\\b", "C:Shop", "Shop.dat", "Shop\n", "Caf\xE9", "*"})
    EXPECT_FALSE(IsValidFileName(name)) << name;
}

class FileIndexTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
  TFileIndex index{dir.Path()};
};

TEST_F(FileIndexTest, ReadsEveryLineWhateverItsEnding) {
  dir.Write("Accounts.db", "A;1;x;d\r\nB;2;y;d\n\r\nC;3;\xE9t\xE9;d\rD;4;z;d");
  EXPECT_EQ(index.ReadLines(), (std::vector<std::string>{"A;1;x;d", "B;2;y;d", "", "C;3;\xE9t\xE9;d", "D;4;z;d"}));
  dir.Write("Accounts.db", "");
  EXPECT_TRUE(index.ReadLines().empty());
}

TEST_F(FileIndexTest, MissingFileIsAnErrorNamingIt) {
  EXPECT_FALSE(index.Exists());
  try {
    index.ReadLines();
    FAIL() << "read a missing index";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(dir.File("Accounts.db")), std::string::npos) << error.what();
  }
}

TEST_F(FileIndexTest, AppendCreatesTheFileAndNeverJoinsTwoLines) {
  index.Append("Orvane 100;Shop;Unit 4;01/02/2007");
  EXPECT_TRUE(index.Exists());
  EXPECT_EQ(dir.Read("Accounts.db"), "Orvane 100;Shop;Unit 4;01/02/2007\r\n");
  // An index whose last line lost its line break still gets the new line on a line of its own.
  dir.Write("Accounts.db", "A;1;x;d");
  index.Append("B;2;y;d");
  EXPECT_EQ(dir.Read("Accounts.db"), "A;1;x;d\r\nB;2;y;d\r\n");
}

TEST_F(FileIndexTest, RewriteReplacesTheWholeFileAndRemoveDeletesIt) {
  dir.Write("Accounts.db", "A;1;x;d\r\nB;2;y;d\r\n");
  index.Rewrite({"B;2;y;d"});
  EXPECT_EQ(dir.Read("Accounts.db"), "B;2;y;d\r\n");
  EXPECT_FALSE(dir.Exists("Accounts.db.new"));
  index.Remove();
  EXPECT_FALSE(index.Exists());
  EXPECT_NO_THROW(index.Remove());
}

TEST(FileIndex, WritingIntoAMissingDirectoryNamesTheFile) {
  TFileIndex index("/nonexistent-voltaris-dir/Data");
  EXPECT_THROW(index.Append("A;1;x;d"), FileError);
  EXPECT_THROW(index.Rewrite({"A;1;x;d"}), FileError);
}

}  // namespace
}  // namespace voltaris
