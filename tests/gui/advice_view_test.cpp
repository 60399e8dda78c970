// The design advice where the installer looks: the loading dialog's figures
// under the voltages, the load calculator's capacity and battery, and the
// report window's "Design Advice" block, each driven as a user drives them.
// Each case leaves a picture of what it checked beside the test program.
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>

#include "calculator/ui/device_picker_dialog.h"
#include "calculator/ui/load_calculator_dialog.h"
#include "designer/ui/loading_dialog.h"
#include "designer/ui/report_window.h"
#include "main_window_support.h"
#include "model/toolbar_device.h"
#include "ui/qt_text.h"

namespace voltaris {

using namespace voltaris::testing;

namespace {

QString Text(QWidget* parent, const char* name) { return Control<QLabel>(parent, name)->text(); }
QColor Colour(QWidget* parent, const char* name) {
  return Control<QLabel>(parent, name)->palette().color(QPalette::WindowText);
}

const QColor RedText = ToQColor(ColourRed);
const QColor BlackText = ToQColor(ColourBlack);

// Types `text` into a field and leaves it with Tab, which applies it.
void Enter(QWidget* dialog, const char* field, const QString& text) {
  auto* edit = Control<QLineEdit>(dialog, field);
  edit->setFocus();
  TypeOver(edit, text);
  QTest::keyClick(edit, Qt::Key_Tab);
}

}  // namespace

class AdviceViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  // An Orvane 200 at grade 2 with an Orvane K4 (35 / 45 mA) dropped on its
  // network, then set up in the loading dialog: 200 m of 0.1 ohm/m (20 ohms)
  // and 200 mA attached.
  //   Before the load: 12.90 / 12.70 V, margins 2.40 / 2.20 V, the longest
  //   cable 200 + min(2400 / 35, 2200 / 45) / 0.1 = 688.88 m, twice the
  //   cores 12.90 + 0.35 = 13.25 V and 12.70 + 0.45 = 13.15 V.
  //   With it: 235 / 245 mA drop 4.7 / 4.9 V to 8.90 / 8.70 V, margins
  //   -1.60 / -1.80 V in red, the longest cable 200 - 734.69 / 10 = 126.53 m,
  //   twice the cores 8.90 + 2.35 = 11.25 V and 8.70 + 2.45 = 11.15 V.
  // The report then advises the keypad, and the panel, which has no battery
  // yet: 0.295 A x 0.5 h + 12 h x 0.285 A = 3.5675 Ah, which 7.2 Ah carries.
  void theLoadingDialogAndTheReportShowTheAdvice() {
    Session s;
    s.New("Orvane 200", 2, "Shop", "Unit 4");
    TDevice& keypad = s.Place(1, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    QCOMPARE(Device(keypad).NetParent, static_cast<TDevice*>(&s.Net(0)));

    bool checked = false;
    WhenShown<TLoadingFrm>([&checked](TLoadingFrm* d) {
      Enter(d, "Edit1", "200");
      QCOMPARE(Text(d, "lbQuiescentMargin"), QString("2.40 V"));
      QCOMPARE(Text(d, "lbAlarmMargin"), QString("2.20 V"));
      QCOMPARE(Colour(d, "lbAlarmMargin"), BlackText);
      QCOMPARE(Text(d, "lbLongestCable"), QString("688.88 m"));
      QCOMPARE(Text(d, "lbDoubledCores"), QString("13.25 / 13.15 V"));

      Enter(d, "Edit3", "200");
      QCOMPARE(Text(d, "Label4"), QString("8.90"));
      QCOMPARE(Text(d, "lbQuiescentMargin"), QString("-1.60 V"));
      QCOMPARE(Colour(d, "lbQuiescentMargin"), RedText);
      QCOMPARE(Text(d, "lbAlarmMargin"), QString("-1.80 V"));
      QCOMPARE(Colour(d, "lbAlarmMargin"), RedText);
      QCOMPARE(Text(d, "lbLongestCable"), QString("126.53 m"));
      QCOMPARE(Colour(d, "lbLongestCable"), BlackText);
      QCOMPARE(Text(d, "lbDoubledCores"), QString("11.25 / 11.15 V"));
      QCOMPARE(Colour(d, "lbDoubledCores"), BlackText);
      auto* location = Control<QLineEdit>(d, "Location");
      location->setFocus();
      TypeOver(location, "Hall");
      d->grab().save(QStringLiteral("advice_loading_dialog.png"));
      checked = true;
      Click(d, "Button3");
    });
    AnswerMessage(QMessageBox::Yes);  // "Is this device setup complete?"
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QVERIFY(checked);
    QVERIFY(keypad.SetupConfirmed);

    const QString target = s.dir.path() + "/Shop.txt";
    QString shown;
    WhenShown<TReportWindow>([&](TReportWindow* window) {
      shown = Control<QPlainTextEdit>(window, "Memo1")->toPlainText();
      window->grab().save(QStringLiteral("advice_report_window.png"));
      window->ChooseFile = [target](const std::string&, const std::string&) { return target.toStdString(); };
      Click(window, "btnSaveReport");
      Click(window, "btnDone");
    });
    s.Action("mnuReport")->trigger();

    TStringList report;
    s.Panel().WriteSystemReport(report, "Unit 4", s.window->Designer().Host().ShortDate());
    const QString specified = ToQString(JoinLines(report)).replace("\r\n", "\n");
    QVERIFY(shown.startsWith(specified));
    const QString advice = shown.mid(specified.size());
    QVERIFY2(advice.startsWith("\n"
                               "Design Advice\n"
                               "Orvane 200: no battery chosen: fit at least 3.57 Ah, the 7.2 Ah battery is enough\n"
                               "Hall - Orvane K4: shorten the cable to 126.53 m or double its cores\n"
                               "\n"
                               "Checks Beyond the Light (battery at 12.00 V on mains failure)\n"
                               "Orvane 200: no battery, no recharge time\n"
                               "Hall - Orvane K4: on battery "),
             qPrintable(advice));
    // Save writes what the window shows: the report, then the advice.
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray::fromStdString(s.Designer().ReportText()));
  }

