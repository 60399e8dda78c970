#include "catalogue/catalogue.h"

#include "catalogue/format.h"

namespace voltaris {

// clang-format off
const std::array<TPanelOpts, PanelTypeCount> PanelOptsTable = {{
  // Id  Name                MaxGrade Batteries PsuOutput Charge Own  IsPanel Networks Kind
  {  0, "Kestra 10 Mini",    1,  1,  1.0, 120,  50, false, 0, 0 },
  {  1, "Kestra 10",         1,  2,  1.0, 120,  50, false, 0, 0 },
  {  2, "Kestra R10",        1,  2,  1.0, 120,  50, false, 0, 0 },
  {  3, "Kestra R10 Plus",   2,  2,  1.0, 120,  50, false, 0, 0 },
  {  4, "Kestra Pro",        2,  2,  1.0, 120,  50, false, 0, 0 },
  {  5, "Orvane 100",        2,  2,  1.0, 120,  50, true,  1, 1 },
  {  6, "Orvane 200",        2,  2,  1.0, 120,  50, true,  1, 1 },
  {  7, "Orvane 250",        2,  2,  1.0, 120,  50, true,  1, 2 },
  {  8, "Orvane 300 Poly",   2,  2,  1.0, 120,  95, true,  1, 3 },
  {  9, "Orvane 300 Metal",  3, 14,  1.5, 750,  95, true,  1, 3 },
  { 10, "Orvane 400",        3, 14,  2.0, 750,  70, true,  1, 4 },
  { 11, "Orvane 500",        3, 14,  2.0, 750,  70, true,  1, 5 },
  { 12, "Orvane 600",        3, 14,  2.0, 750,  70, true,  2, 5 },
  { 13, "Orvane 700",        3, 14,  2.0, 750, 160, true,  8, 5 },
  { 14, "Orvane PSU10",      3, 30,  2.0, 750,  25, false, 0, 0 },
  { 15, "NetWorkDevice",     3, 30,  2.0, 750,  25, false, 0, 0 },
  { 16, "E4S",               3,  0,  2.0, 750,  25, false, 0, 0 },
}};

const std::array<const char*, BatteryCount> BatteryNames = {
  "2.1 Ah", "7.2 Ah", "17.0 Ah", "18.0 Ah", "14.4 Ah (2 x 7.2)",
};

const std::array<TBitSet, ToolbarSetCount> PanelToolbarSets = {
  0x0, 0x0, 0x0, 0x0, 0x0,   // Kestra models: no network devices
  0xC13FF, 0xC13FF,          // Orvane 100, 200
  0xC23FF,                   // Orvane 250
  0xF0DE0, 0xF0DE0,          // Orvane 300 Poly, 300 Metal
  0xF4DE0,                   // Orvane 400
  0xF8DE0, 0xF8DE0, 0xF8DE0, // Orvane 500, 600, 700
};

const std::array<TNetBitOpts, NetDeviceTypeCount> NetBitOptsTable = {{
  // Index Name                      Grade Panels  Quiescent Alarm Keypads Expanders MinV  Bitmap
  {  0, "Orvane K4",                 2, 0x40E0, 35,  45, 1, 0, 10.5, "K4" },
  {  1, "Orvane K8",                 2, 0x40E0, 35,  45, 1, 0, 10.5, "K8" },
  {  2, "Orvane K16",                2, 0x40E0, 35,  45, 1, 0, 10.5, "K16" },
  {  3, "Orvane K8 Plus",            3, 0x40E0, 35,  45, 1, 0, 10.5, "K8PLUS" },
  {  4, "Orvane K16 Plus",           3, 0x40E0, 35,  45, 1, 0, 10.5, "K16PLUS" },
  {  5, "Orvane D1",                 3, 0x7FE0, 25,  45, 1, 0, 10.5, "D1" },
  {  6, "Orvane D2",                 3, 0x7FE0, 25,  45, 1, 0, 10.5, "D2" },
  {  7, "Orvane D3",                 3, 0x7FE0, 85, 105, 1, 0, 10.5, "D3" },
  {  8, "Orvane D4",                 3, 0x7FE0, 85, 105, 1, 0, 10.5, "D4" },
  {  9, "Orvane E8",                 3, 0x40E0, 35,  35, 0, 1, 10.5, "E8" },
  { 10, "Orvane E4S",                3, 0x7F00, 65,  65, 2, 0, 10.5, "E4S" },
  { 11, "Orvane E8S",                3, 0x7F00, 65,  65, 0, 1, 10.5, "E8S" },
  { 12, "Orvane WX",                 3, 0x0060, 85,  85, 0, 1, 10.5, "WX" },
  { 13, "Orvane WX",                 3, 0x0080, 85,  85, 0, 2, 10.5, "WX" },
  { 14, "Orvane WX-1 Loop",          3, 0x3C00, 85,  85, 0, 4, 10.5, "WX1L" },
  { 15, "Orvane WX-2 Loop",          3, 0x3800, 85,  85, 0, 8, 10.5, "WX2L" },
  { 16, "Orvane Q16",                3, 0x7F00, 65,  65, 0, 0, 10.5, "Q16" },
  { 17, "Orvane Tag",                3, 0x3F00, 85,  85, 1, 0, 10.5, "TAG" },
  { 18, "Airlink Network Receiver",  2, 0x3FE0, 60,  60, 0, 1, 10.5, "AIRLINK" },
}};

const std::array<TDeviceType, DeviceTypeCount> DeviceTypeTable = {{
  { "Orvane E8W",                   3, 0x03E0,  35,  35 },
  { "Orvane WY",                    3, 0x0300,  65,  65 },
  { "Orvane WX",                    3, 0x3FE0,  85,  85 },
  { "Orvane Q8",                    3, 0x7F00,  45,  45 },
  { "Orvane Link300",               3, 0x3F00,  35, 100 },
  { "Orvane Link2400",              3, 0x3F00,  35, 100 },
  { "Orvane LinkISDN",              3, 0x3F00,  35, 100 },
  { "Orvane LinkGSM",               3, 0x3FE0,  35, 100 },
  { "Orvane LinkIP",                3, 0x3FE0, 210, 210 },
  { "Airlink Intelligent Receiver", 2, 0x13FE0, 55,  55 },
  { "16 Ohm Speaker",               3, 0x1FFFF,  0, 100 },
  { "Halvard S (Normal)",           3, 0x1FFFF, 18, 545 },
  { "Halvard S (SCB Mode)",         3, 0x1FFFF, 18, 160 },
  { "Halvard S (LC Mode)",          3, 0x1FFFF, 18, 310 },
  { "Halvard SE (Normal)",          3, 0x1FFFF, 18, 420 },
  { "Halvard SE (SCB Mode)",        3, 0x1FFFF, 18, 150 },
  { "Halvard SE (LC Mode)",         3, 0x1FFFF, 18, 280 },
  { "Lumen PIR",                    2, 0x1FFFF,  9,   9 },
  { "Lumen Quad PIR",               2, 0x1FFFF,  9,   9 },
  { "Tessal PIR",                   2, 0x1FFFF,  9,   9 },
  { "Trion - Pro PIR",              2, 0x1FFFF,  9,   9 },
  { "Trion - Quad PIR",             2, 0x1FFFF,  9,   9 },
  { "Trion - Pet PIR",              2, 0x1FFFF, 13,  13 },
  { "Rangel A PIR",                 2, 0x1FFFF, 13,  13 },
  { "Rangel X PIR",                 2, 0x1FFFF,  9,   9 },
  { "Rangel C PIR",                 2, 0x1FFFF,  9,   9 },
  { "Vesper DT PIR",                2, 0x1FFFF, 21,  21 },
  { "Vesper DT Pet PIR",            2, 0x1FFFF, 21,  21 },
  { "Vesper Quad PIR",              2, 0x1FFFF, 21,  21 },
  { "Minima IR PIR",                2, 0x1FFFF,  9,   9 },
  { "Minima XT PIR",                2, 0x1FFFF,  9,   9 },
  { "Sovra IR PIR",                 2, 0x1FFFF, 13,  13 },
  { "Sovra MI PIR",                 2, 0x1FFFF,  9,   9 },
  { "Sovra MR PIR",                 2, 0x1FFFF, 11,  11 },
  { "Sovra TD PIR",                 2, 0x1FFFF, 10,  10 },
  { "Sovra QD PIR",                 2, 0x1FFFF, 11,  11 },
  { "Sovra DT PIR",                 2, 0x1FFFF, 13,  13 },
  { "Sovra CW PIR",                 2, 0x1FFFF, 13,  13 },
  { "Sovra PW PIR",                 2, 0x1FFFF, 11,  11 },
  { "Sovra AMQD Plus PIR",          3, 0x1FFE0, 20,  20 },
  { "Sovra AMDT Plus PIR",          3, 0x1FFE0, 20,  20 },
  { "Pathra OH",                    3, 0x1FFFF,  8,   8 },
  { "Pathra RR",                    3, 0x1FFFF,  8,   8 },
  { "Pathra FT64",                  3, 0x1FFFF,  8,   8 },
  { "Pathra FT90",                  3, 0x1FFFF, 14,  14 },
  { "Shokra E",                     3, 0xFFFF,   9,   9 },
  { "Shokra Plus",                  3, 0xFFFF,  22,  22 },
  { "Shokra Glass Break",           3, 0xFFFF,  23,  23 },
  { "Twinpath Plus",                4, 0xBFF8, 230, 230 },
  { "Twinpath GPRS",                4, 0xBFF8,  75, 150 },
  { "Twinpath GSM",                 4, 0xBFF8,  75, 150 },
  { "Linecare 3GSTU",               4, 0xBFF8, 160, 160 },
  { "Linecare GSM STU EV",          4, 0xBFF8, 160, 160 },
  { "Linecare Basic STU",           4, 0xBFF8,  40, 100 },
}};
// clang-format on

void FillPanelList(TStringList& list, int32_t grade) {
  list.clear();
  for (const TPanelOpts& row : PanelOptsTable) {
    if (row.IsPanel && row.MaxGrade >= grade) list.emplace_back(row.Name);
  }
}

void FillGradeList(TStringList& list, int32_t panelType) {
  list.clear();
  int32_t highest = 3;
  if (panelType != -1) {
    // An unknown type offers no grade rather than reading outside the table.
    highest = panelType >= 0 && panelType < PanelTypeCount ? PanelOptsTable[panelType].MaxGrade : 0;
  }
  for (int32_t grade = 1; grade <= highest; ++grade) list.push_back(Format("Grade %d", grade));
}

void FillBatteryList(TStringList& list, int32_t panelType) {
  list.clear();
  if (panelType < 0 || panelType >= PanelTypeCount) return;
  for (int i = 0; i < BatteryCount; ++i) {
    if (InSet(PanelOptsTable[panelType].Batteries, i)) list.emplace_back(BatteryNames[i]);
  }
}

void FillNetDeviceList(TStringList& list, int32_t panelType, int32_t grade, TNetDeviceListMap& map) {
  list.clear();
  for (const TNetBitOpts& row : NetBitOptsTable) {
    if (!InSet(row.Panels, panelType) || grade > row.Grade) continue;
    // No panel type offers more than 12 types; the guard keeps the map in bounds regardless.
    if (list.size() < map.size()) {
      map[list.size()] = row.Index;
      list.emplace_back(row.Name);
    }
  }
}

int32_t FindPanelType(const std::string& name, int32_t previous) {
  int32_t found = previous;
  for (const TPanelOpts& row : PanelOptsTable) {
    if (name == row.Name) found = row.Id;
  }
  return found;
}

bool ToolbarShowsDevice(int32_t panelType, int32_t grade, int32_t deviceType) {
  if (panelType < 0 || panelType >= ToolbarSetCount) return false;
  if (deviceType < 0 || deviceType >= NetDeviceTypeCount) return false;
  return InSet(PanelToolbarSets[panelType], deviceType) && grade <= NetBitOptsTable[deviceType].Grade;
}

}  // namespace voltaris
