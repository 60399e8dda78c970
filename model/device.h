// The common base of every tile on the designer canvas that carries or draws
// current: panel networks, network devices and remote power supplies. A
// device keeps its load pairs, its supply voltages, its status light and the
// devices connected to it; the tree-wide bookkeeping runs through its virtual
// operations, which the subclasses fill in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/byte_stream.h"
#include "catalogue/catalogue.h"
#include "model/colour.h"
#include "model/load.h"
#include "model/signal.h"
#include "model/status.h"

namespace voltaris {

class TCanvas;
class TDevice;
class TNetDevice;
struct TProjectContext;

// The voltage at every panel network and at every remote supply output.
inline constexpr double SourceVolts = 13.6;

// What changed on a tile, for its view (the bits of TDevice::OnChanged).
enum TTileChange : unsigned {
  ChangedGeometry = 1u << 0,  // Left, Top, Width or Height
  ChangedPicture = 1u << 1,
  ChangedStatus = 1u << 2,    // the status light
  ChangedColour = 1u << 3,    // the background colour
  ChangedHint = 1u << 4,
  ChangedFigures = 1u << 5,   // the texts drawn on the tile
  ChangedWires = 1u << 6,     // the tile's cable runs
};

// A link between tiles used against its rules (a child position its parent
// does not have, a tile that is not on the canvas): a fault in the program,
// never in the user's design. A debug build stops there; otherwise a
// std::logic_error reaches the command, which reports it.
[[noreturn]] void LinkMisuse(const char* what);

enum class TMouseButton { Left, Right, Middle };
struct TShiftState {
  bool Alt = false;
  bool Ctrl = false;
  bool Shift = false;
};
// What the view must do after a mouse press on a tile.
enum class TMouseResult { Nothing, BeginDrag, Deleted };

class TDevice {
 public:
  explicit TDevice(TCanvas& owner);
  virtual ~TDevice();
  TDevice(const TDevice&) = delete;
  TDevice& operator=(const TDevice&) = delete;

  // The class name under which the tile is stored in the layout file.
  virtual const char* ClassName() const { return "TDevice"; }

  // --- the device's virtual operations, in their order of declaration ---
  virtual void WriteReport(TStringList& list);
  virtual void WriteDeviceLines(TStringList& list);
  virtual void SetDownstreamLoad(const TLoad& load);
  virtual void Detach();
  virtual void RecalcLoad();
  virtual void ShowFigures();
  // Whether a tile dragged over this one may be dropped on it.
  virtual bool DragOverHandler(TDevice* source);
  virtual void RecalcChildren();
  virtual void RebuildWires();
  virtual TLoad ComputeDownstreamLoad();
  virtual void RemoveChild(int32_t position);
  virtual bool DependsOn(const TDevice* device) const;
  virtual void DoubleClickAction();
  virtual void UpdateStatus();
  virtual void LoadStatusImage(const std::string& name);
  virtual void SetStatus(uint8_t status);
  // A tile dropped on this one at (x, y) in this tile's coordinates.
  virtual void DragDropHandler(TDevice* source, int x, int y);
  // Centres the tile on a canvas point (snapped to the grid when the canvas snaps).
  virtual void MoveCentreTo(int x, int y);
  virtual void WriteRecord(TStream& stream);
  virtual void ReadRecord(TStream& stream);
  virtual void UpdateColour();

  // --- hooks through which the base asks what kind of tile it is ---
  // The tile as a network device (which can be wired and powered), or null.
  virtual TNetDevice* AsNetDevice() { return nullptr; }
  virtual const TNetDevice* AsNetDevice() const { return nullptr; }
  // A tile that stays where the designer put it: it is neither dragged,
  // detached nor deleted by a click (a panel network block).
  virtual bool FixedOnCanvas() const { return false; }
  // Tells a child its new position in Children (as its network parent here;
  // a supply keeps the position of the devices it powers instead).
  virtual void SetChildPosition(TNetDevice& child, int32_t position);
  // A child left Children (a network keeps totals over its children).
  virtual void ChildrenChanged() {}

  // --- loads and voltages ---
  const TLoad& GetAttachedLoad() const { return AttachedLoad; }
  void SetAttachedLoad(const TLoad& load);
  TLoad GetTotalLoad() const { return DownstreamLoad + OwnLoad; }
  void SetSupplyVoltages(double quiescent, double alarm);
  void RebuildAllWires();
  // Detach, then destroy the tile; `this` is gone afterwards.
  void DeleteDevice();

  // The click rules: right button raises OnRightClick, a double click runs
  // DoubleClickAction, Alt detaches, Ctrl deletes, otherwise a drag begins.
  TMouseResult MouseDown(TMouseButton button, TShiftState shift, bool doubleClick);

  // --- presentation ---
  TCanvas& Owner() const { return owner_; }
  // The project the tile belongs to, through its canvas.
  TProjectContext& Context() const;
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  const TColour& Color() const { return color_; }
  void SetColor(const TColour& colour);
  const std::string& Hint() const { return hint_; }
  bool ShowHint() const { return showHint_; }
  void SetHint(const std::string& hint);
  void SetShowHint(bool show);
  const std::string& Picture() const { return picture_; }
  void SetPicture(const std::string& name, int width, int height);
  const std::string& StatusImage() const { return statusImage_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);

  // Something the tile's records in the project's files may hold has
  // changed: the next file image of the canvas writes them afresh, while
  // every tile not touched since keeps the bytes it had (TCanvas::TakeTouched).
  void Touch();

  // Something visible on the tile changed (TTileChange bits): its view repaints.
  TSignal<TDevice, unsigned> OnChanged;
  // The right mouse button was pressed on the tile, with these modifier keys.
  TSignal<TDevice, TShiftState> OnRightClick;

  TLoad AttachedLoad;    // what the equipment the device powers draws
  TLoad OwnLoad;         // the device's own current
  TLoad DownstreamLoad;  // AttachedLoad plus the total load of what hangs on it
  uint8_t Status = Blue;
  bool SetupConfirmed = false;
  int32_t Grade = 0;
  double SupplyVolts = SourceVolts;
  double AlarmVolts = SourceVolts;
  double MinVolts = 0;
  int32_t SaveIndex = -1;
  // The devices connected to this one, in the order they were attached (not owned).
  std::vector<TNetDevice*> Children;

 protected:
  void Notify(unsigned changes);

 private:
  friend class TCanvas;  // which lists and lets go of the touched tiles
  TCanvas& owner_;
  // Listed among the canvas's touched tiles, or not to be listed: a tile
  // being made (the canvas takes it as new) or going (the canvas then
  // writes every tile afresh).
  bool touched_ = true;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TColour color_ = ColourButtonFace;
  std::string hint_;
  bool showHint_ = false;
  std::string picture_;
  std::string statusImage_;
  std::string name_;
};

}  // namespace voltaris
