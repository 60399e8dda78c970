#include "designer/component_record.h"

#include <gtest/gtest.h>

#include <climits>

#include "test_support.h"

namespace voltaris {
namespace {

const std::vector<std::string> TileClasses = {"TPanel300Network", "TPSU", "TPSUClone", "TVududa", "TNetDevice"};

// Builds expected record bytes piece by piece.
struct Bytes {
  Bytes& Raw(std::string_view text) {
    data.insert(data.end(), text.begin(), text.end());
    return *this;
  }
  Bytes& Short(std::string_view text) {  // length byte, then the characters
    data.push_back(static_cast<uint8_t>(text.size()));
    return Raw(text);
  }
  Bytes& Put(std::initializer_list<int> bytes) {
    for (int b : bytes) data.push_back(static_cast<uint8_t>(b));
    return *this;
  }
  TBytes data;
};

TBytes Written(const TComponentRecord& record) {
  TStream stream;
  WriteComponentRecord(stream, record);
  return stream.TakeBytes();
}

std::string ReadError(TBytes bytes, const std::vector<std::string>& classes = TileClasses) {
  TStream stream(std::move(bytes));
  try {
    ReadComponentRecords(stream, classes);
  } catch (const ComponentRecordError& error) {
    return error.what();
  }
  return "no error";
}

// A network tile with two caption labels, one of them carrying every kind of value.
TComponentRecord SampleNetwork() {
  TComponentRecord record = TileRecord("TPanel300Network", "Network1", {0, 70, 120, 250}, "");
  TComponentRecord caption = TileRecord("TLabel", "", {8, 4, 60, 13}, "");
  caption.Add("Caption", TPropertyValue::String("Network 1"));
  caption.Add("Font.Color", TPropertyValue::Ident("clNavy"));
  caption.Add("Font.Style", TPropertyValue::Set({"fsBold", "fsUnderline"}));
  caption.Add("Font.Size", TPropertyValue::Extended(8.25));
  caption.Add("ParentFont", TPropertyValue::Boolean(false));
  caption.Add("Transparent", TPropertyValue::Boolean(true));
  record.Children.push_back(caption);
  record.Children.push_back(TileRecord("TLabel", "", {8, 20, 60, 13}, ""));
  return record;
}

TEST(ComponentRecordLayout, NetworkTileHasTheExactBytes) {
  const TBytes expected = Bytes()
                              .Raw("TPF0")
                              .Short("TPanel300Network")
                              .Short("Network1")
                              .Short("Left").Put({2, 0})
                              .Short("Top").Put({2, 70})
                              .Short("Width").Put({2, 120})
                              .Short("Height").Put({3, 0xFA, 0x00})
                              .Put({0, 0})
                              .data;
  EXPECT_EQ(Written(TileRecord("TPanel300Network", "Network1", {0, 70, 120, 250}, "")), expected);
}

TEST(ComponentRecordLayout, DeviceTileWithHintHasAnEmptyNameAndTheHintLast) {
  const TBytes expected = Bytes()
                              .Raw("TPF0").Short("TVududa").Put({0})
                              .Short("Left").Put({3, 0x2C, 0x01})
                              .Short("Top").Put({3, 0x3F, 0x02})
                              .Short("Width").Put({2, 81})
                              .Short("Height").Put({2, 98})
                              .Short("Hint").Put({6}).Short("Double click to set up")
                              .Put({0, 0})
                              .data;
  EXPECT_EQ(Written(TileRecord("TVududa", "", {300, 575, 81, 98}, "Double click to set up")), expected);
}

TEST(ComponentRecordLayout, IntegersTakeTheSmallestWidthThatHoldsThem) {
  struct Case {
    int32_t value;
    std::initializer_list<int> bytes;
  };
  const Case cases[] = {
      {127, {2, 0x7F}},          {128, {3, 0x80, 0x00}},          {-128, {2, 0x80}},
      {-129, {3, 0x7F, 0xFF}},   {32767, {3, 0xFF, 0x7F}},        {32768, {4, 0x00, 0x80, 0x00, 0x00}},
      {-32768, {3, 0x00, 0x80}}, {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
      {INT32_MIN, {4, 0x00, 0x00, 0x00, 0x80}},
  };
  for (const Case& c : cases) {
    TComponentRecord record{"TPSU", "", {}, {}};
    record.Add("Tag", TPropertyValue::Integer(c.value));
    const TBytes expected = Bytes().Raw("TPF0").Short("TPSU").Put({0}).Short("Tag").Put(c.bytes).Put({0, 0}).data;
    EXPECT_EQ(Written(record), expected) << c.value;
    TStream stream(expected);
    EXPECT_EQ(ReadComponentRecord(stream, TileClasses).Find("Tag")->AsInteger(), c.value) << c.value;
  }
}

TEST(ComponentRecordLayout, ReaderAcceptsAnyIntegerWidthAndShortLongText) {
  // Left as a 32-bit 5 and Hint as long text, which this writer would not produce.
  TStream stream(Bytes()
                     .Raw("TPF0").Short("TPSU").Put({0})
                     .Short("Left").Put({4, 5, 0, 0, 0})
                     .Short("Top").Put({3, 7, 0})
                     .Short("Width").Put({2, 9})
                     .Short("Height").Put({2, 11})
                     .Short("Hint").Put({12, 2, 0, 0, 0}).Raw("ok")
                     .Put({0, 0})
                     .data);
  const TComponentRecord record = ReadComponentRecord(stream, TileClasses);
  EXPECT_EQ(RecordBounds(record), (TBounds{5, 7, 9, 11}));
  EXPECT_EQ(RecordHint(record), "ok");
}

TEST(ComponentRecordLayout, EveryValueTypeAndChildRecordsRoundTrip) {
  const TComponentRecord record = SampleNetwork();
  TStream stream(Written(record));
  EXPECT_EQ(ReadComponentRecord(stream, TileClasses), record);
  EXPECT_EQ(stream.Remaining(), 0u);
}

TEST(ComponentRecordLayout, HintLongerThan255BytesIsWrittenAsLongTextWhole) {
  const std::string hint(300, 'h');
  const TBytes bytes = Written(TileRecord("TPSU", "", {1, 2, 3, 4}, hint));
  const TBytes tail = Bytes().Short("Hint").Put({12, 0x2C, 0x01, 0, 0}).Raw(hint).Put({0, 0}).data;
  ASSERT_GT(bytes.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<std::ptrdiff_t>(tail.size())));
  TStream stream(bytes);
  EXPECT_EQ(RecordHint(ReadComponentRecord(stream, TileClasses)), hint);
}

TEST(ComponentRecordLayout, WriterRefusesNamesThatWouldNotReadBack) {
  TStream stream;
  EXPECT_THROW(WriteComponentRecord(stream, TileRecord(std::string(256, 'T'), "", {}, "")), std::invalid_argument);
  TComponentRecord unnamed{"TPSU", "", {}, {}};
  unnamed.Add("", TPropertyValue::Integer(1));
  EXPECT_THROW(WriteComponentRecord(stream, unnamed), std::invalid_argument);
  TComponentRecord emptyMember{"TLabel", "", {}, {}};
  emptyMember.Add("Font.Style", TPropertyValue::Set({"fsBold", ""}));
  EXPECT_THROW(WriteComponentRecord(stream, emptyMember), std::invalid_argument);
}

TEST(ComponentRecordReader, EveryTruncationOfASampleRecordIsRejected) {
  const TBytes full = Written(SampleNetwork());
  for (size_t size = 1; size < full.size(); ++size) {
    const std::string error = ReadError(TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_NE(error.find("truncated"), std::string::npos) << size << ": " << error;
  }
}

TEST(ComponentRecordReader, AFileIsCompleteRecordsUpToTheEnd) {
  TStream file;
  WriteComponentRecord(file, SampleNetwork());
  const size_t first = file.Size();
  WriteComponentRecord(file, TileRecord("TPSU", "", {10, 20, 30, 40}, "No battery"));
  const TBytes full = file.Bytes();

  TStream whole(full);
  const auto records = ReadComponentRecords(whole, TileClasses);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].ClassName, "TPSU");
  TStream empty;
  EXPECT_TRUE(ReadComponentRecords(empty, TileClasses).empty());

