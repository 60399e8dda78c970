// The common base of a remote power supply tile and its clones: the in-use
// flag and the drop of a network device onto the supply.
#pragma once

#include "model/device.h"

namespace voltaris {

class TPSUBase : public TDevice {
 public:
  static constexpr int TileSize = 64;

  explicit TPSUBase(TCanvas& owner);

  // Overrides of TDevice, in order.
  void WriteReport(TStringList& list) override;
  // Powers a network device dropped on it.
  void DragDropHandler(TDevice* source, int x, int y) override;
  // The devices it powers keep their position in its list as SupplyIndex.
  void SetChildPosition(TNetDevice& child, int32_t position) override;

  // The supply's own operations, in order.
  virtual void SetInUse();
  virtual void RecheckInUse();
  // The supply's label changed: the tile draws it again.
  void LabelChanged() { Notify(ChangedFigures); }

  // The supply powers at least one device that is on a network.
  bool InUse = false;

 protected:
  // Whether any device this tile powers is on a network.
  bool AnyChildOnNetwork() const;
};

}  // namespace voltaris
