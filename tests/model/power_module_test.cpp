#include "model/power_module.h"
#include "model/project_context.h"

#include <gtest/gtest.h>

#include <clocale>

#include "model/dialog_host.h"

namespace voltaris {
namespace {

// Counts recalculations so that tests can see when one ran.
class CountingModule : public TPowerModule {
 public:
  void Calculate() override {
    ++calculations;
    TPowerModule::Calculate();
  }
  int calculations = 0;
};

// An Orvane 100 control panel (type 5) at grade 2 with its 7.2 Ah battery:
// 1.0 A output, 120 mA charging, 50 mA own current.
class PanelModuleTest : public ::testing::Test {
 protected:
  PanelModuleTest() {
    module.Name = "Orvane 100";
    module.SetPanelType(5);
    module.OwnQuiescent = 50;
    module.SetGrade(2);
    module.SetBattery(0);
  }
  // Sets the load list's currents so that the totals come out as given.
  void SetTotals(int32_t quiescent, int32_t alarm) {
    module.SetExtraQuiescent(quiescent - module.OwnQuiescent);
    module.SetExtraAlarm(alarm - module.OwnQuiescent);
  }
  CountingModule module;
};

TEST(PowerModule, NewModuleIsAStandAloneSupplyWithoutBattery) {
  TPowerModule module;
  EXPECT_EQ(module.Name, "Orvane PSU10");
  EXPECT_EQ(module.PanelType, 14);
  EXPECT_EQ(module.ChargeCurrent, 750);
  EXPECT_EQ(module.BatteryIndex, -1);
  EXPECT_EQ(module.BatteryFactor, 1.0);
  EXPECT_EQ(module.LowestDeviceGrade, 3);
  EXPECT_EQ(module.GetGrade(), 0);
  EXPECT_EQ(module.StandbyTime, 0);
  EXPECT_EQ(module.PeakAvailable, 0);  // construction does not calculate
}

TEST(PowerModule, RequiredStandbyFollowsStandardGradeAndACFail) {
  struct Case {
    int32_t standard, grade;
    bool acFail;
    int32_t hours;
  };
  const Case cases[] = {{0, 1, false, 12}, {0, 2, true, 12}, {0, 3, false, 60}, {0, 3, true, 30},
                        {1, 1, true, 12},  {1, 2, false, 12}, {1, 3, false, 24}, {1, 3, true, 12}};
  for (const Case& c : cases) {
    TPowerModule module;
    module.SetGrade(c.grade);
    module.SetStandard(c.standard);
    module.SetACFailSignalled(c.acFail);
    EXPECT_EQ(module.RequiredStandby, c.hours) << c.standard << " " << c.grade << " " << c.acFail;
  }
  TPowerModule ungraded;
  ungraded.SetStandard(1);
  EXPECT_EQ(ungraded.RequiredStandby, 0);  // no grade: unchanged
}

TEST(PowerModule, ChangingTheGradeClearsACFail) {
  TPowerModule module;
  module.SetGrade(3);
  module.SetACFailSignalled(true);
  EXPECT_EQ(module.RequiredStandby, 30);
  module.SetGrade(3);
  EXPECT_TRUE(module.ACFailSignalled);  // same grade: kept
  module.SetGrade(2);
  EXPECT_FALSE(module.ACFailSignalled);
  EXPECT_EQ(module.RequiredStandby, 12);
}

TEST_F(PanelModuleTest, StandbyTimeKeepsTheAlarmReserveAndScalesTheRest) {
  module.SetAlarmPeriod(15);
  SetTotals(200, 1000);
  EXPECT_EQ(module.TotalQuiescent(), 200);
  EXPECT_EQ(module.TotalAlarm(), 1000);
  EXPECT_DOUBLE_EQ(module.StandbyTime, 33.5);  // (7.2 - 1.0 A x 0.5 h) / 200 mA
  module.SetBatteryFactor(0.7);
  EXPECT_DOUBLE_EQ(module.StandbyTime, 23.45);
}

TEST_F(PanelModuleTest, AnAlarmReserveLargerThanTheBatteryGivesZero) {
  module.SetAlarmPeriod(240);  // 8 hours of alarm reserve
  SetTotals(200, 1000);
  EXPECT_EQ(module.StandbyTime, 0);
  EXPECT_TRUE(module.InsufficientBackup);
}

TEST_F(PanelModuleTest, NoQuiescentLoadKeepsThePreviousStandbyTime) {
  SetTotals(600, 600);
  EXPECT_DOUBLE_EQ(module.StandbyTime, 12);
  module.OwnQuiescent = 0;
  module.SetExtraQuiescent(0);
  EXPECT_DOUBLE_EQ(module.StandbyTime, 12);
}

TEST_F(PanelModuleTest, PeakCurrentAndAlarmOverloadBoundary) {
  EXPECT_DOUBLE_EQ(module.PeakAvailable, 0.88);
  SetTotals(100, 880);
  EXPECT_FALSE(module.AlarmOverload);
  SetTotals(100, 881);
  EXPECT_TRUE(module.AlarmOverload);
}

TEST_F(PanelModuleTest, ContinuousRatedIsCapacityOverRequiredHoursCappedAtPeak) {
  EXPECT_DOUBLE_EQ(module.ContinuousRated, 0.6);  // 7.2 Ah / 12 h
  SetTotals(600, 600);
  EXPECT_FALSE(module.ContinuousOverload);
  SetTotals(601, 601);
  EXPECT_TRUE(module.ContinuousOverload);

  TPowerModule supply;  // 18 Ah over 12 h is 1.5 A, above the 1.25 A peak at 750 mA charging
  supply.SetGrade(2);
  supply.SetBattery(2);
  supply.SetGrade(3);
  supply.SetBattery(2);
  EXPECT_EQ(supply.ChargeCurrent, 750);
  supply.SetGrade(2);
  EXPECT_DOUBLE_EQ(supply.PeakAvailable, 1.25);
  EXPECT_DOUBLE_EQ(supply.ContinuousRated, 1.25);
}

TEST_F(PanelModuleTest, BackupIsInsufficientOnlyWhenStrictlyShort) {
  SetTotals(600, 600);  // 7.2 Ah / 600 mA = exactly 12 hours
  EXPECT_DOUBLE_EQ(module.StandbyTime, 12);
  EXPECT_FALSE(module.InsufficientBackup);
  SetTotals(601, 601);
  EXPECT_TRUE(module.InsufficientBackup);
}

TEST(PowerModule, NoGradeMeansNoRatedOutputAndAnUntouchedOverloadFlag) {
  TPowerModule module;
  module.ContinuousOverload = true;
  module.SetBattery(0);
  EXPECT_EQ(module.ContinuousRated, 0);
  EXPECT_TRUE(module.ContinuousOverload);
}

TEST_F(PanelModuleTest, LoadSettersRecalculateOnlyOnChange) {
  module.SetNetworkQuiescent(40);
  const int after = module.calculations;
  module.SetNetworkQuiescent(40);
  module.SetNetworkAlarm(0);
  module.SetExtraQuiescent(module.ExtraQuiescent);
  module.SetExtraAlarm(module.ExtraAlarm);
  EXPECT_EQ(module.calculations, after);
  module.SetNetworkAlarm(10);
  EXPECT_EQ(module.calculations, after + 1);
}

TEST(PowerModule, SupplyChargingCurrentFollowsTheBatteryAtTheTimeItIsFitted) {
  TPowerModule supply;
  supply.SetGrade(3);
  supply.SetBattery(1);  // 17.0 Ah
  EXPECT_EQ(supply.BatteryCapacity, 17.0);
  EXPECT_EQ(supply.ChargeCurrent, 750);
  supply.SetGrade(2);
  EXPECT_EQ(supply.ChargeCurrent, 750);  // a later grade change does not redo it
  supply.SetBattery(1);
  EXPECT_EQ(supply.ChargeCurrent, 300);
  supply.SetBattery(0);
  EXPECT_EQ(supply.ChargeCurrent, 300);  // 7.2 Ah
  supply.SetBattery(3);
  EXPECT_EQ(supply.BatteryCapacity, 14.4);
  EXPECT_EQ(supply.ChargeCurrent, 600);
  supply.SetBattery(-1);
  EXPECT_EQ(supply.BatteryCapacity, 0);
  EXPECT_EQ(supply.ChargeCurrent, 0);
}

TEST(PowerModule, PanelChargingCurrentComesFromTheTable) {
  TPowerModule panel;
  panel.SetPanelType(9);
  EXPECT_EQ(panel.ChargeCurrent, 750);
  panel.SetPanelType(6);
  EXPECT_EQ(panel.ChargeCurrent, 120);
}

TEST(PowerModule, BatteryCapacityIsReadWithADecimalPointInAnyLocale) {
  EXPECT_EQ(BatteryCapacityOf("7.2 Ah"), 7.2);
  EXPECT_EQ(BatteryCapacityOf("14.4 Ah (2 x 7.2)"), 14.4);
  EXPECT_EQ(BatteryCapacityOf("no capacity"), 0);
  EXPECT_EQ(BatteryCapacityOf("Ah"), 0);
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "C.UTF-8");
  EXPECT_EQ(BatteryCapacityOf("17.0 Ah"), 17.0);
  std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(PanelModuleTest, ReportBlockLines) {
  module.SetAlarmPeriod(15);
  module.SetBatteryFactor(0.8);
  SetTotals(200, 1000);
  module.LoadData.Entries.push_back(std::make_shared<TDeviceData>(TDeviceData{3, 2, "Lumen PIR", 27, 27}));
  TStringList lines;
  module.WriteReport(lines);
  const TStringList expected = {
      "",
      "Orvane 100 :: Grade 2 System",
      "Total Quiescent Current 200mA,  Total Alarm Current 1000mA",
      "Peak Available Current 0.88A",
      "7.2Ah  Battery Fitted,  Battery Degradation Calculated at 20%",
      "Alarm Period 15 minutes",
      "Battery Standby Time 26.80 hours ",
      "",
      "     Lumen PIR (3 off)  Total Current 27mA,  Total Alarm Current 27mA, ",
  };
  EXPECT_EQ(lines, expected);
}

TEST(PowerModule, ReportMarksTheDoubleBatteryAndAMissingOne) {
  TPowerModule supply;
  supply.SetGrade(3);
  TStringList lines;
  supply.WriteReport(lines);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "Orvane PSU10 :: Grade 3 System");
  EXPECT_EQ(lines[5], "Battery Standby Time 0.00 hours - No Battery Fitted");

