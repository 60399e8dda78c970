#include "designer/canvas_controller.h"

#include <algorithm>
#include <limits>

#include "designer/designer_change.h"
#include "designer/edit_context.h"
#include "designer/guidance.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {
int AnchorTop(int network) { return network == 0 ? 0 : 450 * (network + 1); }
}  // namespace

std::string TileTitle(const TDevice& tile) {
  if (const auto* device = dynamic_cast<const TVududa*>(&tile)) {
    std::string title = device->DeviceType >= 0 && device->DeviceType < NetDeviceTypeCount
                            ? NetBitOptsTable[static_cast<size_t>(device->DeviceType)].Name
                            : "Device";
    if (!device->Location.empty()) title += " (" + device->Location + ")";
    return title;
  }
  if (dynamic_cast<const TPSUClone*>(&tile)) return "Supply Clone";
  if (dynamic_cast<const TPSU*>(&tile)) return "Power Supply";
  return tile.Name();
}

TCanvasController::TCanvasController(IEditContext& editor, IDesignerHost& host)
    : editor_(editor),
      host_(host),
      tilesChanged_([this](TCanvas&, const TCanvasEvent& event) { TilesChanged(event); }) {}

void TCanvasController::CanvasCleared() {
  networkAnchors_.clear();
  selectedDevice_ = nullptr;
}

void TCanvasController::SetCanvasOrigin(int left, int top) {
  canvasOffsetLeft_ = left;
  canvasOffsetTop_ = top;
}

void TCanvasController::ForgetSupplies() {
  selectedDevice_ = nullptr;
  pointedTiles_.clear();
  Select(nullptr);
  supplyClicks_.clear();
}

void TCanvasController::FollowCanvas(TCanvas& canvas) {
  canvas.OnTilesChanged.Attach(tilesChanged_);
  for (const auto& tile : canvas.Tiles()) WatchSupply(*tile);
}

void TCanvasController::TilesChanged(const TCanvasEvent& event) {
  if (event.Kind == TCanvasEvent::TileAdded) {
    WatchSupply(*event.Tile);
    return;
  }
  // The supply last right-clicked and the selected tile are forgotten when their tile goes.
  if (selectedDevice_ == event.Tile) selectedDevice_ = nullptr;
  if (selectedTile_ == event.Tile) Select(nullptr);
  std::erase(pointedTiles_, event.Tile);
  supplyClicks_.erase(event.Tile);
}

void TCanvasController::WatchSupply(TDevice& tile) {
  if (!dynamic_cast<TPSU*>(&tile)) return;
  auto slot = std::make_unique<TSlot<TDevice, TShiftState>>(
      [this](TDevice& psu, const TShiftState&) { PSURightClick(psu); });
  tile.OnRightClick.Attach(*slot);
  supplyClicks_[&tile] = std::move(slot);
}

void TCanvasController::ShowCloneItems(int32_t panelType) {
  cloneToVisible_ = panelType >= 12;
  cloneItemVisible_.fill(false);
  cloneItemEnabled_.fill(false);
  if (cloneToVisible_) {
    cloneItemVisible_[0] = cloneItemVisible_[1] = true;
    cloneItemEnabled_[1] = true;
    for (size_t i = 2; i < NetworkCountMax; ++i) {
      cloneItemVisible_[i] = panelType > 12;
      cloneItemEnabled_[i] = panelType > 12;
    }
  }
}

// --- the networks ---

void TCanvasController::CreateNetworkAnchors(int count) {
  count = std::clamp(count, 0, NetworkCountMax);
  netLabelVisible_.fill(false);
  networkAnchors_.clear();
  for (int i = 0; i < count; ++i) {
    networkAnchors_.push_back(AnchorTop(i));
    netLabelVisible_[static_cast<size_t>(i)] = true;
  }
  editor_.Notify(ChangedMenus);
}

