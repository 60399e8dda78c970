#include "calculator/device_picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace voltaris {
namespace {

int LineOf(const TDevicePicker& p, const std::string& name) {
  const TStringList& lines = p.Lines();
  return static_cast<int>(
      std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return LineName(l) == name; }) -
      lines.begin());
}

class DevicePickerTest : public ::testing::Test {
 protected:
  TDevicePicker picker;
  TDeviceData entry;
};

TEST_F(DevicePickerTest, ListsTheRowsOfThePanelTypeAndGradeThenCustom) {
  picker.CurrentGrade = 2;
  picker.BuildList(5);
  ASSERT_EQ(picker.Lines().size(), 50u);
  EXPECT_EQ(picker.Lines()[0], "Orvane E8W\t3\t35 mA\t35 mA");
  EXPECT_EQ(picker.Lines()[49], "Custom");
  EXPECT_EQ(picker.CustomIndex(), 49);
  for (const char* absent : {"Orvane WY", "Orvane Q8", "Orvane Link300", "Orvane Link2400", "Orvane LinkISDN"})
    EXPECT_EQ(LineOf(picker, absent), 50) << absent;

  picker.CurrentGrade = 3;
  picker.BuildList(16);
  TStringList names;
  for (const std::string& line : picker.Lines()) names.push_back(LineName(line));
  EXPECT_EQ(names, (TStringList{"16 Ohm Speaker", "Halvard S (Normal)", "Halvard S (SCB Mode)", "Halvard S (LC Mode)",
                                "Halvard SE (Normal)", "Halvard SE (SCB Mode)", "Halvard SE (LC Mode)",
                                "Sovra AMQD Plus PIR", "Sovra AMDT Plus PIR", "Pathra OH", "Pathra RR",
                                "Pathra FT64", "Pathra FT90", ""}));

  picker.CurrentGrade = 2;
  picker.BuildList(15);
  EXPECT_EQ(picker.CustomIndex(), 44);
  EXPECT_EQ(LineName(picker.Lines()[0]), "16 Ohm Speaker");
}

TEST_F(DevicePickerTest, CatalogueDeviceIsFilledForTheWholeQuantityAndEditedOnItsRow) {
  picker.CurrentGrade = 2;
  EXPECT_TRUE(picker.ExecuteAdd(5, entry, [](TDevicePicker& p) {
    EXPECT_EQ(p.Selected(), 0);
    p.ClickLine(LineOf(p, "Halvard S (Normal)"));
    p.SetQuantity(2);
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "2\tHalvard S (Normal)\t3\t36 mA\t1090 mA");

  EXPECT_TRUE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, [](TDevicePicker& p) {
    EXPECT_EQ(p.Selected(), LineOf(p, "Halvard S (Normal)"));
    EXPECT_FALSE(p.CustomEnabled());
    p.SetDescription("ignored while disabled");
    EXPECT_EQ(p.Description(), "");
    p.SetQuantity(4);
    return true;
  }));
  EXPECT_EQ(entry.Alarm, 2180);
}

TEST_F(DevicePickerTest, CustomDeviceDropsTheFractionAndEditsBackUnchanged) {
  picker.CurrentGrade = 2;
  ASSERT_TRUE(picker.ExecuteAdd(5, entry, [](TDevicePicker& p) {
    p.ClickLine(p.CustomIndex());
    p.SetDescription("Bell");
    p.SetCustomQuiescent(20);
    p.SetCustomAlarm(150.9);
    p.SetQuantity(3);
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "3\tBell\t2\t60 mA\t450 mA");

  EXPECT_TRUE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, [](TDevicePicker& p) {
    EXPECT_TRUE(p.CustomEnabled());
    EXPECT_EQ(p.Description(), "Bell");
    EXPECT_EQ(p.CustomQuiescent(), 20);
    EXPECT_EQ(p.CustomAlarm(), 150);
    EXPECT_EQ(p.Quantity(), 3);
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "3\tBell\t2\t60 mA\t450 mA");

  // An empty name matches the "Custom" line itself; the fields still show the
  // entry, so that OK does not wipe its currents.
  entry = {2, 2, "", 40, 300};
  EXPECT_TRUE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, [](TDevicePicker& p) {
    return p.Selected() == p.CustomIndex();
  }));
  EXPECT_EQ(LoadListLine(entry), "2\t\t2\t40 mA\t300 mA");

  // A grade-2 detector kept at grade 3 is no longer listed: changing its
  // quantity must not make it a grade-3 device.
  picker.CurrentGrade = 3;
  entry = {1, 2, "Lumen PIR", 9, 9};
  EXPECT_TRUE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, [](TDevicePicker& p) {
    p.SetQuantity(2);
    return p.Selected() == p.CustomIndex();
  }));
  EXPECT_EQ(LoadListLine(entry), "2\tLumen PIR\t2\t18 mA\t18 mA");
}

