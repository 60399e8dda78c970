// The designer window, offscreen with its real widgets, on generated designs
// of 10, 100 and 1000 network devices: opening the design, a grade change,
// dragging one device to another network, Tidy-Up, and Enter in the loading
// dialog's cable length at the root of the longest run, which refreshes the
// dialog's figures and advice, the PDF of the design's document (File >
// Export PDF) and the print preview opening on its pages. Each action is
// timed until the window has refreshed.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>

#include "bench/bench_support.h"
#include "bench/design_generator.h"
#include "bench/median_table.h"
#include "designer/ui/canvas_view.h"
#include "designer/ui/document_commands.h"
#include "designer/ui/loading_dialog.h"
#include "designer/ui/main_window.h"
#include "designer/ui/summary_panel.h"
#include "designer/ui/tile_widget.h"
#include "model/panel_network.h"
#include "model/psu.h"

namespace voltaris::bench {

namespace {

std::string WorkDir() {
  static const std::string dir = [] {
    const auto path = std::filesystem::temp_directory_path() / "voltaris-window-bench";
    std::filesystem::remove_all(path);  // the designs are made afresh on every run
    std::filesystem::create_directories(path / "Data");
    return path.string();
  }();
  return dir;
}

// The project file of each size, made once with the designer's commands.
std::string ProjectOf(int devices) {
  static std::map<int, std::string> names;
  auto& name = names[devices];
  if (name.empty()) {
    QuietHost host;
    TMemorySettingsStore store;
    TDesigner designer(host, store, WorkDir());
    designer.SetDialogHost(&host);
    host.FileName = "Window" + std::to_string(devices);
    GenerateDesign(designer, host, devices);
    designer.Session().SaveProject();
    name = host.FileName;
  }
  return name;
}

// The memory the program holds on its heap (small blocks and mapped ones).
double HeapMegabytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// Lets the window do everything the last action queued.
void Settle(TMainWindow& window) {
  QApplication::processEvents();
  window.FlushRefresh();
  QApplication::processEvents();
}

// A window with the design of one size open.
struct OpenWindow {
  TMemorySettingsStore store;
  std::unique_ptr<TMainWindow> window;
  explicit OpenWindow(int devices) {
    const std::string name = ProjectOf(devices);
    window = std::make_unique<TMainWindow>(store, WorkDir());
    window->show();
    window->Designer().Session().OpenProject("Orvane 700", name, "Benchmark site");
    Settle(*window);
  }
  TDesigner& Designer() const { return window->Designer(); }
};

// The open windows go before the application does (see main).
std::map<int, std::unique_ptr<OpenWindow>>& Windows() {
  static std::map<int, std::unique_ptr<OpenWindow>> windows;
  return windows;
}

OpenWindow& WindowOf(int devices) {
  auto& open = Windows()[devices];
  if (!open) open = std::make_unique<OpenWindow>(devices);
  return *open;
}

void OpenDesign(benchmark::State& state, int devices) {
  const std::string name = ProjectOf(devices);
  TMemorySettingsStore store;
  double memory = 0;
  CountWork count(state);
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<TMainWindow>(store, WorkDir());
    window->show();
    Settle(*window);
    const double empty = HeapMegabytes();
    state.ResumeTiming();
    window->Designer().Session().OpenProject("Orvane 700", name, "Benchmark site");
    Settle(*window);
    state.PauseTiming();
    memory = std::max(memory, HeapMegabytes() - empty);
    count.Add(window->Designer().Context().Counters);
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["MemoryMB"] = memory;
}

void GradeChange(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  auto* grade = open.window->findChild<TSummaryPanel*>()->findChild<QComboBox*>("cbGrade");
  CountWork count(
      state, [&] { return open.Designer().Context().Counters; }, [&] { return open.window->RefreshCount(); });
  for (auto _ : state) {
    grade->setCurrentIndex(grade->currentIndex() == 2 ? 1 : 2);  // as the user's choice in the list
    Settle(*open.window);
  }
  grade->setCurrentIndex(2);
  Settle(*open.window);
}

void DragToAnotherNetwork(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  TCanvasView& view = open.window->CanvasView();
  TControlPanel& panel = *open.Designer().ControlPanel();
  // A window tall enough to show the first two networks at once, as a drag
  // only reaches what is in view. It stays so: Tidy-Up, Undo and Redo after
  // it are timed in this tall window, which has the most tiles to paint.
  open.window->resize(1024, 1500);
  open.Designer().CanvasControl().ShowNetwork(0);
  Settle(*open.window);
  // The last device on the first two networks: a chain's end that takes no
  // place, dragged from the one it is on to the other, and back.
  TPanelNetwork* first = panel.Networks[0];
  TPanelNetwork* second = panel.Networks[1];
  TNetDevice* device = nullptr;
  for (const auto& tile : open.Designer().Canvas().Tiles()) {
    auto* candidate = dynamic_cast<TVududa*>(tile.get());
    if (candidate && (candidate->Network == first || candidate->Network == second) &&
        candidate->Children.empty() && candidate->Keypads == 0)
      device = candidate;
  }
  if (!device) {
    state.SkipWithError("no device to drag");
    return;
  }
  CountWork count(
      state, [&] { return open.Designer().Context().Counters; }, [&] { return open.window->RefreshCount(); });
  for (auto _ : state) {
    TPanelNetwork* target = device->Network == first ? second : first;
    TTileWidget* widget = view.WidgetOf(*device);
    const QPoint start = widget->rect().center();
    const QPoint aim(target->Left() + target->Width() / 2, target->Top() + target->Height() / 2);
    const QPoint end = widget->mapFromGlobal(view.Content()->mapToGlobal(aim));
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    QTest::mouseMove(widget, end);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, end);
    Settle(*open.window);
    if (device->Network != target) {
      state.SkipWithError("the device did not move to the other network");
      break;
    }
  }
}

void TidyUp(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  CountWork count(
      state, [&] { return open.Designer().Context().Counters; }, [&] { return open.window->RefreshCount(); });
  for (auto _ : state) {
    // Every device and supply a few pixels off the grid first, so that each
    // Tidy-Up has the whole design to move.
    state.PauseTiming();
    for (const auto& tile : open.Designer().Canvas().Tiles()) {
      if (dynamic_cast<TNetDevice*>(tile.get()) || dynamic_cast<TPSU*>(tile.get()))
        tile->SetBounds(tile->Left() + 7, tile->Top() + 7, tile->Width(), tile->Height());
    }
    Settle(*open.window);
    state.ResumeTiming();
    open.window->findChild<QAction*>("mnuTidyUp")->trigger();  // Arrange > Tidy-Up
    Settle(*open.window);
  }
}

// Edit > Undo of a grade change, and Edit > Redo of it: the whole project is
// read back from its image and the window shows it.
void UndoOrRedo(benchmark::State& state, int devices, bool redo) {
  OpenWindow& open = WindowOf(devices);
  auto* grade = open.window->findChild<TSummaryPanel*>()->findChild<QComboBox*>("cbGrade");
  QAction* undo = open.window->findChild<QAction*>("mnuUndo");
  QAction* again = open.window->findChild<QAction*>("mnuRedo");
  CountWork count(
      state, [&] { return open.Designer().Context().Counters; }, [&] { return open.window->RefreshCount(); });
  for (auto _ : state) {
    state.PauseTiming();
    grade->setCurrentIndex(grade->currentIndex() == 2 ? 1 : 2);
    Settle(*open.window);
    if (redo) {
      undo->trigger();
      Settle(*open.window);
    }
    state.ResumeTiming();
    (redo ? again : undo)->trigger();
    Settle(*open.window);
  }
  if (!open.Designer().History().CanUndo() && !open.Designer().History().CanRedo())
    state.SkipWithError("nothing was undone");
}

void Undo(benchmark::State& state, int devices) { UndoOrRedo(state, devices, false); }
void Redo(benchmark::State& state, int devices) { UndoOrRedo(state, devices, true); }

// The device on a panel network, powered by it, whose cable powers the most
// devices: the root of the longest run. (One with a supply shows the
// supply's length fields instead of Edit1.)
TVududa* LongestRunRoot(TDesigner& designer) {
  TVududa* best = nullptr;
  size_t most = 0;
  for (const auto& tile : designer.Canvas().Tiles()) {
    auto* device = dynamic_cast<TVududa*>(tile.get());
    if (!device || device->Supply || !device->NetParent || device->NetParent->AsNetDevice()) continue;
    std::vector<const TNetDevice*> powered{device};
    for (size_t i = 0; i < powered.size(); ++i) {
      for (const TNetDevice* child : powered[i]->Children) {
        if (!child->Supply) powered.push_back(child);
      }
    }
    if (powered.size() > most) {
      most = powered.size();
      best = device;
    }
  }
  return best;
}

// The loading dialog open on the root of the longest run, as a double click
// opens it: each turn types a new cable length and presses Enter, which
// applies it, recalculates the run and shows the figures and the advice.
// The loop runs while the dialog is modal; Cancel then puts the device back.
void LoadingDialogCable(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  TVududa* root = LongestRunRoot(open.Designer());
  if (!root) {
    state.SkipWithError("no device on a network");
    return;
  }
  CountWork count(
      state, [&] { return open.Designer().Context().Counters; }, [&] { return open.window->RefreshCount(); });
  QTimer::singleShot(0, open.window.get(), [&] {
    auto* dialog = qobject_cast<TLoadingFrm*>(QApplication::activeModalWidget());
    if (!dialog) {
      state.SkipWithError("the loading dialog did not open");
      return;
    }
    auto* edit = dialog->findChild<QLineEdit*>("Edit1");
    if (!edit || !edit->isVisible()) {
      state.SkipWithError("the cable length field does not show");
      dialog->reject();
      return;
    }
    edit->setFocus();
    bool longer = false;
    for (auto _ : state) {
      state.PauseTiming();
      edit->setText((longer = !longer) ? QStringLiteral("11") : QStringLiteral("10"));
      state.ResumeTiming();
      QTest::keyClick(edit, Qt::Key_Return);
      Settle(*open.window);
    }
    dialog->reject();
  });
  root->DoubleClickAction();
  Settle(*open.window);
}

// File > Export PDF: the document made from the design and written to a
// file beside the project.
void ExportPdf(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  TDocumentCommands& documents = open.window->Documents();
  const std::string path = WorkDir() + "/Data/Export" + std::to_string(devices) + ".pdf";
  documents.ChoosePdfFile = [&](const std::string&, const std::string&) { return path; };
  for (auto _ : state) {
    open.window->findChild<QAction*>("mnuExportPdf")->trigger();
    Settle(*open.window);
  }
  documents.ChoosePdfFile = nullptr;
  state.counters["KB"] = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
}

// File > Print Preview, until the preview shows its pages; then closed.
void PrintPreview(benchmark::State& state, int devices) {
  OpenWindow& open = WindowOf(devices);
  TDocumentCommands& documents = open.window->Documents();
  int pages = 0;
  documents.PreviewOpened = [&](QWidget* preview) {
    QTimer::singleShot(0, preview, [&, preview] {
      state.PauseTiming();
      if (auto* view = preview->findChild<QPrintPreviewWidget*>()) pages = view->pageCount();
      qobject_cast<QDialog*>(preview)->reject();
    });
  };
  for (auto _ : state) {
    open.window->findChild<QAction*>("mnuPrintPreview")->trigger();
    Settle(*open.window);
    state.ResumeTiming();
  }
  documents.PreviewOpened = nullptr;
  state.counters["Pages"] = pages;
}

void Register() {
  RegisterAtEverySize({
      {"window/open_design", OpenDesign},
      {"window/grade_change", GradeChange},
      {"window/drag_to_another_network", DragToAnotherNetwork},
      {"window/tidy_up", TidyUp},
      {"window/undo", Undo},
      {"window/redo", Redo},
      {"window/loading_dialog_cable", LoadingDialogCable},
      {"window/export_pdf", ExportPdf},
      {"window/print_preview", PrintPreview},
  });
}

}  // namespace

}  // namespace voltaris::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  voltaris::bench::Register();
  const int result = voltaris::bench::RunWithMedianTable(argc, argv);
  voltaris::bench::Windows().clear();
  return result;
}
