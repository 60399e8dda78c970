#include "designer/guidance.h"

#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/format.h"
#include "designer/canvas_controller.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/system_checks.h"

namespace voltaris {

namespace {

std::string Places(int32_t count, const char* what) {
  if (count == 0) return std::string("no ") + what + " place";
  return Format("%d %s place%s", count, what, count == 1 ? "" : "s");
}

// The network a device is wired to, as the panel shows it.
std::string NetworkOf(const TNetDevice& device) {
  const TPanelNetwork* network = device.GetNetwork();
  const std::string caption = network ? NetworkCaption(*network) : std::string();
  return caption.empty() ? std::string("its network") : caption;
}

// Why a network device refuses `device` (the drag rules of TNetDevice).
std::string DeviceRefusal(const TNetDevice& target, const TNetDevice& device) {
  if (&target == &device) return "Drop it elsewhere: a device is not wired behind itself";
  if (target.DependsOn(&device)) return "Not behind " + TileTitle(target) + ": it hangs behind the dragged device";
  return NetworkOf(target) + " has no place left for " + TileTitle(device);
}

void AddShowing(const TNetwork& network, uint8_t light, std::vector<TDevice*>& tiles) {
  for (TNetDevice* child : network.Children) {
    if (child->Status == light) tiles.push_back(child);
    AddShowing(*child, light, tiles);
  }
}

constexpr TLightMeaning Legend[] = {
    {Blue, "Blue", "not set up yet: double-click it", "no battery chosen: double-click it"},
    {Yellow, "Yellow", "not to the system grade", "powers devices not to the system grade"},
    {Red, "Red", "too little voltage reaches it", "too little backup for its load"},
    {Orange, "Orange", "too little voltage in alarm", "alarm current above what it gives"},
    {Green, "Green", "set up and within every limit", "set up and within every limit"},
};

}  // namespace

std::string ToolButtonHint(int tool) {
  if (tool < 0 || tool >= NetDeviceTypeCount) return {};
  const TNetBitOpts& row = NetBitOptsTable[static_cast<size_t>(tool)];
  return Format(
      "%s: takes %s and %s on its network; own current %d mA, %d mA in alarm. "
      "Click, then click the canvas to place it.",
      row.Name, Places(row.KeypadCount, "keypad").c_str(), Places(row.ExpanderCount, "expander").c_str(), row.Quiescent,
      row.Alarm);
}

std::string SupplyButtonHint() {
  return "Remote power supply: click, then click the canvas to place one; drag devices onto it to power them";
}

std::string PlaceOnCanvasHint(int tool) {
  if (tool < 0 || tool >= NetDeviceTypeCount) return {};
  return std::string("Click an empty part of the canvas to place the ") +
         NetBitOptsTable[static_cast<size_t>(tool)].Name + ", then drag it onto a network";
}

std::string NetworkCaption(const TDevice& tile) {
  const auto* network = dynamic_cast<const TPanelNetwork*>(&tile);
  if (!network || !network->ControlPanel) return {};
  const auto& networks = network->ControlPanel->Networks;
  const auto found = std::find(networks.begin(), networks.end(), network);
  if (found == networks.end()) return {};
  return Format("Network %d", static_cast<int>(found - networks.begin()) + 1);
}

std::string TileGestureHint(const TDevice& tile) {
  if (tile.FixedOnCanvas()) {
    const std::string caption = NetworkCaption(tile);
    return (caption.empty() ? std::string("Network") : caption) +
           ": drag a device onto it to wire it; double-click shows or hides its figures";
  }
  if (tile.AsNetDevice()) {
    return "Drag onto a network, a device or a supply to wire or power it; double-click sets up; "
           "Ctrl-click deletes; Alt-click detaches; right-click for the menu";
  }
  if (dynamic_cast<const TPSUClone*>(&tile)) {
    return "Supply clone: drag a device onto it to power it from its supply; drag to move; "
           "Ctrl-click deletes; Alt-click detaches it from its supply";
  }
  if (dynamic_cast<const TPSU*>(&tile)) {
    return "Supply: drag a device onto it to power it; double-click sets up its load and battery; "
           "right-click clones it to another network; Ctrl-click deletes; Alt-click frees its devices";
  }
  return "Drag to move";
}

std::string DropHint(const TDevice* target, const TDevice& source, bool accepted) {
  if (!target) return accepted ? "Move " + TileTitle(source) + " here" : std::string();
  const TNetDevice* device = source.AsNetDevice();
  if (const std::string network = NetworkCaption(*target); !network.empty()) {
    if (accepted) return "Wire to " + network;
    if (!device) return "Only a network device is wired to " + network;
    return network + " has no place left for " + TileTitle(source);
  }
  if (const TNetDevice* behind = target->AsNetDevice()) {
    if (accepted) return "Chain behind " + TileTitle(*target);
    if (!device) return "Only a network device is chained behind " + TileTitle(*target);
    return DeviceRefusal(*behind, *device);
  }
  if (dynamic_cast<const TPSUBase*>(target)) {
    const char* supply = dynamic_cast<const TPSUClone*>(target) ? "supply clone" : "supply";
    if (accepted) return std::string("Power from ") + supply;
    if (&source == target) return "Drop it elsewhere: a supply does not power itself";
    return std::string("Only a network device is powered from a ") + supply;
  }
  return accepted ? "Drop on " + TileTitle(*target) : TileTitle(*target) + " takes no drop";
}

std::span<const TLightMeaning> LightLegend() { return Legend; }

std::vector<TDevice*> WarningTiles(const TControlPanel& panel, size_t line) {
  std::vector<TDevice*> tiles;
  if (line >= panel.Warnings.size()) return tiles;
  // The line is the warning text of one check, given the panel's grade.
  const TSystemCheck* check = nullptr;
  for (const TSystemCheck& row : SystemChecks()) {
    if (row.Warning.Text && Format(row.Warning.Text, panel.Grade) == panel.Warnings[line]) check = &row;
  }
  if (!check) return tiles;
  const TCheckSubject about = check->About;
  if (about.Kind == TCheckSubject::NetworkDevices) {
    for (const TPanelNetwork* network : panel.Networks) AddShowing(*network, about.Light, tiles);
  } else if (about.Kind == TCheckSubject::Supplies) {
    for (TPSU* psu : panel.PSUs) {
      if (psu->Status == about.Light) tiles.push_back(psu);
    }
  }
  return tiles;
}

std::string PanelWarningHint() {
  return "This warning is about the control panel: change its battery or grade above, or use "
         "\"Update Panel and Panel Devices\"";
}

}  // namespace voltaris
