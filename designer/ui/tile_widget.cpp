#include "designer/ui/tile_widget.h"

#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSvgRenderer>
#include <algorithm>

#include "designer/canvas_controller.h"
#include "designer/ui/canvas_view.h"
#include "designer/ui/pictures.h"
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

TTileWidget::~TTileWidget() { EndDrag(); }

void TTileWidget::TileRemoved() {
  EndDrag();
  changed_.Detach();
}

void TTileWidget::Bind(TDevice& tile) {
  TileRemoved();
  tile_ = &tile;
  tile.OnChanged.Attach(changed_);
  FollowTile();
  if (isHidden()) show();
  // Out of view it is painted when scrolled into view.
  if (geometry().intersects(view_.VisibleRect())) update();
}

void TTileWidget::FollowTile() {
  const TDevice* tile = Tile();
  if (!tile) return;
  setGeometry(tile->Left(), tile->Top(), tile->Width(), tile->Height());
  setToolTip(tile->ShowHint() ? ToQString(tile->Hint()) : QString());
}

void TTileWidget::TileChanged(unsigned changes) {
  if (changes & (ChangedGeometry | ChangedHint)) FollowTile();
  if (changes & ChangedGeometry) view_.TileGeometryChanged();
  if (changes & ChangedWires) view_.WiresChanged();
  // A burst of changes (a grade change re-evaluates every device) repaints
  // only the tiles in view: asking for the others would cost without showing.
  if (geometry().intersects(view_.VisibleRect())) update();
}

void TTileWidget::paintEvent(QPaintEvent*) {
  const TDevice* tile = Tile();
  if (!tile) return;
  QPainter painter(this);
  const int w = width();
  const int h = height();
  painter.fillRect(rect(), ToQColor(tile->Color()));

  const qreal ratio = devicePixelRatioF();
  if (!tile->Picture().empty()) {
    const QPixmap picture = Picture(":/devices", tile->Picture(), QSize(w, h), ratio);
    if (!picture.isNull()) painter.drawPixmap(0, 0, picture);
  }
  if (!tile->StatusImage().empty()) {
    const QPixmap light = Picture(":/status", tile->StatusImage(), QSize(14, 14), ratio);
    if (!light.isNull()) painter.drawPixmap(w - 18, h - 18, light);
  }

  if (const auto* network = dynamic_cast<const TPanelNetwork*>(tile)) {
    // The block's outline, then its labels.
    painter.setPen(QColor(150, 140, 120));
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.setPen(Qt::black);
    // The block is narrow: the labels in the tile's own type share the
    // largest size at which the widest of them still fits.
    QFont own = font();
    const int room = w - 2;
    auto widest = [&](const QFont& type) {
      int result = 0;
      for (const TTileLabel& label : network->Labels) {
        if (label.Visible && label.PointSize == 0) {
          result = std::max(result, label.Left + QFontMetrics(type).horizontalAdvance(ToQString(label.Text)));
        }
      }
      return result;
    };
    while (widest(own) > room && own.pointSizeF() > 6) own.setPointSizeF(own.pointSizeF() - 0.5);
    for (const TTileLabel& label : network->Labels) {
      if (!label.Visible || label.Text.empty()) continue;
      QFont type = own;
      if (label.PointSize > 0) type.setPointSize(label.PointSize);
      type.setBold(label.Bold);
      painter.setFont(type);
      painter.drawText(QRect(label.Left, label.Top, room - label.Left, h - label.Top), Qt::AlignLeft | Qt::AlignTop,
                       ToQString(label.Text));
    }
  }
  PaintSelection(painter);
}

void TTileWidget::PaintSelection(QPainter& painter) {
  if (view_.CanvasControl().SelectedTile != tile_) return;
  // The tile last clicked: the one the Delete key takes.
  QPen pen(QColor(0, 90, 200), 2);
  pen.setStyle(Qt::DashLine);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
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
  view_.Run([&] { result = view_.CanvasControl().TileMouseDown(tile, ButtonOf(event), ShiftOf(event), doubleClick); });
  // A Ctrl-click deleted the tile (this widget goes with it); a dialog may
  // have run its own event loop in between.
  if (!self || !Tile() || result != TMouseResult::BeginDrag) return;
  dragging_ = true;
  QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
}

void TTileWidget::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!dragging_ || !Tile()) return;
  const QPoint global = mapToGlobal(event->position().toPoint());
  bool accepted = false;
  if (view_.OnCanvas(global)) {
    TDevice* target = view_.TileAt(global);
    TDevice& source = *tile_;
    view_.Run([&] { accepted = view_.CanvasControl().DragOver(target, source); });
  }
  QGuiApplication::changeOverrideCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
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
}

}  // namespace voltaris
