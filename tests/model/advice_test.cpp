#include "model/advice.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, D1 = 5, D3 = 7, E8 = 9, Q16 = 16 };

// Every figure of a module that the advice could disturb, in one row.
std::vector<double> ModuleFigures(const TPowerModule& m) {
  return {double(m.Grade),
          double(m.Standard),
          double(m.ACFailSignalled),
          double(m.NetworkQuiescent),
          double(m.NetworkAlarm),
          double(m.ExtraQuiescent),
          double(m.ExtraAlarm),
          m.PeakAvailable,
          double(m.BatteryIndex),
          double(m.ChargeCurrent),
          m.BatteryFactor,
          m.ContinuousRated,
          double(m.PanelType),
          double(m.AlarmPeriod),
          double(m.LowestDeviceGrade),
          double(m.RequiredStandby),
          m.BatteryCapacity,
          double(m.OwnQuiescent),
          m.StandbyTime,
          double(m.AlarmOverload),
          double(m.ContinuousOverload),
          double(m.InsufficientBackup)};
}

// The battery positions of a list, smallest capacity first.
std::vector<int32_t> ByCapacity(int32_t panelType) {
  TStringList batteries;
  FillBatteryList(batteries, panelType);
  std::vector<int32_t> order;
  for (int32_t i = 0; i < static_cast<int32_t>(batteries.size()); ++i) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    return BatteryCapacityOf(batteries[static_cast<size_t>(a)]) < BatteryCapacityOf(batteries[static_cast<size_t>(b)]);
  });
  return order;
}

bool AnyFlag(const TPowerModule& module) {
  return module.InsufficientBackup || module.ContinuousOverload || module.AlarmOverload;
}

class AdviceTest : public DesignTest {
 protected:
  // The figures and the advice block of the design as it stands.
  TDesignAdvice Advice() { return WorkOutAdvice(panel, canvas); }
  // The "Design Advice" block, up to the checks beyond the light that follow it.
  TStringList Block() {
    TStringList list;
    WriteDesignAdvice(list, panel, canvas, Advice());
    const auto checks = std::find(list.begin() + 1, list.end(), std::string());
    list.erase(checks, list.end());
    return list;
  }
  // The "Checks Beyond the Light" block.
  TStringList Checks() {
    TStringList list;
    WriteChecksBeyondTheLight(list, panel, canvas, Advice());
    return list;
  }
  const TDeviceAdvice& For(const TDesignAdvice& advice, const TDevice& device) {
    const int32_t index = canvas.IndexOf(&device);
    for (const TDeviceAdvice& entry : advice.Devices) {
      if (entry.SaveIndex == index) return entry;
    }
    ADD_FAILURE() << "no advice for tile " << index;
    static const TDeviceAdvice none;
    return none;
  }
  // A keypad on the end of `parent` with this cable and attached load, set up.
  TVududa& Keypad(TDevice& parent, double metres, TLoad attached = {}) {
    TVududa& keypad = Place(K4);
    EXPECT_TRUE(Drop(keypad, parent));
    keypad.SetCableLength(metres);
    keypad.SetAttachedLoad(attached);
    SetUp(keypad);
    return keypad;
  }
};

// Orvane 400 at grade 2 (12 h), 750 mA charging of 2.0 A: 1.25 A peak. Its
// own 70 mA and a load list of 540 / 830 mA: 610 mA quiescent, 900 mA in alarm.
//   7.2 Ah:  alarm reserve 0.9 A x 0.5 h = 0.45 Ah, (7.2 - 0.45) / 0.61 A = 11.07 h < 12 h
//            continuous 7.2 / 12 = 0.6 A < 0.61 A
//   17.0 Ah: 16.55 / 0.61 = 27.1 h; continuous min(1.417, 1.25) = 1.25 A; 0.9 A < 1.25 A
// Required: 0.45 + 12 h x 0.61 A = 7.77 Ah (continuous alone 7.32 Ah).
TEST_F(AdviceTest, APanelShortOfBackupIsToldTheBatteryOfItsListThatIsEnough) {
  NewPanel(10, 2);
  panel.SetExtraQuiescent(540);
  panel.SetExtraAlarm(830);
  panel.SetBattery(0);
  ASSERT_TRUE(panel.InsufficientBackup);
  const std::vector<double> before = ModuleFigures(panel);

  const TDesignAdvice advice = Advice();
  ASSERT_EQ(advice.Sources.size(), 1u);
  const TSourceAdvice& source = advice.Sources[0];
  EXPECT_EQ(source.SaveIndex, -1);
  EXPECT_NEAR(source.RequiredCapacity, 7.77, 1e-12);
  EXPECT_EQ(source.RecommendedBattery, 1);
  EXPECT_EQ(source.RecommendedBatteryName, "17.0 Ah");
  EXPECT_NEAR(source.StandbyHeadroom, 6.75 / 0.61 - 12, 1e-12);
  EXPECT_NEAR(source.AlarmHeadroom, 0.35, 1e-12);
  EXPECT_NEAR(source.ContinuousHeadroom, -0.01, 1e-12);
  // Working the advice out changed nothing of the open design.
  EXPECT_EQ(ModuleFigures(panel), before);

  // One line for each rule it fails, naming the rule and its figures.
  const TStringList block = Block();
  ASSERT_EQ(block.size(), 4u);
  EXPECT_EQ(block[0], "");
  EXPECT_EQ(block[1], "Design Advice");
  EXPECT_EQ(block[2],
            "Orvane 400: standby 11.07 h against the 12 h required: fit at least 7.77 Ah, the 17.0 Ah battery is "
            "enough");
  EXPECT_EQ(block[3],
            "Orvane 400: quiescent current 0.61 A exceeds the 0.60 A continuous rating: fit at least 7.77 Ah, the "
            "17.0 Ah battery is enough");
  EXPECT_EQ(ModuleFigures(panel), before);

  // The required capacity is where the standby rule just holds.
  panel.BatteryCapacity = source.RequiredCapacity * (1 + 1e-12);
  panel.Calculate();
  EXPECT_FALSE(panel.InsufficientBackup);
  EXPECT_FALSE(panel.ContinuousOverload);
  panel.BatteryCapacity = source.RequiredCapacity * (1 - 1e-9);
  panel.Calculate();
  EXPECT_TRUE(panel.InsufficientBackup);
}

