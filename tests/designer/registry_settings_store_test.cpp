// The registry store of the Windows build: the defaults written with their
// registry types and read back, values of another type or size refused, the
// recent projects kept as texts. Each test works on a scratch key of its own
// below HKEY_LOCAL_MACHINE\Software\Voltaris Tests, removed afterwards; under
// Wine one test uses the program's own key.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/registry_settings_store.h"

namespace voltaris {
namespace {

const TSettings Custom{0, 20, 35, 0.25, 0.8, false};
const TSettings StoreDefaults{1, 15, 10, 0.1, 1.0, true};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A raw look at a value as the registry holds it.
struct TRawValue {
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = "Software\\Voltaris Tests\\" +
              std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
              std::to_string(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(parent_).c_str());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, Wide(parent_).c_str()); }

  TRegistrySettingsStore Store() const { return TRegistrySettingsStore(HKEY_LOCAL_MACHINE, "HKLM", parent_); }
  std::string Key() const { return parent_ + "\\" + SettingsKey; }

  TRawValue Raw(const std::string& name) const {
    TRawValue value;
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, Wide(Key()).c_str(), Wide(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &value.Type, nullptr, &size) != ERROR_SUCCESS)
      return {};
    value.Data.resize(size);
    RegGetValueW(HKEY_LOCAL_MACHINE, Wide(Key()).c_str(), Wide(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.Type,
                 value.Data.data(), &size);
    return value;
  }
  void PutRaw(const std::string& name, DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(Key()).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

 private:
  std::string parent_;
};

TEST_F(RegistryStoreTest, DefaultsAreWrittenWithTheirRegistryTypesAndReadBack) {
  TRegistrySettingsStore store = Store();
  WriteDefaults(store, Custom);

  for (const char* name : {SystemStandardValue, AlarmPeriodValue, CableLengthValue, ShowLengthValue}) {
    const TRawValue raw = Raw(name);
    EXPECT_EQ(raw.Type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(raw.Data.size(), 4u) << name;
  }
  const TRawValue alarm = Raw(AlarmPeriodValue);
  EXPECT_EQ(alarm.Data, (std::vector<BYTE>{20, 0, 0, 0}));
  EXPECT_EQ(Raw(ShowLengthValue).Data, (std::vector<BYTE>{0, 0, 0, 0}));
  for (const auto& [name, value] : {std::pair{CableImpedanceValue, 0.25}, std::pair{BatteryDegradationValue, 0.8}}) {
    const TRawValue raw = Raw(name);
    EXPECT_EQ(raw.Type, static_cast<DWORD>(REG_BINARY)) << name;
    ASSERT_EQ(raw.Data.size(), 8u) << name;
    double stored = 0;
    std::memcpy(&stored, raw.Data.data(), 8);
    EXPECT_EQ(stored, value) << name;
  }

  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, Custom);
  // A new store, as at the next start of the program.
  TRegistrySettingsStore again = Store();
  TSettings later;
  ReadDefaults(again, later);
  EXPECT_EQ(later, Custom);
}

TEST_F(RegistryStoreTest, AMissingKeyIsCreatedAndGivesTheBuiltInDefaults) {
  TRegistrySettingsStore store = Store();
  EXPECT_FALSE(store.OpenKey(SettingsKey, false));
  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, StoreDefaults);
  EXPECT_TRUE(store.OpenKey(SettingsKey, false));
  EXPECT_FALSE(store.ValueExists(AlarmPeriodValue));
  store.CloseKey();
}

TEST_F(RegistryStoreTest, AValueOfAnotherTypeOrSizeIsRefusedNamingItAndChangesNothing) {
  const wchar_t text[] = L"15";
  PutRaw(AlarmPeriodValue, REG_SZ, text, sizeof text);
  TRegistrySettingsStore store = Store();
  TSettings settings = Custom;
  try {
    ReadDefaults(store, settings);
    ADD_FAILURE() << "a text was read as an integer";
  } catch (const SettingsStoreError& error) {
    const std::string what = error.what();
    EXPECT_NE(what.find("\"Alarm Period\""), std::string::npos) << what;
    EXPECT_NE(what.find("REG_SZ"), std::string::npos) << what;
    EXPECT_NE(what.find(SettingsKey), std::string::npos) << what;
  }
  EXPECT_EQ(settings, Custom);

  // A float of 4 bytes, a float as a number, a 64-bit number, a boolean as a block.
  const float single = 0.5f;
  const DWORD number = 1;
  const unsigned long long wide = 15;
  PutRaw(AlarmPeriodValue, REG_DWORD, &number, 4);
  PutRaw(CableImpedanceValue, REG_BINARY, &single, 4);
  PutRaw(BatteryDegradationValue, REG_DWORD, &number, 4);
  PutRaw(CableLengthValue, REG_QWORD, &wide, 8);
  PutRaw(ShowLengthValue, REG_BINARY, &number, 4);
  ASSERT_TRUE(store.OpenKey(SettingsKey, false));
  EXPECT_EQ(store.ReadInteger(AlarmPeriodValue), 1);
  EXPECT_THROW(store.ReadFloat(CableImpedanceValue), SettingsStoreError);
  EXPECT_THROW(store.ReadFloat(BatteryDegradationValue), SettingsStoreError);
  EXPECT_THROW(store.ReadInteger(CableLengthValue), SettingsStoreError);
  EXPECT_THROW(store.ReadBool(ShowLengthValue), SettingsStoreError);
  EXPECT_THROW(store.ReadInteger("No Such Value"), SettingsStoreError);
  EXPECT_THROW(store.ReadText(AlarmPeriodValue), SettingsStoreError);
  store.CloseKey();
  EXPECT_THROW(store.ReadInteger(AlarmPeriodValue), SettingsStoreError);
}

TEST_F(RegistryStoreTest, RecentProjectsAndPlacementKeepTheirTexts) {
  TRegistrySettingsStore store = Store();
  // "Café" in the single-byte code pages, and bytes no code page may hold.
  const std::vector<TRecentProject> projects{{"CornerShop", "12 High Street", "C:\\Users\\Installer\\Voltaris\\Data"},
                                             {"Caf\xE9", "", "D:\\Jobs"},
                                             {"Odd", std::string("\x81\x00\xFF", 3), "E:\\"}};
  WriteRecentProjects(store, projects);
  EXPECT_EQ(ReadRecentProjects(store), projects);
  EXPECT_EQ(Raw("Recent 1 Folder").Type, static_cast<DWORD>(REG_SZ));

  // A text typed in by hand as REG_SZ reads as the system spells it.
  const wchar_t typed[] = L"Typed";
  PutRaw("Recent 1 Site", REG_SZ, typed, sizeof typed);
  EXPECT_EQ(ReadRecentProjects(store).front().SiteRef, "Typed");

  const TWindowPlacement placement{-20, 40, 1024, 700, true};
  WriteWindowPlacement(store, placement);
  EXPECT_EQ(ReadWindowPlacement(store), placement);
}

// Under Wine the program's own key can be used: HKEY_LOCAL_MACHINE\Software\Quelmar\Voltaris.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(RegistryProgramStore, TheDefaultsLiveUnderHkeyLocalMachineAndTheProgramsKey) {
  if (!UnderWine()) GTEST_SKIP() << "writes the machine's own settings: run only under Wine";
  TRegistrySettingsStore store;
  WriteDefaults(store, Custom);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Quelmar\\Voltaris", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = REG_NONE, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Battery Degradation", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegQueryValueExW(key, L"ShowLength", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  RegCloseKey(key);
  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, Custom);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quelmar");
}

}  // namespace
}  // namespace voltaris
