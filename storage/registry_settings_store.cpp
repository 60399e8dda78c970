#include "storage/registry_settings_store.h"

#include <cstring>
#include <vector>

#include "catalogue/byte_stream.h"

namespace voltaris {

namespace {

constexpr DWORD FloatSize = 8;
constexpr DWORD DwordSize = 4;
// A text longer than this is not one the program wrote.
constexpr DWORD TextSizeMax = 1 << 20;

// Key and value names: the program's are ASCII, read as UTF-8 to be safe.
std::wstring Wide(const std::string& text, UINT codePage = CP_UTF8, DWORD flags = 0) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

// The system's wording of a registry error, with its number.
std::string Reason(LSTATUS status) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<char*>(&text), 0,
                                      nullptr);
  std::string reason = length > 0 && text != nullptr ? std::string(text, length) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return (reason.empty() ? "error" : reason) + " (" + std::to_string(status) + ")";
}

std::string TypeName(DWORD type) {
  switch (type) {
    case REG_NONE:
      return "REG_NONE";
    case REG_SZ:
      return "REG_SZ";
    case REG_EXPAND_SZ:
      return "REG_EXPAND_SZ";
    case REG_BINARY:
      return "REG_BINARY";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
      return "REG_DWORD_BIG_ENDIAN";
    case REG_MULTI_SZ:
      return "REG_MULTI_SZ";
    case REG_QWORD:
      return "REG_QWORD";
    default:
      return "type " + std::to_string(type);
  }
}

std::string Stored(DWORD type, DWORD size) {
  return "is stored as " + TypeName(type) + " of " + std::to_string(size) + " bytes";
}

}  // namespace

TRegistrySettingsStore::TRegistrySettingsStore()
    : TRegistrySettingsStore(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "") {}

TRegistrySettingsStore::TRegistrySettingsStore(HKEY root, std::string rootName, std::string parent)
    : root_(root), rootName_(std::move(rootName)), parent_(std::move(parent)) {}

TRegistrySettingsStore::~TRegistrySettingsStore() { CloseKey(); }

bool TRegistrySettingsStore::OpenKey(const std::string& key, bool canCreate) {
  CloseKey();
  const std::string path = parent_.empty() ? key : parent_ + "\\" + key;
  const std::wstring widePath = Wide(path);
  HKEY opened = nullptr;
  LSTATUS status = canCreate ? RegCreateKeyExW(root_, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               KEY_READ | KEY_WRITE, nullptr, &opened, nullptr)
                             : RegOpenKeyExW(root_, widePath.c_str(), 0, KEY_READ | KEY_WRITE, &opened);
  bool writable = status == ERROR_SUCCESS;
  if (status == ERROR_ACCESS_DENIED) {
    // The defaults can still be read where they may not be written.
    status = RegOpenKeyExW(root_, widePath.c_str(), 0, KEY_READ, &opened);
  }
  if (status != ERROR_SUCCESS) return false;
  key_ = opened;
  keyName_ = path;
  writable_ = writable;
  return true;
}

void TRegistrySettingsStore::CloseKey() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
  keyName_.clear();
  writable_ = false;
}

std::string TRegistrySettingsStore::Describe(const std::string& name, const std::string& problem) const {
  return rootName_ + "\\" + keyName_ + ": the value \"" + name + "\" " + problem;
}

HKEY TRegistrySettingsStore::Open(const std::string& name) const {
  if (key_ == nullptr) throw SettingsStoreError("settings store: no key is open to read or write \"" + name + "\"");
  return key_;
}

