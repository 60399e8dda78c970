#include "model/system_checks.h"

#include <functional>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>

#include "design_fixture.h"

namespace voltaris::testing {
namespace {

// A grade 3 system in order: every device to grade 3, a battery that carries
// it, and only green lights.
TSystemFacts InOrder() {
  TSystemFacts facts;
  facts.Grade = 3;
  facts.LowestDeviceGrade = 3;
  facts.LowestNetworkGrade = 3;
  facts.BatteryIndex = 0;
  facts.Networks = StatusBit(Green);
  facts.Supplies = StatusBit(Green);
  return facts;
}

struct TCheckCase {
  const char* Name;
  void (*Break)(TSystemFacts&);
  TStringList Warnings;
  TStringList Issues;
};

const TCheckCase CheckCases[] = {
    {"devices wired to the panel below the grade",
     [](TSystemFacts& f) { f.LowestDeviceGrade = 2; },
     {"Devices on panel are not to Grade 3"},
     {"** Panel has devices connected that are not to Grade 3 **"}},
    {"no battery on the panel",
     [](TSystemFacts& f) {
       f.InsufficientBackup = true;
       f.BatteryIndex = -1;
     },
     {"No battery selected for panel"},
     {"** No battery selected for panel **"}},
    {"a panel battery too small",
     [](TSystemFacts& f) {
       f.InsufficientBackup = true;
       f.BatteryIndex = 4;
     },
     {"Panel may not have sufficient backup"},
     {"** Panel may not have sufficient backup **"}},
    {"panel alarm overload",
     [](TSystemFacts& f) { f.AlarmOverload = true; },
     {"Panel alarm current exceeds maximum available"},
     {"** Panel alarm current exceeds maximum available **"}},
    {"panel continuous overload",
     [](TSystemFacts& f) { f.ContinuousOverload = true; },
     {"Panel current exceeds continuous rated output"},
     {"** Panel current exceeds continuous rated output **"}},
    {"a blue network light",
     [](TSystemFacts& f) { f.Networks |= StatusBit(Blue); },
     {"Devices not set up - Blue Status Light"},
     {"** Network devices may not be set up (Indicated by Blue Status Light) **"}},
    {"a red network light",
     [](TSystemFacts& f) { f.Networks |= StatusBit(Red); },
     {"Devices with low voltage - Red Status Light"},
     {"** Network Devices may not have sufficient voltage (Indicated by Red Status Light) **"}},
    // The window follows the network's yellow light, the report the grades
    // collected from the networks: each alone gives only its own line.
    {"a yellow network light",
     [](TSystemFacts& f) { f.Networks |= StatusBit(Yellow); },
     {"Devices on network not to Grade 3 - Yellow Status Light"},
     {}},
    {"network devices below the grade",
     [](TSystemFacts& f) { f.LowestNetworkGrade = 1; },
     {},
     {"** Devices on network not to Grade 3 (Indicated by Yellow Status Light) **"}},
    {"an orange network light",
     [](TSystemFacts& f) { f.Networks |= StatusBit(Orange); },
     {"Devices low Volts in alarm - Orange Status Light"},
     {"** Network Devices may not have sufficient Volts in alarm (Indicated by Orange Status Light) **"}},
    {"an orange supply light",
     [](TSystemFacts& f) { f.Supplies |= StatusBit(Orange); },
     {"PSU Alarm current exceeds maximum available - Orange Status Light"},
     {"** PSU Alarm current exceeds maximum available (Indicated by Orange Status Light) **"}},
    {"a red supply light",
     [](TSystemFacts& f) { f.Supplies |= StatusBit(Red); },
     {"PSU may have insufficient backup - Red Status Light"},
     {"** PSU may have insufficient backup (Indicated by Red Status Light) **"}},
    {"a yellow supply light",
     [](TSystemFacts& f) { f.Supplies |= StatusBit(Yellow); },
     {"PSU has devices not to Grade 3 - Yellow Status Light"},
     {"** PSU is powering devices not to Grade 3 (Indicated by Yellow Status Light) **"}},
    {"a blue supply light",
     [](TSystemFacts& f) { f.Supplies |= StatusBit(Blue); },
     {},
     {"** PSU has no battery selected (Indicated by Blue Status Light) **"}},
};

TEST(SystemChecksTest, EachCheckAloneGivesItsOwnLines) {
  std::set<size_t> checked;
  for (const TCheckCase& test : CheckCases) {
    SCOPED_TRACE(test.Name);
    TSystemFacts facts = InOrder();
    test.Break(facts);
    EXPECT_EQ(SystemWarnings(facts), test.Warnings);
    EXPECT_EQ(SystemIssues(facts), test.Issues);
    // Exactly one row of the table answers each case, so no row goes untested.
    std::vector<size_t> rows;
    const auto checks = SystemChecks();
    for (size_t row = 0; row < checks.size(); ++row) {
      const TSystemCheck& check = checks[row];
      if ((check.Warning.When && check.Warning.When(facts)) || (check.Issue.When && check.Issue.When(facts)))
        rows.push_back(row);
    }
    ASSERT_EQ(rows.size(), 1u);
    checked.insert(rows.front());
  }
  EXPECT_EQ(checked.size(), SystemChecks().size());
}

TEST(SystemChecksTest, ASystemInOrderGivesNoLines) {
  TSystemFacts facts = InOrder();
  EXPECT_TRUE(SystemWarnings(facts).empty());
  EXPECT_TRUE(SystemIssues(facts).empty());
  // No battery is no issue while the backup is judged sufficient; a grade
  // above the system's is no fault; no light at all is none either.
  facts.BatteryIndex = -1;
  facts.LowestDeviceGrade = 4;
  facts.LowestNetworkGrade = 4;
  facts.Networks = 0;
  facts.Supplies = 0;
  EXPECT_TRUE(SystemWarnings(facts).empty());
  EXPECT_TRUE(SystemIssues(facts).empty());
}

// The two lists as the control panel wrote them line by line before one table
// drove both: what the table must keep giving.
TStringList HandWrittenWarnings(const TSystemFacts& f) {
  TStringList warnings;
  if (f.Grade > f.LowestDeviceGrade) warnings.push_back(Format("Devices on panel are not to Grade %d", f.Grade));
  if (f.InsufficientBackup) {
    warnings.push_back(f.BatteryIndex == -1 ? "No battery selected for panel" : "Panel may not have sufficient backup");
  }
  if (f.AlarmOverload) warnings.push_back("Panel alarm current exceeds maximum available");
  if (f.ContinuousOverload) warnings.push_back("Panel current exceeds continuous rated output");
  if (HasStatus(f.Networks, Blue)) warnings.push_back("Devices not set up - Blue Status Light");
  if (HasStatus(f.Networks, Red)) warnings.push_back("Devices with low voltage - Red Status Light");
  if (HasStatus(f.Networks, Yellow))
    warnings.push_back(Format("Devices on network not to Grade %d - Yellow Status Light", f.Grade));
  if (HasStatus(f.Networks, Orange)) warnings.push_back("Devices low Volts in alarm - Orange Status Light");
  if (HasStatus(f.Supplies, Orange))
    warnings.push_back("PSU Alarm current exceeds maximum available - Orange Status Light");
  if (HasStatus(f.Supplies, Red)) warnings.push_back("PSU may have insufficient backup - Red Status Light");
  if (HasStatus(f.Supplies, Yellow))
    warnings.push_back(Format("PSU has devices not to Grade %d - Yellow Status Light", f.Grade));
  return warnings;
}

TStringList HandWrittenIssues(const TSystemFacts& f) {
  TStringList issues;
  if (f.Grade > f.LowestDeviceGrade)
    issues.push_back(Format("** Panel has devices connected that are not to Grade %d **", f.Grade));
  if (f.InsufficientBackup) {
    issues.push_back(f.BatteryIndex == -1 ? "** No battery selected for panel **"
                                          : "** Panel may not have sufficient backup **");
  }
  if (f.AlarmOverload) issues.push_back("** Panel alarm current exceeds maximum available **");
  if (f.ContinuousOverload) issues.push_back("** Panel current exceeds continuous rated output **");
  if (HasStatus(f.Networks, Blue))
    issues.push_back("** Network devices may not be set up (Indicated by Blue Status Light) **");
  if (HasStatus(f.Networks, Red))
    issues.push_back("** Network Devices may not have sufficient voltage (Indicated by Red Status Light) **");
  if (f.Grade > f.LowestNetworkGrade)
    issues.push_back(Format("** Devices on network not to Grade %d (Indicated by Yellow Status Light) **", f.Grade));
  if (HasStatus(f.Networks, Orange))
    issues.push_back("** Network Devices may not have sufficient Volts in alarm (Indicated by Orange Status Light) **");
  if (HasStatus(f.Supplies, Orange))
    issues.push_back("** PSU Alarm current exceeds maximum available (Indicated by Orange Status Light) **");
  if (HasStatus(f.Supplies, Red))
    issues.push_back("** PSU may have insufficient backup (Indicated by Red Status Light) **");
  if (HasStatus(f.Supplies, Yellow))
    issues.push_back(
        Format("** PSU is powering devices not to Grade %d (Indicated by Yellow Status Light) **", f.Grade));
  if (HasStatus(f.Supplies, Blue))
    issues.push_back("** PSU has no battery selected (Indicated by Blue Status Light) **");
  return issues;
}

TEST(SystemChecksTest, AnySystemGivesTheLinesItAlwaysGave) {
  std::mt19937 engine(20270201);
  auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(engine); };
  auto chance = [&] { return pick(0, 1) == 1; };
  auto statuses = [&] {
    // Mostly the five lights; now and then bits no light has, which must be ignored.
    return pick(0, 9) == 0 ? static_cast<TStatusSet>(engine()) : static_cast<TStatusSet>(pick(0, 31));
  };
  for (int round = 0; round < 20000; ++round) {
    TSystemFacts facts;
    facts.Grade = pick(0, 4);
    facts.LowestDeviceGrade = pick(0, 4);
    facts.LowestNetworkGrade = pick(0, 4);
    facts.InsufficientBackup = chance();
    facts.BatteryIndex = pick(-1, 3);
    facts.AlarmOverload = chance();
    facts.ContinuousOverload = chance();
    facts.Networks = statuses();
    facts.Supplies = statuses();
    SCOPED_TRACE(::testing::Message() << "round " << round);
    ASSERT_EQ(SystemWarnings(facts), HandWrittenWarnings(facts));
    ASSERT_EQ(SystemIssues(facts), HandWrittenIssues(facts));
  }
}

// A warning list that cannot be built is reported to the command, never
// dropped, and leaves the panel able to build it again.
class WarningFailureTest : public DesignTest {
 protected:
  WarningFailureTest() { NewPanel(12, 2); }

