#include "bench/design_generator.h"

#include <algorithm>

#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"

namespace voltaris::bench {

namespace {

enum Tools { D1 = 5, Q16 = 16 };
constexpr int ChainDepth = 50;
constexpr int DevicesPerSupply = 20;

TDeviceDataPtr Entry(int32_t qty, const char* name) {
  for (const TDeviceType& row : DeviceTypeTable) {
    if (std::string(name) == row.Name)
      return std::make_shared<TDeviceData>(TDeviceData{qty, row.Grade, name, row.Quiescent * qty, row.Alarm * qty});
  }
  throw std::runtime_error(std::string("no load device ") + name);
}

}  // namespace

void QuietHost::RunNewFileDialog(TNewFilePresenter& dialog) {
  const auto& types = dialog.PanelTypes();
  const auto found = std::find(types.begin(), types.end(), "Orvane 700");
  dialog.ChoosePanelType(static_cast<int>(found - types.begin()));
  dialog.ChooseGrade(2);
  dialog.SetSiteRef("Benchmark site");
  dialog.SetFileName(FileName);
  dialog.Ok();
}

bool QuietHost::EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter&) {
  module.SetBattery(Battery);
  if (lines.empty()) {
    for (auto entry : {Entry(2, "Sovra AMDT Plus PIR"), Entry(1, "Halvard SE (SCB Mode)")})
      lines.push_back({LoadListLine(*entry), entry});
  }
  TLoad extra;
  for (const TLoadLine& line : lines) extra += {line.Entry->Quiescent, line.Entry->Alarm};
  module.SetExtraQuiescent(extra.Quiescent);
  module.SetExtraAlarm(extra.Alarm);
  return true;
}

TGeneratedDesign GenerateDesign(TDesigner& designer, QuietHost& host, int devices) {
  // Short runs of low-resistance cable: deep chains keep a working voltage.
  designer.Session().NewProject();
  designer.Context().Settings.CableImpedance = 0.005;
  designer.SummaryPanel().UpdatePanelAndDevices();
  TControlPanel& panel = *designer.ControlPanel();
  TCanvasController& canvas = designer.CanvasControl();
  const int networks = static_cast<int>(panel.Networks.size());

  TGeneratedDesign design;
  std::vector<TVududa*> placed;
  int chainLength = 0, longest = 0;
  for (int i = 0; i < devices; ++i) {
    // Devices go round the networks a chain at a time.
    const int perNetwork = (devices + networks - 1) / networks;
    const int network = std::min(i / std::max(1, perNetwork), networks - 1);
    const int index = i - network * perNetwork;
    const int chain = index / ChainDepth, link = index % ChainDepth;
    TPanelNetwork& target = *panel.Networks[static_cast<size_t>(network)];
    const bool keypadFree = target.Keypads < target.MaxKeypads;
    canvas.ChooseDevice(link == 0 && keypadFree ? D1 : Q16);
    canvas.CanvasPress(200 + 70 * (link % 12), target.Top() + 40 + 80 * chain + 20 * (link / 12));
    auto& device = dynamic_cast<TVududa&>(*designer.Canvas().Tiles().back());
    TDevice& parent = link == 0 ? static_cast<TDevice&>(target) : *placed.back();
    if (!canvas.DragOver(&parent, device)) throw std::runtime_error("a generated drop was refused");
    canvas.Drop(&parent, device, 0, 0);
    canvas.TileMouseDown(device, TMouseButton::Left, {}, true);  // set up and confirmed
    placed.push_back(&device);
    if (link == 0) chainLength = 0;
    ++chainLength;
    if (chainLength > longest) {
      longest = chainLength;
      design.DeepestRoot = placed[placed.size() - static_cast<size_t>(chainLength)];
      design.DeepestLeaf = &device;
    }
  }
  design.Movable = placed.empty() ? nullptr : placed.back();

  // One supply for every 20 devices, cloned onto the next network, powering
  // one device on its own network and one through the clone.
  for (int k = 0; k * DevicesPerSupply < devices; ++k) {
    const int network = k % networks;
    canvas.ShowNetwork(network);
    canvas.ChoosePSU();
    canvas.CanvasPress(1000, panel.Networks[static_cast<size_t>(network)]->Top() + 30 + 70 * (k / networks));
    auto& psu = dynamic_cast<TPSU&>(*designer.Canvas().Tiles().back());
    host.Battery = 2;
    canvas.TileMouseDown(psu, TMouseButton::Left, {}, true);
    psu.MouseDown(TMouseButton::Right, {}, false);
    canvas.CloneTo((network + 1) % networks);
    auto& clone = dynamic_cast<TPSUClone&>(*designer.Canvas().Tiles().back());
    const size_t first = static_cast<size_t>(k * DevicesPerSupply);
    if (first + 10 < placed.size()) canvas.Drop(&psu, *placed[first + 10], 0, 0);
    if (first + 15 < placed.size()) canvas.Drop(&clone, *placed[first + 15], 0, 0);
    ++design.Supplies;
  }
  host.Battery = 1;
  design.Devices = devices;
  canvas.ShowNetwork(0);
  return design;
}

}  // namespace voltaris::bench
