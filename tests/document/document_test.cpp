// The document's content, built from a design made as the user makes it:
// the worksheet rows and their figures, the verdict by light, the drawing's
// parts and the report as the report window shows it.
#include "document/document.h"

#include <filesystem>
#include <map>
#include <random>

#include "catalogue/format.h"
#include "designer/designer_document.h"
#include "model/advice.h"
#include "model/load_data.h"
#include "model/psu.h"
#include "tests/designer/designer_fixture.h"

namespace voltaris::testing {
namespace {

enum Tools { D1 = 5 };

class DocumentTest : public DesignerTest {
 protected:
  const TDocBlock* Find(const TDocument& document, TDocBlockKind kind) {
    for (const TDocBlock& block : document.Blocks)
      if (block.Kind == kind) return &block;
    return nullptr;
  }
  std::string Value(const TDocBlock& block, const std::string& key) {
    for (const auto& [name, value] : block.Pairs)
      if (name == key) return value;
    return "<none>";
  }
  TStringList Batteries(int32_t panelType) {
    TStringList list;
    FillBatteryList(list, panelType);
    return list;
  }
};

TEST_F(DocumentTest, TheWorksheetHasThePanelThenEverySupplyWithTheModelsFigures) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TPSU& first = PlaceSupply(700, 150);
  PlaceSupply(700, 300);
  host.onEditLoadList = [this](TPowerModule& module, TLoadLines&) {
    module.SetBattery(static_cast<int32_t>(Batteries(module.PanelType).size()) - 1);
  };
  first.DoubleClickAction();
  TVududa& device = Place(D1, 300, 150);
  ASSERT_TRUE(Drag(device, Net(0)));
  ASSERT_TRUE(Drag(device, first));  // powered by the first supply

  const TControlPanel& panel = *designer.ControlPanel();
  const TDocTable table = BatteryWorksheet(panel);
  ASSERT_EQ(table.Rows.size(), 3u);
  ASSERT_EQ(table.Columns.size(), 12u);
  EXPECT_EQ(table.Rows[0][0], "Control panel Orvane 700");
  EXPECT_EQ(table.Rows[1][0], "Supply 1");
  const TPowerModule& module = first.Module;
  const std::vector<std::string> expected = {
      "Supply 1",
      Format("%d mA", module.TotalQuiescent()),
      Format("%d mA", module.TotalAlarm()),
      Format("%d min", module.AlarmPeriod),
      Format("%.2f Ah", module.TotalAlarm() / 1000.0 * (2 * module.AlarmPeriod) / 60.0),
      Format("%d h", module.RequiredStandby),
      Format("%.2f Ah", RoundCapacityUp(WorkOutSourceAdvice(module, first.SaveIndex).RequiredCapacity)),
      Format("%.1f Ah", module.BatteryCapacity),
      Format("%.2f h", module.StandbyTime),
      Format("%.2f A", module.PeakAvailable),
      Format("%.2f A", module.ContinuousRated),
      module.InsufficientBackup ? table.Rows[1][11] : "OK"};
  EXPECT_EQ(table.Rows[1], expected);
  EXPECT_GT(module.TotalQuiescent(), 0);  // the device's load reached the supply
  // The second supply has no battery: said so, not shown as a capacity.
  EXPECT_EQ(table.Rows[2][7], "None");
  EXPECT_EQ(table.Rows[2][11].rfind("No battery fitted", 0), 0u) << table.Rows[2][11];
}

TEST_F(DocumentTest, TheVerdictCountsTheProblemsByLight) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  // No battery on the panel yet, two devices on no network: three Blue.
  Place(D1, 300, 150);
  Place(D1, 450, 150);
  uint8_t worst = Green;
  EXPECT_EQ(DesignVerdict(*designer.ControlPanel(), designer.Canvas(), &worst), "3 problems: 3 Blue");
  EXPECT_EQ(worst, Blue);
  // A design in order is all Green; one that is not says how many problems.
  TSettings settings;
  TProject warehouse = LoadProjectFiles(VOLTARIS_EXAMPLES, "Warehouse", settings);
  EXPECT_EQ(DesignVerdict(*warehouse.ControlPanel, *warehouse.Canvas, &worst), "All Green");
  EXPECT_EQ(worst, Green);
  TProject shop = LoadProjectFiles(VOLTARIS_EXAMPLES, "CornerShop", settings);
  const std::string verdict = DesignVerdict(*shop.ControlPanel, *shop.Canvas, &worst);
  EXPECT_NE(verdict.find(" problem"), std::string::npos) << verdict;
  EXPECT_NE(verdict.find(StatusImageName(worst)), std::string::npos) << verdict;
}

