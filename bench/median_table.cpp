#include "bench/median_table.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace voltaris::bench {

namespace {

// Keeps the median of every benchmark and prints them as one table.
class MedianTable : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      // Single runs (one repetition) stand for their own median.
      if (!median && run.run_type == Run::RT_Aggregate) continue;
      Row row;
      row.name = run.run_name.str();
      row.milliseconds = run.GetAdjustedRealTime() * ToMilliseconds(run.time_unit);
      for (const auto& [name, counter] : run.counters) row.counters[name] = counter.value;
      rows_[row.name] = row;
      if (std::find(order_.begin(), order_.end(), row.name) == order_.end()) order_.push_back(row.name);
    }
  }

  void Finalize() override {
    std::printf("%-46s %12s %11s %14s %14s %10s\n", "benchmark (median)", "time ms", "RecalcLoad",
                "CollectStatus", "BuildWarnings", "Refreshes");
    for (const std::string& name : order_) {
      const Row& row = rows_[name];
      std::printf("%-46s %12.3f %11s %14s %14s %10s\n", name.c_str(), row.milliseconds, Count(row, "RecalcLoad").c_str(),
                  Count(row, "CollectStatus").c_str(), Count(row, "BuildWarnings").c_str(),
                  Count(row, "Refreshes").c_str());
    }
    for (const std::string& name : order_) {
      const Row& row = rows_[name];
      if (row.counters.count("MemoryMB"))
        std::printf("%-46s memory above the empty program: %.1f MB\n", name.c_str(), row.counters.at("MemoryMB"));
      if (row.counters.count("HistoryMB"))
        std::printf("%-46s the history keeps %.2f MB; one image is %.2f MB\n", name.c_str(),
                    row.counters.at("HistoryMB"), row.counters.at("ImageMB"));
    }
  }

 private:
  struct Row {
    std::string name;
    double milliseconds = 0;
    std::map<std::string, double> counters;
  };

  static double ToMilliseconds(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kNanosecond: return 1e-6;
      case benchmark::kMicrosecond: return 1e-3;
      case benchmark::kMillisecond: return 1;
      default: return 1e3;
    }
  }
  static std::string Count(const Row& row, const char* name) {
    const auto found = row.counters.find(name);
    if (found == row.counters.end()) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", found->second);
    return text;
  }

  std::map<std::string, Row> rows_;
  std::vector<std::string> order_;
};

}  // namespace

int RunWithMedianTable(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianTable table;
  benchmark::RunSpecifiedBenchmarks(&table);
  benchmark::Shutdown();
  return 0;
}

}  // namespace voltaris::bench
