#include "project_io/component_record.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace voltaris {

namespace {
constexpr char Signature[4] = {'T', 'P', 'F', '0'};
constexpr size_t MaxShortString = 255;
}  // namespace

TPropertyValue TPropertyValue::Integer(int32_t value) {
  TPropertyValue result(Kind::Integer);
  result.integer_ = value;
  return result;
}

TPropertyValue TPropertyValue::Extended(double value) {
  TPropertyValue result(Kind::Extended);
  result.real_ = value;
  return result;
}

TPropertyValue TPropertyValue::String(std::string text) {
  TPropertyValue result(Kind::String);
  result.text_ = std::move(text);
  return result;
}

TPropertyValue TPropertyValue::Ident(std::string name) {
  TPropertyValue result(Kind::Ident);
  result.text_ = std::move(name);
  return result;
}

TPropertyValue TPropertyValue::Boolean(bool value) {
  TPropertyValue result(Kind::Boolean);
  result.integer_ = value ? 1 : 0;
  return result;
}

TPropertyValue TPropertyValue::Set(std::vector<std::string> members) {
  TPropertyValue result(Kind::Set);
  result.members_ = std::move(members);
  return result;
}

const TPropertyValue* TComponentRecord::Find(std::string_view name) const {
  for (const TProperty& property : Properties) {
    if (property.Name == name) return &property.Value;
  }
  return nullptr;
}

void TComponentRecord::Add(std::string name, TPropertyValue value) {
  Properties.push_back(TProperty{std::move(name), std::move(value)});
}

// ---------------------------------------------------------------------------
// Writing

namespace {

void WriteShortString(TStream& stream, const std::string& text, const char* what) {
  if (text.size() > MaxShortString) {
    throw std::invalid_argument(std::string(what) + " \"" + text.substr(0, 32) + "...\" is longer than 255 bytes");
  }
  stream.WriteUInt8(static_cast<uint8_t>(text.size()));
  stream.WriteBytes(text.data(), text.size());
}

void WriteType(TStream& stream, TValueType type) { stream.WriteUInt8(static_cast<uint8_t>(type)); }

void WriteValue(TStream& stream, const TPropertyValue& value) {
  switch (value.GetKind()) {
    case TPropertyValue::Kind::Integer: {
      const int32_t number = value.AsInteger();
      if (number >= std::numeric_limits<int8_t>::min() && number <= std::numeric_limits<int8_t>::max()) {
        WriteType(stream, TValueType::Int8);
        stream.WriteInt8(static_cast<int8_t>(number));
      } else if (number >= std::numeric_limits<int16_t>::min() && number <= std::numeric_limits<int16_t>::max()) {
        WriteType(stream, TValueType::Int16);
        stream.WriteInt16(static_cast<int16_t>(number));
      } else {
        WriteType(stream, TValueType::Int32);
        stream.WriteInt32(number);
      }
      break;
    }
    case TPropertyValue::Kind::Extended:
      WriteType(stream, TValueType::Extended);
      stream.WriteExtended(value.AsExtended());
      break;
    case TPropertyValue::Kind::String: {
      const std::string& text = value.AsText();
      if (text.size() <= MaxShortString) {
        WriteType(stream, TValueType::String);
        WriteShortString(stream, text, "text");
      } else {
        if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
          throw std::invalid_argument("text of " + std::to_string(text.size()) + " bytes is too long for a record");
        }
        WriteType(stream, TValueType::LongString);
        stream.WriteInt32(static_cast<int32_t>(text.size()));
        stream.WriteBytes(text.data(), text.size());
      }
      break;
    }
    case TPropertyValue::Kind::Ident:
      WriteType(stream, TValueType::Ident);
      WriteShortString(stream, value.AsText(), "identifier");
      break;
    case TPropertyValue::Kind::Boolean:
      WriteType(stream, value.AsBoolean() ? TValueType::True : TValueType::False);
      break;
    case TPropertyValue::Kind::Set:
      WriteType(stream, TValueType::Set);
      for (const std::string& member : value.AsSet()) {
        if (member.empty()) throw std::invalid_argument("a set member cannot be empty: it would end the set");
        WriteShortString(stream, member, "set member");
      }
      stream.WriteUInt8(0);
      break;
  }
}

void WriteRecordBody(TStream& stream, const TComponentRecord& record) {
  WriteShortString(stream, record.ClassName, "class name");
  WriteShortString(stream, record.Name, "component name");
  for (const TProperty& property : record.Properties) {
    if (property.Name.empty()) {
      throw std::invalid_argument("a property of \"" + record.ClassName + "\" has no name: it would end the list");
    }
    WriteShortString(stream, property.Name, "property name");
    WriteValue(stream, property.Value);
  }
  stream.WriteUInt8(0);
  for (const TComponentRecord& child : record.Children) WriteRecordBody(stream, child);
  stream.WriteUInt8(0);
}

}  // namespace

