// The settings store on Windows: the registry, through its own API.
//
// Integers and booleans are REG_DWORD values (booleans 0 or 1), floats are
// REG_BINARY values of 8 bytes holding the little-endian double, texts are
// REG_SZ in the system's code page (REG_BINARY, byte for byte, for a text
// that code page cannot hold). A read checks the type and the size the
// registry reports and refuses any other with a SettingsStoreError naming
// the value, so that a value written by other software is never misread.
// Built for Windows only.
#pragma once

#include "catalogue/windows_api.h"

#include <string>

#include "storage/settings_store.h"

namespace voltaris {

class TRegistrySettingsStore : public ISettingsStore {
 public:
  // The program's store: keys under HKEY_LOCAL_MACHINE.
  TRegistrySettingsStore();
  // Keys under `root`, each below `parent` when it is given ("Software\Tests"
  // turns the key "Software\Quelmar\Voltaris" into
  // "Software\Tests\Software\Quelmar\Voltaris"); `rootName` names the root in
  // the error texts.
  TRegistrySettingsStore(HKEY root, std::string rootName, std::string parent);
  ~TRegistrySettingsStore() override;
  TRegistrySettingsStore(const TRegistrySettingsStore&) = delete;
  TRegistrySettingsStore& operator=(const TRegistrySettingsStore&) = delete;

  // Opens the key for reading and writing; a key that exists but may not be
  // written (HKEY_LOCAL_MACHINE without administrator rights) opens for
  // reading, and every write then throws SettingsStoreError.
  bool OpenKey(const std::string& key, bool canCreate) override;
  void CloseKey() override;
  bool ValueExists(const std::string& name) const override;
  int32_t ReadInteger(const std::string& name) const override;
  double ReadFloat(const std::string& name) const override;
  bool ReadBool(const std::string& name) const override;
  std::string ReadText(const std::string& name) const override;
  void WriteInteger(const std::string& name, int32_t value) override;
  void WriteFloat(const std::string& name, double value) override;
  void WriteBool(const std::string& name, bool value) override;
  void WriteText(const std::string& name, const std::string& value) override;

 private:
  // The type and size of a value, read without its data.
  struct TValueInfo {
    DWORD Type = REG_NONE;
    DWORD Size = 0;
  };
  HKEY Open(const std::string& name) const;
  TValueInfo Info(const std::string& name) const;
  void ReadData(const std::string& name, void* data, DWORD size) const;
  DWORD ReadDword(const std::string& name, const char* asked) const;
  void Store(const std::string& name, DWORD type, const void* data, DWORD size);
  std::string Describe(const std::string& name, const std::string& problem) const;

  HKEY root_;
  std::string rootName_;
  std::string parent_;
  HKEY key_ = nullptr;
  std::string keyName_;
  bool writable_ = false;
};

}  // namespace voltaris