TEST_F(DevicePickerTest, WithNoRowPassingCustomOpensDisabledUntilClicked) {
  picker.CurrentGrade = 3;
  EXPECT_TRUE(picker.ExecuteAdd(40, entry, [](TDevicePicker& p) {
    EXPECT_EQ(p.Lines(), TStringList{"Custom"});
    EXPECT_FALSE(p.CustomEnabled());
    p.SetCustomQuiescent(5);  // not taken: the field is disabled
    p.ClickLine(0);
    p.SetCustomAlarm(7);
    return true;
  }));
  EXPECT_EQ(LoadListLine(entry), "1\t\t3\t0 mA\t7 mA");
}

TEST_F(DevicePickerTest, CancelLeavesTheEntryAlone) {
  entry = {3, 2, "Bell", 60, 450};
  auto cancel = [](TDevicePicker& p) {
    p.ClickLine(0);
    p.SetQuantity(9);
    return false;
  };
  EXPECT_FALSE(picker.ExecuteAdd(5, entry, cancel));
  EXPECT_FALSE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, cancel));
  EXPECT_EQ(LoadListLine(entry), "3\tBell\t2\t60 mA\t450 mA");
}

TEST_F(DevicePickerTest, FieldsKeepWhatIsTypedAndOkRefusesAFigureOutOfItsRange) {
  picker.BuildList(5);
  picker.ClickLine(picker.CustomIndex());
  picker.SetDescription(std::string(60, 'x'));
  EXPECT_EQ(picker.Description().size(), 50u);
  picker.SetDescription("Bell\tNorth\r\n");  // would split the load-list line
  EXPECT_EQ(picker.Description(), "Bell North  ");
  picker.SetCustomAlarm(std::nan(""));
  EXPECT_EQ(picker.CustomAlarm(), 0);
  EXPECT_EQ(picker.Refusal(), "");

  const char* const quantity = "Enter a number of devices from 1 to 999 devices.";
  const char* const current = "Enter a current per device from 0 to 5000 mA.";
  const std::tuple<int32_t, double, double, std::string> figures[] = {
      {0, 10, 10, quantity},   {1000, 10, 10, quantity}, {1, -20, 10, current}, {1, 10, 99999, current},
      {1, 5000.5, 0, current}, {999, 1e12, 0, current},  {999, 5000, 5000, ""}, {1, 0, 0, ""},
  };
  for (const auto& figure : figures) {
    const std::string& refusal = std::get<3>(figure);
    SCOPED_TRACE(refusal);
    entry = {1, 2, "Sounder", 10, 10};
    const bool confirmed = TDevicePicker(2).ExecuteAdd(5, entry, [&figure](TDevicePicker& p) {
      p.ClickLine(p.CustomIndex());
      p.SetQuantity(std::get<0>(figure));
      p.SetCustomQuiescent(std::get<1>(figure));
      p.SetCustomAlarm(std::get<2>(figure));
      EXPECT_EQ(p.Quantity(), std::get<0>(figure));  // kept as typed, never cut down to the range
      EXPECT_EQ(p.Refusal(), std::get<3>(figure));
      return true;
    });
    // Refused, the entry is left alone as by Cancel.
    EXPECT_EQ(confirmed, refusal.empty());
    if (!confirmed) {
      EXPECT_EQ(entry.Quiescent, 10);
    }
  }

  // A damaged entry without a quantity shows per device of the quantity 1,
  // and OK wants a quantity.
  entry = {0, 2, "Damaged", 30, 90};
  EXPECT_TRUE(TDevicePicker(picker.CurrentGrade).ExecuteEdit(5, entry, [](TDevicePicker& p) {
    EXPECT_FALSE(p.Refusal().empty());
    p.SetQuantity(1);
    return p.CustomQuiescent() == 30;
  }));
  EXPECT_EQ(entry.Qty, 1);
  EXPECT_EQ(entry.Alarm, 90);
}

}  // namespace
}  // namespace voltaris