  for (size_t size = 1; size < full.size(); ++size) {
    if (size == first) continue;
    EXPECT_NE(ReadError(TBytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size))), "no error") << size;
  }
  for (const std::string& garbage : {std::string(1, '\0'), std::string("TPF"), std::string("XXXX"),
                                    std::string("TPF0")}) {
    TBytes bytes = full;
    bytes.insert(bytes.end(), garbage.begin(), garbage.end());
    EXPECT_NE(ReadError(bytes), "no error") << garbage;
  }
  EXPECT_NE(ReadError(Bytes().Put({0, 0, 0, 0}).data).find("bad signature at offset 0"), std::string::npos);
}

TEST(ComponentRecordReader, ErrorsNameWhatIsWrongAndWhere) {
  const auto record = [](std::string_view className, std::initializer_list<int> rest) {
    return Bytes().Raw("TPF0").Short(className).Put({0}).Short("Left").Put(rest).data;
  };
  EXPECT_EQ(ReadError(record("TForm", {2, 0, 0, 0})), "unknown component class \"TForm\" at offset 4");
  EXPECT_EQ(ReadError(record("TPSU", {10, 0, 0, 0})),
            "unknown value type 10 for property \"Left\" of \"TPSU\" at offset 15");
  EXPECT_NE(ReadError(record("TPSU", {12, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})).find("negative text length -1"),
            std::string::npos);
  EXPECT_NE(ReadError(record("TPSU", {12, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0})).find("truncated"), std::string::npos);
  // A top-level class is not allowed as a child, nor is any class besides labels and panels.
  const TBytes child = Bytes().Raw("TPF0").Short("TPSU").Put({0, 0}).Short("TPSU").Put({0, 0, 0, 0}).data;
  EXPECT_EQ(ReadError(child), "unknown child component class \"TPSU\" at offset 11");
}