bool TRegistrySettingsStore::ValueExists(const std::string& name) const {
  if (key_ == nullptr) return false;
  const std::wstring wideName = Wide(name);
  return RegQueryValueExW(key_, wideName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TRegistrySettingsStore::TValueInfo TRegistrySettingsStore::Info(const std::string& name) const {
  const HKEY key = Open(name);
  const std::wstring wideName = Wide(name);
  TValueInfo info;
  const LSTATUS status = RegQueryValueExW(key, wideName.c_str(), nullptr, &info.Type, nullptr, &info.Size);
  if (status == ERROR_FILE_NOT_FOUND) throw SettingsStoreError(Describe(name, "does not exist"));
  if (status != ERROR_SUCCESS) throw SettingsStoreError(Describe(name, "cannot be read: " + Reason(status)));
  return info;
}

void TRegistrySettingsStore::ReadData(const std::string& name, void* data, DWORD size) const {
  const std::wstring wideName = Wide(name);
  DWORD type = REG_NONE;
  DWORD got = size;
  const LSTATUS status = RegQueryValueExW(Open(name), wideName.c_str(), nullptr, &type, static_cast<BYTE*>(data), &got);
  if (status != ERROR_SUCCESS) throw SettingsStoreError(Describe(name, "cannot be read: " + Reason(status)));
  // Changed by someone else between the two queries.
  if (got != size) throw SettingsStoreError(Describe(name, "changed while it was read"));
}

DWORD TRegistrySettingsStore::ReadDword(const std::string& name, const char* asked) const {
  const TValueInfo info = Info(name);
  if (info.Type != REG_DWORD || info.Size != DwordSize)
    throw SettingsStoreError(Describe(name, Stored(info.Type, info.Size) + ", not as " + asked + " (REG_DWORD)"));
  DWORD value = 0;
  ReadData(name, &value, DwordSize);
  return value;
}

int32_t TRegistrySettingsStore::ReadInteger(const std::string& name) const {
  return static_cast<int32_t>(ReadDword(name, "a 32-bit integer"));
}

bool TRegistrySettingsStore::ReadBool(const std::string& name) const { return ReadDword(name, "a boolean") != 0; }

double TRegistrySettingsStore::ReadFloat(const std::string& name) const {
  const TValueInfo info = Info(name);
  if (info.Type != REG_BINARY || info.Size != FloatSize)
    throw SettingsStoreError(Describe(name, Stored(info.Type, info.Size) + ", not as an 8-byte float (REG_BINARY)"));
  TBytes block(FloatSize);
  ReadData(name, block.data(), FloatSize);
  TStream stream(std::move(block));
  return stream.ReadDouble();
}

std::string TRegistrySettingsStore::ReadText(const std::string& name) const {
  const TValueInfo info = Info(name);
  if (info.Size > TextSizeMax) throw SettingsStoreError(Describe(name, Stored(info.Type, info.Size) + ", too long"));
  if (info.Type == REG_BINARY) {
    std::string bytes(info.Size, '\0');
    if (info.Size > 0) ReadData(name, bytes.data(), info.Size);
    return bytes;
  }
  if (info.Type != REG_SZ || info.Size % sizeof(wchar_t) != 0)
    throw SettingsStoreError(Describe(name, Stored(info.Type, info.Size) + ", not as a text (REG_SZ)"));
  std::wstring wide(info.Size / sizeof(wchar_t), L'\0');
  if (info.Size > 0) ReadData(name, wide.data(), info.Size);
  // The registry does not promise the closing zero; a text holds none.
  const size_t end = wide.find(L'\0');
  if (end != std::wstring::npos) wide.resize(end);
  return Narrow(wide, CP_ACP);
}

void TRegistrySettingsStore::Store(const std::string& name, DWORD type, const void* data, DWORD size) {
  const HKEY key = Open(name);
  if (!writable_) throw SettingsStoreError(Describe(name, "cannot be written: the key may only be read here"));
  const std::wstring wideName = Wide(name);
  const LSTATUS status = RegSetValueExW(key, wideName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (status != ERROR_SUCCESS) throw SettingsStoreError(Describe(name, "cannot be written: " + Reason(status)));
}

void TRegistrySettingsStore::WriteInteger(const std::string& name, int32_t value) {
  const DWORD data = static_cast<DWORD>(value);
  Store(name, REG_DWORD, &data, DwordSize);
}

void TRegistrySettingsStore::WriteBool(const std::string& name, bool value) {
  const DWORD data = value ? 1 : 0;
  Store(name, REG_DWORD, &data, DwordSize);
}

void TRegistrySettingsStore::WriteFloat(const std::string& name, double value) {
  TStream stream;
  stream.WriteDouble(value);
  const TBytes& bytes = stream.Bytes();
  Store(name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void TRegistrySettingsStore::WriteText(const std::string& name, const std::string& value) {
  if (value.size() > TextSizeMax / sizeof(wchar_t))
    throw SettingsStoreError(Describe(name, "cannot be written: the text is too long"));
  // A text the system's code page cannot hold goes in byte for byte.
  const std::wstring wide = Wide(value, CP_ACP, MB_ERR_INVALID_CHARS);
  if (!value.empty() && (wide.empty() || Narrow(wide, CP_ACP) != value || wide.find(L'\0') != std::wstring::npos)) {
    Store(name, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
    return;
  }
  const std::wstring text = wide + L'\0';
  Store(name, REG_SZ, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

}  // namespace voltaris
