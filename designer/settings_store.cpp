#include "designer/settings_store.h"

namespace voltaris {

namespace {
// Closes the key however the reading or writing ends.
class TOpenKey {
 public:
  explicit TOpenKey(ISettingsStore& store) : store_(store), open_(store.OpenKey(SettingsKey, true)) {}
  ~TOpenKey() {
    if (open_) store_.CloseKey();
  }
  TOpenKey(const TOpenKey&) = delete;
  TOpenKey& operator=(const TOpenKey&) = delete;

  bool IsOpen() const { return open_; }

 private:
  ISettingsStore& store_;
  bool open_;
};
}  // namespace

void ReadDefaults(ISettingsStore& store, TSettings& settings) {
  TOpenKey key(store);
  if (!key.IsOpen()) return;
  // Read into a copy: a value that cannot be read leaves every setting as it was.
  TSettings read = settings;
  read.SystemStandard = store.ValueExists(SystemStandardValue) ? store.ReadInteger(SystemStandardValue) : 1;
  read.AlarmPeriod = store.ValueExists(AlarmPeriodValue) ? store.ReadInteger(AlarmPeriodValue) : 15;
  read.CableRun = store.ValueExists(CableLengthValue) ? store.ReadInteger(CableLengthValue) : 10;
  read.BatteryFactor = store.ValueExists(BatteryDegradationValue) ? store.ReadFloat(BatteryDegradationValue) : 1.0;
  read.ShowLength = store.ValueExists(ShowLengthValue) ? store.ReadBool(ShowLengthValue) : true;
  read.CableImpedance = store.ValueExists(CableImpedanceValue) ? store.ReadFloat(CableImpedanceValue) : 0.1;
  settings = read;
}

void WriteDefaults(ISettingsStore& store, const TSettings& settings) {
  TOpenKey key(store);
  if (!key.IsOpen()) return;
  store.WriteInteger(SystemStandardValue, settings.SystemStandard);
  store.WriteInteger(AlarmPeriodValue, settings.AlarmPeriod);
  store.WriteInteger(CableLengthValue, settings.CableRun);
  store.WriteFloat(CableImpedanceValue, settings.CableImpedance);
  store.WriteFloat(BatteryDegradationValue, settings.BatteryFactor);
  store.WriteBool(ShowLengthValue, settings.ShowLength);
}

}  // namespace voltaris
