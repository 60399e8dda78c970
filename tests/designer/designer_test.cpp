#include <limits>

#include "designer_fixture.h"
#include "model/advice.h"
#include "storage/settings_store.h"

namespace voltaris::testing {
namespace {

enum Tools { K4 = 0, K8Plus = 3, D1 = 5, E8 = 9 };

TEST_F(DesignerTest, StartUpWithoutAnIndexAsksForANewProjectAndCancellingEndsTheProgram) {
  designer.Session().StartUp();
  EXPECT_EQ(host.newFileShown, 1);
  EXPECT_EQ(host.systemFilesShown, 0);
  EXPECT_TRUE(host.closed);
  EXPECT_FALSE(designer.ProjectOpen);
}

TEST_F(DesignerTest, StartUpWithAnIndexOffersTheProjectsAndItsNewButtonLeadsToNew) {
  dir.Write("Data/Accounts.db", "Orvane 200;Shop;Unit 4;01/02/2027\r\n");
  host.onSystemFiles = [](TSystemFilesPresenter& dialog) { dialog.New(); };
  host.onNewFile = Answer("Orvane 200", 2, "Office", "Unit 9");
  designer.Session().StartUp();
  EXPECT_EQ(host.systemFilesShown, 1);
  EXPECT_EQ(host.newFileShown, 1);
  EXPECT_TRUE(designer.ProjectOpen);
  EXPECT_EQ(designer.Session().FileName, "Office");
  EXPECT_FALSE(host.closed);
}

TEST_F(DesignerTest, NewSetsUpThePanelItsNetworksAndTheDefaults) {
  New("Orvane 700", 3);
  const TControlPanel& panel = *designer.ControlPanel();
  EXPECT_EQ(panel.PanelType, 13);
  EXPECT_EQ(panel.GetGrade(), 3);
  EXPECT_EQ(panel.OwnQuiescent, 160);
  EXPECT_EQ(panel.Name, "Orvane 700");
  ASSERT_EQ(panel.Networks.size(), 8u);
  EXPECT_EQ(Net(1).Top(), 575);
  EXPECT_EQ(Net(7).Name(), "Network8");
  EXPECT_EQ(designer.CanvasControl().NetworkAnchors(), (std::vector<int>{0, 900, 1350, 1800, 2250, 2700, 3150, 3600}));
  EXPECT_TRUE(designer.CanvasControl().NetLabelVisible()[7]);
  // The store is empty: the built-in defaults.
  EXPECT_EQ(designer.Context().Settings, (TSettings{1, 15, 10, 0.1, 1.0, true}));
  EXPECT_EQ(panel.Standard, 1);
  EXPECT_EQ(panel.AlarmPeriod, 15);
  EXPECT_EQ(panel.RequiredStandby, 24);
  EXPECT_TRUE(designer.Session().PendingIndexEntry);
  EXPECT_FALSE(designer.Session().Modified());
  EXPECT_EQ(designer.Session().Caption,
            ProjectCaption("Unit 4"));  // the new project's name from the start  // New leaves the caption
  EXPECT_EQ(designer.StatusText, "Select Component From Toolbar");
  EXPECT_EQ(designer.SummaryPanel().Summary.Panel, " Orvane 700");
  EXPECT_EQ(designer.SummaryPanel().Summary.BatteryItems, (TStringList{"7.2 Ah", "17.0 Ah", "18.0 Ah"}));
  EXPECT_EQ(designer.SummaryPanel().Summary.RatedOP.Text, "Select Battery");
  EXPECT_TRUE(designer.OptionsEnabled && designer.ArrangeEnabled && designer.ReportEnabled);
  // The clone menu of an eight-network panel.
  EXPECT_TRUE(designer.CanvasControl().CloneToVisible());
  EXPECT_FALSE(designer.CanvasControl().CloneItemEnabled()[0]);
  EXPECT_TRUE(designer.CanvasControl().CloneItemEnabled()[7]);
}

TEST_F(DesignerTest, SummaryTextsAtTheirBoundaries) {
  New("Orvane 400", 3);  // 2.0 A output, 750 mA charging: 1.25 A peak
  TControlPanel& panel = *designer.ControlPanel();
  designer.SummaryPanel().ChooseBattery(0);  // 7.2 Ah
  EXPECT_EQ(designer.SummaryPanel().Summary.PSU.Text, "2.00 Amps");
  EXPECT_EQ(designer.SummaryPanel().Summary.BattCurrent.Text, "750 mA");
  EXPECT_EQ(designer.SummaryPanel().Summary.PeakCurrent.Text, "1.25 Amps");
  EXPECT_EQ(designer.SummaryPanel().Summary.StandBy.Text, "24 Hours");
  EXPECT_EQ(designer.SummaryPanel().Summary.RatedOP.Text, "300 mA");  // 7.2 Ah / 24 h
  panel.SetExtraQuiescent(1000 - 70);
  designer.SummaryPanel().UpdateSummary();
  EXPECT_EQ(designer.SummaryPanel().Summary.QLoad.Text, "1000 mA");
  EXPECT_EQ(designer.SummaryPanel().Summary.QLoad.Colour, ColourRed);  // above the 300 mA rated output
  panel.SetExtraQuiescent(1001 - 70);
  designer.SummaryPanel().UpdateSummary();
  EXPECT_EQ(designer.SummaryPanel().Summary.QLoad.Text, "1.00 Amps");
  EXPECT_EQ(designer.SummaryPanel().Summary.ActStandby.Colour, ColourRed);

  New("Orvane 300 Metal", 3);  // 1.5 A output, 750 mA charging: exactly 0.75 A
  designer.SummaryPanel().ChooseBattery(2);  // 18 Ah over 60 h: 0.30 A
  EXPECT_EQ(designer.SummaryPanel().Summary.PeakCurrent.Text, "750 mA");
  EXPECT_EQ(designer.SummaryPanel().Summary.AlmLoad.Text, "95 mA");
  EXPECT_EQ(designer.SummaryPanel().Summary.AlmLoad.Colour, ColourGreen);

  New("Orvane 100", 2);  // 1.0 A output, 120 mA charging: 0.88 A
  designer.SummaryPanel().ChooseBattery(0);
  EXPECT_EQ(designer.SummaryPanel().Summary.PeakCurrent.Text, "880 mA");
  EXPECT_EQ(designer.SummaryPanel().Summary.ActStandby.Text, "143.50 Hrs");  // (7.2 - 0.05 A x 0.5 h) / 50 mA
  EXPECT_EQ(designer.SummaryPanel().Summary.ActStandby.Colour, ColourGreen);
}

TEST_F(DesignerTest, GradeACFailAndDegradationChoices) {
  New("Orvane 500", 2);
  EXPECT_FALSE(designer.SummaryPanel().Summary.ACFailEnabled);
  designer.SummaryPanel().ChooseGrade(2);
  EXPECT_TRUE(designer.SummaryPanel().Summary.ACFailEnabled);
  designer.SummaryPanel().ClickACFail(true);
  EXPECT_TRUE(designer.ControlPanel()->ACFailSignalled);
  EXPECT_EQ(designer.SummaryPanel().Summary.StandBy.Text, "12 Hours");  // PD6662 with AC fail signalled
  designer.SummaryPanel().ChooseGrade(1);
  EXPECT_FALSE(designer.SummaryPanel().Summary.ACFailEnabled);
  EXPECT_FALSE(designer.SummaryPanel().Summary.ACFailChecked);
  designer.SummaryPanel().ChooseDegradation(2);
  EXPECT_EQ(designer.Context().Settings.BatteryFactor, 0.8);
  EXPECT_EQ(designer.ControlPanel()->BatteryFactor, 0.8);
  EXPECT_EQ(designer.SummaryPanel().Summary.DegradeIndex, 2);
  EXPECT_EQ(designer.SummaryPanel().Summary.DegradeText, "20");
  EXPECT_TRUE(designer.Session().Modified());
}

TEST_F(DesignerTest, ToolbarFollowsModelAndGrade) {
  New("Orvane 200", 2);
  EXPECT_TRUE(designer.ToolButtonVisible[K4]);
  EXPECT_TRUE(designer.ToolButtonVisible[12]);    // the WX of the Orvane 100 and 200
  EXPECT_FALSE(designer.ToolButtonVisible[13]);
  EXPECT_TRUE(designer.ToolButtonVisible[TDesigner::PSUButton]);
  designer.SummaryPanel().ChooseGrade(1);  // an Orvane 200 goes up to grade 2 only; the list has two grades
  designer.SummaryPanel().ChooseGrade(2);  // not offered: nothing happens
  EXPECT_EQ(designer.ControlPanel()->GetGrade(), 2);
  New("Orvane 500", 3);
  EXPECT_FALSE(designer.ToolButtonVisible[K4]);    // grade 2 keypads
  EXPECT_FALSE(designer.ToolButtonVisible[18]);    // a grade 2 receiver
  EXPECT_TRUE(designer.ToolButtonVisible[15]);
  EXPECT_FALSE(designer.ToolButtonVisible[14]);
  EXPECT_TRUE(designer.ToolButtonVisible[TDesigner::PSUButton]);
}

TEST_F(DesignerTest, PlacingFollowsTheChosenButton) {
  New("Orvane 200", 2);
  designer.CanvasControl().ChooseDevice(K4);
  EXPECT_EQ(designer.StatusText, "Place Orvane K4");
  EXPECT_TRUE(designer.CanvasControl().HandCursor());
  designer.MarkSaved(designer.ProjectImage());
  designer.CanvasControl().CanvasPress(300, 200);
  ASSERT_EQ(designer.Canvas().Tiles().size(), 2u);
  auto& keypad = dynamic_cast<TVududa&>(*designer.Canvas().Tiles().back());
  EXPECT_EQ(keypad.Left(), 268);
  EXPECT_EQ(keypad.Top(), 168);
  EXPECT_EQ(designer.CanvasControl().SelectedTool(), -1);
  EXPECT_FALSE(designer.CanvasControl().HandCursor());
  EXPECT_TRUE(designer.Session().Modified());
  designer.CanvasControl().CanvasPress(400, 200);  // the mode stays, but there is no tool any more
  EXPECT_EQ(designer.Canvas().Tiles().size(), 2u);

  // Supplies until a device button is chosen.
  designer.CanvasControl().ChoosePSU();
  designer.CanvasControl().CanvasPress(600, 100);
  designer.CanvasControl().CanvasPress(600, 300);
  EXPECT_EQ(designer.ControlPanel()->PSUs.size(), 2u);
  designer.CanvasControl().ChooseDevice(K4);
  designer.CanvasControl().CanvasPress(500, 500);
  designer.CanvasControl().CanvasPress(500, 700);
  EXPECT_EQ(designer.Canvas().Tiles().size(), 5u);

  // Dragging onto the network wires the keypad; a drop on the background moves it.
  EXPECT_TRUE(Drag(keypad, Net(0)));
  EXPECT_EQ(keypad.Network, &Net(0));
  designer.MarkSaved(designer.ProjectImage());
  designer.CanvasControl().Drop(nullptr, keypad, 200, 100);
  EXPECT_EQ(keypad.Left(), 168);
  EXPECT_TRUE(designer.Session().Modified());
}

TEST_F(DesignerTest, SnapAndTidyUp) {
  New("Orvane 600", 2);
  designer.CanvasControl().ToggleSnapToGrid();
  TVududa& snapped = Place(D1, 44, 44);
  EXPECT_EQ(snapped.Left(), 30);
  EXPECT_EQ(snapped.Top(), 30);
  TVududa& next = Place(D1, 45, 45);
  EXPECT_EQ(next.Left(), 60);
  designer.CanvasControl().ToggleSnapToGrid();
  TVududa& loose = Place(D1, 10, 10);
  EXPECT_EQ(loose.Left(), 0);
  loose.SetBounds(44, 75, 64, 64);
  TPSU& psu = PlaceSupply(700, 300);
  psu.SetBounds(44, 75, 64, 64);
  designer.CanvasControl().PSURightClick(psu);
  designer.CanvasControl().CloneTo(1);
  auto& clone = dynamic_cast<TPSUClone&>(*designer.Canvas().Tiles().back());
  clone.SetBounds(44, 75, 64, 64);
  designer.CanvasControl().TidyUp();
  EXPECT_EQ(loose.Left(), 30);
  EXPECT_EQ(loose.Top(), 90);
  EXPECT_EQ(psu.Left(), 30);
  EXPECT_EQ(clone.Left(), 44);  // clones stay
  EXPECT_EQ(clone.Top(), 75);
  EXPECT_EQ(Net(1).Top(), 575);  // networks stay
  EXPECT_FALSE(designer.Canvas().SnapToGrid);
}

TEST_F(DesignerTest, CloneToPlacesTheCloneAtTheSupplysWindowPositionInTheOtherSection) {
  New("Orvane 700", 3);
  TPSU& psu = PlaceSupply(432, 232);  // at (400, 200) while network 1 is in view
  designer.CanvasControl().SetViewHeight(400);
  psu.MouseDown(TMouseButton::Right, {}, false);
  EXPECT_EQ(designer.CanvasControl().SelectedDevice(), &psu);
  // The menu opens just below the supply's tile, wherever the canvas is scrolled.
  EXPECT_EQ(host.menuX, 400);
  EXPECT_EQ(host.menuY, 200 + psu.Height() + 256);
  designer.CanvasControl().CloneTo(2);
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), 1350 + 1 - 400);
  auto& clone = dynamic_cast<TPSUClone&>(*designer.Canvas().Tiles().back());
  EXPECT_EQ(clone.Left(), 400);
  EXPECT_EQ(clone.Top(), 200 + designer.CanvasControl().ScrollTop());
  EXPECT_EQ(clone.Master, &psu);
  EXPECT_FALSE(designer.CanvasControl().CloneItemEnabled()[2]);
  EXPECT_TRUE(designer.CanvasControl().CloneItemEnabled()[0]);
  EXPECT_EQ(designer.ControlPanel()->CurrentNetwork, 2);
  // The network in view cannot be chosen.
  designer.CanvasControl().CloneTo(2);
  EXPECT_EQ(psu.Clones.size(), 1u);
  // A supply deleted after its right click leaves nothing to clone.
  psu.DeleteDevice();
  EXPECT_EQ(designer.CanvasControl().SelectedDevice(), nullptr);
  designer.CanvasControl().CloneTo(4);
}

