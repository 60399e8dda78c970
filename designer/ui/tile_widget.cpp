#include "designer/ui/tile_widget.h"

#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QPointer>
#include <QToolTip>
#include <algorithm>

#include "designer/canvas_controller.h"
#include "designer/guidance.h"
#include "designer/ui/canvas_view.h"
#include "drawing/tile_painter.h"
#include "model/advice.h"
#include "model/panel_network.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

TMouseButton ButtonOf(const QMouseEvent* event) {
  switch (event->button()) {
    case Qt::RightButton:
      return TMouseButton::Right;
    case Qt::MiddleButton:
      return TMouseButton::Middle;
    default:
      return TMouseButton::Left;
  }
}

TShiftState ShiftOf(const QMouseEvent* event) {
  const Qt::KeyboardModifiers keys = event->modifiers();
  return {keys.testFlag(Qt::AltModifier), keys.testFlag(Qt::ControlModifier), keys.testFlag(Qt::ShiftModifier)};
}


}  // namespace

TTileWidget::TTileWidget(TDevice& tile, TCanvasView& view, QWidget* parent)
    : QWidget(parent),
      tile_(&tile),
      view_(view),
      changed_([this](TDevice&, const unsigned& changes) { TileChanged(changes); }) {
  setObjectName("Tile");
  // Pressing a tile never places a device, so the placing hand stays on the background.
  setCursor(Qt::ArrowCursor);
  tile.OnChanged.Attach(changed_);
  FollowTile();
  show();
}

TTileWidget::~TTileWidget() {
  // The view may be going too: only the cursor is put back.
  if (dragging_) QGuiApplication::restoreOverrideCursor();
  QPixmapCache::remove(drawn_);
}

void TTileWidget::TileRemoved() {
  EndDrag();
  changed_.Detach();
}

bool TTileWidget::CancelDrag() {
  if (!dragging_) return false;
  EndDrag();
  return true;
}

void TTileWidget::Bind(TDevice& tile) {
  TileRemoved();
  tile_ = &tile;
  tile.OnChanged.Attach(changed_);
  FollowTile();
  if (isHidden()) show();
  // Out of view it is painted when scrolled into view. In view, a project
  // read back whole (Undo, Redo) mostly puts the same tile where it was:
  // only a widget that would show something else is painted again.
  if (geometry().intersects(view_.VisibleRect()) && (paintedMarks_ || !(LookOf(tile) == painted_))) Repaint();
}

void TTileWidget::FollowTile() {
  const TDevice* tile = Tile();
  if (!tile) return;
  setGeometry(tile->Left(), tile->Top(), tile->Width(), tile->Height());
}

QString TTileWidget::HintText() const {
  const TDevice* tile = Tile();
  return tile ? ToQString(TileHintText(*tile)) : QString();
}

bool TTileWidget::event(QEvent* event) {
  // The hint is worked out when it is asked for: whether the device holds its
  // minimum on battery follows every figure of its chain, and working that
  // out on each change would cost every command for a hint seldom shown.
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const QString text = HintText();
  if (text.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
  }
  return true;
}

void TTileWidget::TileChanged(unsigned changes) {
  if (changes & ChangedGeometry) FollowTile();
  if (changes & ChangedGeometry) view_.TileGeometryChanged();
  if (changes & ChangedWires) view_.WiresChanged();
  // A burst of changes (a grade change re-evaluates every device) repaints
  // only the tiles in view: asking for the others would cost without showing.
  if (geometry().intersects(view_.VisibleRect())) Repaint();
}

void TTileWidget::Repaint() { view_.RepaintArea(geometry()); }

void TTileWidget::paintEvent(QPaintEvent*) {
  const TDevice* tile = Tile();
  if (!tile) {
    painted_ = {};
    paintedMarks_ = false;
    return;
  }
  painted_ = LookOf(*tile);
  TTileLook look = painted_;
  look.Left = look.Top = 0;  // where it stands does not change its pixels
  const qreal ratio = devicePixelRatioF();
  QPixmap drawn;
  if (look.Width <= 0 || look.Height <= 0) {
    // Nothing of the tile shows.
  } else if (!(look == drawnLook_) || ratio != drawnRatio_ || !QPixmapCache::find(drawn_, &drawn)) {
    // Every tile fills its whole rectangle with its opaque colour first, so
    // the copy shows exactly what painting it here would.
    drawn = QPixmap(QSize(look.Width, look.Height) * ratio);
    drawn.setDevicePixelRatio(ratio);
    {
      QPainter painter(&drawn);
      PaintTile(painter, look, QPointF(0, 0), font(), {false, ratio});
    }
    QPixmapCache::remove(drawn_);
    drawn_ = QPixmapCache::insert(drawn);
    drawnLook_ = std::move(look);
    drawnRatio_ = ratio;
  }
  QPainter painter(this);
  if (!drawn.isNull()) painter.drawPixmap(0, 0, drawn);
  paintedMarks_ = PaintSelection(painter);
}

