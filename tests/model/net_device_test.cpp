#include "design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, K8 = 1, D1 = 5, E8 = 9, E4S = 10 };

class NetDeviceTest : public DesignTest {
 protected:
  NetDeviceTest() { NewPanel(6, 2); }
};

// D1 draws 25 mA quiescent and 45 mA in alarm. Powering 100 / 200 mA of
// equipment over 10 m of 10 ohms per 100 m (1 ohm) straight off the network:
//   quiescent 125 mA x 1 ohm = 0.125 V drop: 13.6 - 0.125 = 13.475 V
//   alarm     245 mA x 1 ohm = 0.245 V drop: 13.6 - 0.245 = 13.355 V
TEST_F(NetDeviceTest, VoltageIsTheSourceLessTheDropAlongItsCable) {
  TVududa& reader = Place(D1);
  ASSERT_TRUE(Drop(reader, Net(0)));
  reader.SetAttachedLoad({100, 200});
  EXPECT_DOUBLE_EQ(reader.CableResistance, 1.0);
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 13.475);
  EXPECT_DOUBLE_EQ(reader.AlarmVolts, 13.355);
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{125, 245}));
  EXPECT_EQ(panel.NetworkQuiescent, 125);
  EXPECT_EQ(panel.TotalQuiescent(), 50 + 125);
}

// A second identical reader chained behind the first: the first cable now
// carries 250 / 490 mA (0.25 / 0.49 V), the second 125 / 245 mA on top:
//   first  13.6 - 0.25 = 13.35,   13.6 - 0.49 = 13.11
//   second 13.35 - 0.125 = 13.225, 13.11 - 0.245 = 12.865
TEST_F(NetDeviceTest, DropsAccumulateDownAChain) {
  TVududa& first = Place(D1);
  TVududa& second = Place(D1);
  ASSERT_TRUE(Drop(first, Net(0)));
  ASSERT_TRUE(Drop(second, first));
  first.SetAttachedLoad({100, 200});
  second.SetAttachedLoad({100, 200});
  EXPECT_DOUBLE_EQ(first.SupplyVolts, 13.35);
  EXPECT_DOUBLE_EQ(first.AlarmVolts, 13.11);
  EXPECT_DOUBLE_EQ(second.SupplyVolts, 13.225);
  EXPECT_DOUBLE_EQ(second.AlarmVolts, 12.865);
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{250, 490}));

  // Given its own supply, the second stops loading the first cable and takes
  // 13.6 V less the drop over its own cable to the supply.
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(second, psu));
  EXPECT_DOUBLE_EQ(first.SupplyVolts, 13.475);
  EXPECT_DOUBLE_EQ(second.SupplyVolts, 13.475);
  EXPECT_DOUBLE_EQ(second.AlarmVolts, 13.355);
  EXPECT_EQ(psu.Module.NetworkQuiescent, 125);
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{125, 245}));
}

// 310 mA over 100 m at 0.1 ohm/m (10 ohms) drops exactly 3.1 V: 10.5 V, the
// minimum, which still passes.
TEST_F(NetDeviceTest, AVoltageExactlyAtTheMinimumStaysGreen) {
  TVududa& reader = Place(D1);
  ASSERT_TRUE(Drop(reader, Net(0)));
  reader.SetCableLength(100);
  reader.SetAttachedLoad({285, 265});
  SetUp(reader);
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 10.5);
  EXPECT_DOUBLE_EQ(reader.AlarmVolts, 10.5);
  EXPECT_EQ(reader.Status, Green);
  EXPECT_FALSE(reader.ShowHint());
  reader.SetAttachedLoad({285, 266});
  EXPECT_EQ(reader.Status, Orange);
  EXPECT_EQ(reader.Hint(), "Low Volts in Alarm");
  reader.SetAttachedLoad({286, 266});
  EXPECT_EQ(reader.Status, Red);
  EXPECT_EQ(reader.Hint(), "Low Volts");
  EXPECT_EQ(Net(0).Status, Red);
}

