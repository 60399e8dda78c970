// The one way a core object tells its views what changed: a typed signal
// that a sender owns, and slots that views own. A slot is attached to at most
// one signal; when either side is destroyed the link goes with it, so a view
// never has to be told to forget a tile, and a tile never calls a view that
// is gone. Plain C++, used on the GUI thread only.
//
//   TSignal<TDevice, unsigned> OnChanged;            // in the sender
//   TSlot<TDevice, unsigned> changed_{[this](TDevice& tile, unsigned what) { ... }};
//   tile.OnChanged.Attach(changed_);                 // in the view
#pragma once

#include <algorithm>
#include <cassert>
#include <functional>
#include <vector>

namespace voltaris {

// The event of a signal that carries nothing beyond its sender.
struct TNoEvent {};

template <typename Sender, typename Event>
class TSlot;

template <typename Sender, typename Event = TNoEvent>
class TSignal {
 public:
  using TSlotType = TSlot<Sender, Event>;

  TSignal() = default;
  ~TSignal() {
    if (notifying_) *notifying_ = true;
    for (TSlotType* slot : slots_) {
      if (slot) slot->signal_ = nullptr;
    }
  }
  // A signal belongs to its sender's identity: it is neither copied nor moved.
  TSignal(const TSignal&) = delete;
  TSignal& operator=(const TSignal&) = delete;

  // Attaches `slot`, taking it off any signal it was attached to before.
  void Attach(TSlotType& slot) {
    slot.Detach();
    slots_.push_back(&slot);
    slot.signal_ = this;
  }

  // Calls every attached slot in the order they were attached. A slot may
  // detach itself or others, attach new ones (they are called from the next
  // notification on) or destroy the sender while it runs.
  void Notify(Sender& sender, const Event& event = Event()) {
    bool destroyed = false;
    bool* const outer = notifying_;
    notifying_ = &destroyed;
    const size_t count = slots_.size();
    for (size_t i = 0; i < count && i < slots_.size(); ++i) {
      TSlotType* slot = slots_[i];
      if (!slot) continue;
      slot->callback_(sender, event);
      if (destroyed) {
        if (outer) *outer = true;
        return;
      }
    }
    notifying_ = outer;
    if (!notifying_) Compact();
  }

  // How many slots listen, and whether any does.
  size_t SlotCount() const {
    return static_cast<size_t>(std::count_if(slots_.begin(), slots_.end(), [](const TSlotType* s) { return s; }));
  }
  bool Connected() const { return SlotCount() > 0; }

 private:
  friend class TSlot<Sender, Event>;

  void Remove(TSlotType* slot) {
    const auto found = std::find(slots_.begin(), slots_.end(), slot);
    assert(found != slots_.end() && "a slot is detached only from the signal it is attached to");
    if (found == slots_.end()) return;
    // While notifying, the list keeps its positions: the slot's place is emptied.
    if (notifying_) {
      *found = nullptr;
    } else {
      slots_.erase(found);
    }
  }
  void Compact() { slots_.erase(std::remove(slots_.begin(), slots_.end(), nullptr), slots_.end()); }

  std::vector<TSlotType*> slots_;
  bool* notifying_ = nullptr;  // set while Notify runs: tells it the signal went
};

template <typename Sender, typename Event = TNoEvent>
class TSlot {
 public:
  using TCallback = std::function<void(Sender&, const Event&)>;

  explicit TSlot(TCallback callback) : callback_(std::move(callback)) {}
  ~TSlot() { Detach(); }
  TSlot(const TSlot&) = delete;
  TSlot& operator=(const TSlot&) = delete;

  void Detach() {
    if (signal_) signal_->Remove(this);
    signal_ = nullptr;
  }
  // Whether the slot still listens: false once its signal's sender is gone.
  bool Attached() const { return signal_ != nullptr; }

 private:
  friend class TSignal<Sender, Event>;

  TCallback callback_;
  TSignal<Sender, Event>* signal_ = nullptr;
};

}  // namespace voltaris
