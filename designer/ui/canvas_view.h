// The designer canvas on screen (`ScrollBox1`): a vertically scrolling area
// whose content is as tall as the design. The content paints the cable runs
// and takes presses on the background; one tile widget per model tile sits
// on it, in creation order. The view follows the designer's scroll position
// and reports the user's scrolling and its own height back.
#pragma once

#include <QScrollArea>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/canvas.h"
#include "model/wire.h"

class QMenu;

namespace voltaris {

class TCanvasController;
class TDesigner;
class TDragLine;
class TTileWidget;

class TCanvasView : public QScrollArea {
  Q_OBJECT

 public:
  // Runs a command of the designer, reporting what it throws.
  using TRunner = std::function<void(const std::function<void()>&)>;

  TCanvasView(TDesigner& designer, TRunner run, QWidget* parent);
  ~TCanvasView() override;
  TCanvasView(const TCanvasView&) = delete;
  TCanvasView& operator=(const TCanvasView&) = delete;

  TDesigner& Designer() const { return designer_; }
  // The designer's canvas controller, which takes the presses, drags and drops.
  TCanvasController& CanvasControl() const { return control_; }
  void Run(const std::function<void()>& command) const { run_(command); }

  // Makes the tile widgets match the tiles of the canvas: one each, stacked
  // in creation order.
  void SyncTiles();

  // Visibility, enabled state and the placing cursor, from the designer.
  void ShowLayout();
  // Scrolls to the designer's ScrollTop.
  void ShowScroll();
  // Makes the content as tall as the design and as wide as the view.
  void FitContent();

  // The content widget: canvas coordinates are its coordinates.
  QWidget* Content() const { return content_; }
  // Whether a screen point lies over the visible canvas.
  bool OnCanvas(const QPoint& global) const;
  // The canvas point under a screen point.
  QPoint CanvasPoint(const QPoint& global) const;
  // The tile under a screen point, or null for the background.
  TDevice* TileAt(const QPoint& global) const;
  TTileWidget* WidgetOf(const TDevice& tile) const;
  // Paints these tiles again where they show in the view.
  void RepaintTiles(const std::vector<const TDevice*>& tiles);
  // Paints this part of the canvas again.
  void RepaintArea(const QRect& area);
  // Escape: ends a drag without a drop, or else lets go of the device
  // chosen for placing. False when there was neither.
  bool Escape();

  // From the tile widgets: a tile moved or resized, cable runs changed.
  void TileGeometryChanged();
  void WiresChanged();
  // The part of the canvas the view shows, in canvas coordinates: a tile
  // outside it needs no repaint now (it is painted when scrolled into view).
  QRect VisibleRect() const;

  // Tells the designer the view's height and where the canvas starts in the
  // window (the window's other parts may have moved it since the last report).
  void ReportGeometry();

  // --- finding one's way ---
  // A text for the status bar (empty: none), from the designer.
  void ShowHint(const std::string& text);
  // The menu of a network device at a screen point: Set Up..., Detach, Delete.
  void ShowDeviceMenu(TDevice& tile, const QPoint& global);
  QMenu* DeviceMenu() const { return deviceMenu_; }
  // A drag of `source` begins: the tiles that would take it are highlighted.
  void BeginDragFeedback(TDevice& source);
  // The pointer, dragging `source`, is at a screen point over `target` (null:
  // the background), which would take the drop when `accepted`.
  void FollowDrag(const QPoint& global, const TDevice& source, const TDevice* target, bool accepted);
  void EndDragFeedback();
  // Whether `tile` is highlighted as a target of the drag in progress.
  bool DropHighlighted(const TDevice& tile) const;
  // Whether `tile` is one of the tiles of the warning clicked last.
  bool Pointed(const TDevice& tile) const;

 signals:
  // The status bar's text while the pointer is over a tile or a drag goes on.
  void HintChanged(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  // Shows the designer's canvas: its tiles now, and those that come and go.
  void FollowCanvas();
  void TileAdded(TDevice& tile);
  // `clearing`: the whole canvas is being taken down.
  void TileRemoved(TDevice& tile, bool clearing);
  void AddWidget(TDevice& tile);
  // The content fits the canvas once a burst of tile changes is over.
  void ScheduleFit();
  // The runs in view of a canvas taken down whole, kept to be compared with
  // those of the canvas that follows it.
  void KeepGoneWires(const TDevice& tile);
  // Paints again only the runs in view that are not the same in both.
  void ShowChangedWires();
  // The runs kept of a canvas no other followed: where they were is wiped.
  void WipeGoneWires();
  void UserScrolled(int value);
  // Deletes the widgets no tile took back.
  void RetireSpares();
  // The selection frame moves to the designer's selected tile.
  void ShowSelection();

  TDesigner& designer_;
  TCanvasController& control_;
  TRunner run_;
  TSlot<TDesigner, unsigned> designerChanged_;
  TSlot<TCanvas, TCanvasEvent> tilesChanged_;
  QWidget* content_;
  std::map<const TDevice*, TTileWidget*> widgets_;
  // Widgets whose tiles went, hidden, kept for the next tiles: Undo, Redo
  // and Load replace every tile at once, and a widget bound to a new tile
  // costs far less than a new widget.
  std::deque<TTileWidget*> spare_;
  std::vector<TWire> goneWires_;
  // The canvas whose tiles the widgets last showed; compared, never followed.
  const TCanvas* synced_ = nullptr;
  const TDevice* framed_ = nullptr;  // the tile drawn with the selection frame
  std::vector<const TDevice*> pointed_;  // the tiles drawn as a warning's
  std::vector<const TDevice*> targets_;  // the drop targets of the drag in progress
  TDragLine* dragLine_ = nullptr;
  QMenu* deviceMenu_ = nullptr;
  TDevice* menuTile_ = nullptr;  // the device the menu is open for
  bool applyingScroll_ = false;
  bool fitPending_ = false;
};

}  // namespace voltaris
