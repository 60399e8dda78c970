// The device picker: the user chooses one load device from the load catalogue,
// filtered by panel type and grade, or describes a custom one, and a quantity.
// The picker then fills a load-list entry with the currents of the whole
// quantity.
//
// TDevicePicker holds everything the dialog shows and the user can change; the
// Qt dialog binds its widgets to it and runs modally through the `run`
// callback of ExecuteAdd / ExecuteEdit. A picker serves one Add or Edit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/device_data.h"
#include "catalogue/figure_range.h"
#include "catalogue/my_devices.h"

namespace voltaris {

class TDevicePicker;

// Shows the picker modally and returns true when the user closed it with OK.
using TPickerRun = std::function<bool(TDevicePicker&)>;

class TDevicePicker {
 public:
  static constexpr int32_t MinQuantity = 1;
  static constexpr int32_t MaxQuantity = 999;
  static constexpr size_t MaxDescriptionLength = 50;
  // What the custom current fields take, mA per device: the trade's range.
  // Even the largest value times the largest quantity fits a 32-bit
  // milliamp total.
  static constexpr double MinCustomMilliamps = 0;
  static constexpr double MaxCustomMilliamps = 5000;
  static constexpr TFigureRange QuantityRange{"a number of devices", MinQuantity, MaxQuantity, "devices"};
  static constexpr TFigureRange CurrentRange{"a current per device", MinCustomMilliamps, MaxCustomMilliamps, "mA"};
  static constexpr const char* CustomLine = "Custom";

  TDevicePicker() = default;
  // A picker that offers the catalogue lines of grade `currentGrade` and above.
  explicit TDevicePicker(int32_t currentGrade) : CurrentGrade(currentGrade) {}
  TDevicePicker(const TDevicePicker&) = delete;
  TDevicePicker& operator=(const TDevicePicker&) = delete;

  // The grade the catalogue lines are offered for (the project's
  // CurrentGrade); the caller sets it before running.
  int32_t CurrentGrade = 0;
  // Where the user's own devices are kept; none offers none. The caller
  // sets it before running.
  IMyDevicesStore* MyDevices = nullptr;

  // Lists the load devices offered for `panelType` at CurrentGrade, then
  // selects the first line and runs the dialog. On OK fills `entry` and
  // returns true; on Cancel leaves it alone and returns false.
  bool ExecuteAdd(int32_t panelType, TDeviceData& entry, const TPickerRun& run);
  // As ExecuteAdd, but first shows `entry`: its quantity, and its catalogue
  // line, or the custom line with its description and per-device currents.
  // A custom result keeps the entry's grade when CurrentGrade is higher.
  bool ExecuteEdit(int32_t panelType, TDeviceData& entry, const TPickerRun& run);

  // The catalogue lines for `panelType` at CurrentGrade, then the user's own
  // devices of CurrentGrade and above (read afresh from MyDevices), then
  // "Custom".
  void BuildList(int32_t panelType);
  // Reads the user's devices again (after they were managed) and rebuilds
  // the list for the same panel type, keeping the selected line where it
  // still is.
  void ReloadMyDevices();
  // Enables the custom controls exactly while the "Custom" line is selected.
  void UpdateCustomState();

  // What the user does in the dialog.
  // A click in the list: selects the line at `index` (a click beside the
  // lines keeps the selection) and updates the custom controls.
  void ClickLine(int index);
  // The quantity spin box, as typed (OK refuses one outside 1..999).
  void SetQuantity(int32_t quantity);
  // The custom fields; ignored while the custom controls are disabled. The
  // description keeps at most 50 characters, control characters become blanks
  // (they would split the load-list line); the currents are kept as typed
  // (OK refuses one outside MinCustomMilliamps..MaxCustomMilliamps).
  void SetDescription(const std::string& text);
  void SetCustomQuiescent(double milliamps);
  void SetCustomAlarm(double milliamps);
  // "Add to my devices": keep the custom device among the user's own when
  // the dialog closes with OK. Ignored while the custom controls are disabled.
  void SetAddToMyDevices(bool add);

  // What OK does. A refusal keeps the dialog open (Close false, Message
  // says why): a figure out of its range, or a custom device to be added to
  // my devices that cannot be one of them (its name is a catalogue
  // device's, or another of my devices' with other figures). Otherwise the
  // custom device is added when asked, and the dialog closes; Message then
  // says so when it could not be kept (the load list still gets it).
  struct TOkResult {
    bool Close = false;
    std::string Message;
  };
  TOkResult PressOk();

  // The message that refuses OK: a quantity, or a custom device's current,
  // outside its range. Empty when OK may close the dialog; a run closed
  // with OK in spite of it counts as cancelled.
  std::string Refusal() const;

  // Set by the caller before running: "Add Devices" or "Edit Devices".
  void SetCaption(const std::string& caption) { caption_ = caption; }

  const std::string& Caption() const { return caption_; }
  const TStringList& Lines() const { return lines_; }
  int CustomIndex() const { return customIndex_; }
  int Selected() const { return selected_; }
  int32_t Quantity() const { return quantity_; }
  const std::string& Description() const { return description_; }
  double CustomQuiescent() const { return customQuiescent_; }
  double CustomAlarm() const { return customAlarm_; }
  bool CustomEnabled() const { return customEnabled_; }
  bool AddToMyDevices() const { return addToMyDevices_; }
  // The lines of the user's own devices: MyDeviceCount() of them from
  // FirstMyDeviceLine() on.
  int FirstMyDeviceLine() const { return myFirst_; }
  int MyDeviceCount() const { return static_cast<int>(myDevices_.size()); }
  bool IsMyDeviceLine(int index) const { return index >= myFirst_ && index < myFirst_ + MyDeviceCount(); }
  // Why the user's devices could not be read whole; "" when they could.
  const std::string& MyDevicesProblem() const { return myDevicesProblem_; }

 private:
  // Fills `entry` from the selected line, the quantity and the custom fields;
  // false, leaving it alone, when no line is selected.
  bool FillEntry(TDeviceData& entry) const;
  // Selects the first line that stands for `entry`: a catalogue line of its
  // name, or one of my devices of its name and figures; else "Custom".
  void SelectLineOf(const TDeviceData& entry);
  void PresetCustom(const TDeviceData& entry);
  // The custom device as my devices would keep it.
  TMyDevice CustomAsMyDevice() const;

  std::string caption_ = "frmDevices";
  TStringList lines_;
  int customIndex_ = -1;
  int selected_ = -1;
  int32_t quantity_ = MinQuantity;
  std::string description_;
  double customQuiescent_ = 0;  // mA per device
  double customAlarm_ = 0;      // mA per device; its fraction is dropped
  bool customEnabled_ = false;
  bool addToMyDevices_ = false;
  int32_t panelType_ = 0;
  // The grade of the entry being edited, which a custom result never rises above.
  int32_t editedGrade_ = MaxMyDeviceGrade;
  TMyDeviceList myDevices_;  // those listed, from line myFirst_ on
  int myFirst_ = 0;
  std::string myDevicesProblem_;
};

// The text of a picker line before its first tab: the device name of a
// catalogue line, empty for the "Custom" line.
std::string LineName(const std::string& line);

}  // namespace voltaris
