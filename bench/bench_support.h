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
// refreshes when a count of them is given.
class CountWork {
 public:
  explicit CountWork(benchmark::State& state, std::function<int()> refreshes = nullptr)
      : state_(state), start_(WorkCounters), refreshes_(std::move(refreshes)),
        startRefreshes_(refreshes_ ? refreshes_() : 0) {}
  ~CountWork() {
    const auto per = [](double count) { return benchmark::Counter(count, benchmark::Counter::kAvgIterations); };
    state_.counters["RecalcLoad"] = per(static_cast<double>(WorkCounters.RecalcLoad - start_.RecalcLoad));
    state_.counters["CollectStatus"] = per(static_cast<double>(WorkCounters.CollectStatus - start_.CollectStatus));
    state_.counters["BuildWarnings"] = per(static_cast<double>(WorkCounters.BuildWarnings - start_.BuildWarnings));
    if (refreshes_) state_.counters["Refreshes"] = per(refreshes_() - startRefreshes_);
  }
  CountWork(const CountWork&) = delete;
  CountWork& operator=(const CountWork&) = delete;

 private:
  benchmark::State& state_;
  TWorkCounters start_;
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
