#include "designer/dialogs/loading_presenter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>

#include "catalogue/alarm_cables.h"
#include "catalogue/format.h"
#include "model/advice.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "model/toolbar_device.h"
#include "project_io/project_extension.h"

namespace voltaris {

// A cable the dialog accepts is one the project files keep.
static_assert(TLoadingPresenter::MaxCableLength <= MaxStoredCableLength);

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A number typed into a field, "." as the decimal separator in every locale;
// an empty field stands for 0. Nothing for a text that is no finite number.
std::optional<double> ParseReal(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return 0.0;
  double value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value + 0.0;  // "-0" becomes 0
}

// A whole number typed into a field; an empty field stands for 0.
std::optional<int64_t> ParseWhole(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return 0;
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// The typed text as quoted in a message: a pasted page is cut short.
std::string Quoted(const std::string& text) {
  constexpr size_t MaxShown = 30;
  return "'" + (text.size() > MaxShown ? text.substr(0, MaxShown) + "..." : text) + "'";
}

int32_t ClampToMilliamps(int64_t value) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool IsLengthField(TLoadingField field) {
  return field == TLoadingField::Edit1 || field == TLoadingField::Edit5 || field == TLoadingField::Edit6;
}

bool IsLoadField(TLoadingField field) { return field == TLoadingField::Edit3 || field == TLoadingField::Edit4; }

TFigureText VoltageText(double volts, double minVolts) {
  return {Format("%.2f", volts), volts < minVolts ? ColourRed : ColourBlack};
}

// Volts above the minimum; red when the voltage is below it.
TFigureText MarginText(double margin) { return {Format("%.2f V", margin), margin < 0 ? ColourRed : ColourBlack}; }

// The longest cable, rounded down so that the length shown still does. A
// cable that lowers no voltage as it grows may be of any length; one whose
// voltage is too low already at its start cannot be made short enough.
TFigureText LongestCableText(const std::optional<double>& metres) {
  if (!metres || !std::isfinite(*metres)) return {TLoadingPresenter::AnyLength, ColourBlack};
  if (*metres < 0) return {TLoadingPresenter::NoLength, ColourRed};
  return {Format("%.2f m", RoundLengthDown(*metres)), ColourBlack};
}

// Quiescent and alarm volts side by side (with doubled cores, or on
// battery); red when either is below the minimum.
TFigureText BothVoltsText(const std::array<double, 2>& volts, double minVolts) {
  const bool belowMinimum = volts[0] < minVolts || volts[1] < minVolts;
  return {Format("%.2f / %.2f V", volts[0], volts[1]), belowMinimum ? ColourRed : ColourBlack};
}

}  // namespace

TKeyVerdict TLoadingPresenter::FilterKey(TLoadingField field, std::string_view text, char key) {
  const bool digit = key >= '0' && key <= '9';
  if (IsLengthField(field)) {
    if (digit) return TKeyVerdict::Accept;
    if (key == '.' && text.find('.') == std::string_view::npos) return TKeyVerdict::Accept;
    return key == KeyEnter ? TKeyVerdict::Apply : TKeyVerdict::Discard;
  }
  if (IsLoadField(field)) return digit ? TKeyVerdict::Accept : TKeyVerdict::Discard;
  return key == KeyEnter ? TKeyVerdict::Apply : TKeyVerdict::Accept;
}

void TLoadingPresenter::Open(TNetDevice& device) {
  device_ = &device;
  vududa_ = dynamic_cast<TVududa*>(&device);
  // Nothing of an earlier opening survives but what the device holds.
  view_ = TLoadingView{};
  lines_ = device.LoadData.Lines();
  // While the list holds devices, the plain figures are its totals.
  view_.Panel1Enabled = lines_.empty();
  view_.Panel2Visible = device.Supply != nullptr;
  TNetDeviceListMap& map = Filter().NetDeviceListMap;
  FillNetDeviceList(view_.DevTypeItems, host_.PanelType(), host_.PanelGrade(), map);
  typeRows_.assign(map.begin(), map.begin() + static_cast<std::ptrdiff_t>(view_.DevTypeItems.size()));
  view_.DevTypeEnabled = vududa_ != nullptr;
  view_.LocationEnabled = vududa_ != nullptr;
  DoUpdateLabels();
}

TCatalogueFilter& TLoadingPresenter::Filter() const { return device_->Context().Filter; }

void TLoadingPresenter::Ok(TLoadLines& lines) {
  lines = std::move(lines_);
  Cancel();
}

void TLoadingPresenter::Cancel() {
  device_ = nullptr;
  vududa_ = nullptr;
  lines_.clear();
  typeRows_.clear();
}

void TLoadingPresenter::DoUpdateLabels() {
  if (!IsOpen()) return;
  TNetDevice& device = *device_;
  if (dynamic_cast<TPanelNetwork*>(device.NetParent) || device.Supply) device.RecalcLoad();
  TPanelNetwork* network = device.GetNetwork();
  if (network) network->CollectStatus();

  if (!device.NetParent && !device.Supply) {
    view_.Label4 = {"N/A", ColourBlack};
    view_.Label5 = {"N/A", ColourBlack};
  } else {
    view_.Label4 = VoltageText(device.SupplyVolts, device.MinVolts);
    view_.Label5 = VoltageText(device.AlarmVolts, device.MinVolts);
  }
  view_.Label18 = device.NetParent && network ? network->Name() : NotConnected;
  ShowAdvice();

  view_.Edit1 = FloatToStr(device.CableLength);
  view_.Edit5 = view_.Edit1;
  view_.Edit6 = FloatToStr(device.NetCableLength);
  view_.Edit2 = Format("%.0f", device.Impedance * 100);
  const size_t cable = AlarmCableOf(device.Impedance * 100);
  view_.CableIndex = static_cast<int>(cable);
  view_.CableHint = cable < AlarmCables.size()
                        ? "The whole loop, out and back: " + FloatToStr(LoopOhmsPer100m(AlarmCables[cable])) +
                              " ohms per 100 m"
                        : std::string("The whole loop, out and back, per 100 m: the figure typed");

  const TLoad total = device.GetTotalLoad();
  view_.Label8 = Format("%d mA", device.OwnLoad.Quiescent);
  view_.Label9 = Format("%d mA", device.OwnLoad.Alarm);
  view_.Label16 = Format("%d mA", total.Quiescent);
  view_.Label17 = Format("%d mA", total.Alarm);
  view_.Edit3 = Format("%d", device.AttachedLoad.Quiescent);
  view_.Edit4 = Format("%d", device.AttachedLoad.Alarm);

  view_.DevTypeIndex = -1;
  if (vududa_) {
    const int32_t type = vududa_->DeviceType;
    if (type >= 0 && type < NetDeviceTypeCount) {
      const auto found = std::find(view_.DevTypeItems.begin(), view_.DevTypeItems.end(), NetBitOptsTable[type].Name);
      if (found != view_.DevTypeItems.end()) view_.DevTypeIndex = static_cast<int>(found - view_.DevTypeItems.begin());
    }
    if (vududa_->Location.empty()) {
      view_.Location = NotDefined;
      view_.LocationColour = ColourRed;
    } else {
      view_.Location = vududa_->Location;
      view_.LocationColour = ColourBlack;
    }
  }
  SetDetails(device.DetailsShown);
}

void TLoadingPresenter::ShowAdvice() {
  const TNetDevice& device = *device_;
  if (!vududa_ || (!device.NetParent && !device.Supply)) {
    const TFigureText none{"N/A", ColourBlack};
    view_.lbQuiescentMargin = view_.lbAlarmMargin = view_.lbLongestCable = view_.lbDoubledCores = none;
    view_.lbOnBattery = view_.lbLongestOnBattery = none;
    return;
  }
  // Only this device's chain and what its cable powers: cheap enough for every key.
  const TDeviceAdvice advice = WorkOutDeviceAdvice(*vududa_);
  view_.lbQuiescentMargin = MarginText(advice.QuiescentMargin);
  view_.lbAlarmMargin = MarginText(advice.AlarmMargin);
  view_.lbLongestCable = LongestCableText(advice.MaxCableLength);
  view_.lbDoubledCores = BothVoltsText(advice.DoubledCoresVolts, device.MinVolts);
  view_.OnBatteryCaption = Format("On battery (%f V)", device.Context().BatteryVolts);
  view_.lbOnBattery = BothVoltsText(advice.OnBatteryVolts, device.MinVolts);
  view_.lbLongestOnBattery = LongestCableText(advice.MaxCableLengthOnBattery);
}

void TLoadingPresenter::SetDetails(bool shown) {
  view_.DetailsVisible = shown;
  view_.Height = shown ? DetailsHeight : PlainHeight;
  view_.DetailBtnCaption = shown ? "Hide Details" : "Show Details";
  view_.ButtonsTop = shown ? DetailsButtonsTop : PlainButtonsTop;
}

void TLoadingPresenter::CalculateTotals() {
  if (!IsOpen()) return;
  // Summed wide so that a long list of large entries cannot wrap round.
  int64_t quiescent = 0;
  int64_t alarm = 0;
  for (const TLoadLine& line : lines_) {
    if (!line.Entry) continue;
    quiescent += line.Entry->Quiescent;
    alarm += line.Entry->Alarm;
  }
  device_->SetAttachedLoad({ClampToMilliamps(quiescent), ClampToMilliamps(alarm)});
  DoUpdateLabels();
}

bool TLoadingPresenter::KeyPress(TLoadingField field, std::string_view text, char key) {
  if (!IsOpen() || !FieldUsable(field)) return false;
  switch (FilterKey(field, text, key)) {
    case TKeyVerdict::Apply:
      ApplyField(field, std::string(text));
      return false;
    case TKeyVerdict::Discard:
      if (key != KeyBackspace) view_.KeyHint = IsLoadField(field) ? LoadKeyHint : LengthKeyHint;
      return false;
    case TKeyVerdict::Accept:
      view_.KeyHint.clear();
      break;
  }
  if (IsLoadField(field)) {
    // Typing a plain figure means the device has no list to show.
    SetDetails(false);
    device_->DetailsShown = false;
  }
  return true;
}

bool TLoadingPresenter::ApplyField(TLoadingField field, const std::string& text) {
  if (!IsOpen() || !FieldUsable(field)) return true;
  // Leaving a field untouched changes nothing, not even by the rounding of
  // what it shows (the impedance shows whole ohms per 100 m).
  if (text == FieldText(field)) return true;
  TNetDevice& device = *device_;

  if (IsLoadField(field)) {
    const std::optional<int64_t> number = ParseWhole(text);
    if (!number) {
      host_.ShowError(Quoted(text) + " is not a valid whole number.");
      return false;
    }
    if (!LoadRange.Holds(static_cast<double>(*number))) {
      host_.ShowError(LoadRange.Refusal());
      return false;
    }
    SetLoadFigure(field, static_cast<int32_t>(*number));
    return true;
  }

  const std::optional<double> number = ParseReal(text);
  if (!number) {
    host_.ShowError(Quoted(text) + " is not a valid number.");
    return false;
  }
  if (field == TLoadingField::Edit2) {
    if (!ImpedanceRange.Holds(*number)) {
      host_.ShowError(ImpedanceRange.Refusal());
      return false;
    }
    device.SetImpedance(*number / 100);
  } else {
    if (!CableRange.Holds(*number)) {
      host_.ShowError(CableRange.Refusal());
      return false;
    }
    if (field == TLoadingField::Edit6)
      device.SetNetCableLength(*number);
    else
      device.SetCableLength(*number);
  }
  DoUpdateLabels();
  return true;
}

std::vector<std::string> TLoadingPresenter::CableItems() { return AlarmCableItems(); }

void TLoadingPresenter::ChooseCable(int index) {
  if (!IsOpen() || index < 0 || static_cast<size_t>(index) >= AlarmCables.size()) return;
  device_->SetImpedance(LoopOhmsPer100m(AlarmCables[static_cast<size_t>(index)]) / 100);
  DoUpdateLabels();
}

void TLoadingPresenter::SetLoadFigure(TLoadingField field, int32_t milliamps) {
  TNetDevice& device = *device_;
  if (field == TLoadingField::Edit3) {
    // The alarm load is never left below the quiescent load typed here.
    device.SetAttachedLoad({milliamps, std::max(milliamps, device.AttachedLoad.Alarm)});
  } else {
    device.SetAttachedLoad({device.AttachedLoad.Quiescent, milliamps});
  }
  DoUpdateLabels();
}

void TLoadingPresenter::EditLocation(const std::string& text) {
  if (!IsOpen() || !vududa_) return;
  view_.Location = text;
  // The red placeholder is not a location.
  if (text == NotDefined) return;
  view_.LocationColour = ColourBlack;
  vududa_->SetLocation(text);
}

void TLoadingPresenter::ChooseDeviceType(int position) {
  if (!IsOpen() || !vududa_ || position < 0 || static_cast<size_t>(position) >= typeRows_.size()) return;
  const int32_t row = typeRows_[static_cast<size_t>(position)];
  // The new type may take the device off its network when it would exceed
  // the network's places.
  if (row != vududa_->DeviceType) vududa_->SetDeviceType(static_cast<uint8_t>(row));
  DoUpdateLabels();
}

void TLoadingPresenter::DetailBtnClick() {
  if (!IsOpen()) return;
  SetDetails(!view_.DetailsVisible);
  device_->DetailsShown = view_.DetailsVisible;
}

void TLoadingPresenter::SelectLine(int index) {
  view_.SelectedLine = index >= 0 && static_cast<size_t>(index) < lines_.size() ? index : -1;
}

void TLoadingPresenter::AddClick() {
  if (!IsOpen() || !view_.DetailsVisible) return;
  // The load devices an E4S expander may power differ from the others'.
  TCatalogueFilter& filter = Filter();
  filter.CurrentPanelType = vududa_ && vududa_->DeviceType == E4SDeviceType ? E4SPanelType : NetworkDevicePanelType;
  if (lines_.size() >= MaxLines) return;
  filter.CurrentGrade = host_.PanelGrade();
  auto entry = std::make_shared<TDeviceData>();
  if (!host_.AddDevice(PanelOptsTable[static_cast<size_t>(filter.CurrentPanelType)].Id, filter.CurrentGrade, *entry))
    return;
  lines_.push_back({LoadListLine(*entry), entry});
  CalculateTotals();
  view_.Panel1Enabled = false;
}

void TLoadingPresenter::DeleteClick() {
  // Without a selected line nothing happens: the plain figures typed in
  // while the list is empty must not be overwritten by its zero totals.
  if (!IsOpen() || !view_.DetailsVisible || view_.SelectedLine < 0 ||
      static_cast<size_t>(view_.SelectedLine) >= lines_.size())
    return;
  lines_.erase(lines_.begin() + view_.SelectedLine);
  view_.SelectedLine = -1;
  CalculateTotals();
  if (lines_.empty()) view_.Panel1Enabled = true;
}

std::string& TLoadingPresenter::FieldText(TLoadingField field) {
  switch (field) {
    case TLoadingField::Edit1:
      return view_.Edit1;
    case TLoadingField::Edit2:
      return view_.Edit2;
    case TLoadingField::Edit3:
      return view_.Edit3;
    case TLoadingField::Edit4:
      return view_.Edit4;
    case TLoadingField::Edit5:
      return view_.Edit5;
    case TLoadingField::Edit6:
      return view_.Edit6;
  }
  return view_.Edit1;
}

bool TLoadingPresenter::FieldUsable(TLoadingField field) const {
  switch (field) {
    case TLoadingField::Edit1:
      return !view_.Panel2Visible;
    case TLoadingField::Edit5:
    case TLoadingField::Edit6:
      return view_.Panel2Visible;
    case TLoadingField::Edit3:
    case TLoadingField::Edit4:
      return view_.Panel1Enabled;
    case TLoadingField::Edit2:
      return true;
  }
  return false;
}

}  // namespace voltaris
