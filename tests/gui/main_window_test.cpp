// The main window as a user meets it: start-up, New, the toolbar, the
// summary panel, the model's dialogs, Save and Load, the report window,
// errors and closing. Modal dialogs are answered as they show.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>
#include <QWheelEvent>

#include "calculator/ui/load_calculator_dialog.h"
#include "calculator/ui/my_devices_dialog.h"
#include "designer/ui/loading_dialog.h"
#include "designer/ui/message_box_sink.h"
#include "designer/ui/report_window.h"
#include "designer/ui/system_files_dialog.h"
#include "main_window_support.h"
#include "model/tile_look.h"
#include "ui/qt_text.h"

namespace voltaris::testing {

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  // Text from a file (a name in the index, who holds a lock, a line of an
  // imported list) is shown as it is: markup in it is neither a live link
  // nor a heading, in an error, a warning and a question alike.
  void textFromFilesIsShownAsPlainText() {
    const QString markup = QStringLiteral("<a href=\"https://example.invalid/\">Warehouse</a> <h1>held</h1>");
    TMessageBoxSink sink;
    for (int kind = 0; kind < 3; ++kind) {
      Qt::TextFormat format = Qt::AutoText;
      QString shown;
      WhenShown<QMessageBox>([&](QMessageBox* box) {
        format = box->textFormat();
        shown = box->text();
        Keep(box->grab().toImage(), QStringLiteral("plain_text_message_%1.png").arg(kind));
        QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
      });
      if (kind == 0) sink.ShowError(ToStdString(markup));
      if (kind == 1) sink.ShowWarning(ToStdString(markup));
      if (kind == 2) sink.Confirm(ToStdString(markup));
      QCOMPARE(format, Qt::PlainText);
      QCOMPARE(shown, markup);
    }
  }

  void startUpWithoutIndexOpensNewFileAndCancelEnds() {
    Session s;
    QCOMPARE(s.window->size(), QSize(1024, 721));
    QCOMPARE(Title(*s.window), QString("Beta Version Testing Only"));
    QVERIFY(!Control<QToolBar>(s.window.get(), "ToolBar1")->isVisible());
    QVERIFY(!s.window->CanvasView().isVisible() && !s.window->CanvasView().isEnabled());
    QVERIFY(!s.Action("mnuOptions")->isEnabled() && !s.Action("mnuReport")->isEnabled());
    QSignalSpy closed(s.window.get(), &TMainWindow::Closed);
    WhenShown<TNewFileDialog>([](TNewFileDialog* dialog) { Click(dialog, "btnCancel"); });
    s.window->StartUp();
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
    bool newShown = false;
    WhenShown<TSystemFilesDialog>([&listed](TSystemFilesDialog* dialog) {
      listed = Control<QTreeWidget>(dialog, "lvFiles")->topLevelItemCount();
      Click(dialog, "btnNew");
    });
    WhenShown<TNewFileDialog>([&newShown](TNewFileDialog* dialog) {
      newShown = true;
      Click(dialog, "btnCancel");
    });
    s.window->StartUp();
    QCOMPARE(listed, 1);
    QVERIFY(newShown);
    QVERIFY(!s.window->isVisible());  // nothing open, so cancelling ends the program
  }

  void newShowsTheNetworksOfTheModel() {
    Session s;
    s.New("Orvane 700", 3);
    for (int i = 0; i < 8; ++i) {
      QCOMPARE(s.Widget(s.Net(i))->geometry(), QRect(0, i == 0 ? 70 : 450 * (i + 1) - 325, 120, 250));
      QVERIFY(s.Summary<QLabel>(qPrintable(QString("lbNet%1").arg(i + 1)))->isVisible());
    }
    QVERIFY(s.window->CanvasView().isVisible() && s.window->CanvasView().isEnabled());
    QVERIFY(s.Action("mnuOptions")->isEnabled() && s.Action("mnuReport")->isEnabled());
    QCOMPARE(s.Text("lbPanel"), QString(" Orvane 700"));
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 3"));
    QCOMPARE(s.Summary<QComboBox>("cbBatteryType")->currentIndex(), -1);
    QCOMPARE(s.Summary<QComboBox>("cbBatteryType")->placeholderText(), QString("SelectBattery"));
    QCOMPARE(s.Text("lbRatedOP"), QString("Select Battery"));
    QCOMPARE(Title(*s.window), QString("BETA  Voltaris: Unit 4     Beta Testing Only"));  // New names the project
    QCOMPARE(s.Status(), QString("Select Component From Toolbar"));
    QVERIFY(!s.Designer().Session().Modified());  // showing the project changes nothing

    s.New("Orvane 600", 2, "Shop2");
    QVERIFY(s.Summary<QLabel>("lbNet2")->isVisible() && !s.Summary<QLabel>("lbNet3")->isVisible());
    QCOMPARE(s.window->findChildren<TTileWidget*>().size(), 2);
  }

