#include "model/load_data.h"

#include <algorithm>

#include "catalogue/format.h"
#include "catalogue/stream_string.h"
#include "model/load.h"

namespace voltaris {

namespace {
// Smallest entry record: four int32 and an empty name (length and zero byte).
constexpr size_t MinEntryRecordSize = 4 * 4 + 4 + 1;
}  // namespace

TStringList SplitLines(const std::string& text) {
  TStringList lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::string JoinLines(const TStringList& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);  // one allocation, however long the report
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TLoadData::WriteSummary(TStringList& list, const std::string& prefix) const {
  if (Entries.empty()) return;
  list.emplace_back();
  for (const TDeviceDataPtr& entry : Entries) {
    list.push_back(Format("%S%S (%d off)  Total Current %dmA,  Total Alarm Current %dmA, ", prefix, entry->Name,
                          entry->Qty, entry->Quiescent, entry->Alarm));
  }
}

void TLoadData::WriteLoadRecord(TStream& stream) const {
  WriteStreamString(stream, Text);
  stream.WriteInt32(static_cast<int32_t>(Entries.size()) - 1);
  for (const TDeviceDataPtr& entry : Entries) {
    stream.WriteInt32(entry->Quiescent);
    stream.WriteInt32(entry->Alarm);
    stream.WriteInt32(entry->Grade);
    stream.WriteInt32(entry->Qty);
    WriteStreamString(stream, entry->Name);
  }
}

void TLoadData::ReadLoadRecord(TStream& stream) {
  std::string text = ReadStreamString(stream);
  const int32_t last = stream.ReadInt32();
  const int64_t count = static_cast<int64_t>(last) + 1;
  stream.CheckCount(count, MinEntryRecordSize, "load-list entry count");
  std::vector<TDeviceDataPtr> read;
  read.reserve(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    auto entry = std::make_shared<TDeviceData>();
    entry->Quiescent = stream.ReadInt32();
    entry->Alarm = stream.ReadInt32();
    entry->Grade = stream.ReadInt32();
    entry->Qty = stream.ReadInt32();
    entry->Name = ReadStreamString(stream);
    read.push_back(std::move(entry));
  }
  Text = std::move(text);
  Entries.insert(Entries.end(), read.begin(), read.end());
}

TLoadLines TLoadData::Lines() const {
  const TStringList texts = SplitLines(Text);
  const bool textFits = texts.size() == Entries.size();
  TLoadLines lines;
  lines.reserve(Entries.size());
  for (size_t k = 0; k < Entries.size(); ++k) {
    lines.push_back({textFits ? texts[k] : LoadListLine(*Entries[k]), Entries[k]});
  }
  return lines;
}

void TLoadData::TakeLines(const TLoadLines& lines) {
  TStringList texts;
  Entries.clear();
  for (const TLoadLine& line : lines) {
    // Text and entries stay in step: a line without an entry is not kept.
    if (!line.Entry) continue;
    texts.push_back(line.Text);
    Entries.push_back(line.Entry);
  }
  Text = JoinLines(texts);
}

int32_t TLoadData::LowestGrade() const {
  int32_t lowest = 3;
  for (const TDeviceDataPtr& entry : Entries) lowest = std::min(lowest, entry->Grade);
  return lowest;
}

int32_t TLoadData::TotalQuiescent() const {
  int32_t sum = 0;
  for (const TDeviceDataPtr& entry : Entries) sum = AddMilliamps(sum, entry->Quiescent);
  return sum;
}

int32_t TLoadData::TotalAlarm() const {
  int32_t sum = 0;
  for (const TDeviceDataPtr& entry : Entries) sum = AddMilliamps(sum, entry->Alarm);
  return sum;
}

}  // namespace voltaris
