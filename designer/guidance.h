// What the window tells a user finding their way: the tooltip of each
// toolbar button, the gestures of a tile under the pointer, what a drop
// would do (or why it is refused), the meanings of the status lights, and
// which tiles a line of the live warning list is about. Every text comes
// from the catalogue and the model, so the window only shows it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace voltaris {

class TControlPanel;
class TDevice;

// A toolbar button's tooltip: the device it places, the keypad and
// expander places it takes on its network and its own current.
std::string ToolButtonHint(int tool);
// The supply button's tooltip.
std::string SupplyButtonHint();
// Told when a tile is clicked while a device waits to be placed.
std::string PlaceOnCanvasHint(int tool);

// What the gestures on `tile` do, for the status bar while the pointer is over it.
std::string TileGestureHint(const TDevice& tile);

// What dropping `source` on `target` (null: the canvas background) would do,
// when `accepted`, or why the target refuses it.
std::string DropHint(const TDevice* target, const TDevice& source, bool accepted);

// The "Network N" a panel network is shown as (its position on the panel),
// or empty for a tile that is not one of the panel's networks.
std::string NetworkCaption(const TDevice& tile);

// One status light and what it says, on a network device and on a supply.
struct TLightMeaning {
  uint8_t Status;
  const char* Name;
  const char* OnDevice;
  const char* OnSupply;
};
// The lights, from the one that needs attention first to green.
std::span<const TLightMeaning> LightLegend();

// The tiles line `line` of the panel's live warning list is about: the
// devices on its networks (network by network, down each chain) or the
// supplies (in the panel's order) whose light the warning names. A warning
// about the panel's own figures concerns no tile.
std::vector<TDevice*> WarningTiles(const TControlPanel& panel, size_t line);
// What to do about a warning that concerns no tile.
std::string PanelWarningHint();

}  // namespace voltaris
