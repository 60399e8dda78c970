#include "designer/loading_presenter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/model/design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0, D1 = 5, D3 = 7, E4S = 10 };

// The designer's side of the dialog: the control panel of the test's design,
// a scripted device picker and recorded error messages.
class FakeLoadingHost : public ILoadingHost {
 public:
  explicit FakeLoadingHost(TControlPanel& panel) : panel_(panel) {}

  int32_t PanelType() const override { return panel_.PanelType; }
  int32_t PanelGrade() const override { return panel_.Grade; }
  bool AddDevice(int32_t panelType, TDeviceData& entry) override {
    pickerPanelTypes.push_back(panelType);
    pickerGrades.push_back(CurrentGrade);
    if (!pick) return false;
    entry = *pick;
    return true;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  TDeviceDataPtr pick;  // what the user picks; null: the picker is cancelled
  std::vector<int32_t> pickerPanelTypes;
  std::vector<int32_t> pickerGrades;
  std::vector<std::string> errors;

 private:
  TControlPanel& panel_;
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
    ADD_FAILURE() << "no type " << typeName << " in the list";
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

// An Orvane 400 at grade 2: four keypad places on its network.
class LoadingOnFullNetworkTest : public LoadingFixture {
 protected:
  LoadingOnFullNetworkTest() { NewPanel(10, 2); }
};

// D1 draws 25 / 45 mA; over 2 ohms that drops 0.05 / 0.09 V.
TEST_F(LoadingPresenterTest, OpeningShowsTheDeviceAsItStands) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  const TLoadingView& view = presenter.View();
  EXPECT_EQ(view.Label18, "Network1");
  EXPECT_EQ(view.Label4, (TFigureText{"13.55", ColourBlack}));
  EXPECT_EQ(view.Label5, (TFigureText{"13.51", ColourBlack}));
  EXPECT_EQ(view.Label8, "25 mA");
  EXPECT_EQ(view.Label9, "45 mA");
  EXPECT_EQ(view.Label16, "25 mA");
  EXPECT_EQ(view.Label17, "45 mA");
  EXPECT_EQ(view.Edit1, "20");
  EXPECT_EQ(view.Edit2, "10");
  EXPECT_EQ(view.Edit3, "0");
  EXPECT_EQ(view.Edit4, "0");
  EXPECT_TRUE(view.Panel1Enabled);
  EXPECT_FALSE(view.Panel2Visible);

  TStringList types;
  FillNetDeviceList(types, 6, 2);
  EXPECT_EQ(view.DevTypeItems, types);
  ASSERT_GE(view.DevTypeIndex, 0);
  EXPECT_EQ(view.DevTypeItems[static_cast<size_t>(view.DevTypeIndex)], "Orvane D1");
  EXPECT_TRUE(view.DevTypeEnabled);
  EXPECT_EQ(view.Location, "Not Defined");
  EXPECT_EQ(view.LocationColour, ColourRed);

  EXPECT_FALSE(view.DetailsVisible);
  EXPECT_EQ(view.Height, 357);
  EXPECT_EQ(view.DetailBtnCaption, "Show Details");
  EXPECT_EQ(view.ButtonsTop, 301);

  // A voltage below the device's minimum is shown in red.
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit1, "200"));
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "200"));
  EXPECT_EQ(view.Label4, (TFigureText{"9.10", ColourRed}));
  EXPECT_EQ(view.Label16, "225 mA");

  // A location typed over the placeholder turns black and reaches the device.
  presenter.EditLocation("Hall");
  EXPECT_EQ(reader.Location, "Hall");
  EXPECT_EQ(view.LocationColour, ColourBlack);
  presenter.EditLocation("");
  EXPECT_EQ(reader.Location, "");
  presenter.DoUpdateLabels();
  EXPECT_EQ(view.Location, "Not Defined");
}

TEST_F(LoadingPresenterTest, ADeviceOnNoNetworkShowsNoVoltages) {
  TVududa& loose = Place(K4);
  presenter.Open(loose);
  EXPECT_EQ(presenter.View().Label18, "Not Connected");
  EXPECT_EQ(presenter.View().Label4.Text, "N/A");
  EXPECT_EQ(presenter.View().Label5.Text, "N/A");

  // A plain network device has no type or location to edit.
  auto& plain = canvas.Create<TNetDevice>();
  presenter.Open(plain);
  EXPECT_FALSE(presenter.View().DevTypeEnabled);
  EXPECT_FALSE(presenter.View().LocationEnabled);
  EXPECT_EQ(presenter.View().DevTypeIndex, -1);
  presenter.ChooseDeviceType(0);
  presenter.EditLocation("Hall");
  EXPECT_EQ(presenter.View().DevTypeIndex, -1);
}

