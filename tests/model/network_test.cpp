#include "design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, K8Plus = 3, D1 = 5, E8 = 9, E4S = 10, E8S = 11, Q16 = 16 };

class NetworkTest : public DesignTest {};

TEST_F(NetworkTest, NewPanelNetworksHaveTheirModelsLimitsAndLabels) {
  NewPanel(13, 3);  // Orvane 700: eight networks of the largest class
  ASSERT_EQ(panel.Networks.size(), 8u);
  TPanelNetwork& first = Net(0);
  EXPECT_STREQ(first.ClassName(), "TPanel500Network");
  EXPECT_EQ(first.MaxExpanders, 8);
  EXPECT_EQ(first.Width(), 120);
  EXPECT_EQ(first.Height(), 250);
  EXPECT_EQ(first.Network, &first);
  EXPECT_EQ(first.Status, Green);
  EXPECT_EQ(first.StatusImage(), "Green");
  EXPECT_EQ(first.Color(), ColourCream);
  EXPECT_EQ(first.Labels[TPanelNetwork::NameLabel].Text, "Network1");
  EXPECT_EQ(first.Labels[TPanelNetwork::KeypadsLabel].Text, "Keypads - 0 of Poss 8");
  EXPECT_FALSE(first.Labels[TPanelNetwork::CurrentLabel].Visible);
  EXPECT_EQ(Net(2).Top(), 1025);
  first.DoubleClickAction();
  EXPECT_TRUE(first.Labels[TPanelNetwork::CurrentLabel].Visible);
  first.DoubleClickAction();
  EXPECT_FALSE(first.Labels[TPanelNetwork::KeypadsLabel].Visible);
}

TEST_F(NetworkTest, Orvane200CountsPlacesAndRefusesWhatExceedsThem) {
  NewPanel(6, 2);  // one expander, six keypads
  TVududa& expander = Place(E8);
  ASSERT_TRUE(Drop(expander, Net(0)));
  EXPECT_EQ(Net(0).Expanders, 1);
  EXPECT_FALSE(Drop(Place(E8), Net(0)));
  // The same expander moved to another point of its own network is accepted.
  EXPECT_TRUE(Drop(expander, Net(0)));
  EXPECT_EQ(Net(0).Expanders, 1);
  EXPECT_EQ(Net(0).Children.size(), 1u);
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Drop(Place(K4), Net(0))) << i;
  EXPECT_EQ(Net(0).Keypads, 6);
  EXPECT_FALSE(Drop(Place(K4), Net(0)));
  EXPECT_EQ(Net(0).Labels[TPanelNetwork::KeypadsLabel].Text, "Keypads - 6 of Poss 6");
  EXPECT_EQ(Net(0).Labels[TPanelNetwork::ExpandersLabel].Text, "Expanders - 1 of Poss 1");
  // The labels follow the places as they are freed.
  expander.Detach();
  EXPECT_EQ(Net(0).Labels[TPanelNetwork::ExpandersLabel].Text, "Expanders - 0 of Poss 1");
}

TEST_F(NetworkTest, AChainIsAcceptedOrRefusedAsOne) {
  NewPanel(6, 2);
  TVududa& expander = Place(E8);
  TVududa& first = Place(K4);
  TVududa& second = Place(K4);
  ASSERT_TRUE(Drop(first, expander));  // a chain off any network
  ASSERT_TRUE(Drop(second, first));
  EXPECT_EQ(expander.Keypads, 2);
  EXPECT_EQ(expander.Expanders, 1);
  // Five keypads on the network leave room for one: the chain of two is refused whole.
  std::vector<TVududa*> keypads;
  for (int i = 0; i < 5; ++i) {
    keypads.push_back(&Place(K4));
    ASSERT_TRUE(Drop(*keypads.back(), Net(0)));
  }
  EXPECT_FALSE(Drop(expander, Net(0)));
  keypads.back()->DeleteDevice();
  ASSERT_TRUE(Drop(expander, Net(0)));
  EXPECT_EQ(Net(0).Keypads, 6);
  EXPECT_EQ(Net(0).Expanders, 1);
  EXPECT_EQ(second.Network, &Net(0));
  // Taking the chain's middle off subtracts it and what hangs behind it.
  first.Detach();
  EXPECT_EQ(Net(0).Keypads, 4);
  EXPECT_EQ(second.Network, nullptr);
}

TEST_F(NetworkTest, DragOverRefusesLoopsAndNonDevices) {
  NewPanel(6, 2);
  TVududa& a = Place(K4);
  TVududa& b = Place(K4);
  ASSERT_TRUE(Drop(b, a));
  EXPECT_FALSE(a.DragOverHandler(&a));
  EXPECT_FALSE(b.DragOverHandler(&a));  // a is upstream of b
  EXPECT_FALSE(Net(0).DragOverHandler(&Net(0)));
  TPSU& psu = PlacePSU();
  EXPECT_FALSE(Net(0).DragOverHandler(&psu));
  EXPECT_FALSE(a.DragOverHandler(&psu));
  // Even a drop forced past the drag check never wires a device behind its descendant.
  b.DragDropHandler(&a, 0, 0);
  EXPECT_EQ(a.NetParent, nullptr);
  EXPECT_EQ(b.NetParent, &a);
}

