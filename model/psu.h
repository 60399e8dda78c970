// A remote power supply: powers network devices from its own mains supply
// and battery instead of from the control panel, with its own power module.
// It can be shown again on other networks as clones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/power_module.h"
#include "model/psu_base.h"

namespace voltaris {

class TControlPanel;
class TPSUClone;

class TPSU : public TPSUBase {
 public:
  explicit TPSU(TCanvas& owner);
  ~TPSU() override;

  const char* ClassName() const override { return "TPSU"; }

  // Overrides of TDevice, in order.
  void WriteReport(TStringList& list) override;
  void SetDownstreamLoad(const TLoad& load) override;
  // Releases every device it powers and deletes its clones.
  void Detach() override;
  // Its own devices and those of every clone load the module.
  void RecalcLoad() override;
  void RemoveChild(int32_t position) override;
  void DoubleClickAction() override;
  void UpdateStatus() override;
  void LoadStatusImage(const std::string& name) override;
  void WriteRecord(TStream& stream) override;
  void ReadRecord(TStream& stream) override;
  // Overrides of TPSUBase.
  void RecheckInUse() override;

  // Follows the system grade: the module's grade and the tile's.
  void SetSystemGrade(int32_t grade);
  // The supply's own name, drawn on it and on every clone of it.
  void SetLabel(const std::string& label);
  // A load list, a device or a device on a clone.
  bool IsUsed() const;
  void RemoveClone(int32_t position);

  TPowerModule Module;
  std::vector<TPSUClone*> Clones;       // in creation order; deleted by Detach
  TControlPanel* ControlPanel = nullptr;  // set when the panel takes the supply in

 private:
  void UpdateHint();
};

// How every view and document names a supply: "Supply 2", numbered from 1
// in save order among the supplies of its canvas (clones are not counted),
// with its label when it has one: "Supply 2 (Plant room)".
std::string SupplyName(int number, const std::string& label);
std::string SupplyName(const TPSU& supply);
// The supply at save index `saveIndex` of `canvas`; null when the index names none.
const TPSU* SupplyAt(const TCanvas& canvas, int32_t saveIndex);

}  // namespace voltaris
