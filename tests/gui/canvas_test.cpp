// The canvas as a user works on it: placing devices and supplies with the
// toolbar, dragging tiles with the mouse from press to release, refused
// drops, deleting, Tidy-Up, the supply menu's "Clone to", the network
// labels and the cable-length labels. Set VOLTARIS_SCREENSHOTS to a folder
// to keep pictures of the window with a real design.
#include <QCheckBox>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>

#include "designer/ui/loading_dialog.h"
#include "designer/ui/options_dialog.h"
#include "main_window_support.h"
#include "model/net_device.h"
#include "model/psu.h"
#include "model/psu_clone.h"

namespace voltaris::testing {

namespace {

QImage Picture(QWidget* widget) { return widget->grab().toImage(); }

// A network device: the tile as its class.
TNetDevice& Device(TDevice& tile) { return dynamic_cast<TNetDevice&>(tile); }

}  // namespace

class CanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void placeADeviceThenDragItOntoANetwork() {
    Session s;
    s.New("Orvane 700", 3);
    QTest::mouseClick(s.Button(6), Qt::LeftButton);
    s.Settle();
    QCOMPARE(Control<QLabel>(s.window->statusBar(), "StatusText")->text(), QString("Place Orvane D1"));
    QCOMPARE(s.Canvas()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(s.Canvas(), Qt::LeftButton, {}, QPoint(400, 200));
    s.Settle();
    TNetDevice& keypad = Device(*s.Designer().Canvas().Tiles().back());
    QCOMPARE(s.Widget(keypad)->geometry(), QRect(368, 168, 64, 64));
    QCOMPARE(s.Canvas()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(keypad.StatusImage(), std::string("Blue"));

    const QImage emptyBlock = Picture(s.Widget(s.Net(0)));
    QCOMPARE(s.Drag(keypad, Session::Centre(s.Net(0))), Qt::DragMoveCursor);
    QCOMPARE(keypad.NetParent, static_cast<TNetwork*>(&s.Net(0)));
    QVERIFY(keypad.ParentWire);
    QCOMPARE(s.Widget(keypad)->toolTip(), QString("Double click to set up"));
    QCOMPARE(s.Widget(keypad)->geometry(), QRect(368, 168, 64, 64));  // a drop on a network does not move it
    QVERIFY(s.Designer().Modified);

    // A double click on the block shows its figures.
    QTest::mouseDClick(s.Widget(s.Net(0)), Qt::LeftButton);
    s.Settle();
    QCOMPARE(s.Net(0).Labels[TPanelNetwork::KeypadsLabel].Text, std::string("Keypads - 1 of Poss 8"));
    QVERIFY(s.Net(0).Labels[TPanelNetwork::KeypadsLabel].Visible);
    QVERIFY(Picture(s.Widget(s.Net(0))) != emptyBlock);

    // A double click on the device sets it up; confirming it turns its light green.
    const QImage unset = Picture(s.Widget(keypad));
    WhenShown<TLoadingDialog>([](TLoadingDialog* dialog) { Click(dialog, "Button3"); });
    AnswerMessage(QMessageBox::Yes);
    QTest::mouseClick(s.Widget(keypad), Qt::LeftButton);
    QTest::mouseDClick(s.Widget(keypad), Qt::LeftButton);
    QTest::mouseRelease(s.Widget(keypad), Qt::LeftButton);
    s.Settle();
    QVERIFY(keypad.SetupConfirmed);
    QCOMPARE(keypad.StatusImage(), std::string("Green"));
    const QImage set = Picture(s.Widget(keypad));
    QVERIFY(set != unset);
    const QColor light = set.pixelColor(64 - 11, 64 - 11);
    QVERIFY2(light.green() > light.red() && light.green() > light.blue(), qPrintable(light.name()));
  }

  void refusedDropsLeaveTheTileWhereItWas() {
    Session s;
    s.New("Orvane 200", 2);  // six keypad places on its network
    for (int i = 0; i < 6; ++i) {
      TDevice& keypad = s.Place(1, {200 + 70 * i, 120});
      QCOMPARE(s.Drag(keypad, Session::Centre(s.Net(0))), Qt::DragMoveCursor);
    }
    QCOMPARE(s.Net(0).Keypads, 6);
    TNetDevice& seventh = Device(s.Place(1, {300, 300}));
    QCOMPARE(s.Drag(seventh, Session::Centre(s.Net(0))), Qt::ForbiddenCursor);
    QVERIFY(!seventh.NetParent);
    QCOMPARE(QPoint(seventh.Left(), seventh.Top()), QPoint(268, 268));
    QCOMPARE(s.Net(0).Keypads, 6);

    // Onto itself: refused too.
    QCOMPARE(s.Drag(seventh, Session::Centre(seventh) + QPoint(10, 5)), Qt::ForbiddenCursor);
    QCOMPARE(QPoint(seventh.Left(), seventh.Top()), QPoint(268, 268));
    QVERIFY(!QGuiApplication::overrideCursor());  // the drag cursor goes with the drag
  }

  void dragOnTheBackgroundMovesAndCtrlClickDeletes() {
    Session s;
    s.New("Orvane 200", 2);
    TDevice& keypad = s.Place(1, {300, 120});
    s.Designer().Modified = false;
    QCOMPARE(s.Drag(keypad, {500, 250}), Qt::DragMoveCursor);
    QCOMPARE(s.Widget(keypad)->geometry(), QRect(468, 218, 64, 64));
    QVERIFY(s.Designer().Modified);

    QPointer<TTileWidget> widget = s.Widget(keypad);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::ControlModifier);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), size_t{1});  // the network alone
    QVERIFY(!widget);
    // Ctrl on the network block does nothing.
    QTest::mouseClick(s.Widget(s.Net(0)), Qt::LeftButton, Qt::ControlModifier);
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), size_t{1});
  }

  void tidyUpPutsDevicesAndSuppliesOnTheGrid() {
    Session s;
    s.New("Orvane 500", 3);
    TDevice& keypad = s.Place(6, {344 + 32, 75 + 32});  // top-left corner at 344, 75
    TDevice& supply = s.Place(20, {480 + 32, 300 + 32});
    s.Action("mnuTidyUp")->trigger();
    s.Settle();
    QCOMPARE(s.Widget(keypad)->geometry(), QRect(330, 90, 64, 64));
    QCOMPARE(s.Widget(supply)->geometry(), QRect(480, 300, 64, 64));
    QVERIFY(!s.Action("mnuSnapToGrid")->isChecked());  // Tidy-Up leaves snapping as it was
    s.Action("mnuSnapToGrid")->trigger();
    s.Settle();
    QVERIFY(s.Action("mnuSnapToGrid")->isChecked());
    QVERIFY(s.Designer().Canvas().SnapToGrid);
  }

  void networkLabelsBringTheirSectionIntoView() {
    Session s;
    s.New("Orvane 700", 3);
    QScrollBar* bar = s.window->CanvasView().verticalScrollBar();
    QTest::mouseClick(s.Summary<QLabel>("lbNet8"), Qt::LeftButton);
    s.Settle();
    QVERIFY(s.Designer().ScrollTop > 0);
    QCOMPARE(bar->value(), s.Designer().ScrollTop);
    const QRect view = s.window->CanvasView().viewport()->rect();
    TTileWidget* block = s.Widget(s.Net(7));
    QVERIFY(view.contains(QRect(block->mapTo(s.window->CanvasView().viewport(), QPoint(0, 0)), block->size())));
    QVERIFY(!s.Action("CloneToNetwork8")->isEnabled());
    QVERIFY(s.Action("CloneToNetwork1")->isEnabled());
    // The user's own scrolling reaches the designer.
    bar->setValue(100);
    QCOMPARE(s.Designer().ScrollTop, 100);
  }

  void cloneASupplyOntoAnotherNetwork() {
    Session s;
    s.New("Orvane 700", 3);
    auto& supply = dynamic_cast<TPSU&>(s.Place(20, {500, 200}));
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    auto* menu = Control<QMenu>(s.window.get(), "PopupMenu1");
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(!s.Action("CloneToNetwork1")->isEnabled());
    QVERIFY(s.Action("CloneToNetwork3")->isEnabled());
    menu->hide();
    const int windowTop = supply.Top() - s.Designer().ScrollTop;
    s.Action("CloneToNetwork3")->trigger();
    s.Settle();
    auto* clone = dynamic_cast<TPSUClone*>(s.Designer().Canvas().Tiles().back().get());
    QVERIFY(clone);
    QCOMPARE(s.Designer().ScrollTop, s.window->CanvasView().verticalScrollBar()->value());
    QCOMPARE(clone->Top() - s.Designer().ScrollTop, windowTop);  // where the supply was in the window
    QCOMPARE(s.Widget(*clone)->geometry(), QRect(supply.Left(), clone->Top(), 64, 64));
    QVERIFY(clone->Top() > s.Net(2).Top() && clone->Top() < s.Net(2).Top() + 250);  // in section 3
    QVERIFY(!s.Action("CloneToNetwork3")->isEnabled());
    QVERIFY(s.Action("CloneToNetwork1")->isEnabled());
  }

  void optionsRedrawCableLabelsOnlyWhenTheirSettingChanges() {
    Session s;
    s.New("Orvane 700", 3);
    TNetDevice& keypad = Device(s.Place(6, {300, 200}));
    s.Drag(keypad, Session::Centre(s.Net(0)));
    QCOMPARE(keypad.ParentWire->Label, std::string("10m"));
    const TWire* drawn = keypad.ParentWire.get();
    const QRect run(keypad.ParentWire->Left, keypad.ParentWire->Top, keypad.ParentWire->Width,
                    keypad.ParentWire->Height);
    const QImage labelled = Picture(s.Canvas()).copy(run);

    WhenShown<TOptionsDialog>([](TOptionsDialog* dialog) {
      QTest::mouseClick(Control<QCheckBox>(dialog, "cbShowLength"), Qt::LeftButton, {}, QPoint(6, 8));
      Click(dialog, "btnOK");
    });
    s.Action("mnuOptions")->trigger();
    s.Settle();
    QVERIFY(keypad.ParentWire->Label.empty());
    QVERIFY(keypad.ParentWire.get() != drawn);
    QVERIFY(Picture(s.Canvas()).copy(run) != labelled);

    drawn = keypad.ParentWire.get();
    WhenShown<TOptionsDialog>([](TOptionsDialog* dialog) { Click(dialog, "btnOK"); });
    s.Action("mnuOptions")->trigger();
    s.Settle();
    QCOMPARE(keypad.ParentWire.get(), drawn);  // nothing changed: not drawn again
  }

  void screenshotsOfARealDesign() {
    Session s;
    s.New("Orvane 700", 3, "Shop", "Unit 4, Harbour Road");
    Pick(s.Summary<QComboBox>("cbBatteryType"), "17.0 Ah");
    // Network 1: a keypad, an expander chained behind it and a supply powering a reader.
    TDevice& keypad = s.Place(6, {330, 110});
    s.Drag(keypad, Session::Centre(s.Net(0)));
    TDevice& expander = s.Place(12, {330, 270});
    s.Drag(expander, Session::Centre(keypad));
    TDevice& reader = s.Place(18, {560, 200});
    s.Drag(reader, Session::Centre(s.Net(0)));
    TDevice& supply = s.Place(20, {760, 200});
    QTest::mouseClick(s.Button(9), Qt::LeftButton);  // ends supply placement
    s.Drag(reader, Session::Centre(supply));
    // Network 2: a keypad and a clone of the supply.
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    s.Action("CloneToNetwork2")->trigger();
    Control<QMenu>(s.window.get(), "PopupMenu1")->hide();
    s.Settle();
    TDevice& clone = *s.Designer().Canvas().Tiles().back();
    const int top = s.Designer().ScrollTop;
    TDevice& keypad2 = s.Place(7, {330, top + 150});
    s.Drag(keypad2, Session::Centre(s.Net(1)));
    s.Drag(keypad2, Session::Centre(clone));
    QTest::mouseDClick(s.Widget(s.Net(1)), Qt::LeftButton);
    s.Settle();
    QVERIFY(Device(keypad2).Supply);

    const QImage section2 = Picture(s.window.get());
    QTest::mouseClick(s.Summary<QLabel>("lbNet1"), Qt::LeftButton);
    QTest::mouseDClick(s.Widget(s.Net(0)), Qt::LeftButton);
    s.Settle();
    const QImage section1 = Picture(s.window.get());
    const QString folder = qEnvironmentVariable("VOLTARIS_SCREENSHOTS");
    if (!folder.isEmpty()) {
      QVERIFY(section1.save(folder + "/main_window_network1.png"));
      QVERIFY(section2.save(folder + "/main_window_network2.png"));
    }
    QCOMPARE(section1.size(), QSize(1024, 721));  // everything fits the window's size
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::CanvasTest)
#include "canvas_test.moc"
