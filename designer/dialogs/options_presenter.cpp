#include "designer/dialogs/options_presenter.h"

#include <algorithm>
#include <cmath>

#include "catalogue/alarm_cables.h"
#include "catalogue/format.h"

namespace voltaris {

TOptionsPresenter::TOptionsPresenter(ISettingsStore& store, TSettings& settings)
    : store_(store), settings_(&settings) {}

TOptionsPresenter::TOptionsPresenter(ISettingsStore& store) : store_(store) {}

void TOptionsPresenter::Show() {
  standard_ = settings_->SystemStandard == 0 || settings_->SystemStandard == 1 ? settings_->SystemStandard : -1;
  SetAlarmPeriod(settings_->AlarmPeriod);
  showLength_ = settings_->ShowLength;
  SetCableRun(settings_->CableRun);
  // Rounded, not truncated: 0.29 ohms per metre times 100 comes out just
  // below 29. A figure no box can show (a damaged file's) shows as 0.
  const double perHundred = settings_->CableImpedance * 100;
  SetImpedance(perHundred >= 0 && perHundred < 1e9 ? static_cast<int>(std::lround(perHundred)) : 0);
  batteryVoltsShown_ = *batteryVolts_;
  if (settings_->BatteryFactor == 0) {
    ChooseDegrade(0);
  } else {
    degradeText_ = FloatToStr(100 - 100 * settings_->BatteryFactor);
  }
}

void TOptionsPresenter::SetStandardIndex(int index) { standard_ = index == 0 || index == 1 ? index : -1; }

void TOptionsPresenter::SetAlarmPeriod(int minutes) { alarmPeriod_ = minutes; }

void TOptionsPresenter::SetCableRun(int metres) { cableRun_ = metres; }

void TOptionsPresenter::SetImpedance(int ohmsPer100m) { impedance_ = ohmsPer100m; }

std::optional<TOptionsPresenter::TRefusal> TOptionsPresenter::Refusal() const {
  if (!AlarmPeriodRange.Holds(alarmPeriod_)) return TRefusal{TBox::AlarmPeriod, AlarmPeriodRange.Refusal()};
  if (!CableRunRange.Holds(cableRun_)) return TRefusal{TBox::CableRun, CableRunRange.Refusal()};
  if (!ImpedanceRange.Holds(impedance_)) return TRefusal{TBox::Impedance, ImpedanceRange.Refusal()};
  if (!BatteryVoltsRange.Holds(batteryVoltsShown_)) return TRefusal{TBox::BatteryVolts, BatteryVoltsRange.Refusal()};
  return std::nullopt;
}

std::vector<std::string> TOptionsPresenter::CableItems() { return AlarmCableItems(); }

int TOptionsPresenter::CableIndex() const { return static_cast<int>(AlarmCableOf(impedance_)); }

void TOptionsPresenter::ChooseCable(int index) {
  if (index >= 0 && static_cast<size_t>(index) < AlarmCables.size())
    impedance_ = WholeLoopOhmsPer100m(AlarmCables[static_cast<size_t>(index)]);
}

void TOptionsPresenter::ChooseDegrade(int index) {
  if (index >= 0 && static_cast<size_t>(index) < DegradeItems.size()) {
    degradeText_ = DegradeItems[static_cast<size_t>(index)];
  }
}

int TOptionsPresenter::DegradeIndex() const {
  for (size_t i = 0; i < DegradeItems.size(); ++i) {
    if (degradeText_ == DegradeItems[i]) return static_cast<int>(i);
  }
  return -1;
}

bool TOptionsPresenter::Ok() {
  if (Refusal()) return false;
  if (showLength_ != settings_->ShowLength) showLengthChanged_ = true;
  // With no standard chosen the setting stays: -1 is not a standard.
  if (standard_ >= 0) settings_->SystemStandard = standard_;
  settings_->AlarmPeriod = alarmPeriod_;
  settings_->ShowLength = showLength_;
  settings_->CableRun = cableRun_;
  settings_->CableImpedance = impedance_ / 100.0;
  *batteryVolts_ = batteryVoltsShown_;
  const int degrade = DegradeIndex();
  if (degrade >= 0) settings_->BatteryFactor = DegradeFactors[static_cast<size_t>(degrade)];
  if (setAsDefaults_) WriteDefaults(store_, *settings_);
  return true;
}

std::string TOptionsPresenter::SettleDefaults(TSettings& defaults) {
  const TSettings usual = UsualDefaults();
  std::vector<std::string> wrong, putBack;
  // "a cable impedance of 60 ohms per 100 m"; a value that is no figure at
  // all (infinite, or not a number) says so.
  auto described = [](const std::string& what, double value, const std::string& unit) {
    return std::isfinite(value) ? what + " of " + FloatToStr(value) + unit : what + " that is not a number";
  };
  if (defaults.SystemStandard != 0 && defaults.SystemStandard != 1) {
    wrong.push_back(Format("system standard %d", defaults.SystemStandard));
    defaults.SystemStandard = usual.SystemStandard;
    putBack.push_back("PD6662");
  }
  if (!AlarmPeriodRange.Holds(defaults.AlarmPeriod)) {
    wrong.push_back(Format("an alarm period of %d minutes", defaults.AlarmPeriod));
    defaults.AlarmPeriod = usual.AlarmPeriod;
    putBack.push_back(Format("%d minutes", usual.AlarmPeriod));
  }
  if (!CableRunRange.Holds(defaults.CableRun)) {
    wrong.push_back(Format("a cable run of %d metres", defaults.CableRun));
    defaults.CableRun = usual.CableRun;
    putBack.push_back(Format("%d metres", usual.CableRun));
  }
  if (!ImpedanceRange.Holds(defaults.CableImpedance * 100)) {
    wrong.push_back(described("a cable impedance", defaults.CableImpedance * 100, " ohms per 100 m"));
    defaults.CableImpedance = usual.CableImpedance;
    putBack.push_back(FloatToStr(usual.CableImpedance * 100) + " ohms per 100 m");
  }
  if (std::none_of(DegradeFactors.begin(), DegradeFactors.end(),
                   [&](double factor) { return std::abs(factor - defaults.BatteryFactor) < 1e-9; })) {
    wrong.push_back(described("a battery degradation", 100 - 100 * defaults.BatteryFactor, "%"));
    defaults.BatteryFactor = usual.BatteryFactor;
    putBack.push_back(FloatToStr(100 - 100 * usual.BatteryFactor) + "%");
  }
  if (wrong.empty()) return {};
  auto list = [](const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    return text;
  };
  return "The defaults kept for new projects hold " + list(wrong) + ", out of the range Options allows. " +
         "This project uses the usual " + list(putBack) + " instead. Options > Set as Defaults keeps new ones.";
}

bool ExecuteOptions(TOptionsPresenter& options, const std::function<bool(TOptionsPresenter&)>& runModal) {
  options.Show();
  return runModal(options) ? options.Ok() : options.Cancel();
}

}  // namespace voltaris
