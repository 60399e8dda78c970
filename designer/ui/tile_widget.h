// One tile of the designer canvas on screen: paints its model tile (colour,
// picture, status light, a panel network's labels) and turns mouse presses,
// double clicks and drags into the designer's tile commands. A drag is
// tracked with the widget's own mouse events from press to release, so the
// drop rules of the model decide every step and a test can drive it.
#pragma once

#include <QPixmapCache>
#include <QWidget>

#include "model/device.h"
#include "model/tile_look.h"

class QPainter;

namespace voltaris {

class TCanvasView;

class TTileWidget : public QWidget {
  Q_OBJECT

 public:
  TTileWidget(TDevice& tile, TCanvasView& view, QWidget* parent);
  ~TTileWidget() override;
  TTileWidget(const TTileWidget&) = delete;
  TTileWidget& operator=(const TTileWidget&) = delete;

  // The model tile, or null once it is gone (the widget's slot on the tile
  // went with it).
  TDevice* Tile() const { return changed_.Attached() ? tile_ : nullptr; }
  // A drag of this tile is in progress.
  bool Dragging() const { return dragging_; }
  // The tile is leaving the canvas: a drag of it ends.
  void TileRemoved();
  // Escape: a drag of this tile ends where it is, with no drop. True when
  // there was one.
  bool CancelDrag();
  // Shows `tile` from now on (a widget whose tile went, used again).
  void Bind(TDevice& tile);
  // A press of this widget is being handled.
  bool Pressed() const { return pressing_ > 0; }
  // The hint shown when the pointer rests on the tile; empty for none.
  QString HintText() const;
  // Paints the tile again, asked of the canvas for the tile's area: a tile
  // widget marked for painting on its own makes Qt check it against every
  // tile stacked above it, a walk of the whole canvas per tile.
  void Repaint();

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void Press(QMouseEvent* event, bool doubleClick);
  // The selection frame, and the marks of a drop target and of a warning's
  // tile; true when it painted any of them.
  bool PaintSelection(QPainter& painter);
  void EndDrag();
  void FollowTile();
  void TileChanged(unsigned changes);

  TDevice* tile_;
  TCanvasView& view_;
  TSlot<TDevice, unsigned> changed_;
  bool dragging_ = false;
  int pressing_ = 0;
  // What the last paint put on the screen: the tile's look and whether a
  // frame or mark was drawn over it.
  TTileLook painted_;
  bool paintedMarks_ = false;
  // The tile as last drawn, kept in Qt's pixmap cache (which lets it go when
  // full): a tile that only moved (Tidy-Up, a scroll) is copied, not drawn
  // again with its picture and labels.
  QPixmapCache::Key drawn_;
  TTileLook drawnLook_;  // at the widget's origin
  qreal drawnRatio_ = 0;
};

}  // namespace voltaris
