#include "tools/project_json.h"

#include "catalogue/code_page.h"
#include "document/parts_list.h"
#include "model/advice.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {

using nlohmann::json;

// Model text is in the files' code page; JSON strings are UTF-8.
json Text(const std::string& text) { return CodePageToUtf8(text); }

json Texts(const TStringList& lines) {
  json list = json::array();
  for (const std::string& line : lines) list.push_back(Text(line));
  return list;
}

json Load(const TLoad& load) { return json::array({load.Quiescent, load.Alarm}); }

json Module(const TPowerModule& module) {
  return {
      {"PanelType", module.PanelType},
      {"Name", Text(module.Name)},
      {"Grade", module.Grade},
      {"Standard", module.Standard},
      {"ACFailSignalled", module.ACFailSignalled},
      {"BatteryIndex", module.BatteryIndex},
      {"BatteryCapacity", module.BatteryCapacity},
      {"BatteryFactor", module.BatteryFactor},
      {"AlarmPeriod", module.AlarmPeriod},
      {"ChargeCurrent", module.ChargeCurrent},
      {"OwnQuiescent", module.OwnQuiescent},
      {"ExtraQuiescent", module.ExtraQuiescent},
      {"ExtraAlarm", module.ExtraAlarm},
      {"NetworkQuiescent", module.NetworkQuiescent},
      {"NetworkAlarm", module.NetworkAlarm},
      {"TotalQuiescent", module.TotalQuiescent()},
      {"TotalAlarm", module.TotalAlarm()},
      {"RequiredStandby", module.RequiredStandby},
      {"StandbyTime", module.StandbyTime},
      {"PeakAvailable", module.PeakAvailable},
      {"ContinuousRated", module.ContinuousRated},
      {"AlarmOverload", module.AlarmOverload},
      {"ContinuousOverload", module.ContinuousOverload},
      {"InsufficientBackup", module.InsufficientBackup},
      {"LowestDeviceGrade", module.LowestDeviceGrade},
  };
}

int32_t IndexOf(const TDevice* tile) { return tile ? tile->SaveIndex : -1; }

json Tile(const TDevice& tile) {
  json object = {
      {"SaveIndex", tile.SaveIndex}, {"Class", tile.ClassName()}, {"Name", Text(tile.Name())}, {"Left", tile.Left()},
      {"Top", tile.Top()},           {"Width", tile.Width()},     {"Height", tile.Height()},   {"Status", tile.Status},
  };
  if (const auto* network = dynamic_cast<const TPanelNetwork*>(&tile)) {
    object["Keypads"] = network->Keypads;
    object["Expanders"] = network->Expanders;
    object["DownstreamLoad"] = Load(network->DownstreamLoad);
    object["StatusSet"] = network->StatusSet;
  } else if (const auto* device = dynamic_cast<const TNetDevice*>(&tile)) {
    if (const auto* vududa = dynamic_cast<const TVududa*>(device)) {
      object["DeviceType"] = vududa->DeviceType;
      object["Location"] = Text(vududa->Location);
    }
    object["NetParent"] = IndexOf(device->NetParent);
    object["Supply"] = IndexOf(device->Supply);
    object["SetupConfirmed"] = device->SetupConfirmed;
    object["CableLength"] = device->CableLength;
    object["Impedance"] = device->Impedance;
    object["AttachedLoad"] = Load(device->AttachedLoad);
    object["OwnLoad"] = Load(device->OwnLoad);
    object["DownstreamLoad"] = Load(device->DownstreamLoad);
    object["SupplyVolts"] = device->SupplyVolts;
    object["AlarmVolts"] = device->AlarmVolts;
    object["EffectiveGrade"] = device->EffectiveGrade;
    object["Keypads"] = device->Keypads;
    object["Expanders"] = device->Expanders;
    object["Hint"] = Text(device->Hint());
  } else if (const auto* psu = dynamic_cast<const TPSU*>(&tile)) {
    object["InUse"] = psu->InUse;
    object["Module"] = Module(psu->Module);
  } else if (const auto* clone = dynamic_cast<const TPSUClone*>(&tile)) {
    object["InUse"] = clone->InUse;
    object["Master"] = IndexOf(clone->Master);
  }
  return object;
}

