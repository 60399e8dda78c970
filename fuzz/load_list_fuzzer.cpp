// The load-list record reader: any input is a StreamError (with nothing
// appended) or a list whose record reads back the same, and whose lines,
// totals and summary can be shown.
#include "fuzz_support.h"
#include "model/load_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace voltaris;
  using namespace voltaris::fuzz;
  TStream stream(TBytes(data, data + size));
  TLoadData list;
  try {
    list.ReadLoadRecord(stream);
  } catch (const StreamError&) {
    if (!list.Entries.empty() || !list.Text.empty()) Broken("a failed read changed the list");
    return 0;
  }
  TStream written;
  list.WriteLoadRecord(written);
  TStream again(written.Bytes());
  TLoadData copy;
  try {
    copy.ReadLoadRecord(again);
  } catch (const StreamError& error) {
    Broken(std::string("a list read from a record writes a record that does not read: ") + error.what());
  }
  if (again.Remaining() != 0 || copy.Entries.size() != list.Entries.size() || copy.Text != list.Text)
    Broken("a load-list record does not read back the same");
  for (size_t i = 0; i < list.Entries.size(); ++i) {
    const TDeviceData& a = *list.Entries[i];
    const TDeviceData& b = *copy.Entries[i];
    if (a.Quiescent != b.Quiescent || a.Alarm != b.Alarm || a.Grade != b.Grade || a.Qty != b.Qty || a.Name != b.Name)
      Broken("a load-list entry does not read back the same");
  }
  TLoadLines lines = list.Lines();
  if (lines.size() != list.Entries.size()) Broken("the lines of a load list lose entries");
  TStringList summary;
  list.WriteSummary(summary, "  ");
  (void)list.LowestGrade();
  (void)list.TotalQuiescent();
  (void)list.TotalAlarm();
  list.TakeLines(lines);
  if (list.Entries.size() != copy.Entries.size()) Broken("taking the lines back loses entries");
  return 0;
}
