// One power source, a control panel or a remote power supply: its battery,
// its loads and the standby calculation that decides whether the battery
// carries the system for the time the chosen standard demands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/byte_stream.h"
#include "catalogue/catalogue.h"
#include "model/load_data.h"
#include "model/status.h"

namespace voltaris {

struct TProjectContext;

inline constexpr int32_t StandardEN50131 = 0;
inline constexpr int32_t StandardPD6662 = 1;

// The charging current of a stand-alone supply with a battery of `capacity`
// Ah fitted at `grade`, in mA.
int32_t StandAloneChargeCurrent(double capacity, int32_t grade);

inline constexpr size_t MaxSupplyLabel = 30;

class TPowerModule {
 public:
  TPowerModule();
  virtual ~TPowerModule() = default;
  TPowerModule(const TPowerModule&) = delete;
  TPowerModule& operator=(const TPowerModule&) = delete;

  virtual int32_t GetGrade() const;
  // A change of grade first clears the AC-fail choice, then recalculates.
  virtual void SetGrade(int32_t grade);
  virtual void SetStandard(int32_t standard);
  virtual void SetACFailSignalled(bool signalled);
  virtual void Calculate();
  virtual void SetBatteryFactor(double factor);
  virtual void SetAlarmPeriod(int32_t minutes);

  // Each recalculates only when the value changes.
  void SetNetworkQuiescent(int32_t milliamps);
  void SetNetworkAlarm(int32_t milliamps);
  void SetExtraQuiescent(int32_t milliamps);
  void SetExtraAlarm(int32_t milliamps);

  int32_t TotalQuiescent() const;  // own + load list + networks, mA
  int32_t TotalAlarm() const;      // own + load list alarm + networks alarm, mA
  int32_t GetStandard() const { return Standard; }
  bool GetACFailSignalled() const { return ACFailSignalled; }
  int32_t GetChargeCurrent() const { return ChargeCurrent; }

  // Stores the panel options row; the charging current follows it (no recalculation).
  void SetPanelType(int32_t panelType);
  // Fits battery `index` of the panel type's battery list (-1 for none) and recalculates.
  void SetBattery(int32_t index);
  // The charging current of a stand-alone supply from its battery and grade.
  void UpdateChargeCurrent();
  // The standby hours the standard demands at this grade and AC-fail choice.
  void UpdateRequiredStandby();
  void CalcStandbyTime();

  // Appends the module's block of the system report.
  void WriteReport(TStringList& list) const;
  // Edits the load list in the project's load calculator, then takes the list back.
  void EditLoadList(TProjectContext& context);

  void WriteRecord(TStream& stream) const;
  // Reads the record straight into the fields; nothing is recalculated. A
  // panel type, grade or battery index outside the catalogue is a StreamError.
  void ReadRecord(TStream& stream);

  int32_t Grade = 0;             // 1..3, 0 until set
  int32_t Standard = StandardEN50131;
  bool ACFailSignalled = false;  // "AC Fail Signalled to ARC"
  int32_t NetworkQuiescent = 0;  // mA of the network devices this module feeds
  int32_t NetworkAlarm = 0;
  int32_t ExtraQuiescent = 0;    // mA of the load list
  int32_t ExtraAlarm = 0;
  double PeakAvailable = 0;      // result, amps
  int32_t BatteryIndex = -1;     // position in the panel type's battery list; -1 none
  int32_t ChargeCurrent = 0;     // mA
  double BatteryFactor = 1.0;    // 1 - degradation
  double ContinuousRated = 0;    // result, amps
  int32_t PanelType = 0;         // row of PanelOptsTable
  int32_t AlarmPeriod = 0;       // minutes
  int32_t LowestDeviceGrade = 3;
  TLoadData LoadData;
  std::string Name;
  // A supply's name as the user gives it in its set-up ("Plant room"), at
  // most MaxSupplyLabel characters; empty for none and for the control
  // panel. Kept in the project's extension section, not in the module's record.
  std::string Label;
  int32_t RequiredStandby = 0;   // result, hours
  double BatteryCapacity = 0;    // Ah, 0 for none
  int32_t OwnQuiescent = 0;      // mA, the module's own consumption
  double StandbyTime = 0;        // result, hours
  bool AlarmOverload = false;
  bool ContinuousOverload = false;
  bool InsufficientBackup = false;
};

// The capacity in ampere-hours written in a battery name ("7.2 Ah" gives 7.2,
// "14.4 Ah (2 x 7.2)" gives 14.4), read with "." whatever the locale; 0 when
// the name carries none.
double BatteryCapacityOf(const std::string& batteryName);

}  // namespace voltaris
