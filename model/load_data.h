// A load list: the equipment wired straight to a power source or a network
// device (detectors, sounders, communicators), with its display lines.
#pragma once

#include <string>
#include <vector>

#include "catalogue/byte_stream.h"
#include "catalogue/catalogue.h"
#include "catalogue/device_data.h"

namespace voltaris {

class TLoadData {
 public:
  TLoadData() = default;
  TLoadData(const TLoadData&) = delete;
  TLoadData& operator=(const TLoadData&) = delete;

  // The display lines, one load-list line per entry, each ended by CR LF.
  std::string Text;
  // The entries in display order; shared with a dialog's lines while it edits them.
  std::vector<TDeviceDataPtr> Entries;

  // Appends an empty line and one summary line per entry; nothing for an empty list.
  void WriteSummary(TStringList& list, const std::string& prefix) const;

  // The record: text, entry count - 1, then per entry its quiescent, alarm,
  // grade, quantity and name.
  void WriteLoadRecord(TStream& stream) const;
  // Appends the entries read. A count or length that the data cannot hold is
  // a StreamError, and then nothing is appended.
  void ReadLoadRecord(TStream& stream);

  // The lines for a dialog: line k shows entry k. Lines come from the stored
  // text; when it does not hold one line per entry they are made afresh from
  // the entries, so that no entry is ever dropped.
  TLoadLines Lines() const;
  // Takes a dialog's lines back: the text from the lines, the entries from
  // the entries they carry, in line order (a line carrying no entry is dropped).
  void TakeLines(const TLoadLines& lines);

  // The lowest grade among the entries, starting from 3 (grade 4 never lowers it).
  int32_t LowestGrade() const;
  // The sums of the entries' quiescent and alarm currents (mA).
  int32_t TotalQuiescent() const;
  int32_t TotalAlarm() const;
};

// Splits a text into lines at CR LF, CR or LF; a final line break adds no empty line.
TStringList SplitLines(const std::string& text);
// Joins lines, ending each with CR LF.
std::string JoinLines(const TStringList& lines);

}  // namespace voltaris
