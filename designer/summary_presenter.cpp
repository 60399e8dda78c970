#include "designer/summary_presenter.h"

#include <algorithm>

#include "catalogue/format.h"
#include "designer/designer_change.h"
#include "designer/edit_context.h"
#include "model/advice.h"
#include "model/control_panel.h"
#include "model/load_data.h"
#include "model/project_context.h"

namespace voltaris {

namespace {
constexpr double DegradeFactors[] = {1.0, 0.9, 0.8, 0.7};
constexpr const char* DegradeItems[] = {"0", "10", "20", "30"};
}  // namespace

TSummaryPresenter::TSummaryPresenter(IEditContext& editor)
    : editor_(editor),
      loadChanged_([this](TControlPanel&, const TNoEvent&) { HandleLoadChanged(); }),
      warningsChanged_([this](TControlPanel&, const TNoEvent&) { HandleWarningsChanged(); }) {}

void TSummaryPresenter::FollowPanel(TControlPanel& panel) {
  panel.OnLoadChanged.Attach(loadChanged_);
  panel.OnWarningsChanged.Attach(warningsChanged_);
}

void TSummaryPresenter::FillChoices(int32_t panelType) {
  FillBatteryList(Summary.BatteryItems, panelType);
  FillGradeList(Summary.GradeItems, panelType);
}

void TSummaryPresenter::UpdateSummary() {
  const TControlPanel& panel = *editor_.ControlPanel();
  Summary.BatteryIndex = panel.BatteryIndex;
  Summary.GradeIndex = panel.GetGrade() - 1;
  Summary.ACFailChecked = panel.ACFailSignalled;
  Summary.ACFailEnabled = panel.GetGrade() == 3;
  Summary.PSU = {Format("%.2f Amps", PanelOptsTable[panel.PanelType].PsuOutput), ColourBlue};
  Summary.BattCurrent = {Format("%d mA", panel.ChargeCurrent), ColourBlue};

  // Up to 1000 mA in milliamps, above that in amps.
  auto current = [](int32_t milliamps) {
    return milliamps <= 1000 ? Format("%d mA", milliamps) : Format("%.2f Amps", milliamps / 1000.0);
  };
  auto amps = [](double value) { return value <= 1 ? Format("%.0f mA", value * 1000) : Format("%.2f Amps", value); };
  Summary.QLoad = {current(panel.TotalQuiescent()), panel.ContinuousOverload ? ColourRed : ColourGreen};
  Summary.AlmLoad = {current(panel.TotalAlarm()), panel.AlarmOverload ? ColourRed : ColourGreen};
  Summary.PeakCurrent = {amps(panel.PeakAvailable), ColourBlue};
  Summary.StandBy = {Format("%d Hours", panel.RequiredStandby), ColourBlue};
  Summary.RatedOP = {panel.ContinuousRated == 0 ? "Select Battery" : amps(panel.ContinuousRated), ColourBlue};
  Summary.ActStandby = {Format("%.2f Hrs", panel.StandbyTime), panel.InsufficientBackup ? ColourRed : ColourGreen};

  if (panel.BatteryFactor == 0) {
    Summary.DegradeIndex = 0;
    // Assigned as a new string: GCC 12 warns of a false overlap when the short text is copied in place.
    Summary.DegradeText = std::string(DegradeItems[0]);
  } else {
    Summary.DegradeText = FloatToStr(100 - 100 * panel.BatteryFactor);
    Summary.DegradeIndex = -1;
    for (int i = 0; i < 4; ++i) {
      if (Summary.DegradeText == DegradeItems[i]) Summary.DegradeIndex = i;
    }
  }
  editor_.Notify(ChangedSummary);
}

void TSummaryPresenter::UpdateChecks() {
  std::string checks;
  std::vector<int32_t> tiles;
  if (editor_.IsProjectOpen()) {
    const TFailedChecks failed = WorkOutFailedChecks(*editor_.ControlPanel(), editor_.Canvas());
    std::vector<std::string> parts;
    tiles = failed.DevicesBelowOnBattery;
    const size_t devices = tiles.size();
    if (devices == 1) parts.emplace_back("1 device below its minimum on battery");
    if (devices > 1) parts.push_back(Format("%d devices below their minimum on battery", static_cast<int>(devices)));
    for (const TFailedChecks::TSlowRecharge& source : failed.SlowRecharges) {
      std::string name = "The panel";
      if (source.SaveIndex >= 0) {
        name = source.SupplyName;
        tiles.push_back(source.SaveIndex);  // the panel is no tile of the canvas to point at
      }
      parts.push_back(Format("%s recharges in %.1f h (limit %d h)", name, source.Hours, source.LimitHours));
    }
    for (const std::string& part : parts) checks += (checks.empty() ? "Checks beyond the light: " : "; ") + part;
  }
  std::sort(tiles.begin(), tiles.end());
  if (checks == Checks && tiles == ChecksTiles) return;
  Checks = std::move(checks);
  ChecksTiles = std::move(tiles);
  editor_.Notify(ChangedErrors);
}

void TSummaryPresenter::FillAttachedDevices() {
  AttachedDevices.clear();
  for (const TDeviceDataPtr& entry : editor_.ControlPanel()->LoadData.Entries) {
    AttachedDevices.push_back({Format("%d", entry->Qty), entry->Name});
  }
  editor_.Notify(ChangedDevices);
}

void TSummaryPresenter::HandleLoadChanged() {
  UpdateSummary();
  HandleWarningsChanged();
}

void TSummaryPresenter::HandleWarningsChanged() {
  Errors = editor_.ControlPanel()->Warnings;
  editor_.Notify(ChangedErrors);
}

void TSummaryPresenter::ChooseGrade(int index) {
  if (!editor_.IsProjectOpen() || index < 0 || static_cast<size_t>(index) >= Summary.GradeItems.size()) return;
  editor_.RunCommand("Grade", [&] { editor_.ControlPanel()->SetGrade(index + 1); });
  UpdateSummary();
  editor_.UpdateToolbar();
}

void TSummaryPresenter::ChooseBattery(int index) {
  if (!editor_.IsProjectOpen() || index < 0 || static_cast<size_t>(index) >= Summary.BatteryItems.size()) return;
  editor_.RunCommand("Battery", [&] { editor_.ControlPanel()->SetBattery(index); });
  UpdateSummary();
}

void TSummaryPresenter::ClickACFail(bool checked) {
  if (!editor_.IsProjectOpen()) return;
  editor_.RunCommand("AC Fail Signalling", [&] { editor_.ControlPanel()->SetACFailSignalled(checked); });
  UpdateSummary();
}

void TSummaryPresenter::ChooseDegradation(int index) {
  if (!editor_.IsProjectOpen()) return;
  editor_.RunCommand("Battery Degradation", [&] {
    TSettings& settings = editor_.Context().Settings;
    if (index >= 0 && index < 4) settings.BatteryFactor = DegradeFactors[index];
    editor_.ControlPanel()->SetBatteryFactor(settings.BatteryFactor);
  });
  UpdateSummary();
}

void TSummaryPresenter::UpdatePanelAndDevices() {
  if (!editor_.IsProjectOpen()) return;
  editor_.RunCommand("Panel Devices", [this] {
    editor_.Context().Filter.CurrentPanelType = editor_.ControlPanel()->PanelType;
    editor_.ControlPanel()->EditLoadList(editor_.Context());
    // The list's lowest grade is taken after the dialog, and the grade may have
    // changed in it: the warnings and the toolbar follow.
    editor_.ControlPanel()->BuildWarnings();
    FillAttachedDevices();
    UpdateSummary();
    editor_.UpdateToolbar();
  });
}

}  // namespace voltaris