void TCanvasController::ShowNetwork(int index) {
  if (index < 0 || static_cast<size_t>(index) >= networkAnchors_.size()) return;
  ScrollInView(networkAnchors_.front());
  ScrollInView(networkAnchors_[static_cast<size_t>(index)]);
  TControlPanel& panel = *editor_.ControlPanel();
  const int current = panel.CurrentNetwork;
  if (current >= 0 && current < NetworkCountMax) cloneItemEnabled_[static_cast<size_t>(current)] = true;
  cloneItemEnabled_[static_cast<size_t>(index)] = false;
  panel.CurrentNetwork = index;
  editor_.Notify(ChangedMenus);
}

// --- the Arrange menu and the supply menu ---

void TCanvasController::ToggleSnapToGrid() {
  TCanvas& canvas = editor_.Canvas();
  canvas.SnapToGrid = !canvas.SnapToGrid;
  editor_.Notify(ChangedMenus);
}

void TCanvasController::TidyUp() {
  if (!editor_.IsProjectOpen()) return;
  editor_.RunCommand("Tidy-Up", [this] { TidyTiles(); });
}

void TCanvasController::TidyTiles() {
  TCanvas& canvas = editor_.Canvas();
  const bool snap = canvas.SnapToGrid;
  canvas.SnapToGrid = true;
  ScrollToFirstNetwork();
  // Network devices and supplies, in creation order; networks and clones stay.
  for (size_t i = 0; i < canvas.Tiles().size(); ++i) {
    TDevice* tile = canvas.Tiles()[i].get();
    if (dynamic_cast<TNetDevice*>(tile) || dynamic_cast<TPSU*>(tile)) tile->MoveCentreTo(tile->Left(), tile->Top());
  }
  canvas.SnapToGrid = snap;
  ScrollToCurrentNetwork();
}

void TCanvasController::CloneTo(int network) {
  auto* psu = dynamic_cast<TPSU*>(selectedDevice_);
  if (!psu || !editor_.IsProjectOpen() || network < 0 || network >= NetworkCountMax) return;
  const size_t item = static_cast<size_t>(network);
  if (!cloneToVisible_ || !cloneItemVisible_[item] || !cloneItemEnabled_[item]) return;
  if (item >= networkAnchors_.size()) return;
  // The clone lands where the supply was in the window, in the other section.
  const int topInView = psu->Top() - scrollTop_;
  editor_.RunCommand("Clone Supply", [&] {
    ShowNetwork(network);
    auto& clone = editor_.Canvas().Create<TPSUClone>();
    clone.MoveCentreTo(psu->Left() + psu->Width() / 2, topInView + scrollTop_ + psu->Height() / 2);
    clone.AttachToMaster(*psu);
  });
}

// --- presses, drags and drops ---

void TCanvasController::ChooseDevice(int tool) {
  if (tool < 0 || tool >= NetDeviceTypeCount) return;
  selectedTool_ = tool;
  pressMode_ = TPressMode::PlaceDevice;
  handCursor_ = true;
  editor_.ShowStatus(std::string("Place ") + NetBitOptsTable[static_cast<size_t>(tool)].Name, ChangedLayout);
}

void TCanvasController::ChoosePSU() { pressMode_ = TPressMode::PlacePSU; }

bool TCanvasController::CancelPlacing() {
  const bool placing = (pressMode_ == TPressMode::PlaceDevice && selectedTool_ >= 0) ||
                       pressMode_ == TPressMode::PlacePSU;
  if (!placing) return false;
  selectedTool_ = -1;
  pressMode_ = TPressMode::None;
  handCursor_ = false;
  editor_.ShowStatus(PlacingCancelledText, ChangedLayout);
  return true;
}

void TCanvasController::DragCancelled() { editor_.ShowStatus(DragCancelledText); }

