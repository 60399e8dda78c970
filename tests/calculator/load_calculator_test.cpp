#include "calculator/load_calculator.h"
#include "model/advice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <utility>
#include <vector>

#include "model/dialog_host.h"
#include "model/project_context.h"

namespace voltaris {

void PrintTo(const TValueLabel& label, std::ostream* os) {
  *os << '"' << label.Text << "\" in " << int(label.Colour.R) << ',' << int(label.Colour.G) << ','
      << int(label.Colour.B);
}

namespace {

// Plays the user at the device picker and at the message boxes.
class FakeHost : public ILoadCalculatorHost {
 public:
  int32_t DesignerGrade() const override { return designerGrade; }
  void MarkModified() override { ++modified; }
  bool RunDevicePicker(TDevicePicker& picker) override {
    captions.push_back(picker.Caption());
    return user(picker);
  }
  bool AskYesNo(const std::string& question, TQuestionKind kind) override {
    questions.emplace_back(question, kind);
    return answer;
  }

  int32_t designerGrade = 2;
  int modified = 0;
  TPickerRun user;
  bool answer = true;
  std::vector<std::string> captions;
  std::vector<std::pair<std::string, TQuestionKind>> questions;
};

// A user who picks the catalogue device `name` with a quantity and presses OK.
TPickerRun Choose(const std::string& name, int32_t qty) {
  return [=](TDevicePicker& p) {
    const auto& lines = p.Lines();
    const auto found = std::find_if(lines.begin(), lines.end(),
                                    [&](const std::string& l) { return LineName(l) == name; });
    p.ClickLine(static_cast<int>(found - lines.begin()));
    p.SetQuantity(qty);
    return true;
  };
}

// A control panel's module with its first battery, as the designer sets it
// up, and the load calculator to open on it.
class LoadCalculatorTest : public ::testing::Test {
 protected:
  void SetUpPanel(int32_t type, int32_t grade) {
    module.Name = PanelOptsTable[type].Name;
    module.SetPanelType(type);
    module.OwnQuiescent = PanelOptsTable[type].OwnCurrent;
    module.SetGrade(grade);
    module.SetBattery(0);
    filter.CurrentPanelType = type;
  }
  void OpenPanel(int32_t type, int32_t grade) {
    SetUpPanel(type, grade);
    calc.Open(module, lines, filter);
  }
  void Add(const std::string& name, int32_t qty) {
    host.user = Choose(name, qty);
    calc.btnAddClick();
  }
  const TCalculatorView& view() const { return calc.View(); }

