// The loading dialog as a user drives it: a keypad on a panel network, its
// fields typed into, the list added to, closed with OK or Cancel.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "catalogue/format.h"
#include "designer/ui/loading_dialog.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/settings.h"
#include "model/vududa.h"

namespace voltaris {
namespace {

constexpr int OrvaneK4 = 0;

template <typename T>
T* Control(QWidget* parent, const char* name) {
  T* control = parent->findChild<T*>(QString::fromLatin1(name));
  if (!control) qFatal("no control %s", name);
  return control;
}

// Runs `user` once the dialog runs modally; a script that stops half way
// leaves the dialog to be cancelled, so that no test waits for ever.
void WhileModal(QDialog& dialog, std::function<void()> user) {
  QPointer<QDialog> guarded(&dialog);
  QTimer::singleShot(0, &dialog, [guarded, user = std::move(user)] {
    user();
    QTimer::singleShot(2000, guarded, [guarded] {
      if (guarded && guarded->isVisible()) guarded->reject();
    });
  });
}

// Closes the next message box that shows, keeping its text in `text`.
void AnswerNextMessageBox(QString& text) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &text] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      box->accept();
      poll->deleteLater();
    }
  });
  QTimer::singleShot(2000, poll, &QObject::deleteLater);
  poll->start();
}

// An Orvane 200 at grade 2 with its one network, and an Orvane K4 keypad
// dropped on it over the default 10 m of 10 ohms per 100 m.
struct Design {
  Design() {
    Settings = TSettings{1, 15, 10, 0.1, 1.0, false};
    const TPanelOpts& row = PanelOptsTable[6];
    panel.Name = row.Name;
    panel.SetGrade(2);
    panel.SetPanelType(6);
    panel.OwnQuiescent = row.OwnCurrent;
    network = CreatePanelNetwork(canvas, row.NetworkKind);
    network->SetName("Network1");
    network->ControlPanel = &panel;
    panel.Networks.push_back(network);
    keypad = &canvas.Create<TVududa>();
    keypad->SetDeviceType(OrvaneK4);
    keypad->MoveCentreTo(300, 100);
    if (network->DragOverHandler(keypad)) network->DragDropHandler(keypad, 0, 0);
  }
  ~Design() {
    panel.ReleaseTiles();
    canvas.Clear();
    Settings = TSettings{};
  }

  TCanvas canvas;
  TControlPanel panel{TStringList{"16110256", "12648447"}};
  TPanelNetwork* network = nullptr;
  TVududa* keypad = nullptr;
};

}  // namespace

class LoadingDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    design = std::make_unique<Design>();
    picks = 0;
    dialog = std::make_unique<TLoadingDialog>(
        [this](int32_t panelType, TDeviceData& entry) {
          ++picks;
          pickedPanelType = panelType;
          entry = TDeviceData{2, 3, "Halvard S (Normal)", 36, 1090};
          return true;
        },
        [this] { return design->panel.PanelType; }, [this] { return design->panel.Grade; });
  }
  void cleanup() {
    dialog.reset();
    design.reset();
  }

  void typedFieldsReachTheDeviceAndOkHandsOverTheList() {
    TLoadLines lines;
    bool ok = false;
    TVududa& keypad = *design->keypad;
    WhileModal(*dialog, [&] {
      QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
      QCOMPARE(dialog->windowTitle(), QString("LoadingFrm"));
      QCOMPARE(dialog->width(), 461);
      QCOMPARE(dialog->height(), 357);
      QCOMPARE(Control<QLabel>(dialog.get(), "Label18")->text(), QString("Network1"));
      QCOMPARE(Control<QComboBox>(dialog.get(), "cbDevType")->currentText(), QString("Orvane K4"));
      QVERIFY(!Control<QTreeWidget>(dialog.get(), "lbDevices")->isVisible());
      QVERIFY(!Control<QFrame>(dialog.get(), "Panel2")->isVisible());

      // The length field takes digits and one point; the rest is dropped.
      auto* edit1 = Control<QLineEdit>(dialog.get(), "Edit1");
      edit1->setFocus();
      edit1->selectAll();
      QTest::keyClicks(edit1, "2x5.5.");
      QCOMPARE(edit1->text(), QString("25.5"));
      QCOMPARE(keypad.CableLength, 10.0);
      // Leaving it applies it: 35 / 45 mA over 2.55 ohms.
      QTest::keyClick(edit1, Qt::Key_Tab);
      QCOMPARE(keypad.CableLength, 25.5);
      QCOMPARE(Control<QLabel>(dialog.get(), "Label4")->text(), QString("13.51"));
      QCOMPARE(Control<QLabel>(dialog.get(), "Label5")->text(), QString("13.49"));
      QCOMPARE(Control<QLabel>(dialog.get(), "Label4")->text(), QString::fromStdString(Format("%.2f", keypad.SupplyVolts)));

      // Enter in the impedance field applies it at once.
      auto* edit2 = Control<QLineEdit>(dialog.get(), "Edit2");
      QVERIFY(edit2->hasFocus());
      edit2->selectAll();
      QTest::keyClicks(edit2, "20");
      QTest::keyClick(edit2, Qt::Key_Return);
      QCOMPARE(keypad.Impedance, 0.2);
      QVERIFY(dialog->isVisible());

      // A lone point is no number: reported, and the device keeps its length.
      QString error;
      AnswerNextMessageBox(error);
      edit1->setFocus();
      edit1->selectAll();
      // Delete is no character and passes; a point goes in once the text has none.
      QTest::keyClick(edit1, Qt::Key_Delete);
      QTest::keyClick(edit1, Qt::Key_Period);
      QCOMPARE(edit1->text(), QString("."));
      QTest::keyClick(edit1, Qt::Key_Tab);
      QCOMPARE(error, QString("'.' is not a valid number."));
      QCOMPARE(keypad.CableLength, 25.5);
      QCOMPARE(edit1->text(), QString("25.5"));

      dialog->grab().save(QStringLiteral("loading_dialog_plain.png"));

      QTest::mouseClick(Control<QPushButton>(dialog.get(), "DetailBtn"), Qt::LeftButton);
      QCOMPARE(dialog->height(), 672);
      QCOMPARE(Control<QPushButton>(dialog.get(), "DetailBtn")->text(), QString("Hide Details"));
      QCOMPARE(Control<QPushButton>(dialog.get(), "Button3")->y(), 611);
      QTest::mouseClick(Control<QPushButton>(dialog.get(), "Button1"), Qt::LeftButton);
      auto* list = Control<QTreeWidget>(dialog.get(), "lbDevices");
      QVERIFY(list->isVisible());
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->topLevelItem(0)->text(1), QString("Halvard S (Normal)"));
      QCOMPARE(list->topLevelItem(0)->text(4), QString("1090 mA"));
      QCOMPARE(pickedPanelType, NetworkDevicePanelType);
      QVERIFY(!Control<QFrame>(dialog.get(), "Panel1")->isEnabled());
      QCOMPARE(Control<QLineEdit>(dialog.get(), "Edit3")->text(), QString("36"));
      QCOMPARE(Control<QLabel>(dialog.get(), "Label17")->text(), QString("1135 mA"));
      dialog->grab().save(QStringLiteral("loading_dialog_details.png"));

      QTest::mouseClick(Control<QPushButton>(dialog.get(), "Button3"), Qt::LeftButton);
    });
    ok = dialog->SetUp(keypad, lines);
    QVERIFY(ok);
    QCOMPARE(picks, 1);
    QCOMPARE(lines.size(), size_t{1});
    QCOMPARE(lines[0].Text, std::string("2\tHalvard S (Normal)\t3\t36 mA\t1090 mA"));
    QCOMPARE(lines[0].Entry->Alarm, 1090);
    QCOMPARE(keypad.AttachedLoad, (TLoad{36, 1090}));
  }

  // A digit in a load field hides the list; Cancel hands nothing back.
  void loadDigitsHideTheDetailsAndCancelReturnsFalse() {
    TVududa& keypad = *design->keypad;
    keypad.DetailsShown = true;
    TLoadLines lines{{"kept", nullptr}};
    WhileModal(*dialog, [&] {
      QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
      QCOMPARE(dialog->height(), 672);
      auto* edit3 = Control<QLineEdit>(dialog.get(), "Edit3");
      edit3->setFocus();
      edit3->selectAll();
      QTest::keyClicks(edit3, "1-2");
      QCOMPARE(edit3->text(), QString("12"));
      QCOMPARE(dialog->height(), 357);
      QVERIFY(!keypad.DetailsShown);
      QTest::keyClick(edit3, Qt::Key_Tab);
      QCOMPARE(keypad.AttachedLoad, (TLoad{12, 12}));
      QCOMPARE(Control<QLineEdit>(dialog.get(), "Edit4")->text(), QString("12"));
      QTest::mouseClick(Control<QPushButton>(dialog.get(), "Button4"), Qt::LeftButton);
    });
    QVERIFY(!dialog->SetUp(keypad, lines));
    QCOMPARE(lines.size(), size_t{1});
    QCOMPARE(lines[0].Text, std::string("kept"));
  }

  // A keypad on a remote supply edits its power and network lengths apart.
  void aSuppliedDeviceShowsTheNetworkAndPowerFields() {
    TVududa& keypad = *design->keypad;
    auto& psu = design->canvas.Create<TPSU>();
    psu.MoveCentreTo(600, 100);
    design->panel.AddPSU(&psu);
    QVERIFY(psu.DragOverHandler(&keypad));
    psu.DragDropHandler(&keypad, 0, 0);
    TLoadLines lines;
    WhileModal(*dialog, [&] {
      QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
      QVERIFY(Control<QFrame>(dialog.get(), "Panel2")->isVisible());
      QVERIFY(!Control<QLineEdit>(dialog.get(), "Edit1")->isVisible());
      QVERIFY(!Control<QLabel>(dialog.get(), "Label1")->isVisible());
      auto* power = Control<QLineEdit>(dialog.get(), "Edit5");
      power->setFocus();
      power->selectAll();
      QTest::keyClick(power, Qt::Key_Delete);
      QTest::keyClicks(power, "100");
      QTest::keyClick(power, Qt::Key_Return);
      // 35 / 45 mA over 10 ohms.
      QCOMPARE(keypad.CableLength, 100.0);
      QCOMPARE(keypad.NetCableLength, 10.0);
      QCOMPARE(Control<QLabel>(dialog.get(), "Label4")->text(), QString("13.25"));
      QCOMPARE(Control<QLabel>(dialog.get(), "Label5")->text(), QString("13.15"));
      dialog->grab().save(QStringLiteral("loading_dialog_supplied.png"));
      QTest::mouseClick(Control<QPushButton>(dialog.get(), "Button3"), Qt::LeftButton);
    });
    QVERIFY(dialog->SetUp(keypad, lines));
  }

 private:
  std::unique_ptr<Design> design;
  std::unique_ptr<TLoadingDialog> dialog;
  int picks = 0;
  int32_t pickedPanelType = -1;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::LoadingDialogTest)
#include "loading_dialog_test.moc"