// A grade 2 supply: own 25 mA and a load list of 618 / 1445 mA, so 643 mA
// quiescent and 1470 mA in alarm, 12 h required.
//   7.2 Ah (300 mA):  (7.2 - 0.735) / 0.643 = 10.05 h, too short
//   14.4 Ah (600 mA): 13.665 / 0.643 = 21.3 h, but 2.0 - 0.6 = 1.4 A peak < 1.47 A
//   17.0 Ah (300 mA): 25.3 h, 1.7 A peak, continuous min(1.417, 1.7) A: all in order
// Required: 1.47 A x 0.5 h + 12 h x 0.643 A = 0.735 + 7.716 = 8.451 Ah.
TEST_F(AdviceTest, ASupplyWhoseLargerBatteryChargesTooHardIsToldTheNextOne) {
  NewPanel(10, 2);
  panel.SetBattery(1);
  TPSU& psu = PlacePSU();
  FitBattery(psu, 3,
             {MakeEntry(1, "Twinpath Plus"), MakeEntry(1, "Orvane LinkIP"), MakeEntry(1, "Linecare 3GSTU"),
              MakeEntry(1, "Halvard S (Normal)"), MakeEntry(3, "16 Ohm Speaker")});
  ASSERT_EQ(psu.Module.TotalQuiescent(), 643);
  ASSERT_EQ(psu.Module.TotalAlarm(), 1470);
  ASSERT_EQ(psu.Module.ChargeCurrent, 600);
  ASSERT_TRUE(psu.Module.AlarmOverload);
  ASSERT_FALSE(psu.Module.InsufficientBackup);
  ASSERT_EQ(psu.Status, Orange);
  const std::vector<double> before = ModuleFigures(psu.Module);

  const TDesignAdvice advice = Advice();
  ASSERT_EQ(advice.Sources.size(), 2u);
  EXPECT_EQ(advice.Sources[0].RecommendedBattery, 0);  // 7.2 Ah carries the bare panel
  const TSourceAdvice& source = advice.Sources[1];
  EXPECT_EQ(source.SaveIndex, canvas.IndexOf(&psu));
  EXPECT_DOUBLE_EQ(source.RequiredCapacity, 8.451);
  EXPECT_EQ(source.RecommendedBattery, 1);
  EXPECT_EQ(source.RecommendedBatteryName, "17.0 Ah");
  EXPECT_NEAR(source.AlarmHeadroom, 1.4 - 1.47, 1e-12);
  EXPECT_NEAR(source.StandbyHeadroom, 13.665 / 0.643 - 12, 1e-9);
  EXPECT_NEAR(source.ContinuousHeadroom, 1.2 - 0.643, 1e-12);
  EXPECT_EQ(ModuleFigures(psu.Module), before);
  EXPECT_EQ(
      Block().back(),
      "Supply 1: alarm current 1.47 A exceeds the 1.40 A peak available: fit at least 8.46 Ah, the 17.0 Ah battery "
      "is enough");

  // These figures meet the standby rule at exactly the required capacity, and not just below it.
  psu.Module.BatteryCapacity = source.RequiredCapacity;
  psu.Module.Calculate();
  EXPECT_FALSE(psu.Module.InsufficientBackup);
  psu.Module.BatteryCapacity = std::nextafter(source.RequiredCapacity, 0.0);
  psu.Module.Calculate();
  EXPECT_TRUE(psu.Module.InsufficientBackup);
}

// Orvane 200: 1.0 A less 120 mA charging leaves 0.88 A, and the alarm load
// is 1.0 A: its one battery cannot help. Required 1.0 x 0.5 + 12 x 0.15 = 2.3 Ah.
TEST_F(AdviceTest, ASourceNoBatteryCanSaveIsToldToMoveLoad) {
  NewPanel(6, 2);
  panel.SetExtraQuiescent(100);
  panel.SetExtraAlarm(950);
  panel.SetBattery(0);
  TPSU& psu = PlacePSU();
  FitBattery(psu, 2, {MakeEntry(4, "Halvard S (Normal)")});  // 2180 mA in alarm: above 1.7 A with any battery
  const TDesignAdvice advice = Advice();
  EXPECT_DOUBLE_EQ(advice.Sources[0].RequiredCapacity, 2.3);
  EXPECT_EQ(advice.Sources[0].RecommendedBattery, -1);
  EXPECT_EQ(advice.Sources[0].RecommendedBatteryName, "");
  EXPECT_NEAR(advice.Sources[0].AlarmHeadroom, -0.12, 1e-12);
  EXPECT_EQ(advice.Sources[1].RecommendedBattery, -1);
  const TStringList block = Block();
  ASSERT_EQ(block.size(), 4u);
  // The battery fitted holds enough: the line names the current, not a capacity.
  EXPECT_EQ(block[2],
            "Orvane 200: alarm current 1.00 A exceeds the 0.88 A peak available: no battery changes that; move alarm "
            "load to a remote supply");
  EXPECT_EQ(block[3].substr(0, 9), "Supply 1:");
  EXPECT_NE(block[3].find("move alarm load to another remote supply"), std::string::npos);
}

