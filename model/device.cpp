#include "model/device.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "model/canvas.h"
#include "model/net_device.h"
#include "model/project_context.h"

namespace voltaris {

TDevice::TDevice(TCanvas& owner) : owner_(owner) { SetStatus(Blue); }

TDevice::~TDevice() = default;

TProjectContext& TDevice::Context() const { return owner_.Context(); }

void TDevice::Notify(unsigned changes) {
  // The place and the hint are in the layout file.
  if (changes & (ChangedGeometry | ChangedHint)) Touch();
  OnChanged.Notify(*this, changes);
}

void TDevice::Touch() {
  if (touched_) return;
  touched_ = true;
  owner_.NoteTouched(*this);
}

void TDevice::WriteReport(TStringList&) {}
void TDevice::WriteDeviceLines(TStringList&) {}

void TDevice::SetDownstreamLoad(const TLoad& load) {
  Touch();
  DownstreamLoad = load;
  ShowFigures();
}

void TDevice::Detach() {}

void TDevice::RecalcLoad() {
  ++Context().Counters.RecalcLoad;
  SetDownstreamLoad(ComputeDownstreamLoad());
}

void TDevice::ShowFigures() {}

bool TDevice::DragOverHandler(TDevice* source) { return source && source != this && source->AsNetDevice() != nullptr; }

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
  // A position that is not in the list means a link was recorded wrongly.
  if (position < 0 || static_cast<size_t>(position) >= Children.size())
    LinkMisuse("a child is removed from a position its parent does not have");
  Touch();
  Children.erase(Children.begin() + position);
  for (size_t i = static_cast<size_t>(position); i < Children.size(); ++i)
    SetChildPosition(*Children[i], static_cast<int32_t>(i));
  ChildrenChanged();
  RecalcLoad();
}

void TDevice::SetChildPosition(TNetDevice& child, int32_t position) { child.ParentIndex = position; }

bool TDevice::DependsOn(const TDevice*) const { return false; }

void TDevice::DoubleClickAction() {}

void TDevice::UpdateStatus() {}

void TDevice::LoadStatusImage(const std::string& name) {
  statusImage_ = name;
  Notify(ChangedStatus);
}

void TDevice::SetStatus(uint8_t status) {
  Touch();
  Status = status;
  if (const char* name = StatusImageName(status)) LoadStatusImage(name);
}

// Only a supply (or its clone) takes a drop here: see TPSUBase.
void TDevice::DragDropHandler(TDevice*, int, int) {}

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
  Touch();
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
    OnRightClick.Notify(*this, shift);
    return TMouseResult::Nothing;
  }
  if (doubleClick) {
    DoubleClickAction();
    return TMouseResult::Nothing;
  }
  // Panel networks are neither dragged, detached nor deleted by a click.
  if (FixedOnCanvas()) return TMouseResult::Nothing;
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
  Touch();
  name_ = name;
  ShowFigures();
}

void LinkMisuse(const char* what) {
#ifndef NDEBUG
  // A debug build stops where the fault is, with the stack that made it.
  std::fprintf(stderr, "voltaris: a link between tiles was misused: %s\n", what);
  std::abort();
#else
  throw std::logic_error(what);
#endif
}

}  // namespace voltaris
