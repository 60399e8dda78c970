// What the window tells a new user: which tiles take a dragged device and
// what the drop would do, the toolbar and tile hints, the tiles a warning is
// about and the device menu's commands.
#include "designer/guidance.h"

#include <algorithm>

#include "designer_fixture.h"
#include "model/system_checks.h"

namespace voltaris::testing {
namespace {

enum Tools { K4 = 0, K8 = 1, E8 = 9, WX2Loop = 15 };

class GuidanceTest : public DesignerTest {
 protected:
  TCanvasController& Control() { return designer.CanvasControl(); }
  std::vector<TDevice*> Targets(TDevice& source) { return Control().DropTargets(source); }
  static bool Has(const std::vector<TDevice*>& tiles, const TDevice& tile) {
    return std::find(tiles.begin(), tiles.end(), &tile) != tiles.end();
  }
  // The line of the live warning list that reads `text`.
  size_t Line(const std::string& text) {
    const TStringList& warnings = designer.ControlPanel()->Warnings;
    const auto found = std::find(warnings.begin(), warnings.end(), text);
    EXPECT_NE(found, warnings.end()) << text;
    return static_cast<size_t>(found - warnings.begin());
  }
};

TEST_F(GuidanceTest, ADraggedDeviceIsOfferedTheTargetsTheDropRulesAcceptAndEachDropIsNamed) {
  New("Orvane 700", 3);
  TVududa& hall = Place(K8, 300, 200);
  hall.SetLocation("Hall");
  TVududa& expander = Place(E8, 500, 200);
  TPSU& psu = PlaceSupply(700, 200);
  ASSERT_TRUE(Drag(hall, Net(0)));

  const std::vector<TDevice*> targets = Targets(expander);
  EXPECT_TRUE(Has(targets, Net(0)) && Has(targets, Net(1)) && Has(targets, hall) && Has(targets, psu));
  EXPECT_FALSE(Has(targets, expander));  // never onto itself
  for (TDevice* target : targets) EXPECT_TRUE(Control().DragOver(target, expander));
  EXPECT_EQ(DropHint(&Net(1), expander, true), "Wire to Network 2");
  EXPECT_EQ(DropHint(&hall, expander, true), "Chain behind Orvane K8 (Hall)");
  EXPECT_EQ(DropHint(&psu, expander, true), "Power from supply");
  EXPECT_EQ(DropHint(nullptr, expander, true), "Move Orvane E8 here");
  EXPECT_EQ(DropHint(&expander, expander, false), "Drop it elsewhere: a device is not wired behind itself");

  // Behind its own chain a device is refused, and the text says why.
  ASSERT_TRUE(Drag(expander, hall));
  EXPECT_FALSE(Has(Targets(hall), expander));
  EXPECT_EQ(DropHint(&expander, hall, false), "Not behind Orvane E8: it hangs behind the dragged device");
  // A supply takes no drop from another supply, nor a network or a device.
  TPSU& other = PlaceSupply(700, 350);
  EXPECT_TRUE(Targets(other).empty());
  EXPECT_EQ(DropHint(&psu, other, false), "Only a network device is powered from a supply");
  EXPECT_EQ(DropHint(&Net(0), other, false), "Only a network device is wired to Network 1");
}

TEST_F(GuidanceTest, AFullNetworkAndTheDevicesOnItRefuseAnotherKeypad) {
  New("Orvane 200", 2);  // six keypad places on its network
  std::vector<TVududa*> wired;
  for (int i = 0; i < 6; ++i) {
    wired.push_back(&Place(K8, 100 + 70 * i, 120));
    ASSERT_TRUE(Drag(*wired.back(), Net(0)));
  }
  TVududa& seventh = Place(K8, 300, 300);
  TVududa& loose = Place(K8, 400, 300);
  TPSU& psu = PlaceSupply(600, 300);
  const std::vector<TDevice*> targets = Targets(seventh);
  EXPECT_FALSE(Has(targets, Net(0)));
  for (TVududa* device : wired) EXPECT_FALSE(Has(targets, *device));
  EXPECT_TRUE(Has(targets, loose) && Has(targets, psu));  // off the network, no limit applies
  EXPECT_EQ(DropHint(&Net(0), seventh, false), "Network 1 has no place left for Orvane K8");
  EXPECT_EQ(DropHint(wired[0], seventh, false), "Network 1 has no place left for Orvane K8");
  // A device already on the network may move within it.
  EXPECT_TRUE(Has(Targets(*wired[5]), Net(0)));
}

TEST_F(GuidanceTest, ToolbarAndTileHintsNameTheDeviceWhatItTakesAndTheGestures) {
  EXPECT_EQ(ToolButtonHint(K4),
            "Orvane K4: takes 1 keypad place and no expander place on its network; own current 35 mA, "
            "45 mA in alarm. Click, then click the canvas to place it.");
  EXPECT_EQ(ToolButtonHint(WX2Loop).find("Orvane WX-2 Loop: takes no keypad place and 8 expander places on"), 0u);
  EXPECT_EQ(ToolButtonHint(-1), "");
  EXPECT_EQ(ToolButtonHint(NetDeviceTypeCount), "");

  New("Orvane 700", 3);
  EXPECT_EQ(NetworkCaption(Net(2)), "Network 3");
  EXPECT_EQ(TileGestureHint(Net(2)).substr(0, 10), "Network 3:");
  TVududa& keypad = Place(K4, 300, 200);
  EXPECT_EQ(NetworkCaption(keypad), "");
  const std::string device = TileGestureHint(keypad);
  for (const char* gesture : {"double-click sets up", "Ctrl-click deletes", "Alt-click detaches", "right-click"})
    EXPECT_NE(device.find(gesture), std::string::npos) << gesture;
  EXPECT_NE(TileGestureHint(PlaceSupply(600, 200)).find("right-click clones"), std::string::npos);

  // A click on a network while a device waits to be placed says how to place it.
  Control().ChooseDevice(K4);
  Control().TileMouseDown(Net(0), TMouseButton::Left, {}, false);
  ASSERT_FALSE(host.notices.empty());
  EXPECT_EQ(host.notices.back(),
            "Click an empty part of the canvas to place the Orvane K4, then drag it onto a network");
  EXPECT_EQ(Control().SelectedTool(), K4);  // still waiting
}

TEST_F(GuidanceTest, AWarningPointsAtTheTilesShowingItsLightAndClicksCycleThroughThem) {
  New("Orvane 700", 3);
  TVududa& first = Place(K4, 300, 200);
  TVududa& chained = Place(E8, 400, 200);
  TVududa& second = Place(K4, 500, 200);
  Place(K4, 600, 200);  // not on a network: no warning is about it
  ASSERT_TRUE(Drag(first, Net(0)));
  ASSERT_TRUE(Drag(second, Net(0)));
  ASSERT_TRUE(Drag(chained, first));
  const size_t blue = Line("Devices not set up - Blue Status Light");
  EXPECT_EQ(WarningTiles(*designer.ControlPanel(), blue), (std::vector<TDevice*>{&first, &chained, &second}));
  // The panel's own figures concern no tile; a line that is not there, none either.
  EXPECT_TRUE(WarningTiles(*designer.ControlPanel(), Line("No battery selected for panel")).empty());
  EXPECT_TRUE(WarningTiles(*designer.ControlPanel(), 99).empty());

  Control().SetViewHeight(300);
  Control().PointAtWarning(blue);
  EXPECT_EQ(Control().PointedTiles().size(), 3u);
  EXPECT_EQ(Control().SelectedTile(), &first);
  Control().PointAtWarning(blue);
  EXPECT_EQ(Control().SelectedTile(), &chained);
  Control().PointAtWarning(blue);
  Control().PointAtWarning(blue);
  EXPECT_EQ(Control().SelectedTile(), &first);  // round again
  // Another line starts at its first tile; a tile that goes leaves the list.
  Control().PointAtWarning(Line("No battery selected for panel"));
  EXPECT_TRUE(Control().PointedTiles().empty());
  Control().PointAtWarning(blue);
  chained.DeleteDevice();
  EXPECT_EQ(Control().PointedTiles(), (std::vector<TDevice*>{&first, &second}));
  // Clicking a tile ends the pointing.
  Control().TileMouseDown(second, TMouseButton::Left, {}, false);
  EXPECT_TRUE(Control().PointedTiles().empty());
}

TEST_F(GuidanceTest, ASupplyWarningPointsAtTheSuppliesOfItsLight) {
  New("Orvane 700", 3);
  TPSU& low = PlaceSupply(300, 200);
  PlaceSupply(500, 200);
  low.SetStatus(Red);  // short of backup for its load
  designer.ControlPanel()->BuildWarnings();
  EXPECT_EQ(WarningTiles(*designer.ControlPanel(), Line("PSU may have insufficient backup - Red Status Light")),
            std::vector<TDevice*>{&low});
}

TEST_F(GuidanceTest, TheWarningsAndTheLegendCoverTheSameLights) {
  for (const TSystemCheck& check : SystemChecks()) {
    if (check.About.Kind == TCheckSubject::Panel) continue;
    const auto legend = LightLegend();
    EXPECT_TRUE(std::any_of(legend.begin(), legend.end(), [&](const TLightMeaning& light) {
      return light.Status == check.About.Light;
    })) << check.Warning.Text;
    // A warning about devices or supplies names the light it points at.
    const auto named = std::find_if(legend.begin(), legend.end(),
                                    [&](const TLightMeaning& light) { return light.Status == check.About.Light; });
    EXPECT_NE(std::string(check.Warning.Text).find(std::string(named->Name) + " Status Light"), std::string::npos);
  }
}

TEST_F(GuidanceTest, TheDeviceMenuRunsTheGesturesCommandsAsUndoSteps) {
  New("Orvane 700", 3);
  TVududa& keypad = Place(K4, 300, 200);
  ASSERT_TRUE(Drag(keypad, Net(0)));
  int setUps = 0;
  host.onSetUp = [&](TNetDevice&, TLoadLines&) {
    ++setUps;
    return true;
  };
  Control().SetUpTile(keypad);
  EXPECT_EQ(setUps, 1);
  Control().DetachTile(keypad);
  EXPECT_EQ(keypad.NetParent, nullptr);
  EXPECT_EQ(designer.UndoText(), "Undo Detach Orvane K4");
  designer.Undo();
  TDevice& back = *designer.Canvas().Tiles().back();
  EXPECT_NE(back.AsNetDevice()->NetParent, nullptr);
  const size_t tiles = designer.Canvas().Tiles().size();
  Control().DeleteTile(back);
  EXPECT_EQ(designer.Canvas().Tiles().size(), tiles - 1);
  EXPECT_EQ(designer.UndoText(), "Undo Delete Orvane K4");
  // A network is neither detached nor deleted from the menu.
  Control().DeleteTile(Net(0));
  EXPECT_EQ(designer.Canvas().Tiles().size(), tiles - 1);
}

}  // namespace
}  // namespace voltaris::testing
