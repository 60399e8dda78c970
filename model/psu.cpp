#include "model/psu.h"

#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/project_context.h"
#include "model/psu_clone.h"

namespace voltaris {

TPSU::TPSU(TCanvas& owner) : TPSUBase(owner) {
  SetPicture("TPSU", TileSize, TileSize);
  Module.OwnQuiescent = 25;
}

TPSU::~TPSU() {
  // While the whole canvas is cleared the panel lets go of all its supplies at once.
  if (ControlPanel && !Owner().Clearing()) ControlPanel->RemovePSU(this);
}

void TPSU::WriteReport(TStringList& list) {
  Module.WriteReport(list);
  if (!IsUsed()) {
    list.push_back("** This PSU is not being used **");
  } else {
    TStringList issues;
    if (Module.BatteryIndex == -1) issues.push_back("** No battery selected for power supply **");
    if (Module.AlarmOverload) issues.push_back("** Alarm current exceeds maximum available **");
    if (Module.ContinuousOverload) issues.push_back("** Load current exceeds continuous rated output **");
    if (Module.RequiredStandby > Module.StandbyTime) issues.push_back("** PSU may not have sufficient backup **");
    if (!issues.empty()) {
      list.emplace_back();
      list.push_back("** There be may some issues with this PSU which may affect downstream devices **");
      list.insert(list.end(), issues.begin(), issues.end());
      list.emplace_back();
    }
  }
  TPSUBase::WriteReport(list);
  for (TPSUClone* clone : Clones) clone->WriteReport(list);
}

void TPSU::SetDownstreamLoad(const TLoad& load) {
  TPSUBase::SetDownstreamLoad(load);
  // Both halves into the module, then one calculation when either changed.
  if (load.Quiescent == Module.NetworkQuiescent && load.Alarm == Module.NetworkAlarm) return;
  Module.NetworkQuiescent = load.Quiescent;
  Module.NetworkAlarm = load.Alarm;
  Module.Calculate();
}

void TPSU::Detach() {
  while (!Children.empty()) Children.front()->DetachFromSupply();
  while (!Clones.empty()) Clones.front()->DeleteDevice();
}

void TPSU::RecalcLoad() {
  ++Context().Counters.RecalcLoad;
  TLoad load = ComputeDownstreamLoad();
  for (TPSUClone* clone : Clones) load += clone->GetTotalLoad();
  SetDownstreamLoad(load);
  UpdateStatus();
}

void TPSU::RemoveChild(int32_t position) {
  if (position > -1) TPSUBase::RemoveChild(position);
  if (!Children.empty() || !Clones.empty()) {
    RecheckInUse();
  } else {
    InUse = false;
  }
  RecalcLoad();  // which ends with the status
}

void TPSU::DoubleClickAction() {
  const std::string label = Module.Label;
  {
    // The calculator edits the module in place.
    const TCanvas::TEditing editing(*this);
    Module.EditLoadList(Context());
  }
  UpdateStatus();
  // The label is drawn on the supply and on every clone of it.
  if (Module.Label != label) {
    LabelChanged();
    for (TPSUClone* clone : Clones) clone->LabelChanged();
  }
}

void TPSU::SetLabel(const std::string& label) {
  Touch();
  Module.Label = label;
  LabelChanged();
  for (TPSUClone* clone : Clones) clone->LabelChanged();
}

void TPSU::UpdateStatus() {
  uint8_t status = Blue;
  // Without a battery the supply is not set up: it stays Blue whatever its figures.
  if (Module.BatteryIndex > -1) {
    status = Green;
    if (Module.AlarmOverload) status = Orange;
    if (Module.InsufficientBackup) status = Red;
    if (Module.LowestDeviceGrade < Grade) status = Yellow;
  }
  SetStatus(status);
  for (TPSUClone* clone : Clones) clone->SetStatus(status);
  if (ControlPanel) ControlPanel->BuildWarnings();
}

void TPSU::LoadStatusImage(const std::string& name) {
  TPSUBase::LoadStatusImage(name);
  UpdateHint();
}

void TPSU::UpdateHint() {
  if (Module.BatteryIndex == -1) {
    SetHint("No Battery Selected For PSU");
  } else if (!IsUsed() || (Children.empty() && !InUse)) {
    SetHint("Drag & Drop device to PSU");
  } else if (!InUse) {
    SetHint("Devices not on Network");
  } else {
    SetShowHint(false);
    return;
  }
  SetShowHint(true);
}

void TPSU::WriteRecord(TStream& stream) { Module.WriteRecord(stream); }

void TPSU::ReadRecord(TStream& stream) {
  Touch();
  Module.ReadRecord(stream);
}

void TPSU::RecheckInUse() {
  if (AnyChildOnNetwork()) return;
  for (const TPSUClone* clone : Clones) {
    if (clone->InUse) return;
  }
  InUse = false;
  UpdateStatus();
}

void TPSU::SetSystemGrade(int32_t grade) {
  Module.SetGrade(grade);
  Grade = grade;
  UpdateStatus();
}

bool TPSU::IsUsed() const {
  if (!Module.LoadData.Text.empty() || !Children.empty()) return true;
  for (const TPSUClone* clone : Clones) {
    if (!clone->Children.empty()) return true;
  }
  return false;
}

void TPSU::RemoveClone(int32_t position) {
  if (position >= 0 && static_cast<size_t>(position) < Clones.size()) {
    Clones.erase(Clones.begin() + position);
    for (size_t i = static_cast<size_t>(position); i < Clones.size(); ++i)
      Clones[i]->ClonePosition = static_cast<int32_t>(i);
  }
  RemoveChild(-1);
}

std::string SupplyName(int number, const std::string& label) {
  std::string name = "Supply " + std::to_string(number);
  return label.empty() ? name : name + " (" + label + ")";
}

const TPSU* SupplyAt(const TCanvas& canvas, int32_t saveIndex) {
  const auto& tiles = canvas.Tiles();
  if (saveIndex < 0 || static_cast<size_t>(saveIndex) >= tiles.size()) return nullptr;
  return dynamic_cast<const TPSU*>(tiles[static_cast<size_t>(saveIndex)].get());
}

std::string SupplyName(const TPSU& supply) {
  int number = 0;
  for (const auto& tile : supply.Owner().Tiles()) {
    if (dynamic_cast<const TPSU*>(tile.get())) ++number;
    if (tile.get() == &supply) break;
  }
  return SupplyName(number, supply.Module.Label);
}

}  // namespace voltaris
