#include "model/advice.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/project_context.h"
#include "model/psu.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {

// ---- power sources ----

// A fresh module with every figure of `module` that its calculation reads or keeps.
void CopyFigures(const TPowerModule& module, TPowerModule& copy) {
  copy.Grade = module.Grade;
  copy.Standard = module.Standard;
  copy.ACFailSignalled = module.ACFailSignalled;
  copy.NetworkQuiescent = module.NetworkQuiescent;
  copy.NetworkAlarm = module.NetworkAlarm;
  copy.ExtraQuiescent = module.ExtraQuiescent;
  copy.ExtraAlarm = module.ExtraAlarm;
  copy.PeakAvailable = module.PeakAvailable;
  copy.BatteryIndex = module.BatteryIndex;
  copy.ChargeCurrent = module.ChargeCurrent;
  copy.BatteryFactor = module.BatteryFactor;
  copy.ContinuousRated = module.ContinuousRated;
  copy.PanelType = module.PanelType;
  copy.AlarmPeriod = module.AlarmPeriod;
  copy.LowestDeviceGrade = module.LowestDeviceGrade;
  copy.RequiredStandby = module.RequiredStandby;
  copy.BatteryCapacity = module.BatteryCapacity;
  copy.OwnQuiescent = module.OwnQuiescent;
  // Kept by the calculation when there is no load, or no grade yet.
  copy.StandbyTime = module.StandbyTime;
  copy.AlarmOverload = module.AlarmOverload;
  copy.ContinuousOverload = module.ContinuousOverload;
  copy.InsufficientBackup = module.InsufficientBackup;
}

// The capacity at which the standby time just reaches the hours required
// (the alarm reserve, then the quiescent load for the required hours, which
// degradation shortens), or at which the battery's continuous rating just
// carries the quiescent load, whichever is larger.
double RequiredCapacityOf(const TPowerModule& module) {
  const int32_t quiescent = module.TotalQuiescent();
  const double alarmHours = (2 * static_cast<double>(module.AlarmPeriod)) / 60.0;
  const double reserve = (module.TotalAlarm() / 1000.0) * alarmHours;
  // Without a quiescent load the standby time is not worked out again: only the reserve counts.
  const double standby = quiescent == 0
                             ? reserve
                             : reserve + module.RequiredStandby * (quiescent / 1000.0) / module.BatteryFactor;
  const double continuous = static_cast<double>(module.RequiredStandby) * quiescent / 1000.0;
  return std::max(standby, continuous);
}

// The first battery of the source's list, smallest capacity first, with
// which `holds` holds once fitted; -1 for none. Tried on copies.
template <class Rule>
int32_t FirstBatteryWhere(const TPowerModule& module, const TStringList& batteries, Rule holds) {
  std::vector<int32_t> order(batteries.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    return BatteryCapacityOf(batteries[static_cast<size_t>(a)]) < BatteryCapacityOf(batteries[static_cast<size_t>(b)]);
  });
  for (const int32_t index : order) {
    TPowerModule trial;
    CopyFigures(module, trial);
    trial.SetBattery(index);
    if (holds(trial)) return index;
  }
  return -1;
}

// The first battery that leaves the source with enough backup and neither
// overload once fitted; -1 for none.
int32_t RecommendedBatteryOf(const TPowerModule& module, const TStringList& batteries) {
  return FirstBatteryWhere(module, batteries, [](const TPowerModule& trial) {
    return !trial.InsufficientBackup && !trial.ContinuousOverload && !trial.AlarmOverload;
  });
}

// The recharge figures of a source: hours (none without a battery), the
// grade's limit and whether it is kept.
struct TRecharge {
  std::optional<double> Hours;
  std::optional<int32_t> LimitHours;
  std::optional<bool> Ok;
};
TRecharge RechargeOf(const TPowerModule& module) {
  TRecharge recharge;
  if (module.BatteryIndex != -1) recharge.Hours = RechargeHoursOf(module.BatteryCapacity, module.ChargeCurrent);
  recharge.LimitHours = RechargeLimitOf(module.Grade);
  if (recharge.Hours && recharge.LimitHours) recharge.Ok = *recharge.Hours <= *recharge.LimitHours;
  return recharge;
}

