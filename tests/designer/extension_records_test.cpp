// What a load cannot work out from the tile records, kept in the ".dat"'s
// extension section so that a design looks the same after Save and Load:
// a supply's charging current that followed an earlier grade, the order in
// which devices were wired, and the supply palette after a supply was
// deleted. Each is written only where a load would not give it back.
#include <algorithm>

#include "catalogue/format.h"
#include "designer_fixture.h"
#include "project_io/project_extension.h"

namespace voltaris::testing {
namespace {

enum Tools { D1 = 5 };

class ExtensionRecordsTest : public DesignerTest {
 protected:
  // What the user sees of the design: the report, the warnings, every tile's
  // colour and every supply's figures.
  std::string Shown() {
    std::string shown = designer.ReportText();
    for (const std::string& line : designer.ControlPanel()->Warnings) shown += line + "\n";
    for (const auto& tile : designer.Canvas().Tiles()) {
      shown += Format("%s %d,%d,%d\n", tile->ClassName(), tile->Color().R, tile->Color().G, tile->Color().B);
      if (const auto* psu = dynamic_cast<const TPSU*>(tile.get()))
        shown += Format("%d %f\n", psu->Module.ChargeCurrent, psu->Module.PeakAvailable);
    }
    return shown;
  }
  // Saved and opened again: what shows, before and after.
  void ExpectSameAfterSaveAndLoad() {
    const std::string before = Shown();
    const TProjectBytes image = designer.ProjectImage();
    designer.Session().SaveProject();
    Load("Shop");
    ASSERT_TRUE(designer.ProjectOpen);
    EXPECT_EQ(Shown(), before);
    EXPECT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), image));  // and it saves the same bytes
  }
  TProjectExtension SavedExtension() {
    TStream dat(designer.ProjectImage().Dat);
    const auto& bytes = dat.Bytes();
    const auto found = std::search(bytes.begin(), bytes.end(), std::begin(ProjectExtensionTag),
                                   std::end(ProjectExtensionTag));
    if (found == bytes.end()) return {};
    dat.Seek(static_cast<size_t>(found - bytes.begin()));
    return ReadProjectExtension(dat);
  }
  int32_t SupplyBattery(const std::string& name) {
    TStringList batteries;
    FillBatteryList(batteries, RemotePsuPanelType);
    return static_cast<int32_t>(std::find(batteries.begin(), batteries.end(), name) - batteries.begin());
  }
};

TEST_F(ExtensionRecordsTest, ASupplysChargingCurrentFromAnEarlierGradeSurvives) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TPSU& psu = PlaceSupply(700, 150);
  const int32_t battery = SupplyBattery("17.0 Ah");
  host.onEditLoadList = [battery](TPowerModule& module, TLoadLines&) { module.SetBattery(battery); };
  psu.DoubleClickAction();
  ASSERT_EQ(psu.Module.ChargeCurrent, 750);
  designer.SummaryPanel().ChooseGrade(1);  // grade 2: the charging current stays as fitted
  ASSERT_EQ(psu.Module.ChargeCurrent, 750);
  const TProjectExtension extension = SavedExtension();
  ASSERT_EQ(extension.ChargeCurrents.size(), 1u);
  EXPECT_EQ(extension.ChargeCurrents[0].Milliamps, 750);
  ExpectSameAfterSaveAndLoad();
}