TEST_F(DesignerTest, AnOrvane600OffersCloningToItsSecondNetworkOnly) {
  New("Orvane 600", 2);
  EXPECT_TRUE(designer.CanvasControl().CloneToVisible());
  EXPECT_TRUE(designer.CanvasControl().CloneItemVisible()[1]);
  EXPECT_FALSE(designer.CanvasControl().CloneItemVisible()[2]);
  New("Orvane 500", 2);
  EXPECT_FALSE(designer.CanvasControl().CloneToVisible());
  designer.CanvasControl().ShowNetwork(0);
}

TEST_F(DesignerTest, ShowNetworkScrollsEachSectionToTheTopOfTheView) {
  New("Orvane 700", 3);
  designer.CanvasControl().ShowNetwork(4);
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), 2250 + 1 - 400);
  EXPECT_EQ(Net(4).Top() - designer.CanvasControl().ScrollTop(), 74);  // the block near the top of the view
  designer.CanvasControl().ShowNetwork(0);
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), 0);
  designer.CanvasControl().ShowNetwork(9);  // no such network: nothing happens
  EXPECT_EQ(designer.CanvasControl().ScrollTop(), 0);
}

TEST_F(DesignerTest, OptionsReachThePanelAndRedrawCableLabelsOnlyWhenTheirSettingChanged) {
  New("Orvane 200", 2);
  TVududa& keypad = Place(K4, 300, 200);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  EXPECT_EQ(keypad.ParentWire->Label, "10m");
  int shown = 0;
  host.onOptions = [&](TOptionsPresenter& dialog) {
    ++shown;
    dialog.SetStandardIndex(0);
    dialog.SetAlarmPeriod(20);
    dialog.SetImpedance(25);
    dialog.SetShowLength(false);
    dialog.ChooseDegrade(3);
    return true;
  };
  designer.Options();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(designer.Context().Settings.CableImpedance, 0.25);
  EXPECT_EQ(designer.ControlPanel()->Standard, 0);
  EXPECT_EQ(designer.ControlPanel()->AlarmPeriod, 20);
  EXPECT_EQ(designer.ControlPanel()->BatteryFactor, 0.7);
  EXPECT_TRUE(keypad.ParentWire->Label.empty());
  EXPECT_EQ(keypad.Impedance, 0.1);  // existing devices keep theirs
  EXPECT_FALSE(designer.ShowLengthChanged);
  EXPECT_TRUE(store.Get(SettingsKey, "Alarm Period") == nullptr);  // not set as defaults

  designer.Context().Settings.ShowLength = true;  // behind the dialog's back: only a change made in it redraws
  host.onOptions = [](TOptionsPresenter&) { return true; };
  designer.Options();
  EXPECT_TRUE(keypad.ParentWire->Label.empty());
}