void TCanvasController::CanvasPress(int x, int y) {
  if (!editor_.IsProjectOpen()) return;
  if (pressMode_ == TPressMode::PlaceDevice) {
    PlaceDevice(x, y);
  } else if (pressMode_ == TPressMode::PlacePSU) {
    PlacePSU(x, y);
  }
}

void TCanvasController::PlaceDevice(int x, int y) {
  if (selectedTool_ == -1) return;
  const TNetBitOpts& tool = NetBitOptsTable[static_cast<size_t>(selectedTool_)];
  editor_.RunCommand(std::string("Place ") + tool.Name, [&] {
    auto& device = editor_.Canvas().Create<TVududa>();
    device.SetDeviceType(static_cast<uint8_t>(tool.Index));
    device.MoveCentreTo(x, y);
  });
  selectedTool_ = -1;
  handCursor_ = false;
  editor_.ShowStatus(IEditContext::SelectComponentText, ChangedLayout);
}

void TCanvasController::PlacePSU(int x, int y) {
  editor_.RunCommand("Place Power Supply", [&] {
    auto& psu = editor_.Canvas().Create<TPSU>();
    psu.MoveCentreTo(x, y);
    editor_.ControlPanel()->AddPSU(&psu);
  });
}

TMouseResult TCanvasController::TileMouseDown(TDevice& tile, TMouseButton button, TShiftState shift, bool doubleClick) {
  if (button == TMouseButton::Left) {
    // A tile the user picks ends the pointing at a warning's tiles.
    if (!pointedTiles_.empty()) {
      pointedTiles_.clear();
      editor_.Notify(ChangedSelection);
    }
    Select(&tile);
    // A device is placed on the empty canvas, never on a tile: say so.
    if (pressMode_ == TPressMode::PlaceDevice && selectedTool_ >= 0 && !doubleClick)
      host_.ShowNotice(PlaceOnCanvasHint(selectedTool_));
  }
  // A set-up dialog, a detach or a deletion changes the design: each is one
  // step of the undo history; a cancelled dialog leaves no step.
  std::string what;
  if (button != TMouseButton::Right) {
    if (doubleClick) {
      what = "Set Up ";
    } else if (!tile.FixedOnCanvas() && shift.Alt) {
      what = "Detach ";
    } else if (!tile.FixedOnCanvas() && shift.Ctrl) {
      what = "Delete ";
    }
  }
  if (what.empty()) return tile.MouseDown(button, shift, doubleClick);
  TMouseResult result = TMouseResult::Nothing;
  editor_.RunCommand(what + TileTitle(tile), [&] { result = tile.MouseDown(button, shift, doubleClick); });
  return result;
}

void TCanvasController::Select(TDevice* tile) {
  if (selectedTile_ == tile) return;
  selectedTile_ = tile;
  editor_.Notify(ChangedSelection);
}

void TCanvasController::DeleteSelected() {
  if (!editor_.IsProjectOpen() || !selectedTile_ || selectedTile_->FixedOnCanvas()) return;
  TileMouseDown(*selectedTile_, TMouseButton::Left, TShiftState{.Ctrl = true}, false);
}

bool TCanvasController::DragOver(TDevice* target, TDevice& source) {
  if (!target) return CanvasDragOver(source);
  return target->DragOverHandler(&source);
}

void TCanvasController::Drop(TDevice* target, TDevice& source, int x, int y) {
  if (!target) {
    CanvasDrop(source, x, y);
    return;
  }
  if (!target->DragOverHandler(&source)) return;
  editor_.RunCommand("Drop " + TileTitle(source), [&] { target->DragDropHandler(&source, x, y); });
}

bool TCanvasController::CanvasDragOver(TDevice&) { return true; }

void TCanvasController::CanvasDrop(TDevice& source, int x, int y) {
  editor_.RunCommand("Move " + TileTitle(source), [&] { source.MoveCentreTo(x, y); });
}