// Orvane 400 at grade 2 (own 70 mA, 750 mA charging of 2.0 A: 1.25 A peak
// whatever the battery) with 540 / 1280 mA more: 610 mA quiescent, 1.35 A in
// alarm. On 7.2 Ah: (7.2 - 0.675) / 0.61 = 10.70 h, and 7.2 / 12 = 0.60 A
// continuous. 17.0 Ah puts the standby and continuous rules right, nothing
// the alarm one: each line says so of its own rule. Required: 0.675 + 7.32 = 7.995 Ah.
TEST_F(AdviceTest, EachFailingRuleHasALineNamingItsFiguresAndWhatPutsItRight) {
  NewPanel(10, 2);
  panel.SetExtraQuiescent(540);
  panel.SetExtraAlarm(1280);
  panel.SetBattery(0);
  ASSERT_TRUE(panel.InsufficientBackup && panel.ContinuousOverload && panel.AlarmOverload);
  const TStringList block = Block();
  ASSERT_EQ(block.size(), 5u);
  EXPECT_EQ(block[2],
            "Orvane 400: standby 10.70 h against the 12 h required: fit at least 8.00 Ah, the 17.0 Ah battery is "
            "enough");
  EXPECT_EQ(block[3],
            "Orvane 400: quiescent current 0.61 A exceeds the 0.60 A continuous rating: fit at least 8.00 Ah, the "
            "17.0 Ah battery is enough");
  EXPECT_EQ(block[4],
            "Orvane 400: alarm current 1.35 A exceeds the 1.25 A peak available: no battery changes that; move alarm "
            "load to a remote supply");
}

// Three keypads in a chain at 0.1 ohm/m; the last powers 200 / 300 mA over 50 m.
// Currents: A 305 / 435, B 270 / 390, C 235 / 345 mA.
//   A 13.6 - 0.305 = 13.295, 13.6 - 0.435 = 13.165
//   B 13.295 - 0.27 = 13.025, 13.165 - 0.39 = 12.775
//   C 13.025 - 1.175 = 11.85, 12.775 - 1.725 = 11.05   (margins 1.35 and 0.55 V)
// A's own margins would allow 10 + 2.665 / 0.435 / 0.1 = 71.3 m, but C's alarm
// margin of 0.55 V allows A only 10 + (0.55 / 0.435) / 0.1 = 22.64 m.
TEST_F(AdviceTest, AChainsCableLimitComesFromItsWeakestDevice) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TVududa& a = Keypad(Net(0), 10);
  TVududa& b = Keypad(a, 10);
  TVududa& c = Keypad(b, 50, {200, 300});
  ASSERT_NEAR(c.AlarmVolts, 11.05, 1e-12);
  const TDesignAdvice advice = Advice();
  ASSERT_EQ(advice.Devices.size(), 3u);
  EXPECT_NEAR(For(advice, a).MaxCableLength.value(), 10 + 550.0 / 435 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, b).MaxCableLength.value(), 10 + 550.0 / 390 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, c).MaxCableLength.value(), 50 + 550.0 / 345 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, c).QuiescentMargin, 1.35, 1e-12);
  EXPECT_NEAR(For(advice, c).AlarmMargin, 0.55, 1e-12);
  EXPECT_NEAR(For(advice, a).DoubledCoresVolts[0], 13.295 + 0.305 / 2, 1e-12);
  EXPECT_NEAR(For(advice, a).DoubledCoresVolts[1], 13.165 + 0.435 / 2, 1e-12);
  EXPECT_EQ(Block().back(), "Every power source and device is Green: nothing needs changing");

  // A at its limit brings C down to its minimum in alarm.
  a.SetCableLength(For(advice, a).MaxCableLength.value());
  EXPECT_NEAR(c.AlarmVolts, 10.5, 1e-9);
  EXPECT_GT(c.SupplyVolts, 10.5);
  EXPECT_GT(a.AlarmVolts, 10.5);

  // C on 80 m: 13.025 - 1.88 = 11.145 V, 12.775 - 2.76 = 10.015 V in alarm.
  // Its limit stays 65.94 m; twice the cores: 11.145 + 0.94, 10.015 + 1.38 V.
  a.SetCableLength(10);
  c.Location = "Till";
  c.SetCableLength(80);
  ASSERT_EQ(c.Status, Orange);
  const TDesignAdvice failing = Advice();
  EXPECT_NEAR(For(failing, c).MaxCableLength.value(), 50 + 550.0 / 345 / 0.1, 1e-9);
  EXPECT_NEAR(For(failing, c).DoubledCoresVolts[0], 12.085, 1e-12);
  EXPECT_NEAR(For(failing, c).DoubledCoresVolts[1], 11.395, 1e-12);
  EXPECT_NEAR(For(failing, c).AlarmMargin, -0.485, 1e-12);
  EXPECT_EQ(Block().back(), "Till - Orvane K4: shorten the cable to 65.94 m or double its cores");
}