// The design advice: each figure under its own name, doubles as they are
// (they read back exactly), a figure that does not apply (a cable limit, a
// recharge without a battery) as null.
json Advice(const TDesignAdvice& advice) {
  json sources = json::array();
  for (const TSourceAdvice& source : advice.Sources) {
    sources.push_back({
        {"SaveIndex", source.SaveIndex},
        {"RequiredCapacity", source.RequiredCapacity},
        {"RecommendedBattery", source.RecommendedBattery},
        {"RecommendedBatteryName", Text(source.RecommendedBatteryName)},
        {"StandbyHeadroom", source.StandbyHeadroom},
        {"AlarmHeadroom", source.AlarmHeadroom},
        {"ContinuousHeadroom", source.ContinuousHeadroom},
        {"RechargeHours", source.RechargeHours ? json(*source.RechargeHours) : json(nullptr)},
        {"RechargeLimitHours", source.RechargeLimitHours ? json(*source.RechargeLimitHours) : json(nullptr)},
        {"RechargeOk", source.RechargeOk ? json(*source.RechargeOk) : json(nullptr)},
    });
  }
  json devices = json::array();
  for (const TDeviceAdvice& device : advice.Devices) {
    devices.push_back({
        {"SaveIndex", device.SaveIndex},
        {"QuiescentMargin", device.QuiescentMargin},
        {"AlarmMargin", device.AlarmMargin},
        {"MaxCableLength", device.MaxCableLength ? json(*device.MaxCableLength) : json(nullptr)},
        {"DoubledCoresVolts", json::array({device.DoubledCoresVolts[0], device.DoubledCoresVolts[1]})},
        {"OnBatteryVolts", json::array({device.OnBatteryVolts[0], device.OnBatteryVolts[1]})},
        {"OnBatteryOk", device.OnBatteryOk},
    });
  }
  return {{"BatteryVolts", advice.BatteryVolts}, {"Sources", sources}, {"Devices", devices}};
}

json Counts(const std::vector<TPartCount>& parts) {
  json list = json::array();
  for (const TPartCount& part : parts) list.push_back({{"Name", Text(part.Name)}, {"Count", part.Count}});
  return list;
}

// The parts list: counts by name, metres as they are summed.
json Parts(const TPartsList& parts) {
  return {
      {"Panel", Text(parts.Panel)},
      {"Devices", Counts(parts.Devices)},
      {"Supplies", parts.Supplies},
      {"Batteries", Counts(parts.Batteries)},
      {"Equipment", Counts(parts.Equipment)},
      {"CableMetres", {{"Networks", parts.NetworkCable}, {"Total", parts.TotalCable}}},
  };
}

}  // namespace

nlohmann::json ProjectJson(const TSettings& settings, TControlPanel& panel, TCanvas& canvas) {
  const auto& tiles = canvas.Tiles();
  for (size_t i = 0; i < tiles.size(); ++i) tiles[i]->SaveIndex = static_cast<int32_t>(i);
  json controlPanel = Module(panel);
  controlPanel["LowestNetworkGrade"] = panel.LowestNetworkGrade;
  json tileList = json::array();
  for (const auto& tile : tiles) tileList.push_back(Tile(*tile));
  return {
      {"Settings",
       {
           {"SystemStandard", settings.SystemStandard},
           {"AlarmPeriod", settings.AlarmPeriod},
           {"CableRun", settings.CableRun},
           {"CableImpedance", settings.CableImpedance},
           {"BatteryFactor", settings.BatteryFactor},
           {"ShowLength", settings.ShowLength},
       }},
      {"ControlPanel", controlPanel},
      {"Warnings", Texts(panel.Warnings)},
      {"Tiles", tileList},
      {"Advice", Advice(WorkOutAdvice(panel, canvas))},
      {"Parts", Parts(BuildPartsList(panel, canvas))},
  };
}

}  // namespace voltaris
