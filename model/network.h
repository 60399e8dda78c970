// Anything network devices can be wired to: a panel network at the root of a
// tree, or a network device with more devices chained behind it. A network
// object counts the keypad and expander places taken in its part of the
// tree and passes status changes up to its panel network.
#pragma once

#include "model/device.h"

namespace voltaris {

class TPanelNetwork;

class TNetwork : public TDevice {
 public:
  explicit TNetwork(TCanvas& owner);

  const char* ClassName() const override { return "TNetwork"; }

  // Overrides of TDevice, in order.
  void WriteReport(TStringList& list) override;
  TLoad ComputeDownstreamLoad() override;
  void SetStatus(uint8_t status) override;
  void DragDropHandler(TDevice* source, int x, int y) override;
  void ChildrenChanged() override;

  // The network object's own operations, in order.
  virtual void SetNetwork(TPanelNetwork* network);
  virtual TPanelNetwork* GetNetwork() const;
  // Whether a dragged device may join; meaningful on a panel network only.
  virtual bool CanAccept(TDevice* device);
  virtual void SetExpanders(int32_t count);
  virtual void SetKeypads(int32_t count);
  virtual void AddExpanders(int32_t difference);
  // Marks this object's status in its panel network's set and walks the children.
  virtual void CollectStatus();

  void AddKeypads(int32_t difference);
  // Subtracts a device's places (with everything behind it) from this object's.
  void RemoveCounts(const TNetwork& device);
  // The lowest grade in this part of the tree; every device re-evaluates its
  // status on the way.
  int32_t LowestGrade();
  // The lowest grade in this part of the tree as the devices now stand.
  int32_t LowestEffectiveGrade() const;
  // Adds the status of this object and of everything behind it to `set`.
  void AddStatuses(TStatusSet& set) const;
  // The same two figures worked out by walking every device of this part of
  // the tree, as the kept totals must always give them.
  int32_t WalkedLowestEffectiveGrade() const;
  void WalkStatuses(TStatusSet& set) const;
  // Works this object's totals out again from its own status and grade and
  // its children's totals, then its network parent's, and so on up while
  // they change. Called wherever a status, an effective grade or the list of
  // children changes.
  void RefreshTotals();
  // The kept totals of this object and everything behind it, as they stand.
  TStatusSet KeptStatuses() const { return treeStatuses_; }
  int32_t KeptLowestGrade() const { return treeLowestGrade_; }

  TPanelNetwork* Network = nullptr;  // the panel network at the root; null when on none
  int32_t Expanders = 0;
  int32_t Keypads = 0;
  int32_t EffectiveGrade = 3;
  TStatusSet StatusSet = 0;          // used on a panel network only

 private:
  // Kept as the tree changes, so that a network's statuses and lowest grade
  // are read without walking its devices: the statuses of this object and
  // of everything behind it, and the lowest effective grade among them.
  TStatusSet treeStatuses_ = 0;
  int32_t treeLowestGrade_ = 3;
};

}  // namespace voltaris