// A powers 900 / 900 mA over 40 m: 970 / 990 mA through its cable.
//   A 13.6 - 3.88 = 9.72, 13.6 - 3.96 = 9.64; B behind it on 10 m: 9.685, 9.595.
// B falls short with no cable at all: 10 + (-0.905 / 0.045) / 0.1 = -191.1,
// or quiescent 10 + (-0.815 / 0.035) / 0.1 = -222.9 m, the smaller.
// A, limited by B's alarm margin: 40 + (-0.905 / 0.99) / 0.1 = 30.86 m.
TEST_F(AdviceTest, ADeviceThatFailsWithNoCableAtAllHasANegativeLimit) {
  NewPanel(6, 2);
  TVududa& a = Keypad(Net(0), 40, {900, 900});
  TVududa& b = Keypad(a, 10);
  ASSERT_EQ(b.Status, Red);
  const TDesignAdvice advice = Advice();
  EXPECT_NEAR(For(advice, b).MaxCableLength.value(), 10 - 815.0 / 35 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, a).MaxCableLength.value(), 40 - 905.0 / 990 / 0.1, 1e-9);
  // The panel, with no battery and the 970 mA through A, comes first.
  const TStringList block = Block();
  ASSERT_EQ(block.size(), 5u);
  EXPECT_EQ(block[2].substr(0, 34), "Orvane 200: no battery chosen: fit");
  EXPECT_EQ(block[3], "Not Defined - Orvane K4: shorten the cable to 30.85 m or double its cores");
  EXPECT_EQ(block[4], "Not Defined - Orvane K4: power it from a remote supply");
}

// A powers 3000 / 3000 mA over 50 m (5 ohms): 3070 / 3090 mA drop 15.35 and
// 15.45 V, more than the 13.6 V there is. Shown: 0 V at A and at B behind it.
// Without the hold at 0: A -1.75 / -1.85 V, B -1.785 / -1.895 V.
//   B: 10 + (-12.285 / 0.035) / 0.1 = -3500 m (the shown 0 V would give -2990 m)
//   A: 50 + (-12.395 / 3.09) / 0.1 = 9.887 m, at which B is at 10.5 V in alarm
TEST_F(AdviceTest, LimitsStayExactForRunsThatFailBadly) {
  NewPanel(6, 2);
  TVududa& a = Keypad(Net(0), 50, {3000, 3000});
  TVududa& b = Keypad(a, 10);
  ASSERT_EQ(a.SupplyVolts, 0);
  ASSERT_EQ(b.AlarmVolts, 0);
  const TDesignAdvice advice = Advice();
  EXPECT_NEAR(For(advice, b).MaxCableLength.value(), -3500, 1e-9);
  EXPECT_NEAR(For(advice, b).QuiescentMargin, -10.5, 1e-12);
  EXPECT_NEAR(For(advice, a).DoubledCoresVolts[0], -1.75 + 7.675, 1e-12);
  EXPECT_NEAR(For(advice, a).DoubledCoresVolts[1], -1.85 + 7.725, 1e-12);
  const double limit = For(advice, a).MaxCableLength.value();
  EXPECT_NEAR(limit, 50 - 12395.0 / 3090 / 0.1, 1e-9);
  a.SetCableLength(limit);
  EXPECT_NEAR(b.AlarmVolts, 10.5, 1e-9);
  EXPECT_GT(b.SupplyVolts, 10.5);
}

// No impedance: the length does not matter; doubling the cores changes nothing.
TEST_F(AdviceTest, ACableWithoutImpedanceHasNoLimit) {
  NewPanel(6, 2);
  TVududa& a = Keypad(Net(0), 40, {100, 100});
  a.SetImpedance(0);
  const TDesignAdvice advice = Advice();
  EXPECT_FALSE(For(advice, a).MaxCableLength.has_value());
  EXPECT_EQ(For(advice, a).DoubledCoresVolts[0], 13.6);
  EXPECT_EQ(For(advice, a).DoubledCoresVolts[1], 13.6);
  // A device on no network parent and no supply gets no figures.
  Place(K4);
  EXPECT_EQ(Advice().Devices.size(), 1u);
}

// B is chained behind A for data but powered by a supply over 700 m:
// 13.6 - 0.045 x 70 = 10.45 V in alarm, 10 m short of 688.89 m
// (3.1 V / 0.045 A / 0.1 ohm/m). A's cable does not carry B, so B's shortfall
// leaves A's limit at A's own 688.89 m (3.1 V / 0.045 A / 0.1 ohm/m).
TEST_F(AdviceTest, ADeviceOnASupplyStartsFromTheSupplyVoltage) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TVududa& a = Keypad(Net(0), 10);
  TVududa& b = Keypad(a, 10);
  TPSU& psu = PlacePSU();
  FitBattery(psu, 1);
  ASSERT_TRUE(Drop(b, psu));
  b.SetCableLength(700);
  ASSERT_NEAR(b.AlarmVolts, 10.45, 1e-12);
  const TDesignAdvice advice = Advice();
  EXPECT_NEAR(For(advice, b).MaxCableLength.value(), 3100.0 / 45 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, a).MaxCableLength.value(), 3100.0 / 45 / 0.1, 1e-9);
  EXPECT_NEAR(For(advice, b).DoubledCoresVolts[1], 10.45 + 1.575, 1e-12);
  EXPECT_EQ(Block().back(), "Not Defined - Orvane K4: shorten the cable to 688.88 m or double its cores");
}