TEST_F(NetDeviceTest, VoltageNeverGoesNegative) {
  TVududa& reader = Place(D1);
  ASSERT_TRUE(Drop(reader, Net(0)));
  reader.SetCableLength(100000);
  EXPECT_EQ(reader.SupplyVolts, 0);
  EXPECT_EQ(reader.AlarmVolts, 0);
}

TEST_F(NetDeviceTest, StatusFollowsTheLifeOfADevice) {
  TVududa& keypad = Place(K4);
  EXPECT_EQ(keypad.Status, Blue);
  EXPECT_EQ(keypad.Hint(), "");  // a new device has no hint yet
  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_EQ(keypad.Hint(), "Double click to set up");
  EXPECT_EQ(keypad.Color(), ColourCream);
  keypad.SetCableLength(200);
  SetUp(keypad);
  EXPECT_EQ(host.questions, std::vector<std::string>{"Is this device setup complete?"});
  EXPECT_TRUE(keypad.SetupConfirmed);
  EXPECT_EQ(keypad.Status, Green);
  EXPECT_LT(keypad.SupplyVolts, 13.6);

  keypad.Detach();
  EXPECT_EQ(keypad.Status, Blue);
  EXPECT_EQ(keypad.Hint(), "Not on Network");
  EXPECT_EQ(keypad.SupplyVolts, 13.6);
  EXPECT_EQ(keypad.AlarmVolts, 13.6);
  EXPECT_EQ(keypad.Color(), ColourWhite);

  // A confirmed device stays confirmed when wired again: no second question.
  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_EQ(keypad.Status, Green);
  SetUp(keypad);
  EXPECT_EQ(host.questions.size(), 1u);
}

TEST_F(NetDeviceTest, AnsweringNoLeavesTheDeviceUnconfirmed) {
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  host.answer = false;
  keypad.DoubleClickAction();
  EXPECT_FALSE(keypad.SetupConfirmed);
  EXPECT_EQ(keypad.Status, Blue);
}

TEST_F(NetDeviceTest, CancellingTheSetUpPutsTheFiguresBackButKeepsANewType) {
  Settings.ShowLength = true;
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(keypad, Net(0)));
  keypad.DetailsShown = true;
  const double volts = keypad.SupplyVolts;
  host.onSetUp = [](TNetDevice& device, TLoadLines&) {
    auto& vududa = static_cast<TVududa&>(device);
    vududa.SetCableLength(500);
    vududa.SetNetCableLength(40);
    vududa.SetImpedance(0.5);
    vududa.SetAttachedLoad({300, 400});
    vududa.DetailsShown = false;
    vududa.SetDeviceType(K8);
    vududa.Location = "Office";
    return false;  // Cancel
  };
  keypad.DoubleClickAction();
  EXPECT_EQ(keypad.CableLength, 10);
  EXPECT_EQ(keypad.NetCableLength, 10);
  EXPECT_EQ(keypad.Impedance, 0.1);
  EXPECT_EQ(keypad.AttachedLoad, (TLoad{0, 0}));
  EXPECT_TRUE(keypad.DetailsShown);
  EXPECT_DOUBLE_EQ(keypad.SupplyVolts, volts);
  EXPECT_EQ(Net(0).DownstreamLoad, (TLoad{35, 45}));
  EXPECT_EQ(keypad.DeviceType, K8);
  EXPECT_EQ(keypad.Location, "Office");
  EXPECT_EQ(keypad.ParentWire->Label, "10m");
  EXPECT_FALSE(keypad.SetupConfirmed);
}

