#include "model/network.h"

#include <algorithm>
#include <cassert>

#include "catalogue/format.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"

namespace voltaris {

TNetwork::TNetwork(TCanvas& owner) : TDevice(owner) {
  SetColor(ColourCream);
  treeStatuses_ = StatusBit(Status);
  treeLowestGrade_ = EffectiveGrade;
}

void TNetwork::WriteReport(TStringList& list) {
  TPanelNetwork* network = GetNetwork();
  const std::string name = network ? network->Name() : Name();
  // A network counts as used when anything is wired to it, including devices
  // that take no keypad or expander place.
  if (Keypads + Expanders != 0 || !Children.empty()) {
    list.emplace_back();
    list.push_back(name);
    list.push_back(Format("%d Keypads and %d Expanders fitted", Keypads, Expanders));
    list.emplace_back();
    for (size_t i = 0; i < Children.size(); ++i) Children[i]->WriteReport(list);
  } else {
    list.push_back(Format("%S - not used", Name()));
  }
}

TLoad TNetwork::ComputeDownstreamLoad() {
  // Devices powered by a remote supply draw nothing through the network cable.
  TLoad load = AttachedLoad;
  for (TNetDevice* child : Children) {
    if (!child->Supply) load += child->GetTotalLoad();
  }
  return load;
}

void TNetwork::SetStatus(uint8_t status) {
  const uint8_t old = Status;
  TDevice::SetStatus(status);
  if (status != old) RefreshTotals();
  // A panel network is its own network: its light is set by its own walk.
  if (!Network || Network == this) return;
  if (old > status) {
    Network->CollectStatus();  // the network may have become better
  } else if (status > Network->Status) {
    Network->SetStatus(status);  // it can only have become worse
  }
}

void TNetwork::DragDropHandler(TDevice* source, int, int) {
  TNetDevice* device = source ? source->AsNetDevice() : nullptr;
  if (!device) return;
  // A device is never wired behind itself or behind its own descendant: that
  // would make a loop, which the drag already refuses.
  if (device == this || DependsOn(device)) return;
  device->DetachFromNetParent();
  device->SetNetParent(this);
  Touch();
  Children.push_back(device);
  device->ParentIndex = static_cast<int32_t>(Children.size()) - 1;
  RefreshTotals();
  AddExpanders(device->Expanders);
  AddKeypads(device->Keypads);
  RecalcLoad();
  device->RecalcLoad();
  device->UpdateColour();
  if (TPanelNetwork* network = GetNetwork()) network->CollectStatus();
}

void TNetwork::SetNetwork(TPanelNetwork* network) {
  Network = network;
  if (network && network->Status < Status) network->SetStatus(Status);
}

TPanelNetwork* TNetwork::GetNetwork() const { return Network; }

bool TNetwork::CanAccept(TDevice*) { return true; }

// The counts show on a panel network's block: they are shown as they change.
void TNetwork::SetExpanders(int32_t count) {
  Expanders = count;
  ShowFigures();
}

void TNetwork::SetKeypads(int32_t count) {
  Keypads = count;
  ShowFigures();
}

void TNetwork::AddExpanders(int32_t difference) { SetExpanders(AddMilliamps(Expanders, difference)); }

void TNetwork::AddKeypads(int32_t difference) { SetKeypads(AddMilliamps(Keypads, difference)); }

void TNetwork::RemoveCounts(const TNetwork& device) {
  AddExpanders(-device.Expanders);
  AddKeypads(-device.Keypads);
}

void TNetwork::CollectStatus() {
  ++Context().Counters.CollectStatus;
  if (Network) Network->StatusSet |= StatusBit(Status);
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->CollectStatus();
}

void TNetwork::ChildrenChanged() { RefreshTotals(); }

int32_t TNetwork::LowestEffectiveGrade() const {
  assert(treeLowestGrade_ == WalkedLowestEffectiveGrade() && "the kept lowest grade is the tree's");
  return treeLowestGrade_;
}

void TNetwork::AddStatuses(TStatusSet& set) const {
#ifndef NDEBUG
  TStatusSet walked = 0;
  WalkStatuses(walked);
  assert(treeStatuses_ == walked && "the kept statuses are the tree's");
#endif
  set |= treeStatuses_;
}

int32_t TNetwork::WalkedLowestEffectiveGrade() const {
  int32_t lowest = EffectiveGrade;
  for (const TNetDevice* child : Children) lowest = std::min(lowest, child->WalkedLowestEffectiveGrade());
  return lowest;
}

void TNetwork::WalkStatuses(TStatusSet& set) const {
  set |= StatusBit(Status);
  for (const TNetDevice* child : Children) child->WalkStatuses(set);
}

void TNetwork::RefreshTotals() {
  for (TNetwork* node = this; node != nullptr;) {
    TStatusSet statuses = StatusBit(node->Status);
    int32_t lowest = node->EffectiveGrade;
    for (const TNetDevice* child : node->Children) {
      statuses |= child->treeStatuses_;
      lowest = std::min(lowest, child->treeLowestGrade_);
    }
    // Nothing above changes when this object's totals do not.
    if (statuses == node->treeStatuses_ && lowest == node->treeLowestGrade_) return;
    node->treeStatuses_ = statuses;
    node->treeLowestGrade_ = lowest;
    const TNetDevice* chained = node->AsNetDevice();
    node = chained ? chained->NetParent : nullptr;
  }
}

int32_t TNetwork::LowestGrade() {
  int32_t lowest = EffectiveGrade;
  for (size_t i = 0; i < Children.size(); ++i) {
    Children[i]->UpdateStatus();
    lowest = std::min(lowest, Children[i]->LowestGrade());
  }
  return lowest;
}

}  // namespace voltaris