TEST_F(DesignerTest, ReportWindowGetsTheReportWithCaptionAndSaveLocation) {
  New("Orvane 200", 2, "Shop", "Unit 4");
  designer.Report();
  EXPECT_EQ(host.reportCaption, "Stystem Report :- Unit 4");
  EXPECT_EQ(host.reportDirectory, dir.Path() + "/Data/");
  EXPECT_EQ(host.reportFileName, "Shop");
  EXPECT_EQ(host.reportText.substr(0, 47), "System Report for Unit 4 - Created 01/02/2027\r\n");
  EXPECT_NE(host.reportText.find("Network1 - not used\r\n"), std::string::npos);
}

// The report window shows the system report as it is, then the advice. A new
// Orvane 200 has no battery yet: its own 50 mA over 12 h and the alarm
// reserve of 15 minutes, twice, need 0.6 + 0.025 Ah, and its 7.2 Ah is enough.
TEST_F(DesignerTest, TheReportIsFollowedByTheDesignAdvice) {
  New("Orvane 200", 2, "Shop", "Unit 4");
  designer.Report();
  TStringList report;
  designer.ControlPanel()->WriteSystemReport(report, "Unit 4", "01/02/2027");
  const std::string specified = JoinLines(report);
  ASSERT_EQ(host.reportText.substr(0, specified.size()), specified);
  EXPECT_EQ(host.reportText.substr(specified.size()),
            "\r\nDesign Advice\r\nOrvane 200: no battery chosen: fit at least 0.63 Ah, the 7.2 Ah battery is enough\r\n"
            "\r\nChecks Beyond the Light (battery at 12.00 V on mains failure)\r\n"
            "Orvane 200: no battery, no recharge time\r\n");

  designer.SummaryPanel().ChooseBattery(0);
  designer.Report();
  const std::string allGreen = "Design Advice\r\nEvery power source and device is Green: nothing needs changing\r\n";
  EXPECT_NE(host.reportText.find(allGreen), std::string::npos);
  EXPECT_NE(host.reportText.find("Orvane 200: recharges to 80% in 48.00 h, limit 72 h: pass\r\n"), std::string::npos);
}

