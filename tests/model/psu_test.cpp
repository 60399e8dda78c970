#include "design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, D1 = 5, E8S = 11 };

class PSUTest : public DesignTest {
 protected:
  PSUTest() { NewPanel(13, 3); }  // Orvane 700, grade 3, eight networks
};

TEST_F(PSUTest, ANewSupplyTakesThePanelsSettingsAndStaysBlueUntilItHasABattery) {
  panel.SetACFailSignalled(true);
  TPSU& psu = PlacePSU();
  EXPECT_EQ(psu.Width(), 64);
  EXPECT_EQ(psu.Picture(), "TPSU");
  EXPECT_EQ(psu.Module.OwnQuiescent, 25);
  EXPECT_EQ(psu.Module.GetGrade(), 3);
  EXPECT_EQ(psu.Grade, 3);
  EXPECT_EQ(psu.Module.Standard, 1);
  EXPECT_EQ(psu.Module.AlarmPeriod, 15);
  EXPECT_TRUE(psu.Module.ACFailSignalled);
  EXPECT_EQ(psu.Module.RequiredStandby, 12);  // PD6662, grade 3, AC fail signalled
  // No battery: the standby time of 0 is too short, yet the supply is Blue, not Red.
  EXPECT_TRUE(psu.Module.InsufficientBackup);
  EXPECT_EQ(psu.Status, Blue);
  EXPECT_EQ(psu.Hint(), "No Battery Selected For PSU");
  EXPECT_EQ(host.loadListEdits, 0);

  FitBattery(psu, 0);  // 7.2 Ah: 300 mA charging
  EXPECT_EQ(host.loadListEdits, 1);
  EXPECT_EQ(psu.Module.ChargeCurrent, 300);
  EXPECT_EQ(psu.Status, Green);  // 25 mA for 12 h is easily carried
  EXPECT_EQ(psu.Hint(), "Drag & Drop device to PSU");
}

TEST_F(PSUTest, YellowBeatsRedBeatsOrange) {
  TPSU& psu = PlacePSU();
  // 2 A output less 300 mA charging leaves 1.7 A peak.
  FitBattery(psu, 0, {MakeEntry(4, "Halvard S (Normal)")});  // 72 mA, 2180 mA in alarm
  EXPECT_TRUE(psu.Module.AlarmOverload);
  EXPECT_FALSE(psu.Module.InsufficientBackup);
  EXPECT_EQ(psu.Status, Orange);

  FitBattery(psu, 0, {MakeEntry(100, "Twinpath Plus")});  // 23 A: far too little backup
  EXPECT_TRUE(psu.Module.InsufficientBackup);
  EXPECT_EQ(psu.Status, Red);

  FitBattery(psu, 0, {MakeEntry(1, "Lumen PIR")});  // a grade 2 detector on a grade 3 system
  EXPECT_EQ(psu.Module.LowestDeviceGrade, 2);
  EXPECT_EQ(psu.Status, Yellow);
  EXPECT_EQ(std::count(panel.Warnings.begin(), panel.Warnings.end(),
                       "PSU has devices not to Grade 3 - Yellow Status Light"),
            1);
}

TEST_F(PSUTest, DevicesOnACloneLoadTheMaster) {
  TPSU& psu = PlacePSU();
  TPSUClone& clone = Clone(psu);
  EXPECT_EQ(clone.Color(), psu.Color());
  EXPECT_EQ(clone.Picture(), "Clone");
  EXPECT_EQ(clone.ClonePosition, 0);
  TVududa& keypad = Place(D1);
  ASSERT_TRUE(Drop(keypad, Net(2)));
  ASSERT_TRUE(Drop(keypad, clone));
  EXPECT_EQ(keypad.Supply, &clone);
  EXPECT_EQ(keypad.Color(), psu.Color());
  EXPECT_EQ(psu.Module.NetworkQuiescent, 25);
  EXPECT_EQ(psu.Module.NetworkAlarm, 45);
  EXPECT_TRUE(clone.InUse);
  EXPECT_TRUE(psu.InUse);
  EXPECT_TRUE(psu.IsUsed());
  FitBattery(psu, 0);
  EXPECT_EQ(clone.Status, psu.Status);
  // A double click on the clone edits the master.
  clone.DoubleClickAction();
  EXPECT_EQ(host.loadListEdits, 2);

  keypad.Detach();
  EXPECT_EQ(psu.Module.NetworkQuiescent, 0);
  EXPECT_FALSE(clone.InUse);
  EXPECT_FALSE(psu.InUse);
}

