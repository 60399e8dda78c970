// The main window as a user meets it: start-up, New, the toolbar, the
// summary panel, Save and Load through their dialogs, the report window,
// errors and closing. Modal dialogs are answered as they show.
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include "calculator/ui/load_calculator_dialog.h"
#include "designer/ui/loading_dialog.h"
#include "designer/ui/report_window.h"
#include "designer/ui/system_files_dialog.h"
#include "main_window_support.h"
#include "model/net_device.h"
#include "model/vududa.h"

namespace voltaris::testing {

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void beforeAProjectOnlyTheFileMenuWorks() {
    Session s;
    QCOMPARE(s.window->size(), QSize(1024, 721));
    QCOMPARE(s.window->windowTitle(), QString("Beta Version Testing Only"));
    QVERIFY(!s.window->windowIcon().isNull());
    QVERIFY(!Control<QToolBar>(s.window.get(), "ToolBar1")->isVisible());
    QVERIFY(!s.window->findChild<TSummaryPanel*>()->isVisible());
    QVERIFY(!s.window->CanvasView().isVisible() && !s.window->CanvasView().isEnabled());
    QVERIFY(!s.Action("mnuOptions")->isEnabled());
    QVERIFY(!s.Action("mnuReport")->isEnabled());
    QVERIFY(!s.window->findChild<QMenu*>("mnuArrange")->menuAction()->isEnabled());
  }

  void startUpWithoutIndexOpensNewFileAndCancelEnds() {
    Session s;
    QSignalSpy closed(s.window.get(), &TMainWindow::Closed);
    int shown = 0;
    WhenShown<TNewFileDialog>([](TNewFileDialog* dialog) { Click(dialog, "btnCancel"); }, &shown);
    s.window->StartUp();
    QCOMPARE(shown, 1);
    QVERIFY(!s.window->isVisible());
    QCOMPARE(closed.count(), 1);
  }