  void toolbarFollowsModelAndGrade() {
    Session s;
    s.New("Orvane 200", 2);
    auto shown = [&s](std::initializer_list<int> numbers) {
      QStringList result;
      for (int number : numbers) result << (s.Button(number)->isVisible() ? "shown" : "hidden");
      return result.join(' ');
    };
    QCOMPARE(shown({1, 10, 11, 13, 14, 19, 20}), QString("shown shown hidden shown hidden shown shown"));
    QCOMPARE(s.Button(16)->text(), QString("WX"));
    QCOMPARE(s.Button(20)->size(), QSize(64, 75));
    QCOMPARE(s.Button(20)->iconSize(), QSize(55, 55));
    s.New("Orvane 500", 3, "Shop2");
    QCOMPARE(shown({1, 6, 15, 16, 19, 20}), QString("hidden shown hidden shown hidden shown"));
    Pick(s.Summary<QComboBox>("cbGrade"), "Grade 2");
    s.Settle();
    QVERIFY(s.Button(19)->isVisible());  // the grade 2 receiver comes back
  }

  void summaryTextsAtTheirBoundaries() {
    Session s;
    s.New("Orvane 400", 3);  // 2.0 A output, 750 mA charging
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");
    s.Settle();
    QCOMPARE(s.Panel().BatteryIndex, 0);
    QCOMPARE(s.Text("lbPSU") + ", " + s.Text("lbPeakCurrent") + ", " + s.Text("lbRatedOP"),
             QString("2.00 Amps, 1.25 Amps, 300 mA"));
    QCOMPARE(s.Colour("lbRatedOP"), QColor(0, 0, 255));
    auto show = [&s](int32_t quiescent, double peak) {
      s.Panel().SetExtraQuiescent(quiescent - 70);  // the panel's own 70 mA on top
      s.Panel().PeakAvailable = peak;
      s.Designer().SummaryPanel().UpdateSummary();
      s.Settle();
      return s.Text("lbQLoad") + ", " + s.Text("lbPeakCurrent");
    };
    QCOMPARE(show(1000, 1.0), QString("1000 mA, 1000 mA"));
    QCOMPARE(s.Colour("lbQLoad"), QColor(255, 0, 0));  // above the 300 mA rated output
    QCOMPARE(show(1001, 1.5), QString("1.00 Amps, 1.50 Amps"));
  }

  void gradeACFailAndDegradationChoices() {
    Session s;
    s.New("Orvane 500", 2);
    auto* acFail = s.Summary<QCheckBox>("cbACFailSig");
    QVERIFY(!acFail->isEnabled());
    Pick(s.Summary<QComboBox>("cbGrade"), "Grade 3");
    s.Settle();
    QVERIFY(acFail->isEnabled());
    QTest::mouseClick(acFail, Qt::LeftButton, {}, QPoint(6, acFail->height() / 2));
    s.Settle();
    QVERIFY(s.Panel().ACFailSignalled && acFail->isChecked());
    QCOMPARE(s.Text("lbStandBy"), QString("12 Hours"));
    Pick(s.Summary<QComboBox>("ComboBox1"), "20");
    s.Settle();
    QCOMPARE(s.Panel().BatteryFactor, 0.8);
    QCOMPARE(s.Summary<QComboBox>("ComboBox1")->currentText(), QString("20"));

    // A command from elsewhere shows on the next turn of the event loop.
    s.Designer().SummaryPanel().ChooseGrade(1);
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 3"));
    QCoreApplication::processEvents();
    QCOMPARE(s.Summary<QComboBox>("cbGrade")->currentText(), QString("Grade 2"));
    QVERIFY(!acFail->isEnabled());
  }