TEST_F(PSUTest, DeletingASupplyDeletesItsClonesAndReleasesTheirDevices) {
  TPSU& psu = PlacePSU();
  TPSUClone& first = Clone(psu, 600, 600);
  TPSUClone& second = Clone(psu, 600, 1000);
  TVududa& a = Place(K4);
  TVududa& b = Place(K4);
  TVududa& c = Place(K4);
  ASSERT_TRUE(Drop(a, Net(0)));
  ASSERT_TRUE(Drop(b, Net(1)));
  ASSERT_TRUE(Drop(c, Net(2)));
  ASSERT_TRUE(Drop(a, psu));
  ASSERT_TRUE(Drop(b, first));
  ASSERT_TRUE(Drop(c, second));
  EXPECT_EQ(psu.Module.NetworkQuiescent, 3 * 35);
  const size_t tiles = canvas.Tiles().size();
  psu.DeleteDevice();
  EXPECT_EQ(canvas.Tiles().size(), tiles - 3);
  EXPECT_TRUE(panel.PSUs.empty());
  for (TVududa* device : {&a, &b, &c}) {
    EXPECT_EQ(device->Supply, nullptr);
    EXPECT_NE(device->Network, nullptr);
    EXPECT_EQ(device->Color(), ColourCream);
  }
  EXPECT_EQ(Net(1).DownstreamLoad, (TLoad{35, 45}));
  EXPECT_EQ(panel.NetworkQuiescent, 3 * 35);
}

TEST_F(PSUTest, AClonesDetachLeavesItsMasterForGood) {
  TPSU& psu = PlacePSU();
  TPSUClone& clone = Clone(psu);
  clone.Detach();  // an Alt-click
  EXPECT_EQ(clone.Master, nullptr);
  EXPECT_TRUE(psu.Clones.empty());
  psu.DeleteDevice();  // must not reach the clone that left it
  clone.DoubleClickAction();
  EXPECT_EQ(host.loadListEdits, 0);
  TStream stream;
  clone.WriteRecord(stream);
  EXPECT_EQ(stream.Bytes(), (TBytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(PSUTest, PaletteColoursFollowTheSuppliesInOrder) {
  TPSU& first = PlacePSU();
  TPSU& second = PlacePSU();
  TPSU& third = PlacePSU();
  EXPECT_EQ(first.Color(), TColour::FromColorValue(16110256));
  EXPECT_EQ(second.Color(), TColour::FromColorValue(12648447));
  EXPECT_EQ(third.Color(), TColour::FromColorValue(0xC0FFC0));
  const TColour thirdColour = third.Color();
  const TColour freed = second.Color();
  second.DeleteDevice();
  EXPECT_EQ(third.Color(), thirdColour);
  EXPECT_EQ(panel.Colours.back(), "12648447");
  EXPECT_EQ(panel.PSUs, (std::vector<TPSU*>{&first, &third}));
  // Five palette lines: the fourth to sixth supplies take lines 2, 3, 4, the
  // last being the freed colour; a seventh is white.
  PlacePSU();
  PlacePSU();
  EXPECT_EQ(PlacePSU().Color(), freed);
  EXPECT_EQ(PlacePSU().Color(), ColourWhite);
}

TEST_F(PSUTest, AFreedColourGoesToTheFirstSupplyThatHadNone) {
  panel.Colours = {"255", "65280"};  // two lines: the third supply is white
  TPSU& first = PlacePSU();
  TPSU& second = PlacePSU();
  TPSU& third = PlacePSU();
  TPSUClone& clone = Clone(third);
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, clone));
  EXPECT_EQ(third.Color(), ColourWhite);
  const TColour red = first.Color();
  EXPECT_EQ(red, ColourRed);
  first.DeleteDevice();
  EXPECT_EQ(second.Color(), (TColour{0, 255, 0}));
  EXPECT_EQ(third.Color(), red);
  EXPECT_EQ(clone.Color(), red);
  EXPECT_EQ(keypad.Color(), red);
}

TEST_F(PSUTest, APaletteLineThatIsNotANumberGivesWhite) {
  panel.Colours = {"$FF", "not a colour", " 65280 ", "0x0000FF00"};
  EXPECT_EQ(PlacePSU().Color(), ColourRed);
  EXPECT_EQ(PlacePSU().Color(), ColourWhite);
  EXPECT_EQ(PlacePSU().Color(), (TColour{0, 255, 0}));
  EXPECT_EQ(PlacePSU().Color(), (TColour{0, 255, 0}));
  int32_t value = 0;
  EXPECT_FALSE(ParseColourValue("", value));
  EXPECT_FALSE(ParseColourValue("$", value));
  EXPECT_FALSE(ParseColourValue("99999999999", value));
  EXPECT_FALSE(ParseColourValue("12ab", value));
}

TEST_F(PSUTest, ThePanelFallsBackToTheBuiltInPalette) {
  const TStringList builtIn = BuiltInPalette();
  ASSERT_GE(builtIn.size(), 8u);
  int32_t value = 0;
  for (const std::string& line : builtIn) EXPECT_TRUE(ParseColourValue(line, value)) << line;
  TControlPanel fresh(canvas.Context());  // a project without a palette of its own
  EXPECT_EQ(fresh.Colours, builtIn);
  EXPECT_EQ(PaletteFrom("/nonexistent"), builtIn);
}

TEST_F(PSUTest, SupplyLightsFollowTheSystemWideSettings) {
  // PD6662 at grade 3 asks 24 hours of a supply, EN50131-1 60.
  TPSU& psu = PlacePSU();
  FitBattery(psu, 0, {MakeEntry(1, "Twinpath Plus")});  // 255 mA: 7.2 Ah lasts about 27 hours
  EXPECT_EQ(psu.Status, Green);
  panel.SetStandard(0);
  EXPECT_EQ(psu.Status, Red);
  EXPECT_NE(std::find(panel.Warnings.begin(), panel.Warnings.end(), "PSU may have insufficient backup - Red Status Light"),
            panel.Warnings.end());
  panel.SetStandard(1);
  EXPECT_EQ(psu.Status, Green);
  EXPECT_EQ(std::find(panel.Warnings.begin(), panel.Warnings.end(), "PSU may have insufficient backup - Red Status Light"),
            panel.Warnings.end());
}

TEST_F(PSUTest, WarningsMatchTheNetworkLightWhenADeviceGetsWorse) {
  // A reader chained behind another, its own load carried by a supply until
  // the supply goes: then the first reader's cable carries both and it drops
  // too low. The network light turns Red, and so do the warnings.
  TVududa& first = Place(D1);
  TVududa& second = Place(D1);
  ASSERT_TRUE(Drop(first, Net(0)));
  ASSERT_TRUE(Drop(second, first));
  // 300 m at 0.1 ohm per metre: 30 ohms. Carrying its own 25 mA it drops
  // 0.75 V; carrying the second reader's 105 mA too, 3.9 V: 9.7 V is too low.
  first.SetCableLength(300);
  second.SetAttachedLoad({80, 80});
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(second, psu));
  SetUp(first);
  SetUp(second);
  EXPECT_EQ(first.Status, Green);
  EXPECT_EQ(Net(0).Status, Green);
  psu.DeleteDevice();
  EXPECT_EQ(first.Status, Red);
  EXPECT_EQ(Net(0).Status, Red);
  EXPECT_NE(std::find(panel.Warnings.begin(), panel.Warnings.end(), "Devices with low voltage - Red Status Light"),
            panel.Warnings.end());
  // Moving the low device off behind a device of another network clears the first network's light.
  TVududa& host2 = Place(D1);
  ASSERT_TRUE(Drop(host2, Net(1)));
  SetUp(host2);
  ASSERT_TRUE(Drop(first, host2));
  EXPECT_EQ(Net(0).Status, Green);
}

