#include "model/wire.h"

#include "catalogue/format.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu_base.h"

namespace voltaris {

TWire LayOutWire(const TNetDevice& device, const TDevice& target) {
  const int dLeft = device.Left(), dTop = device.Top(), dWidth = device.Width(), dHeight = device.Height();
  const int tLeft = target.Left(), tTop = target.Top(), tWidth = target.Width(), tHeight = target.Height();
  TWire wire;
  const bool toSupply = dynamic_cast<const TPSUBase*>(&target) != nullptr;
  wire.Pen = toSupply ? ColourBlue : ColourBlack;

  // The rectangle spanning both tiles.
  if (dLeft < tLeft) {
    wire.Left = dLeft;
    wire.Width = tLeft - dLeft + tWidth;
  } else {
    wire.Left = tLeft;
    wire.Width = dLeft - tLeft + dWidth;
  }
  if (dTop < tTop) {
    wire.Top = dTop;
    wire.Height = tTop - dTop + tHeight;
  } else {
    wire.Top = tTop;
    wire.Height = dTop - tTop + dHeight;
  }

  // A line between the two centres.
  if (dLeft < tLeft) {
    wire.X1 = dWidth / 2;
    wire.X2 = wire.Width - tWidth / 2;
    if (dTop < tTop) {
      wire.Y1 = dHeight / 2;
      wire.Y2 = wire.Height - tHeight / 2;
    } else {
      wire.Y1 = wire.Height - dHeight / 2;
      wire.Y2 = tHeight / 2;
    }
  } else {
    wire.X1 = tWidth / 2;
    wire.X2 = wire.Width - dWidth / 2;
    if (dTop < tTop) {
      wire.Y1 = wire.Height - tHeight / 2;
      wire.Y2 = dHeight / 2;
    } else {
      wire.Y1 = tHeight / 2;
      wire.Y2 = wire.Height - dHeight / 2;
    }
    // A panel network block is tall: the run leaves it from its right edge,
    // level with the device, or from its top or bottom right corner.
    if (dynamic_cast<const TPanelNetwork*>(&target)) {
      wire.X1 = tWidth;
      const int centre = dTop + dHeight / 2;
      if (tTop < centre && centre < tTop + tHeight) {
        wire.Y1 = wire.Y2;
      } else if (tTop > dTop) {
        wire.Top = dTop;
        wire.Height = tTop - dTop + 20;
        wire.Y1 = wire.Height - 20;
        wire.Y2 = dHeight / 2;
        wire.X2 = wire.Width - dWidth / 2;
      } else {
        wire.Top = tTop + tHeight - 20;
        wire.Y1 = 20;
        wire.Height = dTop + dHeight - tTop - tHeight;
        wire.Y2 = wire.Height - dHeight / 2 + 20;
        wire.X2 = wire.Width - dWidth / 2;
      }
    }
  }

  if (device.Context().Settings.ShowLength) {
    // The data run of a device with its own supply is labelled with the data cable.
    const bool dataRunOfSupplied = dynamic_cast<const TNetwork*>(&target) != nullptr && device.Supply != nullptr;
    wire.Label = Format("%.0fm", dataRunOfSupplied ? device.NetCableLength : device.CableLength);
    wire.LabelX = wire.X1 + (wire.X2 - wire.X1) / 2;
    wire.LabelY = wire.Y1 + (wire.Y2 - wire.Y1) / 2;
  }
  return wire;
}

}  // namespace voltaris
