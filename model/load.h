// A load: the quiescent and alarm current of something, in whole milliamps.
#pragma once

#include <cstdint>

namespace voltaris {

// 32-bit milliamp arithmetic that wraps instead of overflowing, so that absurd
// figures from a damaged file give absurd figures rather than undefined behaviour.
constexpr int32_t AddMilliamps(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t MultiplyMilliamps(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

struct TLoad {
  int32_t Quiescent = 0;  // mA with the system quiescent
  int32_t Alarm = 0;      // mA in alarm

  constexpr TLoad operator+(const TLoad& other) const {
    return {AddMilliamps(Quiescent, other.Quiescent), AddMilliamps(Alarm, other.Alarm)};
  }
  constexpr TLoad& operator+=(const TLoad& other) { return *this = *this + other; }
  constexpr bool operator==(const TLoad&) const = default;
};

}  // namespace voltaris