// The edges of the advice's rules. Doubled cores that bring a device to
// exactly its minimum are enough (a voltage equal to the minimum passes, as
// the light's rule has it); a supply whose lowest load-device grade equals
// its grade needs no change of them, one below it does.
TEST_F(AdviceTest, TheAdvicesRulesHoldAtTheirEdges) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TVududa& keypad = Keypad(Net(0), 200, {200, 265});
  keypad.Location = "Hall";
  const double doubled = For(Advice(), keypad).DoubledCoresVolts[1];
  keypad.MinVolts = doubled;  // the alarm voltage with doubled cores is exactly the minimum
  keypad.UpdateStatus();
  ASSERT_NE(keypad.Status, Green);
  EXPECT_TRUE(Block().back().ends_with("or double its cores")) << Block().back();
  keypad.MinVolts = std::nextafter(doubled, 20.0);
  keypad.UpdateStatus();
  EXPECT_EQ(Block().back().find("double its cores"), std::string::npos);
  keypad.MinVolts = 10.5;
  keypad.SetCableLength(10);

  TPSU& psu = PlacePSU();
  FitBattery(psu, 1, {MakeEntry(1, "Lumen PIR")});  // grade 2 on a grade 2 supply
  ASSERT_EQ(psu.Module.LowestDeviceGrade, psu.Grade);
  for (const std::string& line : Block()) EXPECT_EQ(line.find("change its load devices"), std::string::npos) << line;
  psu.Module.LowestDeviceGrade = psu.Grade - 1;
  psu.UpdateStatus();
  EXPECT_EQ(Block().back(), "Supply 1: change its load devices to Grade 2");
}

// ---- beyond the light: on battery, and the recharge ----

// The failed checks the canvas keeps follow what changes them, each time as
// the walk of the design gives them: a battery voltage set anew moves every
// figure, a tile deleted before a device moves it up the list, a chain whose
// start is held at 0 and whose figures before the clamp still change, and a
// shorter cable that brings a device back above its minimum.
TEST_F(AdviceTest, TheKeptChecksOnBatteryFollowTheDesignAsTheWalkDoes) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TVududa& spare = Keypad(Net(0), 10);
  TVududa& a = Keypad(Net(0), 10);
  TVududa& b = Keypad(a, 10);
  TVududa& c = Keypad(b, 50, {200, 300});
  const auto below = [&] {
    const TFailedChecks kept = WorkOutFailedChecks(panel, canvas);
    EXPECT_EQ(kept, WalkFailedChecks(panel, canvas));
    return kept.DevicesBelowOnBattery;
  };
  const int32_t cAt = canvas.IndexOf(&c);
  EXPECT_EQ(below(), std::vector<int32_t>{cAt});
  canvas.Context().BatteryVolts = 13.6;  // no shortfall
  EXPECT_EQ(below(), std::vector<int32_t>{});
  canvas.Context().BatteryVolts = 12.0;
  EXPECT_EQ(below(), std::vector<int32_t>{cAt});
  spare.DeleteDevice();
  EXPECT_EQ(below(), std::vector<int32_t>{cAt - 1});
  // B's cable drops more than a gives: b and c are held at 0 whatever a's
  // cable does, and their figures before the clamp follow it.
  b.SetCableLength(5000);
  ASSERT_EQ(c.AlarmVolts, 0);
  EXPECT_EQ(below(), (std::vector<int32_t>{cAt - 2, cAt - 1}));
  a.SetCableLength(20);
  ASSERT_EQ(c.AlarmVolts, 0);
  EXPECT_EQ(below(), (std::vector<int32_t>{cAt - 2, cAt - 1}));
  b.SetCableLength(10);
  c.SetCableLength(5);
  EXPECT_EQ(below(), std::vector<int32_t>{});
}

// The chain of AChainsCableLimitComesFromItsWeakestDevice on battery: every
// voltage 1.6 V lower at the default 12.0 V. C, Green on mains at 13.025 -
// 0.235 x 5 = 11.85 / 11.05 V, falls to 10.25 / 9.45 V: below its 10.5 V.
// A and B pass.
TEST_F(AdviceTest, OnBatteryEveryVoltageFallsByTheBatteryShortfall) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TVududa& a = Keypad(Net(0), 10);
  TVududa& b = Keypad(a, 10);
  TVududa& c = Keypad(b, 50, {200, 300});
  ASSERT_EQ(c.Status, Green);
  TDesignAdvice advice = Advice();
  EXPECT_EQ(advice.BatteryVolts, 12.0);
  EXPECT_NEAR(For(advice, a).OnBatteryVolts[0], 13.295 - 1.6, 1e-12);
  EXPECT_NEAR(For(advice, a).OnBatteryVolts[1], 13.165 - 1.6, 1e-12);
  EXPECT_TRUE(For(advice, a).OnBatteryOk);
  EXPECT_TRUE(For(advice, b).OnBatteryOk);
  EXPECT_NEAR(For(advice, c).OnBatteryVolts[0], c.SupplyVolts - 1.6, 1e-12);
  EXPECT_NEAR(For(advice, c).OnBatteryVolts[1], 11.05 - 1.6, 1e-12);
  EXPECT_FALSE(For(advice, c).OnBatteryOk);
  EXPECT_EQ(c.Status, Green);  // the light does not change for it
  // Its hint says so, while the hint a file keeps stays untouched.
  EXPECT_EQ(TileHintText(c), "Below minimum on battery");
  EXPECT_FALSE(c.ShowHint());
  EXPECT_EQ(TileHintText(a), "");
  // The checks block: the 7.2 Ah battery at 120 mA recharges in 0.8 x 7200 /
  // 120 = 48 h of the 72 h grade 2 allows; C fails on battery.
  c.Location = "Till";
  const TStringList checks = Checks();
  ASSERT_EQ(checks.size(), 6u);
  EXPECT_EQ(checks[1], "Checks Beyond the Light (battery at 12.00 V on mains failure)");
  EXPECT_EQ(checks[2], "Orvane 200: recharges to 80% in 48.00 h, limit 72 h: pass");
  EXPECT_EQ(checks[5], "Till - Orvane K4: on battery 10.25 V quiescent, 9.45 V in alarm, minimum 10.50 V: FAIL");

  // 0.01 V either side of C's minimum in alarm: 11.05 - (13.6 - Vb) = 10.51 or 10.49.
  canvas.Context().BatteryVolts = 13.06;
  EXPECT_TRUE(For(Advice(), c).OnBatteryOk);
  EXPECT_NEAR(For(Advice(), c).OnBatteryVolts[1], 10.51, 1e-9);
  canvas.Context().BatteryVolts = 13.04;
  EXPECT_FALSE(For(Advice(), c).OnBatteryOk);
  EXPECT_NEAR(For(Advice(), c).OnBatteryVolts[1], 10.49, 1e-9);
  // At 13.6 V the battery changes nothing.
  canvas.Context().BatteryVolts = 13.6;
  EXPECT_EQ(For(Advice(), c).OnBatteryVolts[1], c.AlarmVolts);
}

