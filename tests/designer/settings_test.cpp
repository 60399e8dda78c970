// The defaults in the settings store and the Options dialog.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "catalogue/alarm_cables.h"
#include "designer/dialogs/options_presenter.h"
#include "storage/memory_settings_store.h"
#include "storage/settings_store.h"

namespace voltaris {
namespace {

// Records the order and types in which values are read and written.
class LoggingStore : public TMemorySettingsStore {
  using Base = TMemorySettingsStore;

 public:
  int32_t ReadInteger(const std::string& name) const override { return Note("int", name), Base::ReadInteger(name); }
  double ReadFloat(const std::string& name) const override { return Note("float", name), Base::ReadFloat(name); }
  bool ReadBool(const std::string& name) const override { return Note("bool", name), Base::ReadBool(name); }
  void WriteInteger(const std::string& name, int32_t v) override { Note("int", name), Base::WriteInteger(name, v); }
  void WriteFloat(const std::string& name, double v) override { Note("float", name), Base::WriteFloat(name, v); }
  void WriteBool(const std::string& name, bool v) override { Note("bool", name), Base::WriteBool(name, v); }
  void Note(const char* type, const std::string& name) const { log.push_back(type + (" " + name)); }
  mutable std::vector<std::string> log;
};

using Texts = std::vector<std::string>;
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
  EXPECT_EQ(store.log, (Texts{"int System Standard", "int Alarm Period", "int Cable Length", "float Cable Impedence",
                              "float Battery Degradation", "bool ShowLength"}));
  EXPECT_EQ(std::get<int32_t>(*store.Get(SettingsKey, "ShowLength")), 0);
  EXPECT_EQ(std::get<TBytes>(*store.Get(SettingsKey, "Cable Impedence")).size(), 8u);

