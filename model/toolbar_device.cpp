#include "model/toolbar_device.h"

#include "catalogue/format.h"
#include "catalogue/stream_string.h"
#include "model/panel_network.h"

namespace voltaris {

namespace {
constexpr char DeviceIndent[] = "    ";
}

TVududa::TVududa(TCanvas& owner) : TNetDevice(owner) {}

void TVududa::SetDeviceType(uint8_t row) {
  Touch();
  if (row >= NetDeviceTypeCount) throw std::out_of_range(Format("network device type %d does not exist", row));
  const TNetBitOpts& type = NetBitOptsTable[row];
  DeviceType = row;
  // The own places first; those of chained devices are added back below.
  SetExpanders(type.ExpanderCount);
  SetKeypads(type.KeypadCount);
  OwnLoad = {type.Quiescent, type.Alarm};
  MinVolts = type.MinVoltage;
  Grade = type.Grade;
  SetPicture(type.Bitmap, DevicePictureSize, DevicePictureSize);
  RecountFromChildren();
  if (TPanelNetwork* network = Network) {
    if (network->MaxExpanders < network->Expanders || network->MaxKeypads < network->Keypads) {
      DetachFromNetParent();
      SetNetwork(nullptr);
    }
  }
  RecalcLoad();
}

void TVududa::WriteReport(TStringList& list) {
  // A device with its own supply is listed under that supply instead.
  if (!Supply) WriteDeviceLines(list);
}

void TVududa::WriteDeviceLines(TStringList& list) {
  const std::string indent = DeviceIndent;
  list.push_back(
      Format("%SName: %S - %S", indent, Location.empty() ? "Not Defined" : Location, NetBitOptsTable[DeviceType].Name));
  list.push_back(Format("%SQuiescent Current %dmA,    Alarm current %dmA", indent,
                        AddMilliamps(AttachedLoad.Quiescent, OwnLoad.Quiescent),
                        AddMilliamps(AttachedLoad.Alarm, OwnLoad.Alarm)));
  list.push_back(Format("%SQuiescent Voltage %.2f,   Alarm Voltage %.2f", indent, SupplyVolts, AlarmVolts));
  LoadData.WriteSummary(list, indent);
  WriteVerdict(list, indent);
  list.push_back(Format("%S%S", indent, "_____________________________________"));
  list.emplace_back();
  for (size_t i = 0; i < Children.size(); ++i) Children[i]->WriteReport(list);
}

void TVududa::WriteVerdict(TStringList& list, const std::string& indent) {
  if (!GetNetwork()) {
    list.push_back(indent + "** This device is not Connected to a network **");
    return;
  }
  if (Status == Green) {
    list.push_back(indent + "This Device is Satisfactory");
    return;
  }
  list.push_back(indent + (Status == Blue ? "** Device Setup Has Not Been confirmed **"
                                          : "** There may be some issues with this device **"));
  const int32_t systemGrade = SystemGrade();
  if (systemGrade > EffectiveGrade) {
    list.push_back(
        Format("%S** Grade %d Detectors not Allowed on Grade %d System **", indent, EffectiveGrade, systemGrade));
  }
  if (SupplyVolts < MinVolts) {
    list.push_back(indent + "** Device Voltage Below Recommended Minimum **");
  } else if (AlarmVolts < MinVolts) {
    list.push_back(indent + "** Alarm Voltage Below Recommended Minimum **");
  }
}

void TVududa::SetLocation(const std::string& location) {
  Touch();
  Location = location;
}

void TVududa::WriteRecord(TStream& stream) {
  TNetDevice::WriteRecord(stream);
  stream.WriteInt32(DeviceType);
  WriteStreamString(stream, Location);
}

void TVududa::ReadRecord(TStream& stream) {
  TNetDevice::ReadRecord(stream);
  const size_t at = stream.Position();
  const int32_t row = stream.ReadInt32();
  if (row < 0 || row >= NetDeviceTypeCount)
    throw StreamError(Format("network device type %d at offset %d is not in the catalogue", row, at));
  SetDeviceType(static_cast<uint8_t>(NetBitOptsTable[row].Index));
  Location = ReadStreamString(stream);
}

}  // namespace voltaris
