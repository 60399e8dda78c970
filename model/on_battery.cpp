#include "model/on_battery.h"

#include "model/canvas.h"
#include "model/net_device.h"
#include "model/psu.h"
#include "model/toolbar_device.h"

namespace voltaris {

TOnBattery OnBatteryOf(const TNetDevice& device, const TVolts& volts, double shortfall) {
  const std::array<double, 2> onBattery = {volts.Quiescent - shortfall, volts.Alarm - shortfall};
  return {onBattery, onBattery[0] >= device.MinVolts && onBattery[1] >= device.MinVolts};
}

TVolts UnclampedFrom(const TNetDevice& device, const TVolts& source) {
  const double resistance = device.CableLength * device.Impedance;
  const TLoad current = device.GetTotalLoad();
  return {source.Quiescent - current.Quiescent * resistance / 1000, source.Alarm - current.Alarm * resistance / 1000};
}

TVolts TUnclampedVolts::Of(const TNetDevice& device) {
  if (const auto found = volts_.find(&device); found != volts_.end()) return found->second;
  // Links never form a loop; should a damaged design hold one, the device's
  // own voltages stand in for the loop's.
  if (!visiting_.insert(&device).second) {
    loopMet_ = true;
    return {device.SupplyVolts, device.AlarmVolts};
  }
  const TVolts volts = Work(device);
  visiting_.erase(&device);
  volts_.emplace(&device, volts);
  return volts;
}

TVolts TUnclampedVolts::Work(const TNetDevice& device) {
  TVolts source;
  if (device.Supply) {
    source = {SourceVolts, SourceVolts};
  } else if (device.NetParent) {
    const TNetDevice* chained = device.NetParent->AsNetDevice();
    source = chained ? Of(*chained) : TVolts{device.NetParent->SupplyVolts, device.NetParent->AlarmVolts};
  } else {
    return {SourceVolts, SourceVolts};  // not connected: no drop
  }
  return UnclampedFrom(device, source);
}

namespace {

// Whether the check lists the device at all: a keypad or the like with a
// network parent or a supply.
bool Listed(const TNetDevice& device, const TOnBatteryMark& mark) {
  return mark.Vududa && (device.NetParent || device.Supply);
}

}  // namespace

void TOnBatteryChecks::TileAdded(TDevice& tile, int32_t position) {
  if (TNetDevice* device = tile.AsNetDevice()) {
    TOnBatteryMark& mark = device->BatteryMark;
    mark.Order = nextOrder_++;
    mark.Position = position;
    mark.Vududa = dynamic_cast<const TVududa*>(device) != nullptr;
    ++devices_;
    Changed(*device);
  } else if (const auto* psu = dynamic_cast<const TPSU*>(&tile)) {
    supplies_.push_back(psu);
    supplyPositions_.push_back(position);
  }
}

void TOnBatteryChecks::TileRemoved(TDevice& tile) {
  // The tiles after it move up one place.
  positionsStale_ = true;
  if (TNetDevice* device = tile.AsNetDevice()) {
    --devices_;
    TOnBatteryMark& mark = device->BatteryMark;
    if (mark.Below) below_.erase(mark.Order);
    belowChanged_ = belowChanged_ || mark.Below;
    mark.Below = false;
    if (mark.Pending) std::erase(pending_, device);
    mark.Pending = false;
  } else if (const auto* psu = dynamic_cast<const TPSU*>(&tile)) {
    for (size_t i = 0; i < supplies_.size(); ++i) {
      if (supplies_[i] != psu) continue;
      supplies_.erase(supplies_.begin() + static_cast<std::ptrdiff_t>(i));
      supplyPositions_.erase(supplyPositions_.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
}

void TOnBatteryChecks::Cleared() {
  pending_.clear();
  below_.clear();
  supplies_.clear();
  supplyPositions_.clear();
  devices_ = 0;
  everything_ = true;
  belowChanged_ = true;
  positionsStale_ = false;
}

void TOnBatteryChecks::Changed(TNetDevice& device) {
  TOnBatteryMark& mark = device.BatteryMark;
  if (everything_ || mark.Pending) return;
  mark.Pending = true;
  pending_.push_back(&device);
}

void TOnBatteryChecks::Update(const TCanvas& canvas, double shortfall) {
  if (positionsStale_) RenumberPositions(canvas);
  // Another battery voltage moves every device's figures on battery.
  if (shortfall != shortfall_) everything_ = true;
  if (!everything_ && !WorkOutChanged(shortfall)) everything_ = true;
  if (everything_) WorkOutAll(canvas, shortfall);
  shortfall_ = shortfall;
  if (!belowChanged_) return;
  belowPositions_.clear();
  for (const auto& [order, device] : below_) belowPositions_.push_back(device->BatteryMark.Position);
  belowChanged_ = false;
}

void TOnBatteryChecks::RenumberPositions(const TCanvas& canvas) {
  const auto& tiles = canvas.Tiles();
  supplyPositions_.clear();
  for (size_t i = 0; i < tiles.size(); ++i) {
    if (TNetDevice* device = tiles[i]->AsNetDevice()) {
      device->BatteryMark.Position = static_cast<int32_t>(i);
    } else if (dynamic_cast<const TPSU*>(tiles[i].get())) {
      supplyPositions_.push_back(static_cast<int32_t>(i));
    }
  }
  positionsStale_ = false;
  belowChanged_ = true;
}

void TOnBatteryChecks::WorkOutAll(const TCanvas& canvas, double shortfall) {
  pending_.clear();
  below_.clear();
  belowChanged_ = true;
  // The listed devices first, in the canvas's order, so that a damaged
  // design's loop is met where a walk of the list meets it.
  TUnclampedVolts unclamped;
  const auto& tiles = canvas.Tiles();
  std::vector<TNetDevice*> others;
  for (const auto& tile : tiles) {
    TNetDevice* device = tile->AsNetDevice();
    if (!device) continue;
    TOnBatteryMark& mark = device->BatteryMark;
    mark.Pending = false;
    mark.Below = false;
    if (!Listed(*device, mark)) {
      others.push_back(device);
      continue;
    }
    mark.Volts = unclamped.Of(*device);
    mark.Below = !OnBatteryOf(*device, mark.Volts, shortfall).Ok;
    if (mark.Below) below_.emplace(mark.Order, device);
  }
  for (TNetDevice* device : others) device->BatteryMark.Volts = unclamped.Of(*device);
  // With a loop the figures depend on where the walk started: they are
  // worked out whole every time.
  everything_ = unclamped.LoopMet();
}

void TOnBatteryChecks::Settle(TNetDevice& device, const TVolts& volts, double shortfall) {
  TOnBatteryMark& mark = device.BatteryMark;
  mark.Volts = volts;
  mark.Pending = false;
  const bool below = Listed(device, mark) && !OnBatteryOf(device, volts, shortfall).Ok;
  if (below == mark.Below) return;
  mark.Below = below;
  belowChanged_ = true;
  if (below) {
    below_.emplace(mark.Order, &device);
  } else {
    below_.erase(mark.Order);
  }
}

bool TOnBatteryChecks::WorkOutChanged(double shortfall) {
  ++pass_;
  std::vector<TNetDevice*> stack;
  for (TNetDevice* changed : pending_) {
    if (!changed->BatteryMark.Pending) continue;  // worked out below a device changed with it
    // The highest changed device of the chain that feeds it: everything
    // powered through that one is worked out again, parent before child.
    TNetDevice* top = changed;
    size_t steps = 0;
    for (TNetDevice* at = changed; !at->Supply && at->NetParent;) {
      TNetDevice* up = at->NetParent->AsNetDevice();
      if (!up) break;
      if (++steps > devices_) return false;  // a loop
      at = up;
      if (at->BatteryMark.Pending) top = at;
    }
    stack.assign(1, top);
    while (!stack.empty()) {
      TNetDevice* device = stack.back();
      stack.pop_back();
      TOnBatteryMark& mark = device->BatteryMark;
      if (mark.Pass == pass_) return false;  // reached twice: a loop
      mark.Pass = pass_;
      TVolts volts{SourceVolts, SourceVolts};  // not connected: no drop
      if (device->Supply) {
        volts = UnclampedFrom(*device, {SourceVolts, SourceVolts});
      } else if (device->NetParent) {
        const TNetDevice* chained = device->NetParent->AsNetDevice();
        volts = UnclampedFrom(*device, chained ? chained->BatteryMark.Volts
                                               : TVolts{device->NetParent->SupplyVolts, device->NetParent->AlarmVolts});
      }
      Settle(*device, volts, shortfall);
      for (TNetDevice* child : device->Children) {
        if (!child->Supply) stack.push_back(child);
      }
    }
  }
  pending_.clear();
  return true;
}

}  // namespace voltaris
