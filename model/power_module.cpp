#include "model/power_module.h"

#include <charconv>
#include <stdexcept>

#include "catalogue/format.h"
#include "model/dialog_host.h"
#include "model/load.h"
#include "model/project_context.h"

namespace voltaris {

namespace {

const TPanelOpts& PanelRow(int32_t panelType) {
  if (panelType < 0 || panelType >= PanelTypeCount)
    throw std::out_of_range(Format("panel type %d is not in the catalogue", panelType));
  return PanelOptsTable[panelType];
}

}  // namespace

double BatteryCapacityOf(const std::string& batteryName) {
  const size_t ah = batteryName.find("Ah");
  if (ah == std::string::npos || ah < 1) return 0;
  // The number ends at the character before the one that precedes "Ah" (the blank).
  const std::string number = batteryName.substr(0, ah - 1);
  double capacity = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), capacity);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return 0;
  return capacity;
}

TPowerModule::TPowerModule() {
  Name = PanelOptsTable[RemotePsuPanelType].Name;
  SetPanelType(RemotePsuPanelType);
  ChargeCurrent = PanelOptsTable[RemotePsuPanelType].ChargeCurrent;
}

int32_t TPowerModule::GetGrade() const { return Grade; }

void TPowerModule::SetGrade(int32_t grade) {
  if (grade != Grade) SetACFailSignalled(false);
  Grade = grade;
  UpdateRequiredStandby();
  Calculate();
}

void TPowerModule::SetStandard(int32_t standard) {
  Standard = standard;
  UpdateRequiredStandby();
  Calculate();
}

void TPowerModule::SetACFailSignalled(bool signalled) {
  ACFailSignalled = signalled;
  UpdateRequiredStandby();
  Calculate();
}

void TPowerModule::SetBatteryFactor(double factor) {
  BatteryFactor = factor;
  Calculate();
}

void TPowerModule::SetAlarmPeriod(int32_t minutes) {
  AlarmPeriod = minutes;
  Calculate();
}

void TPowerModule::SetNetworkQuiescent(int32_t milliamps) {
  if (milliamps == NetworkQuiescent) return;
  NetworkQuiescent = milliamps;
  Calculate();
}

void TPowerModule::SetNetworkAlarm(int32_t milliamps) {
  if (milliamps == NetworkAlarm) return;
  NetworkAlarm = milliamps;
  Calculate();
}

void TPowerModule::SetExtraQuiescent(int32_t milliamps) {
  if (milliamps == ExtraQuiescent) return;
  ExtraQuiescent = milliamps;
  Calculate();
}

void TPowerModule::SetExtraAlarm(int32_t milliamps) {
  if (milliamps == ExtraAlarm) return;
  ExtraAlarm = milliamps;
  Calculate();
}

int32_t TPowerModule::TotalQuiescent() const {
  return AddMilliamps(AddMilliamps(OwnQuiescent, ExtraQuiescent), NetworkQuiescent);
}

int32_t TPowerModule::TotalAlarm() const {
  return AddMilliamps(AddMilliamps(OwnQuiescent, ExtraAlarm), NetworkAlarm);
}

void TPowerModule::SetPanelType(int32_t panelType) {
  const TPanelOpts& row = PanelRow(panelType);
  PanelType = panelType;
  if (panelType < RemotePsuPanelType) {
    ChargeCurrent = row.ChargeCurrent;
  } else {
    UpdateChargeCurrent();
  }
}

int32_t StandAloneChargeCurrent(double capacity, int32_t grade) {
  // Exact comparisons: the capacities come from the battery names.
  if (capacity == 0) return 0;
  if (capacity == 7.2) return 300;
  if (capacity == 14.4) return 600;
  if (capacity == 17.0 || capacity == 18.0) return grade == 3 ? 750 : 300;
  // No battery list offers another size; should one come from a damaged
  // file, assume the highest charging current, which leaves the least
  // current for the load and so never flatters the design.
  return 750;
}

void TPowerModule::UpdateChargeCurrent() { ChargeCurrent = StandAloneChargeCurrent(BatteryCapacity, Grade); }

void TPowerModule::UpdateRequiredStandby() {
  if (Grade == 1 || Grade == 2) {
    RequiredStandby = 12;
  } else if (Grade == 3) {
    if (Standard == StandardEN50131) {
      RequiredStandby = ACFailSignalled ? 30 : 60;
    } else {
      RequiredStandby = ACFailSignalled ? 12 : 24;
    }
  }
  // Any other grade (0 before one is chosen) leaves the requirement as it was.
}

void TPowerModule::SetBattery(int32_t index) {
  BatteryIndex = index;
  TStringList batteries;
  FillBatteryList(batteries, PanelType);
  BatteryCapacity = index >= 0 && static_cast<size_t>(index) < batteries.size()
                        ? BatteryCapacityOf(batteries[static_cast<size_t>(index)])
                        : 0;
  if (PanelType < RemotePsuPanelType) {
    ChargeCurrent = PanelRow(PanelType).ChargeCurrent;
  } else {
    UpdateChargeCurrent();
  }
  Calculate();
}

void TPowerModule::CalcStandbyTime() {
  const int32_t quiescent = TotalQuiescent();
  if (quiescent == 0) return;  // no load: the standby time keeps its value
  const double alarmAmps = TotalAlarm() / 1000.0;
  // The alarm load is reserved for twice the alarm period.
  const double alarmHours = (2 * static_cast<double>(AlarmPeriod)) / 60.0;
  const double remaining = BatteryCapacity - alarmAmps * alarmHours;
  if (remaining < 0) {
    StandbyTime = 0;
  } else {
    // Degradation scales the time left after the alarm reserve.
    StandbyTime = remaining / quiescent * 1000.0 * BatteryFactor;
  }
}

