// The per-machine store of default settings, and the reading and writing of
// the six defaults through it.
//
// The store keeps typed values under a key: integers and booleans as 32-bit
// values (booleans as 0 or 1), floats as an 8-byte block holding the double.
// The Qt layer implements it on the platform's settings; the tests and the
// command-line tool use TMemorySettingsStore.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/settings.h"

namespace voltaris {

// Raised for a stored value that cannot be read as asked (wrong type or
// size, or missing); the text names the value.
class SettingsStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the defaults live in the store.
inline constexpr const char* SettingsKey = "Software\\Quelmar\\Voltaris";

// The store's value names.
inline constexpr const char* SystemStandardValue = "System Standard";
inline constexpr const char* AlarmPeriodValue = "Alarm Period";
inline constexpr const char* CableLengthValue = "Cable Length";
inline constexpr const char* CableImpedanceValue = "Cable Impedence";
inline constexpr const char* BatteryDegradationValue = "Battery Degradation";
inline constexpr const char* ShowLengthValue = "ShowLength";

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;

  // Opens `key`, creating it when missing and `canCreate` is set; false when
  // it cannot be opened. The other operations work on the open key.
  virtual bool OpenKey(const std::string& key, bool canCreate) = 0;
  virtual void CloseKey() = 0;

  virtual bool ValueExists(const std::string& name) const = 0;

  // Each read throws SettingsStoreError naming the value when it is missing
  // or stored with another type or size.
  virtual int32_t ReadInteger(const std::string& name) const = 0;
  virtual double ReadFloat(const std::string& name) const = 0;
  virtual bool ReadBool(const std::string& name) const = 0;
  // A text, byte for byte as written (file names and folders as the system spells them).
  virtual std::string ReadText(const std::string& name) const = 0;

  virtual void WriteInteger(const std::string& name, int32_t value) = 0;
  virtual void WriteFloat(const std::string& name, double value) = 0;
  virtual void WriteBool(const std::string& name, bool value) = 0;
  virtual void WriteText(const std::string& name, const std::string& value) = 0;
};

// Reads the six defaults into `settings`, each from its value when it exists
// and from the built-in default otherwise ("System Standard" 1, "Alarm
// Period" 15, "Cable Length" 10, "Battery Degradation" 1.0, "ShowLength"
// true, "Cable Impedence" 0.1, read in that order). When the key cannot be
// opened the settings keep their values. When a value cannot be read the
// error propagates and the settings keep their values too.
void ReadDefaults(ISettingsStore& store, TSettings& settings);
// The defaults of a new project when the store keeps none.
TSettings UsualDefaults();

// Writes the six settings into the store in the order "System Standard",
// "Alarm Period", "Cable Length" (integers), "Cable Impedence", "Battery
// Degradation" (floats), "ShowLength" (boolean). Nothing is written when the
// key cannot be opened.
void WriteDefaults(ISettingsStore& store, const TSettings& settings);

// The main window's place on the screen, kept in the store between runs
// ("Window Left", "Window Top", "Window Width", "Window Height" as integers,
// "Window Maximized" as a boolean).
struct TWindowPlacement {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  bool Maximized = false;
  bool operator==(const TWindowPlacement&) const = default;
};
// The placement last written; none when it is missing, cannot be read or
// has no sensible size (the window then opens at its own size).
std::optional<TWindowPlacement> ReadWindowPlacement(ISettingsStore& store);
void WriteWindowPlacement(ISettingsStore& store, const TWindowPlacement& placement);

// A project recently opened or saved: its file name, site reference and the
// data folder it is in. Kept in the store as "Recent Count" (an integer) and,
// for each from 1, "Recent N File", "Recent N Site" and "Recent N Folder"
// (texts), the latest first.
struct TRecentProject {
  std::string FileName;
  std::string SiteRef;
  std::string Folder;
  bool operator==(const TRecentProject&) const = default;
};
inline constexpr size_t RecentProjectsMax = 8;
// The list last written, at most RecentProjectsMax long; entries that cannot
// be read (another type, missing) are left out, as is everything when the
// key cannot be opened.
std::vector<TRecentProject> ReadRecentProjects(ISettingsStore& store);
// Writes the list (its first RecentProjectsMax entries) in place of the old one.
void WriteRecentProjects(ISettingsStore& store, const std::vector<TRecentProject>& projects);

}  // namespace voltaris
