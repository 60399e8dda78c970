// Finding one's way in the window: a drag highlights the tiles the drop
// rules accept and says what a drop would do, a warning's line points at its
// tiles, a network device has a right-click menu, the hints and tooltips
// come from the catalogue, and F1 opens the guide. Set VOLTARIS_SCREENSHOTS
// to a folder to keep pictures of a drag, the menus and the guide.
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTextBrowser>

#include "designer/guidance.h"
#include "designer/ui/help_window.h"
#include "designer/ui/loading_dialog.h"
#include "main_window_support.h"
#include "model/psu_clone.h"
#include "model/toolbar_device.h"

namespace voltaris::testing {

namespace {

// A drag held over the canvas: pressed on `tile`, moved, not yet released.
class HeldDrag {
 public:
  HeldDrag(Session& s, const TDevice& tile) : s_(s), widget_(s.Widget(tile)) {
    QTest::mousePress(widget_, Qt::LeftButton, {}, widget_->rect().center());
  }
  ~HeldDrag() { Release(); }
  void MoveTo(QPoint canvas) {
    at_ = widget_->mapFromGlobal(s_.Canvas()->mapToGlobal(canvas));
    QTest::mouseMove(widget_, at_);
  }
  void Release() {
    if (released_) return;
    released_ = true;
    QTest::mouseRelease(widget_, Qt::LeftButton, {}, at_);
    s_.Settle();
  }
  Qt::CursorShape Cursor() const {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
  }

 private:
  Session& s_;
  TTileWidget* widget_;
  QPoint at_;
  bool released_ = false;
};

}  // namespace

class GuidanceTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { StopScripts(); }

  void aDragHighlightsWhatTheDropRulesAcceptAndSaysWhatADropDoes() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& hall = s.Place(6, {250, 120});
    dynamic_cast<TVududa&>(hall).Location = "Hall";
    s.Drag(hall, Centre(s.Net(0)));
    TDevice& supply = s.Place(20, {700, 120});
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    s.Action("CloneToNetwork2")->trigger();
    Control<QMenu>(s.window.get(), "PopupMenu1")->hide();
    QTest::mouseClick(s.Summary<QLabel>("lbNet1"), Qt::LeftButton);
    s.Settle();
    TDevice& clone = s.Last();
    QVERIFY(dynamic_cast<TPSUClone*>(&clone));
    TDevice& expander = s.Place(12, {450, 300});
    TDevice& other = s.Place(20, {850, 300});

    TCanvasView& view = s.window->CanvasView();
    TCanvasController& control = s.Designer().CanvasControl();
    {
      HeldDrag drag(s, expander);
      // Highlighted exactly where the drop rules say yes: every kind of target.
      for (const auto& tile : s.Designer().Canvas().Tiles())
        QCOMPARE(view.DropHighlighted(*tile), control.DragOver(tile.get(), expander));
      QVERIFY(view.DropHighlighted(s.Net(0)) && view.DropHighlighted(hall) && view.DropHighlighted(supply) &&
              view.DropHighlighted(clone));
      QVERIFY(!view.DropHighlighted(expander));
      const struct {
        const TDevice* target;
        QString text;
      } drops[] = {{&s.Net(0), "Wire to Network 1"},
                   {&hall, "Chain behind Orvane D1 (Hall)"},
                   {&supply, "Power from supply"},
                   {nullptr, "Move Orvane E8S here"}};
      for (const auto& drop : drops) {
        drag.MoveTo(drop.target ? Centre(*drop.target) + QPoint(0, 12) : QPoint(600, 330));
        QCOMPARE(s.window->statusBar()->currentMessage(), drop.text);
        QCOMPARE(drag.Cursor(), Qt::DragMoveCursor);
      }
      QVERIFY(Control<QWidget>(s.Canvas(), "DragLine")->isVisible());
      drag.MoveTo(Centre(supply) + QPoint(0, 12));
      s.window->FlushRefresh();
      Keep(s.window->grab().toImage(), "drag_to_supply.png");
      drag.Release();
      QCOMPARE(Device(expander).Supply, static_cast<TPSUBase*>(&supply));
    }
    QVERIFY(!Control<QWidget>(s.Canvas(), "DragLine")->isVisible());
    QVERIFY(!view.DropHighlighted(s.Net(0)));
    QCOMPARE(s.window->statusBar()->currentMessage(), QString());

