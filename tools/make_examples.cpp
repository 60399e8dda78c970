// make-examples: builds the example projects with the designer's own
// commands, as a user would in the window, and saves them into a data
// directory (with their index lines).
//
//   make-examples DIR
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "catalogue/format.h"
#include "designer/designer.h"
#include "model/dialog_host.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"
#include "storage/memory_settings_store.h"

namespace {

using namespace voltaris;

// Answers the dialogs as the person drawing the examples would.
class ExampleHost : public IDesignerHost, public IDialogHost {
 public:
  void ShowError(const std::string& text) override { throw std::runtime_error(text); }
  void ShowWarning(const std::string& text) override { throw std::runtime_error(text); }
  bool Confirm(const std::string& question) override { throw std::runtime_error(question); }
  void RunNewFileDialog(TNewFilePresenter& dialog) override {
    dialog.SetSiteRef(site);
    const auto& types = dialog.PanelTypes();
    for (size_t i = 0; i < types.size(); ++i)
      if (types[i] == panel) dialog.ChoosePanelType(static_cast<int>(i));
    dialog.ChooseGrade(grade - 1);
    dialog.SetFileName(file);
    if (!dialog.Ok()) throw std::runtime_error("the new project was refused");
  }
  void RunSystemFilesDialog(TSystemFilesPresenter& dialog) override { dialog.Cancel(); }
  bool RunOptionsDialog(TOptionsPresenter&) override { return false; }
  TAnswer AskSave(const std::string&) override { return TAnswer::Yes; }
  void ShowReport(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  void ShowSupplyMenu(int, int) override {}
  void CloseWindow() override {}
  std::string ShortDate() override { return "08/12/2026"; }

  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter&) override {
    module.SetBattery(battery);
    for (const TDeviceDataPtr& entry : entries) lines.push_back({LoadListLine(*entry), entry});
    TLoad extra;
    for (const TLoadLine& line : lines) extra += {line.Entry->Quiescent, line.Entry->Alarm};
    module.SetExtraQuiescent(extra.Quiescent);
    module.SetExtraAlarm(extra.Alarm);
    return true;
  }
  bool SetUpDevice(TNetDevice& device, TLoadLines& lines) override {
    for (const TDeviceDataPtr& entry : entries) lines.push_back({LoadListLine(*entry), entry});
    TLoad load;
    for (const TLoadLine& line : lines) load += {line.Entry->Quiescent, line.Entry->Alarm};
    device.SetAttachedLoad(load);
    return true;
  }
  bool AskYesNo(const std::string&) override { return true; }

  std::string panel, site, file;
  int grade = 2;
  int32_t battery = 0;
  std::vector<TDeviceDataPtr> entries;
};

TDeviceDataPtr Entry(int32_t qty, const std::string& name) {
  for (const TDeviceType& row : DeviceTypeTable) {
    if (name == row.Name)
      return std::make_shared<TDeviceData>(TDeviceData{qty, row.Grade, name, row.Quiescent * qty, row.Alarm * qty});
  }
  throw std::runtime_error("no load device " + name);
}

class ExampleBuilder {
 public:
  ExampleBuilder(ExampleHost& host, TDesigner& designer) : host_(host), designer_(designer) {}

  void New(const std::string& panel, int grade, const std::string& file, const std::string& site) {
    host_.panel = panel;
    host_.grade = grade;
    host_.file = file;
    host_.site = site;
    designer_.Session().NewProject();
  }
  void Panel(int32_t battery, std::vector<TDeviceDataPtr> entries) {
    host_.battery = battery;
    host_.entries = std::move(entries);
    designer_.SummaryPanel().UpdatePanelAndDevices();
  }
  void SignalACFail() { designer_.SummaryPanel().ClickACFail(true); }
  TVududa& Device(int tool, int x, int y, const std::string& location) {
    designer_.CanvasControl().ChooseDevice(tool);
    designer_.CanvasControl().CanvasPress(x, y);
    auto& device = dynamic_cast<TVududa&>(*designer_.Canvas().Tiles().back());
    device.SetLocation(location);
    return device;
  }
  TPSU& Supply(int x, int y, int32_t battery, std::vector<TDeviceDataPtr> entries) {
    designer_.CanvasControl().ChoosePSU();
    designer_.CanvasControl().CanvasPress(x, y);
    auto& psu = dynamic_cast<TPSU&>(*designer_.Canvas().Tiles().back());
    host_.battery = battery;
    host_.entries = std::move(entries);
    designer_.CanvasControl().TileMouseDown(psu, TMouseButton::Left, {}, true);
    return psu;
  }
  TPSUClone& Clone(TPSU& psu, int network) {
    designer_.CanvasControl().ShowNetwork(0);
    psu.MouseDown(TMouseButton::Right, {}, false);
    designer_.CanvasControl().CloneTo(network);
    return dynamic_cast<TPSUClone&>(*designer_.Canvas().Tiles().back());
  }
  void Drop(TDevice& source, TDevice& target) {
    if (!designer_.CanvasControl().DragOver(&target, source)) throw std::runtime_error("a drop was refused");
    designer_.CanvasControl().Drop(&target, source, 0, 0);
  }
  // Enters the device's cable and the equipment it powers, and confirms it.
  void SetUp(TVududa& device, double cable, std::vector<TDeviceDataPtr> entries) {
    device.SetCableLength(cable);
    // The examples' data cables are the project's cable run, as in the files
    // shipped before the data cable was stored: they keep their bytes.
    device.SetNetCableLength(static_cast<double>(designer_.Context().Settings.CableRun));
    host_.entries = std::move(entries);
    designer_.CanvasControl().TileMouseDown(device, TMouseButton::Left, {}, true);
  }
  TPanelNetwork& Net(int index) { return *designer_.ControlPanel()->Networks.at(static_cast<size_t>(index)); }

