#include "designer/summary_presenter.h"

#include "catalogue/format.h"
#include "designer/designer.h"
#include "model/load_data.h"
#include "model/project_context.h"

namespace voltaris {

namespace {
constexpr double DegradeFactors[] = {1.0, 0.9, 0.8, 0.7};
constexpr const char* DegradeItems[] = {"0", "10", "20", "30"};
}  // namespace

TSummaryPresenter::TSummaryPresenter(TDesigner& designer)
    : designer_(designer),
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
  const TControlPanel& panel = *designer_.ControlPanel();
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
  designer_.Notify(ChangedSummary);
}

void TSummaryPresenter::FillAttachedDevices() {
  AttachedDevices.clear();
  for (const TDeviceDataPtr& entry : designer_.ControlPanel()->LoadData.Entries) {
    AttachedDevices.push_back({Format("%d", entry->Qty), entry->Name});
  }
  designer_.Notify(ChangedDevices);
}

void TSummaryPresenter::HandleLoadChanged() {
  UpdateSummary();
  HandleWarningsChanged();
}

void TSummaryPresenter::HandleWarningsChanged() {
  Errors = designer_.ControlPanel()->Warnings;
  designer_.Notify(ChangedErrors);
}

void TSummaryPresenter::ChooseGrade(int index) {
  if (!designer_.ProjectOpen || index < 0 || static_cast<size_t>(index) >= Summary.GradeItems.size()) return;
  designer_.RunCommand("Grade", [&] { designer_.ControlPanel()->SetGrade(index + 1); });
  UpdateSummary();
  designer_.UpdateToolbar();
}

void TSummaryPresenter::ChooseBattery(int index) {
  if (!designer_.ProjectOpen || index < 0 || static_cast<size_t>(index) >= Summary.BatteryItems.size()) return;
  designer_.RunCommand("Battery", [&] { designer_.ControlPanel()->SetBattery(index); });
  UpdateSummary();
}

void TSummaryPresenter::ClickACFail(bool checked) {
  if (!designer_.ProjectOpen) return;
  designer_.RunCommand("AC Fail Signalling", [&] { designer_.ControlPanel()->SetACFailSignalled(checked); });
  UpdateSummary();
}

void TSummaryPresenter::ChooseDegradation(int index) {
  if (!designer_.ProjectOpen) return;
  designer_.RunCommand("Battery Degradation", [&] {
    TSettings& settings = designer_.Context().Settings;
    if (index >= 0 && index < 4) settings.BatteryFactor = DegradeFactors[index];
    designer_.ControlPanel()->SetBatteryFactor(settings.BatteryFactor);
  });
  UpdateSummary();
}

void TSummaryPresenter::UpdatePanelAndDevices() {
  if (!designer_.ProjectOpen) return;
  designer_.RunCommand("Panel Devices", [this] {
    designer_.Context().Filter.CurrentPanelType = designer_.ControlPanel()->PanelType;
    designer_.ControlPanel()->EditLoadList(designer_.Context());
    // The list's lowest grade is taken after the dialog, and the grade may have
    // changed in it: the warnings and the toolbar follow.
    designer_.ControlPanel()->BuildWarnings();
    FillAttachedDevices();
    UpdateSummary();
    designer_.UpdateToolbar();
  });
}

}  // namespace voltaris