TEST_F(ExtensionRecordsTest, DevicesKeepTheOrderTheyWereWiredIn) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TVududa& first = Place(D1, 300, 150);
  TVududa& second = Place(D1, 450, 150);
  first.SetLocation("Placed first");
  second.SetLocation("Placed second");
  ASSERT_TRUE(Drag(second, Net(0)));
  ASSERT_TRUE(Drag(first, Net(0)));
  const TProjectExtension extension = SavedExtension();
  ASSERT_EQ(extension.ChildOrders.size(), 1u);
  EXPECT_EQ(extension.ChildOrders[0].Children, (std::vector<int32_t>{9, 8}));
  ExpectSameAfterSaveAndLoad();
  EXPECT_EQ(dynamic_cast<TVududa&>(*Net(0).Children[0]).Location, "Placed second");
  // Wired in the order they were placed, nothing needs keeping.
  New("Orvane 700", 3, "Office", "Unit 9");
  TVududa& a = Place(D1, 300, 150);
  TVududa& b = Place(D1, 450, 150);
  ASSERT_TRUE(Drag(a, Net(0)));
  ASSERT_TRUE(Drag(b, Net(0)));
  EXPECT_TRUE(SavedExtension().Empty());
}

TEST_F(ExtensionRecordsTest, TheSupplyColoursAfterADeleteSurvive) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TPSU& gone = PlaceSupply(700, 150);
  PlaceSupply(700, 300);
  PlaceSupply(700, 450);
  designer.CanvasControl().TileMouseDown(gone, TMouseButton::Left, {.Ctrl = true}, false);
  EXPECT_TRUE(SavedExtension().HasPalette);
  ExpectSameAfterSaveAndLoad();
  // The next supply takes the colour it would have taken before the save.
  const TColour next = designer.ControlPanel()->PaletteColour(2);
  EXPECT_EQ(PlaceSupply(700, 600).Color(), next);
}

TEST_F(ExtensionRecordsTest, RecordsThatDoNotFitTheDesignAreErrorsNamingTheFile) {
  New("Orvane 700", 3, "Shop", "Unit 4");
  TVududa& device = Place(D1, 300, 150);
  ASSERT_TRUE(Drag(device, Net(0)));
  PlaceSupply(700, 150);  // tile 9
  const TProjectBytes image = designer.ProjectImage();
  auto readWith = [&](const TProjectExtension& extension) -> std::string {
    TStream dat(image.Dat);
    dat.Seek(dat.Size());
    WriteProjectExtension(dat, extension);
    TSettings settings;
    try {
      ReadProject(dat.Bytes(), image.Pjx, "Shop.dat", "Shop.pjx", settings);
    } catch (const FileError& error) {
      return error.what();
    }
    return "";
  };
  TProjectExtension current;
  current.ChargeCurrents = {{8, 300}};  // the device, not a supply
  EXPECT_NE(readWith(current).find("Shop.dat: the extension section gives a charging current to tile 8"),
            std::string::npos);
  TProjectExtension order;
  order.ChildOrders = {{0, {9}}};  // the supply is no child of the network
  EXPECT_NE(readWith(order).find("Shop.dat: the extension section gives tile 0 an order of children"),
            std::string::npos);
  order.ChildOrders = {{0, {8, 8}}};
  EXPECT_NE(readWith(order).find("order of children"), std::string::npos);
  order.ChildOrders = {{0, {8}}};  // the order it has: no error
  EXPECT_EQ(readWith(order), "");
}

TEST(ProjectExtensionRecords, EveryKindReadsBackWhatWasWritten) {
  TProjectExtension extension;
  extension.DataCableLengths = {{3, 15}};
  extension.ChargeCurrents = {{4, 750}, {6, 300}};
  extension.ChildOrders = {{0, {5, 3}}, {4, {}}};
  extension.HasPalette = true;
  extension.Palette = {"16711680", "", "255"};
  extension.BatteryVolts = 11.4;
  extension.SupplyLabels = {{4, "Plant room"}, {6, std::string(MaxSupplyLabel, 'x')}};
  TStream stream;
  WriteProjectExtension(stream, extension);
  stream.Seek(0);
  EXPECT_EQ(ReadProjectExtension(stream), extension);
  // Every cut of it is refused.
  const TBytes whole = stream.Bytes();
  for (size_t size = 0; size < whole.size(); ++size) {
    TStream cut(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_THROW(ReadProjectExtension(cut), StreamError) << size;
  }
}

}  // namespace
}  // namespace voltaris::testing
