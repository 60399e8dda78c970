// Design advice: for every power source, the battery that would carry it and
// how far its figures are from their limits; for every powered network
// device, how far its voltages are above its minimum, the longest cable that
// would still do and what doubling its cable's cores would give. The figures
// come from the model's own rules and are worked out without changing the
// design; the advice block states them in the installer's words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace voltaris {

class TCanvas;
class TControlPanel;
class TDevice;
class TPowerModule;
class TVududa;

// One power source: the control panel or a remote supply.
struct TSourceAdvice {
  int32_t SaveIndex = -1;              // -1 for the control panel, else the supply's position on the canvas
  double RequiredCapacity = 0;         // Ah: the smallest capacity that meets the standby and continuous rules
  int32_t RecommendedBattery = -1;     // position in the source's battery list; -1 when none is enough
  std::string RecommendedBatteryName;  // that battery's text, empty for none
  double StandbyHeadroom = 0;          // hours of standby beyond those required
  double AlarmHeadroom = 0;            // amps of peak current beyond the alarm load
  double ContinuousHeadroom = 0;       // amps of continuous rating beyond the quiescent load
  // Hours to bring the fitted battery back to 80 % of its capacity at the
  // source's charging current; none without a battery, a capacity or a current.
  std::optional<double> RechargeHours;
  // The longest recharge the grade allows: 72 h at grades 1 and 2, 24 h at
  // grade 3; none at any other grade.
  std::optional<int32_t> RechargeLimitHours;
  std::optional<bool> RechargeOk;  // within the limit; none when either is none

  bool operator==(const TSourceAdvice&) const = default;
};

// One network device with a network parent or a supply.
struct TDeviceAdvice {
  int32_t SaveIndex = -1;
  double QuiescentMargin = 0;  // volts above the minimum, quiescent, as shown
  double AlarmMargin = 0;      // volts above the minimum in alarm, as shown
  // Metres: the longest cable at the device's impedance for which neither it
  // nor anything powered through it falls below its minimum. Empty where the
  // length does not matter; negative where no length would do.
  std::optional<double> MaxCableLength;
  std::array<double, 2> DoubledCoresVolts = {0, 0};  // quiescent and alarm volts with the cable's resistance halved
  // Quiescent and alarm volts with the source at the battery's voltage on
  // mains failure: the cable drops stay, every voltage is lower by 13.6 V
  // less the battery's. Worked from the voltages before the clamp at 0.
  std::array<double, 2> OnBatteryVolts = {0, 0};
  bool OnBatteryOk = false;  // both at or above the device's minimum
  // As MaxCableLength, with the source at the battery's voltage.
  std::optional<double> MaxCableLengthOnBattery;

  bool operator==(const TDeviceAdvice&) const = default;
};

struct TDesignAdvice {
  double BatteryVolts = 0;             // the battery's voltage on mains failure the devices were worked at
  std::vector<TSourceAdvice> Sources;  // the control panel, then every remote supply in save order
  std::vector<TDeviceAdvice> Devices;  // in save order
};

// The checks beyond the light that fail, worked out alone: far cheaper than
// the whole advice, for a view that follows every command.
struct TFailedChecks {
  std::vector<int32_t> DevicesBelowOnBattery;  // save indexes, ascending
  // Sources whose recharge takes longer than their grade allows: save index
  // (-1 for the control panel), hours and limit.
  struct TSlowRecharge {
    int32_t SaveIndex = -1;
    std::string SupplyName;  // as SupplyName gives it; empty for the control panel
    double Hours = 0;
    int32_t LimitHours = 0;
    bool operator==(const TSlowRecharge&) const = default;
  };
  std::vector<TSlowRecharge> SlowRecharges;
  bool operator==(const TFailedChecks&) const = default;
};
// From the check on battery the canvas keeps up to date: only the devices
// changed since it was last read are worked out again.
TFailedChecks WorkOutFailedChecks(const TControlPanel& panel, const TCanvas& canvas);
// The same checks worked out from nothing, walking every tile.
TFailedChecks WalkFailedChecks(const TControlPanel& panel, const TCanvas& canvas);

// Works the advice out from the design as it stands; the design is not changed.
TDesignAdvice WorkOutAdvice(const TControlPanel& panel, const TCanvas& canvas);

// The advice for one power source alone, as WorkOutAdvice gives it: the
// control panel's module or a supply's, `saveIndex` as in TSourceAdvice.
TSourceAdvice WorkOutSourceAdvice(const TPowerModule& module, int32_t saveIndex = -1);

// The advice for one network device alone, exactly as WorkOutAdvice gives it,
// from only what its figures depend on: the chain that feeds it and what its
// cable powers. A dialog refreshing on every key needs no more. Meant for a
// device with a network parent or a supply (WorkOutAdvice lists no other).
TDeviceAdvice WorkOutDeviceAdvice(const TVududa& device, int32_t saveIndex = -1);

// What the tile's hint shows over it: its own hint when it shows one, then
// "Below minimum on battery" for a network device whose voltages fall below
// its minimum with its source on battery. The light and the hint a file keeps
// stay as they are: this line is worked out when the hint is shown.
inline constexpr const char* BelowOnBatteryHint = "Below minimum on battery";
std::string TileHintText(const TDevice& tile);

// The hours a battery of `capacity` Ah takes to come back to 80 % at
// `chargeMilliamps`; none without a capacity or a current.
std::optional<double> RechargeHoursOf(double capacity, int32_t chargeMilliamps);
// The longest recharge a grade allows (72 h at grades 1 and 2, 24 h at 3).
std::optional<int32_t> RechargeLimitOf(int32_t grade);

// The device an entry of the advice is about; null when its save index names none.
const TVududa* DeviceOf(const TCanvas& canvas, const TDeviceAdvice& advice);
// How the advice names a device: "Hall - Orvane K4" ("Not Defined" without a location).
std::string AdviceDeviceName(const TVududa& device);

// How the advice rounds for the installer: capacities up and lengths down
// to the hundredth, so that a figure shown is always on the safe side.
double RoundCapacityUp(double ampHours);
double RoundLengthDown(double metres);

// Appends the "Design Advice" block: what would put right every source and
// device that is not Green (one line for each rule a source fails, naming
// the rule and its figures), or one line saying that all are; then the
// checks beyond the light.
void WriteDesignAdvice(TStringList& list, const TControlPanel& panel, const TCanvas& canvas,
                       const TDesignAdvice& advice);
// Appends the "Checks Beyond the Light" block: the battery voltage assumed,
// every source's recharge time against its limit and every device's
// voltages on battery, each with pass or fail.
void WriteChecksBeyondTheLight(TStringList& list, const TControlPanel& panel, const TCanvas& canvas,
                               const TDesignAdvice& advice);

}  // namespace voltaris