  store.log.clear();
  TSettings settings;
  ReadDefaults(store, settings);
  EXPECT_EQ(settings, Custom);
  EXPECT_EQ(store.log, (Texts{"int System Standard", "int Alarm Period", "int Cable Length",
                              "float Battery Degradation", "bool ShowLength", "float Cable Impedence"}));
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

TEST_F(OptionsTest, ControlsShowTheSettingsAndOkRefusesAFigureOutOfItsRange) {
  dialog.Show();
  EXPECT_EQ(std::tuple(dialog.StandardIndex(), dialog.AlarmPeriod(), dialog.ShowLength(), dialog.CableRun(),
                       dialog.Impedance(), dialog.DegradeText(), dialog.SetAsDefaults()),
            std::tuple(1, 15, true, 10, 10, "0", false));

  // Settings outside the boxes' ranges (a damaged file's) show as they are,
  // and OK refuses them, box by box, with the range, until they are put right.
  settings = {7, 0, 5000, 0.29, 0.9, false};  // 0.29 * 100 is just below 29
  dialog.Show();
  EXPECT_EQ(std::tuple(dialog.StandardIndex(), dialog.AlarmPeriod(), dialog.CableRun(), dialog.Impedance(),
                       dialog.DegradeText()),
            std::tuple(-1, 0, 5000, 29, "10"));
  ASSERT_TRUE(dialog.Refusal());
  EXPECT_EQ(dialog.Refusal()->Box, TOptionsPresenter::TBox::AlarmPeriod);
  EXPECT_EQ(dialog.Refusal()->Text, "Enter an alarm period from 1 to 120 minutes.");
  EXPECT_FALSE(dialog.Ok());
  EXPECT_EQ(settings.AlarmPeriod, 0);
  dialog.SetAlarmPeriod(120);
  EXPECT_EQ(dialog.Refusal()->Text, "Enter a default cable run from 1 to 2000 metres.");
  dialog.SetCableRun(2000);
  dialog.SetImpedance(51);
  EXPECT_EQ(dialog.Refusal()->Text, "Enter a cable impedance from 0 to 50 ohms per 100 m.");
  dialog.SetImpedance(29);
  EXPECT_FALSE(dialog.Refusal());
  EXPECT_TRUE(dialog.Ok());
  EXPECT_EQ(settings.SystemStandard, 7);  // no radio button shows it, so OK leaves it alone
  EXPECT_EQ(std::tuple(settings.AlarmPeriod, settings.CableRun), std::tuple(120, 2000));
  settings.BatteryFactor = 0;
  dialog.Show();
  EXPECT_EQ(dialog.DegradeIndex(), 0);
}

// The battery volts on mains failure: the project's own, not a default of
// the store; 10.5 to 13.6 V, refused with the range outside it.
TEST_F(OptionsTest, TheBatteryVoltsOnMainsFailureAreTheProjectsOwn) {
  double volts = DefaultBatteryVolts;
  dialog.BindBatteryVolts(volts);
  EXPECT_FALSE(Run([](TOptionsPresenter& d) {
    EXPECT_EQ(d.BatteryVolts(), 12.0);
    d.SetBatteryVolts(10.4);
    ASSERT_TRUE(d.Refusal());
    EXPECT_EQ(d.Refusal()->Box, TOptionsPresenter::TBox::BatteryVolts);
    EXPECT_EQ(d.Refusal()->Text, "Enter battery volts on mains failure from 10.5 to 13.6 V.");
  }));
  EXPECT_EQ(volts, 12.0);
  EXPECT_TRUE(Run([](TOptionsPresenter& d) {
    d.SetBatteryVolts(11.4);
    d.SetSetAsDefaults(true);
  }));
  EXPECT_EQ(volts, 11.4);
  TSettings stored;
  ReadDefaults(store, stored);
  EXPECT_EQ(stored, settings);  // the six settings went to the store; the volts did not
  EXPECT_FALSE(Run([](TOptionsPresenter& d) { d.SetBatteryVolts(13.0); }, false));
  EXPECT_EQ(volts, 11.4);
}

// The cables by name fill in their loop resistance per 100 m, out and back,
// rounded up to the whole ohms the box takes: 7/0.2 mm 2 x 7.84 = 15.68 (16),
// doubled 7.84 (8), 16/0.2 mm 2 x 3.43 = 6.86 (7), 24 AWG 2 x 8.42 = 16.84
// (17), 1.0 mm2 2 x 1.724 = 3.448 (4). The default 10 is none of them.
TEST_F(OptionsTest, TheCablesByNameFillInTheirLoopResistance) {
  const std::vector<std::string> items = TOptionsPresenter::CableItems();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items.back(), "Other");
  const std::array<double, 5> loops = {15.68, 7.84, 6.86, 16.84, 3.448};
  const std::array<int, 5> whole = {16, 8, 7, 17, 4};
  dialog.Show();
  EXPECT_EQ(dialog.CableIndex(), 5);
  for (size_t i = 0; i < loops.size(); ++i) {
    SCOPED_TRACE(items[i]);
    EXPECT_NEAR(LoopOhmsPer100m(AlarmCables[i]), loops[i], 1e-9);
    dialog.ChooseCable(static_cast<int>(i));
    EXPECT_EQ(dialog.Impedance(), whole[i]);
    EXPECT_EQ(dialog.CableIndex(), static_cast<int>(i));
  }
  dialog.ChooseCable(5);  // "Other" keeps the figure
  EXPECT_EQ(dialog.Impedance(), 4);
  EXPECT_TRUE(Run([](TOptionsPresenter& d) { d.ChooseCable(2); }));
  EXPECT_DOUBLE_EQ(settings.CableImpedance, 0.07);
}

TEST_F(OptionsTest, OkAppliesTheControlsAndCancelChangesNothing) {
  const auto edit = [](TOptionsPresenter& d) {
    d.SetStandardIndex(0);
    d.SetAlarmPeriod(20);
    d.SetCableRun(35);
    d.SetImpedance(25);
    d.ChooseDegrade(2);
    d.SetSetAsDefaults(true);
  };
  EXPECT_FALSE(Run(edit, false));
  EXPECT_EQ(settings, StoreDefaults);
  EXPECT_TRUE(Run(edit));
  EXPECT_EQ(settings, (TSettings{0, 20, 35, 0.25, 0.8, true}));
  EXPECT_TRUE(Run([](TOptionsPresenter& d) { d.SetDegradeText("15"); }));
  EXPECT_EQ(settings.BatteryFactor, 0.8);
}

TEST_F(OptionsTest, SetAsDefaultsDecidesWhetherTheStoreIsWritten) {
  Run([](TOptionsPresenter& d) { d.SetAlarmPeriod(30); });
  EXPECT_EQ(settings.AlarmPeriod, 30);
  TSettings next;
  ReadDefaults(store, next);
  EXPECT_EQ(next, StoreDefaults);  // the next New still gets the old defaults

  Run([](TOptionsPresenter& d) { d.SetSetAsDefaults(true); });
  ReadDefaults(store, next);
  EXPECT_EQ(next, settings);
}

TEST_F(OptionsTest, ShowLengthChangedOnlyWhenTheBoxChanged) {
  Run([](TOptionsPresenter& d) { d.SetShowLength(false); });
  EXPECT_TRUE(dialog.ShowLengthChanged());
  dialog.ClearShowLengthChanged();  // the caller has refreshed the labels
  Run([](TOptionsPresenter&) {});
  EXPECT_FALSE(dialog.ShowLengthChanged());
}

}  // namespace
}  // namespace voltaris