void TCanvasController::PSURightClick(TDevice& psu) {
  selectedDevice_ = &psu;
  // Just below the supply's tile, in the window.
  host_.ShowSupplyMenu(psu.Left() + canvasOffsetLeft_, psu.Top() + psu.Height() - scrollTop_ + canvasOffsetTop_);
}

std::vector<TDevice*> TCanvasController::DropTargets(TDevice& source) {
  std::vector<TDevice*> targets;
  for (const auto& tile : editor_.Canvas().Tiles()) {
    if (DragOver(tile.get(), source)) targets.push_back(tile.get());
  }
  return targets;
}

// --- the device menu ---

void TCanvasController::SetUpTile(TDevice& tile) { TileMouseDown(tile, TMouseButton::Left, {}, true); }

void TCanvasController::DetachTile(TDevice& tile) {
  TileMouseDown(tile, TMouseButton::Left, TShiftState{.Alt = true}, false);
}

void TCanvasController::DeleteTile(TDevice& tile) {
  TileMouseDown(tile, TMouseButton::Left, TShiftState{.Ctrl = true}, false);
}

// --- pointing at a warning's tiles ---

void TCanvasController::PointAtWarning(size_t line) {
  const TControlPanel* panel = editor_.ControlPanel();
  if (!editor_.IsProjectOpen() || !panel) return;
  PointAt(WarningTiles(*panel, line), line);
}

void TCanvasController::PointAtChecks(const std::vector<int32_t>& tiles) {
  if (!editor_.IsProjectOpen()) return;
  std::vector<TDevice*> pointed;
  const auto& all = editor_.Canvas().Tiles();
  for (const int32_t index : tiles) {
    if (index >= 0 && static_cast<size_t>(index) < all.size()) pointed.push_back(all[static_cast<size_t>(index)].get());
  }
  // Below every warning's line.
  PointAt(std::move(pointed), std::numeric_limits<size_t>::max());
}

void TCanvasController::PointAt(std::vector<TDevice*> tiles, size_t line) {
  const bool again = line == pointedLine_ && !tiles.empty() && tiles == pointedTiles_;
  pointedNext_ = again ? (pointedNext_ + 1) % tiles.size() : 0;
  pointedLine_ = line;
  pointedTiles_ = std::move(tiles);
  editor_.Notify(ChangedSelection);
  if (pointedTiles_.empty()) return;
  TDevice& tile = *pointedTiles_[pointedNext_];
  Select(&tile);
  ScrollTileInView(tile);
}

void TCanvasController::ScrollTileInView(const TDevice& tile) {
  ScrollInView(tile.Top() + tile.Height() - 1);
  ScrollInView(tile.Top());
}

// --- the view ---

int TCanvasController::CanvasHeight() const {
  int height = 0;
  for (const auto& tile : editor_.Canvas().Tiles()) height = std::max(height, tile->Top() + tile->Height());
  for (int anchor : networkAnchors_) height = std::max(height, anchor + 1);
  return height;
}

void TCanvasController::SetScroll(int top) {
  scrollTop_ = std::clamp(top, 0, std::max(0, CanvasHeight() - viewHeight_));
}

void TCanvasController::SetViewHeight(int height) { viewHeight_ = std::max(1, height); }

void TCanvasController::ScrollInView(int y) {
  int top = scrollTop_;
  if (y < top) {
    top = y;
  } else if (y + 1 > top + viewHeight_) {
    top = y + 1 - viewHeight_;
  }
  SetScroll(top);
  editor_.Notify(ChangedScroll);
}

void TCanvasController::ScrollToFirstNetwork() { ScrollInView(networkAnchors_.empty() ? 0 : networkAnchors_.front()); }

void TCanvasController::ScrollToCurrentNetwork() {
  const size_t current = static_cast<size_t>(editor_.ControlPanel()->CurrentNetwork);
  if (current < networkAnchors_.size()) ScrollInView(networkAnchors_[current]);
}

}  // namespace voltaris
