// Helpers of the main window tests: a window on a temporary working folder
// with an in-memory settings store, choosing from lists, pressing the canvas,
// dragging tiles, and answering modal dialogs as they show.
#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <memory>

#include "designer/ui/canvas_view.h"
#include "designer/ui/main_window.h"
#include "designer/ui/new_file_dialog.h"
#include "designer/ui/summary_panel.h"
#include "designer/ui/tile_widget.h"
#include "dialog_test_support.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/settings.h"
#include "storage/memory_settings_store.h"

namespace voltaris::testing {

// The parent of the waiting scripts, so that none outlives its test.
inline QObject& Scripts() {
  static auto* scripts = new QObject;
  return *scripts;
}
inline void StopScripts() { qDeleteAll(Scripts().children()); }

// Runs `user` once, when a modal window of type D (named `name`, if given)
// shows. A window the script leaves open is rejected after a while, so that
// a failed check cannot leave the test waiting for ever.
template <typename D>
void WhenShown(std::function<void(D*)> user, const char* name = nullptr) {
  auto* timer = new QTimer(&Scripts());
  timer->start(10);
  QObject::connect(timer, &QTimer::timeout, [timer, user = std::move(user), name] {
    auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!dialog || (name && dialog->objectName() != QLatin1String(name))) return;
    timer->stop();
    timer->deleteLater();
    QPointer<QDialog> guarded(dialog);
    // A modal window is shown before the platform makes it active; until it
    // is, a field given the focus gets no focus-out, so a typed value would
    // not be applied when the script leaves it. On a busy machine that gap
    // is long enough to be seen.
    (void)QTest::qWaitForWindowActive(dialog, 2000);
    if (!guarded) return;
    user(dialog);
    QTimer::singleShot(3000, [guarded] {
      if (guarded && guarded->isVisible()) guarded->reject();
    });
  });
}

// Presses a button of the next message box, keeping its text.
inline void AnswerMessage(QMessageBox::StandardButton button, QString* text = nullptr) {
  WhenShown<QMessageBox>([button, text](QMessageBox* box) {
    if (text) *text = box->text();
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  });
}

// Chooses from one of the window's lists the only way it takes: with the
// mouse on the open list.
inline void Pick(QComboBox* combo, const QString& item) {
  const int row = combo->findText(item);
  QVERIFY2(row >= 0, qPrintable(item + " is not listed"));
  combo->showPopup();
  QAbstractItemView* view = combo->view();
  QTRY_VERIFY(view->isVisible());
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
  QTRY_VERIFY(!view->isVisible());
}

// The window's title as shown without unsaved changes (Qt's "[*]" mark left out).
inline QString Title(const QWidget& window) { return window.windowTitle().remove(QStringLiteral("[*]")); }

inline QPoint Centre(const TDevice& tile) { return {tile.Left() + tile.Width() / 2, tile.Top() + tile.Height() / 2}; }
inline TNetDevice& Device(TDevice& tile) { return dynamic_cast<TNetDevice&>(tile); }

class Session {
 public:
  Session() {
    QDir(dir.path()).mkpath("Data");
    window = std::make_unique<TMainWindow>(store, dir.path().toLocal8Bit().toStdString());
    // Every image the history takes is checked against one written afresh.
    window->Designer().CheckImages = true;
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the main window was not shown");
    // The platform activates the window some time after showing it; were that
    // to land while a dialog of the test is open, the dialog would lose the
    // focus to it and a value typed there would not be applied.
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("the main window was not activated");
  }

  TDesigner& Designer() const { return window->Designer(); }
  TControlPanel& Panel() const { return *Designer().ControlPanel(); }
  TPanelNetwork& Net(int index) const { return *Panel().Networks.at(static_cast<size_t>(index)); }
  TDevice& Last() const { return *Designer().Canvas().Tiles().back(); }
  QString DataPath(const QString& name) const { return dir.path() + "/Data/" + name; }

  // What the event loop would do next: refresh, and drop the widgets of deleted tiles.
  void Settle() const {
    window->FlushRefresh();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // File > New, answered in the New File dialog.
  void New(const QString& panel, int grade, const QString& file = "Shop", const QString& site = "Unit 4") {
    WhenShown<TNewFileDialog>([=](TNewFileDialog* dialog) {
      TypeOver(Control<QLineEdit>(dialog, "edSiteRef"), site);
      Choose(Control<QComboBox>(dialog, "cbPanelType"), panel);
      Choose(Control<QComboBox>(dialog, "cbGrade"), QString("Grade %1").arg(grade));
      TypeOver(Control<QLineEdit>(dialog, "edFileName"), file);
      Click(dialog, "btnOK");
    });
    Action("mnuNew")->trigger();
    Settle();
  }

  QAction* Action(const char* name) const { return Control<QAction>(window.get(), name); }
  // A control of the summary panel (some dialogs have controls of the same names).
  template <typename T>
  T* Summary(const char* name) const {
    return Control<T>(window->findChild<TSummaryPanel*>(), name);
  }
  QString Text(const char* name) const { return Summary<QLabel>(name)->text(); }
  QColor Colour(const char* name) const { return Summary<QLabel>(name)->palette().color(QPalette::WindowText); }
  QString Status() const { return Control<QLabel>(window->statusBar(), "StatusText")->text(); }
  QToolButton* Button(int number) const {
    return Control<QToolButton>(window.get(), qPrintable(QString("ToolButton%1").arg(number)));
  }
  QWidget* Canvas() const { return window->CanvasView().Content(); }
  TTileWidget* Widget(const TDevice& tile) const { return window->CanvasView().WidgetOf(tile); }

  // A toolbar button, then a press on the canvas: the new tile.
  TDevice& Place(int button, QPoint at) {
    QTest::mouseClick(Button(button), Qt::LeftButton);
    QTest::mouseClick(Canvas(), Qt::LeftButton, {}, at);
    Settle();
    return Last();
  }

  // Drags `tile` from its centre to a canvas point: press, moves and release
  // all reach the pressed tile, as they do while the button is held. The
  // cursor shown before the release comes back.
  Qt::CursorShape Drag(const TDevice& tile, QPoint to) {
    TTileWidget* widget = Widget(tile);
    const QPoint start = widget->rect().center();
    const QPoint end = widget->mapFromGlobal(Canvas()->mapToGlobal(to));
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    QTest::mouseMove(widget, (start + end) / 2);
    QTest::mouseMove(widget, end);
    const QCursor* cursor = QGuiApplication::overrideCursor();
    const Qt::CursorShape shape = cursor ? cursor->shape() : Qt::ArrowCursor;
    QTest::mouseRelease(widget, Qt::LeftButton, {}, end);
    Settle();
    return shape;
  }

  // A double click as the window system sends it.
  static void DoubleClick(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
  }

  QTemporaryDir dir;
  TMemorySettingsStore store;
  std::unique_ptr<TMainWindow> window;
};

}  // namespace voltaris::testing
