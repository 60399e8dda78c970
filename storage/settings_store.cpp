#include "storage/settings_store.h"

#include <algorithm>

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
  const TSettings usual = UsualDefaults();
  read.SystemStandard = store.ValueExists(SystemStandardValue) ? store.ReadInteger(SystemStandardValue)
                                                               : usual.SystemStandard;
  read.AlarmPeriod = store.ValueExists(AlarmPeriodValue) ? store.ReadInteger(AlarmPeriodValue) : usual.AlarmPeriod;
  read.CableRun = store.ValueExists(CableLengthValue) ? store.ReadInteger(CableLengthValue) : usual.CableRun;
  read.BatteryFactor = store.ValueExists(BatteryDegradationValue) ? store.ReadFloat(BatteryDegradationValue)
                                                                  : usual.BatteryFactor;
  read.ShowLength = store.ValueExists(ShowLengthValue) ? store.ReadBool(ShowLengthValue) : usual.ShowLength;
  read.CableImpedance = store.ValueExists(CableImpedanceValue) ? store.ReadFloat(CableImpedanceValue)
                                                               : usual.CableImpedance;
  settings = read;
}

TSettings UsualDefaults() {
  TSettings usual;
  usual.SystemStandard = 1;
  usual.AlarmPeriod = 15;
  usual.CableRun = 10;
  usual.CableImpedance = 0.1;
  usual.BatteryFactor = 1.0;
  usual.ShowLength = true;
  return usual;
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

namespace {
constexpr const char* WindowLeftValue = "Window Left";
constexpr const char* WindowTopValue = "Window Top";
constexpr const char* WindowWidthValue = "Window Width";
constexpr const char* WindowHeightValue = "Window Height";
constexpr const char* WindowMaximizedValue = "Window Maximized";
constexpr int32_t WindowSizeMin = 200;
constexpr int32_t WindowExtentMax = 100000;
}  // namespace

std::optional<TWindowPlacement> ReadWindowPlacement(ISettingsStore& store) {
  TOpenKey key(store);
  if (!key.IsOpen()) return std::nullopt;
  if (!store.ValueExists(WindowLeftValue) || !store.ValueExists(WindowTopValue) ||
      !store.ValueExists(WindowWidthValue) || !store.ValueExists(WindowHeightValue))
    return std::nullopt;
  TWindowPlacement placement;
  try {
    placement.Left = store.ReadInteger(WindowLeftValue);
    placement.Top = store.ReadInteger(WindowTopValue);
    placement.Width = store.ReadInteger(WindowWidthValue);
    placement.Height = store.ReadInteger(WindowHeightValue);
    placement.Maximized = store.ValueExists(WindowMaximizedValue) && store.ReadBool(WindowMaximizedValue);
  } catch (const SettingsStoreError&) {
    // A value of another type was written by something else: the window
    // opens at its own size, and the next close writes the values afresh.
    return std::nullopt;
  }
  auto within = [](int32_t value, int32_t low) { return value >= low && value <= WindowExtentMax; };
  if (!within(placement.Width, WindowSizeMin) || !within(placement.Height, WindowSizeMin) ||
      !within(placement.Left, -WindowExtentMax) || !within(placement.Top, -WindowExtentMax))
    return std::nullopt;
  return placement;
}

void WriteWindowPlacement(ISettingsStore& store, const TWindowPlacement& placement) {
  TOpenKey key(store);
  if (!key.IsOpen()) return;
  store.WriteInteger(WindowLeftValue, placement.Left);
  store.WriteInteger(WindowTopValue, placement.Top);
  store.WriteInteger(WindowWidthValue, placement.Width);
  store.WriteInteger(WindowHeightValue, placement.Height);
  store.WriteBool(WindowMaximizedValue, placement.Maximized);
}

namespace {
constexpr const char* RecentCountValue = "Recent Count";
std::string RecentValue(size_t number, const char* field) { return "Recent " + std::to_string(number) + " " + field; }
}  // namespace

std::vector<TRecentProject> ReadRecentProjects(ISettingsStore& store) {
  std::vector<TRecentProject> projects;
  TOpenKey key(store);
  if (!key.IsOpen() || !store.ValueExists(RecentCountValue)) return projects;
  int32_t count = 0;
  try {
    count = store.ReadInteger(RecentCountValue);
  } catch (const SettingsStoreError&) {
    return projects;
  }
  count = std::clamp<int32_t>(count, 0, static_cast<int32_t>(RecentProjectsMax));
  for (size_t number = 1; number <= static_cast<size_t>(count); ++number) {
    try {
      TRecentProject project{store.ReadText(RecentValue(number, "File")), store.ReadText(RecentValue(number, "Site")),
                             store.ReadText(RecentValue(number, "Folder"))};
      projects.push_back(std::move(project));
    } catch (const SettingsStoreError&) {
      // Written by something else: the entry is dropped, and the next write puts the list in order.
    }
  }
  return projects;
}

void WriteRecentProjects(ISettingsStore& store, const std::vector<TRecentProject>& projects) {
  TOpenKey key(store);
  if (!key.IsOpen()) return;
  const size_t count = std::min(projects.size(), RecentProjectsMax);
  for (size_t number = 1; number <= count; ++number) {
    const TRecentProject& project = projects[number - 1];
    store.WriteText(RecentValue(number, "File"), project.FileName);
    store.WriteText(RecentValue(number, "Site"), project.SiteRef);
    store.WriteText(RecentValue(number, "Folder"), project.Folder);
  }
  store.WriteInteger(RecentCountValue, static_cast<int32_t>(count));
}

}  // namespace voltaris
