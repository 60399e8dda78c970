// One tile of the designer canvas on screen: paints its model tile (colour,
// picture, status light, a panel network's labels) and turns mouse presses,
// double clicks and drags into the designer's tile commands. A drag is
// tracked with the widget's own mouse events from press to release, so the
// drop rules of the model decide every step and a test can drive it.
#pragma once

#include <QWidget>

#include "model/device.h"

namespace voltaris {

class TCanvasView;

class TTileWidget : public QWidget, public ITileView {
  Q_OBJECT

 public:
  TTileWidget(TDevice& tile, TCanvasView& view, QWidget* parent);
  ~TTileWidget() override;
  TTileWidget(const TTileWidget&) = delete;
  TTileWidget& operator=(const TTileWidget&) = delete;

  // The model tile, or null once it is gone.
  TDevice* Tile() const { return tile_; }
  // The tile is going: let go of it and never touch it again. `tileAlive`
  // is false when the tile is already destroyed.
  void Forget(bool tileAlive);
  // A drag of this tile is in progress.
  bool Dragging() const { return dragging_; }

  // ITileView
  void TileChanged(TDevice& tile, unsigned changes) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Press(QMouseEvent* event, bool doubleClick);
  void EndDrag();
  void FollowTile();

  TDevice* tile_;
  TCanvasView& view_;
  bool dragging_ = false;
};

}  // namespace voltaris