TEST_F(DesignerTest, ExitAndTheCloseBoxAskAboutUnsavedChanges) {
  New("Orvane 200", 2);
  EXPECT_TRUE(designer.Session().ExitProgram());  // nothing changed: no question
  EXPECT_TRUE(host.saveQuestions.empty());
  EXPECT_TRUE(host.closed);

  host.closed = false;
  New("Orvane 200", 2, "Shop2");
  Place(K4, 300, 300);
  host.saveAnswer = TAnswer::Cancel;
  EXPECT_FALSE(designer.Session().ExitProgram());
  EXPECT_FALSE(host.closed);
  EXPECT_EQ(host.saveQuestions.back(), "Do you want to save Shop2");
  EXPECT_EQ(designer.Canvas().Tiles().size(), 2u);
  EXPECT_FALSE(designer.Session().CloseRequested());
  host.saveAnswer = TAnswer::Yes;
  EXPECT_TRUE(designer.Session().CloseRequested());
  EXPECT_TRUE(std::filesystem::exists(DataFile("Shop2.dat")));
}

// Defaults the store gives out of the ranges Options allows (a store edited
// by hand, or damaged) never reach a project: each goes back to the usual
// default, the user is told once, and the store is left as it is.
TEST_F(DesignerTest, NewPutsDefaultsOutOfRangeBackAndSaysSoOnce) {
  TSettings wild{
      7, -5, 2147483647, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), false};
  WriteDefaults(store, wild);
  New("Orvane 700", 3);
  EXPECT_EQ(designer.Context().Settings, (TSettings{1, 15, 10, 0.1, 1.0, false}));
  EXPECT_EQ(designer.ControlPanel()->AlarmPeriod, 15);
  EXPECT_EQ(designer.ControlPanel()->Standard, 1);
  ASSERT_EQ(host.warnings.size(), 1u);
  EXPECT_EQ(host.warnings[0],
            "The defaults kept for new projects hold system standard 7, an alarm period of -5 minutes, a cable run "
            "of 2147483647 metres, a cable impedance that is not a number and a battery degradation that is not a "
            "number, out of the range Options allows. This project uses the usual PD6662, 15 minutes, 10 metres, "
            "10 ohms per 100 m and 0% instead. Options > Set as Defaults keeps new ones.");
  host.saveAnswer = TAnswer::No;
  New("Orvane 700", 3, "Other");
  EXPECT_EQ(host.warnings.size(), 1u);
  TSettings stored;
  ReadDefaults(store, stored);
  EXPECT_EQ(stored.AlarmPeriod, -5);

  // Within the ranges, at their ends: taken as they are.
  WriteDefaults(store, TSettings{0, 120, 2000, 0.5, 0.7, true});
  New("Orvane 700", 3, "Third");
  EXPECT_EQ(designer.Context().Settings, (TSettings{0, 120, 2000, 0.5, 0.7, true}));
  EXPECT_EQ(host.warnings.size(), 1u);
}

