// The canvas as the user works on it: the press mode and the tool chosen on
// the toolbar, placing devices and supplies, presses on tiles, dragging and
// dropping, the supply last right-clicked and its "Clone to" menu, Tidy-Up
// and snapping, the top of each network's section, and the scroll position
// and height of the view. It works on the open project's canvas and control
// panel, which it reaches through its designer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "designer/designer_host.h"
#include "model/canvas.h"
#include "model/device.h"
#include "model/signal.h"

namespace voltaris {

class IEditContext;

// What a press on the canvas background does.
enum class TPressMode { None, PlaceDevice, PlacePSU };

class TCanvasController {
 public:
  static constexpr int NetworkCountMax = 8;
  static constexpr int DefaultViewHeight = 400;
  static constexpr int DefaultCanvasOffsetTop = 256;
  // The status bar after Escape.
  static constexpr const char* PlacingCancelledText = "Placing cancelled - Select Component From Toolbar";
  static constexpr const char* DragCancelledText = "Drag cancelled - nothing was moved";

  TCanvasController(IEditContext& editor, IDesignerHost& host);
  TCanvasController(const TCanvasController&) = delete;
  TCanvasController& operator=(const TCanvasController&) = delete;

  // Forgets the supplies of the project that goes, before it goes.
  void ForgetSupplies();
  // Listens to `canvas`, the open project's: right clicks on its supplies,
  // tiles that come and go.
  void FollowCanvas(TCanvas& canvas);
  // The "Clone to" items a panel type offers.
  void ShowCloneItems(int32_t panelType);

  // --- the networks ---
  void CreateNetworkAnchors(int count);
  void ShowNetwork(int index);

  // --- the Arrange menu and the supply menu ---
  void ToggleSnapToGrid();
  void TidyUp();
  // Selects `tile` (null for none): the tile last clicked, framed on the canvas.
  void Select(TDevice* tile);
  // The Delete key: the selected tile goes as a Ctrl-click takes it.
  void DeleteSelected();
  void CloneTo(int network);

  // --- presses, drags and drops ---
  void ChooseDevice(int tool);
  void ChoosePSU();
  // A press on the canvas background, in canvas coordinates.
  void CanvasPress(int x, int y);
  void PlaceDevice(int x, int y);
  void PlacePSU(int x, int y);
  // A press on a tile: the click rules of the tiles. BeginDrag when the view
  // must start dragging the tile.
  TMouseResult TileMouseDown(TDevice& tile, TMouseButton button, TShiftState shift, bool doubleClick);
  // Whether `source`, dragged over `target` (null: the canvas background),
  // may be dropped there.
  bool DragOver(TDevice* target, TDevice& source);
  // `source` dropped on `target` (null: the canvas background, where the
  // tile's centre moves to the canvas point (x, y)).
  void Drop(TDevice* target, TDevice& source, int x, int y);
  bool CanvasDragOver(TDevice& source);
  void CanvasDrop(TDevice& source, int x, int y);
  // The right-click handler of every supply tile.
  void PSURightClick(TDevice& psu);
  // Every tile that would take `source` dropped on it, in creation order:
  // the tiles a drag of it highlights.
  std::vector<TDevice*> DropTargets(TDevice& source);

  // --- the device menu: the commands of the gestures, each one undo step ---
  void SetUpTile(TDevice& tile);   // a double click
  void DetachTile(TDevice& tile);  // an Alt-click
  void DeleteTile(TDevice& tile);  // a Ctrl-click

  // A click on line `line` of the live warning list: the tiles it is about
  // become the pointed tiles and the first is selected and scrolled into
  // view; each further click on the same line moves on to the next.
  void PointAtWarning(size_t line);
  // A click on the line of the checks beyond the light: as a warning's
  // click, over `tiles` (the checks' save indexes).
  void PointAtChecks(const std::vector<int32_t>& tiles);