TEST(ComponentRecordReader, NestingDeeperThanTheLimitIsRejected) {
  const auto nested = [](int depth) {
    TComponentRecord record{"TPSU", "", {}, {}};
    TComponentRecord* innermost = &record;
    for (int i = 0; i < depth; ++i) {
      innermost->Children.push_back(TComponentRecord{"TPanel", "", {}, {}});
      innermost = &innermost->Children.back();
    }
    return Written(record);
  };
  EXPECT_EQ(ReadError(nested(MaxComponentDepth)), "no error");
  EXPECT_NE(ReadError(nested(MaxComponentDepth + 1)).find("nested deeper"), std::string::npos);
}

TEST(ComponentRecordFile, ErrorsNameTheFile) {
  testing::TempDir dir;
  TStream stream;
  WriteComponentRecord(stream, TileRecord("TPSU", "", {1, 2, 3, 4}, ""));
  stream.WriteUInt8(0);
  stream.SaveToFile(dir.File("Shop.pjx"));
  try {
    LoadComponentFile(dir.File("Shop.pjx"), TileClasses);
    FAIL() << "trailing garbage accepted";
  } catch (const ComponentRecordError& error) {
    EXPECT_EQ(std::string(error.what()), dir.File("Shop.pjx") + ": bad signature at offset 42: a component record "
                                                               "starts with \"TPF0\"");
  }
  EXPECT_THROW(LoadComponentFile(dir.File("Missing.pjx"), TileClasses), FileError);
}

TEST(ComponentRecordProperties, BoundsAndHintMustHaveTheirKinds) {
  TComponentRecord record = TileRecord("TPSU", "", {-5, 1025, 81, 98}, "");
  EXPECT_EQ(RecordBounds(record), (TBounds{-5, 1025, 81, 98}));
  EXPECT_EQ(RecordHint(record), "");

  TComponentRecord noHeight = record;
  noHeight.Properties.pop_back();
  EXPECT_THROW(
      {
        try {
          RecordBounds(noHeight);
        } catch (const ComponentRecordError& error) {
          EXPECT_STREQ(error.what(), "the record of \"TPSU\" has no \"Height\" property");
          throw;
        }
      },
      ComponentRecordError);

  TComponentRecord textTop = record;
  textTop.Properties[1].Value = TPropertyValue::String("70");
  EXPECT_THROW(RecordBounds(textTop), ComponentRecordError);
  TComponentRecord identHint = record;
  identHint.Add("Hint", TPropertyValue::Ident("clRed"));
  EXPECT_THROW(RecordHint(identHint), ComponentRecordError);
}

}  // namespace
}  // namespace voltaris
