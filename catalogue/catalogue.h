// The equipment catalogue: the constant tables of panel and supply models,
// batteries, network device types, toolbar sets and load devices, the shared
// filter variables and the list fillers built on them.
//
// Row numbers are part of the project file format (panel types and network
// device types are stored by number), so rows are never reordered.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace voltaris {

// An ordered list of display strings, as bound to a combo box or list box.
using TStringList = std::vector<std::string>;

// A set over small members: bit n stands for member n. Members of 32 and
// above are never in a set.
using TBitSet = uint32_t;

constexpr bool InSet(TBitSet set, int member) {
  return member >= 0 && member < 32 && ((set >> member) & 1u) != 0;
}

// One control-panel or power-supply model.
struct TPanelOpts {
  int32_t Id;             // panel type number, equals the row
  const char* Name;       // model name, looked up by exact match
  int32_t MaxGrade;       // highest system grade supported
  TBitSet Batteries;      // bit i: BatteryNames[i] may be fitted
  double PsuOutput;       // total PSU output, amps
  int32_t ChargeCurrent;  // battery charging current, mA
  int32_t OwnCurrent;     // own consumption, mA (quiescent and alarm alike)
  bool IsPanel;           // offered as a control-panel model
  int32_t NetworkCount;   // data networks of the panel
  int32_t NetworkKind;    // panel network class 1..5, 0 for none
};

// One network device type placed on panel networks (keypads, expanders...).
struct TNetBitOpts {
  int32_t Index;          // equals the row and the toolbar button's tool index
  const char* Name;
  int32_t Grade;          // highest system grade it may be used at
  TBitSet Panels;         // bit p: accepted with panel type p
  int32_t Quiescent;      // mA
  int32_t Alarm;          // mA
  int32_t KeypadCount;    // keypad places taken on its network
  int32_t ExpanderCount;  // expander places taken on its network
  double MinVoltage;      // lowest working supply voltage, volts
  const char* Bitmap;     // picture resource name
};

// One load device of the load catalogue (detectors, sounders, communicators).
struct TDeviceType {
  const char* Name;   // unique
  int32_t Grade;      // 2, 3, or 4 (4 passes every grade filter)
  TBitSet Panels;     // bit p: offered with panel type p
  int32_t Quiescent;  // mA per device
  int32_t Alarm;      // mA per device
};

inline constexpr int PanelTypeCount = 17;
inline constexpr int FirstPanelModel = 5;       // first user-selectable panel
inline constexpr int RemotePsuPanelType = 14;   // "Orvane PSU10"
inline constexpr int NetworkDevicePanelType = 15;  // load filter of a network device
inline constexpr int E4SPanelType = 16;         // load filter of an E4S expander
inline constexpr int E4SDeviceType = 10;        // the network device type of the E4S
inline constexpr int NetDeviceTypeCount = 19;
inline constexpr int DeviceTypeCount = 54;
inline constexpr int BatteryCount = 5;
inline constexpr int ToolbarSetCount = 14;
inline constexpr int NetDeviceListMapSize = 16;

extern const std::array<TPanelOpts, PanelTypeCount> PanelOptsTable;
extern const std::array<const char*, BatteryCount> BatteryNames;
extern const std::array<TBitSet, ToolbarSetCount> PanelToolbarSets;
extern const std::array<TNetBitOpts, NetDeviceTypeCount> NetBitOptsTable;
extern const std::array<TDeviceType, DeviceTypeCount> DeviceTypeTable;

// For each position of a network device list, the network device type shown there.
using TNetDeviceListMap = std::array<int32_t, NetDeviceListMapSize>;

// The filter state through which a project's dialogs tell the catalogue
// filters what to show; -1 means none. Each project has its own (see
// TProjectContext), and a dialog that works before any project exists
// (New File) keeps one of its own.
struct TCatalogueFilter {
  int32_t CurrentGrade = 0;
  int32_t CurrentPanelType = 0;
  // For each position of the list last filled by FillNetDeviceList, the
  // network device type shown there.
  TNetDeviceListMap NetDeviceListMap = {};
};

// The selectable panel models whose highest grade is not below `grade`
// (the filter's CurrentGrade).
void FillPanelList(TStringList& list, int32_t grade);
// "Grade 1" up to the panel type's highest grade; all three for type -1.
void FillGradeList(TStringList& list, int32_t panelType);
// The battery names the panel type (0..16) allows, in table order.
void FillBatteryList(TStringList& list, int32_t panelType);
// The network device types a panel of the given type and grade may use;
// fills `map` alongside (a filter's NetDeviceListMap).
void FillNetDeviceList(TStringList& list, int32_t panelType, int32_t grade, TNetDeviceListMap& map);

// The panel type whose model name equals `name` exactly (the last matching
// row wins); `previous` when no row matches.
int32_t FindPanelType(const std::string& name, int32_t previous);

// Whether the designer's toolbar offers the button of network device type
// `deviceType` for a control panel of the given type and grade.
bool ToolbarShowsDevice(int32_t panelType, int32_t grade, int32_t deviceType);

}  // namespace voltaris
