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

bool ExecuteOptions(TOptionsPresenter& options, const std::function<bool(TOptionsPresenter&)>& runModal) {
  options.Show();
  return runModal(options) ? options.Ok() : options.Cancel();
}

}  // namespace voltaris