void WriteComponentRecord(TStream& stream, const TComponentRecord& record) {
  stream.WriteBytes(Signature, sizeof Signature);
  WriteRecordBody(stream, record);
}

void WriteComponentRecords(TStream& stream, const std::vector<TComponentRecord>& records) {
  for (const TComponentRecord& record : records) WriteComponentRecord(stream, record);
}

// ---------------------------------------------------------------------------
// Reading

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Where in a record the reader is, for its error messages; the text is
// only put together when there is an error to tell (a project is read back
// on every Undo, and most of its fields are a few bytes).
struct TPlace {
  const char* What;                       // "a class name", "the property list", ...
  const std::string* Self = nullptr;      // the record's class name
  const std::string* Property = nullptr;  // the property whose value is read
  std::string Text() const {
    std::string text = What;
    if (Property) text += " " + Quoted(*Property);
    if (Self) text += " of " + Quoted(*Self);
    return text;
  }
};

class TRecordReader {
 public:
  TRecordReader(TStream& stream, const std::vector<std::string>& classNames)
      : stream_(stream), classNames_(classNames) {}

  TComponentRecord TopLevel() {
    const size_t start = stream_.Position();
    const size_t available = std::min(stream_.Remaining(), sizeof Signature);
    char bytes[sizeof Signature] = {};
    stream_.ReadBytes(bytes, available);
    if (std::memcmp(bytes, Signature, available) != 0) {
      throw ComponentRecordError("bad signature at offset " + std::to_string(start) +
                                 ": a component record starts with \"TPF0\"");
    }
    if (available < sizeof Signature) {
      throw ComponentRecordError("truncated component record: the data ends inside the signature at offset " +
                                 std::to_string(stream_.Position()));
    }
    return Record(0);
  }

 private:
  [[noreturn]] void Truncated(const TPlace& where) const {
    throw ComponentRecordError("truncated component record: the data ends inside " + where.Text() + " at offset " +
                               std::to_string(stream_.Position()));
  }

  void Need(size_t size, const TPlace& where) const {
    if (stream_.Remaining() < size) Truncated(where);
  }

  uint8_t Byte(const TPlace& where) {
    Need(1, where);
    return stream_.ReadUInt8();
  }

  std::string ShortString(const TPlace& where) {
    const uint8_t length = Byte(where);
    Need(length, where);
    std::string text(length, '\0');
    stream_.ReadBytes(text.data(), length);
    return text;
  }

  // depth 0 is a top-level record, whose signature has been read.
  TComponentRecord Record(int depth) {
    if (depth > MaxComponentDepth) {
      throw ComponentRecordError("component records nested deeper than " + std::to_string(MaxComponentDepth) +
                                 " levels at offset " + std::to_string(stream_.Position()));
    }
    TComponentRecord record;
    const size_t classOffset = stream_.Position();
    record.ClassName = ShortString({"a class name"});
    CheckClass(record.ClassName, depth, classOffset);
    const std::string& self = record.ClassName;
    record.Name = ShortString({"the component name", &self});

    const TPlace propertyList{"the property list", &self};
    for (;;) {
      std::string name = ShortString(propertyList);
      if (name.empty()) break;
      TPropertyValue value = Value(self, name);
      record.Properties.push_back(TProperty{std::move(name), std::move(value)});
    }

    const TPlace childList{"the child list", &self};
    for (;;) {
      Need(1, childList);
      if (stream_.Bytes()[stream_.Position()] == 0) {
        stream_.ReadUInt8();
        break;
      }
      record.Children.push_back(Record(depth + 1));
    }
    return record;
  }

  void CheckClass(const std::string& className, int depth, size_t offset) const {
    if (depth == 0) {
      if (std::find(classNames_.begin(), classNames_.end(), className) == classNames_.end()) {
        throw ComponentRecordError("unknown component class " + Quoted(className) + " at offset " +
                                   std::to_string(offset));
      }
    } else if (std::find(std::begin(ChildClassNames), std::end(ChildClassNames), className) ==
               std::end(ChildClassNames)) {
      throw ComponentRecordError("unknown child component class " + Quoted(className) + " at offset " +
                                 std::to_string(offset));
    }
  }