TEST_F(NetworkTest, TheWorstStatusOfTheTreeWins) {
  NewPanel(6, 2);
  TVududa& blue = Place(K4);
  TVududa& red = Place(D1);
  ASSERT_TRUE(Drop(blue, Net(0)));
  ASSERT_TRUE(Drop(red, Net(0)));
  red.SetCableLength(2000);  // 25 mA over 200 ohms drops 5 V: far too little
  SetUp(red);
  EXPECT_EQ(red.Status, Red);
  EXPECT_EQ(blue.Status, Blue);
  EXPECT_EQ(Net(0).Status, Blue);
  EXPECT_EQ(Net(0).StatusSet, StatusBit(Green) | StatusBit(Blue) | StatusBit(Red));
  SetUp(blue);
  EXPECT_EQ(blue.Status, Green);
  EXPECT_EQ(Net(0).Status, Red);
  red.SetCableLength(10);
  EXPECT_EQ(Net(0).Status, Green);
}

TEST_F(NetworkTest, DevicesWithTheirOwnSupplyCountPlacesAndStatusButNoCurrent) {
  NewPanel(6, 2);
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{35, 45}));
  EXPECT_EQ(panel.NetworkQuiescent, 35);
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(keypad, psu));
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{0, 0}));
  EXPECT_EQ(panel.NetworkQuiescent, 0);
  EXPECT_EQ(Net(0).Keypads, 1);
  EXPECT_TRUE(HasStatus(Net(0).StatusSet, Blue));
  EXPECT_EQ(Net(0).Labels[TPanelNetwork::CurrentLabel].Text, "Current = 0 mA");
}

TEST_F(NetworkTest, SettingTheSameTotalsAgainDoesNotRecalculateThePanel) {
  NewPanel(6, 2);
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  const int events = loadEvents;
  Net(0).SetDownstreamLoad(Net(0).DownstreamLoad);
  EXPECT_EQ(loadEvents, events);
  panel.RecalcNetworkLoad();  // but an explicit recalculation always runs
  EXPECT_EQ(loadEvents, events + 1);
}

TEST_F(NetworkTest, ReportListsUsedNetworksAndNamesUnusedOnes) {
  NewPanel(12, 2);  // Orvane 600, two networks
  TVududa& keypad = Place(D1);
  keypad.Location = "Front door";
  ASSERT_TRUE(Drop(keypad, Net(0)));
  TStringList lines;
  Net(0).WriteReport(lines);
  Net(1).WriteReport(lines);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "Network1");
  EXPECT_EQ(lines[2], "1 Keypads and 0 Expanders fitted");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "    Name: Front door - Orvane D1");
  EXPECT_EQ(lines.back(), "Network2 - not used");
}

TEST_F(NetworkTest, ANetworkHoldingOnlyPlacelessDevicesIsStillReportedAsUsed) {
  NewPanel(9, 2);
  TVududa& outputs = Place(Q16);  // takes no keypad or expander place
  ASSERT_TRUE(Drop(outputs, Net(0)));
  TStringList lines;
  Net(0).WriteReport(lines);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[2], "0 Keypads and 0 Expanders fitted");
  EXPECT_EQ(lines[4], "    Name: Not Defined - Orvane Q16");
}

TEST_F(NetworkTest, ClickRules) {
  NewPanel(6, 2);
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_EQ(Net(0).MouseDown(TMouseButton::Left, {false, true, false}, false), TMouseResult::Nothing);
  EXPECT_EQ(canvas.Tiles().size(), 2u);
  EXPECT_EQ(keypad.MouseDown(TMouseButton::Left, {}, false), TMouseResult::BeginDrag);
  EXPECT_EQ(keypad.MouseDown(TMouseButton::Left, {true, false, false}, false), TMouseResult::Nothing);
  EXPECT_EQ(keypad.Network, nullptr);  // Alt detaches
  EXPECT_EQ(Net(0).Keypads, 0);
  int rightClicks = 0;
  TShiftState heard;
  TSlot<TDevice, TShiftState> rightClick([&](TDevice&, const TShiftState& shift) {
    ++rightClicks;
    heard = shift;
  });
  keypad.OnRightClick.Attach(rightClick);
  keypad.MouseDown(TMouseButton::Right, {true, true, false}, false);
  EXPECT_EQ(rightClicks, 1);
  EXPECT_TRUE(heard.Alt && heard.Ctrl && !heard.Shift);
  EXPECT_EQ(keypad.MouseDown(TMouseButton::Left, {false, true, false}, false), TMouseResult::Deleted);
  EXPECT_EQ(canvas.Tiles().size(), 1u);
}

TEST_F(NetworkTest, StatusCodesWithoutALightKeepTheLight) {
  NewPanel(6, 2);
  TVududa& keypad = Place(K4);
  keypad.TDevice::SetStatus(7);
  EXPECT_EQ(keypad.Status, 7);
  EXPECT_EQ(keypad.StatusImage(), "Blue");
  keypad.TDevice::SetStatus(Green);
  keypad.TDevice::SetStatus(132);  // low seven bits: Blue
  EXPECT_EQ(keypad.StatusImage(), "Blue");
}

TEST_F(NetworkTest, SnapPutsTheCornerOnTheNearestGridPoint) {
  NewPanel(6, 2);
  TVududa& keypad = Place(K4);
  canvas.SnapToGrid = true;
  keypad.MoveCentreTo(44, 44);
  EXPECT_EQ(keypad.Left(), 30);
  EXPECT_EQ(keypad.Top(), 30);
  keypad.MoveCentreTo(45, 45);
  EXPECT_EQ(keypad.Left(), 60);
  EXPECT_EQ(keypad.Top(), 60);
  canvas.SnapToGrid = false;
  keypad.MoveCentreTo(10, 10);
  EXPECT_EQ(keypad.Left(), 0);
  EXPECT_EQ(keypad.Top(), 0);
}

}  // namespace
}  // namespace voltaris::testing
