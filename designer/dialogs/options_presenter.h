// The logic of the Options dialog: the six settings shown in their controls,
// applied on OK and, when "Set as Defaults" is ticked, written to the store.
// The Qt dialog binds its widgets to this; a test drives it as a user would.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/figure_range.h"
#include "model/project_context.h"
#include "model/settings.h"
#include "storage/settings_store.h"

namespace voltaris {

class TOptionsPresenter {
 public:
  // Spin box ranges.
  static constexpr int MinAlarmPeriod = 1;  // minutes
  static constexpr int MaxAlarmPeriod = 120;
  static constexpr int MinCableRun = 1;  // metres
  static constexpr int MaxCableRun = 2000;
  static constexpr int MinImpedance = 0;  // ohms per 100 m
  static constexpr int MaxImpedance = 50;
  static constexpr TFigureRange AlarmPeriodRange{"an alarm period", MinAlarmPeriod, MaxAlarmPeriod, "minutes"};
  static constexpr TFigureRange CableRunRange{"a default cable run", MinCableRun, MaxCableRun, "metres"};
  static constexpr TFigureRange ImpedanceRange{"a cable impedance", MinImpedance, MaxImpedance, "ohms per 100 m"};
  static constexpr TFigureRange BatteryVoltsRange{"battery volts on mains failure", MinBatteryVolts, MaxBatteryVolts,
                                                  "V"};
  // The spin boxes, for a refusal to name the one to put right.
  enum class TBox { AlarmPeriod, CableRun, Impedance, BatteryVolts };
  struct TRefusal {
    TBox Box;
    std::string Text;
  };
  // The items of the battery degradation box, in percent.
  static constexpr std::array<const char*, 4> DegradeItems = {"0", "10", "20", "30"};
  static constexpr std::array<double, 4> DegradeFactors = {1.0, 0.9, 0.8, 0.7};

  // The defaults a new project starts from, as the store gave them, checked
  // as this dialog checks what is typed: each one out of range is put back
  // to the usual default. What was put back, for the user ("" when nothing).
  static std::string SettleDefaults(TSettings& defaults);

  // Edits a record of its own until BindSettings names the project's.
  explicit TOptionsPresenter(ISettingsStore& store);
  TOptionsPresenter(ISettingsStore& store, TSettings& settings);
  // The settings record the dialog shows and edits: the open project's.
  void BindSettings(TSettings& settings) { settings_ = &settings; }
  // And the project's battery volts on mains failure, which is not one of
  // the settings the store keeps as defaults.
  void BindBatteryVolts(double& volts) { batteryVolts_ = &volts; }
  TOptionsPresenter(const TOptionsPresenter&) = delete;
  TOptionsPresenter& operator=(const TOptionsPresenter&) = delete;

  // Fills the controls from the settings. "Set as Defaults" keeps its tick
  // from the last showing.
  void Show();

  // "EN50131-1" is 0, "PD6662" 1; -1 when the setting is neither.
  int StandardIndex() const { return standard_; }
  void SetStandardIndex(int index);
  // Spin boxes: the figures as typed, in range or not (OK refuses them then).
  int AlarmPeriod() const { return alarmPeriod_; }
  void SetAlarmPeriod(int minutes);
  int CableRun() const { return cableRun_; }
  void SetCableRun(int metres);
  int Impedance() const { return impedance_; }  // ohms per 100 m
  void SetImpedance(int ohmsPer100m);
  // The cables by name beside the impedance: position i of AlarmCables,
  // then "Other". Choosing one sets the impedance to its loop resistance,
  // rounded up to whole ohms; the position shown is the cable the impedance
  // is, "Other" for none. The choice is not kept apart from the figure.
  static std::vector<std::string> CableItems();
  int CableIndex() const;
  void ChooseCable(int index);
  double BatteryVolts() const { return batteryVoltsShown_; }
  void SetBatteryVolts(double volts) { batteryVoltsShown_ = volts; }
  bool ShowLength() const { return showLength_; }
  void SetShowLength(bool show) { showLength_ = show; }
  // The degradation box: a list item or typed text.
  const std::string& DegradeText() const { return degradeText_; }
  void SetDegradeText(std::string text) { degradeText_ = std::move(text); }
  void ChooseDegrade(int index);
  // The item the text matches, -1 for none.
  int DegradeIndex() const;
  bool SetAsDefaults() const { return setAsDefaults_; }
  void SetSetAsDefaults(bool tick) { setAsDefaults_ = tick; }

  // The first spin box whose figure is outside its range, with the message
  // that says the range; none when every figure holds.
  std::optional<TRefusal> Refusal() const;
  // Applies the controls to the settings, writes them to the store when
  // "Set as Defaults" is ticked, and returns true. A figure out of range
  // (Refusal) changes nothing and returns false.
  bool Ok();
  // Changes nothing and returns false.
  bool Cancel() { return false; }

  // Set by Ok when it changed the ShowLength setting; the caller refreshes the
  // cable-length labels and clears it.
  bool ShowLengthChanged() const { return showLengthChanged_; }
  void ClearShowLengthChanged() { showLengthChanged_ = false; }

 private:
  ISettingsStore& store_;
  TSettings own_;
  TSettings* settings_ = &own_;
  double ownVolts_ = DefaultBatteryVolts;
  double* batteryVolts_ = &ownVolts_;
  double batteryVoltsShown_ = DefaultBatteryVolts;

  int standard_ = 0;
  int alarmPeriod_ = 15;
  int cableRun_ = 10;
  int impedance_ = 10;
  bool showLength_ = false;
  std::string degradeText_;
  bool setAsDefaults_ = false;
  bool showLengthChanged_ = false;
};

// Runs the Options dialog: fills it, lets `runModal` run it (true when the
// user pressed OK), then applies it on OK. Returns true when it closed with OK.
bool ExecuteOptions(TOptionsPresenter& options, const std::function<bool(TOptionsPresenter&)>& runModal);

}  // namespace voltaris