  // --- the view ---
  // The view reports its scroll position and height (canvas pixels).
  void SetScroll(int top);
  void SetViewHeight(int height);
  // The smallest scroll that shows canvas point y.
  void ScrollInView(int y);
  // Scrolls the first network's section into view (the top of the canvas
  // when there is none), or the current network's when there is one.
  void ScrollToFirstNetwork();
  void ScrollToCurrentNetwork();
  // The height of everything on the canvas: tiles and network anchors.
  int CanvasHeight() const;

  // Placing from the toolbar ends: no tool is chosen, or the press no
  // longer places anything.
  void DeselectTool() { selectedTool_ = -1; }
  void StopPlacing() { pressMode_ = TPressMode::None; }
  // Escape: a device or supply chosen for placing is let go, so that the
  // next press places nothing, and the status bar says so. False when
  // nothing was being placed.
  bool CancelPlacing();
  // Escape during a drag: the view ended it without a drop; the status bar says so.
  void DragCancelled();
  // The canvas was emptied: no network sections, no supply chosen.
  void CanvasCleared();
  // Where the canvas starts in the window (the supply menu opens below a
  // tile, in the window's coordinates).
  void SetCanvasOrigin(int left, int top);

  // --- state (read by the window; changed only through the methods above) ---
  TPressMode PressMode() const { return pressMode_; }
  int SelectedTool() const { return selectedTool_; }
  TDevice* SelectedDevice() const { return selectedDevice_; }                  // the supply last right-clicked
  TDevice* SelectedTile() const { return selectedTile_; }                      // the tile last clicked
  const std::vector<TDevice*>& PointedTiles() const { return pointedTiles_; }  // of the warning clicked last
  bool HandCursor() const { return handCursor_; }
  const std::vector<int>& NetworkAnchors() const { return networkAnchors_; }  // each network section's top
  const std::array<bool, NetworkCountMax>& NetLabelVisible() const { return netLabelVisible_; }
  bool CloneToVisible() const { return cloneToVisible_; }
  const std::array<bool, NetworkCountMax>& CloneItemVisible() const { return cloneItemVisible_; }
  const std::array<bool, NetworkCountMax>& CloneItemEnabled() const { return cloneItemEnabled_; }
  int ScrollTop() const { return scrollTop_; }
  int ViewHeight() const { return viewHeight_; }
  int CanvasOffsetTop() const { return canvasOffsetTop_; }
  int CanvasOffsetLeft() const { return canvasOffsetLeft_; }

 private:
  // Points at `tiles`, the next of them when the same line is clicked again.
  void PointAt(std::vector<TDevice*> tiles, size_t line);
  void TilesChanged(const TCanvasEvent& event);
  void TidyTiles();
  // Opens the supply menu when a supply tile is right-clicked.
  void WatchSupply(TDevice& tile);

  // Shows all of `tile`, or as much as the view's height takes, from its top.
  void ScrollTileInView(const TDevice& tile);

  IEditContext& editor_;
  IDesignerHost& host_;
  TPressMode pressMode_ = TPressMode::None;
  int selectedTool_ = -1;
  TDevice* selectedDevice_ = nullptr;
  TDevice* selectedTile_ = nullptr;
  std::vector<TDevice*> pointedTiles_;
  bool handCursor_ = false;
  std::vector<int> networkAnchors_;
  std::array<bool, NetworkCountMax> netLabelVisible_{};
  bool cloneToVisible_ = false;
  std::array<bool, NetworkCountMax> cloneItemVisible_{};
  std::array<bool, NetworkCountMax> cloneItemEnabled_{};
  int scrollTop_ = 0;
  int viewHeight_ = DefaultViewHeight;
  int canvasOffsetTop_ = DefaultCanvasOffsetTop;
  int canvasOffsetLeft_ = 0;  // where the canvas starts in the window, left edge
  size_t pointedLine_ = 0;
  size_t pointedNext_ = 0;
  TSlot<TCanvas, TCanvasEvent> tilesChanged_;
  std::map<const TDevice*, std::unique_ptr<TSlot<TDevice, TShiftState>>> supplyClicks_;
};

// How a tile is named in the undo history: a device by its type (and
// location), a supply or a clone by what it is.
std::string TileTitle(const TDevice& tile);

}  // namespace voltaris
