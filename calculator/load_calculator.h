// The load calculator: the modal editor of one power module's grade, battery,
// AC-fail choice and load list, with the module's live figures.
//
// TLoadCalculator holds the dialog's state as plain data (TCalculatorView)
// and carries out its events on the module; the Qt dialog binds its widgets
// to the view and forwards the user's actions to the operations named after
// the dialog's events. All figures come from the module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calculator/device_picker.h"
#include "calculator/load_calculator_host.h"
#include "catalogue/catalogue.h"
#include "catalogue/device_data.h"
#include "model/colour.h"
#include "model/power_module.h"

namespace voltaris {

// A label that shows a figure: its text and the colour it is drawn in.
struct TValueLabel {
  std::string Text;
  TColour Colour = ColourBlue;

  bool operator==(const TValueLabel&) const = default;
};

// Everything the load calculator dialog shows. The value labels carry the
// names of the dialog's controls; the texts before the first opening are
// the dialog's design values.
struct TCalculatorView {
  std::string Caption;        // the window caption: the module's name
  std::string PanelTypeText;  // cbPanelType, display only: the module's name
  std::string Title;          // Label14: "  Control Panel" or "Distributed PSU"

  TStringList GradeItems;  // cbGrade: position i stands for grade i + 1
  int GradeIndex = -1;
  bool GradeEnabled = true;

  TStringList BatteryItems;  // cbBatteryType: the batteries the panel type allows
  int BatteryIndex = -1;     // -1: no battery chosen

  // A supply's label (edLabel), shown for a remote supply only.
  bool LabelShown = false;
  std::string Label;

  bool ACFailChecked = false;  // cbSigACFail
  bool ACFailEnabled = false;

  TValueLabel lbPeriod{"Unknown"};
  TValueLabel lbPSU{"Unknown"};
  TValueLabel lbBattCurrent{"Unknown"};
  TValueLabel lbPeakCurrent{"Unknown"};
  TValueLabel lbRatedOP{"Please Select Battery"};
  TValueLabel lbCPNomI{"0.000 Amps"};
  TValueLabel lbCPAlarmI{"0.000 Amps"};
  TValueLabel TotNomI{"0.000 Amps"};
  TValueLabel TotAlarmI{"0.000 Amps"};
  TValueLabel lbReqStandby{"---"};
  TValueLabel lbActStandby{"----"};
  TValueLabel lbReqPeakCur{"---"};
  TValueLabel lbActPeak{"----"};
  // The design advice: the smallest capacity that meets the standby and
  // continuous rules, and the first battery of the list that carries the
  // module, or red that none does.
  TValueLabel lbCapacityNeeded{"---"};
  TValueLabel lbRecommendedBattery{"---"};
  // Under the battery choice: the hours the battery takes to come back to
  // 80 % and the grade's limit, red beyond it; "---" without a battery.
  TValueLabel lbRecharge{"---"};

  bool DevicesEnabled = false;  // lbDevices
  bool AddEnabled = false;
  bool EditEnabled = false;
  bool DeleteEnabled = false;
  int SelectedLine = -1;  // in lbDevices; -1 none
};

struct TSourceAdvice;
// The recharge label of a source's advice: "7.68 h (limit 72 h)", green
// within the limit and red beyond it; "---" without a battery.
TValueLabel RechargeLabel(const TSourceAdvice& advice);

class TLoadCalculator {
 public:
  // "Add" adds nothing once the list holds this many lines.
  static constexpr size_t MaxLines = 100;
  static constexpr const char* GradeQuestion =
      "The device list contains components that do not meet the \r\n"
      "selected grade. Do you want to remove these devices?";
  static constexpr const char* DeleteQuestion = "Are you sure you want to delete this device?";
  static constexpr const char* NoBatteryEnough = "No battery of the list is enough";

  explicit TLoadCalculator(ILoadCalculatorHost& host) : host_(host) {}
  TLoadCalculator(const TLoadCalculator&) = delete;
  TLoadCalculator& operator=(const TLoadCalculator&) = delete;

  // Opens the dialog on `module` and the lines of its load list (line k
  // carries entry k), which it then edits in place: shows the module's name
  // and runs cbPanelTypeChange. `filter` is the project's catalogue filter:
  // its CurrentPanelType chooses the devices offered, and Add sets its
  // CurrentGrade. All three must outlive the opening.
  void Open(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter);
  // The dialog has closed: every change is already in the module and the
  // lines, and the calculator lets go of both. After Cancel (or Escape, or
  // the close box) whoever opened it puts the project back as it was.
  void Close();
  bool IsOpen() const { return module_ != nullptr; }

  // The dialog's events; each does nothing while the dialog is not open or
  // while its control is disabled, as a user could not cause it then.
  // Opening: grade and battery lists, selections, title, figures; marks the
  // project modified.
  void cbPanelTypeChange();
  // The user chose grade position `position` (grade position + 1).
  void cbGradeChange(int position);
  // The user chose battery position `position` of the battery list.
  void cbBatteryTypeChange(int position);
  // The user clicked the AC-fail box, leaving it `ticked`.
  void cbSigACFailClick(bool ticked);
  // The user typed `text` as the supply's label; kept to MaxSupplyLabel
  // characters, leading and trailing blanks dropped.
  void EditLabel(const std::string& text);
  // The user clicked line `index` of the list (-1 or beyond the lines: none).
  void SelectLine(int index);
  // "Add": a new entry from the device picker, up to MaxLines lines.
  void btnAddClick();
  // "Edit": the selected entry through the device picker; it keeps its place.
  void btnEditClick();
  // "Delete": the selected entry, after a confirmation.
  void btnDeleteClick();

  // The routines the events share.
  // The list and "Add" are enabled with a battery chosen; "Edit" and
  // "Delete" also need a line.
  void UpdateButtons();
  // Hands the sums of the entries' currents to the module, then UpdateDisplay.
  void Recalculate();
  // Every value label and the AC-fail box from the module.
  void UpdateDisplay();
  // Offers to remove the entries below `grade`; signalling units (grade 4)
  // always stay.
  void CheckDeviceGrades(int32_t grade);

  const TCalculatorView& View() const { return view_; }
  // The lines being edited; empty while the dialog is not open.
  const TLoadLines& Lines() const;
  TPowerModule* Module() const { return module_; }

 private:
  bool HasSelectedEntry() const;
  TPickerRun PickerRun();

  ILoadCalculatorHost& host_;
  TPowerModule* module_ = nullptr;
  TLoadLines* lines_ = nullptr;
  TCatalogueFilter* filter_ = nullptr;
  TCalculatorView view_;
};

}  // namespace voltaris
