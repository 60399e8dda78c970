// Two projects open side by side in one program, as the undo history and the
// documents keep them: each has its own settings, catalogue filter, dialogs
// and counters, and working on one never moves a figure of the other.
#include <gtest/gtest.h>

#include <string>

#include "model/dialog_host.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/psu.h"
#include "model/toolbar_device.h"
#include "project_io/project_files.h"
#include "tools/project_json.h"

namespace voltaris {
namespace {

const std::string Examples = VOLTARIS_EXAMPLES;

// Everything the designer shows of a project: its figures, warnings and report.
std::string Shown(TProject& project, const TSettings& settings) {
  std::string shown = ProjectJson(settings, *project.ControlPanel, *project.Canvas).dump(1);
  TStringList report;
  project.ControlPanel->WriteSystemReport(report, "Site", "Today");
  for (const std::string& line : report) shown += line + "\n";
  return shown;
}

// Confirms every set-up and fits the first battery of every load list.
class CountingHost : public IDialogHost {
 public:
  bool EditLoadList(TPowerModule& module, TLoadLines&, TCatalogueFilter& filter) override {
    ++edits;
    filter.CurrentGrade = 1;
    module.SetBattery(0);
    return true;
  }
  bool SetUpDevice(TNetDevice&, TLoadLines&) override {
    ++setUps;
    return true;
  }
  bool AskYesNo(const std::string&) override { return true; }
  int edits = 0;
  int setUps = 0;
};

TEST(TwoProjects, WorkOnOneNeverMovesTheOthersFigures) {
  TSettings shopSettings, warehouseSettings;
  TProject shop = LoadProjectFiles(Examples, "CornerShop", shopSettings);
  TProject warehouse = LoadProjectFiles(Examples, "Warehouse", warehouseSettings);
  ASSERT_NE(shopSettings, TSettings{});
  CountingHost shopHost, warehouseHost;
  shop.Context().DialogHost = &shopHost;
  warehouse.Context().DialogHost = &warehouseHost;
  const TProjectContext shopBefore = shop.Context();
  const std::string shopShown = Shown(shop, shopSettings);

  // The warehouse: other settings, a new keypad wired in, a cable changed,
  // its grade changed, a supply's load list edited through its own dialogs.
  TSettings& settings = warehouse.Context().Settings;
  settings.CableRun = 77;
  settings.CableImpedance = 0.5;
  settings.ShowLength = !settings.ShowLength;
  TControlPanel& panel = *warehouse.ControlPanel;
  auto& keypad = warehouse.Canvas->Create<TVududa>();
  keypad.SetDeviceType(0);
  EXPECT_EQ(keypad.CableLength, 77);  // the warehouse's cable run, not the shop's
  EXPECT_EQ(keypad.Impedance, 0.5);
  keypad.MoveCentreTo(300, 150);
  if (panel.Networks.front()->DragOverHandler(&keypad)) panel.Networks.front()->DragDropHandler(&keypad, 0, 0);
  keypad.DoubleClickAction();
  keypad.SetCableLength(250);
  panel.SetGrade(panel.GetGrade() == 3 ? 2 : 3);
  ASSERT_FALSE(panel.PSUs.empty());
  panel.PSUs.front()->DoubleClickAction();
  EXPECT_EQ(warehouseHost.setUps, 1);
  EXPECT_EQ(warehouseHost.edits, 1);
  EXPECT_EQ(warehouse.Context().Filter.CurrentGrade, 1);
  EXPECT_GT(warehouse.Context().Counters.RecalcLoad, 0u);

  // The shop is as it was, down to its counters and the filter its dialogs left.
  EXPECT_EQ(shopHost.setUps + shopHost.edits, 0);
  EXPECT_EQ(shop.Context().Settings, shopBefore.Settings);
  EXPECT_EQ(shop.Context().Filter.CurrentGrade, shopBefore.Filter.CurrentGrade);
  EXPECT_EQ(shop.Context().Filter.CurrentPanelType, shopBefore.Filter.CurrentPanelType);
  EXPECT_EQ(shop.Context().Counters.RecalcLoad, shopBefore.Counters.RecalcLoad);
  EXPECT_EQ(shop.Context().Counters.BuildWarnings, shopBefore.Counters.BuildWarnings);
  EXPECT_EQ(Shown(shop, shopSettings), shopShown);

  // And the other way round: the shop's work leaves the warehouse alone.
  const std::string warehouseShown = Shown(warehouse, warehouse.Context().Settings);
  shop.ControlPanel->SetBattery(0);
  shop.ControlPanel->SetGrade(1);
  EXPECT_EQ(Shown(warehouse, warehouse.Context().Settings), warehouseShown);
}

}  // namespace
}  // namespace voltaris
