#include "model/net_device.h"

#include <algorithm>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/dialog_host.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu_base.h"

namespace voltaris {

TNetDevice::TNetDevice(TCanvas& owner) : TNetwork(owner) {
  const TSettings& settings = Context().Settings;
  SetCableLength(static_cast<double>(settings.CableRun));
  SetImpedance(settings.CableImpedance);
  AttachedLoad = {0, 0};
  SetNetwork(nullptr);
  // Nothing powers a new device yet: it shows white, as a device does once
  // it is detached, so that its colour never depends on its history (and a
  // design looks the same after a save and a load, or an undo).
  SetColor(ColourWhite);
}

TNetDevice::~TNetDevice() = default;

void TNetDevice::SetDownstreamLoad(const TLoad& load) {
  TNetwork::SetDownstreamLoad(load);
  BatteryFiguresChanged();
  // Voltages travel down a chain by recalculating each device, and each
  // recalculation reports its load upwards again. Where the load it reports
  // is the one its parent and supply already have, they would only repeat
  // their own sums: skipping that keeps a chain's mutual recalculation from
  // walking up to the network at every step, and changes no figure.
  const TLoad total = GetTotalLoad();
  if (!Context().ReportEveryRecalculation && reported_ && total == reportedLoad_ && NetParent == reportedParent_ &&
      Supply == reportedSupply_)
    return;
  reported_ = true;
  reportedLoad_ = total;
  reportedParent_ = NetParent;
  reportedSupply_ = Supply;
  if (NetParent) NetParent->RecalcLoad();
  if (Supply) Supply->RecalcLoad();
}

void TNetDevice::Detach() {
  Touch();
  if (NetParent) DetachFromNetParent();
  if (Supply) DetachFromSupply();
  UpdateColour();
  TPanelNetwork* network = Network;
  if (network) SetNetwork(nullptr);
  while (!Children.empty()) Children.front()->DetachFromNetParent();
  RecalcLoad();
  if (network) network->CollectStatus();
}

void TNetDevice::RecalcLoad() {
  ++Context().Counters.RecalcLoad;
  BatteryFiguresChanged();
  CableResistance = CableLength * Impedance;
  Touch();
  SetDownstreamLoad(ComputeDownstreamLoad());
  // The cable carries the device's own current and everything drawn through it.
  const TLoad current = GetTotalLoad();
  const double dropQuiescent = current.Quiescent * CableResistance / 1000;
  const double dropAlarm = current.Alarm * CableResistance / 1000;
  double sourceQuiescent;
  double sourceAlarm;
  if (Supply) {
    sourceQuiescent = SourceVolts;  // whatever the supply model
    sourceAlarm = SourceVolts;
  } else if (NetParent) {
    sourceQuiescent = NetParent->SupplyVolts;
    sourceAlarm = NetParent->AlarmVolts;
  } else {
    SetSupplyVoltages(SourceVolts, SourceVolts);  // not connected: no drop
    return;
  }
  SetSupplyVoltages(std::max(0.0, sourceQuiescent - dropQuiescent), std::max(0.0, sourceAlarm - dropAlarm));
}

bool TNetDevice::DragOverHandler(TDevice* source) {
  TNetDevice* device = source ? source->AsNetDevice() : nullptr;
  // Never behind itself or behind its own descendant, so no loop can form.
  if (!device || device == this || DependsOn(device)) return false;
  if (!Network) return true;
  return Network->CanAccept(device);
}

void TNetDevice::RecalcChildren() { TNetwork::RecalcChildren(); }

void TNetDevice::RebuildWires() {
  if (ParentWire) DrawParentWire();
  if (Supply && SupplyWire) DrawSupplyWire();
}

bool TNetDevice::DependsOn(const TDevice* device) const {
  // Walks up the chain of network parents.
  for (const TNetwork* parent = NetParent; parent;) {
    if (parent == device) return true;
    const TNetDevice* chained = parent->AsNetDevice();
    parent = chained ? chained->NetParent : nullptr;
  }
  return false;
}

void TNetDevice::DoubleClickAction() {
  const double cableLength = CableLength;
  const double netCableLength = NetCableLength;
  const double impedance = Impedance;
  const TLoad attachedLoad = AttachedLoad;
  const bool detailsShown = DetailsShown;

  TLoadLines lines;
  IDialogHost* host = Context().DialogHost;
  bool confirmed = false;
  {
    // The set-up edits the device's figures, type and location in place.
    const TCanvas::TEditing editing(*this);
    confirmed = host && host->SetUpDevice(*this, lines);
  }
  if (!confirmed) {
    // The figures go back at once; the device type and location, which
    // reach the tile's picture and the network, go back with the project.
    if (host) Context().EditCancelled = true;
    CableLength = cableLength;
    Impedance = impedance;
    SetNetCableLength(netCableLength);
    AttachedLoad = attachedLoad;
    DetailsShown = detailsShown;
    RecalcLoad();
  } else {
    LoadData.TakeLines(lines);
    EffectiveGrade = std::min(Grade, LoadData.LowestGrade());
    RefreshTotals();
    if (!SetupConfirmed && host->AskYesNo("Is this device setup complete?")) SetupConfirmed = true;
  }
  UpdateStatus();
}

int32_t TNetDevice::SystemGrade() const {
  return Network && Network->ControlPanel ? Network->ControlPanel->Grade : 0;
}

void TNetDevice::UpdateStatus() {
  BatteryFiguresChanged();
  uint8_t status = Green;
  const char* hint = nullptr;
  const int32_t systemGrade = SystemGrade();
  if (!Network) {
    status = Blue;
    hint = "Not on Network";
  } else if (!SetupConfirmed) {
    status = Blue;
    hint = "Double click to set up";
  } else if (systemGrade > EffectiveGrade) {
    status = Yellow;
  } else if (SupplyVolts < MinVolts) {
    status = Red;
    hint = "Low Volts";
  } else if (AlarmVolts < MinVolts) {
    status = Orange;
    hint = "Low Volts in Alarm";
  }
  // A Green device shows no hint and keeps the text it had.
  if (status == Yellow) {
    SetHint(Format("Right click and change devices to Grade %d", systemGrade));
  } else if (hint) {
    SetHint(hint);
  }
  SetShowHint(status != Green);
  SetStatus(status);
}

void TNetDevice::MoveCentreTo(int x, int y) {
  TNetwork::MoveCentreTo(x, y);
  RebuildWires();
}

void TNetDevice::WriteRecord(TStream& stream) {
  SavedParent = NetParent ? NetParent->SaveIndex : -1;
  SavedSupply = Supply ? Supply->SaveIndex : -1;
  stream.WriteInt32(AttachedLoad.Quiescent);
  stream.WriteInt32(AttachedLoad.Alarm);
  stream.WriteInt32(SavedParent);
  stream.WriteInt32(SavedSupply);
  stream.WriteBool(SetupConfirmed);
  LoadData.WriteLoadRecord(stream);
  stream.WriteDouble(CableLength);
  stream.WriteDouble(Impedance);
  stream.WriteBool(DetailsShown);
  stream.WriteInt32(EffectiveGrade);
  stream.WriteUInt8(Status);
}

void TNetDevice::ReadRecord(TStream& stream) {
  Touch();
  const size_t start = stream.Position();
  TLoad attached;
  attached.Quiescent = stream.ReadInt32();
  attached.Alarm = stream.ReadInt32();
  const int32_t parent = stream.ReadInt32();
  const int32_t supply = stream.ReadInt32();
  const bool setupConfirmed = stream.ReadBool();
  TLoadData loadData;
  loadData.ReadLoadRecord(stream);
  const double cableLength = stream.ReadDouble();
  const double impedance = stream.ReadDouble();
  const bool detailsShown = stream.ReadBool();
  const int32_t effectiveGrade = stream.ReadInt32();
  const uint8_t status = stream.ReadUInt8();
  if (status > Blue)
    throw StreamError(Format("status %d of the device record at offset %d is not a status light", status, start));

  AttachedLoad = attached;
  SavedParent = parent;
  SavedSupply = supply;
  SetupConfirmed = setupConfirmed;
  LoadData.Text = std::move(loadData.Text);
  LoadData.Entries.insert(LoadData.Entries.end(), loadData.Entries.begin(), loadData.Entries.end());
  CableLength = cableLength;
  Impedance = impedance;
  DetailsShown = detailsShown;
  EffectiveGrade = effectiveGrade;
  // The light shows the stored status until the device is recalculated.
  TDevice::SetStatus(status);
  RefreshTotals();
  BatteryFiguresChanged();
}

void TNetDevice::UpdateColour() {
  if (Supply) {
    SetColor(Supply->Color());
  } else if (NetParent) {
    SetColor(NetParent->Color());
  } else {
    SetColor(ColourWhite);
  }
  TNetwork::UpdateColour();
}

void TNetDevice::SetNetwork(TPanelNetwork* network) {
  if (network == Network) return;
  Network = network;
  UpdateStatus();
  if (Supply) {
    if (network) {
      Supply->SetInUse();
    } else {
      Supply->RecheckInUse();
    }
  }
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->SetNetwork(network);
}

TPanelNetwork* TNetDevice::GetNetwork() const { return Network; }

void TNetDevice::SetExpanders(int32_t count) {
  const int32_t old = Expanders;
  Expanders = count;
  if (NetParent) NetParent->AddExpanders(AddMilliamps(count, -old));
}

void TNetDevice::SetKeypads(int32_t count) {
  const int32_t old = Keypads;
  Keypads = count;
  if (NetParent) NetParent->AddKeypads(AddMilliamps(count, -old));
}

void TNetDevice::SetNetParent(TNetwork* parent) {
  Touch();
  NetParent = parent;
  reported_ = false;  // a new parent has yet to hear of the device's load
  BatteryFiguresChanged();
  if (parent) {
    DrawParentWire();
    SetNetwork(parent->GetNetwork());
  }
}

void TNetDevice::DetachFromNetParent() {
  if (!NetParent) return;
  ParentWire.reset();
  Notify(ChangedWires);
  TNetwork* parent = NetParent;
  parent->RemoveChild(ParentIndex);
  parent->RemoveCounts(*this);
  SetNetParent(nullptr);
  // Off its parent it takes the colour of its supply, or none: it must not
  // go on looking powered by the network it left (nor must what hangs behind it).
  UpdateColour();
  // Off its parent the device takes its voltages from its supply, or has
  // none to lose: it must not go on showing those of the cable it left.
  RecalcLoad();
  // Off its parent it no longer counts for its network's light. The network
  // looks again after that recalculation, which still reported the device's
  // status to the network it is leaving.
  if (Network) Network->CollectStatus();
}

void TNetDevice::SetSupply(TPSUBase* supply) {
  Touch();
  Supply = supply;
  reported_ = false;
  BatteryFiguresChanged();
  if (supply) {
    DrawSupplyWire();
    UpdateColour();
    if (NetParent) NetParent->RecalcLoad();
  }
  // The data run's label shows the data cable while the device has its own
  // supply and the power cable otherwise: it changes with the supply.
  if (ParentWire) DrawParentWire();
}

void TNetDevice::DetachFromSupply() {
  if (!Supply) return;
  SupplyWire.reset();
  Notify(ChangedWires);
  Supply->RemoveChild(SupplyIndex);
  SetSupply(nullptr);
  UpdateColour();
  if (NetParent) NetParent->RecalcLoad();
  RecalcLoad();
}

void TNetDevice::SetCableLength(double metres) {
  Touch();
  CableLength = metres;
  if (!Supply) NetCableLength = metres;
  RecalcLoad();
  if (Context().Settings.ShowLength) RebuildAllWires();
}

void TNetDevice::SetNetCableLength(double metres) {
  Touch();
  NetCableLength = metres;
  if (Context().Settings.ShowLength) RebuildAllWires();
}

void TNetDevice::SetImpedance(double ohmsPerMetre) {
  Touch();
  Impedance = ohmsPerMetre;
  RecalcLoad();
}

void TNetDevice::RecountFromChildren() {
  for (size_t i = 0; i < Children.size(); ++i) {
    AddExpanders(Children[i]->Expanders);
    AddKeypads(Children[i]->Keypads);
  }
}

void TNetDevice::BatteryFiguresChanged() { Owner().OnBatteryChecks().Changed(*this); }

void TNetDevice::DrawParentWire() {
  ParentWire = std::make_unique<TWire>(LayOutWire(*this, *NetParent));
  Notify(ChangedWires);
}

void TNetDevice::DrawSupplyWire() {
  SupplyWire = std::make_unique<TWire>(LayOutWire(*this, *Supply));
  Notify(ChangedWires);
}

}  // namespace voltaris
