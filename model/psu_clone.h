// A remote power supply shown again on another network: a second tile that
// forwards everything to its master supply, so that devices on that network
// can be powered by it.
#pragma once

#include "model/psu_base.h"

namespace voltaris {

class TPSU;

class TPSUClone : public TPSUBase {
 public:
  explicit TPSUClone(TCanvas& owner);

  const char* ClassName() const override { return "TPSUClone"; }

  // Overrides of TDevice, in order.
  void Detach() override;
  void RecalcLoad() override;
  void RemoveChild(int32_t position) override;
  void DoubleClickAction() override;
  void WriteRecord(TStream& stream) override;
  void ReadRecord(TStream& stream) override;
  // Overrides of TPSUBase.
  void SetInUse() override;
  void RecheckInUse() override;

  void AttachToMaster(TPSU& master);

  int32_t ClonePosition = 0;
  TPSU* Master = nullptr;
  int32_t MasterIndex = -1;
};

}  // namespace voltaris
