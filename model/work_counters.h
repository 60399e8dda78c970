// Counts of the model's propagation work, for the benchmarks: how many
// recalculations, status walks and warning rebuilds one user action costs.
// Each project counts its own (TProjectContext::Counters).
#pragma once

#include <cstdint>

namespace voltaris {

struct TWorkCounters {
  uint64_t RecalcLoad = 0;
  uint64_t CollectStatus = 0;
  uint64_t BuildWarnings = 0;
};

}  // namespace voltaris
