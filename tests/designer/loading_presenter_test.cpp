#include "designer/dialogs/loading_presenter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "catalogue/format.h"
#include "model/advice.h"
#include "tests/model/design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, D1 = 5, D3 = 7, E4S = 10 };
using F = TLoadingField;

// The designer's side of the dialog: the test design's control panel, a
// scripted device picker and the error messages shown.
struct FakeLoadingHost : ILoadingHost {
  explicit FakeLoadingHost(TControlPanel& panel) : panel(panel) {}
  int32_t PanelType() const override { return panel.PanelType; }
  int32_t PanelGrade() const override { return panel.Grade; }
  bool AddDevice(int32_t panelType, int32_t grade, TDeviceData& entry) override {
    // The picker is run for the grade the project's filter then holds.
    EXPECT_EQ(grade, panel.Context().Filter.CurrentGrade);
    pickerCalls.push_back({panelType, grade});
    if (pick) entry = *pick;
    return pick != nullptr;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  TControlPanel& panel;
  TDeviceDataPtr pick;  // null: the user cancels the picker
  std::vector<std::pair<int32_t, int32_t>> pickerCalls;  // panel type, CurrentGrade
  std::vector<std::string> errors;
};

class LoadingFixture : public DesignTest {
 protected:
  // A reader on the first network, 20 m of 10 ohms per 100 m: 2 ohms.
  TVududa& ReaderOnNetwork() {
    TVududa& reader = Place(D1);
    EXPECT_TRUE(Drop(reader, Net(0)));
    reader.SetCableLength(20);
    return reader;
  }
  // Shows the list and adds `qty` of the load device `name` through "Add".
  void AddEntry(int32_t qty, const std::string& name) {
    if (!presenter.View().DetailsVisible) presenter.DetailBtnClick();
    loading.pick = MakeEntry(qty, name);
    presenter.AddClick();
  }
  int PositionOf(const std::string& typeName) const {
    const TStringList& items = presenter.View().DevTypeItems;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == typeName) return static_cast<int>(i);
    ADD_FAILURE() << "no type " << typeName;
    return -1;
  }

  FakeLoadingHost loading{panel};
  TLoadingPresenter presenter{loading};
};

// An Orvane 200 at grade 2: one network.
class LoadingPresenterTest : public LoadingFixture {
 protected:
  LoadingPresenterTest() { NewPanel(6, 2); }
};

// D1 draws 25 / 45 mA; over 2 ohms that drops 0.05 / 0.09 V.
TEST_F(LoadingPresenterTest, OpeningShowsTheDeviceAsItStands) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  const TLoadingView& view = presenter.View();
  EXPECT_EQ(view.Label18, "Network1");
  EXPECT_EQ(view.Label4, (TFigureText{"13.55", ColourBlack}));
  EXPECT_EQ(view.Label5, (TFigureText{"13.51", ColourBlack}));
  EXPECT_EQ(view.Edit2, "10");
  ASSERT_GE(view.DevTypeIndex, 0);
  EXPECT_EQ(view.DevTypeItems[static_cast<size_t>(view.DevTypeIndex)], "Orvane D1");
  EXPECT_EQ(view.Location, "Not Defined");
  EXPECT_EQ(view.LocationColour, ColourRed);
  EXPECT_EQ(view.Height, 357 + LoadingAddedHeight);

  // 225 mA over 20 ohms leaves 9.1 V, below the minimum: red.
  presenter.ApplyField(F::Edit1, "200");
  presenter.ApplyField(F::Edit3, "200");
  EXPECT_EQ(view.Label4, (TFigureText{"9.10", ColourRed}));

  presenter.EditLocation("Hall");
  EXPECT_EQ(reader.Location, "Hall");
  EXPECT_EQ(view.LocationColour, ColourBlack);

  // Off every network: no voltages. A plain network device has no type to choose.
  presenter.Open(Place(K4));
  EXPECT_EQ(view.Label18, "Not Connected");
  EXPECT_EQ(view.Label4.Text, "N/A");
  presenter.Open(canvas.Create<TNetDevice>());
  EXPECT_FALSE(view.DevTypeEnabled);
}

