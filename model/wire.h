// A cable run: the line drawn between a network device and what it is wired
// to (black data run to its network parent, blue power run to its supply),
// with an optional length label. Presentation only: the cable's data lives
// in the device.
#pragma once

#include <string>

#include "model/colour.h"

namespace voltaris {

class TDevice;
class TNetDevice;

struct TWire {
  // The run's rectangle on the canvas.
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  // The line, in the run's own coordinates.
  int X1 = 0;
  int Y1 = 0;
  int X2 = 0;
  int Y2 = 0;
  TColour Pen = ColourBlack;
  // The length label ("%.0fm") with its top-left corner in run coordinates;
  // empty when cable lengths are not shown.
  std::string Label;
  int LabelX = 0;
  int LabelY = 0;

  // Two runs that are equal paint the same pixels.
  bool operator==(const TWire&) const = default;
};

// Lays out the run from `device` to `target` (its network parent or its supply).
TWire LayOutWire(const TNetDevice& device, const TDevice& target);

}  // namespace voltaris