TEST_F(LoadingPresenterTest, QuiescentLoadAboveTheAlarmLoadRaisesIt) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit4, "100"));
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "150"));
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 150}));
  EXPECT_EQ(presenter.View().Edit4, "150");
  EXPECT_EQ(presenter.View().Label17, "195 mA");

  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit4, "50"));
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 50}));
  EXPECT_EQ(presenter.View().Label16, "175 mA");
  EXPECT_EQ(presenter.View().Label17, "95 mA");

  // Leaving the quiescent field untouched does not raise the alarm load again.
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "150"));
  EXPECT_EQ(reader.AttachedLoad, (TLoad{150, 50}));
}

TEST_F(LoadingPresenterTest, AnEmptiedCableLengthLeavesTheNetworkVoltage) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit1, ""));
  EXPECT_EQ(reader.CableLength, 0);
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 13.6);
  EXPECT_EQ(presenter.View().Label4.Text, "13.60");
  EXPECT_EQ(presenter.View().Label5.Text, "13.60");
  EXPECT_EQ(presenter.View().Edit1, "0");

  // A fractional length shows in its shortest form; so does the impedance.
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit1, "12.5"));
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit2, "20"));
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.2);
  EXPECT_DOUBLE_EQ(reader.CableResistance, 2.5);
  EXPECT_EQ(presenter.View().Edit1, "12.5");
  EXPECT_EQ(presenter.View().Edit2, "20");
}

// Halvard S (Normal) x 2 draws 36 / 1090 mA.
TEST_F(LoadingPresenterTest, TheLoadListReplacesThePlainFigures) {
  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "40"));

  presenter.DetailBtnClick();
  EXPECT_TRUE(reader.DetailsShown);
  EXPECT_EQ(presenter.View().Height, 672);
  EXPECT_EQ(presenter.View().DetailBtnCaption, "Hide Details");
  EXPECT_EQ(presenter.View().ButtonsTop, 611);

  CurrentGrade = -1;
  AddEntry(2, "Halvard S (Normal)");
  ASSERT_EQ(presenter.Lines().size(), 1u);
  EXPECT_EQ(presenter.Lines()[0].Text, "2\tHalvard S (Normal)\t3\t36 mA\t1090 mA");
  EXPECT_EQ(presenter.Lines()[0].Entry->Alarm, 1090);
  EXPECT_EQ(loading.pickerPanelTypes, (std::vector<int32_t>{NetworkDevicePanelType}));
  EXPECT_EQ(loading.pickerGrades, (std::vector<int32_t>{2}));
  EXPECT_FALSE(presenter.View().Panel1Enabled);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{36, 1090}));
  EXPECT_EQ(presenter.View().Edit3, "36");
  EXPECT_EQ(presenter.View().Label17, "1135 mA");

  // The plain figures cannot be typed over while the list holds devices.
  EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "500"));
  EXPECT_FALSE(presenter.KeyPress(TLoadingField::Edit3, "36", '5'));
  EXPECT_EQ(reader.AttachedLoad, (TLoad{36, 1090}));

  // A cancelled picker adds nothing.
  loading.pick = nullptr;
  presenter.AddClick();
  EXPECT_EQ(presenter.Lines().size(), 1u);

  // Delete needs a selected line.
  presenter.DeleteClick();
  EXPECT_EQ(presenter.Lines().size(), 1u);
  presenter.SelectLine(0);
  presenter.DeleteClick();
  EXPECT_TRUE(presenter.Lines().empty());
  EXPECT_TRUE(presenter.View().Panel1Enabled);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{0, 0}));
  EXPECT_EQ(presenter.View().Edit3, "0");

  // With the list empty again, Delete leaves newly typed figures alone.
  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "70"));
  presenter.DeleteClick();
  EXPECT_EQ(reader.AttachedLoad, (TLoad{70, 70}));
}

TEST_F(LoadingPresenterTest, TheListTakesAtMostOneHundredRows) {
  TVududa& expander = Place(E4S);
  presenter.Open(expander);
  for (int i = 0; i < 100; ++i) AddEntry(1, "Pathra OH");
  ASSERT_EQ(presenter.Lines().size(), 100u);
  EXPECT_EQ(expander.AttachedLoad, (TLoad{800, 800}));

  CurrentPanelType = -1;
  AddEntry(1, "Pathra OH");
  EXPECT_EQ(presenter.Lines().size(), 100u);
  EXPECT_EQ(loading.pickerPanelTypes.size(), 100u);
  // An E4S expander is offered the load devices of the E4S filter.
  EXPECT_EQ(CurrentPanelType, E4SPanelType);
  EXPECT_EQ(loading.pickerPanelTypes.front(), E4SPanelType);
}