// A cable by name fills in its loop resistance exactly; the field shows it
// to the whole ohm, as it shows any impedance, and the voltages use the exact
// figure: the reader's 25 mA over 20 m of 1.0 mm2 (3.448 ohms per 100 m)
// drop 0.017 V, 13.58 V. The figure the Options dialog gives for a cable (its
// loop rounded up) shows that cable too.
TEST_F(LoadingPresenterTest, ACableByNameFillsInItsLoopResistance) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  const TLoadingView& view = presenter.View();
  const auto other = static_cast<int>(TLoadingPresenter::CableItems().size()) - 1;
  EXPECT_EQ(TLoadingPresenter::CableItems()[static_cast<size_t>(other)], "Other");
  EXPECT_EQ(view.CableIndex, other);  // the default 10 ohms is no named cable

  presenter.ChooseCable(4);
  EXPECT_EQ(TLoadingPresenter::CableItems()[4], "1.0 mm2");
  EXPECT_NEAR(reader.Impedance, 0.03448, 1e-12);
  EXPECT_EQ(view.Edit2, "3");
  EXPECT_EQ(view.CableIndex, 4);
  EXPECT_EQ(view.CableHint, "The whole loop, out and back: 3.448 ohms per 100 m");
  EXPECT_EQ(view.Label4.Text, "13.58");
  // Leaving the field as shown keeps the exact figure.
  EXPECT_TRUE(presenter.ApplyField(F::Edit2, "3"));
  EXPECT_NEAR(reader.Impedance, 0.03448, 1e-12);

  presenter.ChooseCable(0);  // 7/0.2 mm on one pair: 2 x 78.4 / 10
  EXPECT_NEAR(reader.Impedance, 0.1568, 1e-12);
  EXPECT_EQ(view.Edit2, "16");
  presenter.ChooseCable(other);  // "Other" keeps the figure there is
  EXPECT_NEAR(reader.Impedance, 0.1568, 1e-12);
  EXPECT_EQ(view.CableIndex, 0);

  presenter.ApplyField(F::Edit2, "8");  // doubled pairs, as the Options dialog rounds them
  EXPECT_EQ(view.CableIndex, 1);
  presenter.ApplyField(F::Edit2, "9");
  EXPECT_EQ(view.CableIndex, other);
  EXPECT_EQ(view.CableHint, "The whole loop, out and back, per 100 m: the figure typed");
}

// The advice for the reader, at 0.1 ohm/m with its own 25 / 45 mA and 200 mA attached:
//   200 m (20 ohms): 225 mA drop 4.5 V to 9.10 V, 245 mA drop 4.9 V to 8.70 V;
//     margins -1.40 and -1.80 V; the longest cable 200 + min(-1400 / 225,
//     -1800 / 245) / 0.1 = 126.53 m; twice the cores 9.10 + 2.25 = 11.35 V and
//     8.70 + 2.45 = 11.15 V, both above 10.5 V.
//   400 m: 4.60 and 3.80 V; the same 126.53 m; twice the cores 9.10 and 8.70 V,
//     still below the minimum.
//   No impedance: 13.60 V, margins 3.10 V, any length.
TEST_F(LoadingPresenterTest, TheAdviceFollowsEveryChangeOfTheDialog) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  const TLoadingView& view = presenter.View();
  presenter.ApplyField(F::Edit1, "200");
  presenter.ApplyField(F::Edit3, "200");
  EXPECT_EQ(view.lbQuiescentMargin, (TFigureText{"-1.40 V", ColourRed}));
  EXPECT_EQ(view.lbAlarmMargin, (TFigureText{"-1.80 V", ColourRed}));
  EXPECT_EQ(view.lbLongestCable, (TFigureText{"126.53 m", ColourBlack}));
  EXPECT_EQ(view.lbDoubledCores, (TFigureText{"11.35 / 11.15 V", ColourBlack}));
  // On a 12.0 V battery each voltage is 1.6 V lower; the longest cable is
  // 200 + min(-3000 / 225, -3400 / 245) / 0.1 = 61.22 m.
  EXPECT_EQ(view.OnBatteryCaption, "On battery (12.00 V)");
  EXPECT_EQ(view.lbOnBattery, (TFigureText{"7.50 / 7.10 V", ColourRed}));
  EXPECT_EQ(view.lbLongestOnBattery, (TFigureText{"61.22 m", ColourBlack}));

  presenter.ApplyField(F::Edit1, "400");
  EXPECT_EQ(view.Label4.Text, "4.60");
  EXPECT_EQ(view.lbLongestCable.Text, "126.53 m");
  EXPECT_EQ(view.lbDoubledCores, (TFigureText{"9.10 / 8.70 V", ColourRed}));

  presenter.ApplyField(F::Edit2, "0");
  EXPECT_EQ(view.lbQuiescentMargin, (TFigureText{"3.10 V", ColourBlack}));
  EXPECT_EQ(view.lbAlarmMargin, (TFigureText{"3.10 V", ColourBlack}));
  EXPECT_EQ(view.lbLongestCable, (TFigureText{"any length", ColourBlack}));
  EXPECT_EQ(view.lbDoubledCores, (TFigureText{"13.60 / 13.60 V", ColourBlack}));
  EXPECT_EQ(view.lbOnBattery, (TFigureText{"12.00 / 12.00 V", ColourBlack}));
  EXPECT_EQ(view.lbLongestOnBattery, (TFigureText{"any length", ColourBlack}));

  // The figures are the model's own, as the whole design's advice gives them.
  presenter.ApplyField(F::Edit2, "10");
  const TDesignAdvice advice = WorkOutAdvice(panel, canvas);
  ASSERT_EQ(advice.Devices.size(), 1u);
  EXPECT_EQ(view.lbLongestCable.Text, Format("%.2f m", RoundLengthDown(*advice.Devices[0].MaxCableLength)));
}