TEST_F(DesignerTest, NewAnsweredNoLetsTheChangesGo) {
  New("Orvane 200", 2);
  Place(K4, 300, 300);
  host.saveAnswer = TAnswer::No;
  New("Orvane 250", 2, "Other");
  EXPECT_EQ(host.saveQuestions.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(DataFile("Shop.dat")));
  EXPECT_EQ(designer.ControlPanel()->PanelType, 7);
}

TEST_F(DesignerTest, CancellingNewWithAProjectOpenKeepsIt) {
  New("Orvane 200", 2);
  TVududa& keypad = Place(K4, 300, 300);
  designer.Session().NewProject();  // the scripted dialog cancels
  EXPECT_FALSE(host.closed);
  EXPECT_EQ(designer.Session().FileName, "Shop");
  EXPECT_EQ(designer.Canvas().Tiles().back().get(), &keypad);
}

TEST_F(DesignerTest, AFailingSettingsStoreStopsNewBeforeTheOpenProjectIsTouched) {
  New("Orvane 200", 2);
  Place(K4, 300, 300);
  store.Put(SettingsKey, "Alarm Period", TBytes{1, 2});  // a value of the wrong kind
  host.onNewFile = Answer("Orvane 700", 3, "Other", "Site");
  EXPECT_THROW(designer.Session().NewProject(), SettingsStoreError);
  EXPECT_EQ(designer.Session().FileName, "Shop");
  EXPECT_EQ(designer.Canvas().Tiles().size(), 2u);
}