TEST_F(NetDeviceTest, ConfirmingTakesTheListAndItsLowestGrade) {
  TVududa& keypad = Place(3);  // K8 Plus, a grade 3 keypad
  ASSERT_TRUE(Drop(keypad, Net(0)));
  auto pir = MakeEntry(2, "Lumen PIR");  // grade 2
  auto sounder = MakeEntry(1, "Twinpath Plus");  // grade 4
  host.onSetUp = [&](TNetDevice& device, TLoadLines& lines) {
    lines = {{LoadListLine(*pir), pir}, {LoadListLine(*sounder), sounder}};
    device.SetAttachedLoad({pir->Quiescent + sounder->Quiescent, pir->Alarm + sounder->Alarm});
    return true;
  };
  keypad.DoubleClickAction();
  ASSERT_EQ(keypad.LoadData.Entries.size(), 2u);
  EXPECT_EQ(keypad.LoadData.Entries[0], pir);
  EXPECT_EQ(keypad.EffectiveGrade, 2);
  EXPECT_EQ(keypad.Status, Green);  // a grade 2 system
  panel.SetGrade(3);
  EXPECT_EQ(keypad.Status, Yellow);
  EXPECT_EQ(keypad.Hint(), "Right click and change devices to Grade 3");
}

TEST_F(NetDeviceTest, AChangeOfTypeThatOverfillsTheNetworkTakesTheDeviceOff) {
  panel.ReleaseTiles();
  canvas.Clear();
  NewPanel(10, 2);  // Orvane 400: four keypad places
  std::vector<TVududa*> keypads;
  for (int i = 0; i < 4; ++i) {
    keypads.push_back(&Place(5));
    ASSERT_TRUE(Drop(*keypads.back(), Net(0)));
  }
  TVududa& chained = Place(E8);
  ASSERT_TRUE(Drop(chained, *keypads[3]));
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(*keypads[3], psu));
  keypads[3]->SetDeviceType(E4S);  // two keypad places: five in all
  EXPECT_EQ(keypads[3]->Network, nullptr);
  EXPECT_EQ(keypads[3]->NetParent, nullptr);
  EXPECT_EQ(keypads[3]->Supply, &psu);
  EXPECT_EQ(chained.Network, nullptr);
  EXPECT_EQ(keypads[3]->Status, Blue);
  EXPECT_EQ(keypads[3]->Hint(), "Not on Network");
  EXPECT_EQ(Net(0).Keypads, 3);
  EXPECT_EQ(Net(0).Expanders, 0);
  EXPECT_EQ(keypads[3]->Keypads, 2);
  EXPECT_EQ(keypads[3]->Expanders, 1);
  EXPECT_EQ(keypads[3]->OwnLoad, (TLoad{65, 65}));
  EXPECT_EQ(keypads[3]->Picture(), "E4S");
}

TEST_F(NetDeviceTest, ADeviceOnASupplyButNoNetworkHasItsTrueVoltages) {
  TVududa& reader = Place(D1);
  reader.SetCableLength(100);  // 10 ohms
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(reader, psu));
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 13.6 - 0.25);
  EXPECT_DOUBLE_EQ(reader.AlarmVolts, 13.6 - 0.45);
  EXPECT_EQ(reader.Color(), psu.Color());
  EXPECT_FALSE(psu.InUse);
  ASSERT_TRUE(Drop(reader, Net(0)));
  EXPECT_TRUE(psu.InUse);
  reader.Detach();
  EXPECT_EQ(reader.Supply, nullptr);
  EXPECT_FALSE(psu.InUse);
  EXPECT_TRUE(psu.Children.empty());
}

TEST_F(NetDeviceTest, ADeviceLeftBehindByItsParentShowsItIsUnconnected) {
  TVududa& expander = Place(E8);
  TVududa& keypad = Place(K4);
  ASSERT_TRUE(Drop(expander, Net(0)));
  ASSERT_TRUE(Drop(keypad, expander));
  keypad.SetCableLength(100);
  ASSERT_LT(keypad.SupplyVolts, 13.6);
  expander.Detach();  // the expander's Alt-click leaves the keypad on its own
  EXPECT_EQ(keypad.NetParent, nullptr);
  EXPECT_EQ(keypad.SupplyVolts, 13.6);
  EXPECT_EQ(keypad.AlarmVolts, 13.6);
  EXPECT_EQ(keypad.Hint(), "Not on Network");
}

