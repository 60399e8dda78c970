// A design built the way the designer builds one: a control panel with its
// networks on a canvas, devices placed and dropped on networks and supplies,
// and a scripted dialog host standing in for the user's answers.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "catalogue/format.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/dialog_host.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/settings.h"
#include "model/toolbar_device.h"

namespace voltaris::testing {

// Answers the model's dialogs as a test scripts them.
class ScriptedHost : public IDialogHost {
 public:
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter&) override {
    ++loadListEdits;
    if (onEditLoadList) onEditLoadList(module, lines);
    return loadListDone;
  }
  bool SetUpDevice(TNetDevice& device, TLoadLines& lines) override {
    ++setUps;
    if (onSetUp) return onSetUp(device, lines);
    return setUpResult;
  }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    return answer;
  }

  std::function<void(TPowerModule&, TLoadLines&)> onEditLoadList;
  bool loadListDone = true;  // the load calculator closes with Done, or Cancel
  std::function<bool(TNetDevice&, TLoadLines&)> onSetUp;
  bool setUpResult = true;
  bool answer = true;
  int loadListEdits = 0;
  int setUps = 0;
  std::vector<std::string> questions;
};

inline TDeviceDataPtr MakeEntry(int32_t qty, const std::string& name) {
  for (const TDeviceType& row : DeviceTypeTable) {
    if (name == row.Name)
      return std::make_shared<TDeviceData>(TDeviceData{qty, row.Grade, name, row.Quiescent * qty, row.Alarm * qty});
  }
  ADD_FAILURE() << "no load device " << name;
  return nullptr;
}

class DesignTest : public ::testing::Test {
 protected:
  DesignTest() {
    canvas.Context().DialogHost = &host;
    panel.OnWarningsChanged.Attach(warningSlot_);
    panel.OnLoadChanged.Attach(loadSlot_);
  }
  ~DesignTest() override {
    panel.ReleaseTiles();
    canvas.Clear();
  }

  // Sets up the control panel as New does for a panel model and grade.
  void NewPanel(int32_t panelType, int32_t grade) {
    panel.Name = PanelOptsTable[panelType].Name;
    panel.SetGrade(grade);
    panel.SetPanelType(panelType);
    panel.OwnQuiescent = PanelOptsTable[panelType].OwnCurrent;
    const TPanelOpts& row = PanelOptsTable[panelType];
    for (int i = 1; i <= row.NetworkCount; ++i) {
      TPanelNetwork* network = CreatePanelNetwork(canvas, row.NetworkKind);
      network->SetBounds(0, i == 1 ? 70 : 450 * i - 325, network->Width(), network->Height());
      network->SetName(Format("Network%d", i));
      network->ControlPanel = &panel;
      panel.Networks.push_back(network);
    }
    panel.SetStandard(Settings.SystemStandard);
    panel.SetBatteryFactor(Settings.BatteryFactor);
    panel.SetAlarmPeriod(Settings.AlarmPeriod);
  }

  TPanelNetwork& Net(int index) { return *panel.Networks.at(index); }

  TVududa& Place(int deviceType, int x = 300, int y = 100) {
    auto& device = canvas.Create<TVududa>();
    device.SetDeviceType(static_cast<uint8_t>(deviceType));
    device.MoveCentreTo(x, y);
    return device;
  }

  TPSU& PlacePSU(int x = 600, int y = 100) {
    auto& psu = canvas.Create<TPSU>();
    psu.MoveCentreTo(x, y);
    panel.AddPSU(&psu);
    return psu;
  }

  TPSUClone& Clone(TPSU& psu, int x = 600, int y = 600) {
    auto& clone = canvas.Create<TPSUClone>();
    clone.MoveCentreTo(x, y);
    clone.AttachToMaster(psu);
    return clone;
  }

  // A drag from `source` released over `target`: dropped only when accepted.
  bool Drop(TDevice& source, TDevice& target) {
    if (!target.DragOverHandler(&source)) return false;
    target.DragDropHandler(&source, 0, 0);
    return true;
  }

  // Double-clicks a device and confirms its set-up with OK and Yes. (The
  // fixture's own SetUp stays in view beside it.)
  using ::testing::Test::SetUp;
  void SetUp(TNetDevice& device) {
    host.onSetUp = nullptr;
    host.setUpResult = true;
    host.answer = true;
    device.DoubleClickAction();
  }

  // Fits battery `index` on a supply through its load calculator.
  void FitBattery(TPSU& psu, int32_t index, std::vector<TDeviceDataPtr> entries = {}) {
    host.onEditLoadList = [&](TPowerModule& module, TLoadLines& lines) {
      module.SetBattery(index);
      for (auto& entry : entries) lines.push_back({LoadListLine(*entry), entry});
      TLoad extra;
      for (auto& line : lines) extra += TLoad{line.Entry->Quiescent, line.Entry->Alarm};
      module.SetExtraQuiescent(extra.Quiescent);
      module.SetExtraAlarm(extra.Alarm);
    };
    psu.DoubleClickAction();
    host.onEditLoadList = nullptr;
  }

  void DetachWarningListener() { warningSlot_.Detach(); }

  ScriptedHost host;
  TCanvas canvas{TSettings{1, 15, 10, 0.1, 1.0, false}};
  // The project's settings, as the designer's commands change them.
  TSettings& Settings = canvas.Context().Settings;
  TControlPanel panel{canvas.Context(), TStringList{"16110256", "12648447", "$00C0FFC0", "14745599", "16769216"}};
  int warningEvents = 0;
  int loadEvents = 0;

 private:
  TSlot<TControlPanel> warningSlot_{[this](TControlPanel&, const TNoEvent&) { ++warningEvents; }};
  TSlot<TControlPanel> loadSlot_{[this](TControlPanel&, const TNoEvent&) { ++loadEvents; }};
};

}  // namespace voltaris::testing
