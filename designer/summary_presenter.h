// The summary panel above the canvas: the control panel's figures and the
// user's choices for it (grade, battery, AC fail signalling, battery
// degradation), the warning list and the list of devices attached to the
// panel. It follows the open project's control panel, which it reaches
// through its designer, and refreshes whenever the panel's load or warnings
// change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "model/colour.h"
#include "model/signal.h"

namespace voltaris {

class TControlPanel;
class IEditContext;

// A text of the summary panel with its colour.
struct TSummaryText {
  std::string Text;
  TColour Colour = ColourBlue;
  bool operator==(const TSummaryText&) const = default;
};

// The summary panel, as shown.
struct TSummaryView {
  std::string Panel;         // lbPanel
  TSummaryText StandBy;      // lbStandBy: required standby
  TSummaryText PSU;          // lbPSU
  TSummaryText BattCurrent;  // lbBattCurrent
  TSummaryText PeakCurrent;  // lbPeakCurrent
  TSummaryText RatedOP;      // lbRatedOP
  TSummaryText QLoad;        // lbQLoad
  TSummaryText AlmLoad;      // lbAlmLoad
  TSummaryText ActStandby;   // lbActStandby
  TStringList GradeItems;    // cbGrade
  int GradeIndex = -1;
  TStringList BatteryItems;  // cbBatteryType
  int BatteryIndex = -1;
  // The battery box's text while nothing is selected: one text however the
  // project was reached (New, Load, Undo, a recovered copy).
  static constexpr const char* NoBatteryText = "SelectBattery";
  std::string BatteryText = NoBatteryText;
  bool ACFailChecked = false;  // cbACFailSig
  bool ACFailEnabled = false;
  int DegradeIndex = 0;  // ComboBox1: -1 when only its text is set
  std::string DegradeText = "0";
};

// One row of the list of devices attached to the panel.
struct TAttachedDevice {
  std::string Qty;
  std::string Name;
};

class TSummaryPresenter {
 public:
  explicit TSummaryPresenter(IEditContext& editor);
  TSummaryPresenter(const TSummaryPresenter&) = delete;
  TSummaryPresenter& operator=(const TSummaryPresenter&) = delete;

  // Listens to the load and the warnings of `panel`, the open project's.
  void FollowPanel(TControlPanel& panel);
  // The grade and battery lists a panel type offers.
  void FillChoices(int32_t panelType);
  // The figures and choices from the control panel; the project counts as modified.
  void UpdateSummary();
  void FillAttachedDevices();

  void ChooseGrade(int index);
  void ChooseBattery(int index);
  void ClickACFail(bool checked);
  void ChooseDegradation(int index);
  // "Update Panel and Panel Devices": the load calculator on the panel.
  void UpdatePanelAndDevices();
  // The checks beyond the light, worked out again for the design as it stands.
  void UpdateChecks();

  // --- state (read by the window) ---
  TSummaryView Summary;
  TStringList Errors;  // the warning list lbErrors
  std::vector<TAttachedDevice> AttachedDevices;
  // The checks beyond the light that fail, as one line under the warnings
  // ("Checks beyond the light: 2 devices below their minimum on battery;
  // Supply 2 recharges in 45.3 h (limit 24 h)"); empty when all pass. And
  // the save indexes of the tiles they are about, for a click to point at.
  std::string Checks;
  std::vector<int32_t> ChecksTiles;

 private:
  void HandleLoadChanged();
  void HandleWarningsChanged();

  IEditContext& editor_;
  TSlot<TControlPanel> loadChanged_;
  TSlot<TControlPanel> warningsChanged_;
};

}  // namespace voltaris
