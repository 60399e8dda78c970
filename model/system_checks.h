// The checks of a whole system, stated twice: as the live warning list in the
// designer's window and as the issue summary at the end of the system report.
// One table of rules drives both, so that a condition and its two texts are
// read side by side; where the two outputs differ, the row says how.
#pragma once

#include <cstdint>
#include <span>

#include "catalogue/catalogue.h"
#include "model/status.h"

namespace voltaris {

// What the checks look at: the control panel's figures and the statuses just
// collected from its networks and supplies.
struct TSystemFacts {
  int32_t Grade = 0;               // the system grade
  int32_t LowestDeviceGrade = 3;   // of the devices wired to the panel
  int32_t LowestNetworkGrade = 0;  // of the devices on the panel networks
  bool InsufficientBackup = false;
  int32_t BatteryIndex = -1;  // -1: no battery fitted to the panel
  bool AlarmOverload = false;
  bool ContinuousOverload = false;
  TStatusSet Networks = 0;  // union of the panel networks' statuses
  TStatusSet Supplies = 0;  // union of the remote supplies' statuses
};

using TSystemCondition = bool (*)(const TSystemFacts&);

// One output's line of a check: stated when `When` holds. A text naming a
// grade takes the system grade at its "%d". A check that one output does not
// state leaves that line empty (both null).
struct TSystemLine {
  TSystemCondition When = nullptr;
  const char* Text = nullptr;
};

// What a check is about: the panel's own figures, or the devices on its
// networks or the remote supplies that show the light `Light`.
struct TCheckSubject {
  enum TKind : uint8_t { Panel, NetworkDevices, Supplies };
  TKind Kind = Panel;
  uint8_t Light = Green;
};

struct TSystemCheck {
  TSystemLine Warning;  // the live warning list
  TSystemLine Issue;    // the report's issue summary
  TCheckSubject About;  // the tiles a warning points at
};

// The checks in the order both outputs list them.
std::span<const TSystemCheck> SystemChecks();

// The live warnings the facts give, in table order.
TStringList SystemWarnings(const TSystemFacts& facts);
// The report's issue lines the facts give, in table order.
TStringList SystemIssues(const TSystemFacts& facts);

}  // namespace voltaris