TEST_F(PSUTest, GradeThreeToTwoClearsACFailEverywhereAndReevaluatesEveryDevice) {
  TPSU& psu = PlacePSU();
  panel.SetACFailSignalled(true);
  EXPECT_TRUE(psu.Module.ACFailSignalled);
  TVududa& keypad = Place(3);  // K8 Plus, grade 3
  ASSERT_TRUE(Drop(keypad, Net(4)));
  SetUp(keypad);
  auto pir = MakeEntry(1, "Lumen PIR");
  host.onSetUp = [&](TNetDevice&, TLoadLines& lines) {
    lines = {{LoadListLine(*pir), pir}};
    return true;
  };
  keypad.DoubleClickAction();
  EXPECT_EQ(keypad.Status, Yellow);
  EXPECT_EQ(Net(4).Status, Yellow);
  panel.SetGrade(2);
  EXPECT_FALSE(panel.ACFailSignalled);
  EXPECT_FALSE(psu.Module.ACFailSignalled);
  EXPECT_EQ(psu.Module.GetGrade(), 2);
  EXPECT_EQ(keypad.Status, Green);
  EXPECT_EQ(Net(4).Status, Green);
  EXPECT_EQ(panel.LowestNetworkGrade, 2);
}

TEST_F(PSUTest, ReportOfAnUnusedSupplyAndOfOneWithIssues) {
  TPSU& psu = PlacePSU();
  TStringList lines;
  psu.WriteReport(lines);
  EXPECT_EQ(lines.back(), "** This PSU is not being used **");
  EXPECT_EQ(lines[1], "Orvane PSU10 :: Grade 3 System");

  TVududa& keypad = Place(D1);
  ASSERT_TRUE(Drop(keypad, psu));
  lines.clear();
  psu.WriteReport(lines);
  // No battery: no rated output and no backup; a block of issues, then the
  // device under the supply.
  const auto start = std::find(lines.begin(), lines.end(),
                               "** There be may some issues with this PSU which may affect downstream devices **");
  ASSERT_NE(start, lines.end());
  EXPECT_EQ(*(start - 1), "");
  EXPECT_EQ(*(start + 1), "** No battery selected for power supply **");
  EXPECT_EQ(*(start + 2), "** Load current exceeds continuous rated output **");
  EXPECT_EQ(*(start + 3), "** PSU may not have sufficient backup **");
  EXPECT_EQ(*(start + 4), "");
  EXPECT_EQ(*(start + 5), "");
  EXPECT_EQ(*(start + 6), "    Name: Not Defined - Orvane D1");
}

}  // namespace
}  // namespace voltaris::testing
