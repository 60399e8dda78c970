// The component records of the ".pjx" layout file: one record per tile with
// its class name, component name, stored properties and child components
// (a panel network's caption labels).
//
// A top-level record starts with the 4 bytes "TPF0"; child records do not.
// Then come the class name and the component name as short strings (one
// length byte, then the characters), the property list (name as a short
// string, then a typed value; ended by a 0 byte) and the child list (child
// records; ended by a 0 byte). A layout file is top-level records one after
// another up to the end of the data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/byte_stream.h"

namespace voltaris {

// The most a project's ".dat" or ".pjx" is read to: a design of 1,000
// devices takes about 150 KB, so this leaves room for far larger ones while
// a file that never ends (a device) is refused.
inline constexpr TFileLimit ProjectFileLimit{64 * 1024 * 1024, "a project file"};

// Raised for layout data that is not a well-formed component record: a bad
// signature, an unknown class or value type, a record cut short, nesting too
// deep, or a property missing or of the wrong kind. The text says what is
// wrong and at which offset (or in which record).
class ComponentRecordError : public StreamError {
 public:
  using StreamError::StreamError;
};

// The type byte in front of every property value.
enum class TValueType : uint8_t {
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  Extended = 5,
  String = 6,
  Ident = 7,
  False = 8,
  True = 9,
  Set = 11,
  LongString = 12,
};

// One property value. Integers are held as int32 whatever width they were
// read with and are written in the smallest width that holds them. Text is
// one kind: it is written as a short string up to 255 bytes and as long text
// beyond, so that a long hint or caption is never cut.
class TPropertyValue {
 public:
  enum class Kind { Integer, Extended, String, Ident, Boolean, Set };

  static TPropertyValue Integer(int32_t value);
  static TPropertyValue Extended(double value);
  static TPropertyValue String(std::string text);
  static TPropertyValue Ident(std::string name);
  static TPropertyValue Boolean(bool value);
  static TPropertyValue Set(std::vector<std::string> members);

  Kind GetKind() const { return kind_; }
  int32_t AsInteger() const { return integer_; }
  double AsExtended() const { return real_; }
  bool AsBoolean() const { return integer_ != 0; }
  // The text of a String or the name of an Ident.
  const std::string& AsText() const { return text_; }
  const std::vector<std::string>& AsSet() const { return members_; }

  bool operator==(const TPropertyValue&) const = default;

 private:
  explicit TPropertyValue(Kind kind) : kind_(kind) {}

  Kind kind_;
  int32_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  std::vector<std::string> members_;
};

struct TProperty {
  std::string Name;
  TPropertyValue Value;

  bool operator==(const TProperty&) const = default;
};

struct TComponentRecord {
  std::string ClassName;
  std::string Name;
  std::vector<TProperty> Properties;  // in stored order
  std::vector<TComponentRecord> Children;

  // The first property of that name, or null.
  const TPropertyValue* Find(std::string_view name) const;
  void Add(std::string name, TPropertyValue value);

  bool operator==(const TComponentRecord&) const = default;
};

// Child records may only be caption labels and plain panels.
inline constexpr const char* ChildClassNames[] = {"TLabel", "TPanel"};
// Records nested deeper than this (a child of a child of ...) are rejected.
inline constexpr int MaxComponentDepth = 16;

// Writers. Names (class, component, property, identifier, set member) are
// short strings: one longer than 255 bytes, an empty property name or an
// empty set member (each would end its list early) is a programming error and
// throws std::invalid_argument rather than writing a record that reads back
// differently.
void WriteComponentRecord(TStream& stream, const TComponentRecord& record);  // with "TPF0"
void WriteComponentRecords(TStream& stream, const std::vector<TComponentRecord>& records);

// Readers. A top-level record must name one of `classNames`; child records
// must be "TLabel" or "TPanel". Every failure is a ComponentRecordError.
TComponentRecord ReadComponentRecord(TStream& stream, const std::vector<std::string>& classNames);
// Records until the end of the data; anything after the last complete
// record is an error.
std::vector<TComponentRecord> ReadComponentRecords(TStream& stream, const std::vector<std::string>& classNames);
// A whole layout file; errors name the file. An unreadable file is a
// FileError, malformed content a ComponentRecordError.
std::vector<TComponentRecord> LoadComponentFile(const std::string& path, const std::vector<std::string>& classNames);

// A tile's position and size in canvas pixels.
struct TBounds {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  bool operator==(const TBounds&) const = default;
};

// The record of one tile: Left, Top, Width, Height, then Hint when not empty;
// no children.
TComponentRecord TileRecord(std::string className, std::string name, const TBounds& bounds, const std::string& hint);

// The integer property `name`; a ComponentRecordError naming the property
// and the record when it is missing or not an integer.
int32_t IntegerProperty(const TComponentRecord& record, std::string_view name);
// Left, Top, Width and Height, all required.
TBounds RecordBounds(const TComponentRecord& record);
// The Hint text, empty when the record has none; an error when it is not text.
std::string RecordHint(const TComponentRecord& record);

}  // namespace voltaris
