#include "model/psu_clone.h"

#include "model/net_device.h"
#include "model/psu.h"

namespace voltaris {

TPSUClone::TPSUClone(TCanvas& owner) : TPSUBase(owner) { SetPicture("Clone", TileSize, TileSize); }

void TPSUClone::Detach() {
  while (!Children.empty()) Children.front()->DetachFromSupply();
  if (TPSU* master = Master) {
    // A clone that has left its master stands for nothing: it no longer
    // forwards to it, so a later deletion of the master cannot leave it
    // pointing at a supply that is gone.
    Touch();
    Master = nullptr;
    master->RemoveClone(ClonePosition);
    master->RecheckInUse();
  }
}

void TPSUClone::RecalcLoad() {
  TPSUBase::RecalcLoad();
  if (Master) Master->RecalcLoad();
}

void TPSUClone::RemoveChild(int32_t position) {
  TPSUBase::RemoveChild(position);
  RecheckInUse();
}

void TPSUClone::DoubleClickAction() {
  if (Master) Master->DoubleClickAction();
}

void TPSUClone::WriteRecord(TStream& stream) {
  MasterIndex = Master ? Master->SaveIndex : -1;
  stream.WriteInt32(MasterIndex);
}

void TPSUClone::ReadRecord(TStream& stream) {
  Touch();
  MasterIndex = stream.ReadInt32();
}

void TPSUClone::SetInUse() {
  TPSUBase::SetInUse();
  RecalcLoad();
  if (Master) Master->SetInUse();
}

void TPSUClone::RecheckInUse() {
  if (AnyChildOnNetwork()) return;
  InUse = false;
  if (Master) Master->RecheckInUse();
}

void TPSUClone::AttachToMaster(TPSU& master) {
  Touch();
  Master = &master;
  SetColor(master.Color());
  master.Clones.push_back(this);
  ClonePosition = static_cast<int32_t>(master.Clones.size()) - 1;
  SetStatus(master.Status);
}

}  // namespace voltaris
