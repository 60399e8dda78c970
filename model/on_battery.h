// The check on battery of every network device, kept as the design changes:
// a device's voltages before the clamp at 0 follow from the chain that feeds
// it, so only the devices whose cable, load, links or minimum changed, and
// those powered through them, are worked out again when the check is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace voltaris {

class TCanvas;
class TDevice;
class TNetDevice;
class TPSU;

struct TVolts {
  double Quiescent = 0;
  double Alarm = 0;
};

// A device's voltages with its source at the battery's voltage (the drops
// follow fixed currents, so every voltage is lower by the same shortfall),
// and whether both stay at or above its minimum.
struct TOnBattery {
  std::array<double, 2> Volts;
  bool Ok;
};
TOnBattery OnBatteryOf(const TNetDevice& device, const TVolts& volts, double shortfall);

// The voltages at a device from those of the source it takes them from:
// less the cable's current times its resistance, without holding them at 0.
TVolts UnclampedFrom(const TNetDevice& device, const TVolts& source);

// The voltages the recalculation gives, worked out once more without holding
// a voltage at 0 when a cable drops more than its source gives: the source's
// voltages less the cable's current times its resistance, down each chain.
// Where nothing is held at 0 they equal the voltages shown.
class TUnclampedVolts {
 public:
  TVolts Of(const TNetDevice& device);
  // Whether a loop of links was met on the way (a damaged design).
  bool LoopMet() const { return loopMet_; }

 private:
  TVolts Work(const TNetDevice& device);

  std::unordered_map<const TNetDevice*, TVolts> volts_;
  std::unordered_set<const TNetDevice*> visiting_;
  bool loopMet_ = false;
};

// What the check keeps on each network device.
struct TOnBatteryMark {
  TVolts Volts;          // before the clamp at 0, as TUnclampedVolts gives them
  bool Pending = false;  // changed since it was last worked out
  bool Vududa = false;   // a keypad or the like, which the check lists
  bool Below = false;    // listed: on a network parent or a supply, and below its minimum on battery
  uint32_t Pass = 0;     // the last working-out that reached it
  uint64_t Order = 0;    // when it came onto the canvas: the canvas keeps that order
  int32_t Position = -1;
};

// The check of one canvas. The canvas tells it of every tile that comes and
// goes; a network device tells it whenever something its voltages or its
// minimum depend on may have changed.
class TOnBatteryChecks {
 public:
  void TileAdded(TDevice& tile, int32_t position);
  void TileRemoved(TDevice& tile);
  void Cleared();
  void Changed(TNetDevice& device);

  // Brings the check up to date for the design as it stands with the
  // battery at `shortfall` volts below 13.6 V.
  void Update(const TCanvas& canvas, double shortfall);
  // The positions on the canvas of the devices below their minimum on
  // battery, ascending (after Update).
  const std::vector<int32_t>& DevicesBelow() const { return belowPositions_; }
  // The remote supplies in the canvas's order, with their positions.
  const std::vector<const TPSU*>& Supplies() const { return supplies_; }
  const std::vector<int32_t>& SupplyPositions() const { return supplyPositions_; }

 private:
  void WorkOutAll(const TCanvas& canvas, double shortfall);
  // False when a loop of links is met.
  bool WorkOutChanged(double shortfall);
  void Settle(TNetDevice& device, const TVolts& volts, double shortfall);
  void RenumberPositions(const TCanvas& canvas);

  std::vector<TNetDevice*> pending_;
  std::map<uint64_t, const TNetDevice*> below_;  // by their order on the canvas
  // Their positions, made again only when the list or the positions change.
  std::vector<int32_t> belowPositions_;
  bool belowChanged_ = true;
  std::vector<const TPSU*> supplies_;
  std::vector<int32_t> supplyPositions_;
  size_t devices_ = 0;      // network devices on the canvas
  bool everything_ = true;  // every device is to be worked out again
  bool positionsStale_ = false;
  double shortfall_ = -1;
  uint64_t nextOrder_ = 0;
  uint32_t pass_ = 0;
};

}  // namespace voltaris