  void startUpWithIndexOpensSystemFilesWhoseNewLeadsToNewFile() {
    Session s;
    QFile index(s.DataPath("Accounts.db"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("Orvane 700;Shop;Unit 4;01/02/2027\r\n");
    index.close();
    int listed = -1;
    int newShown = 0;
    WhenShown<TSystemFilesDialog>([&listed](TSystemFilesDialog* dialog) {
      listed = Control<QTreeWidget>(dialog, "lvFiles")->topLevelItemCount();
      Click(dialog, "btnNew");
    });
    WhenShown<TNewFileDialog>([](TNewFileDialog* dialog) { Click(dialog, "btnCancel"); }, &newShown);
    s.window->StartUp();
    QCOMPARE(listed, 1);
    QCOMPARE(newShown, 1);
    QVERIFY(!s.window->isVisible());  // nothing open, so cancelling ends the program
  }

  void newShowsTheNetworksOfTheModel() {
    Session s;
    s.New("Orvane 700", 3);
    QCOMPARE(s.Panel().Networks.size(), size_t{8});
    for (int i = 0; i < 8; ++i) {
      TTileWidget* block = s.Widget(s.Net(i));
      QVERIFY(block && block->isVisible());
      QCOMPARE(block->geometry(), QRect(0, i == 0 ? 70 : 450 * (i + 1) - 325, 120, 250));
      QVERIFY(s.Summary<QLabel>(qPrintable(QString("lbNet%1").arg(i + 1)))->isVisible());
    }
    QVERIFY(Control<QToolBar>(s.window.get(), "ToolBar1")->isVisible());
    QVERIFY(s.window->CanvasView().isVisible() && s.window->CanvasView().isEnabled());
    QVERIFY(s.Action("mnuOptions")->isEnabled() && s.Action("mnuReport")->isEnabled());
    QCOMPARE(s.SummaryText("lbPanel"), QString(" Orvane 700"));
    QCOMPARE(Items(s.Summary<QComboBox>("cbGrade")), (QStringList{"Grade 1", "Grade 2", "Grade 3"}));
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 3"));
    QCOMPARE(s.Summary<QComboBox>("cbBatteryType")->currentIndex(), -1);
    QCOMPARE(s.Summary<QComboBox>("cbBatteryType")->placeholderText(), QString("SelectBattery"));
    QCOMPARE(s.window->windowTitle(), QString("Beta Version Testing Only"));  // New leaves the caption
    QCOMPARE(Control<QLabel>(s.window->statusBar(), "StatusText")->text(), QString("Select Component From Toolbar"));
    QVERIFY(!s.Designer().Modified);  // showing the new project changes nothing

    s.New("Orvane 600", 2, "Shop2");
    QVERIFY(s.Summary<QLabel>("lbNet2")->isVisible());
    QVERIFY(!s.Summary<QLabel>("lbNet3")->isVisible());
    QCOMPARE(s.Designer().Canvas().Tiles().size(), size_t{2});
    QCOMPARE(s.window->findChildren<TTileWidget*>().size(), 2);
  }

  void toolbarFollowsModelAndGrade() {
    Session s;
    s.New("Orvane 200", 2);
    for (int number : {1, 10, 13, 19, 20}) QVERIFY2(s.Button(number)->isVisible(), qPrintable(QString::number(number)));
    for (int number : {11, 14, 17}) QVERIFY2(!s.Button(number)->isVisible(), qPrintable(QString::number(number)));
    QCOMPARE(s.Button(4)->text(), QString("K8 Plus"));
    for (int number : {13, 14, 15, 16}) QCOMPARE(s.Button(number)->text(), QString("WX"));
    QCOMPARE(s.Button(20)->text(), QString("PSU"));
    QCOMPARE(s.Button(20)->size(), QSize(64, 75));
    QCOMPARE(s.Button(20)->iconSize(), QSize(55, 55));

    s.New("Orvane 500", 3, "Shop2");
    for (int number : {1, 15, 19}) QVERIFY2(!s.Button(number)->isVisible(), qPrintable(QString::number(number)));
    for (int number : {6, 16, 20}) QVERIFY2(s.Button(number)->isVisible(), qPrintable(QString::number(number)));
    Pick(s.Summary<QComboBox>("cbGrade"), "Grade 2");
    s.Settle();
    QCOMPARE(s.Panel().GetGrade(), 2);
    QVERIFY(s.Button(19)->isVisible());  // the grade 2 receiver comes back
  }

  void summaryTextsAtTheirBoundaries() {
    Session s;
    s.New("Orvane 400", 3);  // 2.0 A output, 750 mA charging
    QCOMPARE(s.SummaryText("lbRatedOP"), QString("Select Battery"));
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");
    s.Settle();
    QCOMPARE(s.Panel().BatteryIndex, 0);
    QCOMPARE(s.SummaryText("lbPSU"), QString("2.00 Amps"));
    QCOMPARE(s.SummaryText("lbBattCurrent"), QString("750 mA"));
    QCOMPARE(s.SummaryText("lbPeakCurrent"), QString("1.25 Amps"));
    QCOMPARE(s.SummaryText("lbStandBy"), QString("24 Hours"));
    QCOMPARE(s.SummaryText("lbRatedOP"), QString("300 mA"));
    QCOMPARE(s.SummaryColour("lbRatedOP"), QColor(0, 0, 255));

    s.Panel().SetExtraQuiescent(1000 - 70);  // the panel's own 70 mA on top
    s.Designer().UpdateSummary();
    s.Settle();
    QCOMPARE(s.SummaryText("lbQLoad"), QString("1000 mA"));
    QCOMPARE(s.SummaryColour("lbQLoad"), QColor(255, 0, 0));  // above the 300 mA rated output
    QCOMPARE(s.SummaryColour("lbActStandby"), QColor(255, 0, 0));
    s.Panel().SetExtraQuiescent(1001 - 70);
    s.Designer().UpdateSummary();
    s.Settle();
    QCOMPARE(s.SummaryText("lbQLoad"), QString("1.00 Amps"));

    s.Panel().PeakAvailable = 1.0;
    s.Designer().UpdateSummary();
    s.Settle();
    QCOMPARE(s.SummaryText("lbPeakCurrent"), QString("1000 mA"));
    s.Panel().PeakAvailable = 1.5;
    s.Designer().UpdateSummary();
    s.Settle();
    QCOMPARE(s.SummaryText("lbPeakCurrent"), QString("1.50 Amps"));
  }

  void gradeACFailAndDegradationChoices() {
    Session s;
    s.New("Orvane 500", 2);
    auto* acFail = s.Summary<QCheckBox>("cbACFailSig");
    QCOMPARE(acFail->text(), QString("AC Fail Signalled to ARC"));
    QVERIFY(!acFail->isEnabled());
    Pick(s.Summary<QComboBox>("cbGrade"), "Grade 3");
    s.Settle();
    QVERIFY(acFail->isEnabled());
    QTest::mouseClick(acFail, Qt::LeftButton, {}, QPoint(6, acFail->height() / 2));
    s.Settle();
    QVERIFY(s.Panel().ACFailSignalled);
    QVERIFY(acFail->isChecked());
    QCOMPARE(s.SummaryText("lbStandBy"), QString("12 Hours"));
    Pick(s.Summary<QComboBox>("cbGrade"), "Grade 2");
    s.Settle();
    QVERIFY(!acFail->isEnabled());

    auto* degrade = s.Summary<QComboBox>("ComboBox1");
    QCOMPARE(Items(degrade), (QStringList{"0", "10", "20", "30"}));
    Pick(degrade, "20");
    s.Settle();
    QCOMPARE(Settings.BatteryFactor, 0.8);
    QCOMPARE(s.Panel().BatteryFactor, 0.8);
    QCOMPARE(degrade->currentText(), QString("20"));
    QVERIFY(s.Designer().Modified);
  }

  void listsDiscardTypingAndTheWheel() {
    Session s;
    s.New("Orvane 500", 2);
    for (const char* name : {"cbGrade", "cbBatteryType", "ComboBox1"}) {
      auto* list = s.Summary<QComboBox>(name);
      const int before = list->currentIndex();
      QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClick(list, Qt::Key_End);
      QTest::keyClicks(list, "3");
      QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(list, &wheel);
      QCOMPARE(list->currentIndex(), before);
    }
    s.Settle();
    QCOMPARE(s.Panel().GetGrade(), 2);
    QCOMPARE(s.Panel().BatteryIndex, -1);
    QVERIFY(!s.Designer().Modified);
  }

  void refreshWaitsForTheNextTurnOfTheEventLoop() {
    Session s;
    s.New("Orvane 500", 2);
    s.Designer().ChooseGrade(2);  // a command from elsewhere: the view follows on the next turn
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 2"));
    QCoreApplication::processEvents();
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 3"));
    QVERIFY(s.Summary<QCheckBox>("cbACFailSig")->isEnabled());
  }

  void saveThenLoadShowsTheSameDesign() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& keypad = s.Place(6, {400, 200});
    s.Drag(keypad, Session::Centre(s.Net(0)));
    s.Place(20, {600, 150});
    s.Action("mnuSave")->trigger();
    s.Settle();
    QVERIFY(QFile::exists(s.DataPath("Shop.dat")) && QFile::exists(s.DataPath("Accounts.db")));
    QVERIFY(!s.Designer().Modified);
    std::vector<QRect> saved;
    for (const auto& tile : s.Designer().Canvas().Tiles()) {
      saved.push_back({tile->Left(), tile->Top(), tile->Width(), tile->Height()});
    }

    WhenShown<TSystemFilesDialog>([](TSystemFilesDialog* dialog) {
      ClickRow(Control<QTreeWidget>(dialog, "lvFiles"), 0);
      Click(dialog, "btnOK");
    });
    s.Action("mnuLoad")->trigger();
    s.Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(s.window->windowTitle(), QString("BETA  Voltaris: Unit 4     Beta Testing Only"));
    const auto& tiles = s.Designer().Canvas().Tiles();
    QCOMPARE(tiles.size(), saved.size());
    QCOMPARE(s.window->findChildren<TTileWidget*>().size(), static_cast<qsizetype>(saved.size()));
    for (size_t i = 0; i < tiles.size(); ++i) {
      QCOMPARE(QRect(tiles[i]->Left(), tiles[i]->Top(), tiles[i]->Width(), tiles[i]->Height()), saved[i]);
      QVERIFY(s.Widget(*tiles[i]) && s.Widget(*tiles[i])->isVisible());
      QCOMPARE(s.Widget(*tiles[i])->geometry(), saved[i]);
    }
    auto& reloaded = dynamic_cast<TVududa&>(*tiles[8]);
    QCOMPARE(reloaded.NetParent, static_cast<TNetwork*>(&s.Net(0)));
    QVERIFY(reloaded.ParentWire);
    QVERIFY(!s.Designer().Modified);
  }

  void reportWindowShowsCaptionAndSavesTheText() {
    Session s;
    s.New("Orvane 200", 2, "Shop", "Unit 4");
    const QString target = s.dir.path() + "/Shop.txt";
    QString caption;
    WhenShown<TReportWindow>([&](TReportWindow* window) {
      caption = window->windowTitle();
      window->ChooseFile = [target](const std::string&, const std::string&) { return target.toStdString(); };
      Click(window, "btnSaveReport");
      Click(window, "btnDone");
    });
    s.Action("mnuReport")->trigger();
    QCOMPARE(caption, QString("Stystem Report :- Unit 4"));
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    const std::string expected = s.Designer().ReportText();
    QVERIFY(text.startsWith(QByteArray::fromStdString(expected.substr(0, expected.find("\r\n") + 2))));
  }

  void modelDialogsOpenOverTheWindow() {
    Session s;
    s.New("Orvane 500", 3);
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");  // the calculator adds once a battery is chosen
    // The panel's load list in the load calculator, a device added with the picker.
    WhenShown<TLoadCalculatorDialog>([](TLoadCalculatorDialog* calculator) {
      WhenShown<QDialog>([](QDialog* picker) { Click(picker, "BitBtn1"); }, nullptr, "frmDevices");
      Click(calculator, "btnAdd");
      Click(calculator, "Button1");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    auto* devices = s.Summary<QTreeWidget>("lmdDevices");
    QCOMPARE(devices->topLevelItemCount(), 1);
    QCOMPARE(devices->topLevelItem(0)->text(0), QString("1"));
    QCOMPARE(devices->topLevelItem(0)->text(1), QString::fromStdString(s.Panel().LoadData.Entries.at(0)->Name));

    // A device's set-up: its Add runs the picker captioned "Add Devices".
    TDevice& keypad = s.Place(6, {400, 200});
    QString pickerCaption;
    WhenShown<TLoadingDialog>([&pickerCaption](TLoadingDialog* dialog) {
      WhenShown<QDialog>([&pickerCaption](QDialog* picker) {
        pickerCaption = picker->windowTitle();
        Click(picker, "BitBtn1");
      }, nullptr, "frmDevices");
      Click(dialog, "DetailBtn");
      Click(dialog, "Button1");
      Click(dialog, "Button3");
    });
    AnswerMessage(QMessageBox::No);  // "Is this device setup complete?"
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    QTest::mouseRelease(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QCOMPARE(pickerCaption, QString("Add Devices"));
    QCOMPARE(dynamic_cast<TNetDevice&>(keypad).LoadData.Entries.size(), size_t{1});
    QVERIFY(!keypad.SetupConfirmed);
  }

  void failedCommandIsReportedAndTheProgramGoesOn() {
    Session s;
    s.New("Orvane 200", 2);
    s.Place(1, {400, 200});
    // The data folder has become a file: nothing can be written there.
    QVERIFY(QDir(s.dir.path() + "/Data").removeRecursively());
    QFile blocker(s.dir.path() + "/Data");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString message;
    AnswerMessage(QMessageBox::Ok, &message);
    s.Action("mnuSave")->trigger();
    QVERIFY2(!message.isEmpty(), "no error was shown");
    QVERIFY(s.window->isVisible());
    QVERIFY(s.Designer().Modified);  // nothing was saved
  }

  void closeBoxAsksAboutUnsavedChanges() {
    Session s;
    s.New("Orvane 200", 2);
    s.Place(1, {400, 200});
    QString question;
    AnswerMessage(QMessageBox::Cancel, &question);
    s.window->close();
    QCOMPARE(question, QString("Do you want to save Shop"));
    QVERIFY(s.window->isVisible());
    AnswerMessage(QMessageBox::No);
    s.window->close();
    QVERIFY(!s.window->isVisible());
    QVERIFY(!QFile::exists(s.DataPath("Shop.dat")));
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::MainWindowTest)
#include "main_window_test.moc"