  supply.SetBattery(3);
  lines.clear();
  supply.WriteReport(lines);
  EXPECT_EQ(lines[4], "14.4Ah  (2*7.2)  Battery Fitted,  Battery Degradation Calculated at 0%");
}

TEST_F(PanelModuleTest, RecordLayoutAndRoundTrip) {
  module.SetAlarmPeriod(20);
  module.SetNetworkQuiescent(123);
  module.SetNetworkAlarm(456);
  module.SetExtraQuiescent(7);
  module.SetExtraAlarm(8);
  module.LowestDeviceGrade = 2;
  TStream stream;
  module.WriteRecord(stream);
  ASSERT_EQ(stream.Size(), 59u + 9u);  // 59 bytes, then an empty load list
  const TBytes& b = stream.Bytes();
  EXPECT_EQ(b[0], 5);    // panel type
  EXPECT_EQ(b[4], 20);   // alarm period
  EXPECT_EQ(b[8], 12);   // required standby
  EXPECT_EQ(b[20], 2);   // grade
  EXPECT_EQ(b[24], 0);   // AC fail
  EXPECT_EQ(TExtended(std::to_array<uint8_t>({b[25], b[26], b[27], b[28], b[29], b[30], b[31], b[32], b[33], b[34]})),
            EncodeExtended(7.2));

  stream.Seek(0);
  TPowerModule back;
  back.ReadRecord(stream);
  EXPECT_EQ(stream.Remaining(), 0u);
  EXPECT_EQ(back.PanelType, 5);
  EXPECT_EQ(back.AlarmPeriod, 20);
  EXPECT_EQ(back.RequiredStandby, 12);
  EXPECT_EQ(back.Standard, 0);
  EXPECT_EQ(back.BatteryIndex, 0);
  EXPECT_EQ(back.Grade, 2);
  EXPECT_EQ(back.BatteryCapacity, 7.2);
  EXPECT_EQ(back.OwnQuiescent, 50);
  EXPECT_EQ(back.ExtraQuiescent, 7);
  EXPECT_EQ(back.ExtraAlarm, 8);
  EXPECT_EQ(back.NetworkQuiescent, 123);
  EXPECT_EQ(back.NetworkAlarm, 456);
  EXPECT_EQ(back.LowestDeviceGrade, 2);
  // Not part of the record, and nothing recalculated.
  EXPECT_EQ(back.Name, "Orvane PSU10");
  EXPECT_EQ(back.ChargeCurrent, 750);
  EXPECT_EQ(back.StandbyTime, 0);
}

TEST_F(PanelModuleTest, EveryTruncatedRecordFailsAndLeavesTheModuleAlone) {
  module.LoadData.Entries.push_back(std::make_shared<TDeviceData>(TDeviceData{1, 3, "Pathra OH", 8, 8}));
  module.LoadData.Text = "1\tPathra OH\t3\t8 mA\t8 mA\r\n";
  TStream whole;
  module.WriteRecord(whole);
  for (size_t cut = 0; cut < whole.Size(); ++cut) {
    TStream part(TBytes(whole.Bytes().begin(), whole.Bytes().begin() + cut));
    TPowerModule back;
    EXPECT_THROW(back.ReadRecord(part), StreamError) << cut;
    EXPECT_EQ(back.PanelType, 14);
    EXPECT_TRUE(back.LoadData.Entries.empty());
  }
}

TEST_F(PanelModuleTest, ValuesOutsideTheCatalogueAreRejected) {
  for (int field : {0, 16, 20}) {
    TStream stream;
    module.WriteRecord(stream);
    TBytes bytes = stream.TakeBytes();
    bytes[field] = 99;
    TStream bad(std::move(bytes));
    TPowerModule back;
    EXPECT_THROW(back.ReadRecord(bad), StreamError) << field;
  }
}

// Stands in for the load calculator: adds one entry, as the user would.
class AddingHost : public IDialogHost {
 public:
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter&) override {
    seenLines = lines.size();
    auto entry = std::make_shared<TDeviceData>(TDeviceData{1, 2, "Lumen PIR", 9, 9});
    lines.push_back({LoadListLine(*entry), entry});
    module.SetExtraQuiescent(9);
    module.SetExtraAlarm(9);
    return true;
  }
  bool SetUpDevice(TNetDevice&, TLoadLines&) override { return false; }
  bool AskYesNo(const std::string&) override { return false; }
  size_t seenLines = 99;
};

TEST_F(PanelModuleTest, EditLoadListTakesTheDialogsLinesBack) {
  AddingHost host;
  TProjectContext context;
  context.DialogHost = &host;
  module.EditLoadList(context);
  EXPECT_EQ(host.seenLines, 0u);
  ASSERT_EQ(module.LoadData.Entries.size(), 1u);
  EXPECT_EQ(module.LoadData.Text, "1\tLumen PIR\t2\t9 mA\t9 mA\r\n");
  EXPECT_EQ(module.LowestDeviceGrade, 2);
  EXPECT_EQ(module.TotalQuiescent(), 59);

  module.EditLoadList(context);  // the same entry object comes back, plus a new one
  EXPECT_EQ(host.seenLines, 1u);
  EXPECT_EQ(module.LoadData.Entries.size(), 2u);
}

}  // namespace
}  // namespace voltaris
