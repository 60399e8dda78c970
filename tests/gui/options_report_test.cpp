// The Options dialog and the report window driven as a user drives them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "designer/dialogs/options_presenter.h"
#include "designer/ui/options_dialog.h"
#include "designer/ui/report_window.h"
#include "dialog_test_support.h"
#include "storage/memory_settings_store.h"

namespace voltaris {

using namespace testing;

namespace {

// What the Options dialog shows, control by control, in one line.
QString Shown(QWidget* dialog) {
  const auto ticked = [](bool tick) { return tick ? QStringLiteral("ticked") : QStringLiteral("unticked"); };
  QString standard = QStringLiteral("none");
  if (Control<QRadioButton>(dialog, "rbEN50131")->isChecked()) standard = QStringLiteral("EN50131-1");
  if (Control<QRadioButton>(dialog, "rbPD6662")->isChecked()) standard = QStringLiteral("PD6662");
  return QStringLiteral("%1, %2 min, lengths %3, run %4 m, %5 ohms/100 m, degradation %6, defaults %7")
      .arg(standard)
      .arg(Control<QSpinBox>(dialog, "seAlmTime")->value())
      .arg(ticked(Control<QCheckBox>(dialog, "cbShowLength")->isChecked()))
      .arg(Control<QSpinBox>(dialog, "seCableRun")->value())
      .arg(Control<QSpinBox>(dialog, "seImpedence")->value())
      .arg(Control<QComboBox>(dialog, "cbBattDegrade")->currentText())
      .arg(ticked(Control<QCheckBox>(dialog, "cbDefaults")->isChecked()));
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
    QString shown;
    WhileModal(dialog, [&] {
      shown = Shown(&dialog);
      TypeOver(Control<QSpinBox>(&dialog, "seImpedence"), "25");
      Choose(Control<QComboBox>(&dialog, "cbBattDegrade"), "20");
      Click(&dialog, "btnOK");
    });
    QVERIFY(ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    QCOMPARE(shown, QStringLiteral("PD6662, 15 min, lengths ticked, run 10 m, 10 ohms/100 m, degradation 0, "
                                   "defaults unticked"));
    QCOMPARE(settings.CableImpedance, 0.25);
    QCOMPARE(settings.BatteryFactor, 0.8);
    QVERIFY(store.Get(SettingsKey, CableImpedanceValue) == nullptr);
  }

  // Every control goes back on OK; "Set as Defaults" writes the store;
  // Cancel changes nothing.
  void optionsWriteEveryControlBackAndCancelKeepsAll() {
    TMemorySettingsStore store;
    TSettings settings{1, 15, 10, 0.1, 0.9, true};
    TOptionsPresenter presenter(store, settings);
    TOptionsDialog dialog(presenter);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
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
    QString shown;
    WhileModal(dialog, [&] {
      shown = Shown(&dialog);
      TypeOver(Control<QSpinBox>(&dialog, "seImpedence"), "40");
      ClickBox(Control<QRadioButton>(&dialog, "rbPD6662"));
      Click(&dialog, "btnCancel");
    });
    QVERIFY(!ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    // "Set as Defaults" keeps its tick from the last showing.
    QCOMPARE(shown, QStringLiteral("EN50131-1, 30 min, lengths unticked, run 250 m, 10 ohms/100 m, "
                                   "degradation 30, defaults ticked"));
    QCOMPARE(Describe(settings), Describe(expected));
  }

  // A cable chosen by name fills the impedance box with its loop
  // resistance; a figure typed that is no cable's shows "Other".
  void optionsOfferTheCablesByName() {
    TMemorySettingsStore store;
    TSettings settings{1, 15, 10, 0.1, 1.0, true};
    TOptionsPresenter presenter(store, settings);
    TOptionsDialog dialog(presenter);
    QString first, afterTyping;
    int chosen = 0;
    WhileModal(dialog, [&] {
      auto* cable = Control<QComboBox>(&dialog, "cbCable");
      first = cable->currentText();
      Choose(cable, "16/0.2 mm (0.5 mm2)");
      chosen = Control<QSpinBox>(&dialog, "seImpedence")->value();
      Keep(dialog.grab().toImage(), QStringLiteral("options_cable.png"));
      TypeOver(Control<QSpinBox>(&dialog, "seImpedence"), "9");
      afterTyping = cable->currentText();
      Choose(cable, "7/0.2 mm (0.22 mm2), one pair");
      Click(&dialog, "btnOK");
    });
    QVERIFY(ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    QCOMPARE(first, QStringLiteral("Other"));
    QCOMPARE(chosen, 7);
    QCOMPARE(afterTyping, QStringLiteral("Other"));
    QCOMPARE(settings.CableImpedance, 0.16);
  }

  // Typed figures are kept whole (Qt's boxes would drop the digits beyond
  // the range), and OK refuses one out of range with its range, box by box,
  // keeping the dialog open until it is put right.
  void optionsRefuseAFigureOutOfRangeOutLoud() {
    TMemorySettingsStore store;
    TSettings settings{1, 15, 10, 0.1, 1.0, true};
    TOptionsPresenter presenter(store, settings);
    TOptionsDialog dialog(presenter);
    QStringList messages;
    QString impedanceShown;
    const auto answer = [&] {
      QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        messages << box->text();
        Keep(box->grab().toImage(), QStringLiteral("options_refusal_%1.png").arg(messages.size()));
        box->accept();
      });
    };
    WhileModal(dialog, [&] {
      auto* alarm = Control<QSpinBox>(&dialog, "seAlmTime");
      auto* impedance = Control<QSpinBox>(&dialog, "seImpedence");
      TypeOver(alarm, "0");
      TypeOver(impedance, "99999");
      impedanceShown = impedance->text();
      Keep(dialog.grab().toImage(), QStringLiteral("options_typed.png"));
      answer();
      Click(&dialog, "btnOK");
      QVERIFY(dialog.isVisible());
      QVERIFY(dialog.focusWidget() == alarm || dialog.focusWidget() == alarm->findChild<QLineEdit*>());
      TypeOver(alarm, "20");
      answer();
      Click(&dialog, "btnOK");
      TypeOver(impedance, "50");
      // The arrows keep to the range.
      QTest::keyClick(impedance, Qt::Key_Up);
      QCOMPARE(impedance->value(), 50);
      Click(&dialog, "btnOK");
    });
    QVERIFY(ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); }));
    QCOMPARE(impedanceShown, QStringLiteral("99999"));
    QCOMPARE(messages, QStringList({"Enter an alarm period from 1 to 120 minutes.",
                                    "Enter a cable impedance from 0 to 50 ohms per 100 m."}));
    QCOMPARE(settings.AlarmPeriod, 20);
    QCOMPARE(settings.CableImpedance, 0.5);
  }

  // The report as given; Save Report writes the edited text through the
  // replaceable file choice, ".txt" added to a bare name. A file that
  // cannot be written is reported and the window stays with its text; a
  // cancelled choice writes nothing.
  void reportShowsEditsAndSavesTheText() {
    QTemporaryDir dir;
    TReportWindow window;
    std::string askedDirectory, askedName, chosen;
    window.ChooseFile = [&](const std::string& directory, const std::string& name) {
      askedDirectory = directory;
      askedName = name;
      return chosen;
    };
    QString caption, shown, failure;
    bool fixedPitch = false, openAfterFailure = false;
    QSize memoSize;
    WhileModal(window, [&] {
      auto* memo = Control<QPlainTextEdit>(&window, "Memo1");
      caption = window.windowTitle();
      shown = memo->toPlainText();
      fixedPitch = QFontInfo(memo->font()).fixedPitch();
      memoSize = memo->size();
      memo->moveCursor(QTextCursor::End);
      QTest::keyClicks(memo, "Checked by JS");

      chosen = dir.filePath("no such folder/Shop.txt").toStdString();
      QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          failure = box->text();
          box->accept();
        }
      });
      Click(&window, "btnSaveReport");
      openAfterFailure = window.isVisible();
      chosen.clear();  // the user cancels the file choice
      Click(&window, "btnSaveReport");
      QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
      chosen = dir.filePath("Shop report").toStdString();
      Click(&window, "btnSaveReport");
      Click(&window, "btnDone");
    });
    window.ShowReport("Stystem Report :- Unit 4", "System Report for Unit 4\r\nNetwork 1\t12.91 V\r\n",
                      "/data/", "Shop");

    QCOMPARE(caption, QStringLiteral("Stystem Report :- Unit 4"));
    QCOMPARE(shown, QStringLiteral("System Report for Unit 4\nNetwork 1\t12.91 V\n"));
    QVERIFY(fixedPitch);
    QCOMPARE(memoSize, QSize(513, 577));
    QVERIFY2(failure.contains(QStringLiteral("no such folder/Shop.txt")), qPrintable(failure));
    QVERIFY(openAfterFailure);
    QCOMPARE(askedDirectory, std::string("/data/"));
    QCOMPARE(askedName, std::string("Shop"));
    QCOMPARE(ReadFile(dir.filePath("Shop report.txt")),
             QByteArray("System Report for Unit 4\r\nNetwork 1\t12.91 V\r\nChecked by JS\r\n"));
  }
};

}  // namespace voltaris

QTEST_MAIN(voltaris::OptionsReportTest)
#include "options_report_test.moc"
