// Undo and redo over long random sequences of the designer's commands, as
// a user gives them: after every command the history holds the project's
// file image, undoing steps back through exactly the images and everything
// shown that the user saw before, redoing steps forward again, and the
// project counts as modified exactly when it differs from what was saved.
// And every way to a project (New, Load, Undo, Open File, Open Recent, the
// next start) shows it the same, label for label.
#include <gtest/gtest.h>

#include <random>

#include "tests/designer/designer_fixture.h"
#include "tests/tools/shown_state.h"

namespace voltaris::testing {
namespace {

// What the window shows of the designer besides the design itself.
std::string DesignerShown(TDesigner& designer) {
  std::string shown = EverythingShown(designer.Context().Settings, *designer.ControlPanel(), designer.Canvas());
  const TSummaryPresenter& summary = designer.SummaryPanel();
  const TSummaryView& view = summary.Summary;
  shown += Format("summary %s|%d|%s|%d|%d|%d|%s|%d\n", view.Panel, view.BatteryIndex, view.BatteryText, view.GradeIndex,
                  view.ACFailChecked ? 1 : 0, view.ACFailEnabled ? 1 : 0, view.DegradeText, view.DegradeIndex);
  for (const TSummaryText* value : {&view.PSU, &view.BattCurrent, &view.QLoad, &view.AlmLoad, &view.PeakCurrent,
                                    &view.StandBy, &view.RatedOP, &view.ActStandby})
    shown += Format("%s %d,%d,%d\n", value->Text, value->Colour.R, value->Colour.G, value->Colour.B);
  for (const std::string& line : summary.Errors) shown += "error " + line + "\n";
  for (const auto& row : summary.AttachedDevices) shown += "attached " + row.Qty + " " + row.Name + "\n";
  for (bool visible : designer.ToolButtonVisible) shown += visible ? "1" : "0";
  shown += "\n";
  return shown;
}

struct TState {
  TProjectBytes Image;
  std::string Shown;
  int Op = -1;  // the command that led to it, for the failure messages
};

class UndoProperty : public DesignerTest {
 protected:
  template <class T>
  std::vector<T*> TilesOf() {
    std::vector<T*> found;
    for (const auto& tile : designer.Canvas().Tiles()) {
      if (auto* typed = dynamic_cast<T*>(tile.get())) found.push_back(typed);
    }
    return found;
  }

  TState Now() { return {designer.ProjectImage(), DesignerShown(designer)}; }

  std::mt19937 random;
  size_t Pick(size_t count) { return static_cast<size_t>(random() % count); }
  template <class T>
  T* PickOf(const std::vector<T*>& list) {
    return list.empty() ? nullptr : list[Pick(list.size())];
  }

  // One random command of the user's; false when it could not be given
  // (nothing to give it to).
  void RandomCommand(int op) {
    TCanvasController& canvas = designer.CanvasControl();
    auto devices = TilesOf<TVududa>();
    auto supplies = TilesOf<TPSU>();
    std::vector<TDevice*> tiles;
    for (const auto& tile : designer.Canvas().Tiles()) tiles.push_back(tile.get());
    TVududa* device = PickOf(devices);
    TPSU* supply = PickOf(supplies);
    const int x = 150 + static_cast<int>(Pick(700));
    const int y = static_cast<int>(Pick(1300));
    switch (op) {
      case 0:
      case 1: {
        std::vector<int> tools;
        for (int tool = 0; tool < NetDeviceTypeCount; ++tool)
          if (designer.ToolButtonVisible[static_cast<size_t>(tool)]) tools.push_back(tool);
        canvas.ChooseDevice(tools[Pick(tools.size())]);
        canvas.CanvasPress(x, y);
        break;
      }
      case 2:
        canvas.ChoosePSU();
        canvas.CanvasPress(950, y);
        canvas.StopPlacing();
        break;
      case 3:
      case 4:
        if (device) Drag(*device, Net(static_cast<int>(Pick(designer.ControlPanel()->Networks.size()))));
        break;
      case 5:
        if (device && devices.size() > 1) Drag(*device, *PickOf(devices));
        break;
      case 6: {
        std::vector<TDevice*> sources(supplies.begin(), supplies.end());
        for (TPSUClone* clone : TilesOf<TPSUClone>()) sources.push_back(clone);
        if (device && !sources.empty()) Drag(*device, *PickOf(sources));
        break;
      }
      case 7:
        if (TDevice* tile = PickOf(tiles); tile && !tile->FixedOnCanvas()) canvas.Drop(nullptr, *tile, x, y);
        break;
      case 8:
        if (TDevice* tile = PickOf(tiles); tile && Pick(3) == 0)
          canvas.TileMouseDown(*tile, TMouseButton::Left, TShiftState{.Ctrl = true}, false);
        break;
      case 9:
        if (device) canvas.TileMouseDown(*device, TMouseButton::Left, TShiftState{.Alt = true}, false);
        break;
      case 10:
        if (device) canvas.TileMouseDown(*device, TMouseButton::Left, {}, true);
        break;
      case 11:
        if (supply) canvas.TileMouseDown(*supply, TMouseButton::Left, {}, true);
        break;
      case 12:
        designer.SummaryPanel().ChooseGrade(static_cast<int>(Pick(designer.SummaryPanel().Summary.GradeItems.size())));
        break;
      case 13:
        designer.SummaryPanel().ChooseBattery(
            static_cast<int>(Pick(designer.SummaryPanel().Summary.BatteryItems.size())));
        break;
      case 14:
        designer.SummaryPanel().ClickACFail(Pick(2) == 0);
        break;
      case 15:
        designer.SummaryPanel().ChooseDegradation(static_cast<int>(Pick(4)));
        break;
      case 16:
        host.onOptions = [this](TOptionsPresenter& options) {
          options.SetAlarmPeriod(Pick(2) == 0 ? 15 : 30);
          options.SetImpedance(static_cast<int>(1 + Pick(20)));
          options.SetShowLength(Pick(2) == 0);
          return options.Ok();
        };
        designer.Options();
        break;
      case 17:
        for (const auto& tile : designer.Canvas().Tiles()) {
          if (dynamic_cast<TNetDevice*>(tile.get()) || dynamic_cast<TPSU*>(tile.get()))
            tile->SetBounds(tile->Left(), tile->Top(), tile->Width(), tile->Height());
        }
        canvas.TidyUp();
        break;
      case 18:
        if (supply) {
          canvas.TileMouseDown(*supply, TMouseButton::Right, {}, false);
          canvas.CloneTo(static_cast<int>(Pick(3)));
        }
        break;
      case 19:
        designer.SummaryPanel().UpdatePanelAndDevices();
        break;
      default:
        if (TDevice* tile = PickOf(tiles)) {
          canvas.TileMouseDown(*tile, TMouseButton::Left, {}, false);
          canvas.DeleteSelected();
        }
        break;
    }
  }

