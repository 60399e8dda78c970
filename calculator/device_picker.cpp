#include "calculator/device_picker.h"

#include <algorithm>
#include <cmath>

#include "catalogue/format.h"
#include "model/load.h"

namespace voltaris {

namespace {

// As far as a box can be typed into; a figure beyond the range is kept as
// typed so that OK can refuse it, but never beyond what a number holds.
constexpr double TypedMaximum = 999999999;

double TypedMilliamps(double milliamps) {
  if (std::isnan(milliamps)) return TDevicePicker::MinCustomMilliamps;
  return std::clamp(milliamps, -TypedMaximum, TypedMaximum);
}

// A field value as whole milliamps, truncated towards zero. OK lets only
// values within the field's range through, so the conversion cannot overflow.
int32_t WholeMilliamps(double milliamps) {
  return static_cast<int32_t>(
      std::trunc(std::clamp(milliamps, TDevicePicker::MinCustomMilliamps, TDevicePicker::MaxCustomMilliamps)));
}

}  // namespace

std::string LineName(const std::string& line) {
  const size_t tab = line.find('\t');
  return tab == std::string::npos ? std::string() : line.substr(0, tab);
}

void TDevicePicker::BuildList(int32_t panelType) {
  panelType_ = panelType;
  lines_.clear();
  for (const TDeviceType& row : DeviceTypeTable) {
    if (InSet(row.Panels, panelType) && CurrentGrade <= row.Grade) {
      lines_.push_back(Format("%s\t%d\t%d mA\t%d mA", row.Name, row.Grade, row.Quiescent, row.Alarm));
    }
  }
  // The user's own devices suit every panel; the grade filter holds for them
  // as for a catalogue row.
  myFirst_ = static_cast<int>(lines_.size());
  myDevices_.clear();
  myDevicesProblem_.clear();
  if (MyDevices) {
    TMyDevicesLibrary library = MyDevices->Read();
    myDevicesProblem_ = std::move(library.Problem);
    for (TMyDevice& device : library.Devices) {
      if (CurrentGrade > device.Grade) continue;
      lines_.push_back(Format("%s\t%d\t%d mA\t%d mA", device.Name, device.Grade, device.Quiescent, device.Alarm));
      myDevices_.push_back(std::move(device));
    }
  }
  lines_.emplace_back(CustomLine);
  customIndex_ = static_cast<int>(lines_.size()) - 1;
  selected_ = -1;
}

void TDevicePicker::ReloadMyDevices() {
  const std::string selectedLine = selected_ >= 0 && selected_ < static_cast<int>(lines_.size())
                                       ? lines_[static_cast<size_t>(selected_)]
                                       : "";
  const bool wasCustom = selected_ >= 0 && selected_ == customIndex_;
  BuildList(panelType_);
  const auto found = std::find(lines_.begin(), lines_.end(), selectedLine);
  if (wasCustom)
    selected_ = customIndex_;
  else if (found != lines_.end())
    selected_ = static_cast<int>(found - lines_.begin());
  else
    selected_ = lines_.empty() ? -1 : 0;
  UpdateCustomState();
}

void TDevicePicker::UpdateCustomState() { customEnabled_ = selected_ >= 0 && selected_ == customIndex_; }

void TDevicePicker::ClickLine(int index) {
  // A click beside the lines leaves the selection as it was.
  if (index >= 0 && index < static_cast<int>(lines_.size())) selected_ = index;
  UpdateCustomState();
}

void TDevicePicker::SetQuantity(int32_t quantity) { quantity_ = quantity; }

std::string TDevicePicker::Refusal() const {
  if (!QuantityRange.Holds(quantity_)) return QuantityRange.Refusal();
  if (selected_ == customIndex_ && (!CurrentRange.Holds(customQuiescent_) || !CurrentRange.Holds(customAlarm_)))
    return CurrentRange.Refusal();
  return std::string();
}

void TDevicePicker::SetDescription(const std::string& text) {
  if (!customEnabled_) return;
  description_ = text.substr(0, MaxDescriptionLength);
  for (char& c : description_) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
}

void TDevicePicker::SetCustomQuiescent(double milliamps) {
  if (customEnabled_) customQuiescent_ = TypedMilliamps(milliamps);
}

void TDevicePicker::SetCustomAlarm(double milliamps) {
  if (customEnabled_) customAlarm_ = TypedMilliamps(milliamps);
}

void TDevicePicker::SetAddToMyDevices(bool add) {
  if (customEnabled_) addToMyDevices_ = add;
}

TMyDevice TDevicePicker::CustomAsMyDevice() const {
  TMyDevice device;
  const size_t first = description_.find_first_not_of(' ');
  const size_t last = description_.find_last_not_of(' ');
  device.Name = first == std::string::npos ? std::string() : description_.substr(first, last - first + 1);
  device.Grade = std::clamp(std::min(CurrentGrade, editedGrade_), MinMyDeviceGrade, MaxMyDeviceGrade);
  device.Quiescent = WholeMilliamps(customQuiescent_);
  device.Alarm = WholeMilliamps(customAlarm_);
  return device;
}

TDevicePicker::TOkResult TDevicePicker::PressOk() {
  const std::string refusal = Refusal();
  if (!refusal.empty()) return {false, refusal};
  if (!MyDevices || !addToMyDevices_ || selected_ != customIndex_ || !customEnabled_) return {true, ""};
  const TMyDevice device = CustomAsMyDevice();
  TMyDevicesLibrary library = MyDevices->Read();
  // Kept already, exactly so: nothing to add.
  if (std::find(library.Devices.begin(), library.Devices.end(), device) != library.Devices.end()) return {true, ""};
  const std::string notMine = MyDeviceRefusal(device, library.Devices);
  if (!notMine.empty())
    return {false, notMine + "\nChange it, or clear \"Add to my devices\" to use it in this load list only."};
  library.Devices.push_back(device);
  const std::string failure = MyDevices->Write(library.Devices);
  if (!failure.empty())
    return {true, "The device goes into the load list, but it could not be added to my devices:\n" + failure};
  return {true, ""};
}

bool TDevicePicker::ExecuteAdd(int32_t panelType, TDeviceData& entry, const TPickerRun& run) {
  editedGrade_ = MaxMyDeviceGrade;
  BuildList(panelType);
  // The first line is selected without updating the custom controls: when no
  // catalogue row passes, "Custom" is selected but stays disabled until clicked.
  selected_ = 0;
  if (!run || !run(*this) || !Refusal().empty()) return false;
  return FillEntry(entry);
}

bool TDevicePicker::ExecuteEdit(int32_t panelType, TDeviceData& entry, const TPickerRun& run) {
  BuildList(panelType);
  SetQuantity(entry.Qty);
  editedGrade_ = entry.Grade;
  SelectLineOf(entry);
  // Anything but a catalogue line is shown as the custom device it is, so
  // that OK without a change gives the entry back as it was (an entry with
  // an empty name matches the "Custom" line itself).
  if (selected_ == customIndex_) PresetCustom(entry);
  UpdateCustomState();
  if (!run || !run(*this) || !Refusal().empty()) return false;
  const int32_t previousGrade = entry.Grade;
  if (!FillEntry(entry)) return false;
  // A custom device takes the filter grade, but an edit never raises the
  // grade of the equipment the entry stands for: a grade-2 detector that the
  // filter no longer lists comes back as Custom and must stay grade 2.
  if (selected_ == customIndex_ && entry.Grade > previousGrade) entry.Grade = previousGrade;
  return true;
}

void TDevicePicker::SelectLineOf(const TDeviceData& entry) {
  selected_ = customIndex_;
  for (int k = 0; k < static_cast<int>(lines_.size()); ++k) {
    if (LineName(lines_[static_cast<size_t>(k)]) != entry.Name) continue;
    if (IsMyDeviceLine(k)) {
      // One of my devices stands for the entry only while its figures are
      // the entry's: the load list keeps its own copy, and OK without a
      // change must give it back as it was, whatever became of my devices.
      const TMyDevice& device = myDevices_[static_cast<size_t>(k - myFirst_)];
      if (device.Grade != entry.Grade || MultiplyMilliamps(device.Quiescent, entry.Qty) != entry.Quiescent ||
          MultiplyMilliamps(device.Alarm, entry.Qty) != entry.Alarm)
        continue;
    }
    selected_ = k;
    return;
  }
}

void TDevicePicker::PresetCustom(const TDeviceData& entry) {
  // The entry holds the currents of the whole quantity, the fields those of
  // one device. Divide by the quantity the spin box shows: the same as the
  // entry's own for 1..999; a damaged entry's quantity counts as one.
  const double quantity = QuantityRange.Holds(quantity_) ? quantity_ : 1;
  description_ = entry.Name.substr(0, MaxDescriptionLength);
  customQuiescent_ = TypedMilliamps(static_cast<double>(entry.Quiescent) / quantity);
  customAlarm_ = TypedMilliamps(static_cast<double>(entry.Alarm) / quantity);
}

bool TDevicePicker::FillEntry(TDeviceData& entry) const {
  if (selected_ < 0 || selected_ >= static_cast<int>(lines_.size())) return false;
  if (IsMyDeviceLine(selected_)) {
    const TMyDevice& device = myDevices_[static_cast<size_t>(selected_ - myFirst_)];
    entry.Name = device.Name;
    entry.Qty = quantity_;
    entry.Grade = device.Grade;
    entry.Quiescent = MultiplyMilliamps(device.Quiescent, entry.Qty);
    entry.Alarm = MultiplyMilliamps(device.Alarm, entry.Qty);
  } else if (selected_ != customIndex_) {
    entry.Name = LineName(lines_[static_cast<size_t>(selected_)]);
    entry.Qty = quantity_;
    for (const TDeviceType& row : DeviceTypeTable) {
      if (entry.Name != row.Name) continue;
      entry.Grade = row.Grade;
      entry.Quiescent = MultiplyMilliamps(row.Quiescent, entry.Qty);
      entry.Alarm = MultiplyMilliamps(row.Alarm, entry.Qty);
    }
  } else {
    entry.Grade = CurrentGrade;
    entry.Name = description_;
    entry.Qty = quantity_;
    entry.Quiescent = MultiplyMilliamps(WholeMilliamps(customQuiescent_), entry.Qty);
    entry.Alarm = MultiplyMilliamps(WholeMilliamps(customAlarm_), entry.Qty);
  }
  return true;
}

}  // namespace voltaris