  // A listener of the warning list that runs `listen` (which may throw).
  void Listen(std::function<void()> listen) {
    listener_ = std::make_unique<TSlot<TControlPanel>>([listen](TControlPanel&, const TNoEvent&) { listen(); });
    panel.OnWarningsChanged.Attach(*listener_);
  }
  // Counts the lists built once the failure is over.
  void Recover() {
    listener_.reset();
    warningEvents = 0;
  }

 private:
  std::unique_ptr<TSlot<TControlPanel>> listener_;
};

TEST_F(WarningFailureTest, ACalculationReportsTheFailureAfterItsFigures) {
  panel.SetBattery(0);
  const double standby = panel.StandbyTime;
  Listen([] { throw std::runtime_error("warning list"); });
  panel.NetworkQuiescent = 1000;
  EXPECT_THROW(panel.Calculate(), std::runtime_error);
  EXPECT_LT(panel.StandbyTime, standby);
  Recover();
  panel.BuildWarnings();
  EXPECT_EQ(warningEvents, 1);
}

TEST_F(WarningFailureTest, SuppliesUpdatedTogetherBuildTheListOnceAfterTheLast) {
  for (int i = 0; i < 3; ++i) PlacePSU(600 + 100 * i);
  warningEvents = 0;
  panel.SetStandard(StandardEN50131);
  EXPECT_EQ(warningEvents, 2);  // the panel's own calculation, then the three supplies
}

TEST_F(WarningFailureTest, AListHeldBackThatCannotBeBuiltReachesTheCommand) {
  TPSU& psu = PlacePSU();
  panel.SetStandard(StandardEN50131);
  // Fails only for the list held back while the supply took the new standard.
  Listen([&] {
    if (psu.Module.GetStandard() == StandardPD6662) throw std::runtime_error("warning list");
  });
  EXPECT_THROW(panel.SetStandard(StandardPD6662), std::runtime_error);
  EXPECT_EQ(psu.Module.GetStandard(), StandardPD6662);
  Recover();
  panel.BuildWarnings();
  EXPECT_EQ(warningEvents, 1);
}

TEST_F(WarningFailureTest, AFailedUpdateOfTheSuppliesLetsGoOfTheHold) {
  TPSU& psu = PlacePSU();
  // A supply whose picture cannot be updated.
  auto view = std::make_unique<TSlot<TDevice, unsigned>>([](TDevice&, const unsigned& changes) {
    if (changes & ChangedStatus) throw std::runtime_error("tile view");
  });
  psu.OnChanged.Attach(*view);
  EXPECT_THROW(panel.SetStandard(StandardEN50131), std::runtime_error);
  EXPECT_THROW(panel.SetGrade(3), std::runtime_error);
  view.reset();
  Recover();
  panel.BuildWarnings();
  EXPECT_EQ(warningEvents, 1);
}

}  // namespace
}  // namespace voltaris::testing
