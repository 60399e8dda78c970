#include "model/canvas.h"

#include <algorithm>

#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/vududa.h"

namespace voltaris {

TCanvas::~TCanvas() { Clear(); }

void TCanvas::Append(std::unique_ptr<TDevice> tile) {
  tiles_.push_back(std::move(tile));
  TDevice& added = *tiles_.back();
  for (ICanvasObserver* observer : observers_) observer->TileAdded(added);
}

bool TCanvas::IsTileClassName(const std::string& className) {
  static const char* const names[] = {"TPanel200Network", "TPanel250NetWork", "TPanel300Network",
                                      "TPanel400Network", "TPanel500Network", "TDevice",
                                      "TPSU",             "TPSUClone",        "TNetDevice",
                                      "TVududa"};
  return std::any_of(std::begin(names), std::end(names), [&](const char* name) { return className == name; });
}

TDevice* TCanvas::CreateByClassName(const std::string& className) {
  if (className == "TPanel200Network") return &Create<TPanel200Network>();
  if (className == "TPanel250NetWork") return &Create<TPanel250NetWork>();
  if (className == "TPanel300Network") return &Create<TPanel300Network>();
  if (className == "TPanel400Network") return &Create<TPanel400Network>();
  if (className == "TPanel500Network") return &Create<TPanel500Network>();
  if (className == "TDevice") return &Create<TDevice>();
  if (className == "TPSU") return &Create<TPSU>();
  if (className == "TPSUClone") return &Create<TPSUClone>();
  if (className == "TNetDevice") return &Create<TNetDevice>();
  if (className == "TVududa") return &Create<TVududa>();
  return nullptr;
}

void TCanvas::AddObserver(ICanvasObserver* observer) { observers_.push_back(observer); }

void TCanvas::RemoveObserver(ICanvasObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

int TCanvas::IndexOf(const TDevice* tile) const {
  for (size_t i = 0; i < tiles_.size(); ++i) {
    if (tiles_[i].get() == tile) return static_cast<int>(i);
  }
  return -1;
}

void TCanvas::Destroy(TDevice* tile) {
  const int index = IndexOf(tile);
  if (index < 0) return;
  std::unique_ptr<TDevice> owned = std::move(tiles_[static_cast<size_t>(index)]);
  tiles_.erase(tiles_.begin() + index);
  for (ICanvasObserver* observer : observers_) observer->TileRemoved(*owned);
  owned.reset();
}

void TCanvas::Clear() {
  clearing_ = true;
  // The newest first, as they would be taken down one by one.
  while (!tiles_.empty()) {
    std::unique_ptr<TDevice> owned = std::move(tiles_.back());
    tiles_.pop_back();
    for (ICanvasObserver* observer : observers_) observer->TileRemoved(*owned);
  }
  clearing_ = false;
}

}  // namespace voltaris