// A keypad 444 m out: 13.6 - 0.045 A x 44.4 ohm = 11.60 V in alarm, Green;
// on a 12.0 V battery 10.00 V, below its 10.5 V. The summary's line says so
// and a click on it points at the keypad; at 13.6 V on battery it goes.
TEST_F(DesignerTest, TheChecksBeyondTheLightHaveALineUnderTheWarnings) {
  New("Orvane 200", 2);
  designer.SummaryPanel().ChooseBattery(0);
  EXPECT_EQ(designer.SummaryPanel().Checks, "");
  TVududa& keypad = Place(K4, 300, 200);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  host.onSetUp = [](TNetDevice& device, TLoadLines&) {
    device.SetCableLength(444);
    return true;
  };
  designer.CanvasControl().SetUpTile(keypad);
  TVududa& shown = dynamic_cast<TVududa&>(*designer.Canvas().Tiles().back());
  ASSERT_NEAR(shown.AlarmVolts, 11.602, 1e-9);
  EXPECT_EQ(shown.Status, Green);
  EXPECT_EQ(designer.SummaryPanel().Checks, "Checks beyond the light: 1 device below its minimum on battery");
  ASSERT_EQ(designer.SummaryPanel().ChecksTiles,
            std::vector<int32_t>{static_cast<int32_t>(designer.Canvas().Tiles().size()) - 1});
  designer.CanvasControl().Select(nullptr);
  designer.CanvasControl().PointAtChecks(designer.SummaryPanel().ChecksTiles);
  EXPECT_EQ(designer.CanvasControl().SelectedTile(), &shown);
  // Undo and Load show the same line.
  designer.Undo();
  EXPECT_EQ(designer.SummaryPanel().Checks, "");
  designer.Redo();
  EXPECT_EQ(designer.SummaryPanel().Checks, "Checks beyond the light: 1 device below its minimum on battery");
  designer.RunCommand("Options", [this] { designer.Context().BatteryVolts = 13.6; });
  EXPECT_EQ(designer.SummaryPanel().Checks, "");
  EXPECT_TRUE(designer.SummaryPanel().ChecksTiles.empty());
}