// A device on a supply over 700 m (10.45 V in alarm on mains), one on a clone
// of it over 10 m (13.6 - 0.045 x 1 = 13.555 V), one with no impedance
// (13.6 V whatever its cable), and one held at 0 V on mains (3035 / 3045 mA
// over 5 ohms: -1.575 / -1.625 V before the hold): on battery at 12.0 V each
// is 1.6 V lower.
TEST_F(AdviceTest, OnBatteryHoldsForSuppliesClonesNoImpedanceAndClampedRuns) {
  NewPanel(6, 2);
  panel.SetBattery(0);
  TPSU& psu = PlacePSU();
  FitBattery(psu, 1);
  TVududa& far = Keypad(Net(0), 10);
  ASSERT_TRUE(Drop(far, psu));
  far.SetCableLength(700);
  TPSUClone& clone = Clone(psu);
  TVududa& cloned = Keypad(Net(0), 10);
  ASSERT_TRUE(Drop(cloned, clone));
  TVududa& bare = Keypad(Net(0), 40, {100, 100});
  bare.SetImpedance(0);
  TVududa& held = Keypad(Net(0), 50, {3000, 3000});
  ASSERT_EQ(held.SupplyVolts, 0);
  const TDesignAdvice advice = Advice();
  EXPECT_NEAR(For(advice, far).OnBatteryVolts[1], 10.45 - 1.6, 1e-12);
  EXPECT_FALSE(For(advice, far).OnBatteryOk);
  EXPECT_NEAR(For(advice, cloned).OnBatteryVolts[1], cloned.AlarmVolts - 1.6, 1e-12);
  EXPECT_TRUE(For(advice, cloned).OnBatteryOk);
  EXPECT_EQ(For(advice, bare).OnBatteryVolts[0], 13.6 - 1.6);
  EXPECT_TRUE(For(advice, bare).OnBatteryOk);
  EXPECT_NEAR(For(advice, held).OnBatteryVolts[0], -1.575 - 1.6, 1e-12);
  EXPECT_NEAR(For(advice, held).OnBatteryVolts[1], -1.625 - 1.6, 1e-12);
  EXPECT_FALSE(For(advice, held).OnBatteryOk);
  // A Red device's hint keeps its own line first.
  EXPECT_EQ(TileHintText(held), "Low Volts\nBelow minimum on battery");
  EXPECT_EQ(TileHintText(far), "Low Volts in Alarm\nBelow minimum on battery");
  EXPECT_EQ(TileHintText(psu), psu.ShowHint() ? psu.Hint() : "");
}

// Orvane 400 at grade 2 with the 7.2 Ah battery at 750 mA: 0.8 x 7.2 Ah /
// 0.75 A = 7.68 h, within 72 h. A supply's 17.0 Ah at 300 mA: 45.33 h, within
// 72 h at grade 2 and beyond the 24 h of grade 3. No battery: no figure;
// grade 0 (which a file can hold): no limit and no verdict.
TEST_F(AdviceTest, TheRechargeTimeAgainstTheGradesLimit) {
  NewPanel(10, 2);
  panel.SetBattery(0);
  TPSU& psu = PlacePSU();
  TDesignAdvice advice = Advice();
  ASSERT_EQ(advice.Sources.size(), 2u);
  EXPECT_NEAR(advice.Sources[0].RechargeHours.value(), 7.68, 1e-12);
  EXPECT_EQ(advice.Sources[0].RechargeLimitHours, 72);
  EXPECT_EQ(advice.Sources[0].RechargeOk, true);
  EXPECT_FALSE(advice.Sources[1].RechargeHours);  // no battery yet
  EXPECT_FALSE(advice.Sources[1].RechargeOk);

  FitBattery(psu, 1);
  ASSERT_EQ(psu.Module.BatteryCapacity, 17.0);
  ASSERT_EQ(psu.Module.ChargeCurrent, 300);
  advice = Advice();
  EXPECT_NEAR(advice.Sources[1].RechargeHours.value(), 0.8 * 17000 / 300, 1e-12);
  EXPECT_EQ(advice.Sources[1].RechargeOk, true);
  psu.Module.Grade = 3;
  EXPECT_EQ(WorkOutSourceAdvice(psu.Module, 0).RechargeLimitHours, 24);
  EXPECT_EQ(WorkOutSourceAdvice(psu.Module, 0).RechargeOk, false);
  psu.Module.Grade = 0;
  EXPECT_FALSE(WorkOutSourceAdvice(psu.Module, 0).RechargeLimitHours);
  EXPECT_FALSE(WorkOutSourceAdvice(psu.Module, 0).RechargeOk);
  EXPECT_TRUE(WorkOutSourceAdvice(psu.Module, 0).RechargeHours);
  EXPECT_FALSE(RechargeHoursOf(0, 300));
  EXPECT_FALSE(RechargeHoursOf(7.2, 0));
}