  // The project the module belongs to: its catalogue filter and dialogs.
  TProjectContext context;
  TCatalogueFilter& filter = context.Filter;
  FakeHost host;
  TPowerModule module;
  TLoadLines lines;
  TLoadCalculator calc{host};
};

TEST_F(LoadCalculatorTest, OpensOnAControlPanelWithItsFigures) {
  OpenPanel(5, 2);
  EXPECT_EQ(view().Caption, "Orvane 100");
  EXPECT_EQ(view().Title, "  Control Panel");
  EXPECT_EQ(view().GradeItems, (TStringList{"Grade 1", "Grade 2"}));
  EXPECT_EQ(view().GradeIndex, 1);
  EXPECT_EQ(view().BatteryIndex, 0);
  EXPECT_TRUE(view().GradeEnabled && !view().ACFailEnabled);
  EXPECT_EQ(host.modified, 1);

  EXPECT_EQ(view().lbPSU, (TValueLabel{"1.00 Amps", ColourBlue}));
  EXPECT_EQ(view().lbBattCurrent.Text, "120 mA");
  EXPECT_EQ(view().lbPeakCurrent.Text, "0.88 Amps");
  EXPECT_EQ(view().lbReqPeakCur.Text, "Max Alarm Current: 0.88 Amps");
  EXPECT_EQ(view().lbPeriod.Text, "12 Hours");
  EXPECT_EQ(view().lbReqStandby.Text, "12 Hours Standby");
  EXPECT_EQ(view().lbRatedOP.Text, "0.60 Amps");
  EXPECT_EQ(view().lbActPeak, (TValueLabel{"50 mA", ColourGreen}));
  EXPECT_EQ(view().lbActStandby, (TValueLabel{"144.00 Hours", ColourGreen}));
  EXPECT_TRUE(view().AddEnabled && !view().EditEnabled);
  // The control panel has no label to give.
  EXPECT_FALSE(view().LabelShown);
  calc.EditLabel("Office");
  EXPECT_EQ(module.Label, "");
}

TEST_F(LoadCalculatorTest, RemoteSupplyFollowsThePanelAndWaitsForABattery) {
  module.OwnQuiescent = 25;
  module.SetGrade(3);
  module.SetACFailSignalled(true);
  calc.Open(module, lines, filter);
  EXPECT_EQ(view().Title, "Distributed PSU");
  EXPECT_FALSE(view().GradeEnabled || view().ACFailEnabled);
  EXPECT_TRUE(view().ACFailChecked);
  EXPECT_FALSE(view().AddEnabled || view().DevicesEnabled || view().EditEnabled || view().DeleteEnabled);
  EXPECT_EQ(view().lbBattCurrent.Text, "Unknown");
  EXPECT_EQ(view().lbRatedOP.Text, "Please Select Battery");
  EXPECT_EQ(view().lbActStandby, (TValueLabel{"  ---", ColourBlack}));
  calc.btnAddClick();
  calc.cbGradeChange(0);
  EXPECT_TRUE(host.captions.empty());
  EXPECT_EQ(module.Grade, 3);

  calc.cbBatteryTypeChange(1);  // 17.0 Ah charges at 750 mA at grade 3
  EXPECT_EQ(view().lbBattCurrent.Text, "750 mA");
  EXPECT_TRUE(view().AddEnabled);

  // Its label: blanks around it dropped, no longer than the field takes.
  EXPECT_TRUE(view().LabelShown);
  const int modified = host.modified;
  calc.EditLabel("  Plant room ");
  EXPECT_EQ(module.Label, "Plant room");
  EXPECT_EQ(host.modified, modified + 1);
  calc.EditLabel(std::string(40, 'x'));
  EXPECT_EQ(module.Label, std::string(MaxSupplyLabel, 'x'));
  calc.EditLabel("   ");
  EXPECT_EQ(module.Label, "");
}

TEST_F(LoadCalculatorTest, EntriesSetTheModulesExtraLoadAndColours) {
  OpenPanel(5, 2);
  filter.CurrentGrade = -1;
  Add("Lumen PIR", 3);
  Add("Halvard S (Normal)", 1);
  EXPECT_EQ(host.captions, (std::vector<std::string>{"Add Devices", "Add Devices"}));
  EXPECT_EQ(filter.CurrentGrade, 2);  // the designer panel's grade
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Text, "3\tLumen PIR\t2\t27 mA\t27 mA");
  EXPECT_EQ(module.ExtraQuiescent, 45);
  EXPECT_EQ(module.ExtraAlarm, 572);
  EXPECT_EQ(view().TotNomI.Text, "95 mA");
  EXPECT_EQ(view().TotAlarmI.Text, "622 mA");
  EXPECT_TRUE(view().EditEnabled && view().DeleteEnabled);