// A supply whose 17.0 Ah battery was fitted at grade 2 charges at 300 mA and
// keeps it when the grade is raised to 3: 0.8 x 17000 / 300 = 45.33 h, beyond
// grade 3's 24 h. The charging current is kept through save and load, so the
// loaded project says the same as the window did.
TEST_F(DesignerTest, ASuppliesRechargeFollowsTheCurrentItChargesAtThroughSaveAndLoad) {
  New("Orvane 700", 2);
  TPSU& psu = PlaceSupply(700, 150);
  host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.SetBattery(1); };
  designer.CanvasControl().SetUpTile(psu);
  host.onEditLoadList = nullptr;
  designer.SummaryPanel().ChooseGrade(2);
  const auto supplyAdvice = [this] {
    for (const auto& tile : designer.Canvas().Tiles())
      if (auto* supply = dynamic_cast<TPSU*>(tile.get())) return WorkOutSourceAdvice(supply->Module, 0);
    return TSourceAdvice{};
  };
  ASSERT_EQ(designer.ControlPanel()->Grade, 3);
  EXPECT_NEAR(supplyAdvice().RechargeHours.value(), 0.8 * 17000 / 300, 1e-9);
  EXPECT_EQ(supplyAdvice().RechargeOk, false);
  EXPECT_NE(designer.SummaryPanel().Checks.find("Supply 1 recharges in 45.3 h (limit 24 h)"), std::string::npos);
  designer.Session().SaveProject();
  Load("Shop");
  EXPECT_NEAR(supplyAdvice().RechargeHours.value(), 0.8 * 17000 / 300, 1e-9);
  EXPECT_EQ(supplyAdvice().RechargeOk, false);
}

