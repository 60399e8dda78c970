#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

namespace voltaris {
namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  TStringList list{"left over"};
  TCatalogueFilter filter;
};

TEST_F(CatalogueTest, RowsKeepTheirNumbersAndStoredWords) {
  for (int i = 0; i < PanelTypeCount; ++i) EXPECT_EQ(PanelOptsTable[i].Id, i);
  for (int i = 0; i < NetDeviceTypeCount; ++i) EXPECT_EQ(NetBitOptsTable[i].Index, i);
  EXPECT_EQ(PanelOptsTable[0].Batteries, 1u);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(PanelOptsTable[i].Batteries, 2u) << i;
  for (int i = 9; i <= 13; ++i) EXPECT_EQ(PanelOptsTable[i].Batteries, 14u) << i;
  EXPECT_EQ(PanelOptsTable[14].Batteries, 30u);
  EXPECT_EQ(PanelOptsTable[15].Batteries, 30u);
  EXPECT_EQ(PanelOptsTable[16].Batteries, 0u);
  EXPECT_STREQ(PanelOptsTable[13].Name, "Orvane 700");
  EXPECT_EQ(PanelOptsTable[13].NetworkCount, 8);
  EXPECT_EQ(PanelOptsTable[13].OwnCurrent, 160);
  EXPECT_STREQ(NetBitOptsTable[18].Name, "Airlink Network Receiver");
  EXPECT_STREQ(DeviceTypeTable[0].Name, "Orvane E8W");
  EXPECT_STREQ(DeviceTypeTable[53].Name, "Linecare Basic STU");
  EXPECT_EQ(DeviceTypeTable[11].Alarm, 545);
  for (const TNetBitOpts& row : NetBitOptsTable) EXPECT_DOUBLE_EQ(row.MinVoltage, 10.5);
}

TEST_F(CatalogueTest, LoadDeviceNamesAreUnique) {
  for (size_t i = 0; i < DeviceTypeTable.size(); ++i)
    for (size_t j = i + 1; j < DeviceTypeTable.size(); ++j)
      EXPECT_STRNE(DeviceTypeTable[i].Name, DeviceTypeTable[j].Name);
}

TEST_F(CatalogueTest, SetMembershipIgnoresMembersFromThirtyTwo) {
  EXPECT_TRUE(InSet(0x80000000u, 31));
  EXPECT_FALSE(InSet(0xFFFFFFFFu, 32));
  EXPECT_FALSE(InSet(0xFFFFFFFFu, -1));
}

TEST_F(CatalogueTest, PanelListFollowsTheCurrentGrade) {
  filter.CurrentGrade = -1;
  FillPanelList(list, filter.CurrentGrade);
  EXPECT_EQ(list, (TStringList{"Orvane 100", "Orvane 200", "Orvane 250", "Orvane 300 Poly", "Orvane 300 Metal",
                               "Orvane 400", "Orvane 500", "Orvane 600", "Orvane 700"}));
  filter.CurrentGrade = 3;
  FillPanelList(list, filter.CurrentGrade);
  EXPECT_EQ(list, (TStringList{"Orvane 300 Metal", "Orvane 400", "Orvane 500", "Orvane 600", "Orvane 700"}));
}

TEST_F(CatalogueTest, GradeListRunsToTheHighestGrade) {
  FillGradeList(list, 8);
  EXPECT_EQ(list, (TStringList{"Grade 1", "Grade 2"}));
  FillGradeList(list, 9);
  EXPECT_EQ(list, (TStringList{"Grade 1", "Grade 2", "Grade 3"}));
  FillGradeList(list, -1);
  EXPECT_EQ(list.size(), 3u);
  FillGradeList(list, 0);
  EXPECT_EQ(list, TStringList{"Grade 1"});
  FillGradeList(list, 99);
  EXPECT_TRUE(list.empty());
}

TEST_F(CatalogueTest, BatteryListFollowsThePanelType) {
  FillBatteryList(list, 5);
  EXPECT_EQ(list, TStringList{"7.2 Ah"});
  FillBatteryList(list, 14);
  EXPECT_EQ(list, (TStringList{"7.2 Ah", "17.0 Ah", "18.0 Ah", "14.4 Ah (2 x 7.2)"}));
  FillBatteryList(list, 16);
  EXPECT_TRUE(list.empty());
  FillBatteryList(list, 0);
  EXPECT_EQ(list, TStringList{"2.1 Ah"});
}

TEST_F(CatalogueTest, NetDeviceListFiltersByPanelAndGradeAndFillsTheMap) {
  FillNetDeviceList(list, 5, 2, filter.NetDeviceListMap);
  ASSERT_EQ(list.size(), 12u);
  const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 18};
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(filter.NetDeviceListMap[i], expected[i]);
    EXPECT_EQ(list[i], NetBitOptsTable[expected[i]].Name);
  }

  FillNetDeviceList(list, 9, 3, filter.NetDeviceListMap);
  EXPECT_EQ(list, (TStringList{"Orvane D1", "Orvane D2", "Orvane D3", "Orvane D4", "Orvane E4S", "Orvane E8S",
                               "Orvane Q16", "Orvane Tag"}));
  EXPECT_EQ(filter.NetDeviceListMap[7], 17);

  FillNetDeviceList(list, 11, 2, filter.NetDeviceListMap);
  EXPECT_EQ(list.size(), 11u);
  EXPECT_NE(std::find(list.begin(), list.end(), "Orvane WX-1 Loop"), list.end());
  EXPECT_NE(std::find(list.begin(), list.end(), "Orvane WX-2 Loop"), list.end());
  // The toolbar of the same panel offers only the second loop expander.
  EXPECT_FALSE(ToolbarShowsDevice(11, 2, 14));
  EXPECT_TRUE(ToolbarShowsDevice(11, 2, 15));

  for (int type = 0; type < PanelTypeCount; ++type)
    for (int grade = -1; grade <= 3; ++grade) {
      if (!PanelOptsTable[type].IsPanel) continue;
      FillNetDeviceList(list, type, grade, filter.NetDeviceListMap);
      EXPECT_LE(list.size(), 12u);
    }
}

TEST_F(CatalogueTest, ToolbarHonoursPanelSetAndGrade) {
  EXPECT_TRUE(ToolbarShowsDevice(6, 2, 0));    // K4 on an Orvane 200 at grade 2
  EXPECT_FALSE(ToolbarShowsDevice(6, 3, 0));   // but not at grade 3 (a grade 2 keypad)
  EXPECT_TRUE(ToolbarShowsDevice(6, 3, 3));    // K8 Plus is grade 3
  EXPECT_FALSE(ToolbarShowsDevice(7, 2, 12));  // Orvane 250 uses the other WX row
  EXPECT_TRUE(ToolbarShowsDevice(7, 2, 13));
  EXPECT_FALSE(ToolbarShowsDevice(2, 1, 0));   // Kestra models offer nothing
  EXPECT_FALSE(ToolbarShowsDevice(14, 1, 0));  // no toolbar set for the supply row
}

TEST_F(CatalogueTest, PanelLookupIsExactAndKeepsThePreviousTypeOnNoMatch) {
  EXPECT_EQ(FindPanelType("Orvane 700", -1), 13);
  EXPECT_EQ(FindPanelType("Orvane PSU10", -1), 14);
  EXPECT_EQ(FindPanelType("orvane 700", 6), 6);
  EXPECT_EQ(FindPanelType("Orvane 300", 6), 6);
}

}  // namespace
}  // namespace voltaris