TEST_F(NetDeviceTest, DependsOnWalksUpTheChain) {
  TVududa& a = Place(E8);
  TVududa& b = Place(K4);
  TVududa& c = Place(K4);
  ASSERT_TRUE(Drop(a, Net(0)));
  ASSERT_TRUE(Drop(b, a));
  ASSERT_TRUE(Drop(c, b));
  EXPECT_TRUE(c.DependsOn(&a));
  EXPECT_TRUE(c.DependsOn(&Net(0)));
  EXPECT_FALSE(a.DependsOn(&c));
  EXPECT_EQ(c.ParentIndex, 0);
  // Moving b under the network renumbers what stays behind a.
  ASSERT_TRUE(Drop(b, Net(0)));
  EXPECT_EQ(b.ParentIndex, 1);
  EXPECT_TRUE(a.Children.empty());
  EXPECT_EQ(Net(0).Keypads, 2);
}

TEST_F(NetDeviceTest, RecordRoundTripsAndRejectsDamage) {
  TVududa& reader = Place(D1);
  ASSERT_TRUE(Drop(reader, Net(0)));
  reader.Location = "Rear door";
  reader.SetAttachedLoad({12, 34});
  reader.SetCableLength(12.5);
  reader.DetailsShown = true;
  reader.LoadData.Entries.push_back(MakeEntry(1, "Pathra OH"));
  reader.LoadData.Text = LoadListLine(*reader.LoadData.Entries[0]) + "\r\n";
  Net(0).SaveIndex = 3;
  TStream stream;
  reader.WriteRecord(stream);
  // Loads and links 17 bytes; the load list: text 4 + 25 + 1, count 4, entry
  // 16 + name 4 + 9 + 1; cable, impedance, details, grade, status 22; type 4;
  // location 4 + 9 + 1.
  EXPECT_EQ(stream.Size(), 17u + 30 + 4 + 30 + 22 + 4 + 14);
  EXPECT_EQ(stream.Bytes()[8], 3);  // the network link
  EXPECT_EQ(stream.Bytes()[12], 0xFF);  // no supply

  stream.Seek(0);
  auto& back = canvas.Create<TVududa>();
  back.ReadRecord(stream);
  EXPECT_EQ(stream.Remaining(), 0u);
  EXPECT_EQ(back.AttachedLoad, (TLoad{12, 34}));
  EXPECT_EQ(back.SavedParent, 3);
  EXPECT_EQ(back.SavedSupply, -1);
  EXPECT_EQ(back.CableLength, 12.5);
  EXPECT_EQ(back.NetCableLength, 10);  // not in the record (the project keeps it apart): the cable run
  EXPECT_TRUE(back.DetailsShown);
  EXPECT_EQ(back.DeviceType, D1);
  EXPECT_EQ(back.Location, "Rear door");
  EXPECT_EQ(back.LoadData.Entries.size(), 1u);
  EXPECT_EQ(back.Status, reader.Status);

  for (size_t cut = 0; cut < stream.Size(); ++cut) {
    TStream part(TBytes(stream.Bytes().begin(), stream.Bytes().begin() + cut));
    auto& damaged = canvas.Create<TVududa>();
    EXPECT_THROW(damaged.ReadRecord(part), StreamError) << cut;
  }
  TBytes bytes = stream.Bytes();
  bytes.at(bytes.size() - 18) = 19;  // the device type
  TStream badType(bytes);
  EXPECT_THROW(canvas.Create<TVududa>().ReadRecord(badType), StreamError);
}

}  // namespace
}  // namespace voltaris::testing
