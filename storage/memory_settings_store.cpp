#include "storage/memory_settings_store.h"

namespace voltaris {

bool TMemorySettingsStore::OpenKey(const std::string& key, bool canCreate) {
  isOpen_ = false;
  if (unavailable_) return false;
  if (!HasKey(key)) {
    if (!canCreate) return false;
    keys_[key];
  }
  openKey_ = key;
  isOpen_ = true;
  return true;
}

void TMemorySettingsStore::CloseKey() { isOpen_ = false; }

std::map<std::string, TMemorySettingsStore::TValue>& TMemorySettingsStore::Values() {
  if (!isOpen_) throw SettingsStoreError("settings store: no key is open");
  return keys_[openKey_];
}

bool TMemorySettingsStore::ValueExists(const std::string& name) const {
  return isOpen_ && keys_.at(openKey_).count(name) != 0;
}

const TMemorySettingsStore::TValue& TMemorySettingsStore::Find(const std::string& name) const {
  if (!isOpen_) throw SettingsStoreError("settings store: no key is open to read \"" + name + "\"");
  const auto& values = keys_.at(openKey_);
  const auto found = values.find(name);
  if (found == values.end()) {
    throw SettingsStoreError("settings store: the value \"" + name + "\" under " + openKey_ + " does not exist");
  }
  return found->second;
}

int32_t TMemorySettingsStore::ReadInteger(const std::string& name) const {
  const TValue& value = Find(name);
  if (const auto* number = std::get_if<int32_t>(&value)) return *number;
  throw SettingsStoreError("settings store: the value \"" + name + "\" under " + openKey_ + " is not an integer");
}

double TMemorySettingsStore::ReadFloat(const std::string& name) const {
  const TValue& value = Find(name);
  if (const auto* block = std::get_if<TBytes>(&value); block != nullptr && block->size() == 8) {
    TStream stream(*block);
    return stream.ReadDouble();
  }
  throw SettingsStoreError("settings store: the value \"" + name + "\" under " + openKey_ + " is not an 8-byte float");
}

bool TMemorySettingsStore::ReadBool(const std::string& name) const {
  const TValue& value = Find(name);
  if (const auto* number = std::get_if<int32_t>(&value)) return *number != 0;
  throw SettingsStoreError("settings store: the value \"" + name + "\" under " + openKey_ + " is not a boolean");
}

std::string TMemorySettingsStore::ReadText(const std::string& name) const {
  const TValue& value = Find(name);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  throw SettingsStoreError("settings store: the value \"" + name + "\" under " + openKey_ + " is not a text");
}

void TMemorySettingsStore::WriteText(const std::string& name, const std::string& value) { Values()[name] = value; }

void TMemorySettingsStore::WriteInteger(const std::string& name, int32_t value) { Values()[name] = value; }

void TMemorySettingsStore::WriteFloat(const std::string& name, double value) {
  TStream stream;
  stream.WriteDouble(value);
  Values()[name] = stream.TakeBytes();
}

void TMemorySettingsStore::WriteBool(const std::string& name, bool value) { Values()[name] = int32_t{value ? 1 : 0}; }

void TMemorySettingsStore::Put(const std::string& key, const std::string& name, TValue value) {
  keys_[key][name] = std::move(value);
}

const TMemorySettingsStore::TValue* TMemorySettingsStore::Get(const std::string& key, const std::string& name) const {
  const auto foundKey = keys_.find(key);
  if (foundKey == keys_.end()) return nullptr;
  const auto found = foundKey->second.find(name);
  return found == foundKey->second.end() ? nullptr : &found->second;
}

}  // namespace voltaris