  // The shipped Corner Shop: its Orvane 200 carries more alarm load than
  // 1.0 A less its charging current, so no battery of its list saves it.
  // The report and the panel's load calculator say so with the same capacity.
  // A keypad Green on mains and below its minimum on a 12.0 V battery: the
  // line under the warnings says so, and a click on it selects the keypad.
  void theSummaryHasALineForTheChecksBeyondTheLight() {
    Session s;
    s.New("Orvane 200", 2);
    auto* checks = s.Summary<QLabel>("lbChecks");
    QVERIFY(checks->isHidden());
    TDevice& keypad = s.Place(1, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    s.Designer().RunCommand("Set Up", [&] {
      s.Designer().SummaryPanel().ChooseBattery(0);
      Device(keypad).SetupConfirmed = true;
      Device(keypad).SetCableLength(444);
    });
    s.Settle();
    QVERIFY(!checks->isHidden());
    QVERIFY(checks->text().contains("Checks beyond the light: 1 device below its minimum on battery"));
    testing::Keep(s.window->grab().toImage(), QStringLiteral("summary_checks.png"));
    s.Designer().CanvasControl().Select(nullptr);
    emit checks->linkActivated(QStringLiteral("checks"));
    s.Settle();
    QCOMPARE(s.Designer().CanvasControl().SelectedTile(), &s.Last());
    // Resting the pointer on the keypad, its light still Green, says why.
    QCOMPARE(keypad.Status, Green);
    TTileWidget* widget = s.Widget(keypad);
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &hover);
    QTRY_COMPARE(QToolTip::text(), QString("Below minimum on battery"));
    if (QWidget* tip = testing::ShownTip()) testing::Keep(tip->grab().toImage(), QStringLiteral("tile_hint.png"));
  }