bool TTileWidget::PaintSelection(QPainter& painter) {
  painter.setBrush(Qt::NoBrush);
  bool marked = false;
  // A tile that would take the tile being dragged: a green band inside its edge.
  if (view_.DropHighlighted(*tile_)) {
    painter.setPen(QPen(QColor(0, 170, 70, 200), 4));
    painter.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
    marked = true;
  }
  // A tile the warning clicked last is about.
  if (view_.Pointed(*tile_)) {
    painter.setPen(QPen(QColor(230, 120, 0), 2));
    painter.drawRect(QRectF(rect()).adjusted(4, 4, -4, -4));
    marked = true;
  }
  if (view_.CanvasControl().SelectedTile() != tile_) return marked;
  // The tile last clicked: the one the Delete key takes.
  QPen pen(QColor(0, 90, 200), 2);
  pen.setStyle(Qt::DashLine);
  painter.setPen(pen);
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  return true;
}

void TTileWidget::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  // While a drag goes on, the status bar tells what a drop would do instead.
  if (const TDevice* tile = Tile(); tile && !QGuiApplication::overrideCursor()) view_.ShowHint(TileGestureHint(*tile));
}

void TTileWidget::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!QGuiApplication::overrideCursor()) view_.ShowHint({});
}

void TTileWidget::mousePressEvent(QMouseEvent* event) { Press(event, false); }

void TTileWidget::mouseDoubleClickEvent(QMouseEvent* event) { Press(event, true); }

void TTileWidget::Press(QMouseEvent* event, bool doubleClick) {
  event->accept();
  if (!Tile() || dragging_) return;
  TDevice& tile = *tile_;
  const QPointer<TTileWidget> self(this);
  // While the press is handled this widget is not used for another tile.
  ++pressing_;
  struct Done {
    const QPointer<TTileWidget>& widget;
    ~Done() {
      if (widget) --widget->pressing_;
    }
  } done{self};
  TMouseResult result = TMouseResult::Nothing;
  // A supply's menu opens at its tile: where the canvas is in the window now.
  if (ButtonOf(event) == TMouseButton::Right) view_.ReportGeometry();
  view_.Run([&] { result = view_.CanvasControl().TileMouseDown(tile, ButtonOf(event), ShiftOf(event), doubleClick); });
  // A Ctrl-click deleted the tile (this widget goes with it); a dialog may
  // have run its own event loop in between.
  if (!self || !Tile()) return;
  // A right click on a network device offers what its gestures do.
  if (ButtonOf(event) == TMouseButton::Right && !doubleClick && tile.AsNetDevice()) {
    view_.ShowDeviceMenu(tile, mapToGlobal(event->position().toPoint()));
    return;
  }
  if (result != TMouseResult::BeginDrag) return;
  dragging_ = true;
  QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
  view_.BeginDragFeedback(tile);
}

void TTileWidget::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_ || !Tile()) return;
  const QPoint global = mapToGlobal(event->position().toPoint());
  bool accepted = false;
  TDevice* target = nullptr;
  TDevice& source = *tile_;
  if (view_.OnCanvas(global)) {
    target = view_.TileAt(global);
    view_.Run([&] { accepted = view_.CanvasControl().DragOver(target, source); });
  }
  QGuiApplication::changeOverrideCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  view_.FollowDrag(global, source, target, accepted);
}

void TTileWidget::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_) return;
  EndDrag();
  if (!Tile()) return;
  const QPoint global = mapToGlobal(event->position().toPoint());
  if (!view_.OnCanvas(global)) return;
  TDevice* target = view_.TileAt(global);
  TDevice& source = *tile_;
  view_.Run([&] {
    TCanvasController& control = view_.CanvasControl();
    if (!control.DragOver(target, source)) return;
    // On the background the tile's centre goes to the pointer; on a tile the
    // point is given in that tile's coordinates.
    QPoint point = view_.CanvasPoint(global);
    if (target) point -= QPoint(target->Left(), target->Top());
    control.Drop(target, source, point.x(), point.y());
  });
}

void TTileWidget::EndDrag() {
  if (!dragging_) return;
  dragging_ = false;
  QGuiApplication::restoreOverrideCursor();
  view_.EndDragFeedback();
}

}  // namespace voltaris
