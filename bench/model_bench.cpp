// The model's user actions on generated designs of 10, 100 and 1000 network
// devices: building by drops, cable changes at the root and the leaf of the
// deepest chain, a grade change there and back, the system report, save and
// load; and the design advice: for the whole design, the report with it, and
// the loading dialog's refresh after a cable change at the deepest root.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

#include "bench/bench_support.h"
#include "bench/design_generator.h"
#include "bench/median_table.h"
#include "designer/dialogs/loading_presenter.h"
#include "model/advice.h"
#include "model/panel_network.h"
#include "model/toolbar_device.h"
#include "project_io/project_files.h"
#include "storage/recovery.h"

namespace voltaris::bench {

namespace {

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
  TMemorySettingsStore store;
  TDesigner designer{host, store, WorkDir()};
  TGeneratedDesign design;
  explicit Open(int devices, const std::string& name = "Large") {
    designer.SetDialogHost(&host);
    host.FileName = name + std::to_string(devices);
    design = GenerateDesign(designer, host, devices);
    designer.Session().SaveProject();
  }
};

Open& DesignOf(int devices) {
  static std::map<int, std::unique_ptr<Open>> designs;
  auto& open = designs[devices];
  if (!open) open = std::make_unique<Open>(devices);
  return *open;
}

void BuildByDrops(benchmark::State& state, int devices) {
  CountWork count(state);
  for (auto _ : state) {
    QuietHost host;
    TMemorySettingsStore store;
    TDesigner designer(host, store, WorkDir());
    designer.SetDialogHost(&host);
    GenerateDesign(designer, host, devices);
    state.PauseTiming();
    count.Add(designer.Context().Counters);
    designer.ClearCanvas();
    state.ResumeTiming();
  }
}

void CableAtRoot(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  double length = 10;
  for (auto _ : state) open.design.DeepestRoot->SetCableLength(length = 21 - length);
}

void CableAtLeaf(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  double length = 10;
  for (auto _ : state) open.design.DeepestLeaf->SetCableLength(length = 21 - length);
}

void GradeThreeTwoThree(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) {
    open.designer.SummaryPanel().ChooseGrade(1);
    open.designer.SummaryPanel().ChooseGrade(2);
  }
}

void SystemReport(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  TStringList lines;
  for (auto _ : state) {
    lines.clear();
    open.designer.ControlPanel()->WriteSystemReport(lines, "Benchmark site", "08/12/2026");
    benchmark::DoNotOptimize(lines.data());
  }
}

void DesignAdvice(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) {
    const TDesignAdvice advice = WorkOutAdvice(*open.designer.ControlPanel(), open.designer.Canvas());
    benchmark::DoNotOptimize(advice.Devices.data());
  }
}

// What the report window is given: the system report, the advice block, joined.
void ReportWithAdvice(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) {
    const std::string text = open.designer.ReportText();
    benchmark::DoNotOptimize(text.data());
  }
}

// The loading dialog's side of a cable length typed at the root of the
// deepest chain: the device recalculated, every figure and the advice shown.
class BenchLoadingHost : public ILoadingHost {
 public:
  explicit BenchLoadingHost(const TControlPanel& panel) : panel_(panel) {}
  int32_t PanelType() const override { return panel_.PanelType; }
  int32_t PanelGrade() const override { return panel_.Grade; }
  bool AddDevice(int32_t, int32_t, TDeviceData&) override { return false; }
  void ShowError(const std::string& text) override { throw std::runtime_error(text); }

 private:
  const TControlPanel& panel_;
};

void LoadingCableWithAdvice(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  BenchLoadingHost host(*open.designer.ControlPanel());
  TLoadingPresenter presenter(host);
  TVududa& root = *open.design.DeepestRoot;
  const double length = root.CableLength;
  presenter.Open(root);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  bool longer = false;
  for (auto _ : state) {
    presenter.ApplyField(TLoadingField::Edit1, (longer = !longer) ? "11" : "10");
    benchmark::DoNotOptimize(presenter.View().lbLongestCable.Text.data());
  }
  presenter.Cancel();
  root.SetCableLength(length);
}

void Save(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) open.designer.Session().SaveProject();
}

void Load(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) {
    TSettings settings;
    TProject project = LoadProjectFiles(open.designer.Session().DataDir, open.host.FileName, settings);
    benchmark::DoNotOptimize(project.Canvas.get());
    count.Add(project.Context().Counters);
  }
}

