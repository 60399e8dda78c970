// A settings store held in memory, with the typing rules of the machine
// store: integers and booleans share the 32-bit kind, floats are an 8-byte
// block. Used by the tests and the command-line tool.
#pragma once

#include <map>
#include <string>
#include <variant>

#include "catalogue/byte_stream.h"
#include "storage/settings_store.h"

namespace voltaris {

class TMemorySettingsStore : public ISettingsStore {
 public:
  // A 32-bit value, a block of bytes or a text.
  using TValue = std::variant<int32_t, TBytes, std::string>;

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

  // A store that refuses to open any key, as when access is denied.
  void SetUnavailable(bool unavailable) { unavailable_ = unavailable; }
  bool HasKey(const std::string& key) const { return keys_.count(key) != 0; }
  // Direct access to a key's values, whether or not it is open.
  void Put(const std::string& key, const std::string& name, TValue value);
  const TValue* Get(const std::string& key, const std::string& name) const;

 private:
  const TValue& Find(const std::string& name) const;
  std::map<std::string, TValue>& Values();

  std::map<std::string, std::map<std::string, TValue>> keys_;
  std::string openKey_;
  bool isOpen_ = false;
  bool unavailable_ = false;
};

}  // namespace voltaris
