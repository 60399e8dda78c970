// The Options dialog and the report window driven as a user drives them.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "designer/memory_settings_store.h"
#include "designer/options_presenter.h"
#include "designer/ui/options_dialog.h"
#include "designer/ui/report_window.h"
#include "dialog_test_support.h"

namespace voltaris {

using namespace testing;

namespace {

// What the Options dialog shows, control by control.
struct TShown {
  bool en50131 = false, pd6662 = false;
  int alarmTime = 0, cableRun = 0, impedance = 0;
  bool showLength = false, setAsDefaults = true;
  QString degrade;
};

TShown ReadControls(QWidget* dialog) {
  TShown shown;
  shown.en50131 = Control<QRadioButton>(dialog, "rbEN50131")->isChecked();
  shown.pd6662 = Control<QRadioButton>(dialog, "rbPD6662")->isChecked();
  shown.alarmTime = Control<QSpinBox>(dialog, "seAlmTime")->value();
  shown.showLength = Control<QCheckBox>(dialog, "cbShowLength")->isChecked();
  shown.cableRun = Control<QSpinBox>(dialog, "seCableRun")->value();
  shown.impedance = Control<QSpinBox>(dialog, "seImpedence")->value();
  shown.degrade = Control<QComboBox>(dialog, "cbBattDegrade")->currentText();
  shown.setAsDefaults = Control<QCheckBox>(dialog, "cbDefaults")->isChecked();
  return shown;
}

// The six settings as one text, so that a mismatch shows every field.
QString Describe(const TSettings& s) {
  return QStringLiteral("standard %1, alarm %2 min, run %3 m, %4 ohm/m, factor %5, lengths %6")
      .arg(s.SystemStandard).arg(s.AlarmPeriod).arg(s.CableRun).arg(s.CableImpedance).arg(s.BatteryFactor)
      .arg(s.ShowLength);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class OptionsReportTest : public QObject {
  Q_OBJECT

 private slots:
  // The store's defaults shown; a new impedance and degradation applied on
  // OK without touching the store while "Set as Defaults" is unticked.
  void optionsShowTheSettingsAndApplyOk() {
    TMemorySettingsStore store;
    TSettings settings{1, 15, 10, 0.1, 1.0, true};
    TOptionsPresenter presenter(store, settings);
    TOptionsDialog dialog(presenter);
    TShown shown;
    WhileModal(dialog, [&] {
      shown = ReadControls(&dialog);
      TypeOver(Control<QSpinBox>(&dialog, "seImpedence"), "25");
      Choose(Control<QComboBox>(&dialog, "cbBattDegrade"), "20");
      Click(&dialog, "btnOK");
    });
    QVERIFY(ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));

    QVERIFY(!shown.en50131);
    QVERIFY(shown.pd6662);
    QCOMPARE(shown.alarmTime, 15);
    QVERIFY(shown.showLength);
    QCOMPARE(shown.cableRun, 10);
    QCOMPARE(shown.impedance, 10);
    QCOMPARE(shown.degrade, QStringLiteral("0"));
    QVERIFY(!shown.setAsDefaults);

    QCOMPARE(settings.CableImpedance, 0.25);
    QCOMPARE(settings.BatteryFactor, 0.8);
    QCOMPARE(settings.AlarmPeriod, 15);
    QVERIFY(!presenter.ShowLengthChanged());
    QVERIFY(store.Get(SettingsKey, CableImpedanceValue) == nullptr);
  }

  // Every control goes back on OK, a number typed but not confirmed
  // included; "Set as Defaults" writes the store; Cancel changes nothing.
  void optionsWriteEveryControlBackAndCancelKeepsAll() {
    TMemorySettingsStore store;
    TSettings settings{1, 15, 10, 0.1, 0.9, true};
    TOptionsPresenter presenter(store, settings);
    TOptionsDialog dialog(presenter);
    QVERIFY(dialog.windowTitle() == QStringLiteral("Options"));
    WhileModal(dialog, [&] {
      ClickBox(Control<QRadioButton>(&dialog, "rbEN50131"));
      TypeOver(Control<QSpinBox>(&dialog, "seAlmTime"), "30");
      ClickBox(Control<QCheckBox>(&dialog, "cbShowLength"));
      TypeOver(Control<QSpinBox>(&dialog, "seCableRun"), "250");
      TypeOver(Control<QComboBox>(&dialog, "cbBattDegrade")->lineEdit(), "30");
      ClickBox(Control<QCheckBox>(&dialog, "cbDefaults"));
      Click(&dialog, "btnOK");
    });
    QVERIFY(ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    const TSettings expected{0, 30, 250, 0.1, 0.7, false};
    QCOMPARE(Describe(settings), Describe(expected));
    QVERIFY(presenter.ShowLengthChanged());
    TSettings stored;
    ReadDefaults(store, stored);
    QCOMPARE(Describe(stored), Describe(expected));

    // The next showing starts from the new settings; Cancel keeps them.
    TShown shown;
    WhileModal(dialog, [&] {
      shown = ReadControls(&dialog);
      TypeOver(Control<QSpinBox>(&dialog, "seImpedence"), "40");
      ClickBox(Control<QRadioButton>(&dialog, "rbPD6662"));
      Click(&dialog, "btnCancel");
    });
    QVERIFY(!ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    QVERIFY(shown.en50131);
    QCOMPARE(shown.alarmTime, 30);
    QVERIFY(!shown.showLength);
    QCOMPARE(shown.degrade, QStringLiteral("30"));
    QVERIFY(shown.setAsDefaults);  // the tick stays from the last showing
    QCOMPARE(Describe(settings), Describe(expected));
  }

  // The report as given, edited and saved through the replaceable file
  // choice; a name without extension gets ".txt".
  void reportShowsEditsAndSavesTheText() {
    QTemporaryDir dir;
    TReportWindow window;
    std::string askedDirectory, askedName;
    window.ChooseFile = [&](const std::string& directory, const std::string& name) {
      askedDirectory = directory;
      askedName = name;
      return dir.filePath("Shop report").toStdString();
    };
    QString caption, shown;
    bool fixedPitch = false, openAfterSave = false;
    QSize memoSize;
    WhileModal(window, [&] {
      auto* memo = Control<QPlainTextEdit>(&window, "Memo1");
      caption = window.windowTitle();
      shown = memo->toPlainText();
      fixedPitch = QFontInfo(memo->font()).fixedPitch();
      memoSize = memo->size();
      memo->moveCursor(QTextCursor::End);
      QTest::keyClicks(memo, "Checked by JS");
      Click(&window, "btnSaveReport");
      openAfterSave = window.isVisible();
      Click(&window, "btnDone");
    });
    window.ShowReport("Stystem Report :- Unit 4", "System Report for Unit 4\r\nNetwork 1\t12.91 V\r\n",
                      "/data/", "Shop");

    QCOMPARE(caption, QStringLiteral("Stystem Report :- Unit 4"));
    QCOMPARE(shown, QStringLiteral("System Report for Unit 4\nNetwork 1\t12.91 V\n"));
    QVERIFY(fixedPitch);
    QCOMPARE(memoSize, QSize(513, 577));
    QVERIFY(openAfterSave);
    QCOMPARE(askedDirectory, std::string("/data/"));
    QCOMPARE(askedName, std::string("Shop"));
    QCOMPARE(ReadFile(dir.filePath("Shop report.txt")),
             QByteArray("System Report for Unit 4\r\nNetwork 1\t12.91 V\r\nChecked by JS\r\n"));
  }

  // A file that cannot be written is reported and the window keeps its
  // text; a cancelled choice writes nothing.
  void reportSaveFailureIsShownAndTheWindowStays() {
    QTemporaryDir dir;
    TReportWindow window;
    QString target = dir.filePath("no such folder/Shop.txt");
    window.ChooseFile = [&](const std::string&, const std::string&) { return target.toStdString(); };
    QString message, textAfter;
    bool openAfterFailure = false;
    WhileModal(window, [&] {
      QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          message = box->text();
          box->accept();
        }
      });
      Click(&window, "btnSaveReport");
      openAfterFailure = window.isVisible();
      textAfter = Control<QPlainTextEdit>(&window, "Memo1")->toPlainText();
      target.clear();  // the user cancels the file choice
      Click(&window, "btnSaveReport");
      Click(&window, "btnDone");
    });
    window.ShowReport("Stystem Report :- Unit 4", "Line 1\r\n", dir.path().toStdString(), "Shop");
    QVERIFY2(message.contains(QStringLiteral("no such folder/Shop.txt")), qPrintable(message));
    QVERIFY(openAfterFailure);
    QCOMPARE(textAfter, QStringLiteral("Line 1\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
  }
};

}  // namespace voltaris

QTEST_MAIN(voltaris::OptionsReportTest)
#include "options_report_test.moc"