TEST_F(LoadingPresenterTest, ASuppliedDeviceEditsItsNetworkAndPowerLengthsApart) {
  TVududa& reader = ReaderOnNetwork();
  TPSU& psu = PlacePSU();
  ASSERT_TRUE(Drop(reader, psu));
  presenter.Open(reader);
  EXPECT_TRUE(presenter.View().Panel2Visible);
  EXPECT_EQ(presenter.View().Edit5, "20");
  EXPECT_EQ(presenter.View().Edit6, "20");
  EXPECT_EQ(presenter.View().Label4.Text, "13.55");

  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit5, "40"));
  EXPECT_EQ(reader.CableLength, 40);
  EXPECT_EQ(reader.NetCableLength, 20);
  EXPECT_EQ(presenter.View().Label4.Text, "13.50");

  ASSERT_TRUE(presenter.ApplyField(TLoadingField::Edit6, "75"));
  EXPECT_EQ(reader.NetCableLength, 75);
  EXPECT_EQ(reader.CableLength, 40);
  EXPECT_EQ(presenter.View().Label4.Text, "13.50");
  EXPECT_EQ(presenter.View().Edit6, "75");

  // The single length field is hidden behind the pair.
  EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit1, "5"));
  EXPECT_EQ(reader.CableLength, 40);
}

TEST_F(LoadingPresenterTest, CancelKeepsTheTypeAndLocationButRestoresTheFigures) {
  TVududa& reader = ReaderOnNetwork();
  host.onSetUp = [&](TNetDevice& device, TLoadLines&) {
    presenter.Open(device);
    presenter.ChooseDeviceType(PositionOf("Orvane D3"));
    presenter.EditLocation("Office");
    EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit1, "50"));
    EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit2, "20"));
    EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit3, "100"));
    presenter.DetailBtnClick();
    // D3 draws 85 / 105 mA; 185 mA over 10 ohms drops 1.85 V.
    EXPECT_EQ(presenter.View().Label4.Text, "11.75");
    EXPECT_EQ(presenter.View().Label8, "85 mA");
    presenter.Cancel();
    return false;
  };
  reader.DoubleClickAction();
  EXPECT_EQ(reader.DeviceType, D3);
  EXPECT_EQ(reader.Location, "Office");
  EXPECT_EQ(reader.CableLength, 20);
  EXPECT_EQ(reader.NetCableLength, 20);
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.1);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{0, 0}));
  EXPECT_FALSE(reader.DetailsShown);
  // 85 / 105 mA over 2 ohms.
  EXPECT_DOUBLE_EQ(reader.SupplyVolts, 13.43);
  EXPECT_DOUBLE_EQ(reader.AlarmVolts, 13.39);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(reader.Status, Blue);
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
  EXPECT_FALSE(presenter.IsOpen());
  ASSERT_EQ(reader.LoadData.Entries.size(), 2u);
  EXPECT_EQ(reader.LoadData.Entries[1]->Name, "Lumen PIR");
  EXPECT_EQ(reader.LoadData.Text,
            "2\tHalvard S (Normal)\t3\t36 mA\t1090 mA\r\n3\tLumen PIR\t2\t27 mA\t27 mA\r\n");
  EXPECT_EQ(reader.AttachedLoad, (TLoad{63, 1117}));
  EXPECT_EQ(reader.EffectiveGrade, 2);
  EXPECT_EQ(host.questions, (std::vector<std::string>{"Is this device setup complete?"}));
  EXPECT_TRUE(reader.SetupConfirmed);
  EXPECT_NE(reader.Status, Blue);

  // The next opening starts from the list, with the details as left.
  presenter.Open(reader);
  EXPECT_FALSE(presenter.View().Panel1Enabled);
  EXPECT_TRUE(presenter.View().DetailsVisible);
  ASSERT_EQ(presenter.Lines().size(), 2u);
  EXPECT_EQ(presenter.Lines()[0].Entry, reader.LoadData.Entries[0]);
}

