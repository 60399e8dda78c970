#include "model/tile_look.h"

#include "model/device.h"
#include "model/psu.h"
#include "model/psu_clone.h"

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
  if (const auto* supply = dynamic_cast<const TPSU*>(&tile)) look.Caption = supply->Module.Label;
  if (const auto* clone = dynamic_cast<const TPSUClone*>(&tile); clone && clone->Master)
    look.Caption = clone->Master->Module.Label;
  if (const auto* network = dynamic_cast<const TPanelNetwork*>(&tile)) {
    look.NetworkBlock = true;
    look.Labels.assign(network->Labels.begin(), network->Labels.end());
  }
  return look;
}

}  // namespace voltaris
