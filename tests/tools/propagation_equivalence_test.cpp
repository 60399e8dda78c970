// The model skips recalculations that would only repeat a parent's or a
// supply's sums. These cases run long random sequences of the user's
// operations twice, once with every recalculation reported as the
// propagation rules read and once with the repeats skipped, and compare
// everything the user can see afterwards.
#include <gtest/gtest.h>

#include "catalogue/format.h"
#include "tests/tools/random_design.h"
#include "tests/tools/shown_state.h"

namespace voltaris {
namespace {

// The scenario's recalculations are counted in `recalculations`.
std::string Scenario(uint32_t seed, bool reportEveryRecalculation, uint64_t* recalculations = nullptr) {
  testing::RandomDesign design(reportEveryRecalculation);
  TControlPanel& panel = design.panel;
  int loadEvents = 0;
  TSlot<TControlPanel> loadChanged([&](TControlPanel&, const TNoEvent&) { ++loadEvents; });
  TSlot<TControlPanel> warningsChanged([](TControlPanel&, const TNoEvent&) {});
  panel.OnLoadChanged.Attach(loadChanged);
  panel.OnWarningsChanged.Attach(warningsChanged);
  design.Build(seed);

  // Everything shown, and whether the summary heard of the load.
  std::string shown = testing::EverythingShown(design.canvas.Context().Settings, panel, design.canvas);
  shown += Format("events %d\n", loadEvents > 0 ? 1 : 0);
  if (recalculations) *recalculations = design.canvas.Context().Counters.RecalcLoad;
  return shown;
}

TEST(PropagationEquivalence, SkippingRepeatedRecalculationsChangesNothingShown) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    uint64_t everyCount = 0, skippedCount = 0;
    const std::string every = Scenario(seed, true, &everyCount);
    const std::string skipped = Scenario(seed, false, &skippedCount);
    // The skipping is at work, or the comparison would prove nothing.
    EXPECT_LT(skippedCount, everyCount * 3 / 4) << "seed " << seed;
    ASSERT_GT(every.size(), 1000u);
    ASSERT_EQ(skipped, every) << "seed " << seed;
  }
}

}  // namespace
}  // namespace voltaris