TEST_F(LoadingPresenterTest, TextThatIsNoNumberIsReportedAndChangesNothing) {
  TVududa& reader = ReaderOnNetwork();
  reader.SetImpedance(0.127);
  presenter.Open(reader);
  presenter.ApplyField(TLoadingField::Edit3, "30");
  ASSERT_EQ(presenter.View().Edit2, "13");

  struct Case {
    TLoadingField field;
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {TLoadingField::Edit1, "abc", "'abc' is not a valid number."},
      {TLoadingField::Edit1, ".", "'.' is not a valid number."},
      {TLoadingField::Edit1, "1e999", "'1e999' is not a valid number."},
      {TLoadingField::Edit1, "nan", "'nan' is not a valid number."},
      {TLoadingField::Edit1, "-5", "Enter a cable length from 0 to 1000000 m."},
      {TLoadingField::Edit1, "1e300", "Enter a cable length from 0 to 1000000 m."},
      {TLoadingField::Edit2, "12,5", "'12,5' is not a valid number."},
      {TLoadingField::Edit2, "inf", "'inf' is not a valid number."},
      {TLoadingField::Edit2, "-1", "Enter an impedance from 0 to 1000000 ohms per 100 m."},
      {TLoadingField::Edit3, "12.5", "'12.5' is not a valid whole number."},
      {TLoadingField::Edit3, "99999999999999999999", "'99999999999999999999' is not a valid whole number."},
      {TLoadingField::Edit4, "3000000000", "Enter a load from 0 to 1000000 mA."},
      {TLoadingField::Edit4, "-1", "Enter a load from 0 to 1000000 mA."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    loading.errors.clear();
    EXPECT_FALSE(presenter.ApplyField(c.field, c.text));
    EXPECT_EQ(loading.errors, (std::vector<std::string>{c.error}));
  }
  EXPECT_EQ(reader.CableLength, 20);
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.127);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{30, 30}));
  EXPECT_EQ(presenter.View().Edit1, "20");
  EXPECT_EQ(presenter.View().Edit3, "30");

  // Leaving the impedance as shown keeps the fraction it does not show.
  loading.errors.clear();
  EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit2, "13"));
  EXPECT_DOUBLE_EQ(reader.Impedance, 0.127);
  // Blanks around a number are no fault.
  EXPECT_TRUE(presenter.ApplyField(TLoadingField::Edit1, " 30 "));
  EXPECT_EQ(reader.CableLength, 30);
  EXPECT_TRUE(loading.errors.empty());
}

TEST_F(LoadingPresenterTest, KeyFilters) {
  using F = TLoadingField;
  using V = TKeyVerdict;
  for (F field : {F::Edit1, F::Edit5, F::Edit6}) {
    EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", '7'), V::Accept);
    EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", '.'), V::Accept);
    EXPECT_EQ(TLoadingPresenter::FilterKey(field, "1.2", '.'), V::Discard);
    EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", '\r'), V::Apply);
    for (char key : {'\b', '-', 'e', ',', ' '}) EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", key), V::Discard);
  }
  for (F field : {F::Edit3, F::Edit4}) {
    EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", '0'), V::Accept);
    for (char key : {'.', '\r', '\b', '-'}) EXPECT_EQ(TLoadingPresenter::FilterKey(field, "12", key), V::Discard);
  }
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit2, "12", 'x'), V::Accept);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit2, "1.2", '.'), V::Accept);
  EXPECT_EQ(TLoadingPresenter::FilterKey(F::Edit2, "12", '\r'), V::Apply);

  TVududa& reader = ReaderOnNetwork();
  presenter.Open(reader);
  // Enter in a length field applies it at once.
  EXPECT_FALSE(presenter.KeyPress(F::Edit1, "35", '\r'));
  EXPECT_EQ(reader.CableLength, 35);
  // A digit in a load field hides the details and clears the device's flag.
  presenter.DetailBtnClick();
  ASSERT_TRUE(reader.DetailsShown);
  EXPECT_FALSE(presenter.KeyPress(F::Edit3, "0", 'x'));
  EXPECT_TRUE(presenter.View().DetailsVisible);
  EXPECT_TRUE(presenter.KeyPress(F::Edit3, "0", '5'));
  EXPECT_FALSE(presenter.View().DetailsVisible);
  EXPECT_FALSE(reader.DetailsShown);
  EXPECT_EQ(reader.AttachedLoad, (TLoad{0, 0}));
}

// Four keypads fill an Orvane 400 network; an E4S takes two keypad places.
TEST_F(LoadingOnFullNetworkTest, ATypeThatOverfillsTheNetworkTakesTheDeviceOff) {
  TPanelNetwork& network = Net(0);
  std::vector<TVududa*> keypads;
  for (int i = 0; i < 4; ++i) {
    keypads.push_back(&Place(K4));
    ASSERT_TRUE(Drop(*keypads.back(), network));
  }
  TVududa& last = *keypads.back();
  presenter.Open(last);
  EXPECT_EQ(presenter.View().Label18, network.Name());
  presenter.ChooseDeviceType(PositionOf("Orvane E4S"));
  EXPECT_EQ(last.DeviceType, E4S);
  EXPECT_EQ(presenter.View().Label18, "Not Connected");
  EXPECT_EQ(presenter.View().Label4.Text, "N/A");
  EXPECT_EQ(presenter.View().DevTypeItems[static_cast<size_t>(presenter.View().DevTypeIndex)], "Orvane E4S");
}

}  // namespace
}  // namespace voltaris::testing
