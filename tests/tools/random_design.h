// A random design grown from a seed by long sequences of the user's
// operations on the model: devices placed onto networks or chained behind
// others, supplies with batteries and clones, devices powered from either,
// cable lengths, loads, device types and grades changed, devices detached
// and deleted, supplies deleted. Each seed gives the same design.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/dialog_host.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/settings.h"
#include "model/toolbar_device.h"

namespace voltaris::testing {

// Confirms every set-up and fits the supplies' batteries.
class ConfirmingHost : public IDialogHost {
 public:
  bool EditLoadList(TPowerModule& module, TLoadLines&, TCatalogueFilter&) override {
    module.SetBattery(battery);
    return true;
  }
  bool SetUpDevice(TNetDevice&, TLoadLines&) override { return true; }
  bool AskYesNo(const std::string&) override { return true; }
  int32_t battery = 0;
};

// Keeps the lists of a design free of tiles that were deleted.
struct Forgetting {
  TSlot<TCanvas, TCanvasEvent> removed{[this](TCanvas&, const TCanvasEvent& event) {
    if (event.Kind != TCanvasEvent::TileRemoved) return;
    std::erase(devices, event.Tile);
    std::erase(supplies, event.Tile);
    std::erase(clones, event.Tile);
  }};
  std::vector<TDevice*> devices, supplies, clones;
};

class RandomDesign {
 public:
  explicit RandomDesign(bool reportEveryRecalculation = false) {
    canvas.Context().ReportEveryRecalculation = reportEveryRecalculation;
    canvas.Context().DialogHost = &host;
    canvas.OnTilesChanged.Attach(lists.removed);
  }
  ~RandomDesign() {
    panel.ReleaseTiles();
    canvas.Clear();
  }
  RandomDesign(const RandomDesign&) = delete;
  RandomDesign& operator=(const RandomDesign&) = delete;

  // An Orvane 700 at grade 3 with three networks, then `steps` operations.
  void Build(uint32_t seed, int steps = 600) {
    panel.Name = "Orvane 700";
    panel.SetGrade(3);
    panel.SetPanelType(13);
    panel.OwnQuiescent = 160;
    for (int i = 0; i < 3; ++i) {
      TPanelNetwork* network = CreatePanelNetwork(canvas, 5);
      network->SetBounds(0, i == 0 ? 70 : 450 * (i + 1) - 325, network->Width(), network->Height());
      network->SetName(Format("Network%d", i + 1));
      network->ControlPanel = &panel;
      panel.Networks.push_back(network);
    }

    std::mt19937 random(seed);
    auto pick = [&](size_t count) { return static_cast<size_t>(random() % count); };
    const int types[] = {5, 6, 7, 8, 10, 11, 16, 16, 16, 17};
    for (int step = 0; step < steps; ++step) {
      const int op = static_cast<int>(random() % 14);
      auto* device = lists.devices.empty() ? nullptr : static_cast<TVududa*>(lists.devices[pick(lists.devices.size())]);
      if (op <= 3 || !device) {
        auto& placed = canvas.Create<TVududa>();
        placed.SetDeviceType(static_cast<uint8_t>(types[pick(std::size(types))]));
        placed.MoveCentreTo(150 + static_cast<int>(pick(800)), static_cast<int>(pick(1400)));
        lists.devices.push_back(&placed);
        // Onto a network, or chained behind a device (often the one placed
        // just before, so that long chains grow), when the drop is accepted.
        TDevice* target = panel.Networks[pick(panel.Networks.size())];
        if (op == 1 && device) target = device;
        if (op >= 2 && lists.devices.size() > 1) target = lists.devices[lists.devices.size() - 2];
        if (target->DragOverHandler(&placed)) target->DragDropHandler(&placed, 0, 0);
      } else if (op == 4) {
        std::vector<TDevice*> sources = lists.supplies;
        sources.insert(sources.end(), lists.clones.begin(), lists.clones.end());
        if (!sources.empty()) {
          TDevice* supply = sources[pick(sources.size())];
          if (supply->DragOverHandler(device)) supply->DragDropHandler(device, 0, 0);
        }
      } else if (op == 5) {
        device->SetCableLength(static_cast<double>(pick(120)));
      } else if (op == 6) {
        device->SetAttachedLoad({static_cast<int32_t>(pick(400)), static_cast<int32_t>(pick(900))});
      } else if (op == 7) {
        device->SetDeviceType(static_cast<uint8_t>(types[pick(std::size(types))]));
      } else if (op == 8) {
        device->Detach();
      } else if (op == 9 && step % 3 == 0) {
        device->DeleteDevice();
      } else if (op == 10) {
        device->DoubleClickAction();
      } else if (op == 11) {
        auto& psu = canvas.Create<TPSU>();
        psu.MoveCentreTo(1000, static_cast<int>(pick(1400)));
        panel.AddPSU(&psu);
        lists.supplies.push_back(&psu);
        host.battery = static_cast<int32_t>(pick(4));
        psu.DoubleClickAction();
        auto& clone = canvas.Create<TPSUClone>();
        clone.MoveCentreTo(1000, static_cast<int>(pick(1400)));
        clone.AttachToMaster(psu);
        lists.clones.push_back(&clone);
      } else if (op == 12) {
        if (!lists.supplies.empty() && step % 4 == 0) lists.supplies[pick(lists.supplies.size())]->DeleteDevice();
      } else {
        panel.SetGrade(panel.GetGrade() == 3 ? 2 : 3);
      }
    }
  }

  ConfirmingHost host;
  TCanvas canvas{TSettings{1, 15, 10, 0.002, 1.0, true}};
  TControlPanel panel{canvas.Context(), BuiltInPalette()};
  Forgetting lists;
};

}  // namespace voltaris::testing
