#include "model/panel_network.h"

#include <cassert>
#include <vector>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/project_context.h"

namespace voltaris {

TPanelNetwork::TPanelNetwork(TCanvas& owner, int32_t maxExpanders, int32_t maxKeypads)
    : TNetwork(owner), MaxExpanders(maxExpanders), MaxKeypads(maxKeypads) {
  SetBounds(Left(), Top(), BlockWidth, BlockHeight);
  Labels[NameLabel] = {12, 4, "", true, true, 12};
  const int infoTops[] = {26, 40, 54, 68};
  for (int i = 0; i < 4; ++i) Labels[CurrentLabel + i] = {6, infoTops[i], "", false, false, 0};
  SetNetwork(this);
  ShowFigures();
  SetStatus(Green);
}

void TPanelNetwork::SetDownstreamLoad(const TLoad& load) {
  const TLoad old = DownstreamLoad;
  TNetwork::SetDownstreamLoad(load);
  if (!(old == load) && ControlPanel) ControlPanel->RecalcNetworkLoad();
}

void TPanelNetwork::ShowFigures() {
  // The labels change only with what they show; a network recalculated
  // again and again during a load keeps its texts.
  const TShownFigures shown{Name(), DownstreamLoad, Expanders, Keypads};
  if (shown_ && *shown_ == shown) return;
  shown_ = shown;
  Labels[NameLabel].Text = Name();
  Labels[CurrentLabel].Text = Format("Current = %d mA", DownstreamLoad.Quiescent);
  Labels[AlarmLabel].Text = Format("Alarm = %d mA", DownstreamLoad.Alarm);
  Labels[ExpandersLabel].Text = Format("Expanders - %d of Poss %d", Expanders, MaxExpanders);
  Labels[KeypadsLabel].Text = Format("Keypads - %d of Poss %d", Keypads, MaxKeypads);
  Notify(ChangedFigures);
}

bool TPanelNetwork::DragOverHandler(TDevice* source) {
  return source && source->AsNetDevice() != nullptr && CanAccept(source);
}

void TPanelNetwork::RemoveChild(int32_t position) {
  TNetwork::RemoveChild(position);
  CollectStatus();
}

void TPanelNetwork::DoubleClickAction() {
  const bool show = !Labels[CurrentLabel].Visible;
  for (int i = CurrentLabel; i <= KeypadsLabel; ++i) Labels[i].Visible = show;
  Notify(ChangedFigures);
}

void TPanelNetwork::SetStatus(uint8_t status) {
  TNetwork::SetStatus(status);
  if (ControlPanel) {
    ControlPanel->BuildWarnings();
    ControlPanel->RecalcNetworkLoad();
  }
}

void TPanelNetwork::DragDropHandler(TDevice* source, int x, int y) { TNetwork::DragDropHandler(source, x, y); }

bool TPanelNetwork::CanAccept(TDevice* device) {
  auto* network = dynamic_cast<TNetwork*>(device);
  if (!network) return false;
  // Moving a device within its own network is always allowed, even at the limits.
  if (network->Network == this) return true;
  if (network->Expanders + Expanders > MaxExpanders) return false;
  if (network->Keypads + Keypads > MaxKeypads) return false;
  return true;
}

void TPanelNetwork::CollectStatus() {
  ++Context().Counters.CollectStatus;
  // The network's own mark is Green; its light is the worst status on it.
  // Every device behind the network is on it, so the kept totals of its
  // children give the statuses a walk of the devices would collect.
  StatusSet = CurrentStatusSet();
  assert(StatusSet == CollectedStatusSet() && "every device behind a network is on it");
  SetStatus(WorstStatus(StatusSet));
}

TStatusSet TPanelNetwork::CurrentStatusSet() const {
  TStatusSet set = StatusBit(Green);
  for (const TNetDevice* child : Children) child->AddStatuses(set);
  return set;
}

TStatusSet TPanelNetwork::CollectedStatusSet() const {
  TStatusSet set = StatusBit(Green);
  std::vector<const TNetDevice*> pending(Children.begin(), Children.end());
  while (!pending.empty()) {
    const TNetDevice* device = pending.back();
    pending.pop_back();
    // A device counting itself on another network, or on none, would make
    // the walk's marks differ from the kept totals.
    if (device->Network != this) return 0;
    set |= StatusBit(device->Status);
    pending.insert(pending.end(), device->Children.begin(), device->Children.end());
  }
  return set;
}

TPanelNetwork* CreatePanelNetwork(TCanvas& canvas, int32_t networkKind) {
  switch (networkKind) {
    case 1: return &canvas.Create<TPanel200Network>();
    case 2: return &canvas.Create<TPanel250NetWork>();
    case 3: return &canvas.Create<TPanel300Network>();
    case 4: return &canvas.Create<TPanel400Network>();
    case 5: return &canvas.Create<TPanel500Network>();
    default: return nullptr;
  }
}

}  // namespace voltaris
