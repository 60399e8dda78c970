// The parts list: the two examples against their tiles counted by hand, and a
// design built as the user builds it (a pair battery, a device on no network,
// load lists sharing names) down to the bytes of its CSV.
#include "document/parts_list.h"

#include "model/load_data.h"
#include "tests/designer/designer_fixture.h"

namespace voltaris::testing {
namespace {

TPartsList Example(const char* name) {
  TSettings settings;
  TProject project = LoadProjectFiles(VOLTARIS_EXAMPLES, name, settings);
  return BuildPartsList(*project.ControlPanel, *project.Canvas);
}

// From tools/make_examples.cpp. Warehouse: tools 5 (Reception, Staff
// entrance), 6, 7, 8, 10, 11, 17 are D1 x2, D2, D3, D4, E4S, E8S, Tag; two
// supplies, the yard's clone not a part. Batteries: panel list (7.2, 17.0,
// 18.0) index 1, Stores (7.2, 17.0, 18.0, 14.4 (2 x 7.2)) index 0, Yard index
// 1: 7.2 x1, 17.0 x2. AMDT 2+1+2+1, AMQD 2+6. Cable, supplied devices' data
// cable the 10 m run: net 1 10+40+35+30 + Stores 10+20 = 145, net 2 60 + Yard
// 10+80 = 150, net 3 Staff 10+50 = 60: 355. Corner shop: K8, D1, E8, K4;
// 7.2 Ah; Lumen PIR 4+3; cable 15+20+25+12 = 72.
TEST(PartsList, TheExamplesListWhatTheirTilesHold) {
  // clang-format off
  EXPECT_EQ(Example("Warehouse"),
            (TPartsList{"Orvane 700",
                        {{"Orvane D1", 2}, {"Orvane D2", 1}, {"Orvane D3", 1}, {"Orvane D4", 1}, {"Orvane E4S", 1},
                         {"Orvane E8S", 1}, {"Orvane Tag", 1}},
                        2, {{"7.2 Ah", 1}, {"17.0 Ah", 2}},
                        {{"Halvard SE (LC Mode)", 1}, {"Halvard SE (Normal)", 1}, {"Halvard SE (SCB Mode)", 1},
                         {"Linecare 3GSTU", 1}, {"Pathra FT64", 4}, {"Pathra OH", 2}, {"Sovra AMDT Plus PIR", 6},
                         {"Sovra AMQD Plus PIR", 8}},
                        {145, 150, 60, 0, 0, 0, 0, 0}, 355}));
  EXPECT_EQ(Example("CornerShop"),
            (TPartsList{"Orvane 200", {{"Orvane K4", 1}, {"Orvane K8", 1}, {"Orvane D1", 1}, {"Orvane E8", 1}},
                        0, {{"7.2 Ah", 1}},
                        {{"Halvard S (Normal)", 1}, {"Lumen PIR", 7}, {"Shokra E", 2}, {"Tessal PIR", 1},
                         {"Twinpath GSM", 1}},
                        {72}, 72}));
  // clang-format on
}

// The load calculator closed with `battery` fitted and `entries` listed.
std::function<void(TPowerModule&, TLoadLines&)> Calculator(int32_t battery,
                                                           std::vector<std::pair<int32_t, std::string>> entries) {
  return [=](TPowerModule& module, TLoadLines& lines) {
    module.SetBattery(battery);
    for (const auto& [qty, name] : entries) {
      const auto entry = std::make_shared<TDeviceData>(TDeviceData{qty, 3, name, 10, 20});
      lines.push_back({LoadListLine(*entry), entry});
    }
  };
}

// An Orvane 700 with a 7.2 Ah battery, a supply with the 14.4 Ah pair, a Q16
// on no network powered from the supply over 12 m and an old plain device:
// 7.2 Ah x3, and the 12 m on no network only. Equipment sorted with capitals
// ignored ("café" before "Door"), then by bytes ("Lumen" before "lumen").
TEST_F(DesignerTest, ThePartsListCountsAPairAsTwoAndGivesASpreadsheetsCsv) {
  New("Orvane 700", 3);
  host.onEditLoadList = Calculator(0,
                                   {{2, "Lumen PIR"}, {1, "Door strike, 12 V \"fail safe\""}, {1, "caf\xe9 sounder"}});
  designer.ControlPanel()->EditLoadList(designer.Context());
  host.onEditLoadList = Calculator(3, {{1, "lumen pir"}});
  TPSU& supply = PlaceSupply(700, 150);
  supply.DoubleClickAction();
  TVududa& shed = Place(16, 600, 600);
  ASSERT_TRUE(Drag(shed, supply));
  shed.SetCableLength(12);
  designer.Canvas().Create<TNetDevice>().SetName("Old reader");

  EXPECT_EQ(PartsListCsv(BuildPartsList(*designer.ControlPanel(), designer.Canvas())),
            "\xEF\xBB\xBFSection,Item,Quantity,Unit\r\n"
            "Control panel,Orvane 700,1,pcs\r\n"
            "Network devices,Orvane Q16,1,pcs\r\n"
            "Network devices,Old reader,1,pcs\r\n"
            "Remote supplies,Orvane PSU10,1,pcs\r\n"
            "Batteries,7.2 Ah,3,pcs\r\n"
            "Equipment,caf\xc3\xa9 sounder,1,pcs\r\n"
            "Equipment,\"Door strike, 12 V \"\"fail safe\"\"\",1,pcs\r\n"
            "Equipment,Lumen PIR,2,pcs\r\n"
            "Equipment,lumen pir,1,pcs\r\n"
            "Cable per network,Not on a network,12.0,m\r\n"
            "Cable per network,Total,12.0,m\r\n");
  // Brackets that do not say how many of what leave a battery's name whole.
  EXPECT_EQ(BatteryUnits("36.0 Ah (3 x 12.0)"), (TPartCount{"12.0 Ah", 3}));
  for (const char* name : {"7.2 Ah (spare)", "7.2 Ah (0 x 7.2)", "7.2 Ah (2 x )"})
    EXPECT_EQ(BatteryUnits(name), (TPartCount{name, 1}));
}

}  // namespace
}  // namespace voltaris::testing