// A keypad powering 900 / 900 mA over 40 m leaves 9.72 / 9.64 V; a second
// keypad behind it is short with no cable at all (see the advice's own tests).
// Off every network there is nothing to advise.
TEST_F(LoadingPresenterTest, TheAdviceSaysWhenNoLengthWillDo) {
  TVududa& a = Place(K4);
  ASSERT_TRUE(Drop(a, Net(0)));
  a.SetCableLength(40);
  a.SetAttachedLoad({900, 900});
  TVududa& b = Place(K4);
  ASSERT_TRUE(Drop(b, a));
  presenter.Open(b);
  EXPECT_EQ(presenter.View().lbLongestCable, (TFigureText{"no length will do", ColourRed}));
  presenter.Open(a);
  EXPECT_EQ(presenter.View().lbQuiescentMargin, (TFigureText{"-0.78 V", ColourRed}));
  EXPECT_EQ(presenter.View().lbAlarmMargin, (TFigureText{"-0.86 V", ColourRed}));
  EXPECT_EQ(presenter.View().lbLongestCable, (TFigureText{"30.85 m", ColourBlack}));

  for (TNetDevice* device : {static_cast<TNetDevice*>(&Place(K4)), &canvas.Create<TNetDevice>()}) {
    presenter.Open(*device);
    for (const TFigureText* figure : {&presenter.View().lbQuiescentMargin, &presenter.View().lbAlarmMargin,
                                      &presenter.View().lbLongestCable, &presenter.View().lbDoubledCores})
      EXPECT_EQ(*figure, (TFigureText{"N/A", ColourBlack}));
  }
}

TEST_F(LoadingPresenterTest, QuiescentLoadAboveTheAlarmLoadRaisesIt) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  presenter.ApplyField(F::Edit4, "100");
  presenter.ApplyField(F::Edit3, "150");
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 150}));
  EXPECT_EQ(presenter.View().Edit4, "150");
  presenter.ApplyField(F::Edit4, "50");
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 50}));
  // Leaving the quiescent field untouched does not raise the alarm load again.
  presenter.ApplyField(F::Edit3, "150");
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 50}));
}

TEST_F(LoadingPresenterTest, AnEmptiedCableLengthLeavesTheNetworkVoltage) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  ASSERT_TRUE(presenter.ApplyField(F::Edit1, ""));
  EXPECT_EQ(reader.CableLength, 0);
  EXPECT_EQ(presenter.View().Label4.Text, "13.60");
  EXPECT_EQ(presenter.View().Label5.Text, "13.60");
  EXPECT_EQ(presenter.View().Edit1, "0");
}

// Halvard S (Normal) x 2 draws 36 / 1090 mA.
TEST_F(LoadingPresenterTest, TheLoadListReplacesThePlainFigures) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  presenter.DetailBtnClick();
  EXPECT_TRUE(reader.DetailsShown);
  EXPECT_EQ(presenter.View().Height, 672 + LoadingAddedHeight);
  EXPECT_EQ(presenter.View().ButtonsTop, 611 + LoadingAddedHeight);

  canvas.Context().Filter.CurrentGrade = -1;
  AddEntry(2, "Halvard S (Normal)");
  ASSERT_EQ(presenter.Lines().size(), 1u);
  EXPECT_EQ(presenter.Lines()[0].Text, "2\tHalvard S (Normal)\t3\t36 mA\t1090 mA");
  EXPECT_EQ(loading.pickerCalls, (std::vector<std::pair<int32_t, int32_t>>{{NetworkDevicePanelType, 2}}));
  EXPECT_FALSE(presenter.View().Panel1Enabled);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{36, 1090}));
  EXPECT_EQ(presenter.View().Edit3, "36");

  // The plain figures cannot be typed over while the list holds devices.
  presenter.ApplyField(F::Edit3, "500");
  EXPECT_FALSE(presenter.KeyPress(F::Edit3, "36", '5'));
  loading.pick = nullptr;
  presenter.AddClick();     // the picker cancelled
  presenter.DeleteClick();  // no line selected
  EXPECT_EQ(presenter.Lines().size(), 1u);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{36, 1090}));

  presenter.SelectLine(0);
  presenter.DeleteClick();
  EXPECT_TRUE(presenter.Lines().empty());
  EXPECT_TRUE(presenter.View().Panel1Enabled);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{0, 0}));

  // With the list empty, Delete leaves newly typed figures alone.
  presenter.ApplyField(F::Edit3, "70");
  presenter.DeleteClick();
  EXPECT_EQ(reader.AttachedLoad, (TLoad{70, 70}));
}

