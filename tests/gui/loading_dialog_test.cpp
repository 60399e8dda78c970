// The loading dialog as a user drives it: a keypad on a panel network, its
// fields typed into, the list added to, closed with OK.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "designer/ui/loading_dialog.h"
#include "dialog_test_support.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/panel_network.h"
#include "model/settings.h"
#include "model/toolbar_device.h"

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
void AnswerNextMessageBox(QString& text, const QString& picture = {}) {
  auto* poll = new QTimer;
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, &text, picture] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      if (!picture.isEmpty()) testing::Keep(box->grab().toImage(), picture);
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
  }

  TCanvas canvas{TSettings{1, 15, 10, 0.1, 1.0, false}};
  TControlPanel panel{canvas.Context(), TStringList{"16110256", "12648447"}};
  TPanelNetwork* network = nullptr;
  TVududa* keypad = nullptr;
};

}  // namespace

class LoadingDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    design = std::make_unique<Design>();
    dialog = std::make_unique<TLoadingFrm>(
        [this](int32_t panelType, int32_t grade, TDeviceData& entry) {
          pickedPanelType = panelType;
          pickedGrade = grade;
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
    TVududa& keypad = *design->keypad;
    QDialog* d = dialog.get();
    WhileModal(*dialog, [&] {
      QVERIFY(QTest::qWaitForWindowActive(d));
      QCOMPARE(d->windowTitle(), QString("LoadingFrm"));
      QCOMPARE(d->size(), QSize(461, 357 + LoadingAddedHeight));
      QCOMPARE(Control<QLabel>(d, "Label18")->text(), QString("Network1"));
      QCOMPARE(Control<QComboBox>(d, "cbDevType")->currentText(), QString("Orvane K4"));

      // The length field takes digits and one point; leaving it applies it:
      // 35 / 45 mA over 2.55 ohms.
      auto* edit1 = Control<QLineEdit>(d, "Edit1");
      edit1->setFocus();
      edit1->selectAll();
      QTest::keyClicks(edit1, "2x5.5.");
      QCOMPARE(edit1->text(), QString("25.5"));
      // The refused letter and point are said so beside the field.
      QCOMPARE(QToolTip::text(), QString(TLoadingPresenter::LengthKeyHint));
      if (QWidget* tip = testing::ShownTip())
        testing::Keep(tip->grab().toImage(), QStringLiteral("loading_key_hint.png"));
      QCOMPARE(keypad.CableLength, 10.0);
      QTest::keyClick(edit1, Qt::Key_Tab);
      QCOMPARE(keypad.CableLength, 25.5);
      QCOMPARE(Control<QLabel>(d, "Label4")->text(), QString("13.51"));
      QCOMPARE(Control<QLabel>(d, "Label5")->text(), QString("13.49"));

      // Enter applies the impedance at once and does not close the dialog.
      auto* edit2 = Control<QLineEdit>(d, "Edit2");
      QVERIFY(edit2->hasFocus());
      edit2->selectAll();
      QTest::keyClicks(edit2, "20");
      QTest::keyClick(edit2, Qt::Key_Return);
      QCOMPARE(keypad.Impedance, 0.2);
      QVERIFY(d->isVisible());

      // The cable by name under the figures fills in its loop resistance:
      // 16/0.2 mm, 6.86 ohms per 100 m, shown to the whole ohm.
      auto* cable = Control<QComboBox>(d, "cbCable");
      QCOMPARE(cable->currentText(), QString("Other"));
      QVERIFY(cable->isVisible());
      cable->setFocus();
      cable->showPopup();
      if (QWidget* popup = cable->view()->window(); popup->isVisible())
        testing::Keep(popup->grab().toImage(), QStringLiteral("loading_cable_list.png"));
      cable->hidePopup();
      cable->setCurrentIndex(2);
      emit cable->activated(2);
      QCOMPARE(keypad.Impedance, 0.0686);
      QCOMPARE(edit2->text(), QString("7"));
      QVERIFY(cable->toolTip().contains("6.86 ohms per 100 m"));
      testing::Keep(d->grab().toImage(), QStringLiteral("loading_cable_choice.png"));
      edit2->setFocus();
      edit2->selectAll();
      QTest::keyClicks(edit2, "20");
      QTest::keyClick(edit2, Qt::Key_Return);
      QCOMPARE(cable->currentText(), QString("Other"));

      // A lone point is reported in a message box; the field shows the length kept.
      QString error;
      AnswerNextMessageBox(error);
      edit1->setFocus();
      edit1->selectAll();
      QTest::keyClick(edit1, Qt::Key_Delete);
      QTest::keyClick(edit1, Qt::Key_Period);
      QTest::keyClick(edit1, Qt::Key_Tab);
      QCOMPARE(error, QString("'.' is not a valid number."));
      QCOMPARE(keypad.CableLength, 25.5);
      QCOMPARE(edit1->text(), QString("25.5"));
      // A cable beyond what the trade runs is refused with the range, the
      // digits kept as typed until then.
      AnswerNextMessageBox(error, QStringLiteral("loading_cable_refusal.png"));
      d->activateWindow();  // back from the message box
      QVERIFY(QTest::qWaitForWindowActive(d));
      edit1->setFocus();
      edit1->selectAll();
      QTest::keyClicks(edit1, "1500");
      QCOMPARE(edit1->text(), QString("1500"));
      QTest::keyClick(edit1, Qt::Key_Tab);
      QCOMPARE(error, QString("Enter a cable length from 0 to 1000 m."));
      QCOMPARE(keypad.CableLength, 25.5);
      d->grab().save(QStringLiteral("loading_dialog_plain.png"));

      QTest::mouseClick(Control<QPushButton>(d, "DetailBtn"), Qt::LeftButton);
      QCOMPARE(d->height(), 672 + LoadingAddedHeight);
      QCOMPARE(Control<QPushButton>(d, "Button3")->y(), 611 + LoadingAddedHeight);
      QTest::mouseClick(Control<QPushButton>(d, "Button1"), Qt::LeftButton);
      auto* list = Control<QTreeWidget>(d, "lbDevices");
      QCOMPARE(list->topLevelItemCount(), 1);
      QCOMPARE(list->topLevelItem(0)->text(1), QString("Halvard S (Normal)"));
      QCOMPARE(list->topLevelItem(0)->text(4), QString("1090 mA"));
      QCOMPARE(pickedPanelType, NetworkDevicePanelType);
      QCOMPARE(pickedGrade, 2);  // the grade of the design's control panel
      QVERIFY(!Control<QFrame>(d, "Panel1")->isEnabled());
      QCOMPARE(Control<QLineEdit>(d, "Edit3")->text(), QString("36"));
      d->grab().save(QStringLiteral("loading_dialog_details.png"));

      QTest::mouseClick(Control<QPushButton>(d, "Button3"), Qt::LeftButton);
    });
    QVERIFY(dialog->SetUp(keypad, lines));
    QCOMPARE(lines.size(), size_t{1});
    QCOMPARE(lines[0].Text, std::string("2\tHalvard S (Normal)\t3\t36 mA\t1090 mA"));
    QCOMPARE(keypad.AttachedLoad, (TLoad{36, 1090}));
  }

  void theWindowIsSizeableAndAListShownTakesTheRoom() {
    TLoadLines lines;
    QDialog* d = dialog.get();
    WhileModal(*dialog, [&] {
      QVERIFY(QTest::qWaitForWindowActive(d));
      QCOMPARE(d->minimumSize(), QSize(461, 357 + LoadingAddedHeight));
      QVERIFY(d->maximumWidth() > 461);
      QTest::mouseClick(Control<QPushButton>(d, "DetailBtn"), Qt::LeftButton);
      auto* list = Control<QTreeWidget>(d, "lbDevices");
      auto* ok = Control<QPushButton>(d, "Button3");
      auto* add = Control<QPushButton>(d, "Button1");
      const QRect listAt = list->geometry();
      const QPoint okAt = ok->pos();
      const QPoint addAt = add->pos();
      d->resize(561, 672 + LoadingAddedHeight + 120);
      QCOMPARE(list->geometry(), listAt.adjusted(0, 0, 100, 120));
      QCOMPARE(ok->pos(), okAt + QPoint(100, 120));
      QCOMPARE(add->pos(), addAt + QPoint(0, 120));
      // Hiding the details gives back the plain height; the width the user chose stays.
      QTest::mouseClick(Control<QPushButton>(d, "DetailBtn"), Qt::LeftButton);
      QCOMPARE(d->size(), QSize(561, 357 + LoadingAddedHeight));
      QCOMPARE(d->maximumHeight(), 357 + LoadingAddedHeight);
      d->resize(400, 300);  // never smaller than the layout
      QCOMPARE(d->size(), QSize(461, 357 + LoadingAddedHeight));
      QTest::mouseClick(Control<QPushButton>(d, "Button4"), Qt::LeftButton);
    });
    QVERIFY(!dialog->SetUp(*design->keypad, lines));
  }

 private:
  std::unique_ptr<Design> design;
  std::unique_ptr<TLoadingFrm> dialog;
  int32_t pickedPanelType = -1;
  int32_t pickedGrade = -1;
};

}  // namespace voltaris

QTEST_MAIN(voltaris::LoadingDialogTest)
#include "loading_dialog_test.moc"
