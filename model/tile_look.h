// What a tile looks like, as plain figures: its rectangle on the canvas,
// colour, picture, status light and (a panel network block) its outline and
// labels. The canvas and the printed drawing paint tiles from it with one
// renderer, so that both show the same. Presentation only, like TWire.
#pragma once

#include <string>
#include <vector>

#include "model/colour.h"
#include "model/panel_network.h"

namespace voltaris {

class TDevice;

struct TTileLook {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  TColour Color;
  std::string Picture;        // a device picture's name, empty for none
  std::string StatusImage;    // a status light's name, empty for none
  std::string Caption;        // a supply's label, drawn across the top of it and of its clones
  bool NetworkBlock = false;  // drawn with an outline and its labels
  std::vector<TTileLabel> Labels;

  // Two looks that are equal paint the same pixels.
  bool operator==(const TTileLook&) const = default;
};

// The look of `tile` as it now stands.
TTileLook LookOf(const TDevice& tile);

}  // namespace voltaris