// Pathra OH draws 8 / 8 mA.
TEST_F(LoadingPresenterTest, TheListTakesAtMostOneHundredRows) {
  TVududa& expander = Place(E4S);
  presenter.Open(expander);
  for (int i = 0; i < 101; ++i) AddEntry(1, "Pathra OH");
  EXPECT_EQ(presenter.Lines().size(), 100u);
  EXPECT_EQ(loading.pickerCalls.size(), 100u);
  EXPECT_EQ(expander.AttachedLoad, (TLoad{800, 800}));
  // An E4S expander is offered the load devices of the E4S filter.
  EXPECT_EQ(loading.pickerCalls.front().first, E4SPanelType);
}

TEST_F(LoadingPresenterTest, ASuppliedDeviceEditsItsNetworkAndPowerLengthsApart) {
  TVududa& reader = ReaderOnNetwork();
  ASSERT_TRUE(Drop(reader, PlacePSU()));
  presenter.Open(reader);
  EXPECT_TRUE(presenter.View().Panel2Visible);
  presenter.ApplyField(F::Edit5, "40");
  EXPECT_EQ(reader.CableLength, 40);
  EXPECT_EQ(reader.NetCableLength, 20);
  EXPECT_EQ(presenter.View().Label4.Text, "13.50");
  presenter.ApplyField(F::Edit6, "75");
  EXPECT_EQ(reader.NetCableLength, 75);
  EXPECT_EQ(reader.CableLength, 40);
  EXPECT_EQ(presenter.View().Label4.Text, "13.50");
}

TEST_F(LoadingPresenterTest, CancelKeepsTheTypeAndLocationButRestoresTheFigures) {
  TVududa& reader = ReaderOnNetwork();
  host.onSetUp = [&](TNetDevice& device, TLoadLines&) {
    presenter.Open(device);
    presenter.ChooseDeviceType(PositionOf("Orvane D3"));
    presenter.EditLocation("Office");
    presenter.ApplyField(F::Edit1, "50");
    presenter.ApplyField(F::Edit2, "20");
    presenter.ApplyField(F::Edit3, "100");
    presenter.DetailBtnClick();
    // D3 draws 85 / 105 mA; 185 mA over 10 ohms drops 1.85 V.
    EXPECT_EQ(presenter.View().Label4.Text, "11.75");
    presenter.Cancel();
    return false;
  };
  reader.DoubleClickAction();
  EXPECT_EQ(reader.DeviceType, D3);
  EXPECT_EQ(reader.Location, "Office");
  EXPECT_EQ(reader.CableLength, 20);
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.1);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{0, 0}));
  EXPECT_FALSE(reader.DetailsShown);
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 13.43);  // 85 mA over 2 ohms
  EXPECT_TRUE(host.questions.empty());
}

TEST_F(LoadingPresenterTest, OkHandsOverTheLinesAndAsksForConfirmation) {
  TVududa& reader = ReaderOnNetwork();
  host.onSetUp = [&](TNetDevice& device, TLoadLines& lines) {
    presenter.Open(device);
    AddEntry(2, "Halvard S (Normal)");
    AddEntry(3, "Lumen PIR");
    presenter.Ok(lines);
    return true;
  };
  reader.DoubleClickAction();
  EXPECT_EQ(reader.LoadData.Text,
            "2\tHalvard S (Normal)\t3\t36 mA\t1090 mA\r\n3\tLumen PIR\t2\t27 mA\t27 mA\r\n");
  EXPECT_EQ(reader.LoadData.Entries.size(), 2u);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{63, 1117}));
  EXPECT_EQ(reader.EffectiveGrade, 2);
  EXPECT_EQ(host.questions, (std::vector<std::string>{"Is this device setup complete?"}));
  EXPECT_TRUE(reader.SetupConfirmed);

  // The next opening starts from the list, with the details as left.
  presenter.Open(reader);
  EXPECT_FALSE(presenter.View().Panel1Enabled);
  EXPECT_TRUE(presenter.View().DetailsVisible);
  ASSERT_EQ(presenter.Lines().size(), 2u);
  EXPECT_EQ(presenter.Lines()[0].Entry, reader.LoadData.Entries[0]);
}

