// The settings store on QSettings. On Windows it is the machine-wide
// registry key HKEY_LOCAL_MACHINE\Software\Quelmar\Voltaris; elsewhere an
// INI file ("Quelmar/Voltaris.ini" in the user's configuration folder) whose
// group path keeps the key path. Integers and booleans are 32-bit integers
// (booleans 0 or 1), floats an 8-byte block holding the double.
#pragma once

#include <QString>
#include <memory>
#include <string>

#include "storage/settings_store.h"

class QSettings;

namespace voltaris {

class TQtSettingsStore : public ISettingsStore {
 public:
  // The platform's store.
  TQtSettingsStore();
  // An INI file at `iniPath`, on every platform (tests use a temporary file).
  explicit TQtSettingsStore(QString iniPath);
  ~TQtSettingsStore() override;
  TQtSettingsStore(const TQtSettingsStore&) = delete;
  TQtSettingsStore& operator=(const TQtSettingsStore&) = delete;

  // Where the INI file lives when the platform has no registry.
  static QString DefaultIniPath();

  bool OpenKey(const std::string& key, bool canCreate) override;
  void CloseKey() override;
  bool ValueExists(const std::string& name) const override;
  int32_t ReadInteger(const std::string& name) const override;
  double ReadFloat(const std::string& name) const override;
  bool ReadBool(const std::string& name) const override;
  // Texts are kept as their bytes, so a folder's name comes back as the system spelled it.
  std::string ReadText(const std::string& name) const override;
  // Each write reaches the store at once; one that cannot be stored throws
  // SettingsStoreError naming the value.
  void WriteInteger(const std::string& name, int32_t value) override;
  void WriteFloat(const std::string& name, double value) override;
  void WriteBool(const std::string& name, bool value) override;
  void WriteText(const std::string& name, const std::string& value) override;

 private:
  std::unique_ptr<QSettings> OpenRoot() const;
  // "<store>: the value "<name>" under <key> <problem>"
  std::string Describe(const std::string& name, const std::string& problem) const;
  const QSettings& Open(const std::string& name) const;
  void Store(const std::string& name, const QVariant& value);

  QString iniPath_;  // empty: the registry
  std::unique_ptr<QSettings> settings_;  // while a key is open, inside its group
  std::string key_;
};

}  // namespace voltaris
