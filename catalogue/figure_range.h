// The range a figure typed by the user must lie in, and the message that
// refuses one outside it. A figure out of range is refused out loud, never
// brought into the range behind the user's back.
#pragma once

#include <string>

#include "catalogue/format.h"

namespace voltaris {

struct TFigureRange {
  const char* What;  // "a cable length"
  double Min;
  double Max;
  const char* Unit;  // "m"

  bool Holds(double value) const { return value >= Min && value <= Max; }
  // "Enter a cable length from 0 to 1000 m."
  std::string Refusal() const {
    return Format("Enter %s from %s to %s %s.", What, FloatToStr(Min), FloatToStr(Max), Unit);
  }
};

}  // namespace voltaris