void TPowerModule::Calculate() {
  CalcStandbyTime();
  InsufficientBackup = RequiredStandby > StandbyTime;
  PeakAvailable = PanelRow(PanelType).PsuOutput - ChargeCurrent / 1000.0;
  AlarmOverload = PeakAvailable < TotalAlarm() / 1000.0;
  if (RequiredStandby == 0) {
    // No grade yet: no rated output, and the continuous overload flag stays as it was.
    ContinuousRated = 0;
    return;
  }
  ContinuousRated = BatteryCapacity / RequiredStandby;
  if (ContinuousRated > PeakAvailable) ContinuousRated = PeakAvailable;
  ContinuousOverload = ContinuousRated < TotalQuiescent() / 1000.0;
}

void TPowerModule::WriteReport(TStringList& list) const {
  list.emplace_back();
  list.push_back(Format("%s :: Grade %d System", PanelRow(PanelType).Name, Grade));
  list.push_back(Format("Total Quiescent Current %dmA,  Total Alarm Current %dmA", TotalQuiescent(), TotalAlarm()));
  list.push_back(Format("Peak Available Current %fA", PeakAvailable));
  if (BatteryCapacity > 0) {
    const char* suffix = BatteryCapacity == 14.4 ? " (2*7.2) " : "";
    list.push_back(Format("%.1fAh %s Battery Fitted,  Battery Degradation Calculated at %.0f%s", BatteryCapacity,
                          suffix, (1 - BatteryFactor) * 100, "%"));
  }
  list.push_back(Format("Alarm Period %d minutes", AlarmPeriod));
  list.push_back(Format("Battery Standby Time %f hours %s", StandbyTime,
                        BatteryCapacity == 0 ? "- No Battery Fitted" : ""));
  LoadData.WriteSummary(list, "     ");
}

void TPowerModule::EditLoadList(TProjectContext& context) {
  TLoadLines lines = LoadData.Lines();
  IDialogHost* host = context.DialogHost;
  // A cancelled calculator changed the module live: the project goes back
  // as a whole, since a grade change reaches beyond the module.
  if (host && !host->EditLoadList(*this, lines, context.Filter)) context.EditCancelled = true;
  LoadData.TakeLines(lines);
  LowestDeviceGrade = LoadData.LowestGrade();
}

void TPowerModule::WriteRecord(TStream& stream) const {
  stream.WriteInt32(PanelType);
  stream.WriteInt32(AlarmPeriod);
  stream.WriteInt32(RequiredStandby);
  stream.WriteInt32(Standard);
  stream.WriteInt32(BatteryIndex);
  stream.WriteInt32(Grade);
  stream.WriteBool(ACFailSignalled);
  stream.WriteExtended(BatteryCapacity);
  stream.WriteInt32(OwnQuiescent);
  stream.WriteInt32(ExtraQuiescent);
  stream.WriteInt32(ExtraAlarm);
  stream.WriteInt32(NetworkQuiescent);
  stream.WriteInt32(NetworkAlarm);
  stream.WriteInt32(LowestDeviceGrade);
  LoadData.WriteLoadRecord(stream);
}

void TPowerModule::ReadRecord(TStream& stream) {
  const size_t start = stream.Position();
  const int32_t panelType = stream.ReadInt32();
  if (panelType < 0 || panelType >= PanelTypeCount)
    throw StreamError(Format("panel type %d at offset %d is not in the catalogue", panelType, start));
  const int32_t alarmPeriod = stream.ReadInt32();
  const int32_t requiredStandby = stream.ReadInt32();
  const int32_t standard = stream.ReadInt32();
  const int32_t batteryIndex = stream.ReadInt32();
  TStringList batteries;
  FillBatteryList(batteries, panelType);
  if (batteryIndex < -1 || batteryIndex >= static_cast<int32_t>(batteries.size()))
    throw StreamError(Format("battery index %d at offset %d is not one of the %d batteries of %s", batteryIndex,
                             start + 16, batteries.size(), PanelOptsTable[panelType].Name));
  const int32_t grade = stream.ReadInt32();
  if (grade < 0 || grade > 3)
    throw StreamError(Format("grade %d at offset %d is out of range", grade, start + 20));
  const bool acFail = stream.ReadBool();
  const double capacity = stream.ReadExtended();
  if (!(capacity >= 0 && capacity <= 1000))
    throw StreamError(Format("battery capacity at offset %d is not a battery's", start + 25));
  const int32_t ownQuiescent = stream.ReadInt32();
  const int32_t extraQuiescent = stream.ReadInt32();
  const int32_t extraAlarm = stream.ReadInt32();
  const int32_t networkQuiescent = stream.ReadInt32();
  const int32_t networkAlarm = stream.ReadInt32();
  const int32_t lowestDeviceGrade = stream.ReadInt32();
  TLoadData loadData;
  loadData.ReadLoadRecord(stream);

  // Only a complete record changes the module.
  PanelType = panelType;
  AlarmPeriod = alarmPeriod;
  RequiredStandby = requiredStandby;
  Standard = standard;
  BatteryIndex = batteryIndex;
  Grade = grade;
  ACFailSignalled = acFail;
  BatteryCapacity = capacity;
  OwnQuiescent = ownQuiescent;
  ExtraQuiescent = extraQuiescent;
  ExtraAlarm = extraAlarm;
  NetworkQuiescent = networkQuiescent;
  NetworkAlarm = networkAlarm;
  LowestDeviceGrade = lowestDeviceGrade;
  LoadData.Text = std::move(loadData.Text);
  LoadData.Entries.insert(LoadData.Entries.end(), loadData.Entries.begin(), loadData.Entries.end());
}

}  // namespace voltaris
