// The root block of one data network of the control panel. It knows how many
// keypad and expander places the panel model allows on one network, refuses
// devices that would exceed them, shows its totals on small labels, takes the
// worst status on the network as its own and reports load and status changes
// to the control panel.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/network.h"

namespace voltaris {

class TControlPanel;

// A text drawn on a panel network block.
struct TTileLabel {
  int Left = 0;
  int Top = 0;
  std::string Text;
  bool Visible = true;
  bool Bold = false;
  int PointSize = 0;  // 0: the tile's own font

  bool operator==(const TTileLabel&) const = default;
};

class TPanelNetwork : public TNetwork {
 public:
  static constexpr int BlockWidth = 120;
  static constexpr int BlockHeight = 250;

  TPanelNetwork(TCanvas& owner, int32_t maxExpanders, int32_t maxKeypads);

  // Overrides of TDevice, in order.
  void SetDownstreamLoad(const TLoad& load) override;
  void ShowFigures() override;
  bool DragOverHandler(TDevice* source) override;
  void RemoveChild(int32_t position) override;
  void DoubleClickAction() override;
  void SetStatus(uint8_t status) override;
  void DragDropHandler(TDevice* source, int x, int y) override;
  bool FixedOnCanvas() const override { return true; }
  // Overrides of TNetwork.
  bool CanAccept(TDevice* device) override;
  void CollectStatus() override;

  // The statuses on the network as they stand now, with its own Green.
  TStatusSet CurrentStatusSet() const;
  // What a walk of the devices behind the network collects, with its own
  // Green; 0 when one of them counts itself on another network or on none.
  TStatusSet CollectedStatusSet() const;

  const int32_t MaxExpanders;
  const int32_t MaxKeypads;
  // The name label, then the four information labels: current, alarm,
  // expanders, keypads (hidden until the block is double-clicked).
  enum { NameLabel, CurrentLabel, AlarmLabel, ExpandersLabel, KeypadsLabel };
  std::array<TTileLabel, 5> Labels;
  TControlPanel* ControlPanel = nullptr;

 private:
  // What the labels were last made from.
  struct TShownFigures {
    std::string Name;
    TLoad Load;
    int32_t Expanders = 0;
    int32_t Keypads = 0;
    bool operator==(const TShownFigures&) const = default;
  };
  std::optional<TShownFigures> shown_;
};

// One class per family of panel models; they differ only in their limits.
class TPanel200Network : public TPanelNetwork {
 public:
  explicit TPanel200Network(TCanvas& owner) : TPanelNetwork(owner, 1, 6) {}
  const char* ClassName() const override { return "TPanel200Network"; }
};
class TPanel250NetWork : public TPanelNetwork {
 public:
  explicit TPanel250NetWork(TCanvas& owner) : TPanelNetwork(owner, 3, 6) {}
  const char* ClassName() const override { return "TPanel250NetWork"; }
};
class TPanel300Network : public TPanelNetwork {
 public:
  explicit TPanel300Network(TCanvas& owner) : TPanelNetwork(owner, 2, 4) {}
  const char* ClassName() const override { return "TPanel300Network"; }
};
class TPanel400Network : public TPanelNetwork {
 public:
  explicit TPanel400Network(TCanvas& owner) : TPanelNetwork(owner, 4, 4) {}
  const char* ClassName() const override { return "TPanel400Network"; }
};
class TPanel500Network : public TPanelNetwork {
 public:
  explicit TPanel500Network(TCanvas& owner) : TPanelNetwork(owner, 8, 8) {}
  const char* ClassName() const override { return "TPanel500Network"; }
};

// Creates a panel network of the class a panel model's network kind (1..5) selects.
TPanelNetwork* CreatePanelNetwork(TCanvas& canvas, int32_t networkKind);

}  // namespace voltaris