TSourceAdvice SourceAdvice(const TPowerModule& module, int32_t saveIndex) {
  TSourceAdvice advice;
  advice.SaveIndex = saveIndex;
  advice.RequiredCapacity = RequiredCapacityOf(module);
  TStringList batteries;
  FillBatteryList(batteries, module.PanelType);
  advice.RecommendedBattery = RecommendedBatteryOf(module, batteries);
  if (advice.RecommendedBattery >= 0)
    advice.RecommendedBatteryName = batteries[static_cast<size_t>(advice.RecommendedBattery)];
  advice.StandbyHeadroom = module.StandbyTime - module.RequiredStandby;
  advice.AlarmHeadroom = module.PeakAvailable - module.TotalAlarm() / 1000.0;
  advice.ContinuousHeadroom = module.ContinuousRated - module.TotalQuiescent() / 1000.0;
  const TRecharge recharge = RechargeOf(module);
  advice.RechargeHours = recharge.Hours;
  advice.RechargeLimitHours = recharge.LimitHours;
  advice.RechargeOk = recharge.Ok;
  return advice;
}

// ---- network devices ----

// The smallest margins above the minimum over the device and everything its
// cable powers: the devices chained behind it that have no supply of their
// own, and theirs.
TVolts SmallestMargins(const TNetDevice& device, TUnclampedVolts& unclamped) {
  const double none = std::numeric_limits<double>::infinity();
  TVolts smallest{none, none};
  std::vector<const TNetDevice*> pending{&device};
  std::unordered_set<const TNetDevice*> seen{&device};
  while (!pending.empty()) {
    const TNetDevice* next = pending.back();
    pending.pop_back();
    const TVolts volts = unclamped.Of(*next);
    smallest.Quiescent = std::min(smallest.Quiescent, volts.Quiescent - next->MinVolts);
    smallest.Alarm = std::min(smallest.Alarm, volts.Alarm - next->MinVolts);
    for (const TNetDevice* child : next->Children) {
      if (!child->Supply && seen.insert(child).second) pending.push_back(child);
    }
  }
  return smallest;
}

// Lengthening the cable by one metre lowers every voltage it feeds by the
// cable's current times its impedance: the length at which the smallest
// margin is used up. A cable that does not lower any voltage as it grows
// sets no limit.
std::optional<double> MaxCableLengthOf(const TNetDevice& device, const TVolts& margins) {
  if (!(device.Impedance > 0)) return std::nullopt;
  const TLoad current = device.GetTotalLoad();
  std::optional<double> metres;
  if (current.Quiescent > 0) metres = margins.Quiescent * 1000 / current.Quiescent;
  if (current.Alarm > 0) {
    const double alarm = margins.Alarm * 1000 / current.Alarm;
    metres = metres ? std::min(*metres, alarm) : alarm;
  }
  if (!metres) return std::nullopt;
  return device.CableLength + *metres / device.Impedance;
}

TDeviceAdvice DeviceAdvice(const TVududa& device, int32_t saveIndex, TUnclampedVolts& unclamped, double batteryVolts) {
  TDeviceAdvice advice;
  advice.SaveIndex = saveIndex;
  advice.QuiescentMargin = device.SupplyVolts - device.MinVolts;
  advice.AlarmMargin = device.AlarmVolts - device.MinVolts;
  const TVolts margins = SmallestMargins(device, unclamped);
  advice.MaxCableLength = MaxCableLengthOf(device, margins);
  // Twice the cores halve the resistance, and with it the drop.
  const TVolts volts = unclamped.Of(device);
  const TLoad current = device.GetTotalLoad();
  const double resistance = device.CableLength * device.Impedance;
  advice.DoubledCoresVolts = {volts.Quiescent + current.Quiescent * resistance / 2000,
                              volts.Alarm + current.Alarm * resistance / 2000};
  const double shortfall = SourceVolts - batteryVolts;
  const TOnBattery onBattery = OnBatteryOf(device, volts, shortfall);
  advice.OnBatteryVolts = onBattery.Volts;
  advice.OnBatteryOk = onBattery.Ok;
  advice.MaxCableLengthOnBattery = MaxCableLengthOf(device, {margins.Quiescent - shortfall, margins.Alarm - shortfall});
  return advice;
}

// ---- the advice block ----

bool PowerShort(const TPowerModule& module) {
  return module.InsufficientBackup || module.ContinuousOverload || module.AlarmOverload || module.BatteryIndex == -1;
}

std::string PanelName(const TControlPanel& panel) {
  if (panel.PanelType >= 0 && panel.PanelType < PanelTypeCount) return PanelOptsTable[panel.PanelType].Name;
  return panel.Name;
}

