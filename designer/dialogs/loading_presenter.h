// The loading dialog: the set-up window of one network device. The user picks
// the device type, names its location, enters the cable lengths and the cable
// impedance, and states what the device powers: two plain figures or a list
// of load devices. Every change reaches the device at once, and the dialog
// shows the voltages and currents that result.
//
// TLoadingPresenter holds everything the dialog shows as plain data
// (TLoadingView, named after the dialog's controls) and carries out the
// user's actions on the device. The Qt dialog binds its widgets to the view
// and forwards the user's actions. OK and Cancel only close: the device
// itself takes over the lines or puts its figures back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/device_data.h"
#include "catalogue/figure_range.h"
#include "designer/dialogs/loading_host.h"
#include "model/colour.h"

namespace voltaris {

class TNetDevice;
class TVududa;

// A figure label: its text and the colour it is drawn in.
struct TFigureText {
  std::string Text;
  TColour Colour = ColourBlack;

  bool operator==(const TFigureText&) const = default;
};

// The number fields of the dialog.
enum class TLoadingField {
  Edit1,  // cable length, device without a supply
  Edit2,  // impedance, ohms per 100 m
  Edit3,  // quiescent load of the equipment powered, mA
  Edit4,  // alarm load of the equipment powered, mA
  Edit5,  // "Power": cable length from the supply
  Edit6,  // "Network": data cable length to the network parent
};

// What a key typed into a field does.
enum class TKeyVerdict {
  Accept,   // the character goes into the field
  Discard,  // the character is dropped
  Apply,    // dropped, and the field is applied as when the user leaves it
};

// How much taller the dialog is than its figures alone ask: a row for the
// cable by name under them and the band of design advice below that. The
// buttons and the details part sit this much lower.
inline constexpr int LoadingCableRowHeight = 25;
inline constexpr int LoadingAdviceHeight = 112;
inline constexpr int LoadingAddedHeight = LoadingCableRowHeight + LoadingAdviceHeight;

// Everything the dialog shows. The names are those of its controls.
struct TLoadingView {
  std::string Label18 = "Not Connected";  // the panel network's name
  TFigureText Label4{"N/A"};              // quiescent voltage
  TFigureText Label5{"N/A"};              // alarm voltage
  std::string Label8 = "0 mA";            // the device's own quiescent current
  std::string Label9 = "0 mA";            // the device's own alarm current
  std::string Label16 = "0 mA";           // total quiescent current
  std::string Label17 = "0 mA";           // total alarm current

  // The design advice under the figures: how far each voltage is above the
  // device's minimum, the longest cable that would still do and the voltages
  // with the cable's cores doubled. "N/A" while the device is not powered.
  TFigureText lbQuiescentMargin{"N/A"};
  TFigureText lbAlarmMargin{"N/A"};
  TFigureText lbLongestCable{"N/A"};
  TFigureText lbDoubledCores{"N/A"};  // quiescent / alarm
  // With the source at the battery's voltage on mains failure: both
  // voltages (red below the minimum), the voltage assumed, and the longest
  // cable that keeps everything above its minimum.
  TFigureText lbOnBattery{"N/A"};
  std::string OnBatteryCaption = "On battery (12.00 V)";
  TFigureText lbLongestOnBattery{"N/A"};

  std::string Edit1;  // cable length
  std::string Edit2;  // impedance, ohms per 100 m
  std::string Edit3 = "0";
  std::string Edit4 = "0";
  std::string Edit5;  // "Power" length
  std::string Edit6;  // "Network" length
  // The cable by name the impedance is: a position of CableItems(), the last
  // ("Other") for a figure no named cable gives; and what that cable's loop
  // resistance is.
  int CableIndex = 0;
  std::string CableHint;

  bool Panel1Enabled = true;   // the plain load figures; off while the list holds devices
  bool Panel2Visible = false;  // Network and Power lengths; Label1 and Edit1 show while it is hidden

  TStringList DevTypeItems;  // cbDevType
  int DevTypeIndex = -1;
  bool DevTypeEnabled = false;  // only a catalogue device has a type to choose
  std::string Location;
  TColour LocationColour = ColourBlack;
  bool LocationEnabled = false;

  bool DetailsVisible = false;             // lbDevices, "Add" and "Delete"
  int Height = 357 + LoadingAddedHeight;   // client height of the window, pixels
  std::string DetailBtnCaption = "Show Details";
  int ButtonsTop = 301 + LoadingAddedHeight;  // top of "OK" and "Cancel"

