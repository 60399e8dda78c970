#include "model/tile_look.h"

#include "model/device.h"

namespace voltaris {

TTileLook LookOf(const TDevice& tile) {
  TTileLook look;
  look.Left = tile.Left();
  look.Top = tile.Top();
  look.Width = tile.Width();
  look.Height = tile.Height();
  look.Color = tile.Color();
  look.Picture = tile.Picture();
  look.StatusImage = tile.StatusImage();
  if (const auto* network = dynamic_cast<const TPanelNetwork*>(&tile)) {
    look.NetworkBlock = true;
    look.Labels.assign(network->Labels.begin(), network->Labels.end());
  }
  return look;
}

}  // namespace voltaris
