// The common alarm cables by name, for the impedance an installer types. The
// impedance a device's cable is worked with is the resistance of the whole
// supply loop, out on one conductor and back on the other, per 100 m: a
// figure often confused with one core's. Each cable's loop resistance comes
// from its conductors' nominal resistance at 20 °C, worked out from annealed
// copper's resistivity (1/58 ohm mm2 per metre) and the conductor's area.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace voltaris {

struct TAlarmCable {
  const char* Name;
  double CoreOhmsPerKm;  // one conductor, nominal at 20 degrees C
  int CoresEachWay;      // conductors in parallel each way: 2 on doubled pairs
};

inline constexpr std::array<TAlarmCable, 5> AlarmCables = {{
    {"7/0.2 mm (0.22 mm2), one pair", 78.40, 1},  // 7 x pi x 0.1^2 = 0.2199 mm2
    {"7/0.2 mm (0.22 mm2), doubled pairs", 78.40, 2},
    {"16/0.2 mm (0.5 mm2)", 34.30, 1},          // 16 x pi x 0.1^2 = 0.5027 mm2
    {"24 AWG twisted pair (Cat5e)", 84.20, 1},  // 0.5106 mm across: 0.2048 mm2
    {"1.0 mm2", 17.24, 1},
}};

// What the choice of cables offers after them: the figure typed.
inline constexpr const char* OtherCable = "Other";

// The loop resistance of 100 m of `cable`, ohms: out and back.
inline double LoopOhmsPer100m(const TAlarmCable& cable) { return 2 * cable.CoreOhmsPerKm / 10 / cable.CoresEachWay; }

// The same, rounded up to whole ohms, for a field that takes whole numbers:
// up is the safe side (a larger drop).
inline int WholeLoopOhmsPer100m(const TAlarmCable& cable) {
  return static_cast<int>(std::ceil(LoopOhmsPer100m(cable) - 1e-9));
}

// What a choice of cables lists: every cable's name, then "Other".
inline std::vector<std::string> AlarmCableItems() {
  std::vector<std::string> items;
  for (const TAlarmCable& cable : AlarmCables) items.emplace_back(cable.Name);
  items.emplace_back(OtherCable);
  return items;
}

// The cable an impedance of `ohmsPer100m` is: the one whose loop resistance
// it equals, exactly or rounded up to whole ohms; AlarmCables.size() ("Other")
// for none.
inline size_t AlarmCableOf(double ohmsPer100m) {
  for (size_t i = 0; i < AlarmCables.size(); ++i) {
    if (std::abs(LoopOhmsPer100m(AlarmCables[i]) - ohmsPer100m) < 1e-9 ||
        WholeLoopOhmsPer100m(AlarmCables[i]) == ohmsPer100m)
      return i;
  }
  return AlarmCables.size();
}

}  // namespace voltaris