std::string DeviceName(const TVududa& device) {
  const char* type = device.DeviceType >= 0 && device.DeviceType < NetDeviceTypeCount
                         ? NetBitOptsTable[device.DeviceType].Name
                         : "";
  return Format("%S - %S", device.Location.empty() ? "Not Defined" : device.Location, type);
}

// The lines of a source that is short of power: one for each rule it fails,
// naming the rule and its figures, then what puts that rule right.
void SourceLines(TStringList& list, const std::string& name, const TPowerModule& module, const TSourceAdvice& advice,
                 const char* elsewhere) {
  TStringList batteries;
  FillBatteryList(batteries, module.PanelType);
  const std::string capacity = Format("fit at least %f Ah", RoundCapacityUp(advice.RequiredCapacity));
  const auto remedy = [&](int32_t battery, const std::string& otherwise) {
    return battery >= 0 ? Format("%s, the %s battery is enough", capacity, batteries[static_cast<size_t>(battery)])
                        : otherwise;
  };
  const std::string moveLoad = Format("%s; no battery of its list is enough, move load to %s", capacity, elsewhere);
  if (module.BatteryIndex == -1) {
    list.push_back(Format("%s: no battery chosen: %s", name, remedy(advice.RecommendedBattery, moveLoad)));
    return;
  }
  // A battery that puts every rule right is named on each rule's line;
  // without one, each line names what would put its own rule right.
  const int32_t overall = advice.RecommendedBattery;
  const auto batteryFor = [&](bool TPowerModule::*flag) {
    return overall >= 0 ? overall
                        : FirstBatteryWhere(module, batteries, [flag](const TPowerModule& m) { return !(m.*flag); });
  };
  if (module.InsufficientBackup) {
    const int32_t battery = batteryFor(&TPowerModule::InsufficientBackup);
    list.push_back(Format("%s: standby %f h against the %d h required: %s", name, module.StandbyTime,
                          module.RequiredStandby, remedy(battery, moveLoad)));
  }
  if (module.ContinuousOverload) {
    const int32_t battery = batteryFor(&TPowerModule::ContinuousOverload);
    list.push_back(Format("%s: quiescent current %f A exceeds the %f A continuous rating: %s", name,
                          module.TotalQuiescent() / 1000.0, module.ContinuousRated,
                          remedy(battery, Format("no battery changes that; move quiescent load to %s", elsewhere))));
  }
  if (module.AlarmOverload) {
    // The peak is the supply's output less the battery's charging current.
    const int32_t battery = batteryFor(&TPowerModule::AlarmOverload);
    std::string fix = Format("no battery changes that; move alarm load to %s", elsewhere);
    if (overall >= 0) {
      fix = remedy(overall, fix);
    } else if (battery >= 0) {
      fix = Format("the %s battery, charging at less, is enough", batteries[static_cast<size_t>(battery)]);
    }
    list.push_back(Format("%s: alarm current %f A exceeds the %f A peak available: %s", name,
                          module.TotalAlarm() / 1000.0, module.PeakAvailable, fix));
  }
}

// What would bring a device's voltages up to its minimum.
std::string VoltageRemedy(const TVududa& device, const TDeviceAdvice& advice) {
  std::string remedy;
  if (advice.MaxCableLength && *advice.MaxCableLength >= 0)
    remedy = Format("shorten the cable to %f m", RoundLengthDown(*advice.MaxCableLength));
  if (advice.DoubledCoresVolts[0] >= device.MinVolts && advice.DoubledCoresVolts[1] >= device.MinVolts)
    remedy += remedy.empty() ? "double its cores" : " or double its cores";
  return remedy.empty() ? "power it from a remote supply" : remedy;
}

}  // namespace

std::optional<double> RechargeHoursOf(double capacity, int32_t chargeMilliamps) {
  if (!(capacity > 0) || chargeMilliamps <= 0) return std::nullopt;
  return 0.8 * capacity * 1000 / chargeMilliamps;
}

std::optional<int32_t> RechargeLimitOf(int32_t grade) {
  if (grade == 1 || grade == 2) return 72;
  if (grade == 3) return 24;
  return std::nullopt;
}

const TVududa* DeviceOf(const TCanvas& canvas, const TDeviceAdvice& advice) {
  const auto& tiles = canvas.Tiles();
  if (advice.SaveIndex < 0 || static_cast<size_t>(advice.SaveIndex) >= tiles.size()) return nullptr;
  return dynamic_cast<const TVududa*>(tiles[static_cast<size_t>(advice.SaveIndex)].get());
}

