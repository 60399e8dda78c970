#include "model/load_data.h"

#include <gtest/gtest.h>

#include "catalogue/stream_string.h"

namespace voltaris {
namespace {

TDeviceDataPtr Entry(int32_t qty, int32_t grade, const std::string& name, int32_t quiescent, int32_t alarm) {
  return std::make_shared<TDeviceData>(TDeviceData{qty, grade, name, quiescent, alarm});
}

void Add(TLoadData& list, TDeviceDataPtr entry) {
  list.Text += LoadListLine(*entry) + "\r\n";
  list.Entries.push_back(std::move(entry));
}

class LoadDataTest : public ::testing::Test {
 protected:
  LoadDataTest() {
    Add(three, Entry(3, 2, "Lumen PIR", 27, 27));
    Add(three, Entry(1, 3, "Halvard S (Normal)", 18, 545));
    Add(three, Entry(2, 4, "Twinpath GSM", 150, 300));
  }
  TLoadData three;
};

TEST_F(LoadDataTest, EmptyListWritesEmptyTextAndMinusOne) {
  TLoadData empty;
  TStream stream;
  empty.WriteLoadRecord(stream);
  EXPECT_EQ(stream.Bytes(), (TBytes{0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  stream.Seek(0);
  TLoadData back;
  back.ReadLoadRecord(stream);
  EXPECT_TRUE(back.Entries.empty());
  EXPECT_EQ(back.Text, "");
}

TEST_F(LoadDataTest, RecordRoundTripsTextAndEntries) {
  TStream stream;
  three.WriteLoadRecord(stream);
  const std::string textBefore = three.Text;
  EXPECT_EQ(three.Text, textBefore);  // writing leaves the list alone
  stream.Seek(0);
  TLoadData back;
  back.ReadLoadRecord(stream);
  EXPECT_EQ(stream.Remaining(), 0u);
  EXPECT_EQ(back.Text, three.Text);  // the text, not the last entry's name
  ASSERT_EQ(back.Entries.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back.Entries[i]->Qty, three.Entries[i]->Qty);
    EXPECT_EQ(back.Entries[i]->Grade, three.Entries[i]->Grade);
    EXPECT_EQ(back.Entries[i]->Name, three.Entries[i]->Name);
    EXPECT_EQ(back.Entries[i]->Quiescent, three.Entries[i]->Quiescent);
    EXPECT_EQ(back.Entries[i]->Alarm, three.Entries[i]->Alarm);
  }
}

TEST_F(LoadDataTest, EntryFieldsAreWrittenQuiescentAlarmGradeQtyName) {
  TLoadData one;
  one.Entries.push_back(Entry(2, 4, "X", 10, 20));
  TStream stream;
  one.WriteLoadRecord(stream);
  EXPECT_EQ(stream.Bytes(), (TBytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 1,
                                    0, 0, 0, 'X', 0}));
}

TEST_F(LoadDataTest, ReadingAppendsToWhatTheListHolds) {
  TStream stream;
  three.WriteLoadRecord(stream);
  stream.Seek(0);
  three.ReadLoadRecord(stream);
  EXPECT_EQ(three.Entries.size(), 6u);
}

TEST_F(LoadDataTest, EveryTruncationFailsAndAppendsNothing) {
  TStream whole;
  three.WriteLoadRecord(whole);
  for (size_t cut = 0; cut < whole.Size(); ++cut) {
    TStream part(TBytes(whole.Bytes().begin(), whole.Bytes().begin() + cut));
    TLoadData back;
    back.Text = "kept";
    EXPECT_THROW(back.ReadLoadRecord(part), StreamError) << cut;
    EXPECT_TRUE(back.Entries.empty());
    EXPECT_EQ(back.Text, "kept");
  }
}

TEST_F(LoadDataTest, CorruptCountsAreRejectedBeforeAnyAllocation) {
  for (int32_t last : {-2, -1000, 2, 0x7FFFFFFE, 0x7FFFFFFF}) {
    TStream stream;
    WriteStreamString(stream, "");
    stream.WriteInt32(last);
    stream.WriteInt32(1);  // a few stray bytes, far too few for the count
    stream.Seek(0);
    TLoadData back;
    EXPECT_THROW(back.ReadLoadRecord(stream), StreamError) << last;
    EXPECT_TRUE(back.Entries.empty());
  }
}

TEST_F(LoadDataTest, SummaryHasABlankLineAndOneLinePerEntry) {
  TStringList lines;
  TLoadData empty;
  empty.WriteSummary(lines, "     ");
  EXPECT_TRUE(lines.empty());

  TLoadData two;
  Add(two, Entry(3, 2, "Lumen PIR", 27, 27));
  Add(two, Entry(1, 3, "Halvard S (Normal)", 18, 545));
  two.WriteSummary(lines, "     ");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "     Lumen PIR (3 off)  Total Current 27mA,  Total Alarm Current 27mA, ");
  EXPECT_EQ(lines[2], "     Halvard S (Normal) (1 off)  Total Current 18mA,  Total Alarm Current 545mA, ");
}

TEST_F(LoadDataTest, LinesCarryTheirEntriesAndComeBackInLineOrder) {
  TLoadLines lines = three.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].Text, "1\tHalvard S (Normal)\t3\t18 mA\t545 mA");
  EXPECT_EQ(lines[1].Entry, three.Entries[1]);
  std::swap(lines[0], lines[2]);
  lines.pop_back();
  three.TakeLines(lines);
  ASSERT_EQ(three.Entries.size(), 2u);
  EXPECT_EQ(three.Entries[0]->Name, "Twinpath GSM");
  EXPECT_EQ(three.Text, "2\tTwinpath GSM\t4\t150 mA\t300 mA\r\n1\tHalvard S (Normal)\t3\t18 mA\t545 mA\r\n");
  EXPECT_EQ(three.LowestGrade(), 3);
  EXPECT_EQ(three.TotalQuiescent(), 168);
  EXPECT_EQ(three.TotalAlarm(), 845);
}

TEST_F(LoadDataTest, TextThatDoesNotMatchTheEntriesNeverLosesAnEntry) {
  three.Text = "only one line\r\n";
  const TLoadLines lines = three.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, LoadListLine(*three.Entries[0]));
}

TEST_F(LoadDataTest, LowestGradeIgnoresSignallingUnits) {
  TLoadData list;
  EXPECT_EQ(list.LowestGrade(), 3);
  list.Entries.push_back(Entry(1, 4, "Twinpath Plus", 230, 230));
  EXPECT_EQ(list.LowestGrade(), 3);
  list.Entries.push_back(Entry(1, 2, "Lumen PIR", 9, 9));
  EXPECT_EQ(list.LowestGrade(), 2);
}

TEST(SplitLines, AcceptsEveryLineEnding) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (TStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), TStringList{"a"});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (TStringList{"", ""}));
  EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
}  // namespace voltaris
