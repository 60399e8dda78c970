// The six settings of a project: defaults come from the settings store, every
// project file carries a copy, the Options dialog edits them. Each project
// keeps its own record in its TProjectContext.
#pragma once

#include <cstdint>

namespace voltaris {

struct TSettings {
  int32_t SystemStandard = 0;  // 0 = EN50131-1, 1 = PD6662
  int32_t AlarmPeriod = 0;     // minutes (bell duration)
  int32_t CableRun = 0;        // metres, the cable length of a new network device
  double CableImpedance = 0;   // ohms per metre, the impedance of a new network device
  double BatteryFactor = 0;    // 1 - degradation: 1.0, 0.9, 0.8 or 0.7
  bool ShowLength = false;     // cable-length labels on the canvas

  bool operator==(const TSettings&) const = default;
};

}  // namespace voltaris
