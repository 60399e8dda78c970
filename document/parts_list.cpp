#include "document/parts_list.h"

#include <algorithm>

#include "catalogue/byte_stream.h"
#include "catalogue/code_page.h"
#include "catalogue/csv.h"
#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/toolbar_device.h"

namespace voltaris {

namespace {

// Adds `count` of `name`, after the parts already listed when it is new.
void Add(std::vector<TPartCount>& parts, const std::string& name, int64_t count) {
  const auto found = std::find_if(parts.begin(), parts.end(),
                                  [&](const TPartCount& part) { return part.Name == name; });
  if (found == parts.end()) {
    parts.push_back({name, count});
  } else {
    found->Count += count;
  }
}

// The battery a module has fitted, as its battery list names it; empty for none.
std::string FittedBattery(const TPowerModule& module) {
  if (module.BatteryIndex < 0) return "";
  TStringList batteries;
  FillBatteryList(batteries, module.PanelType);
  const auto index = static_cast<size_t>(module.BatteryIndex);
  return index < batteries.size() ? batteries[index] : "";
}

void AddBattery(std::vector<TPartCount>& batteries, const TPowerModule& module) {
  const std::string fitted = FittedBattery(module);
  if (fitted.empty()) return;
  const TPartCount units = BatteryUnits(fitted);
  Add(batteries, units.Name, units.Count);
}

void AddEquipment(std::vector<TPartCount>& equipment, const TLoadData& loads) {
  for (const TDeviceDataPtr& entry : loads.Entries) {
    if (entry) Add(equipment, entry->Name, entry->Qty);
  }
}

// The row of the battery table a battery name has; past the table for one it lacks.
size_t BatteryRank(const std::string& name) {
  const auto found = std::find(BatteryNames.begin(), BatteryNames.end(), name);
  return static_cast<size_t>(found - BatteryNames.begin());
}

}  // namespace

TPartCount BatteryUnits(const std::string& batteryName) {
  // "14.4 Ah (2 x 7.2)": the count and the size of one, in the brackets at the end.
  const size_t open = batteryName.rfind('(');
  if (open != std::string::npos && !batteryName.empty() && batteryName.back() == ')') {
    const std::string inside = batteryName.substr(open + 1, batteryName.size() - open - 2);
    const size_t times = inside.find('x');
    if (times != std::string::npos) {
      const std::string count(TrimSpaces(std::string_view(inside).substr(0, times)));
      const std::string size(TrimSpaces(std::string_view(inside).substr(times + 1)));
      const bool digits = !count.empty() && count.size() <= 3 &&
                          std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (digits && std::stoi(count) > 0 && !size.empty()) return {size + " Ah", std::stoi(count)};
    }
  }
  return {batteryName, 1};
}

std::string MetresText(double metres) { return FormatFixed(metres, 1); }

TPartsList BuildPartsList(const TControlPanel& panel, const TCanvas& canvas) {
  TPartsList parts;
  parts.Panel = panel.Name;
  parts.NetworkCable.assign(panel.Networks.size(), 0.0);

  std::vector<int64_t> byType(NetBitOptsTable.size(), 0);
  std::vector<TPartCount> untyped;
  AddBattery(parts.Batteries, panel);
  AddEquipment(parts.Equipment, panel.LoadData);
  for (const auto& tile : canvas.Tiles()) {
    if (const auto* psu = dynamic_cast<const TPSU*>(tile.get())) {
      ++parts.Supplies;
      AddBattery(parts.Batteries, psu->Module);
      AddEquipment(parts.Equipment, psu->Module.LoadData);
      continue;
    }
    const TNetDevice* device = tile->AsNetDevice();
    if (!device) continue;
    const auto* typed = dynamic_cast<const TVududa*>(device);
    if (typed && typed->DeviceType >= 0 && static_cast<size_t>(typed->DeviceType) < byType.size()) {
      ++byType[static_cast<size_t>(typed->DeviceType)];
    } else {
      Add(untyped, device->Name(), 1);
    }
    AddEquipment(parts.Equipment, device->LoadData);

    // The run from its network parent: the data cable when a supply of its
    // own powers it, else the one cable that does both; and the power run
    // from that supply (or its clone).
    double metres = 0;
    if (device->NetParent) metres += device->Supply ? device->NetCableLength : device->CableLength;
    if (device->Supply) metres += device->CableLength;
    parts.TotalCable += metres;
    const TPanelNetwork* network = device->GetNetwork();
    const auto on = std::find(panel.Networks.begin(), panel.Networks.end(), network);
    if (network && on != panel.Networks.end())
      parts.NetworkCable[static_cast<size_t>(on - panel.Networks.begin())] += metres;
  }

  // Two rows of the table may name one model: one part.
  for (size_t row = 0; row < byType.size(); ++row) {
    if (byType[row] > 0) Add(parts.Devices, NetBitOptsTable[row].Name, byType[row]);
  }
  for (const TPartCount& device : untyped) Add(parts.Devices, device.Name, device.Count);

  std::stable_sort(parts.Batteries.begin(), parts.Batteries.end(),
                   [](const TPartCount& a, const TPartCount& b) { return BatteryRank(a.Name) < BatteryRank(b.Name); });
  std::erase_if(parts.Equipment, [](const TPartCount& part) { return part.Count <= 0; });
  std::sort(parts.Equipment.begin(), parts.Equipment.end(),
            [](const TPartCount& a, const TPartCount& b) { return NameBefore(a.Name, b.Name); });
  return parts;
}

TDocTable PartsListTable(const TPartsList& parts) {
  TDocTable table;
  table.Columns = {"Section", "Item", "Quantity", "Unit"};
  const auto count = [&](const std::string& section, const std::string& item, int64_t number) {
    table.Rows.push_back({section, item, Format("%d", number), "pcs"});
  };
  const auto metres = [&](const std::string& item, double length) {
    table.Rows.push_back({"Cable per network", item, MetresText(length), "m"});
  };
  count("Control panel", parts.Panel, 1);
  for (const TPartCount& device : parts.Devices) count("Network devices", device.Name, device.Count);
  // Every supply the designer places is the catalogue's remote supply model.
  if (parts.Supplies > 0) count("Remote supplies", PanelOptsTable[RemotePsuPanelType].Name, parts.Supplies);
  for (const TPartCount& battery : parts.Batteries) count("Batteries", battery.Name, battery.Count);
  for (const TPartCount& item : parts.Equipment) count("Equipment", item.Name, item.Count);
  double onNetworks = 0;
  for (size_t k = 0; k < parts.NetworkCable.size(); ++k) {
    onNetworks += parts.NetworkCable[k];
    if (parts.NetworkCable[k] > 0) metres(Format("Network %d", k + 1), parts.NetworkCable[k]);
  }
  // What the networks leave of the total: runs of devices on no network.
  const double elsewhere = parts.TotalCable - onNetworks;
  if (elsewhere > 0.05) metres("Not on a network", elsewhere);
  metres("Total", parts.TotalCable);
  return table;
}

std::string PartsListCsv(const TPartsList& parts) {
  const TDocTable table = PartsListTable(parts);
  std::string csv = Utf8ByteOrderMark + CsvLine(table.Columns);
  for (const auto& row : table.Rows) csv += CsvLine(row);
  return csv;
}

void SavePartsListCsv(const TPartsList& parts, const std::string& path) {
  const std::string csv = PartsListCsv(parts);
  TStream(TBytes(csv.begin(), csv.end())).ReplaceFile(path);
}

}  // namespace voltaris