  void SetUpScriptedDialogs() {
    host.onSetUp = [this](TNetDevice& device, TLoadLines&) {
      if (auto* vududa = dynamic_cast<TVududa*>(&device)) {
        const char* places[] = {"Hall", "Office", "Store & Yard", ""};
        vududa->Location = places[Pick(4)];
      }
      device.SetCableLength(static_cast<double>(Pick(150)));
      return Pick(3) != 0;  // Cancel keeps what was changed, as OK does
    };
    host.onEditLoadList = [this](TPowerModule& module, TLoadLines&) {
      TStringList batteries;
      FillBatteryList(batteries, module.PanelType);
      module.SetBattery(static_cast<int32_t>(Pick(batteries.size())));
    };
  }
};

TEST_F(UndoProperty, EveryCommandUndoesAndRedoesToExactlyWhatWasShown) {
  int redosInAll = 0;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    random.seed(seed);
    SetUpScriptedDialogs();
    New("Orvane 700", 3, "Undo" + std::to_string(seed), "Site");
    ASSERT_TRUE(designer.ProjectOpen);
    // The states the history should step through, and where it stands.
    std::vector<TState> states{Now()};
    size_t at = 0;
    TProjectBytes saved = states[0].Image;
    const size_t depth = designer.History().Depth();
    int undos = 0, redos = 0, steps = 0;

    for (int step = 0; step < 200; ++step) {
      int op = static_cast<int>(Pick(26));

      if (op >= 22 && op <= 23) {
        const bool could = designer.History().CanUndo();
        designer.Undo();
        ASSERT_EQ(could, at > 0) << "seed " << seed << " step " << step;
        if (at > 0) {
          --at;
          ++undos;
        }
      } else if (op == 24) {
        const bool could = designer.History().CanRedo();
        designer.Redo();
        ASSERT_EQ(could, at + 1 < states.size()) << "seed " << seed << " step " << step;
        if (at + 1 < states.size()) {
          ++at;
          ++redos;
        }
      } else if (op == 25) {
        designer.Session().SaveProject();
        saved = designer.ProjectImage();
        states[at].Image = saved;
      } else {
        RandomCommand(op);
        TState now = Now();
        now.Op = op;
        if (!TUndoHistory::SameImage(now.Image, states[at].Image)) {
          states.resize(at + 1);
          states.push_back(std::move(now));
          if (states.size() > depth + 1) states.erase(states.begin());
          at = states.size() - 1;
          ++steps;
          // Stepping back and forth at once shows exactly what the command left.
          designer.Undo();
          designer.Redo();
          ASSERT_EQ(DesignerShown(designer), states[at].Shown) << "seed " << seed << " step " << step << " op " << op;
        } else {
          // A command that changed no byte changes nothing shown either.
          ASSERT_EQ(now.Shown, states[at].Shown) << "seed " << seed << " step " << step << " op " << op;
        }
      }
      // The history follows every change, and Modified is exact.
      const TState now = Now();
      ASSERT_TRUE(TUndoHistory::SameImage(designer.History().Current(), now.Image))
          << "seed " << seed << " step " << step << " op " << op;
      ASSERT_TRUE(TUndoHistory::SameImage(now.Image, states[at].Image)) << "seed " << seed << " step " << step;
      ASSERT_EQ(now.Shown, states[at].Shown)
          << "seed " << seed << " step " << step << " op " << op << " reaching a state of op " << states[at].Op;
      ASSERT_EQ(designer.Session().Modified(), !TUndoHistory::SameImage(now.Image, saved))
          << "seed " << seed << " step " << step;
      ASSERT_EQ(designer.History().UndoCount(), at);
    }

    // All the way back, then all the way forward.
    const size_t last = at;
    while (designer.History().CanUndo()) {
      designer.Undo();
      --at;
      const TState now = Now();
      ASSERT_TRUE(TUndoHistory::SameImage(now.Image, states[at].Image)) << "seed " << seed << " back to " << at;
      ASSERT_EQ(now.Shown, states[at].Shown) << "seed " << seed << " back to " << at;
    }
    ASSERT_EQ(at, 0u);
    while (designer.History().CanRedo()) {
      designer.Redo();
      ++at;
      const TState now = Now();
      ASSERT_TRUE(TUndoHistory::SameImage(now.Image, states[at].Image)) << "seed " << seed << " forward to " << at;
      ASSERT_EQ(now.Shown, states[at].Shown) << "seed " << seed << " forward to " << at;
      ASSERT_EQ(designer.Session().Modified(), !TUndoHistory::SameImage(now.Image, saved));
    }
    ASSERT_EQ(at, states.size() - 1);
    ASSERT_GE(at, last);
    // The sequence exercised what it should.
    EXPECT_GT(steps, 60) << "seed " << seed;
    EXPECT_GT(undos, 5) << "seed " << seed;
    redosInAll += redos;
  }
  EXPECT_GT(redosInAll, 10);  // besides the undo and redo after every step
}

// The history's images reuse the layout records of tiles that kept their
// class, name, place and hint: after every command, undo and redo, the image
// is byte for byte the one written afresh.
TEST_F(UndoProperty, TheImageOfEveryStepIsTheOneWrittenAfresh) {
  for (uint32_t seed = 101; seed <= 110; ++seed) {
    random.seed(seed);
    SetUpScriptedDialogs();
    New("Orvane 700", 3, "Fresh" + std::to_string(seed), "Site");
    for (int step = 0; step < 150; ++step) {
      const int op = static_cast<int>(Pick(25));
      if (op >= 22 && op <= 23) {
        designer.Undo();
      } else if (op == 24) {
        designer.Redo();
      } else {
        RandomCommand(op);
      }
      const TProjectBytes fresh = WriteProject(designer.Context().Settings, *designer.ControlPanel(),
                                               designer.Canvas());
      ASSERT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), fresh)) << "seed " << seed << " step " << step;
    }
    // A tile that keeps its place and takes another name.
    if (TVududa* device = PickOf(TilesOf<TVududa>())) {
      device->SetName(device->Name() + "x");
      const TProjectBytes fresh = WriteProject(designer.Context().Settings, *designer.ControlPanel(),
                                               designer.Canvas());
      ASSERT_TRUE(TUndoHistory::SameImage(designer.ProjectImage(), fresh)) << "seed " << seed << " renamed";
    }
  }
}

