#include "model/canvas.h"

#include <algorithm>
#include <utility>

#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"

namespace voltaris {

TCanvas::~TCanvas() { Clear(); }

void TCanvas::Append(std::unique_ptr<TDevice> tile) {
  tile->SaveIndex = static_cast<int32_t>(tiles_.size());
  tile->touched_ = false;  // new to an image: written whole, then listed when touched
  tiles_.push_back(std::move(tile));
  onBattery_.TileAdded(*tiles_.back(), static_cast<int32_t>(tiles_.size()) - 1);
  OnTilesChanged.Notify(*this, {TCanvasEvent::TileAdded, tiles_.back().get()});
}

namespace {

// Every class a tile can be, under the name it is stored with, and how to make one.
struct TTileClass {
  const char* Name;
  TDevice* (*Create)(TCanvas&);
};

template <typename T>
TDevice* Make(TCanvas& canvas) {
  return &canvas.Create<T>();
}

constexpr TTileClass TileClasses[] = {
    {"TPanel200Network", Make<TPanel200Network>}, {"TPanel250NetWork", Make<TPanel250NetWork>},
    {"TPanel300Network", Make<TPanel300Network>}, {"TPanel400Network", Make<TPanel400Network>},
    {"TPanel500Network", Make<TPanel500Network>}, {"TDevice", Make<TDevice>},
    {"TPSU", Make<TPSU>},                         {"TPSUClone", Make<TPSUClone>},
    {"TNetDevice", Make<TNetDevice>},             {"TVududa", Make<TVududa>},
};

}  // namespace

const std::vector<std::string>& TCanvas::TileClassNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const TTileClass& tileClass : TileClasses) list.emplace_back(tileClass.Name);
    return list;
  }();
  return names;
}

TDevice* TCanvas::CreateByClassName(const std::string& className) {
  for (const TTileClass& tileClass : TileClasses) {
    if (className == tileClass.Name) return tileClass.Create(*this);
  }
  return nullptr;
}

int TCanvas::IndexOf(const TDevice* tile) const {
  for (size_t i = 0; i < tiles_.size(); ++i) {
    if (tiles_[i].get() == tile) return static_cast<int>(i);
  }
  return -1;
}

void TCanvas::Destroy(TDevice* tile) {
  const int index = IndexOf(tile);
  if (index < 0) LinkMisuse("a tile that is not on the canvas is destroyed by it");
  std::unique_ptr<TDevice> owned = std::move(tiles_[static_cast<size_t>(index)]);
  LetGo(*owned);
  tiles_.erase(tiles_.begin() + index);
  onBattery_.TileRemoved(*owned);
  OnTilesChanged.Notify(*this, {TCanvasEvent::TileRemoved, owned.get()});
  owned.reset();
}

void TCanvas::Clear() {
  clearing_ = true;
  onBattery_.Cleared();
  // The newest first, as they would be taken down one by one.
  while (!tiles_.empty()) {
    std::unique_ptr<TDevice> owned = std::move(tiles_.back());
    LetGo(*owned);
    tiles_.pop_back();
    OnTilesChanged.Notify(*this, {TCanvasEvent::TileRemoved, owned.get()});
  }
  clearing_ = false;
}

void TCanvas::NoteTouched(TDevice& tile) { touched_.Tiles.push_back(&tile); }

void TCanvas::LetGo(TDevice& tile) {
  if (editing_ == &tile) editing_ = nullptr;
  for (TDevice* touched : touched_.Tiles) touched->touched_ = false;
  touched_.Tiles.clear();
  touched_.Reordered = true;
  tile.touched_ = true;
}

TCanvas::TTouched TCanvas::TakeTouched() {
  for (TDevice* tile : touched_.Tiles) tile->touched_ = false;
  TTouched taken = std::exchange(touched_, {});
  if (editing_) taken.Tiles.push_back(editing_);
  return taken;
}

TCanvas::TEditing::TEditing(TDevice& tile) : canvas_(tile.Owner()), before_(canvas_.editing_) {
  canvas_.editing_ = &tile;
}

TCanvas::TEditing::~TEditing() {
  // The tile as the dialog left it is in the next image too.
  if (canvas_.editing_) canvas_.editing_->Touch();
  canvas_.editing_ = before_;
}

}  // namespace voltaris
