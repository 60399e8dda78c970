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

  // What a writer of the canvas's file image needs to write only what
  // changed since its last image: the tiles touched since (TDevice::Touch),
  // each once, and whether any tile has gone since, which moves the save
  // order and so every link between tiles. Tiles added since are those
  // beyond the ones it wrote. Taking them starts the next round.
  struct TTouched {
    std::vector<TDevice*> Tiles;
    bool Reordered = false;
  };
  TTouched TakeTouched();
  void NoteTouched(TDevice& tile);
  // While a tile's dialog is open the dialog may change the tile in place
  // at any moment: every image taken meanwhile counts it as touched.
  class TEditing {
   public:
    explicit TEditing(TDevice& tile);
    ~TEditing();
    TEditing(const TEditing&) = delete;
    TEditing& operator=(const TEditing&) = delete;

   private:
    TCanvas& canvas_;
    TDevice* before_;
  };

  // Whatever a caller keeps about the tiles between calls (the undo
  // history's record bytes): kept with the canvas, so that it never
  // outlives the tiles it describes.
  class TKeep {
   public:
    virtual ~TKeep() = default;
  };
  std::unique_ptr<TKeep> Kept;

  bool SnapToGrid = false;

 private:
  void Append(std::unique_ptr<TDevice> tile);
  // A tile is going: it is never listed as touched again, and the list so
  // far is dropped, since the next image writes every tile afresh.
  void LetGo(TDevice& tile);

  // Declared first: it outlives the tiles, which read it while they go.
  TProjectContext context_;
  // Before the tiles too: they tell it of their changes until they go.
  mutable TOnBatteryChecks onBattery_;
  std::vector<std::unique_ptr<TDevice>> tiles_;
  bool clearing_ = false;
  TTouched touched_;
  TDevice* editing_ = nullptr;
};

}  // namespace voltaris
