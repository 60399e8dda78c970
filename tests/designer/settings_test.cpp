// The defaults in the settings store and the Options dialog.
#include <gtest/gtest.h>

#include "designer/memory_settings_store.h"
#include "designer/options_presenter.h"
#include "designer/settings_store.h"

namespace voltaris {
namespace {

// Records the order in which values are looked at and written.
class LoggingStore : public TMemorySettingsStore {
 public:
  int32_t ReadInteger(const std::string& name) const override {
    log.push_back("int " + name);
    return TMemorySettingsStore::ReadInteger(name);
  }
  double ReadFloat(const std::string& name) const override {
    log.push_back("float " + name);
    return TMemorySettingsStore::ReadFloat(name);
  }
  bool ReadBool(const std::string& name) const override {
    log.push_back("bool " + name);
    return TMemorySettingsStore::ReadBool(name);
  }
  void WriteInteger(const std::string& name, int32_t value) override {
    log.push_back("int " + name);
    TMemorySettingsStore::WriteInteger(name, value);
  }
  void WriteFloat(const std::string& name, double value) override {
    log.push_back("float " + name);
    TMemorySettingsStore::WriteFloat(name, value);
  }
  void WriteBool(const std::string& name, bool value) override {
    log.push_back("bool " + name);
    TMemorySettingsStore::WriteBool(name, value);
  }
  mutable std::vector<std::string> log;
};

const TSettings StoreDefaults{1, 15, 10, 0.1, 1.0, true};
const TSettings Custom{0, 20, 35, 0.25, 0.8, false};

TEST(SettingsDefaults, EmptyStoreGivesTheBuiltInDefaultsAndCreatesTheKey) {
  TMemorySettingsStore store;
  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, StoreDefaults);
  EXPECT_TRUE(store.HasKey("Software\\Quelmar\\Voltaris"));
}

TEST(SettingsDefaults, WrittenValuesReadBackInTheirOrderAndTypes) {
  LoggingStore store;
  WriteDefaults(store, Custom);
  EXPECT_EQ(store.log, (std::vector<std::string>{"int System Standard", "int Alarm Period", "int Cable Length",
                                                 "float Cable Impedence", "float Battery Degradation",
                                                 "bool ShowLength"}));
  EXPECT_EQ(std::get<int32_t>(*store.Get(SettingsKey, "ShowLength")), 0);
  EXPECT_EQ(std::get<TBytes>(*store.Get(SettingsKey, "Cable Impedence")).size(), 8u);

  store.log.clear();
  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, Custom);
  EXPECT_EQ(store.log, (std::vector<std::string>{"int System Standard", "int Alarm Period", "int Cable Length",
                                                 "float Battery Degradation", "bool ShowLength",
                                                 "float Cable Impedence"}));
}

TEST(SettingsDefaults, KeyThatCannotBeOpenedChangesNothing) {
  TMemorySettingsStore store;
  store.SetUnavailable(true);
  TSettings settings = Custom;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, Custom);
  WriteDefaults(store, Custom);
  EXPECT_FALSE(store.HasKey(SettingsKey));
}

TEST(SettingsDefaults, ValueOfTheWrongTypeOrSizeIsAnErrorNamingItAndChangesNothing) {
  const std::pair<const char*, TMemorySettingsStore::TValue> wrong[] = {
      {"Cable Impedence", int32_t{10}},            // an integer where a float belongs
      {"Battery Degradation", TBytes(4)},          // a block of the wrong size
      {"Alarm Period", std::string("15")},         // text where an integer belongs
      {"ShowLength", TBytes{1, 0, 0, 0}},
  };
  for (const auto& [name, value] : wrong) {
    TMemorySettingsStore store;
    store.Put(SettingsKey, name, value);
    TSettings settings = Custom;
    try {
      ReadDefaults(store, settings);
      ADD_FAILURE() << name << " was read";
    } catch (const SettingsStoreError& error) {
      EXPECT_NE(std::string(error.what()).find(std::string("\"") + name + "\""), std::string::npos) << error.what();
    }
    EXPECT_EQ(settings, Custom) << name;
  }
}

// The Options dialog over a store holding the built-in defaults, with the
// settings as the next New would read them.
class OptionsTest : public ::testing::Test {
 protected:
  OptionsTest() {
    WriteDefaults(store, StoreDefaults);
    ReadDefaults(store, settings);
  }
  bool Run(const std::function<void(TOptionsPresenter&)>& user, bool pressOk = true) {
    return ExecuteOptions(dialog, [&](TOptionsPresenter& shown) {
      user(shown);
      return pressOk;
    });
  }