std::string AdviceDeviceName(const TVududa& device) { return DeviceName(device); }

double RoundCapacityUp(double ampHours) { return std::ceil(ampHours * 100 - 1e-6) / 100; }
double RoundLengthDown(double metres) { return std::floor(metres * 100 + 1e-6) / 100; }

TSourceAdvice WorkOutSourceAdvice(const TPowerModule& module, int32_t saveIndex) {
  return SourceAdvice(module, saveIndex);
}

TDeviceAdvice WorkOutDeviceAdvice(const TVududa& device, int32_t saveIndex) {
  TUnclampedVolts unclamped;
  return DeviceAdvice(device, saveIndex, unclamped, device.Context().BatteryVolts);
}

std::string TileHintText(const TDevice& tile) {
  std::string text = tile.ShowHint() ? tile.Hint() : std::string();
  const auto* device = dynamic_cast<const TVududa*>(&tile);
  if (!device || (!device->NetParent && !device->Supply)) return text;
  TUnclampedVolts unclamped;
  if (OnBatteryOf(*device, unclamped.Of(*device), SourceVolts - device->Context().BatteryVolts).Ok) return text;
  return text.empty() ? BelowOnBatteryHint : text + "\n" + BelowOnBatteryHint;
}

TFailedChecks WorkOutFailedChecks(const TControlPanel& panel, const TCanvas& canvas) {
  TFailedChecks failed;
  const auto recharge = [&](const TPowerModule& module, int32_t saveIndex, int number) {
    const TRecharge figures = RechargeOf(module);
    if (figures.Ok == false)
      failed.SlowRecharges.push_back({saveIndex, number == 0 ? std::string() : SupplyName(number, module.Label),
                                      *figures.Hours, *figures.LimitHours});
  };
  recharge(panel, -1, 0);
  TOnBatteryChecks& checks = canvas.OnBatteryChecks();
  checks.Update(canvas, SourceVolts - canvas.Context().BatteryVolts);
  const auto& supplies = checks.Supplies();
  for (size_t i = 0; i < supplies.size(); ++i)
    recharge(supplies[i]->Module, checks.SupplyPositions()[i], static_cast<int>(i) + 1);
  failed.DevicesBelowOnBattery = checks.DevicesBelow();
  assert(failed == WalkFailedChecks(panel, canvas) && "the kept check on battery is the design's");
  return failed;
}

TFailedChecks WalkFailedChecks(const TControlPanel& panel, const TCanvas& canvas) {
  TFailedChecks failed;
  int supplyNumber = 0;
  const auto recharge = [&](const TPowerModule& module, int32_t saveIndex, int number) {
    const TRecharge figures = RechargeOf(module);
    if (figures.Ok == false)
      failed.SlowRecharges.push_back({saveIndex, number == 0 ? std::string() : SupplyName(number, module.Label),
                                      *figures.Hours, *figures.LimitHours});
  };
  recharge(panel, -1, 0);
  const auto& tiles = canvas.Tiles();
  const double shortfall = SourceVolts - canvas.Context().BatteryVolts;
  TUnclampedVolts unclamped;
  for (size_t i = 0; i < tiles.size(); ++i) {
    if (const auto* psu = dynamic_cast<const TPSU*>(tiles[i].get())) {
      recharge(psu->Module, static_cast<int32_t>(i), ++supplyNumber);
      continue;
    }
    const auto* device = dynamic_cast<const TVududa*>(tiles[i].get());
    if (!device || (!device->NetParent && !device->Supply)) continue;
    if (!OnBatteryOf(*device, unclamped.Of(*device), shortfall).Ok)
      failed.DevicesBelowOnBattery.push_back(static_cast<int32_t>(i));
  }
  return failed;
}

TDesignAdvice WorkOutAdvice(const TControlPanel& panel, const TCanvas& canvas) {
  TDesignAdvice advice;
  advice.BatteryVolts = canvas.Context().BatteryVolts;
  advice.Sources.push_back(SourceAdvice(panel, -1));
  const auto& tiles = canvas.Tiles();
  for (size_t i = 0; i < tiles.size(); ++i) {
    if (const auto* psu = dynamic_cast<const TPSU*>(tiles[i].get()))
      advice.Sources.push_back(SourceAdvice(psu->Module, static_cast<int32_t>(i)));
  }
  TUnclampedVolts unclamped;
  for (size_t i = 0; i < tiles.size(); ++i) {
    const auto* device = dynamic_cast<const TVududa*>(tiles[i].get());
    if (device && (device->NetParent || device->Supply))
      advice.Devices.push_back(DeviceAdvice(*device, static_cast<int32_t>(i), unclamped, advice.BatteryVolts));
  }
  return advice;
}