 private:
  ExampleHost& host_;
  TDesigner& designer_;
};

// A corner shop on an Orvane 200: keypads and an expander on its one network.
void Shop(ExampleBuilder& build) {
  build.New("Orvane 200", 2, "CornerShop", "Corner Shop, 12 High Street");
  build.Panel(0, {Entry(4, "Lumen PIR"), Entry(1, "Halvard S (Normal)"), Entry(1, "Twinpath GSM")});
  TVududa& front = build.Device(1, 330, 110, "Front door");
  TVududa& office = build.Device(5, 330, 200, "Office");
  TVududa& expander = build.Device(9, 330, 290, "Stockroom");
  TVududa& back = build.Device(0, 500, 290, "Back door");
  // Wired in the order the devices were placed, as the shipped files list them.
  build.Drop(front, build.Net(0));
  build.Drop(office, build.Net(0));
  build.Drop(expander, build.Net(0));
  build.Drop(back, expander);
  build.SetUp(front, 15, {});
  build.SetUp(expander, 25, {Entry(3, "Lumen PIR"), Entry(2, "Shokra E")});
  build.SetUp(back, 12, {});
  build.SetUp(office, 20, {Entry(1, "Tessal PIR")});
}

// A warehouse on an Orvane 700 at grade 3: chains on two networks, a remote
// supply for the yard cloned onto a third network, and a second supply.
void Warehouse(ExampleBuilder& build) {
  build.New("Orvane 700", 3, "Warehouse", "Unit 7 Riverside Trading Estate");
  build.SignalACFail();
  build.Panel(1, {Entry(1, "Halvard SE (SCB Mode)"), Entry(1, "Linecare 3GSTU")});
  // Network 1: reception and the goods-in chain.
  TVududa& reception = build.Device(5, 330, 130, "Reception");
  TVududa& goodsIn = build.Device(11, 330, 260, "Goods in");
  TVududa& bay = build.Device(6, 480, 260, "Loading bay");
  TVududa& dock = build.Device(7, 630, 260, "Dock office");
  build.Drop(reception, build.Net(0));
  build.Drop(goodsIn, build.Net(0));
  build.Drop(bay, goodsIn);
  build.Drop(dock, bay);
  build.SetUp(reception, 10, {Entry(2, "Sovra AMDT Plus PIR")});
  build.SetUp(goodsIn, 40, {Entry(4, "Pathra FT64"), Entry(2, "Sovra AMQD Plus PIR")});
  build.SetUp(bay, 35, {});
  build.SetUp(dock, 30, {Entry(1, "Sovra AMDT Plus PIR")});
  TPSU& stores = build.Supply(800, 200, 0, {Entry(1, "Halvard SE (LC Mode)")});
  TVududa& tag = build.Device(17, 640, 130, "Stores");
  build.Drop(tag, build.Net(0));
  build.Drop(tag, stores);
  build.SetUp(tag, 20, {});
  // Network 2: the office floor and the yard gate on a remote supply.
  TVududa& office = build.Device(10, 330, 640, "First floor office");
  TVududa& yard = build.Device(8, 500, 720, "Yard gate");
  build.Drop(office, build.Net(1));
  build.Drop(yard, build.Net(1));
  build.SetUp(office, 60, {Entry(6, "Sovra AMQD Plus PIR"), Entry(2, "Pathra OH")});
  TPSU& yardSupply = build.Supply(800, 640, 1, {Entry(1, "Halvard SE (Normal)")});
  build.Drop(yard, yardSupply);
  build.SetUp(yard, 80, {Entry(2, "Sovra AMDT Plus PIR")});
  // Network 3: the yard supply cloned onto it, powering the staff entrance.
  TPSUClone& clone = build.Clone(yardSupply, 2);
  TVududa& staff = build.Device(5, 330, 1100, "Staff entrance");
  build.Drop(staff, build.Net(2));
  build.Drop(staff, clone);
  build.SetUp(staff, 50, {Entry(1, "Sovra AMDT Plus PIR")});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-examples DIR\n";
    return 2;
  }
  try {
    const std::filesystem::path work = std::filesystem::absolute(argv[1]);
    std::filesystem::create_directories(work / "Data");
    ExampleHost host;
    TMemorySettingsStore store;
    TDesigner designer(host, store, work.string());
    designer.SetDialogHost(&host);
    ExampleBuilder build(host, designer);
    Shop(build);
    designer.CanvasControl().ShowNetwork(0);
    designer.Session().SaveProject();
    Warehouse(build);
    designer.CanvasControl().ShowNetwork(0);
    designer.Session().SaveProject();
  } catch (const std::exception& error) {
    std::cerr << "make-examples: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
