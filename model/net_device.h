// A keypad, expander, reader or receiver on a panel network: its data
// connection to a network parent (the panel network or a device it is
// chained behind), an optional remote supply that powers it instead of the
// network, the cable that powers it, the load of what it powers in turn, and
// the voltage that reaches it with the system quiescent and in alarm.
#pragma once

#include <memory>

#include "model/load_data.h"
#include "model/network.h"
#include "model/on_battery.h"
#include "model/wire.h"

namespace voltaris {

class TPSUBase;

class TNetDevice : public TNetwork {
 public:
  explicit TNetDevice(TCanvas& owner);
  ~TNetDevice() override;

  const char* ClassName() const override { return "TNetDevice"; }

  // Overrides of TDevice, in order.
  void SetDownstreamLoad(const TLoad& load) override;
  void Detach() override;
  // Works out the cable resistance, the load through the device and the
  // voltages at it: the source's voltages less the drop along its cable.
  void RecalcLoad() override;
  bool DragOverHandler(TDevice* source) override;
  void RecalcChildren() override;
  void RebuildWires() override;
  bool DependsOn(const TDevice* device) const override;
  // The set-up dialog; a cancelled dialog puts the cable and load values back.
  void DoubleClickAction() override;
  void UpdateStatus() override;
  void MoveCentreTo(int x, int y) override;
  void WriteRecord(TStream& stream) override;
  void ReadRecord(TStream& stream) override;
  void UpdateColour() override;
  TNetDevice* AsNetDevice() override { return this; }
  const TNetDevice* AsNetDevice() const override { return this; }
  // Overrides of TNetwork.
  void SetNetwork(TPanelNetwork* network) override;
  TPanelNetwork* GetNetwork() const override;
  void SetExpanders(int32_t count) override;
  void SetKeypads(int32_t count) override;

  void SetNetParent(TNetwork* parent);
  void DetachFromNetParent();
  void SetSupply(TPSUBase* supply);
  void DetachFromSupply();
  void SetCableLength(double metres);
  void SetNetCableLength(double metres);
  void SetImpedance(double ohmsPerMetre);
  // Adds the places of every child (after the device's own were reset).
  void RecountFromChildren();
  // The grade of the system this device's network belongs to; 0 when on none.
  int32_t SystemGrade() const;

  double CableLength = 0;        // metres, the cable that powers the device
  double NetCableLength = 0;     // metres, the data cable when the device has its own supply
  TNetwork* NetParent = nullptr;
  double Impedance = 0;          // ohms per metre
  int32_t ParentIndex = 0;
  std::unique_ptr<TWire> ParentWire;
  TPSUBase* Supply = nullptr;
  int32_t SupplyIndex = 0;
  std::unique_ptr<TWire> SupplyWire;
  bool DetailsShown = false;
  double CableResistance = 0;    // ohms
  int32_t SavedParent = -1;      // save indexes of the links, while reading and writing
  int32_t SavedSupply = -1;
  TLoadData LoadData;
  // What the check on battery keeps on the device (see TOnBatteryChecks).
  TOnBatteryMark BatteryMark;

 private:
  // Something the device's voltages before the clamp, or its minimum, depend
  // on may have changed: the check on battery works it out again.
  void BatteryFiguresChanged();
  void DrawParentWire();
  void DrawSupplyWire();

  // What the device last made its network parent and supply take in.
  TLoad reportedLoad_;
  const TNetwork* reportedParent_ = nullptr;
  const TPSUBase* reportedSupply_ = nullptr;
  bool reported_ = false;
};

}  // namespace voltaris
