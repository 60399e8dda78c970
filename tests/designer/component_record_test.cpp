#include "project_io/component_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "test_support.h"

namespace voltaris {
namespace {

const std::vector<std::string> TileClasses = {"TPanel300Network", "TPSU", "TPSUClone", "TVududa", "TNetDevice"};

// Expected record bytes, piece by piece: raw characters, short strings, single bytes.
struct Bytes {
  Bytes& Raw(std::string_view text) { return data.insert(data.end(), text.begin(), text.end()), *this; }
  Bytes& Short(std::string_view text) { return data.push_back(static_cast<uint8_t>(text.size())), Raw(text); }
  Bytes& Put(const std::vector<int>& bytes) {
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

TBytes Prefix(const TBytes& bytes, size_t size) {
  return TBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

std::string ReadError(TBytes bytes) {
  TStream stream(std::move(bytes));
  try {
    ReadComponentRecords(stream, TileClasses);
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
  caption.Add("Font.Color", TPropertyValue::Ident("Navy"));
  caption.Add("Font.Style", TPropertyValue::Set({"Bold", "Underline"}));
  caption.Add("Font.Size", TPropertyValue::Extended(8.25));
  caption.Add("ParentFont", TPropertyValue::Boolean(false));
  caption.Add("Transparent", TPropertyValue::Boolean(true));
  record.Children = {caption, TileRecord("TLabel", "", {8, 20, 60, 13}, "")};
  return record;
}

TEST(ComponentRecordLayout, NetworkTileHasTheExactBytes) {
  const TBytes expected = Bytes().Raw("TPF0").Short("TPanel300Network").Short("Network1")
                              .Short("Left").Put({2, 0}).Short("Top").Put({2, 70}).Short("Width").Put({2, 120})
                              .Short("Height").Put({3, 0xFA, 0x00}).Put({0, 0}).data;
  EXPECT_EQ(Written(TileRecord("TPanel300Network", "Network1", {0, 70, 120, 250}, "")), expected);
}

TEST(ComponentRecordLayout, IntegersTakeTheSmallestWidthThatHoldsThem) {
  const std::pair<int32_t, std::vector<int>> cases[] = {
      {127, {2, 0x7F}},          {128, {3, 0x80, 0x00}},          {-128, {2, 0x80}},
      {-129, {3, 0x7F, 0xFF}},   {32767, {3, 0xFF, 0x7F}},        {32768, {4, 0x00, 0x80, 0x00, 0x00}},
      {-32768, {3, 0x00, 0x80}}, {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}}, {INT32_MIN, {4, 0, 0, 0, 0x80}},
  };
  for (const auto& [value, bytes] : cases) {
    TComponentRecord record{"TPSU", "", {{"Tag", TPropertyValue::Integer(value)}}, {}};
    const TBytes expected = Bytes().Raw("TPF0").Short("TPSU").Put({0}).Short("Tag").Put(bytes).Put({0, 0}).data;
    EXPECT_EQ(Written(record), expected) << value;
    TStream stream(expected);
    EXPECT_EQ(ReadComponentRecord(stream, TileClasses), record) << value;
  }
  // A reader takes any width, and long text however short.
  TStream wide(Bytes().Raw("TPF0").Short("TPSU").Put({0}).Short("Left").Put({4, 5, 0, 0, 0})
                   .Short("Top").Put({3, 7, 0}).Short("Width").Put({2, 9}).Short("Height").Put({2, 11})
                   .Short("Hint").Put({12, 2, 0, 0, 0}).Raw("ok").Put({0, 0}).data);
  const TComponentRecord record = ReadComponentRecord(wide, TileClasses);
  EXPECT_EQ(RecordBounds(record), (TBounds{5, 7, 9, 11}));
  EXPECT_EQ(RecordHint(record), "ok");
}

TEST(ComponentRecordLayout, EveryValueTypeAndChildRecordsRoundTrip) {
  const TComponentRecord record = SampleNetwork();
  TStream stream(Written(record));
  EXPECT_EQ(ReadComponentRecord(stream, TileClasses), record);
  EXPECT_EQ(stream.Remaining(), 0u);
}

TEST(ComponentRecordLayout, HintComesLastAsShortTextOrWholeAsLongText) {
  const auto endsWith = [](const TBytes& bytes, const TBytes& end) {
    return bytes.size() > end.size() && std::equal(end.begin(), end.end(), bytes.end() - std::ssize(end));
  };
  EXPECT_TRUE(endsWith(Written(TileRecord("TVududa", "", {1, 2, 3, 4}, "Double click to set up")),
                       Bytes().Short("Height").Put({2, 4}).Short("Hint").Put({6}).Short("Double click to set up")
                           .Put({0, 0}).data));
  // Past 255 bytes a short string would cut the hint, so it goes as long text.
  const std::string hint(300, 'h');
  const TBytes bytes = Written(TileRecord("TPSU", "", {1, 2, 3, 4}, hint));
  EXPECT_TRUE(endsWith(bytes, Bytes().Short("Hint").Put({12, 0x2C, 0x01, 0, 0}).Raw(hint).Put({0, 0}).data));
  TStream stream(bytes);
  EXPECT_EQ(RecordHint(ReadComponentRecord(stream, TileClasses)), hint);
}

TEST(ComponentRecordLayout, WriterRefusesNamesThatWouldNotReadBack) {
  TStream stream;
  EXPECT_THROW(WriteComponentRecord(stream, TileRecord(std::string(256, 'T'), "", {}, "")), std::invalid_argument);
  const TComponentRecord unnamed{"TPSU", "", {{"", TPropertyValue::Integer(1)}}, {}};
  EXPECT_THROW(WriteComponentRecord(stream, unnamed), std::invalid_argument);
  const TComponentRecord emptyMember{"TLabel", "", {{"Font.Style", TPropertyValue::Set({"Bold", ""})}}, {}};
  EXPECT_THROW(WriteComponentRecord(stream, emptyMember), std::invalid_argument);
}

TEST(ComponentRecordReader, OnlyCompleteRecordsUpToTheEndAreAccepted) {
  TStream file;
  WriteComponentRecord(file, SampleNetwork());
  const size_t first = file.Size();
  WriteComponentRecord(file, TileRecord("TPSU", "", {10, 20, 30, 40}, "No battery"));
  const TBytes full = file.Bytes();
  TStream whole(full);
  EXPECT_EQ(ReadComponentRecords(whole, TileClasses).size(), 2u);
  EXPECT_EQ(ReadError({}), "no error");  // an empty file holds no records

  for (size_t size = 1; size < full.size(); ++size) {
    const std::string error = ReadError(Prefix(full, size));
    if (size != first) {
      EXPECT_NE(error.find("truncated"), std::string::npos) << size << ": " << error;
    }
  }
  for (const TBytes& garbage :
       {TBytes{0}, Bytes().Raw("TPF").data, Bytes().Raw("XXXX").data, Bytes().Raw("TPF0").data}) {
    TBytes bytes = full;
    bytes.insert(bytes.end(), garbage.begin(), garbage.end());
    EXPECT_NE(ReadError(bytes), "no error") << garbage.size();
  }
}

TEST(ComponentRecordReader, ErrorsNameWhatIsWrongAndWhere) {
  const auto record = [](std::string_view className, const std::vector<int>& rest) {
    return Bytes().Raw("TPF0").Short(className).Put({0}).Short("Left").Put(rest).data;
  };
  EXPECT_EQ(ReadError(Bytes().Put({0, 0, 0, 0}).data),
            "bad signature at offset 0: a component record starts with \"TPF0\"");
  EXPECT_EQ(ReadError(record("TForm", {2, 0, 0, 0})), "unknown component class \"TForm\" at offset 4");
  EXPECT_EQ(ReadError(record("TPSU", {10, 0, 0, 0})),
            "unknown value type 10 for property \"Left\" of \"TPSU\" at offset 15");
  EXPECT_NE(ReadError(record("TPSU", {12, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})).find("negative text length -1"),
            std::string::npos);
  EXPECT_EQ(ReadError(record("TPSU", {12, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0})),
            "truncated component record: the data ends inside the value of property \"Left\" of \"TPSU\" "
            "at offset 20");
  // Children may only be labels and panels.
  EXPECT_EQ(ReadError(Bytes().Raw("TPF0").Short("TPSU").Put({0, 0}).Short("TPSU").Put({0, 0, 0, 0}).data),
            "unknown child component class \"TPSU\" at offset 11");

  TComponentRecord nested{"TPSU", "", {}, {}};
  TComponentRecord* innermost = &nested;
  for (int depth = 0; depth < MaxComponentDepth; ++depth) {
    innermost->Children = {TComponentRecord{"TPanel", "", {}, {}}};
    innermost = &innermost->Children.back();
  }
  EXPECT_EQ(ReadError(Written(nested)), "no error");
  innermost->Children = {TComponentRecord{"TLabel", "", {}, {}}};
  EXPECT_NE(ReadError(Written(nested)).find("nested deeper than 16 levels"), std::string::npos);
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
    EXPECT_EQ(std::string(error.what()).rfind(dir.File("Shop.pjx") + ": bad signature at offset 42", 0), 0u);
  }
  EXPECT_THROW(LoadComponentFile(dir.File("Missing.pjx"), TileClasses), FileError);
}

TEST(ComponentRecordProperties, BoundsAndHintMustHaveTheirKinds) {
  const TComponentRecord record = TileRecord("TPSU", "", {-5, 1025, 81, 98}, "");
  EXPECT_EQ(RecordBounds(record), (TBounds{-5, 1025, 81, 98}));
  EXPECT_EQ(RecordHint(record), "");

  TComponentRecord broken = record;
  broken.Properties.pop_back();
  EXPECT_THROW(RecordBounds(broken), ComponentRecordError);  // no Height
  broken = record;
  broken.Properties[1].Value = TPropertyValue::String("70");
  EXPECT_THROW(RecordBounds(broken), ComponentRecordError);  // Top as text
  broken = record;
  broken.Add("Hint", TPropertyValue::Ident("Red"));
  EXPECT_THROW(RecordHint(broken), ComponentRecordError);
}

}  // namespace
}  // namespace voltaris