TEST_F(DocumentTest, TheDrawingHasAPartPerNetworkHoldingItsTilesAndRuns) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TVududa& device = Place(D1, 300, 150);
  ASSERT_TRUE(Drag(device, Net(0)));
  device.SetLocation("Hall");
  designer.CanvasControl().Select(&device);  // no selection reaches the page
  TStringList unused;
  const std::vector<TDocDrawing> parts = DrawingParts(designer.Canvas(), &unused);
  // The seven networks with nothing on them are named in one line, not drawn.
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(unused, (TStringList{"Network2", "Network3", "Network4", "Network5", "Network6", "Network7", "Network8"}));
  // Every tile of the first section is drawn, as the canvas shows it bar
  // the selection, and a device carries its location and light in words.
  for (const auto& tile : designer.Canvas().Tiles()) {
    if (tile->Top() >= parts[0].Bottom) continue;
    const bool drawn = std::any_of(parts.begin(), parts.end(), [&](const TDocDrawing& part) {
      return std::any_of(part.Tiles.begin(), part.Tiles.end(),
                         [&](const TTileLook& look) { return look.Left == tile->Left() && look.Top == tile->Top(); });
    });
    EXPECT_TRUE(drawn) << tile->Name();
  }
  ASSERT_FALSE(parts[0].Wires.empty());
  EXPECT_EQ(parts[0].Wires[0].Pen, device.ParentWire->Pen);
  const TTileLook& look = parts[0].Tiles[0];
  EXPECT_TRUE(look.NetworkBlock);
  EXPECT_FALSE(look.Labels.empty());
  ASSERT_EQ(parts[0].Notes.size(), 1u);
  EXPECT_EQ(parts[0].Notes[0].Name, "Hall");
  EXPECT_EQ(parts[0].Notes[0].Status, StatusImageName(device.Status));
  EXPECT_GE(parts[0].Bottom, parts[0].Notes[0].Top);
}