    // A supply dragged over a device is refused, with the no-drop cursor and the reason.
    HeldDrag drag(s, other);
    for (const auto& tile : s.Designer().Canvas().Tiles()) QVERIFY(!view.DropHighlighted(*tile));
    drag.MoveTo(Centre(hall) + QPoint(0, 12));
    QCOMPARE(drag.Cursor(), Qt::ForbiddenCursor);
    QCOMPARE(s.window->statusBar()->currentMessage(),
             QString("Only a network device is chained behind Orvane D1 (Hall)"));
  }

  void aFullNetworkIsNotHighlightedAndSaysWhy() {
    Session s;
    s.New("Orvane 200", 2);  // six keypad places on its network
    for (int i = 0; i < 6; ++i) s.Drag(s.Place(2, {100 + 70 * i, 120}), Centre(s.Net(0)));
    TDevice& seventh = s.Place(2, {300, 300});
    HeldDrag drag(s, seventh);
    QVERIFY(!s.window->CanvasView().DropHighlighted(s.Net(0)));
    drag.MoveTo(Centre(s.Net(0)));
    QCOMPARE(drag.Cursor(), Qt::ForbiddenCursor);
    QCOMPARE(s.window->statusBar()->currentMessage(), QString("Network 1 has no place left for Orvane K8"));
    drag.Release();
    QVERIFY(!Device(seventh).NetParent);
  }

  void aWarningLineSelectsItsTilesScrollsToThemAndCycles() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& near = s.Place(6, {300, 120});
    s.Drag(near, Centre(s.Net(0)));
    QTest::mouseClick(s.Summary<QLabel>("lbNet3"), Qt::LeftButton);
    s.Settle();
    TDevice& far = s.Place(6, {300, s.Designer().CanvasControl().ScrollTop() + 150});
    s.Drag(far, Centre(s.Net(2)));
    QTest::mouseClick(s.Summary<QLabel>("lbNet1"), Qt::LeftButton);
    s.Settle();

    auto* list = s.Summary<QListWidget>("lbErrors");
    const QList<QListWidgetItem*> found = list->findItems("Devices not set up - Blue Status Light", Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    auto click = [&](QListWidgetItem* item) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
      s.Settle();
    };
    QWidget* viewport = s.window->CanvasView().viewport();
    auto inView = [&](const TDevice& tile) {
      TTileWidget* widget = s.Widget(tile);
      return viewport->rect().contains(QRect(widget->mapTo(viewport, QPoint(0, 0)), widget->size()));
    };
    click(found[0]);
    QCOMPARE(s.Designer().CanvasControl().SelectedTile(), &near);
    QVERIFY(s.window->CanvasView().Pointed(near) && s.window->CanvasView().Pointed(far));
    QVERIFY(inView(near) && !inView(far));
    click(found[0]);
    QCOMPARE(s.Designer().CanvasControl().SelectedTile(), &far);
    QVERIFY(inView(far));
    Keep(s.window->grab().toImage(), "warning_points_at_tile.png");
    click(found[0]);
    QCOMPARE(s.Designer().CanvasControl().SelectedTile(), &near);
    QVERIFY(inView(near));

    // A warning about the panel's own figures says where to look instead.
    const QList<QListWidgetItem*> panel = list->findItems("No battery selected for panel", Qt::MatchExactly);
    QCOMPARE(panel.size(), 1);
    click(panel[0]);
    QVERIFY(!s.window->CanvasView().Pointed(near));
    QCOMPARE(s.window->statusBar()->currentMessage(), QString::fromStdString(PanelWarningHint()));
  }

  void theDeviceMenuSetsUpDetachesAndDeletes() {
    Session s;
    s.New("Orvane 700", 3);
    TDevice& keypad = s.Place(6, {300, 200});
    s.Drag(keypad, Centre(s.Net(0)));
    auto* menu = s.window->CanvasView().DeviceMenu();
    QCOMPARE(menu->objectName(), QString("DeviceMenu"));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0]->text(), QString("Set Up..."));
    QCOMPARE(items[1]->text(), QString("Detach"));
    QCOMPARE(items[2]->text(), QString("Delete"));

    QTest::mouseClick(s.Widget(keypad), Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    Keep(menu->grab().toImage(), "device_menu.png");
    WhenShown<TLoadingFrm>([](TLoadingFrm* dialog) { Click(dialog, "Button3"); });
    AnswerMessage(QMessageBox::Yes);
    menu->hide();  // as a chosen item closes it
    items[0]->trigger();
    s.Settle();
    QCOMPARE(keypad.StatusImage(), std::string("Green"));
    QCOMPARE(s.Action("mnuUndo")->text(), QString("Undo Set Up Orvane D1"));

    QTest::mouseClick(s.Widget(keypad), Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();  // as a chosen item closes it
    items[1]->trigger();
    s.Settle();
    QVERIFY(!Device(keypad).NetParent);
    QCOMPARE(s.Action("mnuUndo")->text(), QString("Undo Detach Orvane D1"));

    QPointer<TTileWidget> widget = s.Widget(keypad);
    QTest::mouseClick(widget, Qt::RightButton);
    QTRY_VERIFY(menu->isVisible());
    menu->hide();  // as a chosen item closes it
    items[2]->trigger();
    s.Settle();
    QVERIFY(!widget || !widget->Tile());
    QCOMPARE(s.Action("mnuUndo")->text(), QString("Undo Delete Orvane D1"));

    // A supply keeps its own menu; a network has none.
    TDevice& supply = s.Place(20, {120, 60});
    QTest::mouseClick(s.Widget(supply), Qt::RightButton);
    auto* supplyMenu = Control<QMenu>(s.window.get(), "PopupMenu1");
    QTRY_VERIFY(supplyMenu->isVisible());
    QVERIFY(!menu->isVisible());
    // It opens just below the supply's tile.
    TTileWidget* tile = s.Widget(supply);
    const QPoint below = tile->mapToGlobal(QPoint(0, tile->height()));
    QVERIFY2((supplyMenu->pos() - below).manhattanLength() <= 2,
             qPrintable(QString("menu at %1,%2, tile's corner at %3,%4")
                            .arg(supplyMenu->pos().x())
                            .arg(supplyMenu->pos().y())
                            .arg(below.x())
                            .arg(below.y())));
    supplyMenu->hide();
    QTest::mouseClick(s.Widget(s.Net(0)), Qt::RightButton);
    s.Settle();
    QVERIFY(!menu->isVisible());
  }

  void hintsAndTooltipsComeFromTheCatalogueAndTheModel() {
    Session s;
    s.New("Orvane 700", 3);
    QCOMPARE(s.Button(1)->toolTip(), QString::fromStdString(ToolButtonHint(0)));
    QVERIFY(s.Button(1)->toolTip().contains("1 keypad place"));
    QCOMPARE(s.Button(20)->toolTip(), QString::fromStdString(SupplyButtonHint()));
    TDevice& keypad = s.Place(6, {300, 200});
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(s.Widget(keypad), &enter);
    QCOMPARE(s.window->statusBar()->currentMessage(), QString::fromStdString(TileGestureHint(keypad)));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(s.Widget(keypad), &leave);
    QCOMPARE(s.window->statusBar()->currentMessage(), QString());
    QApplication::sendEvent(s.Widget(s.Net(1)), &enter);
    QVERIFY(s.window->statusBar()->currentMessage().startsWith("Network 2:"));
    // The legend of the lights names each of them.
    const QString legend = s.Summary<QLabel>("lbLegend")->toolTip();
    for (const TLightMeaning& light : LightLegend()) QVERIFY(legend.contains(light.OnDevice));
  }

  void f1AndTheHelpMenuOpenTheGuideAndAbout() {
    Session s;
    s.New("Orvane 700", 3);
    QVERIFY(!s.window->HelpWindow());
    s.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.window.get()));
    QTest::keyClick(s.window.get(), Qt::Key_F1);
    QTRY_VERIFY(s.window->HelpWindow() && s.window->HelpWindow()->isVisible());
    const QString guide = s.window->HelpWindow()->Browser()->toPlainText();
    for (const char* heading :
         {"Starting a project", "Placing and wiring devices", "Supplies and clones", "Reading the lights",
          "Fixing a failing design with the advice", "The report and the documents"})
      QVERIFY2(guide.contains(heading), heading);
    s.window->HelpWindow()->resize(720, 640);
    Keep(s.window->HelpWindow()->grab().toImage(), "user_guide.png");
    s.window->HelpWindow()->hide();
    // The legend link opens the guide at the lights.
    QTest::mouseClick(s.Summary<QLabel>("lbLegend"), Qt::LeftButton);
    QTRY_VERIFY(s.window->HelpWindow()->isVisible());
    s.window->HelpWindow()->hide();

    auto* help = Control<QMenu>(s.window.get(), "mnuHelp");
    QCOMPARE(help->menuAction()->text(), QString("Help"));
    QCOMPARE(s.Action("mnuUserGuide")->shortcut(), QKeySequence(Qt::Key_F1));
    if (qEnvironmentVariableIsSet("VOLTARIS_SCREENSHOTS")) {
      help->popup(
          s.window->menuBar()->mapToGlobal(s.window->menuBar()->actionGeometry(help->menuAction()).bottomLeft()));
      QTRY_VERIFY(help->isVisible());
      Keep(help->grab().toImage(), "help_menu.png");
      help->hide();
    }
    QString about;
    AnswerAbout(&about);
    s.Action("mnuAbout")->trigger();
    QVERIFY(about.contains("Voltaris 0."));
    QVERIFY(about.contains("All rights reserved"));
  }

 private:
  static void AnswerAbout(QString* text) {
    WhenShown<QMessageBox>([text](QMessageBox* box) {
      *text = box->text();
      Keep(box->grab().toImage(), "about.png");
      box->accept();
    });
  }
};

}  // namespace voltaris::testing

QTEST_MAIN(voltaris::testing::GuidanceTest)
#include "guidance_test.moc"