TEST_F(LoadingPresenterTest, TextThatIsNoNumberOrBeyondTheTradeIsRefusedWithTheRangeAndChangesNothing) {
  TVududa& reader = ReaderOnNetwork();
  reader.SetImpedance(0.127);
  presenter.Open(reader);
  presenter.ApplyField(F::Edit3, "30");
  ASSERT_EQ(presenter.View().Edit2, "13");

  const char* const length = "Enter a cable length from 0 to 1000 m.";
  const char* const impedance = "Enter an impedance from 0 to 50 ohms per 100 m.";
  const char* const load = "Enter a load from 0 to 5000 mA.";
  const std::tuple<F, const char*, std::string> refused[] = {
      {F::Edit1, "abc", "'abc' is not a valid number."},
      {F::Edit1, "1e999", "'1e999' is not a valid number."},
      {F::Edit1, "nan", "'nan' is not a valid number."},
      {F::Edit1, "-5", length},
      {F::Edit1, "1000.5", length},
      {F::Edit1, "1000000", length},
      {F::Edit2, "12,5", "'12,5' is not a valid number."},
      {F::Edit2, "inf", "'inf' is not a valid number."},
      {F::Edit2, "-1", impedance},
      {F::Edit2, "99999", impedance},
      {F::Edit2, "51", impedance},
      {F::Edit3, "12.5", "'12.5' is not a valid whole number."},
      {F::Edit3, "99999999999999999999", "'99999999999999999999' is not a valid whole number."},
      {F::Edit3, "5001", load},
      {F::Edit4, "99999", load},
  };
  for (const auto& [field, text, message] : refused) {
    SCOPED_TRACE(text);
    loading.errors.clear();
    EXPECT_FALSE(presenter.ApplyField(field, text));
    ASSERT_EQ(loading.errors.size(), 1u);
    EXPECT_EQ(loading.errors.front(), message);
  }
  presenter.ApplyField(F::Edit1, ".");
  EXPECT_EQ(loading.errors.back(), "'.' is not a valid number.");
  EXPECT_EQ(reader.CableLength, 20);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{30, 30}));
  EXPECT_EQ(presenter.View().Edit1, "20");

  // Leaving the impedance as shown keeps the fraction it does not show.
  EXPECT_TRUE(presenter.ApplyField(F::Edit2, "13"));
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.127);
  // The ends of each range are taken.
  loading.errors.clear();
  EXPECT_TRUE(presenter.ApplyField(F::Edit1, "1000"));
  EXPECT_TRUE(presenter.ApplyField(F::Edit2, "50"));
  EXPECT_TRUE(presenter.ApplyField(F::Edit4, "5000"));
  EXPECT_TRUE(loading.errors.empty());
  EXPECT_EQ(reader.CableLength, 1000);
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.5);
  EXPECT_EQ(reader.AttachedLoad.Alarm, 5000);
}

TEST_F(LoadingPresenterTest, KeyFilters) {
  using V = TKeyVerdict;
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit6, "12", '.'), V::Accept);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit6, "1.2", '.'), V::Discard);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit5, "12", '\b'), V::Discard);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit5, "12", '-'), V::Discard);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit4, "12", '.'), V::Discard);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit4, "12", '\r'), V::Discard);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit2, "1.2", '.'), V::Accept);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit2, "12", '\r'), V::Apply);

  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  EXPECT_FALSE(presenter.KeyPress(F::Edit1, "35", '\r'));
  EXPECT_EQ(reader.CableLength, 35);
  // A digit in a load field hides the details and clears the device's flag.
  presenter.DetailBtnClick();
  EXPECT_FALSE(presenter.KeyPress(F::Edit3, "0", 'x'));
  EXPECT_TRUE(presenter.View().DetailsVisible);
  EXPECT_TRUE(presenter.KeyPress(F::Edit3, "0", '5'));
  EXPECT_FALSE(presenter.View().DetailsVisible);
  EXPECT_FALSE(reader.DetailsShown);
}

}  // namespace
}  // namespace voltaris::testing