  Add("Halvard S (Normal)", 1);  // 1167 mA in alarm: beyond the 0.88 A available
  EXPECT_EQ(view().lbActPeak, (TValueLabel{"1167 mA", ColourRed}));
  Add("Orvane LinkIP", 3);  // 743 mA in all: 9.69 hours against 12
  EXPECT_EQ(view().lbActStandby, (TValueLabel{"9.69 Hours", ColourRed}));
  module.SetAlarmPeriod(600);  // the alarm reserve outgrows the battery
  calc.Recalculate();
  EXPECT_EQ(view().lbActStandby, (TValueLabel{"  ---", ColourBlack}));
}

// Orvane 100 at grade 2 (12 h, no alarm reserve here): its own 50 mA needs
// 12 h x 0.05 A = 0.60 Ah, which its 7.2 Ah carries. Two Halvard S bring the
// alarm load to 1140 mA, beyond the 0.88 A any battery leaves: none is enough;
// 12 h x 0.086 A = 1.032 Ah, shown rounded up. Deleting them puts it back.
TEST_F(LoadCalculatorTest, TheAdviceFollowsTheLinesAddedAndDeleted) {
  OpenPanel(5, 2);
  EXPECT_EQ(view().lbCapacityNeeded, (TValueLabel{"0.60 Ah", ColourBlue}));
  EXPECT_EQ(view().lbRecommendedBattery, (TValueLabel{"7.2 Ah", ColourBlue}));
  Add("Halvard S (Normal)", 2);
  EXPECT_EQ(view().lbCapacityNeeded.Text, "1.04 Ah");
  EXPECT_EQ(view().lbRecommendedBattery, (TValueLabel{"No battery of the list is enough", ColourRed}));
  calc.SelectLine(0);
  calc.btnDeleteClick();
  EXPECT_EQ(view().lbCapacityNeeded.Text, "0.60 Ah");
  EXPECT_EQ(view().lbRecommendedBattery.Text, "7.2 Ah");
}

// Under the battery: its recharge to 80 % against the grade's limit. Orvane
// 300 Metal's 7.2 Ah at 750 mA: 0.8 x 7200 / 750 = 7.68 h, within 72 h at
// grade 2 and 24 h at grade 3; at 120 mA it would take 48 h, beyond 24 h.
TEST_F(LoadCalculatorTest, TheRechargeTimeShowsUnderTheBattery) {
  OpenPanel(9, 2);
  EXPECT_EQ(view().lbRecharge, (TValueLabel{"7.68 h (limit 72 h)", ColourGreen}));
  calc.cbGradeChange(2);
  EXPECT_EQ(view().lbRecharge, (TValueLabel{"7.68 h (limit 24 h)", ColourGreen}));
  module.ChargeCurrent = 120;
  calc.UpdateDisplay();
  EXPECT_EQ(view().lbRecharge, (TValueLabel{"48.00 h (limit 24 h)", ColourRed}));
  EXPECT_EQ(RechargeLabel(TSourceAdvice{}), (TValueLabel{"---", ColourBlue}));
}

// Orvane 400 at grade 2 with a 15 minute alarm period: its own 70 mA, three
// LinkIP (630 mA) and a Halvard S (18 / 545 mA): 718 mA, 1245 mA in alarm,
// under the 1.25 A peak. Required 1.245 A x 0.5 h + 12 h x 0.718 A = 9.2385 Ah.
//   7.2 Ah:  (7.2 - 0.6225) / 0.718 = 9.16 h, short of 12 h
//   17.0 Ah: 22.8 h, continuous 1.25 A: enough
// Fitting it leaves the advice as it was: it never depended on the battery fitted.
TEST_F(LoadCalculatorTest, TheAdviceNamesTheBatteryOfTheListThatIsEnough) {
  SetUpPanel(10, 2);
  module.SetAlarmPeriod(15);
  calc.Open(module, lines, filter);
  Add("Orvane LinkIP", 3);
  Add("Halvard S (Normal)", 1);
  ASSERT_EQ(module.TotalAlarm(), 1245);
  EXPECT_EQ(view().lbActStandby, (TValueLabel{"9.16 Hours", ColourRed}));
  EXPECT_EQ(view().lbCapacityNeeded.Text, "9.24 Ah");
  EXPECT_EQ(view().lbRecommendedBattery, (TValueLabel{"17.0 Ah", ColourBlue}));
  ASSERT_EQ(view().BatteryItems.at(1), "17.0 Ah");
  calc.cbBatteryTypeChange(1);
  EXPECT_EQ(view().lbActStandby.Colour, ColourGreen);
  EXPECT_EQ(view().lbCapacityNeeded.Text, "9.24 Ah");
  EXPECT_EQ(view().lbRecommendedBattery.Text, "17.0 Ah");
  EXPECT_EQ(module.BatteryIndex, 1);
}

TEST_F(LoadCalculatorTest, RaisingTheGradeOffersToRemoveLowerGradeDevices) {
  for (bool yes : {true, false}) {
    lines.clear();
    OpenPanel(9, 2);
    Add("Lumen PIR", 1);
    Add("Twinpath GSM", 1);
    Add("Pathra OH", 1);  // grade 3 meets grade 3
    calc.SelectLine(1);
    host.questions.clear();
    host.answer = yes;
    calc.cbGradeChange(2);
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].first,
              "The device list contains components that do not meet the \r\n"
              "selected grade. Do you want to remove these devices?");
    EXPECT_EQ(host.questions[0].second, TQuestionKind::Error);
    EXPECT_EQ(module.Grade, 3);
    if (yes) {
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0].Entry->Name, "Twinpath GSM");
      EXPECT_EQ(lines[1].Entry->Name, "Pathra OH");
      EXPECT_EQ(view().SelectedLine, 0);  // the selection follows its line
      EXPECT_EQ(module.ExtraQuiescent, 83);
    } else {
      EXPECT_EQ(lines.size(), 3u);
    }
  }
}

TEST_F(LoadCalculatorTest, LoweringTheGradeUnticksACFail) {
  OpenPanel(9, 3);
  EXPECT_TRUE(view().ACFailEnabled);
  calc.cbSigACFailClick(true);
  EXPECT_TRUE(module.ACFailSignalled);
  EXPECT_EQ(view().lbPeriod.Text, "30 Hours");
  calc.cbGradeChange(1);
  EXPECT_FALSE(module.ACFailSignalled);
  EXPECT_FALSE(view().ACFailChecked || view().ACFailEnabled);
  EXPECT_EQ(view().lbPeriod.Text, "12 Hours");
  EXPECT_TRUE(host.questions.empty());  // nothing listed, nothing asked
}

TEST_F(LoadCalculatorTest, AddStopsAtAHundredLinesOrWithoutAPanelType) {
  OpenPanel(5, 2);
  for (int i = 0; i < 100; ++i) Add("Pathra OH", 1);
  EXPECT_EQ(lines.size(), 100u);
  Add("Pathra OH", 1);
  EXPECT_EQ(lines.size(), 100u);
  EXPECT_EQ(host.captions.size(), 100u);  // the picker did not even open

  lines.clear();
  filter.CurrentPanelType = -1;
  Add("Pathra OH", 1);
  EXPECT_TRUE(lines.empty());
}

