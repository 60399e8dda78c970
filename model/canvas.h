// The canvas model: owns every tile, in creation order, which is also the
// save order and the order Tidy-Up walks. Positions are absolute canvas
// coordinates; the grid is 30 pixels from the canvas origin.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/device.h"
#include "model/on_battery.h"
#include "model/project_context.h"
#include "model/signal.h"

namespace voltaris {

// A tile came or is about to go (told before it is destroyed), so that a
// view can add or drop its widget.
struct TCanvasEvent {
  enum TKind { TileAdded, TileRemoved };
  TKind Kind;
  TDevice* Tile;
};

class TCanvas {
 public:
  TCanvas() = default;
  // A canvas of a project that starts from these settings.
  explicit TCanvas(const TSettings& settings) { context_.Settings = settings; }
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  inline static constexpr int GridSize = 30;

  // Creates a tile of class T on this canvas and appends it.
  template <typename T, typename... Args>
  T& Create(Args&&... args) {
    auto tile = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T& result = *tile;
    Append(std::move(tile));
    return result;
  }
  // Creates a tile by its stored class name; null for a name that is not a tile class.
  TDevice* CreateByClassName(const std::string& className);
  // The class names a tile can be stored under.
  static const std::vector<std::string>& TileClassNames();

  // Destroys one tile (the tile must not be in use by the caller afterwards).
  void Destroy(TDevice* tile);
  // Destroys every tile without letting them touch each other on the way:
  // links between tiles are not undone one by one, they all go together.
  void Clear();
  bool Clearing() const { return clearing_; }

  const std::vector<std::unique_ptr<TDevice>>& Tiles() const { return tiles_; }
  int IndexOf(const TDevice* tile) const;

  // The project the canvas belongs to: its settings, filter, dialogs and counters.
  TProjectContext& Context() { return context_; }
  const TProjectContext& Context() const { return context_; }

  // The check on battery of the canvas's devices, kept as they change; read
  // through WorkOutFailedChecks.
  TOnBatteryChecks& OnBatteryChecks() const { return onBattery_; }

  // Every tile added and removed.
  TSignal<TCanvas, TCanvasEvent> OnTilesChanged;

  bool SnapToGrid = false;

 private:
  void Append(std::unique_ptr<TDevice> tile);

  // Declared first: it outlives the tiles, which read it while they go.
  TProjectContext context_;
  // Before the tiles too: they tell it of their changes until they go.
  mutable TOnBatteryChecks onBattery_;
  std::vector<std::unique_ptr<TDevice>> tiles_;
  bool clearing_ = false;
};

}  // namespace voltaris