  TMemorySettingsStore store;
  TSettings settings;
  TOptionsPresenter dialog{store, settings};
};

TEST_F(OptionsTest, ControlsShowTheSettings) {
  dialog.Show();
  EXPECT_EQ(dialog.StandardIndex(), 1);
  EXPECT_EQ(dialog.AlarmPeriod(), 15);
  EXPECT_TRUE(dialog.ShowLength());
  EXPECT_EQ(dialog.CableRun(), 10);
  EXPECT_EQ(dialog.Impedance(), 10);
  EXPECT_EQ(dialog.DegradeText(), "0");
  EXPECT_FALSE(dialog.SetAsDefaults());

  settings = {0, 0, 5000, 0.29, 0.9, false};  // out-of-range figures come into the spin ranges
  dialog.Show();
  EXPECT_EQ(dialog.AlarmPeriod(), 1);
  EXPECT_EQ(dialog.CableRun(), 2000);
  EXPECT_EQ(dialog.Impedance(), 29);
  EXPECT_EQ(dialog.DegradeText(), "10");
  settings.BatteryFactor = 0;
  settings.SystemStandard = 7;
  dialog.Show();
  EXPECT_EQ(dialog.DegradeText(), "0");
  EXPECT_EQ(dialog.StandardIndex(), -1);
}

TEST_F(OptionsTest, OkAppliesTheControls) {
  EXPECT_TRUE(Run([](TOptionsPresenter& d) {
    d.SetStandardIndex(0);
    d.SetAlarmPeriod(20);
    d.SetCableRun(35);
    d.SetImpedance(25);
    d.ChooseDegrade(2);
  }));
  EXPECT_EQ(settings, (TSettings{0, 20, 35, 0.25, 0.8, true}));

  EXPECT_TRUE(Run([](TOptionsPresenter& d) { d.SetDegradeText("15"); }));
  EXPECT_EQ(settings.BatteryFactor, 0.8);
  EXPECT_TRUE(Run([](TOptionsPresenter& d) { d.SetDegradeText("30"); }));
  EXPECT_EQ(settings.BatteryFactor, 0.7);

  settings.SystemStandard = 7;  // no radio button shows it, so OK leaves it alone
  EXPECT_TRUE(Run([](TOptionsPresenter&) {}));
  EXPECT_EQ(settings.SystemStandard, 7);
}

TEST_F(OptionsTest, CancelChangesNothing) {
  const TSettings before = settings;
  EXPECT_FALSE(Run(
      [](TOptionsPresenter& d) {
        d.SetAlarmPeriod(60);
        d.SetShowLength(false);
        d.SetSetAsDefaults(true);
      },
      false));
  EXPECT_EQ(settings, before);
  EXPECT_FALSE(dialog.ShowLengthChanged());
  TSettings stored;
  ReadDefaults(store, stored);
  EXPECT_EQ(stored, StoreDefaults);
}

TEST_F(OptionsTest, SetAsDefaultsDecidesWhetherTheStoreIsWritten) {
  Run([](TOptionsPresenter& d) { d.SetAlarmPeriod(30); });
  EXPECT_EQ(settings.AlarmPeriod, 30);
  TSettings next;
  ReadDefaults(store, next);
  EXPECT_EQ(next.AlarmPeriod, 15);

  Run([](TOptionsPresenter& d) {
    d.SetAlarmPeriod(45);
    d.SetSetAsDefaults(true);
  });
  ReadDefaults(store, next);
  EXPECT_EQ(next, settings);
  EXPECT_EQ(next.AlarmPeriod, 45);
}

TEST_F(OptionsTest, ShowLengthChangedOnlyWhenTheBoxChanged) {
  Run([](TOptionsPresenter& d) { d.SetShowLength(false); });
  EXPECT_TRUE(dialog.ShowLengthChanged());
  EXPECT_FALSE(settings.ShowLength);
  dialog.ClearShowLengthChanged();  // the caller has refreshed the labels
  Run([](TOptionsPresenter&) {});
  EXPECT_FALSE(dialog.ShowLengthChanged());
}

}  // namespace
}  // namespace voltaris
