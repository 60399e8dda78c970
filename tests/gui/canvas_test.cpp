// The canvas as a user works on it: placing with the toolbar, dragging
// tiles with the mouse from press to release, refused drops, deleting,
// Tidy-Up, network navigation, "Clone to" and the cable-length labels. Set
// VOLTARIS_SCREENSHOTS to a folder to keep pictures of a real design.
#include <QCheckBox>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>

#include "designer/ui/loading_dialog.h"
#include "designer/ui/options_dialog.h"
#include "designer/undo_history.h"
#include "main_window_support.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"

namespace voltaris::testing {

QImage Picture(QWidget* widget) { return widget->grab().toImage(); }

class CanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void placeADeviceThenDragItOntoANetwork() {
    Session s;
    s.New("Orvane 700", 3);
    QTest::mouseClick(s.Button(6), Qt::LeftButton);
    s.Settle();
    QCOMPARE(s.Status(), QString("Place Orvane D1"));
    QCOMPARE(s.Canvas()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(s.Canvas(), Qt::LeftButton, {}, QPoint(400, 200));
    s.Settle();
    TNetDevice& keypad = Device(s.Last());
    QCOMPARE(s.Widget(keypad)->geometry(), QRect(368, 168, 64, 64));
    QCOMPARE(s.Canvas()->cursor().shape(), Qt::ArrowCursor);

    const QImage emptyBlock = Picture(s.Widget(s.Net(0)));
    QCOMPARE(s.Drag(keypad, Centre(s.Net(0))), Qt::DragMoveCursor);
    QCOMPARE(keypad.NetParent, static_cast<TNetwork*>(&s.Net(0)));
    QCOMPARE(s.Widget(keypad)->HintText(), QString("Double click to set up"));
    QCOMPARE(s.Widget(keypad)->pos(), QPoint(368, 168));  // a drop on a network does not move it
    // A double click on the block shows its figures.
    QTest::mouseDClick(s.Widget(s.Net(0)), Qt::LeftButton);
    s.Settle();
    QCOMPARE(s.Net(0).Labels[TPanelNetwork::KeypadsLabel].Text, std::string("Keypads - 1 of Poss 8"));
    QVERIFY(Picture(s.Widget(s.Net(0))) != emptyBlock);

    // Set up and confirmed, the device's light turns green.
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) { Click(dialog, "Button3"); });
    AnswerMessage(QMessageBox::Yes);
    Session::DoubleClick(s.Widget(keypad));
    s.Settle();
    QCOMPARE(keypad.StatusImage(), std::string("Green"));
    const QColor light = Picture(s.Widget(keypad)).pixelColor(64 - 11, 64 - 11);
    QVERIFY2(light.green() > light.red() && light.green() > light.blue(), qPrintable(light.name()));
  }

  void escapeLetsGoOfThePlacingToolAndEndsADragWithoutADrop() {
    Session s;
    s.New("Orvane 700", 3);
    const size_t tiles = s.Designer().Canvas().Tiles().size();
    // The keys reach the window's shortcuts once it is the active window.
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    QTest::mouseClick(s.Button(6), Qt::LeftButton);
    s.Settle();
    QTest::keyClick(s.window.get(), Qt::Key_Escape);
    s.Settle();
    QCOMPARE(s.Status(), QString(TCanvasController::PlacingCancelledText));
    Keep(Picture(s.window.get()), QStringLiteral("escape_placing.png"));
    QCOMPARE(s.Canvas()->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(s.Canvas(), Qt::LeftButton, {}, QPoint(400, 200));
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles);  // the stray press placed nothing
    // The supply tool places on every press until Escape.
    s.Designer().CanvasControl().ChoosePSU();
    QTest::keyClick(s.window.get(), Qt::Key_Escape);
    QTest::mouseClick(s.Canvas(), Qt::LeftButton, {}, QPoint(400, 300));
    s.Settle();
    QCOMPARE(s.Designer().Canvas().Tiles().size(), tiles);

    // Escape mid-drag: the tile stays where it was, on no network, and the
    // release drops nothing.
    TNetDevice& keypad = Device(s.Place(6, {400, 200}));
    const size_t steps = s.Designer().History().UndoCount();
    TTileWidget* widget = s.Widget(keypad);
    const QPoint start = widget->rect().center();
    const QPoint end = widget->mapFromGlobal(s.Canvas()->mapToGlobal(Centre(s.Net(0))));
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    QTest::mouseMove(widget, end);
    QVERIFY(widget->Dragging());
    QTest::keyClick(s.window.get(), Qt::Key_Escape);
    s.Settle();
    QVERIFY(!widget->Dragging());
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(s.Status(), QString(TCanvasController::DragCancelledText));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, end);
    s.Settle();
    QVERIFY(!keypad.NetParent);
    QCOMPARE(s.Widget(keypad)->pos(), QPoint(368, 168));
    QCOMPARE(s.Designer().History().UndoCount(), steps);
  }

  // Cancel in a device's set-up puts the design back as it was, the tile's
  // widget included, and leaves no step to undo.
  void cancellingASetUpPutsTheDeviceBack() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& placed = s.Place(6, {400, 200});
    s.Drag(placed, Centre(s.Net(0)));
    const size_t steps = s.Designer().History().UndoCount();
    const TProjectBytes before = s.Designer().ProjectImage();
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) {
      TypeOver(Control<QLineEdit>(dialog, "Location"), "Office");
      TypeOver(Control<QLineEdit>(dialog, "Edit1"), "300");
      QTest::keyClick(Control<QLineEdit>(dialog, "Edit1"), Qt::Key_Return);
      Click(dialog, "Button4");
    });
    Session::DoubleClick(s.Widget(placed));
    s.Settle();
    QCOMPARE(s.Designer().History().UndoCount(), steps);
    QVERIFY(TUndoHistory::SameImage(s.Designer().ProjectImage(), before));
    TNetDevice& keypad = Device(s.Last());
    QCOMPARE(dynamic_cast<TVududa&>(keypad).Location, std::string());
    QCOMPARE(keypad.CableLength, 10.0);
    QCOMPARE(s.Widget(keypad)->HintText(), QString("Double click to set up"));
  }

  void dropsFollowTheRulesOfTheirTarget() {
    Session s;
    s.New("Orvane 200", 2);  // six keypad places on its network
    for (int i = 0; i < 6; ++i) s.Drag(s.Place(1, {200 + 70 * i, 120}), Centre(s.Net(0)));
    QCOMPARE(s.Net(0).Keypads, 6);
    TNetDevice& seventh = Device(s.Place(1, {300, 300}));
    QCOMPARE(s.Drag(seventh, Centre(s.Net(0))), Qt::ForbiddenCursor);
    QCOMPARE(s.Drag(seventh, Centre(seventh) + QPoint(10, 5)), Qt::ForbiddenCursor);  // onto itself
    QVERIFY(!seventh.NetParent);
    QCOMPARE(s.Widget(seventh)->pos(), QPoint(268, 268));
    QVERIFY(!QGuiApplication::overrideCursor());  // the drag cursor went with the drag

    // On the background the centre goes to the pointer.
    s.Designer().MarkSaved(s.Designer().ProjectImage());
    QCOMPARE(s.Drag(seventh, {500, 250}), Qt::DragMoveCursor);
    QCOMPARE(s.Widget(seventh)->pos(), QPoint(468, 218));
    QVERIFY(s.Designer().Session().Modified());
    // Ctrl-click deletes a device, and does nothing to a network.
    QPointer<TTileWidget> widget = s.Widget(seventh);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseClick(s.Widget(s.Net(0)), Qt::LeftButton, Qt::ControlModifier);
    s.Settle();
    QVERIFY(!widget);
    QCOMPARE(s.Designer().Canvas().Tiles().size(), size_t{7});
  }

  void tidyUpPutsDevicesAndSuppliesOnTheGrid() {
    Session s;
    s.New("Orvane 500", 3);
    TDevice& keypad = s.Place(6, {344 + 32, 75 + 32});  // top-left corner at 344, 75
    TDevice& supply = s.Place(20, {480 + 32, 300 + 32});
    s.Action("mnuTidyUp")->trigger();
    s.Settle();
    QCOMPARE(s.Widget(keypad)->pos(), QPoint(330, 90));
    QCOMPARE(s.Widget(supply)->pos(), QPoint(480, 300));
    QVERIFY(!s.Action("mnuSnapToGrid")->isChecked());  // Tidy-Up leaves snapping as it was
    s.Action("mnuSnapToGrid")->trigger();
    s.Settle();
    QVERIFY(s.Action("mnuSnapToGrid")->isChecked() && s.Designer().Canvas().SnapToGrid);
  }

  void tidyUpEndsWithTheCurrentNetworkInView() {
    Session s;
    s.New("Orvane 700", 3);
    QScrollBar* bar = s.window->CanvasView().verticalScrollBar();
    QTest::mouseClick(s.Summary<QLabel>("lbNet3"), Qt::LeftButton);
    s.Settle();
    const int third = bar->value();
    QVERIFY(third > 0);
    bar->setValue(third + 120);  // the user scrolls on a little
    s.Settle();
    s.Action("mnuTidyUp")->trigger();
    s.Settle();
    QCOMPARE(bar->value(), third);
    QCOMPARE(s.Designer().CanvasControl().ScrollTop(), third);
    QVERIFY(s.window->CanvasView().Content()->isVisible());
  }

  void networkLabelsAndCloneToBringSectionsIntoView() {
    Session s;
    s.New("Orvane 700", 3);
    QScrollBar* bar = s.window->CanvasView().verticalScrollBar();
    QTest::mouseClick(s.Summary<QLabel>("lbNet8"), Qt::LeftButton);
    s.Settle();
    QCOMPARE(bar->value(), s.Designer().CanvasControl().ScrollTop());
    QWidget* viewport = s.window->CanvasView().viewport();
    TTileWidget* block = s.Widget(s.Net(7));
    QVERIFY(viewport->rect().contains(QRect(block->mapTo(viewport, QPoint(0, 0)), block->size())));
    bar->setValue(100);  // the user's own scrolling reaches the designer
    QCOMPARE(s.Designer().CanvasControl().ScrollTop(), 100);
    QTest::mouseClick(s.Summary<QLabel>("lbNet1"), Qt::LeftButton);
    s.Settle();

    TDevice& supply = s.Place(20, {500, 200});
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    auto* menu = Control<QMenu>(s.window.get(), "PopupMenu1");
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(!s.Action("CloneToNetwork1")->isEnabled() && s.Action("CloneToNetwork3")->isEnabled());
    menu->hide();
    const int windowTop = supply.Top() - s.Designer().CanvasControl().ScrollTop();
    s.Action("CloneToNetwork3")->trigger();
    s.Settle();
    auto* clone = dynamic_cast<TPSUClone*>(&s.Last());
    QVERIFY(clone);
    QCOMPARE(bar->value(), s.Designer().CanvasControl().ScrollTop());
    QCOMPARE(s.Widget(*clone)->pos(), QPoint(supply.Left(), s.Designer().CanvasControl().ScrollTop() + windowTop));
    QVERIFY(clone->Top() > s.Net(2).Top() && clone->Top() < s.Net(2).Top() + 250);  // in section 3
    QVERIFY(!s.Action("CloneToNetwork3")->isEnabled() && s.Action("CloneToNetwork1")->isEnabled());
  }

  void optionsRedrawCableLabelsOnlyWhenTheirSettingChanges() {
    Session s;
    s.New("Orvane 700", 3);
    TNetDevice& keypad = Device(s.Place(6, {300, 200}));
    s.Drag(keypad, Centre(s.Net(0)));
    QCOMPARE(keypad.ParentWire->Label, std::string("10m"));
    const TWire* drawn = keypad.ParentWire.get();
    const TWire& wire = *keypad.ParentWire;
    const QRect run(wire.Left, wire.Top, wire.Width, wire.Height);
    const QImage labelled = Picture(s.Canvas()).copy(run);
    WhenShown<TOptionsDialog>([](TOptionsDialog* dialog) {
      QTest::mouseClick(Control<QCheckBox>(dialog, "cbShowLength"), Qt::LeftButton, {}, QPoint(6, 8));
      Click(dialog, "btnOK");
    });
    s.Action("mnuOptions")->trigger();
    s.Settle();
    QVERIFY(keypad.ParentWire->Label.empty() && keypad.ParentWire.get() != drawn);
    QVERIFY(Picture(s.Canvas()).copy(run) != labelled);

    drawn = keypad.ParentWire.get();
    WhenShown<TOptionsDialog>([](TOptionsDialog* dialog) { Click(dialog, "btnOK"); });
    s.Action("mnuOptions")->trigger();
    QCOMPARE(keypad.ParentWire.get(), drawn);  // nothing changed: not drawn again
  }

  // Undo and Redo read the whole design back, and the canvas paints again
  // only the tiles and runs that would look different: after each, and after
  // a Tidy-Up, what is on the screen must be what a full repaint gives.
  void undoRedoAndTidyUpLeaveTheScreenAsAFullRepaintShowsIt() {
    Session s;
    s.New("Orvane 700", 3);
    QWidget* viewport = s.window->CanvasView().viewport();
    auto onScreen = [&] {
      const QPoint at = viewport->mapTo(s.window.get(), QPoint(0, 0));
      return s.window->screen()
          ->grabWindow(s.window->winId(), at.x(), at.y(), viewport->width(), viewport->height())
          .toImage()
          .convertToFormat(QImage::Format_RGB32);
    };
    auto repainted = [&] { return viewport->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    auto sameAsRepaint = [&](const char* step) {
      s.Settle();
      const QImage shown = onScreen();
      const QImage full = repainted();
      QVERIFY2(!shown.isNull() && shown.size() == full.size(), step);
      QVERIFY2(shown == full, step);
    };

    TNetDevice& first = Device(s.Place(6, {300, 200}));
    s.Drag(first, Centre(s.Net(0)));
    TNetDevice& second = Device(s.Place(6, {450, 200}));
    s.Drag(second, Centre(first));  // chained behind the first
    TDevice& supply = s.Place(20, {650, 180});
    TNetDevice& powered = Device(s.Place(6, {650, 320}));
    s.Drag(powered, Centre(s.Net(0)));
    s.Drag(powered, Centre(supply));
    QVERIFY(powered.SupplyWire && second.ParentWire);
    sameAsRepaint("the design as built");

    // Five commands that change tiles, lights and runs in view.
    QTest::mouseClick(s.Widget(second), Qt::LeftButton, Qt::ControlModifier);  // delete
    s.Settle();
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) { Click(dialog, "Button3"); });
    AnswerMessage(QMessageBox::Yes);
    Session::DoubleClick(s.Widget(first));  // set up: its light turns green
    s.Settle();
    QCOMPARE(first.StatusImage(), std::string("Green"));
    s.Summary<QComboBox>("cbGrade")->setCurrentIndex(1);
    s.Settle();
    s.Drag(powered, {800, 360});                         // moved, its run with it
    QTest::mouseClick(s.Widget(first), Qt::LeftButton);  // selected: framed
    s.Settle();
    s.Drag(first, {300, 380});
    sameAsRepaint("after the commands");

    for (int i = 0; i < 5; ++i) {
      s.Action("mnuUndo")->trigger();
      sameAsRepaint(qPrintable(QString("undo %1").arg(i + 1)));
    }
    for (int i = 0; i < 5; ++i) {
      s.Action("mnuRedo")->trigger();
      sameAsRepaint(qPrintable(QString("redo %1").arg(i + 1)));
    }
    // Tidy-Up moves every tile with the canvas's updates held.
    s.Action("mnuTidyUp")->trigger();
    sameAsRepaint("Tidy-Up");
  }

  void screenshotsOfARealDesign() {
    Session s;
    s.New("Orvane 700", 3, "Shop", "Unit 4, Harbour Road");
    Pick(s.Summary<QComboBox>("cbBatteryType"), "17.0 Ah");
    // Network 1: a keypad with an expander behind it, and a reader on a supply.
    TDevice& keypad = s.Place(6, {330, 110});
    s.Drag(keypad, Centre(s.Net(0)));
    s.Drag(s.Place(12, {330, 270}), Centre(keypad));
    TDevice& reader = s.Place(18, {560, 200});
    s.Drag(reader, Centre(s.Net(0)));
    TDevice& supply = s.Place(20, {760, 200});
    s.Drag(reader, Centre(supply));
    // Network 2: a keypad on a clone of the supply.
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    s.Action("CloneToNetwork2")->trigger();
    Control<QMenu>(s.window.get(), "PopupMenu1")->hide();
    s.Settle();
    TDevice& clone = s.Last();
    TDevice& keypad2 = s.Place(7, {330, s.Designer().CanvasControl().ScrollTop() + 150});
    s.Drag(keypad2, Centre(s.Net(1)));
    s.Drag(keypad2, Centre(clone));
    QVERIFY(Device(keypad2).Supply);
    QTest::mouseDClick(s.Widget(s.Net(1)), Qt::LeftButton);
    s.Settle();
    const QImage section2 = Picture(s.window.get());
    QTest::mouseClick(s.Summary<QLabel>("lbNet1"), Qt::LeftButton);
    QTest::mouseDClick(s.Widget(s.Net(0)), Qt::LeftButton);
    s.Settle();
    const QImage section1 = Picture(s.window.get());
    if (qEnvironmentVariableIsSet("VOLTARIS_SCREENSHOTS")) {
      const QString folder = qEnvironmentVariable("VOLTARIS_SCREENSHOTS");
      QVERIFY(section1.save(folder + "/main_window_network1.png"));
      QVERIFY(section2.save(folder + "/main_window_network2.png"));
    }
    // Everything fits the window: with the platform's own fonts, which a
    // Wine prefix lacks (the stand-ins are wider than Windows' own).
    if (RunningUnderWine())
      QSKIP("under Wine the window's fonts are stand-ins: whether it fits 1024 pixels is not Windows'");
    QCOMPARE(section1.size(), QSize(1024, 721));
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::CanvasTest)
#include "canvas_test.moc"