TEST_F(DesignerTest, EveryPathToAProjectShowsItTheSame) {
  for (const bool battery : {false, true}) {
    SCOPED_TRACE(battery ? "with a battery" : "without a battery");
    host.saveAnswer = TAnswer::No;
    New("Orvane 700", 3, battery ? "Fitted" : "Bare", "Unit 4");
    if (battery) designer.SummaryPanel().ChooseBattery(1);
    designer.Session().SaveProject();
    const std::string saved = DesignerShown(designer);
    EXPECT_NE(saved.find(battery ? "summary  Orvane 700|1|" : "summary  Orvane 700|-1|SelectBattery|"),
              std::string::npos)
        << saved;
    const std::string file = designer.Session().FileName;

    Load(file);
    EXPECT_EQ(DesignerShown(designer), saved) << "Load";
    Place(0, 400, 300);
    designer.Undo();
    EXPECT_EQ(DesignerShown(designer), saved) << "Undo";
    host.chosenFile = DataFile(file + ".pjx");
    EXPECT_TRUE(designer.Session().OpenFile());
    EXPECT_EQ(DesignerShown(designer), saved) << "Open File";
    EXPECT_TRUE(designer.Session().OpenRecent(0));
    EXPECT_EQ(DesignerShown(designer), saved) << "Open Recent";
    {
      ScriptedDesignerHost nextHost;
      TDesigner next(nextHost, store, dir.Path());
      nextHost.onSystemFiles = Open(file);
      next.Session().StartUp();
      EXPECT_EQ(DesignerShown(next), saved) << "the next start";
    }
  }
}

}  // namespace
}  // namespace voltaris::testing
