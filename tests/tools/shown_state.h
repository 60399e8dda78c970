// Everything a user can see of a design, as one text: the project's figures
// (the report tool's JSON), the system report, the warnings, and what each
// tile shows besides (status light, hint, colour, a network's labels, the
// cable runs). Two designs that give the same text look the same.
#pragma once

#include <string>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/settings.h"
#include "model/wire.h"
#include "tools/project_json.h"

namespace voltaris::testing {

inline std::string EverythingShown(const TSettings& settings, TControlPanel& panel, TCanvas& canvas) {
  std::string shown = ProjectJson(settings, panel, canvas).dump(1);
  TStringList report;
  panel.WriteSystemReport(report, "Site", "Today");
  for (const std::string& line : report) shown += line + "\n";
  for (const std::string& line : panel.Warnings) shown += line + "\n";
  for (const auto& tile : canvas.Tiles()) {
    // A hint is seen only while it shows.
    shown += Format("%s %s %s %d,%d,%d\n", tile->ClassName(), tile->StatusImage(),
                    tile->ShowHint() ? tile->Hint() : std::string("(no hint)"), tile->Color().R, tile->Color().G,
                    tile->Color().B);
    if (const auto* network = dynamic_cast<const TPanelNetwork*>(tile.get()))
      for (const TTileLabel& label : network->Labels) shown += label.Text + "\n";
    if (const auto* device = dynamic_cast<const TNetDevice*>(tile.get())) {
      for (const TWire* wire : {device->ParentWire.get(), device->SupplyWire.get()})
        if (wire) shown += Format("%d %d %d %d %s\n", wire->Left, wire->Top, wire->X2, wire->Y2, wire->Label);
    }
  }
  return shown;
}

}  // namespace voltaris::testing
