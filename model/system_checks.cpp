#include "model/system_checks.h"

#include <algorithm>

#include "catalogue/format.h"

namespace voltaris {

namespace {

constexpr bool PanelDevicesBelowGrade(const TSystemFacts& f) { return f.Grade > f.LowestDeviceGrade; }
constexpr bool PanelWithoutBattery(const TSystemFacts& f) { return f.InsufficientBackup && f.BatteryIndex == -1; }
constexpr bool PanelShortOfBackup(const TSystemFacts& f) { return f.InsufficientBackup && f.BatteryIndex != -1; }
constexpr bool PanelAlarmOverload(const TSystemFacts& f) { return f.AlarmOverload; }
constexpr bool PanelContinuousOverload(const TSystemFacts& f) { return f.ContinuousOverload; }
constexpr bool NetworkBlue(const TSystemFacts& f) { return HasStatus(f.Networks, Blue); }
constexpr bool NetworkRed(const TSystemFacts& f) { return HasStatus(f.Networks, Red); }
constexpr bool NetworkYellow(const TSystemFacts& f) { return HasStatus(f.Networks, Yellow); }
constexpr bool NetworkDevicesBelowGrade(const TSystemFacts& f) { return f.Grade > f.LowestNetworkGrade; }
constexpr bool NetworkOrange(const TSystemFacts& f) { return HasStatus(f.Networks, Orange); }
constexpr bool SupplyOrange(const TSystemFacts& f) { return HasStatus(f.Supplies, Orange); }
constexpr bool SupplyRed(const TSystemFacts& f) { return HasStatus(f.Supplies, Red); }
constexpr bool SupplyYellow(const TSystemFacts& f) { return HasStatus(f.Supplies, Yellow); }
constexpr bool SupplyBlue(const TSystemFacts& f) { return HasStatus(f.Supplies, Blue); }

// The panel's own figures first, then its networks' lights, then the supplies'.
// The backup check has a text for a panel without a battery and one for a
// battery too small. The report judges the network grade by the grades
// collected from the networks rather than by their yellow light, and only the
// report lists supplies without a battery.
constexpr TSystemCheck Checks[] = {
    {{PanelDevicesBelowGrade, "Devices on panel are not to Grade %d"},
     {PanelDevicesBelowGrade, "** Panel has devices connected that are not to Grade %d **"},
     {}},
    {{PanelWithoutBattery, "No battery selected for panel"},
     {PanelWithoutBattery, "** No battery selected for panel **"},
     {}},
    {{PanelShortOfBackup, "Panel may not have sufficient backup"},
     {PanelShortOfBackup, "** Panel may not have sufficient backup **"},
     {}},
    {{PanelAlarmOverload, "Panel alarm current exceeds maximum available"},
     {PanelAlarmOverload, "** Panel alarm current exceeds maximum available **"},
     {}},
    {{PanelContinuousOverload, "Panel current exceeds continuous rated output"},
     {PanelContinuousOverload, "** Panel current exceeds continuous rated output **"},
     {}},
    {{NetworkBlue, "Devices not set up - Blue Status Light"},
     {NetworkBlue, "** Network devices may not be set up (Indicated by Blue Status Light) **"},
     {TCheckSubject::NetworkDevices, Blue}},
    {{NetworkRed, "Devices with low voltage - Red Status Light"},
     {NetworkRed, "** Network Devices may not have sufficient voltage (Indicated by Red Status Light) **"},
     {TCheckSubject::NetworkDevices, Red}},
    {{NetworkYellow, "Devices on network not to Grade %d - Yellow Status Light"},
     {NetworkDevicesBelowGrade, "** Devices on network not to Grade %d (Indicated by Yellow Status Light) **"},
     {TCheckSubject::NetworkDevices, Yellow}},
    {{NetworkOrange, "Devices low Volts in alarm - Orange Status Light"},
     {NetworkOrange, "** Network Devices may not have sufficient Volts in alarm (Indicated by Orange Status Light) **"},
     {TCheckSubject::NetworkDevices, Orange}},
    {{SupplyOrange, "PSU Alarm current exceeds maximum available - Orange Status Light"},
     {SupplyOrange, "** PSU Alarm current exceeds maximum available (Indicated by Orange Status Light) **"},
     {TCheckSubject::Supplies, Orange}},
    {{SupplyRed, "PSU may have insufficient backup - Red Status Light"},
     {SupplyRed, "** PSU may have insufficient backup (Indicated by Red Status Light) **"},
     {TCheckSubject::Supplies, Red}},
    {{SupplyYellow, "PSU has devices not to Grade %d - Yellow Status Light"},
     {SupplyYellow, "** PSU is powering devices not to Grade %d (Indicated by Yellow Status Light) **"},
     {TCheckSubject::Supplies, Yellow}},
    {{/* no live warning */}, {SupplyBlue, "** PSU has no battery selected (Indicated by Blue Status Light) **"}, {}},
};

// A line has both a condition and a text, or neither; every check states something.
constexpr bool WellFormed(const TSystemLine& line) { return (line.When == nullptr) == (line.Text == nullptr); }
static_assert(std::ranges::all_of(Checks, [](const TSystemCheck& check) {
  return WellFormed(check.Warning) && WellFormed(check.Issue) && (check.Warning.When || check.Issue.When);
}));

// The texts of one output's lines whose condition holds, in table order.
TStringList Lines(const TSystemFacts& facts, TSystemLine TSystemCheck::*output) {
  TStringList lines;
  for (const TSystemCheck& check : Checks) {
    const TSystemLine& line = check.*output;
    // Every text goes through Format with the grade; those without a "%d" come out as they are.
    if (line.When && line.When(facts)) lines.push_back(Format(line.Text, facts.Grade));
  }
  return lines;
}

}  // namespace

std::span<const TSystemCheck> SystemChecks() { return Checks; }

TStringList SystemWarnings(const TSystemFacts& facts) { return Lines(facts, &TSystemCheck::Warning); }

TStringList SystemIssues(const TSystemFacts& facts) { return Lines(facts, &TSystemCheck::Issue); }

}  // namespace voltaris