// ---- random designs ----

// How often each kind of case came up, so that the seeds are known to reach them all.
struct RandomCases {
  int CableLimits = 0;
  int NoBattery = 0;
  int LargerBattery = 0;
};

// One small design built from a seed through the designer's operations.
class RandomDesign : public AdviceTest {
 public:
  RandomDesign(uint32_t seed, RandomCases& seen) : Seen(seen), random_(seed) {
    const int32_t types[] = {6, 9, 10, 12};
    const int32_t panelType = types[Pick(4)];
    Settings.SystemStandard = static_cast<int32_t>(Pick(2));
    Settings.AlarmPeriod = 15 + 5 * static_cast<int32_t>(Pick(4));
    Settings.BatteryFactor = 1.0 - 0.1 * static_cast<double>(Pick(4));
    NewPanel(panelType, PanelOptsTable[panelType].MaxGrade == 3 && Pick(2) ? 3 : 2);
    panel.SetExtraQuiescent(static_cast<int32_t>(Pick(500)));
    panel.SetExtraAlarm(panel.ExtraQuiescent + static_cast<int32_t>(Pick(500)));
    TStringList batteries;
    FillBatteryList(batteries, panelType);
    panel.SetBattery(static_cast<int32_t>(Pick(batteries.size() + 1)) - 1);
    std::vector<TPSU*> supplies;
    for (size_t i = Pick(3); i > 0; --i) {
      TPSU& psu = PlacePSU();
      FitBattery(psu, static_cast<int32_t>(Pick(5)) - 1,
                 {MakeEntry(1 + static_cast<int32_t>(Pick(2)), "Halvard S (Normal)"),
                  MakeEntry(1 + static_cast<int32_t>(Pick(3)), "Orvane LinkIP")});
      supplies.push_back(&psu);
    }
    const int deviceTypes[] = {K4, D1, D3, E8, Q16, Q16};
    const double impedances[] = {0, 0.01, 0.05, 0.1, 0.2};
    for (size_t i = 1 + Pick(6); i > 0; --i) {
      TVududa& device = Place(deviceTypes[Pick(6)]);
      TDevice* target = &Net(0);
      if (!devices.empty() && Pick(3) != 0) target = devices[Pick(devices.size())];
      Drop(device, *target);
      if (!supplies.empty() && Pick(4) == 0) Drop(device, *supplies[Pick(supplies.size())]);
      device.SetImpedance(impedances[Pick(5)]);
      device.SetCableLength(static_cast<double>(Pick(150)));
      device.SetAttachedLoad({static_cast<int32_t>(Pick(300)), static_cast<int32_t>(Pick(600))});
      if (Pick(4) != 0) SetUp(device);
      devices.push_back(&device);
    }
  }
  void TestBody() override {}
  using AdviceTest::canvas;
  using AdviceTest::panel;

  // Every figure the advice could disturb: the sources' and the devices' voltages and lights.
  std::vector<double> Figures() const {
    std::vector<double> all = ModuleFigures(panel);
    for (const auto& tile : canvas.Tiles()) {
      if (const auto* psu = dynamic_cast<const TPSU*>(tile.get())) {
        const std::vector<double> module = ModuleFigures(psu->Module);
        all.insert(all.end(), module.begin(), module.end());
      }
      all.insert(all.end(), {tile->SupplyVolts, tile->AlarmVolts, double(tile->Status)});
    }
    return all;
  }

  // The device and everything its cable powers.
  static std::vector<const TNetDevice*> Powered(const TNetDevice& device) {
    std::vector<const TNetDevice*> all{&device};
    for (size_t i = 0; i < all.size(); ++i) {
      for (const TNetDevice* child : all[i]->Children) {
        if (!child->Supply) all.push_back(child);
      }
    }
    return all;
  }

  // A device's cable at its limit keeps everything it powers at or above the
  // minimum; 1 % more takes one below.
  void CheckCableLimits(const TDesignAdvice& advice) {
    for (const TDeviceAdvice& entry : advice.Devices) {
      if (!entry.MaxCableLength || *entry.MaxCableLength <= 0) continue;
      auto& device = dynamic_cast<TNetDevice&>(*canvas.Tiles()[static_cast<size_t>(entry.SaveIndex)]);
      const double length = device.CableLength;
      device.SetCableLength(*entry.MaxCableLength);
      for (const TNetDevice* powered : Powered(device)) {
        EXPECT_GE(powered->SupplyVolts, powered->MinVolts - 1e-9);
        EXPECT_GE(powered->AlarmVolts, powered->MinVolts - 1e-9);
      }
      device.SetCableLength(*entry.MaxCableLength * 1.01);
      bool below = false;
      for (const TNetDevice* powered : Powered(device))
        below = below || powered->SupplyVolts < powered->MinVolts || powered->AlarmVolts < powered->MinVolts;
      EXPECT_TRUE(below) << "tile " << entry.SaveIndex;
      device.SetCableLength(length);
      ++Seen.CableLimits;
    }
  }

  // Each device and each source worked out alone gives exactly the figures of the whole design.
  void CheckAloneAsInTheWhole(const TDesignAdvice& advice) const {
    for (const TDeviceAdvice& entry : advice.Devices) {
      const auto& device = dynamic_cast<const TVududa&>(*canvas.Tiles()[static_cast<size_t>(entry.SaveIndex)]);
      EXPECT_EQ(WorkOutDeviceAdvice(device, entry.SaveIndex), entry) << "tile " << entry.SaveIndex;
    }
    for (const TSourceAdvice& entry : advice.Sources) {
      const TPowerModule& module =
          entry.SaveIndex < 0 ? panel
                              : dynamic_cast<const TPSU&>(*canvas.Tiles()[static_cast<size_t>(entry.SaveIndex)]).Module;
      EXPECT_EQ(WorkOutSourceAdvice(module, entry.SaveIndex), entry) << "source " << entry.SaveIndex;
    }
  }