  void listsDiscardTypingAndTheWheel() {
    Session s;
    s.New("Orvane 500", 2);
    for (const char* name : {"cbGrade", "cbBatteryType", "ComboBox1"}) {
      auto* list = s.Summary<QComboBox>(name);
      const int before = list->currentIndex();
      QTest::keyClick(list, Qt::Key_Down);
      QTest::keyClicks(list, "3");
      QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(list, &wheel);
      QCOMPARE(list->currentIndex(), before);
    }
    s.Settle();
    QCOMPARE(s.Panel().GetGrade(), 2);
    QVERIFY(!s.Designer().Session().Modified());
  }

  void modelDialogsOpenOverTheWindow() {
    Session s;
    s.New("Orvane 500", 3);
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");  // the calculator adds once a battery is chosen
    WhenShown<TfrmCalculator>([](TfrmCalculator* calculator) {
      WhenShown<QDialog>([](QDialog* picker) { Click(picker, "BitBtn1"); }, "frmDevices");
      Click(calculator, "btnAdd");
      Click(calculator, "Button1");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    auto* devices = s.Summary<QTreeWidget>("lmdDevices");
    QCOMPARE(devices->topLevelItemCount(), 1);
    QCOMPARE(Cells(devices, 0), (QStringList{"1", QString::fromStdString(s.Panel().LoadData.Entries.at(0)->Name)}));

    // A supply's set-up takes its label, which its tile then shows.
    TDevice& supply = s.Place(20, {600, 200});
    WhenShown<TfrmCalculator>([](TfrmCalculator* calculator) {
      auto* label = Control<QLineEdit>(calculator, "edLabel");
      QVERIFY(label->isVisible());
      label->setFocus();
      QTest::keyClicks(label, "Plant room");
      Pick(Control<QComboBox>(calculator, "cbBatteryType"), "7.2 Ah");
      testing::Keep(calculator->grab().toImage(), QStringLiteral("supply_label_setup.png"));
      Click(calculator, "Button1");
    });
    QTest::mouseDClick(s.Widget(supply), Qt::LeftButton);
    s.Settle();
    QCOMPARE(LookOf(supply).Caption, std::string("Plant room"));
    testing::Keep(s.Widget(supply)->grab().toImage(), QStringLiteral("supply_label_tile.png"));

    // A device's set-up dialog: its Add runs the picker captioned "Add Devices".
    TDevice& keypad = s.Place(6, {400, 200});
    QString caption;
    WhenShown<TLoadingFrm>([&caption](TLoadingFrm* dialog) {
      WhenShown<QDialog>([&caption](QDialog* picker) {
        caption = picker->windowTitle();
        Click(picker, "BitBtn1");
      }, "frmDevices");
      Click(dialog, "DetailBtn");
      Click(dialog, "Button1");
      Click(dialog, "Button3");
    });
    AnswerMessage(QMessageBox::No);  // "Is this device setup complete?"
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QCOMPARE(caption, QString("Add Devices"));
    QCOMPARE(Device(keypad).LoadData.Entries.size(), size_t{1});
    QVERIFY(!keypad.SetupConfirmed);
  }

  void myDevicesKeptInTheWorkingFolderAreOfferedInTheNextProject() {
    Session s;
    s.New("Orvane 500", 3);
    WhenShown<TfrmMyDevices>([](TfrmMyDevices* dialog) {
      dialog->AskDevice = [n = 0](TMyDevice& device, const QString&) mutable {
        device = {"Vault seismic", 3, 9, 9};
        return n++ == 0;
      };
      dialog->Add();
      dialog->accept();
    });
    s.Action("mnuMyDevices")->trigger();
    QVERIFY(QFile::exists(s.dir.path() + "/MyDevices.csv"));

    s.New("Orvane 300 Poly", 2, "Bank");
    Pick(s.Summary<QComboBox>("cbBatteryType"), "7.2 Ah");
    QStringList offered;
    WhenShown<TfrmCalculator>([&offered](TfrmCalculator* calculator) {
      WhenShown<QDialog>(
          [&offered](QDialog* picker) {
            auto* list = Control<QTreeWidget>(picker, "lbDevice");
            for (int row = 0; row < list->topLevelItemCount(); ++row)
              if (list->topLevelItem(row)->font(0).italic()) offered << list->topLevelItem(row)->text(0);
            Click(picker, "BitBtn2");
          },
          "frmDevices");
      Click(calculator, "btnAdd");
      Click(calculator, "Button2");
    });
    QTest::mouseClick(s.Summary<QPushButton>("btnUpdatePanel"), Qt::LeftButton);
    s.Settle();
    QCOMPARE(offered, QStringList{"Vault seismic"});
  }

  void saveThenLoadShowsTheSameDesign() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& keypad = s.Place(6, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    s.Place(20, {600, 150});
    s.Action("mnuSave")->trigger();
    QVERIFY(QFile::exists(s.DataPath("Shop.dat")) && QFile::exists(s.DataPath("Accounts.db")));
    std::vector<QPoint> saved;
    for (const auto& tile : s.Designer().Canvas().Tiles()) saved.emplace_back(tile->Left(), tile->Top());

    WhenShown<TSystemFilesDialog>([](TSystemFilesDialog* dialog) {
      ClickRow(Control<QTreeWidget>(dialog, "lvFiles"), 0);
      Click(dialog, "btnOK");
    });
    s.Action("mnuLoad")->trigger();
    s.Settle();
    QCOMPARE(Title(*s.window), QString("BETA  Voltaris: Unit 4     Beta Testing Only"));
    const auto& tiles = s.Designer().Canvas().Tiles();
    QCOMPARE(tiles.size(), saved.size());
    QCOMPARE(s.window->findChildren<TTileWidget*>().size(), static_cast<qsizetype>(saved.size()));
    for (size_t i = 0; i < tiles.size(); ++i) {
      QCOMPARE(s.Widget(*tiles[i])->pos(), saved[i]);
      QVERIFY(s.Widget(*tiles[i])->isVisible());
    }
    QCOMPARE(Device(*tiles[8]).NetParent, static_cast<TNetwork*>(&s.Net(0)));
    QVERIFY(!s.Designer().Session().Modified());  // showing a loaded project changes nothing either
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
    const std::string expected = s.Designer().ReportText();
    QVERIFY(saved.readAll().startsWith(QByteArray::fromStdString(expected.substr(0, expected.find("\r\n") + 2))));
  }

  void failedCommandIsReportedAndTheProgramGoesOn() {
    Session s;
    s.New("Orvane 200", 2);
    s.Place(1, {400, 200});
    // The data folder has become a file: nothing can be written there.
    // Windows keeps a folder while a file in it is open, so there the open
    // project's lock goes first.
#ifdef _WIN32
    s.Designer().Session().ReleaseLock();
#endif
    QVERIFY(QDir(s.dir.path() + "/Data").removeRecursively());
    QFile blocker(s.dir.path() + "/Data");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString message;
    AnswerMessage(QMessageBox::Ok, &message);
    s.Action("mnuSave")->trigger();
    QVERIFY2(!message.isEmpty(), "no error was shown");
    QVERIFY(s.window->isVisible() && s.Designer().Session().Modified());
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
    QVERIFY(!s.window->isVisible() && !QFile::exists(s.DataPath("Shop.dat")));
  }

  // The window opens the next time where, and as large as, it was left.
  void theWindowOpensWhereItWasLeft() {
    Session s;
    const QRect left = s.window->screen()->availableGeometry().adjusted(30, 20, -60, -50);
    s.window->setGeometry(left);
    QTRY_COMPARE(s.window->geometry(), left);
    QVERIFY(s.window->close());
    TMainWindow next(s.store, s.dir.path().toStdString());
    next.show();
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    QCOMPARE(next.geometry(), left);
  }

  void everySaveQuestionOffersYesNoAndCancelAndEscapeIsCancel() {
    Session s;
    s.New("Orvane 200", 2);
    s.Place(1, {400, 200});
    const size_t tiles = s.Designer().Canvas().Tiles().size();
    bool dialogShown = false;
    WhenShown<TNewFileDialog>([&](TNewFileDialog* dialog) {
      dialogShown = true;
      dialog->reject();
    });
    WhenShown<TSystemFilesDialog>([&](TSystemFilesDialog* dialog) {
      dialogShown = true;
      dialog->reject();
    });
    for (const char* action : {"mnuNew", "mnuLoad", "mnuExit"}) {
      QString question;
      QMessageBox::StandardButtons buttons;
      WhenShown<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        buttons = box->standardButtons();
        Keep(box->grab().toImage(), QStringLiteral("save_question.png"));
        QTest::keyClick(box, Qt::Key_Escape);
      });
      s.Action(action)->trigger();
      s.Settle();
      QCOMPARE(question, QString("Do you want to save Shop"));
      QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      QVERIFY2(!dialogShown, action);
      QVERIFY(s.window->isVisible());
      QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles);
      QVERIFY(s.Designer().Session().Modified());
    }
    StopScripts();
  }

  void undoBringsBackADeletedDeviceWithItsLoadsAndRun() {
    Session s;
    s.New("Orvane 500", 3);
    QVERIFY(!s.window->isWindowModified());
    TDevice& keypad = s.Place(6, {400, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    QVERIFY(s.window->isWindowModified());
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) {
      WhenShown<QDialog>([](QDialog* picker) { Click(picker, "BitBtn1"); }, "frmDevices");
      Click(dialog, "DetailBtn");
      Click(dialog, "Button1");
      Click(dialog, "Button3");
    });
    AnswerMessage(QMessageBox::Yes);  // "Is this device setup complete?"
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QCOMPARE(Device(keypad).LoadData.Entries.size(), size_t{1});
    const size_t tiles = s.Designer().Canvas().Tiles().size();
    const std::string loadName = Device(keypad).LoadData.Entries[0]->Name;

    QTest::mouseClick(s.Widget(keypad), Qt::LeftButton, Qt::ControlModifier);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles - 1);
    // The keys reach the window's shortcuts once it is the active window.
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    QCOMPARE(s.Action("mnuUndo")->text(), QString("Undo Delete Orvane D1"));
    QTest::keyClick(s.window.get(), Qt::Key_Z, Qt::ControlModifier);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles);
    TNetDevice& back = Device(s.Last());
    QCOMPARE(back.LoadData.Entries.size(), size_t{1});
    QCOMPARE(back.LoadData.Entries[0]->Name, loadName);
    QCOMPARE(back.NetParent, static_cast<TNetwork*>(&s.Net(0)));
    QVERIFY(back.ParentWire);
    QVERIFY(s.Widget(back) && s.Widget(back)->isVisible());
    QCOMPARE(s.window->findChildren<TTileWidget*>().size(), static_cast<qsizetype>(tiles));
    QCOMPARE(s.Action("mnuRedo")->text(), QString("Redo Delete Orvane D1"));
    QTest::keyClick(s.window.get(), Qt::Key_Y, Qt::ControlModifier);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles - 1);
    QTest::keyClick(s.window.get(), Qt::Key_Z, Qt::ControlModifier);
    s.Settle();
    // The Delete key takes the tile last clicked, as a Ctrl-click does.
    QTest::mouseClick(s.Widget(s.Last()), Qt::LeftButton);
    s.Settle();
    QVERIFY(s.Action("mnuDelete")->isEnabled());
    QTest::keyClick(s.window.get(), Qt::Key_Delete);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles - 1);
  }

  void systemFilesAsksBeforeDeletingAndTheTitleFollowsTheProject() {
    Session s;
    s.New("Orvane 700", 3, "Shop", "Unit 4");
    s.Action("mnuSave")->trigger();
    s.New("Orvane 700", 3, "Office", "Unit 9");
    QCOMPARE(Title(*s.window), QString("BETA  Voltaris: Unit 9     Beta Testing Only"));
    s.Action("mnuSave")->trigger();
    QString question;
    bool keptAfterNo = false;
    WhenShown<TSystemFilesDialog>([&](TSystemFilesDialog* dialog) {
      auto* list = Control<QTreeWidget>(dialog, "lvFiles");
      ClickRow(list, 0);
      AnswerMessage(QMessageBox::No, &question);
      Click(dialog, "btnDelete");
      keptAfterNo = QFile::exists(s.DataPath("Shop.dat")) && list->topLevelItemCount() == 2;
      ClickRow(list, 0);
      AnswerMessage(QMessageBox::Yes);
      Click(dialog, "btnDelete");
      Click(dialog, "btnCancel");
    });
    s.Action("mnuLoad")->trigger();
    s.Settle();
    QCOMPARE(question, QString("Delete project Shop? Its files Shop.dat and Shop.pjx will be removed."));
    QVERIFY(keptAfterNo);
    QVERIFY(!QFile::exists(s.DataPath("Shop.dat")) && !QFile::exists(s.DataPath("Shop.pjx")));
    QVERIFY(QFile::exists(s.DataPath("Office.dat")));
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::MainWindowTest)
#include "main_window_test.moc"
