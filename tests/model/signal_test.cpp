#include "model/signal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "design_fixture.h"

namespace voltaris::testing {
namespace {

enum DeviceTypes { K4 = 0 };

struct TSender {
  TSignal<TSender, int> OnEvent;
};
using TIntSlot = TSlot<TSender, int>;

TEST(Signal, SlotsHearEveryEventInOrderAndGoWhenEitherSideGoes) {
  std::vector<std::string> heard;
  auto sender = std::make_unique<TSender>();
  TIntSlot first([&](TSender&, const int& e) { heard.push_back("first " + std::to_string(e)); });
  auto second = std::make_unique<TIntSlot>(
      [&](TSender&, const int& e) { heard.push_back("second " + std::to_string(e)); });
  sender->OnEvent.Attach(first);
  sender->OnEvent.Attach(*second);
  sender->OnEvent.Notify(*sender, 1);
  EXPECT_EQ(heard, (std::vector<std::string>{"first 1", "second 1"}));

  second.reset();  // the view goes: the sender no longer calls it
  sender->OnEvent.Notify(*sender, 2);
  EXPECT_EQ(heard.back(), "first 2");
  EXPECT_EQ(sender->OnEvent.SlotCount(), 1u);

  sender.reset();  // the sender goes: the slot knows, and may go later
  EXPECT_FALSE(first.Attached());
}

TEST(Signal, AttachingElsewhereLeavesTheFirstSignal) {
  TSender a, b;
  int count = 0;
  TIntSlot slot([&](TSender&, const int&) { ++count; });
  a.OnEvent.Attach(slot);
  b.OnEvent.Attach(slot);
  a.OnEvent.Notify(a, 0);
  b.OnEvent.Notify(b, 0);
  EXPECT_EQ(count, 1);
  EXPECT_FALSE(a.OnEvent.Connected());
  EXPECT_TRUE(b.OnEvent.Connected());
}

// A slot may take down other slots, add new ones, or destroy the sender
// while it is told: nothing gone is called, nothing freed is touched.
TEST(Signal, ListenersMayChangeTheListWhileTheyAreTold) {
  auto sender = std::make_unique<TSender>();
  std::vector<std::string> heard;
  std::unique_ptr<TIntSlot> victim, late;
  TIntSlot killer([&](TSender& s, const int&) {
    heard.push_back("killer");
    if (late) return;
    victim.reset();
    late = std::make_unique<TIntSlot>([&](TSender&, const int&) { heard.push_back("late"); });
    s.OnEvent.Attach(*late);
  });
  victim = std::make_unique<TIntSlot>([&](TSender&, const int&) { heard.push_back("victim"); });
  sender->OnEvent.Attach(killer);
  sender->OnEvent.Attach(*victim);
  sender->OnEvent.Notify(*sender, 0);
  EXPECT_EQ(heard, (std::vector<std::string>{"killer"}));  // the new slot hears from the next event on
  sender->OnEvent.Notify(*sender, 0);
  EXPECT_EQ(heard, (std::vector<std::string>{"killer", "killer", "late"}));

  TIntSlot destroyer([&](TSender&, const int&) { sender.reset(); });
  TIntSlot after([&](TSender&, const int&) { heard.push_back("after"); });
  TSender& current = *sender;
  killer.Detach();
  current.OnEvent.Attach(destroyer);
  current.OnEvent.Attach(after);
  current.OnEvent.Notify(current, 0);  // "late" first, then the sender goes
  EXPECT_EQ(sender, nullptr);
  EXPECT_EQ(heard.back(), "late");
  EXPECT_FALSE(after.Attached());
  EXPECT_FALSE(destroyer.Attached());
}

// A notification inside a notification (a tile's change that changes
// another tile) keeps both lists whole.
TEST(Signal, NestedNotificationsKeepEveryListener) {
  TSender sender;
  int outer = 0, inner = 0;
  std::unique_ptr<TIntSlot> dropped;
  TIntSlot nesting([&](TSender& s, const int& depth) {
    ++outer;
    if (depth == 0) {
      dropped.reset();
      s.OnEvent.Notify(s, 1);
    }
  });
  TIntSlot counting([&](TSender&, const int&) { ++inner; });
  dropped = std::make_unique<TIntSlot>([&](TSender&, const int&) { ADD_FAILURE() << "a dropped slot was called"; });
  sender.OnEvent.Attach(nesting);
  sender.OnEvent.Attach(*dropped);
  sender.OnEvent.Attach(counting);
  sender.OnEvent.Notify(sender, 0);
  EXPECT_EQ(outer, 2);
  EXPECT_EQ(inner, 2);
  EXPECT_EQ(sender.OnEvent.SlotCount(), 2u);
}

class TileSignalTest : public DesignTest {
 protected:
  TileSignalTest() { NewPanel(6, 2); }
};

TEST_F(TileSignalTest, ATileViewHearsItsChangesAndIsLetGoWhenTheTileIsDeleted) {
  TVududa& keypad = Place(K4);
  unsigned changes = 0;
  TSlot<TDevice, unsigned> view([&](TDevice&, const unsigned& what) { changes |= what; });
  keypad.OnChanged.Attach(view);
  std::vector<TCanvasEvent::TKind> kinds;
  TSlot<TCanvas, TCanvasEvent> tiles([&](TCanvas&, const TCanvasEvent& event) {
    kinds.push_back(event.Kind);
    // Told before the tile goes: it is still whole.
    if (event.Kind == TCanvasEvent::TileRemoved) {
      EXPECT_EQ(event.Tile->Name(), keypad.Name());
    }
  });
  canvas.OnTilesChanged.Attach(tiles);

  ASSERT_TRUE(Drop(keypad, Net(0)));
  EXPECT_TRUE(changes & ChangedWires);
  EXPECT_TRUE(changes & ChangedHint);  // "Double click to set up"
  keypad.MoveCentreTo(400, 200);
  EXPECT_TRUE(changes & ChangedGeometry);

  Place(K4);
  keypad.DeleteDevice();
  EXPECT_EQ(kinds, (std::vector<TCanvasEvent::TKind>{TCanvasEvent::TileAdded, TCanvasEvent::TileRemoved}));
  EXPECT_FALSE(view.Attached());
}

// A link used against its rules is a fault of the program: a debug build
// stops at it, a release build throws, and neither goes on quietly.
TEST_F(TileSignalTest, AMisusedLinkIsNeverIgnored) {
  TVududa& keypad = Place(K4);
  TCanvas other;
  auto& stranger = other.Create<TVududa>();
#ifdef NDEBUG
  EXPECT_THROW(Net(0).RemoveChild(0), std::logic_error);
  EXPECT_THROW(canvas.Destroy(&stranger), std::logic_error);
  EXPECT_THROW(keypad.RemoveChild(-1), std::logic_error);
#else
  EXPECT_DEATH(Net(0).RemoveChild(0), "misused");
  EXPECT_DEATH(canvas.Destroy(&stranger), "misused");
  EXPECT_DEATH(keypad.RemoveChild(-1), "misused");
#endif
  EXPECT_EQ(other.Tiles().size(), 1u);
  EXPECT_EQ(canvas.IndexOf(&keypad), static_cast<int>(canvas.Tiles().size()) - 1);
}

}  // namespace
}  // namespace voltaris::testing