  // The recommended battery clears the three flags and the one before it by capacity does not.
  void CheckBattery(TPowerModule& module, const TSourceAdvice& source) {
    const std::vector<int32_t> order = ByCapacity(module.PanelType);
    const auto at = std::find(order.begin(), order.end(), source.RecommendedBattery);
    if (source.RecommendedBattery == -1) {
      ++Seen.NoBattery;
      for (const int32_t index : order) {
        module.SetBattery(index);
        EXPECT_TRUE(AnyFlag(module)) << "battery " << index;
      }
      return;
    }
    ASSERT_NE(at, order.end());
    module.SetBattery(source.RecommendedBattery);
    EXPECT_FALSE(AnyFlag(module));
    if (at != order.begin()) {
      ++Seen.LargerBattery;
      module.SetBattery(*(at - 1));
      EXPECT_TRUE(AnyFlag(module));
    }
  }

  // Just above the required capacity the rules hold; just below, one fails.
  void CheckRequiredCapacity(TPowerModule& module, const TSourceAdvice& source) {
    if (module.TotalQuiescent() == 0 || module.RequiredStandby == 0) return;
    module.BatteryCapacity = source.RequiredCapacity * (1 + 1e-12);
    module.Calculate();
    EXPECT_FALSE(module.InsufficientBackup);
    EXPECT_FALSE(module.ContinuousOverload && module.ContinuousRated < module.PeakAvailable);
    module.BatteryCapacity = source.RequiredCapacity * (1 - 1e-9);
    module.Calculate();
    EXPECT_TRUE(module.InsufficientBackup || module.ContinuousOverload);
  }

  std::vector<TVududa*> devices;
  RandomCases& Seen;

 private:
  size_t Pick(size_t count) { return static_cast<size_t>(random_() % count); }
  std::mt19937 random_;
};

TEST(AdviceRandom, LimitsAndBatteriesHoldOnRandomDesigns) {
  RandomCases seen;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE(seed);
    RandomDesign design(seed, seen);
    const std::vector<double> before = design.Figures();
    const TDesignAdvice advice = WorkOutAdvice(design.panel, design.canvas);
    TStringList block;
    WriteDesignAdvice(block, design.panel, design.canvas, advice);
    EXPECT_EQ(design.Figures(), before);
    EXPECT_GE(block.size(), 3u);
    design.CheckAloneAsInTheWhole(advice);
    design.CheckCableLimits(advice);
    // On battery every voltage not held at 0 is the one shown less the
    // battery's shortfall, at any battery voltage the user may set.
    design.canvas.Context().BatteryVolts = 10.5 + 0.1 * static_cast<double>(seed % 32);
    const TDesignAdvice onBattery = WorkOutAdvice(design.panel, design.canvas);
    const double shortfall = 13.6 - design.canvas.Context().BatteryVolts;
    for (const TDeviceAdvice& entry : onBattery.Devices) {
      const TDevice& tile = *design.canvas.Tiles()[static_cast<size_t>(entry.SaveIndex)];
      if (tile.SupplyVolts > 0) {
        EXPECT_NEAR(entry.OnBatteryVolts[0], tile.SupplyVolts - shortfall, 1e-9);
      }
      if (tile.AlarmVolts > 0) {
        EXPECT_NEAR(entry.OnBatteryVolts[1], tile.AlarmVolts - shortfall, 1e-9);
      }
      EXPECT_EQ(entry.OnBatteryOk,
                entry.OnBatteryVolts[0] >= tile.MinVolts && entry.OnBatteryVolts[1] >= tile.MinVolts);
      EXPECT_EQ(TileHintText(tile).ends_with(BelowOnBatteryHint), !entry.OnBatteryOk);
    }
    // The failed checks worked out alone are those of the whole advice.
    const TFailedChecks failed = WorkOutFailedChecks(design.panel, design.canvas);
    std::vector<int32_t> below;
    for (const TDeviceAdvice& entry : onBattery.Devices)
      if (!entry.OnBatteryOk) below.push_back(entry.SaveIndex);
    EXPECT_EQ(failed.DevicesBelowOnBattery, below);
    std::vector<int32_t> slow;
    for (const TSourceAdvice& entry : onBattery.Sources)
      if (entry.RechargeOk == false) slow.push_back(entry.SaveIndex);
    std::vector<int32_t> slowAlone;
    for (const auto& source : failed.SlowRecharges) slowAlone.push_back(source.SaveIndex);
    EXPECT_EQ(slowAlone, slow);
    std::vector<TPowerModule*> modules{&design.panel};
    for (const auto& tile : design.canvas.Tiles()) {
      if (auto* psu = dynamic_cast<TPSU*>(tile.get())) modules.push_back(&psu->Module);
    }
    ASSERT_EQ(modules.size(), advice.Sources.size());
    for (size_t i = 0; i < modules.size(); ++i) {
      design.CheckRequiredCapacity(*modules[i], advice.Sources[i]);
      design.CheckBattery(*modules[i], advice.Sources[i]);
    }
  }
  EXPECT_GT(seen.CableLimits, 300);
  EXPECT_GT(seen.NoBattery, 30);
  EXPECT_GT(seen.LargerBattery, 30);
}

}  // namespace
}  // namespace voltaris::testing
