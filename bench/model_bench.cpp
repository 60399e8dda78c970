// The model's user actions on generated designs of 10, 100 and 1000 network
// devices: building by drops, cable changes at the root and the leaf of the
// deepest chain, a grade change there and back, the system report, save and load.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

#include "bench/design_generator.h"
#include "bench/median_table.h"
#include "designer/project_files.h"
#include "model/work_counters.h"

namespace voltaris::bench {

namespace {

const int Sizes[] = {10, 100, 1000};

std::string WorkDir() {
  static const std::string dir = [] {
    const auto path = std::filesystem::temp_directory_path() / "voltaris-bench";
    std::filesystem::remove_all(path);  // the designs are made afresh on every run
    std::filesystem::create_directories(path / "Data");
    return path.string();
  }();
  return dir;
}

// One open design per size, kept for every benchmark of that size.
struct Open {
  QuietHost host;
  ScopedDialogHost dialogs{host};
  TMemorySettingsStore store;
  TDesigner designer{host, store, WorkDir()};
  TGeneratedDesign design;
  explicit Open(int devices) {
    host.FileName = "Large" + std::to_string(devices);
    design = GenerateDesign(designer, host, devices);
    designer.SaveProject();
  }
};

Open& DesignOf(int devices) {
  static std::map<int, std::unique_ptr<Open>> designs;
  auto& open = designs[devices];
  if (!open) open = std::make_unique<Open>(devices);
  return *open;
}

// Reports the model's work per iteration beside the time.
class CountWork {
 public:
  explicit CountWork(benchmark::State& state) : state_(state), start_(WorkCounters) {}
  ~CountWork() {
    const auto per = [&](uint64_t now, uint64_t then) {
      return benchmark::Counter(static_cast<double>(now - then), benchmark::Counter::kAvgIterations);
    };
    state_.counters["RecalcLoad"] = per(WorkCounters.RecalcLoad, start_.RecalcLoad);
    state_.counters["CollectStatus"] = per(WorkCounters.CollectStatus, start_.CollectStatus);
    state_.counters["BuildWarnings"] = per(WorkCounters.BuildWarnings, start_.BuildWarnings);
  }

 private:
  benchmark::State& state_;
  TWorkCounters start_;
};

void BuildByDrops(benchmark::State& state, int devices) {
  CountWork count(state);
  for (auto _ : state) {
    QuietHost host;
    ScopedDialogHost dialogs(host);
    TMemorySettingsStore store;
    TDesigner designer(host, store, WorkDir());
    GenerateDesign(designer, host, devices);
    state.PauseTiming();
    designer.ClearCanvas();
    state.ResumeTiming();
  }
}

void CableAtRoot(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  double length = 10;
  for (auto _ : state) open.design.DeepestRoot->SetCableLength(length = 21 - length);
}

void CableAtLeaf(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  double length = 10;
  for (auto _ : state) open.design.DeepestLeaf->SetCableLength(length = 21 - length);
}

void GradeThreeTwoThree(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  for (auto _ : state) {
    open.designer.ChooseGrade(1);
    open.designer.ChooseGrade(2);
  }
}

void SystemReport(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  for (auto _ : state) benchmark::DoNotOptimize(open.designer.ReportText());
}

void Save(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  for (auto _ : state) open.designer.SaveProject();
}

void Load(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state);
  for (auto _ : state) {
    TSettings settings;
    TProject project = LoadProjectFiles(open.designer.DataDir, open.host.FileName, settings);
    benchmark::DoNotOptimize(project.Canvas.get());
  }
}

void Register() {
  using Action = void (*)(benchmark::State&, int);
  const std::pair<const char*, Action> actions[] = {
      {"model/build_by_drops", BuildByDrops}, {"model/cable_at_root", CableAtRoot},
      {"model/cable_at_leaf", CableAtLeaf},   {"model/grade_3_2_3", GradeThreeTwoThree},
      {"model/system_report", SystemReport},  {"model/save", Save},
      {"model/load", Load},
  };
  for (const auto& [name, action] : actions) {
    for (int devices : Sizes) {
      benchmark::RegisterBenchmark((std::string(name) + "/N=" + std::to_string(devices)).c_str(),
                                   [action = action, devices](benchmark::State& state) { action(state, devices); })
          ->Unit(benchmark::kMillisecond);
    }
  }
}

}  // namespace

}  // namespace voltaris::bench

int main(int argc, char** argv) {
  voltaris::bench::Register();
  return voltaris::bench::RunWithMedianTable(argc, argv);
}
