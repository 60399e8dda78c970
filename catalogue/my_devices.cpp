#include "catalogue/my_devices.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

#include "catalogue/catalogue.h"
#include "catalogue/code_page.h"
#include "catalogue/csv.h"
#include "catalogue/format.h"

namespace voltaris {

namespace {

bool HoldsControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string CurrentRefusal(const char* which, int32_t milliamps) {
  if (milliamps < 0) return Format("The %s current cannot be below 0 mA.", which);
  if (milliamps > MaxMyDeviceMilliamps)
    return Format("The %s current of %d mA is more than 10 A: no single device draws that much.", which, milliamps);
  return std::string();
}

// Whether every byte sequence of `bytes` is sound UTF-8 and at least one
// character lies beyond ASCII: text in the user's code page with accented
// letters is almost never sound UTF-8 as well.
bool LooksLikeUtf8(std::string_view bytes) {
  bool beyondAscii = false;
  for (size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    size_t length = 1;
    if (byte >= 0xF0 && byte <= 0xF4)
      length = 4;
    else if (byte >= 0xE0)
      length = byte <= 0xEF ? 3 : 0;
    else if (byte >= 0xC2)
      length = 2;
    else if (byte >= 0x80)
      length = 0;
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    beyondAscii = beyondAscii || length > 1;
    i += length;
  }
  return beyondAscii;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The fields of one line; none when a quoted field is not closed.
std::optional<std::vector<std::string>> SplitFields(std::string_view line, char separator) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        fields.back() += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

// A whole number of milliamps as a spreadsheet writes it ("12", "12.0",
// "12,0" beside semicolons); the text of the problem otherwise.
std::optional<int32_t> ReadMilliamps(const std::string& text, char separator, const char* which, std::string& problem) {
  const std::string shown(TrimSpaces(text));
  std::string field = shown;
  if (separator == ';') std::replace(field.begin(), field.end(), ',', '.');
  double value = 0;
  const char* end = field.data() + field.size();
  const auto [last, error] = std::from_chars(field.data(), end, value);
  if (field.empty() || error != std::errc() || last != end || !std::isfinite(value)) {
    problem = Format("the %s current \"%s\" is not a number of milliamps", which, shown.c_str());
    return std::nullopt;
  }
  if (value < 0 || value > MaxMyDeviceMilliamps) {
    problem = value < 0 ? Format("the %s current cannot be below 0 mA", which)
                        : Format("the %s current of %s mA is more than 10 A", which, shown.c_str());
    return std::nullopt;
  }
  if (value != std::trunc(value)) {
    problem = Format("the %s current %s mA is not a whole number of milliamps", which, shown.c_str());
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

// A refusal as part of a line's problem: "The name ..." becomes "the name ...".
std::string AsPartOfLine(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(FoldCase(static_cast<unsigned char>(text[0])));
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

// "U+2603" for the first character of UTF-8 text.
std::string CharacterCode(std::string_view utf8) {
  if (utf8.empty()) return "?";
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t k = 1; k < length && k < utf8.size(); ++k)
    code = (code << 6) | (static_cast<unsigned char>(utf8[k]) & 0x3F);
  return Format("U+%04X", static_cast<unsigned>(code));
}

}  // namespace

bool SameDeviceName(std::string_view a, std::string_view b) { return SameIgnoringCase(TrimSpaces(a), TrimSpaces(b)); }

std::string MyDeviceRefusal(const TMyDevice& device, const TMyDeviceList& devices, ptrdiff_t self) {
  const std::string_view name = TrimSpaces(device.Name);
  if (name.empty()) return "A device needs a name.";
  if (name.size() > MaxMyDeviceName)
    return Format("The name %s is longer than %d characters.", Quoted(std::string(name)).c_str(),
                  static_cast<int>(MaxMyDeviceName));
  if (HoldsControlCharacter(name)) return "The name holds a tab or another control character.";
  for (const TDeviceType& row : DeviceTypeTable) {
    if (SameDeviceName(name, row.Name))
      return Format("%s is the name of a catalogue device; give your device a name of its own.",
                    Quoted(row.Name).c_str());
  }
  for (size_t k = 0; k < devices.size(); ++k) {
    if (static_cast<ptrdiff_t>(k) != self && SameDeviceName(name, devices[k].Name))
      return Format("My devices already hold %s.", Quoted(devices[k].Name).c_str());
  }
  if (device.Grade < MinMyDeviceGrade || device.Grade > MaxMyDeviceGrade) return "The grade must be 1, 2, 3 or 4.";
  std::string refusal = CurrentRefusal("quiescent", device.Quiescent);
  return refusal.empty() ? CurrentRefusal("alarm", device.Alarm) : refusal;
}

void SortMyDevices(TMyDeviceList& devices) {
  std::stable_sort(devices.begin(), devices.end(),
                   [](const TMyDevice& a, const TMyDevice& b) { return NameBefore(a.Name, b.Name); });
}

std::string MyDevicesCsv(const TMyDeviceList& devices) {
  std::string text(Utf8ByteOrderMark);
  text += MyDevicesHeader;
  text += "\r\n";
  for (const TMyDevice& device : devices)
    text += CsvLine(
        {device.Name, std::to_string(device.Grade), std::to_string(device.Quiescent), std::to_string(device.Alarm)});
  return text;
}

TMyDevicesRead ReadMyDevicesCsv(std::string_view bytes, const TMyDeviceList& held) {
  TMyDevicesRead read;
  bool utf8 = bytes.substr(0, Utf8ByteOrderMarkSize) == Utf8ByteOrderMark;
  if (utf8) bytes.remove_prefix(Utf8ByteOrderMarkSize);
  utf8 = utf8 || LooksLikeUtf8(bytes);
  const std::vector<std::string_view> lines = SplitLines(bytes);

  char separator = 0;
  for (size_t index = 0; index < lines.size(); ++index) {
    const size_t lineNumber = index + 1;
    if (TrimSpaces(lines[index]).empty()) continue;
    const auto problem = [&](const std::string& what) { read.Problems.push_back({lineNumber, what}); };
    // Everything below works in the project files' code page.
    std::string line(lines[index]);
    if (utf8) {
      const std::optional<std::string> inCodePage = Utf8ToCodePage(line);
      if (!inCodePage) {
        problem(Format("it holds the character %s, which the project files cannot hold",
                       CharacterCode(FirstCharacterOutsideCodePage(line).value_or("?")).c_str()));
        continue;
      }
      line = *inCodePage;
    }
    const bool first = separator == 0;
    if (first)
      separator = line.find(',') == std::string_view::npos && line.find(';') != std::string_view::npos ? ';' : ',';
    std::optional<std::vector<std::string>> fields = SplitFields(line, separator);
    if (!fields) {
      problem("a quoted field is not closed");
      continue;
    }
    // The header names the columns; a device called "Name" has a grade beside it.
    if (first && SameDeviceName((*fields)[0], "Name") &&
        (fields->size() < 2 || TrimSpaces((*fields)[1]).size() != 1 ||
         !std::isdigit(static_cast<unsigned char>(TrimSpaces((*fields)[1])[0]))))
      continue;
    // A spreadsheet may end a line with empty cells; those are not fields.
    while (fields->size() > 4 && TrimSpaces(fields->back()).empty()) fields->pop_back();
    if (fields->size() != 4) {
      problem(Format(fields->size() == 1
                         ? "it has %d field where a device has 4 (name, grade, quiescent mA, alarm mA)"
                         : "it has %d fields where a device has 4 (name, grade, quiescent mA, alarm mA)",
                     static_cast<int>(fields->size())));
      continue;
    }

    TMyDevice device;
    device.Name = std::string(TrimSpaces((*fields)[0]));
    const std::string grade(TrimSpaces((*fields)[1]));
    if (grade.size() != 1 || grade[0] < '0' + MinMyDeviceGrade || grade[0] > '0' + MaxMyDeviceGrade) {
      problem(Format("the grade \"%s\" is not 1, 2, 3 or 4", grade.c_str()));
      continue;
    }
    device.Grade = grade[0] - '0';
    std::string what;
    const std::optional<int32_t> quiescent = ReadMilliamps((*fields)[2], separator, "quiescent", what);
    const std::optional<int32_t> alarm = quiescent ? ReadMilliamps((*fields)[3], separator, "alarm", what)
                                                   : std::nullopt;
    if (!quiescent || !alarm) {
      problem(what);
      continue;
    }
    device.Quiescent = *quiescent;
    device.Alarm = *alarm;

    const auto same = std::find_if(held.begin(), held.end(),
                                   [&](const TMyDevice& other) { return SameDeviceName(other.Name, device.Name); });
    if (same != held.end()) {
      if (*same == device) {
        ++read.AlreadyHeld;
      } else {
        problem(Format("my devices already hold %s with other figures", Quoted(same->Name).c_str()));
      }
      continue;
    }
    const std::string refusal = MyDeviceRefusal(device, read.Devices);
    if (!refusal.empty()) {
      problem(AsPartOfLine(refusal));
      continue;
    }
    read.Devices.push_back(device);
  }
  return read;
}

std::string DescribeProblems(const std::vector<TCsvProblem>& problems, size_t shown) {
  std::string text;
  for (size_t k = 0; k < problems.size() && k < shown; ++k)
    text += Format("Line %d: %s.\n", static_cast<int>(problems[k].Line), problems[k].What.c_str());
  if (problems.size() > shown) text += Format("... and %d more.\n", static_cast<int>(problems.size() - shown));
  if (!text.empty()) text.pop_back();
  return text;
}

}  // namespace voltaris