void WriteDesignAdvice(TStringList& list, const TControlPanel& panel, const TCanvas& canvas,
                       const TDesignAdvice& advice) {
  list.emplace_back();
  list.push_back("Design Advice");
  const size_t start = list.size();
  const auto& tiles = canvas.Tiles();
  bool allGreen = true;
  int supplyNumber = 0;
  for (const TSourceAdvice& source : advice.Sources) {
    if (source.SaveIndex < 0) {
      if (!PowerShort(panel)) continue;
      allGreen = false;
      SourceLines(list, PanelName(panel), panel, source, "a remote supply");
      continue;
    }
    const TPSU* psu = SupplyAt(canvas, source.SaveIndex);
    if (!psu) continue;
    const std::string name = SupplyName(++supplyNumber, psu->Module.Label);
    if (psu->Status == Green && !PowerShort(psu->Module)) continue;
    allGreen = false;
    if (PowerShort(psu->Module)) SourceLines(list, name, psu->Module, source, "another remote supply");
    if (psu->Module.LowestDeviceGrade < psu->Grade)
      list.push_back(Format("%s: change its load devices to Grade %d", name, psu->Grade));
  }

  std::unordered_map<int32_t, const TDeviceAdvice*> devices;
  for (const TDeviceAdvice& device : advice.Devices) devices.emplace(device.SaveIndex, &device);
  for (size_t i = 0; i < tiles.size(); ++i) {
    const auto* device = dynamic_cast<const TVududa*>(tiles[i].get());
    if (!device || device->Status == Green) continue;
    allGreen = false;
    const std::string name = DeviceName(*device);
    const auto found = devices.find(static_cast<int32_t>(i));
    const bool lowVolts = device->SupplyVolts < device->MinVolts || device->AlarmVolts < device->MinVolts;
    if (lowVolts && found != devices.end()) list.push_back(name + ": " + VoltageRemedy(*device, *found->second));
    if (!device->GetNetwork()) {
      list.push_back(name + ": connect it to a network");
    } else if (!device->SetupConfirmed) {
      list.push_back(name + ": confirm its set-up");
    }
    const int32_t systemGrade = device->SystemGrade();
    if (device->GetNetwork() && systemGrade > device->EffectiveGrade)
      list.push_back(Format("%s: change it for a Grade %d device", name, systemGrade));
  }
  if (allGreen && list.size() == start)
    list.push_back("Every power source and device is Green: nothing needs changing");
  WriteChecksBeyondTheLight(list, panel, canvas, advice);
}

void WriteChecksBeyondTheLight(TStringList& list, const TControlPanel& panel, const TCanvas& canvas,
                               const TDesignAdvice& advice) {
  list.emplace_back();
  list.push_back(Format("Checks Beyond the Light (battery at %f V on mains failure)", advice.BatteryVolts));
  const auto verdict = [](bool ok) { return ok ? "pass" : "FAIL"; };
  int supplyNumber = 0;
  for (const TSourceAdvice& source : advice.Sources) {
    std::string name = PanelName(panel);
    if (source.SaveIndex >= 0) {
      const TPSU* psu = SupplyAt(canvas, source.SaveIndex);
      name = SupplyName(++supplyNumber, psu ? psu->Module.Label : std::string());
    }
    if (!source.RechargeHours) {
      list.push_back(name + ": no battery, no recharge time");
    } else if (!source.RechargeLimitHours) {
      list.push_back(Format("%s: recharges to 80%% in %f h; its grade sets no limit", name, *source.RechargeHours));
    } else {
      list.push_back(Format("%s: recharges to 80%% in %f h, limit %d h: %s", name, *source.RechargeHours,
                            *source.RechargeLimitHours, verdict(source.RechargeOk.value_or(false))));
    }
  }
  for (const TDeviceAdvice& device : advice.Devices) {
    const TVududa* tile = DeviceOf(canvas, device);
    if (!tile) continue;
    list.push_back(Format("%s: on battery %f V quiescent, %f V in alarm, minimum %f V: %s", DeviceName(*tile),
                          device.OnBatteryVolts[0], device.OnBatteryVolts[1], tile->MinVolts,
                          verdict(device.OnBatteryOk)));
  }
}

}  // namespace voltaris
