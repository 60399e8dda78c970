#include "designer/ui/canvas_view.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <array>

#include "designer/designer.h"
#include "designer/guidance.h"
#include "designer/ui/tile_widget.h"
#include "drawing/tile_painter.h"
#include "model/net_device.h"
#include "model/wire.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

// The cable runs of a tile: its data run and its power run, where it has them.
std::array<const TWire*, 2> WiresOf(const TDevice& tile) {
  const auto* device = dynamic_cast<const TNetDevice*>(&tile);
  if (!device) return {nullptr, nullptr};
  return {device->ParentWire.get(), device->SupplyWire.get()};
}

QRect RectOf(const TWire& wire) { return QRect(wire.Left, wire.Top, wire.Width, wire.Height); }

// The canvas itself: the cable runs beneath the tiles, and presses on the
// background for placing devices and supplies.
class TCanvasContent : public QWidget {
 public:
  TCanvasContent(TCanvasView& view, QWidget* parent) : QWidget(parent), view_(view) {
    setObjectName("Canvas");
    setAutoFillBackground(true);
    // Tiles and cable-length labels use the small type of a drawing.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
  }

  // Paints `area` again. The areas asked for before the next paint are
  // painted as the one rectangle around them: a region of many scattered
  // rectangles (the tiles a grade change or an Undo touches) makes every
  // cable run and label beneath them slow to clip, which costs more than
  // painting what lies between them.
  void Repaint(const QRect& area) {
    if (area.isEmpty()) return;
    pending_ |= area;
    update(pending_);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    pending_ = QRect();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const QRect dirty = event->rect();
    // Only the runs the repaint reaches are painted.
    for (const auto& tile : view_.Designer().Canvas().Tiles()) {
      for (const TWire* wire : WiresOf(*tile)) {
        if (wire && RectOf(*wire).intersects(dirty)) PaintWire(painter, *wire);
      }
    }
  }

  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    const QPoint point = event->position().toPoint();
    view_.Run([&] { view_.CanvasControl().CanvasPress(point.x(), point.y()); });
  }

 private:
  TCanvasView& view_;
  QRect pending_;
};

}  // namespace

// The line from a dragged tile to the pointer, above the tiles; it lets
// every press and the tile search pass through it.
class TDragLine : public QWidget {
 public:
  explicit TDragLine(QWidget* parent) : QWidget(parent) {
    setObjectName("DragLine");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
  }
  void Follow(const QPoint& from, const QPoint& to, bool accepted) {
    // Only where the line was and where it goes is painted again.
    update(Span());
    from_ = from;
    to_ = to;
    accepted_ = accepted;
    update(Span());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(accepted_ ? QColor(0, 140, 60) : QColor(200, 40, 40), 2);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawLine(from_, to_);
    painter.setBrush(pen.color());
    painter.drawEllipse(to_, 3, 3);
  }

 private:
  QRect Span() const { return QRect(from_, to_).normalized().adjusted(-5, -5, 5, 5); }

  QPoint from_, to_;
  bool accepted_ = false;
};