TEST_F(DesignerTest, UpdatePanelAndDevicesEditsThePanelsLoadList) {
  New("Orvane 200", 2);
  host.onEditLoadList = [](TPowerModule& module, TLoadLines& lines) {
    module.SetBattery(0);
    auto entry = std::make_shared<TDeviceData>(TDeviceData{3, 2, "Lumen PIR", 27, 27});
    lines.push_back({LoadListLine(*entry), entry});
    module.SetExtraQuiescent(27);
    module.SetExtraAlarm(27);
  };
  designer.SummaryPanel().UpdatePanelAndDevices();
  ASSERT_EQ(designer.SummaryPanel().AttachedDevices.size(), 1u);
  EXPECT_EQ(designer.SummaryPanel().AttachedDevices[0].Qty, "3");
  EXPECT_EQ(designer.SummaryPanel().AttachedDevices[0].Name, "Lumen PIR");
  EXPECT_EQ(designer.SummaryPanel().Summary.BatteryIndex, 0);
  EXPECT_EQ(designer.SummaryPanel().Summary.QLoad.Text, "77 mA");
  EXPECT_TRUE(designer.Session().Modified());
}

TEST_F(DesignerTest, ThePanelsListEditedInTheCalculatorReachesTheWarningsAndTheToolbar) {
  New("Orvane 500", 3);
  host.onEditLoadList = [](TPowerModule& module, TLoadLines& lines) {
    auto pir = std::make_shared<TDeviceData>(TDeviceData{1, 2, "Lumen PIR", 9, 9});  // a grade 2 detector
    lines.push_back({LoadListLine(*pir), pir});
    module.SetGrade(2);  // chosen in the dialog
    module.SetGrade(3);
  };
  designer.SummaryPanel().UpdatePanelAndDevices();
  EXPECT_EQ(designer.ControlPanel()->LowestDeviceGrade, 2);
  const TStringList& errors = designer.SummaryPanel().Errors;
  EXPECT_NE(std::find(errors.begin(), errors.end(), "Devices on panel are not to Grade 3"), errors.end());
  host.onEditLoadList = [](TPowerModule& module, TLoadLines&) { module.SetGrade(2); };
  designer.SummaryPanel().UpdatePanelAndDevices();
  EXPECT_TRUE(designer.ToolButtonVisible[18]);  // a grade 2 receiver, offered again at grade 2
}

TEST_F(DesignerTest, ASettingsStoreThatCannotTakeTheDefaultsStillLetsTheOptionsApply) {
  New("Orvane 200", 2);
  store.SetUnavailable(false);
  host.onOptions = [&](TOptionsPresenter& dialog) {
    dialog.SetAlarmPeriod(30);
    dialog.SetSetAsDefaults(true);
    store.SetUnavailable(true);  // the key opens for reading only, as for a user without rights
    return true;
  };
  designer.Options();
  EXPECT_EQ(designer.ControlPanel()->AlarmPeriod, 30);
}

TEST_F(DesignerTest, TileClicksMarkTheProjectModified) {
  New("Orvane 200", 2);
  TVududa& keypad = Place(K4, 300, 300);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  designer.Session().SaveProject();
  EXPECT_FALSE(designer.Session().Modified());
  EXPECT_EQ(designer.CanvasControl().TileMouseDown(keypad, TMouseButton::Left, {}, false), TMouseResult::BeginDrag);
  EXPECT_FALSE(designer.Session().Modified());
  designer.CanvasControl().TileMouseDown(keypad, TMouseButton::Left, {}, true);  // set up and confirmed
  EXPECT_TRUE(keypad.SetupConfirmed);
  EXPECT_TRUE(designer.Session().Modified());
  designer.Session().SaveProject();
  EXPECT_FALSE(designer.Session().Modified());
  EXPECT_EQ(designer.CanvasControl().TileMouseDown(keypad, TMouseButton::Left, {false, true, false}, false),
            TMouseResult::Deleted);
  EXPECT_TRUE(designer.Session().Modified());
  EXPECT_EQ(Net(0).Keypads, 0);
  // Undoing the delete brings back exactly what was saved.
  designer.Undo();
  EXPECT_FALSE(designer.Session().Modified());
}

}  // namespace
}  // namespace voltaris::testing
