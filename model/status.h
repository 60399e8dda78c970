// Status lights. Severity runs Blue > Yellow > Red > Orange > Green.
#pragma once

#include <cstdint>

namespace voltaris {

// Blue: not on a network or not set up (a supply: no battery); Yellow: below
// the system grade; Red: too little voltage or backup; Orange: a problem in
// alarm; Green: in order.
enum TStatus : uint8_t { Green = 0, Orange = 1, Red = 2, Yellow = 3, Blue = 4 };

// A set of statuses: bit (1 << code) for each code present.
using TStatusSet = uint32_t;

constexpr TStatusSet StatusBit(uint8_t status) { return status < 32 ? TStatusSet{1} << status : 0; }
constexpr bool HasStatus(TStatusSet set, uint8_t status) { return (set & StatusBit(status)) != 0; }

// The most severe status of a set: Blue, then Yellow, Red, Orange; Green otherwise.
constexpr uint8_t WorstStatus(TStatusSet set) {
  for (uint8_t status : {Blue, Yellow, Red, Orange}) {
    if (HasStatus(set, status)) return status;
  }
  return Green;
}

// The picture of a status light ("Green" .. "Blue"), or null for a code that has none.
constexpr const char* StatusImageName(uint8_t status) {
  constexpr const char* names[] = {"Green", "Orange", "Red", "Yellow", "Blue"};
  const uint8_t code = status & 127;
  return code < 5 ? names[code] : nullptr;
}

}  // namespace voltaris