TCanvasView::TCanvasView(TDesigner& designer, TRunner run, QWidget* parent)
    : QScrollArea(parent),
      designer_(designer),
      control_(designer.CanvasControl()),
      run_(std::move(run)),
      designerChanged_([this](TDesigner&, const unsigned& changes) {
        // A new project: its canvas is followed at once, before its tiles change.
        if (changes & ChangedProject) FollowCanvas();
        if (changes & (ChangedProject | ChangedSelection)) ShowSelection();
      }),
      tilesChanged_([this](TCanvas& canvas, const TCanvasEvent& event) {
        if (event.Kind == TCanvasEvent::TileAdded) {
          TileAdded(*event.Tile);
        } else {
          TileRemoved(*event.Tile, canvas.Clearing());
        }
      }) {
  setObjectName("ScrollBox1");
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidgetResizable(false);
  content_ = new TCanvasContent(*this, this);
  setWidget(content_);
  dragLine_ = new TDragLine(content_);
  deviceMenu_ = new QMenu(this);
  deviceMenu_->setObjectName("DeviceMenu");
  auto item = [this](const char* text, const char* name, void (TCanvasController::*command)(TDevice&)) {
    QAction* action = deviceMenu_->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, command] {
      TDevice* tile = menuTile_;
      menuTile_ = nullptr;
      if (tile) Run([&] { (control_.*command)(*tile); });
    });
  };
  item("Set Up...", "mnuDeviceSetUp", &TCanvasController::SetUpTile);
  item("Detach", "mnuDeviceDetach", &TCanvasController::DetachTile);
  item("Delete", "mnuDeviceDelete", &TCanvasController::DeleteTile);
  resize(1050, TCanvasController::DefaultViewHeight);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TCanvasView::UserScrolled);
  hide();
  setEnabled(false);
  designer_.OnChanged.Attach(designerChanged_);
  FollowCanvas();
}

TCanvasView::~TCanvasView() = default;

void TCanvasView::FollowCanvas() {
  // Every tile of the canvas that went was reported as it went, so no
  // widget of it is left.
  designer_.Canvas().OnTilesChanged.Attach(tilesChanged_);
  SyncTiles();
}

void TCanvasView::SyncTiles() {
  // One widget per tile, stacked in creation order. Raising a widget costs
  // a walk of all the others: only when the order is not already right.
  std::vector<QObject*> order;
  order.reserve(designer_.Canvas().Tiles().size());
  for (const auto& tile : designer_.Canvas().Tiles()) {
    if (!widgets_.count(tile.get())) AddWidget(*tile);
    order.push_back(widgets_[tile.get()]);
  }
  std::vector<QObject*> stacked;
  stacked.reserve(order.size());
  for (QObject* child : content_->children()) {
    auto* widget = qobject_cast<TTileWidget*>(child);
    if (widget && widget->Tile()) stacked.push_back(widget);
  }
  if (stacked != order) {
    for (QObject* widget : order) static_cast<QWidget*>(widget)->raise();
  }
  // The content fits the canvas once the project is set up: fitted now, to
  // a canvas whose networks are not yet anchored, it would shrink and grow
  // back, and Qt would paint all of it again.
  ScheduleFit();
  // The same canvas again (a project is told to its views more than once
  // as it is set up) has had every change of its runs painted already.
  const bool replaced = &designer_.Canvas() != synced_;
  synced_ = &designer_.Canvas();
  if (replaced || !goneWires_.empty()) ShowChangedWires();
}

void TCanvasView::KeepGoneWires(const TDevice& tile) {
  const QRect visible = VisibleRect();
  for (const TWire* wire : WiresOf(tile)) {
    if (!wire || !RectOf(*wire).intersects(visible)) continue;
    if (goneWires_.empty()) QMetaObject::invokeMethod(this, &TCanvasView::WipeGoneWires, Qt::QueuedConnection);
    goneWires_.push_back(*wire);
  }
}

void TCanvasView::ShowChangedWires() {
  // Undo and Redo read the whole design back, and most of its runs are
  // where they were, painted as they were: only a run that is not in both
  // the old canvas and the new is painted again, or wiped.
  const QRect visible = VisibleRect();
  std::vector<const TWire*> now;
  for (const auto& tile : designer_.Canvas().Tiles()) {
    for (const TWire* wire : WiresOf(*tile)) {
      if (wire && RectOf(*wire).intersects(visible)) now.push_back(wire);
    }
  }
  std::vector<bool> matched(now.size(), false);
  for (const TWire& gone : goneWires_) {
    size_t i = 0;
    while (i < now.size() && (matched[i] || !(*now[i] == gone))) ++i;
    if (i < now.size()) {
      matched[i] = true;
    } else {
      RepaintArea(RectOf(gone));
    }
  }
  for (size_t i = 0; i < now.size(); ++i) {
    if (!matched[i]) RepaintArea(RectOf(*now[i]));
  }
  goneWires_.clear();
}