TEST_F(LoadCalculatorTest, GradeCheckReachesEveryLineOfALongList) {
  // A list read from a file may hold more lines than "Add" allows.
  for (int i = 0; i < 130; ++i) {
    auto entry = std::make_shared<TDeviceData>(TDeviceData{1, i % 2 ? 2 : 4, "Dev", 1, 1});
    lines.push_back({LoadListLine(*entry), entry});
  }
  OpenPanel(9, 2);
  calc.cbGradeChange(2);
  EXPECT_EQ(lines.size(), 65u);
  EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [](const TLoadLine& l) { return l.Entry->Grade == 4; }));
  EXPECT_EQ(module.ExtraQuiescent, 65);
}

TEST_F(LoadCalculatorTest, EditChangesTheEntryInItsPlace) {
  OpenPanel(5, 2);
  Add("Lumen PIR", 1);
  Add("Pathra OH", 1);
  Add("Tessal PIR", 1);
  const TDeviceDataPtr middle = lines[1].Entry;
  filter.CurrentGrade = -1;
  calc.SelectLine(1);
  host.user = [](TDevicePicker& p) { p.SetQuantity(5); return false; };
  calc.btnEditClick();
  EXPECT_EQ(middle->Qty, 1);  // Cancel

  host.user = [](TDevicePicker& p) { p.SetQuantity(5); return true; };
  calc.btnEditClick();
  EXPECT_EQ(host.captions.back(), "Edit Devices");
  EXPECT_EQ(filter.CurrentGrade, -1);  // Edit leaves the filter grade alone
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].Entry, middle);
  EXPECT_EQ(lines[1].Text, "5\tPathra OH\t3\t40 mA\t40 mA");
  EXPECT_EQ(module.ExtraQuiescent, 58);
}

TEST_F(LoadCalculatorTest, DeleteAsksFirst) {
  OpenPanel(5, 2);
  Add("Lumen PIR", 1);
  Add("Pathra OH", 1);
  calc.SelectLine(0);
  host.answer = false;
  calc.btnDeleteClick();
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0], std::make_pair(std::string("Are you sure you want to delete this device?"),
                                              TQuestionKind::Confirmation));
  EXPECT_EQ(lines.size(), 2u);

  host.answer = true;
  calc.btnDeleteClick();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Entry->Name, "Pathra OH");
  EXPECT_EQ(view().SelectedLine, -1);
  EXPECT_EQ(module.ExtraQuiescent, 8);
}

// Opens the calculator from the power module, as the designer does, with a
// script for what the user does while it is open.
class CalculatorDialogHost : public IDialogHost {
 public:
  explicit CalculatorDialogHost(ILoadCalculatorHost& host) : calc(host) {}
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) override {
    calc.Open(module, lines, filter);
    user(calc);
    calc.Close();
    return done;
  }
  bool SetUpDevice(TNetDevice&, TLoadLines&) override { return false; }
  bool AskYesNo(const std::string&) override { return false; }

  TLoadCalculator calc;
  std::function<void(TLoadCalculator&)> user;
  bool done = true;  // Done, or Cancel
};

TEST_F(LoadCalculatorTest, EditLoadListTakesBackWhatTheUserLeft) {
  SetUpPanel(9, 2);
  CalculatorDialogHost dialogs(host);
  context.DialogHost = &dialogs;

  dialogs.user = [&](TLoadCalculator& c) {
    host.user = Choose("Twinpath GSM", 1);
    c.btnAddClick();
    host.user = Choose("Lumen PIR", 2);
    c.btnAddClick();
  };  // then "Cancel": the additions stay all the same
  module.EditLoadList(context);
  ASSERT_EQ(module.LoadData.Entries.size(), 2u);
  EXPECT_EQ(module.LoadData.Text, "1\tTwinpath GSM\t4\t75 mA\t150 mA\r\n2\tLumen PIR\t2\t18 mA\t18 mA\r\n");
  EXPECT_EQ(module.LowestDeviceGrade, 2);

  const TDeviceDataPtr unit = module.LoadData.Entries[0];
  dialogs.user = [](TLoadCalculator& c) { c.cbGradeChange(2); };  // and Yes to the question
  module.EditLoadList(context);
  ASSERT_EQ(module.LoadData.Entries.size(), 1u);
  EXPECT_EQ(module.LoadData.Entries[0], unit);
  EXPECT_EQ(module.LowestDeviceGrade, 3);
}

}  // namespace
}  // namespace voltaris