  TPropertyValue Value(const std::string& self, const std::string& property) {
    const TPlace where{"the value of property", &self, &property};
    const size_t typeOffset = stream_.Position();
    const uint8_t type = Byte(where);
    switch (static_cast<TValueType>(type)) {
      case TValueType::Int8:
        Need(1, where);
        return TPropertyValue::Integer(stream_.ReadInt8());
      case TValueType::Int16:
        Need(2, where);
        return TPropertyValue::Integer(stream_.ReadInt16());
      case TValueType::Int32:
        Need(4, where);
        return TPropertyValue::Integer(stream_.ReadInt32());
      case TValueType::Extended:
        Need(10, where);
        return TPropertyValue::Extended(stream_.ReadExtended());
      case TValueType::String:
        return TPropertyValue::String(ShortString(where));
      case TValueType::Ident:
        return TPropertyValue::Ident(ShortString(where));
      case TValueType::False:
        return TPropertyValue::Boolean(false);
      case TValueType::True:
        return TPropertyValue::Boolean(true);
      case TValueType::Set: {
        std::vector<std::string> members;
        for (;;) {
          std::string member = ShortString(where);
          if (member.empty()) break;
          members.push_back(std::move(member));
        }
        return TPropertyValue::Set(std::move(members));
      }
      case TValueType::LongString: {
        Need(4, where);
        const int32_t length = stream_.ReadInt32();
        if (length < 0) {
          throw ComponentRecordError("negative text length " + std::to_string(length) + " in " + where.Text() +
                                     " at offset " + std::to_string(typeOffset + 1));
        }
        Need(static_cast<size_t>(length), where);
        std::string text(static_cast<size_t>(length), '\0');
        stream_.ReadBytes(text.data(), text.size());
        return TPropertyValue::String(std::move(text));
      }
    }
    throw ComponentRecordError("unknown value type " + std::to_string(type) + " for property " + Quoted(property) +
                               " of " + Quoted(self) + " at offset " + std::to_string(typeOffset));
  }

  TStream& stream_;
  const std::vector<std::string>& classNames_;
};

}  // namespace

TComponentRecord ReadComponentRecord(TStream& stream, const std::vector<std::string>& classNames) {
  return TRecordReader(stream, classNames).TopLevel();
}

std::vector<TComponentRecord> ReadComponentRecords(TStream& stream, const std::vector<std::string>& classNames) {
  std::vector<TComponentRecord> records;
  TRecordReader reader(stream, classNames);
  while (stream.Remaining() > 0) records.push_back(reader.TopLevel());
  return records;
}

std::vector<TComponentRecord> LoadComponentFile(const std::string& path, const std::vector<std::string>& classNames) {
  TStream stream = TStream::LoadFromFile(path, ProjectFileLimit);
  try {
    return ReadComponentRecords(stream, classNames);
  } catch (const ComponentRecordError& error) {
    throw ComponentRecordError(path + ": " + error.what());
  }
}

// ---------------------------------------------------------------------------
// Tile properties

TComponentRecord TileRecord(std::string className, std::string name, const TBounds& bounds, const std::string& hint) {
  TComponentRecord record;
  record.ClassName = std::move(className);
  record.Name = std::move(name);
  record.Properties.reserve(5);
  record.Add("Left", TPropertyValue::Integer(bounds.Left));
  record.Add("Top", TPropertyValue::Integer(bounds.Top));
  record.Add("Width", TPropertyValue::Integer(bounds.Width));
  record.Add("Height", TPropertyValue::Integer(bounds.Height));
  if (!hint.empty()) record.Add("Hint", TPropertyValue::String(hint));
  return record;
}

namespace {
std::string Describe(const TComponentRecord& record) {
  return record.Name.empty() ? Quoted(record.ClassName) : Quoted(record.ClassName) + " " + Quoted(record.Name);
}
}  // namespace

int32_t IntegerProperty(const TComponentRecord& record, std::string_view name) {
  const TPropertyValue* value = record.Find(name);
  if (value == nullptr) {
    throw ComponentRecordError("the record of " + Describe(record) + " has no " + Quoted(std::string(name)) +
                               " property");
  }
  if (value->GetKind() != TPropertyValue::Kind::Integer) {
    throw ComponentRecordError("the " + Quoted(std::string(name)) + " property of " + Describe(record) +
                               " is not an integer");
  }
  return value->AsInteger();
}

TBounds RecordBounds(const TComponentRecord& record) {
  return TBounds{IntegerProperty(record, "Left"), IntegerProperty(record, "Top"), IntegerProperty(record, "Width"),
                 IntegerProperty(record, "Height")};
}

std::string RecordHint(const TComponentRecord& record) {
  const TPropertyValue* value = record.Find("Hint");
  if (value == nullptr) return {};
  if (value->GetKind() != TPropertyValue::Kind::String) {
    throw ComponentRecordError("the \"Hint\" property of " + Describe(record) + " is not text");
  }
  return value->AsText();
}

}  // namespace voltaris
