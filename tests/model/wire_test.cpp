#include "design_fixture.h"

namespace voltaris::testing {
namespace {

class WireTest : public DesignTest {
 protected:
  WireTest() { NewPanel(6, 2); }  // Network1 block at (0, 70), 120 x 250
};

TEST_F(WireTest, LevelWithTheBlockTheRunIsHorizontalFromItsRightEdge) {
  TVududa& keypad = Place(0, 332, 190);  // 64 x 64 at (300, 158): centre level 190
  ASSERT_TRUE(Drop(keypad, Net(0)));
  const TWire& wire = *keypad.ParentWire;
  EXPECT_EQ(wire.Left, 0);
  EXPECT_EQ(wire.Width, 364);
  EXPECT_EQ(wire.Top, 70);
  EXPECT_EQ(wire.Height, 158 - 70 + 64);
  EXPECT_EQ(wire.X1, 120);
  EXPECT_EQ(wire.X2, 332);
  EXPECT_EQ(wire.Y1, wire.Y2);
  EXPECT_EQ(wire.Y2, 190 - 70);  // the device's centre, in run coordinates
  EXPECT_EQ(wire.Pen, ColourBlack);
  EXPECT_TRUE(wire.Label.empty());
}

TEST_F(WireTest, BelowTheBlockTheRunLeavesItsBottomRightCorner) {
  TVududa& keypad = Place(0, 332, 432);  // at (300, 400), below the block's bottom at 320
  ASSERT_TRUE(Drop(keypad, Net(0)));
  const TWire& wire = *keypad.ParentWire;
  EXPECT_EQ(wire.Top, 70 + 250 - 20);
  EXPECT_EQ(wire.Height, 400 + 64 - 70 - 250);
  EXPECT_EQ(wire.X1, 120);
  EXPECT_EQ(wire.Y1, 20);
  EXPECT_EQ(wire.X2, 364 - 32);
  EXPECT_EQ(wire.Y2, wire.Height - 32 + 20);
}

TEST_F(WireTest, AboveTheBlockTheRunLeavesItsTopRightCorner) {
  TVududa& keypad = Place(0, 332, 32);  // at (300, 0)
  ASSERT_TRUE(Drop(keypad, Net(0)));
  const TWire& wire = *keypad.ParentWire;
  EXPECT_EQ(wire.Top, 0);
  EXPECT_EQ(wire.Height, 70 + 20);
  EXPECT_EQ(wire.Y1, 70);
  EXPECT_EQ(wire.Y2, 32);
}

TEST_F(WireTest, ASuppliedDeviceHasABlackDataRunAndABluePowerRunEachWithItsLength) {
  Settings.ShowLength = true;
  TVududa& keypad = Place(0, 332, 190);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  TPSU& psu = PlacePSU(532, 390);  // at (500, 358)
  ASSERT_TRUE(Drop(keypad, psu));
  keypad.SetCableLength(25);  // the power cable from the supply
  keypad.SetNetCableLength(40);
  ASSERT_TRUE(keypad.ParentWire && keypad.SupplyWire);
  EXPECT_EQ(keypad.ParentWire->Label, "40m");
  EXPECT_EQ(keypad.SupplyWire->Label, "25m");
  EXPECT_EQ(keypad.SupplyWire->Pen, ColourBlue);
  // Device left of and above the supply: from centre to centre.
  const TWire& power = *keypad.SupplyWire;
  EXPECT_EQ(power.Left, 300);
  EXPECT_EQ(power.Top, 158);
  EXPECT_EQ(power.Width, 264);
  EXPECT_EQ(power.Height, 264);
  EXPECT_EQ(power.X1, 32);
  EXPECT_EQ(power.Y1, 32);
  EXPECT_EQ(power.X2, 232);
  EXPECT_EQ(power.Y2, 232);
  EXPECT_EQ(power.LabelX, 132);
  EXPECT_EQ(power.LabelY, 132);
}

TEST_F(WireTest, TheDataRunsLabelFollowsTheSupply) {
  Settings.ShowLength = true;
  TVududa& keypad = Place(0, 332, 190);
  keypad.SetCableLength(25);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_EQ(keypad.ParentWire->Label, "25m");  // no supply: the cable from the network
  TPSU& psu = PlacePSU(532, 390);
  ASSERT_TRUE(Drop(keypad, psu));
  keypad.SetNetCableLength(40);
  EXPECT_EQ(keypad.ParentWire->Label, "40m");
  keypad.DetachFromSupply();
  EXPECT_EQ(keypad.ParentWire->Label, "25m");
  // Wired to its network before its supply, as a loaded project does.
  TVududa& reader = Place(5, 332, 600);
  reader.SetCableLength(30);
  ASSERT_TRUE(Drop(reader, Net(0)));
  ASSERT_TRUE(Drop(reader, psu));
  EXPECT_EQ(reader.ParentWire->Label, "30m");  // its data cable still follows the power cable
  reader.SetCableLength(70);
  reader.SetNetCableLength(12);
  EXPECT_EQ(reader.ParentWire->Label, "12m");
}

TEST_F(WireTest, MovingATileRedrawsItsRunsAndThoseOfItsDevices) {
  TVududa& expander = Place(9, 332, 190);
  TVududa& keypad = Place(0, 532, 190);
  ASSERT_TRUE(Drop(expander, Net(0)));
  ASSERT_TRUE(Drop(keypad, expander));
  expander.MoveCentreTo(332, 600);
  EXPECT_EQ(keypad.ParentWire->Top, 158);
  EXPECT_EQ(keypad.ParentWire->Height, 600 - 32 - 158 + 64);
  EXPECT_EQ(expander.ParentWire->Top, 300);
}

}  // namespace
}  // namespace voltaris::testing
