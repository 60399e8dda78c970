#include "model/psu_base.h"

#include "model/net_device.h"

namespace voltaris {

TPSUBase::TPSUBase(TCanvas& owner) : TDevice(owner) {}

void TPSUBase::WriteReport(TStringList& list) {
  if (Children.empty()) return;
  list.emplace_back();
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->WriteDeviceLines(list);
}

void TPSUBase::DragDropHandler(TDevice* source, int, int) {
  TNetDevice* device = source ? source->AsNetDevice() : nullptr;
  // Only a network device can be powered.
  if (!device) return;
  device->DetachFromSupply();
  device->SetSupply(this);
  Touch();
  Children.push_back(device);
  device->SupplyIndex = static_cast<int32_t>(Children.size()) - 1;
  if (device->GetNetwork()) SetInUse();
  RecalcLoad();
  // The device now takes its voltages from this supply: work them out at
  // once, also for a device that is on no network yet.
  device->RecalcLoad();
}

void TPSUBase::SetChildPosition(TNetDevice& child, int32_t position) { child.SupplyIndex = position; }

void TPSUBase::SetInUse() {
  if (InUse) return;
  InUse = true;
  UpdateStatus();
}

void TPSUBase::RecheckInUse() {}

bool TPSUBase::AnyChildOnNetwork() const {
  for (const TNetDevice* child : Children) {
    if (child->GetNetwork()) return true;
  }
  return false;
}

}  // namespace voltaris