  void theCornerShopExampleIsToldToMoveLoad() {
    Session s;
    const QString examples = QStringLiteral(VOLTARIS_EXAMPLES);
    for (const char* name : {"CornerShop.dat", "CornerShop.pjx", "Accounts.db"})
      QVERIFY(QFile::copy(examples + "/" + name, s.DataPath(name)));
    QVERIFY(s.Designer().Session().OpenProject("Orvane 200", "CornerShop", "Corner Shop, 12 High Street"));
    s.Settle();

    QString shown;
    WhenShown<TReportWindow>([&](TReportWindow* window) {
      auto* memo = Control<QPlainTextEdit>(window, "Memo1");
      shown = memo->toPlainText();
      memo->moveCursor(QTextCursor::End);  // the picture shows the end, where the advice is
      window->grab().save(QStringLiteral("advice_report_corner_shop.png"));
      Click(window, "btnDone");
    });
    s.Action("mnuReport")->trigger();
    QVERIFY(
        shown.contains("\nDesign Advice\n"
                       "Orvane 200: alarm current 1.00 A exceeds the 0.88 A peak available: no battery changes "
                       "that; move alarm load to a remote supply\n\nChecks Beyond the Light"));

    bool checked = false;
    WhenShown<TfrmCalculator>([&checked](TfrmCalculator* d) {
      QCOMPARE(Text(d, "lbCapacityNeeded"), QString("4.86 Ah"));
      QCOMPARE(Text(d, "lbRecommendedBattery"), QString("No battery of the list is enough"));
      QCOMPARE(Colour(d, "lbRecommendedBattery"), RedText);
      d->grab().save(QStringLiteral("advice_load_calculator_corner_shop.png"));
      checked = true;
      Click(d, "Button2");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    QVERIFY(checked);
  }

  // An Orvane 400 at grade 2, 7.2 Ah, its own 70 mA: it needs 12 h x 0.07 A
  // and the 15 minute alarm reserve, twice: 0.84 + 0.035 Ah. Three LinkIP and a
  // Halvard S (718 / 1245 mA) need 0.6225 + 8.616 = 9.2385 Ah: the 7.2 Ah runs
  // 9.16 h, the 17.0 Ah is the one.
  void theLoadCalculatorShowsTheCapacityAndTheBattery() {
    TProjectContext context;
    TPowerModule module;
    module.Name = "Orvane 400";
    module.SetPanelType(10);
    module.OwnQuiescent = 70;
    module.SetGrade(2);
    module.SetAlarmPeriod(15);
    module.SetBattery(0);
    context.Filter.CurrentPanelType = 10;
    TLoadLines lines;
    TfrmCalculator dialog([] { return 2; }, [] {});
    bool checked = false;
    WhenShown<TfrmCalculator>([&checked](TfrmCalculator* d) {
      QCOMPARE(Text(d, "lbCapacityNeeded"), QString("0.88 Ah"));
      QCOMPARE(Text(d, "lbRecommendedBattery"), QString("7.2 Ah"));
      for (const auto& [name, qty] : {std::pair{"Orvane LinkIP", "3"}, std::pair{"Halvard S (Normal)", "1"}}) {
        WhenShown<TfrmDevices>([name = QString(name), qty = QString(qty)](TfrmDevices* picker) {
          auto* list = Control<QTreeWidget>(picker, "lbDevice");
          const auto found = list->findItems(name, Qt::MatchExactly, 0);
          QVERIFY(!found.isEmpty());
          list->setCurrentItem(found.front());
          QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
          TypeOver(Control<QSpinBox>(picker, "seQty"), qty);
          Click(picker, "BitBtn1");
        });
        Click(d, "btnAdd");
      }
      QCOMPARE(Text(d, "TotAlarmI"), QString("1245 mA"));
      QCOMPARE(Text(d, "lbCapacityNeeded"), QString("9.24 Ah"));
      QCOMPARE(Text(d, "lbRecommendedBattery"), QString("17.0 Ah"));
      d->grab().save(QStringLiteral("advice_load_calculator.png"));
      checked = true;
      Click(d, "Button1");
    });
    dialog.Edit(module, lines, context.Filter);
    QVERIFY(checked);
    QCOMPARE(lines.size(), size_t{2});
  }

  // An Orvane 200 whose 1.0 A less 120 mA charging cannot carry two Halvard S
  // in alarm with any battery: none of its list is enough, in red.
  void theLoadCalculatorSaysWhenNoBatteryIsEnough() {
    TProjectContext context;
    TPowerModule module;
    module.Name = "Orvane 200";
    module.SetPanelType(6);
    module.OwnQuiescent = 50;
    module.SetGrade(2);
    module.SetBattery(0);
    TLoadLines lines;
    for (int k = 0; k < 2; ++k) {
      auto entry = std::make_shared<TDeviceData>(TDeviceData{1, 3, "Halvard S (Normal)", 18, 545});
      lines.push_back({LoadListLine(*entry), entry});
    }
    TfrmCalculator dialog([] { return 2; }, [] {});
    bool checked = false;
    WhenShown<TfrmCalculator>([&checked](TfrmCalculator* d) {
      QCOMPARE(Text(d, "lbRecommendedBattery"), QString("No battery of the list is enough"));
      QCOMPARE(Colour(d, "lbRecommendedBattery"), RedText);
      checked = true;
      Click(d, "Button1");
    });
    dialog.Edit(module, lines, context.Filter);
    QVERIFY(checked);
  }
};

}  // namespace voltaris

QTEST_MAIN(voltaris::AdviceViewTest)
#include "advice_view_test.moc"