  int SelectedLine = -1;  // in lbDevices; -1 none
  // Why the last key typed into a field did not go in; empty once one did.
  std::string KeyHint;
};

class TLoadingPresenter {
 public:
  // "Add" adds nothing once the list holds this many lines.
  static constexpr size_t MaxLines = 100;
  // What the fields take: the figures the trade uses. Anything beyond is
  // refused with the range, never cut down to it.
  static constexpr double MaxCableLength = 1000;  // metres
  static constexpr double MaxImpedance = 50;      // ohms per 100 m
  static constexpr int32_t MaxLoad = 5000;        // mA
  static constexpr TFigureRange CableRange{"a cable length", 0, MaxCableLength, "m"};
  static constexpr TFigureRange ImpedanceRange{"an impedance", 0, MaxImpedance, "ohms per 100 m"};
  static constexpr TFigureRange LoadRange{"a load", 0, MaxLoad, "mA"};
  // What a field says of a key it does not take.
  static constexpr const char* LengthKeyHint = "A length takes digits and one decimal point only.";
  static constexpr const char* LoadKeyHint = "A load takes whole milliamps: digits only.";
  static constexpr const char* NotConnected = "Not Connected";
  static constexpr const char* NotDefined = "Not Defined";
  static constexpr char KeyEnter = '\r';
  static constexpr char KeyBackspace = '\b';
  // Window heights and the top of "OK" and "Cancel", details shown and hidden.
  static constexpr int DetailsHeight = 672 + LoadingAddedHeight;
  static constexpr int DetailsButtonsTop = 611 + LoadingAddedHeight;
  static constexpr int PlainHeight = 357 + LoadingAddedHeight;
  static constexpr int PlainButtonsTop = 301 + LoadingAddedHeight;
  static constexpr const char* AnyLength = "any length";
  static constexpr const char* NoLength = "no length will do";

  explicit TLoadingPresenter(ILoadingHost& host) : host_(host) {}
  TLoadingPresenter(const TLoadingPresenter&) = delete;
  TLoadingPresenter& operator=(const TLoadingPresenter&) = delete;

  // Whether `key` typed into `field` goes in, given the field's text. The
  // length fields take digits and one decimal point, and apply on Enter;
  // the load fields take digits only; the impedance field takes anything
  // and applies on Enter.
  static TKeyVerdict FilterKey(TLoadingField field, std::string_view text, char key);

  // Opens the dialog on `device` (which must outlive the opening): the list
  // from its load list, the length fields that fit its power, the type list
  // for the designer's panel, then every figure.
  void Open(TNetDevice& device);
  // OK: hands over the list's lines, each carrying its entry, and lets go of the device.
  void Ok(TLoadLines& lines);
  // Cancel: lets go of the device, which puts back its own figures.
  void Cancel();
  bool IsOpen() const { return device_ != nullptr; }

  // The refresh: recalculates the device where it hangs on a network or a
  // supply and shows every figure from it.
  void DoUpdateLabels();
  // Shows or hides the list with "Add" and "Delete".
  void SetDetails(bool shown);
  // Hands the sums of the list's currents to the device, then refreshes.
  void CalculateTotals();

  // What the user does. Each does nothing while the dialog is not open or
  // while its control is disabled or hidden, as a user could not do it then.
  // A key typed into a field with text `text`: true when the character goes
  // in. Enter applies the length and impedance fields; a digit in a load
  // field hides the details.
  bool KeyPress(TLoadingField field, std::string_view text, char key);
  // The user left `field` (or pressed Enter) with `text` in it. A text the
  // user did not change is left alone. A text that is no number, or one out
  // of range, is reported and changes nothing; the view shows the device's
  // value again. False when the text was refused.
  bool ApplyField(TLoadingField field, const std::string& text);
  // The cables by name under the impedance: position i of AlarmCables, then
  // "Other".
  static std::vector<std::string> CableItems();
  // The user chose position `index` of them: the impedance becomes that
  // cable's loop resistance per 100 m, exactly (the field shows it to the
  // whole ohm, as it shows any figure). "Other" keeps the figure there is.
  void ChooseCable(int index);
  // The user changed the location text.
  void EditLocation(const std::string& text);
  // The user chose position `position` of the device type list.
  void ChooseDeviceType(int position);
  // "Show Details" / "Hide Details".
  void DetailBtnClick();
  // A click in the list: line `index`, -1 (or beyond the lines) for none.
  void SelectLine(int index);
  // "Add": one entry from the device picker, up to MaxLines lines.
  void AddClick();
  // "Delete": the selected line.
  void DeleteClick();

  const TLoadingView& View() const { return view_; }
  const TLoadLines& Lines() const { return lines_; }
  TNetDevice* Device() const { return device_; }

 private:
  // The catalogue filter of the project the open device belongs to.
  TCatalogueFilter& Filter() const;
  std::string& FieldText(TLoadingField field);
  bool FieldUsable(TLoadingField field) const;
  void SetLoadFigure(TLoadingField field, int32_t milliamps);
  // The advice labels from the device as it stands.
  void ShowAdvice();

  ILoadingHost& host_;
  TNetDevice* device_ = nullptr;
  TVududa* vududa_ = nullptr;  // the same device when it is a catalogue device
  TLoadLines lines_;
  // The device type shown at each position of the type list.
  std::vector<int32_t> typeRows_;
  TLoadingView view_;
};

}  // namespace voltaris
