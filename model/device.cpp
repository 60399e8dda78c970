#include "model/device.h"

#include "model/canvas.h"
#include "model/net_device.h"
#include "model/network.h"
#include "model/psu_base.h"
#include "model/work_counters.h"

namespace voltaris {

TDevice::TDevice(TCanvas& owner) : owner_(owner) {
  SetStatus(Blue);
  OnRightClick = [](TDevice&) {};
}

TDevice::~TDevice() = default;

void TDevice::Notify(unsigned changes) {
  if (view_) view_->TileChanged(*this, changes);
}

void TDevice::WriteReport(TStringList&) {}
void TDevice::WriteDeviceLines(TStringList&) {}

void TDevice::SetDownstreamLoad(const TLoad& load) {
  DownstreamLoad = load;
  ShowFigures();
}

void TDevice::Detach() {}

void TDevice::RecalcLoad() {
  ++WorkCounters.RecalcLoad;
  SetDownstreamLoad(ComputeDownstreamLoad());
}

void TDevice::ShowFigures() {}

bool TDevice::DragOverHandler(TDevice* source) {
  return source != this && dynamic_cast<TNetDevice*>(source) != nullptr;
}

void TDevice::RecalcChildren() {
  // By index: a recalculation never changes the list, but stay safe if it did.
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->RecalcLoad();
}

void TDevice::RebuildWires() {}

TLoad TDevice::ComputeDownstreamLoad() {
  TLoad load = AttachedLoad;
  for (TNetDevice* child : Children) load += child->GetTotalLoad();
  return load;
}

void TDevice::RemoveChild(int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= Children.size()) return;
  Children.erase(Children.begin() + position);
  const bool isSupply = dynamic_cast<TPSUBase*>(this) != nullptr;
  for (size_t i = static_cast<size_t>(position); i < Children.size(); ++i) {
    if (isSupply) {
      Children[i]->SupplyIndex = static_cast<int32_t>(i);
    } else {
      Children[i]->ParentIndex = static_cast<int32_t>(i);
    }
  }
  RecalcLoad();
}

bool TDevice::DependsOn(const TDevice*) const { return false; }

void TDevice::DoubleClickAction() {}

void TDevice::UpdateStatus() {}

void TDevice::LoadStatusImage(const std::string& name) {
  statusImage_ = name;
  Notify(ChangedStatus);
}

void TDevice::SetStatus(uint8_t status) {
  Status = status;
  if (const char* name = StatusImageName(status)) LoadStatusImage(name);
}

void TDevice::DragDropHandler(TDevice* source, int, int) {
  auto* supply = dynamic_cast<TPSUBase*>(this);
  auto* device = dynamic_cast<TNetDevice*>(source);
  // Only a supply (or its clone) can power a device.
  if (!supply || !device) return;
  device->DetachFromSupply();
  device->SetSupply(supply);
  Children.push_back(device);
  device->SupplyIndex = static_cast<int32_t>(Children.size()) - 1;
}

void TDevice::MoveCentreTo(int x, int y) {
  const int halfWidth = width_ / 2;
  const int halfHeight = height_ / 2;
  if (owner_.SnapToGrid) {
    // The top-left corner goes to the grid point nearest the requested centre.
    x = ((x + 15) / TCanvas::GridSize) * TCanvas::GridSize + halfWidth;
    y = ((y + 15) / TCanvas::GridSize) * TCanvas::GridSize + halfHeight;
  }
  SetBounds(x >= halfWidth ? x - halfWidth : 0, y >= halfHeight ? y - halfHeight : 0, width_, height_);
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->RebuildWires();
}

void TDevice::WriteRecord(TStream&) {}
void TDevice::ReadRecord(TStream&) {}

void TDevice::UpdateColour() {
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->UpdateColour();
}

void TDevice::SetAttachedLoad(const TLoad& load) {
  if (load == AttachedLoad) return;
  AttachedLoad = load;
  // The full recalculation rather than the load alone: a network device then
  // also works out the voltages its new load leaves it, even where its
  // source's voltages do not change and so would not recalculate it.
  RecalcLoad();
}

void TDevice::SetSupplyVoltages(double quiescent, double alarm) {
  if (quiescent == SupplyVolts && alarm == AlarmVolts) return;
  SupplyVolts = quiescent;
  AlarmVolts = alarm;
  UpdateStatus();
  RecalcChildren();
}

void TDevice::RebuildAllWires() {
  RebuildWires();
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->RebuildWires();
}

void TDevice::DeleteDevice() {
  Detach();
  owner_.Destroy(this);
}

TMouseResult TDevice::MouseDown(TMouseButton button, TShiftState shift, bool doubleClick) {
  if (button == TMouseButton::Right) {
    if (OnRightClick) OnRightClick(*this);
    return TMouseResult::Nothing;
  }
  if (doubleClick) {
    DoubleClickAction();
    return TMouseResult::Nothing;
  }
  // Panel networks are neither dragged, detached nor deleted by a click.
  if (dynamic_cast<TNetwork*>(this) && !dynamic_cast<TNetDevice*>(this)) return TMouseResult::Nothing;
  if (shift.Alt) {
    Detach();
    return TMouseResult::Nothing;
  }
  if (shift.Ctrl) {
    DeleteDevice();
    return TMouseResult::Deleted;
  }
  return TMouseResult::BeginDrag;
}

void TDevice::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Notify(ChangedGeometry);
}

void TDevice::SetColor(const TColour& colour) {
  if (colour == color_) return;
  color_ = colour;
  Notify(ChangedColour);
}

void TDevice::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  Notify(ChangedHint);
}

void TDevice::SetShowHint(bool show) {
  if (show == showHint_) return;
  showHint_ = show;
  Notify(ChangedHint);
}

void TDevice::SetPicture(const std::string& name, int width, int height) {
  picture_ = name;
  Notify(ChangedPicture);
  SetBounds(left_, top_, width, height);
}

void TDevice::SetName(const std::string& name) {
  name_ = name;
  ShowFigures();
}

}  // namespace voltaris
