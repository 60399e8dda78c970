// One entry of a load list: a number of identical load devices with the
// currents of the whole quantity.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace voltaris {

class TDeviceData {
 public:
  int32_t Qty = 0;        // number of identical devices
  int32_t Grade = 0;      // 4 marks a signalling unit, which passes every grade
  std::string Name;
  int32_t Quiescent = 0;  // mA for the whole quantity
  int32_t Alarm = 0;      // mA for the whole quantity
};

// Entries are shared between a load list and the lines of the dialog editing it.
using TDeviceDataPtr = std::shared_ptr<TDeviceData>;

// The tab-separated display line of an entry: quantity, name, grade, currents.
std::string LoadListLine(const TDeviceData& entry);

// One line of a load-list editor: its text and the entry it carries (null for
// a line without one).
struct TLoadLine {
  std::string Text;
  TDeviceDataPtr Entry;
};
using TLoadLines = std::vector<TLoadLine>;

}  // namespace voltaris
