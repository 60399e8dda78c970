// The document's content, built from a design made as the user makes it:
// the worksheet rows and their figures, the verdict by light, the drawing's
// parts and the report as the report window shows it.
#include "document/document.h"
#include "catalogue/format.h"
#include "designer/designer_document.h"
#include "model/advice.h"
#include "model/load_data.h"
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
  const std::vector<TDocDrawing> parts = DrawingParts(designer.Canvas());
  ASSERT_EQ(parts.size(), designer.ControlPanel()->Networks.size());
  for (size_t k = 1; k < parts.size(); ++k) EXPECT_GE(parts[k].Top, parts[k - 1].Bottom);
  // Every tile is drawn in the part of its network section.
  for (const auto& tile : designer.Canvas().Tiles()) {
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
