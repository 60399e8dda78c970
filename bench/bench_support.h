// What the benchmark programs share: counting the model's work per action,
// and registering each action at every design size.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/work_counters.h"

namespace voltaris::bench {

// The design sizes, in network devices.
inline constexpr int Sizes[] = {10, 100, 1000};

// Reports the model's work per iteration beside the time, and the window's
// refreshes when a count of them is given. Each project counts its own work:
// `counters` reads the counters of the project the loop works on; a loop
// that makes a project afresh on each turn adds that project's with Add.
class CountWork {
 public:
  using TReadCounters = std::function<TWorkCounters()>;

  explicit CountWork(benchmark::State& state, TReadCounters counters = nullptr,
                     std::function<int()> refreshes = nullptr)
      : state_(state),
        counters_(std::move(counters)),
        start_(counters_ ? counters_() : TWorkCounters()),
        refreshes_(std::move(refreshes)),
        startRefreshes_(refreshes_ ? refreshes_() : 0) {}
  ~CountWork() {
    const TWorkCounters now = counters_ ? counters_() : start_;
    const auto per = [](double count) { return benchmark::Counter(count, benchmark::Counter::kAvgIterations); };
    const auto done = [](uint64_t to, uint64_t from, uint64_t added) { return static_cast<double>(to - from + added); };
    state_.counters["RecalcLoad"] = per(done(now.RecalcLoad, start_.RecalcLoad, added_.RecalcLoad));
    state_.counters["CollectStatus"] = per(done(now.CollectStatus, start_.CollectStatus, added_.CollectStatus));
    state_.counters["BuildWarnings"] = per(done(now.BuildWarnings, start_.BuildWarnings, added_.BuildWarnings));
    if (refreshes_) state_.counters["Refreshes"] = per(refreshes_() - startRefreshes_);
  }
  CountWork(const CountWork&) = delete;
  CountWork& operator=(const CountWork&) = delete;

  // The whole work of a project made within the loop.
  void Add(const TWorkCounters& work) {
    added_.RecalcLoad += work.RecalcLoad;
    added_.CollectStatus += work.CollectStatus;
    added_.BuildWarnings += work.BuildWarnings;
  }

 private:
  benchmark::State& state_;
  TReadCounters counters_;
  TWorkCounters start_;
  TWorkCounters added_;
  std::function<int()> refreshes_;
  int startRefreshes_;
};

using TAction = void (*)(benchmark::State&, int);

// Registers every action once for each design size, named "<action>/N=<size>".
inline void RegisterAtEverySize(const std::vector<std::pair<const char*, TAction>>& actions) {
  for (const auto& [name, action] : actions) {
    for (int devices : Sizes) {
      benchmark::RegisterBenchmark((std::string(name) + "/N=" + std::to_string(devices)).c_str(),
                                   [action = action, devices](benchmark::State& state) { action(state, devices); })
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace voltaris::bench