void TCanvasView::WipeGoneWires() {
  for (const TWire& gone : goneWires_) RepaintArea(RectOf(gone));
  goneWires_.clear();
}

void TCanvasView::AddWidget(TDevice& tile) {
  TTileWidget* widget = nullptr;
  if (spare_.empty()) {
    widget = new TTileWidget(tile, *this, content_);
  } else {
    // A canvas is cleared newest tile first, so the last widget let go is
    // the one stacked lowest: a canvas replaced whole gets its widgets back
    // in the order they were stacked, each where a tile of its place was.
    widget = spare_.back();
    spare_.pop_back();
    widget->Bind(tile);
  }
  widgets_[&tile] = widget;
}

void TCanvasView::TileAdded(TDevice& tile) {
  AddWidget(tile);
  TileGeometryChanged();
}

void TCanvasView::TileRemoved(TDevice& tile, bool clearing) {
  auto found = widgets_.find(&tile);
  if (found == widgets_.end()) return;
  TTileWidget* widget = found->second;
  widgets_.erase(found);
  if (framed_ == &tile) framed_ = nullptr;
  if (menuTile_ == &tile) menuTile_ = nullptr;
  std::erase(pointed_, &tile);
  std::erase(targets_, &tile);
  widget->TileRemoved();
  if (widget->Pressed()) {
    // The widget whose click deleted its tile goes once its event is over.
    widget->hide();
    widget->deleteLater();
  } else {
    // Any other waits, still in place and painting nothing, for a tile of
    // the same command; those left over go before the next repaint.
    spare_.push_back(widget);
    if (spare_.size() == 1) QMetaObject::invokeMethod(this, &TCanvasView::RetireSpares, Qt::QueuedConnection);
  }
  if (clearing) {
    // The widget keeps its place until a tile takes it or it is deleted,
    // which paints what it covered: only the runs are left to compare.
    KeepGoneWires(tile);
    ScheduleFit();
    return;
  }
  content_->update();
  TileGeometryChanged();
}

void TCanvasView::RetireSpares() {
  for (TTileWidget* spare : spare_) delete spare;
  spare_.clear();
}

void TCanvasView::ShowSelection() {
  // The tiles of the warning clicked last are framed too.
  std::vector<const TDevice*> pointed(control_.PointedTiles().begin(), control_.PointedTiles().end());
  if (pointed != pointed_) {
    RepaintTiles(pointed_);
    pointed_ = std::move(pointed);
    RepaintTiles(pointed_);
  }
  const TDevice* selected = control_.SelectedTile();
  if (selected == framed_) return;
  if (TTileWidget* old = framed_ ? WidgetOf(*framed_) : nullptr) old->Repaint();
  framed_ = selected;
  if (TTileWidget* now = selected ? WidgetOf(*selected) : nullptr) now->Repaint();
}

void TCanvasView::RepaintTiles(const std::vector<const TDevice*>& tiles) {
  // One area for all of them, within the view: a region of many scattered
  // rectangles costs Qt more to build than painting what lies between them.
  const QRect visible = VisibleRect();
  QRect area;
  for (const TDevice* tile : tiles) {
    const QRect rect = QRect(tile->Left(), tile->Top(), tile->Width(), tile->Height()) & visible;
    if (!rect.isEmpty()) area |= rect;
  }
  RepaintArea(area);
}

void TCanvasView::RepaintArea(const QRect& area) { static_cast<TCanvasContent*>(content_)->Repaint(area); }

TTileWidget* TCanvasView::WidgetOf(const TDevice& tile) const {
  auto found = widgets_.find(&tile);
  return found == widgets_.end() ? nullptr : found->second;
}