// The whole file image as one piece, as Save writes it.
void ProjectImage(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  for (auto _ : state) benchmark::DoNotOptimize(open.designer.ProjectImage().Dat.data());
}

// Undo of a grade change, the model's part: the image read back and shown.
// Undo replaces every tile, so it works on a design of its own: the others
// keep pointers into theirs.
void UndoGrade(benchmark::State& state, int devices) {
  static std::map<int, std::unique_ptr<Open>> designs;
  auto& own = designs[devices];
  if (!own) own = std::make_unique<Open>(devices, "Undo");
  Open& open = *own;
  TSummaryPresenter& summary = open.designer.SummaryPanel();
  for (auto _ : state) {
    state.PauseTiming();
    summary.ChooseGrade(open.designer.ControlPanel()->GetGrade() == 3 ? 1 : 2);
    state.ResumeTiming();
    open.designer.Undo();
  }
}

// The start of a drag: every tile of the design asked whether it would take
// the dragged device, for the highlight of the targets. The deepest chain's
// last device is dragged, so that each network device's loop check walks the
// longest chain.
void DropTargets(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  CountWork count(state, [&] { return open.designer.Context().Counters; });
  for (auto _ : state) benchmark::DoNotOptimize(open.designer.CanvasControl().DropTargets(*open.design.DeepestLeaf));
}

// What a command pays for its recovery copy: the current image's blocks
// handed to the writer's thread, which joins and writes them later on its own.
void RecoveryOffer(benchmark::State& state, int devices) {
  Open& open = DesignOf(devices);
  const TProjectImage image = open.designer.History().Current();
  const std::string folder = RecoveryFolder(RecoveryRoot(WorkDir()), WorkDir() + "/Data", "Bench");
  TRecoveryWriter writer(std::chrono::hours(1));
  for (auto _ : state) writer.Offer(folder, TRecoveryInfo{}, image);
  writer.Remove(folder);
}

// The undo history's memory after 100 commands, each a drag of a chain's
// last device from one network to another and back: what the history keeps
// (BytesKept), stated beside the time of the 100 drags.
void HistoryOfDrags(benchmark::State& state, int devices) {
  static std::map<int, std::unique_ptr<Open>> designs;
  auto& own = designs[devices];
  if (!own) own = std::make_unique<Open>(devices, "History");
  TDesigner& designer = own->designer;
  TControlPanel& panel = *designer.ControlPanel();
  TNetDevice* device = nullptr;
  for (const auto& tile : designer.Canvas().Tiles()) {
    auto* candidate = dynamic_cast<TVududa*>(tile.get());
    if (candidate && (candidate->Network == panel.Networks[0] || candidate->Network == panel.Networks[1]) &&
        candidate->Children.empty() && candidate->Keypads == 0)
      device = candidate;
  }
  if (!device) {
    state.SkipWithError("no device to drag");
    return;
  }
  for (auto _ : state) {
    for (int command = 0; command < 100; ++command) {
      TDevice& target = *panel.Networks[device->Network == panel.Networks[0] ? 1 : 0];
      designer.CanvasControl().Drop(&target, *device, 0, 0);
    }
  }
  state.counters["HistoryMB"] = static_cast<double>(designer.History().BytesKept()) / (1024.0 * 1024.0);
  const TProjectImage& image = designer.History().Current();
  state.counters["ImageMB"] = static_cast<double>(image.DatSize() + image.PjxSize()) / (1024.0 * 1024.0);
}

void Register() {
  RegisterAtEverySize({
      {"model/history_of_100_drags", HistoryOfDrags},
      {"model/recovery_offer", RecoveryOffer},
      {"model/drop_targets", DropTargets},
      {"model/project_image", ProjectImage},
      {"model/undo", UndoGrade},
      {"model/build_by_drops", BuildByDrops},
      {"model/cable_at_root", CableAtRoot},
      {"model/cable_at_leaf", CableAtLeaf},
      {"model/grade_3_2_3", GradeThreeTwoThree},
      {"model/system_report", SystemReport},
      {"model/design_advice", DesignAdvice},
      {"model/report_with_advice", ReportWithAdvice},
      {"model/loading_cable_with_advice", LoadingCableWithAdvice},
      {"model/save", Save},
      {"model/load", Load},
  });
}

}  // namespace

}  // namespace voltaris::bench

int main(int argc, char** argv) {
  voltaris::bench::Register();
  return voltaris::bench::RunWithMedianTable(argc, argv);
}