// An inspector's check of every row: what feeds it (a network or a supply at
// 13.60 V, or the row it names) less (own + downstream mA) x metres x ohms
// per 100 m / 100000 gives its voltages, to the rounding of the figures
// shown. Both examples and random designs of chains, supplies and clones.
TEST_F(DocumentTest, EveryVoltageOfTheDeviceTableCanBeWorkedOutFromTheRowsAboveIt) {
  const auto check = [](const TDocTable& table, const std::string& what) {
    SCOPED_TRACE(what);
    const auto number = [](const std::string& text) { return std::stod(text); };
    const auto pair = [&](const std::string& text) {
      const size_t slash = text.find('/');
      return std::pair<double, double>(number(text.substr(0, slash)), number(text.substr(slash + 1)));
    };
    for (size_t r = 0; r < table.Rows.size(); ++r) {
      const auto& row = table.Rows[r];
      EXPECT_EQ(row[0], Format("%d", r + 1));
      std::pair<double, double> from{13.6, 13.6};
      if (row[4].rfind("No. ", 0) == 0) {
        const size_t parent = std::stoul(row[4].substr(4));
        ASSERT_LT(parent, r + 1) << "a row is fed from one below it";
        from = pair(table.Rows[parent - 1][10]);
      }
      const auto own = pair(row[8]);
      const auto down = pair(row[9]);
      const double ohms = number(row[5]) * number(row[6]) / 100;
      const auto shown = pair(row[10]);
      const double quiescent = from.first - (own.first + down.first) * ohms / 1000;
      const double alarm = from.second - (own.second + down.second) * ohms / 1000;
      if (quiescent > 0) {
        EXPECT_NEAR(shown.first, quiescent, 0.0101) << "row " << r + 1;
      }
      if (alarm > 0) {
        EXPECT_NEAR(shown.second, alarm, 0.0101) << "row " << r + 1;
      }
    }
  };
  for (const char* example : {"Warehouse", "CornerShop"}) {
    for (const char* extension : {".dat", ".pjx"})
      std::filesystem::copy_file(std::string(VOLTARIS_EXAMPLES) + "/" + example + extension,
                                 DataFile(std::string(example) + extension),
                                 std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(std::string(VOLTARIS_EXAMPLES) + "/Accounts.db", DataFile("Accounts.db"),
                               std::filesystem::copy_options::overwrite_existing);
    Load(example);
    const TDocTable table = DeviceTable(designer.Canvas(), WorkOutAdvice(*designer.ControlPanel(), designer.Canvas()));
    EXPECT_FALSE(table.Rows.empty());
    check(table, example);
  }
  std::mt19937 random(7);
  for (int design = 0; design < 40; ++design) {
    New("Orvane 700", 2);
    std::vector<TDevice*> feeds{&Net(0), &Net(1), &Net(2)};
    std::vector<TPSU*> supplies;
    for (int k = 0; k < 12; ++k) {
      TVududa& device = Place(1 + static_cast<int>(random() % 8), 300 + 60 * k, 150);
      Drag(device, *feeds[random() % feeds.size()]);
      device.SetCableLength(static_cast<double>(random() % 120));
      device.SetImpedance(static_cast<double>(random() % 20) / 100);
      device.SetAttachedLoad({static_cast<int32_t>(random() % 200), static_cast<int32_t>(random() % 400)});
      if (random() % 4 == 0) {
        if (supplies.empty() || random() % 2 == 0) supplies.push_back(&PlaceSupply(300 + 60 * k, 400));
        Drag(device, *supplies[random() % supplies.size()]);
      }
      if (device.GetNetwork()) feeds.push_back(&device);
    }
    check(DeviceTable(designer.Canvas(), WorkOutAdvice(*designer.ControlPanel(), designer.Canvas())),
          Format("design %d", design));
  }
}

// A supply is named the same way wherever the document names it: the
// worksheet, the recharge record, the device table and the drawing, its
// clone included.
TEST_F(DocumentTest, ASupplyHasOneNameThroughoutTheDocument) {
  New("Orvane 700", 2);
  PlaceSupply(700, 150);
  TPSU& second = PlaceSupply(700, 400);
  second.SetLabel("Plant room");
  TVududa& device = Place(D1, 300, 150);
  device.SetLocation("Hall");
  ASSERT_TRUE(Drag(device, Net(0)));
  ASSERT_TRUE(Drag(device, second));
  const TDesignAdvice advice = WorkOutAdvice(*designer.ControlPanel(), designer.Canvas());
  const TDocTable worksheet = BatteryWorksheet(*designer.ControlPanel());
  ASSERT_EQ(worksheet.Rows.size(), 3u);
  EXPECT_EQ(worksheet.Rows[1][0], "Supply 1");
  EXPECT_EQ(worksheet.Rows[2][0], "Supply 2 (Plant room)");
  EXPECT_EQ(RechargeRecord(*designer.ControlPanel(), designer.Canvas(), advice).Rows[2][0], "Supply 2 (Plant room)");
  const TDocTable devices = DeviceTable(designer.Canvas(), advice);
  ASSERT_EQ(devices.Rows.size(), 1u);
  EXPECT_EQ(devices.Rows[0][1], "Hall - Orvane D1");
  EXPECT_EQ(devices.Rows[0][3], "Network1");
  EXPECT_EQ(devices.Rows[0][4], "Supply 2 (Plant room)");
  std::vector<std::string> named;
  for (const TDocDrawing& part : DrawingParts(designer.Canvas()))
    for (const auto& note : part.Notes) named.push_back(note.Name);
  EXPECT_NE(std::find(named.begin(), named.end(), "Supply 2 (Plant room)"), named.end());
  EXPECT_NE(std::find(named.begin(), named.end(), "Supply 1"), named.end());
}

// The worksheet's working: each figure with what it is made of.
TEST_F(DocumentTest, TheWorksheetSaysHowEachFigureIsWorkedOut) {
  New("Orvane 700", 3);
  TPowerModule& panel = *designer.ControlPanel();
  panel.SetBattery(2);
  panel.SetExtraQuiescent(500);
  panel.SetExtraAlarm(1000);
  const auto lines = WorksheetWorking(panel, WorkOutSourceAdvice(panel));
  std::map<std::string, std::string> by(lines.begin(), lines.end());
  const double alarm = panel.TotalAlarm() / 1000.0;
  EXPECT_EQ(by["Alarm reserve"],
            Format("%.3f A alarm current x 2 x 15 min alarm period = %.2f Ah (the alarm load is reserved for twice "
                   "the alarm period)",
                   alarm, alarm * 0.5));
  EXPECT_NE(by["Required standby"].find(Format("%d h: what ", panel.RequiredStandby)), std::string::npos);
  EXPECT_NE(by["Standby time"].find(Format("= %.2f h", panel.StandbyTime)), std::string::npos);
  EXPECT_NE(by["Peak available"].find(Format("= %.2f A", panel.PeakAvailable)), std::string::npos);
  EXPECT_NE(by["Continuous rated"].find(Format(": %.2f A", panel.ContinuousRated)), std::string::npos);
  EXPECT_EQ(by["Battery factor"].substr(0, 8), "1.00: 0 ");
}

// The report's entries are kept whole on a page: a device's entry runs from
// its "Name:" line to the rule under it, blank lines inside included.
TEST(ReportRuns, ADevicesEntryIsOneRun) {
  const TStringList lines = {"System Report",
                             "",
                             "Network1",
                             "1 Keypads",
                             "",
                             "    Name: Hall - K4",
                             "    Quiescent Current 35mA",
                             "",
                             "    PIR (1 off)",
                             "    This Device is Satisfactory",
                             "    ______",
                             "",
                             "Network2 - not used"};
  EXPECT_EQ(ReportRuns(lines), (std::vector<size_t>{2, 3, 6, 1, 1}));
  EXPECT_EQ(ReportRuns({}), std::vector<size_t>{});
}

TEST_F(DocumentTest, TheDocumentCarriesTheProjectTheDetailsAndTheReportAsShown) {
  New("Orvane 700", 2, "Shop", "Unit 4");
  designer.Context().Details = {"Brightwell Alarms", "J. Carter", "Mr Patel", "4 High Street\nLowton", "Side door"};
  const TDocument document = DesignerDocument(designer);
  EXPECT_EQ(document.FooterText, "Unit 4");
  const TDocBlock* page1 = Find(document, TDocBlockKind::KeyValues);
  ASSERT_TRUE(page1);
  EXPECT_EQ(Value(*page1, "Site reference"), "Unit 4");
  EXPECT_EQ(Value(*page1, "File name"), "Shop");
  EXPECT_EQ(Value(*page1, "Date"), "01/02/2027");
  EXPECT_EQ(Value(*page1, "Panel model"), "Orvane 700");
  EXPECT_EQ(Value(*page1, "Grade"), "2");
  EXPECT_EQ(Value(*page1, "Standard"), designer.ControlPanel()->Standard == StandardPD6662 ? "PD6662" : "EN50131-1");
  EXPECT_EQ(Value(*page1, "AC-fail signalling"), "Not signalled");
  const TDocBlock* report = Find(document, TDocBlockKind::Preformatted);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->Lines, SplitLines(designer.ReportText()));
  const TDocBlock* signature = Find(document, TDocBlockKind::Signature);
  ASSERT_TRUE(signature);
  EXPECT_EQ(Value(*signature, "Installer"), "Brightwell Alarms");
  EXPECT_EQ(Value(*signature, "Engineer"), "J. Carter");
  // The details block follows the verdict; the signature block ends the document.
  bool details = false;
  for (const TDocBlock& block : document.Blocks)
    details = details ||
              (block.Kind == TDocBlockKind::KeyValues && Value(block, "Site address") == "4 High Street\nLowton");
  EXPECT_TRUE(details);
  EXPECT_EQ(document.Blocks.back().Kind, TDocBlockKind::Signature);
  // Building it changed nothing.
  EXPECT_FALSE(designer.Session().Modified());
}

}  // namespace
}  // namespace voltaris::testing