void TCanvasView::ShowLayout() {
  setVisible(designer_.ProjectOpen);
  setEnabled(designer_.ProjectOpen && designer_.CanvasEnabled);
  content_->setCursor(control_.HandCursor() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TCanvasView::ShowScroll() {
  FitContent();
  applyingScroll_ = true;
  verticalScrollBar()->setValue(control_.ScrollTop());
  applyingScroll_ = false;
}

void TCanvasView::FitContent() {
  fitPending_ = false;
  const int height = std::max(control_.CanvasHeight(), viewport()->height());
  const QSize size(viewport()->width(), height);
  if (content_->size() != size) content_->resize(size);
}

bool TCanvasView::OnCanvas(const QPoint& global) const {
  return isVisible() && viewport()->rect().contains(viewport()->mapFromGlobal(global));
}

QPoint TCanvasView::CanvasPoint(const QPoint& global) const { return content_->mapFromGlobal(global); }

TDevice* TCanvasView::TileAt(const QPoint& global) const {
  for (QWidget* child = content_->childAt(content_->mapFromGlobal(global)); child; child = child->parentWidget()) {
    if (child == content_) break;
    if (auto* widget = qobject_cast<TTileWidget*>(child)) return widget->Tile();
  }
  return nullptr;
}

void TCanvasView::TileGeometryChanged() {
  ScheduleFit();
  content_->update();
}

void TCanvasView::ScheduleFit() {
  // A burst of moves (Tidy-Up, a reload) fits the content once.
  if (fitPending_) return;
  fitPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (fitPending_) FitContent();
  });
}

void TCanvasView::WiresChanged() { content_->update(VisibleRect()); }

bool TCanvasView::Escape() {
  for (const auto& [tile, widget] : widgets_) {
    if (widget->CancelDrag()) {
      control_.DragCancelled();
      return true;
    }
  }
  return control_.CancelPlacing();
}

void TCanvasView::ShowHint(const std::string& text) { emit HintChanged(ToQString(text)); }

void TCanvasView::ShowDeviceMenu(TDevice& tile, const QPoint& global) {
  menuTile_ = &tile;
  deviceMenu_->popup(global);
}

void TCanvasView::BeginDragFeedback(TDevice& source) {
  std::vector<TDevice*> targets;
  Run([&] { targets = control_.DropTargets(source); });
  targets_.assign(targets.begin(), targets.end());
  RepaintTiles(targets_);
  dragLine_->setGeometry(content_->rect());
  dragLine_->raise();
}

void TCanvasView::FollowDrag(const QPoint& global, const TDevice& source, const TDevice* target, bool accepted) {
  const QPoint from(source.Left() + source.Width() / 2, source.Top() + source.Height() / 2);
  dragLine_->setGeometry(content_->rect());
  dragLine_->Follow(from, CanvasPoint(global), accepted);
  if (dragLine_->isHidden()) dragLine_->show();
  ShowHint(OnCanvas(global) ? DropHint(target, source, accepted) : std::string());
}

void TCanvasView::EndDragFeedback() {
  dragLine_->hide();
  std::vector<const TDevice*> targets;
  targets.swap(targets_);
  RepaintTiles(targets);
  ShowHint({});
}

bool TCanvasView::DropHighlighted(const TDevice& tile) const {
  return std::find(targets_.begin(), targets_.end(), &tile) != targets_.end();
}

bool TCanvasView::Pointed(const TDevice& tile) const {
  return std::find(pointed_.begin(), pointed_.end(), &tile) != pointed_.end();
}

QRect TCanvasView::VisibleRect() const {
  return QRect(QPoint(0, verticalScrollBar()->value()), viewport()->size());
}

void TCanvasView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  ReportGeometry();
  FitContent();
}

void TCanvasView::moveEvent(QMoveEvent* event) {
  QScrollArea::moveEvent(event);
  ReportGeometry();
}

void TCanvasView::ReportGeometry() {
  control_.SetViewHeight(viewport()->height());
  const QPoint origin = viewport()->mapTo(window(), QPoint(0, 0));
  control_.SetCanvasOrigin(origin.x(), origin.y());
}

void TCanvasView::UserScrolled(int value) {
  if (applyingScroll_) return;
  control_.SetScroll(value);
}

}  // namespace voltaris
