#include "calculator/load_calculator.h"

#include <memory>
#include <vector>

#include "catalogue/format.h"
#include "model/advice.h"
#include "model/load.h"

namespace voltaris {

TValueLabel RechargeLabel(const TSourceAdvice& advice) {
  if (!advice.RechargeHours) return {"---"};
  if (!advice.RechargeLimitHours) return {Format("%f h (no limit at this grade)", *advice.RechargeHours)};
  return {Format("%f h (limit %d h)", *advice.RechargeHours, *advice.RechargeLimitHours),
          advice.RechargeOk.value_or(false) ? ColourGreen : ColourRed};
}

namespace {

// `position` when the list has such a line, else -1 (no selection).
int PositionIn(const TStringList& items, int position) {
  return position >= 0 && position < static_cast<int>(items.size()) ? position : -1;
}

const TLoadLines NoLines;

}  // namespace

const TLoadLines& TLoadCalculator::Lines() const { return lines_ ? *lines_ : NoLines; }

void TLoadCalculator::Open(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) {
  module_ = &module;
  lines_ = &lines;
  filter_ = &filter;
  // Nothing of an earlier opening survives but what the module and its list hold.
  view_ = TCalculatorView{};
  view_.Caption = module.Name;
  view_.PanelTypeText = module.Name;
  cbPanelTypeChange();
}

void TLoadCalculator::Close() {
  module_ = nullptr;
  lines_ = nullptr;
  filter_ = nullptr;
}

void TLoadCalculator::cbPanelTypeChange() {
  if (!IsOpen()) return;
  FillGradeList(view_.GradeItems, module_->PanelType);
  FillBatteryList(view_.BatteryItems, module_->PanelType);
  view_.GradeIndex = PositionIn(view_.GradeItems, module_->GetGrade() - 1);
  view_.BatteryIndex = PositionIn(view_.BatteryItems, module_->BatteryIndex);
  // A remote supply's grade follows the control panel's.
  const bool remoteSupply = module_->PanelType >= RemotePsuPanelType;
  view_.GradeEnabled = !remoteSupply;
  view_.Title = remoteSupply ? "Distributed PSU" : "  Control Panel";
  view_.LabelShown = remoteSupply;
  view_.Label = module_->Label;
  UpdateButtons();
  Recalculate();
  host_.MarkModified();
}

void TLoadCalculator::EditLabel(const std::string& text) {
  if (!IsOpen() || !view_.LabelShown) return;
  const size_t first = text.find_first_not_of(' ');
  std::string label = first == std::string::npos ? std::string() : text.substr(first, MaxSupplyLabel);
  label.erase(label.find_last_not_of(' ') + 1);
  view_.Label = text.substr(0, MaxSupplyLabel);
  if (label == module_->Label) return;
  module_->Label = label;
  host_.MarkModified();
}

void TLoadCalculator::cbGradeChange(int position) {
  if (!IsOpen() || !view_.GradeEnabled || PositionIn(view_.GradeItems, position) < 0) return;
  view_.GradeIndex = position;
  const int32_t grade = position + 1;
  if (grade == module_->GetGrade()) return;
  module_->SetGrade(grade);  // also clears the AC-fail choice
  CheckDeviceGrades(grade);
  UpdateButtons();
  Recalculate();
}

void TLoadCalculator::cbBatteryTypeChange(int position) {
  if (!IsOpen() || PositionIn(view_.BatteryItems, position) < 0) return;
  view_.BatteryIndex = position;
  module_->SetBattery(position);
  UpdateButtons();
  Recalculate();
}

void TLoadCalculator::cbSigACFailClick(bool ticked) {
  if (!IsOpen() || !view_.ACFailEnabled) return;
  view_.ACFailChecked = ticked;
  module_->SetACFailSignalled(ticked);
  Recalculate();
}

void TLoadCalculator::SelectLine(int index) {
  view_.SelectedLine = index >= 0 && static_cast<size_t>(index) < Lines().size() ? index : -1;
}

TPickerRun TLoadCalculator::PickerRun() {
  return [this](TDevicePicker& picker) { return host_.RunDevicePicker(picker); };
}

bool TLoadCalculator::HasSelectedEntry() const {
  const int selected = view_.SelectedLine;
  return selected >= 0 && static_cast<size_t>(selected) < Lines().size() &&
         Lines()[static_cast<size_t>(selected)].Entry != nullptr;
}

void TLoadCalculator::btnAddClick() {
  if (!IsOpen() || !view_.AddEnabled) return;
  TCatalogueFilter& filter = *filter_;
  if (filter.CurrentPanelType >= 0 && lines_->size() < MaxLines) {
    TDevicePicker picker;
    picker.SetCaption("Add Devices");
    // New entries are offered for the grade of the designer's control panel,
    // also for a remote supply's list.
    filter.CurrentGrade = host_.DesignerGrade();
    picker.CurrentGrade = filter.CurrentGrade;
    picker.MyDevices = host_.MyDevices();
    auto entry = std::make_shared<TDeviceData>();
    if (picker.ExecuteAdd(filter.CurrentPanelType, *entry, PickerRun())) {
      lines_->push_back({LoadListLine(*entry), entry});
      Recalculate();
    }
  }
  UpdateButtons();
}

void TLoadCalculator::btnEditClick() {
  if (!IsOpen() || !view_.EditEnabled || !HasSelectedEntry()) return;
  TLoadLine& line = (*lines_)[static_cast<size_t>(view_.SelectedLine)];
  // The picker works on a copy, so that Cancel leaves the entry untouched.
  TDeviceData copy = *line.Entry;
  TDevicePicker picker;
  picker.SetCaption("Edit Devices");
  picker.CurrentGrade = filter_->CurrentGrade;
  picker.MyDevices = host_.MyDevices();
  if (picker.ExecuteEdit(filter_->CurrentPanelType, copy, PickerRun())) {
    // The entry object stays the same: the module's load list shares it.
    *line.Entry = copy;
    line.Text = LoadListLine(*line.Entry);
    Recalculate();
  }
}

void TLoadCalculator::btnDeleteClick() {
  if (!IsOpen() || !view_.DeleteEnabled || lines_->empty() || view_.SelectedLine < 0 ||
      static_cast<size_t>(view_.SelectedLine) >= lines_->size())
    return;
  if (host_.AskYesNo(DeleteQuestion, TQuestionKind::Confirmation)) {
    lines_->erase(lines_->begin() + view_.SelectedLine);
    view_.SelectedLine = -1;
    Recalculate();
  }
  UpdateButtons();
}

void TLoadCalculator::CheckDeviceGrades(int32_t grade) {
  if (!IsOpen() || lines_->empty()) return;
  // Every position can be marked, however long a list read from a file is.
  std::vector<bool> marked(lines_->size(), false);
  bool anyMarked = false;
  for (size_t k = 0; k < lines_->size(); ++k) {
    const TDeviceDataPtr& entry = (*lines_)[k].Entry;
    if (entry && entry->Grade < grade) {
      marked[k] = true;
      anyMarked = true;
    }
  }
  if (!anyMarked || !host_.AskYesNo(GradeQuestion, TQuestionKind::Error)) return;

  int selected = view_.SelectedLine;
  // From the end down, so that the positions still to visit stay valid.
  for (size_t k = lines_->size(); k-- > 0;) {
    if (!marked[k]) continue;
    lines_->erase(lines_->begin() + static_cast<std::ptrdiff_t>(k));
    // The selection follows its line, or goes with it.
    if (selected == static_cast<int>(k)) {
      selected = -1;
    } else if (selected > static_cast<int>(k)) {
      --selected;
    }
  }
  view_.SelectedLine = selected;
}

void TLoadCalculator::UpdateButtons() {
  const bool batteryChosen = view_.BatteryIndex >= 0;
  view_.DevicesEnabled = batteryChosen;
  view_.AddEnabled = batteryChosen;
  view_.EditEnabled = batteryChosen && !Lines().empty();
  view_.DeleteEnabled = view_.EditEnabled;
}

void TLoadCalculator::Recalculate() {
  if (!IsOpen()) return;
  // The entries hold the currents of their whole quantity already.
  int32_t quiescent = 0;
  int32_t alarm = 0;
  for (const TLoadLine& line : *lines_) {
    if (!line.Entry) continue;
    quiescent = AddMilliamps(quiescent, line.Entry->Quiescent);
    alarm = AddMilliamps(alarm, line.Entry->Alarm);
  }
  module_->SetExtraQuiescent(quiescent);
  module_->SetExtraAlarm(alarm);
  UpdateDisplay();
}

void TLoadCalculator::UpdateDisplay() {
  if (!IsOpen()) return;
  const TPowerModule& m = *module_;
  const bool batteryFitted = m.BatteryIndex >= 0;
  const bool knownType = m.PanelType >= 0 && m.PanelType < PanelTypeCount;

  // AC fail signalled to the receiving centre matters only at grade 3, and a
  // remote supply follows the control panel's choice.
  view_.ACFailEnabled = m.PanelType < RemotePsuPanelType && m.GetGrade() == 3;
  view_.ACFailChecked = m.ACFailSignalled;

  view_.lbPSU = {knownType ? Format("%f Amps", PanelOptsTable[m.PanelType].PsuOutput) : "Unknown"};
  view_.lbBattCurrent = {batteryFitted ? Format("%.d mA", m.ChargeCurrent) : "Unknown"};
  view_.lbPeakCurrent = {Format("%f Amps", m.PeakAvailable)};
  view_.lbReqPeakCur = {Format("Max Alarm Current: %f Amps", m.PeakAvailable)};
  view_.lbPeriod = {Format("%d Hours", m.RequiredStandby)};
  view_.lbReqStandby = {Format("%d Hours Standby", m.RequiredStandby)};
  // The own current counts in both states.
  view_.lbCPNomI = {Format("%d mA", m.OwnQuiescent)};
  view_.lbCPAlarmI = {Format("%d mA", m.OwnQuiescent)};
  view_.TotNomI = {Format("%d mA", m.TotalQuiescent())};
  view_.TotAlarmI = {Format("%d mA", m.TotalAlarm())};
  view_.lbRatedOP = {batteryFitted ? Format("%f Amps", m.ContinuousRated) : "Please Select Battery"};
  view_.lbActPeak = {Format("%d mA", m.TotalAlarm()), m.AlarmOverload ? ColourRed : ColourGreen};
  if (m.StandbyTime == 0) {
    view_.lbActStandby = {"  ---", ColourBlack};
  } else {
    view_.lbActStandby = {Format("%f Hours", m.StandbyTime),
                          m.RequiredStandby > m.StandbyTime ? ColourRed : ColourGreen};
  }
  // Worked out on copies of the module's figures: the module is not changed.
  const TSourceAdvice advice = WorkOutSourceAdvice(m);
  view_.lbCapacityNeeded = {Format("%f Ah", RoundCapacityUp(advice.RequiredCapacity))};
  view_.lbRecommendedBattery = advice.RecommendedBattery >= 0 ? TValueLabel{advice.RecommendedBatteryName}
                                                              : TValueLabel{NoBatteryEnough, ColourRed};
  view_.lbRecharge = RechargeLabel(advice);
}

}  // namespace voltaris
